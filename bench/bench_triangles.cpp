// The triangle network: 100,000 points onto 1000 x 1000 nodes.
//
// The points are the first 100,000 of the splitmix64 stream (seed 42) of
// bench_idw.cpp: uniform in [0, 1e5] x [0, 1e5], values in [-50, 250]. The
// nodes lie at the cell centres of [0, 1e5]^2, (i + 0.5) * 100, where
// `gdal_grid -txe 0 100000 -tye 0 100000 -outsize 1000 1000` puts them
// (bench/triangles_gdal.py runs it on the same points).
//
//   BM_Triangulate  the points with a value into the network (duplicates
//                   settled, Delaunay triangulation, triangles ordered)
//   BM_Rasterise    that network onto the nodes (mask and blank values
//                   made first, as the method does)
//   BM_Method       method 1 as the driver runs it: all of the above
//
// With GRIDOVA_BENCH_TRI_OUT=<file> the program first writes the method's
// node values there as raw doubles, row 0 (lowest y) first, -1e30 blank.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

#include "bench/split_mix.h"
#include "data/point_set.h"
#include "grid/eq_net.h"
#include "grid/triangle_method.h"

namespace {

constexpr int kPoints = 100000;
constexpr int kNodes = 1000;
constexpr double kSide = 1e5;

using gridova::bench::SplitMix64;

const gridova::PointSet& points() {
    static const gridova::PointSet set = [] {
        gridova::PointSet s;
        SplitMix64 rng{42};
        for (int k = 0; k < kPoints; ++k) {
            const double x = rng.next() * kSide;
            const double y = rng.next() * kSide;
            s.addPoint(x, y, -50.0 + 300.0 * rng.next());
        }
        s.computeStatistics();
        return s;
    }();
    return set;
}

std::unique_ptr<gridova::EqNet> nodes() {
    const double step = kSide / kNodes;
    auto grid = std::make_unique<gridova::EqNet>();
    grid->setSteps(std::vector<double>(kNodes - 1, step), std::vector<double>(kNodes - 1, step));
    grid->shift(step / 2, step / 2);
    return grid;
}

void BM_Triangulate(benchmark::State& state) {
    const gridova::NetworkSource source{&points(), nullptr, {}};
    gridova::TriangleNetwork network;
    for (auto _ : state) {
        benchmark::DoNotOptimize(gridova::triangulatePoints(
            source, true, gridova::BorderVertices::WhenValueEnabled, network));
    }
    state.counters["triangles"] = network.triangleCount();
}
BENCHMARK(BM_Triangulate)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Rasterise(benchmark::State& state) {
    gridova::TriangleNetwork network;
    gridova::triangulatePoints({&points(), nullptr, {}}, true,
                               gridova::BorderVertices::WhenValueEnabled, network);
    auto grid = nodes();
    for (auto _ : state) {
        grid->computeMask(nullptr);
        grid->allocateValues(gridova::kBlankValue);
        benchmark::DoNotOptimize(gridova::rasterise(*grid, network));
    }
}
BENCHMARK(BM_Rasterise)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Method(benchmark::State& state) {
    auto grid = nodes();
    for (auto _ : state) {
        benchmark::DoNotOptimize(gridova::runTriangleMethod(*grid, &points(), nullptr));
    }
    std::int64_t inside = 0;
    for (const std::int32_t m : grid->mask()) inside += m != gridova::kMaskOutside;
    state.counters["inside"] = static_cast<double>(inside);
}
BENCHMARK(BM_Method)->Unit(benchmark::kMillisecond)->UseRealTime();

void writeValues(const char* path) {
    auto grid = nodes();
    gridova::runTriangleMethod(*grid, &points(), nullptr);
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(grid->values().data()),
              static_cast<std::streamsize>(grid->values().size() * sizeof(double)));
}

}  // namespace

int main(int argc, char** argv) {
    if (const char* path = std::getenv("GRIDOVA_BENCH_TRI_OUT")) writeValues(path);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
