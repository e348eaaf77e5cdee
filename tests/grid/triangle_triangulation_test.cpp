// Our triangulation interface: numbering from 1, the corner order, the
// first of several points at one location, and inputs that give no
// triangle. The triangulation itself is checked against scipy's in
// triangle_method_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "grid/triangulation.h"

namespace gridova {
namespace {

TEST(Triangulate, NumberingOrderAndSpecialPoints) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case {
        const char* what;
        std::vector<double> xy;
        std::vector<std::int32_t> corners;
    };
    const Case cases[] = {
        // The square (0, 0)-(2, 2) with its centre (point 5): the fan of
        // four triangles, each counter-clockwise from its smallest number,
        // sorted.
        {"square and centre", {0, 0, 2, 0, 2, 2, 0, 2, 1, 1}, {1, 2, 5, 1, 5, 4, 2, 3, 5, 3, 4, 5}},
        // The same places in another order, (2, 2) and (0, 0) given twice:
        // the first of each pair is the vertex, the second (4 and 7) is
        // used by no triangle.
        {"repeated points",
         {2, 2, 0, 0, 2, 0, 2, 2, 0, 2, 1, 1, 0, 0},
         {1, 5, 6, 1, 6, 3, 2, 3, 6, 2, 6, 5}},
        // Points with a coordinate that is not a number take no part.
        {"not finite", {0, 0, nan, 1, 1, 0, inf, 0, 0, 1}, {1, 3, 5}},
        {"on one line", {0, 0, 1, 1, 2, 2, 3, 3, -1, -1}, {}},
        {"one place", {1, 1, 1, 1, 1, 1, 1, 1}, {}},
        {"two points", {0, 0, 1, 0}, {}},
        {"nothing", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(triangulate(c.xy), c.corners);
    }
}

}  // namespace
}  // namespace gridova
