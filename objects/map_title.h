// The map title as data: up to three lines above the map, whether it is
// shown, and the layout of its last drawing, which documents keep with it
// (render/map_title.h lays it out and draws it).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/record_buffer.h"
#include "objects/map_items.h"

namespace gridova {

struct MapTitle {
    static constexpr std::string_view kTag = "TS01";

    std::vector<MapText> lines;
    std::int32_t show = 1;
    // The layout of the last drawing, in device pixels.
    std::int32_t width = 0, height = 0, top = 0, bottom = 0;
    double kept[4] = {0, 0, 0, 0};  // stored and restored only

    // Three lines from the data file's header lines (empty texts for those
    // missing).
    static MapTitle fromHeaderLines(const std::vector<std::string>& headers);
    // One line per text.
    static MapTitle fromTexts(const std::vector<std::string>& texts);

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

}  // namespace gridova
