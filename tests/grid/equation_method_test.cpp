// The equation-system methods run through the driver on a grid.
#include "grid/equation_method.h"

#include <gtest/gtest.h>

#include <cmath>

#include "grid/interpolation_driver.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

PointSet samplePoints() {
    PointSet s;
    s.addPoint(2.0, 2.0, 10.0);
    s.addPoint(7.0, 3.0, 20.0);
    s.addPoint(4.0, 8.0, 15.0);
    s.addPoint(8.5, 8.5, 12.0);
    s.computeStatistics();
    return s;
}

std::unique_ptr<EqNet> sampleGrid() { return EqNet::fromCounts(DRect(0, 0, 10, 10), 25, 25); }

// Runs one method through the driver and gives the grid.
std::unique_ptr<EqNet> run(InterpolationMethod method, std::int32_t solver, const PointSet& data) {
    auto grid = sampleGrid();
    grid->method = method;
    grid->solver = solver;
    grid->precision = 1e-9;
    grid->maxIterations = 20000;
    DriverInputs in;
    in.points = &data;
    EXPECT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), 0);
    return grid;
}

TEST(EquationMethod, OnePointFillsTheAreaWithItsValue) {
    PointSet one;
    one.addPoint(5.0, 5.0, 3.5);
    one.computeStatistics();
    for (std::int32_t solver : {0, 1}) {
        SCOPED_TRACE(solver);
        const auto grid = run(InterpolationMethod::EquationSystem, solver, one);
        EXPECT_NEAR(grid->value(10, 10), 3.5, 1e-6);
        EXPECT_NEAR(grid->value(1, 23), 3.5, 1e-6);
        EXPECT_EQ(grid->value(0, 0), kBlankValue);  // the frame is outside
        EXPECT_EQ(grid->lastRunValid, 1);
        EXPECT_TRUE(grid->hasValues());
    }
}

TEST(EquationMethod, AllThreeSolversAgreeAndHoldTheDataNodes) {
    const PointSet data = samplePoints();
    const auto point = run(InterpolationMethod::EquationSystem, 0, data);
    const auto line = run(InterpolationMethod::EquationSystem, 1, data);
    const auto large = run(InterpolationMethod::LargeGridEquationSystem, 0, data);
    const NodeRef a = point->nearestNode(2.0, 2.0);
    EXPECT_DOUBLE_EQ(point->values()[static_cast<std::size_t>(a.index)], 10.0);
    EXPECT_EQ(point->mask()[static_cast<std::size_t>(a.index)], kMaskData);
    double lineDiff = 0, largeDiff = 0;
    for (std::size_t n = 0; n < point->values().size(); ++n) {
        if (point->mask()[n] == kMaskOutside) continue;
        lineDiff = std::max(lineDiff, std::abs(point->values()[n] - line->values()[n]));
        largeDiff = std::max(largeDiff, std::abs(point->values()[n] - large->values()[n]));
    }
    EXPECT_LT(lineDiff, 1e-6);
    // The large-grid solver works on all nodes, the others inside the
    // frame only (the frame is free for it): the surfaces differ a little
    // near the frame.
    EXPECT_LT(largeDiff, 0.3);
    EXPECT_GE(point->minValue(), 10.0 - 1e-9);
    EXPECT_LE(point->maxValue(), 20.0 + 1e-9);
}

TEST(EquationMethod, LargeGridRunHandedToTheViewCompletesLater) {
    const PointSet data = samplePoints();
    auto grid = sampleGrid();
    grid->method = InterpolationMethod::LargeGridEquationSystem;
    DriverInputs in;
    in.points = &data;
    std::unique_ptr<LargeGridRun> pending;
    DriverHooks hooks;
    hooks.largeGridStarted = [&](std::unique_ptr<LargeGridRun> r) { pending = std::move(r); };
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, hooks), 1);
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(grid->lastRunValid, 0);
    ASSERT_EQ(pending->complete(*grid), 0);
    ASSERT_EQ(InterpolationDriver::finishChecked(*grid), 0);
    EXPECT_TRUE(grid->hasValues());
    EXPECT_NEAR(grid->valueAt(7.0, 3.0), 20.0, 1e-9);
    EXPECT_EQ(grid->lastRunValid, 1);
}

TEST(EquationMethod, BorderValueHoldsTheEdge) {
    const PointSet data = samplePoints();
    auto grid = sampleGrid();
    LineList border;
    border.add(Line({{0.5, 0.5}, {9.5, 0.5}, {9.5, 9.5}, {0.5, 9.5}, {0.5, 0.5}}));
    DriverInputs in;
    in.points = &data;
    in.border = &border;
    in.borderValue = OptionalValue(0.0);
    grid->method = InterpolationMethod::EquationSystem;
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), 0);
    bool sawEdge = false;
    for (std::size_t n = 0; n < grid->mask().size(); ++n) {
        if (grid->mask()[n] != kMaskEdge) continue;
        sawEdge = true;
        EXPECT_EQ(grid->values()[n], 0.0);
    }
    EXPECT_TRUE(sawEdge);
}

TEST(DriverInverseDistance, NodesGetTheWeightedMeanAndTheFrameIsBlank) {
    PointSet data;
    data.addPoint(1.0, 1.0, 10.0);
    data.addPoint(3.0, 1.0, 20.0);
    data.computeStatistics();
    auto grid = EqNet::fromCellWidths({2, 2}, {2});  // nodes 0 1 3 4 × 0 1 2
    grid->method = InterpolationMethod::InverseDistance;
    DriverInputs in;
    in.points = &data;
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), 0);
    // Nodes on the points take their values; the frame is outside.
    EXPECT_DOUBLE_EQ(grid->value(1, 1), 10.0);
    EXPECT_DOUBLE_EQ(grid->value(2, 1), 20.0);
    EXPECT_EQ(grid->value(0, 0), kBlankValue);
    EXPECT_TRUE(grid->hasValues());

    PointSet none;
    in.points = &none;
    EXPECT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), -1);
    EXPECT_DOUBLE_EQ(grid->value(1, 1), 10.0);  // the grid keeps its state
}

TEST(EquationMethod, PointsWithoutValuesAreRefusedWithAMessage) {
    PointSet valueless;
    DataPoint p;
    p.x = 5;
    p.y = 5;
    valueless.addExisting(p);
    valueless.computeStatistics();
    auto grid = sampleGrid();
    DriverInputs in;
    in.points = &valueless;
    EXPECT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), -1);
    EXPECT_EQ(testing::lastLogged(), "Ни у одной точки нет значения: интерполировать нечего");
    EXPECT_FALSE(grid->hasValues());
}

TEST(EquationMethod, AnIsolatedInsideNodeKeepsItsStartValue) {
    // A border that takes in the data node region and one lone node far
    // from it: the lone node has no inside neighbour.
    PointSet data;
    data.addPoint(2.0, 2.0, 10.0);
    data.addPoint(3.0, 3.0, 30.0);
    data.computeStatistics();
    auto grid = EqNet::fromCellWidths(std::vector<double>(9, 1.0), std::vector<double>(9, 1.0));
    LineList border;
    border.add(Line({{1.2, 1.2}, {4.8, 1.2}, {4.8, 4.8}, {1.2, 4.8}, {1.2, 1.2}}));
    border.add(Line({{7.3, 7.3}, {7.7, 7.3}, {7.7, 7.7}, {7.3, 7.7}, {7.3, 7.3}}));
    grid->solver = 1;
    ASSERT_EQ(runEquationSystem(*grid, data, &border), 0);
    // The lone node at (7.5, 7.5) keeps the mid-point start (10 + 30) / 2.
    const NodeRef lone = grid->nearestNode(7.5, 7.5);
    ASSERT_NE(grid->mask()[static_cast<std::size_t>(lone.index)], kMaskOutside);
    EXPECT_DOUBLE_EQ(grid->values()[static_cast<std::size_t>(lone.index)], 20.0);
}

TEST(EquationMethod, NoDataComputesNothing) {
    PointSet empty;
    auto grid = sampleGrid();
    EXPECT_EQ(runEquationSystem(*grid, empty, nullptr), -1);
    EXPECT_FALSE(grid->hasValues());
}

}  // namespace
}  // namespace gridova
