// Line relaxation with the adaptive factor; see the header for the method.
#include "grid/line_relaxation_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <exception>

namespace gridova {
namespace {

using Solver = LineRelaxationSolver;

// The factorisation of every row (step 3: made once, kept for all
// iterations) and the row buffer.
struct RowFactors {
    std::vector<double> inversePivot;  // 1 / pivot of the forward elimination
    std::vector<double> upper;         // c' = east / pivot, the back-substitution factor
    std::vector<double> row;           // right-hand side, then the row solution u~
};

// Thomas elimination of each row: pivot(0) = diag(0),
// pivot(i) = diag(i) - west(i) c'(i - 1), c'(i) = east(i) / pivot(i).
// A row of free nodes that no vertical link and no fixed node holds (the
// grid is one node high, or the area is one node high there) is singular:
// its last pivot vanishes. The node's own diagonal is taken in its place, so
// no division by zero can happen.
void factorise(const LineSystem& s, std::size_t nx, std::size_t ny, RowFactors& f) {
    for (std::size_t j = 0; j < ny; ++j) {
        double previousUpper = 0.0;
        for (std::size_t i = 0; i < nx; ++i) {
            const std::size_t n = i + j * nx;
            double pivot = i > 0 ? s.diag[n] - s.west[n] * previousUpper : s.diag[n];
            if (!(std::abs(pivot) > Solver::kSingularPivot * std::abs(s.diag[n]))) {
                pivot = s.diag[n];
            }
            if (!(std::abs(pivot) > 0.0)) pivot = -1.0;  // a row 0 u = 0 from a caller
            f.inversePivot[n] = 1.0 / pivot;
            previousUpper = i + 1 < nx ? s.east[n] * f.inversePivot[n] : 0.0;
            f.upper[n] = previousUpper;
        }
    }
}

// Sums of one iteration.
struct Changes {
    double squares = 0.0;  // sum of squared changes (delta^2)
    double largest = 0.0;  // a: the largest |change|
    double value = 0.0;    // b: the largest |new value|
};

// One iteration (step 3): every row from the lowest up.
Changes iterate(const LineSystem& s, const RowFactors& f, std::vector<double>& values,
                std::vector<double>& row, std::size_t nx, std::size_t ny, double omega) {
    Changes c;
    double* u = values.data();
    double* t = row.data();
    for (std::size_t j = 0; j < ny; ++j) {
        const std::size_t first = j * nx;
        const bool south = j > 0;
        const bool north = j + 1 < ny;
        // Forward elimination of rhs - cS u(s) - cN u(n).
        double previous = 0.0;
        for (std::size_t i = 0; i < nx; ++i) {
            const std::size_t n = first + i;
            double r = s.rhs[n];
            if (south) r -= s.south[n] * u[n - nx];
            if (north) r -= s.north[n] * u[n + nx];
            if (i > 0) r -= s.west[n] * previous;
            previous = r * f.inversePivot[n];
            t[i] = previous;
        }
        // Back substitution gives u~.
        for (std::size_t i = nx - 1; i-- > 0;) t[i] -= f.upper[first + i] * t[i + 1];
        // Relaxation of the row.
        for (std::size_t i = 0; i < nx; ++i) {
            const std::size_t n = first + i;
            const double next = u[n] - omega * (u[n] - t[i]);
            const double change = std::abs(next - u[n]);
            c.squares += change * change;
            if (change > c.largest) c.largest = change;
            if (std::abs(next) > c.value) c.value = std::abs(next);
            u[n] = next;
        }
    }
    return c;
}

// The Euclidean norm of diag u + cE u(e) + cN u(n) + cW u(w) + cS u(s) - rhs.
double residualNorm(const LineSystem& s, const std::vector<double>& u, std::size_t nx,
                    std::size_t ny) {
    double squares = 0.0;
    for (std::size_t j = 0; j < ny; ++j) {
        for (std::size_t i = 0; i < nx; ++i) {
            const std::size_t n = i + j * nx;
            double r = s.diag[n] * u[n] - s.rhs[n];
            if (i + 1 < nx) r += s.east[n] * u[n + 1];
            if (j + 1 < ny) r += s.north[n] * u[n + nx];
            if (i > 0) r += s.west[n] * u[n - 1];
            if (j > 0) r += s.south[n] * u[n - nx];
            squares += r * r;
        }
    }
    return std::sqrt(squares);
}

// The adaptive factor (step 2): cycle number, factor and the cycle's minima.
class Factor {
public:
    explicit Factor(double estimate) : estimate_(estimate) { startCycle(); }

    double omega() const { return omega_; }
    int cycle() const { return cycle_; }
    int inCycle() const { return inCycle_; }
    void countIteration() { ++inCycle_; }
    bool testAllowed() const { return inCycle_ >= minTest_; }
    bool estimateAllowed() const { return inCycle_ >= minEstimate_; }

    // Step 5: a new estimate from rho, and a new cycle.
    void reestimate(double rho) {
        double mu2 = rho;
        if (omega_ != 1.0) {
            const double p = rho + omega_ - 1.0;
            mu2 = rho > 0.0 ? p * p / (rho * omega_ * omega_) : 1.0;
        }
        // With rho >= 1 the formula leaves [0, 1]; the root would be NaN.
        mu2 = std::clamp(mu2, 0.0, 1.0);
        estimate_ = 2.0 / (1.0 + std::sqrt(1.0 - mu2));
        startCycle();
    }

private:
    void startCycle() {
        cycle_ = std::min(cycle_ + 1, Solver::kCycles);
        omega_ = std::min(estimate_, Solver::kCycleCaps[cycle_ - 1]);
        inCycle_ = 0;
        if (omega_ == 1.0) {
            minTest_ = Solver::kUnitTestIterations;
            minEstimate_ = Solver::kUnitEstimateIterations;
            --cycle_;
            return;
        }
        const double p = omega_ - 1.0;
        minTest_ =
            std::max(Solver::kMinTestIterations, static_cast<int>((omega_ - 1.0) / (2.0 - omega_)));
        // The smallest n >= 5 with (n + 1) p^n <= 0.5; p <= 0.995 under the
        // caps ends this within some 1,700 steps, the bound only guards it.
        constexpr int kLongest = 1000000;
        int n = Solver::kMinEstimatePower;
        double power = std::pow(p, n);
        while ((n + 1) * power > Solver::kEstimateDecay && n < kLongest) {
            ++n;
            power *= p;
        }
        minEstimate_ = n + 1;
    }

    double estimate_;
    double omega_ = 1.0;
    int cycle_ = 0;
    int inCycle_ = 0;
    int minTest_ = 0;
    int minEstimate_ = 0;
};

}  // namespace

LineRelaxationSolver::Result LineRelaxationSolver::solve(int nx, int ny, const LineSystem& system,
                                                         std::vector<double>& values,
                                                         Progress* progress,
                                                         const std::atomic<bool>* stop) const {
    Result result;
    if (progress != nullptr) {
        progress->iteration = 0;
        progress->achieved = 0.0;
    }
    const std::size_t w = nx > 0 ? static_cast<std::size_t>(nx) : 0;
    const std::size_t h = ny > 0 ? static_cast<std::size_t>(ny) : 0;
    const std::size_t count = w * h;
    if (count == 0 || values.size() != count || system.size() != count) {
        result.errorCode = kErrorBadInput;
        return result;
    }

    RowFactors factors;
    try {
        factors.inversePivot.resize(count);
        factors.upper.resize(count);
        factors.row.resize(w);
    } catch (const std::exception&) {  // bad_alloc, or length_error past the size limit
        warnNotEnoughMemory();
        result.errorCode = kErrorNoMemory;
        return result;
    }
    factorise(system, w, h, factors);

    Factor factor(kInitialEstimate);
    double previousDelta = 0.0;
    double previousRho = 0.0;
    int events = 0;
    std::int32_t lastEvent = 0;
    std::int32_t k = 0;  // iterations done
    for (;;) {
        // Step 3: the limit is checked before every iteration.
        if (k >= maxIterations_) {
            result.errorCode = kErrorIterationLimit;
            break;
        }
        const double omega = factor.omega();
        const Changes c = iterate(system, factors, values, factors.row, w, h, omega);
        ++k;
        factor.countIteration();
        result.omega = omega;
        if (progress != nullptr) progress->iteration = k;

        // Step 4.
        const double delta = std::sqrt(c.squares);
        const double rho = previousDelta > 0.0 ? delta / previousDelta : 0.0;
        previousDelta = delta;
        const bool stopRequested = stop != nullptr && stop->load();
        if (factor.testAllowed() && rho < 1.0) {
            double bound = rho;
            if (omega - 1.0 >= rho) {
                ++events;
                lastEvent = k;
                bound = omega - 1.0;
            }
            const double z = c.value < kTinyValue ? c.largest : c.largest / c.value;
            result.achieved = z;
            if (progress != nullptr) progress->achieved = z;
            if (z <= (1.0 - bound) * precision_) break;
        }
        // The stop request ends the run as if it had converged; it is heard
        // after every iteration, also while rho >= 1 keeps the test off.
        if (stopRequested) {
            result.stopped = true;
            break;
        }

        // Step 5.
        const bool eventsAllow = events == 0 || (events < kMaxEvents && k - lastEvent >= kEventAge);
        const bool slow = omega == 1.0 || rho >= std::pow(omega - 1.0, kSlowExponent);
        const bool settled =
            previousRho - rho > -kRhoRise ||
            (factor.cycle() <= kEarlyCycles && rho >= std::pow(omega - 1.0, kEarlyExponent));
        previousRho = rho;
        if (factor.estimateAllowed() && eventsAllow && slow && settled) {
            factor.reestimate(rho);
            ++result.estimates;
        }
    }
    result.iterations = k;
    // Step 6.
    result.residual = residualNorm(system, values, w, h);
    return result;
}

}  // namespace gridova
