#include "data/nice_value.h"

#include <cmath>
#include <utility>

namespace gridova {
namespace {

constexpr double kTiny = 1e-30;
constexpr double kLargestScale = 1e30;

}  // namespace

namespace {

template <typename Real>
Real niceBetween(Real lo, Real hi) {
    if (std::abs(lo - hi) < kTiny) return lo;
    if (lo > hi) std::swap(lo, hi);
    if (lo * hi < 0) return 0.0;
    // Scale up until lo and hi fall into different whole numbers.
    Real g = 1.0;
    while (g <= kLargestScale && std::trunc(lo * g) == std::trunc(hi * g)) g *= 10.0;
    // Then down while they still differ, remembering the whole number at
    // the end away from zero: of hi for positive intervals, of lo for
    // negative ones.
    Real h = lo >= 0 ? std::trunc(hi * g) : std::trunc(lo * g);
    while (g > 0 && std::trunc(lo * g) < std::trunc(hi * g)) {
        h = lo >= 0 ? std::trunc(hi * g) : std::trunc(lo * g);
        g /= 10.0;
    }
    return h * Real(0.1) / g;
}

// Beyond this magnitude the scale g of the search runs into the smallest
// numbers a double holds and the result past the largest: such values are
// searched with the wider exponent of long double.
constexpr double kWideAbove = 1e290;

}  // namespace

double niceValueBetween(double lo, double hi) {
    if (std::fabs(lo) > kWideAbove || std::fabs(hi) > kWideAbove) {
        const long double v = niceBetween<long double>(lo, hi);
        return static_cast<double>(v);
    }
    return niceBetween<double>(lo, hi);
}

}  // namespace gridova
