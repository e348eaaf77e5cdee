// The scale bar under the map: a graduated bar of a round length with "0"
// and the length above its ends, the ratio text "M 1:..." beside it and,
// for maps of values as circles, a legend of the circle radii.
//
// Layout (world window W, S = max(width, height) of W):
//     x0 = device x of W's left edge, x1 = device x of left + S/13,
//     g = trunc((x1 − x0) / 4),
//     L = nice(world(x1 − g) − left, world(x1 + g) − left),
//     Height = from the labels' top (13 pixels and a text line above the
//              bar's base) to 4 pixels above the base.
// The world window is then extended downward by Height and set again, so
// the bar sits in the band below the map.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "render/drawing_canvas.h"
#include "render/map_layers.h"

namespace gridova {

struct ScaleBarLayout {
    double length = 0;   // L, world units
    int x0 = 0, xe = 0;  // device x of the bar's ends (before the 5-pixel shift)
    int base = 0;        // yb: device y of the map's lower edge
    int height = 0;      // pixels reserved below the map
};

// The layout for the canvas's current world window and transform; nothing
// for an empty window.
std::optional<ScaleBarLayout> layOutScaleBar(DrawingCanvas& canvas);

class ScaleBar final : public MapScaleBarLayer {
public:
    static constexpr const char* kName = "Scale";

    // Show from "Scale" "Show" (default 0).
    void readProfile();
    void writeProfile() const;

    std::int32_t show = 0;
    std::int32_t showRadii = 0;
    double minValue = 0, maxValue = 0;  // the radii legend
    std::int32_t minRadius = 0, maxRadius = 0;
    std::int32_t height = 0;  // reserved below the map at the last drawing
    double lastLength = 0;    // L of the last drawing

    bool visible() const override { return show != 0; }
    void setVisible(bool visible) override { show = visible ? 1 : 0; }
    void reserveAndDraw(DrawingCanvas& canvas) override;
};

}  // namespace gridova
