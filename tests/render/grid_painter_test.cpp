// The grid drawn as colour cells and grid lines on a recording device. The
// 3 × 3 grid has nodes at 0, 2 and 4 each way; a node's cell runs to the
// midpoints with its neighbours and to the extent at the edges. The world
// 0..4 on 40 × 40 pixels: x → 10·x, y → 40 − 10·y.
#include "render/grid_painter.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/recording_device.h"
#include "tests/common/sample_scales.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

// Values 10, 30, ... fall in the bands 0..4 of the five blue-to-red bands.
EqNet valuedGrid() {
    EqNet grid;
    grid.setSteps({2, 2}, {2, 2});
    EXPECT_EQ(grid.nodeCount(), 9);
    grid.colorScale = testing::fiveBands();
    EXPECT_EQ(grid.SetValues({10, 30, 50, 70, 90, 10, 30, 50, 70}), 0);
    EXPECT_EQ(grid.setValid(), 0);
    return grid;
}

// Each rectangle with the brush and the pen in force when it was drawn.
struct Cell {
    std::string rectangle, brush, pen;
    friend bool operator==(const Cell&, const Cell&) = default;
};

std::vector<Cell> cellsOf(const gdi::RecordingDevice& device) {
    std::vector<Cell> out;
    std::string brush, pen;
    for (const std::string& call : device.calls()) {
        if (call.rfind("brush ", 0) == 0) brush = call.substr(6);
        if (call.rfind("pen ", 0) == 0) pen = call.substr(4);
        if (call.rfind("rectangle ", 0) == 0) out.push_back({call.substr(10), brush, pen});
    }
    return out;
}

struct Scene {
    explicit Scene(double x0 = 0, double x1 = 4) : device({40, 40}) {
        canvas.beginExternal(&device);
        canvas.setWorldWindow(x0, 0, x1, 4);
        device.clear();
    }
    ~Scene() { canvas.endExternal(); }
    gdi::RecordingDevice device;
    DrawingCanvas canvas;
};

TEST(GridCells, EachInsideCellTakesTheColourOfItsValue) {
    EqNet grid = valuedGrid();
    grid.mask().assign(9, kMaskInside);
    grid.mask()[5] = kMaskOutside;  // node (2, 1): no cell
    grid.cellBorder = 0;            // each cell outlined in its own colour
    Scene s;
    ASSERT_EQ(drawGridCells(s.canvas, grid), 0);
    const std::vector<Cell> expected = {
        {"0,30 10,40", "solid #0000ff", "0 0 #0000ff"},   // (0, 0) = 10
        {"10,30 30,40", "solid #3f00bf", "0 0 #3f00bf"},  // (1, 0) = 30
        {"30,30 40,40", "solid #7f007f", "0 0 #7f007f"},  // (2, 0) = 50
        {"0,10 10,30", "solid #bf003f", "0 0 #bf003f"},   // (0, 1) = 70
        {"10,10 30,30", "solid #ff0000", "0 0 #ff0000"},  // (1, 1) = 90
        {"0,0 10,10", "solid #3f00bf", "0 0 #3f00bf"},    // (0, 2) = 30
        {"10,0 30,10", "solid #7f007f", "0 0 #7f007f"},   // (1, 2) = 50
        {"30,0 40,10", "solid #bf003f", "0 0 #bf003f"},   // (2, 2) = 70
    };
    EXPECT_EQ(cellsOf(s.device), expected);
}

TEST(GridCells, CellBordersUseTheCellColourForEveryCell) {
    EqNet grid = valuedGrid();
    grid.cellBorder = 1;
    grid.cellColor = gdi::rgb(1, 2, 3);
    Scene s;
    drawGridCell(s.canvas, grid, 1, 1);
    drawGridCell(s.canvas, grid, 3, 0);  // no such node: nothing
    const std::vector<Cell> expected = {{"10,10 30,30", "solid #ff0000", "0 0 #010203"}};
    EXPECT_EQ(cellsOf(s.device), expected);
}

TEST(GridCells, NothingIsDrawnWithoutValidValuesOrOutOfSight) {
    EqNet grid = valuedGrid();
    {
        Scene far(10, 14);
        EXPECT_EQ(drawGridCells(far.canvas, grid), 0);
        EXPECT_TRUE(cellsOf(far.device).empty());
    }
    grid.clearValid();
    Scene s;
    EXPECT_EQ(drawGridCells(s.canvas, grid), -1);
    EXPECT_TRUE(cellsOf(s.device).empty());
}

TEST(GridLines, DottedLinesThroughEveryColumnAndRowWhileShown) {
    EqNet grid = valuedGrid();
    Scene hidden;
    drawGridLines(hidden.canvas, grid);  // ShowGrid is off
    EXPECT_TRUE(hidden.device.callsOf("lineto").empty());
    grid.showGrid = 1;
    Scene s;
    drawGridLines(s.canvas, grid);
    const std::vector<std::string> pens = s.device.callsOf("pen");
    ASSERT_FALSE(pens.empty());
    EXPECT_EQ(pens.front(), "pen 2 0 #808080");  // dotted grey, released afterwards
    EXPECT_EQ(s.device.callsOf("move"),
              (std::vector<std::string>{"move 0,40", "move 20,40", "move 40,40", "move 0,40",
                                        "move 0,20", "move 0,0"}));
    EXPECT_EQ(s.device.callsOf("lineto"),
              (std::vector<std::string>{"lineto 0,0", "lineto 20,0", "lineto 40,0", "lineto 40,40",
                                        "lineto 40,20", "lineto 40,0"}));
}

}  // namespace
}  // namespace gridova
