#include "grid/variogram_fit.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace gridova {

ExperimentalVariogram experimentalVariogram(std::span<const double> x, std::span<const double> y,
                                            std::span<const double> z) {
    ExperimentalVariogram result;
    const std::size_t n = std::min({x.size(), y.size(), z.size()});
    if (n < 2) return result;
    const std::size_t stride =
        (n + VariogramBinning::kMaxPoints - 1) / VariogramBinning::kMaxPoints;
    double xmin = x[0], xmax = x[0], ymin = y[0], ymax = y[0];
    for (std::size_t i = 0; i < n; i += stride) {
        xmin = std::min(xmin, x[i]);
        xmax = std::max(xmax, x[i]);
        ymin = std::min(ymin, y[i]);
        ymax = std::max(ymax, y[i]);
    }
    const double diagonal = std::hypot(xmax - xmin, ymax - ymin);
    if (!(diagonal > 0) || !std::isfinite(diagonal)) return result;
    result.cutoff = diagonal * VariogramBinning::kCutoffShare;
    result.width = result.cutoff / VariogramBinning::kBins;

    std::vector<double> distances(VariogramBinning::kBins, 0.0);
    std::vector<double> squares(VariogramBinning::kBins, 0.0);
    std::vector<std::int64_t> counts(VariogramBinning::kBins, 0);
    for (std::size_t i = 0; i < n; i += stride) {
        for (std::size_t j = i + stride; j < n; j += stride) {
            const double d = std::hypot(x[i] - x[j], y[i] - y[j]);
            if (!(d <= result.cutoff)) continue;
            const auto bin = d > 0 ? static_cast<std::size_t>(std::ceil(d / result.width)) - 1 : 0;
            const std::size_t b = std::min<std::size_t>(bin, VariogramBinning::kBins - 1);
            const double dz = z[i] - z[j];
            distances[b] += d;
            squares[b] += dz * dz;
            ++counts[b];
        }
    }
    for (std::size_t b = 0; b < distances.size(); ++b) {
        if (counts[b] == 0) continue;
        const auto count = static_cast<double>(counts[b]);
        result.bins.push_back({distances[b] / count, squares[b] / (2 * count), counts[b]});
    }
    return result;
}

double variogramShape(std::int32_t model, double h, double range) {
    if (!(h > 0) || !(range > 0)) return 0.0;
    const double t = h / range;
    switch (model) {
        case 0:
            return t < 1 ? t : 1.0;
        case 1:
            return t < 1 ? 1.5 * t - 0.5 * t * t * t : 1.0;
        case 2:
            return 1.0 - std::exp(-3.0 * t);
        case 3:
            return 1.0 - std::exp(-3.0 * t * t);
        default:
            return 0.0;
    }
}

namespace {

// The best nugget and partial sill (neither negative) for one range.
FittedVariogram bestSills(const ExperimentalVariogram& v, std::int32_t model, double range) {
    double sw = 0, swf = 0, swff = 0, swg = 0, swfg = 0;
    std::vector<double> w(v.bins.size()), f(v.bins.size());
    for (std::size_t j = 0; j < v.bins.size(); ++j) {
        const VariogramBin& b = v.bins[j];
        w[j] = static_cast<double>(b.pairs) / (b.distance * b.distance);
        f[j] = variogramShape(model, b.distance, range);
        sw += w[j];
        swf += w[j] * f[j];
        swff += w[j] * f[j] * f[j];
        swg += w[j] * b.gamma;
        swfg += w[j] * f[j] * b.gamma;
    }
    const auto squares = [&](double c0, double c) {
        double s = 0;
        for (std::size_t j = 0; j < v.bins.size(); ++j) {
            const double r = v.bins[j].gamma - (c0 + c * f[j]);
            s += w[j] * r * r;
        }
        return s;
    };
    FittedVariogram best;
    best.model = model;
    best.range = range;
    best.weightedSquares = std::numeric_limits<double>::infinity();
    const auto consider = [&](double c0, double c) {
        if (!(c0 >= 0) || !(c >= 0)) return;
        const double s = squares(c0, c);
        if (s < best.weightedSquares) {
            best.nugget = c0;
            best.partialSill = c;
            best.weightedSquares = s;
        }
    };
    const double det = sw * swff - swf * swf;
    if (det > 0) consider((swff * swg - swf * swfg) / det, (sw * swfg - swf * swg) / det);
    if (swff > 0) consider(0.0, swfg / swff);
    if (sw > 0) consider(swg / sw, 0.0);
    return best;
}

}  // namespace

FittedVariogram fitVariogram(const ExperimentalVariogram& variogram, std::int32_t model) {
    FittedVariogram result;
    result.model = model;
    if (variogram.bins.size() < 2 || !(variogram.cutoff > 0) || model < 0 || model > 3) {
        return result;
    }
    // Ranges from cutoff / 1000 to cutoff · 1000, 40 steps a decade.
    constexpr int kSteps = 240;
    const double lo = std::log(variogram.cutoff * 1e-3), hi = std::log(variogram.cutoff * 1e3);
    const auto rangeAt = [&](double t) { return std::exp(lo + (hi - lo) * t / kSteps); };
    int bestStep = 0;
    FittedVariogram best = bestSills(variogram, model, rangeAt(0));
    for (int k = 1; k <= kSteps; ++k) {
        const FittedVariogram f = bestSills(variogram, model, rangeAt(k));
        if (f.weightedSquares < best.weightedSquares) {
            best = f;
            bestStep = k;
        }
    }
    // Golden sections between the neighbours of the best step.
    double a = std::max(0, bestStep - 1), b = std::min(kSteps, bestStep + 1);
    const double g = (std::sqrt(5.0) - 1) / 2;
    double c = b - g * (b - a), d = a + g * (b - a);
    FittedVariogram fc = bestSills(variogram, model, rangeAt(c));
    FittedVariogram fd = bestSills(variogram, model, rangeAt(d));
    for (int i = 0; i < 100 && b - a > 1e-12; ++i) {
        if (fc.weightedSquares <= fd.weightedSquares) {
            b = d;
            d = c;
            fd = fc;
            c = b - g * (b - a);
            fc = bestSills(variogram, model, rangeAt(c));
        } else {
            a = c;
            c = d;
            fc = fd;
            d = a + g * (b - a);
            fd = bestSills(variogram, model, rangeAt(d));
        }
    }
    for (const FittedVariogram* f : {&fc, &fd}) {
        if (f->weightedSquares < best.weightedSquares) best = *f;
    }
    best.levelsOff = bestStep < kSteps;
    best.ok = std::isfinite(best.weightedSquares);
    return best;
}

}  // namespace gridova
