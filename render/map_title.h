// The map title: up to three centred lines above the map, in the canvas's
// general fonts 2 (the first line), 3 (the second) and 4 (every further
// line).
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
#include <string>
#include <string_view>
#include <vector>

#include "data/record_buffer.h"
#include "objects/map_items.h"
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

struct MapTitle {
    static constexpr std::string_view kTag = "TS01";

    std::vector<MapText> lines;
    std::int32_t show = 1;
    std::int32_t width = 0, height = 0, top = 0, bottom = 0;
    double kept[4] = {0, 0, 0, 0};  // stored and restored only

    // Three lines from the data file's header lines (empty texts for those
    // missing).
    static MapTitle fromHeaderLines(const std::vector<std::string>& headers);
    // One line per text.
    static MapTitle fromTexts(const std::vector<std::string>& texts);

    // Lays the lines out in the canvas's drawing area and draws them when
    // `output`; gives Bottom.
    int layOut(DrawingCanvas& canvas, bool output, bool screenWithoutZoom, int mapTop);
    // True when the device point lies in the title's band.
    bool contains(gdi::Point p) const { return p.y >= top && p.y < top + height; }

    // "TS01": the count, Width, Height, Show, Top, Bottom and the four kept
    // doubles, then a "TX01" section per line.
    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag or a damaged section ("Invalid format."); a count
    // that the file cannot hold is refused before anything is read.
    bool readSection(BinaryReader& in);

    friend bool operator==(const MapTitle&, const MapTitle&) = default;
};

// The title as a layer of the map view.
class TitleLayer final : public MapTitleLayer {
public:
    explicit TitleLayer(MapTitle title = {}) : title_(std::move(title)) {}
    MapTitle& title() { return title_; }
    // The view's state at the next layout.
    bool screenWithoutZoom = true;

    int layOut(DrawingCanvas& canvas) override;
    void draw(DrawingCanvas& canvas) override;
    gdi::Rect area() const override;

private:
    MapTitle title_;
    int mapTop_ = 0;
    int drawableWidth_ = 0;
};

}  // namespace gridova
