// Inverse-distance weighting: method 2 of the interpolation driver.
//
// Notation. The points k = 0 .. N-1 are the points of the set that have a
// value, in set order, at (x_k, y_k) with value v_k. The nodes are (X_i, Y_j)
// with column i < nx and row j < ny; node (i, j) has the flat index
// i + j * nx, row j = 0 being the lowest. For one node at (X, Y)
//
//     d_k^2 = (Y - y_k)^2 + (X - x_k)^2, raised to the plateau P when smaller,
//     z     = S / W,   S = sum w_k * v_k,   W = sum w_k,   w_k = 1 / d_k^p,
//
// and z = 0 when W <= 1e-30. The sums run over the node's candidates:
//
// 1. Candidates. A list of n + 1 slots (n = nearestPoints) is filled in point
//    order: the first n points enter as they come; when more points follow,
//    the full list is sorted by d^2 (straight insertion, equal keys keep
//    their order); each later point is written into the spare last slot and,
//    when its d^2 is below the d^2 in slot n - 1, the slots are sorted again.
//    The first min(N, n) slots are the candidates: with n < N the n points
//    least by (d^2, point index), nearest first. (Sorting only when a later
//    point arrives, as the list was once kept, could leave a far point in the
//    list and pass over a nearer one.)
// 2. Sums over the candidates in list order. A candidate with d < tolerance
//    lies on the node (an exact hit): the first hit resets S and W to 0, and
//    every hit adds v_k to S and 1 to W; once a hit was seen, the other
//    candidates are skipped, as are candidates with d > radius.
//
// With p = 2 the weight is 1 / d^2 and the tests compare d^2 with tolerance^2
// and radius^2: no square root or power is evaluated. A node on one or more
// points (within the tolerance) thus takes the plain mean of their values, and
// a node with no point within the radius gets 0.
//
// The engine computes rows on several threads; every node value is the same
// whatever the number of threads, and the same, bit for bit, as
// plainNodeValue, the algorithm above taken literally.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/progress.h"

namespace gridova {

class PointSet;

// The user's parameters of the method.
struct InverseDistanceParameters {
    static constexpr double kDefaultPower = 2.0;
    static constexpr std::int32_t kDefaultNearestPoints = 10;
    static constexpr double kDefaultRadius = 1.0;
    static constexpr double kDefaultPlateau = 0.0;
    static constexpr double kDefaultTolerance = 0.0;

    double power = kDefaultPower;                        // exponent p of the distance
    std::int32_t nearestPoints = kDefaultNearestPoints;  // most points taking part in a node, >= 1
    double radius = kDefaultRadius;        // points farther from the node are skipped, data units
    double plateau = kDefaultPlateau;      // lower limit of d^2, squared data units
    double tolerance = kDefaultTolerance;  // nearer points lie on the node, data units
};

// Where the parameters come from ("Type Init").
enum class InverseDistanceSource : std::int32_t {
    Defaults = 0,  // computed from the points and nodes
    Custom = 1,    // entered in the dialog
    Previous = 2,  // read from the profile
};

// The parameters a run takes, loaded before the run (the profile, the
// parameter dialog): the source, and values that replace what the engine
// works out from the points and nodes. A value left out keeps that.
struct InverseDistanceSettings {
    InverseDistanceSource source = InverseDistanceSource::Defaults;
    std::optional<double> power;
    std::optional<std::int32_t> nearestPoints;
    std::optional<double> radius;
    std::optional<double> plateau;
    std::optional<double> tolerance;

    // "Type Init" of the profile section "Inverse Distance" (0, 1 or 2;
    // anything else reads as 0) and, only when it is 2 (previous), the
    // stored parameters.
    static InverseDistanceSettings load();
    // The parameters the profile keeps (whatever its "Type Init"), with the
    // given source.
    static InverseDistanceSettings stored(InverseDistanceSource source);
    // Stores the source and the parameters of a run: "Type Init", "Power",
    // "Nearest Points", "Radius", "PlateauRadius", "Tolerance".
    static void save(InverseDistanceSource source, const InverseDistanceParameters& parameters);
};

// The min X, min Y, max X, max Y of the points.
struct InverseDistanceExtent {
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

class InverseDistance {
public:
    // The engine's name and profile section.
    static constexpr const char* kName = "Inverse Distance";
    // The tolerance set by setNodes, as a share of the smallest node spacing.
    static constexpr double kToleranceShare = 0.1;
    // Smaller powers are not accepted.
    static constexpr double kMinPower = 1e-30;
    // A node whose weights sum to this or less gets 0.
    static constexpr double kMinWeightSum = 1e-30;

    // What run() reports.
    static constexpr int kRunUpToDate = -1;  // nothing changed since the last run: nothing done
    static constexpr int kRunDone = 0;       // every node computed
    static constexpr int kRunStopped = 1;    // cancelled or out of memory: rows done so far kept

    // The points of the set that have a value, in set order. Computes their
    // extent and sets the radius to its diagonal. The number of points, or
    // -1 when memory ran out.
    int loadPoints(const PointSet& set);

    // Copies the node coordinates (nx values of X, ny of Y) and sets the
    // tolerance to 0.1 x the smallest of: the smaller of the two total spans
    // |nodeX[nx-1] - nodeX[0]| and |nodeY[ny-1] - nodeY[0]|, and every step
    // between neighbouring X and neighbouring Y values. Gives nx * ny, or -1
    // for a count below 1, a missing list, more nodes than an int counts or no
    // memory.
    int setNodes(int nx, const double* nodeX, int ny, const double* nodeY);

    // The setters store their value and mark the output out of date.
    void setRadius(double radius);
    // Powers below kMinPower are ignored (the previous power stays).
    void setPower(double power);
    void setPlateau(double plateau);
    void setTolerance(double tolerance);
    // At least one point must take part: smaller counts are taken as 1, since
    // the candidate list compares each new point with its entry n - 1.
    void setNearestPoints(std::int32_t count);
    void setParameters(const InverseDistanceParameters& parameters);
    // The settings' source, and their values through the setters (so
    // values that are not taken stay as they were).
    void apply(const InverseDistanceSettings& settings);

    const InverseDistanceParameters& parameters() const { return parameters_; }
    InverseDistanceSource typeInit() const { return typeInit_; }
    void setTypeInit(InverseDistanceSource source) { typeInit_ = source; }

    // Computes every node, row after row from the lowest, showing a progress
    // bar (text 321, one step per row) and polling a wait-and-cancel scope
    // between rows. On cancel, message 418 is shown and the rows computed so
    // far are kept (the others are 0). kRunUpToDate when nothing changed
    // since the last complete run.
    int run(RunFeedback& feedback = interactiveFeedback());

    // The node values in flat order i + j * nx (0 for rows not computed).
    const std::vector<double>& output() const { return output_; }
    // Rows computed by the last run, from row 0 (all rows after a full run).
    int rowsDone() const { return rowsDone_; }
    bool upToDate() const { return upToDate_; }

    // Rows are spread over this many threads; 0 (the default) means one per
    // processor core.
    void setThreadCount(int count) { threadCount_ = count < 0 ? 0 : count; }

    int pointCount() const { return static_cast<int>(points_.size()); }
    int columns() const { return static_cast<int>(nodeX_.size()); }
    int rows() const { return static_cast<int>(nodeY_.size()); }
    const InverseDistanceExtent& extent() const { return extent_; }

    // The value of the node at (x, y), the algorithm of the header taken
    // literally (candidate list with insertion sort): the reference that
    // run()'s faster paths must match bit for bit.
    double plainNodeValue(double x, double y) const;

    // A data point as the engine keeps it.
    struct Point {
        double x = 0;
        double y = 0;
        double v = 0;
    };

    const std::vector<Point>& points() const { return points_; }

private:
    struct Workspace;
    void computeRow(int row, Workspace& work);
    double selectedNodeValue(double x, double y, Workspace& work) const;

    InverseDistanceParameters parameters_;
    InverseDistanceSource typeInit_ = InverseDistanceSource::Defaults;
    std::vector<Point> points_;
    InverseDistanceExtent extent_;
    std::vector<double> nodeX_;
    std::vector<double> nodeY_;
    std::vector<double> output_;
    bool upToDate_ = false;
    int rowsDone_ = 0;
    int threadCount_ = 0;
};

// The driver's inverse-distance step: loads the points of the set that have a
// value, lets every point of the set take part in a node, sets the nodes,
// applies the settings and runs. False, with `values` untouched, when no
// point has a value or the nodes are not valid; otherwise `values` gets
// nx * ny values in flat order (after a cancel, the rows not computed are 0)
// and `used`, when given, the parameters of the run.
bool runInverseDistance(const PointSet& points, int nx, const double* nodeX, int ny,
                        const double* nodeY, const InverseDistanceSettings& settings,
                        std::vector<double>& values, InverseDistanceParameters* used = nullptr,
                        RunFeedback& feedback = interactiveFeedback());

}  // namespace gridova
