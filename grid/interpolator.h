// One interpolation method as the driver runs it.
//
// The driver (grid/interpolation_driver.h) runs the frame that every method
// shares: it chooses the method, refuses points without values, scales
// values near the number range, gives the grid the view's border value,
// looks the method up here, runs it, takes scaled values back, checks that
// they are finite and applies the node filter. A method computes the
// values of the nodes inside the area and leaves the grid's mask, values
// and range set.
//
// A new method is a class implementing `Interpolator` in a file of its own
// and a line in the method list of grid/interpolators.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "grid/eq_net.h"
#include "grid/inverse_distance.h"
#include "grid/kriging.h"
#include "platform/progress.h"

namespace gridova {

class LineList;
class PointSet;

// The typed settings of the methods that have parameters, loaded before a
// run (from the profile, or as the parameter dialog left them).
struct MethodSettings {
    InverseDistanceSettings inverseDistance;
    KrigingSettings kriging;
};

// What a method reports of its run: the parameters it used.
struct MethodReport {
    std::optional<InverseDistanceParameters> inverseDistance;
    std::optional<KrigingParameters> kriging;
};

// What a method is given.
struct InterpolationInput {
    const PointSet* points = nullptr;  // the main point set (values scaled as the driver chose)
    const LineList* border = nullptr;  // the border polygons, when shown
    // A digitized picture's values: columns × rows, row 0 first.
    const std::vector<double>* pictureValues = nullptr;
    std::int32_t pictureColumns = 0;
    std::int32_t pictureRows = 0;
    std::int32_t pictureSmoothing = 0;
    // The methods' settings (none: every method's defaults) and where a
    // method reports the parameters it used (none: not reported).
    const MethodSettings* settings = nullptr;
    MethodReport* report = nullptr;
    // Where the run reports its progress and learns of a cancel (none: the
    // installed progress UI).
    RunFeedback* feedback = nullptr;
    RunFeedback& feedbackOrDefault() const {
        return feedback != nullptr ? *feedback : interactiveFeedback();
    }
};

// What a method takes from its input.
enum class MethodInput {
    DataValues,     // the data points and their values
    DataPositions,  // the data points' positions only
    PictureValues,  // a digitized picture's values
};

class Interpolator {
public:
    virtual ~Interpolator() = default;
    virtual InterpolationMethod method() const = 0;
    virtual MethodInput input() const = 0;
    // Computes the grid's values. 0 when values were computed; -1 when
    // nothing was (each method says what the grid keeps then).
    virtual int run(EqNet& grid, const InterpolationInput& in) const = 0;
};

// The method object of a method; nullptr for the methods that compute
// nothing (NoApply, FinishOnly) and for unknown ones.
const Interpolator* interpolatorFor(InterpolationMethod method);

}  // namespace gridova
