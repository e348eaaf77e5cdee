// Drawing the colour bar of a colour scale beside the map.
//
// The layout (top, barHeight, left, gap, labelHeight, width, barRect) is
// the scale's own: it is stored with the document. The world rectangles of
// the bands are the drawing's and serve hit tests.
#pragma once

#include <vector>

#include "data/drect.h"
#include "objects/color_scale.h"
#include "render/drawing_canvas.h"

namespace gridova {

// What a world point on the colour bar hits.
struct ColorBarHit {
    bool onBar = false;   // inside the bar's rectangle (labels included)
    int colorIndex = -1;  // the colour of the band under the point; -1 off every band
};

// Lays the bar out in the canvas's drawing area (top, barHeight, left from
// its left margin) and goes through the drawing without output. Returns
// the width the bar takes; the band rectangles go to bands when given.
int measureColorBar(DrawingCanvas& canvas, ColorScale& scale, std::vector<DRect>* bands = nullptr);

// Draws with the layout of the last measure and the scale's current left.
// Returns the device x of the labels' right edge + 3.
int drawColorBar(DrawingCanvas& canvas, ColorScale& scale, std::vector<DRect>* bands = nullptr);

// A world point against the bar as last drawn with these band rectangles.
ColorBarHit colorBarHit(const ColorScale& scale, const std::vector<DRect>& bands, double x,
                        double y);

}  // namespace gridova
