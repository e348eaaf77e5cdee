// The linear-equation-system method on 500 x 500 and 1000 x 1000 nodes with
// 10,000 points: point relaxation, line relaxation and the large-grid solver,
// each through the driver as a map run would do it. Reports time and
// iterations.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "grid/interpolation_driver.h"

namespace {

gridova::PointSet samplePoints() {
    gridova::PointSet set;
    std::mt19937_64 random(2026);
    std::uniform_real_distribution<double> coordinate(0.0, 1000.0);
    for (int k = 0; k < 10000; ++k) {
        const double x = coordinate(random), y = coordinate(random);
        set.addPoint(x, y,
                     100.0 + 0.05 * x - 0.03 * y + 10.0 * std::sin(x / 90.0) * std::cos(y / 70.0));
    }
    set.computeStatistics();
    return set;
}

void runMethod(benchmark::State& state, gridova::InterpolationMethod method, int solver) {
    const gridova::PointSet points = samplePoints();
    const int nodes = static_cast<int>(state.range(0));
    std::int32_t iterations = 0;
    for (auto _ : state) {
        auto grid = gridova::EqNet::fromCounts(gridova::DRect(0, 0, 1000, 1000), nodes, nodes);
        grid->method = method;
        grid->solver = solver;
        gridova::DriverInputs in;
        in.points = &points;
        in.mapType = gridova::MapType::ColorCells;
        gridova::InterpolationDriver::interpolate(grid.get(), in, gridova::DriverHooks{});
        iterations = grid->lastIterations;
    }
    state.counters["iterations"] = iterations;
}

void BM_PointRelaxation(benchmark::State& state) {
    runMethod(state, gridova::InterpolationMethod::EquationSystem, 0);
}
void BM_LineRelaxation(benchmark::State& state) {
    runMethod(state, gridova::InterpolationMethod::EquationSystem, 1);
}
void BM_LargeGrid(benchmark::State& state) {
    runMethod(state, gridova::InterpolationMethod::LargeGridEquationSystem, 0);
}

BENCHMARK(BM_PointRelaxation)->Arg(500)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_LineRelaxation)->Arg(500)->Arg(1000)->Unit(benchmark::kSecond)->Iterations(1);
// The solver runs on its worker thread: wall-clock time.
BENCHMARK(BM_LargeGrid)
    ->Arg(500)
    ->Arg(1000)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
