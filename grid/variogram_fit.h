// The experimental variogram of the data points and the kriging models
// fitted to it.
//
// The experimental variogram bins the point pairs by distance as gstat's
// variogram() does by default: the cut-off is 0.33333 of the diagonal of the
// points' bounding box, and 15 bins of equal width reach to it; a pair at a
// distance d > 0 falls into bin ceil(d / width) − 1 (a distance on a bin
// boundary belongs to the lower bin), a pair at distance 0 into the first,
// a pair beyond the cut-off into none. A bin gives the mean distance of its
// pairs, the semivariance Σ (z_i − z_j)² / (2 N) and its count N; bins
// without a pair are left out.
//
// The fit is weighted least squares with weights N_j / h_j² (gstat's
// fit.method 7) of the model γ(h) = c0 + c·f(h / a) of kriging.h, with the
// nugget c0 and the partial sill c not negative. For a given range the
// model is linear in c0 and c, so each range has its best sills in closed
// form; the range is searched on a logarithmic scale from a thousandth to a
// thousand times the cut-off and refined by golden sections. A best range
// at the top of that scale means the data do not level off within reach
// (a drift, or a model that does not suit them): the fit says so.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gridova {

struct VariogramBin {
    double distance = 0;  // the mean distance of the bin's pairs
    double gamma = 0;     // the semivariance
    std::int64_t pairs = 0;
};

struct ExperimentalVariogram {
    double cutoff = 0;
    double width = 0;
    std::vector<VariogramBin> bins;  // those that hold a pair, nearest first
};

class VariogramBinning {
public:
    static constexpr int kBins = 15;
    static constexpr double kCutoffShare = 0.33333;  // of the bounding box diagonal
    // Above this many points, the pairs of an evenly spaced subset of this
    // many are binned (every k-th point).
    static constexpr std::size_t kMaxPoints = 20000;
};

// The points' experimental variogram; no bins for fewer than two points or
// points that all lie on one spot.
ExperimentalVariogram experimentalVariogram(std::span<const double> x, std::span<const double> y,
                                            std::span<const double> z);

// γ(h) / c of a model of kriging.h with nugget 0 (models 0 linear,
// 1 spherical, 2 exponential, 3 Gaussian); 0 at h = 0.
double variogramShape(std::int32_t model, double h, double range);

struct FittedVariogram {
    std::int32_t model = 0;
    double nugget = 0;
    double partialSill = 0;
    double range = 0;
    double weightedSquares = 0;  // Σ N_j / h_j² (γ_j − γ(h_j))²
    bool levelsOff = true;       // false: the best range was the largest tried
    bool ok = false;             // false: fewer than two bins
    double sill() const { return nugget + partialSill; }
    double gamma(double h) const {
        return h > 0 ? nugget + partialSill * variogramShape(model, h, range) : 0.0;
    }
};

FittedVariogram fitVariogram(const ExperimentalVariogram& variogram, std::int32_t model);

}  // namespace gridova
