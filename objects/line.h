// `Line`: a polyline or polygon in world coordinates with its own drawing
// style.
//
// Geometry conventions:
// - A line is *closed* when it has at least one point and its first and last
//   points are equal in x and y. A closed line lists its first point twice.
// - Area (shoelace formula over the pairs (k, k + 1) and (last, first)):
//       S = |Σ (x(k) + x(k+1)) · (y(k) − y(k+1))| / 2
//   The sign of the sum says which way round the polygon runs; the area
//   drops it, so a polygon listed clockwise and counter-clockwise has the
//   same area. A line that is not closed has area 0.
// - Point in polygon: even-odd crossings of a ray from the point towards
//   +x. An edge (previous point, point) counts when the point's y lies in
//   the edge's half-open range [lower y, upper y) and the edge's x at that y
//   is strictly greater than the point's x. So a horizontal edge never
//   counts, and a point on the boundary belongs to the polygon when it lies
//   on a left or bottom edge and not when it lies on a right or top edge
//   (for a unit square: (0, 0.5) and (0.5, 0) inside, (1, 0.5) and (0.5, 1)
//   outside); of the corners only the lower left one is inside.
//
// Colours: a value ≥ 0 is a colour 0x00BBGGRR; a negative value −1 − k
// stands for entry k of the palette of the nearest enclosing `Bush` that has
// one.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/drect.h"
#include "data/record_buffer.h"
#include "platform/gdi.h"

namespace gridova {

// A point in world coordinates.
struct LinePoint {
    double x = 0.0;
    double y = 0.0;
    friend bool operator==(const LinePoint&, const LinePoint&) = default;
};

// The colours of a colour fill, addressed by the negative colours of lines.
using ColorPalette = std::vector<gdi::ColorRef>;

// How a line is drawn.
struct LineStyle {
    // TypeDraw values.
    static constexpr std::int32_t kOutline = 0;        // polyline only
    static constexpr std::int32_t kFilled = 1;         // polygon with a solid brush
    static constexpr std::int32_t kFilledHatched = 2;  // solid brush, then a hatch over it
    static constexpr std::int32_t kHatched = 3;        // polygon with the hatch brush only
    static constexpr std::int32_t kWhite = 0xFFFFFF;
    static constexpr std::int32_t kDefaultHatch = 3;  // "////"

    std::int32_t typeDraw = kOutline;    // one of the TypeDraw values
    std::int32_t colorLine = 0;          // outline colour, or −1 − palette entry
    std::int32_t fillColor = kWhite;     // solid fill colour, or −1 − palette entry
    std::int32_t patternColor = 0;       // hatch colour, or −1 − palette entry
    std::int32_t hatch = kDefaultHatch;  // hatch style 0..5 (gdi::Hatch)
    std::int32_t widthLine = 0;          // pen width in pixels; 0 = one cosmetic pixel
    std::int32_t penStyle = 0;           // pen style 0..6 (gdi::PenStyle); non-solid is 1 px

    friend bool operator==(const LineStyle&, const LineStyle&) = default;
};

class Line {
public:
    static constexpr const char* kDefaultName = "Line";

    // An empty line named "Line" with the default style.
    Line();
    // An unnamed line through the points.
    explicit Line(std::vector<LinePoint> points);

    // --- Points --------------------------------------------------------------
    const std::vector<LinePoint>& points() const { return points_; }
    std::size_t size() const { return points_.size(); }
    bool empty() const { return points_.empty(); }
    // The point, nothing outside 0..size − 1.
    std::optional<LinePoint> point(std::size_t i) const;

    void setPoints(std::vector<LinePoint> points);
    void setPoints(const double* x, const double* y, std::size_t count);
    // Appends the point unless it equals the last one. The new number of
    // points, or −1 when memory ran out (message 208 logged).
    int addPoint(double x, double y);
    // False (message 209 logged) when the line has no point.
    bool removeLastPoint();
    // Appends the first point when the line is not closed.
    void close();
    bool isClosed() const;

    // The world rectangle of the points (all 0 for an empty line), kept up to
    // date whenever the points change; a line read from a document keeps the
    // rectangle stored with it.
    const DRect& extent() const { return extent_; }

    // --- Style -----------------------------------------------------------------
    // Colours, hatch, type, width and pen style; the name and value stay.
    void copyStyle(const Line& other) { style = other.style; }

    // --- Geometry --------------------------------------------------------------
    // The sum of the segment lengths in world units.
    double length() const;
    // The area of a closed line (see the header comment), 0 otherwise.
    double area() const;
    // The area, also kept as the line's value.
    double storeArea();
    // Even-odd point test (see the header comment); false below 3 points.
    bool contains(double x, double y) const;
    // The index of the first point inside the rectangle (x ± tolX, y ± tolY),
    // edges included; nothing when the rectangle misses the extent (with a
    // margin of 1e-30) or holds no point.
    std::optional<std::size_t> hitTest(double x, double y, double tolX, double tolY) const;
    // Appends the points from index g to index h to the target (points equal
    // to the target's last point are dropped). An open line gives the points
    // between them in index order from g towards h; a closed line takes the
    // shorter of its two ways round by length (on a tie, the way that does
    // not pass the closing point). False when an index is out of range.
    bool appendPart(std::size_t g, std::size_t h, Line& target) const;

    // --- Document section "LN01" -------------------------------------------------
    // Record: Count, TypeDraw, ColorLine, FillColor, PatternColor, Hatch,
    // WidthLine, PenStyle, Value, presence of the name and the name; then
    // Count raw (x, y) pairs and the "DR01" section of the extent.
    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag ("Invalid format.", the line stays empty and the
    // reader goes on) or a damaged section ("Invalid format.", the reader
    // fails).
    bool readSection(BinaryReader& in);

    LineStyle style;
    // Traced isoline pieces carry their level here; storeArea keeps the area.
    double value = 0.0;
    // Any length; none for an unnamed line.
    std::optional<std::string> name;

private:
    void recomputeExtent();

    std::vector<LinePoint> points_;
    DRect extent_;
};

// The colour of a line colour value: the colour itself when ≥ 0, else the
// palette entry −1 − value. Without a palette "В Bush не определена паллитра
// цветов" is logged and the colour is 0; an entry outside the palette logs
// "Неправильный индекс цвета в Bush" with the entry and gives 0.
gdi::ColorRef resolveLineColor(std::int32_t value, const ColorPalette* palette);

}  // namespace gridova
