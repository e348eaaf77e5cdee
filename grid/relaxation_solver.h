// Point relaxation of the node equations (`RelaxationSolver`, solver "SOR").
//
// Solves the point system of grid/equation_system.h by successive
// over-relaxation in flat-index order (Gauss-Seidel order: a corrected value
// is used at once by the nodes after it). For every node n with
// diag(n) > 1e-30:
//
//     r = diag(n) * (cE u(n+1) + cN u(n+nx) + cW u(n-1) + cS u(n-nx)) - u(n)
//     u(n) <- u(n) + omega * r
//
// A sweep's error m is the largest |r|; the relaxation stops after the first
// sweep with m < epsilon, after N sweeps, or when the user cancels in the
// wait dialog ("Расчет...", message 321), which shows "Процесс остановлен
// пользователем" (message 418) and keeps the values reached. Every tenth
// sweep the status text shows "Итерация %d   Точность %lg" (message 184).
//
// Nodes with a zero coefficient are never read through it, so edge rows and
// columns read nothing outside the grid.
#pragma once

#include <cstdint>
#include <vector>

#include "grid/equation_system.h"
#include "platform/progress.h"

namespace gridova {

class RelaxationSolver {
public:
    static constexpr double kDefaultRelaxation = 1.83;  // omega
    static constexpr double kDefaultPrecision = 1e-5;   // epsilon, in value units
    static constexpr std::int32_t kDefaultMaxIterations = 8000;
    static constexpr int kStatusEvery = 10;  // sweeps between status texts

    struct Settings {
        double precision = kDefaultPrecision;  // stop when the largest correction is below
        std::int32_t maxIterations = kDefaultMaxIterations;  // sweep limit N
        double relaxation = kDefaultRelaxation;              // over-relaxation factor omega
    };

    struct Result {
        // The grid's lastIterations: the index of the sweep that converged
        // (0 when the first sweep did), N at the limit, the number of sweeps
        // done when cancelled.
        std::int32_t lastIterations = 0;
        // The grid's lastError: the largest correction of the last sweep (0
        // when no sweep ran).
        double lastError = 0.0;
        // The relaxation's own result, lastIterations + 1.
        std::int32_t result = 0;
        bool cancelled = false;
        // False when the system does not fit the values (nothing was done).
        bool ran = false;
    };

    RelaxationSolver() = default;
    explicit RelaxationSolver(const Settings& settings) : settings_(settings) {}

    // Relaxes values (nx * ny entries, system of the same size) in place.
    Result relax(int nx, int ny, const PointSystem& system, std::vector<double>& values,
                 RunFeedback& feedback = interactiveFeedback()) const;

    const Settings& settings() const { return settings_; }

private:
    Settings settings_;
};

}  // namespace gridova
