// Colour bands: properties of the nested band polygons on random and
// crafted grids, the outer limits of the scale, nesting of islands.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <random>
#include <vector>

#include "contour/band_builder.h"
#include "grid/eq_net.h"

namespace gridova {
namespace {

// A grid of nx × ny nodes with unit steps (uneven when asked), the values of
// f, the outer frame outside the area.
std::unique_ptr<EqNet> makeGrid(int nx, int ny, const std::function<double(int, int)>& f,
                                bool uneven = false) {
    auto grid = std::make_unique<EqNet>();
    std::vector<double> sx(static_cast<std::size_t>(nx - 1), 1.0),
        sy(static_cast<std::size_t>(ny - 1), 1.0);
    if (uneven) {
        for (std::size_t k = 0; k < sx.size(); ++k) sx[k] = 0.5 + 0.37 * static_cast<double>(k % 3);
        for (std::size_t k = 0; k < sy.size(); ++k) sy[k] = 0.8 + 0.21 * static_cast<double>(k % 4);
    }
    grid->setSteps(sx, sy);
    std::vector<double> v(static_cast<std::size_t>(nx * ny));
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) v[static_cast<std::size_t>(i + j * nx)] = f(i, j);
    }
    grid->SetValues(v);
    grid->computeMask(nullptr);
    for (std::size_t n = 0; n < v.size(); ++n) {
        if (grid->mask()[n] == kMaskOutside) grid->values()[n] = kBlankValue;
    }
    grid->computeRange();
    return grid;
}

// The innermost polygon of the tree holding the point, and its band (from
// its fill colour, the palette entry −1 − band); −1 when none holds it.
int innermostBand(const Bush& group, double x, double y) {
    for (std::size_t c = 0; c < group.childCount(); ++c) {
        const Bush& child = group.child(c);
        const Line* polygon = child.item(0).line();
        if (polygon != nullptr && polygon->contains(x, y)) {
            const int deeper = innermostBand(child, x, y);
            return deeper >= 0 ? deeper : -1 - polygon->style.fillColor;
        }
    }
    return -1;
}

// Σ over polygons of their area less the areas of their direct children.
double coveredArea(const Bush& group) {
    double sum = 0;
    for (std::size_t c = 0; c < group.childCount(); ++c) {
        const Bush& child = group.child(c);
        double area = child.item(0).line()->area();
        for (std::size_t g = 0; g < child.childCount(); ++g) {
            area -= child.child(g).item(0).line()->area();
        }
        sum += area + coveredArea(child);
    }
    return sum;
}

double insideArea(const EqNet& grid) {
    double area = 0;
    const int nx = grid.nx(), ny = grid.ny();
    for (int j = 0; j + 1 < ny; ++j) {
        for (int i = 0; i + 1 < nx; ++i) {
            const int n = i + j * nx;
            if (grid.mask()[static_cast<std::size_t>(n)] == 0 ||
                grid.mask()[static_cast<std::size_t>(n + 1)] == 0 ||
                grid.mask()[static_cast<std::size_t>(n + nx)] == 0 ||
                grid.mask()[static_cast<std::size_t>(n + nx + 1)] == 0) {
                continue;
            }
            area += grid.stepX()[static_cast<std::size_t>(i)] *
                    grid.stepY()[static_cast<std::size_t>(j)];
        }
    }
    return area;
}

struct GridCase {
    const char* what;
    double offset, scale;
    bool uneven;
};

TEST(ColourBands, EveryInsideNodeLiesInItsBandAndTheBandsTileTheArea) {
    const GridCase cases[] = {
        {"plain", 0, 10, false},
        {"negative range", -500, 3, false},
        {"uneven steps", 0, 100, true},
        {"around 1e12", 1e12, 1e3, false},
    };
    std::mt19937 random(12345);
    for (const GridCase& c : cases) {
        for (int trial = 0; trial < 25; ++trial) {
            SCOPED_TRACE(std::string(c.what) + " trial " + std::to_string(trial));
            const int nx = 6 + static_cast<int>(random() % 25),
                      ny = 6 + static_cast<int>(random() % 25);
            std::uniform_real_distribution<double> u(0, 1);
            const double fx = 0.2 + u(random), fy = 0.2 + u(random), noise = u(random);
            std::vector<double> jitter(static_cast<std::size_t>(nx * ny));
            for (double& r : jitter) r = u(random);
            const auto grid = makeGrid(
                nx, ny,
                [&](int i, int j) {
                    return c.offset +
                           c.scale * (std::sin(fx * i) * std::cos(fy * j) +
                                      noise * jitter[static_cast<std::size_t>(i + j * nx)]);
                },
                c.uneven);
            // Levels at random inside the range, so that saddles and narrow
            // bands occur.
            std::vector<double> levels;
            const int count = 1 + static_cast<int>(random() % 8);
            for (int k = 0; k < count; ++k) {
                levels.push_back(grid->minValue() +
                                 u(random) * (grid->maxValue() - grid->minValue()));
            }
            ASSERT_TRUE(
                grid->colorScale.setFromIsolineLevels(levels, grid->minValue(), grid->maxValue()));
            const auto limits = bandLimits(grid->colorScale.boundaries());
            const std::unique_ptr<Bush> bands = buildBands(*grid);
            ASSERT_NE(bands, nullptr);

            for (int j = 1; j + 1 < ny - 1; ++j) {
                for (int i = 1; i + 1 < nx - 1; ++i) {
                    // Nodes whose four cells are inside (not on the border).
                    if (i < 2 || j < 2 || i > nx - 3 || j > ny - 3) continue;
                    const double v = grid->value(i, j);
                    const auto [x, y] = grid->nodeXY(i + j * nx);
                    const int band = innermostBand(*bands, x, y);
                    ASSERT_GE(band, 0) << "node " << i << "," << j << " = " << v;
                    EXPECT_GT(v, limits[static_cast<std::size_t>(band)].first) << i << "," << j;
                    EXPECT_LE(v, limits[static_cast<std::size_t>(band)].second) << i << "," << j;
                }
            }
            const double area = insideArea(*grid);
            EXPECT_NEAR(coveredArea(*bands), area, 1e-9 * area);
        }
    }
}

TEST(ColourBands, OuterLimitsTakeInTheExtremesAtAnyMagnitude) {
    const auto small = bandLimits({0, 1, 2});
    ASSERT_EQ(small.size(), 2u);
    EXPECT_EQ(small[0].first, -1e-6);
    EXPECT_EQ(small[0].second, 1);
    EXPECT_EQ(small[1].second, 2 + 1e-6);
    // 1e-6 vanishes in 1e12: the next representable numbers are taken.
    const auto large = bandLimits({1e12, 1.5e12, 2e12});
    EXPECT_LT(large[0].first, 1e12);
    EXPECT_GT(large[1].second, 2e12);

    // The minimum node of a 1e12 grid is coloured by the lowest band.
    const auto grid = makeGrid(9, 9, [](int i, int j) { return i == 4 && j == 4 ? 2e12 : 1e12; });
    ASSERT_TRUE(
        grid->colorScale.setFromIsolineLevels({1.5e12}, grid->minValue(), grid->maxValue()));
    const auto bands = buildBands(*grid);
    const auto [x, y] = grid->nodeXY(3 + 3 * 9);
    EXPECT_EQ(innermostBand(*bands, x, y), 0);
    const auto [px, py] = grid->nodeXY(4 + 4 * 9);
    EXPECT_EQ(innermostBand(*bands, px, py), 1);
}

TEST(ColourBands, AHighIslandNestsInsideItsBand) {
    const auto grid = makeGrid(12, 12, [](int i, int j) {
        return (i >= 5 && i <= 6 && j >= 5 && j <= 6) ? 10.0 : 1.0 + 0.01 * i;
    });
    ASSERT_TRUE(grid->colorScale.setFromIsolineLevels({5}, grid->minValue(), grid->maxValue()));
    const auto bands = buildBands(*grid);
    ASSERT_EQ(bands->childCount(), 1u);
    const Bush& low = bands->child(0);
    EXPECT_EQ(low.item(0).line()->style.fillColor, -1);
    ASSERT_EQ(low.childCount(), 1u);
    const Line* island = low.child(0).item(0).line();
    EXPECT_EQ(island->style.fillColor, -2);
    EXPECT_TRUE(island->isClosed());
    // The island's boundary crosses each edge at level 5: between x = 4
    // (value 1.04) and x = 5 (10), at 4 + (5 − 1.04) / 8.96.
    const DRect& box = island->extent();
    EXPECT_NEAR(box.minX, 4 + (5 - 1.04) / (10 - 1.04), 1e-12);
}

TEST(ColourBands, ABandWithoutValuesGivesNoPolygon) {
    const auto grid = makeGrid(10, 10, [](int i, int j) { return i + j; });
    // Boundaries beyond the values: the bands above 100 hold nothing.
    grid->colorScale.setFromIsolineLevels({5, 100, 200}, grid->minValue(), grid->maxValue());
    const auto limits = bandLimits(grid->colorScale.boundaries());
    for (std::size_t k = 0; k < limits.size(); ++k) {
        const BandBoundaries b = traceBand(*grid, limits[k].first, limits[k].second);
        if (limits[k].first >= 100) {
            EXPECT_TRUE(b.outer.empty()) << k;
        }
    }
    EXPECT_TRUE(traceBand(*grid, 100, 200).outer.empty());
    EXPECT_EQ(traceBand(*grid, -1, 100).outer.size(), 1u);
}

TEST(ColourBands, NoValuesNoBands) {
    EqNet empty;
    EXPECT_EQ(buildBands(empty), nullptr);
}

}  // namespace
}  // namespace gridova
