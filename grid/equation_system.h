// The node equations of the linear-equation-system methods (methods 0 and 7).
//
// Every free node of the grid equals the weighted mean of its four
// neighbours, each weight inversely proportional to the distance to that
// neighbour; nodes that carry data, and the edge nodes when a border value is
// given, are held fixed:
//
//     cW u(i-1,j) + cE u(i+1,j) + cS u(i,j-1) + cN u(i,j+1) - (cW+cE+cS+cN) u(i,j) = 0
//
//     c = h / d          for a neighbour at distance d > 1e-10
//     c = h * 1e10       for d <= 1e-10 (coincident node lines)
//
// with h the largest step of the grid, so that the coefficients are of order
// one whatever the units. A neighbour that is outside the area (mask 0), or
// beyond the grid, has c = 0.
//
// Notation: node (i, j) is column i and row j, row 0 the lowest; its flat
// index is n = i + j * nx, so the east neighbour is n + 1, the west n - 1,
// the north n + nx and the south n - nx. stepX[i] is the distance from
// column i to column i + 1 (nx - 1 entries), stepY[j] likewise.
//
// Mask codes (NodeMask) used here:
//   0  outside the area: not computed, no neighbour links to it
//   1  inside, computed
//   2  inside edge node (a neighbour is outside); fixed when a border value
//      is given
//   4  data node: holds the mean of the data values snapped to it
//   6  data node on an edge node, while the line system is being set up
//
// The system is held in flat arrays, one double per node (no sparse matrix):
// - point form (`RelaxationSolver`): diag = 1 / (cW+cE+cS+cN), and the four
//   coefficients; a node with all five entries 0 is not computed, a data
//   node has diag 0.
// - line form (`LineRelaxationSolver`): diag = -(cW+cE+cS+cN), the four
//   coefficients and the right-hand side rhs of
//       diag u + cE u(e) + cN u(n) + cW u(w) + cS u(s) = rhs;
//   a fixed node has the row -u = -value, a node that is not computed the
//   row -u = -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace gridova {

// The node lines of a grid, owned by the caller.
struct GridLayout {
    int nx = 0;                     // node columns
    int ny = 0;                     // node rows
    const double* stepX = nullptr;  // nx - 1 column distances
    const double* stepY = nullptr;  // ny - 1 row distances
    const double* nodeX = nullptr;  // nx column coordinates, increasing
    const double* nodeY = nullptr;  // ny row coordinates, increasing (row 0 lowest)

    // nx * ny, or 0 when either count is not positive.
    std::size_t count() const;
    // The largest of all X and Y steps; 0 for a grid without steps.
    double maxStep() const;
};

// Data points: X, Y and value, the same length each (the active points of a
// point set, in point-set order).
struct DataValues {
    std::span<const double> x;
    std::span<const double> y;
    std::span<const double> v;
};

// Results of the system builders.
enum SystemStatus : int {
    kSystemBuilt = 0,
    kSystemNoStep = -1,    // the largest step is not positive: nothing built
    kSystemNoMemory = -2,  // " Not enought memory" was shown: nothing built
    kSystemBadInput = -3,  // array sizes do not match the grid
};

// The point-relaxation system: five arrays of one entry per node.
struct PointSystem {
    std::vector<double> diag;   // 1 / coefficient sum; 0 for a fixed node
    std::vector<double> east;   // coefficient towards i + 1
    std::vector<double> north;  // coefficient towards j + 1
    std::vector<double> west;   // coefficient towards i - 1
    std::vector<double> south;  // coefficient towards j - 1

    // Sizes the arrays; on failure frees them, shows " Not enought memory"
    // and answers false.
    bool allocate(std::size_t count);
    void clear();
    // The number of nodes; 0 unless all five arrays have it.
    std::size_t size() const;
};

// The line-relaxation system: the five arrays and the right-hand side.
struct LineSystem {
    std::vector<double> diag;  // -(coefficient sum); -1 for a fixed node
    std::vector<double> east;
    std::vector<double> north;
    std::vector<double> west;
    std::vector<double> south;
    std::vector<double> rhs;  // 0 for a free node, -value for a fixed one

    bool allocate(std::size_t count);
    void clear();
    // The number of nodes; 0 unless all six arrays have it.
    std::size_t size() const;
};

namespace equation_system {
// Distances up to this count as coincident node lines.
inline constexpr double kCoincidentDistance = 1e-10;
// The coefficient towards a coincident neighbour is h times this.
inline constexpr double kCoincidentFactor = 1e10;
// A diagonal entry smaller than this in magnitude makes the node inert.
inline constexpr double kTinyDiagonal = 1e-30;
// The warning shown when the work arrays cannot be allocated (the leading
// blank belongs to the text).
inline constexpr const char* kNoMemoryText = " Not enought memory";
}  // namespace equation_system

// The coefficient towards a neighbour at distance d, h the largest step.
double neighbourCoefficient(double h, double d);

// The index of the node nearest to c among n increasing coordinates: bisect
// with lo = 0, hi = n - 1 while hi - lo > 1 (hi moves to mid when c is below
// nodes[mid], else lo does), then hi when |c - nodes[lo]| >= |c - nodes[hi]|,
// else lo. A tie goes to the higher index, coordinates outside snap to the
// first or last node; -1 when n <= 0.
int nearestIndex(const double* nodes, int n, double c);

// Edge marking of the grid model: the outer frame gets mask 0, then every
// node with a non-zero mask that has a zero-mask neighbour gets mask 2.
// Nothing happens when the mask does not hold nx * ny entries.
void markEdgeNodes(int nx, int ny, std::vector<std::int32_t>& mask);

// The precision handed to the line relaxation: the grid precision divided by
// the data magnitude max(|dataMin|, |dataMax|) when that exceeds 1e-21.
double scaledPrecision(double precision, double dataMin, double dataMax);

// Shows the warning " Not enought memory".
void warnNotEnoughMemory();

// Builds the point system. A node is computed when its mask is not 0 (and,
// with borderValueOn, not 2); a node that is not computed, or whose
// reciprocal sum is below 1e-30 or has no coefficient at all, gets five
// zeros. Allocates the arrays; on any failure the system is left empty.
int buildPointSystem(const GridLayout& grid, const std::vector<std::int32_t>& mask,
                     bool borderValueOn, PointSystem& system);

// Builds the line system (the same computed nodes and coefficients).
int buildLineSystem(const GridLayout& grid, const std::vector<std::int32_t>& mask,
                    bool borderValueOn, LineSystem& system);

// Snaps each data point to its nearest node and holds those nodes at the
// mean of their values (mask 4; all four coefficients 0). Point form: diag 0,
// the relaxation skips the node. Line form: the row -u = -mean; a data node
// on an edge node (2) is marked 6 while points are placed and returns to 2.
// Gives the number of points placed, or -1 when the sizes do not match.
int fixDataPoints(const GridLayout& grid, const DataValues& points, std::vector<double>& values,
                  std::vector<std::int32_t>& mask, PointSystem& system);
int fixDataPoints(const GridLayout& grid, const DataValues& points, std::vector<double>& values,
                  std::vector<std::int32_t>& mask, LineSystem& system);

// With a border value, every edge node (mask 2) takes it; the line form also
// writes the row -u = -borderValue. Nothing happens without a border value.
void applyBorderValue(std::optional<double> borderValue, const std::vector<std::int32_t>& mask,
                      std::vector<double>& values);
void applyBorderValue(std::optional<double> borderValue, const std::vector<std::int32_t>& mask,
                      std::vector<double>& values, LineSystem& system);

}  // namespace gridova
