#include "grid/point_polygons.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace gridova {
namespace {

PointSet setOf(const std::vector<std::pair<double, double>>& xy) {
    PointSet set;
    for (const auto& [x, y] : xy) set.addPoint(x, y, 1.0);
    set.computeStatistics();
    return set;
}

// Cells worked out by hand: squares of a 2 × 2 lattice, strips of points
// on one line (no triangulation), a shared cell for a repeated point.
TEST(PointPolygons, CellsWorkedOutByHand) {
    struct Case {
        const char* what;
        std::vector<std::pair<double, double>> points;
        DRect clip;
        std::vector<double> areas;
    };
    const Case cases[] = {
        {"a lattice", {{1, 1}, {3, 1}, {1, 3}, {3, 3}}, DRect(0, 0, 4, 4), {4, 4, 4, 4}},
        {"points on a line", {{1, 2}, {2, 2}, {4, 2}}, DRect(0, 0, 5, 4), {6, 6, 8}},
        {"a repeated point", {{1, 1}, {3, 1}, {1, 1}}, DRect(0, 0, 4, 2), {4, 4, 4}},
        {"one point", {{2, 2}}, DRect(0, 0, 5, 4), {20}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto polygons = pointPolygons(setOf(c.points), c.clip);
        ASSERT_NE(polygons, nullptr);
        ASSERT_EQ(polygons->size(), c.areas.size());
        for (std::size_t k = 0; k < c.areas.size(); ++k) {
            EXPECT_NEAR(polygons->lines()[k].area(), c.areas[k], 1e-12) << "point " << k;
        }
    }
    EXPECT_EQ(pointPolygons(PointSet(), DRect(0, 0, 1, 1)), nullptr);
}

// Scattered points: the cells tile the rectangle, each holds its point, and
// every corner of a cell is at least as near to its point as to any other
// (checked against all points, not only the Delaunay neighbours used).
TEST(PointPolygons, CellsOfScatteredPointsTileTheRectangleAndAreNearest) {
    std::uint64_t state = 12345;
    const auto next = [&] {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    };
    std::vector<std::pair<double, double>> xy;
    for (int k = 0; k < 300; ++k) xy.emplace_back(100 * next(), 60 * next());
    const PointSet set = setOf(xy);
    const DRect clip(-5, -5, 105, 65);
    const auto polygons = pointPolygons(set, clip);
    ASSERT_NE(polygons, nullptr);
    ASSERT_EQ(polygons->size(), xy.size());
    double total = 0;
    for (std::size_t k = 0; k < xy.size(); ++k) {
        const Line& cell = polygons->lines()[k];
        total += cell.area();
        EXPECT_TRUE(cell.contains(xy[k].first, xy[k].second)) << "point " << k;
        for (const LinePoint& corner : cell.points()) {
            const double own = std::hypot(corner.x - xy[k].first, corner.y - xy[k].second);
            for (const auto& [x, y] : xy) {
                ASSERT_LE(own, std::hypot(corner.x - x, corner.y - y) + 1e-9) << "point " << k;
            }
        }
    }
    EXPECT_NEAR(total, 110.0 * 70.0, 1e-8);
}

}  // namespace
}  // namespace gridova
