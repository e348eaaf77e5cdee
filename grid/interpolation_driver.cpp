#include "grid/interpolation_driver.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "grid/equation_method.h"
#include "grid/interpolator.h"
#include "grid/triangle_method.h"
#include "platform/messages.h"
#include "platform/progress.h"

namespace gridova {
namespace {

constexpr int kNoGrid = 190;         // "Сетка не задана! ..."
constexpr int kBorderOutside = 191;  // "Граница вылезает за сетку! ..."
constexpr int kPointsOutside = 192;  // "Точки вылезают за сетку! ..."
constexpr int kNoValues = 9003;      // "Ни у одной точки нет значения: ..."
constexpr int kNotFinite = 9032;  // "Значения сетки выходят за пределы ..."
constexpr int kSpanNotFinite = 9036;  // "Значения сетки от %g до %g: их размах ..."

// The rectangle of the points that have coordinates; nothing without points.
std::optional<DRect> pointsExtent(const PointSet* points) {
    if (points == nullptr || points->size() == 0) return std::nullopt;
    double x0, x1, y0, y1;
    if (points->ranges(x0, x1, y0, y1) != 0) return std::nullopt;
    return DRect(x0, y0, x1, y1);
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
    grid.settleValues();
}

void copyBorderValue(EqNet& grid, const DriverInputs& in) {
    if (in.border != nullptr && !in.border->empty()) {
        grid.borderValue = {in.borderValue.present() ? 1 : 0, in.borderValue.value};
    }
}

// The caller's feedback, or the process's.
RunFeedback& feedbackOf(const DriverInputs& in) {
    return in.feedback != nullptr ? *in.feedback : interactiveFeedback();
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
        feedbackOf(in).warning(text(kNoGrid));
        return -1;
    }
    if (in.border != nullptr && !in.border->empty() &&
        !grid->extent().contains(in.border->extent())) {
        feedbackOf(in).warning(text(kBorderOutside));
        return -1;
    }
    if (const auto box = pointsExtent(in.points); box && !grid->extent().contains(*box)) {
        feedbackOf(in).warning(text(kPointsOutside));
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

int InterpolationDriver::interpolate(EqNet* grid, const DriverInputs& given,
                                     const DriverHooks& hooks) {
    if (grid == nullptr || grid->empty()) {
        feedbackOf(given).warning(text(kPointsOutside, "Не определена сетка"));
        return -1;
    }
    const InterpolationMethod method = methodFor(*grid, given);
    const Interpolator* interpolator = interpolatorFor(method);
    const MethodInput takes =
        interpolator != nullptr ? interpolator->input() : MethodInput::PictureValues;
    const bool dataValues = interpolator != nullptr && takes == MethodInput::DataValues;
    if (dataValues && given.points != nullptr && given.points->size() > 0 &&
        given.points->countWithValues() == 0) {
        // Points without any value give nothing to interpolate.
        feedbackOf(given).warning(text(kNoValues));
        return -1;
    }
    // Values near the limits of the number range run scaled.
    ScaledInputs scaled{given, {}};
    const int exponent =
        dataValues && given.points != nullptr ? valueExponent(*given.points, given.borderValue) : 0;
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
    if (interpolator == nullptr) {
        if (method != InterpolationMethod::NoApply && method != InterpolationMethod::FinishOnly) {
            return -1;
        }
        // A triangle set read from a file is rasterised first; the last step follows.
        if (in.dataKind == DataKind::Triangles && method == InterpolationMethod::FinishOnly &&
            !in.keepValues && in.triangles != nullptr) {
            WaitScope wait;
            rasteriseTriangleSet(*grid, *in.triangles, feedbackOf(in));
        }
        return finishChecked(*grid, feedbackOf(in));
    }
    if (takes != MethodInput::PictureValues) {
        // Without points the grid keeps its state.
        if (in.points == nullptr) return -1;
        copyBorderValue(*grid, in);
    }
    if (method == InterpolationMethod::LargeGridEquationSystem && hooks.largeGridStarted) {
        // The caller shows the run's progress, completes it and finishes.
        auto run = startLargeGridSystem(*grid, *in.points, in.border);
        if (run == nullptr) return -1;
        run->setValueExponent(exponent);
        hooks.largeGridStarted(std::move(run));
        return 1;
    }
    InterpolationInput input;
    input.points = in.points;
    input.border = in.border;
    input.pictureValues = in.pictureValues;
    input.pictureColumns = in.pictureColumns;
    input.pictureRows = in.pictureRows;
    input.pictureSmoothing = in.pictureSmoothing;
    input.settings = in.settings;
    input.report = in.report;
    input.feedback = in.feedback;
    const int result = interpolator->run(*grid, input);
    if (result != 0) return result;
    if (exponent != 0) unscaleValues(*grid, exponent);
    return finishChecked(*grid, feedbackOf(in));
}

int InterpolationDriver::finishChecked(EqNet& grid, RunFeedback& feedback) {
    if (!grid.insideValuesFinite()) {
        // Values beyond the number range are no map: none are kept.
        feedback.warning(text(kNotFinite));
        grid.dropValues();
        return kValuesNotFinite;
    }
    if (grid.hasValues() && !std::isfinite(grid.maxValue() - grid.minValue())) {
        // Each value is a number but their span is not: levels, bands and
        // the colour scale are all measured in that span.
        feedback.warning(formatText(text(kSpanNotFinite), {grid.minValue(), grid.maxValue()}));
        grid.dropValues();
        return kValuesNotFinite;
    }
    // The node filter follows every method.
    if (grid.applyNodeFilter() > 0) grid.settleValues();
    return 0;
}

}  // namespace gridova
