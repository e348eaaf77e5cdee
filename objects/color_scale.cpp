// `ColorScale`: bands, range, gradient and the colour of a value. The files,
// section and profile are in color_scale_io.cpp; render/color_bar_painter.cpp
// draws the bar.
#include "objects/color_scale.h"

#include <algorithm>
#include <cmath>

#include "platform/messages.h"

namespace gridova {
namespace {

// One byte of a colour between two ends, the low 8 bits of the truncated
// value. The step past the last band (t = Count) runs beyond the far end and
// wraps; it is kept only to fill the table's extra entry.
std::uint32_t gradientByte(gdi::ColorRef from, gdi::ColorRef to, int shift, double f) {
    const double a = static_cast<double>((from >> shift) & 0xFFu);
    const double b = static_cast<double>((to >> shift) & 0xFFu);
    const auto v = static_cast<std::int32_t>(std::trunc(a + f * (b - a)));
    return (static_cast<std::uint32_t>(v) & 0xFFu) << shift;
}

}  // namespace

ColorScale::ColorScale() {
    resize(kDefaultCount);
    for (std::int32_t i = 0; i <= count_; ++i) {
        colors_[static_cast<std::size_t>(i)] =
            StandardPalette::color(std::min(kFirstRampIndex + i, kLastRampIndex));
    }
}

void ColorScale::copyFrom(const ColorScale& other) {
    DRect rect = barRect;
    *this = other;
    barRect = rect;
}

void ColorScale::resize(std::int32_t n) {
    count_ = n;
    colors_.resize(static_cast<std::size_t>(n) + 1, 0);
    boundaries_.resize(static_cast<std::size_t>(n) + 1, 0.0);
}

void ColorScale::setRange(double lo, double hi) {
    if (setMinMax != 0) {
        min_ = minValue;
        max_ = maxValue;
    } else {
        min_ = minValue = dataMin = lo;
        max_ = maxValue = dataMax = hi;
    }
    step_ = (max_ - min_) / count_;
}

bool ColorScale::setCount(std::int32_t n) {
    if (n < 1 || n > kMaxCount) return false;
    resize(n);
    step_ = (max_ - min_) / count_;
    makeGradient();
    makeEqualBoundaries();
    return true;
}

void ColorScale::setEndColors(gdi::ColorRef lowest, gdi::ColorRef highest) {
    minColor = lowest;
    maxColor = highest;
    makeGradient();
}

void ColorScale::makeGradient() {
    // s = 1 / (Count - 1), so that colour Count - 1 is exactly maxColor.
    const double s = count_ > 1 ? 1.0 / (count_ - 1) : 0.0;
    for (std::int32_t t = 0; t <= count_; ++t) {
        const double f = t * s;
        std::uint32_t c = 0;
        for (int shift = 0; shift < 32; shift += 8) c |= gradientByte(minColor, maxColor, shift, f);
        colors_[static_cast<std::size_t>(t)] = c;
    }
    paletteMode = 0;
}

void ColorScale::makeEqualBoundaries() {
    const double step = count_ != 0 ? (max_ - min_) / count_ : 0.0;
    boundaries_[0] = min_;
    for (std::size_t i = 1; i < boundaries_.size(); ++i) {
        boundaries_[i] = boundaries_[i - 1] + step;
    }
}

bool ColorScale::setColor(int index, gdi::ColorRef color) {
    if (index < 0 || index > count_) return false;
    colors_[static_cast<std::size_t>(index)] = color;
    return true;
}

bool ColorScale::setBoundary(int index, double value) {
    if (index < 0 || index > count_) return false;
    boundaries_[static_cast<std::size_t>(index)] = value;
    return true;
}

void ColorScale::setUpColorMap(double gridMin, double gridMax) {
    paletteSize = kPaletteSize;
    resize(kDefaultCount);
    setRange(gridMin, gridMax);
    paletteMode = 1;
    for (std::int32_t i = 0; i <= count_; ++i) {
        colors_[static_cast<std::size_t>(i)] =
            StandardPalette::color(std::min(kFirstRampIndex + i, kLastRampIndex));
    }
    makeEqualBoundaries();
}

bool ColorScale::setFromIsolineLevels(const std::vector<double>& levels, double gridMin,
                                      double gridMax) {
    std::vector<double> v;
    v.reserve(levels.size());
    for (double l : levels) {
        if (std::isfinite(l)) v.push_back(l);
    }
    // One band more than there are levels, and the scale holds kMaxCount.
    if (v.size() >= static_cast<std::size_t>(kMaxCount)) return false;
    std::sort(v.begin(), v.end());
    const auto n = static_cast<std::int32_t>(v.size());
    setCount(n + 1);
    boundaries_[0] = n > 0 ? std::min(gridMin, v.front()) : gridMin;
    for (std::int32_t i = 1; i <= n; ++i) {
        boundaries_[static_cast<std::size_t>(i)] = v[static_cast<std::size_t>(i - 1)];
    }
    boundaries_[static_cast<std::size_t>(n) + 1] = n > 0 ? std::max(gridMax, v.back()) : gridMax;
    setRange(boundaries_.front(), boundaries_.back());
    return true;
}

bool ColorScale::setBoundariesFromValues(const std::vector<double>& values) {
    std::vector<double> v;
    v.reserve(values.size());
    for (double x : values) {
        if (std::isfinite(x)) v.push_back(x);
    }
    if (v.empty() || v.size() > static_cast<std::size_t>(kMaxCount)) return false;
    std::sort(v.begin(), v.end());
    setCount(static_cast<std::int32_t>(v.size()));
    std::copy(v.begin(), v.end(), boundaries_.begin());
    boundaries_.back() = std::max(max_, v.back());
    return true;
}

int ColorScale::paletteIndexOf(double v) const {
    if (!(step_ > kTinyStep)) return kFirstRampIndex;
    // Held to the range (the order of the two tests keeps a reversed range
    // from being undefined), then to the ramp; a NaN lands on the first entry.
    if (v > max_) v = max_;
    if (v < min_) v = min_;
    double q = std::trunc((v - min_) / step_);
    if (!(q >= 0)) q = 0;
    q = std::min(q, static_cast<double>(kLastRampIndex - kFirstRampIndex));
    return kFirstRampIndex + static_cast<int>(q);
}

gdi::ColorRef ColorScale::colorOf(double v) const {
    if (paletteMode != 0) return StandardPalette::color(paletteIndexOf(v));
    for (std::int32_t i = 1; i < count_; ++i) {
        if (!(v >= boundaries_[static_cast<std::size_t>(i)])) {
            return colors_[static_cast<std::size_t>(i) - 1];
        }
    }
    return colors_[static_cast<std::size_t>(count_) - 1];
}

std::string ColorScale::labelFormat() const {
    if (min_ <= -kLargeLabelRange || max_ >= kLargeLabelRange) return "%.6lg";
    const int digits = std::clamp(digit, 0, kMaxDigits);
    const bool fixed = min_ <= -kTinyLabelRange || max_ >= kTinyLabelRange;
    return "%." + std::to_string(digits) + (fixed ? "lf" : "lg");
}

std::string ColorScale::labelText(double v) const { return formatText(labelFormat(), {v}); }

}  // namespace gridova
