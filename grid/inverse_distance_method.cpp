// The inverse-distance method as the driver runs it.
#include <algorithm>
#include <climits>
#include <vector>

#include "data/point_set.h"
#include "grid/interpolator.h"
#include "grid/inverse_distance.h"
#include "platform/profile.h"
#include "platform/progress.h"

namespace gridova {
namespace {

constexpr const char* kKeyTypeInit = "Type Init";
constexpr const char* kKeyPower = "Power";
constexpr const char* kKeyNearestPoints = "Nearest Points";
constexpr const char* kKeyRadius = "Radius";
constexpr const char* kKeyPlateau = "PlateauRadius";
constexpr const char* kKeyTolerance = "Tolerance";

}  // namespace

// --- The stored parameters (profile section "Inverse Distance") -------------------

void InverseDistance::saveParameters() const {
    writeProfileInt(kName, kKeyTypeInit, static_cast<std::int32_t>(typeInit_));
    writeProfileDouble(kName, kKeyPower, parameters_.power);
    writeProfileInt(kName, kKeyNearestPoints, parameters_.nearestPoints);
    writeProfileDouble(kName, kKeyRadius, parameters_.radius);
    writeProfileDouble(kName, kKeyPlateau, parameters_.plateau);
    writeProfileDouble(kName, kKeyTolerance, parameters_.tolerance);
}

void InverseDistance::loadParameters() {
    std::int32_t source = 0;
    if (readProfileInt(kName, kKeyTypeInit, source) == 0 &&
        source >= static_cast<std::int32_t>(InverseDistanceSource::Defaults) &&
        source <= static_cast<std::int32_t>(InverseDistanceSource::Previous)) {
        typeInit_ = static_cast<InverseDistanceSource>(source);
    }
    if (typeInit_ != InverseDistanceSource::Previous) return;
    double value = 0.0;
    std::int32_t count = 0;
    if (readProfileDouble(kName, kKeyPower, value) == 0) setPower(value);
    if (readProfileInt(kName, kKeyNearestPoints, count) == 0) setNearestPoints(count);
    if (readProfileDouble(kName, kKeyRadius, value) == 0) setRadius(value);
    if (readProfileDouble(kName, kKeyPlateau, value) == 0) setPlateau(value);
    if (readProfileDouble(kName, kKeyTolerance, value) == 0) setTolerance(value);
}

bool runInverseDistance(const PointSet& points, int nx, const double* nodeX, int ny,
                        const double* nodeY, InverseDistanceDialog* dialog,
                        std::vector<double>& values) {
    if (points.size() == 0) return false;
    InverseDistance engine;
    engine.setTypeInit(InverseDistanceSource::Defaults);
    if (engine.loadPoints(points) <= 0) return false;
    // By default every point of the set takes part in every node.
    engine.setNearestPoints(
        static_cast<std::int32_t>(std::min<std::size_t>(points.size(), INT_MAX)));
    if (engine.setNodes(nx, nodeX, ny, nodeY) < 0) return false;
    engine.loadParameters();
    if (engine.typeInit() != InverseDistanceSource::Defaults && dialog != nullptr) {
        dialog->edit(engine);
    }
    engine.run();
    engine.saveParameters();
    values = engine.output();
    return true;
}

namespace {

class InverseDistanceMethod final : public Interpolator {
public:
    InterpolationMethod method() const override { return InterpolationMethod::InverseDistance; }
    MethodInput input() const override { return MethodInput::DataValues; }
    // Without a result the grid keeps its state.
    int run(EqNet& grid, const InterpolationInput& in) const override {
        if (in.points->countWithValues() == 0) return -1;
        WaitScope wait;
        std::vector<double> values;
        if (!runInverseDistance(*in.points, grid.nx(), grid.nodeX().data(), grid.ny(),
                                grid.nodeY().data(), in.inverseDistanceDialog, values)) {
            return -1;
        }
        grid.computeMask(in.border);
        if (grid.SetValues(std::move(values)) != 0) return -1;
        grid.FillBlank(kBlankValue);
        return 0;
    }
};

}  // namespace

const Interpolator& inverseDistanceMethod() {
    static const InverseDistanceMethod method;
    return method;
}

}  // namespace gridova
