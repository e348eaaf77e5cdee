// A one-dimensional array shown as a graph: its values against their
// positions 1, 2, ..., n, with a chain of smoothed series, each made from
// the one before by a moving mean, and, for any series of the chain, its
// normalised values and outlier marks.
//
// Smoothing with a window of W values (h = W div 2) gives n - 2h values,
// value i the mean of values i to i + 2h; it lies at the position of the
// middle value of its window, so that it follows the series it smooths.
// A window below 3 or wider than the series gives none.
//
// Normalised values: (v - m) / s with the mean m and the sample standard
// deviation s (divisor n - 1); none for fewer than two values or when s is
// below 1e-30. Marks: 1 where the normalised value is at least the
// threshold t, -1 where it is at most -t, else 0.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "objects/bush.h"

namespace gridova {

class ArraySeries {
public:
    static constexpr std::int32_t kDefaultWindow = 3;
    static constexpr double kDefaultThreshold = 0.1;

    // The values at positions first, first + 1, ...
    explicit ArraySeries(std::vector<double> values, double firstPosition = 1.0);

    const std::vector<double>& values() const { return values_; }
    double firstPosition() const { return first_; }
    const std::optional<std::vector<double>>& normal() const { return normal_; }
    const std::optional<std::vector<int>>& marks() const { return marks_; }
    ArraySeries* smoothed() { return smoothed_.get(); }
    const ArraySeries* smoothed() const { return smoothed_.get(); }
    // The last series of the chain (this one when it has no smoothed one).
    ArraySeries& last();
    const ArraySeries& last() const;
    // The series whose smoothed series is the chain's last; none when the
    // chain is one series.
    const ArraySeries* lastSmoothedFrom() const;

    // The window this series was smoothed with (when it has a smoothed one).
    std::int32_t window() const { return window_; }

    // Smooths this series with a window of `window` values (held to 0..n);
    // false, with no smoothed series, when the window gives none.
    bool smooth(std::int32_t window);
    // The normalised values and marks; false (none kept) when there are
    // none to compute.
    bool computeMarks(double threshold);

    // The graph: a group named `name` holding the line "Data" and, when
    // computed, "Normal" and "Function G"; the smoothed series adds its own
    // group inside it, and so on down the chain.
    std::unique_ptr<Bush> graph(const std::string& name) const;

    // The series and its smoothed series, one line per smoothed value:
    // " position value smoothed mark" (the mark only when the smoothed
    // series has marks). Nothing when it has no smoothed series.
    std::string smoothedTable() const;

private:
    std::vector<double> values_;
    double first_ = 1.0;
    std::int32_t window_ = kDefaultWindow;
    std::optional<std::vector<double>> normal_;
    std::optional<std::vector<int>> marks_;
    std::unique_ptr<ArraySeries> smoothed_;
};

}  // namespace gridova
