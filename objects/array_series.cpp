#include "objects/array_series.h"

#include <algorithm>
#include <cmath>

#include "objects/line.h"
#include "platform/gdi.h"
#include "platform/numbers.h"

namespace gridova {

namespace {

constexpr double kLeastDeviation = 1e-30;

// The colours of a level of the chain: the data, then the smoothed series.
constexpr gdi::ColorRef kDataColors[] = {gdi::rgb(0, 0, 0), gdi::rgb(0, 0, 255),
                                         gdi::rgb(0, 128, 0), gdi::rgb(128, 0, 128)};
constexpr gdi::ColorRef kNormalColor = gdi::rgb(0, 160, 160);
constexpr gdi::ColorRef kMarksColor = gdi::rgb(255, 0, 0);

template <class T>
Line lineOf(const std::vector<T>& values, double first, const char* name, gdi::ColorRef color) {
    std::vector<LinePoint> points;
    points.reserve(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        points.push_back({first + static_cast<double>(i), static_cast<double>(values[i])});
    }
    Line line(std::move(points));
    line.name = name;
    line.style.colorLine = static_cast<std::int32_t>(color);
    return line;
}

}  // namespace

ArraySeries::ArraySeries(std::vector<double> values, double firstPosition)
    : values_(std::move(values)), first_(firstPosition) {}

ArraySeries& ArraySeries::last() {
    ArraySeries* s = this;
    while (s->smoothed_) s = s->smoothed_.get();
    return *s;
}

const ArraySeries& ArraySeries::last() const { return const_cast<ArraySeries*>(this)->last(); }

const ArraySeries* ArraySeries::lastSmoothedFrom() const {
    const ArraySeries* s = this;
    if (!s->smoothed_) return nullptr;
    while (s->smoothed_->smoothed_) s = s->smoothed_.get();
    return s;
}

bool ArraySeries::smooth(std::int32_t window) {
    const auto n = static_cast<std::int64_t>(values_.size());
    window_ = static_cast<std::int32_t>(std::clamp<std::int64_t>(window, 0, n));
    smoothed_.reset();
    const std::int64_t h = window_ / 2;
    if (window_ <= 2 || n - 2 * h <= 0) return false;
    std::vector<double> means(static_cast<std::size_t>(n - 2 * h));
    for (std::size_t i = 0; i < means.size(); ++i) {
        double sum = 0;
        for (std::int64_t k = 0; k <= 2 * h; ++k) sum += values_[i + static_cast<std::size_t>(k)];
        means[i] = sum / static_cast<double>(2 * h + 1);
    }
    smoothed_ = std::make_unique<ArraySeries>(std::move(means), first_ + static_cast<double>(h));
    return true;
}

bool ArraySeries::computeMarks(double threshold) {
    normal_.reset();
    marks_.reset();
    const std::size_t n = values_.size();
    if (n <= 1) return false;
    double mean = 0;
    for (double v : values_) mean += v;
    mean /= static_cast<double>(n);
    double squares = 0;
    for (double v : values_) squares += (v - mean) * (v - mean);
    const double deviation = std::sqrt(squares / static_cast<double>(n - 1));
    if (!(std::abs(deviation) >= kLeastDeviation)) return false;
    std::vector<double> normal(n);
    std::vector<int> marks(n);
    for (std::size_t i = 0; i < n; ++i) {
        normal[i] = (values_[i] - mean) / deviation;
        marks[i] = normal[i] >= threshold ? 1 : normal[i] <= -threshold ? -1 : 0;
    }
    normal_ = std::move(normal);
    marks_ = std::move(marks);
    return true;
}

std::unique_ptr<Bush> ArraySeries::graph(const std::string& name) const {
    auto group = std::make_unique<Bush>(name);
    Bush* level = group.get();
    std::size_t depth = 0;
    for (const ArraySeries* s = this; s != nullptr; s = s->smoothed_.get(), ++depth) {
        const gdi::ColorRef color = kDataColors[std::min(depth, std::size(kDataColors) - 1)];
        level->addItem(BushItem(lineOf(s->values_, s->first_, "Data", color)));
        if (s->normal_) {
            level->addItem(BushItem(lineOf(*s->normal_, s->first_, "Normal", kNormalColor)));
        }
        if (s->marks_) {
            level->addItem(BushItem(lineOf(*s->marks_, s->first_, "Function G", kMarksColor)));
        }
        if (s->smoothed_) level = &level->addChild(std::make_unique<Bush>(name));
    }
    return group;
}

std::string ArraySeries::smoothedTable() const {
    if (!smoothed_) return {};
    const ArraySeries& s = *smoothed_;
    const std::size_t h = static_cast<std::size_t>(window_ / 2);
    std::string out;
    for (std::size_t k = 0; k < s.values_.size(); ++k) {
        const std::size_t j = k + h;
        for (double v : {first_ + static_cast<double>(j), values_[j], s.values_[k]}) {
            out += ' ';
            appendDouble(out, v);
        }
        if (s.marks_) {
            out += ' ';
            out += std::to_string((*s.marks_)[k]);
        }
        out += '\n';
    }
    return out;
}

}  // namespace gridova
