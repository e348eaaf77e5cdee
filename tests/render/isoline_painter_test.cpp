// Isoline pieces drawn with their pens and value labels: label places worked
// out by hand on the recording device (8 × 16 pixels a character), the
// direction rule, the cases that get no label, and a small map drawn into a
// picture compared with a reviewed reference.
#include <gtest/gtest.h>
#include <QFontDatabase>
#include <QImage>

#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/isoline_painter.h"
#include "tests/common/picture_compare.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using gdi::RecordingDevice;

// A canvas on an 800 × 600 recording device showing the world 0..800 ×
// 0..600 at one pixel a unit: device x = x, device y = 600 − y.
struct Scene {
    Scene() {
        canvas.beginExternal(&device);
        canvas.setWorldWindow(0, 0, 800, 600);
        device.clear();  // what the canvas set on the new target
    }
    ~Scene() { canvas.endExternal(); }
    RecordingDevice device{{800, 600}};
    DrawingCanvas canvas;
};

// count points from (x0, y0) in steps of (dx, dy).
Line straightPiece(double x0, double y0, double dx, double dy, int count, double value) {
    std::vector<LinePoint> points;
    for (int i = 0; i < count; ++i) points.push_back({x0 + i * dx, y0 + i * dy});
    Line l(std::move(points));
    l.value = value;
    return l;
}

// Each label: the escapement of the font it was drawn in, and its text call.
struct Label {
    int escapement = 0;
    std::string text;
    friend bool operator==(const Label&, const Label&) = default;
};

std::vector<Label> labelsOf(const RecordingDevice& device) {
    std::vector<Label> labels;
    int escapement = 0;
    for (const std::string& call : device.calls()) {
        if (call.rfind("font ", 0) == 0) {
            escapement = std::stoi(call.substr(call.rfind(' ') + 1));
        } else if (call.rfind("text ", 0) == 0) {
            labels.push_back({escapement, call});
        }
    }
    return labels;
}

std::ostream& operator<<(std::ostream& os, const Label& l) {
    return os << "{" << l.escapement << ", " << l.text << "}";
}

// A straight piece along y = 300 from x = 100 to 500, a point every 20 px,
// level 5 in the default format: InitSpacing 20, Spacing 250, "5.00" is
// 32 × 16 px.
// - h = 1 lies exactly 20 px from P0, not beyond: the window start moves on.
// - h = 2 (40 px) leaves the circle: s = 1, but the chord P1 P2 (20 px) is
//   shorter than the text.
// - h = 3: chord P1 P3 = 40 px > 32. Centred: 4 px in from P1 (x 120) and
//   8 px above: origin (124, 292), box (124, 292)..(156, 307) (height 15).
// - Then the piece must leave a circle of 250 px round P3 (x 160): x 420
//   (h = 16) leaves it with s = 15 (x 400), chord 20 px; h = 17 gives the
//   label 4 px right of x 400: origin (404, 292).
TEST(IsolineLabels, PlacesOnAStraightPieceWorkedOutByHand) {
    Scene scene;
    Isoline isoline(5);
    isoline.addPiece(straightPiece(100, 300, 20, 0, 21, 5));
    drawIsoline(scene.canvas, isoline);

    std::string polyline = "polyline 21";
    for (int x = 100; x <= 500; x += 20) polyline += " " + std::to_string(x) + ",300";
    const std::vector<std::string> expected = {
        "font Arial -8 0",
        "pen 0 0 #000000",
        polyline,
        "pen 0 0 #000000",
        "bkmode transparent",
        "textcolor #000000",
        // First label: the box in the label colours, then the text.
        "pen 0 0 #ddf0f0",
        "brush solid #ddf0f0",
        "polygon 5 124,292 156,292 156,307 124,307 124,292",
        "brush solid #ffffff",
        "pen 0 0 #000000",
        "font Arial -8 0",
        "text 124,292 5.00",
        "pen 0 0 #ddf0f0",
        "brush solid #ddf0f0",
        "polygon 5 404,292 436,292 436,307 404,307 404,292",
        "brush solid #ffffff",
        "pen 0 0 #000000",
        "font Arial -8 0",
        "text 404,292 5.00",
        // Escapement back to 0, text colour restored, general font 1.
        "font Arial -8 0",
        "textcolor #000000",
        "font Arial -8 0",
    };
    EXPECT_EQ(scene.device.calls(), expected);
}

// The direction rule on the first label of straight pieces (window P1..P3,
// chord 40 px, so the text sits 4 px along the chord from its anchor and
// 8 px to its upper side). Angles: a = arccos(device dx / chord).
TEST(IsolineLabels, DirectionRuleChoosesAnchorAndAngle) {
    struct Case {
        const char* name;
        double x0, y0, dx, dy;
        LabelOrient orient;
        Label expected;
    };
    const Case cases[] = {
        // Left to right (a = 0): readable and ascending read from P1
        // (120, 300); descending is turned by −180° about P3 (160, 300).
        {"right, readable", 100, 300, 20, 0, LabelOrient::Readable, {0, "text 124,292 5.00"}},
        {"right, ascending", 100, 300, 20, 0, LabelOrient::Ascending, {0, "text 124,292 5.00"}},
        {"right, descending",
         100,
         300,
         20,
         0,
         LabelOrient::Descending,
         {-1800, "text 156,308 5.00"}},
        // Right to left (a = π): readable turns it back to 0° from P3
        // (440, 300); ascending reads along the piece, upside down from P1
        // (480, 300); descending gives 0° from P3.
        {"left, readable", 500, 300, -20, 0, LabelOrient::Readable, {0, "text 444,292 5.00"}},
        {"left, ascending", 500, 300, -20, 0, LabelOrient::Ascending, {1800, "text 476,308 5.00"}},
        {"left, descending", 500, 300, -20, 0, LabelOrient::Descending, {0, "text 444,292 5.00"}},
        // Upward (a = π/2, dx = 0, y rising): 90° from P1 (device 300, 480),
        // the text's upper side to the left: origin 8 px left, 4 px up.
        {"up, readable", 300, 100, 0, 20, LabelOrient::Readable, {900, "text 292,476 5.00"}},
        // Downward with dx = 0: readable keeps 90° but starts at the lower
        // point P3 (device 300, 160); ascending turns to −90° from P1
        // (device 300, 120); descending −270° from P3.
        {"down, readable", 300, 500, 0, -20, LabelOrient::Readable, {900, "text 292,156 5.00"}},
        {"down, ascending", 300, 500, 0, -20, LabelOrient::Ascending, {-900, "text 308,124 5.00"}},
        {"down, descending",
         300,
         500,
         0,
         -20,
         LabelOrient::Descending,
         {-2700, "text 292,156 5.00"}},
        // Down and to the left at 45° (points 28.28 px apart): h = 1 leaves
        // the 20 px circle but its chord is short; at h = 2 the chord is
        // 56.57 px, a = 135°, so θ = π − a = 45° from P2 (device 460, 240):
        // 12.28 px along and 8 px up gives (463.03, 225.66).
        {"down-left, readable",
         500,
         400,
         -20,
         -20,
         LabelOrient::Readable,
         {450, "text 463,225 5.00"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        IsolineFormat format;
        format.orient = c.orient;
        scene.canvas.selectFont(format.font);
        drawIsolinePiece(scene.canvas, straightPiece(c.x0, c.y0, c.dx, c.dy, 9, 5), format);
        const std::vector<Label> labels = labelsOf(scene.device);
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_EQ(labels[0], c.expected);
        // The escapement is 0 again afterwards.
        EXPECT_EQ(scene.device.font().escapement, 0);
    }
}

TEST(IsolineLabels, TheLabelBoxIsTurnedWithTheText) {
    // The 45° label above: the box of 32 × 15 px turned about (463, 225).
    Scene scene;
    IsolineFormat format;
    drawIsolinePiece(scene.canvas, straightPiece(500, 400, -20, -20, 9, 5), format);
    const auto polygons = scene.device.callsOf("polygon");
    ASSERT_EQ(polygons.size(), 1u);
    // 32 · cos 45° = 22.63, 15 · cos 45° = 10.61, each end truncated.
    EXPECT_EQ(polygons[0], "polygon 5 463,225 485,202 496,212 473,235 463,225");
}

TEST(IsolineLabels, PiecesThatGetNoLabel) {
    struct Case {
        const char* name;
        Line piece;
        IsolineFormat format;
        std::size_t labels;
    };
    IsolineFormat hidden;
    hidden.badgetShow = 0;
    IsolineFormat tenDigits;  // "5.0000000000": 96 px
    tenDigits.decimalDigit = 10;
    // A zigzag: 20 px up and down every 2 px to the right; its path is ten
    // times its chord.
    std::vector<LinePoint> zigzag;
    for (int i = 0; i < 60; ++i) zigzag.push_back({100.0 + 2 * i, i % 2 == 0 ? 300.0 : 320.0});
    Line zig(zigzag);
    zig.value = 5;
    const Case cases[] = {
        {"seven points get a label", straightPiece(100, 300, 20, 0, 7, 5), {}, 1},
        {"six points never do", straightPiece(100, 300, 20, 0, 6, 5), {}, 0},
        {"labels hidden", straightPiece(100, 300, 20, 0, 21, 5), hidden, 0},
        {"shorter on screen than the text", straightPiece(100, 300, 10, 0, 10, 5), tenDigits, 0},
        {"long enough for the same text", straightPiece(100, 300, 10, 0, 40, 5), tenDigits, 1},
        {"too curved", zig, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Scene scene;
        drawIsolinePiece(scene.canvas, c.piece, c.format);
        EXPECT_EQ(scene.device.callsOf("text").size(), c.labels);
        EXPECT_EQ(scene.device.callsOf("polyline").size(), 1u);  // the line itself is drawn
    }
}

TEST(IsolineLabels, PieceOutsideTheVisibleWorldDrawsNothing) {
    Scene scene;
    drawIsolinePiece(scene.canvas, straightPiece(900, 300, 20, 0, 21, 5), IsolineFormat());
    EXPECT_TRUE(scene.device.callsOf("polyline").empty());
    EXPECT_TRUE(scene.device.callsOf("text").empty());
}

TEST(IsolineLabels, ThePenFollowsTheFormat) {
    struct Case {
        std::int32_t width, style;
        gdi::ColorRef color;
        const char* pen;
    };
    const Case cases[] = {
        {3, 0, gdi::rgb(0, 0, 255), "pen 0 3 #0000ff"},
        // A styled pen is always one pixel.
        {3, 2, gdi::rgb(255, 0, 0), "pen 2 0 #ff0000"},
        // A style the device does not know draws solid.
        {1, 17, 0, "pen 0 1 #000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pen);
        Scene scene;
        IsolineFormat format;
        format.widthLine = c.width;
        format.penStyle = c.style;
        format.colorLine = c.color;
        format.badgetShow = 0;
        drawIsolinePiece(scene.canvas, straightPiece(100, 300, 20, 0, 3, 5), format);
        ASSERT_GE(scene.device.calls().size(), 2u);
        EXPECT_EQ(scene.device.calls()[0], c.pen);
        EXPECT_EQ(scene.device.calls()[1].rfind("polyline 3 ", 0), 0u);
        EXPECT_EQ(scene.canvas.penWidth(), 0);  // reset for what is drawn next
    }
}

TEST(IsolineLabels, TheSetDrawsOnlyWhileShown) {
    IsolineSet set;
    set.addLevel(5).addPiece(straightPiece(100, 300, 20, 0, 21, 5));
    set.addLevel(7).addPiece(straightPiece(100, 100, 20, 0, 21, 7));
    {
        Scene scene;
        drawIsolines(scene.canvas, set);
        EXPECT_EQ(scene.device.callsOf("polyline").size(), 2u);
        // The second isoline was appended to a set of one: its labels start
        // 40 px later (InitSpacing 60), so its first label is at h = 5.
        const auto texts = scene.device.callsOf("text");
        ASSERT_EQ(texts.size(), 4u);
        EXPECT_EQ(texts[0], "text 124,292 5.00");
        EXPECT_EQ(texts[2], "text 164,492 7.00");
    }
    set.show = 0;
    Scene hidden;
    drawIsolines(hidden.canvas, set);
    EXPECT_TRUE(hidden.device.calls().empty());
}

// --- A small map as a picture ------------------------------------------------------------------

// Three hand-made isolines on a 320 × 240 picture of the world 0..320 ×
// 0..240 (one pixel a unit):
// - level 10: a closed ellipse round (160, 120), radii 110 × 80, 49 points,
//   counter-clockwise from its rightmost point, default format (black
//   hairline, labels "10.00" in black on the light default box, readable)
//   but Spacing 100 and "Arial" 8 pt;
// - level 20: a wave y = 40 + 15 sin(x / 30) from x = 20 to 300, blue, 2 px,
//   one decimal, red text on a white box with a blue border, labels
//   ascending, InitSpacing 40, Spacing 120, "DejaVu Sans" 9 pt;
// - level 5: a dashed green line from (300, 230) down to the left to
//   (40, 160), 27 points, labels readable.
QImage drawFixtureMap() {
    IsolineSet set;
    set.defaultFormat = IsolineFormat();

    Isoline& ellipse = set.addLevel(10);
    std::vector<LinePoint> ring;
    for (int i = 0; i <= 48; ++i) {
        const double t = 2 * std::numbers::pi * i / 48;
        ring.push_back({160 + 110 * std::cos(t), 120 + 80 * std::sin(t)});
    }
    ring.back() = ring.front();
    ellipse.addPiece(Line(ring));
    ellipse.format.spacing = 100;
    ellipse.format.font = gdi::LogFont::pointFont("Arial", 80);

    Isoline& wave = set.addLevel(20);
    wave.format.colorLine = gdi::rgb(0, 0, 255);
    wave.format.widthLine = 2;
    wave.format.decimalDigit = 1;
    wave.format.colorText = gdi::rgb(255, 0, 0);
    wave.format.colorLabelLine = gdi::rgb(0, 0, 255);
    wave.format.colorLabelPattern = gdi::rgb(255, 255, 255);
    wave.format.orient = LabelOrient::Ascending;
    wave.format.initSpacing = 40;
    wave.format.spacing = 120;
    wave.format.font = gdi::LogFont::pointFont("DejaVu Sans", 90);
    std::vector<LinePoint> crest;
    for (int x = 20; x <= 300; x += 5) crest.push_back({double(x), 40 + 15 * std::sin(x / 30.0)});
    wave.addPiece(Line(crest));

    Isoline& slope = set.addLevel(5);
    slope.format.colorLine = gdi::rgb(0, 160, 0);
    slope.format.penStyle = static_cast<std::int32_t>(gdi::PenStyle::Dash);
    slope.addPiece(straightPiece(300, 230, -10, -70.0 / 26, 27, 5));

    QtImageDevice device({320, 240}, gdi::rgb(255, 255, 255));
    DrawingCanvas canvas;
    canvas.beginExternal(&device);
    canvas.setWorldWindow(0, 0, 320, 240);
    drawIsolines(canvas, set);
    canvas.endExternal();
    return device.finishedImage().convertToFormat(QImage::Format_RGB32);
}

// The reference tests/fixtures/isoline_labels_map.png was made by this test
// with GRIDOVA_WRITE_REFERENCE=1 (Liberation Sans for "Arial", DejaVu Sans,
// Qt 6.4 offscreen), looked at enlarged and checked against the placement
// rules: the ellipse carries five "10.00" labels about 100 px apart, the
// first just above its rightmost point; each lies on its chord on a light
// box that hides the line, and none stands on its head: on the right side,
// where the line runs up and to the left, the text reads downward; along
// the top it reads left to right although the line runs right to left; on
// the left side it reads upward; along the bottom left to right. The blue
// 2 px wave carries two red "20.0" labels in blue-bordered white boxes
// tilted with the wave (down on the left, up on the right), the first about
// 40 px from its left end, the second about 120 px after the first. The
// dashed green line carries one small "5.00" label near its upper right
// start, tilted about 15° and reading left to right against the line's
// direction; no second one, as the line ends within 250 px.
TEST(IsolineLabelsPicture, MatchesTheReviewedReference) {
    ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed";
    const QImage actual = drawFixtureMap();
    if (testing::writeReferenceInstead(actual, "isoline_labels_map.png")) GTEST_SKIP();
    testing::expectMatchesReference(actual, "isoline_labels_map.png");
}

}  // namespace
}  // namespace gridova
