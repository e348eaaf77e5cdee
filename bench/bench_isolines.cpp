// Isoline tracing on a 2000 × 2000 grid at 20 levels, against contourpy's
// line generator on the same grid (bench/isolines_contourpy.py).
//
// The surface, the same formula in both programs, at node (i, j) with
// x = 0.01 i and y = 0.01 j:
//     z = sin(0.9 x) cos(0.7 y) + 0.5 sin(0.3 x + 0.5 y) + 0.1 cos(1.7 x − 1.3 y)
// and the levels zmin + (k + 1)(zmax − zmin) / 21 for k = 0 .. 19.
//
//   BM_TraceTwentyLevels      a tracer for the grid, then all 20 levels; the
//                             lines are kept per level, as the isoline set
//                             keeps them, and freed with the sink
//   BM_TraceTwentyLevelsMasked  the same with the grid's outer frame outside
//                             the area, as after a border computation
// Counters: lines and points of one run.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "contour/isoline_tracer.h"
#include "grid/eq_net.h"

namespace {

constexpr std::int32_t kNodes = 2000;  // each way
constexpr double kStep = 0.01;
constexpr int kLevels = 20;

double surface(double x, double y) {
    return std::sin(0.9 * x) * std::cos(0.7 * y) + 0.5 * std::sin(0.3 * x + 0.5 * y) +
           0.1 * std::cos(1.7 * x - 1.3 * y);
}

std::unique_ptr<gridova::EqNet> makeGrid(bool frameOutside) {
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
    if (frameOutside) {
        grid->computeMask(nullptr);  // every node inside, then the frame outside
        for (std::size_t n = 0; n < values.size(); ++n) {
            if (grid->mask()[n] == gridova::kMaskOutside) grid->values()[n] = gridova::kBlankValue;
        }
    }
    return grid;
}

std::vector<double> levelsOf(const gridova::EqNet& grid) {
    const auto [lo, hi] = std::minmax_element(grid.values().begin(), grid.values().end());
    std::vector<double> levels;
    for (int k = 0; k < kLevels; ++k) levels.push_back(*lo + (k + 1) * (*hi - *lo) / (kLevels + 1));
    return levels;
}

class KeepingSink final : public gridova::IsolineSink {
public:
    KeepingSink() : lines(kLevels) {}
    void addLine(std::size_t levelIndex, gridova::Line line) override {
        points += line.size();
        lines[levelIndex].push_back(std::move(line));
    }
    std::vector<std::vector<gridova::Line>> lines;
    std::size_t points = 0;
};

void traceTwentyLevels(benchmark::State& state, bool frameOutside) {
    const auto grid = makeGrid(frameOutside);
    // Levels from the smooth surface alone, so both runs trace the same ones.
    const std::vector<double> levels = levelsOf(*makeGrid(false));
    std::size_t lineCount = 0, pointCount = 0;
    for (auto _ : state) {
        KeepingSink sink;
        gridova::IsolineTracer tracer(*grid);
        tracer.traceAll(levels, sink);
        lineCount = 0;
        for (const auto& level : sink.lines) lineCount += level.size();
        pointCount = sink.points;
        benchmark::DoNotOptimize(sink.lines.data());
    }
    state.counters["lines"] = static_cast<double>(lineCount);
    state.counters["points"] = static_cast<double>(pointCount);
}

void BM_TraceTwentyLevels(benchmark::State& state) { traceTwentyLevels(state, false); }
void BM_TraceTwentyLevelsMasked(benchmark::State& state) { traceTwentyLevels(state, true); }

BENCHMARK(BM_TraceTwentyLevels)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TraceTwentyLevelsMasked)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
