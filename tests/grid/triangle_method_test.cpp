// The triangle network: triangulation against scipy's, rasterising, method 1
// through the driver, the border vertices, cancelling, the network file and
// the driver's path for a triangle set read from a file.
#include "grid/triangle_method.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "data/point_set.h"
#include "data/triangles_file.h"
#include "grid/interpolation_driver.h"
#include "grid/triangulation.h"
#include "objects/line_list.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using Triple = std::array<std::int32_t, 3>;

// A grid of nx × ny nodes, `step` apart, the lowest-left node at (x0, y0).
std::unique_ptr<EqNet> regularGrid(double x0, double y0, double step, int nx, int ny) {
    auto grid = std::make_unique<EqNet>();
    grid->setSteps(std::vector<double>(static_cast<std::size_t>(nx - 1), step),
                   std::vector<double>(static_cast<std::size_t>(ny - 1), step));
    grid->shift(x0, y0);
    return grid;
}

// The triangles as sorted triples, in sorted order: the same set whatever
// the numbering direction and order.
std::set<Triple> asSortedTriples(const std::vector<std::int32_t>& corners) {
    std::set<Triple> triples;
    for (std::size_t k = 0; k + 2 < corners.size(); k += 3) {
        Triple t{corners[k], corners[k + 1], corners[k + 2]};
        std::sort(t.begin(), t.end());
        triples.insert(t);
    }
    return triples;
}

// --- scipy's triangulation and linear interpolation --------------------------
// tests/fixtures/grid/triangles_scipy.txt, made by tests/grid/triangles_reference.py.

struct ScipyReference {
    struct Node {
        int i, j;
        bool inside;
        double value;
    };
    PointSet points;
    double x0 = 0, y0 = 0, step = 0;
    int nx = 0, ny = 0;
    std::set<Triple> triangles;
    std::vector<Node> nodes;
};

ScipyReference loadScipyReference() {
    std::ifstream file(GRIDOVA_SOURCE_DIR "/tests/fixtures/grid/triangles_scipy.txt");
    std::stringstream body;
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line[0] != '#') body << line << '\n';
    }
    ScipyReference r;
    std::string word;
    std::size_t count = 0;
    body >> word >> count;
    EXPECT_EQ(word, "points");
    for (std::size_t k = 0; k < count; ++k) {
        double x, y, v;
        body >> x >> y >> v;
        r.points.addPoint(x, y, v);
    }
    body >> word >> r.x0 >> r.y0 >> r.step >> r.nx >> r.ny;
    EXPECT_EQ(word, "grid");
    body >> word >> count;
    EXPECT_EQ(word, "triangles");
    for (std::size_t k = 0; k < count; ++k) {
        Triple t;
        body >> t[0] >> t[1] >> t[2];
        r.triangles.insert(t);
    }
    body >> word >> count;
    EXPECT_EQ(word, "nodes");
    for (std::size_t k = 0; k < count; ++k) {
        ScipyReference::Node n{};
        std::string value;
        body >> n.i >> n.j >> value;
        n.inside = value != "out";
        n.value = n.inside ? std::stod(value) : 0.0;
        r.nodes.push_back(n);
    }
    EXPECT_TRUE(body.good());
    r.points.computeStatistics();
    return r;
}

TEST(TriangleReference, TrianglesAreScipysDelaunayTriangles) {
    const ScipyReference ref = loadScipyReference();
    ASSERT_EQ(ref.points.size(), 40u);
    ASSERT_FALSE(ref.triangles.empty());
    TriangleNetwork network;
    const int count =
        triangulatePoints({&ref.points, nullptr, {}}, true, BorderVertices::None, network);
    EXPECT_EQ(count, static_cast<int>(ref.triangles.size()));
    EXPECT_EQ(asSortedTriples(network.corners), ref.triangles);
}

// Method 1 run directly and through the driver: nodes inside the hull
// carry scipy's linear interpolation, nodes outside are blank.
TEST(TriangleReference, NodesMatchScipysLinearInterpolation) {
    const ScipyReference ref = loadScipyReference();
    ASSERT_GT(ref.nodes.size(), 1000u);
    for (const bool throughDriver : {false, true}) {
        SCOPED_TRACE(throughDriver ? "driver" : "method");
        auto grid = regularGrid(ref.x0, ref.y0, ref.step, ref.nx, ref.ny);
        if (throughDriver) {
            grid->method = InterpolationMethod::Triangles;
            DriverInputs in;
            in.points = &ref.points;
            ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, {}), 0);
            EXPECT_TRUE(grid->hasValues());
        } else {
            ASSERT_EQ(runTriangleMethod(*grid, &ref.points, nullptr), 0);
        }
        int inside = 0;
        double lo = 1e300, hi = -1e300;
        for (const auto& n : ref.nodes) {
            SCOPED_TRACE(::testing::Message() << "node " << n.i << ", " << n.j);
            const std::size_t k = static_cast<std::size_t>(n.i + n.j * ref.nx);
            if (n.inside) {
                ++inside;
                EXPECT_EQ(grid->mask()[k], kMaskInside);
                EXPECT_NEAR(grid->values()[k], n.value, 1e-12);
                lo = std::min(lo, n.value);
                hi = std::max(hi, n.value);
            } else {
                EXPECT_EQ(grid->mask()[k], kMaskOutside);
                EXPECT_EQ(grid->values()[k], kBlankValue);
            }
        }
        EXPECT_GT(inside, 500);
        // The range covers the inside nodes, the few near the hull included.
        EXPECT_LE(grid->minValue(), lo + 1e-12);
        EXPECT_GE(grid->maxValue(), hi - 1e-12);
        EXPECT_GT(grid->minValue(), lo - 1.0);
        EXPECT_LT(grid->maxValue(), hi + 1.0);
    }
}

// The same network onto nodes of uneven steps, checked node by node with
// barycentric coordinates over every triangle: a node inside a triangle
// (by more than 1e-9 of its coordinates) has that triangle's plane value, a
// node outside them all is blank.
TEST(TriangleReference, UnevenStepsMatchBarycentricInterpolation) {
    const ScipyReference ref = loadScipyReference();
    TriangleNetwork network;
    ASSERT_GT(triangulatePoints({&ref.points, nullptr, {}}, true, BorderVertices::None, network),
              0);
    std::vector<double> stepsX, stepsY;
    for (int k = 0; k < 60; ++k) stepsX.push_back(0.02 + 0.37 * ((k * 7) % 11) / 10.0);
    for (int k = 0; k < 50; ++k) stepsY.push_back(0.05 + 0.31 * ((k * 5) % 9) / 8.0);
    auto grid = std::make_unique<EqNet>();
    grid->setSteps(stepsX, stepsY);
    grid->shift(-1.3, -0.7);
    ASSERT_GT(grid->nodeX().back(), 10.0);
    ASSERT_GT(grid->nodeY().back(), 8.0);
    grid->computeMask(nullptr);
    grid->allocateValues(kBlankValue);
    ASSERT_EQ(rasterise(*grid, network), 0);

    int inside = 0, outside = 0;
    for (int j = 1; j + 1 < grid->ny(); ++j) {
        for (int i = 1; i + 1 < grid->nx(); ++i) {
            const double x = grid->nodeX()[static_cast<std::size_t>(i)];
            const double y = grid->nodeY()[static_cast<std::size_t>(j)];
            SCOPED_TRACE(::testing::Message() << "node " << x << ", " << y);
            bool near = false;
            std::optional<double> value;
            for (std::size_t t = 0; t < network.corners.size(); t += 3) {
                double px[3], py[3], pv[3];
                for (std::size_t c = 0; c < 3; ++c) {
                    const std::size_t k = static_cast<std::size_t>(network.corners[t + c] - 1);
                    px[c] = network.xy[2 * k];
                    py[c] = network.xy[2 * k + 1];
                    pv[c] = network.values[k];
                }
                const double d =
                    (py[1] - py[2]) * (px[0] - px[2]) + (px[2] - px[1]) * (py[0] - py[2]);
                const double l0 =
                    ((py[1] - py[2]) * (x - px[2]) + (px[2] - px[1]) * (y - py[2])) / d;
                const double l1 =
                    ((py[2] - py[0]) * (x - px[2]) + (px[0] - px[2]) * (y - py[2])) / d;
                const double l2 = 1 - l0 - l1;
                const double least = std::min({l0, l1, l2});
                if (least > 1e-9) value = l0 * pv[0] + l1 * pv[1] + l2 * pv[2];
                if (std::fabs(least) <= 1e-9) near = true;
            }
            const std::int32_t mask = grid->mask()[static_cast<std::size_t>(i + j * grid->nx())];
            if (value) {
                ++inside;
                EXPECT_EQ(mask, kMaskInside);
                EXPECT_NEAR(grid->value(i, j), *value, 1e-9);
            } else if (!near) {
                ++outside;
                EXPECT_EQ(mask, kMaskOutside);
                EXPECT_EQ(grid->value(i, j), kBlankValue);
            }
        }
    }
    EXPECT_GT(inside, 1000);
    EXPECT_GT(outside, 300);
}

// --- Rasterising hand-made networks ---------------------------------------------

// Nodes at -1, 0, 1, 2, 3 both ways; the frame (-1 and 3) is outside after
// the mask is computed, so the nodes 0..2 are the ones to fill.
std::unique_ptr<EqNet> smallGrid() {
    auto grid = regularGrid(-1, -1, 1, 5, 5);
    grid->computeMask(nullptr);
    grid->allocateValues(kBlankValue);
    return grid;
}

double nodeValue(const EqNet& grid, double x, double y) {
    return grid.value(grid.nearestColumn(x), grid.nearestRow(y));
}

std::int32_t nodeMask(const EqNet& grid, double x, double y) {
    return grid
        .mask()[static_cast<std::size_t>(grid.nearestColumn(x) + grid.nearestRow(y) * grid.nx())];
}

// The square (0, 0)-(2, 2) split along its diagonal y = x. The triangle
// below the diagonal has value 0 everywhere (vertices 1-3), the one above
// value 10 (vertices 4-6, at the same places as 1 and 3): the nodes on the
// shared diagonal show which triangle filled them.
TriangleNetwork splitSquare(bool lowerFirst) {
    TriangleNetwork n;
    n.xy = {0, 0, 2, 0, 2, 2, 0, 0, 2, 2, 0, 2};
    n.values = {0, 0, 0, 10, 10, 10};
    const Triple lower{1, 2, 3}, upper{4, 5, 6};
    for (const Triple& t : lowerFirst ? std::array{lower, upper} : std::array{upper, lower}) {
        n.corners.insert(n.corners.end(), t.begin(), t.end());
    }
    return n;
}

TEST(Rasterise, FirstTriangleDecidesOnASharedEdge) {
    for (const bool lowerFirst : {true, false}) {
        SCOPED_TRACE(lowerFirst ? "lower first" : "upper first");
        auto grid = smallGrid();
        EXPECT_EQ(rasterise(*grid, splitSquare(lowerFirst)), 0);
        const double diagonal = lowerFirst ? 0.0 : 10.0;
        for (int y = 0; y <= 2; ++y) {
            for (int x = 0; x <= 2; ++x) {
                SCOPED_TRACE(::testing::Message() << "node " << x << ", " << y);
                EXPECT_EQ(nodeMask(*grid, x, y), kMaskInside);
                EXPECT_EQ(nodeValue(*grid, x, y), x > y ? 0.0 : x < y ? 10.0 : diagonal);
            }
        }
        // The frame stays outside.
        EXPECT_EQ(nodeMask(*grid, -1, 1), kMaskOutside);
        EXPECT_EQ(nodeMask(*grid, 3, 3), kMaskOutside);
        EXPECT_EQ(grid->minValue(), 0.0);
        EXPECT_EQ(grid->maxValue(), 10.0);
    }
}

TEST(Rasterise, PlaneThroughTheCornersAndWhatCoversNothing) {
    struct Case {
        const char* what;
        TriangleNetwork network;
        // Expected values at the nodes (x, y) for x, y = 0..2, row y = 0
        // first; NAN for a node left blank.
        std::array<double, 9> expected;
    };
    const double b = NAN;
    const Case cases[] = {
        // v = 1 + 2x + 3y through (0, 0), (2, 0), (0, 2), corners in any
        // order: the nodes on and below x + y = 2.
        {"plane, corners unsorted",
         {{2, 0, 0, 2, 0, 0}, {5, 7, 1}, {1, 2, 3}},
         {1, 3, 5, 4, 6, b, 7, b, b}},
        // A horizontal lower edge: only the upper half exists.
        {"flat bottom", {{0, 0, 2, 0, 1, 2}, {0, 2, 4}, {1, 2, 3}}, {0, 1, 2, b, 2.5, b, b, 4, b}},
        // Corners on one line cover nothing (nodes on the line stay blank,
        // they do not become 0).
        {"corners on one line",
         {{0, 0, 1, 1, 2, 2}, {5, 6, 7}, {1, 2, 3}},
         {b, b, b, b, b, b, b, b, b}},
        // A corner number outside the vertices: the triangle is skipped.
        {"corner out of range",
         {{0, 0, 2, 0, 0, 2}, {1, 1, 1}, {1, 2, 4}},
         {b, b, b, b, b, b, b, b, b}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto grid = smallGrid();
        rasterise(*grid, c.network);
        for (int y = 0; y <= 2; ++y) {
            for (int x = 0; x <= 2; ++x) {
                SCOPED_TRACE(::testing::Message() << "node " << x << ", " << y);
                const double e = c.expected[static_cast<std::size_t>(x + 3 * y)];
                if (std::isnan(e)) {
                    EXPECT_EQ(nodeMask(*grid, x, y), kMaskOutside);
                } else {
                    EXPECT_EQ(nodeMask(*grid, x, y), kMaskInside);
                    EXPECT_DOUBLE_EQ(nodeValue(*grid, x, y), e);
                }
            }
        }
    }
}

// --- Method 1 --------------------------------------------------------------------

DataPoint withoutValue(double x, double y) {
    DataPoint p;
    p.x = x;
    p.y = y;
    return p;
}

PointSet pointSet(std::initializer_list<std::array<double, 3>> xyv) {
    PointSet s;
    for (const auto& p : xyv) s.addPoint(p[0], p[1], p[2]);
    s.computeStatistics();
    return s;
}

TEST(TriangleMethod, TooFewVerticesOrPointsOnOneLine) {
    struct Case {
        const char* what;
        PointSet points;
        int result;  // of runTriangleMethod
    };
    PointSet oneWithValue = pointSet({{1, 1, 5}});
    oneWithValue.addExisting(withoutValue(0, 0));  // no value: does not count
    const Case cases[] = {
        {"one point with a value", oneWithValue, -1},
        {"three points on one line", pointSet({{0, 0, 1}, {1, 1, 2}, {2, 2, 3}}), 0},
        {"two points", pointSet({{0, 0, 1}, {2, 2, 3}}), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto grid = regularGrid(-1, -1, 0.5, 9, 9);
        grid->allocateValues(42.0);
        EXPECT_EQ(runTriangleMethod(*grid, &c.points, nullptr), c.result);
        if (c.result < 0) {
            // Nothing was touched.
            EXPECT_FALSE(grid->hasMask());
            EXPECT_EQ(grid->values()[0], 42.0);
        } else {
            // No triangle: every node blank.
            EXPECT_TRUE(std::all_of(grid->values().begin(), grid->values().end(),
                                    [](double v) { return v == kBlankValue; }));
            EXPECT_TRUE(std::all_of(grid->mask().begin(), grid->mask().end(),
                                    [](std::int32_t m) { return m == kMaskOutside; }));
        }
    }
}

// One data point of value 10 in the middle of the square border
// (0, 0)-(10, 10) with border value 0: the four border corners join the
// triangulation, which is the fan of four triangles around the point, a
// pyramid: v = 10 (1 - max(|x - 5|, |y - 5|) / 5). Without the border value
// the point is alone and nothing is computed.
TEST(TriangleMethod, BorderValueEntersThroughTheBorderVertices) {
    const PointSet centre = pointSet({{5, 5, 10}});
    LineList border;
    border.add(Line({{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}}));
    for (const bool enabled : {true, false}) {
        SCOPED_TRACE(enabled ? "border value 0" : "no border value");
        auto grid = regularGrid(-1, -1, 1, 13, 13);
        grid->method = InterpolationMethod::Triangles;
        DriverInputs in;
        in.points = &centre;
        in.border = &border;
        if (enabled) in.borderValue = OptionalValue(0.0);
        const int result = InterpolationDriver::interpolate(grid.get(), in, {});
        if (!enabled) {
            EXPECT_EQ(result, -1);
            EXPECT_FALSE(grid->hasValues());
            continue;
        }
        ASSERT_EQ(result, 0);
        int inside = 0;
        for (int j = 0; j < grid->ny(); ++j) {
            for (int i = 0; i < grid->nx(); ++i) {
                const std::size_t k = static_cast<std::size_t>(i + j * grid->nx());
                const double x = grid->nodeX()[static_cast<std::size_t>(i)];
                const double y = grid->nodeY()[static_cast<std::size_t>(j)];
                SCOPED_TRACE(::testing::Message() << "node " << x << ", " << y);
                if (grid->mask()[k] == kMaskOutside) {
                    EXPECT_EQ(grid->values()[k], kBlankValue);
                    continue;
                }
                ++inside;
                const double expected =
                    10.0 * (1.0 - std::max(std::fabs(x - 5), std::fabs(y - 5)) / 5);
                EXPECT_NEAR(grid->values()[k], expected, 1e-12);
            }
        }
        // The nodes strictly inside the border at least.
        EXPECT_GE(inside, 81);
        EXPECT_EQ(grid->maxValue(), 10.0);
    }
}

TEST(TriangleMethod, DuplicatePointsKeepTheFirst) {
    // v = 1 + x / 4 + y / 2 through the first three points; the fourth lies
    // on the first with another value and must change nothing.
    const PointSet set = pointSet({{0, 0, 1}, {4, 0, 2}, {0, 4, 3}, {0, 0, 100}});
    auto grid = regularGrid(-1, -1, 1, 7, 7);
    ASSERT_EQ(runTriangleMethod(*grid, &set, nullptr), 0);
    for (const auto& [x, y] : {std::pair{0.0, 0.0}, {1.0, 1.0}, {2.0, 1.0}, {1.0, 3.0}}) {
        SCOPED_TRACE(::testing::Message() << "node " << x << ", " << y);
        EXPECT_EQ(nodeMask(*grid, x, y), kMaskInside);
        EXPECT_DOUBLE_EQ(nodeValue(*grid, x, y), 1 + x / 4 + y / 2);
    }
}

double gNow = 0;
double oneSecondPerCall() { return gNow += 1.0; }

TEST(TriangleMethod, CancelKeepsTheTrianglesFilledSoFar) {
    // 700 points give well over 1000 triangles, so the scope is active.
    PointSet set;
    std::uint64_t s = 12345;
    const auto next = [&s] {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(s >> 11) * 0x1.0p-53;
    };
    for (int k = 0; k < 700; ++k) set.addPoint(100 * next(), 100 * next(), next());
    set.computeStatistics();
    auto full = regularGrid(-1, -1, 0.5, 205, 205);
    ASSERT_EQ(runTriangleMethod(*full, &set, nullptr), 0);

    messageLog().reset();
    gNow = 0;
    unattendedProgressUi().setClock(&oneSecondPerCall);
    unattendedProgressUi().requestCancel();
    auto stopped = regularGrid(-1, -1, 0.5, 205, 205);
    EXPECT_EQ(runTriangleMethod(*stopped, &set, nullptr), 0);
    unattendedProgressUi().clearCancel();
    unattendedProgressUi().setClock(nullptr);

    const auto lines = messageLog().lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), text(418)), lines.end());
    std::size_t filled = 0, filledFull = 0;
    for (std::size_t k = 0; k < full->values().size(); ++k) {
        filledFull += full->mask()[k] == kMaskInside;
        if (stopped->mask()[k] == kMaskOutside) {
            EXPECT_EQ(stopped->values()[k], kBlankValue);
            continue;
        }
        ++filled;
        EXPECT_EQ(stopped->mask()[k], kMaskInside);
        EXPECT_EQ(stopped->values()[k], full->values()[k]);
    }
    EXPECT_GT(filled, 0u);
    EXPECT_LT(filled, filledFull);
}

// --- The network file --------------------------------------------------------------

TEST(NetworkFile, LayoutOfASmallNetwork) {
    // The point without value takes no part; the triangle runs
    // counter-clockwise from its smallest vertex number, counted from 1.
    PointSet set = pointSet({{0, 1, 0.1}, {0, 0, 1}});
    set.addExisting(withoutValue(5, 5));
    set.addPoint(1, 0, 2.5);
    ASSERT_TRUE(writeNetworkFile({&set, nullptr, {}}, "net.txt"));
    EXPECT_EQ(testing::readFile("net.txt"),
              "VERTICES: 3\n0, 1, 0.1\n0, 0, 1\n1, 0, 2.5\nTRIANGLES: 1\n1, 2, 3\n");
}

TEST(NetworkFile, WrittenNetworkReadsBackTheSame) {
    PointSet set;
    std::uint64_t s = 99;
    const auto next = [&s] {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(s >> 11) * 0x1.0p-53;
    };
    for (int k = 0; k < 50; ++k) set.addPoint(1e5 * next(), 1e5 * next(), next() / 3);
    set.addExisting(withoutValue(5, 5));
    LineList border;
    border.add(Line({{-1, -1}, {2e5, -1}, {2e5, 2e5}, {-1, -1}}));
    const NetworkSource source{&set, &border, {0, 7.25}};

    TriangleNetwork expected;
    ASSERT_GT(triangulatePoints(source, true, BorderVertices::Always, expected), 0);
    // The border is given whether its value is enabled or not.
    ASSERT_EQ(expected.vertexCount(), 50 + 4);
    EXPECT_EQ(expected.values.back(), 7.25);

    ASSERT_TRUE(writeNetworkFile(source, "net.txt"));
    TriangleNetwork read;
    ASSERT_EQ(readTriangles("net.txt", read), 0);
    EXPECT_EQ(read.xy, expected.xy);
    EXPECT_EQ(read.values, expected.values);
    EXPECT_EQ(read.corners, expected.corners);
}

class ChosenPath final : public FileChooser {
public:
    std::optional<std::string> choose(bool forOpen, const std::string& ext,
                                      const std::string&) override {
        asked = (forOpen ? "open " : "save ") + ext;
        return path;
    }
    std::optional<std::string> path;
    std::string asked;
};

TEST(NetworkFile, AsksForATextFile) {
    const PointSet set = pointSet({{0, 0, 1}, {1, 0, 2}, {0, 1, 3}});
    ChosenPath chooser;
    setFileChooser(&chooser);
    EXPECT_FALSE(writeNetwork({&set, nullptr, {}}));  // cancelled
    EXPECT_EQ(chooser.asked, "save txt");
    chooser.path = (testing::testDir() / "chosen.txt").string();
    EXPECT_TRUE(writeNetwork({&set, nullptr, {}}));
    setFileChooser(nullptr);
    TriangleNetwork read;
    ASSERT_EQ(readTriangles(*chooser.path, read), 0);
    EXPECT_EQ(read.triangleCount(), 1);
}

// --- A triangle set read from a file (data kind 4) ----------------------------------

TEST(TriangleSet, DriverRasterisesTheSetsOwnTriangles) {
    // Two triangles over (0, 0)-(2, 1) of v = x + 2y; a third vertex pair
    // makes a triangle the Delaunay triangulation would not make: its own
    // triangles are used as they stand.
    TriangleNetwork set;
    set.xy = {0, 0, 2, 0, 2, 1, 0, 1};
    set.values = {0, 2, 4, 2};
    set.corners = {1, 2, 3, 1, 3, 4};
    const PointSet vertices = pointSet({{0, 0, 0}, {2, 0, 2}, {2, 1, 4}, {0, 1, 2}});
    auto grid = regularGrid(-1, -1, 0.5, 9, 7);
    DriverInputs in;
    in.dataKind = DataKind::Triangles;
    in.points = &vertices;
    in.triangles = &set;
    grid->method = InterpolationMethod::InverseDistance;  // not used for a set
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, {}), 0);
    EXPECT_TRUE(grid->hasValues());
    for (int j = 0; j < grid->ny(); ++j) {
        for (int i = 0; i < grid->nx(); ++i) {
            const double x = grid->nodeX()[static_cast<std::size_t>(i)];
            const double y = grid->nodeY()[static_cast<std::size_t>(j)];
            SCOPED_TRACE(::testing::Message() << "node " << x << ", " << y);
            const bool covered = x >= 0 && x <= 2 && y >= 0 && y <= 1;
            EXPECT_EQ(grid->value(i, j), covered ? x + 2 * y : kBlankValue);
        }
    }
    EXPECT_EQ(grid->minValue(), 0.0);
    EXPECT_EQ(grid->maxValue(), 4.0);

    // Map type 7 keeps the values the grid has.
    grid->values()[static_cast<std::size_t>(4 + 3 * 9)] = 123.0;
    in.keepValues = true;
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, {}), 0);
    EXPECT_EQ(grid->value(4, 3), 123.0);
}

}  // namespace
}  // namespace gridova
