// The inverse-distance method as the driver runs it.
#include <algorithm>
#include <climits>
#include <vector>

#include "data/point_set.h"
#include "grid/interpolator.h"
#include "grid/inverse_distance.h"
#include "platform/progress.h"

namespace gridova {

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
