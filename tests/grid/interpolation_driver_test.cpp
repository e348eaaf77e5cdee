#include "grid/interpolation_driver.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

PointSet points(std::initializer_list<std::array<double, 3>> xyv) {
    PointSet s;
    for (const auto& p : xyv) s.addPoint(p[0], p[1], p[2]);
    s.computeStatistics();
    return s;
}

TEST(CheckGrid, DefaultGridAndTheThreeRefusals) {
    const PointSet data = points({{0, 0, 1}, {10, 5, 2}});
    DriverInputs in;
    in.points = &data;
    std::unique_ptr<EqNet> grid;
    ASSERT_EQ(InterpolationDriver::checkGrid(grid, in), 0);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->nx(), 102);
    EXPECT_EQ(grid->ny(), 102);

    // A point exactly on the grid's maximum X is inside: no message.
    const PointSet onEdge = points({{0, 0, 1}, {grid->extent().maxX, 0, 1}});
    in.points = &onEdge;
    messageLog().reset();
    EXPECT_EQ(InterpolationDriver::checkGrid(grid, in), 0);
    EXPECT_TRUE(messageLog().lines().empty());

    const PointSet outside = points({{0, 0, 1}, {1000, 0, 1}});
    in.points = &outside;
    EXPECT_EQ(InterpolationDriver::checkGrid(grid, in), -1);
    EXPECT_EQ(lastLogged(), "Точки вылезают за сетку! Переопределите математическую сетку");

    in.points = &data;
    LineList border;
    border.add(Line({{-500, -500}, {500, -500}, {500, 500}, {-500, -500}}));
    in.border = &border;
    EXPECT_EQ(InterpolationDriver::checkGrid(grid, in), -1);
    EXPECT_EQ(lastLogged(), "Граница вылезает за сетку! Переопределите математическую сетку");

    std::unique_ptr<EqNet> none;
    DriverInputs empty;
    EXPECT_EQ(InterpolationDriver::checkGrid(none, empty), -1);
    // The message has two lines; the log shows them as two list lines.
    const auto lines = messageLog().lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Сетка не задана! Определите математическую сетку.");
}

TEST(Driver, MethodChoice) {
    EqNet grid;
    grid.method = InterpolationMethod::InverseDistance;
    struct Case {
        DataKind kind;
        MapType type;
        bool picture;
        InterpolationMethod expected;
    };
    const Case cases[] = {
        {DataKind::Points, MapType::Isolines, false, InterpolationMethod::InverseDistance},
        // An array document always runs the equation system.
        {DataKind::Array, MapType::Isolines, false, InterpolationMethod::EquationSystem},
        {DataKind::Picture, MapType::ColorCells, true, InterpolationMethod::ArrayValues},
        {DataKind::Picture, MapType::ColorCells, false, InterpolationMethod::NoApply},
        // Existing values are kept whatever the method.
        {DataKind::Points, MapType::ExistingValues, false, InterpolationMethod::FinishOnly},
    };
    const std::vector<double> picture = {1, 2, 3, 4};
    for (const auto& c : cases) {
        DriverInputs in;
        in.dataKind = c.kind;
        in.mapType = c.type;
        in.pictureValues = c.picture ? &picture : nullptr;
        EXPECT_EQ(InterpolationDriver::methodFor(grid, in), c.expected);
    }
}

TEST(Driver, DataPointsOnlyAveragesSharedNodesAndBlanksTheRest) {
    auto grid = EqNet::fromCellWidths({2, 2, 2}, {2, 2});  // nodes 0 1 3 5 6 × 0 1 3 4
    const PointSet data = points({{1.1, 1.0, 4}, {0.9, 1.2, 8}, {5.0, 3.0, 1}});
    DriverInputs in;
    in.points = &data;
    grid->method = InterpolationMethod::DataPointsOnly;
    int traced = 0;
    DriverHooks hooks;
    hooks.traceIsolines = [&](EqNet&) { ++traced; };
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, hooks), 0);
    EXPECT_EQ(traced, 1);
    EXPECT_EQ(grid->value(1, 1), 6.0);  // mean of 4 and 8
    EXPECT_EQ(grid->value(3, 2), 1.0);
    EXPECT_EQ(grid->value(2, 2), kBlankValue);
    EXPECT_EQ(grid->mask()[1 + 1 * 5], kMaskInside);
    EXPECT_EQ(grid->minValue(), 1.0);
    EXPECT_EQ(grid->maxValue(), 6.0);
    EXPECT_FALSE(grid->valuesValid());  // isolines, not cells
}

TEST(Driver, PointDensityWorkedOutByHand) {
    auto grid = EqNet::fromCellWidths({0.2, 0.2}, {0.2, 0.2});  // nodes 0 .1 .3 .4
    const PointSet data = points({{0.1, 0.1, 1}, {0.3, 0.1, 1}});
    DriverInputs in;
    in.points = &data;
    ASSERT_EQ(InterpolationDriver::pointDensity(*grid, in), 0);
    // Node (1, 1) at (0.1, 0.1): 1 / max(1, 0) + 1 / max(1, 50 × 0.2) = 1.1.
    EXPECT_DOUBLE_EQ(grid->value(1, 1), 1.1);
    // Node (2, 2) at (0.3, 0.3): 1 / (50 × √0.08) + 1 / (50 × 0.2).
    EXPECT_DOUBLE_EQ(grid->value(2, 2), 1 / (50 * std::sqrt(0.08)) + 0.1);
    EXPECT_EQ(grid->value(0, 0), kBlankValue);  // the frame is outside
}

TEST(Driver, CellMapsSetUpTheColourMapOverGridAndPoints) {
    auto grid = EqNet::fromCellWidths({1, 1}, {1, 1});
    const PointSet data = points({{0.5, 0.5, -20}, {1.5, 1.5, 40}});
    DriverInputs in;
    in.points = &data;
    in.mapType = MapType::ColorCells;
    grid->method = InterpolationMethod::DataPointsOnly;
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), 0);
    EXPECT_TRUE(grid->valuesValid());
    EXPECT_EQ(grid->colorScale.visible, 1);
    // Node values are within -20..40 and the range takes in the points.
    EXPECT_EQ(grid->colorScale.paletteIndexOf(-20), 16);
    EXPECT_EQ(grid->colorScale.paletteIndexOf(40), 255);
}

TEST(Driver, NoGridIsRefused) {
    DriverInputs in;
    EXPECT_EQ(InterpolationDriver::interpolate(nullptr, in, DriverHooks{}), -1);
    EXPECT_EQ(lastLogged(), "Не определена сетка");
}

}  // namespace
}  // namespace gridova
