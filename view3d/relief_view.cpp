#include "view3d/relief_view.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/progress.h"
#include "render/badges.h"
#include "render/map_model.h"
#include "render/map_title.h"

namespace gridova {

namespace {

constexpr int kDrawing = 421;  // "Рисует 3D..."
constexpr int kStopped = 418;  // "Процесс остановлен пользователем"
constexpr std::size_t kWaitAboveColumns = 1000;
constexpr double kBorder = 0.03;  // of the picture's width and height, each side

void readInt(const char* key, std::int32_t& v) {
    readProfileInt(Relief3DSettings::kSection, key, v);
}
void readColor(const char* key, gdi::ColorRef& c) {
    std::int32_t v = static_cast<std::int32_t>(c);
    readInt(key, v);
    c = static_cast<gdi::ColorRef>(v);
}

struct Bounds {
    double xmin = 9999999999.0, zmin = 9999999999.0;
    double xmax = -9999999999.0, zmax = -9999999999.0;
    void grow(const Point3& p) {
        xmin = std::min(xmin, p.x);
        xmax = std::max(xmax, p.x);
        zmin = std::min(zmin, p.z);
        zmax = std::max(zmax, p.z);
    }
    bool any() const { return xmin <= xmax; }
};

// Does the quadrilateral cover no area in device pixels?
bool flatOnScreen(const gdi::Point* q) {
    long long twice = 0;
    for (int k = 0; k < 4; ++k) {
        const gdi::Point& a = q[k];
        const gdi::Point& b = q[(k + 1) % 4];
        twice += static_cast<long long>(a.x) * b.y - static_cast<long long>(b.x) * a.y;
    }
    return twice == 0;
}

}  // namespace

void Relief3DSettings::readProfile() {
    readProfileDouble(kSection, "Elevation", elevation);
    readProfileDouble(kSection, "Hight", hight);
    readInt("TopSurface", topSurface);
    readInt("Sides", sides);
    readInt("Transparent", transparent);
    readInt("Widht", width);
    readInt("Flat", flat);
    readInt("TopFlat", topFlat);
    readInt("PointsShow", pointsShow);
    readInt("PointsLinesWidth", pointsLinesWidth);
    readColor("PointsLinesColor", pointsLinesColor);
    readColor("ColorGrid", colorGrid);
    readColor("ColorSides", colorSides);
}

void Relief3DSettings::writeProfile() const {
    writeProfileDouble(kSection, "Elevation", elevation);
    writeProfileDouble(kSection, "Hight", hight);
    const std::pair<const char*, std::int32_t> ints[] = {
        {"TopSurface", topSurface},
        {"Sides", sides},
        {"Transparent", transparent},
        {"Widht", width},
        {"Flat", flat},
        {"TopFlat", topFlat},
        {"PointsShow", pointsShow},
        {"PointsLinesWidth", pointsLinesWidth},
        {"PointsLinesColor", static_cast<std::int32_t>(pointsLinesColor)},
        {"ColorGrid", static_cast<std::int32_t>(colorGrid)},
        {"ColorSides", static_cast<std::int32_t>(colorSides)}};
    for (const auto& [key, v] : ints) writeProfileInt(kSection, key, v);
}

CVexa3DView::CVexa3DView() : CanvasView(kViewName) {}

CVexa3DView::~CVexa3DView() = default;

void CVexa3DView::build(const MapModel& model) {
    SceneSources in;
    in.grid = model.grid();
    in.points = model.mainPoints();
    if (model.settings.showBorder != 0) in.border = model.border();
    in.isolines = model.isolines();
    in.colorFill = model.colorFill();
    in.lines = model.objectTreeIfAny();
    scene_ = buildScene(in);
    hasIsolines_ = model.isolines() != nullptr && !model.isolines()->empty();
    // The title's three lines, as the map has them.
    if (model.title() != nullptr) title_ = *model.title();
    titleLayer_ = std::make_unique<TitleLayer>([this] { return title(); });
    settings_.readProfile();
    if (!hasIsolines_) settings_.flat = 0;
    transform_.readProfile(Relief3DSettings::kSection);
    retransform();
}

void CVexa3DView::applySettings(const Relief3DSettings& settings) {
    settings_ = settings;
    settings_.writeProfile();
    if (!hasIsolines_) settings_.flat = 0;
    retransform();
}

void CVexa3DView::setAnglesDegrees(int x, int y, int z) {
    transform_.setAnglesDegrees(x, y, z);
    transform_.writeProfile(Relief3DSettings::kSection);
    retransform();
}

void CVexa3DView::retransform() {
    transformScene(
        scene_, transform_, settings_.hight,
        planeHeight(scene_, settings_.hight, settings_.elevation, settings_.topFlat != 0));
    invalidateMap();
}

gdi::Rect CVexa3DView::titleArea() const {
    return titleLayer_ != nullptr && title_ ? titleLayer_->area() : gdi::Rect{};
}

bool CVexa3DView::fromAbove() const {
    return scene_.order.empty() || !scene_.prisms[scene_.order.front()].faces(Prism3D::kBottom);
}

void CVexa3DView::mouseLeftDoubleClick(gdi::Point p) {
    const gdi::Rect area = titleArea();
    if (title_ && p.x >= area.left && p.x < area.right && p.y >= area.top && p.y < area.bottom) {
        if (titleDoubleClicked) titleDoubleClicked();
        return;
    }
    if (reliefDoubleClicked) reliefDoubleClicked();
}

std::optional<WorldRect> CVexa3DView::boundingRect() const {
    Bounds b;
    if (settings_.topSurface != 0) {
        for (const Prism3D& prism : scene_.prisms) {
            const std::size_t corners = settings_.sides != 0 ? 8 : 4;
            for (std::size_t k = 0; k < corners; ++k) b.grow(prism.view[k]);
            b.grow(prism.viewCentre);
        }
    }
    if (settings_.flat != 0 || settings_.pointsShow != 0) {
        for (const std::vector<PlaneLine>* lines :
             {&scene_.isolines, &scene_.fills, &scene_.lines}) {
            for (const PlaneLine& l : *lines) {
                for (const Point3& p : l.line.view) b.grow(p);
            }
        }
    }
    if (!b.any()) return std::nullopt;
    // Never a rectangle of no size: a flat line still gets some room.
    const double w = std::max(b.xmax - b.xmin, 1e-9), h = std::max(b.zmax - b.zmin, 1e-9);
    return WorldRect{b.xmin - kBorder * w, b.zmin - kBorder * h, b.xmax + kBorder * w,
                     b.zmax + kBorder * h};
}

void CVexa3DView::drawMap() {
    DrawingCanvas& c = canvas();
    if (!c.marginsLocked()) c.setMargins(0, 0, 0, 0);
    c.setIsotropic(aspectRatio != 0);
    world_ = boundingRect();
    if (!world_) {
        afterFullDrawing();
        return;
    }
    c.setWorldWindow(world_->xmin, world_->ymin, world_->xmax, world_->ymax);
    if (title_ && titleLayer_) {
        const int height = titleLayer_->layOut(c);
        c.addMargins(0, std::max(0, height), 0, 0);
        titleLayer_->draw(c);
    }
    if (!printing()) {
        c.addMargins(pixelMargins[0], pixelMargins[1], pixelMargins[2], pixelMargins[3]);
    }
    // Marks at the upper left and lower right corners of the drawing.
    const gdi::Rect area = c.drawingArea();
    c.setColorPen(0);
    c.line({area.left, area.top}, {area.left + 1, area.top});
    c.line({area.right - 1, area.bottom - 1}, {area.right, area.bottom - 1});

    const bool above = fromAbove();
    const bool top = settings_.topFlat != 0;
    bool stopped = false;
    // The relief last when the plane is behind it, first when in front.
    if ((top && above) || (!top && !above)) {
        drawRelief(c, &stopped);
        if (!stopped) {
            drawPlane(c);
            drawBadges(c);
        }
    } else {
        drawPlane(c);
        drawBadges(c);
        drawRelief(c, &stopped);
    }
    afterFullDrawing();
}

void CVexa3DView::drawRelief(DrawingCanvas& c, bool* stopped) {
    WaitCancelScope wait(text(kDrawing), true, scene_.prisms.size() > kWaitAboveColumns);
    // The opaque relief's outline pen is set once, and again after drop
    // lines took the pen.
    bool outlinePen = settings_.transparent == 0;
    for (const std::uint32_t k : scene_.order) {
        if (wait.cancelled()) {
            information(text(kStopped));
            *stopped = true;
            return;
        }
        const Prism3D& prism = scene_.prisms[k];
        if (settings_.topSurface != 0) {
            if (outlinePen) {
                c.setPenWidth(settings_.width);
                c.setColorPen(settings_.colorGrid);
                outlinePen = false;
            }
            drawPrism(c, prism);
        }
        if (drawDropLines(c, prism)) outlinePen = true;
    }
}

void CVexa3DView::drawPrism(DrawingCanvas& c, const Prism3D& prism) {
    const auto at = [&](const Point3& p) { return c.toDevice(p.x, p.z); };
    const auto corner = [&](int k) { return at(prism.view[static_cast<std::size_t>(k)]); };
    const gdi::ColorRef color = scene_.scale.colorOf(prism.value);
    static constexpr std::array<std::array<int, 2>, 4> kEdges{{{2, 3}, {3, 1}, {1, 0}, {0, 2}}};
    std::vector<gdi::Point> fold;
    for (const Point3& p : prism.foldOutline()) fold.push_back(at(p));
    std::array<gdi::Point, 4> face{};
    const auto faceOf = [&](int f) {
        const auto& q = Prism3D::kFaces[static_cast<std::size_t>(f)];
        for (std::size_t k = 0; k < 4; ++k) face[k] = corner(q[k]);
        return face.data();
    };
    if (settings_.transparent != 0) {
        c.setPenWidth(settings_.width);
        c.setColorPen(color);
        for (const auto& e : kEdges) c.line(corner(e[0]), corner(e[1]));
        if (!fold.empty()) c.polyline(fold.data(), fold.size());
        return;
    }
    // The outline pen is the relief's (drawRelief set it).
    c.setColorBrush(color);
    c.polygon(faceOf(Prism3D::kTop), 4);
    if (!fold.empty()) c.polygon(fold.data(), fold.size());
    c.deleteBrush();
    if (settings_.sides == 0) return;
    c.setColorBrush(settings_.colorSides);
    for (const int f : {0, 1, 2, 3, Prism3D::kBottom}) {
        // A side seen edge on, or too low to cover a pixel, draws nothing.
        if (prism.faces(f) && !flatOnScreen(faceOf(f))) c.polygon(face.data(), 4);
    }
    c.deleteBrush();
}

bool CVexa3DView::drawDropLines(DrawingCanvas& c, const Prism3D& prism) {
    if (settings_.pointsShow == 0 || prism.badgeCount == 0) return false;
    c.setPenWidth(settings_.pointsLinesWidth);
    c.setColorPen(settings_.pointsLinesColor);
    for (std::uint32_t k = 0; k < prism.badgeCount; ++k) {
        const Line3D& drop = scene_.badges[prism.firstBadge + k].drop;
        if (drop.view.size() != 2) continue;
        c.line(c.toDevice(drop.view[0].x, drop.view[0].z),
               c.toDevice(drop.view[1].x, drop.view[1].z));
    }
    return true;
}

void CVexa3DView::drawPlane(DrawingCanvas& c) {
    if (settings_.flat == 0 || !hasIsolines_) return;
    std::vector<gdi::Point> points;
    const auto devicePoints = [&](const PlaneLine& l) {
        points.clear();
        for (const Point3& p : l.line.view) points.push_back(c.toDevice(p.x, p.z));
    };
    for (const std::vector<PlaneLine>* lines : {&scene_.fills, &scene_.isolines, &scene_.lines}) {
        for (const PlaneLine& l : *lines) {
            devicePoints(l);
            c.setPenWidth(l.width);
            c.setPen(static_cast<gdi::PenStyle>(std::clamp(l.penStyle, 0, 4)), l.color);
            if (l.fill) {
                c.setColorBrush(*l.fill);
                c.polygon(points.data(), points.size());
                c.deleteBrush();
            } else {
                c.polyline(points.data(), points.size());
            }
        }
    }
    c.setPenWidth(0);
}

void CVexa3DView::drawBadges(DrawingCanvas& c) {
    if (settings_.pointsShow == 0 || !scene_.showPoints || scene_.badges.empty()) return;
    PointSet shown = scene_.pointStyle;
    for (const Point3DBadge& b : scene_.badges) {
        if (b.drop.view.size() != 2) continue;
        DataPoint p = b.point;
        p.x = b.drop.view[1].x;
        p.y = b.drop.view[1].z;
        shown.addExisting(std::move(p));
    }
    shown.visible = 1;
    drawPointSet(c, shown);
}

}  // namespace gridova
