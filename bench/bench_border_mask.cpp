// The area mask of a 2000 × 2000 grid inside a border of 10,000 vertices (a
// wavy ring), as every method computes it before filling the grid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

#include "grid/eq_net.h"

namespace {

gridova::LineList wavyBorder() {
    std::vector<gridova::LinePoint> ring;
    constexpr int kVertices = 10'000;
    for (int k = 0; k < kVertices; ++k) {
        const double t = 2 * 3.14159265358979323846 * k / kVertices;
        const double r = 800 + 120 * std::sin(37 * t) + 40 * std::cos(113 * t);
        ring.push_back({1000 + r * std::cos(t), 1000 + r * std::sin(t)});
    }
    ring.push_back(ring.front());
    gridova::LineList list;
    list.add(gridova::Line(ring));
    return list;
}

void BM_BorderMask(benchmark::State& state) {
    auto grid = std::make_unique<gridova::EqNet>();
    const std::vector<double> steps(1999, 1.0);
    grid->setSteps(steps, steps);
    const gridova::LineList border = wavyBorder();
    for (auto _ : state) {
        grid->computeMask(&border);
        benchmark::DoNotOptimize(grid->mask().data());
    }
}
BENCHMARK(BM_BorderMask)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
