// The area inside the border polygons on the 1000 × 1000 raster, and the
// node filter.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "grid/eq_net.h"
#include "grid/polygon_region.h"

namespace gridova {
namespace {

LineList polygons(const std::vector<std::vector<LinePoint>>& rings) {
    LineList list;
    for (const auto& ring : rings) {
        Line line(ring);
        line.close();
        list.add(std::move(line));
    }
    return list;
}

// Plain even-odd test of a point against closed rings (independent of the
// raster): the number of rings holding it, odd for each ring by itself.
bool insideAnyRing(const std::vector<std::vector<LinePoint>>& rings, double x, double y) {
    for (const auto& ring : rings) {
        bool in = false;
        for (std::size_t k = 0, m = ring.size() - 1; k < ring.size(); m = k++) {
            const LinePoint a = ring[k], b = ring[m];
            if ((a.y > y) != (b.y > y) && x < a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y)) in = !in;
        }
        if (in) return true;
    }
    return false;
}

TEST(PolygonRegion, RasterAnswersOfASquareWorkedByHand) {
    // The square 0..10 maps onto 0..1000 both ways (Y downward): pixel
    // columns and rows 0..999 are filled, the right column and the bottom
    // row (1000) are not, as the polygon regions of the screen do.
    const PolygonRegion region(polygons({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}}));
    EXPECT_EQ(region.mapX(0), 0);
    EXPECT_EQ(region.mapX(10), 1000);
    EXPECT_EQ(region.mapY(10), 0);
    EXPECT_EQ(region.mapY(0), 1000);
    EXPECT_EQ(region.mapX(2.34567), 234);  // truncated
    EXPECT_EQ(region.mapX(-500), PolygonRegion::kMinCoordinate);
    EXPECT_TRUE(region.containsPixel(0, 0));
    EXPECT_TRUE(region.containsPixel(999, 999));
    EXPECT_FALSE(region.containsPixel(1000, 500));
    EXPECT_FALSE(region.containsPixel(500, 1000));
    // Nodes: the left and top edges inside, the right and bottom ones not,
    // outside the bounding rectangle never.
    struct Case {
        double x, y;
        bool inside;
    };
    for (const Case c : {Case{0, 5, true}, Case{10, 5, false}, Case{5, 10, true}, Case{5, 0, false},
                         Case{5, 5, true}, Case{10.001, 5, false}, Case{-0.001, 5, false}}) {
        EXPECT_EQ(region.contains(c.x, c.y), c.inside) << c.x << "," << c.y;
    }
}

TEST(PolygonRegion, ConcaveUnionAndHoleAgainstAnEvenOddTest) {
    struct Shape {
        const char* what;
        std::vector<std::vector<LinePoint>> rings;
    };
    const Shape shapes[] = {
        {"concave", {{{0, 0}, {10, 0}, {10, 10}, {5, 3}, {0, 10}}}},
        {"two overlapping",
         {{{0, 0}, {6, 0}, {6, 6}, {0, 6}}, {{4, 4}, {10, 4}, {10, 10}, {4, 10}}}},
        {"one inside another",
         {{{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {{3, 3}, {7, 3}, {7, 7}, {3, 7}}}},
    };
    std::mt19937 random(7);
    std::uniform_real_distribution<double> u(0, 10);
    for (const Shape& s : shapes) {
        const PolygonRegion region(polygons(s.rings));
        int checked = 0;
        for (int k = 0; k < 4000; ++k) {
            const double x = u(random), y = u(random);
            // Away from the edges, where the raster may decide either way.
            bool nearEdge = false;
            for (const auto& ring : s.rings) {
                for (std::size_t a = 0; a < ring.size(); ++a) {
                    const LinePoint p = ring[a], q = ring[(a + 1) % ring.size()];
                    const double len = std::hypot(q.x - p.x, q.y - p.y);
                    const double d =
                        std::abs((q.x - p.x) * (p.y - y) - (p.x - x) * (q.y - p.y)) / len;
                    const double t =
                        ((x - p.x) * (q.x - p.x) + (y - p.y) * (q.y - p.y)) / (len * len);
                    if (d < 0.03 && t > -0.01 && t < 1.01) nearEdge = true;
                }
            }
            if (nearEdge) continue;
            ++checked;
            EXPECT_EQ(region.contains(x, y), insideAnyRing(s.rings, x, y))
                << s.what << " " << x << "," << y;
        }
        EXPECT_GT(checked, 3000) << s.what;
    }
    // The inner square of "one inside another" is inside: the union covers it.
    EXPECT_TRUE(PolygonRegion(polygons(shapes[2].rings)).contains(5, 5));
}

TEST(GridMask, BorderMaskThenTheEdges) {
    auto grid = EqNet::fromCounts(DRect(0, 0, 10, 10), 21, 21);
    LineList border = polygons({{{2, 2}, {8, 2}, {8, 8}, {2, 8}}});
    grid->computeMask(&border);
    for (std::int32_t j = 0; j < grid->ny(); ++j) {
        for (std::int32_t i = 0; i < grid->nx(); ++i) {
            const double x = grid->nodeX()[static_cast<std::size_t>(i)];
            const double y = grid->nodeY()[static_cast<std::size_t>(j)];
            const bool expected = x > 2.01 && x < 7.99 && y > 2.01 && y < 7.99;
            const bool far = x < 1.99 || x > 8.01 || y < 1.99 || y > 8.01;
            const std::int32_t m = grid->mask()[static_cast<std::size_t>(i + j * grid->nx())];
            if (expected) {
                EXPECT_NE(m, kMaskOutside) << x << "," << y;
            }
            if (far) {
                EXPECT_EQ(m, kMaskOutside) << x << "," << y;
            }
        }
    }
}

TEST(NodeFilter, SignsTable) {
    struct Case {
        std::int32_t sign;
        double value;
        std::vector<bool> stays;  // for the values 9, 10, 11
    };
    const Case cases[] = {
        {0, 10, {true, false, false}}, {1, 10, {true, true, false}},  {2, 10, {true, false, true}},
        {3, 10, {false, true, true}},  {4, 10, {false, false, true}}, {5, 10, {true, true, true}},
        {-1, 10, {true, true, true}},
    };
    for (const Case& c : cases) {
        auto grid = std::make_unique<EqNet>();
        grid->setSteps({1, 1}, {1});
        grid->SetValues({9, 10, 11, 9, 10, 11});
        grid->mask().assign(6, kMaskInside);
        grid->filterOn = 1;
        grid->filterSign = c.sign;
        grid->filterValue = c.value;
        grid->applyNodeFilter();
        for (std::size_t k = 0; k < 3; ++k) {
            EXPECT_EQ(grid->mask()[k] != kMaskOutside, c.stays[k])
                << "sign " << c.sign << " node " << k;
        }
    }
    // Off: nothing changes.
    auto grid = std::make_unique<EqNet>();
    grid->setSteps({1}, {1});
    grid->SetValues({1, 2, 3, 4});
    grid->mask().assign(4, kMaskInside);
    grid->filterSign = 4;
    grid->filterValue = 100;
    EXPECT_EQ(grid->applyNodeFilter(), 0);
}

}  // namespace
}  // namespace gridova
