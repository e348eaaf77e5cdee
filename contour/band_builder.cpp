#include "contour/band_builder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <thread>

#include "platform/message_log.h"

namespace gridova {

namespace {

constexpr double kMargin = 1e-6;
constexpr std::int32_t kNone = -1;

// Point identities: a crossing of level 0 (lower) or 1 (upper) on an edge,
// or a grid node on the area's border.
class BandTopology {
public:
    explicit BandTopology(const EqNet& grid)
        : grid_(grid),
          nx_(grid.nx()),
          ny_(grid.ny()),
          horizontal_(static_cast<std::int64_t>(nx_ - 1) * ny_),
          vertical_(static_cast<std::int64_t>(nx_) * (ny_ - 1)) {}

    std::int64_t hEdge(std::int32_t i, std::int32_t j) const {
        return i + static_cast<std::int64_t>(j) * (nx_ - 1);
    }
    std::int64_t vEdge(std::int32_t i, std::int32_t j) const {
        return horizontal_ + i + static_cast<std::int64_t>(j) * nx_;
    }
    std::int64_t crossing(std::int64_t edge, int level) const { return edge * 2 + level; }
    std::int64_t node(std::int64_t n) const { return 2 * (horizontal_ + vertical_) + n; }
    std::int64_t idCount() const {
        return 2 * (horizontal_ + vertical_) + static_cast<std::int64_t>(nx_) * ny_;
    }

    // The position of a point: crossings are interpolated from the edge's
    // first node (the one with the smaller index), so that every cell that
    // meets the edge finds the same point.
    LinePoint position(std::int64_t id, const double* levels) const {
        const std::int64_t nodes = static_cast<std::int64_t>(nx_) * ny_;
        if (id >= 2 * (horizontal_ + vertical_)) {
            const std::int64_t n = id - 2 * (horizontal_ + vertical_);
            if (n >= nodes) return {};
            const auto [x, y] = grid_.nodeXY(static_cast<std::int32_t>(n));
            return {x, y};
        }
        const std::int64_t edge = id / 2;
        const double level = levels[id % 2];
        std::int64_t a = 0, b = 0;
        if (edge < horizontal_) {
            const std::int64_t i = edge % (nx_ - 1), j = edge / (nx_ - 1);
            a = i + j * nx_;
            b = a + 1;
        } else {
            const std::int64_t e = edge - horizontal_;
            a = e;
            b = e + nx_;
        }
        const double va = grid_.values()[static_cast<std::size_t>(a)];
        const double vb = grid_.values()[static_cast<std::size_t>(b)];
        const auto [xa, ya] = grid_.nodeXY(static_cast<std::int32_t>(a));
        const auto [xb, yb] = grid_.nodeXY(static_cast<std::int32_t>(b));
        double t = vb != va ? (level - va) / (vb - va) : 0.5;
        t = std::clamp(t, 0.0, 1.0);
        return {xa + t * (xb - xa), ya + t * (yb - ya)};
    }

private:
    const EqNet& grid_;
    std::int32_t nx_, ny_;
    std::int64_t horizontal_, vertical_;
};

struct Segment {
    std::int64_t from, to;
};

// What every band asks of a cell, worked out once for all bands: whether it
// is inside, which of its edges lie on the area's border, its corners'
// smallest and largest values.
struct CellTable {
    static constexpr std::uint8_t kInside = 1;
    static constexpr std::uint8_t kBorder0 = 2;  // edges anticlockwise from the bottom: 2, 4, 8, 16

    explicit CellTable(const EqNet& grid) {
        const std::int32_t nx = grid.nx(), ny = grid.ny();
        if (nx < 2 || ny < 2 || !grid.hasValues()) return;
        cx = nx - 1;
        cy = ny - 1;
        const std::size_t cells = static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy);
        flags.assign(cells, 0);
        lo.assign(cells, 0);
        hi.assign(cells, 0);
        const auto& v = grid.values();
        const auto insideNode = [&](std::size_t n) {
            return (!grid.hasMask() || grid.mask()[n] != kMaskOutside) && std::isfinite(v[n]);
        };
        for (std::int32_t j = 0; j < cy; ++j) {
            for (std::int32_t i = 0; i < cx; ++i) {
                const std::size_t n = static_cast<std::size_t>(i) +
                                      static_cast<std::size_t>(j) * static_cast<std::size_t>(nx);
                const std::size_t c = index(i, j);
                if (!(insideNode(n) && insideNode(n + 1) &&
                      insideNode(n + static_cast<std::size_t>(nx)) &&
                      insideNode(n + static_cast<std::size_t>(nx) + 1))) {
                    continue;
                }
                flags[c] = kInside;
                lo[c] = std::min({v[n], v[n + 1], v[n + static_cast<std::size_t>(nx)],
                                  v[n + static_cast<std::size_t>(nx) + 1]});
                hi[c] = std::max({v[n], v[n + 1], v[n + static_cast<std::size_t>(nx)],
                                  v[n + static_cast<std::size_t>(nx) + 1]});
            }
        }
        for (std::int32_t j = 0; j < cy; ++j) {
            for (std::int32_t i = 0; i < cx; ++i) {
                std::uint8_t& f = flags[index(i, j)];
                if ((f & kInside) == 0) continue;
                if (!inside(i, j - 1)) f |= kBorder0;
                if (!inside(i + 1, j)) f |= kBorder0 << 1;
                if (!inside(i, j + 1)) f |= kBorder0 << 2;
                if (!inside(i - 1, j)) f |= kBorder0 << 3;
            }
        }
    }
    std::size_t index(std::int32_t i, std::int32_t j) const {
        return static_cast<std::size_t>(i) +
               static_cast<std::size_t>(j) * static_cast<std::size_t>(cx);
    }
    bool inside(std::int32_t i, std::int32_t j) const {
        if (i < 0 || j < 0 || i >= cx || j >= cy) return false;
        return (flags[index(i, j)] & kInside) != 0;
    }

    std::int32_t cx = 0, cy = 0;
    std::vector<std::uint8_t> flags;
    std::vector<double> lo, hi;
};

// The directed boundary segments of one band, the band on their left.
class BandTracer {
public:
    BandTracer(const EqNet& grid, const CellTable& cells, double lower, double upper)
        : grid_(grid), cells_(cells), topo_(grid), levels_{lower, upper} {}

    BandBoundaries trace() {
        const std::int32_t nx = grid_.nx(), ny = grid_.ny();
        if (nx < 2 || ny < 2 || !grid_.hasValues()) return {};
        collectSegments(nx, ny);
        return joinSegments();
    }

private:
    double value(std::int64_t n) const { return grid_.values()[static_cast<std::size_t>(n)]; }
    bool inBand(double v) const { return v > levels_[0] && v <= levels_[1]; }

    void collectSegments(std::int32_t nx, std::int32_t ny) {
        const double lower = levels_[0], upper = levels_[1];
        for (std::int32_t j = 0; j < ny - 1; ++j) {
            std::size_t c = cells_.index(0, j);
            for (std::int32_t i = 0; i < nx - 1; ++i, ++c) {
                const std::uint8_t f = cells_.flags[c];
                if (f == 0) continue;
                // Wholly below or above: nothing of the band. Wholly in it:
                // only border edges count.
                const double lo = cells_.lo[c], hi = cells_.hi[c];
                if (hi <= lower || lo > upper) continue;
                if (lo > lower && hi <= upper && f == CellTable::kInside) continue;
                cell(i, j, f);
            }
        }
    }

    // One cell: its contour chords of both levels, and the parts of its
    // edges on the area's border that lie in the band.
    void cell(std::int32_t i, std::int32_t j, std::uint8_t flags) {
        const std::int32_t nx = grid_.nx();
        const std::int64_t n0 = i + static_cast<std::int64_t>(j) * nx;
        // Corners anticlockwise from the lower left, and the edges between
        // them in the same order.
        const std::array<std::int64_t, 4> corner{n0, n0 + 1, n0 + nx + 1, n0 + nx};
        const std::array<std::int64_t, 4> edge{topo_.hEdge(i, j), topo_.vEdge(i + 1, j),
                                               topo_.hEdge(i, j + 1), topo_.vEdge(i, j)};
        const std::array<double, 4> v{value(corner[0]), value(corner[1]), value(corner[2]),
                                      value(corner[3])};
        const double mean = (v[0] + v[1] + v[2] + v[3]) / 4;
        for (int level = 0; level < 2; ++level) chords(v, edge, mean, level);
        // Border edges: the neighbouring cell across the edge is not inside.
        for (int k = 0; k < 4; ++k) {
            if ((flags & (CellTable::kBorder0 << k)) != 0) borderEdge(corner, edge, v, k);
        }
    }

    void chords(const std::array<double, 4>& v, const std::array<std::int64_t, 4>& edge,
                double mean, int level) {
        const double l = levels_[static_cast<std::size_t>(level)];
        // Crossings in anticlockwise order: "down" where the way round goes
        // from above the level to at or below it, "up" the other way.
        std::array<std::int64_t, 4> id{};
        std::array<bool, 4> down{};
        int count = 0;
        for (int k = 0; k < 4; ++k) {
            const bool a = v[static_cast<std::size_t>(k)] > l;
            const bool b = v[static_cast<std::size_t>((k + 1) % 4)] > l;
            if (a == b) continue;
            id[static_cast<std::size_t>(count)] =
                topo_.crossing(edge[static_cast<std::size_t>(k)], level);
            down[static_cast<std::size_t>(count)] = a;
            ++count;
        }
        if (count < 2) return;
        // Each down crossing pairs with an up crossing: the next one round
        // when the cell's middle is above the level (the corners above are
        // joined), else the one before.
        const bool joinedAbove = mean > l;
        for (int k = 0; k < count; ++k) {
            if (!down[static_cast<std::size_t>(k)]) continue;
            const int partner = joinedAbove ? (k + 1) % count : (k + count - 1) % count;
            const std::int64_t a = id[static_cast<std::size_t>(k)];
            const std::int64_t b = id[static_cast<std::size_t>(partner)];
            // The band lies above the lower level and at or below the upper.
            if (level == 0) {
                segments_.push_back({a, b});
            } else {
                segments_.push_back({b, a});
            }
        }
    }

    // The band's stretches of edge k (from corner k to corner k + 1).
    void borderEdge(const std::array<std::int64_t, 4>& corner,
                    const std::array<std::int64_t, 4>& edge, const std::array<double, 4>& v,
                    int k) {
        const double va = v[static_cast<std::size_t>(k)];
        const double vb = v[static_cast<std::size_t>((k + 1) % 4)];
        struct Stop {
            double t;
            std::int64_t id;
        };
        std::array<Stop, 4> stops{};
        int count = 0;
        stops[static_cast<std::size_t>(count++)] = {
            0.0, topo_.node(corner[static_cast<std::size_t>(k)])};
        for (int level = 0; level < 2; ++level) {
            const double l = levels_[static_cast<std::size_t>(level)];
            if ((va > l) == (vb > l)) continue;
            const double t = (l - va) / (vb - va);
            stops[static_cast<std::size_t>(count++)] = {
                t, topo_.crossing(edge[static_cast<std::size_t>(k)], level)};
        }
        stops[static_cast<std::size_t>(count++)] = {
            1.0, topo_.node(corner[static_cast<std::size_t>((k + 1) % 4)])};
        if (count == 4 && stops[1].t > stops[2].t) std::swap(stops[1], stops[2]);
        for (int s = 0; s + 1 < count; ++s) {
            const double tm =
                (stops[static_cast<std::size_t>(s)].t + stops[static_cast<std::size_t>(s + 1)].t) /
                2;
            if (inBand(va + tm * (vb - va))) {
                segments_.push_back({stops[static_cast<std::size_t>(s)].id,
                                     stops[static_cast<std::size_t>(s + 1)].id});
            }
        }
    }

    BandBoundaries joinSegments() {
        BandBoundaries out;
        if (segments_.empty()) return out;
        // Outgoing segments by start point, sorted: a point has one, or two
        // where the area's border pinches at a node.
        std::vector<std::size_t> order(segments_.size());
        for (std::size_t k = 0; k < order.size(); ++k) order[k] = k;
        std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            return segments_[a].from < segments_[b].from;
        });
        std::vector<std::int64_t> starts(order.size());
        for (std::size_t k = 0; k < order.size(); ++k) starts[k] = segments_[order[k]].from;
        std::vector<char> used(segments_.size(), 0);
        const auto outgoing = [&](std::int64_t point) -> std::int64_t {
            auto it = std::lower_bound(starts.begin(), starts.end(), point);
            for (; it != starts.end() && *it == point; ++it) {
                const std::size_t s = order[static_cast<std::size_t>(it - starts.begin())];
                if (used[s] == 0) return static_cast<std::int64_t>(s);
            }
            return kNone;
        };
        std::vector<LinePoint> points;
        for (std::size_t first = 0; first < segments_.size(); ++first) {
            if (used[first] != 0) continue;
            points.clear();
            std::int64_t s = static_cast<std::int64_t>(first);
            const std::int64_t start = segments_[first].from;
            while (s != kNone) {
                used[static_cast<std::size_t>(s)] = 1;
                const LinePoint p =
                    topo_.position(segments_[static_cast<std::size_t>(s)].from, levels_.data());
                if (points.empty() || !(points.back() == p)) points.push_back(p);
                const std::int64_t to = segments_[static_cast<std::size_t>(s)].to;
                if (to == start) break;
                s = outgoing(to);
            }
            if (points.size() < 3) continue;
            points.push_back(points.front());
            // The sign of the shoelace sum tells outer boundaries from holes.
            double twice = 0;
            for (std::size_t k = 0; k + 1 < points.size(); ++k) {
                twice += points[k].x * points[k + 1].y - points[k + 1].x * points[k].y;
            }
            if (twice == 0) continue;
            Line line(points);
            (twice > 0 ? out.outer : out.holes).push_back(std::move(line));
        }
        return out;
    }

    const EqNet& grid_;
    const CellTable& cells_;
    BandTopology topo_;
    std::array<double, 2> levels_;
    std::vector<Segment> segments_;
};

// A point just inside a polygon that turns anticlockwise: beside its lowest
// (then leftmost) vertex, along the bisector into the polygon.
LinePoint pointInside(const Line& polygon) {
    const std::vector<LinePoint>& p = polygon.points();
    const std::size_t n = p.size() - 1;  // closed: the last repeats the first
    std::size_t best = 0;
    for (std::size_t k = 1; k < n; ++k) {
        if (p[k].y < p[best].y || (p[k].y == p[best].y && p[k].x < p[best].x)) best = k;
    }
    const LinePoint v = p[best];
    const LinePoint prev = p[best == 0 ? n - 1 : best - 1];
    const LinePoint next = p[best + 1];
    const auto unit = [](double dx, double dy) {
        const double l = std::hypot(dx, dy);
        return l > 0 ? LinePoint{dx / l, dy / l} : LinePoint{0, 0};
    };
    const LinePoint a = unit(prev.x - v.x, prev.y - v.y);
    const LinePoint b = unit(next.x - v.x, next.y - v.y);
    const DRect& box = polygon.extent();
    const double eps = 1e-7 * std::max({box.width(), box.height(), 1e-300});
    return {v.x + eps * (a.x + b.x), v.y + eps * (a.y + b.y)};
}

struct Node {
    const Line* polygon = nullptr;
    LinePoint sample;
    std::vector<std::size_t> children;
};

}  // namespace

BandBoundaries traceBand(const EqNet& grid, double lower, double upper) {
    if (lower > upper) std::swap(lower, upper);
    const CellTable cells(grid);
    return BandTracer(grid, cells, lower, upper).trace();
}

std::vector<std::pair<double, double>> bandLimits(const std::vector<double>& b) {
    std::vector<std::pair<double, double>> limits;
    if (b.size() < 2) return limits;
    for (std::size_t k = 0; k + 1 < b.size(); ++k) {
        double lower = b[k], upper = b[k + 1];
        if (k == 0) {
            const double moved = lower - kMargin;
            lower = moved < lower ? moved
                                  : std::nextafter(lower, -std::numeric_limits<double>::infinity());
        }
        if (k + 2 == b.size()) {
            const double moved = upper + kMargin;
            upper = moved > upper ? moved
                                  : std::nextafter(upper, std::numeric_limits<double>::infinity());
        }
        if (lower > upper) std::swap(lower, upper);
        limits.emplace_back(lower, upper);
    }
    return limits;
}

std::unique_ptr<Bush> buildBands(const EqNet& grid) {
    if (grid.empty() || !grid.hasValues()) return nullptr;
    const ColorScale& scale = grid.colorScale;
    const std::vector<std::pair<double, double>> limits = bandLimits(scale.boundaries());
    const std::size_t n = limits.size();
    std::vector<BandBoundaries> bands(n);
    const CellTable cells(grid);
    // Bands on both cores; each band's result is its own.
    const unsigned workers = std::max(1u, std::min(2u, std::thread::hardware_concurrency()));
    const auto work = [&](unsigned w) {
        for (std::size_t k = w; k < n; k += workers) {
            bands[k] = BandTracer(grid, cells, limits[k].first, limits[k].second).trace();
            bands[k].holes.clear();
        }
    };
    if (workers > 1 && n > 1) {
        std::thread helper(work, 1u);
        work(0);
        helper.join();
    } else {
        for (unsigned w = 0; w < workers; ++w) work(w);
    }

    auto root = std::make_unique<Bush>();
    ColorPalette palette;
    for (const auto& [lower, upper] : limits) palette.push_back(scale.colorOf((lower + upper) / 2));
    root->setPalette(std::move(palette));

    // Every polygon below the deepest one that holds it: taken largest
    // first, each finds its place from the top.
    struct Entry {
        std::size_t band;
        Line* polygon;
        double area;
        LinePoint sample;
    };
    std::vector<Entry> entries;
    for (std::size_t k = 0; k < n; ++k) {
        for (Line& polygon : bands[k].outer) {
            polygon.value = limits[k].second;
            polygon.style.typeDraw = LineStyle::kFilled;
            polygon.style.fillColor = -1 - static_cast<std::int32_t>(k);
            polygon.style.colorLine = -1 - static_cast<std::int32_t>(k);
            entries.push_back({k, &polygon, polygon.area(), pointInside(polygon)});
        }
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry& a, const Entry& b) { return a.area > b.area; });
    std::vector<Node> nodes;
    std::vector<Bush*> groups;
    std::vector<std::size_t> top;
    for (const Entry& e : entries) {
        constexpr std::size_t kTop = static_cast<std::size_t>(-1);
        std::size_t parentNode = kTop;
        for (;;) {
            const std::vector<std::size_t>& level =
                parentNode == kTop ? top : nodes[parentNode].children;
            std::size_t next = kTop;
            for (const std::size_t c : level) {
                const Line& container = *nodes[c].polygon;
                if (container.extent().contains(e.sample.x, e.sample.y) &&
                    container.contains(e.sample.x, e.sample.y)) {
                    next = c;
                    break;
                }
            }
            if (next == kTop) break;
            parentNode = next;
        }
        Bush* parent = parentNode == kTop ? root.get() : groups[parentNode];
        Bush& added = parent->addChild(std::make_unique<Bush>());
        added.addItem(BushItem(std::move(*e.polygon)));
        const std::size_t index = nodes.size();
        nodes.push_back({added.item(0).line(), e.sample, {}});
        groups.push_back(&added);
        (parentNode == kTop ? top : nodes[parentNode].children).push_back(index);
    }
    return root;
}

}  // namespace gridova
