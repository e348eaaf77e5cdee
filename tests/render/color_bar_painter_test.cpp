// The colour bar: layout worked out by hand on a recording device, hit
// tests, and the bar as a picture.
#include "render/color_bar_painter.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <string>
#include <vector>

#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "tests/common/picture_compare.h"
#include "tests/common/sample_scales.h"
#include "tests/common/section_bytes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using gdi::rgb;
using testing::fiveBands;
using testing::kBlue;
using testing::kBlueToRed5;
using testing::kRed;

constexpr gdi::ColorRef kWhite = rgb(255, 255, 255);
constexpr gdi::ColorRef kBlack = rgb(0, 0, 0);

// --- Colour bar on a recording device (text is 8 × 16 pixels a character) -----------

// The brush colour in force at each polygon.
std::vector<std::pair<std::string, std::string>> polygonsWithBrush(
    const gdi::RecordingDevice& device) {
    std::vector<std::pair<std::string, std::string>> out;
    std::string brush;
    for (const std::string& call : device.calls()) {
        if (call.rfind("brush ", 0) == 0) brush = call.substr(6);
        if (call.rfind("polygon ", 0) == 0) out.emplace_back(call, brush);
    }
    return out;
}

TEST(ColorBar, TableModeLayoutWorkedOutByHand) {
    // Area 320 × 200, FrUp = FrDown = 0.25: top 50, bar height 100.
    // Columns x0 = trunc(320 / 320) = 1, x1 = trunc(320 / 32) = 10,
    // gap trunc(0.3 · 9) = 2, labels at xt = 12. Maximum at the top: the
    // edge of b is at 50 + (100 - b) · 100 / 100 = 150 - b; labels 8 above.
    ColorScale s = fiveBands();
    s.frUp = s.frDown = 0.25;
    gdi::RecordingDevice device({320, 200});
    DrawingCanvas canvas;
    std::vector<DRect> bands;  // the band rectangles of the last drawing
    canvas.beginExternal(&device);
    const int measured = measureColorBar(canvas, s, &bands);
    EXPECT_TRUE(device.callsOf("polygon").empty());
    EXPECT_TRUE(device.callsOf("text").empty());
    const int drawn = drawColorBar(canvas, s, &bands);
    canvas.endExternal();

    EXPECT_EQ(s.top, 50);
    EXPECT_EQ(s.barHeight, 100);
    EXPECT_EQ(s.labelHeight, 16);
    EXPECT_EQ(s.gap, 2);
    // Widest label "100.00": 48 pixels; 12 + 48 + 3.
    EXPECT_EQ(measured, 63);
    EXPECT_EQ(drawn, 63);
    EXPECT_EQ(s.width, 63);
    // Frame from (x0 - 2, top - 8 - 2) to (xt + 48 + 2, top - 8 + 100 + 16 + 2).
    EXPECT_EQ(device.callsOf("rectangle"), std::vector<std::string>{"rectangle -1,40 62,160"});
    const auto polygons = polygonsWithBrush(device);
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"polygon 4 1,50 10,50 10,70 1,70", "solid #ff0000"},
        {"polygon 4 1,70 10,70 10,90 1,90", "solid #bf003f"},
        {"polygon 4 1,90 10,90 10,110 1,110", "solid #7f007f"},
        {"polygon 4 1,110 10,110 10,130 1,130", "solid #3f00bf"},
        {"polygon 4 1,130 10,130 10,150 1,150", "solid #0000ff"},
    };
    EXPECT_EQ(polygons, expected);
    EXPECT_EQ(
        device.callsOf("text"),
        (std::vector<std::string>{"text 12,142 0.00", "text 12,122 20.00", "text 12,102 40.00",
                                  "text 12,82 60.00", "text 12,62 80.00", "text 12,42 100.00"}));
}

TEST(ColorBar, TableModeSkipsLabelsThatWouldOverlap) {
    // Edges 150 - b for b = 0, 1, 2, 50, 100: the labels of 1 and 2 would
    // sit 1 and 2 pixels from the label of 0.
    ColorScale s;
    ASSERT_TRUE(s.setFromIsolineLevels({1, 2, 50}, 0, 100));
    s.frUp = s.frDown = 0.25;
    gdi::RecordingDevice device({320, 200});
    DrawingCanvas canvas;
    std::vector<DRect> bands;  // the band rectangles of the last drawing
    canvas.beginExternal(&device);
    measureColorBar(canvas, s, &bands);
    drawColorBar(canvas, s, &bands);
    canvas.endExternal();
    EXPECT_EQ(
        device.callsOf("text"),
        (std::vector<std::string>{"text 12,142 0.00", "text 12,92 50.00", "text 12,42 100.00"}));
}

TEST(ColorBar, LabelStepsHalveUntilLabelsAreTwoHeightsApart) {
    // With FrUp = FrDown = 0 the bar is the area's height; labels are 16
    // pixels high, so K = 10 needs 32 <= H / 10, K = 5 needs 32 <= H / 5.
    // Width 400: x0 = trunc(1.25) = 1, x1 = trunc(12.5) = 12, gap
    // trunc(3.3) = 3, labels at 15.
    struct Case {
        int height;
        int steps;
    };
    const Case cases[] = {{320, 10}, {319, 5}, {160, 5}, {159, 2}, {10, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.height);
        ColorScale s;
        s.setRange(0, 100);
        s.frUp = s.frDown = 0;
        gdi::RecordingDevice device({400, c.height});
        DrawingCanvas canvas;
        std::vector<DRect> bands;  // the band rectangles of the last drawing
        canvas.beginExternal(&device);
        measureColorBar(canvas, s, &bands);
        drawColorBar(canvas, s, &bands);
        canvas.endExternal();
        const auto texts = device.callsOf("text");
        ASSERT_EQ(texts.size(), static_cast<std::size_t>(c.steps) + 1);
        // Maximum at the top, from top - 8 in steps of H / K.
        EXPECT_EQ(texts.front(), "text 15,-8 100.00");
        EXPECT_EQ(texts.back(), "text 15," + std::to_string(c.height - 8) + " 0.00");
        if (c.steps == 5) {
            EXPECT_EQ(texts[1], "text 15," + std::to_string(c.height / 5 - 8) + " 80.00");
        }
    }
}

TEST(ColorBar, PaletteBandsRunFromTheRampsEndInTheChosenOrder) {
    // Area 300 × 400: top 60, bar height 280, x0 = trunc(0.9375) = 0,
    // x1 = trunc(9.375) = 9, labels at 11 from 60 - 8. Band i spans
    // trunc(60 + i · 280 / Count) to trunc(60 + (i + 1) · 280 / Count); its
    // palette entry is 15 + Count - i (maximum at the top) or 16 + i, held to
    // the ramp when there are more bands than entries.
    struct Case {
        std::int32_t upDown;
        std::int32_t count;
        int topIndex, bottomIndex;
        const char* topLabel;
        const char* band100;
        const char* lastBand;
    };
    const Case cases[] = {
        {0, 239, 254, 16, "239.00", "polygon 4 0,177 9,177 9,178 0,178",
         "polygon 4 0,338 9,338 9,340 0,340"},
        {1, 239, 16, 254, "0.00", "polygon 4 0,177 9,177 9,178 0,178",
         "polygon 4 0,338 9,338 9,340 0,340"},
        {0, 1000, 255, 16, "239.00", "polygon 4 0,88 9,88 9,88 0,88",
         "polygon 4 0,339 9,339 9,340 0,340"},
        {1, 1000, 16, 255, "0.00", "polygon 4 0,88 9,88 9,88 0,88",
         "polygon 4 0,339 9,339 9,340 0,340"},
        // 280 / 275 · 275 falls short of 280: edges are i · 280 / 275.
        {0, 275, 255, 16, "239.00", "polygon 4 0,161 9,161 9,162 0,162",
         "polygon 4 0,338 9,338 9,340 0,340"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.upDown) + " " + std::to_string(c.count));
        ColorScale s;
        ASSERT_TRUE(s.setCount(c.count));
        s.paletteMode = 1;
        s.setRange(0, 239);
        s.upDown = c.upDown;
        gdi::RecordingDevice device({300, 400});
        DrawingCanvas canvas;
        std::vector<DRect> bands;  // the band rectangles of the last drawing
        canvas.beginExternal(&device);
        measureColorBar(canvas, s, &bands);
        drawColorBar(canvas, s, &bands);
        canvas.endExternal();
        const auto polygons = polygonsWithBrush(device);
        ASSERT_EQ(polygons.size(), static_cast<std::size_t>(c.count));
        EXPECT_EQ(polygons.front().second,
                  "solid " + gdi::colorText(StandardPalette::color(c.topIndex)));
        EXPECT_EQ(polygons.back().second,
                  "solid " + gdi::colorText(StandardPalette::color(c.bottomIndex)));
        EXPECT_EQ(polygons[100].first, c.band100);
        EXPECT_EQ(polygons.back().first, c.lastBand);
        EXPECT_EQ(device.callsOf("text").front(), std::string("text 11,52 ") + c.topLabel);
    }
}

TEST(ColorBar, HitTestFindsTheBandsColour) {
    ColorScale s = fiveBands();
    s.frUp = s.frDown = 0.25;
    gdi::RecordingDevice device({320, 200});
    DrawingCanvas canvas;
    std::vector<DRect> bands;  // the band rectangles of the last drawing
    canvas.beginExternal(&device);
    measureColorBar(canvas, s, &bands);
    drawColorBar(canvas, s, &bands);
    struct Case {
        int x, y;  // device pixels; bands as in TableModeLayoutWorkedOutByHand
        bool onBar;
        int color;
    };
    const Case cases[] = {
        {5, 60, true, 4},                          // top band: the maximum's colour
        {5, 140, true, 0},                         // bottom band
        {5, 100, true, 2},    {30, 60, true, -1},  // on the labels
        {200, 60, false, -1}, {5, 190, false, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        const ColorBarHit hit = colorBarHit(s, bands, canvas.toWorldX(c.x), canvas.toWorldY(c.y));
        EXPECT_EQ(hit.onBar, c.onBar);
        EXPECT_EQ(hit.colorIndex, c.color);
    }
    s.upDown = 1;
    drawColorBar(canvas, s, &bands);
    EXPECT_EQ(colorBarHit(s, bands, canvas.toWorldX(5), canvas.toWorldY(60)).colorIndex, 0);
    canvas.endExternal();
}

// --- Colour bar as a picture ------------------------------------------------------------------

bool isColor(const QImage& image, int x, int y, gdi::ColorRef c) {
    const QRgb p = image.pixel(x, y);
    return static_cast<unsigned>(qRed(p)) == gdi::redOf(c) &&
           static_cast<unsigned>(qGreen(p)) == gdi::greenOf(c) &&
           static_cast<unsigned>(qBlue(p)) == gdi::blueOf(c);
}

std::string pixelText(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return std::to_string(qRed(p)) + "," + std::to_string(qGreen(p)) + "," +
           std::to_string(qBlue(p));
}

// Two bars on a 300 × 400 picture, both laid out with FrUp = FrDown = 0.15
// (top 60, bar height 280):
// - left = 30: the default 239 palette bands over 0..239, maximum at the top
//   (columns x0 = 30, x1 = 39, labels at 41);
// - left = 170: five bands blue to red from the levels 10..40 over 0..50,
//   maximum at the bottom (x0 = 170, x1 = 179), edges at 60 + 5.6 · b, that
//   is 60, 116, 172, 228, 284, 340.
QImage drawTwoBars(int* labelHeight) {
    QtImageDevice device({300, 400}, kWhite);
    DrawingCanvas canvas;
    std::vector<DRect> bands;  // the band rectangles of the last drawing
    canvas.beginExternal(&device);
    ColorScale palette;
    palette.setRange(0, 239);
    measureColorBar(canvas, palette, &bands);
    palette.left = 30;
    drawColorBar(canvas, palette, &bands);
    ColorScale table;
    table.upDown = 1;
    table.setEndColors(kBlue, kRed);
    EXPECT_TRUE(table.setFromIsolineLevels({10, 20, 30, 40}, 0, 50));
    measureColorBar(canvas, table, &bands);
    table.left = 170;
    drawColorBar(canvas, table, &bands);
    canvas.endExternal();
    *labelHeight = table.labelHeight;
    return device.finishedImage().convertToFormat(QImage::Format_RGB32);
}

TEST(ColorBarPicture, BandBoundariesSitWhereTheLayoutPutsThem) {
    ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed";
    int l = 0;
    const QImage image = drawTwoBars(&l);
    ASSERT_GT(l, 0);
    struct Case {
        int x, y;
        gdi::ColorRef color;
    };
    const Case cases[] = {
        // Palette bar: band 0 at row 60 is entry 254, band 100 at row 177 is
        // entry 154, the last band (rows 338..340) entry 16.
        {34, 60, StandardPalette::color(254)},
        {34, 177, StandardPalette::color(154)},
        {34, 339, StandardPalette::color(16)},
        {34, 340, StandardPalette::color(16)},
        {34, 341, kWhite},
        {28, 200, kBlack},  // the frame, 2 pixels left of the bar
        {29, 200, kWhite},
        // Table bar: each band's middle, and the rows either side of an edge
        // (an edge row belongs to the band below, drawn after).
        {174, 88, kBlueToRed5[0]},
        {174, 144, kBlueToRed5[1]},
        {174, 200, kBlueToRed5[2]},
        {174, 256, kBlueToRed5[3]},
        {174, 312, kBlueToRed5[4]},
        {174, 115, kBlueToRed5[0]},
        {174, 116, kBlueToRed5[1]},
        {174, 283, kBlueToRed5[3]},
        {174, 284, kBlueToRed5[4]},
        {174, 59, kWhite},
        {174, 341, kWhite},
        {175, 60 - l / 2 - 2, kBlack},  // the frame's top edge
        {168, 200, kBlack},
    };
    for (const Case& c : cases) {
        EXPECT_TRUE(isColor(image, c.x, c.y, c.color))
            << c.x << "," << c.y << " is " << pixelText(image, c.x, c.y) << ", expected "
            << gdi::colorText(c.color);
    }
}

// The reference picture tests/fixtures/color_bar_two_bars.png was made by
// this test with GRIDOVA_WRITE_REFERENCE=1 (Liberation Sans for "Arial",
// Qt 6.4 offscreen) and checked by eye against the layout rules: bars at
// x 30..39 and 170..179 from y 60 to 340, the palette bar yellow at the top
// through green and red to violet at the bottom with labels 239.00 down to
// 0.00 every 28 pixels, the table bar blue at the top to red at the bottom
// with labels 0.00 to 50.00 at its five edges, each bar in a black-edged
// white frame reaching half a label above the top and below the bottom.
TEST(ColorBarPicture, MatchesTheReviewedReference) {
    ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed";
    int l = 0;
    const QImage actual = drawTwoBars(&l);
    if (testing::writeReferenceInstead(actual, "color_bar_two_bars.png")) GTEST_SKIP();
    testing::expectMatchesReference(actual, "color_bar_two_bars.png");
}

// Whatever a damaged byte makes of a "CS01" section, the scale read from
// it can be measured and drawn.
TEST(ColorBar, ScalesReadFromDamagedSectionsStillDraw) {
    const ColorScale sample = fiveBands();
    const std::string good =
        testing::writtenBytes([&](BinaryWriter& out) { sample.writeSection(out); });
    gdi::RecordingDevice device({400, 300});
    DrawingCanvas canvas;
    canvas.beginExternal(&device);
    std::vector<DRect> bands;
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (char damage : {'\xFF', '\x80', '\x7F'}) {
            std::string bytes = good;
            bytes[at] = damage;
            ColorScale s;
            BinaryReader in{std::string_view(bytes)};
            s.readSection(in);
            drawColorBar(canvas, s, &bands);
            measureColorBar(canvas, s, &bands);
            drawColorBar(canvas, s, &bands);
            ASSERT_EQ(bands.size(), static_cast<std::size_t>(s.count())) << at;
            device.clear();
        }
    }
    canvas.endExternal();
}

}  // namespace
}  // namespace gridova
