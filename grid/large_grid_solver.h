// The large-grid solver object of method 7 (`LargeGridSolver`) and the
// worker thread that runs it (`LargeGridWorker`).
//
// The object holds its own copy of the node lines and the line system of
// grid/equation_system.h built over every node of the rectangle (the mask is
// not consulted):
//
//     diag u + cE u(e) + cN u(n) + cW u(w) + cS u(s) = rhs,
//     c = h / d for d > 1e-20, else 1e10, diag = -(cE + cN + cW + cS),
//
// h the largest node step. Data nodes hold the mean of their points (the row
// -u = -mean). The line relaxation (`LineRelaxationSolver`) solves it.
//
// Coarse start: on a grid of more than coarseThreshold nodes a second object
// is built on every coarseStep-th node column and row (starting with the
// first), given the same points, precision and iteration limit and solved
// first (by the same rule, so recursively); every node then starts from the
// value of its nearest coarse node. Smaller grids start every node that
// carries no data at (smallest + largest data value) / 2. The coarse solve
// is part of `solve()`, so it runs in the worker thread.
//
// Threads: while a worker runs the object, another thread only reads
// `currentIteration()` and `achieved()` and may call `requestStop()`; it
// touches the arrays only after the worker reported completion.
//
// Notation as in grid/equation_system.h: flat index n = i + j * nx, row 0
// lowest; mask codes 0 outside, 1 free, 2 edge, 4 data.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "grid/equation_system.h"
#include "grid/line_relaxation_solver.h"

namespace gridova {

class LargeGridSolver {
public:
    static constexpr double kDefaultPrecision = 1e-5;
    static constexpr std::int32_t kDefaultMaxIterations = 500;
    static constexpr std::int32_t kDefaultCoarseThreshold = 40000;  // nodes
    static constexpr std::int32_t kDefaultCoarseStep = 10;          // node lines
    // Distances up to this count as coincident node lines ...
    static constexpr double kCoincidentDistance = 1e-20;
    // ... and get this coefficient.
    static constexpr double kCoincidentCoefficient = 1e10;

    // Results of setGrid, setData, setMask and solve (solve also gives the
    // line relaxation's kErrorIterationLimit).
    static constexpr int kOk = 0;
    static constexpr int kNoGrid = -1;    // no nodes, or sizes that do not fit
    static constexpr int kNoMemory = -2;  // " Not enought memory" was shown

    LargeGridSolver() = default;
    LargeGridSolver(const LargeGridSolver&) = delete;
    LargeGridSolver& operator=(const LargeGridSolver&) = delete;

    // Copies the node lines, allocates the arrays and builds the system;
    // every node gets mask 1 and value 0.
    int setGrid(int nx, const double* nodeX, int ny, const double* nodeY);
    // Places the points that lie within the node range (ends inclusive) on
    // their nearest nodes and sets the start values (see above; the coarse
    // start itself is computed by `solve`). Gives the number of points
    // placed, or kNoGrid / kNoMemory.
    int setData(int n, const double* x, const double* y, const double* v);
    // Replaces the mask by the caller's (nx * ny codes) and marks its frame
    // and edge nodes as the grid's edge marking does. The mask does not
    // enter the system.
    int setMask(const std::vector<std::int32_t>& border);
    void setPrecision(double precision) { precision_ = precision; }
    void setMaxIterations(std::int32_t n) { maxIterations_ = n; }
    void setCoarseThreshold(std::int32_t nodes) { coarseThreshold_ = nodes; }
    void setCoarseStep(std::int32_t step) { coarseStep_ = step; }

    // Computes the coarse start when one is due, then runs the line
    // relaxation with the precision divided by the data magnitude. Gives the
    // error code: kOk, LineRelaxationSolver::kErrorIterationLimit (106),
    // kNoGrid or kNoMemory.
    int solve();

    // The value of the nearest node; 0 without nodes.
    double valueAt(double x, double y) const;

    // Readable from any thread while solve() runs.
    std::int32_t currentIteration() const { return progress().iteration.load(); }
    double achieved() const { return progress().achieved.load(); }
    void requestStop() { stop_ = true; }

    // Results of the last solve.
    std::int32_t iterations() const { return iterations_; }
    std::int32_t errorCode() const { return errorCode_; }
    double residual() const { return residual_; }
    bool usedCoarseStart() const { return usedCoarseStart_; }

    int nx() const { return nx_; }
    int ny() const { return ny_; }
    std::size_t count() const { return values_.size(); }
    const std::vector<double>& values() const { return values_; }
    const std::vector<std::int32_t>& mask() const { return mask_; }
    const LineSystem& system() const { return system_; }
    double precision() const { return precision_; }
    std::int32_t maxIterations() const { return maxIterations_; }
    double dataScale() const { return dataScale_; }

private:
    void buildSystem();
    // The start values from a solve on every coarseStep-th node line; false
    // when none could be made (the mid-point start stays).
    bool coarseStart();
    const LineRelaxationSolver::Progress& progress() const {
        return sharedProgress_ != nullptr ? *sharedProgress_ : progress_;
    }

    int nx_ = 0, ny_ = 0;
    std::vector<double> nodeX_, nodeY_;             // node coordinates (copied)
    LineSystem system_;                             // diag, east, north, west, south, rhs
    std::vector<double> values_;                    // node values
    std::vector<std::int32_t> mask_;                // 1 free, 4 data, 0/2 from the border
    std::vector<double> pointX_, pointY_, pointV_;  // the placed points, for a coarse start
    double precision_ = kDefaultPrecision;          // stopping threshold, in value units
    double dataScale_ = 1.0;                        // data magnitude dividing the precision
    std::int32_t maxIterations_ = kDefaultMaxIterations;
    std::int32_t iterations_ = 0;
    std::int32_t errorCode_ = 0;
    double residual_ = 0.0;
    std::int32_t coarseThreshold_ = kDefaultCoarseThreshold;
    std::int32_t coarseStep_ = kDefaultCoarseStep;
    bool freshStart_ = false;  // setData made start values that solve() has not used yet
    bool usedCoarseStart_ = false;

    LineRelaxationSolver::Progress progress_;
    std::atomic<bool> stop_{false};
    // A coarse object reports through its parent's progress and hears its
    // parent's stop request.
    LineRelaxationSolver::Progress* sharedProgress_ = nullptr;
    const std::atomic<bool>* sharedStop_ = nullptr;
};

// Runs `solve()` of a solver object in a worker thread that owns the object
// until it is handed back. `finished` is called on the worker thread after
// solve() with its error code (it stands for the completion message: post it
// to the user-interface thread from there); it must not call `wait()`.
class LargeGridWorker {
public:
    using Finished = std::function<void(int errorCode)>;

    // Starts the thread (std::system_error when it cannot be started); with
    // no object nothing is started and done() is true at once.
    LargeGridWorker(std::unique_ptr<LargeGridSolver> solver, Finished finished);
    // Asks the solver to stop and waits for the thread.
    ~LargeGridWorker();
    LargeGridWorker(const LargeGridWorker&) = delete;
    LargeGridWorker& operator=(const LargeGridWorker&) = delete;

    // While the object is held (0 and nothing after `wait`).
    std::int32_t currentIteration() const {
        return solver_ != nullptr ? solver_->currentIteration() : 0;
    }
    double achieved() const { return solver_ != nullptr ? solver_->achieved() : 0.0; }
    void requestStop() {
        if (solver_ != nullptr) solver_->requestStop();
    }
    // True once solve() has returned.
    bool done() const { return done_.load(); }

    // Waits for the thread and hands the object back (nullptr when it was
    // already handed back).
    std::unique_ptr<LargeGridSolver> wait();

private:
    std::unique_ptr<LargeGridSolver> solver_;
    Finished finished_;
    std::atomic<bool> done_{false};
    std::thread thread_;
};

}  // namespace gridova
