// Point relaxation; see the header for the iteration.
#include "grid/relaxation_solver.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/status.h"

namespace gridova {
namespace {

constexpr int kTextIteration = 184;  // "Итерация %d   Точность %lg"
constexpr int kTextComputing = 321;  // "Расчет..."
constexpr int kTextStopped = 418;  // "Процесс остановлен пользователем"

using equation_system::kTinyDiagonal;

// The arrays of the point system, as plain pointers.
struct Arrays {
    const double* diag;
    const double* east;
    const double* north;
    const double* west;
    const double* south;
};

// Relaxes node n (step 2.2) when it is computed; only the neighbours that
// exist are read. The terms are summed in the order east, north, west,
// south. Gives |r|, or 0 for a node that is skipped.
template <bool kEast, bool kNorth, bool kWest, bool kSouth>
inline double relaxNode(const Arrays& a, double* u, std::size_t n, std::size_t nx, double omega) {
    const double d = a.diag[n];
    if (!(d > kTinyDiagonal)) return 0.0;
    double sum = 0.0;
    if constexpr (kEast) sum += a.east[n] * u[n + 1];
    if constexpr (kNorth) sum += a.north[n] * u[n + nx];
    if constexpr (kWest) sum += a.west[n] * u[n - 1];
    if constexpr (kSouth) sum += a.south[n] * u[n - nx];
    const double r = d * sum - u[n];
    u[n] += omega * r;
    return std::abs(r);
}

// One row of a sweep; the south and north neighbours exist when the row is
// not the lowest or the highest. Gives the row's largest |r|.
template <bool kSouth, bool kNorth>
double sweepRow(const Arrays& a, double* u, std::size_t first, std::size_t nx, double omega) {
    if (nx == 1) return relaxNode<false, kNorth, false, kSouth>(a, u, first, nx, omega);
    double m = relaxNode<true, kNorth, false, kSouth>(a, u, first, nx, omega);
    for (std::size_t n = first + 1; n < first + nx - 1; ++n)
        m = std::max(m, relaxNode<true, kNorth, true, kSouth>(a, u, n, nx, omega));
    return std::max(m, relaxNode<false, kNorth, true, kSouth>(a, u, first + nx - 1, nx, omega));
}

// One Gauss-Seidel sweep over all nodes (step 2.2); the largest |r|.
double sweep(const PointSystem& s, std::vector<double>& values, std::size_t nx, std::size_t ny,
             double omega) {
    double* u = values.data();
    const Arrays a{s.diag.data(), s.east.data(), s.north.data(), s.west.data(), s.south.data()};
    double m = 0.0;
    for (std::size_t j = 0; j < ny; ++j) {
        const std::size_t first = j * nx;
        const bool south = j > 0;
        const bool north = j + 1 < ny;
        double rowMax;
        if (south && north) {
            rowMax = sweepRow<true, true>(a, u, first, nx, omega);
        } else if (south) {
            rowMax = sweepRow<true, false>(a, u, first, nx, omega);
        } else if (north) {
            rowMax = sweepRow<false, true>(a, u, first, nx, omega);
        } else {
            rowMax = sweepRow<false, false>(a, u, first, nx, omega);
        }
        if (rowMax > m) m = rowMax;
    }
    return m;
}

}  // namespace

RelaxationSolver::Result RelaxationSolver::relax(int nx, int ny, const PointSystem& system,
                                                 std::vector<double>& values,
                                                 RunFeedback& feedback) const {
    Result result;
    if (nx <= 0 || ny <= 0) return result;
    const std::size_t w = static_cast<std::size_t>(nx);
    const std::size_t h = static_cast<std::size_t>(ny);
    const std::size_t count = w * h;
    if (values.size() != count || system.size() != count) return result;
    result.ran = true;

    // Step 1: the wait dialog with Cancel.
    RunFeedback::StageLook look;
    look.waitText = text(kTextComputing);
    const std::unique_ptr<RunStage> scope = feedback.stage(look);
    const std::int32_t limit = settings_.maxIterations;
    std::int32_t k = 0;
    double m = 0.0;
    // Step 2.
    for (; k < limit; ++k) {
        if (scope->cancelled()) {
            feedback.information(text(kTextStopped));
            result.cancelled = true;
            break;
        }
        m = sweep(system, values, w, h, settings_.relaxation);
        if ((k + 1) % kStatusEvery == 0)
            setStatusText(formatText(text(kTextIteration), {std::int64_t{k + 1}, m}));
        if (m < settings_.precision) break;
    }
    // Step 3 (the grid recomputes its value range itself).
    result.lastIterations = k;
    result.lastError = m;
    // The limit may be the largest int; the result then stays at it.
    result.result = k < INT32_MAX ? k + 1 : k;
    return result;
}

}  // namespace gridova
