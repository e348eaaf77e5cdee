#include "render/line_painter.h"

#include <algorithm>
#include <vector>

namespace gridova {
namespace {

constexpr std::int32_t kMaxPenStyle = static_cast<std::int32_t>(gdi::PenStyle::InsideFrame);
constexpr std::int32_t kMaxHatch = static_cast<std::int32_t>(gdi::Hatch::DiagonalCross);

// Values from files may be anything: styles outside the known ones draw
// solid, hatches outside them with the default hatch.
gdi::PenStyle penStyleOf(std::int32_t v) {
    return v >= 0 && v <= kMaxPenStyle ? static_cast<gdi::PenStyle>(v) : gdi::PenStyle::Solid;
}

gdi::Hatch hatchOf(std::int32_t v) {
    return static_cast<gdi::Hatch>(v >= 0 && v <= kMaxHatch ? v : LineStyle::kDefaultHatch);
}

}  // namespace

void drawLine(DrawingCanvas& canvas, const Line& line, const ColorPalette* palette) {
    const std::vector<LinePoint>& points = line.points();
    if (points.empty()) return;
    const LineStyle& style = line.style;
    const bool filled = style.typeDraw == LineStyle::kFilled ||
                        style.typeDraw == LineStyle::kFilledHatched ||
                        style.typeDraw == LineStyle::kHatched;
    if (filled) {
        const DRect& extent = line.extent();
        const WorldRect v = canvas.visibleWorld();
        if (extent.maxX < v.xmin || extent.minX > v.xmax || extent.maxY < v.ymin ||
            extent.minY > v.ymax) {
            return;
        }
    }
    canvas.setPenWidth(std::max(style.widthLine, 0));
    canvas.setPen(penStyleOf(style.penStyle), resolveLineColor(style.colorLine, palette));
    std::vector<gdi::Point> device(points.size());
    for (std::size_t i = 0; i < points.size(); ++i) {
        device[i] = canvas.toDevice(points[i].x, points[i].y);
    }
    const auto hatched = [&] {
        canvas.setHatchBrush(hatchOf(style.hatch), resolveLineColor(style.patternColor, palette));
        canvas.polygon(device.data(), device.size());
        canvas.deleteBrush();
    };
    switch (style.typeDraw) {
        case LineStyle::kFilled:
        case LineStyle::kFilledHatched:
            canvas.setColorBrush(resolveLineColor(style.fillColor, palette));
            canvas.polygon(device.data(), device.size());
            canvas.deleteBrush();
            if (style.typeDraw == LineStyle::kFilledHatched) hatched();
            break;
        case LineStyle::kHatched:
            hatched();
            break;
        default:
            canvas.polyline(device.data(), device.size());
            break;
    }
    canvas.setPenWidth(0);
    canvas.deletePen();
}

void drawLines(DrawingCanvas& canvas, const LineList& lines) {
    for (const Line& l : lines.lines()) drawLine(canvas, l, nullptr);
}

void drawGroupLines(DrawingCanvas& canvas, const Bush& group) {
    const ColorPalette* palette = group.nearestPalette();
    for (std::size_t i = 0; i < group.itemCount(); ++i) {
        if (const Line* l = group.item(i).line()) drawLine(canvas, *l, palette);
    }
    for (std::size_t i = 0; i < group.childCount(); ++i) drawGroupLines(canvas, group.child(i));
}

}  // namespace gridova
