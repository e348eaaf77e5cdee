#include "data/point_set.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/data_table.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

DataPoint point(double x, double y, std::optional<double> v = std::nullopt,
                const char* label = nullptr) {
    DataPoint p;
    p.x = x;
    p.y = y;
    if (v) p.value.set(*v);
    if (label != nullptr) p.setLabel(label);
    return p;
}

TEST(PointSet, StatisticsLeaveValuelessPointsOutOfTheRangeButNotTheMean) {
    PointSet s;
    s.addExisting(point(0, 5, 2.0));
    s.addExisting(point(3, -1));
    s.addExisting(point(-4, 2, 4.0));
    s.computeStatistics();
    EXPECT_EQ(s.xmin, -4);
    EXPECT_EQ(s.xmax, 3);
    EXPECT_EQ(s.ymin, -1);
    EXPECT_EQ(s.ymax, 5);
    EXPECT_EQ(s.vmin, 2);
    EXPECT_EQ(s.vmax, 4);
    EXPECT_EQ(s.mean, 2.0);  // (2 + 4) / 3
    EXPECT_EQ(s.dx, 7);
    EXPECT_EQ(s.dy, 6);
    EXPECT_DOUBLE_EQ(s.diagonal, std::sqrt(85.0));
    EXPECT_EQ(s.extent[0], -4);
    EXPECT_EQ(s.extent[3], 5);
    EXPECT_EQ(s.countWithValues(), 2u);
}

TEST(PointSet, RangesNeedAPointList) {
    PointSet s;
    double a = 9, b = 9, c = 9, d = 9;
    EXPECT_EQ(s.ranges(a, b, c, d), -1);
    EXPECT_EQ(s.valueRange(a, b), -1);
    EXPECT_EQ(a, 9);
    s.addPoint(1, 2, 3);
    s.computeStatistics();
    EXPECT_EQ(s.ranges(a, b, c, d), 0);
    EXPECT_EQ(a, 1);
    EXPECT_EQ(d, 2);
}

TEST(PointSet, SizeFactors) {
    struct Case {
        std::vector<std::optional<double>> values;
        std::vector<double> factors;
    };
    const Case cases[] = {
        {{0.0, 5.0, 10.0}, {0.0, 0.5, 1.0}},
        {{-2.0, 2.0, std::nullopt}, {0.0, 1.0, 0.0}},
        {{7.0, 7.0, 7.0}, {0.0, 0.0, 0.0}},  // all values equal
    };
    for (const auto& c : cases) {
        PointSet s;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            s.addExisting(point(static_cast<double>(i), 0, c.values[i]));
        }
        s.computeSizeFactors();
        for (std::size_t i = 0; i < c.factors.size(); ++i) {
            EXPECT_DOUBLE_EQ(s.points()[i].sizeFactor, c.factors[i]) << i;
        }
    }
}

TEST(PointSet, MirrorTwiceRestoresTheCoordinates) {
    PointSet s;
    s.addExisting(point(0, 1.25));
    s.addExisting(point(0, 3.5));
    s.addExisting(point(0, 10.0));
    s.computeStatistics();
    s.mirrorY();
    EXPECT_EQ(s.points()[0].y, 10.0);
    EXPECT_EQ(s.points()[1].y, 7.75);
    EXPECT_EQ(s.points()[2].y, 1.25);
    EXPECT_EQ(s.ymin, 1.25);  // the ranges do not change
    s.mirrorY();
    EXPECT_EQ(s.points()[0].y, 1.25);
    EXPECT_EQ(s.points()[1].y, 3.5);
    EXPECT_EQ(s.points()[2].y, 10.0);
}

TEST(PointSet, FitToMapsTheDerivedSetOntoTheExtent) {
    PointSet s;
    s.addExisting(point(10, 100, 1.0, "A"));
    s.addExisting(point(20, 300, 2.0));
    s.addExisting(point(15, 200));
    s.computeStatistics();
    s.fitTo(0, 0, 1, 4);
    ASSERT_NE(s.derived(), nullptr);
    const PointSet& d = *s.derived();
    EXPECT_EQ(&s.asSeen(), &d);
    EXPECT_EQ(d.xScale, 0.1);
    EXPECT_EQ(d.yScale, 0.02);
    EXPECT_EQ(d.xOffset, 0);
    EXPECT_EQ(d.points()[0].x, 0);
    EXPECT_EQ(d.points()[1].x, 1);
    EXPECT_DOUBLE_EQ(d.points()[2].x, 0.5);
    EXPECT_EQ(d.points()[1].y, 4);
    EXPECT_EQ(d.points()[0].label, "A");
    // The set itself is unchanged; the ranges are those of the set as seen.
    EXPECT_EQ(s.points()[0].x, 10);
    double x0, x1, y0, y1;
    s.ranges(x0, x1, y0, y1);
    EXPECT_EQ(x1, 1);
    EXPECT_EQ(y1, 4);

    // All points on one x: scale 0 and every x maps to a.
    PointSet column;
    column.addExisting(point(5, 1));
    column.addExisting(point(5, 2));
    column.computeStatistics();
    column.fitTo(-3, 0, 3, 1);
    EXPECT_EQ(column.derived()->xScale, 0);
    EXPECT_EQ(column.derived()->points()[0].x, -3);
    EXPECT_EQ(column.derived()->points()[1].x, -3);
}

TEST(PointSet, SortByDistance) {
    PointSet s;
    s.addExisting(point(10, 0, 1.0));
    s.addExisting(point(1, 1, 2.0));
    s.addExisting(point(-3, 0, 3.0));
    s.addExisting(point(0, 0, 4.0));
    s.sortByDistance(0, 0);
    std::vector<double> order;
    for (const auto& p : s.points()) order.push_back(p.value.value);
    EXPECT_EQ(order, (std::vector<double>{4, 2, 3, 1}));
}

TEST(PointSet, SetAllValuesValueArraysAndRemove) {
    PointSet s;
    s.addExisting(point(1, 2));
    s.addExisting(point(3, 4, 5.0));
    auto arrays = s.valueArrays();
    ASSERT_TRUE(arrays.has_value());
    EXPECT_EQ(arrays->x, std::vector<double>{3});
    EXPECT_EQ(arrays->v, std::vector<double>{5});
    s.setAllValues(-1);
    arrays = s.valueArrays();
    EXPECT_EQ(arrays->y, (std::vector<double>{2, 4}));
    EXPECT_EQ(arrays->v, (std::vector<double>{-1, -1}));

    const auto removed = s.removePoint(0);
    ASSERT_TRUE(removed.has_value());
    EXPECT_EQ(removed->x, 1);
    EXPECT_EQ(s.size(), 1u);
    EXPECT_FALSE(s.removePoint(5).has_value());
}

TEST(PointSet, NamesAreCutAt127Characters) {
    PointSet s;
    EXPECT_EQ(s.name(), "Серия1");
    EXPECT_EQ(s.setName(std::string(200, 'n')), 127u);
    EXPECT_EQ(s.name().size(), 127u);
    std::string cyrillic;
    for (int i = 0; i < 130; ++i) cyrillic += "ж";
    EXPECT_EQ(s.setName(cyrillic), 127u);
    EXPECT_EQ(s.name().size(), 254u);
}

TEST(PointSet, EmptyLabelsAreNoLabels) {
    DataPoint p;
    p.setLabel("");
    EXPECT_FALSE(p.label.has_value());
}

TEST(PointSet, WriteTextReadsBackExactly) {
    PointSet s;
    s.addExisting(point(0.1, 1.0 / 3.0, 2e-7, "W 1"));
    s.addExisting(point(123456.789012345678, -5));
    s.addExisting(point(1e20, 2, -0.5, "P2"));
    const std::string path = (testing::testDir() / "points.dat").string();
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(s.writeText(f));
    std::fclose(f);
    EXPECT_EQ(testing::readFile(path),
              "0.1, 0.3333333333333333, 2e-07, \"W 1\"\n"
              "123456.78901234567, -5, ,\n"  // Python repr() gives the same digits
              "1e+20, 2, -0.5, P2\n");

    DataTable t;
    t.readFile(path);
    PointSet back;
    back.buildFromTable(t);
    ASSERT_EQ(back.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.points()[i].x, s.points()[i].x);
        EXPECT_EQ(back.points()[i].y, s.points()[i].y);
        EXPECT_EQ(back.points()[i].value, s.points()[i].value);
        EXPECT_EQ(back.points()[i].label, s.points()[i].label);
    }
}

TEST(PointSet, CopyOrFitOfAnEmptySetHasNoRanges) {
    PointSet empty;
    PointSet copy;
    copy.copyFrom(empty);
    double a = 9, b = 9, c = 9, d = 9;
    EXPECT_EQ(copy.ranges(a, b, c, d), -1);
    empty.fitTo(0, 0, 1, 1);
    EXPECT_EQ(empty.ranges(a, b, c, d), -1);
    EXPECT_EQ(a, 9);
}

TEST(PointSet, CopiesAreDeep) {
    PointSet s;
    s.addExisting(point(1, 2, 3.0, "A"));
    s.computeStatistics();
    s.fitTo(0, 0, 1, 1);
    PointSet copy(s);
    copy.points()[0].x = 99;
    EXPECT_EQ(s.points()[0].x, 1);
    ASSERT_NE(copy.derived(), nullptr);
    EXPECT_NE(copy.derived(), s.derived());

    PointSet other;
    other.copyFrom(s);
    EXPECT_EQ(other.size(), 1u);
    EXPECT_EQ(other.xmax, 1);
    s.clear();
    EXPECT_EQ(s.size(), 0u);
    EXPECT_EQ(s.derived(), nullptr);
    EXPECT_EQ(other.points()[0].label, "A");
}

}  // namespace
}  // namespace gridova
