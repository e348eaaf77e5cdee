// Inverse-distance weighting: how the engine computes nodes fast and still
// gives the values of the plain algorithm (the method itself is described in
// the header).
//
// One of three paths is chosen per run:
//
// A. Every point is a candidate (nearestPoints >= N, the driver's default)
//    and p = 2. The candidates are the points in point order, so a node's sums
//    are a fixed sequence of operations. kLanes nodes of a row are summed side
//    by side in one pass over the points (two per SSE2 register), each node
//    with exactly the operations of the scalar rule; a point beyond the radius
//    adds +0 (weight) and +0 * v, which leave the sums unchanged when the
//    values are finite (otherwise path B is taken). Exact hits are rare: a
//    node that had one is summed again by the scalar rule.
// B. Every point is a candidate and p != 2 (or a value is not finite, or the
//    target has no SSE2): the scalar rule per node.
// C. n = nearestPoints < N. The list is sorted once full, so it ends as the
//    n points least by (d^2, index), in that order: the first n points start
//    it, and every later point enters when it is nearer than the last entry
//    (insertion puts it after equal keys, and later points have larger
//    indexes). The engine takes the first n points into a bounded max-heap,
//    offers point n and then the other points from a cell index in rings of
//    growing distance (a ring stops the search once its nearest possible d^2
//    exceeds the heap's largest key), sorts the heap and sums it by the
//    scalar rule.
//
// All paths sum with the same scalar rule (addCandidate) in the order of the
// plain algorithm, so the node values agree bit for bit; the tests compare
// them on every path.
//
// Threads: with T > 1, T worker threads take rows in order from a shared
// counter, at most kRowsAheadPerThread x T rows beyond the rows the calling
// thread has counted. The calling thread counts finished rows in row order,
// stepping the progress bar and polling the cancel scope once per row. After
// a cancel no row is handed out any more; rows already handed out are
// finished and kept, so the rows done are always rows 0 .. k-1. A row is
// computed by the same code whichever thread takes it.
#include "grid/inverse_distance.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <limits>
#include <mutex>
#include <new>
#include <optional>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "data/point_set.h"
#include "platform/messages.h"
#include "platform/progress.h"

namespace gridova {
namespace {

using Point = InverseDistance::Point;

constexpr int kTextComputing = 321;  // "Расчет..."
constexpr int kTextStopped = 418;  // "Процесс остановлен пользователем"
constexpr int kProgressWidthPercent = 50;  // share of the status pane the bar takes

// Nodes summed side by side on path A.
constexpr int kLanes = 8;
// Mean number of points per cell of the cell index (path C).
constexpr double kPointsPerCell = 2.0;
// Rows the worker threads may take beyond the rows the calling thread has
// counted, per thread: bounds the rows still computed after a cancel.
constexpr int kRowsAheadPerThread = 8;
// Slack of the ring bound, in cells: points near a cell edge may be binned
// into the neighbouring cell by rounding.
constexpr double kCellMargin = 0.01;

// The parameters as one node's sums use them.
struct Rule {
    bool squared = true;      // p = 2: compare and weight with d^2
    double power = 2.0;       // p
    double radius = 0.0;      // data units
    double radius2 = 0.0;     // squared data units
    double tolerance = 0.0;   // data units
    double tolerance2 = 0.0;  // squared data units
    double plateau = 0.0;     // lower limit of d^2, squared data units
};

// The smallest tolerance used: a point exactly on a node is always a hit,
// even with a tolerance of 0 (a grid with repeated node coordinates), where
// its weight 1 / 0 would make the node NaN.
constexpr double kMinTolerance = 1e-150;  // its square is still above 0

Rule makeRule(const InverseDistanceParameters& p) {
    Rule r;
    r.squared = p.power == 2.0;
    r.power = p.power;
    // A radius of 0 (the data diagonal of points that all lie on one spot)
    // would leave every node but the one on the spot at 0: no limit then.
    const double radius = p.radius > 0 ? p.radius : std::numeric_limits<double>::infinity();
    r.radius = radius;
    r.radius2 = radius * radius;
    const double tolerance = std::max(p.tolerance, kMinTolerance);
    r.tolerance = tolerance;
    r.tolerance2 = tolerance * tolerance;
    r.plateau = p.plateau;
    return r;
}

struct NodeSums {
    double s = 0.0;       // sum of w * v
    double w = 0.0;       // sum of w
    bool onNode = false;  // an exact hit was seen
};

inline double raised(double d2, double plateau) { return d2 < plateau ? plateau : d2; }

inline double squaredDistance(double x, double y, const Point& p) {
    const double dy = y - p.y;
    const double dx = x - p.x;
    return dy * dy + dx * dx;
}

// Step 2 of the method for one candidate.
inline void addCandidate(NodeSums& sums, double d2, double v, const Rule& rule) {
    double d = 0.0;
    bool hit = false;
    bool far = false;
    if (rule.squared) {
        hit = d2 < rule.tolerance2;
        far = d2 > rule.radius2;
    } else {
        d = std::sqrt(d2);
        hit = d < rule.tolerance;
        far = d > rule.radius;
    }
    if (hit) {
        if (!sums.onNode) {
            sums.s = 0.0;
            sums.w = 0.0;
            sums.onNode = true;
        }
        sums.s += v;
        sums.w += 1.0;
        return;
    }
    if (far || sums.onNode) return;
    const double w = rule.squared ? 1.0 / d2 : 1.0 / std::pow(d, rule.power);
    sums.s += w * v;
    sums.w += w;
}

inline double nodeValue(const NodeSums& sums) {
    return sums.w > InverseDistance::kMinWeightSum ? sums.s / sums.w : 0.0;
}

// Paths A and B for one node: every point a candidate, in point order.
double allPointsValue(const std::vector<Point>& points, double x, double y, const Rule& rule) {
    NodeSums sums;
    for (const Point& p : points) {
        addCandidate(sums, raised(squaredDistance(x, y, p), rule.plateau), p.v, rule);
    }
    return nodeValue(sums);
}

#if defined(__SSE2__)
// Path A for kLanes nodes (x[l], y), two nodes per SSE2 register: s[l] and
// w[l] get the sums of node l as the scalar rule forms them while no exact
// hit occurs; nearest[l] gets its least raised d^2, to tell whether one did.
// Requires finite values (a far point adds +0 * v).
void sumLanes(const Point* points, std::size_t count, double y, const double* x, const Rule& rule,
              double* s, double* w, double* nearest) {
    constexpr int kPairs = kLanes / 2;
    const __m128d plateau = _mm_set1_pd(rule.plateau);
    const __m128d radius2 = _mm_set1_pd(rule.radius2);
    const __m128d one = _mm_set1_pd(1.0);
    __m128d nodeX[kPairs], sumS[kPairs], sumW[kPairs], least[kPairs];
    for (int m = 0; m < kPairs; ++m) {
        nodeX[m] = _mm_loadu_pd(x + 2 * m);
        sumS[m] = sumW[m] = _mm_setzero_pd();
        least[m] = _mm_set1_pd(std::numeric_limits<double>::infinity());
    }
    for (std::size_t k = 0; k < count; ++k) {
        const double dy = y - points[k].y;
        const __m128d dy2 = _mm_set1_pd(dy * dy);
        const __m128d px = _mm_set1_pd(points[k].x);
        const __m128d v = _mm_set1_pd(points[k].v);
        for (int m = 0; m < kPairs; ++m) {
            const __m128d dx = _mm_sub_pd(nodeX[m], px);
            // max(P, d2) is P > d2 ? P : d2: the raise to the plateau.
            const __m128d d2 = _mm_max_pd(plateau, _mm_add_pd(dy2, _mm_mul_pd(dx, dx)));
            least[m] = _mm_min_pd(d2, least[m]);
            // 1 / d^2, or +0 beyond the radius.
            const __m128d weight = _mm_andnot_pd(_mm_cmpgt_pd(d2, radius2), _mm_div_pd(one, d2));
            sumW[m] = _mm_add_pd(sumW[m], weight);
            sumS[m] = _mm_add_pd(sumS[m], _mm_mul_pd(weight, v));
        }
    }
    for (int m = 0; m < kPairs; ++m) {
        _mm_storeu_pd(s + 2 * m, sumS[m]);
        _mm_storeu_pd(w + 2 * m, sumW[m]);
        _mm_storeu_pd(nearest + 2 * m, least[m]);
    }
}
#endif

// A point with its key for path C: the raised d^2, ties broken by index.
struct Ranked {
    double key = 0.0;
    std::int32_t index = 0;
};

// The order of the candidate list; a function object, so that the heap
// algorithms inline it.
struct Before {
    bool operator()(const Ranked& a, const Ranked& b) const {
        return a.key < b.key || (a.key == b.key && a.index < b.index);
    }
};
constexpr Before before;

// The cell of coordinate t (in cells), clamped to 0 .. count-1.
int clampCell(double t, int count) {
    const double c = std::floor(t);
    if (!(c > 0.0)) return 0;
    if (c >= count - 1) return count - 1;
    return static_cast<int>(c);
}

// The points binned into square cells over their extent (path C).
struct CellIndex {
    double x0 = 0.0;    // left edge of column 0, data units
    double y0 = 0.0;    // lower edge of row 0, data units
    double size = 1.0;  // cell side, data units
    int gx = 1;         // columns
    int gy = 1;         // rows
    // Cell c = i + j * gx holds order[start[c] .. start[c + 1]), point
    // indices in ascending order.
    std::vector<std::int32_t> start;
    std::vector<std::int32_t> order;
    // Per cell: min X, max X, min Y, max Y of its points.
    std::vector<double> box;

    int column(double x) const { return clampCell((x - x0) / size, gx); }
    int row(double y) const { return clampCell((y - y0) / size, gy); }

    // Throws std::bad_alloc.
    void build(const std::vector<Point>& points, const InverseDistanceExtent& e) {
        const double width = e.maxX - e.minX;
        const double height = e.maxY - e.minY;
        const double cells = std::max(1.0, static_cast<double>(points.size()) / kPointsPerCell);
        // The larger bound keeps both counts at most cells + 1 for a thin extent.
        size = std::max(std::sqrt(width * height / cells), std::max(width, height) / cells);
        if (!(size > 0.0) || !std::isfinite(size)) size = 1.0;  // all points on one spot
        x0 = e.minX;
        y0 = e.minY;
        gx = static_cast<int>(std::min(std::floor(width / size), cells)) + 1;
        gy = static_cast<int>(std::min(std::floor(height / size), cells)) + 1;
        const std::size_t count = static_cast<std::size_t>(gx) * static_cast<std::size_t>(gy);
        start.assign(count + 1, 0);
        order.assign(points.size(), 0);
        box.assign(4 * count, 0.0);
        std::vector<std::int32_t> cellOf(points.size());
        for (std::size_t k = 0; k < points.size(); ++k) {
            const std::size_t c = static_cast<std::size_t>(column(points[k].x)) +
                                  static_cast<std::size_t>(row(points[k].y)) * gx;
            cellOf[k] = static_cast<std::int32_t>(c);
            ++start[c + 1];
        }
        for (std::size_t c = 0; c < count; ++c) start[c + 1] += start[c];
        std::vector<std::int32_t> fill(start.begin(), start.end() - 1);
        for (std::size_t k = 0; k < points.size(); ++k) {
            const std::size_t c = static_cast<std::size_t>(cellOf[k]);
            order[static_cast<std::size_t>(fill[c]++)] = static_cast<std::int32_t>(k);
            double* b = &box[4 * c];
            if (fill[c] - 1 == start[c]) {
                b[0] = b[1] = points[k].x;
                b[2] = b[3] = points[k].y;
            } else {
                b[0] = std::min(b[0], points[k].x);
                b[1] = std::max(b[1], points[k].x);
                b[2] = std::min(b[2], points[k].y);
                b[3] = std::max(b[3], points[k].y);
            }
        }
    }
};

// Rows handed to the worker threads, and the rows they finished.
struct RowQueue {
    std::mutex mutex;
    std::condition_variable work;  // a row may be taken, or the run is over
    std::condition_variable done;  // a row was finished
    std::vector<char> finished;    // per row: 1 once computed
    int next = 0;                  // the next row to hand out
    int limit = 0;                 // rows below this may be handed out
    int awaited = 0;               // the row the calling thread waits for
    bool stop = false;             // hand out no more rows
};

}  // namespace

// What one thread needs besides the engine: read-only shared parts and its
// own candidate heap.
struct InverseDistance::Workspace {
    enum class Path { AllPointsSquared, AllPoints, Selected };

    Path path = Path::AllPointsSquared;
    Rule rule;
    const CellIndex* cells = nullptr;
    std::vector<Ranked> heap;  // path C: nearestPoints entries
};

int InverseDistance::loadPoints(const PointSet& set) {
    upToDate_ = false;
    const auto arrays = set.valueArrays();
    if (!arrays) return -1;
    const std::size_t n = arrays->x.size();
    if (n > static_cast<std::size_t>(INT_MAX)) return -1;
    try {
        points_.resize(n);
    } catch (const std::bad_alloc&) {
        points_.clear();
        return -1;
    }
    for (std::size_t k = 0; k < n; ++k) points_[k] = {arrays->x[k], arrays->y[k], arrays->v[k]};
    if (n == 0) {
        extent_ = {};
        return 0;
    }
    extent_ = {points_[0].x, points_[0].y, points_[0].x, points_[0].y};
    for (const Point& p : points_) {
        extent_.minX = std::min(extent_.minX, p.x);
        extent_.minY = std::min(extent_.minY, p.y);
        extent_.maxX = std::max(extent_.maxX, p.x);
        extent_.maxY = std::max(extent_.maxY, p.y);
    }
    const double dy = extent_.maxY - extent_.minY;
    const double dx = extent_.maxX - extent_.minX;
    setRadius(std::sqrt(dy * dy + dx * dx));
    return static_cast<int>(n);
}

int InverseDistance::setNodes(int nx, const double* nodeX, int ny, const double* nodeY) {
    upToDate_ = false;
    rowsDone_ = 0;
    if (nx < 1 || ny < 1 || nodeX == nullptr || nodeY == nullptr) return -1;
    const long long count = static_cast<long long>(nx) * ny;
    if (count > INT_MAX) return -1;
    try {
        nodeX_.assign(nodeX, nodeX + nx);
        nodeY_.assign(nodeY, nodeY + ny);
        output_.assign(static_cast<std::size_t>(count), 0.0);
    } catch (const std::bad_alloc&) {
        nodeX_.clear();
        nodeY_.clear();
        output_.clear();
        return -1;
    }
    double smallest =
        std::min(std::fabs(nodeX[nx - 1] - nodeX[0]), std::fabs(nodeY[ny - 1] - nodeY[0]));
    for (int i = 1; i < nx; ++i) smallest = std::min(smallest, std::fabs(nodeX[i] - nodeX[i - 1]));
    for (int j = 1; j < ny; ++j) smallest = std::min(smallest, std::fabs(nodeY[j] - nodeY[j - 1]));
    setTolerance(kToleranceShare * smallest);
    return static_cast<int>(count);
}

void InverseDistance::setRadius(double radius) {
    parameters_.radius = radius;
    upToDate_ = false;
}

void InverseDistance::setPower(double power) {
    if (power < kMinPower) return;
    parameters_.power = power;
    upToDate_ = false;
}

void InverseDistance::setPlateau(double plateau) {
    parameters_.plateau = plateau;
    upToDate_ = false;
}

void InverseDistance::setTolerance(double tolerance) {
    parameters_.tolerance = tolerance;
    upToDate_ = false;
}

void InverseDistance::setNearestPoints(std::int32_t count) {
    parameters_.nearestPoints = std::max<std::int32_t>(count, 1);
    upToDate_ = false;
}

void InverseDistance::setParameters(const InverseDistanceParameters& parameters) {
    setPower(parameters.power);
    setNearestPoints(parameters.nearestPoints);
    setRadius(parameters.radius);
    setPlateau(parameters.plateau);
    setTolerance(parameters.tolerance);
}

namespace {

struct Entry {
    double d2 = 0.0;
    double v = 0.0;
};

// Straight insertion by d^2; equal keys keep their order.
void sortStable(Entry* list, std::size_t n) {
    for (std::size_t i = 1; i < n; ++i) {
        const Entry moving = list[i];
        std::size_t j = i;
        for (; j > 0 && list[j - 1].d2 > moving.d2; --j) list[j] = list[j - 1];
        list[j] = moving;
    }
}

}  // namespace

double InverseDistance::plainNodeValue(double x, double y) const {
    const std::size_t count = points_.size();
    const std::size_t n = static_cast<std::size_t>(parameters_.nearestPoints);
    const Rule rule = makeRule(parameters_);
    // n + 1 slots; with n >= N the spare slot is never reached.
    std::vector<Entry> list(std::min(n, count) + 1);
    for (std::size_t k = 0; k < count; ++k) {
        const Entry e{raised(squaredDistance(x, y, points_[k]), rule.plateau), points_[k].v};
        if (k < n) {
            list[k] = e;
            // Once the list is full (and more points follow) it is sorted, so
            // that a later point replaces the farthest one and no near point
            // is passed over.
            if (k + 1 == n && count > n) sortStable(list.data(), n);
            continue;
        }
        list[n] = e;
        if (e.d2 < list[n - 1].d2) {
            for (std::size_t i = 1; i <= n; ++i) {  // straight insertion
                const Entry moving = list[i];
                std::size_t j = i;
                for (; j > 0 && list[j - 1].d2 > moving.d2; --j) list[j] = list[j - 1];
                list[j] = moving;
            }
        }
    }
    NodeSums sums;
    for (std::size_t k = 0; k < std::min(n, count); ++k)
        addCandidate(sums, list[k].d2, list[k].v, rule);
    return nodeValue(sums);
}

double InverseDistance::selectedNodeValue(double x, double y, Workspace& work) const {
    const Rule& rule = work.rule;
    const int n = parameters_.nearestPoints;  // fewer than the points (path C)
    Ranked* heap = work.heap.data();
    for (int k = 0; k < n; ++k) {
        heap[k] = {
            raised(squaredDistance(x, y, points_[static_cast<std::size_t>(k)]), rule.plateau), k};
    }
    // Every later point competes with the sorted list, starting with point n.
    const Ranked q{
        raised(squaredDistance(x, y, points_[static_cast<std::size_t>(n)]), rule.plateau), n};
    NodeSums sums;
    std::make_heap(heap, heap + n, before);
    auto offer = [&](const Ranked& e) {
        if (!before(e, heap[0])) return;
        std::pop_heap(heap, heap + n, before);
        heap[n - 1] = e;
        std::push_heap(heap, heap + n, before);
    };
    offer(q);

    // The points after q, cell by cell in rings around the node's cell.
    const CellIndex& cells = *work.cells;
    const int cx = cells.column(x);
    const int cy = cells.row(y);
    auto visitCell = [&](int i, int j) {
        const std::size_t c = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * cells.gx;
        const std::int32_t begin = cells.start[c];
        const std::int32_t end = cells.start[c + 1];
        if (begin == end) return;
        // A lower bound of every computed d^2 in the cell: rounding is
        // monotonic, so the same formula on the box edges cannot exceed it.
        const double* b = &cells.box[4 * c];
        const double dx = x < b[0] ? b[0] - x : (x > b[1] ? x - b[1] : 0.0);
        const double dy = y < b[2] ? b[2] - y : (y > b[3] ? y - b[3] : 0.0);
        if (raised(dy * dy + dx * dx, rule.plateau) > heap[0].key) return;
        for (std::int32_t m = begin; m < end; ++m) {
            const std::int32_t k = cells.order[static_cast<std::size_t>(m)];
            if (k <= q.index) continue;
            const double key =
                raised(squaredDistance(x, y, points_[static_cast<std::size_t>(k)]), rule.plateau);
            offer({key, k});
        }
    };
    const int rings = std::max({cx, cells.gx - 1 - cx, cy, cells.gy - 1 - cy});
    for (int r = 0; r <= rings; ++r) {
        if (r >= 2) {
            // Every cell of ring r is at least r - 1 cells away from the node
            // along one axis.
            const double bound = (r - 1 - kCellMargin) * cells.size;
            if (raised(bound * bound, rule.plateau) > heap[0].key) break;
        }
        const int i0 = cx - r, i1 = cx + r, j0 = cy - r, j1 = cy + r;
        for (int i = std::max(i0, 0); i <= std::min(i1, cells.gx - 1); ++i) {
            if (j0 >= 0) visitCell(i, j0);
            if (j1 < cells.gy && r > 0) visitCell(i, j1);
        }
        for (int j = std::max(j0 + 1, 0); j <= std::min(j1 - 1, cells.gy - 1); ++j) {
            if (i0 >= 0) visitCell(i0, j);
            if (i1 < cells.gx) visitCell(i1, j);
        }
    }
    std::sort_heap(heap, heap + n, before);
    for (int k = 0; k < n; ++k) {
        addCandidate(sums, heap[k].key, points_[static_cast<std::size_t>(heap[k].index)].v, rule);
    }
    return nodeValue(sums);
}

void InverseDistance::computeRow(int row, Workspace& work) {
    const int nx = columns();
    const double y = nodeY_[static_cast<std::size_t>(row)];
    double* out = output_.data() + static_cast<std::size_t>(row) * nx;
    switch (work.path) {
        case Workspace::Path::AllPointsSquared:
#if defined(__SSE2__)
            for (int i0 = 0; i0 < nx; i0 += kLanes) {
                // The last block repeats the last node in its spare lanes.
                double x[kLanes], s[kLanes], w[kLanes], nearest[kLanes];
                for (int l = 0; l < kLanes; ++l) {
                    x[l] = nodeX_[static_cast<std::size_t>(std::min(i0 + l, nx - 1))];
                }
                sumLanes(points_.data(), points_.size(), y, x, work.rule, s, w, nearest);
                for (int l = 0; l < kLanes && i0 + l < nx; ++l) {
                    const bool onNode = nearest[l] < work.rule.tolerance2;
                    out[i0 + l] = onNode ? allPointsValue(points_, x[l], y, work.rule)
                                         : nodeValue({s[l], w[l], false});
                }
            }
            break;
#else
            [[fallthrough]];
#endif
        case Workspace::Path::AllPoints:
            for (int i = 0; i < nx; ++i)
                out[i] = allPointsValue(points_, nodeX_[static_cast<std::size_t>(i)], y, work.rule);
            break;
        case Workspace::Path::Selected:
            for (int i = 0; i < nx; ++i)
                out[i] = selectedNodeValue(nodeX_[static_cast<std::size_t>(i)], y, work);
            break;
    }
}

int InverseDistance::run(RunFeedback& feedback) {
    if (upToDate_) return kRunUpToDate;
    std::fill(output_.begin(), output_.end(), 0.0);
    rowsDone_ = 0;
    const int ny = rows();

    // The parts every thread shares, and one workspace per thread.
    int threads =
        threadCount_ > 0 ? threadCount_ : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::clamp(threads, 1, std::max(ny, 1));
    const bool selected = parameters_.nearestPoints < pointCount();
    // Path A adds +0 * v for far points, which only finite values allow.
    const bool finite = std::all_of(points_.begin(), points_.end(),
                                    [](const Point& p) { return std::isfinite(p.v); });
    CellIndex cells;
    std::vector<Workspace> work;
    RowQueue queue;
    try {
        if (selected) cells.build(points_, extent_);
        queue.finished.assign(static_cast<std::size_t>(ny), 0);
        work.resize(static_cast<std::size_t>(threads));
        for (Workspace& w : work) {
            w.rule = makeRule(parameters_);
            w.path = selected                   ? Workspace::Path::Selected
                     : w.rule.squared && finite ? Workspace::Path::AllPointsSquared
                                                : Workspace::Path::AllPoints;
            w.cells = &cells;
            if (selected) w.heap.resize(static_cast<std::size_t>(parameters_.nearestPoints));
        }
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return kRunStopped;
    }

    // A bar only for more than one row.
    std::unique_ptr<RunStage> stage = feedback.stage(
        {text(kTextComputing), kProgressWidthPercent, ny > 1 ? ny : 0, text(kTextComputing)});
    bool stopped = false;
    // Row `row` is finished and all rows before it: one step, one poll.
    auto count = [&](int row) {
        rowsDone_ = row + 1;
        stage->step();
        if (!stopped && stage->cancelled()) stopped = true;
    };

    auto worker = [&](std::size_t t) {
        for (;;) {
            int row = 0;
            {
                std::unique_lock lock(queue.mutex);
                queue.work.wait(lock, [&] {
                    return queue.stop || queue.next >= ny || queue.next < queue.limit;
                });
                if (queue.stop || queue.next >= ny) return;
                row = queue.next++;
            }
            computeRow(row, work[t]);
            bool awaited = false;
            {
                std::lock_guard lock(queue.mutex);
                queue.finished[static_cast<std::size_t>(row)] = 1;
                awaited = row == queue.awaited;
            }
            if (awaited) queue.done.notify_one();
        }
    };
    std::vector<std::thread> workers;
    if (threads > 1) {
        queue.limit = std::min(ny, kRowsAheadPerThread * threads);
        for (int t = 0; t < threads; ++t) {
            try {
                workers.emplace_back(worker, static_cast<std::size_t>(t));
            } catch (const std::exception&) {
                break;  // fewer workers: the values stay the same
            }
        }
    }

    if (workers.empty()) {
        for (int row = 0; row < ny && !stopped; ++row) {
            computeRow(row, work[0]);
            count(row);
        }
    } else {
        const int ahead = kRowsAheadPerThread * static_cast<int>(workers.size());
        int next = 0;  // the first row not counted yet
        while (next < ny && !stopped) {
            int ready = next;
            {
                std::unique_lock lock(queue.mutex);
                queue.awaited = next;
                queue.done.wait(
                    lock, [&] { return queue.finished[static_cast<std::size_t>(next)] != 0; });
                while (ready < ny && queue.finished[static_cast<std::size_t>(ready)] != 0) ++ready;
            }
            for (; next < ready && !stopped; ++next) count(next);
            {
                std::lock_guard lock(queue.mutex);
                queue.limit = std::min(ny, next + ahead);
            }
            queue.work.notify_all();
        }
        {
            std::lock_guard lock(queue.mutex);
            queue.stop = true;
        }
        queue.work.notify_all();
        for (std::thread& w : workers) w.join();
        // Rows handed out before a cancel are finished by now: they are kept.
        for (; next < queue.next; ++next) {
            rowsDone_ = next + 1;
            stage->step();
        }
    }
    stage->endWait();  // the dialog goes before any message

    if (stopped) {
        feedback.information(text(kTextStopped));
        return kRunStopped;
    }
    upToDate_ = true;
    return kRunDone;
}

}  // namespace gridova
