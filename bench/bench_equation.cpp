// The linear-equation-system method on 500 x 500 and 1000 x 1000 nodes with
// 10,000 points: point relaxation, line relaxation and the large-grid solver,
// each through the driver as a map run would do it. Reports time and
// iterations.
//
// With GRIDOVA_BENCH_EQ_OUT=<directory> the program also writes what the
// peers (bench/equation_peers.py: gmt surface and the sparse direct solve)
// need: points.xyz (x y value, one point a line, every digit), and for each
// run layout-N.txt (nx, ny, the X and Y node lines, the X and Y steps, one
// per line) and <solver>-N.f64 (the node values as raw doubles, row 0, the
// lowest, first; the outer frame holds the blank value -1e30).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <string>

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

// The directory named by GRIDOVA_BENCH_EQ_OUT, or nothing.
const char* outputDirectory() { return std::getenv("GRIDOVA_BENCH_EQ_OUT"); }

void writeLine(std::FILE* f, const std::vector<double>& values) {
    for (std::size_t k = 0; k < values.size(); ++k) {
        std::fprintf(f, k == 0 ? "%.17g" : " %.17g", values[k]);
    }
    std::fputc('\n', f);
}

void writeGrid(const std::string& dir, const std::string& name, const gridova::EqNet& grid) {
    const std::string n = std::to_string(grid.nx());
    if (std::FILE* f = std::fopen((dir + "/layout-" + n + ".txt").c_str(), "w")) {
        std::fprintf(f, "%d %d\n", grid.nx(), grid.ny());
        writeLine(f, grid.nodeX());
        writeLine(f, grid.nodeY());
        writeLine(f, grid.stepX());
        writeLine(f, grid.stepY());
        std::fclose(f);
    }
    std::ofstream out(dir + "/" + name + "-" + n + ".f64", std::ios::binary);
    out.write(reinterpret_cast<const char*>(grid.values().data()),
              static_cast<std::streamsize>(grid.values().size() * sizeof(double)));
}

void writePoints(const gridova::PointSet& points) {
    const char* dir = outputDirectory();
    if (dir == nullptr) return;
    const auto arrays = points.valueArrays();
    if (!arrays) return;
    if (std::FILE* f = std::fopen((std::string(dir) + "/points.xyz").c_str(), "w")) {
        for (std::size_t k = 0; k < arrays->v.size(); ++k) {
            std::fprintf(f, "%.17g %.17g %.17g\n", arrays->x[k], arrays->y[k], arrays->v[k]);
        }
        std::fclose(f);
    }
}

void runMethod(benchmark::State& state, gridova::InterpolationMethod method, int solver,
               const char* name) {
    const gridova::PointSet points = samplePoints();
    writePoints(points);
    const int nodes = static_cast<int>(state.range(0));
    std::int32_t iterations = 0;
    std::unique_ptr<gridova::EqNet> last;
    for (auto _ : state) {
        auto grid = gridova::EqNet::fromCounts(gridova::DRect(0, 0, 1000, 1000), nodes, nodes);
        grid->method = method;
        grid->solver = solver;
        gridova::DriverInputs in;
        in.points = &points;
        gridova::InterpolationDriver::interpolate(grid.get(), in, gridova::DriverHooks{});
        iterations = grid->lastIterations;
        last = std::move(grid);
    }
    if (const char* dir = outputDirectory()) writeGrid(dir, name, *last);
    state.counters["iterations"] = iterations;
}

void BM_PointRelaxation(benchmark::State& state) {
    runMethod(state, gridova::InterpolationMethod::EquationSystem, 0, "point");
}
void BM_LineRelaxation(benchmark::State& state) {
    runMethod(state, gridova::InterpolationMethod::EquationSystem, 1, "line");
}
void BM_LargeGrid(benchmark::State& state) {
    runMethod(state, gridova::InterpolationMethod::LargeGridEquationSystem, 0, "large");
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
