#include "view3d/scene3d.h"

#include <algorithm>
#include <cmath>

#include "contour/isoline_set.h"
#include "grid/eq_net.h"
#include "objects/bush.h"
#include "objects/line_list.h"
#include "platform/messages.h"
#include "platform/progress.h"

namespace gridova {

namespace {

constexpr int kBuilding = 422;  // "Создание 3D..."
constexpr int kStopped = 418;   // "Процесс остановлен пользователем"
constexpr std::int32_t kWaitAboveNodes = 10000;

Point3 cross(const Point3& u, const Point3& v) {
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}

Point3 minus(const Point3& a, const Point3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }

Line3D lineOf(const Line& line, double yMirror) {
    Line3D l;
    l.model.reserve(line.size());
    for (const LinePoint& p : line.points()) l.model.push_back({p.x, yMirror - p.y, 0});
    return l;
}

void addLines(const Bush& group, double yMirror, bool polygonsOnly, std::vector<PlaneLine>& out) {
    for (std::size_t i = 0; i < group.itemCount(); ++i) {
        const Line* line = group.item(i).line();
        if (line == nullptr || line->size() < 2) continue;
        if (polygonsOnly && !line->isClosed()) continue;
        PlaneLine p;
        p.line = lineOf(*line, yMirror);
        // Negative colours are entries of the nearest group's palette.
        const ColorPalette* palette = group.nearestPalette();
        p.color = resolveLineColor(line->style.colorLine, palette);
        p.width = line->style.widthLine;
        p.penStyle = line->style.penStyle;
        if (polygonsOnly) p.fill = resolveLineColor(line->style.fillColor, palette);
        out.push_back(std::move(p));
    }
    for (std::size_t k = 0; k < group.childCount(); ++k) {
        addLines(group.child(k), yMirror, polygonsOnly, out);
    }
}

}  // namespace

bool Prism3D::faces(int face) const {
    const auto& f = kFaces[static_cast<std::size_t>(face)];
    const Point3& a = view[static_cast<std::size_t>(f[0])];
    const Point3& b = view[static_cast<std::size_t>(f[1])];
    const Point3& c = view[static_cast<std::size_t>(f[2])];
    return -cross(minus(c, a), minus(a, b)).y > 0;
}

std::vector<Point3> Prism3D::foldOutline() const {
    static constexpr std::array<std::array<std::size_t, 2>, 4> kEdges{
        {{2, 3}, {3, 1}, {1, 0}, {0, 2}}};
    const bool topFaces = faces(kTop);
    std::array<bool, 4> agree{};
    int disagreeing = 0;
    for (std::size_t e = 0; e < 4; ++e) {
        const Point3& a = view[kEdges[e][0]];
        const Point3& b = view[kEdges[e][1]];
        agree[e] = (-cross(minus(viewCentre, a), minus(a, b)).y > 0) == topFaces;
        if (!agree[e]) ++disagreeing;
    }
    std::vector<Point3> fold;
    if (disagreeing == 0 || disagreeing == 4) return fold;
    bool centreLast = false;
    for (std::size_t e = 0; e < 4; ++e) {
        if (agree[e]) {
            if (!centreLast) fold.push_back(viewCentre);
            centreLast = true;
        } else {
            fold.push_back(view[kEdges[e][0]]);
            fold.push_back(view[kEdges[e][1]]);
            centreLast = false;
        }
    }
    return fold;
}

Scene3D buildScene(const SceneSources& in) {
    Scene3D scene;
    const EqNet* grid = in.grid;
    if (grid == nullptr || grid->empty() || !grid->hasValues()) return scene;
    const std::int32_t nx = grid->nx(), ny = grid->ny();
    const std::vector<double>& xs = grid->nodeX();
    const std::vector<double>& ys = grid->nodeY();
    const std::vector<std::int32_t>& mask = grid->mask();
    const auto active = [&](std::int32_t i, std::int32_t j) {
        if (i < 0 || j < 0 || i >= nx || j >= ny) return false;
        const std::size_t k = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * nx;
        const double v = grid->value(i, j);
        return (mask.empty() || mask[k] != kMaskOutside) && std::isfinite(v) && v > kBlankValue;
    };
    const auto inside = [&](double x, double y) {
        if (in.border == nullptr || in.border->empty()) return true;
        for (const Line& l : in.border->lines()) {
            if (l.contains(x, y)) return true;
        }
        return false;
    };
    // The range of the active values.
    bool any = false;
    for (std::int32_t j = 0; j < ny; ++j) {
        for (std::int32_t i = 0; i < nx; ++i) {
            if (!active(i, j)) continue;
            const double v = grid->value(i, j);
            scene.minValue = any ? std::min(scene.minValue, v) : v;
            scene.maxValue = any ? std::max(scene.maxValue, v) : v;
            any = true;
        }
    }
    if (!any) return scene;
    const double ymin = ys.front(), ymax = ys.back();
    const double mirror = ymin + ymax;
    const double extent = std::max(xs.back() - xs.front(), ymax - ymin);
    const double range = scene.maxValue - scene.minValue;
    // Heights scaled so that the value range spans the larger extent; all
    // equal values give a flat relief.
    const double m = range > 0 ? extent / range : 0.0;
    scene.zRange = range * m;
    scene.scale = grid->colorScale;

    // The data points by the cell of their nearest node.
    std::vector<std::vector<std::size_t>> cellPoints;
    if (in.points != nullptr && in.points->size() > 0) {
        cellPoints.resize(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
        const auto nearest = [](const std::vector<double>& nodes, double v) {
            const auto it = std::lower_bound(nodes.begin(), nodes.end(), v);
            std::size_t k = static_cast<std::size_t>(it - nodes.begin());
            if (k == nodes.size()) return k - 1;
            if (k > 0 && v - nodes[k - 1] < nodes[k] - v) --k;
            return k;
        };
        const std::vector<DataPoint>& points = in.points->points();
        for (std::size_t p = 0; p < points.size(); ++p) {
            const std::size_t i = nearest(xs, points[p].x), j = nearest(ys, points[p].y);
            cellPoints[i + j * static_cast<std::size_t>(nx)].push_back(p);
        }
        scene.pointStyle = *in.points;
        scene.pointStyle.clearPoints();
        scene.showPoints = in.points->visible != 0;
    }

    WaitCancelScope wait(text(kBuilding), true, std::int64_t{nx} * ny > kWaitAboveNodes);
    scene.prisms.reserve(static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny));
    for (std::int32_t j = 0; j < ny && !scene.cancelled; ++j) {
        if (wait.cancelled()) {
            information(text(kStopped));
            scene.cancelled = true;
            break;
        }
        for (std::int32_t i = 0; i < nx; ++i) {
            if (!active(i, j) ||
                !inside(xs[static_cast<std::size_t>(i)], ys[static_cast<std::size_t>(j)])) {
                continue;
            }
            const double x = xs[static_cast<std::size_t>(i)], y = ys[static_cast<std::size_t>(j)];
            // The column reaches half way to its neighbours; the outer
            // columns and rows end at their nodes.
            const double left = i > 0 ? (xs[static_cast<std::size_t>(i) - 1] + x) / 2 : x;
            const double right = i + 1 < nx ? (x + xs[static_cast<std::size_t>(i) + 1]) / 2 : x;
            const double below = j > 0 ? (ys[static_cast<std::size_t>(j) - 1] + y) / 2 : y;
            const double above = j + 1 < ny ? (y + ys[static_cast<std::size_t>(j) + 1]) / 2 : y;
            const double value = grid->value(i, j);
            // A top corner: the mean of the node and those of its three
            // neighbours at that corner that exist and are active.
            const auto corner = [&](int di, int dj) {
                double sum = value;
                int count = 1;
                for (const auto& [a, b] : {std::pair{di, 0}, {0, dj}, {di, dj}}) {
                    if (active(i + a, j + b)) {
                        sum += grid->value(i + a, j + b);
                        ++count;
                    }
                }
                return (sum / count - scene.minValue) * m;
            };
            Prism3D prism;
            prism.value = value;
            // Near is the smaller y_model: the map's upper row edge.
            const double nearY = mirror - above, farY = mirror - below;
            const double xsOf[4] = {left, right, left, right};
            const double ysOf[4] = {nearY, nearY, farY, farY};
            const int dis[4] = {-1, 1, -1, 1};
            const int djs[4] = {1, 1, -1, -1};
            for (std::size_t c = 0; c < 4; ++c) {
                prism.model[c] = {xsOf[c], ysOf[c], corner(dis[c], djs[c])};
                prism.model[c + 4] = {xsOf[c], ysOf[c], 0};
            }
            for (const Point3& p : prism.model) {
                prism.centre.x += p.x * 0.125;
                prism.centre.y += p.y * 0.125;
                prism.centre.z += p.z * 0.125;
            }
            prism.firstBadge = static_cast<std::uint32_t>(scene.badges.size());
            scene.prisms.push_back(prism);
            if (cellPoints.empty()) continue;
            for (const std::size_t p :
                 cellPoints[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * nx]) {
                Point3DBadge badge;
                badge.point = in.points->points()[p];
                const double ym = mirror - badge.point.y;
                badge.height = (value - scene.minValue) * m;
                badge.drop.model = {{badge.point.x, ym, badge.height}, {badge.point.x, ym, 0}};
                scene.badges.push_back(std::move(badge));
                ++scene.prisms.back().badgeCount;
            }
        }
    }
    if (in.colorFill != nullptr) addLines(*in.colorFill, mirror, true, scene.fills);
    if (in.isolines != nullptr) {
        for (std::size_t k = 0; k < in.isolines->size(); ++k) {
            const Isoline* iso = in.isolines->at(static_cast<int>(k));
            for (const Line& piece : iso->pieces().lines()) {
                if (piece.size() < 2) continue;
                PlaneLine p;
                p.line = lineOf(piece, mirror);
                p.color = iso->format.colorLine;
                p.width = iso->format.widthLine;
                scene.isolines.push_back(std::move(p));
            }
        }
    }
    if (in.lines != nullptr) addLines(*in.lines, mirror, false, scene.lines);
    return scene;
}

double planeHeight(const Scene3D& scene, double hight, double elevation, bool topFlat) {
    return topFlat ? hight * scene.zRange + elevation * scene.zRange : -elevation * scene.zRange;
}

void transformScene(Scene3D& scene, const Transform3D& t, double hight, double plane) {
    for (Prism3D& prism : scene.prisms) {
        double depth = 0;
        for (std::size_t c = 0; c < 8; ++c) {
            const Point3& p = prism.model[c];
            prism.view[c] = t.apply({p.x, p.y, p.z * hight});
            depth = c == 0 ? prism.view[c].y : std::min(depth, prism.view[c].y);
        }
        prism.viewCentre = t.apply({prism.centre.x, prism.centre.y, prism.centre.z * hight});
        prism.depthKey = depth;
    }
    scene.order.resize(scene.prisms.size());
    for (std::size_t k = 0; k < scene.order.size(); ++k) {
        scene.order[k] = static_cast<std::uint32_t>(k);
    }
    // Far first; equal keys keep the order they were built in, so that
    // the picture does not depend on the sort.
    std::stable_sort(scene.order.begin(), scene.order.end(), [&](std::uint32_t a, std::uint32_t b) {
        return scene.prisms[a].depthKey < scene.prisms[b].depthKey;
    });
    for (Point3DBadge& badge : scene.badges) {
        const Point3& top = badge.drop.model[0];
        badge.drop.view = {t.apply({top.x, top.y, badge.height * hight}),
                           t.apply({top.x, top.y, plane})};
    }
    for (std::vector<PlaneLine>* lines : {&scene.fills, &scene.isolines, &scene.lines}) {
        for (PlaneLine& l : *lines) {
            l.line.view.resize(l.line.model.size());
            for (std::size_t k = 0; k < l.line.model.size(); ++k) {
                const Point3& p = l.line.model[k];
                l.line.view[k] = t.apply({p.x, p.y, plane});
            }
        }
    }
}

}  // namespace gridova
