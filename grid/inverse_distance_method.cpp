// The inverse-distance method as the driver runs it.
#include <algorithm>
#include <climits>
#include <optional>
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

// --- Settings ----------------------------------------------------------------------------

namespace {

// The stored "Type Init"; nothing when it is missing or not a source.
std::optional<InverseDistanceSource> storedSource() {
    std::int32_t source = 0;
    if (readProfileInt(InverseDistance::kName, kKeyTypeInit, source) != 0 ||
        source < static_cast<std::int32_t>(InverseDistanceSource::Defaults) ||
        source > static_cast<std::int32_t>(InverseDistanceSource::Previous)) {
        return std::nullopt;
    }
    return static_cast<InverseDistanceSource>(source);
}

// The stored parameters with the given source.
InverseDistanceSettings storedSettings(InverseDistanceSource source) {
    InverseDistanceSettings s;
    s.source = source;
    const char* section = InverseDistance::kName;
    double value = 0.0;
    std::int32_t count = 0;
    if (readProfileDouble(section, kKeyPower, value) == 0) s.power = value;
    if (readProfileInt(section, kKeyNearestPoints, count) == 0) s.nearestPoints = count;
    if (readProfileDouble(section, kKeyRadius, value) == 0) s.radius = value;
    if (readProfileDouble(section, kKeyPlateau, value) == 0) s.plateau = value;
    if (readProfileDouble(section, kKeyTolerance, value) == 0) s.tolerance = value;
    return s;
}

}  // namespace

InverseDistanceSettings InverseDistanceSettings::stored(InverseDistanceSource source) {
    return storedSettings(source);
}

InverseDistanceSettings InverseDistanceSettings::load() {
    const InverseDistanceSource source = storedSource().value_or(InverseDistanceSource::Defaults);
    if (source == InverseDistanceSource::Previous) return storedSettings(source);
    InverseDistanceSettings s;
    s.source = source;
    return s;
}

void InverseDistanceSettings::save(InverseDistanceSource source,
                                   const InverseDistanceParameters& p) {
    const char* section = InverseDistance::kName;
    writeProfileInt(section, kKeyTypeInit, static_cast<std::int32_t>(source));
    writeProfileDouble(section, kKeyPower, p.power);
    writeProfileInt(section, kKeyNearestPoints, p.nearestPoints);
    writeProfileDouble(section, kKeyRadius, p.radius);
    writeProfileDouble(section, kKeyPlateau, p.plateau);
    writeProfileDouble(section, kKeyTolerance, p.tolerance);
}

void InverseDistance::apply(const InverseDistanceSettings& s) {
    typeInit_ = s.source;
    if (s.power) setPower(*s.power);
    if (s.nearestPoints) setNearestPoints(*s.nearestPoints);
    if (s.radius) setRadius(*s.radius);
    if (s.plateau) setPlateau(*s.plateau);
    if (s.tolerance) setTolerance(*s.tolerance);
}

bool runInverseDistance(const PointSet& points, int nx, const double* nodeX, int ny,
                        const double* nodeY, const InverseDistanceSettings& settings,
                        std::vector<double>& values, InverseDistanceParameters* used,
                        RunFeedback& feedback) {
    if (points.size() == 0) return false;
    InverseDistance engine;
    engine.setTypeInit(InverseDistanceSource::Defaults);
    if (engine.loadPoints(points) <= 0) return false;
    // By default every point of the set takes part in every node.
    engine.setNearestPoints(
        static_cast<std::int32_t>(std::min<std::size_t>(points.size(), INT_MAX)));
    if (engine.setNodes(nx, nodeX, ny, nodeY) < 0) return false;
    engine.apply(settings);
    engine.run(feedback);
    values = engine.output();
    if (used != nullptr) *used = engine.parameters();
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
        const InverseDistanceSettings settings =
            in.settings != nullptr ? in.settings->inverseDistance : InverseDistanceSettings{};
        InverseDistanceParameters used;
        if (!runInverseDistance(*in.points, grid.nx(), grid.nodeX().data(), grid.ny(),
                                grid.nodeY().data(), settings, values, &used,
                                in.feedbackOrDefault())) {
            return -1;
        }
        if (in.report != nullptr) in.report->inverseDistance = used;
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
