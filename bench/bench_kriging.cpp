// Kriging through the driver's step (runKriging) onto 500 x 500 nodes.
//
// The points are uniform in [0, 1e5] x [0, 1e5] with values in [-50, 250],
// drawn by splitmix64 (seed 42) as bench_idw draws them. The grid has
// 502 x 502 nodes 200 apart from -100: its outer frame ends outside the area
// (edge marking), so the 500 x 500 nodes at the cell centres of [0, 1e5]²,
// (i + 0.5) * 200, are the ones estimated.
//
//   BM_Ordinary/threads:T   the first 1,000 points, ordinary kriging (method 3)
//   BM_Block/threads:T      100,000 points, block kriging (method 4)
//   BM_PlainRow / BM_FastRow
//                           one row of 500 nodes with the 1,000-point system:
//                           weights then sum (N² per node) against the vector
//                           computed once from the inverse (N per node)
//
// The variogram: spherical, nugget 0, sill 1, range = the diagonal of the
// points' extent (stored as "previous" parameters in a profile of the
// benchmark's own). Block kriging replaces the range by each block's window
// diagonal. The counter "mean" is the mean estimate.
//
// With GRIDOVA_BENCH_KRIGING_OUT=<directory> the program then writes, as raw
// little-endian doubles, the points (ordinary-x.f64, -y, -v with 1,000 points;
// block-x.f64, ... with 100,000), the node coordinates (nodes-x.f64, nodes-y.f64,
// 500 each), our estimates at the 500 x 500 nodes, row 0 (lowest y) first
// (ordinary.f64, block.f64), and the range (range.txt), for
// bench/kriging_gstat.R.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/split_mix.h"
#include "data/point_set.h"
#include "grid/eq_net.h"
#include "grid/kriging.h"
#include "platform/profile.h"

namespace {

constexpr double kSide = 1e5;
constexpr int kNodes = 500;
constexpr double kCell = kSide / kNodes;
constexpr int kOrdinaryPoints = 1000;
constexpr int kBlockPoints = 100000;

using gridova::bench::SplitMix64;

struct Points {
    std::vector<double> x, y, v;
    gridova::PointSet set;
    double diagonal = 0;
};

const Points& points(int count) {
    static const auto make = [](int n) {
        Points p;
        SplitMix64 rng{42};
        for (int k = 0; k < n; ++k) {
            p.x.push_back(rng.next() * kSide);
            p.y.push_back(rng.next() * kSide);
            p.v.push_back(-50.0 + 300.0 * rng.next());
            p.set.addPoint(p.x.back(), p.y.back(), p.v.back());
        }
        double x0 = p.x[0], x1 = p.x[0], y0 = p.y[0], y1 = p.y[0];
        for (int k = 0; k < n; ++k) {
            x0 = std::min(x0, p.x[k]);
            x1 = std::max(x1, p.x[k]);
            y0 = std::min(y0, p.y[k]);
            y1 = std::max(y1, p.y[k]);
        }
        p.diagonal = std::sqrt((x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0));
        return p;
    };
    static const Points small = make(kOrdinaryPoints), large = make(kBlockPoints);
    return count == kOrdinaryPoints ? small : large;
}

std::unique_ptr<gridova::EqNet> grid() {
    auto g = std::make_unique<gridova::EqNet>();
    const std::vector<double> steps(kNodes + 1, kCell);
    g->setSteps(steps, steps);
    g->shift(-kCell / 2, -kCell / 2);
    return g;
}

void storeVariogram(double range) {
    using gridova::writeProfileDouble;
    using gridova::writeProfileInt;
    writeProfileInt("Kriging", "Type Init", 2);
    writeProfileInt("Kriging", "Mode", gridova::Kriging::kSpherical);
    writeProfileDouble("Kriging", "Range", range);
    writeProfileDouble("Kriging", "Nugget", 0.0);
    writeProfileDouble("Kriging", "Sill", 1.0);
}

// The estimates at the 500 x 500 inside nodes, row after row.
std::vector<double> inside(const gridova::EqNet& g) {
    std::vector<double> out;
    for (int j = 1; j <= kNodes; ++j) {
        for (int i = 1; i <= kNodes; ++i) out.push_back(g.value(i, j));
    }
    return out;
}

double mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

void run(benchmark::State& state, int count, bool blocks) {
    const Points& p = points(count);
    storeVariogram(p.diagonal);
    auto g = grid();
    for (auto _ : state) {
        benchmark::DoNotOptimize(gridova::runKriging(*g, p.set, nullptr, blocks,
                                                     gridova::KrigingSettings::load(), nullptr,
                                                     static_cast<int>(state.range(0))));
    }
    state.counters["mean"] = mean(inside(*g));
    state.counters["nodes/s"] = benchmark::Counter(
        static_cast<double>(kNodes) * kNodes * state.iterations(), benchmark::Counter::kIsRate);
}

void BM_Ordinary(benchmark::State& state) { run(state, kOrdinaryPoints, false); }
BENCHMARK(BM_Ordinary)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Block(benchmark::State& state) { run(state, kBlockPoints, true); }
BENCHMARK(BM_Block)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The engine over the 1,000 points, inverted.
const gridova::Kriging& engine() {
    static const gridova::Kriging e = [] {
        const Points& p = points(kOrdinaryPoints);
        gridova::Kriging k;
        k.loadPoints(kOrdinaryPoints, p.x.data(), p.y.data(), p.v.data());
        k.setModel(gridova::Kriging::kSpherical);
        k.setNuggetSill(0.0, 1.0);
        k.setRange(p.diagonal);
        k.buildSystem();
        k.invert();
        return k;
    }();
    return e;
}

void BM_PlainRow(benchmark::State& state) {
    const gridova::Kriging& e = engine();
    double sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < kNodes; ++i) sum += e.plainEstimate((i + 0.5) * kCell, 0.5 * kSide);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_PlainRow)->Unit(benchmark::kMillisecond);

void BM_FastRow(benchmark::State& state) {
    const gridova::Kriging& e = engine();
    double sum = 0;
    for (auto _ : state) {
        for (int i = 0; i < kNodes; ++i) sum += e.estimate((i + 0.5) * kCell, 0.5 * kSide);
    }
    benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_FastRow)->Unit(benchmark::kMillisecond);

void writeValues(const std::string& path, const std::vector<double>& values) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(values.data()),
              static_cast<std::streamsize>(values.size() * sizeof(double)));
}

void writeForPeer(const std::string& dir) {
    std::vector<double> nodes;
    for (int i = 0; i < kNodes; ++i) nodes.push_back((i + 0.5) * kCell);
    writeValues(dir + "/nodes-x.f64", nodes);
    writeValues(dir + "/nodes-y.f64", nodes);
    for (const bool blocks : {false, true}) {
        const std::string name = blocks ? "block" : "ordinary";
        const Points& p = points(blocks ? kBlockPoints : kOrdinaryPoints);
        writeValues(dir + "/" + name + "-x.f64", p.x);
        writeValues(dir + "/" + name + "-y.f64", p.y);
        writeValues(dir + "/" + name + "-v.f64", p.v);
        storeVariogram(p.diagonal);
        auto g = grid();
        gridova::runKriging(*g, p.set, nullptr, blocks, gridova::KrigingSettings::load());
        writeValues(dir + "/" + name + ".f64", inside(*g));
        char range[32];
        std::snprintf(range, sizeof range, "%.17g\n", p.diagonal);
        std::ofstream(dir + "/" + name + "-range.txt") << range;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // A profile of our own for the stored variogram.
    const std::string profile = "/tmp/gridova-bench-kriging.ini";
    std::remove(profile.c_str());
    setenv("GRIDOVA_PROFILE", profile.c_str(), 1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (const char* dir = std::getenv("GRIDOVA_BENCH_KRIGING_OUT")) writeForPeer(dir);
    return 0;
}
