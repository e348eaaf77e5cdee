#include "grid/triangulation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>

namespace gridova {

std::vector<std::int32_t> triangulate(std::span<const double> xy) {
    const std::size_t count = xy.size() / 2;
    // Vertex numbers are 32-bit and counted from 1.
    if (count > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
        throw std::bad_alloc();
    }
    std::vector<detail::IndexedPoint> points;
    points.reserve(count);
    for (std::size_t k = 0; k < count; ++k) {
        const double x = xy[2 * k], y = xy[2 * k + 1];
        if (std::isfinite(x) && std::isfinite(y)) {
            points.push_back({x, y, static_cast<std::uint32_t>(k)});
        }
    }
    // The first point at each location: sort by location, then by index,
    // and keep the head of every run of equal locations (0 and -0 are one
    // location).
    std::sort(points.begin(), points.end(),
              [](const detail::IndexedPoint& a, const detail::IndexedPoint& b) {
                  if (a.x != b.x) return a.x < b.x;
                  if (a.y != b.y) return a.y < b.y;
                  return a.index < b.index;
              });
    points.erase(std::unique(points.begin(), points.end(),
                             [](const detail::IndexedPoint& a, const detail::IndexedPoint& b) {
                                 return a.x == b.x && a.y == b.y;
                             }),
                 points.end());
    if (points.size() < 3) return {};

    const std::vector<std::uint32_t> faces = detail::delaunayTriangles(points);
    std::vector<std::array<std::int32_t, 3>> triangles(faces.size() / 3);
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        std::array<std::int32_t, 3> c;
        for (std::size_t k = 0; k < 3; ++k) c[k] = static_cast<std::int32_t>(faces[3 * t + k]) + 1;
        // Turn the corners (keeping their counter-clockwise order) so that
        // the smallest comes first.
        std::rotate(c.begin(), std::min_element(c.begin(), c.end()), c.end());
        triangles[t] = c;
    }
    std::sort(triangles.begin(), triangles.end());
    std::vector<std::int32_t> corners;
    corners.reserve(3 * triangles.size());
    for (const auto& c : triangles) corners.insert(corners.end(), c.begin(), c.end());
    return corners;
}

}  // namespace gridova
