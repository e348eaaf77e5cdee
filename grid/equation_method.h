// The linear-equation-system methods run on the grid: method 0 (point or
// line relaxation on the user-interface thread) and method 7 (the large-grid
// solver on a worker thread).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "grid/eq_net.h"
#include "grid/large_grid_solver.h"
#include "platform/progress.h"

namespace gridova {

class LineList;
class PointSet;

// Method 0. Values start at the blank value, inside nodes at the mid-point
// of the data values; the solver the grid names fills them; edges are
// marked again and the nodes outside get the blank value. -1 when nothing
// was computed (no data, no step, no memory).
int runEquationSystem(EqNet& grid, const PointSet& points, const LineList* border,
                      RunFeedback& feedback = interactiveFeedback());

// Method 7 while its worker runs. The user-interface thread may read the
// progress and ask it to stop; `complete` takes the values into the grid.
class LargeGridRun {
public:
    LargeGridRun(std::unique_ptr<LargeGridSolver> solver, double startSeconds);
    ~LargeGridRun();
    LargeGridRun(const LargeGridRun&) = delete;
    LargeGridRun& operator=(const LargeGridRun&) = delete;

    bool done() const { return worker_->done(); }
    std::int32_t currentIteration() const { return worker_->currentIteration(); }
    double achieved() const { return worker_->achieved(); }
    void requestStop() { worker_->requestStop(); }
    // The run solves values scaled by 2^-exponent: complete takes them back.
    void setValueExponent(int exponent) { valueExponent_ = exponent; }

    // Waits for the worker, then copies its values into the grid, marks the
    // edges, blanks the outside and records the run. -1 when the solver
    // failed (the grid keeps its start values).
    int complete(EqNet& grid);

private:
    std::unique_ptr<LargeGridWorker> worker_;
    double startSeconds_;
    int valueExponent_ = 0;
};

// Method 7: prepares the grid as method 0 does and starts the worker.
// Nothing when the solver could not be set up.
std::unique_ptr<LargeGridRun> startLargeGridSystem(EqNet& grid, const PointSet& points,
                                                   const LineList* border);

}  // namespace gridova
