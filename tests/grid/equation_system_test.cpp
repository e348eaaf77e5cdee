// The node equations and the three solvers against independent references:
// coefficients and small systems worked out by hand, and direct solutions by
// numpy (tests/grid/equation_system_reference.py, stored in
// tests/fixtures/grid/equation_system_reference.txt).
#include "grid/equation_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "grid/large_grid_solver.h"
#include "grid/line_relaxation_solver.h"
#include "grid/relaxation_solver.h"
#include "platform/message_log.h"

namespace gridova {
namespace {

constexpr double kBlank = -1e30;

// Node lines from an origin and steps.
struct TestGrid {
    std::vector<double> stepX, stepY, nodeX, nodeY;

    TestGrid(double x0, std::vector<double> sx, double y0, std::vector<double> sy)
        : stepX(std::move(sx)), stepY(std::move(sy)) {
        nodeX.push_back(x0);
        for (double s : stepX) nodeX.push_back(nodeX.back() + s);
        nodeY.push_back(y0);
        for (double s : stepY) nodeY.push_back(nodeY.back() + s);
    }
    static TestGrid uniform(int nx, int ny, double step = 1.0) {
        return TestGrid(0.0, std::vector<double>(static_cast<std::size_t>(nx - 1), step), 0.0,
                        std::vector<double>(static_cast<std::size_t>(ny - 1), step));
    }
    int nx() const { return static_cast<int>(nodeX.size()); }
    int ny() const { return static_cast<int>(nodeY.size()); }
    std::size_t count() const { return nodeX.size() * nodeY.size(); }
    GridLayout layout() const {
        return {nx(), ny(), stepX.data(), stepY.data(), nodeX.data(), nodeY.data()};
    }
};

struct Points {
    std::vector<double> x, y, v;
    DataValues values() const { return {x, y, v}; }
    double low() const { return *std::min_element(v.begin(), v.end()); }
    double high() const { return *std::max_element(v.begin(), v.end()); }
    double mid() const { return (low() + high()) / 2.0; }
};

// --- the three solvers as the grid runs them -------------------------------

enum class Method { Point, Line, LargeGrid };

const char* name(Method m) {
    switch (m) {
        case Method::Point:
            return "point relaxation";
        case Method::Line:
            return "line relaxation";
        case Method::LargeGrid:
            return "large-grid object";
    }
    return "";
}

// Start values of method 0: blank, then the data mid-point inside.
std::vector<double> startValues(const std::vector<std::int32_t>& mask, double mid) {
    std::vector<double> u(mask.size(), kBlank);
    for (std::size_t n = 0; n < mask.size(); ++n)
        if (mask[n] != 0) u[n] = mid;
    return u;
}

// Runs one solver to the given precision; the mask is changed as the run
// changes it. The point and line forms start inside at `start` (by default
// the data mid-point, as the grid does). The large-grid object ignores the
// mask, the border value and `start`.
std::vector<double> solveWith(Method method, const TestGrid& g, const Points& p,
                              std::vector<std::int32_t>& mask, std::optional<double> border,
                              double precision, std::optional<double> start = std::nullopt) {
    constexpr std::int32_t kLimit = 100000;
    const GridLayout grid = g.layout();
    std::vector<double> u = startValues(mask, start.value_or(p.mid()));
    switch (method) {
        case Method::Point: {
            PointSystem s;
            applyBorderValue(border, mask, u);
            EXPECT_EQ(buildPointSystem(grid, mask, border.has_value(), s), kSystemBuilt);
            EXPECT_EQ(fixDataPoints(grid, p.values(), u, mask, s), static_cast<int>(p.v.size()));
            const auto r = RelaxationSolver({precision, kLimit, 1.83}).relax(g.nx(), g.ny(), s, u);
            EXPECT_LT(r.lastIterations, kLimit);
            break;
        }
        case Method::Line: {
            LineSystem s;
            EXPECT_EQ(buildLineSystem(grid, mask, border.has_value(), s), kSystemBuilt);
            EXPECT_EQ(fixDataPoints(grid, p.values(), u, mask, s), static_cast<int>(p.v.size()));
            applyBorderValue(border, mask, u, s);
            const LineRelaxationSolver solver(kLimit,
                                              scaledPrecision(precision, p.low(), p.high()));
            EXPECT_EQ(solver.solve(g.nx(), g.ny(), s, u).errorCode, 0);
            break;
        }
        case Method::LargeGrid: {
            LargeGridSolver large;
            EXPECT_EQ(large.setGrid(g.nx(), g.nodeX.data(), g.ny(), g.nodeY.data()), 0);
            EXPECT_EQ(
                large.setData(static_cast<int>(p.v.size()), p.x.data(), p.y.data(), p.v.data()),
                static_cast<int>(p.v.size()));
            large.setPrecision(precision);
            large.setMaxIterations(kLimit);
            EXPECT_EQ(large.solve(), 0);
            u = large.values();
            break;
        }
    }
    return u;
}

// --- the numpy reference ----------------------------------------------------

struct ReferenceCase {
    std::string name;
    std::optional<TestGrid> grid;
    std::optional<double> border;
    Points points;
    std::vector<std::int32_t> area;  // the mask before edge marking
    std::vector<std::int32_t> mask;  // after edge marking
    std::vector<double> solution;    // NaN where no equation holds
};

std::vector<ReferenceCase> readReference() {
    std::ifstream in(std::string(GRIDOVA_SOURCE_DIR) +
                     "/tests/fixtures/grid/equation_system_reference.txt");
    std::vector<ReferenceCase> cases;
    std::string line;
    ReferenceCase c;
    double x0 = 0, y0 = 0;
    std::vector<double> sx, sy;
    auto numbers = [](std::istringstream& s) {
        std::vector<double> out;
        std::string word;
        while (s >> word) out.push_back(std::strtod(word.c_str(), nullptr));
        return out;
    };
    while (std::getline(in, line)) {
        std::istringstream s(line);
        std::string key;
        s >> key;
        if (key.empty() || key[0] == '#') continue;
        if (key == "case") {
            c = ReferenceCase{};
            s >> c.name;
        } else if (key == "origin") {
            s >> x0 >> y0;
        } else if (key == "stepX") {
            sx = numbers(s);
        } else if (key == "stepY") {
            sy = numbers(s);
        } else if (key == "border") {
            std::string v;
            s >> v;
            if (v != "none") c.border = std::stod(v);
        } else if (key == "points") {
            int n = 0;
            s >> n;
            for (int k = 0; k < n && std::getline(in, line); ++k) {
                std::istringstream p(line);
                double x, y, v;
                p >> x >> y >> v;
                c.points.x.push_back(x);
                c.points.y.push_back(y);
                c.points.v.push_back(v);
            }
        } else if (key == "area" || key == "mask") {
            auto& target = key == "area" ? c.area : c.mask;
            for (double v : numbers(s)) target.push_back(static_cast<std::int32_t>(v));
        } else if (key == "solution") {
            c.solution = numbers(s);
        } else if (key == "end") {
            c.grid.emplace(x0, sx, y0, sy);
            cases.push_back(c);
        }
    }
    return cases;
}

TEST(EquationSystemReference, FixtureIsComplete) {
    const auto cases = readReference();
    ASSERT_EQ(cases.size(), 3u);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(c.grid);
        EXPECT_EQ(c.mask.size(), c.grid->count());
        EXPECT_EQ(c.area.size(), c.grid->count());
        EXPECT_EQ(c.solution.size(), c.grid->count());
    }
}

// Edge marking against the script's own marking of the same area.
TEST(EquationSystemReference, EdgeMarkingMatchesReference) {
    for (const auto& c : readReference()) {
        SCOPED_TRACE(c.name);
        if (c.name == "all_inside") continue;  // that mask is used without edge marking
        std::vector<std::int32_t> mask = c.area;
        markEdgeNodes(c.grid->nx(), c.grid->ny(), mask);
        EXPECT_EQ(mask, c.mask);
    }
}

// Every solver against the direct solution, on every node that has an
// equation (the large-grid object solves the whole rectangle, so only the
// case without an area applies to it).
TEST(EquationSystemReference, SolversAgreeWithDirectSolution) {
    constexpr double kPrecision = 1e-9;
    constexpr double kTolerance = 1e-6;
    for (const auto& c : readReference()) {
        for (Method m : {Method::Point, Method::Line, Method::LargeGrid}) {
            if (m == Method::LargeGrid && c.name != "all_inside") continue;
            SCOPED_TRACE(c.name + " / " + name(m));
            std::vector<std::int32_t> mask = c.mask;
            const auto u = solveWith(m, *c.grid, c.points, mask, c.border, kPrecision);
            ASSERT_EQ(u.size(), c.solution.size());
            int compared = 0;
            for (std::size_t n = 0; n < u.size(); ++n) {
                if (std::isnan(c.solution[n])) continue;
                EXPECT_NEAR(u[n], c.solution[n], kTolerance) << "node " << n;
                ++compared;
            }
            EXPECT_GT(compared, 20);
        }
    }
}

// --- small systems worked out by hand ---------------------------------------

// Columns at 0, 1, 3 and rows at 0, 1, 4: h = 3, so the centre's weights are
// west 3/1, east 3/2, south 3/1, north 3/3, and with W = 4, E = 10, S = 2,
// N = 7 it is (12 + 15 + 6 + 7) / 8.5 = 80 / 17. The corners, which are
// no neighbours of the centre, must not matter.
TEST(EquationSystemSolvers, CentreOfHandSolvedSystem) {
    const TestGrid g(0.0, {1.0, 2.0}, 0.0, {1.0, 3.0});
    Points p;
    const double xy[8][3] = {{0, 0, 100}, {1, 0, 2}, {3, 0, -50}, {0, 1, 4},
                             {3, 1, 10},  {0, 4, 3}, {1, 4, 7},   {3, 4, 9}};
    for (const auto& q : xy) {
        p.x.push_back(q[0]);
        p.y.push_back(q[1]);
        p.v.push_back(q[2]);
    }
    for (Method m : {Method::Point, Method::Line, Method::LargeGrid}) {
        SCOPED_TRACE(name(m));
        std::vector<std::int32_t> mask(9, 1);
        const auto u = solveWith(m, g, p, mask, std::nullopt, 1e-12);
        EXPECT_NEAR(u[4], 80.0 / 17.0, 1e-9);
        EXPECT_EQ(u[0], 100.0);
        EXPECT_EQ(u[2], -50.0);
    }
}

// Columns at 0, 1, 3 in one row, data 0 and 3 at the ends: weights 2/1 and
// 2/2 give the middle (2 * 0 + 1 * 3) / 3 = 1, the linear interpolant.
TEST(EquationSystemSolvers, SingleRowInterpolatesLinearly) {
    const TestGrid g(0.0, {1.0, 2.0}, 0.0, {});
    const Points p{{0.0, 3.0}, {0.0, 0.0}, {0.0, 3.0}};
    for (Method m : {Method::Point, Method::Line, Method::LargeGrid}) {
        SCOPED_TRACE(name(m));
        std::vector<std::int32_t> mask(3, 1);
        const auto u = solveWith(m, g, p, mask, std::nullopt, 1e-12);
        EXPECT_NEAR(u[1], 1.0, 1e-9);
    }
}

// One data point: every node that is solved converges to its value, on
// ordinary grids and on grids one or two nodes wide or high.
TEST(EquationSystemSolvers, SingleDataPointFillsEveryNode) {
    struct Size {
        int nx, ny;
    };
    for (Size s : {Size{7, 6}, Size{1, 2}, Size{2, 1}, Size{2, 2}, Size{1, 5}, Size{5, 1},
                   Size{2, 5}, Size{5, 2}}) {
        const TestGrid g = TestGrid::uniform(s.nx, s.ny, 0.5);
        // The point lies nearest to the last node, inside the node range
        // (the large-grid object ignores points outside it).
        const double inX = s.nx > 1 ? 0.1 : 0.0, inY = s.ny > 1 ? 0.1 : 0.0;
        const Points p{{g.nodeX.back() - inX}, {g.nodeY.back() - inY}, {3.25}};
        for (Method m : {Method::Point, Method::Line, Method::LargeGrid}) {
            SCOPED_TRACE(std::to_string(s.nx) + " x " + std::to_string(s.ny) + " / " + name(m));
            std::vector<std::int32_t> mask(g.count(), 1);
            // Start away from the answer (the mid-point of one value is the
            // answer already, so the large-grid object only shows that such
            // grids run).
            const auto u = solveWith(m, g, p, mask, std::nullopt, 1e-10, -100.0);
            for (std::size_t n = 0; n < u.size(); ++n)
                EXPECT_NEAR(u[n], 3.25, 1e-8) << "node " << n;
        }
    }
}

// Two points nearest to one node fix it at their mean, in every form.
TEST(EquationSystemSolvers, TwoPointsOnOneNodeGiveTheirMean) {
    const TestGrid g = TestGrid::uniform(6, 5);
    const Points p{{2.1, 1.9, 4.0}, {2.2, 1.8, 1.0}, {5.0, 9.0, -3.0}};
    for (Method m : {Method::Point, Method::Line, Method::LargeGrid}) {
        SCOPED_TRACE(name(m));
        std::vector<std::int32_t> mask(g.count(), 1);
        const auto u = solveWith(m, g, p, mask, std::nullopt, 1e-9);
        const std::size_t node = 2 + 2 * 6;
        EXPECT_EQ(u[node], 7.0);
        EXPECT_EQ(u[4 + 1 * 6], -3.0);
        if (m != Method::LargeGrid) {
            EXPECT_EQ(mask[node], 4);
            EXPECT_EQ(mask[4 + 1 * 6], 4);
        }
    }
}

// With the border value every edge node holds it, and the inside lies
// between the border value and the data.
TEST(EquationSystemSolvers, BorderValueHoldsEveryEdgeNode) {
    const TestGrid g = TestGrid::uniform(8, 7);
    const Points p{{3.0}, {3.0}, {10.0}};
    for (Method m : {Method::Point, Method::Line}) {
        SCOPED_TRACE(name(m));
        std::vector<std::int32_t> mask(g.count(), 1);
        markEdgeNodes(g.nx(), g.ny(), mask);
        const auto edges = mask;
        const auto u = solveWith(m, g, p, mask, -4.0, 1e-10);
        int edgeNodes = 0;
        for (std::size_t n = 0; n < u.size(); ++n) {
            if (edges[n] == 2) {
                EXPECT_EQ(u[n], -4.0) << "node " << n;
                ++edgeNodes;
            } else if (edges[n] == 1) {
                EXPECT_GT(u[n], -4.0) << "node " << n;
                EXPECT_LE(u[n], 10.0) << "node " << n;
            }
        }
        EXPECT_EQ(edgeNodes, 2 * (6 + 5) - 4);
    }
}

// --- coefficients -------------------------------------------------------------

// Columns at 0, 1, 1.5, 3.5 and rows at 0, 2, 2 (a zero step): h = 2. Node
// (3, 0) is outside, node (3, 1) an edge node.
class Coefficients : public ::testing::Test {
protected:
    const TestGrid g{0.0, {1.0, 0.5, 2.0}, 0.0, {2.0, 0.0}};
    std::vector<std::int32_t> mask{1, 1, 1, 0,  //
                                   1, 1, 1, 2,  //
                                   1, 1, 1, 1};
};

TEST_F(Coefficients, WorkedOutByHand) {
    struct Row {
        bool border;
        int i, j;
        double east, north, west, south;
    };
    constexpr double k0 = 2e10;  // h * 1e10 across the zero step
    const Row rows[] = {
        {false, 1, 1, 4.0, k0, 2.0, 1.0},   // d = 0.5, 0, 1, 2
        {false, 2, 0, 0.0, 1.0, 4.0, 0.0},  // east neighbour outside
        {false, 0, 2, 2.0, 0.0, 0.0, k0},   // corner: no north, no west
        {false, 3, 1, 0.0, k0, 1.0, 0.0},   // edge node, south outside
        {true, 3, 1, 0.0, 0.0, 0.0, 0.0},   // fixed edge node: not computed
        {true, 2, 1, 1.0, k0, 4.0, 1.0},    // an edge neighbour still counts
        {false, 3, 0, 0.0, 0.0, 0.0, 0.0},  // outside: not computed
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("node " + std::to_string(r.i) + "," + std::to_string(r.j) +
                     (r.border ? " with border value" : ""));
        PointSystem ps;
        LineSystem ls;
        ASSERT_EQ(buildPointSystem(g.layout(), mask, r.border, ps), kSystemBuilt);
        ASSERT_EQ(buildLineSystem(g.layout(), mask, r.border, ls), kSystemBuilt);
        const std::size_t n = static_cast<std::size_t>(r.i + r.j * 4);
        const double sum = r.east + r.north + r.west + r.south;
        for (const auto* s : {&ps.east, &ls.east}) EXPECT_DOUBLE_EQ((*s)[n], r.east);
        for (const auto* s : {&ps.north, &ls.north}) EXPECT_DOUBLE_EQ((*s)[n], r.north);
        for (const auto* s : {&ps.west, &ls.west}) EXPECT_DOUBLE_EQ((*s)[n], r.west);
        for (const auto* s : {&ps.south, &ls.south}) EXPECT_DOUBLE_EQ((*s)[n], r.south);
        if (sum > 0) {
            EXPECT_DOUBLE_EQ(ps.diag[n], 1.0 / sum);
            EXPECT_DOUBLE_EQ(ls.diag[n], -sum);
            EXPECT_EQ(ls.rhs[n], 0.0);
        } else {
            EXPECT_EQ(ps.diag[n], 0.0);
            EXPECT_EQ(ls.diag[n], -1.0);
            EXPECT_EQ(ls.rhs[n], -1.0);
        }
    }
}

// A node whose four neighbours are all outside has no coefficient at all:
// it is left out instead of dividing by zero.
TEST_F(Coefficients, NodeWithoutNeighboursIsNotComputed) {
    std::vector<std::int32_t> island(12, 0);
    island[5] = 2;
    PointSystem ps;
    LineSystem ls;
    ASSERT_EQ(buildPointSystem(g.layout(), island, false, ps), kSystemBuilt);
    ASSERT_EQ(buildLineSystem(g.layout(), island, false, ls), kSystemBuilt);
    EXPECT_EQ(ps.diag[5], 0.0);
    EXPECT_EQ(ls.diag[5], -1.0);
    EXPECT_EQ(ls.rhs[5], -1.0);
}

// A largest step that is not positive builds nothing.
TEST(EquationSystemBuild, FailsWithoutPositiveStep) {
    struct Case {
        const char* what;
        TestGrid grid;
    };
    const Case cases[] = {
        {"one node", TestGrid(0.0, {}, 0.0, {})},
        {"all steps zero", TestGrid(0.0, {0.0, 0.0}, 0.0, {0.0})},
        {"negative steps", TestGrid(0.0, {-1.0}, 0.0, {-2.0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::int32_t> mask(c.grid.count(), 1);
        PointSystem ps;
        ps.allocate(4);  // a stale system must not stay in use
        LineSystem ls;
        EXPECT_EQ(buildPointSystem(c.grid.layout(), mask, false, ps), kSystemNoStep);
        EXPECT_EQ(buildLineSystem(c.grid.layout(), mask, false, ls), kSystemNoStep);
        EXPECT_EQ(ps.size(), 0u);
        EXPECT_EQ(ls.size(), 0u);
    }
}

TEST(EquationSystemBuild, RefusesMaskOfWrongSize) {
    const TestGrid g = TestGrid::uniform(3, 3);
    const std::vector<std::int32_t> mask(8, 1);
    PointSystem ps;
    EXPECT_EQ(buildPointSystem(g.layout(), mask, false, ps), kSystemBadInput);
    EXPECT_EQ(ps.size(), 0u);
}

// --- data points and the border value ----------------------------------------

TEST(EquationSystemData, PointFormFixesDataNodes) {
    const TestGrid g = TestGrid::uniform(4, 4);
    std::vector<std::int32_t> mask(16, 1);
    markEdgeNodes(4, 4, mask);  // frame 0, the four inner nodes 2
    std::vector<double> u(16, 0.5);
    PointSystem ps;
    ASSERT_EQ(buildPointSystem(g.layout(), mask, false, ps), kSystemBuilt);
    // Three points on node (1, 1), one on node (2, 2), one on the frame.
    const Points p{{1.1, 0.9, 1.2, 2.0, 0.0}, {1.0, 1.3, 0.8, 2.2, 3.0}, {1, 2, 6, 8, 5}};
    EXPECT_EQ(fixDataPoints(g.layout(), p.values(), u, mask, ps), 5);
    for (std::size_t n : {5u, 10u, 12u}) {
        SCOPED_TRACE(n);
        EXPECT_EQ(mask[n], 4);
        EXPECT_EQ(ps.diag[n], 0.0);
        EXPECT_EQ(ps.east[n] + ps.north[n] + ps.west[n] + ps.south[n], 0.0);
    }
    EXPECT_EQ(u[5], 3.0);
    EXPECT_EQ(u[10], 8.0);
    EXPECT_EQ(u[12], 5.0);
    EXPECT_EQ(mask[6], 2);  // untouched
    EXPECT_GT(ps.diag[6], 0.0);
}

// In the line form a data point on an edge node marks it 6 while points are
// placed, and it returns to 2; the border value then takes that node over.
// The point form keeps the data there.
TEST(EquationSystemData, DataOnEdgeNodeWithBorderValue) {
    const TestGrid g = TestGrid::uniform(5, 5);
    std::vector<std::int32_t> mask(25, 1);
    markEdgeNodes(5, 5, mask);
    const std::size_t edge = 1 + 2 * 5;
    ASSERT_EQ(mask[edge], 2);
    const Points p{{1.0, 1.1}, {2.0, 2.0}, {7.0, 8.0}};

    std::vector<std::int32_t> lineMask = mask;
    std::vector<double> lu(25, 0.0);
    LineSystem ls;
    ASSERT_EQ(buildLineSystem(g.layout(), lineMask, true, ls), kSystemBuilt);
    EXPECT_EQ(fixDataPoints(g.layout(), p.values(), lu, lineMask, ls), 2);
    EXPECT_EQ(lineMask[edge], 2);
    EXPECT_EQ(lu[edge], 7.5);
    EXPECT_EQ(ls.rhs[edge], -7.5);
    applyBorderValue(1.5, lineMask, lu, ls);
    EXPECT_EQ(lu[edge], 1.5);
    EXPECT_EQ(ls.rhs[edge], -1.5);
    EXPECT_EQ(ls.diag[edge], -1.0);

    std::vector<std::int32_t> pointMask = mask;
    std::vector<double> pu(25, 0.0);
    applyBorderValue(1.5, pointMask, pu);
    PointSystem ps;
    ASSERT_EQ(buildPointSystem(g.layout(), pointMask, true, ps), kSystemBuilt);
    EXPECT_EQ(fixDataPoints(g.layout(), p.values(), pu, pointMask, ps), 2);
    EXPECT_EQ(pointMask[edge], 4);
    EXPECT_EQ(pu[edge], 7.5);
}

TEST(EquationSystemData, BorderValueOnlyWhenGiven) {
    const std::vector<std::int32_t> mask{0, 2, 1, 4, 2};
    std::vector<double> u{9, 9, 9, 9, 9};
    applyBorderValue(std::nullopt, mask, u);
    EXPECT_EQ(u, (std::vector<double>{9, 9, 9, 9, 9}));
    applyBorderValue(-2.0, mask, u);
    EXPECT_EQ(u, (std::vector<double>{9, -2, 9, 9, -2}));
}

TEST(EquationSystemData, MismatchedSizesPlaceNothing) {
    const TestGrid g = TestGrid::uniform(3, 3);
    std::vector<std::int32_t> mask(9, 1);
    std::vector<double> u(9, 0.0);
    PointSystem ps;
    ASSERT_EQ(buildPointSystem(g.layout(), mask, false, ps), kSystemBuilt);
    const std::vector<double> x{1.0, 2.0}, y{1.0}, v{1.0, 2.0};
    EXPECT_EQ(fixDataPoints(g.layout(), {x, y, v}, u, mask, ps), -1);
    EXPECT_EQ(mask, std::vector<std::int32_t>(9, 1));
}

// --- helpers of the grid model --------------------------------------------------

TEST(NearestIndex, BisectionRule) {
    const double nodes[] = {0.0, 1.0, 3.0, 3.5, 10.0};
    struct Case {
        double c;
        int expected;
    };
    const Case cases[] = {
        {-5.0, 0}, {0.0, 0},  {0.4, 0},  {0.5, 1},   // half-way goes to the higher node
        {2.0, 2},  {1.9, 1},  {3.25, 3}, {6.75, 4},  // ties again
        {6.7, 3},  {10.0, 4}, {99.0, 4},
    };
    for (const Case& c : cases) EXPECT_EQ(nearestIndex(nodes, 5, c.c), c.expected) << c.c;
    EXPECT_EQ(nearestIndex(nodes, 1, 7.0), 0);
    EXPECT_EQ(nearestIndex(nodes, 0, 7.0), -1);
    EXPECT_EQ(nearestIndex(nullptr, 3, 7.0), -1);
}

TEST(MarkEdgeNodes, ThreeByThreeLeavesTheCentreAsEdge) {
    std::vector<std::int32_t> mask(9, 1);
    markEdgeNodes(3, 3, mask);
    EXPECT_EQ(mask, (std::vector<std::int32_t>{0, 0, 0, 0, 2, 0, 0, 0, 0}));
    std::vector<std::int32_t> row(4, 1);
    markEdgeNodes(4, 1, row);
    EXPECT_EQ(row, std::vector<std::int32_t>(4, 0));
}

TEST(ScaledPrecision, DividesByDataMagnitude) {
    struct Case {
        double low, high, expected;
    };
    const Case cases[] = {
        {-200.0, 50.0, 1e-5 / 200.0}, {3.0, 400.0, 1e-5 / 400.0}, {0.0, 0.0, 1e-5},
        {-1e-22, 1e-22, 1e-5},  // too small to scale by
        {2e-21, 1e-22, 1e-5 / 2e-21},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(scaledPrecision(1e-5, c.low, c.high), c.expected)
            << c.low << " " << c.high;
}

TEST(EquationSystemMemory, FailedAllocationWarnsAndFreesTheSystem) {
    PointSystem ps;
    EXPECT_FALSE(ps.allocate(std::numeric_limits<std::size_t>::max() / 64));
    EXPECT_EQ(ps.size(), 0u);
    EXPECT_EQ(ps.east.size(), 0u);
    const auto lines = messageLog().lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find(" Not enought memory"), std::string::npos);
}

}  // namespace
}  // namespace gridova
