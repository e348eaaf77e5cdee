// The mouse tools of the map window, worked out by hand: snapping a drawn
// line to the lines of the object tree, and picking a node.
#include "render/map_tools.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "tests/common/test_env.h"

namespace gridova {
namespace {

using P = LinePoint;

TEST(LineSnapTool, TakesTheVertexNearAndFollowsTheLineBetweenVertices) {
    // An L-shaped line with vertices 0..3.
    Bush tree("tree");
    Bush& group = tree.addChild(std::make_unique<Bush>("g"));
    group.addItem(BushItem(Line(std::vector<P>{{0, 0}, {1, 0}, {2, 0}, {2, 1}})));
    LineSnapTool tool;
    Line entered;
    double x = 1.02, y = 0.01;
    tool.snap(&tree, 0.05, 0.05, &entered, x, y);  // off: nothing moves
    EXPECT_EQ(x, 1.02);
    EXPECT_EQ(y, 0.01);

    tool.enabled = true;
    tool.snap(&tree, 0.05, 0.05, &entered, x, y);
    EXPECT_EQ(x, 1.0);  // vertex 1
    EXPECT_EQ(y, 0.0);
    EXPECT_TRUE(entered.empty());  // the view adds the point itself
    entered.addPoint(x, y);

    // On to vertex 3 of the same line: the points between are added.
    x = 1.99, y = 0.97;
    tool.snap(&tree, 0.05, 0.05, &entered, x, y);
    EXPECT_EQ(x, 2.0);
    EXPECT_EQ(y, 1.0);
    EXPECT_EQ(entered.points(), (std::vector<P>{{1, 0}, {2, 0}, {2, 1}}));

    // Away from every line: nothing moves and the next vertex starts anew.
    x = 5, y = 5;
    tool.snap(&tree, 0.05, 0.05, &entered, x, y);
    EXPECT_EQ(x, 5.0);
    x = 0.01, y = 0.0;
    tool.snap(&tree, 0.05, 0.05, &entered, x, y);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(entered.size(), 3u);  // no part added without a previous vertex
}

TEST(NodePickTool, PicksTheNearestValuedNodeOnlyWhileOpen) {
    // Nodes 0, 1, 2 each way; values 10 × index.
    EqNet grid;
    grid.setSteps({1, 1}, {1, 1});
    std::vector<double> values;
    for (int k = 0; k < 9; ++k) values.push_back(10.0 * k);
    ASSERT_EQ(grid.SetValues(values), 0);
    NodePickTool tool;
    EXPECT_FALSE(tool.pick(grid, 1.1, 0.9));  // the window is closed
    tool.open = true;
    ASSERT_TRUE(tool.pick(grid, 1.1, 0.9));
    ASSERT_TRUE(tool.picked().has_value());
    EXPECT_EQ(tool.picked()->column, 1);
    EXPECT_EQ(tool.picked()->rowFromTop, 1);  // row 1 of rows 0..2, counted from the top
    EXPECT_EQ(tool.picked()->value, 40.0);
    ASSERT_TRUE(tool.pick(grid, 0.1, 1.9));  // node (0, 2): the top row
    EXPECT_EQ(tool.picked()->rowFromTop, 0);
    EXPECT_EQ(tool.picked()->value, 60.0);
    EXPECT_FALSE(tool.pick(grid, 3.0, 1.0));  // outside the grid: the pick stays
    EXPECT_EQ(tool.picked()->value, 60.0);
    grid.mask().assign(9, kMaskInside);
    grid.mask()[4] = kMaskOutside;
    EXPECT_FALSE(tool.pick(grid, 1.0, 1.0));  // a node outside the area
}

}  // namespace
}  // namespace gridova
