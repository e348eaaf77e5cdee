// Isoline tracing. Small grids are drawn as text (top row first, as on a
// map) and their lines worked out by hand from linear interpolation along the
// edges; larger grids are checked against contourpy's crossings (a stored
// fixture, see tests/contour/make_isoline_reference.py) and against
// properties every isoline map has, which the checks below derive from the
// grid alone.
#include "contour/isoline_tracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <compare>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "grid/eq_net.h"

namespace gridova {
namespace {

using P = LinePoint;
using Points = std::vector<P>;

constexpr double kHandTolerance = 1e-12;
constexpr double kReferenceTolerance = 1e-12;

// --- Drawn grids ---------------------------------------------------------------

// A grid drawn as text: one line per row, the top row first, values separated
// by spaces; "." is a node outside the area (mask 0, the blank value). Steps
// are 1 unless given (then nx − 1 and ny − 1 of them).
std::unique_ptr<EqNet> drawnGrid(std::string_view picture, std::vector<double> stepsX = {},
                                 std::vector<double> stepsY = {}) {
    std::vector<std::vector<std::string>> rows;
    std::istringstream in{std::string(picture)};
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<std::string> row;
        for (std::string w; words >> w;) row.push_back(w);
        if (!row.empty()) rows.push_back(row);
    }
    std::reverse(rows.begin(), rows.end());  // row 0 is the lowest
    const std::size_t nx = rows.front().size(), ny = rows.size();
    if (stepsX.empty()) stepsX.assign(nx - 1, 1.0);
    if (stepsY.empty()) stepsY.assign(ny - 1, 1.0);
    auto grid = std::make_unique<EqNet>();
    grid->setSteps(stepsX, stepsY);
    std::vector<double> values;
    std::vector<std::int32_t> mask;
    bool anyOutside = false;
    for (const auto& row : rows) {
        EXPECT_EQ(row.size(), nx) << "ragged picture";
        for (const std::string& w : row) {
            const bool outside = w == ".";
            anyOutside = anyOutside || outside;
            values.push_back(outside ? kBlankValue : std::stod(w));
            mask.push_back(outside ? kMaskOutside : kMaskInside);
        }
    }
    EXPECT_EQ(grid->SetValues(values), 0);
    if (anyOutside) grid->mask() = mask;
    return grid;
}

// --- A sink that records --------------------------------------------------------

struct Traced {
    std::size_t level = 0;
    double value = 0.0;
    Points points;
};

class Recorder final : public IsolineSink {
public:
    void addLine(std::size_t levelIndex, Line line) override {
        lines.push_back({levelIndex, line.value, line.points()});
    }
    std::vector<Points> pointsOf(std::size_t level) const {
        std::vector<Points> out;
        for (const Traced& t : lines) {
            if (t.level == level) out.push_back(t.points);
        }
        return out;
    }
    std::vector<Traced> lines;
};

std::vector<Points> traceOne(const EqNet& grid, double level) {
    IsolineTracer tracer(grid);
    Recorder sink;
    EXPECT_EQ(tracer.traceLevel(level, 0, sink), 0);
    for (const Traced& t : sink.lines) EXPECT_EQ(t.value, level);
    return sink.pointsOf(0);
}

std::string describe(const std::vector<Points>& lines) {
    std::ostringstream s;
    s.precision(17);
    for (const Points& line : lines) {
        s << "  [";
        for (const P& p : line) s << " (" << p.x << ", " << p.y << ")";
        s << " ]\n";
    }
    return s.str();
}

// The same lines in the same order, each with the same points in the same
// order, within kHandTolerance.
void expectLines(const std::vector<Points>& actual, const std::vector<Points>& expected) {
    bool same = actual.size() == expected.size();
    for (std::size_t k = 0; same && k < actual.size(); ++k) {
        same = actual[k].size() == expected[k].size();
        for (std::size_t m = 0; same && m < actual[k].size(); ++m) {
            same = std::abs(actual[k][m].x - expected[k][m].x) <= kHandTolerance &&
                   std::abs(actual[k][m].y - expected[k][m].y) <= kHandTolerance;
        }
    }
    EXPECT_TRUE(same) << "traced:\n" << describe(actual) << "expected:\n" << describe(expected);
}

struct HandCase {
    const char* name;
    const char* picture;
    double level;
    std::vector<Points> lines;
    std::vector<double> stepsX = {};
    std::vector<double> stepsY = {};
};

void runHandCases(const std::vector<HandCase>& cases) {
    for (const HandCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto grid = drawnGrid(c.picture, c.stepsX, c.stepsY);
        expectLines(traceOne(*grid, c.level), c.lines);
    }
}

// A single node above the level: the crossing on each of its four edges lies
// (4 − 1) / 4 of the edge away from it.
const char* const kPeak =
    "0 0 0\n"
    "0 4 0\n"
    "0 0 0\n";

// Two peaks on a diagonal: the centre cell is a saddle with mean 2.
const char* const kTwoPeaks =
    "0 0 0 0\n"
    "0 0 4 0\n"
    "0 4 0 0\n"
    "0 0 0 0\n";

TEST(IsolineTracer, ClosedLinesRunCounterClockwiseRoundHighValues) {
    runHandCases({
        {"one high node: four points and the first again, counter-clockwise",
         kPeak,
         1.0,
         {{{1, 0.25}, {1.75, 1}, {1, 1.75}, {0.25, 1}, {1, 0.25}}}},
        {"one low node: clockwise, the higher values outside on the left",
         "4 4 4\n"
         "4 0 4\n"
         "4 4 4\n",
         1.0,
         // 3/4 of the way from the low node (0) to 4 lies 3.
         {{{1, 0.75}, {0.75, 1}, {1, 1.25}, {1.25, 1}, {1, 0.75}}},
         {},
         {}},
        // Nodes at X = 0, 2, 3 and Y = 0, 1, 4: each crossing lies 3/4 of its
        // edge away from the peak.
        {"steps of different lengths",
         kPeak,
         1.0,
         {{{2, 0.25}, {2.75, 1}, {2, 3.25}, {0.5, 1}, {2, 0.25}}},
         {2, 1},
         {1, 3}},
    });
}

TEST(IsolineTracer, OpenLinesRunFromGridEdgeToGridEdgeWithHigherValuesOnTheLeft) {
    runHandCases({
        {"rising eastward: the line runs south",
         "0 1 2\n"
         "0 1 2\n"
         "0 1 2\n",
         0.5,
         {{{0.5, 2}, {0.5, 1}, {0.5, 0}}}},
        {"rising westward: north",
         "2 1 0\n"
         "2 1 0\n"
         "2 1 0\n",
         0.5,
         {{{1.5, 0}, {1.5, 1}, {1.5, 2}}}},
        {"rising northward: east",
         "2 2 2\n"
         "1 1 1\n"
         "0 0 0\n",
         0.5,
         {{{0, 0.5}, {1, 0.5}, {2, 0.5}}}},
        {"rising southward: west",
         "0 0 0\n"
         "1 1 1\n"
         "2 2 2\n",
         0.5,
         {{{2, 1.5}, {1, 1.5}, {0, 1.5}}}},
        // No cells: every crossing is a line of its own.
        {"a single row", "0 2 0 2\n", 1.0, {{{0.5, 0}}, {{1.5, 0}}, {{2.5, 0}}}},
        {"a single column",
         "0\n"
         "2\n"
         "0\n",
         1.0,
         {{{0, 0.5}}, {{0, 1.5}}}},
    });
}

// A node equal to the level is not above it: lines pass through such nodes,
// and an edge between two of them is not crossed.
TEST(IsolineTracer, NodesEqualToTheLevelCountAsNotAbove) {
    runHandCases({
        {"a level equal to the peak: nothing is above", kPeak, 4.0, {}},
        {"a level equal to the ground round the peak: the line runs through the nodes",
         kPeak,
         0.0,
         {{{1, 0}, {2, 1}, {1, 2}, {0, 1}, {1, 0}}}},
        // The middle column equals the level; the high column is on the
        // west, so the line runs north along the middle column. (Starting on
        // a bottom edge whose east node equals the level, the line must not
        // be reversed.)
        {"the column equal to the level, higher values west",
         "2 1 0\n"
         "2 1 0\n"
         "2 1 0\n",
         1.0,
         {{{1, 0}, {1, 1}, {1, 2}}}},
        {"the column equal to the level, higher values east",
         "0 1 2\n"
         "0 1 2\n"
         "0 1 2\n",
         1.0,
         {{{1, 2}, {1, 1}, {1, 0}}}},
        {"the row equal to the level, higher values north",
         "2 2 2\n"
         "1 1 1\n"
         "0 0 0\n",
         1.0,
         {{{0, 1}, {1, 1}, {2, 1}}}},
        // The loop starts on the edge below the node equal to the level and
        // must still run clockwise round the low values; the three crossed
        // edges at that node all give the node itself.
        {"a pit whose first node equals the level",
         "4 4 4 4\n"
         "4 1 0 4\n"
         "4 4 4 4\n",
         1.0,
         {{{1, 1}, {1, 1}, {1, 1}, {2, 1.25}, {2.25, 1}, {2, 0.75}, {1, 1}}}},
    });
}

// Saddle cells: the corners on the side of the cell mean are joined through
// the centre, the other two are cut off. A mean equal to the level cuts off
// the corner of the entry edge that the rule is tested against: the edge's
// start node for open lines, the end on the traveller's right for closed
// lines.
TEST(IsolineTracer, SaddlesJoinTheCornersOnTheSideOfTheCellMean) {
    // One cell, high corners south-west and north-east, mean 1. The open
    // lines enter it through its left edge (start node: south-west corner).
    const char* const kHighSwNe =
        "0 2\n"
        "2 0\n";
    const char* const kLowSwNe =
        "2 0\n"
        "0 2\n";
    // Two columns, three rows: the upper cell is a saddle (mean 2) entered
    // through its bottom edge, whose start node (west) is low.
    const char* const kEnteredFromBelow =
        "4 0\n"
        "0 4\n"
        "0 4\n";
    runHandCases({
        {"mean above the level: the low corners are cut off",
         kHighSwNe,
         0.5,
         {{{0.25, 1}, {0, 0.75}}, {{0.75, 0}, {1, 0.25}}}},
        {"mean below the level: the high corners are cut off",
         kHighSwNe,
         1.5,
         {{{0.25, 0}, {0, 0.25}}, {{0.75, 1}, {1, 0.75}}}},
        {"mean equal to the level, high start node: the high corners are cut off",
         kHighSwNe,
         1.0,
         {{{0.5, 0}, {0, 0.5}}, {{0.5, 1}, {1, 0.5}}}},
        {"mean equal to the level, low start node: the low corners are cut off",
         kLowSwNe,
         1.0,
         {{{0, 0.5}, {0.5, 0}}, {{1, 0.5}, {0.5, 1}}}},
        // The start node is tested as high when it equals the level: the
        // mean (7/4) is on its side, so the other corner of the entry edge,
        // (0, 1), is cut off, and so is (1, 0); both lines pass through the
        // node (0, 0).
        {"mean above the level, start node equal to the level",
         "3 0\n"
         "1 3\n",
         1.0,
         {{{0, 0}, {2.0 / 3, 1}}, {{1, 2.0 / 3}, {0, 0}}}},
        {"entered from below, mean below the level: the high south-east corner is cut off",
         kEnteredFromBelow,
         3.0,
         {{{1, 1.25}, {0.75, 1}, {0.75, 0}}, {{0, 1.75}, {0.25, 2}}}},
        {"entered from below, mean above the level: the low south-west corner is cut off",
         kEnteredFromBelow,
         1.0,
         {{{0, 1.25}, {0.25, 1}, {0.25, 0}}, {{1, 1.75}, {0.75, 2}}}},
        {"entered from below, mean equal to the level: the low start node is cut off",
         kEnteredFromBelow,
         2.0,
         {{{0, 1.5}, {0.5, 1}, {0.5, 0}}, {{1, 1.5}, {0.5, 2}}}},
        // Closed lines: the loop starts under the left peak and enters the
        // saddle going north; the reference corner is the east end of the
        // entry edge, (2, 1).
        {"loop, mean above the level: one line round both peaks",
         kTwoPeaks,
         1.0,
         {{{1, 0.25},
           {1.75, 1},
           {2, 1.25},
           {2.75, 2},
           {2, 2.75},
           {1.25, 2},
           {1, 1.75},
           {0.25, 1},
           {1, 0.25}}}},
        {"loop, mean below the level: one line round each peak",
         kTwoPeaks,
         3.0,
         {{{1, 0.75}, {1.25, 1}, {1, 1.25}, {0.75, 1}, {1, 0.75}},
          {{2, 1.75}, {2.25, 2}, {2, 2.25}, {1.75, 2}, {2, 1.75}}}},
        {"loop, mean equal to the level, low reference corner: round both peaks",
         kTwoPeaks,
         2.0,
         {{{1, 0.5},
           {1.5, 1},
           {2, 1.5},
           {2.5, 2},
           {2, 2.5},
           {1.5, 2},
           {1, 1.5},
           {0.5, 1},
           {1, 0.5}}}},
        {"loop, mean equal to the level, high reference corner: round both pits, clockwise",
         "4 4 4 4\n"
         "4 4 0 4\n"
         "4 0 4 4\n"
         "4 4 4 4\n",
         2.0,
         {{{1, 0.5},
           {0.5, 1},
           {1, 1.5},
           {1.5, 2},
           {2, 2.5},
           {2.5, 2},
           {2, 1.5},
           {1.5, 1},
           {1, 0.5}}}},
    });
}

// Nodes outside the area act like the edge of the grid: no edge to them is
// crossed, and lines end in the cells before them.
TEST(IsolineTracer, LinesEndBeforeNodesOutsideTheArea) {
    runHandCases({
        {"a peak beside an outside node: the loop opens there",
         "0 0 0\n"
         "0 4 .\n"
         "0 0 0\n",
         1.0,
         {{{1, 1.75}, {0.25, 1}, {1, 0.25}}}},
        // Rising eastward, the line at 1.25 runs south and is cut in two by
        // the outside node (2, 2); the pieces end on the last rows whose
        // cells have all four corners inside.
        {"an outside node cuts a line in two",
         "0 1 2 3\n"
         "0 1 2 3\n"
         "0 1 . 3\n"
         "0 1 2 3\n"
         "0 1 2 3\n",
         1.25,
         {{{1.25, 1}, {1.25, 0}}, {{1.25, 4}, {1.25, 3}}}},
        {"the area's frame outside: the loop round the peak stays closed",
         ". . . . .\n"
         ". 0 0 0 .\n"
         ". 0 4 0 .\n"
         ". 0 0 0 .\n"
         ". . . . .\n",
         1.0,
         {{{2, 1.25}, {2.75, 2}, {2, 2.75}, {1.25, 2}, {2, 1.25}}}},
        {"a level crossing only edges to outside nodes gives no line",
         "0 0 0\n"
         "0 . 0\n"
         "0 0 0\n",
         -1.0,
         {}},
    });
}

// Node (0, 0) holds the ends of two open lines: V(0, 0) ends the line that
// cuts off (0, 1), H(0, 0) the one that cuts off (1, 0) (the saddle's mean
// 4 is above the level). The second line's other end, on H(0, 3), lies at a
// node whose V edge starts a line of its own. Testing each node only once
// would leave that line to the loop pass, which closes it with a chord.
TEST(IsolineTracer, ANodeHoldingTheEndsOfTwoOpenLinesStartsBoth) {
    runHandCases({
        {"saddle at the corner, outside node above it",
         "0 4 0 0\n"
         "4 0 0 0\n"
         "0 4 0 0\n"
         "0 . 4 0\n"
         "0 4 0 0\n"
         "12 0 4 0\n",
         3.0,
         {{{0.75, 1}, {0, 0.75}},
          {{0.75, 0},
           {1, 0.75},
           {1.25, 1},
           {2, 1.75},
           {2.25, 2},
           {2, 2.25},
           {1.25, 3},
           {1, 3.25},
           {0.75, 3}},
          {{2.25, 0}, {2, 0.25}, {1.75, 0}},
          {{0, 3.75}, {0.25, 4}, {0, 4.25}},
          {{0.75, 5}, {1, 4.75}, {1.25, 5}}}},
    });
}

TEST(IsolineTracer, LevelsOutsideTheValuesGiveNoLines) {
    const auto grid = drawnGrid(kTwoPeaks);
    for (const double level : {-1.0, 4.0, 5.0, 1e30}) {
        SCOPED_TRACE(level);
        EXPECT_TRUE(traceOne(*grid, level).empty());
    }
}

TEST(IsolineTracer, TracesLevelAfterLevelWithTheListIndices) {
    const auto grid = drawnGrid(kTwoPeaks);
    IsolineTracer tracer(*grid);
    ASSERT_TRUE(tracer.ready());
    Recorder sink;
    // The work arrays serve every level; the second 1.0 must not see what
    // the first left behind.
    const std::vector<double> levels = {1.0, 3.0, 9.0, 1.0};
    EXPECT_EQ(tracer.traceAll(levels, sink), 0);
    ASSERT_EQ(sink.pointsOf(0).size(), 1u);
    EXPECT_EQ(sink.pointsOf(1).size(), 2u);
    EXPECT_TRUE(sink.pointsOf(2).empty());
    expectLines(sink.pointsOf(3), sink.pointsOf(0));
    for (const Traced& t : sink.lines) EXPECT_EQ(t.value, levels[t.level]);

    Recorder single;
    EXPECT_EQ(tracer.traceLevel(3.0, 7, single), 0);
    EXPECT_EQ(single.pointsOf(7).size(), 2u);
}

TEST(IsolineTracer, GridWithoutValuesGivesNoLines) {
    EqNet grid;
    grid.setSteps({1, 1}, {1, 1});
    IsolineTracer tracer(grid);
    Recorder sink;
    EXPECT_EQ(tracer.traceAll(std::vector<double>{0.0, 1.0}, sink), 0);
    EXPECT_TRUE(sink.lines.empty());
}

TEST(IsolineEdgePoint, InterpolatesBetweenNodesInsideAndTakesTheMidpointOtherwise) {
    // Nodes at X = 0, 2, 3 and Y = 0, 1, 4.
    const auto grid = drawnGrid(
        "5 . 9\n"
        "1 3 7\n"
        "0 2 4\n",
        {2, 1}, {1, 3});
    struct Case {
        const char* name;
        std::size_t p, q;
        double level;
        P point;
    };
    const Case cases[] = {
        {"horizontal edge, 1/4 of the way", 0, 1, 0.5, {0.5, 0}},
        {"vertical edge of length 3, half way", 5, 8, 8.0, {3, 2.5}},
        {"level at the far node", 3, 4, 3.0, {2, 1}},
        {"an uncrossed edge: at most one edge length beyond it", 0, 1, 10.0, {4, 0}},
        {"upper node outside: the midpoint", 4, 7, 3.5, {2, 2.5}},
        {"left node outside: the midpoint", 7, 8, 9.0, {2.5, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const P got = isolineEdgePoint(*grid, c.p, c.q, c.level);
        EXPECT_NEAR(got.x, c.point.x, kHandTolerance);
        EXPECT_NEAR(got.y, c.point.y, kHandTolerance);
    }
}

// --- Properties of whole maps --------------------------------------------------------

// An edge of the grid: H(i, j) or V(i, j).
struct EdgeKey {
    std::int32_t i = 0, j = 0;
    bool horizontal = false;
    friend auto operator<=>(const EdgeKey&, const EdgeKey&) = default;
};

// The edge a crossing point lies on, read from its coordinates: on a
// horizontal edge Y is a row's Y and X lies strictly between two columns.
std::optional<EdgeKey> edgeOf(const EqNet& grid, const P& p) {
    constexpr double kOnLine = 1e-9;
    const auto& xs = grid.nodeX();
    const auto& ys = grid.nodeY();
    const auto near = [&](const std::vector<double>& t, double v) -> std::optional<std::int32_t> {
        const auto it = std::lower_bound(t.begin(), t.end(), v - kOnLine);
        if (it != t.end() && std::abs(*it - v) <= kOnLine) {
            return static_cast<std::int32_t>(it - t.begin());
        }
        return std::nullopt;
    };
    const auto between = [](const std::vector<double>& t, double v) -> std::optional<std::int32_t> {
        const auto it = std::upper_bound(t.begin(), t.end(), v);
        if (it == t.begin() || it == t.end()) return std::nullopt;
        return static_cast<std::int32_t>(it - t.begin()) - 1;
    };
    const auto row = near(ys, p.y), column = near(xs, p.x);
    if (row && !column) {
        if (const auto i = between(xs, p.x)) return EdgeKey{*i, *row, true};
    }
    if (column && !row) {
        if (const auto j = between(ys, p.y)) return EdgeKey{*column, *j, false};
    }
    return std::nullopt;
}

// What the grid says about one level, computed from the values and the mask
// alone.
class LevelFacts {
public:
    LevelFacts(const EqNet& grid, double level) : g_(grid), level_(level) {
        for (std::int32_t j = 0; j < ny(); ++j) {
            for (std::int32_t i = 0; i < nx(); ++i) {
                if (i + 1 < nx() && crossesBetween(i, j, i + 1, j)) crossed.insert({i, j, true});
                if (j + 1 < ny() && crossesBetween(i, j, i, j + 1)) crossed.insert({i, j, false});
            }
        }
    }
    std::int32_t nx() const { return g_.nx(); }
    std::int32_t ny() const { return g_.ny(); }
    bool inside(std::int32_t i, std::int32_t j) const {
        return g_.mask().empty() || g_.mask()[static_cast<std::size_t>(i + j * nx())] != 0;
    }
    double value(std::int32_t i, std::int32_t j) const { return g_.value(i, j); }
    bool above(std::int32_t i, std::int32_t j) const { return value(i, j) > level_; }
    bool crossesBetween(std::int32_t i, std::int32_t j, std::int32_t k, std::int32_t l) const {
        return inside(i, j) && inside(k, l) && above(i, j) != above(k, l);
    }
    // A cell with all four corners inside.
    bool wholeCell(std::int32_t ci, std::int32_t cj) const {
        return ci >= 0 && cj >= 0 && ci + 1 < nx() && cj + 1 < ny() && inside(ci, cj) &&
               inside(ci + 1, cj) && inside(ci, cj + 1) && inside(ci + 1, cj + 1);
    }
    // The two cells beside an edge (either may lie beyond the grid).
    std::pair<std::pair<int, int>, std::pair<int, int>> cellsBeside(const EdgeKey& e) const {
        if (e.horizontal) return {{e.i, e.j}, {e.i, e.j - 1}};
        return {{e.i, e.j}, {e.i - 1, e.j}};
    }
    std::pair<int, int> farNode(const EdgeKey& e) const {
        return e.horizontal ? std::pair{e.i + 1, e.j} : std::pair{e.i, e.j + 1};
    }
    std::pair<int, int> aboveNode(const EdgeKey& e) const {
        return above(e.i, e.j) ? std::pair{e.i, e.j} : farNode(e);
    }
    P coordinates(std::pair<int, int> n) const {
        return {g_.nodeX()[static_cast<std::size_t>(n.first)],
                g_.nodeY()[static_cast<std::size_t>(n.second)]};
    }

    std::set<EdgeKey> crossed;

private:
    const EqNet& g_;
    double level_;
};

bool sameLevelPoint(const P& a, const P& b) { return a.x == b.x && a.y == b.y; }

// Checks the traced lines of one level against the grid:
// - every crossed edge carries exactly one point, and no other point exists;
// - consecutive points lie on two edges of one cell;
// - the above node of both edges lies strictly left of each segment;
// - in a saddle cell (all corners inside, all four edges crossed) a segment
//   cuts off one corner, and that corner lies on the other side of the level
//   than the cell mean;
// - a closed line has at least four crossings; an open line ends on edges
//   beside a cell that is missing or has a corner outside.
// Gives the edge of every point.
std::map<EdgeKey, P> checkLevel(const EqNet& grid, double level, const std::vector<Points>& lines) {
    const LevelFacts facts(grid, level);
    std::map<EdgeKey, P> pointOf;
    for (const Points& line : lines) {
        SCOPED_TRACE(describe({line}));
        if (line.empty()) {
            ADD_FAILURE() << "empty line";
            continue;
        }
        const bool closed = line.size() > 1 && sameLevelPoint(line.front(), line.back());
        const std::size_t count = closed ? line.size() - 1 : line.size();
        std::vector<EdgeKey> edges;
        for (std::size_t k = 0; k < count; ++k) {
            const auto e = edgeOf(grid, line[k]);
            if (!e) {
                ADD_FAILURE() << "point " << k << " lies on no edge";
                return pointOf;
            }
            EXPECT_TRUE(facts.crossed.count(*e)) << "point " << k << " on an edge not crossed";
            EXPECT_TRUE(pointOf.emplace(*e, line[k]).second)
                << "edge of point " << k << " crossed twice";
            edges.push_back(*e);
        }
        if (closed) {
            EXPECT_GE(count, 4u) << "a loop round fewer than four edges";
        } else {
            for (const EdgeKey& end : {edges.front(), edges.back()}) {
                const auto [a, b] = facts.cellsBeside(end);
                EXPECT_TRUE(!facts.wholeCell(a.first, a.second) ||
                            !facts.wholeCell(b.first, b.second))
                    << "an open line ends inside the area";
            }
        }
        const std::size_t segments = closed ? count : count - 1;
        for (std::size_t k = 0; k < segments; ++k) {
            const EdgeKey& e = edges[k];
            const EdgeKey& f = edges[(k + 1) % count];
            const P& a = line[k];
            const P& b = line[k + 1];
            // The cell of both edges.
            const auto [e1, e2] = facts.cellsBeside(e);
            const auto [f1, f2] = facts.cellsBeside(f);
            std::optional<std::pair<int, int>> cell;
            for (const auto& c : {e1, e2}) {
                if (c == f1 || c == f2) cell = c;
            }
            if (!cell) {
                ADD_FAILURE() << "segment " << k << " joins edges of different cells";
                continue;
            }
            for (const EdgeKey& side : {e, f}) {
                const P n = facts.coordinates(facts.aboveNode(side));
                const double cross = (b.x - a.x) * (n.y - a.y) - (b.y - a.y) * (n.x - a.x);
                EXPECT_GT(cross, 0.0) << "segment " << k << " has a higher node on its right";
            }
            const auto [ci, cj] = *cell;
            const bool saddle = facts.wholeCell(ci, cj) && facts.crossed.count({ci, cj, true}) &&
                                facts.crossed.count({ci, cj + 1, true}) &&
                                facts.crossed.count({ci, cj, false}) &&
                                facts.crossed.count({ci + 1, cj, false});
            if (!saddle) continue;
            // The corner shared by the two edges is the one cut off.
            std::set<std::pair<int, int>> ends = {{e.i, e.j}, facts.farNode(e)};
            std::optional<std::pair<int, int>> corner;
            for (const auto& n : {std::pair{f.i, f.j}, facts.farNode(f)}) {
                if (ends.count(n)) corner = n;
            }
            if (!corner) {
                ADD_FAILURE() << "segment " << k << " crosses a saddle straight";
                continue;
            }
            const double mean = (facts.value(ci, cj) + facts.value(ci + 1, cj) +
                                 facts.value(ci, cj + 1) + facts.value(ci + 1, cj + 1)) /
                                4;
            if (mean == level) continue;  // the tie rule depends on the way in
            EXPECT_NE(facts.above(corner->first, corner->second), mean > level)
                << "segment " << k << " cuts off a corner on the side of the cell mean";
        }
    }
    for (const EdgeKey& e : facts.crossed) {
        EXPECT_TRUE(pointOf.count(e)) << "crossed edge " << (e.horizontal ? "H(" : "V(") << e.i
                                      << ", " << e.j << ") carries no point";
    }
    return pointOf;
}

// The contourpy fixture: the grid and, per level, contourpy's crossings.
struct Reference {
    std::vector<double> stepsX, stepsY, values;
    std::int32_t nx = 0, ny = 0;
    std::vector<double> levels;
    std::vector<Points> points;  // per level
};

Reference readReference() {
    const std::string path =
        std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/isoline_reference.txt";
    std::ifstream in(path);
    Reference r;
    if (!in) {
        ADD_FAILURE() << "cannot open " << path;
        return r;
    }
    std::string line, word;
    const auto numbers = [](const std::string& text) {
        std::istringstream s(text);
        std::vector<double> out;
        for (std::string w; s >> w;) out.push_back(std::stod(w));
        return out;
    };
    while (std::getline(in, line) && line.rfind('#', 0) == 0) {
    }
    std::istringstream(line) >> word >> r.nx >> r.ny;
    std::getline(in, line);
    r.stepsX = numbers(line.substr(line.find(' ')));
    std::getline(in, line);
    r.stepsY = numbers(line.substr(line.find(' ')));
    std::getline(in, line);  // "values ..."
    for (std::int32_t j = 0; j < r.ny && std::getline(in, line); ++j) {
        const auto row = numbers(line);
        r.values.insert(r.values.end(), row.begin(), row.end());
    }
    std::size_t count = 0;
    std::getline(in, line);
    std::istringstream(line) >> word >> count;
    for (std::size_t k = 0; k < count; ++k) {
        std::getline(in, line);
        std::istringstream head(line);
        std::string levelText;
        std::size_t n = 0;
        head >> word >> levelText >> n;
        r.levels.push_back(std::stod(levelText));
        Points pts;
        for (std::size_t m = 0; m < n && std::getline(in, line); ++m) {
            const auto xy = numbers(line);
            pts.push_back({xy.at(0), xy.at(1)});
        }
        r.points.push_back(pts);
    }
    return r;
}

TEST(IsolineTracerProperties, SameCrossingsAsContourpyOnARandomGrid) {
    const Reference ref = readReference();
    ASSERT_EQ(ref.levels.size(), 15u);
    ASSERT_EQ(ref.values.size(), static_cast<std::size_t>(ref.nx) * ref.ny);
    EqNet grid;
    grid.setSteps(ref.stepsX, ref.stepsY);
    ASSERT_EQ(grid.SetValues(ref.values), 0);

    IsolineTracer tracer(grid);
    Recorder sink;
    ASSERT_EQ(tracer.traceAll(ref.levels, sink), 0);
    std::size_t closedLines = 0, openLines = 0;
    for (std::size_t k = 0; k < ref.levels.size(); ++k) {
        SCOPED_TRACE("level " + std::to_string(ref.levels[k]));
        const auto lines = sink.pointsOf(k);
        const auto ours = checkLevel(grid, ref.levels[k], lines);
        for (const Points& l : lines) {
            (l.size() > 1 && sameLevelPoint(l.front(), l.back()) ? closedLines : openLines)++;
        }
        std::map<EdgeKey, P> theirs;
        for (const P& p : ref.points[k]) {
            const auto e = edgeOf(grid, p);
            ASSERT_TRUE(e) << "reference point off the edges";
            EXPECT_TRUE(theirs.emplace(*e, p).second) << "reference edge twice";
        }
        EXPECT_EQ(ours.size(), theirs.size());
        for (const auto& [edge, p] : theirs) {
            const auto it = ours.find(edge);
            if (it == ours.end()) {
                ADD_FAILURE() << "no point on an edge contourpy crosses at (" << p.x << ", " << p.y
                              << ")";
                continue;
            }
            EXPECT_NEAR(it->second.x, p.x, kReferenceTolerance);
            EXPECT_NEAR(it->second.y, p.y, kReferenceTolerance);
        }
    }
    // The fixture is meant to hold both kinds of lines.
    EXPECT_GT(closedLines, 0u);
    EXPECT_GT(openLines, 0u);
}

// Random values (noise: many saddles and tiny loops) on small grids with
// random nodes outside, of every shape from a single node up; the properties
// of checkLevel hold at every level.
TEST(IsolineTracerProperties, RandomGridsWithOutsideNodesKeepEveryProperty) {
    constexpr int kGrids = 400;
    constexpr int kLevelsPerGrid = 5;
    constexpr std::int32_t kMaxSide = 14;
    std::mt19937 random(20250611);
    std::uniform_int_distribution<std::int32_t> side(1, kMaxSide);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int g = 0; g < kGrids; ++g) {
        const std::int32_t nx = side(random), ny = side(random);
        const double outsideShare = unit(random) * 0.3;
        EqNet grid;
        grid.setSteps(std::vector<double>(static_cast<std::size_t>(nx - 1), 1.0),
                      std::vector<double>(static_cast<std::size_t>(ny - 1), 1.0));
        std::vector<double> values;
        std::vector<std::int32_t> mask;
        for (std::int32_t n = 0; n < nx * ny; ++n) {
            const bool outside = unit(random) < outsideShare;
            values.push_back(outside ? kBlankValue : unit(random));
            mask.push_back(outside ? kMaskOutside : kMaskInside);
        }
        ASSERT_EQ(grid.SetValues(values), 0);
        grid.mask() = mask;
        IsolineTracer tracer(grid);
        Recorder sink;
        std::vector<double> levels;
        for (int k = 0; k < kLevelsPerGrid; ++k) levels.push_back(unit(random));
        ASSERT_EQ(tracer.traceAll(levels, sink), 0);
        for (std::size_t k = 0; k < levels.size(); ++k) {
            SCOPED_TRACE("grid " + std::to_string(g) + " (" + std::to_string(nx) + " x " +
                         std::to_string(ny) + "), level " + std::to_string(levels[k]));
            checkLevel(grid, levels[k], sink.pointsOf(k));
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace gridova
