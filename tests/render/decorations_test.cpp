// Map decorations: axis ticks, point badges, the title and the scale bar,
// drawn on a recording device (text measured as 8 × 16 pixels a
// character), and the title's "TS01" section.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/polynomial_regression.h"
#include "platform/messages.h"
#include "platform/recording_device.h"
#include "render/axes.h"
#include "render/badges.h"
#include "render/map_title.h"
#include "render/scale_bar.h"
#include "tests/common/section_bytes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::ByteInput;
using testing::writtenBytes;

// A canvas drawing on a recording device of the size, world window given.
struct RecordingCanvas {
    RecordingCanvas(gdi::Size size, WorldRect world) : device(size) {
        canvas.beginExternal(&device);
        canvas.setWorldWindow(world.xmin, world.ymin, world.xmax, world.ymax);
    }
    ~RecordingCanvas() { canvas.endExternal(); }
    std::vector<std::string> texts() const {
        std::vector<std::string> all;
        for (const std::string& call : device.callsOf("text")) all.push_back(call);
        return all;
    }
    gdi::RecordingDevice device;
    DrawingCanvas canvas;
};

// --- Ticks ----------------------------------------------------------------------------

TEST(DecimalPlaces, TimesTenToReachOne) {
    struct Case {
        double a, b;
        int places;
    };
    for (const Case c : {Case{0, 0, 0}, Case{0, 1, 0}, Case{3, 250, 0}, Case{0, 0.999, 1},
                         Case{0, 0.05, 2}, Case{-0.001, 0, 3}, Case{0, 1e-20, 10}}) {
        EXPECT_EQ(decimalPlaces(c.a, c.b), c.places) << c.a << " " << c.b;
    }
}

struct TickCase {
    const char* what;
    double start, length;
    int device, spacing;
    std::vector<double> values;
    int digits;
};

TEST(AxisTicks, AutomaticTicksTable) {
    // Worked by hand with 8-pixel characters:
    // - 0..100 on 400 pixels: labels "0" and "100" (24 px) + spacing 21 =
    //   45; n = trunc(400/45) − 1 = 7; step = nice(14.29, 28.57) = 20;
    //   first = nice(0, 5) = 5: 5, 25, 45, 65, 85.
    // - −1..1 on 400: L/10 = 0.2 has 1 place → 2 digits; labels "-1.00"
    //   (40 px) + 15 = 55; n = 6; step = nice(0.333, 0.667) = 0.6; first =
    //   nice(−1, −0.9) = −1: −1, −0.4, 0.2, 0.8.
    // - 1e6..1.5e6 on 300: labels "1500000" (56 px) + 15 = 71; n = 3;
    //   step = nice(166667, 333333) = 300000; first = nice(1e6, 1.025e6)
    //   = 1.02e6 (the ends part at 100 | 102 × 1e4, not at 10 | 10 × 1e5):
    //   1.02e6, 1.32e6.
    // - 0..100 on 10 pixels: n = 1 all the same; step = nice(100, 200) =
    //   100: 5 alone (105 is beyond the end).
    const TickCase cases[] = {
        {"0..100", 0, 100, 400, 21, {5, 25, 45, 65, 85}, 0},
        {"across zero", -1, 2, 400, 15, {-1, -0.4, 0.2, 0.8}, 2},
        {"large values", 1e6, 5e5, 300, 15, {1.02e6, 1.32e6}, 0},
        {"shorter than a label", 0, 100, 10, 15, {5}, 0},
        {"zero width", 7, 0, 400, 15, {}, 0},
    };
    for (const TickCase& c : cases) {
        RecordingCanvas rc({400, 400}, {0, 0, 1, 1});
        MapAxis axis;
        axis.spacing = c.spacing;
        const AxisTicks ticks = chooseTicks(axis, c.start, c.length, c.device, rc.canvas);
        ASSERT_EQ(ticks.values.size(), c.values.size()) << c.what;
        for (std::size_t i = 0; i < c.values.size(); ++i) {
            EXPECT_NEAR(ticks.values[i], c.values[i], 1e-9 * std::max(1.0, std::abs(c.values[i])))
                << c.what;
        }
        EXPECT_EQ(ticks.digits, c.digits) << c.what;
    }
}

TEST(AxisTicks, StepsThatAreNotPositiveDrawNoTicks) {
    for (const double step : {0.0, -5.0, std::nan("")}) {
        EXPECT_TRUE(tickValues(0, step, 0, 100).empty()) << step;
    }
    // Fixed ticks start at the first value not below the start, and the
    // count is what is drawn.
    EXPECT_EQ(tickValues(-30, 20, 0, 100), (std::vector<double>{10, 30, 50, 70, 90}));
    EXPECT_EQ(tickValues(5, 20, 0, 100).size(), 5u);  // 5 .. 85, not 105
}

TEST(AxisDrawing, BottomAxisLabelsCentredBelowTheTicks) {
    RecordingCanvas rc({400, 300}, {0, 0, 100, 75});
    rc.canvas.setIsotropic(false);
    rc.canvas.setWorldWindow(0, 0, 100, 75);
    MapAxis axis;
    axis.spacing = 21;
    fitAxis(axis, rc.canvas.worldWindow());
    drawAxis(axis, rc.canvas);
    const std::vector<std::string> texts = rc.texts();
    ASSERT_EQ(texts.size(), 5u);
    // "5" at x = 20 (world 5 at 4 px a unit), centred: left = 20 − 4 = 16,
    // top = tick end: bottom 300 + 3.
    EXPECT_NE(texts[0].find("16,303"), std::string::npos) << texts[0];
    EXPECT_NE(texts[4].find("85"), std::string::npos) << texts[4];
}

TEST(AxisDrawing, YAxisTitleIsTurnedAQuarter) {
    RecordingCanvas rc({400, 300}, {0, 0, 100, 75});
    MapAxis axis;
    axis.xy = MapAxis::kVertical;
    setAxisLocate(axis, MapAxis::kLeft);
    EXPECT_EQ(axis.name, "Y левая");
    axis.title = "Глубина";
    fitAxis(axis, rc.canvas.worldWindow());
    drawAxis(axis, rc.canvas);
    bool turned = false;
    for (const std::string& call : rc.device.callsOf("font")) {
        turned = turned || call.ends_with(" 900");
    }
    EXPECT_TRUE(turned);
}

TEST(AxisSettings, PositionProfileAndDefaultAxesRoundTrip) {
    MapAxis axis;
    axis.xy = MapAxis::kVertical;
    setAxisLocate(axis, MapAxis::kRight);
    axis.autoTicks = 0;
    axis.initTicks = 0.125;
    axis.tickStep = 2.5;
    axis.decimalDigit = 99;  // held to 10 when read
    axis.title = "Z";
    EXPECT_EQ(axisProfileSection(axis), "Axe Y right");
    writeAxisProfile(axis, axisProfileSection(axis));
    MapAxis back;
    readAxisProfile(back, "Axe Y right");
    EXPECT_EQ(back.locate, MapAxis::kRight);
    EXPECT_EQ(back.name, "Y правая");
    EXPECT_EQ(back.tickStep, 2.5);
    EXPECT_EQ(back.initTicks, 0.125);
    EXPECT_EQ(back.decimalDigit, 10);
    EXPECT_EQ(back.labelFormat, "%.10lf");
    EXPECT_EQ(back.title, "Z");

    AxesLayer layer;
    layer.add(axis);
    MapAxis bottom;
    layer.add(bottom);
    ASSERT_NE(layer.tree().findChild("Y Right Axes"), nullptr);
    ASSERT_NE(layer.tree().findChild("X Bottom Axes"), nullptr);
    layer.writeDefaults();
    AxesLayer read;
    read.readDefaults();
    ASSERT_EQ(read.axes().size(), 2u);
    EXPECT_EQ(read.axes()[0]->locate + read.axes()[1]->locate, MapAxis::kRight + MapAxis::kBottom);
}

// --- Badges -------------------------------------------------------------------------------

TEST(Badges, ValueCircleRadiusBySizeFactor) {
    BadgeFormat format;  // radii 0..30
    EXPECT_EQ(valueCircleRadius(format, 0.5), 15);
    EXPECT_EQ(valueCircleRadius(format, 1.0), 30);
    EXPECT_EQ(valueCircleRadius(format, 0.0), 0);
    EXPECT_FALSE(valueCircleRadius(format, -0.1).has_value());
    format.minRadius = 4;
    format.maxRadius = 10;
    EXPECT_EQ(valueCircleRadius(format, 0.5), 7);
}

TEST(Badges, EqualValuesGiveFactorZeroAndValuelessPointsKeepTheirMarker) {
    PointSet set;
    set.addPoint(10, 10, 5);
    set.addPoint(20, 20, 5);
    DataPoint valueless;
    valueless.x = 30;
    valueless.y = 30;
    set.addExisting(valueless);
    set.computeSizeFactors();
    EXPECT_EQ(set.points()[0].sizeFactor, 0.0);
    EXPECT_EQ(set.points()[1].sizeFactor, 0.0);
    set.badgeFormat.valueShow = 1;
    set.badgeFormat.minRadius = 6;

    RecordingCanvas rc({400, 400}, {0, 0, 40, 40});
    BadgeBoxes boxes;
    drawPointSet(rc.canvas, set, &boxes);
    // Two value circles, each filled and outlined (4), and three markers.
    EXPECT_EQ(rc.device.callsOf("ellipse").size(), 4u + 3u);
    for (std::size_t i = 0; i < set.size(); ++i) {
        const gdi::Point d = rc.canvas.toDevice(set.points()[i].x, set.points()[i].y);
        EXPECT_EQ(boxes.hitTest(d), static_cast<int>(i));
    }
}

TEST(Badges, ValueWithoutLabelsInARoundedBoxAndUnderABlankLabelWithARule) {
    PointSet set;
    set.addPoint(10, 10, 2.5);
    set.computeStatistics();
    {
        RecordingCanvas rc({400, 400}, {0, 0, 40, 40});
        drawPointSet(rc.canvas, set);  // no labels: ShowLabel is off
        EXPECT_EQ(rc.device.callsOf("roundrect").size(), 1u);
        ASSERT_EQ(rc.texts().size(), 1u);
        EXPECT_NE(rc.texts()[0].find("2.50"), std::string::npos);
    }
    set.hasLabels = 1;  // another point has a name: this one shows a blank
    {
        RecordingCanvas rc({400, 400}, {0, 0, 40, 40});
        drawPointSet(rc.canvas, set);
        EXPECT_TRUE(rc.device.callsOf("roundrect").empty());
        ASSERT_EQ(rc.texts().size(), 2u);
        EXPECT_NE(rc.texts()[1].find("2.50"), std::string::npos);
    }
}

TEST(Badges, TinyValuesUseTheShortestForm) {
    PointSet set;
    set.addPoint(0, 0, 0.000001);
    set.addPoint(1, 1, -0.000002);
    set.computeStatistics();
    EXPECT_EQ(badgeValueFormat(set), "%.2lg");
    set.addPoint(2, 2, 1);
    set.computeStatistics();
    EXPECT_EQ(badgeValueFormat(set), "%.2lf");
}

TEST(Badges, PointsOutsideTheVisibleWorldCannotBePicked) {
    PointSet set;
    set.addPoint(10, 10, 1);
    set.addPoint(500, 10, 1);
    set.computeStatistics();
    RecordingCanvas rc({400, 400}, {0, 0, 40, 40});
    BadgeBoxes boxes;
    drawPointSet(rc.canvas, set, &boxes);
    EXPECT_EQ(boxes.hitTest(rc.canvas.toDevice(10, 10)), 0);
    EXPECT_EQ(boxes.hitTest(rc.canvas.toDevice(500, 10)), -1);
}

// The curve of a set's polynomial: one device point per column over the
// points' X range cut to the visible world, each at the polynomial's value
// of that column's X; nothing for a set without a fitted polynomial.
TEST(Badges, TheRegressionCurveFollowsThePolynomialOverThePointsVisible) {
    PointSet set;
    set.addPoint(-20, 0, 1);  // left of the visible world
    set.addPoint(10, 5, 1);
    set.addPoint(30, 9, 1);
    set.computeStatistics();
    RecordingCanvas rc({400, 400}, {0, 0, 40, 40});
    EXPECT_TRUE(regressionCurve(rc.canvas, set).empty());
    auto regression = std::make_unique<PolynomialRegression>();
    regression->setCoefficients(std::vector<double>{4, 0, 0.01}, 0);  // 4 + x²/100
    set.setRegression(std::move(regression));
    const std::vector<gdi::Point> curve = regressionCurve(rc.canvas, set);
    // The columns of x = 0 ... 30.
    ASSERT_EQ(curve.size(),
              static_cast<std::size_t>(rc.canvas.toDeviceX(30) - rc.canvas.toDeviceX(0) + 1));
    for (const gdi::Point& p : curve) {
        const double x = std::clamp(rc.canvas.toWorldX(p.x), 0.0, 30.0);
        EXPECT_EQ(p.y, rc.canvas.toDeviceY(4 + x * x / 100)) << "column " << p.x;
    }
    EXPECT_EQ(curve.front().x, rc.canvas.toDeviceX(0));
    EXPECT_EQ(curve.back().x, rc.canvas.toDeviceX(30));
}

// The box of a badge of radius r at device (x, y) runs from x − r − 1 to
// x + r + 2 (right and bottom edges outside); the first box holding the
// point wins, and a new drawing forgets the boxes of the last one.
TEST(Badges, ClicksPickThePointWhoseBoxHoldsThem) {
    PointSet set;
    set.addPoint(10, 10, 1);    // device (100, 300) at 10 pixels a unit
    set.addPoint(10.5, 10, 2);  // (105, 300): its box overlaps the first
    set.computeStatistics();
    set.badgeFormat.badgeRadius = 4;
    RecordingCanvas rc({400, 400}, {0, 0, 40, 40});
    ASSERT_EQ(rc.canvas.toDevice(10, 10), (gdi::Point{100, 300}));
    BadgeBoxes boxes;
    drawPointSet(rc.canvas, set, &boxes);
    struct Case {
        gdi::Point at;
        int point;
    };
    const Case cases[] = {
        {{95, 295}, 0},   {{105, 305}, 0},  // the first point's box wins
        {{94, 300}, -1},  {{106, 300}, 1},  // left of the first; only the second's
        {{111, 300}, -1},                   // the second's right edge is outside
        {{100, 306}, -1},                   // the bottom edge too
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.at.x) + "," + std::to_string(c.at.y));
        EXPECT_EQ(boxes.hitTest(c.at), c.point);
    }
    set.visible = 0;
    drawPointSet(rc.canvas, set, &boxes);
    EXPECT_EQ(boxes.hitTest({100, 300}), -1);
}

// --- Title --------------------------------------------------------------------------------

TEST(MapTitleLayout, OneTwoAndThreeHeaderLines) {
    for (std::size_t given = 1; given <= 3; ++given) {
        std::vector<std::string> headers{"Карта", "Участок", "2026"};
        headers.resize(given);
        MapTitle title = MapTitle::fromHeaderLines(headers);
        ASSERT_EQ(title.lines.size(), 3u);
        EXPECT_EQ(title.lines[0].text, "Карта");
        EXPECT_EQ(title.lines[2].text, given == 3 ? "2026" : "");

        RecordingCanvas rc({400, 300}, {0, 0, 1, 1});
        const int bottom = layOutTitle(rc.canvas, title, true, true, 0);
        // Three lines of 16 pixels, each followed by trunc(0.3 × 16) = 4,
        // after the starting 2.
        EXPECT_EQ(bottom, 2 + 3 * 20);
        // "Карта" is 5 characters: 40 pixels, centred in 400.
        EXPECT_EQ(title.lines[0].left, 180);
        EXPECT_EQ(title.lines[1].top, 2 + 20);
        EXPECT_EQ(rc.texts().size(), given);  // empty lines are not drawn
    }
}

TEST(MapTitleLayout, NeverAboveTheWindowTopAndNothingWhenHidden) {
    MapTitle title = MapTitle::fromTexts({"A"});
    RecordingCanvas rc({400, 300}, {0, 0, 1, 1});
    title.height = 500;  // a previous title much taller than the map's top
    layOutTitle(rc.canvas, title, false, true, 20);
    EXPECT_EQ(title.top, 0);
    layOutTitle(rc.canvas, title, false, true, 100);  // 100 − 22 − 5 = 73
    EXPECT_EQ(title.top, 73);
    title.show = 0;
    EXPECT_EQ(layOutTitle(rc.canvas, title, false, true, 100), 0);
    EXPECT_EQ(title.height, 0);
}

TEST(MapTitleSection, RoundTripIsByteIdentical) {
    MapTitle title = MapTitle::fromHeaderLines({"Заголовок", "Вторая строка"});
    title.lines[1].color = gdi::rgb(10, 20, 30);
    title.lines[1].font = gdi::LogFont::pointFont("DejaVu Sans", 95);
    title.width = 123;
    title.kept[2] = 0.1;
    const std::string bytes = writtenBytes([&](BinaryWriter& out) { title.writeSection(out); });
    ByteInput input(bytes);
    MapTitle back;
    ASSERT_TRUE(back.readSection(input.reader()));
    EXPECT_EQ(back, title);
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { back.writeSection(out); }), bytes);
}

TEST(MapTitleSection, DamagedSectionsNeverCrash) {
    MapTitle title = MapTitle::fromHeaderLines({"Заголовок", "Вторая", "Третья"});
    const std::string bytes = writtenBytes([&](BinaryWriter& out) { title.writeSection(out); });
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        ByteInput input(bytes.substr(0, cut));
        MapTitle back;
        EXPECT_FALSE(back.readSection(input.reader())) << cut;
    }
    // A count far beyond what the file holds is refused before reading.
    std::string huge = bytes;
    const std::size_t countAt = 4 + testing::stringBytes("TS01").size();
    huge.replace(countAt, 4, testing::wordBytes(1'000'000'000));
    ByteInput input(huge);
    MapTitle back;
    EXPECT_FALSE(back.readSection(input.reader()));
    EXPECT_TRUE(back.lines.empty());
    EXPECT_EQ(testing::lastLogged(), "Invalid format.");
}

// --- Scale bar ----------------------------------------------------------------------------

TEST(ScaleBarLayout, LengthFromTheWorldWindow) {
    // 100 world units on 390 pixels (3.9 a unit): S/13 = 7.69 units = 30
    // pixels, g = 7, L = nice(23/3.9, 37/3.9) = nice(5.9, 9.49) = 9.
    RecordingCanvas rc({390, 390}, {0, 0, 100, 100});
    const std::optional<ScaleBarLayout> layout = layOutScaleBar(rc.canvas);
    ASSERT_TRUE(layout.has_value());
    EXPECT_EQ(layout->length, 9);
    EXPECT_EQ(layout->height, 9 + 16);

    ScaleBar bar;
    bar.show = 1;
    bar.reserveAndDraw(rc.canvas);
    bool ratio = false;
    for (const std::string& t : rc.texts()) ratio = ratio || t.ends_with("M 1:450");
    EXPECT_TRUE(ratio);
    // The map gave up the bar's band at its bottom.
    EXPECT_LT(rc.canvas.worldWindow().ymin, 0);
}

TEST(ScaleBarLayout, LengthsAcrossMagnitudes) {
    struct Case {
        double width;
        double length;
    };
    // 390 pixels wide and tall; the band is 30 pixels around S/13.
    for (const Case c : {Case{1, 0.09}, Case{1000, 90}, Case{250000, 20000}}) {
        RecordingCanvas rc({390, 390}, {0, 0, c.width, c.width});
        const auto layout = layOutScaleBar(rc.canvas);
        ASSERT_TRUE(layout.has_value());
        EXPECT_NEAR(layout->length, c.length, 1e-9 * c.length) << c.width;
    }
}

}  // namespace
}  // namespace gridova
