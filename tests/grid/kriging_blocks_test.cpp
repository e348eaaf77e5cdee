// The blocks of block kriging and the numpy reference of the estimates.
#include "grid/kriging.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "data/point_set.h"
#include "grid/eq_net.h"
#include "grid/interpolation_driver.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/progress.h"
#include "tests/common/test_env.h"
#include "tests/grid/kriging_fixtures.h"

namespace gridova {
namespace {

using testing::Engine;
using testing::kSection;
using testing::makeSet;
using testing::profileText;
using testing::squareGrid;
using testing::storeParameters;
using testing::uniformPoints;
using testing::XYV;

TEST(KrigingBlocksLayout, CoresWindowsAndWidening) {
    using Block = KrigingBlocks::Block;
    const double far = KrigingBlocks::kOutside;
    struct Case {
        const char* name;
        std::vector<XYV> points;  // the first ones; filled up to `count` by `fill`
        int count;
        XYV fillLo, fillHi;  // the rest uniform in this rectangle
        int r, k;
        Block expected;
    };
    const Case cases[] = {
        // 240 points over [0, 9]²: 3 × 3 blocks of 3 × 3.
        {"middle block",
         {{0, 0, 0}, {9, 9, 0}},
         240,
         {0, 0, 0},
         {9, 9, 0},
         1,
         1,
         {{0, 0, 9, 9}, {3, 3, 6, 6}, 9 * std::sqrt(2.0), 0}},
        {"first block reaches out to -1e30",
         {{0, 0, 0}, {9, 9, 0}},
         240,
         {0, 0, 0},
         {9, 9, 0},
         0,
         0,
         {{-far, -far, 6, 6}, {-far, -far, 3, 3}, 9 * std::sqrt(2.0), 0}},
        {"last column of the first row",
         {{0, 0, 0}, {9, 9, 0}},
         240,
         {0, 0, 0},
         {9, 9, 0},
         0,
         2,
         {{3, -far, far, 6}, {6, -far, far, 3}, 9 * std::sqrt(2.0), 0}},
        // 400 points over [0, 10]²: 5 × 5 blocks of 2 × 2. One point at the
        // origin, the others in [9, 10]²: the first window [-2, 4]² holds one
        // point and is widened three more times to [-8, 10]².
        {"widened three times",
         {{0, 0, 0}, {10, 10, 0}},
         400,
         {9, 9, 0},
         {10, 10, 0},
         0,
         0,
         {{-far, -far, 10, 10}, {-far, -far, 2, 2}, 18 * std::sqrt(2.0), 3}},
        {"an empty window widened once",
         {{0, 0, 0}, {10, 10, 0}},
         400,
         {9, 9, 0},
         {10, 10, 0},
         2,
         2,
         {{0, 0, 10, 10}, {4, 4, 6, 6}, 10 * std::sqrt(2.0), 1}},
        // Points on the corners of the window [2, 8]² count (ends inclusive).
        {"points on the window's corners",
         {{0, 0, 0}, {10, 10, 0}, {2, 2, 0}, {8, 8, 0}},
         400,
         {9.5, 9.5, 0},
         {10, 10, 0},
         2,
         2,
         {{2, 2, 8, 8}, {4, 4, 6, 6}, 6 * std::sqrt(2.0), 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<double> x, y;
        for (const XYV& p : c.points) {
            x.push_back(p.x);
            y.push_back(p.y);
        }
        std::mt19937_64 rng(5);
        std::uniform_real_distribution<double> ux(c.fillLo.x, c.fillHi.x),
            uy(c.fillLo.y, c.fillHi.y);
        while (static_cast<int>(x.size()) < c.count) {
            x.push_back(ux(rng));
            y.push_back(uy(rng));
        }
        KrigingBlocks layout;
        ASSERT_TRUE(layout.build(c.count, x.data(), y.data()));
        const Block b = layout.block(c.r, c.k);
        EXPECT_EQ(b.core.x0, c.expected.core.x0);
        EXPECT_EQ(b.core.y0, c.expected.core.y0);
        EXPECT_EQ(b.core.x1, c.expected.core.x1);
        EXPECT_EQ(b.core.y1, c.expected.core.y1);
        EXPECT_EQ(b.window.x0, c.expected.window.x0);
        EXPECT_EQ(b.window.y0, c.expected.window.y0);
        EXPECT_EQ(b.window.x1, c.expected.window.x1);
        EXPECT_EQ(b.window.y1, c.expected.window.y1);
        EXPECT_NEAR(b.diagonal, c.expected.diagonal, 1e-12);
        EXPECT_EQ(b.widenings, c.expected.widenings);
    }
}

TEST(KrigingBlocksLayout, WindowCountsAndPointsAreExact) {
    // Points on a lattice of 0.25 and random ones; windows with ends on
    // lattice lines, random ends and ends far outside, against a plain count.
    std::vector<double> x, y;
    for (int i = 0; i <= 40; ++i) {
        for (int j = 0; j <= 40; j += 4) {
            x.push_back(i * 0.25);
            y.push_back(j * 0.25);
        }
    }
    std::mt19937_64 rng(9);
    std::uniform_real_distribution<double> u(0.0, 10.0);
    while (x.size() < 3000) {
        x.push_back(u(rng));
        y.push_back(u(rng));
    }
    const int n = static_cast<int>(x.size());
    KrigingBlocks layout;
    ASSERT_TRUE(layout.build(n, x.data(), y.data()));
    std::uniform_int_distribution<int> lattice(-4, 44);
    std::uniform_real_distribution<double> any(-1.0, 11.0);
    std::vector<std::int32_t> listed;
    for (int t = 0; t < 3000; ++t) {
        double a, b, c, d;
        if (t % 3 == 0) {
            a = lattice(rng) * 0.25, b = lattice(rng) * 0.25;
            c = lattice(rng) * 0.25, d = lattice(rng) * 0.25;
        } else if (t % 3 == 1) {
            a = any(rng), b = any(rng), c = any(rng), d = any(rng);
        } else {
            a = -1e30, b = any(rng), c = any(rng), d = 1e30;
        }
        const KrigingRect w{std::min(a, c), std::min(b, d), std::max(a, c), std::max(b, d)};
        std::vector<std::int32_t> plain;
        for (int k = 0; k < n; ++k) {
            if (w.contains(x[static_cast<std::size_t>(k)], y[static_cast<std::size_t>(k)])) {
                plain.push_back(k);
            }
        }
        ASSERT_EQ(layout.countIn(w), static_cast<int>(plain.size()))
            << w.x0 << " " << w.y0 << " " << w.x1 << " " << w.y1;
        layout.pointsIn(w, listed);
        ASSERT_EQ(listed, plain);
    }
}

// ---------------------------------------------------------------------------
// The numpy reference (tests/grid/kriging_reference.py).

struct ReferenceCase {
    std::string name, method;
    int source = 0;
    std::int32_t model = 0;
    double range = 0, nugget = 0, sill = 0, origin = 0, step = 0;
    int nodes = 0;
    std::vector<XYV> points;
    int perSide = 0;
    struct BlockRow {
        int r, k;
        KrigingRect core, window;
        double diagonal;
        int count;
    };
    std::vector<BlockRow> blocks;
    std::vector<double> values;
};

std::vector<ReferenceCase> readReference() {
    std::ifstream in(std::string(GRIDOVA_SOURCE_DIR) +
                     "/tests/fixtures/grid/kriging_reference.txt");
    std::vector<ReferenceCase> cases;
    ReferenceCase c;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string key;
        s >> key;
        if (key.empty() || key[0] == '#') continue;
        if (key == "case") {
            c = ReferenceCase{};
            s >> c.name;
        } else if (key == "method") {
            s >> c.method;
        } else if (key == "source") {
            s >> c.source;
        } else if (key == "model") {
            s >> c.model;
        } else if (key == "range") {
            s >> c.range;
        } else if (key == "nugget") {
            s >> c.nugget;
        } else if (key == "sill") {
            s >> c.sill;
        } else if (key == "origin") {
            s >> c.origin;
        } else if (key == "step") {
            s >> c.step;
        } else if (key == "nodes") {
            s >> c.nodes;
        } else if (key == "points") {
            int n = 0;
            s >> n;
            for (int k = 0; k < n && std::getline(in, line); ++k) {
                std::istringstream p(line);
                XYV xyv{};
                p >> xyv.x >> xyv.y >> xyv.v;
                c.points.push_back(xyv);
            }
        } else if (key == "blocks") {
            s >> c.perSide;
        } else if (key == "block") {
            ReferenceCase::BlockRow b{};
            s >> b.r >> b.k >> b.core.x0 >> b.core.y0 >> b.core.x1 >> b.core.y1 >> b.window.x0 >>
                b.window.y0 >> b.window.x1 >> b.window.y1 >> b.diagonal >> b.count;
            c.blocks.push_back(b);
        } else if (key == "values") {
            std::string word;
            while (s >> word) c.values.push_back(std::strtod(word.c_str(), nullptr));
        } else if (key == "end") {
            cases.push_back(c);
        }
    }
    return cases;
}

TEST(KrigingReference, AgreesWithNumpySolvedPerNode) {
    const auto cases = readReference();
    ASSERT_EQ(cases.size(), 6u);
    for (const ReferenceCase& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.values.size(), static_cast<std::size_t>(c.nodes * c.nodes));
        removeProfileSection(kSection);
        if (c.source == 2) storeParameters(c.model, c.range, c.nugget, c.sill);
        const PointSet set = makeSet(c.points);
        auto grid = squareGrid(c.origin, c.step, c.nodes);
        ASSERT_EQ(runKriging(*grid, set, nullptr, c.method == "block", KrigingSettings::load()), 0);
        int inside = 0;
        for (int j = 0; j < c.nodes; ++j) {
            for (int i = 0; i < c.nodes; ++i) {
                ASSERT_EQ(grid->nodeX()[i], c.origin + c.step * i);
                const std::size_t node = static_cast<std::size_t>(i + j * c.nodes);
                if (grid->mask()[node] == kMaskOutside) {
                    EXPECT_EQ(grid->values()[node], kBlankValue);
                    continue;
                }
                ++inside;
                const double expected = c.values[node];
                EXPECT_NEAR(grid->values()[node], expected, 1e-9 * std::fabs(expected))
                    << "node " << i << " " << j;
            }
        }
        EXPECT_EQ(inside, (c.nodes - 2) * (c.nodes - 2));
    }
}

TEST(KrigingReference, BlocksAgreeWithTheReferenceLayout) {
    for (const ReferenceCase& c : readReference()) {
        if (c.method != "block") continue;
        SCOPED_TRACE(c.name);
        std::vector<double> x, y;
        for (const XYV& p : c.points) {
            x.push_back(p.x);
            y.push_back(p.y);
        }
        KrigingBlocks layout;
        ASSERT_TRUE(layout.build(static_cast<int>(x.size()), x.data(), y.data()));
        ASSERT_EQ(layout.perSide(), c.perSide);
        ASSERT_EQ(c.blocks.size(), static_cast<std::size_t>(c.perSide * c.perSide));
        for (const auto& row : c.blocks) {
            SCOPED_TRACE(::testing::Message() << "block " << row.r << " " << row.k);
            const KrigingBlocks::Block b = layout.block(row.r, row.k);
            EXPECT_EQ(b.core.x0, row.core.x0);
            EXPECT_EQ(b.core.y0, row.core.y0);
            EXPECT_EQ(b.core.x1, row.core.x1);
            EXPECT_EQ(b.core.y1, row.core.y1);
            EXPECT_EQ(b.window.x0, row.window.x0);
            EXPECT_EQ(b.window.y0, row.window.y0);
            EXPECT_EQ(b.window.x1, row.window.x1);
            EXPECT_EQ(b.window.y1, row.window.y1);
            EXPECT_NEAR(b.diagonal, row.diagonal, 1e-14 * row.diagonal);
            EXPECT_EQ(layout.countIn(b.window), row.count);
        }
    }
}

}  // namespace
}  // namespace gridova
