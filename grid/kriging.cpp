// Kriging engine: points, parameters, the system and its inverse, estimates.
//
// Estimates. After the inversion u = A⁻ᵀ p̃ is formed once (u_j is column j
// of the inverse times the values), and an estimate is Σ u_i·γ(h_i) + u_n.
// The sum runs over the points in vector lanes (grid/kriging_lanes.h): two
// lanes (SSE2), or four (AVX2) when the processor has them.
#include "grid/kriging.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <new>
#include <numeric>

#include <unistd.h>

#include "grid/kriging_lanes.h"
#include "platform/profile.h"

extern "C" {
// LAPACK (column-major, Fortran calling convention).
void dgetrf_(const int* m, const int* n, double* a, const int* lda, int* ipiv, int* info);
void dgetri_(const int* n, double* a, const int* lda, const int* ipiv, double* work,
             const int* lwork, int* info);
double dlange_(const char* norm, const int* m, const int* n, const double* a, const int* lda,
               double* work, std::size_t normLength);
void dgecon_(const char* norm, const int* n, const double* a, const int* lda, const double* anorm,
             double* rcond, double* work, int* iwork, int* info, std::size_t normLength);
}

namespace gridova {
namespace {

constexpr const char* kKeyTypeInit = "Type Init";
constexpr const char* kKeyRange = "Range";
constexpr const char* kKeyMode = "Mode";
constexpr const char* kKeyNugget = "Nugget";
constexpr const char* kKeySill = "Sill";

// The points are padded to a multiple of this (two registers of four lanes).
constexpr std::size_t kLanes = 8;
// dgetri's work array: N × this many doubles lets it use its blocked code.
constexpr int kWorkColumns = 64;

std::size_t padded(std::size_t n) { return (n + kLanes - 1) / kLanes * kLanes; }

// Whether a system of this many bytes may be allocated. Up to half the
// physical memory: a larger allocation may well succeed where memory is
// overcommitted, and the process would then be killed while the matrix is
// filled, instead of reporting that memory is short.
bool fitsInMemory(std::size_t bytes) {
#if defined(_SC_PHYS_PAGES) && defined(_SC_PAGESIZE)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        return bytes / 2 <=
               static_cast<std::size_t>(pages) / 4 * static_cast<std::size_t>(pageSize);
    }
#endif
    return true;
}

}  // namespace

// --- Distinct points ------------------------------------------------------------

double samePointTolerance(int count, const double* x, const double* y) {
    double minX = 0, maxX = 0, minY = 0, maxY = 0, largest = 0;
    bool any = false;
    for (int k = 0; k < count; ++k) {
        if (!std::isfinite(x[k]) || !std::isfinite(y[k])) continue;
        if (!any) {
            minX = maxX = x[k];
            minY = maxY = y[k];
            any = true;
        }
        minX = std::min(minX, x[k]);
        maxX = std::max(maxX, x[k]);
        minY = std::min(minY, y[k]);
        maxY = std::max(maxY, y[k]);
        largest = std::max({largest, std::fabs(x[k]), std::fabs(y[k])});
    }
    if (!any) return 0.0;
    const double extent = std::max(maxX - minX, maxY - minY);
    const double tolerance = std::max(Kriging::kSamePointRelative * extent,
                                      Kriging::kSamePointUlps * DBL_EPSILON * largest);
    return std::isfinite(tolerance) ? tolerance : 0.0;
}

std::vector<std::int32_t> distinctPoints(int count, const double* x, const double* y) {
    std::vector<std::int32_t> result;
    if (count <= 0) return result;
    const double tol = samePointTolerance(count, x, y);
    // Points without a position are left out.
    std::vector<std::int32_t> order;
    order.reserve(static_cast<std::size_t>(count));
    for (std::int32_t k = 0; k < count; ++k) {
        if (std::isfinite(x[k]) && std::isfinite(y[k])) order.push_back(k);
    }
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        if (x[a] != x[b]) return x[a] < x[b];
        if (y[a] != y[b]) return y[a] < y[b];
        return a < b;
    });
    // Equal coordinates: only the first point of each run (the lowest index)
    // can stay, and it stays unless it lies within the tolerance of another
    // point taken before it, which the others then do too.
    std::vector<std::int32_t> heads;  // the runs' first points, sorted by (x, y)
    heads.reserve(order.size());
    for (std::size_t p = 0; p < order.size(); ++p) {
        if (p == 0 || x[order[p]] != x[order[p - 1]] || y[order[p]] != y[order[p - 1]]) {
            heads.push_back(order[p]);
        }
    }
    order.clear();
    order.shrink_to_fit();
    // Groups of equal X among the heads, sorted by Y inside.
    std::vector<std::int32_t> groupBegin;  // one more entry than groups
    std::vector<std::int32_t> groupOf(heads.size());
    for (std::size_t p = 0; p < heads.size(); ++p) {
        if (p == 0 || x[heads[p]] != x[heads[p - 1]]) {
            groupBegin.push_back(static_cast<std::int32_t>(p));
        }
        groupOf[p] = static_cast<std::int32_t>(groupBegin.size() - 1);
    }
    groupBegin.push_back(static_cast<std::int32_t>(heads.size()));
    const int groups = static_cast<int>(groupBegin.size()) - 1;

    std::vector<std::int32_t> byIndex(heads.size());  // head positions by point index
    std::iota(byIndex.begin(), byIndex.end(), 0);
    std::sort(byIndex.begin(), byIndex.end(),
              [&](std::int32_t a, std::int32_t b) { return heads[a] < heads[b]; });
    std::vector<char> taken(heads.size(), 0);
    auto takenNear = [&](int g, double py) {
        const auto first = heads.begin() + groupBegin[g];
        const auto last = heads.begin() + groupBegin[g + 1];
        auto it = std::lower_bound(
            first, last, py, [&](std::int32_t a, double value) { return value - y[a] > tol; });
        for (; it != last && std::fabs(y[*it] - py) <= tol; ++it) {
            if (taken[static_cast<std::size_t>(it - heads.begin())]) return true;
        }
        return false;
    };
    for (const std::int32_t pos : byIndex) {
        const std::int32_t k = heads[static_cast<std::size_t>(pos)];
        const int g0 = groupOf[static_cast<std::size_t>(pos)];
        bool repeated = false;
        for (int g = g0; g >= 0 && !repeated; --g) {
            if (std::fabs(x[heads[static_cast<std::size_t>(groupBegin[g])]] - x[k]) > tol) break;
            repeated = takenNear(g, y[k]);
        }
        for (int g = g0 + 1; g < groups && !repeated; ++g) {
            if (std::fabs(x[heads[static_cast<std::size_t>(groupBegin[g])]] - x[k]) > tol) break;
            repeated = takenNear(g, y[k]);
        }
        if (repeated) continue;
        taken[static_cast<std::size_t>(pos)] = 1;
        result.push_back(k);
    }
    return result;
}

// --- Points and parameters ----------------------------------------------------------

int Kriging::loadPoints(int count, const double* x, const double* y, const double* v) {
    try {
        std::vector<double> wx, wy, wv;
        if (count > 0) {
            wx.reserve(static_cast<std::size_t>(count));
            wy.reserve(static_cast<std::size_t>(count));
            wv.reserve(static_cast<std::size_t>(count));
        }
        for (int k = 0; k < count; ++k) {
            if (windowFilter_ && !window_.contains(x[k], y[k])) continue;
            wx.push_back(x[k]);
            wy.push_back(y[k]);
            wv.push_back(v[k]);
        }
        const std::vector<std::int32_t> keep =
            distinctPoints(static_cast<int>(wx.size()), wx.data(), wy.data());
        std::vector<double> dx(keep.size()), dy(keep.size()), dv(keep.size());
        for (std::size_t k = 0; k < keep.size(); ++k) {
            const auto s = static_cast<std::size_t>(keep[k]);
            dx[k] = wx[s];
            dy[k] = wy[s];
            dv[k] = wv[s];
        }
        return setPoints(std::move(dx), std::move(dy), std::move(dv));
    } catch (const std::bad_alloc&) {
        setPoints({}, {}, {});
        return -1;
    }
}

int Kriging::setPoints(std::vector<double> x, std::vector<double> y, std::vector<double> v) {
    px_ = std::move(x);
    py_ = std::move(y);
    pv_ = std::move(v);
    n_ = static_cast<int>(std::min({px_.size(), py_.size(), pv_.size()}));
    inverted_ = false;
    return n_;
}

void Kriging::setWindowFilter(const KrigingRect& window) {
    window_ = window;
    windowFilter_ = true;
}

void Kriging::setRange(double a) {
    if (!(a > kMinRange)) return;
    range_ = a;
    invRange_ = 1.0 / a;
    inverted_ = false;
}

void Kriging::setNuggetSill(double nugget, double partialSill) {
    nugget_ = nugget;
    partialSill_ = partialSill;
    sill_ = nugget + partialSill;
    inverted_ = false;
}

void Kriging::setNuggetAndTotalSill(double nugget, double sill) {
    if (sill >= nugget) {
        setNuggetSill(nugget, sill - nugget);
    } else {
        setNuggetSill(0.0, sill);
    }
}

void Kriging::setModel(std::int32_t model) {
    // Any other model would make every γ 0 and the system singular.
    if (model < kLinear || model > kGaussian) return;
    model_ = model;
    inverted_ = false;
}

void Kriging::setDataDiagonal(double diagonal) {
    if (diagonal > kMinRange) defaultRange_ = diagonal;
    setRange(diagonal);
}

void Kriging::restoreDefaults() {
    setModel(kLinear);
    setNuggetSill(kDefaultNugget, kDefaultPartialSill);
    setRange(defaultRange_);
}

double Kriging::gamma(double h) const {
    switch (model_) {
        case kLinear:
            return h < range_ ? nugget_ + partialSill_ * (h * invRange_) : sill_;
        case kSpherical:
            if (h < range_) {
                const double t = h * invRange_;
                return nugget_ + partialSill_ * (1.5 * t - 0.5 * (t * t * t));
            }
            return sill_;
        case kExponential:
            return h > 0.0 ? nugget_ + partialSill_ * (1.0 - std::exp(-3.0 * (h * invRange_)))
                           : 0.0;
        case kGaussian: {
            const double t = h * invRange_;
            return nugget_ + partialSill_ * (1.0 - std::exp(-3.0 * (t * t)));
        }
        default:
            return 0.0;
    }
}

// --- System -----------------------------------------------------------------------

int Kriging::buildSystem() {
    inverted_ = false;
    if (n_ <= 0) return -1;
    const std::size_t N = static_cast<std::size_t>(n_) + 1;
    if (N > static_cast<std::size_t>(INT_MAX / kWorkColumns)) return -1;
    if (!fitsInMemory(N * N * sizeof(double))) return -1;
    try {
        system_.assign(N * N, 0.0);
    } catch (const std::bad_alloc&) {
        system_.clear();
        system_.shrink_to_fit();
        return -1;
    }
    const std::size_t n = N - 1;
    double* a = system_.data();
    for (std::size_t j = 0; j < n; ++j) {
        for (std::size_t i = 0; i <= j; ++i) {
            const double dx = px_[i] - px_[j];
            const double dy = py_[i] - py_[j];
            const double g = gamma(std::sqrt(dx * dx + dy * dy));
            a[i + j * N] = g;
            a[j + i * N] = g;
        }
        a[n + j * N] = 1.0;
        a[j + n * N] = 1.0;
    }
    a[n + n * N] = 0.0;
    return 0;
}

int Kriging::invert() {
    inverted_ = false;
    if (n_ <= 0 || system_.size() != static_cast<std::size_t>(n_ + 1) * (n_ + 1)) return -1;
    const int N = n_ + 1;
    const std::size_t n = static_cast<std::size_t>(n_);
    try {
        pivots_.resize(static_cast<std::size_t>(N));
        work_.resize(static_cast<std::size_t>(N) * kWorkColumns);
        u_.assign(padded(n), 0.0);
        pxPad_.resize(padded(n));
        pyPad_.resize(padded(n));
    } catch (const std::bad_alloc&) {
        return -2;
    }
    int info = 0;
    // The condition of the system: its 1-norm now, the estimate of the
    // inverse's from the factors.
    reciprocalCondition_ = 0.0;
    const double norm = dlange_("1", &N, &N, system_.data(), &N, work_.data(), 1);
    dgetrf_(&N, &N, system_.data(), &N, pivots_.data(), &info);
    if (info != 0 || !std::isfinite(norm)) return -1;
    try {
        conditionWork_.resize(static_cast<std::size_t>(N));
    } catch (const std::bad_alloc&) {
        return -2;
    }
    dgecon_("1", &N, system_.data(), &N, &norm, &reciprocalCondition_, work_.data(),
            conditionWork_.data(), &info, 1);
    if (info != 0 || !(reciprocalCondition_ >= minReciprocalCondition(N))) return -1;
    const int lwork = N * kWorkColumns;
    dgetri_(&N, system_.data(), &N, pivots_.data(), work_.data(), &lwork, &info);
    if (info != 0) return -1;
    // u_j = Σ_i inverse(i, j)·p_i: column j of the inverse times the values.
    const double* inv = system_.data();
    for (std::size_t j = 0; j <= n; ++j) {
        const double* column = inv + j * static_cast<std::size_t>(N);
        double s = 0.0;
        for (std::size_t i = 0; i < n; ++i) s += column[i] * pv_[i];
        if (j < n) {
            u_[j] = s;
        } else {
            uLast_ = s;
        }
    }
    std::copy(px_.begin(), px_.begin() + static_cast<std::ptrdiff_t>(n), pxPad_.begin());
    std::copy(py_.begin(), py_.begin() + static_cast<std::ptrdiff_t>(n), pyPad_.begin());
    std::fill(pxPad_.begin() + static_cast<std::ptrdiff_t>(n), pxPad_.end(), px_[0]);
    std::fill(pyPad_.begin() + static_cast<std::ptrdiff_t>(n), pyPad_.end(), py_[0]);
    inverted_ = true;
    return 0;
}

// --- Estimates ----------------------------------------------------------------------

namespace {

#if defined(GRIDOVA_KRIGING_AVX2)
const bool kHaveAvx2 = __builtin_cpu_supports("avx2");
#endif

#if !defined(__SSE2__)
// Without vector lanes: the plain loop, γ with the same operations.
double plainSum(int model, const KrigingTerms& t, double x, double y) {
    Kriging k;
    k.setModel(model);
    k.setRange(t.range);
    k.setNuggetSill(t.nugget, t.partialSill);
    double s = 0.0;
    for (std::size_t i = 0; i < t.count; ++i) {
        const double dx = t.px[i] - x;
        const double dy = t.py[i] - y;
        s += t.u[i] * k.gamma(std::sqrt(dx * dx + dy * dy));
    }
    return s;
}
#endif

double sumFor(int model, const KrigingTerms& t, double x, double y) {
#if defined(GRIDOVA_KRIGING_AVX2)
    if (kHaveAvx2) return krigingSumAvx2(model, t, x, y);
#endif
#if defined(__SSE2__)
    return sumForModel<Sse2Lanes>(model, t, x, y);
#else
    return plainSum(model, t, x, y);
#endif
}

}  // namespace

double Kriging::estimate(double x, double y) const {
    if (!inverted_) return 0.0;
    const KrigingTerms t{pxPad_.data(), pyPad_.data(), u_.data(),    u_.size(), range_,
                         invRange_,     nugget_,       partialSill_, sill_};
    return sumFor(model_, t, x, y) + uLast_;
}

double Kriging::plainEstimate(double x, double y) const {
    if (!inverted_) return 0.0;
    const std::size_t N = static_cast<std::size_t>(n_) + 1;
    const std::size_t n = N - 1;
    std::vector<double> rhs(N);
    for (std::size_t i = 0; i < n; ++i) {
        const double dx = px_[i] - x;
        const double dy = py_[i] - y;
        rhs[i] = gamma(std::sqrt(dx * dx + dy * dy));
    }
    rhs[n] = 1.0;
    double result = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        double w = 0.0;  // weight i: row i of the inverse times the right-hand side
        for (std::size_t j = 0; j < N; ++j) w += system_[i + j * N] * rhs[j];
        result += w * pv_[i];
    }
    return result;
}

// --- Profile ------------------------------------------------------------------------

namespace {

// The stored "Type Init"; nothing when it is missing or not a source.
std::optional<KrigingSource> storedSource() {
    std::int32_t source = 0;
    if (readProfileInt(Kriging::kName, kKeyTypeInit, source) != 0 ||
        source < static_cast<std::int32_t>(KrigingSource::Defaults) ||
        source > static_cast<std::int32_t>(KrigingSource::Previous)) {
        return std::nullopt;
    }
    return static_cast<KrigingSource>(source);
}

}  // namespace

KrigingSettings KrigingSettings::load() {
    const KrigingSource source = storedSource().value_or(KrigingSource::Defaults);
    if (source == KrigingSource::Previous) return stored(source);
    KrigingSettings s;
    s.source = source;
    return s;
}

KrigingSettings KrigingSettings::stored(KrigingSource source) {
    KrigingSettings s;
    s.source = source;
    double value = 0.0;
    std::int32_t model = 0;
    if (readProfileDouble(Kriging::kName, kKeyRange, value) == 0) s.range = value;
    if (readProfileInt(Kriging::kName, kKeyMode, model) == 0) s.model = model;
    if (readProfileDouble(Kriging::kName, kKeyNugget, value) == 0) s.nugget = value;
    if (readProfileDouble(Kriging::kName, kKeySill, value) == 0) s.sill = value;
    return s;
}

KrigingSettings KrigingSettings::entered(const KrigingEntry& entry) {
    KrigingSettings s;
    s.source = entry.source;
    s.range = entry.range;
    s.nugget = entry.nugget;
    s.sill = entry.sill;
    if (entry.model >= 0) s.model = entry.model;
    return s;
}

void KrigingSettings::save(KrigingSource source, const KrigingParameters& p) {
    writeProfileInt(Kriging::kName, kKeyTypeInit, static_cast<std::int32_t>(source));
    writeProfileDouble(Kriging::kName, kKeyRange, p.range);
    writeProfileInt(Kriging::kName, kKeyMode, p.model);
    writeProfileDouble(Kriging::kName, kKeyNugget, p.nugget);
    writeProfileDouble(Kriging::kName, kKeySill, p.sill);
}

void Kriging::apply(const KrigingSettings& s) {
    typeInit_ = s.source;
    if (s.range) setRange(*s.range);
    if (s.model) setModel(*s.model);
    if (s.nugget || s.sill)
        setNuggetAndTotalSill(s.nugget.value_or(nugget_), s.sill.value_or(sill_));
}

}  // namespace gridova
