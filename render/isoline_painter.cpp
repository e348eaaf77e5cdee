// Drawing one isoline piece: its pen, then value labels along it (the
// placement is described in isoline_format.h).
//
// Notation: P0..Pn−1 are the piece's world points and D0..Dn−1 their device
// pixels; Ps..Ph is the label window; a label's angle θ is counter-clockwise
// on the screen, in radians, so a text turned by θ runs along
// (cos θ, −sin θ) in device pixels (device Y grows downward).
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "render/isoline_painter.h"

namespace gridova {
namespace {

constexpr double kTiny = 1e-30;
// A window whose path along the piece is longer than its chord by this
// factor's reciprocal (1.25) is too curved to carry a label.
constexpr double kCurvature = 0.8;
constexpr double kTenthsPerDegree = 10.0;

gdi::PenStyle penStyleOf(std::int32_t style) {
    if (style < 0 || style > IsolineFormat::kMaxPenStyle) return gdi::PenStyle::Solid;
    return static_cast<gdi::PenStyle>(style);
}

double squaredDistance(gdi::Point a, gdi::Point b) {
    const double dx = static_cast<double>(b.x) - a.x;
    const double dy = static_cast<double>(b.y) - a.y;
    return dx * dx + dy * dy;
}

double worldDistance(const LinePoint& a, const LinePoint& b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

// Where a label goes in its window: at Ph (atEnd) or at Ps, and its angle.
struct LabelDirection {
    bool atEnd = false;
    double theta = 0.0;
};

// The orientation rule. a = arccos(device dx / device chord) is the
// chord's angle from +X ignoring its vertical sense; dx, y1 and y2 are the
// world x step Ps→Ph and the world heights of Ps and Ph. "Readable" turns
// the text so that it never stands on its head: a chord going left is read
// from Ph towards Ps.
LabelDirection labelDirection(LabelOrient orient, double dx, double y1, double y2, double a) {
    constexpr double pi = std::numbers::pi;
    switch (orient) {
        case LabelOrient::Ascending:
            return {false, y1 <= y2 ? a : -a};
        case LabelOrient::Descending:
            return {true, y1 <= y2 ? a - pi : -a - pi};
        case LabelOrient::Readable:
        default:
            break;
    }
    if (dx > -kTiny && y1 <= y2) return {false, a};
    if (dx >= kTiny && y1 > y2) return {false, -a};
    if (dx > -kTiny && dx < kTiny && y1 > y2) return {true, a};
    if (dx <= -kTiny && y1 <= y2) return {true, a - pi};
    return {true, pi - a};
}

std::int32_t toPixel(double v) { return static_cast<std::int32_t>(v); }  // toward zero

void drawLabels(DrawingCanvas& canvas, double value, const std::vector<LinePoint>& p,
                const std::vector<gdi::Point>& d, const IsolineFormat& format) {
    const std::string label = levelText(value, format.decimalDigit);
    const gdi::Size extent = canvas.textExtent(label);
    const double tw = extent.cx;
    const double th = extent.cy;
    canvas.setBackgroundMode(gdi::BackgroundMode::Transparent);
    canvas.setTextColor(format.colorText);

    const double initSpacing = format.initSpacing;
    const double spacing = format.spacing;
    double threshold = initSpacing * initSpacing;  // squared px the piece must leave first
    gdi::Point reference = d[0];                   // centre of that circle
    std::size_t s = 0;                             // window start
    std::size_t last = 0;                          // the point that last left the circle
    bool found = false;                            // the piece has left the circle
    double path = 0.0;                             // world length along the piece from Ps to Ph
    for (std::size_t h = 0; h < p.size(); ++h) {
        const double d2 = last < h ? squaredDistance(reference, d[h]) : 0.0;
        if (d2 > threshold) {
            found = true;
            threshold = spacing * spacing;
            last = h;
        } else if (!found) {
            s = h;
            continue;
        }
        const double chord = worldDistance(p[s], p[h]);
        path = s < h ? path + worldDistance(p[h - 1], p[h]) : 0.0;
        if (kCurvature * path > chord) {
            s = h;
            path = 0.0;
            continue;
        }
        const double length = std::sqrt(squaredDistance(d[s], d[h]));
        if (length < kTiny || tw >= length) continue;
        if (!canvas.isVisible(p[h].x, p[h].y) && !canvas.isVisible(p[s].x, p[s].y)) {
            s = h;
            path = 0.0;
            continue;
        }
        const double a =
            std::acos(std::clamp((static_cast<double>(d[h].x) - d[s].x) / length, -1.0, 1.0));
        const LabelDirection dir =
            labelDirection(format.orient, p[h].x - p[s].x, p[s].y, p[h].y, a);
        const gdi::Point anchor = d[dir.atEnd ? h : s];
        // Centred on the chord, half the text height above it.
        const double along = (length - tw) / 2;
        const double c = std::cos(dir.theta), sn = std::sin(dir.theta);
        const double gx = along * c - (th / 2) * sn;
        const double gy = -along * sn - (th / 2) * c;
        const std::int32_t ox = toPixel(anchor.x + gx);
        const std::int32_t oy = toPixel(anchor.y + gy);

        canvas.setColorPen(format.colorLabelLine);
        canvas.setColorBrush(format.colorLabelPattern);
        canvas.rotatedRectangle(ox, oy, dir.theta, extent.cx, extent.cy - 1);
        canvas.deleteBrush();
        canvas.deletePen();
        const double degrees = dir.theta * 180.0 / std::numbers::pi;
        canvas.selectRotatedFont(
            static_cast<int>(std::lround(degrees) * static_cast<long>(kTenthsPerDegree)));
        canvas.drawText(ox, oy, label);

        found = false;
        s = h;
        path = 0.0;
        reference = d[h];
    }
    canvas.selectRotatedFont(0);
    canvas.restoreTextColor();
    // The canvas keeps no earlier background mode to return to; transparent
    // is what it starts with.
}

}  // namespace

void drawIsolinePiece(DrawingCanvas& canvas, const Line& piece, const IsolineFormat& format) {
    const std::vector<LinePoint>& p = piece.points();
    if (p.empty()) return;
    const DRect& box = piece.extent();
    const WorldRect v = canvas.visibleWorld();
    if (box.maxX < v.xmin || box.minX > v.xmax || box.maxY < v.ymin || box.minY > v.ymax) return;

    std::vector<gdi::Point> d(p.size());
    for (std::size_t i = 0; i < p.size(); ++i) d[i] = canvas.toDevice(p[i].x, p[i].y);
    canvas.setPenWidth(std::max(format.widthLine, 0));
    canvas.setPen(penStyleOf(format.penStyle), format.colorLine);
    canvas.polyline(d.data(), d.size());
    canvas.setPenWidth(0);
    canvas.deletePen();

    if (format.badgetShow == 0 || p.size() < IsolineFormat::kMinLabelPoints) return;
    drawLabels(canvas, piece.value, p, d, format);
}

void drawIsoline(DrawingCanvas& canvas, const Isoline& isoline) {
    canvas.selectFont(isoline.format.font);
    for (const Line& piece : isoline.pieces().lines()) {
        drawIsolinePiece(canvas, piece, isoline.format);
    }
    canvas.restoreGeneralFont();
}

void drawIsolines(DrawingCanvas& canvas, const IsolineSet& set) {
    if (set.show == 0) return;
    for (std::size_t i = 0; i < set.size(); ++i) drawIsoline(canvas, *set.at(static_cast<int>(i)));
}

}  // namespace gridova
