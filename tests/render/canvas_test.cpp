#include "render/drawing_canvas.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/message_log.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

using gdi::Point;
using gdi::RecordingDevice;

// A canvas drawing on a recording device of the given size.
struct Scene {
    explicit Scene(gdi::Size size) : device(size) { canvas.beginExternal(&device); }
    ~Scene() { canvas.endExternal(); }
    RecordingDevice device;
    DrawingCanvas canvas;
};

TEST(StandardPalette, EntriesAtTheRampEdges) {
    struct Case {
        int index;
        unsigned r, g, b;
    };
    const Case cases[] = {
        {0, 0, 0, 0},       {15, 255, 255, 255}, {16, 64, 0, 190},    {63, 252, 0, 2},
        {64, 252, 0, 0},    {127, 0, 252, 0},    {128, 0, 252, 0},    {191, 252, 0, 252},
        {192, 252, 0, 252}, {255, 252, 252, 0},  {13, 255, 251, 240}, {11, 166, 202, 240},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.index);
        EXPECT_EQ(StandardPalette::color(c.index), gdi::rgb(c.r, c.g, c.b));
    }
}

TEST(CanvasTransform, WorldToDevice) {
    struct Case {
        const char* name;
        gdi::Size area;
        WorldRect world;
        bool isotropic;
        DrawingCanvas::YMode mode;
        double x, y;
        Point expected;
    };
    using Y = DrawingCanvas::YMode;
    const Case cases[] = {
        // 100 x 100 area, world 0..10: 10 pixels a unit; Y up maps ymin to
        // the bottom edge.
        {"y up, origin", {100, 100}, {0, 0, 10, 10}, true, Y::Up, 0, 0, {0, 100}},
        {"y up, corner", {100, 100}, {0, 0, 10, 10}, true, Y::Up, 10, 10, {100, 0}},
        {"y down", {100, 100}, {0, 0, 10, 10}, true, Y::Down, 2.55, 3, {25, 30}},
        // A window twice as wide as high in a square area: equal bands of
        // 25 pixels above and below.
        {"isotropic band top", {100, 100}, {0, 0, 20, 10}, true, Y::Up, 0, 10, {0, 25}},
        {"isotropic band bottom", {100, 100}, {0, 0, 20, 10}, true, Y::Up, 0, 0, {0, 75}},
        // Without isotropy the Y scale fills the height.
        {"anisotropic", {100, 100}, {0, 0, 20, 10}, false, Y::Up, 20, 10, {100, 0}},
        // Height 0 becomes the width: a square window.
        {"zero height", {100, 100}, {0, 5, 10, 5}, true, Y::Up, 10, 5, {100, 100}},
        {"zero width", {100, 100}, {3, 0, 3, 10}, true, Y::Up, 13, 0, {100, 100}},
        // Far left clamps at -32000; far right is not clamped until the
        // large bound.
        {"far left", {100, 100}, {0, 0, 10, 10}, true, Y::Up, -1e6, 5, {-32000, 50}},
        {"far right", {100, 100}, {0, 0, 10, 10}, true, Y::Up, 1e5, 5, {1000000, 50}},
        {"huge", {100, 100}, {0, 0, 10, 10}, true, Y::Up, 1e300, 5, {16000000, 50}},
        {"nan", {100, 100}, {0, 0, 10, 10}, true, Y::Up, std::nan(""), 5, {-32000, 50}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s(c.area);
        s.canvas.setIsotropic(c.isotropic);
        s.canvas.setYMode(c.mode);
        s.canvas.setWorldWindow(c.world.xmin, c.world.ymin, c.world.xmax, c.world.ymax);
        EXPECT_EQ(s.canvas.toDevice(c.x, c.y), c.expected);
    }
}

TEST(CanvasTransform, MarginsCentreAndInverse) {
    Scene s({200, 100});
    s.canvas.setMargins(10, 20, 30, 40);  // drawable 160 x 40
    s.canvas.setWorldWindow(0, 0, 4, 2);  // isotropic: 20 px a unit, 80 x 40
    EXPECT_EQ(s.canvas.scaleX(), 20.0);
    EXPECT_EQ(s.canvas.originX(), 50);  // (160 - 80) / 2 + 10
    EXPECT_EQ(s.canvas.bottom(), 60);
    EXPECT_EQ(s.canvas.toDevice(4, 2), (Point{130, 20}));
    EXPECT_DOUBLE_EQ(s.canvas.toWorldX(90), 2.0);
    EXPECT_DOUBLE_EQ(s.canvas.toWorldY(40), 1.0);
    const WorldRect v = s.canvas.visibleWorld();
    EXPECT_DOUBLE_EQ(v.xmin, -2.5);  // device 0
    EXPECT_DOUBLE_EQ(v.xmax, 6.0);   // device 170 = 200 - 30
    EXPECT_DOUBLE_EQ(v.ymin, 0.0);
    EXPECT_DOUBLE_EQ(v.ymax, 3.0);  // device 0
    EXPECT_TRUE(s.canvas.isVisible(-2.5, 3.0));
    EXPECT_FALSE(s.canvas.isVisible(6.1, 1.0));

    s.canvas.lockMargins(true);
    s.canvas.addMargins(5, 5, 5, 5);
    EXPECT_EQ(s.canvas.margins(), (std::array<int, 4>{10, 20, 30, 40}));
    EXPECT_FALSE(s.canvas.fitToReferencePoints({0, 0}, {10, 10}, 0, 0, 1, 1));
}

TEST(CanvasTransform, FitToReferencePoints) {
    struct Case {
        const char* name;
        Point d1, d2;
        double x1, y1, x2, y2;
    };
    const Case cases[] = {
        {"general", {10, 90}, {60, 40}, 100, 200, 200, 300},
        // The two device points share their Y: the X scale serves for both.
        {"same device y", {10, 50}, {60, 50}, 100, 200, 200, 200},
        // Share their X: the Y scale serves for both.
        {"same device x", {30, 90}, {30, 40}, 100, 200, 100, 300},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Scene s({100, 100});
        ASSERT_TRUE(s.canvas.fitToReferencePoints(c.d1, c.d2, c.x1, c.y1, c.x2, c.y2));
        EXPECT_TRUE(std::isfinite(s.canvas.scaleX()));
        EXPECT_EQ(s.canvas.toDevice(c.x1, c.y1), c.d1);
        EXPECT_EQ(s.canvas.toDevice(c.x2, c.y2), c.d2);
        EXPECT_DOUBLE_EQ(s.canvas.scaleX(), s.canvas.scaleY());
    }
}

TEST(CanvasShapes, LongPolylinesAreDrawnInOverlappingPieces) {
    struct Case {
        std::size_t points;
        std::vector<std::pair<int, int>> pieces;  // first and last index
    };
    const Case cases[] = {
        {4500, {{0, 1999}, {1999, 3999}, {3998, 4499}}},
        {2000, {{0, 1999}}},
        {2001, {{0, 1999}, {1999, 2000}}},
        {2, {{0, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.points);
        Scene s({100, 100});
        std::vector<Point> points(c.points);
        for (std::size_t i = 0; i < c.points; ++i) points[i] = {static_cast<int>(i), 0};
        s.device.clear();
        s.canvas.polyline(points.data(), points.size());
        const auto calls = s.device.callsOf("polyline");
        ASSERT_EQ(calls.size(), c.pieces.size());
        for (std::size_t k = 0; k < calls.size(); ++k) {
            const auto [first, last] = c.pieces[k];
            const std::string expectedStart = "polyline " + std::to_string(last - first + 1) + " " +
                                              std::to_string(first) + ",0 ";
            EXPECT_EQ(calls[k].rfind(expectedStart, 0), 0u) << calls[k];
            const std::string end = " " + std::to_string(last) + ",0";
            EXPECT_EQ(calls[k].substr(calls[k].size() - end.size()), end);
        }
    }
}

TEST(CanvasShapes, SmallPolygonBuffer) {
    Scene s({100, 100});
    std::vector<int> x(101), y(101);
    for (int i = 0; i < 101; ++i)
        x[static_cast<std::size_t>(i)] = i, y[static_cast<std::size_t>(i)] = i % 7;
    s.device.clear();
    s.canvas.polygonXY(x.data(), y.data(), 101);
    EXPECT_TRUE(s.device.callsOf("polygon").empty());
    s.canvas.polygonXY(x.data(), y.data(), 100);
    EXPECT_EQ(s.device.callsOf("polygon").size(), 1u);
}

TEST(CanvasShapes, CircleRotatedRectangleAndFittedPicture) {
    Scene s({200, 100});
    s.device.clear();
    s.canvas.circle(50, 40, 10, true);
    EXPECT_EQ(s.device.callsOf("ellipse"), std::vector<std::string>{"ellipse 40,30 61,51"});

    // Turned by 90 degrees: (x, y), (x, y - w), (x + h, y - w), (x + h, y).
    s.canvas.rotatedRectangle(10, 50, std::acos(0.0), 20, 5);
    EXPECT_EQ(s.device.callsOf("polygon").back(), "polygon 5 10,50 10,30 15,30 15,50 10,50");

    gdi::Dib picture;
    picture.width = 40;
    picture.height = 10;
    picture.bits.assign(picture.imageSize(), 0);
    s.canvas.drawFittedPicture(picture);
    // Scale min(200/40, 100/10) = 5: 200 x 50, centred vertically.
    EXPECT_EQ(s.device.callsOf("bitmap").back(), "bitmap 40x10 0,25 200,75 copy");
}

TEST(CanvasPensAndBrushes, StylesWidthsAndSecondBrush) {
    Scene s({100, 100});
    s.canvas.setPenWidth(3);
    s.canvas.setColorPen(gdi::rgb(1, 2, 3));
    EXPECT_EQ(s.device.pen(), (gdi::Pen{gdi::PenStyle::Solid, 3, gdi::rgb(1, 2, 3)}));
    s.canvas.setPen(gdi::PenStyle::Dot, gdi::rgb(9, 9, 9));
    EXPECT_EQ(s.device.pen().width, 0);  // a styled pen is one pixel
    s.canvas.setDashPen(5);
    EXPECT_EQ(s.device.pen(), (gdi::Pen{gdi::PenStyle::Dash, 1, gdi::rgb(255, 0, 0)}));
    s.canvas.deletePen();
    EXPECT_EQ(s.device.pen(), gdi::Pen{});
    EXPECT_EQ(s.canvas.previousPenWidth(), 0);

    s.canvas.setColorBrush(gdi::rgb(10, 20, 30));
    s.canvas.setHatchBrush(gdi::Hatch::Cross, gdi::rgb(40, 50, 60));
    // A second brush without deleting the first: logged, and still set.
    EXPECT_EQ(lastLogged(), "Brush not destroy");
    EXPECT_EQ(s.device.brush(), gdi::Brush::hatched(gdi::Hatch::Cross, gdi::rgb(40, 50, 60)));
    s.canvas.deleteBrush();
    EXPECT_EQ(s.device.brush(), gdi::Brush::solid(gdi::rgb(255, 255, 255)));
    s.canvas.deleteBrush();
    EXPECT_EQ(lastLogged(), "DeleteBrush: Brush not defined");
}

TEST(CanvasFonts, GeneralFontsAndProfileOverrides) {
    {
        DrawingCanvas canvas;
        EXPECT_EQ(canvas.generalFont(1).height, -8);   // 6 pt at 96 dpi
        EXPECT_EQ(canvas.generalFont(2).height, -16);  // 12 pt
        EXPECT_EQ(canvas.generalFont(3).height, -11);  // 8 pt, rounded
        EXPECT_EQ(canvas.generalFont(4).faceName, "Arial");
        EXPECT_EQ(canvas.generalFont(1).charSet, 204);
        EXPECT_EQ(canvas.currentFont(), canvas.generalFont(1));
    }
    writeProfileInt("GeneralFont2", "Height", -30);
    writeProfileText("GeneralFont2", "FaceName", "DejaVu Serif");
    writeProfileText("GeneralFont2", "Weight", "bold");  // not a number: kept
    DrawingCanvas canvas;
    EXPECT_EQ(canvas.generalFont(2).height, -30);
    EXPECT_EQ(canvas.generalFont(2).faceName, "DejaVu Serif");
    EXPECT_EQ(canvas.generalFont(2).weight, 400);

    RecordingDevice device;
    canvas.beginExternal(&device);
    canvas.selectGeneralFont(2);
    canvas.selectRotatedFont(900);
    EXPECT_EQ(device.font().escapement, 900);
    EXPECT_EQ(device.font().orientation, 900);
    EXPECT_EQ(device.font().height, -30);
    canvas.restoreGeneralFont();
    EXPECT_EQ(device.font(), canvas.generalFont(1));
    canvas.endExternal();
}

// A window of a given client size that records what it is asked to show.
class FakeWindow final : public CanvasWindow {
public:
    explicit FakeWindow(gdi::Size size) : size_(size), device_(size) {}
    gdi::Size clientSize() const override { return size_; }
    gdi::Device* clientDevice() override { return &device_; }
    void releaseClientDevice() override {}
    void present(gdi::BitmapDevice& memory, const gdi::Rect& part) override {
        presented.push_back(part);
        lastPixels = memory.dib();
    }
    void captureMouse(bool capture) override { captured = capture; }

    std::vector<gdi::Rect> presented;
    gdi::Dib lastPixels;
    bool captured = false;
    RecordingDevice& device() { return device_; }

private:
    gdi::Size size_;
    RecordingDevice device_;
};

TEST(CanvasTargets, MemoryBitmapPaintAndDirectDrawing) {
    QtDeviceFactory factory;
    gdi::setDeviceFactory(&factory);
    FakeWindow window({120, 80});
    DrawingCanvas canvas;
    canvas.attach(&window);
    ASSERT_NE(canvas.memoryDevice(), nullptr);
    EXPECT_EQ(canvas.memoryDevice()->size(), (gdi::Size{120, 80}));
    canvas.setWorldWindow(0, 0, 12, 8);
    canvas.setColorBrush(gdi::rgb(255, 0, 0));
    canvas.rectangle({0, 0, 120, 80});
    canvas.deleteBrush();

    // Paint clips to the drawing area; negative corners become 0.
    canvas.paint(-10, 70, 50, 50);
    ASSERT_EQ(window.presented.size(), 1u);
    EXPECT_EQ(window.presented[0], (gdi::Rect{0, 70, 40, 80}));
    canvas.paint(200, 0, 10, 10);  // outside: nothing
    EXPECT_EQ(window.presented.size(), 1u);
    // The memory bitmap holds the red fill inside the black frame
    // (bottom-up rows, B G R).
    const std::size_t inside = 5 * window.lastPixels.stride() + 5 * 3;
    EXPECT_EQ(window.lastPixels.bits[inside + 2], 255);
    EXPECT_EQ(window.lastPixels.bits[inside + 1], 0);
    EXPECT_EQ(window.lastPixels.bits[2], 0);

    // Direct drawing goes to the window and nests.
    canvas.beginDirectDrawing();
    canvas.beginDirectDrawing();
    canvas.line({1, 1}, {5, 5});
    canvas.endDirectDrawing();
    EXPECT_EQ(canvas.target(), &window.device());
    canvas.endDirectDrawing();
    EXPECT_EQ(canvas.target(), canvas.memoryDevice());
    EXPECT_EQ(window.device().callsOf("lineto"), std::vector<std::string>{"lineto 5,5"});

    canvas.captureMouse();
    EXPECT_TRUE(window.captured);
    canvas.releaseMouse();
    EXPECT_FALSE(window.captured);
    gdi::setDeviceFactory(nullptr);
}

TEST(CanvasTargets, WithoutAWindowFailuresAreLogged) {
    DrawingCanvas canvas;
    EXPECT_EQ(canvas.acquireClientDevice(), nullptr);
    EXPECT_EQ(lastLogged(), "Получение CDC неопределенного окна");
    EXPECT_FALSE(canvas.createMemCDC());
    EXPECT_EQ(lastLogged(), "CreateMemCDC: Indefined window");
    canvas.paint(0, 0, 10, 10);
    EXPECT_EQ(lastLogged(), "Paint: Undefined window");
    // No device factory: no memory picture.
    EXPECT_FALSE(canvas.createMemMetaCDC());
    EXPECT_FALSE(canvas.closeMemMetaCDC().has_value());
}

TEST(CanvasSettings, PageSizeAndBackgroundFromTheProfile) {
    writeProfileInt("PrintSetup", "PageSizeX", 1024);
    writeProfileInt("PrintSetup", "PageSizeY", 768);
    writeProfileLong("Canvas", "Background Color", gdi::rgb(1, 2, 3));
    DrawingCanvas canvas;
    EXPECT_EQ(canvas.pageSize(), (gdi::Size{1024, 768}));
    EXPECT_EQ(canvas.backgroundColor(), gdi::rgb(1, 2, 3));
    canvas.setBackgroundColor(gdi::rgb(200, 100, 50));
    std::int64_t stored = 0;
    readProfileLong("Canvas", "Background Color", stored);
    EXPECT_EQ(stored, gdi::rgb(200, 100, 50));
}

// A page size from the profile that would ask for more than a page may
// take (a side over 32767 pixels, or more than 2^28 pixels in all: 32767 ×
// 32767 once took 11.3 GB) is not taken, from the profile or from a caller.
TEST(CanvasSettings, PageSizesBeyondTheLimitAreNotTaken) {
    struct Case {
        std::int32_t x, y;
        bool taken;
    };
    const Case cases[] = {
        {16384, 16384, true},  {32767, 8192, true}, {32767, 32767, false}, {32768, 100, false},
        {16385, 16384, false}, {0, 500, false},     {-5, 500, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.x << " x " << c.y);
        writeProfileInt("PrintSetup", "PageSizeX", c.x);
        writeProfileInt("PrintSetup", "PageSizeY", c.y);
        DrawingCanvas fromProfile;
        const gdi::Size expected = c.taken ? gdi::Size{c.x, c.y} : gdi::Size{800, 800};
        EXPECT_EQ(fromProfile.pageSize(), expected);
        removeProfileSection("PrintSetup");
        DrawingCanvas set;
        set.setPageSize({c.x, c.y});
        EXPECT_EQ(set.pageSize(), expected);
    }
}

}  // namespace
}  // namespace gridova
