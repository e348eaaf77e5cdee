// The canvas's shapes in device and world coordinates, the raster
// operation and clipping.
#include <algorithm>
#include <cmath>
#include <vector>

#include "render/drawing_canvas.h"

namespace gridova {

// --- Shapes ---------------------------------------------------------------------

void DrawingCanvas::line(gdi::Point a, gdi::Point b) {
    if (target_ == nullptr) return;
    target_->moveTo(a);
    target_->lineTo(b);
}

void DrawingCanvas::lineWorld(double x1, double y1, double x2, double y2) {
    line(toDevice(x1, y1), toDevice(x2, y2));
}

void DrawingCanvas::polyline(const gdi::Point* points, std::size_t count) {
    if (target_ == nullptr || count < 2) return;
    // Piece k draws the points 1999·k .. min(2000·(k + 1), n) - 1, so each
    // piece starts at or before the last point of the one before.
    for (std::size_t k = 0;; ++k) {
        const std::size_t first = (kPolylinePiece - 1) * k;
        const std::size_t end = std::min(kPolylinePiece * (k + 1), count);
        target_->polyline(points + first, end - first);
        if (end == count) break;
    }
}

void DrawingCanvas::polygon(const gdi::Point* points, std::size_t count) {
    if (target_ != nullptr && count >= 2) target_->polygon(points, count);
}

void DrawingCanvas::polygonXY(const int* x, const int* y, std::size_t count) {
    if (count > kPolygonBuffer) return;
    gdi::Point buffer[kPolygonBuffer];
    for (std::size_t i = 0; i < count; ++i) buffer[i] = {x[i], y[i]};
    polygon(buffer, count);
}

void DrawingCanvas::polylineXY(const int* x, const int* y, std::size_t count, bool close) {
    if (count == 0) return;
    std::vector<gdi::Point> points(count + (close ? 1 : 0));
    for (std::size_t i = 0; i < count; ++i) points[i] = {x[i], y[i]};
    if (close) points[count] = points[0];
    polyline(points.data(), points.size());
}

void DrawingCanvas::polylineWorld(const double* x, const double* y, std::size_t count) {
    const std::vector<gdi::Point> points = toDevicePoints(x, y, count);
    polyline(points.data(), points.size());
}

std::vector<gdi::Point> DrawingCanvas::toDevicePoints(const double* x, const double* y,
                                                      std::size_t count) const {
    std::vector<gdi::Point> points(count);
    for (std::size_t i = 0; i < count; ++i) points[i] = toDevice(x[i], y[i]);
    return points;
}

void DrawingCanvas::rotatedRectangle(int x, int y, double theta, int w, int h) {
    const double c = std::cos(theta), s = std::sin(theta);
    const double x1 = x + w * c, y1 = y - w * s;
    const double x2 = x1 + h * s, y2 = y1 + h * c;
    const double x3 = x + h * s, y3 = y + h * c;
    const gdi::Point points[5] = {
        {x, y},
        {clampDevice(x1), clampDevice(y1)},
        {clampDevice(x2), clampDevice(y2)},
        {clampDevice(x3), clampDevice(y3)},
        {x, y},
    };
    polygon(points, 5);
}

void DrawingCanvas::rectangle(const gdi::Rect& box) {
    if (target_ != nullptr) target_->rectangle(box);
}

void DrawingCanvas::rectangleWorld(double x1, double y1, double x2, double y2) {
    const gdi::Point a = toDevice(x1, y1), b = toDevice(x2, y2);
    rectangle({std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
}

void DrawingCanvas::rectangleOutline(const gdi::Rect& r) {
    line({r.left, r.top}, {r.right, r.top});
    line({r.right, r.top}, {r.right, r.bottom});
    line({r.right, r.bottom}, {r.left, r.bottom});
    line({r.left, r.bottom}, {r.left, r.top});
}

void DrawingCanvas::circle(int x, int y, int r, bool hollow) {
    if (target_ == nullptr) return;
    if (hollow) target_->setBrush(gdi::Brush::hollow());
    target_->ellipse({x - r, y - r, x + r + 1, y + r + 1});
    if (hollow) target_->setBrush(brush_);
}

void DrawingCanvas::roundRect(const gdi::Rect& box, int cornerWidth, int cornerHeight) {
    if (target_ != nullptr) target_->roundRect(box, cornerWidth, cornerHeight);
}

void DrawingCanvas::dragRectangle(const gdi::Rect& box) {
    if (target_ == nullptr) return;
    target_->setRasterOp(gdi::RasterOp::Not);
    target_->setPen({gdi::PenStyle::Dash, 1, 0});
    target_->setBrush(gdi::Brush::hollow());
    target_->rectangle(box);
    target_->setBrush(brush_);
    target_->setPen(pen_);
    target_->setRasterOp(rop_);
}

void DrawingCanvas::fillArea() {
    if (target_ == nullptr) return;
    const gdi::Size area = areaSize();
    target_->fillRect({0, 0, area.cx, area.cy}, StandardPalette::color(15));
}

void DrawingCanvas::setRasterOp(gdi::RasterOp op) {
    rop_ = op;
    if (target_ != nullptr) target_->setRasterOp(op);
}

void DrawingCanvas::clipToWorld(const WorldRect& world) {
    if (target_ == nullptr) return;
    const gdi::Point a = toDevice(world.xmin, world.ymin), b = toDevice(world.xmax, world.ymax);
    target_->clipTo(
        {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)});
}

void DrawingCanvas::excludeClip(const gdi::Rect& device) {
    if (target_ != nullptr) target_->excludeClip(device);
}

void DrawingCanvas::clearClip() {
    if (target_ != nullptr) target_->clearClip();
}

gdi::Rect DrawingCanvas::fittedBox(gdi::Size picture) const {
    if (picture.cx <= 0 || picture.cy <= 0) return {};
    const gdi::Rect area = drawingArea();
    const double k = std::min(static_cast<double>(area.width()) / picture.cx,
                              static_cast<double>(area.height()) / picture.cy);
    if (!(k > 0)) return {};
    const int w = static_cast<int>(picture.cx * k);
    const int h = static_cast<int>(picture.cy * k);
    const int x = area.left + (area.width() - w) / 2;
    const int y = area.top + (area.height() - h) / 2;
    return {x, y, x + w, y + h};
}

void DrawingCanvas::drawFittedPicture(const gdi::Dib& picture, gdi::BitmapOp op) {
    if (target_ == nullptr || !picture.valid()) return;
    const gdi::Rect box = fittedBox({picture.width, picture.height});
    if (box.width() > 0 && box.height() > 0) target_->drawBitmap(picture, box, op);
}

void DrawingCanvas::drawFittedMetafile(const MetafilePicture& picture) {
    if (target_ == nullptr) return;
    const gdi::Rect box = fittedBox(picture.size);
    if (box.width() <= 0 || box.height() <= 0) return;
    playMetafile(picture, *target_, box);
    applyState();
}

void DrawingCanvas::captureMouse() {
    if (window_ != nullptr) window_->captureMouse(true);
}

void DrawingCanvas::releaseMouse() {
    if (window_ != nullptr) window_->captureMouse(false);
}

}  // namespace gridova
