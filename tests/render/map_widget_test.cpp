// The map widget on the offscreen platform: shown with a map, resized,
// repainted after an overlap, the status text under the mouse, a zoom
// rectangle dragged and a line drawn with the mouse.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <cmath>
#include <string>

#include "platform/qt/qt_device.h"
#include "platform/status.h"
#include "render/map_view.h"
#include "render/map_widget.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

class RecordedStatus final : public StatusBar {
public:
    void setStatusText(const std::string& text) override { last = text; }
    std::string last;
};

PointSet wavePoints() {
    PointSet set;
    for (int j = 0; j < 8; ++j) {
        for (int i = 0; i < 10; ++i) {
            const double x = 10.0 * i + (j % 2) * 3, y = 8.0 * j;
            set.addPoint(x, y, std::sin(x / 15) * std::cos(y / 12) * 10);
        }
    }
    set.computeStatistics();
    return set;
}

class MapWidgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::setDeviceFactory(&factory_);
        setStatusBar(&status_);
        view_.model().addPointSet(wavePoints());
        ASSERT_EQ(view_.applyMapType(MapType::Isolines), 0);
        widget_ = std::make_unique<MapWidget>(view_);
        widget_->resize(400, 300);
        widget_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(widget_.get()));
        settle();
    }
    void TearDown() override {
        widget_.reset();
        setStatusBar(nullptr);
        gdi::setDeviceFactory(nullptr);
    }
    static void settle() {
        for (int k = 0; k < 5; ++k) QApplication::processEvents();
    }
    void click(QPoint p) {
        QTest::mousePress(widget_.get(), Qt::LeftButton, {}, p);
        QTest::mouseRelease(widget_.get(), Qt::LeftButton, {}, p);
        settle();
    }

    QtDeviceFactory factory_;
    RecordedStatus status_;
    CVexaView view_;
    std::unique_ptr<MapWidget> widget_;
};

TEST_F(MapWidgetTest, ShowsTheMapAndRedrawsOnlyAfterAResize) {
    EXPECT_EQ(view_.fullDrawings(), 1u);
    // Something besides the white background is shown: the frame, lines,
    // points.
    const QImage& shown = widget_->frontPicture();
    ASSERT_EQ(shown.size(), QSize(400, 300));
    int dark = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) dark += qGray(shown.pixel(x, y)) < 128 ? 1 : 0;
    }
    EXPECT_GT(dark, 500);

    // An overlap gone: the paint copies the picture, the map is not drawn.
    widget_->repaint();
    settle();
    EXPECT_EQ(view_.fullDrawings(), 1u);

    widget_->resize(520, 360);
    settle();
    widget_->repaint();
    EXPECT_EQ(view_.fullDrawings(), 2u);
    EXPECT_EQ(widget_->frontPicture().size(), QSize(520, 360));
}

TEST_F(MapWidgetTest, StatusTextFollowsTheMouse) {
    const gdi::Rect map = view_.mapRect();
    const QPoint centre((map.left + map.right) / 2, (map.top + map.bottom) / 2);
    QTest::mouseMove(widget_.get(), centre);
    settle();
    const double x = view_.canvas().toWorldX(centre.x());
    const double y = view_.canvas().toWorldY(centre.y());
    EXPECT_EQ(status_.last, view_.statusText(x, y));
    EXPECT_EQ(status_.last.rfind("X ", 0), 0u) << status_.last;
    EXPECT_NE(status_.last.find(" V "), std::string::npos) << status_.last;

    QTest::mouseMove(widget_.get(), QPoint(1, 1));  // outside the grid
    settle();
    EXPECT_EQ(status_.last, "");
}

TEST_F(MapWidgetTest, DraggingAZoomRectangleZoomsIn) {
    ASSERT_TRUE(view_.run(MapCommand::ZoomPart));
    settle();
    const WorldRect start = view_.zoom().rect();
    QTest::mousePress(widget_.get(), Qt::LeftButton, {}, QPoint(100, 80));
    QTest::mouseMove(widget_.get(), QPoint(150, 120));
    QTest::mouseMove(widget_.get(), QPoint(200, 160));
    QTest::mouseRelease(widget_.get(), Qt::LeftButton, {}, QPoint(200, 160));
    settle();
    const WorldRect& r = view_.zoom().rect();
    EXPECT_NE(r.xmin, start.xmin);
    EXPECT_LT(r.xmax - r.xmin, start.xmax - start.xmin);
    EXPECT_TRUE(view_.state(MapCommand::ZoomPrevious).enabled);
    // The map is drawn again inside the new window.
    widget_->repaint();
    EXPECT_NEAR(view_.canvas().worldWindow().xmin, r.xmin, 1e-9);
    EXPECT_NEAR(view_.canvas().worldWindow().ymax, r.ymax, 1e-9);
}

TEST_F(MapWidgetTest, ALineDrawnWithTheMouseIsShownAndJoinsTheMap) {
    ASSERT_TRUE(view_.run(MapCommand::DrawLine));
    click(QPoint(60, 60));
    click(QPoint(260, 60));
    QTest::mouseMove(widget_.get(), QPoint(260, 200));
    settle();
    // The line so far is drawn on the window in palette colour 5.
    const QColor expected(static_cast<int>(gdi::redOf(StandardPalette::color(5))),
                          static_cast<int>(gdi::greenOf(StandardPalette::color(5))),
                          static_cast<int>(gdi::blueOf(StandardPalette::color(5))));
    const QImage& shown = widget_->frontPicture();
    int onLine = 0;
    for (int x = 80; x < 240; x += 10) {
        for (int dy = -2; dy <= 2; ++dy) {
            if (QColor(shown.pixel(x, 60 + dy)) == expected) {
                ++onLine;
                break;
            }
        }
    }
    EXPECT_GE(onLine, 14);

    click(QPoint(260, 200));
    ASSERT_TRUE(view_.run(MapCommand::DrawLine));
    settle();
    Bush& tree = view_.model().objectTree();
    ASSERT_EQ(tree.childCount(), 1u);
    const Line* line = tree.child(0).item(0).line();
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->size(), 3u);
    EXPECT_NEAR(line->points()[0].x, view_.canvas().toWorldX(60), 1e-9);
    EXPECT_NEAR(line->points()[2].y, view_.canvas().toWorldY(200), 1e-9);
}

}  // namespace
}  // namespace gridova
