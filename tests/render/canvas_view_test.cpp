// The canvas view: page sizes of the paper formats, redraw bookkeeping and
// the polyline input with its rubber band.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/canvas_view.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

// --- Page sizes ---------------------------------------------------------------------

struct PageCase {
    const char* what;
    int format;
    int orientation;
    double right;  // MarginRightCoeff
    std::optional<gdi::Size> expected;
};

TEST(PageSize, PaperFormatsAtNinetySixDotsPerInch) {
    // Worked by hand: A4 portrait 8.268 × 11.693 in, fx = 1 − 0.1 − 0.07 =
    // 0.83, fy = 1 − 0.07 − 0.07 = 0.86: 96 · 0.83 · 8.268 = 658.8 → 658,
    // 96 · 0.86 · 11.693 = 965.4 → 965. Letter: 96 · 0.83 · 8.5 = 677.3,
    // 96 · 0.86 · 11 = 908.2.
    const PageCase cases[] = {
        {"A4 portrait", 1, 0, 0.07, gdi::Size{658, 965}},
        {"A4 landscape", 1, 1, 0.07, gdi::Size{965, 658}},
        {"Letter", 6, 0, 0.07, gdi::Size{677, 908}},
        {"right margin beyond what the left leaves", 1, 0, 0.95, gdi::Size{0, 965}},
        {"typed in pixels", 0, 0, 0.07, std::nullopt},
        {"screen in landscape keeps the screen", 10, 1, 0.07, gdi::Size{1920, 1080}},
        {"unknown format", 12, 0, 0.07, std::nullopt},
    };
    for (const PageCase& c : cases) {
        PrintSetup setup;
        setup.paperOrientation = c.orientation;
        setup.marginRightCoeff = c.right;
        const auto size = pageSizeForFormat(c.format, setup, ScreenMetrics{});
        EXPECT_EQ(size, c.expected) << c.what;
    }
}

TEST(PageSize, AnUnknownScreenResolutionIsLoggedAndGivesNothing) {
    ScreenMetrics screen;
    screen.pixelsPerInchX = 0;
    EXPECT_FALSE(pageSizeForFormat(1, PrintSetup{}, screen).has_value());
    EXPECT_EQ(testing::lastLogged(), "Can't define display pixel sizes");
}

TEST(PageSize, SidesStopAt32767) {
    ScreenMetrics screen;
    screen.pixelsPerInchX = screen.pixelsPerInchY = 2000;  // A0 at 2000 dpi
    const auto size = pageSizeForFormat(5, PrintSetup{}, screen);
    ASSERT_TRUE(size.has_value());
    EXPECT_EQ(size->cx, 32767);
    EXPECT_EQ(size->cy, 32767);
}

TEST(PrinterLayout, MarginsAndViewportFromTheCoefficients) {
    // 600 dpi printer, 4960 × 7016 pixels (A4), screen 96 dpi.
    const PrinterLayout l = printerLayout(PrintSetup{}, 600, 600, {4960, 7016}, 96, 96);
    EXPECT_EQ(l.marginLeft, 60);   // 600 · 0.1
    EXPECT_EQ(l.marginRight, 42);  // 600 · 0.07
    EXPECT_EQ(l.marginTop, 42);
    EXPECT_EQ(l.marginBottom, 42);
    EXPECT_EQ(l.windowExtent, (gdi::Size{96, 96}));
    EXPECT_EQ(l.viewportExtent, (gdi::Size{600, 600}));
    EXPECT_EQ(l.viewportOrigin, (gdi::Point{496, 491}));  // 4960 · 0.1, 7016 · 0.07
}

TEST(PrintSetupProfile, RoundTripAndBadValuesKeepTheDefaults) {
    PrintSetup setup;
    setup.marginLeftCoeff = 0.123456789012345;
    setup.page = 3;
    setup.unitCoef = 1 / 2.54;
    setup.writeProfile();
    PrintSetup back;
    back.readProfile();
    EXPECT_EQ(back.marginLeftCoeff, setup.marginLeftCoeff);
    EXPECT_EQ(back.page, 3);
    EXPECT_EQ(back.unitCoef, setup.unitCoef);

    writeProfileText("PrintSetup", "MarginTopCoeff", "abc");
    PrintSetup bad;
    bad.readProfile();
    EXPECT_EQ(bad.marginTopCoeff, 0.07);
}

// --- A view drawing into a fake window ---------------------------------------------------

class FakeWindow final : public ViewWindow {
public:
    explicit FakeWindow(gdi::Size size) : size_(size), device_(size) {}
    gdi::Size clientSize() const override { return size_; }
    gdi::Device* clientDevice() override { return &device_; }
    void releaseClientDevice() override {}
    void present(gdi::BitmapDevice&, const gdi::Rect& part) override { presented.push_back(part); }
    void captureMouse(bool) override {}
    void invalidate() override { ++invalidations; }
    void setDrawingCursor(bool drawing) override { drawingCursor = drawing; }

    void resize(gdi::Size size) { size_ = size; }
    gdi::RecordingDevice& device() { return device_; }
    std::vector<gdi::Rect> presented;
    int invalidations = 0;
    bool drawingCursor = false;

private:
    gdi::Size size_;
    gdi::RecordingDevice device_;
};

class CountingView final : public CanvasView {
public:
    int drawings = 0;

protected:
    void drawMap() override {
        ++drawings;
        canvas().setWorldWindow(0, 0, 100, 100);
    }
};

class CanvasViewTest : public ::testing::Test {
protected:
    void SetUp() override { gdi::setDeviceFactory(&factory_); }
    void TearDown() override { gdi::setDeviceFactory(nullptr); }
    QtDeviceFactory factory_;
};

TEST_F(CanvasViewTest, RedrawsOnlyWhenContentOrSizeChanged) {
    FakeWindow window({200, 100});
    CountingView view;
    view.setWindow(&window);

    view.paint();
    EXPECT_EQ(view.drawings, 1);
    view.paint();  // an overlap: a copy only
    EXPECT_EQ(view.drawings, 1);
    EXPECT_EQ(window.presented.size(), 2u);

    window.resize({300, 100});
    view.onSize({300, 100});
    window.resize({200, 100});
    view.onSize({200, 100});  // back to the drawn size before any paint
    view.paint();
    EXPECT_EQ(view.drawings, 1);

    view.invalidateMap();
    EXPECT_EQ(window.invalidations, 1);
    window.resize({300, 100});
    view.onSize({300, 100});
    window.resize({200, 100});
    view.onSize({200, 100});  // the content change is not forgotten
    view.paint();
    EXPECT_EQ(view.drawings, 2);

    window.resize({250, 120});
    view.onSize({250, 120});
    view.paint();
    EXPECT_EQ(view.drawings, 3);
}

TEST_F(CanvasViewTest, AMinimisedWindowDrawsAgainOnceItHasASize) {
    FakeWindow window({0, 0});
    CountingView view;
    view.setWindow(&window);
    view.paint();
    EXPECT_EQ(view.drawings, 0);
    EXPECT_TRUE(window.presented.empty());
    window.resize({120, 80});
    view.onSize({120, 80});
    view.paint();
    EXPECT_EQ(view.drawings, 1);
}

TEST_F(CanvasViewTest, AspectRatioToggleIsWrittenToTheViewsSection) {
    CountingView view;
    EXPECT_EQ(view.aspectRatio, 1);
    view.toggleAspectRatio();
    std::int32_t stored = -1;
    readProfileInt("Canvas View", "AspectRatio", stored);
    EXPECT_EQ(stored, 0);
    CountingView other;
    other.readProfile();
    EXPECT_EQ(other.aspectRatio, 0);
}

TEST_F(CanvasViewTest, MarginsWiderThanTheWindowNeverMirrorTheMap) {
    FakeWindow window({100, 80});
    CountingView view;
    view.setWindow(&window);
    view.paint();
    DrawingCanvas& canvas = view.canvas();
    canvas.setMargins(80, 10, 60, 10);
    canvas.setWorldWindow(0, 0, 10, 10);
    EXPECT_GE(canvas.scaleX(), 0.0);
    EXPECT_GE(canvas.scaleY(), 0.0);
    EXPECT_EQ(canvas.scaleX(), 0.0);  // isotropic: the smaller side wins
}

// --- Polyline input ------------------------------------------------------------------------

struct LineInputFixture : CanvasViewTest {
    void SetUp() override {
        CanvasViewTest::SetUp();
        view.setWindow(&window);
        view.paint();  // world 0..100 on 100 × 100 pixels, one unit a pixel
        view.canvas().setIsotropic(true);
        view.canvas().setWorldWindow(0, 0, 100, 100);
    }
    FakeWindow window{{100, 100}};
    CountingView view;
};

TEST_F(LineInputFixture, LeftAddsEscRemovesRightCloses) {
    view.startLineInput();
    EXPECT_TRUE(window.drawingCursor);
    view.lineAddPoint({10, 90});  // world (10, 10)
    view.lineAddPoint({10, 90});  // the same point again: not added
    view.lineAddPoint({60, 90});
    view.lineAddPoint({60, 40});
    ASSERT_EQ(view.enteredLine()->size(), 3u);
    EXPECT_EQ(view.enteredLine()->points()[1], (LinePoint{60, 10}));

    view.lineRemoveLastPoint();
    EXPECT_EQ(view.enteredLine()->size(), 2u);
    view.lineClose();
    EXPECT_EQ(view.enteredLine()->size(), 3u);
    EXPECT_TRUE(view.enteredLine()->isClosed());
    view.lineClose();  // closed already: nothing is added
    EXPECT_EQ(view.enteredLine()->size(), 3u);

    const std::optional<Line> line = view.stopLineInput();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->size(), 3u);
    EXPECT_FALSE(view.lineInput());
    EXPECT_FALSE(window.drawingCursor);
}

TEST_F(LineInputFixture, EscOnALineOfOnePointLeavesItEmpty) {
    view.startLineInput();
    view.lineAddPoint({30, 30});
    view.lineRemoveLastPoint();
    ASSERT_NE(view.enteredLine(), nullptr);
    EXPECT_TRUE(view.enteredLine()->empty());
    view.lineRemoveLastPoint();  // nothing left: nothing happens
    EXPECT_TRUE(view.enteredLine()->empty());
}

TEST_F(LineInputFixture, TheRubberBandIsDrawnInvertedAndErasedByDrawingItAgain) {
    view.startLineInput();
    view.lineAddPoint({10, 10});
    window.device().clear();
    view.lineMouseMove({50, 50});
    view.lineMouseMove({70, 20});
    std::string text;
    for (const std::string& call : window.device().calls()) text += call + "\n";
    // Inverting mode; the first band drawn, drawn again (erased), then the
    // second band.
    EXPECT_NE(text.find("rop 6"), std::string::npos) << text;
    const std::size_t first = text.find("lineto 50,50");
    ASSERT_NE(first, std::string::npos) << text;
    const std::size_t erased = text.find("lineto 50,50", first + 1);
    ASSERT_NE(erased, std::string::npos) << text;
    EXPECT_NE(text.find("lineto 70,20", erased), std::string::npos) << text;
    // Focus lost erases the last band.
    window.device().clear();
    view.lineFocusLost();
    bool erasedAgain = false;
    for (const std::string& call : window.device().calls()) {
        erasedAgain = erasedAgain || call == "lineto 70,20";
    }
    EXPECT_TRUE(erasedAgain);
}

}  // namespace
}  // namespace gridova
