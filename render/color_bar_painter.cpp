// Drawing the colour bar of a `ColorScale`: layout, bands, labels and
// hit tests.
//
// Layout in device pixels, W × H being the canvas's drawing area (client or
// page size) and x its left margin:
//   top = trunc(FrUp·H), barHeight = trunc(f·H) with f = 1 - FrUp - FrDown
//   held to [0, 1 - FrUp]; left = x (the view then moves it beside the map).
//   Bar columns x0 = trunc(left + W/320), x1 = trunc(left + W/32); labels
//   start at xt = x1 + trunc(0.3·(x1 - x0)).
// Labels: L = the height of "1234567890". K label steps start at 10 and are
// halved while 2L > barHeight / K and K >= 3, so K is 10, 5 or 2 and labels
// never crowd closer than two text heights (unless the bar is tiny).
// Palette mode draws Count equal bands and K + 1 labels at equal steps; table
// mode puts each band edge at its value's height and labels every boundary
// that does not overlap the label before it.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/color_bar_painter.h"

namespace gridova {
namespace {

constexpr double kBarStart = 0.003125;  // of the area width, from the left edge
constexpr double kBarEnd = 0.03125;
constexpr double kGapFraction = 0.3;  // of the bar width
constexpr int kFirstSteps = 10;       // label steps before halving
constexpr int kFramePad = 2;          // pixels between the frame and what it holds
constexpr int kWidthPad = 3;          // pixels added to the labels' right edge
constexpr int kFramePaletteIndex = 0;
constexpr int kBackgroundPaletteIndex = 15;
constexpr int kTextPaletteIndex = 0;
constexpr std::string_view kHeightSample = "1234567890";

double clampFraction(double f, double hi) {
    if (!(f >= 0)) return 0;
    return std::min(f, hi);
}

struct Label {
    std::int32_t y = 0;  // top of the text
    std::string text;
};

DRect worldRect(const DrawingCanvas& canvas, const gdi::Rect& box) {
    DRect r(canvas.toWorldX(box.left), canvas.toWorldY(box.top), canvas.toWorldX(box.right),
            canvas.toWorldY(box.bottom));
    r.left = box.left;
    r.top = box.top;
    r.right = box.right;
    r.bottom = box.bottom;
    return r;
}

// The bar pass shared by measure and draw: the layout goes into the
// scale's layout members and the band rectangles into bands.
int layOutBar(DrawingCanvas& canvas, ColorScale& scale, bool output, std::vector<DRect>* bands);

}  // namespace

int measureColorBar(DrawingCanvas& canvas, ColorScale& scale, std::vector<DRect>* bands) {
    const double h = canvas.areaSize().cy;
    const double up = clampFraction(scale.frUp, 1.0);
    const double f = clampFraction((1.0 - up) - scale.frDown, 1.0 - up);
    scale.top = DrawingCanvas::clampDevice(up * h);
    scale.barHeight = DrawingCanvas::clampDevice(f * h);
    scale.left = canvas.margins()[0];
    return layOutBar(canvas, scale, false, bands);
}

int drawColorBar(DrawingCanvas& canvas, ColorScale& scale, std::vector<DRect>* bands) {
    return layOutBar(canvas, scale, true, bands);
}

namespace {

int layOutBar(DrawingCanvas& canvas, ColorScale& scale, bool output, std::vector<DRect>* bands) {
    const double w = canvas.areaSize().cx;
    const std::int32_t count = scale.count();
    const double min = scale.min(), max = scale.max();
    const std::vector<double>& boundaries = scale.boundaries();
    const double barTop = scale.top;
    const double height = scale.barHeight;
    canvas.selectFont(scale.font);

    const std::int32_t x0 = DrawingCanvas::clampDevice(scale.left + kBarStart * w);
    const std::int32_t x1 = DrawingCanvas::clampDevice(scale.left + kBarEnd * w);
    scale.gap = DrawingCanvas::clampDevice(kGapFraction * (static_cast<double>(x1) - x0));
    const std::int32_t xt = DrawingCanvas::clampDevice(static_cast<double>(x1) + scale.gap);

    const std::int32_t l = canvas.textExtent(kHeightSample).cy;
    scale.labelHeight = l;
    const double halfLabel = l / 2;  // whole pixels, as the text is placed
    int steps = kFirstSteps;
    while (2.0 * l > std::trunc(height / steps) && steps >= 3) steps /= 2;

    // Where a value sits on a table-mode bar; all edges at the top when the
    // range is empty.
    const double span = max - min;
    const auto edgeOf = [&](double b) {
        if (std::abs(span) < ColorScale::kTinyStep) return DrawingCanvas::clampDevice(barTop);
        return DrawingCanvas::clampDevice(scale.upDown != 0 ? barTop + (b - min) * height / span
                                                            : barTop + (max - b) * height / span);
    };

    std::vector<Label> labels;
    if (scale.paletteMode != 0) {
        const double d = span / steps;
        for (int k = 0; k <= steps; ++k) {
            const double v = scale.upDown != 0 ? min + k * d : max - k * d;
            labels.push_back(
                {DrawingCanvas::clampDevice(barTop - halfLabel + std::trunc(k * height / steps)),
                 scale.labelText(v)});
        }
    } else {
        for (double b : boundaries) {
            const std::int32_t y = DrawingCanvas::clampDevice(edgeOf(b) - halfLabel);
            if (!labels.empty() && std::abs(static_cast<double>(y) - labels.back().y) < l) continue;
            labels.push_back({y, scale.labelText(b)});
        }
    }
    std::int32_t widest = 0;
    for (const Label& label : labels) widest = std::max(widest, canvas.textExtent(label.text).cx);

    const int savedPenWidth = canvas.penWidth();
    canvas.setPenWidth(0);

    // The white frame round bars and labels, down to the lowest label.
    const gdi::Rect frame{DrawingCanvas::clampDevice(static_cast<double>(x0) - kFramePad),
                          DrawingCanvas::clampDevice(barTop - halfLabel - kFramePad),
                          DrawingCanvas::clampDevice(static_cast<double>(xt) + widest + kFramePad),
                          DrawingCanvas::clampDevice(barTop - halfLabel + height + l + kFramePad)};
    scale.barRect = worldRect(canvas, frame);
    if (output) {
        canvas.setPenByIndex(kFramePaletteIndex);
        canvas.setBrushByIndex(kBackgroundPaletteIndex);
        canvas.rectangle(frame);
        canvas.deleteBrush();
    }

    // Bands from the top.
    std::vector<DRect> rects;
    rects.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        std::int32_t ya = 0, yb = 0;
        gdi::ColorRef color = 0;
        if (scale.paletteMode != 0) {
            // i · H / Count, so that the last band ends exactly at the bottom.
            ya = DrawingCanvas::clampDevice(barTop + i * height / count);
            yb = DrawingCanvas::clampDevice(barTop + (i + 1) * height / count);
            const int index = scale.upDown != 0 ? ColorScale::kFirstRampIndex + i
                                                : ColorScale::kFirstRampIndex - 1 + count - i;
            color = StandardPalette::color(
                std::clamp(index, ColorScale::kFirstRampIndex, ColorScale::kLastRampIndex));
        } else {
            const auto n = static_cast<std::size_t>(count);
            const auto at = static_cast<std::size_t>(i);
            const std::size_t colorAt = scale.upDown != 0 ? at : n - 1 - at;
            // With the maximum at the top, band i from the top spans
            // b(Count - i) down to b(Count - 1 - i).
            ya = scale.upDown != 0 ? edgeOf(boundaries[at]) : edgeOf(boundaries[n - at]);
            yb = scale.upDown != 0 ? edgeOf(boundaries[at + 1]) : edgeOf(boundaries[n - 1 - at]);
            color = scale.colors()[colorAt];
        }
        const gdi::Rect box{x0, std::min(ya, yb), x1, std::max(ya, yb)};
        rects.push_back(worldRect(canvas, box));
        if (output) {
            const gdi::Point corners[4] = {{x0, ya}, {x1, ya}, {x1, yb}, {x0, yb}};
            canvas.setColorPen(color);
            canvas.setColorBrush(color);
            canvas.polygon(corners, 4);
            canvas.deleteBrush();
        }
    }

    if (output) {
        canvas.setBackgroundMode(gdi::BackgroundMode::Transparent);
        canvas.setTextColor(StandardPalette::color(kTextPaletteIndex));
        for (const Label& label : labels) canvas.drawText(xt, label.y, label.text);
        canvas.restoreTextColor();
    }

    canvas.deletePen();
    canvas.setPenWidth(savedPenWidth);
    canvas.restoreGeneralFont();
    scale.width = DrawingCanvas::clampDevice(static_cast<double>(xt) + widest + kWidthPad);
    if (bands != nullptr) *bands = std::move(rects);
    return scale.width;
}

}  // namespace

ColorBarHit colorBarHit(const ColorScale& scale, const std::vector<DRect>& bands, double x,
                        double y) {
    ColorBarHit hit;
    if (!scale.barRect.contains(x, y)) return hit;
    hit.onBar = true;
    const std::size_t n = std::min(bands.size(), static_cast<std::size_t>(scale.count()));
    for (std::size_t i = 0; i < n; ++i) {
        if (bands[i].contains(x, y)) {
            const auto at = static_cast<int>(i);
            hit.colorIndex = scale.upDown != 0 ? at : scale.count() - 1 - at;
            break;
        }
    }
    return hit;
}

}  // namespace gridova
