// Drawing the map title: up to three centred lines above the map, in the
// canvas's general fonts 2 (the first line), 3 (the second) and 4 (every
// further line); free texts of the map.
//
// Layout: Top = 0, or on screen without a zoom window the map's device top
// less the previous title height less 5 when that is positive; Height
// starts at 2; each line is centred in the drawable width (never left of
// 0) at Top + Height, Width takes the widest line, and Height grows by the
// line's height and by trunc(0.3 × its height). Bottom = Top + Height is
// the room the map leaves above itself. Without lines, or with Show off,
// Height and Bottom are 0.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "objects/map_items.h"
#include "objects/map_title.h"
#include "render/drawing_canvas.h"
#include "render/map_layers.h"

namespace gridova {

// Text placement: the text's box from an anchor point.
enum class TextPlacement {
    TopLeft,        // the anchor is the top-left corner
    CentredBelow,   // centred horizontally, top at the anchor
    CentredAbove,   // centred horizontally, bottom at the anchor
    EndingLeft,     // ends at the anchor, centred vertically
    StartingRight,  // starts at the anchor, centred vertically
};
// Places and draws the text (its own font when it has one, else the
// current font; its colour), leaving its box in left/top/right/bottom.
void drawMapText(DrawingCanvas& canvas, MapText& text, gdi::Point anchor,
                 TextPlacement placement = TextPlacement::TopLeft);

// Lays the title's lines out in the canvas's drawing area (the layout goes
// into the title) and draws them when `output`; gives Bottom.
int layOutTitle(DrawingCanvas& canvas, MapTitle& title, bool output, bool screenWithoutZoom,
                int mapTop);

// The title as a layer of the map view.
class TitleLayer final : public MapTitleLayer {
public:
    // Draws the title that `source` gives at each drawing (the map model's);
    // nothing while it gives none.
    explicit TitleLayer(std::function<MapTitle*()> source) : source_(std::move(source)) {}
    // The view's state at the next layout.
    bool screenWithoutZoom = true;

    int layOut(DrawingCanvas& canvas) override;
    void draw(DrawingCanvas& canvas) override;
    gdi::Rect area() const override;

private:
    std::function<MapTitle*()> source_;
    gdi::Rect area_;
    int mapTop_ = 0;
    int drawableWidth_ = 0;
};

}  // namespace gridova
