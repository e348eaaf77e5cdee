// The extent record shared by the grid, lines, groups and the colour bar:
// a world rectangle kept with min <= max, and the device rectangle it was
// last drawn at.
#pragma once

#include <cstdint>
#include <optional>

#include "data/record_buffer.h"

namespace gridova {

struct DRect {
    static constexpr double kTolerance = 1e-30;

    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    double reserved = 0;  // kept on file, always 0
    // Device coordinates cached by drawing.
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;

    DRect() = default;
    // Swaps the ends given in the wrong order.
    DRect(double x1, double y1, double x2, double y2);

    double width() const { return maxX - minX; }
    double height() const { return maxY - minY; }
    // Ends inclusive.
    bool contains(double x, double y) const;
    bool contains(const DRect& other) const;
    bool overlaps(const DRect& other) const;
    // Every corner within 1e-30 × the width or height.
    bool nearlyEquals(const DRect& other) const;
    void include(const DRect& other);
    void include(double x, double y);
    void shift(double dx, double dy);

    // The "DR01" section: device left, top, right, bottom, then minX, minY,
    // maxX, maxY and the reserved double.
    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag ("Invalid format." shown) or a damaged record.
    bool readSection(BinaryReader& in);

    friend bool operator==(const DRect&, const DRect&) = default;
};

// Grows `into` to hold `box`; nothing for no box, the box itself for an
// empty `into`.
void include(std::optional<DRect>& into, const std::optional<DRect>& box);

// A rectangle without width or height (one point, points on a line) with a
// side added, so that a map of it keeps a scale.
DRect withSides(const DRect& r);

}  // namespace gridova
