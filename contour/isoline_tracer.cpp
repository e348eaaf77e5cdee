// Isoline tracing; the notation and the rules are in isoline_tracer.h.
#include "contour/isoline_tracer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "grid/eq_net.h"
#include "platform/messages.h"

namespace gridova {

namespace {

// Directions of travel of the closed-line follower.
constexpr int kEast = 1;
constexpr int kSouth = 2;
constexpr int kWest = 3;
constexpr int kNorth = 4;

constexpr int turnRight(int direction) { return direction % 4 + 1; }
constexpr int turnLeft(int direction) { return (direction + 2) % 4 + 1; }

constexpr double kMaxFraction = 1.0;  // the limit of |g|
constexpr double kHalf = 0.5;

// The interpolation of the header comment, for one coordinate.
inline double interpolate(double tp, double tq, double g) { return tq - (tq - tp) * g; }

inline double edgeFraction(double vp, double vq, double level) {
    return std::clamp((vq - level) / (vq - vp), -kMaxFraction, kMaxFraction);
}

}  // namespace

LinePoint isolineEdgePoint(const EqNet& grid, std::size_t p, std::size_t q, double level) {
    const auto [xp, yp] = grid.nodeXY(static_cast<std::int32_t>(p));
    const auto [xq, yq] = grid.nodeXY(static_cast<std::int32_t>(q));
    const auto count = static_cast<std::size_t>(grid.empty() ? 0 : grid.nodeCount());
    const auto& mask = grid.mask();
    const auto& v = grid.values();
    const bool known = p < count && q < count && v.size() == count;
    const bool takesPart =
        known && (mask.size() != count || (mask[p] != kMaskOutside && mask[q] != kMaskOutside));
    if (!takesPart) return {(xp + xq) * kHalf, (yp + yq) * kHalf};
    const double g = edgeFraction(v[p], v[q], level);
    return {interpolate(xp, xq, g), interpolate(yp, yq, g)};
}

IsolineTracer::IsolineTracer(const EqNet& grid) : grid_(grid), nx_(grid.nx()), ny_(grid.ny()) {
    const auto count = static_cast<std::size_t>(grid.empty() ? 0 : grid.nodeCount());
    try {
        usable_.assign(count, 0);
        flags_.assign(count, 0);
        rows_.assign(count == 0 ? 0 : 2 * (static_cast<std::size_t>(nx_) + 1), 0);
    } catch (const std::bad_alloc&) {
        usable_ = {};
        flags_ = {};
        rows_ = {};
        outOfMemory();
        return;
    }
    ready_ = true;
    if (count == 0 || grid.values().size() != count) return;
    values_ = grid.values().data();
    const auto& mask = grid.mask();
    const bool hasMask = mask.size() == count;
    const auto takesPart = [&](std::size_t n) { return !hasMask || mask[n] != kMaskOutside; };
    for (std::int32_t j = 0; j < ny_; ++j) {
        for (std::int32_t i = 0; i < nx_; ++i) {
            const std::size_t n = node(i, j);
            if (!takesPart(n)) continue;
            std::uint8_t u = 0;
            if (i < nx_ - 1 && takesPart(n + 1)) u |= kCrossedH;
            if (j < ny_ - 1 && takesPart(n + static_cast<std::size_t>(nx_))) u |= kCrossedV;
            usable_[n] = u;
        }
    }
}

int IsolineTracer::traceAll(std::span<const double> levels, IsolineSink& sink) {
    for (std::size_t k = 0; k < levels.size(); ++k) {
        if (traceLevel(levels[k], k, sink) != 0) return -1;
    }
    return 0;
}

int IsolineTracer::traceLevel(double level, std::size_t levelIndex, IsolineSink& sink) {
    if (!ready_) return -1;
    if (values_ == nullptr) return 0;
    level_ = level;
    try {
        markEdges();
        traceOpenLines(levelIndex, sink);
        traceClosedLines(levelIndex, sink);
    } catch (const std::bad_alloc&) {
        points_ = {};
        outOfMemory();
        return -1;
    }
    return 0;
}

// --- Marking -------------------------------------------------------------------

void IsolineTracer::markEdges() {
    const double f = level_;
    const auto nx = static_cast<std::size_t>(nx_);
    const auto ny = static_cast<std::size_t>(ny_);
    // Two rows of "above" bytes (0 or 1), each padded with a 0 at the end so
    // the right neighbour of the last column can be read; the usable bits
    // have no H there, nor V on the last row.
    std::uint8_t* low = rows_.data();
    std::uint8_t* high = low + nx + 1;
    const auto classify = [&](std::size_t j, std::uint8_t* row) {
        const double* v = values_ + j * nx;
        for (std::size_t i = 0; i < nx; ++i) row[i] = v[i] > f ? 1 : 0;
        row[nx] = 0;
    };
    classify(0, low);
    for (std::size_t j = 0; j < ny; ++j) {
        if (j + 1 < ny) {
            classify(j + 1, high);
        } else {
            high = low;
        }
        const std::uint8_t* use = usable_.data() + j * nx;
        std::uint8_t* out = flags_.data() + j * nx;
        // Eight nodes at a time: the bytes are 0 or 1, so the shift stays
        // within each byte.
        std::size_t i = 0;
        for (; i + sizeof(std::uint64_t) <= nx; i += sizeof(std::uint64_t)) {
            std::uint64_t above, right, up, usable;
            std::memcpy(&above, low + i, sizeof above);
            std::memcpy(&right, low + i + 1, sizeof right);
            std::memcpy(&up, high + i, sizeof up);
            std::memcpy(&usable, use + i, sizeof usable);
            const std::uint64_t crossed = usable & ((above ^ right) | ((above ^ up) << 1));
            std::memcpy(out + i, &crossed, sizeof crossed);
        }
        for (; i < nx; ++i) {
            const unsigned crossed = (low[i] ^ low[i + 1]) | ((low[i] ^ high[i]) << 1);
            out[i] = use[i] & static_cast<std::uint8_t>(crossed);
        }
        std::swap(low, high);
    }
}

std::size_t IsolineTracer::nextFlagged(std::size_t from) const {
    const std::size_t count = flags_.size();
    const std::uint8_t* flags = flags_.data();
    std::size_t n = from;
    // Most nodes have no crossed edge: skip them eight at a time.
    while (n + sizeof(std::uint64_t) <= count) {
        std::uint64_t word;
        std::memcpy(&word, flags + n, sizeof word);
        if (word != 0) break;
        n += sizeof word;
    }
    while (n < count && flags[n] == 0) ++n;
    return n;
}

// --- Small helpers -----------------------------------------------------------------

std::size_t IsolineTracer::node(std::int32_t i, std::int32_t j) const {
    return static_cast<std::size_t>(i) +
           static_cast<std::size_t>(j) * static_cast<std::size_t>(nx_);
}

bool IsolineTracer::cellExists(std::int32_t ci, std::int32_t cj) const {
    return ci >= 0 && cj >= 0 && ci < nx_ - 1 && cj < ny_ - 1;
}

// Callers only ask for edges of existing cells, whose nodes are in the grid.
bool IsolineTracer::crossed(const Edge& e) const { return (flags_[node(e.i, e.j)] & e.kind) != 0; }

void IsolineTracer::clear(const Edge& e) {
    flags_[node(e.i, e.j)] &= static_cast<std::uint8_t>(~e.kind);
}

bool IsolineTracer::centreOnSideOf(std::int32_t ci, std::int32_t cj, std::size_t s) const {
    const std::size_t c = node(ci, cj);
    const auto nx = static_cast<std::size_t>(nx_);
    const double centre = (values_[c] + values_[c + 1] + values_[c + nx] + values_[c + nx + 1]) / 4;
    return values_[s] >= level_ ? centre > level_ : centre < level_;
}

int IsolineTracer::otherCrossings(std::int32_t ci, std::int32_t cj, const Edge& except) const {
    if (!cellExists(ci, cj)) return 0;
    const Edge edges[] = {
        {ci, cj, kCrossedH}, {ci + 1, cj, kCrossedV}, {ci, cj + 1, kCrossedH}, {ci, cj, kCrossedV}};
    int count = 0;
    for (const Edge& e : edges) {
        const bool same = e.i == except.i && e.j == except.j && e.kind == except.kind;
        if (!same && crossed(e)) ++count;
    }
    return count;
}

void IsolineTracer::appendPoint(const Edge& e) {
    const std::size_t p = node(e.i, e.j);
    const std::size_t q = e.kind == kCrossedH ? p + 1 : p + static_cast<std::size_t>(nx_);
    const double g = edgeFraction(values_[p], values_[q], level_);
    const auto ip = static_cast<std::size_t>(e.i);
    const auto jp = static_cast<std::size_t>(e.j);
    const std::size_t iq = e.kind == kCrossedH ? ip + 1 : ip;
    const std::size_t jq = e.kind == kCrossedV ? jp + 1 : jp;
    const auto& x = grid_.nodeX();
    const auto& y = grid_.nodeY();
    points_.push_back({interpolate(x[ip], x[iq], g), interpolate(y[jp], y[jq], g)});
}

void IsolineTracer::handOver(std::size_t levelIndex, bool reverse, IsolineSink& sink) {
    if (reverse) std::reverse(points_.begin(), points_.end());
    Line line(std::vector<LinePoint>(points_.begin(), points_.end()));
    line.value = level_;
    sink.addLine(levelIndex, std::move(line));
}

// --- Open lines -------------------------------------------------------------------

std::uint8_t IsolineTracer::startKind(std::int32_t i, std::int32_t j) const {
    const std::uint8_t f = flags_[node(i, j)];
    if ((f & kCrossedV) != 0) {
        const Edge e{i, j, kCrossedV};
        if (otherCrossings(i, j, e) == 0 || otherCrossings(i - 1, j, e) == 0) return kCrossedV;
    }
    if ((f & kCrossedH) != 0) {
        const Edge e{i, j, kCrossedH};
        if (otherCrossings(i, j, e) == 0 || otherCrossings(i, j - 1, e) == 0) return kCrossedH;
    }
    return 0;
}

bool IsolineTracer::nextEdge(const Edge& from, Edge& next) const {
    const std::int32_t i = from.i, j = from.j;
    const std::size_t s = node(i, j);  // the saddle test's corner: the edge's start node
    // One cell beside the edge: its three other edges and, for a saddle, the
    // exit when the centre is on s's side (cutting off the edge's other end)
    // and the exit when it is not (cutting off s).
    const auto tryCell = [&](std::int32_t ci, std::int32_t cj, const Edge(&others)[3],
                             const Edge& sameSide, const Edge& otherSide) {
        if (!cellExists(ci, cj)) return false;
        int count = 0;
        for (const Edge& e : others) {
            if (crossed(e)) {
                ++count;
                next = e;
            }
        }
        if (count == 3) next = centreOnSideOf(ci, cj, s) ? sameSide : otherSide;
        return count == 1 || count == 3;
    };
    if (from.kind == kCrossedV) {
        // The right cell, then the left one; saddle exits top or bottom.
        for (const std::int32_t ci : {i, i - 1}) {
            const Edge top{ci, j + 1, kCrossedH};
            const Edge bottom{ci, j, kCrossedH};
            const Edge others[3] = {top, {ci == i ? i + 1 : i - 1, j, kCrossedV}, bottom};
            if (tryCell(ci, j, others, top, bottom)) return true;
        }
        return false;
    }
    // The upper cell, then the lower one; saddle exits right or left.
    for (const std::int32_t cj : {j, j - 1}) {
        const Edge right{i + 1, cj, kCrossedV};
        const Edge left{i, cj, kCrossedV};
        const Edge others[3] = {{i, cj == j ? j + 1 : j - 1, kCrossedH}, right, left};
        if (tryCell(i, cj, others, right, left)) return true;
    }
    return false;
}

void IsolineTracer::traceOpenLines(std::size_t levelIndex, IsolineSink& sink) {
    const auto nx = static_cast<std::size_t>(nx_);
    for (std::size_t n = nextFlagged(0); n < flags_.size(); n = nextFlagged(n + 1)) {
        const auto j = static_cast<std::int32_t>(n / nx);
        const auto i = static_cast<std::int32_t>(n - static_cast<std::size_t>(j) * nx);
        // A node can hold the ends of two lines (V(n) and H(n) on either
        // side of a saddle); it is tested again after each line.
        while (flags_[n] != 0) {
            const std::uint8_t kind = startKind(i, j);
            if (kind == 0) break;
            Edge edge{i, j, kind};
            // The cell the line must run into to have the above node on its
            // left: right of V(n) when n + nx is above, below H(n) when n + 1
            // is above, else the other one. With 0 or 2 other crossings that
            // cell is where the line comes from: it is traced the wrong way
            // round and reversed.
            int count = 0;
            if (kind == kCrossedV) {
                const bool topAbove = values_[n + nx] > level_;
                count = otherCrossings(topAbove ? i : i - 1, j, edge);
            } else {
                const bool rightAbove = values_[n + 1] > level_;
                count = otherCrossings(i, rightAbove ? j - 1 : j, edge);
            }
            const bool reverse = count == 0 || count == 2;
            points_.clear();
            appendPoint(edge);
            clear(edge);
            Edge next;
            while (nextEdge(edge, next)) {
                edge = next;
                appendPoint(edge);
                clear(edge);
            }
            handOver(levelIndex, reverse, sink);
        }
    }
}

// --- Closed lines -----------------------------------------------------------------

void IsolineTracer::followLoop(Edge edge, int direction) {
    for (;;) {
        // The cell entered, its right-hand, straight-ahead and left-hand
        // edges and the reference corner for a saddle: the end of the entry
        // edge on the traveller's right.
        std::int32_t ci = edge.i, cj = edge.j;
        Edge sides[3];  // right-hand, straight ahead, left-hand
        std::size_t reference = 0;
        switch (direction) {
            case kEast:  // through V(n) into cell n
                sides[0] = {ci, cj, kCrossedH};
                sides[1] = {ci + 1, cj, kCrossedV};
                sides[2] = {ci, cj + 1, kCrossedH};
                reference = node(edge.i, edge.j);
                break;
            case kWest:  // through V(n) into cell n − 1
                ci -= 1;
                sides[0] = {ci, cj + 1, kCrossedH};
                sides[1] = {ci, cj, kCrossedV};
                sides[2] = {ci, cj, kCrossedH};
                reference = node(edge.i, edge.j + 1);
                break;
            case kNorth:  // through H(n) into cell n
                sides[0] = {ci + 1, cj, kCrossedV};
                sides[1] = {ci, cj + 1, kCrossedH};
                sides[2] = {ci, cj, kCrossedV};
                reference = node(edge.i + 1, edge.j);
                break;
            default:  // kSouth: through H(n) into cell n − nx
                cj -= 1;
                sides[0] = {ci, cj, kCrossedV};
                sides[1] = {ci, cj, kCrossedH};
                sides[2] = {ci + 1, cj, kCrossedV};
                reference = node(edge.i, edge.j);
                break;
        }
        if (!cellExists(ci, cj)) return;
        clear(edge);
        int count = 0;
        int way = -1;  // 0 right-hand, 1 straight ahead, 2 left-hand
        for (int k = 0; k < 3; ++k) {
            if (crossed(sides[k])) {
                ++count;
                way = k;
            }
        }
        if (count == 3) {
            // A saddle: cutting off the reference corner is the right turn.
            way = centreOnSideOf(ci, cj, reference) ? 2 : 0;
        } else if (count != 1) {
            // None left: back at the start edge. (Two would mean three
            // crossings in one cell, which a loop cannot pass consistently.)
            return;
        }
        edge = sides[way];
        if (way == 0) direction = turnRight(direction);
        if (way == 2) direction = turnLeft(direction);
        appendPoint(edge);
        clear(edge);
    }
}

void IsolineTracer::traceClosedLines(std::size_t levelIndex, IsolineSink& sink) {
    const auto nx = static_cast<std::size_t>(nx_);
    for (std::size_t n = nextFlagged(0); n < flags_.size(); n = nextFlagged(n + 1)) {
        const auto j = static_cast<std::int32_t>(n / nx);
        const auto i = static_cast<std::int32_t>(n - static_cast<std::size_t>(j) * nx);
        while (flags_[n] != 0) {
            const bool vertical = (flags_[n] & kCrossedV) != 0;
            const Edge start{i, j, vertical ? kCrossedV : kCrossedH};
            // East along V(n) leaves n + nx on the left. (A first node with
            // H(n) alone does not occur once the open lines are traced: the
            // cell below H(n) would make it a line end. It is followed north
            // as it stands.)
            const bool reverse = vertical && !(values_[n + nx] > level_);
            points_.clear();
            appendPoint(start);
            clear(start);
            followLoop(start, vertical ? kEast : kNorth);
            const LinePoint first = points_.front();
            points_.push_back(first);
            handOver(levelIndex, reverse, sink);
        }
    }
}

}  // namespace gridova
