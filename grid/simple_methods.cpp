// The methods without an engine of their own: data points only, point
// density and the values of a digitized picture.
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "data/point_set.h"
#include "grid/interpolator.h"
#include "platform/messages.h"
#include "platform/progress.h"

namespace gridova {
namespace {

constexpr int kStoppedByUser = 418;  // "Процесс остановлен пользователем"
constexpr int kProgressText = 321;                // "Расчет..."
constexpr const char* kDensityTitle = "Kriging";  // the progress bar's label, as it always was

// Point density: each point adds 1 / max(1, kDensityScale × distance).
constexpr double kDensityScale = 50.0;

// Each node nearest to data points takes the mean of their values and is
// the only kind of node inside; the rest are blank.
class DataPointsOnly final : public Interpolator {
public:
    InterpolationMethod method() const override { return InterpolationMethod::DataPointsOnly; }
    MethodInput input() const override { return MethodInput::DataValues; }
    int run(EqNet& grid, const InterpolationInput& in) const override {
        if (!grid.allocateValues(0.0)) return -1;
        WaitScope wait;
        grid.computeMask(in.border);
        std::fill(grid.mask().begin(), grid.mask().end(), kMaskOutside);
        std::vector<std::int32_t> counts(static_cast<std::size_t>(grid.nodeCount()), 0);
        for (const DataPoint& p : in.points->points()) {
            if (!p.value.present()) continue;
            const NodeRef n = grid.nearestNode(p.x, p.y);
            if (n.index < 0) continue;
            grid.values()[static_cast<std::size_t>(n.index)] += p.value.value;
            ++counts[static_cast<std::size_t>(n.index)];
        }
        for (std::size_t k = 0; k < counts.size(); ++k) {
            if (counts[k] == 0) continue;
            grid.values()[k] /= counts[k];
            grid.mask()[k] = kMaskInside;
        }
        grid.settleValues();
        return 0;
    }
};

// Every inside node sums 1 / max(1, 50 × distance) over the data points.
class PointDensity final : public Interpolator {
public:
    InterpolationMethod method() const override { return InterpolationMethod::PointDensity; }
    MethodInput input() const override { return MethodInput::DataPositions; }
    int run(EqNet& grid, const InterpolationInput& in) const override {
        if (!grid.allocateValues(0.0)) return -1;
        WaitScope wait;
        grid.computeMask(in.border);
        std::vector<double> xs, ys;
        for (const DataPoint& p : in.points->points()) {
            xs.push_back(p.x);
            ys.push_back(p.y);
        }
        RunFeedback& feedback = in.feedbackOrDefault();
        const std::unique_ptr<RunStage> progress =
            feedback.stage({kDensityTitle, 50, grid.ny(), text(kProgressText)});
        for (std::int32_t j = 0; j < grid.ny(); ++j) {
            if (progress->cancelled()) {
                feedback.information(text(kStoppedByUser));
                break;
            }
            const double y = grid.nodeY()[static_cast<std::size_t>(j)];
            for (std::int32_t i = 0; i < grid.nx(); ++i) {
                const std::size_t n = static_cast<std::size_t>(i + j * grid.nx());
                if (grid.mask()[n] <= kMaskOutside) continue;
                const double x = grid.nodeX()[static_cast<std::size_t>(i)];
                double sum = 0.0;
                for (std::size_t k = 0; k < xs.size(); ++k) {
                    const double d = std::hypot(x - xs[k], y - ys[k]);
                    sum += 1.0 / std::max(1.0, kDensityScale * d);
                }
                grid.values()[n] = sum;
            }
            progress->step();
        }
        grid.settleValues();
        return 0;
    }
};

// The picture's array in the interior nodes (EqNet::SetValues), the frame
// keeping the array's minimum.
class ArrayValues final : public Interpolator {
public:
    InterpolationMethod method() const override { return InterpolationMethod::ArrayValues; }
    MethodInput input() const override { return MethodInput::PictureValues; }
    int run(EqNet& grid, const InterpolationInput& in) const override {
        if (in.pictureValues == nullptr) return -1;
        WaitScope wait;
        grid.computeMask(in.border);
        if (grid.SetValues(*in.pictureValues, in.pictureColumns, in.pictureRows,
                           in.pictureSmoothing) != 0) {
            return -1;
        }
        grid.FillBlank(kBlankValue);
        return 0;
    }
};

}  // namespace

const Interpolator& dataPointsOnlyMethod() {
    static const DataPointsOnly method;
    return method;
}

const Interpolator& pointDensityMethod() {
    static const PointDensity method;
    return method;
}

const Interpolator& arrayValuesMethod() {
    static const ArrayValues method;
    return method;
}

}  // namespace gridova
