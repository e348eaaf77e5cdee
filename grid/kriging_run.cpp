// The kriging methods of the driver: blocks, and the runs over the grid.
//
// Blocks are not kept in a list: a block is made when it is needed, and only
// the blocks that own inside nodes are solved. Node (i, j) lies in the cores
// of the blocks (r, k) with r among the rows whose core holds Y_j and k among
// the columns whose core holds X_i; the last of them in list order, (largest
// r, largest k), is its owner, whose value it keeps when the blocks are taken
// one after the other. So each block computes its own nodes, the blocks can
// be solved in any order and on several threads, and a node gets the same
// value as in the one-after-the-other order. When the owner's system is
// singular, the node falls back to the other blocks that hold it, latest
// first, which is again what the one-after-the-other order gives it.
//
// Windows are counted and their points listed through a cell index of the
// points (g × g cells, about two points per cell) with running counts: the
// cells that lie inside a window with a margin for the rounding of the cell a
// point falls into count at once, the others point by point, so the counts
// are exact. A window is widened step by step as described, each step first
// checked against an upper bound of its count.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <exception>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <thread>

#include "data/point_set.h"
#include "grid/eq_net.h"
#include "grid/interpolator.h"
#include "grid/kriging.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/progress.h"

namespace gridova {
namespace {

constexpr const char* kProgressTitle = "Kriging";  // the progress bar's label
constexpr int kProgressWidthPercent = 50;
constexpr int kTextComputing = 321;  // "Расчет..."
constexpr int kTextStopped = 418;  // "Процесс остановлен пользователем"
constexpr int kTextBlockFailed = 9050;  // "Block Kriging: система блока %d ..."
constexpr int kTextSingular = 9051;  // "Kriging: система уравнений вырождена, ..."

// Mean points per cell of the cell index, and its largest side.
constexpr double kPointsPerCell = 2.0;
constexpr int kMaxCells = 2048;
// Relative margin for the cell a point falls into.
constexpr double kCellMargin = 1e-12;
// The progress bar and the cancel poll are updated at most this many times.
constexpr int kProgressSteps = 1000;

// Hands items 0 .. count-1 to `threads` threads, the calling thread among
// them. work(item, slot) computes an item (slot < threads names the thread's
// workspace) and gives false to stop the whole run. The calling thread calls
// poll(finished items) after its items; when it answers true no further item
// is started. The items done are flagged.
template <typename Work, typename Poll>
std::vector<char> forEachItem(int count, int threads, Work work, Poll poll) {
    std::vector<char> done(static_cast<std::size_t>(std::max(count, 0)), 0);
    std::atomic<int> next{0};
    std::atomic<int> finished{0};
    std::atomic<bool> stop{false};
    auto loop = [&](int slot, bool caller) {
        for (;;) {
            if (stop.load(std::memory_order_relaxed)) return;
            const int item = next.fetch_add(1, std::memory_order_relaxed);
            if (item >= count) return;
            if (!work(item, slot)) {
                stop = true;
                return;
            }
            done[static_cast<std::size_t>(item)] = 1;
            const int f = finished.fetch_add(1, std::memory_order_relaxed) + 1;
            if (caller && poll(f)) stop = true;
        }
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) {
        try {
            workers.emplace_back(loop, t, false);
        } catch (const std::exception&) {
            break;  // fewer threads: the same values
        }
    }
    loop(0, true);
    for (std::thread& w : workers) w.join();
    return done;
}

int threadsFor(int requested, int items) {
    int t = requested > 0 ? requested : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(t, 1, std::max(items, 1));
}

// Progress over `total` items: the bar and the cancel poll, at most
// kProgressSteps times.
class Progress {
public:
    Progress(RunFeedback& feedback, int total)
        : stage_(
              feedback.stage({kProgressTitle, kProgressWidthPercent, total, text(kTextComputing)})),
          every_(std::max(1, total / kProgressSteps)) {}
    // True once the user cancelled.
    bool update(int finished) {
        if (finished - shown_ < every_) return false;
        shown_ = finished;
        stage_->setDone(finished);
        if (stage_->cancelled()) cancelled_ = true;
        return cancelled_;
    }
    // The work is done: the bar shows it and the dialog goes.
    void close(int finished) {
        stage_->setDone(finished);
        stage_->endWait();
    }
    bool cancelled() const { return cancelled_; }

private:
    std::unique_ptr<RunStage> stage_;
    int every_;
    int shown_ = 0;
    bool cancelled_ = false;
};

}  // namespace

// --- Blocks -------------------------------------------------------------------------

bool KrigingBlocks::build(int count, const double* x, const double* y) {
    *this = KrigingBlocks();
    if (count <= kDirectLimit || x == nullptr || y == nullptr) return false;
    double minX = x[0], maxX = x[0], minY = y[0], maxY = y[0];
    for (int k = 1; k < count; ++k) {
        minX = std::min(minX, x[k]);
        maxX = std::max(maxX, x[k]);
        minY = std::min(minY, y[k]);
        maxY = std::max(maxY, y[k]);
    }
    const int b = count / kPointsPerBlock;
    if (static_cast<long long>(b) * b < 2) return false;
    const double w = (maxX - minX) / b;
    const double h = (maxY - minY) / b;
    if (!(w >= 1e-30) || !(h >= 1e-30)) return false;

    n_ = count;
    x_ = x;
    y_ = y;
    perSide_ = b;
    minX_ = minX;
    minY_ = minY;
    maxX_ = maxX;
    maxY_ = maxY;
    w_ = w;
    h_ = h;

    g_ = std::clamp(static_cast<int>(std::ceil(std::sqrt(count / kPointsPerCell))), 1, kMaxCells);
    cellW_ = (maxX - minX) / g_;
    cellH_ = (maxY - minY) / g_;
    marginX_ = kCellMargin * (std::fabs(minX) + std::fabs(maxX));
    marginY_ = kCellMargin * (std::fabs(minY) + std::fabs(maxY));
    const std::size_t cells = static_cast<std::size_t>(g_) * g_;
    start_.assign(cells + 1, 0);
    std::vector<std::int32_t> cellOf(static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k) {
        const std::size_t c = static_cast<std::size_t>(cellColumn(x[k])) +
                              static_cast<std::size_t>(cellRow(y[k])) * g_;
        cellOf[static_cast<std::size_t>(k)] = static_cast<std::int32_t>(c);
        ++start_[c + 1];
    }
    for (std::size_t c = 0; c < cells; ++c) start_[c + 1] += start_[c];
    order_.resize(static_cast<std::size_t>(count));
    std::vector<std::int32_t> fill(start_.begin(), start_.end() - 1);
    for (int k = 0; k < count; ++k) {
        order_[static_cast<std::size_t>(fill[static_cast<std::size_t>(cellOf[k])]++)] = k;
    }
    const std::size_t side = static_cast<std::size_t>(g_) + 1;
    prefix_.assign(side * side, 0);
    for (int j = 0; j < g_; ++j) {
        for (int i = 0; i < g_; ++i) {
            const std::size_t c = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * g_;
            const std::int32_t inCell = start_[c + 1] - start_[c];
            prefix_[(j + 1) * side + (i + 1)] = inCell + prefix_[j * side + (i + 1)] +
                                                prefix_[(j + 1) * side + i] - prefix_[j * side + i];
        }
    }
    return true;
}

int KrigingBlocks::cellColumn(double x) const {
    const double c = std::floor((x - minX_) / cellW_);
    if (!(c > 0)) return 0;
    return c >= g_ - 1 ? g_ - 1 : static_cast<int>(c);
}

int KrigingBlocks::cellRow(double y) const {
    const double c = std::floor((y - minY_) / cellH_);
    if (!(c > 0)) return 0;
    return c >= g_ - 1 ? g_ - 1 : static_cast<int>(c);
}

namespace {

// The cells [lo, hi] along one axis that lie inside [a, b] with a margin:
// every point that falls into them lies inside. Empty when lo > hi.
struct Span {
    int lo, hi;
};

Span innerSpan(double a, double b, double origin, double cell, double margin, int g) {
    auto lowEdge = [&](int i) { return origin + i * cell - margin; };
    auto highEdge = [&](int i) { return origin + (i + 1) * cell + margin; };
    double t = std::ceil((a + margin - origin) / cell);
    int lo = !(t > 0) ? 0 : (t > g ? g : static_cast<int>(t));
    while (lo < g && !(lowEdge(lo) >= a)) ++lo;
    while (lo > 0 && lowEdge(lo - 1) >= a) --lo;
    t = std::floor((b - margin - origin) / cell) - 1;
    int hi = !(t > -1) ? -1 : (t > g - 1 ? g - 1 : static_cast<int>(t));
    while (hi >= 0 && !(highEdge(hi) <= b)) --hi;
    while (hi < g - 1 && highEdge(hi + 1) <= b) ++hi;
    return {lo, hi};
}

}  // namespace

int KrigingBlocks::countHigh(const KrigingRect& w) const {
    const int i0 = cellColumn(w.x0 - marginX_), i1 = cellColumn(w.x1 + marginX_);
    const int j0 = cellRow(w.y0 - marginY_), j1 = cellRow(w.y1 + marginY_);
    const std::size_t side = static_cast<std::size_t>(g_) + 1;
    return prefix_[(j1 + 1) * side + (i1 + 1)] - prefix_[j0 * side + (i1 + 1)] -
           prefix_[(j1 + 1) * side + i0] + prefix_[j0 * side + i0];
}

int KrigingBlocks::countLow(const KrigingRect& w) const {
    const Span sx = innerSpan(w.x0, w.x1, minX_, cellW_, marginX_, g_);
    const Span sy = innerSpan(w.y0, w.y1, minY_, cellH_, marginY_, g_);
    if (sx.lo > sx.hi || sy.lo > sy.hi) return 0;
    const std::size_t side = static_cast<std::size_t>(g_) + 1;
    return prefix_[(sy.hi + 1) * side + (sx.hi + 1)] - prefix_[sy.lo * side + (sx.hi + 1)] -
           prefix_[(sy.hi + 1) * side + sx.lo] + prefix_[sy.lo * side + sx.lo];
}

int KrigingBlocks::countIn(const KrigingRect& w) const {
    if (n_ == 0) return 0;
    const int i0 = cellColumn(w.x0 - marginX_), i1 = cellColumn(w.x1 + marginX_);
    const int j0 = cellRow(w.y0 - marginY_), j1 = cellRow(w.y1 + marginY_);
    const Span sx = innerSpan(w.x0, w.x1, minX_, cellW_, marginX_, g_);
    const Span sy = innerSpan(w.y0, w.y1, minY_, cellH_, marginY_, g_);
    const bool inner = sx.lo <= sx.hi && sy.lo <= sy.hi;
    int count = countLow(w);
    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            if (inner && i >= sx.lo && i <= sx.hi && j >= sy.lo && j <= sy.hi) {
                i = sx.hi;  // counted at once
                continue;
            }
            const std::size_t c = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * g_;
            for (std::int32_t m = start_[c]; m < start_[c + 1]; ++m) {
                const auto k = static_cast<std::size_t>(order_[static_cast<std::size_t>(m)]);
                if (w.contains(x_[k], y_[k])) ++count;
            }
        }
    }
    return count;
}

void KrigingBlocks::pointsIn(const KrigingRect& w, std::vector<std::int32_t>& out) const {
    out.clear();
    if (n_ == 0) return;
    const int i0 = cellColumn(w.x0 - marginX_), i1 = cellColumn(w.x1 + marginX_);
    const int j0 = cellRow(w.y0 - marginY_), j1 = cellRow(w.y1 + marginY_);
    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            const std::size_t c = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * g_;
            for (std::int32_t m = start_[c]; m < start_[c + 1]; ++m) {
                const std::int32_t k = order_[static_cast<std::size_t>(m)];
                if (w.contains(x_[k], y_[k])) out.push_back(k);
            }
        }
    }
    std::sort(out.begin(), out.end());
}

double KrigingBlocks::coreX0(int k) const { return k == 0 ? -kOutside : minX_ + k * w_; }

double KrigingBlocks::coreY0(int r) const { return r == 0 ? -kOutside : minY_ + r * h_; }

KrigingBlocks::Block KrigingBlocks::block(int r, int k) const {
    Block b;
    b.core = {minX_ + k * w_, minY_ + r * h_, minX_ + (k + 1) * w_, minY_ + (r + 1) * h_};
    KrigingRect win{b.core.x0 - w_, b.core.y0 - h_, b.core.x1 + w_, b.core.y1 + h_};
    if (n_ >= kMinPointsInWindow) {
        for (;;) {
            if (countHigh(win) >= kMinPointsInWindow && countIn(win) >= kMinPointsInWindow) break;
            const KrigingRect wider{win.x0 - w_, win.y0 - h_, win.x1 + w_, win.y1 + h_};
            // A window that no longer grows (steps below the coordinates'
            // resolution) is taken as it is.
            if (wider.x0 == win.x0 && wider.y0 == win.y0 && wider.x1 == win.x1 &&
                wider.y1 == win.y1) {
                break;
            }
            win = wider;
            ++b.widenings;
        }
    }
    const double dx = win.x1 - win.x0;
    const double dy = win.y1 - win.y0;
    b.diagonal = std::sqrt(dx * dx + dy * dy);
    if (k == 0) b.core.x0 = win.x0 = -kOutside;
    if (k == perSide_ - 1) b.core.x1 = win.x1 = kOutside;
    if (r == 0) b.core.y0 = win.y0 = -kOutside;
    if (r == perSide_ - 1) b.core.y1 = win.y1 = kOutside;
    b.window = win;
    return b;
}

int KrigingBlocks::ownerColumn(double x) const {
    int lo = 0, hi = perSide_ - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (coreX0(mid) <= x) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}

int KrigingBlocks::ownerRow(double y) const {
    int lo = 0, hi = perSide_ - 1;
    while (lo < hi) {
        const int mid = lo + (hi - lo + 1) / 2;
        if (coreY0(mid) <= y) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}

// --- Runs ---------------------------------------------------------------------------

namespace {

struct DistinctPoints {
    std::vector<double> x, y, v;
};

// Nodes (rows or whole block ranges) that got no estimate leave the area.
void maskOut(EqNet& grid, int i0, int i1, int j0, int j1) {
    for (int j = j0; j <= j1; ++j) {
        for (int i = i0; i <= i1; ++i) {
            grid.mask()[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * grid.nx()] =
                kMaskOutside;
        }
    }
}

int ordinaryKriging(EqNet& grid, const LineList* border, Kriging& engine, int threads,
                    RunFeedback& feedback) {
    if (engine.buildSystem() != 0) {
        outOfMemory();
        return -1;
    }
    const int inverted = engine.invert();
    if (inverted == -2) {
        outOfMemory();
        return -1;
    }
    if (inverted != 0) {
        feedback.warning(text(kTextSingular));
        return -1;
    }
    if (!grid.allocateValues(0.0)) return -1;
    grid.computeMask(border);
    const int nx = grid.nx(), ny = grid.ny();
    const double* nodeX = grid.nodeX().data();
    const double* nodeY = grid.nodeY().data();
    const std::int32_t* mask = grid.mask().data();
    double* values = grid.values().data();
    Progress progress(feedback, ny);
    const std::vector<char> rowsDone = forEachItem(
        ny, threadsFor(threads, ny),
        [&](int j, int) {
            const std::size_t row = static_cast<std::size_t>(j) * nx;
            for (int i = 0; i < nx; ++i) {
                if (mask[row + i] != kMaskOutside)
                    values[row + i] = engine.estimate(nodeX[i], nodeY[j]);
            }
            return true;
        },
        [&](int finished) { return progress.update(finished); });
    progress.close(static_cast<int>(std::count(rowsDone.begin(), rowsDone.end(), 1)));
    if (progress.cancelled()) feedback.information(text(kTextStopped));
    for (int j = 0; j < ny; ++j) {
        if (!rowsDone[static_cast<std::size_t>(j)]) maskOut(grid, 0, nx - 1, j, j);
    }
    grid.settleValues();
    return 0;
}

// One block's share of the grid: its owned node columns and rows.
struct BlockWork {
    int r, k;
    int i0, i1, j0, j1;
};

// A block's system solved for its estimates (or found singular).
struct SolvedBlock {
    Kriging engine;
    bool singular = false;
};

// Solves block (r, k) into `solved`: false when memory ran out.
bool solveBlock(const KrigingBlocks& layout, const DistinctPoints& pts, const Kriging& parameters,
                int r, int k, std::vector<std::int32_t>& indices, SolvedBlock& solved) {
    const KrigingBlocks::Block block = layout.block(r, k);
    layout.pointsIn(block.window, indices);
    std::vector<double> bx(indices.size()), by(indices.size()), bv(indices.size());
    for (std::size_t m = 0; m < indices.size(); ++m) {
        const auto s = static_cast<std::size_t>(indices[m]);
        bx[m] = pts.x[s];
        by[m] = pts.y[s];
        bv[m] = pts.v[s];
    }
    Kriging& e = solved.engine;
    e.setModel(parameters.model());
    e.setNuggetSill(parameters.nugget(), parameters.partialSill());
    e.setPoints(std::move(bx), std::move(by), std::move(bv));
    e.setRange(block.diagonal);  // the block's own range
    if (e.pointCount() == 0) {
        solved.singular = true;  // a window without points (too few points in all)
        return true;
    }
    if (e.buildSystem() != 0) return false;
    const int inverted = e.invert();
    if (inverted == -2) return false;
    solved.singular = inverted != 0;
    return true;
}

int blockKriging(EqNet& grid, const LineList* border, const Kriging& parameters,
                 const KrigingBlocks& layout, const DistinctPoints& pts, int threads,
                 RunFeedback& feedback) {
    if (!grid.allocateValues(0.0)) return -1;
    grid.computeMask(border);
    const int nx = grid.nx(), ny = grid.ny(), b = layout.perSide();
    const std::vector<double>& nodeX = grid.nodeX();
    const std::vector<double>& nodeY = grid.nodeY();
    std::vector<int> columnOwner(static_cast<std::size_t>(nx)),
        rowOwner(static_cast<std::size_t>(ny));
    for (int i = 0; i < nx; ++i) columnOwner[i] = layout.ownerColumn(nodeX[i]);
    for (int j = 0; j < ny; ++j) rowOwner[j] = layout.ownerRow(nodeY[j]);

    // The blocks that own inside nodes, in list order.
    std::vector<BlockWork> work;
    for (int j0 = 0; j0 < ny;) {
        int j1 = j0;
        while (j1 + 1 < ny && rowOwner[j1 + 1] == rowOwner[j0]) ++j1;
        for (int i0 = 0; i0 < nx;) {
            int i1 = i0;
            while (i1 + 1 < nx && columnOwner[i1 + 1] == columnOwner[i0]) ++i1;
            bool inside = false;
            for (int j = j0; j <= j1 && !inside; ++j) {
                for (int i = i0; i <= i1 && !inside; ++i) {
                    inside = grid.mask()[static_cast<std::size_t>(i) +
                                         static_cast<std::size_t>(j) * nx] != kMaskOutside;
                }
            }
            if (inside) work.push_back({rowOwner[j0], columnOwner[i0], i0, i1, j0, j1});
            i0 = i1 + 1;
        }
        j0 = j1 + 1;
    }

    const int count = static_cast<int>(work.size());
    const int slots = threadsFor(threads, count);
    std::vector<SolvedBlock> solved(static_cast<std::size_t>(slots));
    std::vector<std::vector<std::int32_t>> indices(static_cast<std::size_t>(slots));
    std::vector<char> singular(static_cast<std::size_t>(count), 0);
    const std::int32_t* mask = grid.mask().data();
    double* values = grid.values().data();
    std::atomic<bool> outOfMemoryFlag{false};
    Progress progress(feedback, count);
    const std::vector<char> done = forEachItem(
        count, slots,
        [&](int item, int slot) {
            const BlockWork& bw = work[static_cast<std::size_t>(item)];
            SolvedBlock& s = solved[static_cast<std::size_t>(slot)];
            try {
                if (!solveBlock(layout, pts, parameters, bw.r, bw.k,
                                indices[static_cast<std::size_t>(slot)], s)) {
                    outOfMemoryFlag = true;
                    return false;
                }
            } catch (const std::bad_alloc&) {
                outOfMemoryFlag = true;
                return false;
            }
            if (s.singular) {
                singular[static_cast<std::size_t>(item)] = 1;
                return true;
            }
            for (int j = bw.j0; j <= bw.j1; ++j) {
                const std::size_t row = static_cast<std::size_t>(j) * nx;
                for (int i = bw.i0; i <= bw.i1; ++i) {
                    if (mask[row + i] != kMaskOutside) {
                        values[row + i] = s.engine.estimate(nodeX[i], nodeY[j]);
                    }
                }
            }
            return true;
        },
        [&](int finished) { return progress.update(finished); });
    progress.close(static_cast<int>(std::count(done.begin(), done.end(), 1)));
    if (outOfMemoryFlag) {
        outOfMemory();
        grid.invalidate();
        return -1;
    }
    if (progress.cancelled()) feedback.information(text(kTextStopped));

    // Owners found singular: their nodes on a core edge take the value of the
    // latest other block that holds them and is not singular; the others get
    // no value.
    std::map<long long, std::unique_ptr<SolvedBlock>> others;
    std::map<long long, bool> failed;  // list position -> logged
    std::vector<std::int32_t> scratch;
    auto position = [b](int r, int k) { return static_cast<long long>(r) * b + k; };
    for (int item = 0; item < count; ++item) {
        const BlockWork& bw = work[static_cast<std::size_t>(item)];
        if (!done[static_cast<std::size_t>(item)]) {
            maskOut(grid, bw.i0, bw.i1, bw.j0, bw.j1);
            continue;
        }
        if (!singular[static_cast<std::size_t>(item)]) continue;
        failed[position(bw.r, bw.k)] = true;
        for (int j = bw.j0; j <= bw.j1; ++j) {
            for (int i = bw.i0; i <= bw.i1; ++i) {
                const std::size_t node =
                    static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * nx;
                if (grid.mask()[node] == kMaskOutside) continue;
                std::vector<int> ks{bw.k}, rs{bw.r};
                for (int k = bw.k; k > 0 && layout.coreX0(k) == nodeX[i]; --k) ks.push_back(k - 1);
                for (int r = bw.r; r > 0 && layout.coreY0(r) == nodeY[j]; --r) rs.push_back(r - 1);
                std::vector<std::pair<int, int>> candidates;
                for (int r : rs) {
                    for (int k : ks) {
                        if (r != bw.r || k != bw.k) candidates.push_back({r, k});
                    }
                }
                std::sort(candidates.begin(), candidates.end(), [&](const auto& a, const auto& c) {
                    return position(a.first, a.second) > position(c.first, c.second);
                });
                bool estimated = false;
                for (const auto& [r, k] : candidates) {
                    auto& other = others[position(r, k)];
                    if (other == nullptr) {
                        other = std::make_unique<SolvedBlock>();
                        bool ok = false;
                        try {
                            ok = solveBlock(layout, pts, parameters, r, k, scratch, *other);
                        } catch (const std::bad_alloc&) {
                        }
                        if (!ok) {
                            outOfMemory();
                            grid.invalidate();
                            return -1;
                        }
                    }
                    if (other->singular) {
                        failed[position(r, k)] = true;
                        continue;
                    }
                    values[node] = other->engine.estimate(nodeX[i], nodeY[j]);
                    estimated = true;
                    break;
                }
                if (!estimated) grid.mask()[node] = kMaskOutside;
            }
        }
    }
    for (const auto& [pos, logged] : failed) {
        (void)logged;
        gridova::log(formatText(text(kTextBlockFailed), {static_cast<std::int64_t>(pos + 1),
                                                         static_cast<std::int64_t>(pos / b + 1),
                                                         static_cast<std::int64_t>(pos % b + 1)}));
    }
    grid.settleValues();
    return 0;
}

}  // namespace

KrigingDataSummary summarizeKrigingData(const PointSet& points) {
    KrigingDataSummary summary;
    const auto arrays = points.valueArrays();
    if (!arrays || arrays->x.empty()) return summary;
    const std::vector<std::int32_t> keep =
        distinctPoints(static_cast<int>(arrays->x.size()), arrays->x.data(), arrays->y.data());
    if (keep.empty()) return summary;
    double x0 = arrays->x[static_cast<std::size_t>(keep[0])], x1 = x0;
    double y0 = arrays->y[static_cast<std::size_t>(keep[0])], y1 = y0;
    summary.x.reserve(keep.size());
    summary.y.reserve(keep.size());
    summary.value.reserve(keep.size());
    for (const std::int32_t k : keep) {
        const auto s = static_cast<std::size_t>(k);
        x0 = std::min(x0, arrays->x[s]);
        x1 = std::max(x1, arrays->x[s]);
        y0 = std::min(y0, arrays->y[s]);
        y1 = std::max(y1, arrays->y[s]);
        summary.x.push_back(arrays->x[s]);
        summary.y.push_back(arrays->y[s]);
        summary.value.push_back(arrays->v[s]);
    }
    summary.distinctPoints = static_cast<int>(keep.size());
    summary.diagonal = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
    return summary;
}

int runKriging(EqNet& grid, const PointSet& points, const LineList* border, bool blocks,
               const KrigingSettings& settings, std::optional<KrigingParameters>* used, int threads,
               RunFeedback& feedback) {
    if (grid.empty()) return -1;
    const auto arrays = points.valueArrays();
    if (!arrays) {
        outOfMemory();
        return -1;
    }
    if (arrays->x.empty()) return -1;
    WaitScope wait;
    DistinctPoints pts;
    Kriging engine;
    KrigingBlocks layout;
    bool useBlocks = false;
    try {
        const std::vector<std::int32_t> keep =
            distinctPoints(static_cast<int>(arrays->x.size()), arrays->x.data(), arrays->y.data());
        if (keep.empty()) return -1;
        for (const std::int32_t k : keep) {
            const auto s = static_cast<std::size_t>(k);
            pts.x.push_back(arrays->x[s]);
            pts.y.push_back(arrays->y[s]);
            pts.v.push_back(arrays->v[s]);
        }
        const auto [minX, maxX] = std::minmax_element(pts.x.begin(), pts.x.end());
        const auto [minY, maxY] = std::minmax_element(pts.y.begin(), pts.y.end());
        const double dx = *maxX - *minX;
        const double dy = *maxY - *minY;
        engine.setPoints(pts.x, pts.y, pts.v);
        engine.setDataDiagonal(std::sqrt(dx * dx + dy * dy));
        useBlocks =
            blocks && layout.build(static_cast<int>(pts.x.size()), pts.x.data(), pts.y.data());
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return -1;
    }
    engine.apply(settings);
    if (used != nullptr) *used = engine.parameters();
    if (!useBlocks) return ordinaryKriging(grid, border, engine, threads, feedback);
    return blockKriging(grid, border, engine, layout, pts, threads, feedback);
}

namespace {

// Ordinary kriging over all points, or block kriging.
class KrigingMethod final : public Interpolator {
public:
    explicit KrigingMethod(bool blocks) : blocks_(blocks) {}
    InterpolationMethod method() const override {
        return blocks_ ? InterpolationMethod::BlockKriging : InterpolationMethod::Kriging;
    }
    MethodInput input() const override { return MethodInput::DataValues; }
    int run(EqNet& grid, const InterpolationInput& in) const override {
        // Without a result the grid keeps its state.
        const KrigingSettings settings =
            in.settings != nullptr ? in.settings->kriging : KrigingSettings{};
        std::optional<KrigingParameters> used;
        const int result = runKriging(grid, *in.points, in.border, blocks_, settings, &used, 0,
                                      in.feedbackOrDefault());
        if (in.report != nullptr) in.report->kriging = used;
        return result != 0 ? -1 : 0;
    }

private:
    bool blocks_;
};

}  // namespace

const Interpolator& krigingMethod() {
    static const KrigingMethod method(false);
    return method;
}

const Interpolator& blockKrigingMethod() {
    static const KrigingMethod method(true);
    return method;
}

}  // namespace gridova
