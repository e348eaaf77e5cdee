#include "grid/polygon_region.h"

#include <algorithm>
#include <cmath>

namespace gridova {

namespace {

std::int32_t truncated(double v) {
    if (!(v > PolygonRegion::kMinCoordinate)) return PolygonRegion::kMinCoordinate;
    if (v > 2e9) return 2'000'000'000;
    return static_cast<std::int32_t>(v);  // toward zero
}

}  // namespace

PolygonRegion::PolygonRegion(const LineList& border) {
    bool first = true;
    for (const Line& line : border.lines()) {
        if (line.size() < 3) continue;
        if (first) {
            bounds_ = DRect(line.extent().minX, line.extent().minY, line.extent().maxX,
                            line.extent().maxY);
            first = false;
        } else {
            bounds_.include(line.extent());
        }
    }
    if (first) return;
    empty_ = false;
    const double w = bounds_.width(), h = bounds_.height();
    scaleX_ = w < DRect::kTolerance ? 0.0 : kRaster / w;
    scaleY_ = h < DRect::kTolerance ? 0.0 : kRaster / h;
    pixels_.assign(static_cast<std::size_t>(kSide) * kSide, 0);
    std::vector<std::int32_t> xs, ys;
    for (const Line& line : border.lines()) {
        if (line.size() < 3) continue;
        xs.clear();
        ys.clear();
        for (const LinePoint& p : line.points()) {
            xs.push_back(mapX(p.x));
            ys.push_back(mapY(p.y));
        }
        fillPolygon(xs, ys);
    }
}

std::int32_t PolygonRegion::mapX(double x) const { return truncated((x - bounds_.minX) * scaleX_); }

std::int32_t PolygonRegion::mapY(double y) const {
    return truncated(kRaster - (y - bounds_.minY) * scaleY_);
}

void PolygonRegion::fillPolygon(const std::vector<std::int32_t>& xs,
                                const std::vector<std::int32_t>& ys) {
    // Even-odd scan conversion at the pixel centres (x + 0.5, y + 0.5); the
    // polygon closes itself. Each polygon is filled on its own and the
    // pixels are united.
    const std::size_t n = xs.size();
    std::int32_t top = kSide, bottom = -1;
    for (std::size_t k = 0; k < n; ++k) {
        top = std::min(top, ys[k]);
        bottom = std::max(bottom, ys[k]);
    }
    top = std::max(top, 0);
    bottom = std::min(bottom, kSide - 1);
    // Active edges: sorted by their first row, taken in as the scan goes
    // down and dropped once passed.
    struct Edge {
        double x0, y0, x1, y1;
        double top, bottom;
    };
    std::vector<Edge> edges;
    edges.reserve(n);
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t m = (k + 1) % n;
        if (ys[k] == ys[m]) continue;  // horizontal edges cross no centre line
        edges.push_back({static_cast<double>(xs[k]), static_cast<double>(ys[k]),
                         static_cast<double>(xs[m]), static_cast<double>(ys[m]),
                         static_cast<double>(std::min(ys[k], ys[m])),
                         static_cast<double>(std::max(ys[k], ys[m]))});
    }
    std::sort(edges.begin(), edges.end(),
              [](const Edge& a, const Edge& b) { return a.top < b.top; });
    std::vector<const Edge*> active;
    std::vector<double> crossings;
    std::size_t next = 0;
    for (std::int32_t y = top; y <= bottom; ++y) {
        const double cy = y + 0.5;
        while (next < edges.size() && edges[next].top <= cy) active.push_back(&edges[next++]);
        crossings.clear();
        std::size_t kept = 0;
        for (const Edge* e : active) {
            if (e->bottom <= cy) continue;  // passed: dropped
            active[kept++] = e;
            if (e->top > cy) continue;
            crossings.push_back(e->x0 + (cy - e->y0) * (e->x1 - e->x0) / (e->y1 - e->y0));
        }
        active.resize(kept);
        if (crossings.size() < 2) continue;
        std::sort(crossings.begin(), crossings.end());
        std::uint8_t* out = &pixels_[static_cast<std::size_t>(y) * kSide];
        for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) {
            // Pixels whose centre x + 0.5 lies in [a, b).
            const double a = crossings[k], b = crossings[k + 1];
            const auto from = static_cast<std::int32_t>(std::max(0.0, std::ceil(a - 0.5)));
            const auto to =
                static_cast<std::int32_t>(std::min<double>(kSide - 1, std::ceil(b - 0.5) - 1));
            for (std::int32_t x = from; x <= to; ++x) out[x] = 1;
        }
    }
}

const std::uint8_t* PolygonRegion::row(std::int32_t y) const {
    if (empty_ || y < 0 || y >= kSide) return nullptr;
    return &pixels_[static_cast<std::size_t>(y) * kSide];
}

bool PolygonRegion::containsPixel(std::int32_t x, std::int32_t y) const {
    if (empty_ || x < 0 || y < 0 || x >= kSide || y >= kSide) return false;
    return pixels_[static_cast<std::size_t>(y) * kSide + static_cast<std::size_t>(x)] != 0;
}

bool PolygonRegion::contains(double x, double y) const {
    if (empty_ || !bounds_.contains(x, y)) return false;
    return containsPixel(mapX(x), mapY(y));
}

}  // namespace gridova
