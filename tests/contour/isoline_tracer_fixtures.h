// A sink that records traced lines, and how lines read in a message: what
// the tracer's tests share.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "contour/isoline_tracer.h"

namespace gridova::testing {

using P = LinePoint;
using Points = std::vector<P>;

inline constexpr double kReferenceTolerance = 1e-12;

struct Traced {
    std::size_t level = 0;
    double value = 0.0;
    Points points;
};

class Recorder final : public IsolineSink {
public:
    void addLine(std::size_t levelIndex, Line line) override {
        lines.push_back({levelIndex, line.value, line.points()});
    }
    std::vector<Points> pointsOf(std::size_t level) const {
        std::vector<Points> out;
        for (const Traced& t : lines) {
            if (t.level == level) out.push_back(t.points);
        }
        return out;
    }
    std::vector<Traced> lines;
};

inline std::string describe(const std::vector<Points>& lines) {
    std::ostringstream s;
    s.precision(17);
    for (const Points& line : lines) {
        s << "  [";
        for (const P& p : line) s << " (" << p.x << ", " << p.y << ")";
        s << " ]\n";
    }
    return s.str();
}

}  // namespace gridova::testing
