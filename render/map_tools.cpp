#include "render/map_tools.h"

#include <algorithm>
#include <cstdlib>

namespace gridova {

// --- Zoom drag -----------------------------------------------------------------------------

void ZoomDragTool::press(gdi::Point p) {
    corners_ = std::array<gdi::Point, 2>{p, p};
    shown_ = false;
}

gdi::Rect ZoomDragTool::box(const std::array<gdi::Point, 2>& corners) {
    return {std::min(corners[0].x, corners[1].x), std::min(corners[0].y, corners[1].y),
            std::max(corners[0].x, corners[1].x) + 1, std::max(corners[0].y, corners[1].y) + 1};
}

void ZoomDragTool::show(DrawingCanvas& c, bool shown) {
    if (!corners_ || shown_ == shown) return;
    if (c.window() == nullptr) {
        shown_ = shown;
        return;
    }
    // The inverting rectangle: drawing it again takes it away.
    c.beginDirectDrawing();
    if (c.target() != nullptr) c.dragRectangle(box(*corners_));
    c.endDirectDrawing();
    shown_ = shown;
}

void ZoomDragTool::move(DrawingCanvas& c, gdi::Point p) {
    if (!corners_) return;
    show(c, false);
    (*corners_)[1] = p;
    show(c, true);
}

std::optional<WorldRect> ZoomDragTool::release(DrawingCanvas& c, gdi::Point p) {
    if (!corners_) return std::nullopt;
    show(c, false);
    const gdi::Point a = (*corners_)[0];
    corners_.reset();
    const int larger = std::max(std::abs(p.x - a.x), std::abs(p.y - a.y));
    if (larger < kMinPixels) return std::nullopt;
    const double x1 = c.toWorldX(a.x), x2 = c.toWorldX(p.x);
    const double y1 = c.toWorldY(a.y), y2 = c.toWorldY(p.y);
    return WorldRect{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
}

void ZoomDragTool::drawOverlay(DrawingCanvas& c) const {
    if (corners_ && shown_) c.dragRectangle(box(*corners_));
}

// --- Line snapping ------------------------------------------------------------------------

void LineSnapTool::snap(Bush* tree, double tolX, double tolY, Line* entered, double& x, double& y) {
    if (!enabled || tree == nullptr) return;
    const auto hit = tree->hitTestLines(x, y, tolX, tolY);
    if (!hit || hit->item->line() == nullptr) {
        item_ = nullptr;
        return;
    }
    const Line& target = *hit->item->line();
    const std::optional<LinePoint> p = target.point(hit->point);
    if (!p) return;
    if (entered != nullptr && item_ == hit->item && point_ != hit->point) {
        // Follow the line from the previous snapped point to this one.
        target.appendPart(point_, hit->point, *entered);
    }
    item_ = hit->item;
    point_ = hit->point;
    x = p->x;
    y = p->y;
}

// --- Node pick ------------------------------------------------------------------------------

bool NodePickTool::pick(const EqNet& grid, double x, double y) {
    if (!open || grid.empty() || !grid.extent().contains(x, y)) return false;
    const NodeRef node = grid.nearestNode(x, y);
    if (node.index < 0 || !grid.hasValues()) return false;
    const auto n = static_cast<std::size_t>(node.index);
    if (grid.hasMask() && grid.mask()[n] == 0) return false;
    picked_ = PickedNode{node.i, grid.ny() - 1 - node.j, grid.values()[n]};
    index_ = node.index;
    return true;
}

void NodePickTool::drawOverlay(DrawingCanvas& c, const EqNet* grid) const {
    if (!picked_ || !index_ || grid == nullptr || grid->empty()) return;
    const auto [x, y] = grid->nodeXY(*index_);
    const gdi::Point d = c.toDevice(x, y);
    c.setColorPen(gdi::rgb(255, 0, 0));
    c.setHollowBrush();
    c.rectangle({d.x - 4, d.y - 4, d.x + 5, d.y + 5});
    c.deletePen();
}

}  // namespace gridova
