// The smooth surface the drawing benchmarks draw: a grid of n × n nodes one
// apart with its values and area mask, and isolines at `levels` levels
// evenly between its extremes.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "contour/isoline_levels.h"
#include "contour/isoline_set.h"
#include "grid/eq_net.h"

namespace gridova::bench {

inline double surface(double x, double y) {
    return std::sin(0.09 * x) * std::cos(0.07 * y) + 0.5 * std::sin(0.03 * x + 0.05 * y);
}

inline std::unique_ptr<EqNet> surfaceGrid(std::int32_t n) {
    auto grid = std::make_unique<EqNet>();
    const std::vector<double> steps(static_cast<std::size_t>(n - 1), 1.0);
    grid->setSteps(steps, steps);
    std::vector<double> values(static_cast<std::size_t>(n) * static_cast<std::size_t>(n));
    for (std::int32_t j = 0; j < n; ++j) {
        for (std::int32_t i = 0; i < n; ++i) {
            values[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * n] = surface(i, j);
        }
    }
    grid->SetValues(values);
    grid->computeMask(nullptr);
    return grid;
}

inline std::unique_ptr<IsolineSet> surfaceIsolines(const EqNet& grid, int levels) {
    auto set = std::make_unique<IsolineSet>();
    const double lo = grid.minValue(), hi = grid.maxValue();
    for (int k = 0; k < levels; ++k) set->levels.push_back(lo + (k + 1) * (hi - lo) / (levels + 1));
    traceSetLevels(grid, *set);
    return set;
}

}  // namespace gridova::bench
