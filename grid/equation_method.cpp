#include "grid/equation_method.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "data/point_set.h"
#include "grid/equation_system.h"
#include "grid/interpolator.h"
#include "grid/line_relaxation_solver.h"
#include "grid/relaxation_solver.h"
#include "objects/line_list.h"
#include "platform/progress.h"

namespace gridova {
namespace {

// The start value of nodes outside the area in the line system: their
// equation is -u = -1, so 1 is already their solution. (A start at the blank
// value makes every outside node decay only by |1 - ω| a sweep, which
// holds the adaptive factor at its first cap for thousands of iterations.)
constexpr double kOutsideStart = 1.0;

double nowSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

GridLayout layoutOf(const EqNet& grid) {
    return {grid.nx(),           grid.ny(),           grid.stepX().data(),
            grid.stepY().data(), grid.nodeX().data(), grid.nodeY().data()};
}

// The data points with values, as the solvers take them.
struct Data {
    std::vector<double> x, y, v;
    double min = 0, max = 0;
    DataValues view() const { return {x, y, v}; }
};

std::optional<Data> dataOf(const PointSet& points) {
    const auto arrays = points.valueArrays();
    if (!arrays || arrays->v.empty()) return std::nullopt;
    Data d{arrays->x, arrays->y, arrays->v, 0, 0};
    const auto [lo, hi] = std::minmax_element(d.v.begin(), d.v.end());
    d.min = *lo;
    d.max = *hi;
    return d;
}

// Mask from the border, blank everywhere, the mid-point inside.
bool prepare(EqNet& grid, const LineList* border, const Data& data) {
    grid.computeMask(border);
    if (!grid.allocateValues(kBlankValue)) return false;
    grid.setInside((data.min + data.max) / 2);
    return true;
}

std::optional<double> borderValueOf(const EqNet& grid) {
    if (grid.borderValue.enabled == 0) return std::nullopt;
    return grid.borderValue.value;
}

// An inside node without inside neighbours has no equation of its own; the
// line system would hold it at 1. It keeps its start value instead (data
// nodes are fixed at their values afterwards).
void keepIsolatedNodes(const EqNet& grid, LineSystem& system) {
    for (std::size_t n = 0; n < system.size(); ++n) {
        if (grid.mask()[n] == kMaskOutside) continue;
        if (system.east[n] == 0 && system.west[n] == 0 && system.north[n] == 0 &&
            system.south[n] == 0) {
            system.diag[n] = -1.0;
            system.rhs[n] = -grid.values()[n];
        }
    }
}

void finishRun(EqNet& grid, double startSeconds) {
    grid.markEdges();
    grid.settleValues();
    grid.lastSeconds = std::floor(nowSeconds() - startSeconds);
    grid.lastRunValid = 1;
}

}  // namespace

int runEquationSystem(EqNet& grid, const PointSet& points, const LineList* border,
                      RunFeedback& feedback) {
    const double start = nowSeconds();
    const auto data = dataOf(points);
    if (!data || grid.empty()) return -1;
    WaitScope wait;
    if (!prepare(grid, border, *data)) return -1;
    const GridLayout layout = layoutOf(grid);
    const bool borderOn = grid.borderValue.enabled != 0;

    if (grid.solver == 0) {
        applyBorderValue(borderValueOf(grid), grid.mask(), grid.values());
        PointSystem system;
        if (buildPointSystem(layout, grid.mask(), borderOn, system) != kSystemBuilt) return -1;
        fixDataPoints(layout, data->view(), grid.values(), grid.mask(), system);
        const RelaxationSolver solver({grid.precision, grid.maxIterations, grid.relaxation});
        const auto result = solver.relax(grid.nx(), grid.ny(), system, grid.values(), feedback);
        grid.lastIterations = result.lastIterations;
        grid.lastError = result.lastError;
    } else {
        LineSystem system;
        if (buildLineSystem(layout, grid.mask(), borderOn, system) != kSystemBuilt) return -1;
        keepIsolatedNodes(grid, system);
        fixDataPoints(layout, data->view(), grid.values(), grid.mask(), system);
        applyBorderValue(borderValueOf(grid), grid.mask(), grid.values(), system);
        for (std::size_t n = 0; n < grid.values().size(); ++n) {
            if (grid.mask()[n] == kMaskOutside) grid.values()[n] = kOutsideStart;
        }
        const LineRelaxationSolver solver(grid.maxIterations,
                                          scaledPrecision(grid.precision, data->min, data->max));
        const auto result = solver.solve(grid.nx(), grid.ny(), system, grid.values());
        if (result.errorCode == LineRelaxationSolver::kErrorBadInput ||
            result.errorCode == LineRelaxationSolver::kErrorNoMemory) {
            return -1;
        }
        grid.lastIterations = result.iterations;
        grid.lastError = result.residual;
    }
    finishRun(grid, start);
    return 0;
}

LargeGridRun::LargeGridRun(std::unique_ptr<LargeGridSolver> solver, double startSeconds)
    : worker_(std::make_unique<LargeGridWorker>(std::move(solver), [](int) {})),
      startSeconds_(startSeconds) {}

LargeGridRun::~LargeGridRun() = default;

int LargeGridRun::complete(EqNet& grid) {
    const std::unique_ptr<LargeGridSolver> solver = worker_->wait();
    if (solver == nullptr || solver->count() != static_cast<std::size_t>(grid.nodeCount()) ||
        (solver->errorCode() != 0 &&
         solver->errorCode() != LineRelaxationSolver::kErrorIterationLimit)) {
        return -1;
    }
    grid.values() = solver->values();
    if (valueExponent_ != 0) grid.scaleInsideValues(valueExponent_);
    grid.lastIterations = solver->iterations();
    grid.lastError = solver->residual();
    finishRun(grid, startSeconds_);
    return 0;
}

std::unique_ptr<LargeGridRun> startLargeGridSystem(EqNet& grid, const PointSet& points,
                                                   const LineList* border) {
    const double start = nowSeconds();
    const auto data = dataOf(points);
    if (!data || grid.empty()) return nullptr;
    if (!prepare(grid, border, *data)) return nullptr;
    auto solver = std::make_unique<LargeGridSolver>();
    if (solver->setGrid(grid.nx(), grid.nodeX().data(), grid.ny(), grid.nodeY().data()) != 0) {
        return nullptr;
    }
    solver->setData(static_cast<int>(data->v.size()), data->x.data(), data->y.data(),
                    data->v.data());
    if (border != nullptr && !border->empty() && solver->setMask(grid.mask()) != 0) return nullptr;
    solver->setPrecision(grid.precision);
    solver->setMaxIterations(grid.maxIterations);
    try {
        return std::make_unique<LargeGridRun>(std::move(solver), start);
    } catch (const std::system_error&) {
        return nullptr;
    }
}

namespace {

class EquationSystemMethod final : public Interpolator {
public:
    InterpolationMethod method() const override { return InterpolationMethod::EquationSystem; }
    MethodInput input() const override { return MethodInput::DataValues; }
    int run(EqNet& grid, const InterpolationInput& in) const override {
        return runEquationSystem(grid, *in.points, in.border, in.feedbackOrDefault());
    }
};

// Run on its worker and waited for here; a caller that shows the run's
// progress takes it over through the driver's hooks instead.
class LargeGridMethod final : public Interpolator {
public:
    InterpolationMethod method() const override {
        return InterpolationMethod::LargeGridEquationSystem;
    }
    MethodInput input() const override { return MethodInput::DataValues; }
    int run(EqNet& grid, const InterpolationInput& in) const override {
        auto run = startLargeGridSystem(grid, *in.points, in.border);
        if (run == nullptr) return -1;
        return run->complete(grid);
    }
};

}  // namespace

const Interpolator& equationSystemMethod() {
    static const EquationSystemMethod method;
    return method;
}

const Interpolator& largeGridMethod() {
    static const LargeGridMethod method;
    return method;
}

}  // namespace gridova
