#include "render/scale_bar.h"

#include <algorithm>
#include <cmath>

#include "data/nice_value.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace gridova {

namespace {

constexpr int kRadiiText = 216;  // "Радиусы:"

}  // namespace

std::optional<ScaleBarLayout> layOutScaleBar(DrawingCanvas& canvas) {
    const WorldRect w = canvas.worldWindow();
    const double s = std::max(w.xmax - w.xmin, w.ymax - w.ymin);
    if (!(s > 0) || !std::isfinite(s)) return std::nullopt;
    ScaleBarLayout layout;
    layout.x0 = canvas.toDeviceX(w.xmin);
    const int x1 = canvas.toDeviceX(w.xmin + s / 13);
    const int g = (x1 - layout.x0) / 4;
    layout.length =
        niceValueBetween(canvas.toWorldX(x1 - g) - w.xmin, canvas.toWorldX(x1 + g) - w.xmin);
    layout.xe = canvas.toDeviceX(w.xmin + layout.length);
    layout.base = std::max(canvas.toDeviceY(w.ymin), canvas.toDeviceY(w.ymax));
    const int textHeight = canvas.textExtent("0").cy;
    // From the labels' top (base − 13 − text height) to base − 4.
    layout.height = 9 + textHeight;
    return layout;
}

void ScaleBar::readProfile() { readProfileInt(kName, "Show", show); }

void ScaleBar::writeProfile() const { writeProfileInt(kName, "Show", show); }

void ScaleBar::reserveAndDraw(DrawingCanvas& canvas) {
    if (show == 0) return;
    std::optional<ScaleBarLayout> first = layOutScaleBar(canvas);
    if (!first) return;
    lastLength = first->length;
    height = first->height;
    // The map gives up a band of Height at its bottom.
    const WorldRect w = canvas.worldWindow();
    const double scaleY = canvas.scaleY();
    const double band = scaleY > 0 ? height / scaleY : 0.0;
    canvas.setWorldWindow(w.xmin, w.ymin - band, w.xmax, w.ymax);

    const int x0 = canvas.toDeviceX(w.xmin) + 5;
    const int xe = canvas.toDeviceX(w.xmin + first->length) + 5;
    const int yb = std::max(canvas.toDeviceY(w.ymin - band), canvas.toDeviceY(w.ymax));
    const int centre = (x0 + xe) / 2;

    canvas.setPenWidth(0);
    canvas.setPenByIndex(0);
    canvas.setColorPen(gdi::rgb(0, 0, 0));
    canvas.setHollowBrush();
    canvas.rectangle({x0, yb - 10, xe + 1, yb - 3});
    canvas.line({x0, yb - 13}, {x0, yb - 3});
    canvas.line({xe, yb - 13}, {xe, yb - 3});
    canvas.line({centre, yb - 13}, {centre, yb - 3});
    canvas.line({x0, yb - 7}, {centre, yb - 7});
    canvas.deletePen();

    canvas.setTextColor(gdi::rgb(0, 0, 0));
    const std::string zero = "0";
    const std::string length = formatText("%.0lf", {first->length});
    const gdi::Size zs = canvas.textExtent(zero);
    const gdi::Size ls = canvas.textExtent(length);
    canvas.drawText(x0 - zs.cx / 2, yb - 13 - zs.cy, zero);
    canvas.drawText(xe - ls.cx / 2, yb - 13 - ls.cy, length);
    const std::string ratio = formatText("M 1:%.0lf", {first->length * 50});
    const gdi::Size rs = canvas.textExtent(ratio);
    int x = std::max(xe + ls.cx / 2, xe) + 8;
    canvas.drawText(x, yb - 4 - rs.cy, ratio);
    x += rs.cx + 12;

    if (showRadii != 0) {
        const std::string radii = text(kRadiiText);
        const gdi::Size size = canvas.textExtent(radii);
        canvas.drawText(x, yb - 4 - size.cy, radii);
        x += size.cx + 6;
        const auto legend = [&](const char* name, double value, int radius) {
            const std::string label = std::string(name) + " " + formatText("%.2lf", {value});
            const gdi::Size ts = canvas.textExtent(label);
            canvas.drawText(x, yb - 6 - ts.cy, label);
            canvas.setColorPen(gdi::rgb(0, 0, 0));
            canvas.line({x, yb - 5}, {x + std::max(0, radius), yb - 5});
            canvas.deletePen();
            x += std::max(ts.cx, radius) + 8;
        };
        legend("Max", maxValue, maxRadius);
        if (minRadius > 0) legend("Min", minValue, minRadius);
    }
    canvas.restoreTextColor();
}

}  // namespace gridova
