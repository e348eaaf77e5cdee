// Kriging: methods 3 (ordinary kriging) and 4 (block kriging) of the
// interpolation driver.
//
// Notation. The distinct points k = 0 .. n-1 lie at (x_k, y_k) with value
// p_k; N = n + 1. With the variogram γ (model, nugget c0, partial sill c,
// range a; sill = c0 + c):
//
//   model 0 linear       γ(h) = c0 + c·h/a                     for h < a, c0 + c beyond
//   model 1 spherical    γ(h) = c0 + c·(1.5·h/a - 0.5·(h/a)³)  for h < a, c0 + c beyond
//   model 2 exponential  γ(h) = c0 + c·(1 - e^(-3h/a)) for h > 0, γ(0) = 0
//   model 3 Gaussian     γ(h) = c0 + c·(1 - e^(-3(h/a)²))
//
// the system A (N × N) holds A[i][j] = γ(|P_i - P_j|) for i, j < n (so the
// diagonal holds γ(0)), ones in its last row and column and 0 in the corner.
// The estimate at a node (x, y) is Σ w_i·p_i (i < n) with w = A⁻¹·r,
// r_i = γ(|P_i - (x, y)|), r_n = 1 (w_n, the Lagrange term, is not used).
//
// Since p·(A⁻¹ r) = (A⁻ᵀ p̃)·r with p̃ = (p_0 .. p_{n-1}, 0), the engine
// computes u = A⁻ᵀ p̃ once after the inversion and each estimate as
// Σ u_i·r_i + u_n: N variogram values and N products per node instead of
// N² products. `plainEstimate` is the literal weights-then-sum form.
//
// With γ(0) = c0 on the diagonal and in r, the models 0, 1 and 3 add c0 to
// every entry but the ones; as the weights sum to 1, the Lagrange term takes
// it up and the nugget does not change their estimates. Only the exponential
// model, whose γ(0) is 0, feels the nugget: its estimates are smoothed
// between the points and jump to the point's value on a point. In every model
// a node on a point gets that point's value (w = e_k), to rounding.
//
// Block kriging (more than kDirectLimit distinct points): the data extent is
// cut into b × b blocks, b = n div kPointsPerBlock; each block solves the
// system of the points in a window around its core (the core widened by one
// block width and height on every side, and again while the window holds
// fewer than kMinPointsInWindow points), with the window's diagonal as its
// range, and estimates the nodes in its core (ends inclusive; a node on a
// shared edge takes the later block's value, blocks being ordered row after
// row from the lowest, left to right). The outer blocks reach to ±1e30 so that
// the blocks cover the plane.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/progress.h"

namespace gridova {

class EqNet;
class LineList;
class PointSet;

// Where the parameters come from ("Type Init").
enum class KrigingSource : std::int32_t {
    Defaults = 0,  // linear model, nugget 1, sill 3, range = the data diagonal
    Custom = 1,    // entered in the dialog
    Previous = 2,  // read from the profile
};

// A rectangle, ends inclusive.
struct KrigingRect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    bool contains(double x, double y) const { return x0 <= x && x <= x1 && y0 <= y && y <= y1; }
};

// What the parameter dialog hands back on "Да".
struct KrigingEntry {
    KrigingSource source = KrigingSource::Defaults;
    std::int32_t model = -1;  // -1: none selected in the combo box
    double range = 0;
    double nugget = 0;
    double sill = 0;  // the total sill
};

// The parameters in force in an engine, as the profile stores them.
struct KrigingParameters {
    std::int32_t model = 0;
    double range = 0;
    double nugget = 0;
    double sill = 0;  // the total sill
};

// The parameters a run takes, loaded before the run (the profile, the
// parameter dialog): the source, and values that replace the defaults.
// A value left out keeps the engine's default (the linear model, nugget 1,
// sill 3, the data diagonal as range).
struct KrigingSettings {
    KrigingSource source = KrigingSource::Defaults;
    std::optional<std::int32_t> model;
    std::optional<double> range;
    std::optional<double> nugget;
    std::optional<double> sill;  // the total sill

    // "Type Init" of the profile section "Kriging" and, when it is 2
    // (previous), the stored values.
    static KrigingSettings load();
    // The stored values, whatever "Type Init" says (the dialog's
    // "Предыдущие"), with the given source.
    static KrigingSettings stored(KrigingSource source);
    // The dialog's "Да": its entry in force.
    static KrigingSettings entered(const KrigingEntry& entry);
    // Stores the source and the parameters in force.
    static void save(KrigingSource source, const KrigingParameters& parameters);
};

class Kriging {
public:
    // The engine's name and profile section.
    static constexpr const char* kName = "Kriging";
    static constexpr std::int32_t kLinear = 0;
    static constexpr std::int32_t kSpherical = 1;
    static constexpr std::int32_t kExponential = 2;
    static constexpr std::int32_t kGaussian = 3;
    static constexpr double kDefaultRange = 1.0;
    static constexpr double kDefaultNugget = 1.0;
    static constexpr double kDefaultPartialSill = 2.0;
    // Ranges of this or less are not taken.
    static constexpr double kMinRange = 1e-30;
    // Points closer than this part of the data's extent (the larger of its
    // width and height) on both axes are one point, and so are points that
    // differ by no more than this many units in the last place of their
    // largest coordinate. At a billionth of the extent two rows of the
    // system agree in about nine digits, and the weights of the pair would
    // rest on the last few digits of the distances; one point with the
    // first value is what the data can support there.
    static constexpr double kSamePointRelative = 1e-9;
    static constexpr double kSamePointUlps = 8.0;
    // Systems whose reciprocal condition number (1-norm, LAPACK's estimate)
    // is below kConditionFactor · N · ε count as singular. LU with partial
    // pivoting solves with a backward error of the order of N·ε, so the
    // relative error of the weights is bounded by about N·ε / rcond: below
    // this threshold not one digit of them can be trusted, and the
    // estimates may take any value (they differ from one BLAS kernel to the
    // next). Systems that pass keep their weights to about ε / rcond.
    static constexpr double kConditionFactor = 1.0;
    static double minReciprocalCondition(int n) {
        return kConditionFactor * static_cast<double>(n) * 2.220446049250313e-16;
    }

    // Takes the points, dropping every point outside the window (when the
    // filter is on) and every point that lies on a point taken before (within
    // samePointTolerance on both axes); the first of such points stays. The number of
    // points taken, -1 when memory ran out.
    int loadPoints(int count, const double* x, const double* y, const double* v);
    // Takes points known to be distinct, as they are.
    int setPoints(std::vector<double> x, std::vector<double> y, std::vector<double> v);
    void setWindowFilter(const KrigingRect& window);
    void clearWindowFilter() { windowFilter_ = false; }

    // Only a > kMinRange is taken.
    void setRange(double a);
    // Nugget c0 and partial sill c; the sill becomes c0 + c.
    void setNuggetSill(double nugget, double partialSill);
    // Nugget and total sill as the profile and the dialog give them: with
    // sill >= nugget the partial sill is sill - nugget; otherwise the nugget
    // becomes 0 and the partial sill is the sill.
    void setNuggetAndTotalSill(double nugget, double sill);
    // Models 0 .. 3; other values are not taken.
    void setModel(std::int32_t model);
    // The range of the defaults: sets the range and keeps it for
    // restoreDefaults.
    void setDataDiagonal(double diagonal);
    // Linear model, nugget 1, partial sill 2, the data diagonal as range.
    void restoreDefaults();

    std::int32_t model() const { return model_; }
    double range() const { return range_; }
    double nugget() const { return nugget_; }
    double partialSill() const { return partialSill_; }
    double sill() const { return sill_; }
    KrigingSource typeInit() const { return typeInit_; }
    void setTypeInit(KrigingSource source) { typeInit_ = source; }
    // The settings' source and the values they give; range, nugget and
    // sill through their setters (so values that are not taken stay).
    void apply(const KrigingSettings& settings);
    KrigingParameters parameters() const { return {model_, range_, nugget_, sill_}; }

    // γ(h) of the current model.
    double gamma(double h) const;

    // Fills the system (N × N) from the points. -1 without points or memory
    // (a system larger than half the physical memory counts as no memory).
    int buildSystem();
    // Replaces the system by its inverse (LAPACK dgetrf, dgetri) and prepares
    // the estimates. -1 when the matrix is singular (an exact zero pivot, or
    // a reciprocal condition number below minReciprocalCondition), -2 when
    // memory ran out; estimates are then not made (they give 0).
    int invert();
    // The reciprocal condition number of the last system inverted (0 when
    // its factors had a zero pivot).
    double reciprocalCondition() const { return reciprocalCondition_; }
    // The estimate at (x, y) from the vector u (see the header).
    double estimate(double x, double y) const;
    // The same as weights w = A⁻¹·r and then Σ w_i·p_i.
    double plainEstimate(double x, double y) const;

    int pointCount() const { return n_; }
    const std::vector<double>& pointsX() const { return px_; }
    const std::vector<double>& pointsY() const { return py_; }
    const std::vector<double>& pointsV() const { return pv_; }

private:
    int n_ = 0;
    std::int32_t model_ = kLinear;
    double range_ = kDefaultRange;
    double invRange_ = 1.0 / kDefaultRange;
    double defaultRange_ = kDefaultRange;
    double nugget_ = kDefaultNugget;
    double partialSill_ = kDefaultPartialSill;
    double sill_ = kDefaultNugget + kDefaultPartialSill;
    KrigingSource typeInit_ = KrigingSource::Defaults;
    bool windowFilter_ = false;
    KrigingRect window_;
    std::vector<double> px_, py_, pv_;
    std::vector<double> system_;  // N × N, column-major; the inverse after invert()
    std::vector<int> pivots_;
    std::vector<double> work_;
    std::vector<int> conditionWork_;
    double reciprocalCondition_ = 0.0;
    // For the estimates: the points padded with copies of the first point up
    // to a multiple of eight, and u = A⁻ᵀ p̃ padded with zeros; u_n apart.
    std::vector<double> pxPad_, pyPad_;
    std::vector<double> u_;
    double uLast_ = 0;
    bool inverted_ = false;
};

// How close two points may lie on both axes and still be one point (see
// Kriging::kSamePointRelative); 0 without points.
double samePointTolerance(int count, const double* x, const double* y);
// The indices of the points that stay when repeated coordinates are dropped
// (within samePointTolerance on both axes, the first one staying), in
// ascending order.
std::vector<std::int32_t> distinctPoints(int count, const double* x, const double* y);

// The blocks of block kriging over distinct points.
class KrigingBlocks {
public:
    static constexpr int kDirectLimit = 200;    // up to this many points: no blocks
    static constexpr int kPointsPerBlock = 80;  // n div this = blocks per side
    static constexpr int kMinPointsInWindow = 2;
    static constexpr double kOutside = 1e30;  // the outer blocks reach this far

    struct Block {
        KrigingRect window;   // where its points are taken from
        KrigingRect core;     // where its nodes lie
        double diagonal = 0;  // of the window before the outer blocks are stretched
        int widenings = 0;    // widenings after the first one
    };

    // Makes the blocks for the points (which must be distinct); false when
    // there are kDirectLimit or fewer, or when the blocks would be narrower
    // or lower than 1e-30 (then no blocks are made).
    bool build(int count, const double* x, const double* y);

    int perSide() const { return perSide_; }
    long long count() const { return static_cast<long long>(perSide_) * perSide_; }
    // The block of row r (from the lowest) and column k (from the left).
    // Blocks are computed when asked for.
    Block block(int r, int k) const;
    // The points of a window (ends inclusive), in ascending order.
    void pointsIn(const KrigingRect& window, std::vector<std::int32_t>& out) const;
    // The number of points in a window.
    int countIn(const KrigingRect& window) const;

    // The last block column whose core holds X (its core's x0 <= X), and the
    // last block row whose core holds Y.
    int ownerColumn(double x) const;
    int ownerRow(double y) const;
    double coreX0(int k) const;
    double coreY0(int r) const;

private:
    int cellColumn(double x) const;
    int cellRow(double y) const;
    int countLow(const KrigingRect& w) const;
    int countHigh(const KrigingRect& w) const;

    int n_ = 0;
    const double* x_ = nullptr;
    const double* y_ = nullptr;
    int perSide_ = 0;
    double minX_ = 0, minY_ = 0, maxX_ = 0, maxY_ = 0;
    double w_ = 0, h_ = 0;
    // A cell index of the points: g × g cells, points listed cell by cell.
    int g_ = 0;
    double cellW_ = 0, cellH_ = 0;
    double marginX_ = 0, marginY_ = 0;  // rounding of the cell a point falls in
    std::vector<std::int32_t> start_;   // g² + 1 entries
    std::vector<std::int32_t> order_;   // point indices, cell after cell
    std::vector<std::int32_t> prefix_;  // (g + 1)² running counts
};

// What the parameter dialog shows of the data: the points with a value that
// kriging takes (repeated places dropped) and the diagonal of their extent,
// the default range.
struct KrigingDataSummary {
    int distinctPoints = 0;
    double diagonal = 0;
    // The distinct points that kriging takes, for fitting a variogram.
    std::vector<double> x, y, value;
};
KrigingDataSummary summarizeKrigingData(const PointSet& points);

// The driver's kriging step (method 3, or method 4 with `blocks`): the points
// of the set that have a value (repeated places dropped); the engine's
// defaults with the data diagonal as range, then the settings; the system,
// its inverse, the grid's mask from the border and the estimates of the
// inside nodes, a progress bar "Kriging" advancing as they are made. Nodes
// that get no estimate (a block whose system is singular, nodes left by a
// cancel) get mask 0, so they end blank; a singular block is named in the
// message log. Finally the blank value on mask-0 nodes and the value range.
// 0 when values were computed; -1 when nothing was: no point with a value,
// no memory for the system or a singular system in ordinary kriging (the
// grid then keeps its state; "Out of memory." or message 9051), memory
// running out during block kriging ("Out of memory.", the grid's values and
// mask dropped). The parameters in force go to `used` when given, once the
// points are taken. `threads`: how many threads compute nodes or blocks; 0,
// one per core.
int runKriging(EqNet& grid, const PointSet& points, const LineList* border, bool blocks,
               const KrigingSettings& settings, std::optional<KrigingParameters>* used = nullptr,
               int threads = 0, RunFeedback& feedback = interactiveFeedback());

}  // namespace gridova
