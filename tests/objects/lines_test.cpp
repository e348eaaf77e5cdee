// `Line` geometry and editing, line lists. Expected values are worked out by hand from
// the rules in objects/line.h.
#include "objects/line.h"

#include <gtest/gtest.h>

#include <cmath>

#include "objects/bush.h"
#include "objects/line_list.h"
#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

using P = LinePoint;

Line lineOf(std::vector<P> points) { return Line(std::move(points)); }

std::vector<P> pointsOf(const Line& l) { return l.points(); }

// A unit square counter-clockwise and clockwise, closed.
const std::vector<P> kSquareCcw = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
const std::vector<P> kSquareCw = {{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}};

TEST(LineGeometry, AreaIsTheAbsoluteShoelaceSumOfClosedLines) {
    struct Case {
        const char* name;
        std::vector<P> points;
        double area;
    };
    const Case cases[] = {
        {"unit square counter-clockwise", kSquareCcw, 1.0},
        {"unit square clockwise", kSquareCw, 1.0},
        {"open square (last side missing)", {{0, 0}, {1, 0}, {1, 1}, {0, 1}}, 0.0},
        {"right triangle 4 x 3", {{0, 0}, {4, 0}, {0, 3}, {0, 0}}, 6.0},
        // An L of a 2 x 2 square without its upper right unit square.
        {"concave L", {{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}, {0, 0}}, 3.0},
        {"square away from the origin", {{10, 10}, {13, 10}, {13, 12}, {10, 12}, {10, 10}}, 6.0},
        {"single point", {{5, 5}}, 0.0},
        {"empty", {}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Line l = lineOf(c.points);
        l.value = 99;
        EXPECT_DOUBLE_EQ(l.area(), c.area);
        EXPECT_DOUBLE_EQ(l.storeArea(), c.area);
        EXPECT_DOUBLE_EQ(l.value, c.area);  // kept as the value, 0 for an open line
    }
}

TEST(LineGeometry, PointInPolygonCountsLeftAndBottomEdgesAsInside) {
    struct Case {
        double x, y;
        bool inside;
    };
    // The unit square; the rule: an edge counts when y is in [lower, upper)
    // and its x at y is strictly right of the point.
    const Case cases[] = {
        {0.5, 0.5, true},    // centre
        {0.0, 0.5, true},    // left edge
        {1.0, 0.5, false},   // right edge
        {0.5, 0.0, true},    // bottom edge (horizontal)
        {0.5, 1.0, false},   // top edge (horizontal)
        {0.0, 0.0, true},    // lower left corner
        {1.0, 0.0, false},   // lower right corner
        {1.0, 1.0, false},   // upper right corner
        {0.0, 1.0, false},   // upper left corner
        {-0.5, 0.5, false},  // left of it
        {1.5, 0.5, false},   // right of it
        {0.5, -1e-12, false}, {0.5, 1.5, false},
    };
    const std::vector<P> open = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& listing : {kSquareCcw, kSquareCw, open}) {
        const Line square = lineOf(listing);
        for (const Case& c : cases) {
            SCOPED_TRACE(::testing::Message()
                         << listing.size() << " points, (" << c.x << ", " << c.y << ")");
            EXPECT_EQ(square.contains(c.x, c.y), c.inside);
        }
    }
    // A U open at the top: the notch is outside, the arms inside.
    const Line u = lineOf({{0, 0}, {3, 0}, {3, 3}, {2, 3}, {2, 1}, {1, 1}, {1, 3}, {0, 3}, {0, 0}});
    EXPECT_FALSE(u.contains(1.5, 2));
    EXPECT_TRUE(u.contains(0.5, 2));
    EXPECT_TRUE(u.contains(2.5, 2));
    EXPECT_TRUE(u.contains(1.5, 0.5));
    // A vertex of a slanted edge at the point's height counts once: the
    // ray from (1, 1) passes the right corner (2, 1) of the diamond.
    const Line diamond = lineOf({{1, 0}, {2, 1}, {1, 2}, {0, 1}, {1, 0}});
    EXPECT_TRUE(diamond.contains(1, 1));
    EXPECT_FALSE(diamond.contains(2.5, 1));
    // Fewer than three points hold nothing.
    EXPECT_FALSE(lineOf({{0, 0}, {1, 1}}).contains(0.5, 0.5));
}

TEST(LineGeometry, Length) {
    EXPECT_DOUBLE_EQ(lineOf({{0, 0}, {3, 4}, {3, 0}}).length(), 9.0);
    EXPECT_DOUBLE_EQ(lineOf({{0, 0}, {3, 0}, {0, 4}, {0, 0}}).length(), 12.0);
    EXPECT_DOUBLE_EQ(lineOf({{1, 1}}).length(), 0.0);
    EXPECT_DOUBLE_EQ(Line().length(), 0.0);
}

TEST(LineGeometry, PartBetweenTwoPointsTakesTheShorterWay) {
    // A closed pentagon A B C D E A with sides AB 4, BC 1, CD 1, DE 3, EA 1
    // (total 10) and an open polyline along the x axis.
    const P A{0, 0}, B{4, 0}, C{4, 1}, D{3, 1}, E{0, 1};
    const Line ring = lineOf({A, B, C, D, E, A});
    const Line open = lineOf({{0, 0}, {1, 0}, {2, 0}, {3, 0}});
    struct Case {
        const char* name;
        const Line* line;
        std::size_t g, h;
        std::vector<P> expected;
    };
    const Case cases[] = {
        {"A to D: round through the closing point (4 < 6)", &ring, 0, 3, {A, E, D}},
        {"D to A: the same way backwards", &ring, 3, 0, {D, E, A}},
        {"C to E: straight (4 < 6)", &ring, 2, 4, {C, D, E}},
        {"closing point to D: straight back (4 < 6)", &ring, 5, 3, {A, E, D}},
        {"B to E: a tie keeps the straight way", &ring, 1, 4, {B, C, D, E}},
        {"one point", &ring, 2, 2, {C}},
        {"open line backwards", &open, 3, 1, {{3, 0}, {2, 0}, {1, 0}}},
        {"open line forwards", &open, 0, 2, {{0, 0}, {1, 0}, {2, 0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Line target;
        ASSERT_TRUE(c.line->appendPart(c.g, c.h, target));
        EXPECT_EQ(pointsOf(target), c.expected);
    }
    // A target that already ends at the first point does not repeat it.
    Line target = lineOf({{-1, 0}, A});
    ASSERT_TRUE(ring.appendPart(0, 3, target));
    EXPECT_EQ(pointsOf(target), (std::vector<P>{{-1, 0}, A, E, D}));
    // Indices out of range append nothing.
    Line untouched = lineOf({{7, 7}});
    EXPECT_FALSE(ring.appendPart(6, 0, untouched));
    EXPECT_FALSE(ring.appendPart(0, 6, untouched));
    EXPECT_EQ(untouched.size(), 1u);
}

TEST(LineEditing, PointsAndExtent) {
    Line l;
    EXPECT_EQ(l.name, "Line");
    EXPECT_EQ(l.addPoint(2, 3), 1);
    EXPECT_EQ(l.addPoint(2, 3), 1);  // the same point again is not added
    EXPECT_EQ(l.addPoint(-1, 5), 2);
    EXPECT_EQ(l.addPoint(4, 0), 3);
    EXPECT_EQ(l.extent(), DRect(-1, 0, 4, 5));
    EXPECT_FALSE(l.isClosed());
    l.close();
    EXPECT_TRUE(l.isClosed());
    EXPECT_EQ(l.size(), 4u);
    l.close();  // already closed
    EXPECT_EQ(l.size(), 4u);
    EXPECT_EQ(l.point(3), (P{2, 3}));
    EXPECT_FALSE(l.point(4).has_value());
    ASSERT_TRUE(l.removeLastPoint());
    ASSERT_TRUE(l.removeLastPoint());
    EXPECT_EQ(l.extent(), DRect(-1, 3, 2, 5));  // shrinks with the points
    l.setPoints(std::vector<P>{});
    EXPECT_EQ(l.extent(), DRect());
    EXPECT_FALSE(l.removeLastPoint());
    EXPECT_EQ(lastLogged(), "Ошибка!!! Нельзя у линии удалить точку.");

    Line styled;
    styled.style = {LineStyle::kHatched, 1, 2, 3, 4, 5, 2};
    styled.value = 7;
    styled.name = "Другая";
    Line copy = lineOf({{0, 0}});
    copy.copyStyle(styled);
    EXPECT_EQ(copy.style, styled.style);
    EXPECT_EQ(copy.value, 0);
    EXPECT_FALSE(copy.name.has_value());
}

TEST(LineEditing, HitTestNeedsTheRectangleToMeetTheExtent) {
    const Line l = lineOf({{0, 0}, {10, 0}, {10, 10}});
    struct Case {
        double x, y, tol;
        std::optional<std::size_t> hit;
    };
    const Case cases[] = {
        {10.5, 0.5, 1, 1},             // near the second point
        {9, 1, 1, 1},                  // on the box's corner: edges count
        {5, 0, 1, std::nullopt},       // on a segment but near no point
        {0.2, 0.2, 20, 0},             // several points inside: the first
        {30, 30, 1, std::nullopt},     // far away
        {11, 11, 0.999, std::nullopt}  // just short of the last point
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << ", " << c.y << " ± " << c.tol);
        EXPECT_EQ(l.hitTest(c.x, c.y, c.tol, c.tol), c.hit);
    }
    EXPECT_FALSE(Line().hitTest(0, 0, 1, 1).has_value());
}

TEST(LineList, CountsExtentAndStyleOfAllLines) {
    LineList list;
    EXPECT_EQ(list.longestLine(), nullptr);
    list.add(lineOf({{0, 0}, {1, 1}}));
    list.add(Line());  // no points: no effect on the extent
    list.add(lineOf({{-2, 5}, {3, 4}, {0, 0}}));
    list.add(lineOf({{9, 9}, {8, 8}, {7, 7}}));
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(list.totalPoints(), 8u);
    EXPECT_EQ(list.longestLine(), list.line(2));  // the first of the two longest
    EXPECT_EQ(list.extent(), DRect(-2, 0, 9, 9));
    EXPECT_EQ(list.line(4), nullptr);
    list.setColor(-5);
    list.setWidth(2);
    for (const Line& l : list.lines()) {
        EXPECT_EQ(l.style.colorLine, -5);
        EXPECT_EQ(l.style.widthLine, 2);
    }
}

}  // namespace
}  // namespace gridova
