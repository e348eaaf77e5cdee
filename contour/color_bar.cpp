// The colour bar of a `ColorScale`: layout, bands, labels and hit tests.
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

#include "contour/color_scale.h"
#include "render/drawing_canvas.h"

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

// A device coordinate from a computed position: truncated, held to the
// canvas's range (NaN to its lowest), never undefined.
std::int32_t device(double v) {
    if (!(v >= DrawingCanvas::kMinDevice)) return DrawingCanvas::kMinDevice;
    if (v > DrawingCanvas::kMaxDevice) return DrawingCanvas::kMaxDevice;
    return static_cast<std::int32_t>(v);
}

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

}  // namespace

int ColorScale::measure(DrawingCanvas& canvas) {
    const double h = canvas.areaSize().cy;
    const double up = clampFraction(frUp, 1.0);
    const double f = clampFraction((1.0 - up) - frDown, 1.0 - up);
    top = device(up * h);
    barHeight = device(f * h);
    left = canvas.margins()[0];
    return layOutBar(canvas, false);
}

int ColorScale::draw(DrawingCanvas& canvas) { return layOutBar(canvas, true); }

int ColorScale::layOutBar(DrawingCanvas& canvas, bool output) {
    const double w = canvas.areaSize().cx;
    const double barTop = top;
    const double height = barHeight;
    canvas.selectFont(font);

    const std::int32_t x0 = device(left + kBarStart * w);
    const std::int32_t x1 = device(left + kBarEnd * w);
    gap = device(kGapFraction * (static_cast<double>(x1) - x0));
    const std::int32_t xt = device(static_cast<double>(x1) + gap);

    const std::int32_t l = canvas.textExtent(kHeightSample).cy;
    labelHeight = l;
    const double halfLabel = l / 2;  // whole pixels, as the text is placed
    int steps = kFirstSteps;
    while (2.0 * l > std::trunc(height / steps) && steps >= 3) steps /= 2;

    // Where a value sits on a table-mode bar; all edges at the top when the
    // range is empty.
    const double span = max_ - min_;
    const auto edgeOf = [&](double b) {
        if (std::abs(span) < kTinyStep) return device(barTop);
        return device(upDown != 0 ? barTop + (b - min_) * height / span
                                  : barTop + (max_ - b) * height / span);
    };

    std::vector<Label> labels;
    if (paletteMode != 0) {
        const double d = span / steps;
        for (int k = 0; k <= steps; ++k) {
            const double v = upDown != 0 ? min_ + k * d : max_ - k * d;
            labels.push_back(
                {device(barTop - halfLabel + std::trunc(k * height / steps)), labelText(v)});
        }
    } else {
        for (double b : boundaries_) {
            const std::int32_t y = device(edgeOf(b) - halfLabel);
            if (!labels.empty() && std::abs(static_cast<double>(y) - labels.back().y) < l) continue;
            labels.push_back({y, labelText(b)});
        }
    }
    std::int32_t widest = 0;
    for (const Label& label : labels) widest = std::max(widest, canvas.textExtent(label.text).cx);

    const int savedPenWidth = canvas.penWidth();
    canvas.setPenWidth(0);

    // The white frame round bars and labels, down to the lowest label.
    const gdi::Rect frame{device(static_cast<double>(x0) - kFramePad),
                          device(barTop - halfLabel - kFramePad),
                          device(static_cast<double>(xt) + widest + kFramePad),
                          device(barTop - halfLabel + height + l + kFramePad)};
    barRect = worldRect(canvas, frame);
    if (output) {
        canvas.setPenByIndex(kFramePaletteIndex);
        canvas.setBrushByIndex(kBackgroundPaletteIndex);
        canvas.rectangle(frame);
        canvas.deleteBrush();
    }

    // Bands from the top.
    bandRects.clear();
    bandRects.reserve(static_cast<std::size_t>(count_));
    for (std::int32_t i = 0; i < count_; ++i) {
        std::int32_t ya = 0, yb = 0;
        gdi::ColorRef color = 0;
        if (paletteMode != 0) {
            // i · H / Count, so that the last band ends exactly at the bottom.
            ya = device(barTop + i * height / count_);
            yb = device(barTop + (i + 1) * height / count_);
            const int index = upDown != 0 ? kFirstRampIndex + i : kFirstRampIndex - 1 + count_ - i;
            color = StandardPalette::color(std::clamp(index, kFirstRampIndex, kLastRampIndex));
        } else {
            const auto n = static_cast<std::size_t>(count_);
            const auto at = static_cast<std::size_t>(i);
            const std::size_t colorAt = upDown != 0 ? at : n - 1 - at;
            // With the maximum at the top, band i from the top spans
            // b(Count - i) down to b(Count - 1 - i).
            ya = upDown != 0 ? edgeOf(boundaries_[at]) : edgeOf(boundaries_[n - at]);
            yb = upDown != 0 ? edgeOf(boundaries_[at + 1]) : edgeOf(boundaries_[n - 1 - at]);
            color = colors_[colorAt];
        }
        const gdi::Rect box{x0, std::min(ya, yb), x1, std::max(ya, yb)};
        bandRects.push_back(worldRect(canvas, box));
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
    width = device(static_cast<double>(xt) + widest + kWidthPad);
    return width;
}

ColorBarHit ColorScale::hitTest(double x, double y) const {
    ColorBarHit hit;
    if (!barRect.contains(x, y)) return hit;
    hit.onBar = true;
    const std::size_t n = std::min(bandRects.size(), static_cast<std::size_t>(count_));
    for (std::size_t i = 0; i < n; ++i) {
        if (bandRects[i].contains(x, y)) {
            const auto at = static_cast<int>(i);
            hit.colorIndex = upDown != 0 ? at : count_ - 1 - at;
            break;
        }
    }
    return hit;
}

}  // namespace gridova
