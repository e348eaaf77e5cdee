// A full drawing of the map view: a 500 × 500 grid with 20 isoline levels
// (labels included) and 10,000 data points, into an 800 × 800 memory
// bitmap, the way a window paints after the map changed; and the repaint
// after an overlap, which copies the bitmap and draws nothing anew.
//
//   BM_FullDrawing            invalidate, then paint: steps 1..29
//   BM_RepaintAfterOverlap    paint without a change: the copy only
// Counters: full drawings per iteration (1 and 0).
#include <benchmark/benchmark.h>

#include "bench/qt_bench_main.h"

#include <cmath>
#include <memory>
#include <vector>

#include "bench/surface_grid.h"
#include "platform/qt/qt_device.h"
#include "render/map_view.h"

#include <QPainter>

namespace {

using namespace gridova;

constexpr std::int32_t kNodes = 500;
constexpr int kLevels = 20;
constexpr int kPoints = 10'000;

using bench::surface;

class NullWindow final : public ViewWindow {
public:
    gdi::Size clientSize() const override { return {800, 800}; }
    gdi::Device* clientDevice() override { return nullptr; }
    void releaseClientDevice() override {}
    // Copies the shown part into the window's picture, as the widget does.
    void present(gdi::BitmapDevice& memory, const gdi::Rect& part) override {
        const auto* image = dynamic_cast<QtImageDevice*>(&memory);
        if (image == nullptr) return;
        QPainter painter(&front);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        const QRect box(part.left, part.top, part.width(), part.height());
        painter.drawImage(box.topLeft(), image->pixels(), box);
        ++presents;
    }
    void captureMouse(bool) override {}
    void invalidate() override {}
    void setDrawingCursor(bool) override {}
    QImage front{800, 800, QImage::Format_RGB32};
    long presents = 0;
};

struct Fixture {
    Fixture() {
        gdi::setDeviceFactory(&factory);
        auto grid = bench::surfaceGrid(kNodes);
        auto set = bench::surfaceIsolines(*grid, kLevels);

        PointSet points;
        std::uint32_t seed = 7;
        for (int k = 0; k < kPoints; ++k) {
            seed = seed * 1664525u + 1013904223u;
            const double x = 1 + 497.0 * ((seed >> 8) & 0xFFFF) / 65535.0;
            seed = seed * 1664525u + 1013904223u;
            const double y = 1 + 497.0 * ((seed >> 8) & 0xFFFF) / 65535.0;
            points.addPoint(x, y, surface(x, y));
        }
        points.computeStatistics();
        view.model().addPointSet(std::move(points));
        view.model().setGrid(std::move(grid));
        view.model().setIsolines(std::move(set));
        view.setWindow(&window);
        view.paint();
    }
    ~Fixture() { gdi::setDeviceFactory(nullptr); }

    QtDeviceFactory factory;
    NullWindow window;
    CVexaView view;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_FullDrawing(benchmark::State& state) {
    Fixture& f = fixture();
    const std::uint64_t before = f.view.fullDrawings();
    for (auto _ : state) {
        f.view.invalidateMap();
        f.view.paint();
    }
    state.counters["drawings"] = benchmark::Counter(
        static_cast<double>(f.view.fullDrawings() - before) / state.iterations());
}
BENCHMARK(BM_FullDrawing)->Unit(benchmark::kMillisecond);

void BM_RepaintAfterOverlap(benchmark::State& state) {
    Fixture& f = fixture();
    f.view.paint();
    const std::uint64_t before = f.view.fullDrawings();
    for (auto _ : state) f.view.paint();
    state.counters["drawings"] = benchmark::Counter(
        static_cast<double>(f.view.fullDrawings() - before) / state.iterations());
}
BENCHMARK(BM_RepaintAfterOverlap)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return gridova::bench::runWithQt(argc, argv); }
