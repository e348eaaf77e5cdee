// The map view: world rectangle, map types through the driver, the status
// text, the zoom window, the cross-section and the commands (its layers and
// pictures are in map_layers_test.cpp).
#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/app_context.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/map_commands.h"
#include "render/map_view.h"
#include "tests/common/picture_compare.h"
#include "tests/common/test_env.h"
#include "tests/exchange/metafile_walker.h"
#include "tests/render/map_view_fixtures.h"

namespace gridova {
namespace {

using testing::FakeWindow;
using testing::fixturePoints;
using testing::MapViewTest;
using testing::pointsOf;

// --- World rectangle --------------------------------------------------------------

TEST_F(MapViewTest, WorldRectangleWithNoObjectsIsTheUnitSquare) {
    CVexaView view;
    const DRect r = view.computeWorldRect();
    EXPECT_EQ(r.minX, 0);
    EXPECT_EQ(r.minY, 0);
    EXPECT_EQ(r.maxX, 1);
    EXPECT_EQ(r.maxY, 1);
}

TEST_F(MapViewTest, WorldRectangleTakesInPointsShownBorderTreeAndGrid) {
    CVexaView view;
    view.model().addPointSet(pointsOf({{10, 20, 1}, {30, 40, 2}}));
    EXPECT_EQ(view.computeWorldRect().minX, 10);
    EXPECT_EQ(view.computeWorldRect().maxY, 40);

    auto border = std::make_unique<LineList>();
    border->add(Line(std::vector<LinePoint>{{0, 25}, {50, 25}, {50, 30}, {0, 25}}));
    view.model().setBorder(std::move(border));
    EXPECT_EQ(view.computeWorldRect().minX, 0);
    EXPECT_EQ(view.computeWorldRect().maxX, 50);
    view.model().settings.showBorder = 0;  // a hidden border does not count
    EXPECT_EQ(view.computeWorldRect().minX, 10);

    view.model().addLine(Line(std::vector<LinePoint>{{20, -5}, {25, 30}}));
    EXPECT_EQ(view.computeWorldRect().minY, -5);
}

TEST_F(MapViewTest, APointAloneStillGivesTheMapASize) {
    CVexaView view;
    view.model().addPointSet(pointsOf({{5, 7, 1}}));
    const DRect r = view.computeWorldRect();
    EXPECT_LT(r.minX, 5);
    EXPECT_GT(r.maxX, 5);
    EXPECT_LT(r.minY, 7);
    EXPECT_GT(r.maxY, 7);
}

TEST_F(MapViewTest, FurtherPointSetsTakeTheNextColourOfTheRotation) {
    CVexaView view;
    PointSet& main = view.model().addPointSet(pointsOf({{0, 0, 1}}));
    const gdi::ColorRef mainColor = main.badgeFormat.pointColor;
    PointSet& second = view.model().addPointSet(pointsOf({{1, 1, 1}}));
    PointSet& third = view.model().addPointSet(pointsOf({{2, 2, 1}}));
    EXPECT_EQ(view.model().mainPoints(), &main);
    EXPECT_EQ(main.badgeFormat.pointColor, mainColor);
    EXPECT_EQ(second.badgeFormat.pointColor, gdi::rgb(0, 255, 255));
    EXPECT_EQ(third.badgeFormat.pointColor, gdi::rgb(255, 255, 0));
}

// --- Map types ------------------------------------------------------------------------

TEST_F(MapViewTest, MapTypesBuildAndRemoveWhatTheyShow) {
    CVexaView view;
    EXPECT_EQ(view.applyMapType(MapType::Isolines), -1);  // nothing to map

    view.model().addPointSet(fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::Isolines), 0);
    ASSERT_NE(view.model().grid(), nullptr);
    EXPECT_EQ(view.model().grid()->nx(), EqNet::kDefaultNodes);
    ASSERT_NE(view.model().isolines(), nullptr);
    EXPECT_GT(view.model().isolines()->size(), 5u);
    EXPECT_FALSE(view.model().grid()->valuesValid());

    ASSERT_EQ(view.applyMapType(MapType::ExistingValues), 0);
    EXPECT_TRUE(view.model().grid()->valuesValid());
    EXPECT_EQ(view.model().isolines(), nullptr);

    ASSERT_EQ(view.applyMapType(MapType::CircleValues), 0);
    EXPECT_EQ(view.model().mainPoints()->badgeFormat.valueShow, 1);

    ASSERT_EQ(view.applyMapType(MapType::LocatePoints), 0);
    EXPECT_EQ(view.model().isolines(), nullptr);
    EXPECT_FALSE(view.model().grid()->valuesValid());
    EXPECT_EQ(view.model().mainPoints()->badgeFormat.valueShow, 0);
    EXPECT_EQ(view.model().settings.mapType, MapType::LocatePoints);
}

TEST_F(MapViewTest, CellMapsSetUpTheColourMapOverGridAndPoints) {
    CVexaView view;
    PointSet data;
    data.addPoint(0.5, 0.5, -20);
    data.addPoint(1.5, 1.5, 40);
    data.computeStatistics();
    view.model().addPointSet(std::move(data));
    auto grid = EqNet::fromCellWidths({1, 1}, {1, 1});
    grid->method = InterpolationMethod::DataPointsOnly;
    view.model().setGrid(std::move(grid));
    ASSERT_EQ(view.applyMapType(MapType::ColorCells), 0);
    const EqNet& g = *view.model().grid();
    EXPECT_TRUE(g.valuesValid());
    EXPECT_EQ(g.colorScale.visible, 1);
    // The palette ramp runs from the lowest to the highest data value.
    EXPECT_EQ(g.colorScale.paletteIndexOf(-20), 16);
    EXPECT_EQ(g.colorScale.paletteIndexOf(40), 255);
    EXPECT_EQ(view.model().isolines(), nullptr);
}

TEST_F(MapViewTest, ColourIsolinesTakeTheirBandsFromTheLevels) {
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    view.model().startupLevelsFile = testing::writeFile("levels.txt", "20 -10 50\n");
    ASSERT_EQ(view.applyMapType(MapType::ColorIsolines), 0);
    const EqNet& g = *view.model().grid();
    ASSERT_NE(view.model().isolines(), nullptr);
    EXPECT_EQ(view.model().isolines()->values(), (std::vector<double>{-10, 20, 50}));
    // Three isolines: four bands with the boundaries min(grid min, −10),
    // −10, 20, 50 and max(grid max, 50); the fill is built from them.
    ASSERT_EQ(g.colorScale.count(), 4);
    EXPECT_EQ(g.colorScale.boundaries(),
              (std::vector<double>{std::min(g.minValue(), -10.0), -10, 20, 50,
                                   std::max(g.maxValue(), 50.0)}));
    EXPECT_NE(view.model().colorFill(), nullptr);
    EXPECT_FALSE(g.valuesValid());

    // Simple isolines drop the fill and leave the scale alone.
    view.model().startupLevelsFile = testing::writeFile("levels2.txt", "1 2 3 4\n");
    ASSERT_EQ(view.applyMapType(MapType::Isolines), 0);
    EXPECT_EQ(view.model().isolines()->values(), (std::vector<double>{1, 2, 3, 4}));
    EXPECT_EQ(view.model().colorFill(), nullptr);
    EXPECT_EQ(view.model().grid()->colorScale.count(), 4);
}

TEST_F(MapViewTest, TheTriangleNetworkMapDrawsClosedTriangles) {
    CVexaView view;
    // A square and its centre: four triangles.
    view.model().addPointSet(pointsOf({{0, 0, 1}, {10, 0, 2}, {10, 10, 3}, {0, 10, 4}, {5, 5, 5}}));
    ASSERT_EQ(view.applyMapType(MapType::TriangleNetwork), 0);
    ASSERT_NE(view.model().network(), nullptr);
    ASSERT_EQ(view.model().network()->lines().size(), 4u);
    for (const Line& triangle : view.model().network()->lines()) {
        EXPECT_EQ(triangle.size(), 4u);
        EXPECT_TRUE(triangle.isClosed());
    }
    ASSERT_EQ(view.applyMapType(MapType::LocatePoints), 0);
    EXPECT_EQ(view.model().network(), nullptr);
}

TEST_F(MapViewTest, PointsOutsideTheGridBuildNothing) {
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    view.model().setGrid(EqNet::fromCounts(DRect(0, 0, 10, 10), 11, 11));
    EXPECT_EQ(view.applyMapType(MapType::Isolines), -1);
    EXPECT_EQ(testing::lastLogged(), text(192));
    EXPECT_EQ(view.model().isolines(), nullptr);
}

// Drawing reads the model and changes nothing in it: a map of points alone
// is drawn without a grid being made.
TEST_F(MapViewTest, DrawingLeavesTheModelAlone) {
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    class Notices final : public MapModelObserver {
    public:
        void mapModelChanged(unsigned) override { ++count; }
        int count = 0;
    } notices;
    view.model().addObserver(&notices);
    gdi::RecordingDevice device({300, 200});
    view.drawOn(device);
    EXPECT_EQ(view.model().grid(), nullptr);
    EXPECT_EQ(notices.count, 0);
    EXPECT_FALSE(device.callsOf("ellipse").empty());  // the points were drawn
    view.model().removeObserver(&notices);
}

// --- Status text -----------------------------------------------------------------------

TEST_F(MapViewTest, StatusTextFormsAndEmptinessOutsideTheGrid) {
    CVexaView view;
    EXPECT_EQ(view.statusText(0.5, 0.5), "");  // no grid
    // Nodes at x = 0, 1, 2 and y = 0, 1; values 10 · index.
    auto grid = std::make_unique<EqNet>();
    grid->setSteps({1, 1}, {1});
    std::vector<double> values{0, 10, 20, 30, 40, 50};
    grid->allocateValues(0);
    ASSERT_EQ(grid->SetValues(values), 0);
    grid->mask().assign(6, 1);
    view.model().setGrid(std::move(grid));

    // (1.9, 0.2): nearest node i = 2, j = 0, row from the top 1, index 2.
    EXPECT_EQ(view.statusText(1.9, 0.2), "X 1.9000 Y 0.20000 V 20.000 Cell 2:1 I 2");
    view.model().grid()->mask()[2] = 0;  // a blank node shows no value
    EXPECT_EQ(view.statusText(1.9, 0.2), "X 1.9000 Y 0.20000 Cell 2:1 I 2");
    EXPECT_EQ(view.statusText(2.5, 0.5), "");
    EXPECT_EQ(view.statusText(1, -0.01), "");
}

// Numbers of the coordinate text: written out with five significant digits
// while that fits in 12 characters, in exponent form beyond.
TEST(CoordinateNumber, PlainDecimalsWhileTheyFit) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {0, "0"},
        {1.9, "1.9000"},
        {-0.2, "-0.20000"},
        {541234.56, "541235"},             // survey coordinates stay whole numbers
        {6412345.678, "6412346"},          // more digits than five, none lost
        {-9999.99999, "-10000.0"},         // rounds as printf does
        {0.00012345, "0.00012345"},        // 10 characters
        {0.000012345, "0.000012345"},      // 11 characters
        {0.00000012345, "1.2345e-07"},     // written out it would take 13
        {123456789012.0, "123456789012"},  // 12 characters
        {1234567890123.0, "1.2346e+12"},
        {1e300, "1.0000e+300"},
    };
    for (const auto& c : cases) EXPECT_EQ(coordinateNumber(c.value), c.text) << c.value;
}

// --- Zoom window ---------------------------------------------------------------------------

TEST(ZoomWindowModel, OpensOnceStartsCentredAndStepsThroughItsHistory) {
    ZoomWindow zoom;
    ASSERT_TRUE(zoom.open({0, 0, 100, 60}, 50, 30));
    EXPECT_FALSE(zoom.open({0, 0, 100, 60}, 50, 30));  // shown again, not made anew
    // Half-size a quarter of the larger side (25), clipped to the world.
    EXPECT_EQ(zoom.rect().xmin, 25);
    EXPECT_EQ(zoom.rect().xmax, 75);
    EXPECT_EQ(zoom.rect().ymin, 5);
    EXPECT_EQ(zoom.rect().ymax, 55);
    EXPECT_FALSE(zoom.hasPrevious());

    zoom.push({10, 10, 20, 20});
    zoom.push({12, 12, 14, 14});
    ASSERT_TRUE(zoom.previous());
    EXPECT_EQ(zoom.rect().xmin, 10);
    ASSERT_TRUE(zoom.previous());
    EXPECT_EQ(zoom.rect().xmin, 25);
    EXPECT_FALSE(zoom.previous());
    ASSERT_TRUE(zoom.next());
    ASSERT_TRUE(zoom.next());
    EXPECT_EQ(zoom.rect().xmin, 12);
    EXPECT_FALSE(zoom.hasNext());

    zoom.previous();
    zoom.push({1, 1, 2, 2});  // the windows after the current one go
    EXPECT_FALSE(zoom.hasNext());
    zoom.previous();
    EXPECT_EQ(zoom.rect().xmin, 10);
}

TEST_F(MapViewTest, ZoomDragsUnderFortyPixelsAreIgnored) {
    FakeWindow window({400, 300});
    CVexaView view;
    view.model().addPointSet(pointsOf({{0, 0, 1}, {100, 100, 2}}));
    view.setWindow(&window);
    view.paint();
    ASSERT_TRUE(view.run(MapCommand::ZoomPart));
    ASSERT_TRUE(view.zoom().isOpen());
    view.paint();
    const WorldRect before = view.zoom().rect();

    view.mouseLeftDown({100, 100});
    EXPECT_TRUE(window.captured);
    view.mouseMove({130, 139});
    view.mouseLeftUp({139, 130});  // 39 pixels: ignored
    EXPECT_FALSE(window.captured);
    EXPECT_EQ(view.zoom().rect().xmin, before.xmin);
    EXPECT_FALSE(view.state(MapCommand::ZoomPrevious).enabled);

    view.mouseLeftDown({100, 100});
    view.mouseLeftUp({60, 140});  // 40 pixels: taken, corners in order
    const WorldRect& r = view.zoom().rect();
    EXPECT_NEAR(r.xmin, view.canvas().toWorldX(60), 1e-9);
    EXPECT_NEAR(r.xmax, view.canvas().toWorldX(100), 1e-9);
    EXPECT_NEAR(r.ymin, view.canvas().toWorldY(140), 1e-9);
    EXPECT_NEAR(r.ymax, view.canvas().toWorldY(100), 1e-9);
    EXPECT_TRUE(view.state(MapCommand::ZoomPrevious).enabled);
    view.paint();
    EXPECT_NEAR(view.canvas().worldWindow().xmin, r.xmin, 1e-9);

    ASSERT_TRUE(view.run(MapCommand::ZoomAll));
    EXPECT_FALSE(view.zoom().isOpen());
}

// --- Cross-section -----------------------------------------------------------------------------

// A grid of 11 × 11 nodes with value = x; the columns from 7 on blank when
// asked.
std::unique_ptr<EqNet> rampGrid(bool blankCorner) {
    auto grid = EqNet::fromCounts(DRect(0, 0, 10, 10), 11, 11);
    grid->allocateValues(0);
    std::vector<double> values(121);
    for (int j = 0; j < 11; ++j) {
        for (int i = 0; i < 11; ++i)
            values[static_cast<std::size_t>(i + 11 * j)] =
                grid->nodeX()[static_cast<std::size_t>(i)];
    }
    grid->SetValues(values);
    grid->mask().assign(121, 1);
    if (blankCorner) {
        for (int j = 0; j < 11; ++j) {
            for (int i = 0; i < 11; ++i) {
                if (i >= 7) grid->mask()[static_cast<std::size_t>(i + 11 * j)] = 0;
            }
        }
    }
    return grid;
}

TEST_F(MapViewTest, CrossSectionMakesTheNamedProfileAndPolygon) {
    CVexaView view;
    view.model().setGrid(rampGrid(false));
    view.startLineInput();
    const double x0 = view.model().grid()->nodeX()[2], x1 = view.model().grid()->nodeX()[8];
    const double y = view.model().grid()->nodeY()[5];
    view.lineAddWorldPoint(x0, y);
    view.lineAddWorldPoint(x1, y);
    ASSERT_TRUE(view.state(MapCommand::CrossSection).enabled);

    std::optional<CrossSection> section = view.makeCrossSection();
    ASSERT_TRUE(section.has_value());
    EXPECT_EQ(section->title, "Разрез 1");
    ASSERT_EQ(section->tree->name(), "Линии");
    ASSERT_EQ(section->tree->childCount(), 1u);
    const Bush& group = section->tree->child(0);
    EXPECT_EQ(group.name(), "Разрез");
    ASSERT_EQ(group.itemCount(), 2u);
    const Line* polygon = group.item(0).line();
    const Line* profile = group.item(1).line();
    ASSERT_NE(polygon, nullptr);
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->name, "Разрез1(Линия)");
    EXPECT_EQ(polygon->name, "Разрез1(Полигон)");

    // Along a row of a value = x grid, the profile rises by one per unit of
    // distance: (0, x0), ..., (x1 − x0, x1).
    ASSERT_GE(profile->size(), 2u);
    EXPECT_NEAR(profile->points().front().x, 0, 1e-12);
    EXPECT_NEAR(profile->points().front().y, x0, 1e-12);
    EXPECT_NEAR(profile->points().back().x, x1 - x0, 1e-12);
    EXPECT_NEAR(profile->points().back().y, x1, 1e-12);
    for (const LinePoint& p : profile->points()) EXPECT_NEAR(p.y - p.x, x0, 0.5 + 1e-9);
    // The polygon closes along the bottom: (last x, lowest), (first x,
    // lowest); the first point is the lowest already.
    ASSERT_EQ(polygon->size(), profile->size() + 2);
    EXPECT_EQ(polygon->points()[profile->size()], (LinePoint{x1 - x0, x0}));
    EXPECT_EQ(polygon->points().back(), (LinePoint{0, x0}));
    EXPECT_TRUE(polygon->isClosed());

    EXPECT_EQ(section->vertices.name(), "ЛинияРазрез1");
    ASSERT_EQ(section->vertices.size(), 2u);
    EXPECT_EQ(section->vertices.points()[1].label, "2");
    EXPECT_EQ(section->vertices.hasLabels, 1);

    // The new view moves the vertices to (distance, value) and stands a
    // vertical line on each.
    CVexaView sectionView;
    sectionView.takeCrossSection(std::move(*section));
    ASSERT_NE(sectionView.model().mainPoints(), nullptr);
    EXPECT_NEAR(sectionView.model().mainPoints()->points()[1].x, x1 - x0, 1e-12);
    EXPECT_NEAR(sectionView.model().mainPoints()->points()[1].y, x1, 1e-12);
    Bush* vertexs = sectionView.model().objectTree().findChild("Vertexs");
    ASSERT_NE(vertexs, nullptr);
    ASSERT_EQ(vertexs->itemCount(), 2u);
    EXPECT_EQ(*vertexs->item(0).name(), "Vertex 1");
    EXPECT_EQ(vertexs->item(1).line()->points().front().y, x0);
    ASSERT_NE(sectionView.mapTitle(), nullptr);
    ASSERT_EQ(sectionView.mapTitle()->lines.size(), 1u);
    EXPECT_EQ(sectionView.mapTitle()->lines[0].text, "Разрез 1");

    EXPECT_EQ(view.makeCrossSection()->title, "Разрез 2");  // the counter goes on
}

TEST_F(MapViewTest, CrossSectionThroughBlankNodesDropsToTheBaseValue) {
    CVexaView view;
    view.model().setGrid(rampGrid(true));
    const double y = view.model().grid()->nodeY()[5];
    view.startLineInput();
    view.lineAddWorldPoint(view.model().grid()->nodeX()[3], y);
    view.lineAddWorldPoint(view.model().grid()->nodeX()[10], y);
    const std::optional<CrossSection> section = view.makeCrossSection();
    ASSERT_TRUE(section.has_value());
    const Line* profile = section->tree->child(0).item(1).line();
    const double base = view.model().grid()->nodeX()[3];  // the smallest sampled value
    // Every point beyond the last valued node sits on the base value, and
    // the drop happens at the last valued distance.
    bool dropped = false;
    double lastValued = 0;
    for (std::size_t i = 0; i < profile->size(); ++i) {
        const LinePoint p = profile->points()[i];
        if (p.y > base + 1e-12) {
            lastValued = p.x;
        } else if (i > 0 && p.x == lastValued) {
            dropped = true;
        }
    }
    EXPECT_TRUE(dropped);
    EXPECT_EQ(profile->points().back().y, base);
}

TEST_F(MapViewTest, CrossSectionMissingEveryValuedNodeIsRefused) {
    CVexaView view;
    view.model().setGrid(rampGrid(true));
    view.startLineInput();
    view.lineAddWorldPoint(view.model().grid()->nodeX()[8], 1);
    view.lineAddWorldPoint(view.model().grid()->nodeX()[10], 9);
    ASSERT_TRUE(view.state(MapCommand::CrossSection).enabled);
    EXPECT_FALSE(view.makeCrossSection().has_value());
    EXPECT_EQ(view.model().settings.sectionCounter, 0);
}

// --- Commands
// -------------------------------------------------------------------------------------

TEST_F(MapViewTest, TogglesFlipTheirStateAndTheFrameIsKept) {
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::Isolines), 0);
    struct Toggle {
        MapCommand command;
        const char* what;
    };
    for (const Toggle t : {Toggle{MapCommand::ToggleGridLines, "grid lines"},
                           Toggle{MapCommand::ToggleColorBar, "colour bar"},
                           Toggle{MapCommand::ToggleFrame, "frame"},
                           Toggle{MapCommand::LockAspectRatio, "aspect ratio"},
                           Toggle{MapCommand::ToggleConnectPoints, "connect points"}}) {
        const bool before = view.state(t.command).checked;
        ASSERT_TRUE(view.run(t.command)) << t.what;
        EXPECT_NE(view.state(t.command).checked, before) << t.what;
    }
    std::int32_t frame = -1;
    readProfileInt("View Frame", "Visible", frame);
    EXPECT_EQ(frame, 0);
    std::int32_t connect = -1;
    readProfileInt("Canvas View", "Connect Point", connect);
    EXPECT_EQ(connect, 1);
}

// A host that records the dialogs it is asked to open.
class DialogRecorder final : public MapViewHost {
public:
    bool openDialog(MapCommand command, CVexaView&) override {
        opened.push_back(command);
        return true;
    }
    bool openCrossSection(CVexaView&, CrossSection) override { return false; }
    void selectLine(CVexaView&, BushItem&) override {}
    void closeCoordinateWindow() override {}
    std::optional<gdi::ColorRef> chooseColor(gdi::ColorRef start) override {
        asked.push_back(start);
        return answer;
    }
    std::vector<MapCommand> opened;
    std::vector<gdi::ColorRef> asked;
    std::optional<gdi::ColorRef> answer;
};

// A left double click opens the dialog of what it hits: a badge of the main
// set its look, the title the title dialog, the colour bar off its bands
// the scale's dialog, anywhere else the isoline list.
TEST_F(MapViewTest, ADoubleClickOpensTheDialogOfWhatItHits) {
    FakeWindow window({640, 480});
    CVexaView view;
    DialogRecorder host;
    view.setHost(&host);
    view.setWindow(&window);
    view.model().addPointSet(fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::Isolines), 0);
    view.setTitle(MapTitle::fromHeaderLines({"Карта изолиний", "Участок 7"}));
    ColorScale& scale = view.model().grid()->colorScale;
    scale.visible = 1;
    view.paint();
    // The bar's labels: on the bar, off its bands.
    const DRect& bar = scale.barRect;
    const gdi::Point labels =
        view.canvas().toDevice(bar.maxX - 0.05 * (bar.maxX - bar.minX), (bar.minY + bar.maxY) / 2);
    const DataPoint& p = view.model().mainPoints()->points().front();
    const gdi::Point badge = view.canvas().toDevice(p.x, p.y);
    ASSERT_NE(view.title, nullptr);
    const gdi::Rect title = view.title->area();
    struct Case {
        const char* what;
        gdi::Point at;
        MapCommand opened;
    };
    const Case cases[] = {
        {"a badge", badge, MapCommand::BadgeFormat},
        {"the title",
         {(title.left + title.right) / 2, (title.top + title.bottom) / 2},
         MapCommand::Title},
        {"the map elsewhere", {badge.x + 40, badge.y - 40}, MapCommand::IsolineList},
        {"the colour bar between its bands", labels, MapCommand::ColorScale},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        host.opened.clear();
        view.mouseLeftDoubleClick(c.at);
        ASSERT_EQ(host.opened.size(), 1u);
        EXPECT_EQ(host.opened.front(), c.opened);
    }
}

// A double click on a band of the colour bar asks for the band's colour:
// the scale and the colour fill take it; a cancelled choice changes nothing.
TEST_F(MapViewTest, ADoubleClickOnABandOfTheColourBarChangesItsColour) {
    FakeWindow window({640, 480});
    CVexaView view;
    DialogRecorder host;
    view.setHost(&host);
    view.setWindow(&window);
    view.model().addPointSet(fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::ColorIsolines), 0);
    view.paint();
    ASSERT_FALSE(view.colorBarBands().empty());
    const DRect& band = view.colorBarBands()[1];
    const gdi::Point at =
        view.canvas().toDevice((band.minX + band.maxX) / 2, (band.minY + band.maxY) / 2);
    const ColorScale& scale = view.model().grid()->colorScale;
    const std::vector<gdi::ColorRef> before = scale.colors();

    view.mouseLeftDoubleClick(at);  // cancelled
    ASSERT_EQ(host.asked.size(), 1u);
    EXPECT_EQ(scale.colors(), before);
    const int index =
        static_cast<int>(std::find(before.begin(), before.end(), host.asked[0]) - before.begin());
    ASSERT_LT(index, static_cast<int>(before.size()));

    host.answer = gdi::rgb(1, 2, 3);
    view.mouseLeftDoubleClick(at);
    EXPECT_EQ(scale.colors()[static_cast<std::size_t>(index)], gdi::rgb(1, 2, 3));
    EXPECT_NE(scale.changed & ColorScale::kChangedColors, 0);
    EXPECT_TRUE(host.opened.empty());
    // The colour fill's palette (its bands' fills) has the colour.
    ASSERT_NE(view.model().colorFill(), nullptr);
    const ColorPalette* palette = view.model().colorFill()->nearestPalette();
    ASSERT_NE(palette, nullptr);
    EXPECT_NE(std::find(palette->begin(), palette->end(), gdi::rgb(1, 2, 3)), palette->end());
}

// "Копировать в Clipboard" puts the map, at the page size of a view without
// a window, on the clipboard of the view's context.
TEST_F(MapViewTest, CopyGoesToTheClipboardOfTheViewsContext) {
    MemoryClipboard clipboard;
    AppContext context;
    context.setClipboard(&clipboard);
    CVexaView view(context);
    view.model().addPointSet(fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::Isolines), 0);
    view.canvas().setPageSize({160, 120});
    ASSERT_TRUE(view.run(MapCommand::CopyToClipboard));
    ASSERT_TRUE(clipboard.picture().has_value());
    EXPECT_EQ(clipboard.picture()->width, 160);
    EXPECT_EQ(clipboard.picture()->height, 120);
    EXPECT_FALSE(processContext().clipboard().text().has_value());
    // Beside the pixels, the same map as an enhanced metafile of that size.
    const test::MetafileWalk walk = test::walkEmf(clipboard.metafile());
    EXPECT_TRUE(walk.ok()) << test::describeWalk(walk);
    EXPECT_EQ(walk.emf.description.substr(0, 8), "whatever");
    EXPECT_EQ(walk.emf.bounds, (test::WalkedRect{0, 0, 159, 119}));
    EXPECT_GT(walk.shapes.size(), 10u);
}

// The table answers for every command: a disabled command does nothing, a
// command without an action of its own opens its dialog, the others act.
TEST_F(MapViewTest, EveryCommandGoesThroughTheTable) {
    ASSERT_EQ(mapCommands().size(), static_cast<std::size_t>(MapCommand::SaveSeries) + 1);
    CVexaView view;
    DialogRecorder host;
    view.setHost(&host);
    // Without a grid or isolines the grid's commands are disabled.
    for (const MapCommand c :
         {MapCommand::ToggleGridLines, MapCommand::ToggleColorBar, MapCommand::ToggleColorFill,
          MapCommand::IsolineList, MapCommand::CrossSection, MapCommand::MirrorPoints,
          MapCommand::SmoothSeries, MapCommand::SeriesOutliers, MapCommand::SaveSeries}) {
        EXPECT_FALSE(view.state(c).enabled) << static_cast<int>(c);
        EXPECT_FALSE(view.run(c)) << static_cast<int>(c);
    }
    EXPECT_TRUE(host.opened.empty());
    ASSERT_TRUE(view.run(MapCommand::Grid));
    ASSERT_TRUE(view.run(MapCommand::MapSize));
    EXPECT_EQ(host.opened, (std::vector<MapCommand>{MapCommand::Grid, MapCommand::MapSize}));

    view.model().addPointSet(fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::Isolines), 0);
    EXPECT_TRUE(view.state(MapCommand::IsolineList).enabled);
    ASSERT_TRUE(view.run(MapCommand::IsolineList));  // a dialog of its own
    EXPECT_EQ(host.opened.back(), MapCommand::IsolineList);
    ASSERT_TRUE(view.run(MapCommand::ToggleColorFill));  // an action: no dialog
    EXPECT_NE(view.model().colorFill(), nullptr);
    EXPECT_EQ(host.opened.size(), 3u);
    view.setHost(nullptr);
}

TEST_F(MapViewTest, MirrorAsksAndRedrawsWithoutReinterpolatingOnNo) {
    CVexaView view;
    view.model().addPointSet(pointsOf({{0, 0, 1}, {1, 10, 2}}));
    ASSERT_TRUE(view.run(MapCommand::MirrorPoints));
    EXPECT_EQ(view.model().mainPoints()->points()[0].y, 10);
    EXPECT_EQ(view.model().mainPoints()->points()[1].y, 0);
    EXPECT_EQ(testing::timesLogged(text(487)), 1u);
    EXPECT_EQ(view.model().isolines(), nullptr);  // unattended answer: No
}

TEST_F(MapViewTest, DrawnLineBecomesTheOnlyItemOfANewGroup) {
    FakeWindow window({200, 200});
    CVexaView view;
    view.model().addPointSet(pointsOf({{0, 0, 1}, {100, 100, 2}}));
    view.setWindow(&window);
    view.paint();
    ASSERT_TRUE(view.run(MapCommand::DrawLine));
    view.mouseLeftUp({50, 50});
    view.mouseLeftUp({150, 60});
    view.keyEscape();
    view.mouseLeftUp({120, 150});
    view.mouseRightDown({120, 150});  // closes the line
    ASSERT_TRUE(view.run(MapCommand::DrawLine));
    EXPECT_FALSE(view.lineDrawing());
    Bush& tree = view.model().objectTree();
    EXPECT_EQ(tree.name(), "Линии");
    ASSERT_EQ(tree.childCount(), 1u);
    ASSERT_EQ(tree.child(0).itemCount(), 1u);
    const Line* line = tree.child(0).item(0).line();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->size(), 3u);  // two points and the closing one
    EXPECT_TRUE(line->isClosed());
}

}  // namespace
}  // namespace gridova
