// The map view's layers, layout and pictures: the supplied layers at their
// steps, free texts, the room the title and colour bar take, isolines along
// a border, and whole maps against reviewed reference pictures.
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

#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/map_commands.h"
#include "render/map_view.h"
#include "tests/common/picture_compare.h"
#include "tests/common/test_env.h"
#include "tests/render/map_view_fixtures.h"

namespace gridova {
namespace {

using testing::FakeWindow;
using testing::fixturePoints;
using testing::MapViewTest;
using testing::pointsOf;

// --- Layers and layout ------------------------------------------------------------------

struct LayerLog {
    std::vector<std::string> steps;
};

class FakeTitle final : public MapTitleLayer {
public:
    FakeTitle(LayerLog& log, int height) : log_(log), height_(height) {}
    int layOut(DrawingCanvas&) override {
        log_.steps.push_back("title layout");
        return height_;
    }
    void draw(DrawingCanvas&) override { log_.steps.push_back("title"); }
    gdi::Rect area() const override { return {0, 0, 10, height_}; }

private:
    LayerLog& log_;
    int height_;
};

class FakeScaleBar final : public MapScaleBarLayer {
public:
    explicit FakeScaleBar(LayerLog& log) : log_(log) {}
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    void reserveAndDraw(DrawingCanvas&) override { log_.steps.push_back("scale bar"); }

private:
    LayerLog& log_;
    bool visible_ = true;
};

class FakeAxes final : public MapAxesLayer {
public:
    explicit FakeAxes(LayerLog& log) : log_(log) {}
    std::optional<DRect> extent() const override { return DRect(-50, 0, 0, 1); }
    void fit(const WorldRect&) override { log_.steps.push_back("axes fit"); }
    void addRoom(DrawingCanvas&) override { log_.steps.push_back("axes room"); }
    void draw(DrawingCanvas&) override { log_.steps.push_back("axes"); }

private:
    LayerLog& log_;
};

class FakeBackground final : public MapBackgroundLayer {
public:
    explicit FakeBackground(LayerLog& log) : log_(log) {}
    std::optional<DRect> extent() const override { return std::nullopt; }
    void draw(DrawingCanvas&) override { log_.steps.push_back("background"); }

private:
    LayerLog& log_;
};

TEST_F(MapViewTest, SuppliedLayersRunAtTheirStepsInOrder) {
    LayerLog log;
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    view.title = std::make_unique<FakeTitle>(log, 30);
    view.scaleBar = std::make_unique<FakeScaleBar>(log);
    view.axes = std::make_unique<FakeAxes>(log);
    view.background = std::make_unique<FakeBackground>(log);
    gdi::RecordingDevice device({400, 300});
    view.drawOn(device);
    // The axes follow the band the scale bar takes off the map.
    const std::vector<std::string> expected{"axes fit",  "title layout", "title",      "axes room",
                                            "scale bar", "axes fit",     "background", "axes"};
    EXPECT_EQ(log.steps, expected);
    // The axes' extent is part of the world.
    EXPECT_LE(view.worldRect().minX, -50);

    // A hidden scale bar is not drawn; the command shows it again.
    log.steps.clear();
    ASSERT_TRUE(view.run(MapCommand::ToggleScaleBar));
    view.drawOn(device);
    EXPECT_EQ(std::count(log.steps.begin(), log.steps.end(), "scale bar"), 0);
    ASSERT_TRUE(view.run(MapCommand::ToggleScaleBar));
    view.drawOn(device);
    EXPECT_EQ(std::count(log.steps.begin(), log.steps.end(), "scale bar"), 1);
}

TEST_F(MapViewTest, FreeTextsOfTheObjectTreeAreDrawnWhereTheyWerePut) {
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    MapText note;
    note.text = "Скважина 5";
    note.left = 40;
    note.top = 25;
    Bush& group = view.model().objectTree().addChild(std::make_unique<Bush>("Тексты"));
    group.addItem(BushItem(note));
    gdi::RecordingDevice device({400, 300});
    view.drawOn(device);
    const std::vector<std::string> texts = device.callsOf("text");
    EXPECT_NE(std::find(texts.begin(), texts.end(), "text 40,25 Скважина 5"), texts.end());
}

TEST_F(MapViewTest, TitleHeightAndColourBarTakeRoomFromTheMap) {
    CVexaView view;
    view.aspectRatio = 0;  // the map fills the area both ways
    view.model().addPointSet(fixturePoints());
    ASSERT_EQ(view.applyMapType(MapType::ColorCells), 0);
    ASSERT_NE(view.model().grid()->colorScale.visible, 0);
    LayerLog log;
    view.title = std::make_unique<FakeTitle>(log, 30);
    gdi::RecordingDevice device({400, 300});

    view.model().grid()->colorScale.location = 1;
    view.drawOn(device);
    const gdi::Rect right = view.mapRect();
    EXPECT_EQ(right.top, 30 + 2);  // the title, then the screen margin
    EXPECT_EQ(right.left, 2);
    EXPECT_EQ(right.bottom, 300 - 2);

    view.model().grid()->colorScale.location = 0;
    view.drawOn(device);
    const gdi::Rect left = view.mapRect();
    // The bar moves to the left: the map moves right by the bar's width.
    const int barWidth = left.left - right.left;
    EXPECT_GT(barWidth, 10);
    EXPECT_EQ(left.right - right.right, barWidth);
    EXPECT_EQ(left.right, 400 - 2);
}

// --- Border ------------------------------------------------------------------------------

std::unique_ptr<LineList> ovalBorder() {
    std::vector<LinePoint> ring;
    for (int k = 0; k < 40; ++k) {
        const double t = 2 * 3.14159265358979 * k / 40;
        ring.push_back({50 + 45 * std::cos(t), 40 + 33 * std::sin(t)});
    }
    ring.push_back(ring.front());
    auto border = std::make_unique<LineList>();
    border->add(Line(ring));
    return border;
}

TEST_F(MapViewTest, WithABorderValueEveryIsolineClosesAlongTheBorder) {
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    view.model().setBorder(ovalBorder());
    view.model().setBorderValue(OptionalValue(-30));  // below every value
    ASSERT_EQ(view.applyMapType(MapType::Isolines), 0);
    ASSERT_NE(view.model().isolines(), nullptr);
    std::size_t pieces = 0;
    for (int k = 0; k < static_cast<int>(view.model().isolines()->size()); ++k) {
        for (const Line& piece : view.model().isolines()->at(k)->pieces().lines()) {
            EXPECT_TRUE(piece.isClosed()) << "level " << view.model().isolines()->at(k)->value;
            ++pieces;
        }
    }
    EXPECT_GT(pieces, 5u);
    // Outside the border the nodes are blank.
    const EqNet& grid = *view.model().grid();
    const NodeRef corner = grid.nearestNode(2, 2);
    EXPECT_EQ(grid.mask()[static_cast<std::size_t>(corner.index)], kMaskOutside);
    std::int32_t stored = 0;
    OptionalValue kept;
    readProfileOptionalDouble("Border", "BorderValue", kept);
    EXPECT_EQ(kept, OptionalValue(-30));
    (void)stored;
}

TEST_F(MapViewTest, DrawnBorderLinesJoinTheBorderAndDeletingKeepsOtherFiles) {
    FakeWindow window({200, 200});
    CVexaView view;
    view.model().addPointSet(pointsOf({{0, 0, 1}, {100, 100, 2}}));
    view.setWindow(&window);
    view.paint();
    view.startBorderLine();
    view.mouseLeftUp({30, 30});
    view.mouseLeftUp({170, 30});
    EXPECT_FALSE(view.addDrawnLineToBorder());  // two points are not enough
    view.mouseLeftUp({100, 170});
    ASSERT_TRUE(view.addDrawnLineToBorder());
    ASSERT_NE(view.model().border(), nullptr);
    ASSERT_EQ(view.model().border()->lines().size(), 1u);
    EXPECT_TRUE(view.model().border()->lines()[0].isClosed());
    const std::string own = view.model().borderFile();
    EXPECT_TRUE(std::filesystem::exists(own));

    // Another map's border file in another directory stays when this
    // border is deleted with "No" (the unattended answer).
    std::filesystem::create_directories(testing::testDir() / "other");
    const std::string foreign = testing::writeFile("other/Border.brd", "keep me");
    std::filesystem::current_path(testing::testDir() / "other");
    ASSERT_TRUE(view.model().deleteBorder());
    std::filesystem::current_path(testing::testDir());
    EXPECT_EQ(view.model().border(), nullptr);
    EXPECT_FALSE(std::filesystem::exists(own));
    EXPECT_EQ(testing::readFile(foreign), "keep me");
}

// --- Pictures ------------------------------------------------------------------------------------

struct PictureCase {
    MapType type;
    bool named;      // the points carry names
    bool decorated;  // axes on two sides, a title and the scale bar
    const char* fixture;
    bool bordered = false;
};

QImage drawFixtureMap(const PictureCase& c) {
    CVexaView view;
    PointSet points = fixturePoints();
    if (c.named) {
        int n = 1;
        for (DataPoint& p : points.points()) p.setLabel("C-" + std::to_string(n++));
        points.hasLabels = 1;
    }
    view.model().addPointSet(std::move(points));
    view.canvas().setPageSize({480, 360});
    if (c.bordered) view.model().setBorder(ovalBorder());
    if (c.decorated) {
        view.setTitle(MapTitle::fromHeaderLines({"Карта изолиний", "Участок 7"}));
        MapAxis bottom;
        setAxisLocate(bottom, MapAxis::kBottom);
        MapAxis left;
        left.xy = MapAxis::kVertical;
        setAxisLocate(left, MapAxis::kLeft);
        left.title = "Y, м";
        view.axesLayer().add(bottom);
        view.axesLayer().add(left);
        view.scaleBarIfOurs()->show = 1;
    }
    // Map type 7 shows values the grid has: make them first.
    if (c.type == MapType::ExistingValues) {
        EXPECT_EQ(view.applyMapType(MapType::Isolines), 0);
    }
    EXPECT_EQ(view.applyMapType(c.type), 0);
    const std::optional<gdi::Dib> picture = view.drawPicture();
    EXPECT_TRUE(picture.has_value());
    return picture ? imageFromDib(*picture) : QImage();
}

TEST_F(MapViewTest, FullDrawingMatchesTheReviewedReferences) {
    ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed";
    const PictureCase cases[] = {
        {MapType::LocatePoints, false, false, "map_type0_points.png"},
        {MapType::Isolines, false, false, "map_type1_isolines.png"},
        {MapType::ExistingValues, false, false, "map_type7_cells.png"},
        {MapType::LocatePoints, true, false, "map_type0_named_points.png"},
        {MapType::CircleValues, false, false, "map_type4_value_circles.png"},
        {MapType::Isolines, false, true, "map_type1_axes_title_scale.png"},
        {MapType::ColorIsolines, false, false, "map_type2_color_isolines.png"},
        {MapType::ColorCells, false, false, "map_type3_color_cells.png"},
        {MapType::ColorIsolines, false, false, "map_type2_bordered.png", true},
    };
    for (const PictureCase& c : cases) {
        SCOPED_TRACE(c.fixture);
        const QImage actual = drawFixtureMap(c);
        if (testing::writeReferenceInstead(actual, c.fixture)) continue;
        testing::expectMatchesReference(actual, c.fixture);
    }
}

TEST_F(MapViewTest, ADrawingAtAnotherPageSizeKeepsTheMapInsideItsFrame) {
    // The frame is the drawing area inside the 2-pixel screen margins; the
    // points lie within it (none is cleared as invisible).
    CVexaView view;
    view.model().addPointSet(fixturePoints());
    view.canvas().setPageSize({300, 500});
    gdi::RecordingDevice device({300, 500});
    view.drawOn(device);
    const gdi::Rect area = view.mapRect();
    EXPECT_GE(area.left, 2);
    EXPECT_LE(area.right, 298);
    // Every point's marker is drawn, inside the frame.
    const std::vector<std::string> markers = device.callsOf("ellipse");
    EXPECT_EQ(markers.size(), view.model().mainPoints()->size());
    for (const std::string& marker : markers) {
        SCOPED_TRACE(marker);
        gdi::Rect box;
        ASSERT_EQ(std::sscanf(marker.c_str(), "ellipse %d,%d %d,%d", &box.left, &box.top,
                              &box.right, &box.bottom),
                  4);
        EXPECT_GE(box.left, area.left - 5);
        EXPECT_LE(box.right, area.right + 5);
        EXPECT_GE(box.top, area.top - 5);
        EXPECT_LE(box.bottom, area.bottom + 5);
    }
    // The pick tolerance is 3 pixels in world units, the same both ways on
    // an isotropic map (the world's width fills the narrow page).
    const DRect& world = view.worldRect();
    EXPECT_DOUBLE_EQ(view.pickToleranceX(), view.pickToleranceY());
    EXPECT_NEAR(view.pickToleranceX(), 3 * world.width() / area.width(),
                0.02 * view.pickToleranceX());
}

}  // namespace
}  // namespace gridova
