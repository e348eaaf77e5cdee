// Point sets and the fixture that the map view's tests share.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "data/point_set.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "render/canvas_view.h"

namespace gridova::testing {

inline PointSet pointsOf(const std::vector<std::array<double, 3>>& xyv) {
    PointSet set;
    for (const auto& p : xyv) set.addPoint(p[0], p[1], p[2]);
    set.computeStatistics();
    return set;
}

// 60 points on a scattered pattern over 0..100 × 0..80 with a smooth surface
// of one hill and one hollow: the fixture map of the pictures.
inline PointSet fixturePoints() {
    PointSet set;
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<double>((seed >> 8) & 0xFFFF) / 65535.0;
    };
    for (int k = 0; k < 60; ++k) {
        const double x = 100 * next();
        const double y = 80 * next();
        const double v = 50 * std::exp(-((x - 30) * (x - 30) + (y - 50) * (y - 50)) / 400) -
                         30 * std::exp(-((x - 75) * (x - 75) + (y - 25) * (y - 25)) / 300) +
                         0.2 * x;
        set.addPoint(x, y, v);
    }
    set.computeStatistics();
    return set;
}

class MapViewTest : public ::testing::Test {
protected:
    void SetUp() override { gdi::setDeviceFactory(&factory_); }
    void TearDown() override { gdi::setDeviceFactory(nullptr); }
    QtDeviceFactory factory_;
};

class FakeWindow final : public ViewWindow {
public:
    explicit FakeWindow(gdi::Size size) : size_(size), device_(size) {}
    gdi::Size clientSize() const override { return size_; }
    gdi::Device* clientDevice() override { return &device_; }
    void releaseClientDevice() override {}
    void present(gdi::BitmapDevice&, const gdi::Rect&) override {}
    void captureMouse(bool capture) override { captured = capture; }
    void invalidate() override {}
    void setDrawingCursor(bool) override {}
    bool captured = false;

private:
    gdi::Size size_;
    gdi::RecordingDevice device_;
};

}  // namespace gridova::testing
