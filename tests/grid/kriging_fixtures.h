// Points, grids and engines that the kriging tests share.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/point_set.h"
#include "grid/eq_net.h"
#include "grid/kriging.h"
#include "platform/profile.h"

namespace gridova::testing {

inline constexpr const char* kSection = "Kriging";

struct XYV {
    double x, y, v;
};

inline PointSet makeSet(const std::vector<XYV>& points) {
    PointSet set;
    for (const XYV& p : points) set.addPoint(p.x, p.y, p.v);
    set.computeStatistics();
    return set;
}

// A grid of n × n nodes from `origin` with the given step; its outer frame
// of nodes ends outside the area (edge marking).
inline std::unique_ptr<EqNet> squareGrid(double origin, double step, int n) {
    auto grid = std::make_unique<EqNet>();
    const std::vector<double> steps(static_cast<std::size_t>(n - 1), step);
    grid->setSteps(steps, steps);
    grid->shift(origin, origin);
    return grid;
}

// Points uniform in [lo, hi]² with the two corners included, values of a
// smooth surface.
inline std::vector<XYV> uniformPoints(int count, double lo, double hi, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(lo, hi);
    std::vector<XYV> pts = {{lo, lo, 0}, {hi, hi, 0}};
    while (static_cast<int>(pts.size()) < count) pts.push_back({u(rng), u(rng), 0});
    for (XYV& p : pts) p.v = 50.0 + 10.0 * std::sin(p.x) + 5.0 * std::cos(0.7 * p.y);
    return pts;
}

// The engine over the points with the given parameters, inverted.
struct Engine {
    Kriging k;
    Engine(const std::vector<XYV>& pts, std::int32_t model, double nugget, double partialSill,
           double range) {
        std::vector<double> x, y, v;
        for (const XYV& p : pts) {
            x.push_back(p.x);
            y.push_back(p.y);
            v.push_back(p.v);
        }
        k.loadPoints(static_cast<int>(pts.size()), x.data(), y.data(), v.data());
        k.setModel(model);
        k.setNuggetSill(nugget, partialSill);
        k.setRange(range);
        EXPECT_EQ(k.buildSystem(), 0);
        EXPECT_EQ(k.invert(), 0);
    }
};

inline void storeParameters(std::int32_t model, double range, double nugget, double sill) {
    writeProfileInt(kSection, "Type Init", 2);
    writeProfileInt(kSection, "Mode", model);
    writeProfileDouble(kSection, "Range", range);
    writeProfileDouble(kSection, "Nugget", nugget);
    writeProfileDouble(kSection, "Sill", sill);
}

inline std::string profileText(const char* key) {
    std::string text;
    readProfileText(kSection, key, text);
    return text;
}

}  // namespace gridova::testing
