// The 3D block relief: the rotation, the columns built from a grid, the
// far-first order against the facing rule, the plane and the paint orders,
// and pictures of a known surface.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "contour/isoline_set.h"
#include "grid/eq_net.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/progress.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/map_model.h"
#include "tests/common/picture_compare.h"
#include "tests/common/test_env.h"
#include "view3d/relief_view.h"

namespace gridova {
namespace {

// A grid of nx × ny nodes one apart from (0, 0) with the values given row
// after row (the first row at y = 0); every node active.
std::unique_ptr<EqNet> gridOf(std::int32_t nx, std::int32_t ny, std::vector<double> values) {
    auto grid = std::make_unique<EqNet>();
    grid->setSteps(std::vector<double>(static_cast<std::size_t>(nx - 1), 1.0),
                   std::vector<double>(static_cast<std::size_t>(ny - 1), 1.0));
    grid->mask().assign(values.size(), kMaskInside);
    EXPECT_EQ(grid->SetValues(std::move(values)), 0);
    return grid;
}

TEST(Transform3D, RotatesAsTheRowVectorProductAndKeepsItsAngles) {
    Transform3D t;
    // The default view (-60°, 0, 30°) turns the up axis (0, 0, 1) into
    // Rx: (0, -sin(-60°), cos(-60°)) = (0, 0.866, 0.5), then Rz(30°):
    // x' = -0.866 · sin 30° = -0.433, y' = 0.866 · cos 30° = 0.75.
    const Point3 up = t.apply({0, 0, 1});
    EXPECT_NEAR(up.x, -std::sqrt(3.0) / 4, 1e-12);
    EXPECT_NEAR(up.y, 0.75, 1e-12);
    EXPECT_NEAR(up.z, 0.5, 1e-12);
    const Point3 east = t.apply({1, 0, 0});
    EXPECT_NEAR(east.x, std::sqrt(3.0) / 2, 1e-12);
    EXPECT_NEAR(east.y, 0.5, 1e-12);
    EXPECT_NEAR(east.z, 0, 1e-12);

    for (const int a : {180, -180, 0, 45}) {
        t.setAnglesDegrees(a, -a, a);
        EXPECT_EQ(t.angleDegrees(0), a);
        EXPECT_EQ(t.angleDegrees(1), -a);
    }
    t.setAnglesDegrees(-60, 10, 30);
    t.writeProfile("Relief Test");
    Transform3D back;
    back.readProfile("Relief Test");
    EXPECT_EQ(back.matrix(), t.matrix());
}

TEST(Scene3D, ColumnsReachHalfWayToTheirNeighbours) {
    // Values rising to the east: 0 1 2 on each of three rows.
    const auto grid = gridOf(3, 3, {0, 1, 2, 0, 1, 2, 0, 1, 2});
    SceneSources in;
    in.grid = grid.get();
    const Scene3D s = buildScene(in);
    ASSERT_EQ(s.prisms.size(), 9u);
    // The outer columns end at their nodes; the middle one is 1 wide.
    EXPECT_EQ(s.prisms[0].model[0].x, 0);
    EXPECT_EQ(s.prisms[0].model[1].x, 0.5);
    EXPECT_EQ(s.prisms[1].model[0].x, 0.5);
    EXPECT_EQ(s.prisms[1].model[1].x, 1.5);
    EXPECT_EQ(s.prisms[2].model[1].x, 2);
    // Y mirrored: the first row (y = 0) lies at y_model 2 and reaches to
    // 1.5 on its northern side only.
    EXPECT_EQ(s.prisms[0].model[0].y, 1.5);
    EXPECT_EQ(s.prisms[0].model[2].y, 2);
    // The range 2 spans the larger extent 2: heights scale by 1. Corner 0
    // of the middle column is the mean of the values 0, 1, 0, 1 around it.
    EXPECT_EQ(s.zRange, 2);
    EXPECT_EQ(s.prisms[4].model[0].z, 0.5);
    EXPECT_EQ(s.prisms[4].model[1].z, 1.5);
    EXPECT_EQ(s.prisms[4].model[4].z, 0);  // the bottom
}

TEST(Scene3D, EqualValuesGiveAFlatReliefWithThePlaneOnIt) {
    const auto grid = gridOf(3, 2, std::vector<double>(6, 7.5));
    SceneSources in;
    in.grid = grid.get();
    const Scene3D s = buildScene(in);
    ASSERT_EQ(s.prisms.size(), 6u);
    for (const Prism3D& p : s.prisms) {
        for (const Point3& c : p.model) EXPECT_EQ(c.z, 0);
    }
    EXPECT_EQ(s.zRange, 0);
    EXPECT_EQ(planeHeight(s, 0.1, 0.15, true), 0);
    EXPECT_EQ(planeHeight(s, 0.1, 0.15, false), 0);
}

TEST(Scene3D, AnIsolatedNodeHasItsOwnValueAtEveryCorner) {
    // Of 4 × 3 nodes only (1, 1) = 4 and (3, 2) = 8 are active, and they
    // are no neighbours.
    std::vector<double> v(12, 0.0);
    v[5] = 4;
    v[11] = 8;
    auto grid = gridOf(4, 3, v);
    for (std::size_t k = 0; k < 12; ++k) grid->mask()[k] = (k == 5 || k == 11) ? 1 : 0;
    SceneSources in;
    in.grid = grid.get();
    const Scene3D s = buildScene(in);
    ASSERT_EQ(s.prisms.size(), 2u);
    // Range 4 over the larger extent 3: heights × 0.75.
    for (std::size_t c = 0; c < 4; ++c) {
        EXPECT_EQ(s.prisms[0].model[c].z, 0) << c;
        EXPECT_EQ(s.prisms[1].model[c].z, 3) << c;
    }
}

// Odd-even inside test in the picture's plane (x', z').
bool insidePolygon(const std::vector<Point3>& polygon, double x, double z) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Point3& a = polygon[i];
        const Point3& b = polygon[j];
        if ((a.z > z) != (b.z > z) && x < (b.x - a.x) * (z - a.z) / (b.z - a.z) + a.x) {
            inside = !inside;
        }
    }
    return inside;
}

// A top seen partly from behind: the four triangles the centre makes with
// its edges are all covered by the top and its fold outline, so the fill
// has no hole; a top that does not fold has no outline.
TEST(Scene3D, AFoldedTopLeavesNoHole) {
    struct Case {
        const char* what;
        std::array<Point3, 4> top;  // corners 0..3, (x', y', z')
        Point3 centre;
        bool folds;
    };
    const Case cases[] = {
        // A dart: the centre lies below the edge 2-3, outside the top.
        {"dart", {{{2, 0, 4}, {2, 0, 1}, {0, 0, 0}, {4, 0, 0}}}, {2.2, 0, -1}, true},
        // The centre beyond the edge 1-0 on the right.
        {"centre outside right", {{{3, 0, 3}, {3, 0, 0}, {0, 0, 3}, {0, 0, 0}}}, {4, 0, 1.5}, true},
        {"plain square", {{{3, 0, 3}, {3, 0, 0}, {0, 0, 3}, {0, 0, 0}}}, {1.5, 0, 1.5}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Prism3D p;
        for (std::size_t k = 0; k < 4; ++k) p.view[k] = c.top[k];
        p.viewCentre = c.centre;
        const std::vector<Point3> fold = p.foldOutline();
        EXPECT_EQ(!fold.empty(), c.folds);
        const std::vector<Point3> quad{p.view[2], p.view[3], p.view[1], p.view[0]};
        const std::array<std::array<std::size_t, 2>, 4> edges{{{2, 3}, {3, 1}, {1, 0}, {0, 2}}};
        for (const auto& e : edges) {
            const Point3& a = p.view[e[0]];
            const Point3& b = p.view[e[1]];
            const double x = (a.x + b.x + c.centre.x) / 3, z = (a.z + b.z + c.centre.z) / 3;
            const bool covered =
                insidePolygon(quad, x, z) || (!fold.empty() && insidePolygon(fold, x, z));
            EXPECT_TRUE(covered) << "triangle " << e[0] << "-" << e[1];
        }
    }
}

// A clock that moves on one second each time it is read: the wait dialog
// shows at the third poll.
double gSeconds = 0;
double steppingClock() { return gSeconds += 1.0; }

// Building more than 10000 columns runs in a wait scope; a cancel keeps the
// columns made so far and says so (418).
TEST(Scene3D, ACancelledBuildKeepsWhatWasMade) {
    const auto grid = gridOf(120, 100, std::vector<double>(12000, 1.0));
    UnattendedProgressUi ui;
    ui.setClock(steppingClock);
    ui.requestCancel();
    setProgressUi(&ui);
    SceneSources in;
    in.grid = grid.get();
    const Scene3D s = buildScene(in);
    setProgressUi(nullptr);
    EXPECT_TRUE(s.cancelled);
    EXPECT_LT(s.prisms.size(), 12000u);
    EXPECT_EQ(testing::lastLogged(), text(418));
    // Without a cancel every column is made.
    UnattendedProgressUi calm;
    setProgressUi(&calm);
    const Scene3D whole = buildScene(in);
    setProgressUi(nullptr);
    EXPECT_FALSE(whole.cancelled);
    EXPECT_EQ(whole.prisms.size(), 12000u);
}

// In the default view the tops face the viewer and the bottoms do not, and
// the columns drawn first are the far ones: higher on the picture.
TEST(Scene3D, TheFacingRuleAndTheFarFirstOrderAgree) {
    const auto grid = gridOf(4, 4, std::vector<double>(16, 0.0));
    auto values = std::vector<double>(16);
    for (std::size_t k = 0; k < 16; ++k) values[k] = static_cast<double>(k % 4 + k / 4);
    ASSERT_EQ(grid->SetValues(values), 0);
    SceneSources in;
    in.grid = grid.get();
    Scene3D s = buildScene(in);
    transformScene(s, Transform3D(), 0.1, 0);
    for (const Prism3D& p : s.prisms) {
        EXPECT_TRUE(p.faces(Prism3D::kTop));
        EXPECT_FALSE(p.faces(Prism3D::kBottom));
    }
    const Prism3D& first = s.prisms[s.order.front()];
    const Prism3D& last = s.prisms[s.order.back()];
    EXPECT_GT(first.viewCentre.z, last.viewCentre.z);
    // From below the bottoms face the viewer.
    Transform3D below;
    below.setAnglesDegrees(60, 0, 30);
    transformScene(s, below, 0.1, 0);
    EXPECT_TRUE(s.prisms[s.order.front()].faces(Prism3D::kBottom));
}

// A model of a 5 × 5 grid (a hill) with isolines and one data point.
class ReliefViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::setDeviceFactory(&factory_);
        std::vector<double> v;
        for (int j = 0; j < 5; ++j) {
            for (int i = 0; i < 5; ++i) v.push_back(10 - (i - 2) * (i - 2) - (j - 2) * (j - 2));
        }
        model_.setGrid(gridOf(5, 5, v));
        auto isolines = std::make_unique<IsolineSet>();
        Isoline& level = isolines->addLevel(6);
        level.format.colorLine = gdi::rgb(1, 2, 3);
        level.addPiece(Line(std::vector<LinePoint>{{0.5, 0.5}, {3.5, 0.5}, {3.5, 3.5}}));
        model_.setIsolines(std::move(isolines));
        PointSet points;
        points.addPoint(2, 2, 10);
        points.computeStatistics();
        model_.addPointSet(std::move(points));
    }
    void TearDown() override { gdi::setDeviceFactory(nullptr); }

    // The calls of one drawing of the view on a recording device.
    std::vector<std::string> drawn(CVexa3DView& view) {
        gdi::RecordingDevice device({400, 400});
        view.canvas().setPageSize({400, 400});
        view.drawOn(device);
        return device.calls();
    }

    QtDeviceFactory factory_;
    MapModel model_;
};

TEST_F(ReliefViewTest, TheFourPaintOrders) {
    const std::string isolinePen = "#010203";
    for (const bool topFlat : {true, false}) {
        for (const bool above : {true, false}) {
            SCOPED_TRACE(::testing::Message() << "topFlat " << topFlat << " above " << above);
            CVexa3DView view;
            view.build(model_);
            Relief3DSettings s = view.settings();
            s.topFlat = topFlat ? 1 : 0;
            view.applySettings(s);
            view.setAnglesDegrees(above ? -60 : 60, 0, 30);
            ASSERT_EQ(view.fromAbove(), above);
            const std::vector<std::string> calls = drawn(view);
            std::size_t firstColumn = calls.size(), plane = calls.size(), badge = calls.size();
            for (std::size_t k = 0; k < calls.size(); ++k) {
                const std::string& c = calls[k];
                if (firstColumn == calls.size() && c.rfind("polygon 4", 0) == 0) firstColumn = k;
                if (plane == calls.size() && c.find("pen") == 0 &&
                    c.find(isolinePen) != std::string::npos) {
                    plane = k;
                }
                if (badge == calls.size() && c.rfind("ellipse", 0) == 0) badge = k;
            }
            ASSERT_LT(firstColumn, calls.size());
            ASSERT_LT(plane, calls.size());
            ASSERT_LT(badge, calls.size());
            // The plane behind the relief is drawn first, in front last.
            const bool reliefFirst = topFlat == above;
            EXPECT_EQ(firstColumn < plane, reliefFirst);
            EXPECT_LT(plane, badge);
        }
    }
}

// A transparent relief is its tops' outlines in the colours of the scale:
// lines, no filled column.
TEST_F(ReliefViewTest, ATransparentReliefDrawsOutlinesOnly) {
    CVexa3DView view;
    view.build(model_);
    Relief3DSettings s = view.settings();
    s.flat = 0;
    s.pointsShow = 0;
    view.applySettings(s);
    const std::vector<std::string> opaque = drawn(view);
    s.transparent = 1;
    view.applySettings(s);
    const std::vector<std::string> transparent = drawn(view);
    const auto count = [](const std::vector<std::string>& calls, const char* head) {
        return std::count_if(calls.begin(), calls.end(),
                             [&](const std::string& c) { return c.rfind(head, 0) == 0; });
    };
    // 25 columns: every top filled, and the sides that face the viewer.
    EXPECT_GE(count(opaque, "polygon"), 25);
    EXPECT_EQ(count(transparent, "polygon"), 0);
    // Four edges of each top: moveTo and lineTo pairs.
    EXPECT_GE(count(transparent, "lineto"), 4 * 25);
    // The pens of the top edges are the scale's colours of the values:
    // the peak (10) and the corners (2) differ.
    const std::string peak = gdi::colorText(view.scene().scale.colorOf(10));
    const std::string corner = gdi::colorText(view.scene().scale.colorOf(2));
    ASSERT_NE(peak, corner);
    const auto pens = [&](const std::string& color) {
        return std::count_if(transparent.begin(), transparent.end(), [&](const std::string& c) {
            return c.rfind("pen", 0) == 0 && c.find(color) != std::string::npos;
        });
    };
    EXPECT_GE(pens(peak), 1);
    EXPECT_GE(pens(corner), 1);
}

TEST_F(ReliefViewTest, TheBoundingRectangleFollowsWhatIsShown) {
    CVexa3DView view;
    view.build(model_);
    Relief3DSettings s = view.settings();
    s.topSurface = 0;
    view.applySettings(s);
    drawn(view);
    ASSERT_TRUE(view.lastWorld().has_value());
    const WorldRect planeOnly = *view.lastWorld();
    // The plane is the isoline alone: its corners (0.5, 3.5) and (3.5, 0.5)
    // in model y, turned by the default view, with 3% more each side.
    const Transform3D t;
    const double z = planeHeight(view.scene(), s.hight, s.elevation, true);
    std::vector<Point3> ends;
    for (const auto& [x, y] : {std::pair{0.5, 3.5}, {3.5, 3.5}, {3.5, 0.5}}) {
        ends.push_back(t.apply({x, y, z}));
    }
    double xmin = ends[0].x, xmax = ends[0].x;
    for (const Point3& p : ends) {
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
    }
    EXPECT_NEAR(planeOnly.xmin, xmin - 0.03 * (xmax - xmin), 1e-9);
    EXPECT_NEAR(planeOnly.xmax, xmax + 0.03 * (xmax - xmin), 1e-9);

    // The relief alone: wider than the plane (the columns reach the grid's
    // edges at 0 and 4).
    s.topSurface = 1;
    s.flat = 0;
    s.pointsShow = 0;
    view.applySettings(s);
    drawn(view);
    ASSERT_TRUE(view.lastWorld().has_value());
    EXPECT_LT(view.lastWorld()->xmin, planeOnly.xmin);
    // Nothing shown: no world at all.
    s.topSurface = 0;
    view.applySettings(s);
    drawn(view);
    EXPECT_FALSE(view.lastWorld().has_value());
}

// Heights are scaled when drawn, never stored: Hight 0 and then 0.1 gives
// the picture of 0.1 at once.
TEST_F(ReliefViewTest, AFlatReliefComesBackWhole) {
    CVexa3DView direct;
    direct.build(model_);
    const std::optional<gdi::Dib> expected = direct.drawPicture({300, 300});
    CVexa3DView flattened;
    flattened.build(model_);
    Relief3DSettings s = flattened.settings();
    const double hight = s.hight;
    s.hight = 0;
    flattened.applySettings(s);
    const std::optional<gdi::Dib> flat = flattened.drawPicture({300, 300});
    s.hight = hight;
    flattened.applySettings(s);
    const std::optional<gdi::Dib> back = flattened.drawPicture({300, 300});
    ASSERT_TRUE(expected && flat && back);
    EXPECT_EQ(back->bits, expected->bits);
    EXPECT_NE(flat->bits, expected->bits);
}

// The hill seen from the default angles, from low on the left and from
// high on the right; the reference pictures were looked at: a dome of
// columns coloured by the scale (the peak in the middle), black sides
// facing the viewer, the plane with its isoline below.
TEST_F(ReliefViewTest, ReferencePicturesOfAHill) {
    struct Case {
        int x, y, z;
        const char* name;
    };
    const Case cases[] = {{-60, 0, 30, "relief_default.png"},
                          {-35, 0, -40, "relief_low_left.png"},
                          {-75, 0, 60, "relief_steep_right.png"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CVexa3DView view;
        view.build(model_);
        Relief3DSettings s = view.settings();
        s.hight = 0.5;
        s.topFlat = 0;
        view.applySettings(s);
        view.setAnglesDegrees(c.x, c.y, c.z);
        const std::optional<gdi::Dib> picture = view.drawPicture({320, 320});
        ASSERT_TRUE(picture.has_value());
        const QImage actual = imageFromDib(*picture);
        if (testing::writeReferenceInstead(actual, c.name)) continue;
        testing::expectMatchesReference(actual, c.name);
    }
}

}  // namespace
}  // namespace gridova
