// Colour bands for 20 levels on a 1000 × 1000 grid, against contourpy's
// filled contours on the same grid (bench/bands_contourpy.py).
//
// The surface, the same formula in both programs, at node (i, j) with
// x = 0.02 i and y = 0.02 j:
//     z = sin(0.9 x) cos(0.7 y) + 0.5 sin(0.3 x + 0.5 y) + 0.1 cos(1.7 x − 1.3 y)
// and the band limits zmin + k (zmax − zmin) / 21 for k = 0 .. 21 (21
// bands between 20 inner levels).
//
//   BM_BandsTwentyLevels   the whole nested band tree, as the map view keeps
//                          it (tracing on both cores, nesting, the groups)
// Counters: polygons of one run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "contour/band_builder.h"
#include "grid/eq_net.h"

namespace {

constexpr std::int32_t kNodes = 1000;
constexpr double kStep = 0.02;
constexpr int kLevels = 20;

double surface(double x, double y) {
    return std::sin(0.9 * x) * std::cos(0.7 * y) + 0.5 * std::sin(0.3 * x + 0.5 * y) +
           0.1 * std::cos(1.7 * x - 1.3 * y);
}

std::unique_ptr<gridova::EqNet> makeGrid() {
    auto grid = std::make_unique<gridova::EqNet>();
    const std::vector<double> steps(kNodes - 1, kStep);
    grid->setSteps(steps, steps);
    std::vector<double> values(static_cast<std::size_t>(kNodes) * kNodes);
    for (std::int32_t j = 0; j < kNodes; ++j) {
        for (std::int32_t i = 0; i < kNodes; ++i) {
            values[static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * kNodes] =
                surface(kStep * i, kStep * j);
        }
    }
    grid->SetValues(values);
    std::vector<double> levels;
    const double lo = grid->minValue(), hi = grid->maxValue();
    for (int k = 0; k < kLevels; ++k) levels.push_back(lo + (k + 1) * (hi - lo) / (kLevels + 1));
    grid->colorScale.setFromIsolineLevels(levels, lo, hi);
    return grid;
}

std::size_t countPolygons(const gridova::Bush& group) {
    std::size_t n = group.itemCount();
    for (std::size_t c = 0; c < group.childCount(); ++c) n += countPolygons(group.child(c));
    return n;
}

void BM_BandsTwentyLevels(benchmark::State& state) {
    const auto grid = makeGrid();
    std::size_t polygons = 0;
    for (auto _ : state) {
        const auto bands = gridova::buildBands(*grid);
        polygons = countPolygons(*bands);
        benchmark::DoNotOptimize(bands.get());
    }
    state.counters["polygons"] = static_cast<double>(polygons);
}
BENCHMARK(BM_BandsTwentyLevels)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
