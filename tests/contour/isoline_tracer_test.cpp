// Isoline tracing. Small grids are drawn as text (top row first, as on a
// map) and their lines worked out by hand from linear interpolation along the
// edges. Larger grids are checked against contourpy's crossings (a stored
// fixture, see tests/contour/make_isoline_reference.py) and against
// properties every isoline map has in isoline_tracer_properties_test.cpp.
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
#include "tests/contour/isoline_tracer_fixtures.h"

namespace gridova {
namespace {

using testing::describe;
using testing::kReferenceTolerance;
using testing::P;
using testing::Points;
using testing::Recorder;
using testing::Traced;

constexpr double kHandTolerance = 1e-12;

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

std::vector<Points> traceOne(const EqNet& grid, double level) {
    IsolineTracer tracer(grid);
    Recorder sink;
    EXPECT_EQ(tracer.traceLevel(level, 0, sink), 0);
    for (const Traced& t : sink.lines) EXPECT_EQ(t.value, level);
    return sink.pointsOf(0);
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

}  // namespace
}  // namespace gridova
