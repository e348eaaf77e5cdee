// Drawing through the canvas into an 800 x 800 memory picture: many line
// segments, and many labels.
#include <benchmark/benchmark.h>

#include "bench/qt_bench_main.h"

#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "platform/qt/qt_device.h"
#include "render/drawing_canvas.h"

namespace {

constexpr gridova::gdi::Size kPicture{800, 800};

struct Picture {
    Picture() : device(kPicture, gridova::gdi::rgb(255, 255, 255)) {
        canvas.beginExternal(&device);
        canvas.setWorldWindow(0, 0, 1000, 1000);
    }
    ~Picture() { canvas.endExternal(); }
    gridova::QtImageDevice device;
    gridova::DrawingCanvas canvas;
};

void BM_LineSegments(benchmark::State& state) {
    const auto count = static_cast<std::size_t>(state.range(0));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(0, 1000);
    std::uniform_real_distribution<double> step(-15, 15);
    std::vector<double> x(count + 1), y(count + 1);
    x[0] = y[0] = 500;
    for (std::size_t i = 1; i <= count; ++i) {
        x[i] = std::clamp(x[i - 1] + step(random), 0.0, 1000.0);
        y[i] = std::clamp(y[i - 1] + step(random), 0.0, 1000.0);
    }
    for (auto _ : state) {
        Picture p;
        p.canvas.setColorPen(gridova::StandardPalette::color(70));
        p.canvas.polylineWorld(x.data(), y.data(), x.size());
        benchmark::DoNotOptimize(p.device.finishedImage().constBits());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(count));
}

void BM_Labels(benchmark::State& state) {
    const auto count = static_cast<int>(state.range(0));
    std::mt19937 random(11);
    std::uniform_int_distribution<int> position(0, 760);
    std::vector<std::pair<int, int>> at(static_cast<std::size_t>(count));
    for (auto& p : at) p = {position(random), position(random)};
    for (auto _ : state) {
        Picture p;
        p.canvas.selectGeneralFont(1);
        p.canvas.setTextColor(gridova::gdi::rgb(0, 0, 128));
        for (int i = 0; i < count; ++i) {
            const auto& [x, y] = at[static_cast<std::size_t>(i)];
            if (i % 4 == 0) p.canvas.selectRotatedFont((i * 37) % 3600);
            p.canvas.drawText(x, y, std::to_string(100 + i % 900) + ".5");
            if (i % 4 == 3) p.canvas.restoreGeneralFont();
        }
        benchmark::DoNotOptimize(p.device.finishedImage().constBits());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * count);
}

BENCHMARK(BM_LineSegments)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Labels)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return gridova::bench::runWithQt(argc, argv); }
