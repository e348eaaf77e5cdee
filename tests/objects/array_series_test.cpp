#include "objects/array_series.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "objects/line.h"

namespace gridova {
namespace {

std::vector<double> ys(const Line& line) {
    std::vector<double> v;
    for (const LinePoint& p : line.points()) v.push_back(p.y);
    return v;
}

TEST(ArraySeries, SmoothingTakesMovingMeansCentredOnTheirWindows) {
    struct Case {
        std::int32_t window;
        bool made;
        std::vector<double> means;
        double first;  // position of the first mean
    };
    // Values 1 4 2 8 5 at positions 1..5.
    const Case cases[] = {
        {3, true, {7.0 / 3, 14.0 / 3, 5}, 2},
        {4, true, {4}, 3},  // h = 4 div 2 = 2: windows of five values
        {5, true, {4}, 3},
        {2, false, {}, 0},
        {9, true, {4}, 3},  // held to the 5 values
        {-1, false, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.window);
        ArraySeries s({1, 4, 2, 8, 5});
        EXPECT_EQ(s.smooth(c.window), c.made);
        if (!c.made) {
            EXPECT_EQ(s.smoothed(), nullptr);
            continue;
        }
        ASSERT_NE(s.smoothed(), nullptr);
        EXPECT_EQ(s.smoothed()->firstPosition(), c.first);
        ASSERT_EQ(s.smoothed()->values().size(), c.means.size());
        for (std::size_t i = 0; i < c.means.size(); ++i) {
            EXPECT_DOUBLE_EQ(s.smoothed()->values()[i], c.means[i]);
        }
    }
}

TEST(ArraySeries, MarksFlagHighAndLowOutliers) {
    // Mean 0, sample deviation sqrt(34 / 4) = sqrt(8.5).
    ArraySeries s({-4, -1, 0, 1, 4});
    ASSERT_TRUE(s.computeMarks(1.0));
    const double d = std::sqrt(8.5);
    const std::vector<double> normal{-4 / d, -1 / d, 0, 1 / d, 4 / d};
    for (std::size_t i = 0; i < normal.size(); ++i) EXPECT_DOUBLE_EQ((*s.normal())[i], normal[i]);
    // 4/sqrt(8.5) = 1.37 is beyond 1 either way; 1/sqrt(8.5) = 0.34 is not.
    EXPECT_EQ(*s.marks(), (std::vector<int>{-1, 0, 0, 0, 1}));

    ArraySeries flat({2, 2, 2});
    EXPECT_FALSE(flat.computeMarks(0.1));
    EXPECT_FALSE(flat.normal().has_value());
    ArraySeries one({5});
    EXPECT_FALSE(one.computeMarks(0.1));
}

TEST(ArraySeries, TheGraphHoldsEveryLevelOfTheChain) {
    ArraySeries s({1, 4, 2, 8, 5, 7});
    ASSERT_TRUE(s.smooth(3));
    ASSERT_TRUE(s.last().computeMarks(0.5));
    const std::unique_ptr<Bush> graph = s.graph("Series");
    ASSERT_EQ(graph->itemCount(), 1u);
    EXPECT_EQ(graph->item(0).line()->name, "Data");
    EXPECT_EQ(ys(*graph->item(0).line()), (std::vector<double>{1, 4, 2, 8, 5, 7}));
    EXPECT_EQ(graph->item(0).line()->points().front().x, 1);
    ASSERT_EQ(graph->childCount(), 1u);
    const Bush& smoothed = graph->child(0);
    ASSERT_EQ(smoothed.itemCount(), 3u);
    EXPECT_EQ(smoothed.item(0).line()->name, "Data");
    EXPECT_EQ(smoothed.item(0).line()->points().front().x, 2);
    EXPECT_EQ(smoothed.item(1).line()->name, "Normal");
    EXPECT_EQ(smoothed.item(2).line()->name, "Function G");
    EXPECT_EQ(smoothed.item(2).line()->size(), 4u);
}

TEST(ArraySeries, TheTableWritesTheSmoothedSeriesBesideItsValues) {
    ArraySeries s({1, 4, 2, 8, 5});
    EXPECT_EQ(s.smoothedTable(), "");
    ASSERT_TRUE(s.smooth(3));
    // Positions 2..4, their values and the means of their windows.
    EXPECT_EQ(s.smoothedTable(), " 2 4 2.3333333333333335\n 3 2 4.666666666666667\n 4 8 5\n");
    // Mean 4, deviation sqrt((1.667^2 + 0.667^2 + 1^2) / 2): the first
    // is below by more than 1, the last above by less.
    ASSERT_TRUE(s.smoothed()->computeMarks(1.0));
    EXPECT_EQ(s.smoothedTable(),
              " 2 4 2.3333333333333335 -1\n 3 2 4.666666666666667 0\n 4 8 5 0\n");
}

}  // namespace
}  // namespace gridova
