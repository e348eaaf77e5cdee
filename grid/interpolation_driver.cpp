#include "grid/interpolation_driver.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "grid/equation_method.h"
#include "grid/inverse_distance.h"
#include "grid/kriging.h"
#include "grid/triangle_method.h"
#include "platform/messages.h"
#include "platform/progress.h"

namespace gridova {
namespace {

constexpr int kNoGrid = 190;         // "Сетка не задана! ..."
constexpr int kBorderOutside = 191;  // "Граница вылезает за сетку! ..."
constexpr int kPointsOutside = 192;  // "Точки вылезают за сетку! ..."
constexpr int kStoppedByUser = 418;  // "Процесс остановлен пользователем"
constexpr int kProgressText = 321;  // "Расчет..."
constexpr int kNoValues = 9003;     // "Ни у одной точки нет значения: ..."
constexpr int kNotFinite = 9032;  // "Значения сетки выходят за пределы ..."
constexpr int kSpanNotFinite = 9036;  // "Значения сетки от %g до %g: их размах ..."
constexpr const char* kDensityTitle = "Kriging";  // the progress bar's label, as it always was

// Point density: each point adds 1 / max(1, kDensityScale × distance).
constexpr double kDensityScale = 50.0;

// The rectangle of the points that have coordinates; nothing without points.
std::optional<DRect> pointsExtent(const PointSet* points) {
    if (points == nullptr || points->size() == 0) return std::nullopt;
    double x0, x1, y0, y1;
    if (points->ranges(x0, x1, y0, y1) != 0) return std::nullopt;
    return DRect(x0, y0, x1, y1);
}

// The frame's last steps: blank nodes, range, colour-scale range.
void finishValues(EqNet& grid) {
    grid.FillBlank(kBlankValue);
    grid.computeRange();
    grid.colorScale.setRange(grid.minValue(), grid.maxValue());
}

// Data values of this magnitude or more are brought near 1 by a power of two
// before a method runs, and the grid's values are taken back afterwards:
// sums and differences of such values (a mean of neighbours, a weighted sum,
// a kriging system) would otherwise overflow. Every method is linear in the
// values and a power of two scales exactly, so the result is what the method
// gives with unlimited range; below this bound nothing is scaled, so usual
// data give the very same bits as ever. 2^500 leaves room for the square of
// a scaled value and for the sums of many of them.
constexpr double kScaleFrom = 0x1p+500;

// The exponent e such that the values times 2^-e lie below 2 in magnitude;
// 0 when they are small enough as they are.
int valueExponent(const PointSet& points, const OptionalValue& borderValue) {
    double largest = 0.0;
    for (const DataPoint& p : points.points()) {
        if (p.value.present()) largest = std::max(largest, std::fabs(p.value.value));
    }
    if (borderValue.present()) largest = std::max(largest, std::fabs(borderValue.value));
    if (!(largest >= kScaleFrom) || !std::isfinite(largest)) return 0;
    return std::ilogb(largest);
}

// Inputs whose values are scaled by 2^-exponent, with the copy they point to.
struct ScaledInputs {
    DriverInputs in;
    PointSet points;
};

void scaleInputs(ScaledInputs& scaled, int exponent) {
    for (DataPoint& p : scaled.points.points()) {
        if (p.value.present()) p.value.value = std::ldexp(p.value.value, -exponent);
    }
    scaled.points.computeStatistics();
    scaled.in.points = &scaled.points;
    if (scaled.in.borderValue.present()) {
        scaled.in.borderValue.value = std::ldexp(scaled.in.borderValue.value, -exponent);
    }
}

// Takes the values of the inside nodes back by 2^exponent.
void unscaleValues(EqNet& grid, int exponent) {
    if (!grid.hasValues()) return;
    grid.scaleInsideValues(exponent);
    finishValues(grid);
}

void copyBorderValue(EqNet& grid, const DriverInputs& in) {
    if (in.border != nullptr && !in.border->empty()) {
        grid.borderValue = {in.borderValue.present() ? 1 : 0, in.borderValue.value};
    }
}

}  // namespace

int InterpolationDriver::checkGrid(std::unique_ptr<EqNet>& grid, const DriverInputs& in) {
    if (grid == nullptr || grid->empty()) {
        if (in.dataKind == DataKind::Picture && in.pictureValues != nullptr) {
            grid = EqNet::sizedToArray(in.pictureColumns, in.pictureRows, 0, in.pictureColumns - 1,
                                       0, in.pictureRows - 1);
        } else if (const auto box = pointsExtent(in.points)) {
            grid = EqNet::fromCounts(*box, EqNet::kDefaultNodes, EqNet::kDefaultNodes);
        }
    }
    if (grid == nullptr || grid->empty()) {
        warning(text(kNoGrid));
        return -1;
    }
    if (in.border != nullptr && !in.border->empty() &&
        !grid->extent().contains(in.border->extent())) {
        warning(text(kBorderOutside));
        return -1;
    }
    if (const auto box = pointsExtent(in.points); box && !grid->extent().contains(*box)) {
        warning(text(kPointsOutside));
        return -1;
    }
    return 0;
}

InterpolationMethod InterpolationDriver::methodFor(const EqNet& grid, const DriverInputs& in) {
    if (in.keepValues) return InterpolationMethod::FinishOnly;
    switch (in.dataKind) {
        case DataKind::Picture:
            return in.pictureValues != nullptr ? InterpolationMethod::ArrayValues
                                               : InterpolationMethod::NoApply;
        case DataKind::Array:
            return InterpolationMethod::EquationSystem;
        case DataKind::Triangles:
            return InterpolationMethod::FinishOnly;
        case DataKind::Points:
            break;
    }
    return grid.method;
}

int InterpolationDriver::dataPointsOnly(EqNet& grid, const DriverInputs& in) {
    if (in.points == nullptr || !grid.allocateValues(0.0)) return -1;
    WaitScope wait;
    copyBorderValue(grid, in);
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
    finishValues(grid);
    return 0;
}

int InterpolationDriver::pointDensity(EqNet& grid, const DriverInputs& in) {
    if (in.points == nullptr || !grid.allocateValues(0.0)) return -1;
    WaitScope wait;
    copyBorderValue(grid, in);
    grid.computeMask(in.border);
    std::vector<double> xs, ys;
    for (const DataPoint& p : in.points->points()) {
        xs.push_back(p.x);
        ys.push_back(p.y);
    }
    CProgressBar progress(kDensityTitle, 50, grid.ny());
    WaitCancelScope scope(text(kProgressText), true);
    for (std::int32_t j = 0; j < grid.ny(); ++j) {
        if (scope.cancelled()) {
            information(text(kStoppedByUser));
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
        progress.stepIt();
    }
    finishValues(grid);
    return 0;
}

int InterpolationDriver::arrayValues(EqNet& grid, const DriverInputs& in) {
    if (in.pictureValues == nullptr) return -1;
    WaitScope wait;
    grid.computeMask(in.border);
    if (grid.SetValues(*in.pictureValues, in.pictureColumns, in.pictureRows, in.pictureSmoothing) !=
        0) {
        return -1;
    }
    grid.FillBlank(kBlankValue);
    return 0;
}

void InterpolationDriver::finish(EqNet& grid) {
    // The node filter follows every method.
    if (grid.applyNodeFilter() > 0) finishValues(grid);
}

int InterpolationDriver::interpolate(EqNet* grid, const DriverInputs& given,
                                     const DriverHooks& hooks) {
    if (grid == nullptr || grid->empty()) {
        warning(text(kPointsOutside, "Не определена сетка"));
        return -1;
    }
    const InterpolationMethod method = methodFor(*grid, given);
    const bool pointMethod =
        method == InterpolationMethod::EquationSystem ||
        method == InterpolationMethod::LargeGridEquationSystem ||
        method == InterpolationMethod::InverseDistance || method == InterpolationMethod::Kriging ||
        method == InterpolationMethod::BlockKriging ||
        method == InterpolationMethod::DataPointsOnly || method == InterpolationMethod::Triangles;
    if (pointMethod && given.points != nullptr && given.points->size() > 0 &&
        given.points->countWithValues() == 0) {
        // Points without any value give nothing to interpolate.
        warning(text(kNoValues));
        return -1;
    }
    // Values near the limits of the number range run scaled.
    ScaledInputs scaled{given, {}};
    const int exponent = pointMethod && given.points != nullptr
                             ? valueExponent(*given.points, given.borderValue)
                             : 0;
    if (exponent != 0) {
        try {
            scaled.points = *given.points;
        } catch (const std::bad_alloc&) {
            outOfMemory();
            return -1;
        }
        scaleInputs(scaled, exponent);
    }
    const DriverInputs& in = scaled.in;
    // A triangle set read from a file is rasterised first; finish follows.
    if (in.dataKind == DataKind::Triangles && method == InterpolationMethod::FinishOnly &&
        !in.keepValues && in.triangles != nullptr) {
        WaitScope wait;
        rasteriseTriangleSet(*grid, *in.triangles);
    }
    int result = 0;
    switch (method) {
        case InterpolationMethod::DataPointsOnly:
            result = dataPointsOnly(*grid, in);
            break;
        case InterpolationMethod::PointDensity:
            result = pointDensity(*grid, in);
            break;
        case InterpolationMethod::ArrayValues:
            result = arrayValues(*grid, in);
            break;
        case InterpolationMethod::EquationSystem:
            if (in.points == nullptr) return -1;
            copyBorderValue(*grid, in);
            result = runEquationSystem(*grid, *in.points, in.border);
            break;
        case InterpolationMethod::Triangles: {
            if (in.points == nullptr) return -1;
            WaitScope wait;
            copyBorderValue(*grid, in);
            if (runTriangleMethod(*grid, in.points, in.border) != 0) return -1;
            break;
        }
        case InterpolationMethod::Kriging:
        case InterpolationMethod::BlockKriging: {
            // Without points the grid keeps its state.
            if (in.points == nullptr) return -1;
            copyBorderValue(*grid, in);
            if (runKriging(*grid, *in.points, in.border,
                           method == InterpolationMethod::BlockKriging, hooks.krigingDialog) != 0) {
                return -1;
            }
            break;
        }
        case InterpolationMethod::InverseDistance: {
            // Without points the grid keeps its state.
            if (in.points == nullptr || in.points->countWithValues() == 0) return -1;
            WaitScope wait;
            copyBorderValue(*grid, in);
            std::vector<double> values;
            if (!runInverseDistance(*in.points, grid->nx(), grid->nodeX().data(), grid->ny(),
                                    grid->nodeY().data(), hooks.inverseDistanceDialog, values)) {
                return -1;
            }
            grid->computeMask(in.border);
            if (grid->SetValues(std::move(values)) != 0) return -1;
            grid->FillBlank(kBlankValue);
            break;
        }
        case InterpolationMethod::LargeGridEquationSystem: {
            if (in.points == nullptr) return -1;
            copyBorderValue(*grid, in);
            auto run = startLargeGridSystem(*grid, *in.points, in.border);
            if (run == nullptr) return -1;
            run->setValueExponent(exponent);
            if (hooks.largeGridStarted) {
                hooks.largeGridStarted(std::move(run));
                return 1;
            }
            result = run->complete(*grid);
            if (result == 0) return finishChecked(*grid);
            break;
        }
        case InterpolationMethod::NoApply:
        case InterpolationMethod::FinishOnly:
            break;
        default:
            return -1;
    }
    if (result != 0) return result;
    if (exponent != 0) unscaleValues(*grid, exponent);
    return finishChecked(*grid);
}

int InterpolationDriver::finishChecked(EqNet& grid) {
    if (!grid.insideValuesFinite()) {
        // Values beyond the number range are no map: none are kept.
        warning(text(kNotFinite));
        grid.dropValues();
        return kValuesNotFinite;
    }
    if (grid.hasValues() && !std::isfinite(grid.maxValue() - grid.minValue())) {
        // Each value is a number but their span is not: levels, bands and
        // the colour scale are all measured in that span.
        warning(formatText(text(kSpanNotFinite), {grid.minValue(), grid.maxValue()}));
        grid.dropValues();
        return kValuesNotFinite;
    }
    finish(grid);
    return 0;
}

}  // namespace gridova
