// The large-grid solver object and its worker thread; see the header.
#include "grid/large_grid_solver.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

namespace gridova {
namespace {

constexpr std::int32_t kFree = 1;
constexpr std::int32_t kData = 4;

double coefficient(double h, double d) {
    return d > LargeGridSolver::kCoincidentDistance ? h / d
                                                    : LargeGridSolver::kCoincidentCoefficient;
}

double largestStep(const std::vector<double>& nodes, double h) {
    for (std::size_t i = 0; i + 1 < nodes.size(); ++i) h = std::max(h, nodes[i + 1] - nodes[i]);
    return h;
}

}  // namespace

int LargeGridSolver::setGrid(int nx, const double* nodeX, int ny, const double* nodeY) {
    nx_ = ny_ = 0;
    nodeX_.clear();
    nodeY_.clear();
    system_.clear();
    values_.clear();
    mask_.clear();
    pointX_.clear();
    pointY_.clear();
    pointV_.clear();
    freshStart_ = false;
    if (nx <= 0 || ny <= 0 || nodeX == nullptr || nodeY == nullptr) return kNoGrid;
    const std::size_t count = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
    try {
        nodeX_.assign(nodeX, nodeX + nx);
        nodeY_.assign(nodeY, nodeY + ny);
        values_.assign(count, 0.0);
        mask_.assign(count, kFree);
    } catch (const std::exception&) {  // bad_alloc, or length_error past the size limit
        nodeX_.clear();
        nodeY_.clear();
        values_.clear();
        mask_.clear();
        warnNotEnoughMemory();
        return kNoMemory;
    }
    if (!system_.allocate(count)) {
        nodeX_.clear();
        nodeY_.clear();
        values_.clear();
        mask_.clear();
        return kNoMemory;
    }
    nx_ = nx;
    ny_ = ny;
    buildSystem();
    return kOk;
}

// Step 1 of method 7: the line system over all nodes.
void LargeGridSolver::buildSystem() {
    const double h = largestStep(nodeY_, largestStep(nodeX_, 0.0));
    const std::size_t w = static_cast<std::size_t>(nx_);
    for (int j = 0; j < ny_; ++j) {
        for (int i = 0; i < nx_; ++i) {
            const std::size_t n = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * w;
            const double west = i > 0 ? coefficient(h, nodeX_[i] - nodeX_[i - 1]) : 0.0;
            const double south = j > 0 ? coefficient(h, nodeY_[j] - nodeY_[j - 1]) : 0.0;
            const double east = i < nx_ - 1 ? coefficient(h, nodeX_[i + 1] - nodeX_[i]) : 0.0;
            const double north = j < ny_ - 1 ? coefficient(h, nodeY_[j + 1] - nodeY_[j]) : 0.0;
            const double diag = -(east + north + west + south);
            system_.rhs[n] = 0.0;
            if (std::abs(diag) < equation_system::kTinyDiagonal) {
                system_.diag[n] = -1.0;
                system_.rhs[n] = -1.0;
                system_.east[n] = system_.north[n] = system_.west[n] = system_.south[n] = 0.0;
                continue;
            }
            system_.diag[n] = diag;
            system_.east[n] = east;
            system_.north[n] = north;
            system_.west[n] = west;
            system_.south[n] = south;
        }
    }
}

// Step 2 of method 7.
int LargeGridSolver::setData(int n, const double* x, const double* y, const double* v) {
    if (nx_ <= 0 || ny_ <= 0) return kNoGrid;
    if (n < 0 || (n > 0 && (x == nullptr || y == nullptr || v == nullptr))) return kNoGrid;
    const std::size_t count = values_.size();
    std::vector<double> sum, hits;
    std::vector<double> px, py, pv;
    try {
        sum.assign(count, 0.0);
        hits.assign(count, 0.0);
        px.reserve(static_cast<std::size_t>(n));
        py.reserve(static_cast<std::size_t>(n));
        pv.reserve(static_cast<std::size_t>(n));
    } catch (const std::exception&) {  // bad_alloc, or length_error past the size limit
        warnNotEnoughMemory();
        return kNoMemory;
    }
    // A second call starts again from the plain system.
    buildSystem();
    std::fill(mask_.begin(), mask_.end(), kFree);

    const double x0 = nodeX_.front(), x1 = nodeX_.back();
    const double y0 = nodeY_.front(), y1 = nodeY_.back();
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    for (int p = 0; p < n; ++p) {
        if (!(x[p] >= x0 && x[p] <= x1 && y[p] >= y0 && y[p] <= y1)) continue;
        const int i = nearestIndex(nodeX_.data(), nx_, x[p]);
        const int j = nearestIndex(nodeY_.data(), ny_, y[p]);
        const std::size_t node = static_cast<std::size_t>(i) +
                                 static_cast<std::size_t>(j) * static_cast<std::size_t>(nx_);
        sum[node] += v[p];
        hits[node] += 1.0;
        low = std::min(low, v[p]);
        high = std::max(high, v[p]);
        px.push_back(x[p]);
        py.push_back(y[p]);
        pv.push_back(v[p]);
    }
    const int placed = static_cast<int>(pv.size());
    const double mid = placed > 0 ? (low + high) / 2.0 : 0.0;
    dataScale_ = placed > 0 ? std::max(std::abs(low), std::abs(high)) : 1.0;
    for (std::size_t node = 0; node < count; ++node) {
        if (hits[node] == 0.0) {
            values_[node] = mid;
            continue;
        }
        const double mean = sum[node] / hits[node];
        system_.rhs[node] = -mean;
        system_.diag[node] = -1.0;
        system_.east[node] = system_.north[node] = system_.west[node] = system_.south[node] = 0.0;
        values_[node] = mean;
        mask_[node] = kData;
    }
    pointX_ = std::move(px);
    pointY_ = std::move(py);
    pointV_ = std::move(pv);
    freshStart_ = true;
    usedCoarseStart_ = false;
    return placed;
}

int LargeGridSolver::setMask(const std::vector<std::int32_t>& border) {
    if (nx_ <= 0 || ny_ <= 0 || border.size() != mask_.size()) return kNoGrid;
    mask_ = border;
    markEdgeNodes(nx_, ny_, mask_);
    return kOk;
}

bool LargeGridSolver::coarseStart() {
    // Every coarseStep-th line from the first; a step below 2, or a grid
    // that would not shrink, gives no coarse start (and no endless descent).
    if (coarseStep_ < 2) return false;
    const std::size_t step = static_cast<std::size_t>(coarseStep_);
    const std::size_t cx = (static_cast<std::size_t>(nx_) - 1) / step + 1;
    const std::size_t cy = (static_cast<std::size_t>(ny_) - 1) / step + 1;
    if (cx * cy >= values_.size()) return false;
    LargeGridSolver coarse;
    std::vector<double> coarseX, coarseY;
    try {
        for (std::size_t i = 0; i < cx; ++i) coarseX.push_back(nodeX_[i * step]);
        for (std::size_t j = 0; j < cy; ++j) coarseY.push_back(nodeY_[j * step]);
    } catch (const std::exception&) {  // bad_alloc, or length_error past the size limit
        warnNotEnoughMemory();
        return false;
    }
    coarse.coarseThreshold_ = coarseThreshold_;
    coarse.coarseStep_ = coarseStep_;
    coarse.sharedProgress_ = sharedProgress_ != nullptr ? sharedProgress_ : &progress_;
    coarse.sharedStop_ = sharedStop_ != nullptr ? sharedStop_ : &stop_;
    if (coarse.setGrid(static_cast<int>(cx), coarseX.data(), static_cast<int>(cy),
                       coarseY.data()) != kOk)
        return false;
    if (coarse.setData(static_cast<int>(pointV_.size()), pointX_.data(), pointY_.data(),
                       pointV_.data()) < 0)
        return false;
    coarse.setPrecision(precision_);
    coarse.setMaxIterations(maxIterations_);
    const int code = coarse.solve();
    if (code != kOk && code != LineRelaxationSolver::kErrorIterationLimit) return false;
    // Every node starts from its nearest coarse node; data nodes too (their
    // row -u = -mean takes them back).
    const std::size_t w = static_cast<std::size_t>(nx_);
    for (std::size_t j = 0; j < static_cast<std::size_t>(ny_); ++j)
        for (std::size_t i = 0; i < w; ++i)
            values_[i + j * w] = coarse.valueAt(nodeX_[i], nodeY_[j]);
    return true;
}

int LargeGridSolver::solve() {
    if (nx_ <= 0 || ny_ <= 0) {
        errorCode_ = kNoGrid;
        return errorCode_;
    }
    // Step 2, last part: the coarse start of a grid above the threshold,
    // once after setData.
    if (freshStart_) {
        freshStart_ = false;
        if (values_.size() > static_cast<std::size_t>(std::max(coarseThreshold_, 0)))
            usedCoarseStart_ = coarseStart();
    }
    LineRelaxationSolver::Progress& progress =
        sharedProgress_ != nullptr ? *sharedProgress_ : progress_;
    const std::atomic<bool>& stop = sharedStop_ != nullptr ? *sharedStop_ : stop_;
    // Step 5: the precision scaled as in the line relaxation's step 1.
    const double precision = scaledPrecision(precision_, dataScale_, dataScale_);
    const LineRelaxationSolver solver(maxIterations_, precision);
    const LineRelaxationSolver::Result r =
        solver.solve(nx_, ny_, system_, values_, &progress, &stop);
    iterations_ = r.iterations;
    errorCode_ = r.errorCode == LineRelaxationSolver::kErrorNoMemory ? kNoMemory : r.errorCode;
    residual_ = r.residual;
    return errorCode_;
}

double LargeGridSolver::valueAt(double x, double y) const {
    if (nx_ <= 0 || ny_ <= 0) return 0.0;
    const int i = nearestIndex(nodeX_.data(), nx_, x);
    const int j = nearestIndex(nodeY_.data(), ny_, y);
    return values_[static_cast<std::size_t>(i) +
                   static_cast<std::size_t>(j) * static_cast<std::size_t>(nx_)];
}

LargeGridWorker::LargeGridWorker(std::unique_ptr<LargeGridSolver> solver, Finished finished)
    : solver_(std::move(solver)), finished_(std::move(finished)) {
    if (solver_ == nullptr) {
        done_ = true;
        return;
    }
    thread_ = std::thread([this, solver = solver_.get()] {
        const int code = solver->solve();
        done_ = true;
        if (finished_) finished_(code);
    });
}

LargeGridWorker::~LargeGridWorker() {
    if (thread_.joinable()) {
        if (solver_ != nullptr) solver_->requestStop();
        thread_.join();
    }
}

std::unique_ptr<LargeGridSolver> LargeGridWorker::wait() {
    if (thread_.joinable()) thread_.join();
    return std::move(solver_);
}

}  // namespace gridova
