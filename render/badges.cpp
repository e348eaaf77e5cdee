#include "render/badges.h"

#include <algorithm>
#include <cmath>

#include "data/polynomial_regression.h"
#include "platform/messages.h"

namespace gridova {

namespace {

constexpr double kTinyValues = 0.00001;

// Draws the badge; the box a click picks the point in.
gdi::Rect drawBadge(DrawingCanvas& canvas, const DataPoint& p, const BadgeFormat& format,
                    bool showLabel, const std::string& valueFormat) {
    const gdi::Point d = canvas.toDevice(p.x, p.y);
    const int r = std::max(0, format.badgeRadius);
    // 1. The box a click picks the point in.
    const gdi::Rect box{d.x - r - 1, d.y - r - 1, d.x + r + 2, d.y + r + 2};
    // 2. The marker.
    canvas.setColorPen(gdi::rgb(0, 0, 0));
    canvas.setColorBrush(format.pointColor);
    canvas.circle(d.x, d.y, r, false);
    canvas.deleteBrush();
    canvas.deletePen();
    const bool showValue = format.showDigit != 0 && p.value.present();
    const std::string value = showValue ? formatText(valueFormat, {p.value.value}) : std::string();
    const int x = d.x + r + 3;
    if (showLabel) {
        // 3. The label (a blank measured as "123" when there is none), its
        // bottom a pixel above the point; the value under a rule.
        const bool labelled = p.label.has_value();
        const std::string label = labelled ? *p.label : std::string(" ");
        const gdi::Size size = canvas.textExtent(labelled ? label : std::string("123"));
        canvas.drawText(x, d.y - 1 - size.cy, label);
        if (showValue) {
            canvas.setColorPen(format.textColor);
            canvas.line({x, d.y}, {x + size.cx, d.y});
            canvas.deletePen();
            canvas.drawText(x, d.y + 1, value);
        }
    } else if (showValue) {
        // 4. The value alone in a rounded box.
        const gdi::Size size = canvas.textExtent(value);
        canvas.setColorPen(gdi::rgb(0, 0, 0));
        canvas.setColorBrush(gdi::rgb(255, 255, 255));
        canvas.roundRect({d.x + r + 1, d.y - size.cy - 1, d.x + r + 5 + size.cx, d.y - 1}, 4, 4);
        canvas.deleteBrush();
        canvas.deletePen();
        canvas.drawText(x, d.y - size.cy - 1, value);
    }
    return box;
}

}  // namespace

std::vector<gdi::Point> regressionCurve(const DrawingCanvas& canvas, const PointSet& set) {
    const PolynomialRegression* regression = set.regression();
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    if (regression == nullptr || regression->m() < 1 || set.points().empty() ||
        set.ranges(xmin, xmax, ymin, ymax) != 0) {
        return {};
    }
    const WorldRect v = canvas.visibleWorld();
    const double lo = std::max(xmin, std::min(v.xmin, v.xmax));
    const double hi = std::min(xmax, std::max(v.xmin, v.xmax));
    if (!(lo <= hi)) return {};
    // Values far off the page are held a few page heights away, so that a
    // steep curve leaves the page in the right direction without running
    // out of device coordinates.
    const double height = std::fabs(v.ymax - v.ymin);
    const double below = std::min(v.ymin, v.ymax) - 4 * height;
    const double above = std::max(v.ymin, v.ymax) + 4 * height;
    const std::int32_t c0 = canvas.toDeviceX(lo), c1 = canvas.toDeviceX(hi);
    std::vector<gdi::Point> curve;
    for (std::int32_t c = std::min(c0, c1); c <= std::max(c0, c1); ++c) {
        const double x = std::clamp(canvas.toWorldX(c), lo, hi);
        const double y = regression->evaluate(x);
        if (!std::isfinite(y)) continue;
        curve.push_back({c, canvas.toDeviceY(std::clamp(y, below, above))});
    }
    return curve;
}

std::string badgeValueFormat(const PointSet& set) {
    const int digits = std::clamp(set.badgeFormat.digits, 0, BadgeFormat::kMaxDigits);
    double lo = 0, hi = 0;
    const bool tiny = set.valueRange(lo, hi) == 0 && lo > -kTinyValues && hi < kTinyValues;
    return "%." + std::to_string(digits) + (tiny ? "lg" : "lf");
}

std::optional<int> valueCircleRadius(const BadgeFormat& format, double s) {
    if (!(s >= 0) || !std::isfinite(s)) return std::nullopt;
    return format.minRadius +
           static_cast<int>(std::trunc(s * (format.maxRadius - format.minRadius)));
}

int BadgeBoxes::hitTest(gdi::Point p) const {
    for (const Entry& e : boxes_) {
        const gdi::Rect& b = e.box;
        if (p.x >= b.left && p.x < b.right && p.y >= b.top && p.y < b.bottom) {
            return static_cast<int>(e.point);
        }
    }
    return -1;
}

void drawPointSet(DrawingCanvas& canvas, const PointSet& owner, BadgeBoxes* boxes) {
    if (boxes != nullptr) boxes->clear();
    if (owner.visible == 0) return;
    const BadgeFormat& format = owner.badgeFormat;
    if (format.show == 0) return;
    const PointSet& set = owner.asSeen();
    const std::vector<DataPoint>& points = set.points();
    // 1. The regression curve.
    if (const std::vector<gdi::Point> curve = regressionCurve(canvas, set); curve.size() >= 2) {
        canvas.setPenWidth(std::max(set.regression()->width, 0));
        canvas.setPen(gdi::PenStyle::Solid, set.regression()->color);
        canvas.polyline(curve.data(), curve.size());
        canvas.setPenWidth(0);
        canvas.deletePen();
    }
    // 2. Values as circles: all filled, then all outlined again.
    if (format.valueShow != 0) {
        canvas.setColorPen(gdi::rgb(0, 0, 0));
        canvas.setColorBrush(format.circleColor);
        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) canvas.setHollowBrush();
            for (const DataPoint& p : points) {
                if (!p.value.present()) continue;
                const std::optional<int> r = valueCircleRadius(format, p.sizeFactor);
                if (!r) continue;
                const gdi::Point d = canvas.toDevice(p.x, p.y);
                canvas.circle(d.x, d.y, *r, pass == 1);
            }
        }
        canvas.deleteBrush();
        canvas.deletePen();
    }
    // 3. Badges.
    canvas.setTextColor(format.textColor);
    canvas.selectFont(format.font);
    const bool showLabel = format.showLabel != 0 && set.hasLabels != 0;
    const std::string valueFormat = badgeValueFormat(set);
    for (std::size_t i = 0; i < points.size(); ++i) {
        const DataPoint& p = points[i];
        if (!canvas.isVisible(p.x, p.y)) continue;
        const gdi::Rect box = drawBadge(canvas, p, format, showLabel, valueFormat);
        if (boxes != nullptr) boxes->add(i, box);
    }
    // 4.
    canvas.restoreTextColor();
    canvas.restoreGeneralFont();
}

void drawEditorMarkers(DrawingCanvas& canvas, const PointSet& set) {
    canvas.setColorPen(gdi::rgb(255, 0, 0));
    canvas.setColorBrush(gdi::rgb(255, 0, 0));
    const int r = std::max(0, set.badgeFormat.badgeRadius);
    for (const DataPoint& p : set.asSeen().points()) {
        const gdi::Point d = canvas.toDevice(p.x, p.y);
        canvas.circle(d.x, d.y, r, false);
    }
    canvas.deleteBrush();
    canvas.deletePen();
}

}  // namespace gridova
