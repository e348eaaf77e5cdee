// The tiles of a print over several pages, against layouts worked out by
// hand.
#include "render/print_layout.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <cmath>

#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/map_view.h"
#include "tests/common/test_env.h"
#include "tests/render/map_view_fixtures.h"

namespace gridova {
namespace {

std::string describe(const PrintTiles& t) {
    std::string s = "across " + std::to_string(t.across) + ":";
    for (const WorldRect& r : t.tiles) {
        s += " [" + std::to_string(r.xmin) + " " + std::to_string(r.ymin) + " " +
             std::to_string(r.xmax) + " " + std::to_string(r.ymax) + "]";
    }
    return s;
}

void expectTiles(const PrintTiles& t, const std::vector<WorldRect>& expected, int across) {
    ASSERT_EQ(t.tiles.size(), expected.size()) << describe(t);
    EXPECT_EQ(t.across, across);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(t.tiles[i].xmin, expected[i].xmin, 1e-9);
        EXPECT_NEAR(t.tiles[i].ymin, expected[i].ymin, 1e-9);
        EXPECT_NEAR(t.tiles[i].xmax, expected[i].xmax, 1e-9);
        EXPECT_NEAR(t.tiles[i].ymax, expected[i].ymax, 1e-9);
    }
}

MultiPageSettings counts(int across, int down, double left = 0, double right = 0, double top = 0,
                         double bottom = 0) {
    MultiPageSettings s;
    s.active = 1;
    s.horizontalCount = across;
    s.verticalCount = down;
    s.leftOverlap = left, s.rightOverlap = right, s.topOverlap = top, s.bottomOverlap = bottom;
    return s;
}

const WorldRect kMap{0, 0, 300, 200};

TEST(PrintTilesByCounts, RowsFromTheTopTilesFromTheLeft) {
    // One tile is the map.
    expectTiles(tilesByCounts(kMap, counts(1, 1), false, {100, 100}), {kMap}, 1);
    // Counts of 0 are 1.
    expectTiles(tilesByCounts(kMap, counts(0, 0), false, {100, 100}), {kMap}, 1);
    // 3 × 2: tiles of 100 × 100, the top row first.
    expectTiles(tilesByCounts(kMap, counts(3, 2), false, {100, 100}),
                {{0, 100, 100, 200},
                 {100, 100, 200, 200},
                 {200, 100, 300, 200},
                 {0, 0, 100, 100},
                 {100, 0, 200, 100},
                 {200, 0, 300, 100}},
                3);
}

// Overlaps of 5 % of the width (15 units) on both sides: the middle tile is
// a third of the width plus 10 %, the outer ones are cut by the map to a
// third plus 5 %; a tile that would start within the overlap of the right
// edge is not made.
TEST(PrintTilesByCounts, OverlapsWidenTheTilesAndTheMapCutsThem) {
    expectTiles(tilesByCounts(kMap, counts(3, 1, 0.05, 0.05), false, {100, 100}),
                {{0, 0, 115, 200}, {85, 0, 215, 200}, {185, 0, 300, 200}}, 3);
    // 10 % of the height (20 units) above and below: two rows that overlap
    // by 40 in the middle.
    expectTiles(tilesByCounts(kMap, counts(1, 2, 0, 0, 0.1, 0.1), false, {100, 100}),
                {{0, 80, 300, 200}, {0, 0, 300, 120}}, 1);
}

// Eight steps of 0.1 add up to a hair less than 0.8: no ninth page of a
// sliver.
TEST(PrintTilesByCounts, RoundingMakesNoSliverPage) {
    const PrintTiles t = tilesByCounts({0, 0, 0.8, 0.8}, counts(8, 1), false, {100, 100});
    EXPECT_EQ(t.tiles.size(), 8u) << describe(t);
    EXPECT_EQ(t.across, 8);
}

TEST(PrintTilesByCounts, AtMostAHundredTiles) {
    const PrintTiles t = tilesByCounts(kMap, counts(20, 10), false, {100, 100});
    EXPECT_EQ(t.tiles.size(), 100u);
    EXPECT_EQ(t.across, 20);
    // The first five rows, whole.
    EXPECT_NEAR(t.tiles.back().ymin, 100, 1e-9);
}

// Keeping the page's proportions: 3 across on pages twice as wide as high
// makes tiles of 100 × 50, so four rows.
TEST(PrintTilesByCounts, TheAspectRatioFollowsThePage) {
    const PrintTiles t = tilesByCounts(kMap, counts(3, 2), true, {200, 100});
    ASSERT_EQ(t.tiles.size(), 12u) << describe(t);
    EXPECT_NEAR(t.tiles[0].ymin, 150, 1e-9);
    EXPECT_NEAR(t.tiles[11].ymin, 0, 1e-9);
}

// To scale: a 1000 × 500 map at 96 pixels an inch on pages of 480 × 480
// pixels. At U map units an inch the map is 1000/U × 96 pixels wide, so a
// page holds 480 / 96 × U = 5U units each way; the pages are
// ceil(1000 / 5U) × ceil(500 / 5U).
TEST(PrintTilesByScale, PagesFollowTheScale) {
    struct Case {
        double unitsPerInch;
        std::size_t pages;
        int across;
    };
    const Case cases[] = {{200, 1, 1}, {100, 2, 2}, {50, 8, 4}, {30, 28, 7}, {10, 100, 20}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unitsPerInch);
        PrintSetup setup;
        setup.scale = 1;
        setup.unitsPerInchX = c.unitsPerInch;
        setup.unitsPerInchY = 12345;  // not used: the aspect ratio is kept
        const PrintTiles t =
            tilesByScale({0, 0, 1000, 500}, MultiPageSettings{}, setup, true, {480, 480}, {});
        EXPECT_EQ(t.tiles.size(), c.pages) << describe(t);
        EXPECT_EQ(t.across, c.across);
        if (c.unitsPerInch == 100) {
            expectTiles(t, {{0, 0, 500, 500}, {500, 0, 1000, 500}}, 2);
        }
    }
}

TEST(PrintTilesByScale, CentimetresAndTheirOwnYScale) {
    // 10 units a centimetre across and 20 down: a 1000 × 500 map is 100 ×
    // 25 cm; a page of 480 × 480 pixels (12.7 × 12.7 cm) holds 127 × 254
    // units: 8 columns and 2 rows.
    PrintSetup setup;
    setup.scale = 1;
    setup.unitsPerInchX = 10;
    setup.unitsPerInchY = 20;
    setup.pageUnits = 1;
    setup.unitCoef = 1 / 2.54;
    const PrintTiles t =
        tilesByScale({0, 0, 1000, 500}, MultiPageSettings{}, setup, false, {480, 480}, {});
    EXPECT_EQ(t.tiles.size(), 16u) << describe(t);
    EXPECT_EQ(t.across, 8);
}

TEST(PrintTilesByScale, UnitsPerInchOfZeroMakeNoPicture) {
    for (double units : {0.0, -5.0}) {
        PrintSetup setup;
        setup.scale = 1;
        setup.unitsPerInchX = units;
        const PrintTiles t =
            tilesByScale({0, 0, 1000, 500}, MultiPageSettings{}, setup, true, {480, 480}, {});
        EXPECT_TRUE(t.tiles.empty());
        EXPECT_FALSE(t.problem.empty());
    }
}

TEST(PrintTilesByScale, AnUnknownScreenResolutionIsLoggedAndTakenAsOne) {
    PrintSetup setup;
    setup.scale = 1;
    setup.unitsPerInchX = 1;
    ScreenMetrics screen;
    screen.pixelsPerInchX = 0;
    // One pixel an inch: the 1000 × 500 map is 1000 × 500 pixels; pages of
    // 480 × 480 make 3 columns (0, 480, 960) and 2 rows (from 500, 20).
    const PrintTiles t =
        tilesByScale({0, 0, 1000, 500}, MultiPageSettings{}, setup, true, {480, 480}, screen);
    EXPECT_EQ(testing::lastLogged(), "Can't define display pixel sizes");
    EXPECT_EQ(t.tiles.size(), 3u * 2u) << describe(t);
}

// A view prints a page per tile, each page showing its own part of the map,
// and the window's drawing is as before afterwards.
TEST(MapPrinting, EachPageShowsItsTile) {
    CVexaView view;
    view.model().addPointSet(testing::fixturePoints());
    view.multiPage = counts(2, 1);
    view.aspectRatio = 0;
    const PrintTiles tiles = view.preparePrinting({400, 300}, {});
    ASSERT_EQ(CVexaView::pageCount(tiles), 2);
    std::vector<std::vector<std::string>> pages;
    for (int page = 0; page < 2; ++page) {
        gdi::RecordingDevice device({400, 300});
        view.printPage(device, {400, 300}, tiles, page);
        pages.push_back(device.calls());
        EXPECT_FALSE(view.printing());
    }
    EXPECT_NE(pages[0], pages[1]);
}

// One tile by counts (1 × 1, with or without overlaps, which the map cuts
// off) prints the page that printing without tiles prints. (Keeping the
// aspect ratio, the tile would take the page's proportions instead.)
TEST(MapPrinting, OneTileIsTheFittedPage) {
    const auto page = [](const MultiPageSettings& settings) {
        CVexaView view;
        view.model().addPointSet(testing::fixturePoints());
        EXPECT_EQ(view.applyMapType(MapType::ColorIsolines), 0);
        view.aspectRatio = 0;
        view.multiPage = settings;
        const PrintTiles tiles = view.preparePrinting({400, 300}, {});
        EXPECT_EQ(CVexaView::pageCount(tiles), 1);
        gdi::RecordingDevice device({400, 300});
        view.printPage(device, {400, 300}, tiles, 0);
        return device.calls();
    };
    const std::vector<std::string> fitted = page(MultiPageSettings{});
    EXPECT_EQ(page(counts(1, 1)), fitted);
    EXPECT_EQ(page(counts(1, 1, 0.1, 0.1, 0.1, 0.1)), fitted);
}

// The colour bar is printed once: on the first page when it stands left of
// the map, on the last page of the first row when it stands right.
TEST(MapPrinting, TheColourBarIsOnItsPage) {
    struct Case {
        std::int32_t location;
        int pageWithBar;
    };
    for (const Case c : {Case{0, 0}, Case{1, 2}}) {
        SCOPED_TRACE(c.location);
        for (int page = 0; page < 6; ++page) {
            // A view of its own for each page: the bar's bands are those of
            // its last drawing.
            CVexaView view;
            view.model().addPointSet(testing::fixturePoints());
            ASSERT_EQ(view.applyMapType(MapType::ColorIsolines), 0);
            ASSERT_NE(view.model().grid(), nullptr);
            view.model().grid()->colorScale.location = c.location;
            view.multiPage = counts(3, 2);
            view.aspectRatio = 0;
            const PrintTiles tiles = view.preparePrinting({400, 300}, {});
            ASSERT_EQ(tiles.across, 3);
            gdi::RecordingDevice device({400, 300});
            view.printPage(device, {400, 300}, tiles, page);
            EXPECT_EQ(!view.colorBarBands().empty(), page == c.pageWithBar) << page;
        }
    }
}

// Printing to scale leaves the map no margins: the bar stands inside the
// page's right edge, where it is printed, not beyond it.
TEST(MapPrinting, ToScaleTheColourBarStaysOnThePage) {
    CVexaView view;
    view.model().addPointSet(testing::fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::ColorIsolines), 0);
    view.printSetup.scale = 1;
    const DRect world = view.computeWorldRect();
    // Two pages across: the map twice a page's width at 96 pixels an inch.
    view.printSetup.unitsPerInchX = world.width() * 96 / (2 * 400) * 1.01;
    const PrintTiles tiles = view.preparePrinting({400, 300}, {});
    ASSERT_EQ(tiles.across, 2);
    gdi::RecordingDevice device({400, 300});
    view.printPage(device, {400, 300}, tiles, 1);
    ASSERT_FALSE(view.colorBarBands().empty());
    const int left = view.model().grid()->colorScale.left;
    EXPECT_GT(left, 300);
    EXPECT_LT(left, 400);
}

// Pages printed to scale join into the picture of the whole map at that
// scale: two pages of 400 × 300 side by side show what one page of 800 ×
// 300 shows, without a gap or a strip twice (the pages' frames and the
// colour bar, which the last page of the row carries, aside).
TEST(MapPrinting, PagesToScaleJoinIntoTheWholeMap) {
    CVexaView view;
    view.model().addPointSet(testing::fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::ColorIsolines), 0);
    view.model().grid()->colorScale.visible = 0;
    view.printSetup.scale = 1;
    view.aspectRatio = 0;
    const DRect world = view.computeWorldRect();
    // The map 800 pixels wide, 300 high.
    view.printSetup.unitsPerInchX = world.width() * 96 / 800;
    view.printSetup.unitsPerInchY = world.height() * 96 / 300;
    const auto print = [&](gdi::Size page, int index) {
        const PrintTiles tiles = view.preparePrinting(page, {});
        QtImageDevice device(page, gdi::rgb(255, 255, 255));
        view.printPage(device, page, tiles, index);
        return std::make_pair(CVexaView::pageCount(tiles), device.finishedImage().copy());
    };
    const auto [wholePages, whole] = print({800, 300}, 0);
    ASSERT_EQ(wholePages, 1);
    const auto [leftPages, left] = print({400, 300}, 0);
    const auto [rightPages, right] = print({400, 300}, 1);
    ASSERT_EQ(leftPages, 2);
    QImage joined(800, 300, QImage::Format_RGB32);
    {
        QPainter p(&joined);
        p.drawImage(0, 0, left);
        p.drawImage(400, 0, right);
    }
    long differing = 0;
    for (int y = 2; y < 298; ++y) {
        for (int x = 2; x < 798; ++x) {
            if (std::abs(x - 400) <= 2) continue;  // the pages' own frames
            const QRgb a = whole.pixel(x, y), b = joined.pixel(x, y);
            if (std::abs(qRed(a) - qRed(b)) > 24 || std::abs(qGreen(a) - qGreen(b)) > 24 ||
                std::abs(qBlue(a) - qBlue(b)) > 24) {
                ++differing;
            }
        }
    }
    EXPECT_LT(differing, 800 * 300 / 100) << differing;
}

}  // namespace
}  // namespace gridova
