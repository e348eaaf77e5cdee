// `LineList`: a flat list of lines: the traced pieces of one isoline level,
// the border, the band outlines.
#pragma once

#include <cstdint>
#include <vector>

#include "data/drect.h"
#include "data/record_buffer.h"
#include "objects/line.h"

namespace gridova {

class LineList {
public:
    // Takes the line; the extent grows to hold it. Gives the line's index.
    std::size_t add(Line line);
    void clear();

    std::size_t size() const { return lines_.size(); }
    bool empty() const { return lines_.empty(); }
    const std::vector<Line>& lines() const { return lines_; }
    // The line, nullptr outside 0..size − 1.
    const Line* line(std::size_t i) const;
    Line* line(std::size_t i);

    // The number of points of all lines.
    std::size_t totalPoints() const;
    // The first line with the most points; nullptr for an empty list.
    const Line* longestLine() const;

    // The outline colour (a colour or −1 − palette entry) or the pen width
    // of every line.
    void setColor(std::int32_t colorLine);
    void setWidth(std::int32_t widthLine);

    // The union of the lines' extents (of the non-empty ones); all 0 for a
    // list without points. A list read from a document keeps the rectangle
    // stored with it.
    const DRect& extent() const { return extent_; }

    // The "LS01" section: a record (count, Current), the lines' "LN01"
    // sections, the "DR01" section of the extent.
    void writeSection(BinaryWriter& out) const;
    // Clears the list and reads a section. False on a wrong tag ("Invalid
    // format.", the list stays empty, the reader goes on) or a damaged
    // section ("Invalid format.", the reader fails; the lines read so far
    // are kept). A stored Current outside the list reads as −1.
    bool readSection(BinaryReader& in);

    // The selected line's index, −1 for none.
    std::int32_t current = -1;

private:
    std::vector<Line> lines_;
    DRect extent_;
    bool hasExtent_ = false;  // some line with points has been added
};

}  // namespace gridova
