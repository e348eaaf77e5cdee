// Drawing lines, line lists and the groups of the object tree with each
// line's own style.
#pragma once

#include "objects/bush.h"
#include "objects/line.h"
#include "objects/line_list.h"
#include "render/drawing_canvas.h"

namespace gridova {

// Draws the line with its style; negative colours are taken from the
// palette (none: logged, colour 0). A filled line whose extent lies wholly
// outside the canvas's visible world is not drawn. The pen width is reset
// to 0 and pen and brush are released afterwards.
void drawLine(DrawingCanvas& canvas, const Line& line, const ColorPalette* palette);

// Every line of the list in order; negative colours have no palette here.
void drawLines(DrawingCanvas& canvas, const LineList& lines);

// The group's lines in order, then its children's; each line takes its
// negative colours from the nearest group's palette. Point sets, axes and
// texts of the tree are drawn by the map's layers.
void drawGroupLines(DrawingCanvas& canvas, const Bush& group);

}  // namespace gridova
