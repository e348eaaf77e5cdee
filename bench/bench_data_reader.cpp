// Reading data files: lines per second of the data-file reader, alone and
// with building the point set.
//
// The file is $GRIDOVA_BENCH_DATA when set (bench/run.sh makes a
// 1,000,000-line file and times numpy.loadtxt on the same file); otherwise a
// file of the benchmark's own size is generated in /tmp.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "data/data_table.h"
#include "data/point_set.h"

namespace {

// Three numbers and a name per line, like a survey file.
std::string makeFile(std::size_t lines) {
    const std::string path = "/tmp/gridova-bench-" + std::to_string(lines) + ".dat";
    std::FILE* f = std::fopen(path.c_str(), "w");
    std::mt19937_64 random(42);
    std::uniform_real_distribution<double> coordinate(0, 100000);
    std::uniform_real_distribution<double> value(-50, 250);
    for (std::size_t i = 0; i < lines; ++i) {
        std::fprintf(f, "%.3f %.3f %.4f W%zu\n", coordinate(random), coordinate(random),
                     value(random), i);
    }
    std::fclose(f);
    return path;
}

std::string dataFile(std::size_t lines) {
    if (const char* p = std::getenv("GRIDOVA_BENCH_DATA")) return p;
    return makeFile(lines);
}

void setUp() {
    static bool done = false;
    if (done) return;
    done = true;
    // A profile of the benchmark's own, so the user's settings do not count.
    ::setenv("GRIDOVA_PROFILE", "/tmp/gridova-bench-profile.ini", 1);
    std::remove("/tmp/gridova-bench-profile.ini");
}

void BM_ReadDataFile(benchmark::State& state) {
    setUp();
    const std::string path = dataFile(static_cast<std::size_t>(state.range(0)));
    std::size_t rows = 0;
    for (auto _ : state) {
        gridova::DataTable table;
        table.readFile(path);
        rows = table.rowCount();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

void BM_ReadDataFileAndBuildPoints(benchmark::State& state) {
    setUp();
    const std::string path = dataFile(static_cast<std::size_t>(state.range(0)));
    std::size_t points = 0;
    for (auto _ : state) {
        gridova::DataTable table;
        table.readFile(path);
        gridova::PointSet set;
        set.buildFromTable(table);
        points = set.size();
        benchmark::DoNotOptimize(points);
    }
    state.counters["lines/s"] =
        benchmark::Counter(static_cast<double>(points) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ReadDataFile)->Arg(1000000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadDataFileAndBuildPoints)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
