// The triangle network on the map (map type 6) and the point set of a map
// opened from a TRIANGLES file.
#include "render/triangle_layer.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/qt/qt_device.h"
#include "render/badges.h"
#include "render/drawing_canvas.h"
#include "render/line_painter.h"
#include "tests/common/picture_compare.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

// Two triangles over the square (0, 0)-(2, 2) in the file's order, and a
// vertex (5) that no triangle uses.
TriangleNetwork squareNetwork() {
    TriangleNetwork n;
    n.xy = {0, 0, 2, 0, 2, 2, 0, 2, 9, 9};
    n.values = {1, 2, 3, 4, 5};
    n.corners = {1, 2, 3, 3, 4, 1};
    return n;
}

std::vector<LinePoint> points(const Line& line) { return line.points(); }

TEST(NetworkLines, OneClosedLinePerTriangle) {
    const auto lines = networkLines(squareNetwork());
    ASSERT_EQ(lines->size(), 2u);
    EXPECT_EQ(points(lines->lines()[0]), (std::vector<LinePoint>{{0, 0}, {2, 0}, {2, 2}, {0, 0}}));
    EXPECT_EQ(points(lines->lines()[1]), (std::vector<LinePoint>{{2, 2}, {0, 2}, {0, 0}, {2, 2}}));
    EXPECT_EQ(lines->lines()[0].style, LineStyle{});
}

TEST(NetworkLines, ReadSetOrTriangulationOfAllPoints) {
    // All points, with a value or not, and the border corners make the
    // network: the square's corners (the border) and its centre (a point
    // without value) give the fan of four triangles.
    PointSet set;
    DataPoint centre;
    centre.x = 1;
    centre.y = 1;
    set.addExisting(centre);
    LineList border;
    border.add(Line({{0, 0}, {2, 0}, {2, 2}, {0, 2}, {0, 0}}));
    const NetworkSource source{&set, &border, {}};
    const auto fan = buildNetworkLines(source);
    ASSERT_NE(fan, nullptr);
    EXPECT_EQ(fan->size(), 4u);
    for (const Line& line : fan->lines()) {
        EXPECT_TRUE(line.isClosed());
        EXPECT_EQ(line.size(), 4u);
    }
    // A set read from a file shows its own triangles.
    const TriangleNetwork read = squareNetwork();
    const auto own = buildNetworkLines(source, &read);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(own->size(), 2u);
    // One vertex is no network.
    EXPECT_EQ(buildNetworkLines({&set, nullptr, {}}), nullptr);
}

TEST(TrianglesMap, OnePointPerVertex) {
    const PointSet set = pointSetFromTriangles(squareNetwork());
    ASSERT_EQ(set.size(), 5u);
    const DataPoint& p = set.points()[2];
    EXPECT_EQ(p.x, 2);
    EXPECT_EQ(p.y, 2);
    ASSERT_TRUE(p.value.present());
    EXPECT_EQ(p.value.value, 3);
    EXPECT_EQ(set.points()[4].value.value, 5);
}

// The network of 60 points and a border pentagon, drawn as map type 6 draws
// it: the lines over the points with their default badges.
TEST(NetworkPicture, MatchesTheReviewedReference) {
    ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed";
    PointSet set;
    std::uint64_t s = 2026;
    const auto next = [&s] {
        s = s * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(s >> 11) * 0x1.0p-53;
    };
    for (int k = 0; k < 60; ++k) {
        const double x = 10 + 80 * next(), y = 10 + 60 * next();
        set.addPoint(x, y, std::sin(x / 10) + y / 20);
    }
    set.computeStatistics();
    LineList border;
    border.add(Line({{0, 0}, {100, 5}, {95, 75}, {45, 80}, {2, 60}, {0, 0}}));
    const auto network = buildNetworkLines({&set, &border, {}});
    ASSERT_NE(network, nullptr);

    QtImageDevice device({480, 400}, gdi::rgb(255, 255, 255));
    DrawingCanvas canvas;
    canvas.beginExternal(&device);
    canvas.setIsotropic(true);
    canvas.setWorldWindow(-5, -5, 105, 85);
    drawLines(canvas, *network);
    drawPointSet(canvas, set);
    canvas.endExternal();
    const QImage picture = device.finishedImage();
    if (testing::writeReferenceInstead(picture, "map_type6_network.png")) return;
    testing::expectMatchesReference(picture, "map_type6_network.png");
}

}  // namespace
}  // namespace gridova
