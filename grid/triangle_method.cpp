#include "grid/triangle_method.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <tuple>

#include "data/point_set.h"
#include "grid/interpolator.h"
#include "grid/triangulation.h"
#include "objects/line_list.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/progress.h"

namespace gridova {
namespace {

constexpr int kProgressText = 321;  // "Расчет..."
constexpr int kStoppedByUser = 418;  // "Процесс остановлен пользователем"
constexpr int kCannotWrite = 201;  // "Нельзя записать в файл %s"
// More triangles than this make the wait-and-cancel scope active.
constexpr std::int32_t kScopeTriangles = 1000;
// Heights and doubled areas at or below this are taken as 0.
constexpr double kFlat = 1e-30;

struct Corner {
    double x, y, v;
};

// Where the edge from `lower` up to `upper` crosses the row at y. A function
// of the edge and the row only, so that both triangles of a shared edge get
// the same crossing; exact at both ends.
double crossing(const Corner& lower, const Corner& upper, double y) {
    if (y == upper.y) return upper.x;
    return lower.x + (y - lower.y) / (upper.y - lower.y) * (upper.x - lower.x);
}

// Node coordinates (strictly increasing) searched near a hint: the
// neighbouring row of a triangle has its crossings a few nodes away, so a
// search that gallops out from the last answer costs a few probes where a
// plain bisection over the whole axis costs ten or more.
class Axis {
public:
    explicit Axis(const std::vector<double>& nodes) : nodes_(nodes) {
        if (nodes.size() >= 2)
            scale_ = static_cast<double>(nodes.size() - 1) / (nodes.back() - nodes.front());
    }

    const std::vector<double>& nodes() const { return nodes_; }

    // Where a coordinate would be if the steps were equal: the hint for a
    // search without a better one.
    std::size_t guess(double v) const {
        const double t = (v - nodes_.front()) * scale_;
        if (!(t > 0)) return 0;
        return t >= static_cast<double>(nodes_.size()) ? nodes_.size()
                                                       : static_cast<std::size_t>(t);
    }

    // Indices [first, last) of the nodes within [lo, hi], searched from the
    // hints.
    std::pair<std::size_t, std::size_t> within(double lo, double hi, std::size_t firstHint,
                                               std::size_t lastHint) const {
        const std::size_t first = search(firstHint, [lo](double node) { return node < lo; });
        const std::size_t last =
            search(std::max(first, lastHint), [hi](double node) { return node <= hi; });
        return {first, std::max(first, last)};
    }

private:
    // The first index whose node is not in the prefix where `inPrefix`
    // holds, galloping out from the hint and then bisecting.
    template <typename Pred>
    std::size_t search(std::size_t hint, Pred inPrefix) const {
        const std::size_t n = nodes_.size();
        hint = std::min(hint, n);
        std::size_t lo = 0, hi = n;  // the answer lies in [lo, hi]
        std::size_t step = 1;
        if (hint < n && inPrefix(nodes_[hint])) {
            lo = hint + 1;
            for (;;) {
                const std::size_t probe = lo + step - 1;
                if (probe >= n) break;
                if (!inPrefix(nodes_[probe])) {
                    hi = probe;
                    break;
                }
                lo = probe + 1;
                step *= 2;
            }
        } else {
            hi = hint;
            while (hi > 0) {
                const std::size_t probe = hi >= step ? hi - step : 0;
                if (inPrefix(nodes_[probe])) {
                    lo = probe + 1;
                    break;
                }
                hi = probe;
                step *= 2;
            }
        }
        const auto begin = nodes_.begin();
        return static_cast<std::size_t>(
            std::partition_point(begin + static_cast<std::ptrdiff_t>(lo),
                                 begin + static_cast<std::ptrdiff_t>(hi), inPrefix) -
            begin);
    }

    const std::vector<double>& nodes_;
    double scale_ = 0;
};

class TriangleFiller {
public:
    explicit TriangleFiller(EqNet& grid)
        : axisX_(grid.nodeX()),
          axisY_(grid.nodeY()),
          nx_(static_cast<std::size_t>(grid.nx())),
          mask_(grid.mask()),
          values_(grid.values()) {}

    void fill(Corner p1, Corner p2, Corner p3) {
        // Sort by y: p1 lowest, p3 highest.
        if (p2.y < p1.y) std::swap(p1, p2);
        if (p3.y < p2.y) std::swap(p2, p3);
        if (p2.y < p1.y) std::swap(p1, p2);
        const double dx2 = p2.x - p1.x, dy2 = p2.y - p1.y, dv2 = p2.v - p1.v;
        const double dx3 = p3.x - p1.x, dy3 = p3.y - p1.y, dv3 = p3.v - p1.v;
        const double d = dx2 * dy3 - dx3 * dy2;
        // Corners on one line bound no area: nothing is covered.
        if (!(std::fabs(d) > kFlat)) return;
        plane_ = {p1.x, p1.y, p1.v, (dv2 * dy3 - dv3 * dy2) / d, (dx2 * dv3 - dx3 * dv2) / d};
        if (!std::isfinite(plane_.gx) || !std::isfinite(plane_.gy)) return;
        if (p3.y - p1.y <= kFlat) return;
        if (p2.y - p1.y > kFlat) half(p1, p2, p1, p3, p1.y, p2.y);
        if (p3.y - p2.y > kFlat) half(p2, p3, p1, p3, p2.y, p3.y);
    }

private:
    struct Plane {
        double x0, y0, v0, gx, gy;
        double at(double x, double y) const { return v0 + gx * (x - x0) + gy * (y - y0); }
    };

    // The rows in [y0, y1] between the edges a0-a1 and b0-b1.
    void half(const Corner& a0, const Corner& a1, const Corner& b0, const Corner& b1, double y0,
              double y1) {
        const std::size_t rowHint = axisY_.guess(y0);
        const auto [firstRow, lastRow] = axisY_.within(y0, y1, rowHint, rowHint);
        const std::vector<double>& nodeX = axisX_.nodes();
        const std::vector<double>& nodeY = axisY_.nodes();
        std::size_t first = 0, last = 0;
        for (std::size_t j = firstRow; j < lastRow; ++j) {
            const double y = nodeY[j];
            const double xa = crossing(a0, a1, y), xb = crossing(b0, b1, y);
            const double left = std::min(xa, xb), right = std::max(xa, xb);
            if (j == firstRow) first = last = axisX_.guess(left);
            std::tie(first, last) = axisX_.within(left, right, first, last);
            for (std::size_t i = first; i < last; ++i) {
                const std::size_t n = i + j * nx_;
                if (mask_[n] <= kMaskOutside) continue;  // outside, or an earlier triangle's
                mask_[n] = kMaskTriangle;
                values_[n] = plane_.at(nodeX[i], y);
            }
        }
    }

    Axis axisX_;
    Axis axisY_;
    std::size_t nx_;
    std::vector<std::int32_t>& mask_;
    std::vector<double>& values_;
    Plane plane_{};
};

// Writes and commits the file; message 201 when that fails.
bool writeNetworkTo(std::unique_ptr<OutputFile> file, const TriangleNetwork& network) {
    if (!file) return false;
    if (!writeTriangles(file->file(), network)) {
        file->discard();
        warning(formatText(text(kCannotWrite), {file->name()}));
        return false;
    }
    return commitOrWarn(*file);
}

}  // namespace

int triangulatePoints(const NetworkSource& source, bool activeOnly, BorderVertices borderMode,
                      TriangleNetwork& network) {
    network.clear();
    try {
        if (source.points != nullptr) {
            for (const DataPoint& p : source.points->points()) {
                if (activeOnly && !p.value.present()) continue;
                network.xy.push_back(p.x);
                network.xy.push_back(p.y);
                network.values.push_back(
                    p.value.present() ? p.value.value : std::numeric_limits<double>::quiet_NaN());
            }
        }
        const bool withBorder =
            source.border != nullptr && !source.border->empty() &&
            (borderMode == BorderVertices::Always ||
             (borderMode == BorderVertices::WhenValueEnabled && source.borderValue.enabled != 0));
        if (withBorder) {
            for (const Line& polygon : source.border->lines()) {
                for (const LinePoint& p : polygon.points()) {
                    network.xy.push_back(p.x);
                    network.xy.push_back(p.y);
                    network.values.push_back(source.borderValue.value);
                }
            }
        }
        if (network.values.size() < 2) {
            network.clear();
            return -1;
        }
        network.corners = triangulate(network.xy);
    } catch (const std::bad_alloc&) {
        network.clear();
        outOfMemory();
        return -1;
    }
    return network.triangleCount();
}

int rasterise(EqNet& grid, const TriangleNetwork& network, RunFeedback& feedback) {
    const std::int32_t count = network.triangleCount();
    const std::int32_t vertices = network.vertexCount();
    if (grid.empty() || !grid.hasValues() || !grid.hasMask()) return 0;
    int result = 0;
    {
        RunFeedback::StageLook look;
        look.waitText = text(kProgressText);
        look.waitShown = count > kScopeTriangles;
        const std::unique_ptr<RunStage> scope = feedback.stage(look);
        TriangleFiller filler(grid);
        const auto corner = [&](std::int32_t number) {
            const std::size_t k = static_cast<std::size_t>(number - 1);
            return Corner{network.xy[2 * k], network.xy[2 * k + 1], network.values[k]};
        };
        for (std::int32_t t = 0; t < count; ++t) {
            if (scope->cancelled()) {
                feedback.information(text(kStoppedByUser));
                result = kRasteriseCancelled;
                break;
            }
            const std::int32_t* c = &network.corners[3 * static_cast<std::size_t>(t)];
            if (std::any_of(c, c + 3, [&](std::int32_t n) { return n < 1 || n > vertices; })) {
                continue;
            }
            filler.fill(corner(c[0]), corner(c[1]), corner(c[2]));
        }
    }
    // Covered nodes are inside; the edge marks are not kept.
    for (std::int32_t& m : grid.mask()) m = m == kMaskTriangle ? kMaskInside : kMaskOutside;
    grid.computeRange();
    grid.colorScale.setRange(grid.minValue(), grid.maxValue());
    return result;
}

int runTriangleMethod(EqNet& grid, const PointSet* points, const LineList* border,
                      RunFeedback& feedback) {
    if (points == nullptr || grid.empty()) return -1;
    TriangleNetwork network;
    const NetworkSource source{points, border, grid.borderValue};
    if (triangulatePoints(source, true, BorderVertices::WhenValueEnabled, network) < 0) return -1;
    grid.computeMask(border);
    if (!grid.allocateValues(kBlankValue)) return -1;
    rasterise(grid, network, feedback);
    grid.FillBlank(kBlankValue);
    return 0;
}

bool rasteriseTriangleSet(EqNet& grid, const TriangleNetwork& set, RunFeedback& feedback) {
    if (grid.empty() || set.vertexCount() == 0 || set.triangleCount() == 0) return false;
    grid.computeMask(nullptr);
    const double lowest = *std::min_element(set.values.begin(), set.values.end());
    if (!grid.allocateValues(lowest - 1.0)) return false;
    rasterise(grid, set, feedback);
    grid.FillBlank(kBlankValue);
    return true;
}

bool writeNetworkFile(const NetworkSource& source, const std::string& path) {
    TriangleNetwork network;
    if (triangulatePoints(source, true, BorderVertices::Always, network) < 0) return false;
    return writeNetworkTo(openTextWrite(path), network);
}

bool writeNetwork(const NetworkSource& source) {
    TriangleNetwork network;
    if (triangulatePoints(source, true, BorderVertices::Always, network) < 0) return false;
    return writeNetworkTo(chooseAndOpenTextWrite("txt"), network);
}

bool writeTriangleSet(const TriangleNetwork& network) {
    if (network.vertexCount() == 0) return false;
    return writeNetworkTo(chooseAndOpenTextWrite("txt"), network);
}

namespace {

class TriangleMethod final : public Interpolator {
public:
    InterpolationMethod method() const override { return InterpolationMethod::Triangles; }
    MethodInput input() const override { return MethodInput::DataValues; }
    int run(EqNet& grid, const InterpolationInput& in) const override {
        WaitScope wait;
        return runTriangleMethod(grid, in.points, in.border, in.feedbackOrDefault()) != 0 ? -1 : 0;
    }
};

}  // namespace

const Interpolator& triangleMethod() {
    static const TriangleMethod method;
    return method;
}

}  // namespace gridova
