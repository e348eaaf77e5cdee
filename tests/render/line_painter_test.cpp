// Lines, line lists and groups drawn with their styles on a recording
// device; device pixels worked out by hand from the world window.
#include "render/line_painter.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/message_log.h"
#include "platform/recording_device.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

using P = LinePoint;

Line lineOf(std::vector<P> points) { return Line(std::move(points)); }

// A canvas over a 100 x 100 recording device showing the world 0..10:
// 10 pixels a unit, device (10x, 100 − 10y).
struct Scene {
    Scene() : device({100, 100}) {
        canvas.beginExternal(&device);
        canvas.setWorldWindow(0, 0, 10, 10);
        device.clear();
    }
    ~Scene() { canvas.endExternal(); }
    gdi::RecordingDevice device;
    DrawingCanvas canvas;
};

TEST(LineDrawing, EachFillTypeDrawsItsShapes) {
    const std::vector<P> triangle = {{1, 1}, {5, 1}, {5, 5}, {1, 1}};
    const std::string shape = "4 10,90 50,90 50,50 10,90";
    struct Case {
        const char* name;
        LineStyle style;
        std::vector<std::string> calls;
    };
    LineStyle outline;
    outline.colorLine = 0x0000FF;
    outline.widthLine = 3;
    LineStyle filled = outline;
    filled.typeDraw = LineStyle::kFilled;
    filled.fillColor = 0x00FF00;
    LineStyle both = filled;
    both.typeDraw = LineStyle::kFilledHatched;
    both.hatch = 4;
    both.patternColor = 0xFF0000;
    LineStyle hatched = both;
    hatched.typeDraw = LineStyle::kHatched;
    LineStyle dashed = outline;
    dashed.penStyle = 1;  // styled pens are one pixel wide
    const Case cases[] = {
        {"outline", outline, {"pen 0 3 #ff0000", "polyline " + shape, "pen 0 0 #000000"}},
        {"filled",
         filled,
         {"pen 0 3 #ff0000", "brush solid #00ff00", "polygon " + shape, "brush solid #ffffff",
          "pen 0 0 #000000"}},
        {"filled and hatched",
         both,
         {"pen 0 3 #ff0000", "brush solid #00ff00", "polygon " + shape, "brush solid #ffffff",
          "brush hatch 4 #0000ff", "polygon " + shape, "brush solid #ffffff", "pen 0 0 #000000"}},
        {"hatched",
         hatched,
         {"pen 0 3 #ff0000", "brush hatch 4 #0000ff", "polygon " + shape, "brush solid #ffffff",
          "pen 0 0 #000000"}},
        {"dashed", dashed, {"pen 1 0 #ff0000", "polyline " + shape, "pen 0 0 #000000"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s;
        Line l = lineOf(triangle);
        l.style = c.style;
        drawLine(s.canvas, l, nullptr);
        EXPECT_EQ(s.device.calls(), c.calls);
        EXPECT_EQ(s.canvas.penWidth(), 0);
        EXPECT_FALSE(s.canvas.brushSet());
    }
}

TEST(LineDrawing, OnlyOutlinesAreDrawnWhenOutOfSight) {
    for (std::int32_t type : {LineStyle::kOutline, LineStyle::kFilled, LineStyle::kHatched}) {
        SCOPED_TRACE(type);
        Scene s;
        Line far = lineOf({{20, 20}, {30, 20}, {30, 30}, {20, 20}});
        far.style.typeDraw = type;
        drawLine(s.canvas, far, nullptr);
        EXPECT_EQ(s.device.callsOf("polyline").size(), type == LineStyle::kOutline ? 1u : 0u);
        EXPECT_TRUE(s.device.callsOf("polygon").empty());
    }
}

TEST(LineDrawing, NegativeColoursComeFromTheNearestPalette) {
    struct Case {
        const char* name;
        std::optional<ColorPalette> palette;
        std::int32_t colorLine;
        std::string pen;
        std::string logged;
    };
    const ColorPalette two = {0x112233, 0x445566};
    const Case cases[] = {
        {"entry 0", two, -1, "pen 0 0 #332211", ""},
        {"entry 1", two, -2, "pen 0 0 #665544", ""},
        {"entry 2 of two", two, -3, "pen 0 0 #000000", "Неправильный индекс цвета в Bush 2"},
        {"lowest value", two, INT32_MIN, "pen 0 0 #000000",
         "Неправильный индекс цвета в Bush 2147483647"},
        {"no palette", std::nullopt, -1, "pen 0 0 #000000", "В Bush не определена паллитра цветов"},
        {"a plain colour", std::nullopt, 0x0A0B0C, "pen 0 0 #0c0b0a", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        // The palette sits two groups above the line.
        Bush root;
        if (c.palette) root.setPalette(*c.palette);
        Bush& middle = root.addChild(std::make_unique<Bush>("a"));
        Bush& leaf = middle.addChild(std::make_unique<Bush>("b"));
        Line l = lineOf({{1, 1}, {2, 2}});
        l.style.colorLine = c.colorLine;
        leaf.addItem(BushItem(std::move(l)));
        Scene s;
        drawGroupLines(s.canvas, root);
        ASSERT_FALSE(s.device.calls().empty());
        EXPECT_EQ(s.device.calls().front(), c.pen);
        EXPECT_EQ(lastLogged(), c.logged);
    }
    // A palette nearer the line wins over one further up.
    Bush root;
    root.setPalette({0x000001});
    Bush& child = root.addChild(std::make_unique<Bush>("x"));
    child.setPalette({0x0000FF});
    EXPECT_EQ(resolveLineColor(-1, child.nearestPalette()), 0x0000FFu);
    EXPECT_EQ(resolveLineColor(-1, root.nearestPalette()), 0x000001u);
}

TEST(LineDrawing, AListDrawsEveryLineThatHasPoints) {
    LineList list;
    list.add(lineOf({{0, 0}, {1, 1}}));
    list.add(Line());  // no points: nothing to draw
    list.add(lineOf({{-2, 5}, {3, 4}, {0, 0}}));
    list.add(lineOf({{9, 9}, {8, 8}, {7, 7}}));
    Scene s;
    drawLines(s.canvas, list);
    EXPECT_EQ(s.device.callsOf("polyline").size(), 3u);
}

TEST(LineDrawing, AGroupDrawsItsOwnLinesThenItsChildren) {
    // root: line "a" (0,0)-(1,1) and a point set; child "c1": line "b"
    // (5,5)-(6,6); its child "c2": line "c" (-3,2)-(-2,3). The world
    // -10..10 on 100 pixels: 5 pixels a unit, y upward.
    Bush root("root");
    root.addItem(BushItem(lineOf({{0, 0}, {1, 1}})));
    PointSet set;
    set.addPoint(2, -1, 0);
    root.addItem(BushItem(std::move(set)));
    Bush& c1 = root.addChild(std::make_unique<Bush>("c1"));
    c1.addItem(BushItem(lineOf({{5, 5}, {6, 6}})));
    Bush& c2 = c1.addChild(std::make_unique<Bush>("c2"));
    c2.addItem(BushItem(lineOf({{-3, 2}, {-2, 3}})));
    root.addChild(std::make_unique<Bush>("c3"));

    gdi::RecordingDevice device({100, 100});
    DrawingCanvas canvas;
    canvas.beginExternal(&device);
    canvas.setWorldWindow(-10, -10, 10, 10);
    device.clear();
    drawGroupLines(canvas, root);
    const auto polylines = device.callsOf("polyline");
    ASSERT_EQ(polylines.size(), 3u);
    EXPECT_EQ(polylines[0], "polyline 2 50,50 55,45");  // "a"
    EXPECT_EQ(polylines[1], "polyline 2 75,25 80,20");  // "b"
    EXPECT_EQ(polylines[2], "polyline 2 35,40 40,35");  // "c"
    canvas.endExternal();
}

}  // namespace
}  // namespace gridova
