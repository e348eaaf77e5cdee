// The 3D block relief of a 500 × 500 grid (250,000 columns) with 20
// isolines on its plane, drawn into a 1000 × 1000 picture:
//
//   BM_BuildScene     the columns and the plane from the map
//   BM_TurnAndSort    a new angle: every column transformed, the sort
//   BM_Picture        a full drawing into the picture
#include <benchmark/benchmark.h>

#include "bench/qt_bench_main.h"

#include <cmath>
#include <memory>
#include <vector>

#include "bench/surface_grid.h"
#include "platform/qt/qt_device.h"
#include "render/map_model.h"
#include "view3d/relief_view.h"

namespace {

using namespace gridova;

constexpr std::int32_t kNodes = 500;
constexpr int kLevels = 20;

struct Fixture {
    Fixture() {
        gdi::setDeviceFactory(&factory);
        auto grid = bench::surfaceGrid(kNodes);
        auto set = bench::surfaceIsolines(*grid, kLevels);
        model.setGrid(std::move(grid));
        model.setIsolines(std::move(set));
        view.build(model);
    }
    ~Fixture() { gdi::setDeviceFactory(nullptr); }

    QtDeviceFactory factory;
    MapModel model;
    CVexa3DView view;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_BuildScene(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        CVexa3DView view;
        view.build(f.model);
        benchmark::DoNotOptimize(view.scene().prisms.data());
    }
}
BENCHMARK(BM_BuildScene)->Unit(benchmark::kMillisecond);

void BM_TurnAndSort(benchmark::State& state) {
    Fixture& f = fixture();
    int angle = 30;
    for (auto _ : state) {
        angle = angle == 30 ? 31 : 30;
        f.view.setAnglesDegrees(-60, 0, angle);
    }
}
BENCHMARK(BM_TurnAndSort)->Unit(benchmark::kMillisecond);

void BM_Picture(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        const auto picture = f.view.drawPicture({1000, 1000});
        benchmark::DoNotOptimize(picture);
    }
}
BENCHMARK(BM_Picture)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return gridova::bench::runWithQt(argc, argv); }
