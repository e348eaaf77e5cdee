// The list of the interpolation methods. Each method's object is given by a
// function defined in the method's own file; adding a method adds its name
// here.
#include <array>

#include "grid/interpolator.h"

#define GRIDOVA_INTERPOLATORS(X) \
    X(equationSystemMethod)      \
    X(largeGridMethod)           \
    X(triangleMethod)            \
    X(inverseDistanceMethod)     \
    X(krigingMethod)             \
    X(blockKrigingMethod)        \
    X(dataPointsOnlyMethod)      \
    X(pointDensityMethod)        \
    X(arrayValuesMethod)

namespace gridova {

#define GRIDOVA_DECLARE(name) const Interpolator& name();
GRIDOVA_INTERPOLATORS(GRIDOVA_DECLARE)
#undef GRIDOVA_DECLARE

const Interpolator* interpolatorFor(InterpolationMethod method) {
#define GRIDOVA_LIST(name) &name(),
    static const std::array kAll = {GRIDOVA_INTERPOLATORS(GRIDOVA_LIST)};
#undef GRIDOVA_LIST
    for (const Interpolator* m : kAll) {
        if (m->method() == method) return m;
    }
    return nullptr;
}

}  // namespace gridova
