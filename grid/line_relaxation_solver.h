// Line relaxation of the node equations with an adaptive relaxation factor
// (`LineRelaxationSolver`, solver "LSOR").
//
// Solves the line system of grid/equation_system.h,
//
//     diag u + cE u(e) + cN u(n) + cW u(w) + cS u(s) = rhs,
//
// by line successive over-relaxation: one iteration takes the node rows from
// the lowest upward and solves each row exactly as the tridiagonal system
//
//     cW u~(i-1) + diag u~(i) + cE u~(i+1) = rhs - cS u(s) - cN u(n)
//
// (Thomas elimination; each row's factorisation is made once and kept), the
// south row already holding this iteration's values, then relaxes the row:
// u <- u - omega (u - u~).
//
// The factor omega is chosen as Hageman and Young do. The iterations form
// cycles; a cycle starts at the first iteration and after every new estimate
// of omega. A cycle c = 1..8 runs with omega = min(estimate, cap(c)), the caps
// being 1.6, 1.8, 1.9, 1.95, 1.975, 1.985, 1.99, 1.995; the first estimate is
// 1.7 in single precision. With delta the Euclidean norm of an iteration's
// changes, rho = delta / delta(previous) estimates the spectral radius.
// - Convergence: after the cycle's minimum number of iterations and with
//   rho < 1, rho' = omega - 1 when omega - 1 >= rho (an "event"), else rho;
//   the relative change z = a / b (a the largest |change|, b the largest
//   |new value|, z = a when b < 1e-20) stops the iteration when
//   z <= (1 - rho') * precision.
// - Otherwise a new estimate 2 / (1 + sqrt(1 - mu^2)) with
//   mu^2 = (rho + omega - 1)^2 / (rho omega^2) (mu^2 = rho for omega = 1) is
//   taken when the cycle is old enough, rho has settled, and rho is large
//   against omega - 1 (see `LineRelaxationSolver::solve`).
//
// Notation as in grid/equation_system.h: flat index n = i + j * nx, row 0
// lowest.
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "grid/equation_system.h"

namespace gridova {

class LineRelaxationSolver {
public:
    static constexpr std::int32_t kErrorNone = 0;
    static constexpr std::int32_t kErrorIterationLimit = 106;  // the limit was reached
    static constexpr std::int32_t kErrorBadInput = -1;         // the system does not fit the values
    static constexpr std::int32_t kErrorNoMemory = -2;         // " Not enought memory" was shown

    // The first estimate of omega: 1.7 as a single-precision number.
    static constexpr double kInitialEstimate = static_cast<double>(1.7f);
    static constexpr int kCycles = 8;
    // The largest omega of cycle c, for c = 1..8.
    static constexpr double kCycleCaps[kCycles] = {1.6, 1.8, 1.9, 1.95, 1.975, 1.985, 1.99, 1.995};
    // Iterations of a cycle before its convergence test: at least this many.
    static constexpr int kMinTestIterations = 3;
    // Iterations before a re-estimation: n + 1 for the smallest n >= 5 with
    // (n + 1) (omega - 1)^n <= 0.5.
    static constexpr int kMinEstimatePower = 5;
    static constexpr double kEstimateDecay = 0.5;
    // The same two minima when omega is exactly 1.
    static constexpr int kUnitTestIterations = 2;
    static constexpr int kUnitEstimateIterations = 3;
    // Events (omega - 1 >= rho) allow a re-estimation only while fewer than
    // this many occurred, the last at least kEventAge iterations ago.
    static constexpr int kMaxEvents = 3;
    static constexpr int kEventAge = 41;
    // rho must reach (omega - 1)^kSlowExponent to re-estimate, and must not
    // have grown by more than kRhoRise since the last iteration, unless in
    // the first kEarlyCycles cycles rho >= (omega - 1)^kEarlyExponent.
    static constexpr double kSlowExponent = 0.75;
    static constexpr double kRhoRise = 0.001;
    static constexpr int kEarlyCycles = 2;
    static constexpr double kEarlyExponent = 0.1;
    // Below this the largest new value does not scale the change.
    static constexpr double kTinyValue = 1e-20;
    // A Thomas pivot this small against its diagonal marks a singular row.
    static constexpr double kSingularPivot = 1e-12;

    // Readable from another thread while the solver runs.
    struct Progress {
        std::atomic<std::int32_t> iteration{0};  // iterations done
        std::atomic<double> achieved{0.0};       // relative change z of the last test
    };

    struct Result {
        std::int32_t iterations = 0;  // iterations done (the grid's lastIterations)
        std::int32_t errorCode = kErrorNone;
        double residual = 0.0;       // |A u - rhs|, Euclidean (the grid's lastError)
        double achieved = 0.0;       // relative change z of the last convergence test
        double omega = 0.0;          // the relaxation factor of the last iteration
        std::int32_t estimates = 0;  // new estimates of omega taken
        bool stopped = false;        // ended by the stop request
    };

    // precision: already scaled by the data magnitude (`scaledPrecision`).
    LineRelaxationSolver(std::int32_t maxIterations, double precision)
        : maxIterations_(maxIterations), precision_(precision) {}

    // Solves in place. progress, when given, is updated after every
    // iteration; stop, when given and set, ends the run at the next
    // iteration as if it had converged.
    Result solve(int nx, int ny, const LineSystem& system, std::vector<double>& values,
                 Progress* progress = nullptr, const std::atomic<bool>* stop = nullptr) const;

private:
    std::int32_t maxIterations_;
    double precision_;
};

}  // namespace gridova
