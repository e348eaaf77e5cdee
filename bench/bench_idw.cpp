// Inverse-distance weighting: 10,000 points onto 200 x 200 nodes.
//
// The points are uniform in [0, 1e5] x [0, 1e5] with values in [-50, 250],
// drawn by splitmix64 (seed 42) as bench/idw_reference.py draws them, so the
// numpy timing there runs on the same data; the nodes span the data extent.
//
//   BM_Run/nearest:0/threads:T   the driver's default: every point takes part
//                                in every node, power 2 (4e8 point-node pairs)
//   BM_Run/nearest:10/threads:T  the 10 nearest points (by the candidate rule)
//   BM_RunPower3/threads:T       every point, power 3 (pow per pair)
//   BM_Plain/nearest:N           plainNodeValue for every node: the literal
//                                algorithm, one thread, for the speed-up
// The counter "mean" is the mean node value, to compare with the script's.
//
// Beside gdal_grid (bench/idw_gdal.py runs it on the same points):
//
//   BM_Peer/points:P/nearest:N/threads:T
//                                the first P points of the same stream
//                                (P = 10,000 or 100,000) onto 500 x 500 nodes
//                                at the cell centres of [0, 1e5]^2, i.e. at
//                                (i + 0.5) * 200, as `gdal_grid -txe 0 100000
//                                -tye 0 100000 -outsize 500 500` places them
// With GRIDOVA_BENCH_IDW_OUT=<directory>, the program then computes the
// BM_Peer cases once more and writes their node values there as raw
// doubles, row 0 (lowest y) first: idw-P-N.f64 with the engine's default
// tolerance (0.1 x the node spacing: a node with a point that near takes the
// plain mean of such points) and idw-P-N-tol0.f64 with tolerance 0 (only an
// exact hit counts, as in gdal_grid).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "bench/split_mix.h"
#include "data/point_set.h"
#include "grid/inverse_distance.h"

namespace {

constexpr int kPoints = 10000;
constexpr int kNodes = 200;
constexpr double kSide = 1e5;

using gridova::bench::SplitMix64;

// Hands the first `count` points of the stream to take(x, y, value).
template <typename Take>
void drawPoints(int count, Take take) {
    SplitMix64 rng{42};
    for (int k = 0; k < count; ++k) {
        const double x = rng.next() * kSide;
        const double y = rng.next() * kSide;
        const double v = -50.0 + 300.0 * rng.next();
        take(x, y, v);
    }
}

struct Problem {
    gridova::PointSet points;
    std::vector<double> nodeX, nodeY;
};

const Problem& problem() {
    static const Problem p = [] {
        Problem q;
        double minX = kSide, maxX = 0, minY = kSide, maxY = 0;
        drawPoints(kPoints, [&](double x, double y, double v) {
            q.points.addPoint(x, y, v);
            minX = std::min(minX, x);
            maxX = std::max(maxX, x);
            minY = std::min(minY, y);
            maxY = std::max(maxY, y);
        });
        for (int i = 0; i < kNodes; ++i) {
            q.nodeX.push_back(minX + (maxX - minX) * i / (kNodes - 1));
            q.nodeY.push_back(minY + (maxY - minY) * i / (kNodes - 1));
        }
        return q;
    }();
    return p;
}

// The engine as the driver sets it up (nearest 0 = every point).
gridova::InverseDistance engine(int nearest, double power) {
    const Problem& p = problem();
    gridova::InverseDistance e;
    e.loadPoints(p.points);
    e.setNearestPoints(nearest > 0 ? nearest : kPoints);
    e.setNodes(kNodes, p.nodeX.data(), kNodes, p.nodeY.data());
    e.setPower(power);
    return e;
}

double mean(const std::vector<double>& values) {
    double sum = 0;
    for (double v : values) sum += v;
    return sum / static_cast<double>(values.size());
}

void runEngine(benchmark::State& state, int nearest, double power) {
    gridova::InverseDistance e = engine(nearest, power);
    e.setThreadCount(static_cast<int>(state.range(1)));
    for (auto _ : state) {
        e.setTolerance(e.parameters().tolerance);  // out of date: compute again
        benchmark::DoNotOptimize(e.run());
    }
    state.counters["mean"] = mean(e.output());
    state.counters["nodes/s"] = benchmark::Counter(
        static_cast<double>(kNodes) * kNodes * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

void BM_Run(benchmark::State& state) { runEngine(state, static_cast<int>(state.range(0)), 2.0); }
BENCHMARK(BM_Run)
    ->ArgNames({"nearest", "threads"})
    ->ArgsProduct({{0, 10}, {1, 2}})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_RunPower3(benchmark::State& state) { runEngine(state, 0, 3.0); }
BENCHMARK(BM_RunPower3)
    ->ArgNames({"nearest", "threads"})
    ->Args({0, 1})
    ->Args({0, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

void BM_Plain(benchmark::State& state) {
    const int nearest = static_cast<int>(state.range(0));
    const gridova::InverseDistance e = engine(nearest, 2.0);
    const Problem& p = problem();
    std::vector<double> values(static_cast<std::size_t>(kNodes) * kNodes);
    for (auto _ : state) {
        for (int j = 0; j < kNodes; ++j) {
            for (int i = 0; i < kNodes; ++i) {
                values[static_cast<std::size_t>(i + j * kNodes)] =
                    e.plainNodeValue(p.nodeX[i], p.nodeY[j]);
            }
        }
        benchmark::DoNotOptimize(values.data());
    }
    state.counters["mean"] = mean(values);
}
BENCHMARK(BM_Plain)
    ->ArgName("nearest")
    ->Arg(0)
    ->Arg(10)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// --- Beside gdal_grid ---------------------------------------------------------

constexpr int kPeerNodes = 500;

// The first `count` points of the stream, and the node lines of the peer grid.
const Problem& peerProblem(int count) {
    static const auto make = [](int n) {
        Problem q;
        drawPoints(n, [&](double x, double y, double v) { q.points.addPoint(x, y, v); });
        const double cell = kSide / kPeerNodes;
        for (int i = 0; i < kPeerNodes; ++i) {
            q.nodeX.push_back((i + 0.5) * cell);
            q.nodeY.push_back((i + 0.5) * cell);
        }
        return q;
    };
    static const Problem small = make(10000), large = make(100000);
    return count == 10000 ? small : large;
}

void writeValues(const std::string& path, const std::vector<double>& values) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(values.data()),
              static_cast<std::streamsize>(values.size() * sizeof(double)));
}

// The engine on the peer grid: P points, the N nearest (0 = all), power 2.
gridova::InverseDistance peerEngine(int count, int nearest) {
    const Problem& p = peerProblem(count);
    gridova::InverseDistance e;
    e.loadPoints(p.points);
    e.setNearestPoints(nearest > 0 ? nearest : count);
    e.setNodes(kPeerNodes, p.nodeX.data(), kPeerNodes, p.nodeY.data());
    e.setPower(2.0);
    return e;
}

void BM_Peer(benchmark::State& state) {
    gridova::InverseDistance e =
        peerEngine(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    e.setThreadCount(static_cast<int>(state.range(2)));
    for (auto _ : state) {
        e.setTolerance(e.parameters().tolerance);  // out of date: compute again
        benchmark::DoNotOptimize(e.run());
    }
    state.counters["mean"] = mean(e.output());
    state.counters["nodes/s"] = benchmark::Counter(
        static_cast<double>(kPeerNodes) * kPeerNodes * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}
// Every point of 100,000 takes some 30 s on one thread: two threads only.
BENCHMARK(BM_Peer)
    ->ArgNames({"points", "nearest", "threads"})
    ->ArgsProduct({{10000}, {0, 10}, {1, 2}})
    ->Args({100000, 0, 2})
    ->Args({100000, 10, 1})
    ->Args({100000, 10, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The node values of every BM_Peer case (see the header), once.
void writePeerValues(const std::string& dir) {
    for (const int count : {10000, 100000}) {
        for (const int nearest : {0, 10}) {
            gridova::InverseDistance e = peerEngine(count, nearest);
            const std::string stem =
                dir + "/idw-" + std::to_string(count) + "-" + std::to_string(nearest);
            e.run();
            writeValues(stem + ".f64", e.output());
            e.setTolerance(0.0);
            e.run();
            writeValues(stem + "-tol0.f64", e.output());
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (const char* dir = std::getenv("GRIDOVA_BENCH_IDW_OUT")) writePeerValues(dir);
    return 0;
}
