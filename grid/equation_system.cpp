// The node equations of the linear-equation-system methods; see the header
// for the equation, the notation and the two storage forms.
#include "grid/equation_system.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <initializer_list>

#include "platform/messages.h"

namespace gridova {
namespace {

using equation_system::kCoincidentDistance;
using equation_system::kCoincidentFactor;
using equation_system::kTinyDiagonal;

constexpr std::int32_t kOutside = 0;
constexpr std::int32_t kEdge = 2;
constexpr std::int32_t kData = 4;
constexpr std::int32_t kDataEdge = 6;

// The four coefficients of one node.
struct Coefficients {
    double east = 0, north = 0, west = 0, south = 0;
    double sum() const { return east + north + west + south; }
};

bool layoutUsable(const GridLayout& grid) {
    return grid.count() > 0 && grid.nodeX != nullptr && grid.nodeY != nullptr &&
           (grid.nx < 2 || grid.stepX != nullptr) && (grid.ny < 2 || grid.stepY != nullptr);
}

// Whether node n takes part in the relaxation.
bool isComputed(std::int32_t code, bool borderValueOn) {
    return code != kOutside && !(borderValueOn && code == kEdge);
}

// Coefficients of node (i, j): a neighbour counts when it exists and is not
// outside the area.
Coefficients coefficientsAt(const GridLayout& grid, const std::vector<std::int32_t>& mask, double h,
                            int i, int j) {
    const std::size_t nx = static_cast<std::size_t>(grid.nx);
    const std::size_t n = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * nx;
    Coefficients c;
    if (i > 0 && mask[n - 1] != kOutside) c.west = neighbourCoefficient(h, grid.stepX[i - 1]);
    if (j > 0 && mask[n - nx] != kOutside) c.south = neighbourCoefficient(h, grid.stepY[j - 1]);
    if (i < grid.nx - 1 && mask[n + 1] != kOutside) c.east = neighbourCoefficient(h, grid.stepX[i]);
    if (j < grid.ny - 1 && mask[n + nx] != kOutside)
        c.north = neighbourCoefficient(h, grid.stepY[j]);
    return c;
}

std::size_t nearestNode(const GridLayout& grid, double x, double y) {
    const std::size_t i = static_cast<std::size_t>(nearestIndex(grid.nodeX, grid.nx, x));
    const std::size_t j = static_cast<std::size_t>(nearestIndex(grid.nodeY, grid.ny, y));
    return i + j * static_cast<std::size_t>(grid.nx);
}

// The data nodes in the order they were first hit (each holds the sum of its
// values in `values` and the number of its points in `diag`), and the number
// of points placed.
struct PlacedNodes {
    std::vector<std::size_t> nodes;
    int placed = 0;
};

// Snaps the points; the node's coefficients become 0, diag counts its
// points. `firstCode` gives the mask of a node on its first point.
template <typename System, typename FirstCode>
bool placePoints(const GridLayout& grid, const DataValues& points, std::vector<double>& values,
                 std::vector<std::int32_t>& mask, System& system, FirstCode firstCode,
                 PlacedNodes& out) {
    std::vector<unsigned char> hit;
    try {
        hit.assign(grid.count(), 0);
        out.nodes.reserve(points.x.size());
    } catch (const std::exception&) {  // bad_alloc, or length_error past the size limit
        warnNotEnoughMemory();
        return false;
    }
    for (std::size_t p = 0; p < points.x.size(); ++p) {
        const std::size_t n = nearestNode(grid, points.x[p], points.y[p]);
        const double v = points.v[p];
        if (hit[n] == 0) {
            hit[n] = 1;
            out.nodes.push_back(n);
            values[n] = v;
            system.diag[n] = 1.0;
            mask[n] = firstCode(mask[n]);
        } else {
            values[n] += v;
            system.diag[n] += 1.0;
        }
        system.east[n] = system.north[n] = system.west[n] = system.south[n] = 0.0;
        ++out.placed;
    }
    return true;
}

bool sizesMatch(const GridLayout& grid, const DataValues& points, const std::vector<double>& values,
                const std::vector<std::int32_t>& mask, std::size_t systemSize) {
    const std::size_t count = grid.count();
    return layoutUsable(grid) && values.size() == count && mask.size() == count &&
           systemSize == count && points.y.size() == points.x.size() &&
           points.v.size() == points.x.size();
}

template <typename System>
bool allocateArrays(System& system, std::size_t count,
                    std::initializer_list<std::vector<double>*> arrays) {
    try {
        for (std::vector<double>* a : arrays) a->assign(count, 0.0);
    } catch (const std::exception&) {  // bad_alloc, or length_error past the size limit
        system.clear();
        warnNotEnoughMemory();
        return false;
    }
    return true;
}

}  // namespace

std::size_t GridLayout::count() const {
    if (nx <= 0 || ny <= 0) return 0;
    return static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
}

double GridLayout::maxStep() const {
    double h = 0.0;
    for (int i = 0; stepX != nullptr && i < nx - 1; ++i)
        if (stepX[i] > h) h = stepX[i];
    for (int j = 0; stepY != nullptr && j < ny - 1; ++j)
        if (stepY[j] > h) h = stepY[j];
    return h;
}

bool PointSystem::allocate(std::size_t count) {
    return allocateArrays(*this, count, {&diag, &east, &north, &west, &south});
}

void PointSystem::clear() {
    for (std::vector<double>* a : {&diag, &east, &north, &west, &south}) {
        a->clear();
        a->shrink_to_fit();
    }
}

std::size_t PointSystem::size() const {
    const std::size_t n = diag.size();
    const bool same =
        east.size() == n && north.size() == n && west.size() == n && south.size() == n;
    return same ? n : 0;
}

bool LineSystem::allocate(std::size_t count) {
    return allocateArrays(*this, count, {&diag, &east, &north, &west, &south, &rhs});
}

void LineSystem::clear() {
    for (std::vector<double>* a : {&diag, &east, &north, &west, &south, &rhs}) {
        a->clear();
        a->shrink_to_fit();
    }
}

std::size_t LineSystem::size() const {
    const std::size_t n = diag.size();
    const bool same = east.size() == n && north.size() == n && west.size() == n &&
                      south.size() == n && rhs.size() == n;
    return same ? n : 0;
}

double neighbourCoefficient(double h, double d) {
    // Written so that a NaN distance also takes the coincident branch.
    return d > kCoincidentDistance ? h / d : h * kCoincidentFactor;
}

int nearestIndex(const double* nodes, int n, double c) {
    if (n <= 0 || nodes == nullptr) return -1;
    int lo = 0;
    int hi = n - 1;
    while (hi - lo > 1) {
        const int mid = lo + (hi - lo) / 2;
        if (c < nodes[mid]) {
            hi = mid;
        } else {
            lo = mid;
        }
    }
    return std::abs(c - nodes[lo]) >= std::abs(c - nodes[hi]) ? hi : lo;
}

void markEdgeNodes(int nx, int ny, std::vector<std::int32_t>& mask) {
    if (nx <= 0 || ny <= 0) return;
    const std::size_t w = static_cast<std::size_t>(nx);
    const std::size_t h = static_cast<std::size_t>(ny);
    if (mask.size() != w * h) return;
    for (std::size_t i = 0; i < w; ++i) mask[i] = mask[i + (h - 1) * w] = kOutside;
    for (std::size_t j = 0; j < h; ++j) mask[j * w] = mask[j * w + w - 1] = kOutside;
    // Only interior nodes can still be non-zero, and each has all four
    // neighbours. Marking a node 2 never creates a zero, so the scan order
    // does not change the result.
    for (std::size_t j = 1; j + 1 < h; ++j) {
        for (std::size_t i = 1; i + 1 < w; ++i) {
            const std::size_t n = i + j * w;
            if (mask[n] == kOutside) continue;
            if (mask[n + 1] == kOutside || mask[n - 1] == kOutside || mask[n + w] == kOutside ||
                mask[n - w] == kOutside)
                mask[n] = kEdge;
        }
    }
}

double scaledPrecision(double precision, double dataMin, double dataMax) {
    constexpr double kSmallestMagnitude = 1e-21;
    const double magnitude = std::max(std::abs(dataMin), std::abs(dataMax));
    return magnitude > kSmallestMagnitude ? precision / magnitude : precision;
}

void warnNotEnoughMemory() { warning(equation_system::kNoMemoryText); }

int buildPointSystem(const GridLayout& grid, const std::vector<std::int32_t>& mask,
                     bool borderValueOn, PointSystem& system) {
    system.clear();
    const std::size_t count = grid.count();
    if (!layoutUsable(grid) || mask.size() != count) return kSystemBadInput;
    const double h = grid.maxStep();
    if (!(h > 0.0)) return kSystemNoStep;
    if (!system.allocate(count)) return kSystemNoMemory;
    const std::size_t nx = static_cast<std::size_t>(grid.nx);
    for (int j = 0; j < grid.ny; ++j) {
        for (int i = 0; i < grid.nx; ++i) {
            const std::size_t n = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * nx;
            if (!isComputed(mask[n], borderValueOn)) continue;  // five zeros
            const Coefficients c = coefficientsAt(grid, mask, h, i, j);
            const double sum = c.sum();
            // A node without any neighbour in the area would divide by zero;
            // like a node whose reciprocal underflows it is not computed.
            if (!(sum > 0.0)) continue;
            const double diag = 1.0 / sum;
            if (std::abs(diag) < kTinyDiagonal) continue;
            system.diag[n] = diag;
            system.east[n] = c.east;
            system.north[n] = c.north;
            system.west[n] = c.west;
            system.south[n] = c.south;
        }
    }
    return kSystemBuilt;
}

int buildLineSystem(const GridLayout& grid, const std::vector<std::int32_t>& mask,
                    bool borderValueOn, LineSystem& system) {
    system.clear();
    const std::size_t count = grid.count();
    if (!layoutUsable(grid) || mask.size() != count) return kSystemBadInput;
    const double h = grid.maxStep();
    if (!(h > 0.0)) return kSystemNoStep;
    if (!system.allocate(count)) return kSystemNoMemory;
    const std::size_t nx = static_cast<std::size_t>(grid.nx);
    for (int j = 0; j < grid.ny; ++j) {
        for (int i = 0; i < grid.nx; ++i) {
            const std::size_t n = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * nx;
            Coefficients c;
            if (isComputed(mask[n], borderValueOn)) c = coefficientsAt(grid, mask, h, i, j);
            const double diag = -c.sum();
            if (std::abs(diag) < kTinyDiagonal) {
                // Not computed: the row -u = -1.
                system.diag[n] = -1.0;
                system.rhs[n] = -1.0;
                continue;
            }
            system.diag[n] = diag;
            system.east[n] = c.east;
            system.north[n] = c.north;
            system.west[n] = c.west;
            system.south[n] = c.south;
        }
    }
    return kSystemBuilt;
}

int fixDataPoints(const GridLayout& grid, const DataValues& points, std::vector<double>& values,
                  std::vector<std::int32_t>& mask, PointSystem& system) {
    if (!sizesMatch(grid, points, values, mask, system.size())) return -1;
    PlacedNodes placed;
    if (!placePoints(
            grid, points, values, mask, system, [](std::int32_t) { return kData; }, placed))
        return -1;
    for (std::size_t n : placed.nodes) {
        values[n] /= system.diag[n];
        system.diag[n] = 0.0;
    }
    return placed.placed;
}

int fixDataPoints(const GridLayout& grid, const DataValues& points, std::vector<double>& values,
                  std::vector<std::int32_t>& mask, LineSystem& system) {
    if (!sizesMatch(grid, points, values, mask, system.size())) return -1;
    PlacedNodes placed;
    if (!placePoints(
            grid, points, values, mask, system,
            [](std::int32_t code) { return code == kEdge ? kDataEdge : kData; }, placed))
        return -1;
    for (std::size_t n : placed.nodes) {
        values[n] /= system.diag[n];
        system.rhs[n] = -values[n];
        system.diag[n] = -1.0;
        if (mask[n] == kDataEdge) mask[n] = kEdge;
    }
    return placed.placed;
}

void applyBorderValue(std::optional<double> borderValue, const std::vector<std::int32_t>& mask,
                      std::vector<double>& values) {
    if (!borderValue || values.size() != mask.size()) return;
    for (std::size_t n = 0; n < mask.size(); ++n)
        if (mask[n] == kEdge) values[n] = *borderValue;
}

void applyBorderValue(std::optional<double> borderValue, const std::vector<std::int32_t>& mask,
                      std::vector<double>& values, LineSystem& system) {
    if (!borderValue || values.size() != mask.size() || system.size() != mask.size()) return;
    for (std::size_t n = 0; n < mask.size(); ++n) {
        if (mask[n] != kEdge) continue;
        values[n] = *borderValue;
        system.rhs[n] = -*borderValue;
        system.diag[n] = -1.0;
    }
}

}  // namespace gridova
