// A levels file of 30,000 levels read ("-i"), stored in the profile as a
// map build stores them, and read back from the profile; and a lookup of
// one key in a profile that holds such a list (what every later setting
// read costs).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "contour/isoline_levels.h"
#include "platform/profile.h"

namespace {

constexpr int kLevels = 30000;

// A private folder with a levels file and a profile of our own.
std::string setUp() {
    char pattern[] = "/tmp/gridova-bench-levels-XXXXXX";
    const char* dir = ::mkdtemp(pattern);
    if (dir == nullptr) std::abort();
    const std::string folder = dir;
    ::setenv("GRIDOVA_PROFILE", (folder + "/profile.ini").c_str(), 1);
    const std::string levels = folder + "/levels.txt";
    std::FILE* f = std::fopen(levels.c_str(), "w");
    for (int k = 0; k < kLevels; ++k) std::fprintf(f, "%.17g\n", 0.37 * k - 5000.0);
    std::fclose(f);
    return levels;
}

void BM_ReadAndStoreLevels(benchmark::State& state) {
    const std::string path = setUp();
    for (auto _ : state) {
        const auto levels = gridova::readLevelsFile(path);
        gridova::writeStoredLevels(*levels);
        const auto back = gridova::readStoredLevels();
        if (!back || back->size() != static_cast<std::size_t>(kLevels)) {
            state.SkipWithError("the levels did not come back");
        }
        benchmark::DoNotOptimize(back);
    }
}
BENCHMARK(BM_ReadAndStoreLevels)->Unit(benchmark::kMillisecond);

void BM_SettingBesideALongList(benchmark::State& state) {
    const std::string path = setUp();
    gridova::writeStoredLevels(*gridova::readLevelsFile(path));
    gridova::writeProfileInt("Maps", "Map", 2);
    for (auto _ : state) {
        std::int32_t map = 0;
        gridova::readProfileInt("Maps", "Map", map);
        benchmark::DoNotOptimize(map);
    }
}
BENCHMARK(BM_SettingBesideALongList)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
