// Drawing isolines: each traced piece with its format's pen, and value
// labels placed along it as isoline_format.h describes.
#pragma once

#include "contour/isoline_format.h"
#include "contour/isoline_set.h"
#include "render/drawing_canvas.h"

namespace gridova {

// Draws one traced piece with the format's pen and, when the format shows
// them, value labels of the piece's value. The canvas's current font is the
// label font; afterwards its escapement is 0 again and the text colour is
// restored.
void drawIsolinePiece(DrawingCanvas& canvas, const Line& piece, const IsolineFormat& format);

// Every piece of the level with its format's pen and labels, in the
// format's font; the canvas's first general font is selected afterwards.
void drawIsoline(DrawingCanvas& canvas, const Isoline& isoline);

// Every isoline of the set in order, only while the set's Show is not 0.
void drawIsolines(DrawingCanvas& canvas, const IsolineSet& set);

}  // namespace gridova
