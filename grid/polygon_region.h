// The area inside the border polygons, on an integer raster of 1000 × 1000
// over their bounding rectangle, with the answers of the GDI polygon
// regions: each closed line is a polygon filled with the alternate
// (even-odd) rule, the polygons are united, and a raster point is inside
// when the pixel it names is filled. A pixel is filled when its centre lies
// inside the polygon, so the left and top edges belong to a polygon and the
// right and bottom ones do not.
//
// Mapping of a world point: X' = trunc((x − minX) × 1000 / width),
// Y' = trunc(1000 − (y − minY) × 1000 / height), raised to −32000 when
// smaller; a width or height below 1e-30 gives the scale 0 on that axis.
#pragma once

#include <cstdint>
#include <vector>

#include "data/drect.h"
#include "objects/line_list.h"

namespace gridova {

class PolygonRegion {
public:
    static constexpr std::int32_t kRaster = 1000;
    static constexpr std::int32_t kMinCoordinate = -32000;

    // The union of the closed lines of the list (lines of fewer than 3
    // points add nothing).
    explicit PolygonRegion(const LineList& border);

    // The raster point of a world point.
    std::int32_t mapX(double x) const;
    std::int32_t mapY(double y) const;
    // Whether the raster point is in the region.
    bool containsPixel(std::int32_t x, std::int32_t y) const;
    // Within the bounding rectangle (ends inclusive) and in the region.
    bool contains(double x, double y) const;

    const DRect& bounds() const { return bounds_; }
    bool empty() const { return empty_; }
    // The pixels of raster row y (kRaster + 1 of them), nullptr outside the
    // raster: for testing many points of one row.
    const std::uint8_t* row(std::int32_t y) const;
    static constexpr std::int32_t side() { return kSide; }

private:
    void fillPolygon(const std::vector<std::int32_t>& xs, const std::vector<std::int32_t>& ys);

    DRect bounds_;
    bool empty_ = true;
    double scaleX_ = 0, scaleY_ = 0;
    // Pixels 0..kRaster both ways; the vertices may map beyond, but node
    // points never do.
    static constexpr std::int32_t kSide = kRaster + 1;
    std::vector<std::uint8_t> pixels_;
};

}  // namespace gridova
