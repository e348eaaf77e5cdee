// Runs the grid's interpolation method with the steps every method shares.
//
// Frame of every run: wait cursor; the view's border-value inputs go to the
// grid; the mask is computed from the border; the method computes values;
// nodes outside the area get the blank value; the range and the colour
// scale's range are set; `finishChecked` checks them and applies the node filter.
//
// The driver only computes values. What a map type makes of them (isolines,
// colour bands, the colour map of cells, whether the values are valid for
// cells) is the caller's next step.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "data/point_set.h"
#include "data/triangles_file.h"
#include "grid/eq_net.h"
#include "objects/line_list.h"
#include "platform/progress.h"

namespace gridova {

// What the document holds (the driver's data kinds).
enum class DataKind : std::int32_t { Points = 0, Array = 1, Picture = 2, Triangles = 4 };

struct DriverInputs {
    DataKind dataKind = DataKind::Points;
    // The grid's values are kept as they are: no method runs, only the last step.
    bool keepValues = false;
    const PointSet* points = nullptr;  // the main point set
    const LineList* border = nullptr;  // the border polygons, when shown
    OptionalValue borderValue;         // the view's fixed edge value
    // A digitized picture's values (data kind 2): columns × rows, row 0 first.
    const std::vector<double>* pictureValues = nullptr;
    std::int32_t pictureColumns = 0;
    std::int32_t pictureRows = 0;
    std::int32_t pictureSmoothing = 0;
    // The triangle set read from a TRIANGLES file (data kind 4).
    const TriangleNetwork* triangles = nullptr;
    // The methods' settings and where the method reports the parameters it
    // used (grid/interpolator.h); none: the defaults, nothing reported.
    const struct MethodSettings* settings = nullptr;
    struct MethodReport* report = nullptr;
    // Progress and cancel (none: the installed progress UI).
    class RunFeedback* feedback = nullptr;
};

// What the caller supplies for a run beyond its inputs.
struct DriverHooks {
    // Takes over a large-grid run (method 7) that has started: the caller
    // shows its progress, completes it (LargeGridRun::complete) and then
    // calls finishChecked, and builds its map from the values (the map
    // model: MapModel::completeLargeGridRun). Without this hook the driver
    // waits for the run itself.
    std::function<void(std::unique_ptr<class LargeGridRun>)> largeGridStarted;
};

class InterpolationDriver {
public:
    // 0 when computing may go on, -1 after a warning (190 no grid, 191 the
    // border or 192 the points outside the grid). Without a grid a default
    // grid of kDefaultNodes × kDefaultNodes over the data is built.
    static int checkGrid(std::unique_ptr<EqNet>& grid, const DriverInputs& in);

    // Runs the grid's method (or the one the data kind forces) and then
    // finishChecked(). -1 when nothing could be computed; kValuesNotFinite when the
    // values left the number range; 1 when a large-grid run was handed to
    // the hooks and goes on in the background. Data values of a magnitude
    // near the number range are computed scaled by a power of two.
    static int interpolate(EqNet* grid, const DriverInputs& in, const DriverHooks& hooks);

    // What interpolate gives when a method's values leave the number range
    // (message 9032), or their span does (9036): the grid keeps no values.
    static constexpr int kValuesNotFinite = -2;

    // The last step of every run: every inside value and their span must be
    // finite (otherwise kValuesNotFinite and the grid keeps no values), then
    // the node filter. For a large-grid run handed to the hooks, after
    // LargeGridRun::complete.
    static int finishChecked(EqNet& grid, RunFeedback& feedback = interactiveFeedback());

    // The method that a run uses for these inputs.
    static InterpolationMethod methodFor(const EqNet& grid, const DriverInputs& in);
};

}  // namespace gridova
