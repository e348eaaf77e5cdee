#include "grid/eq_net.h"

#include "grid/polygon_region.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "data/line_source.h"
#include "data/nice_value.h"
#include "data/section_io.h"
#include "data/tokenizer.h"
#include "grid/equation_system.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr double kCellLengthFraction = 0.004901960784313725;  // 1/204 of the larger side
constexpr const char* kNoMemory = "EqNet::SetValues : Не хватает памяти!";
std::vector<double> uniformSteps(std::int32_t count, double step) {
    return std::vector<double>(static_cast<std::size_t>(std::max(0, count)), step);
}

}  // namespace

EqNet::EqNet() { readProfile(); }

void EqNet::readProfile() {
    std::int32_t m = static_cast<std::int32_t>(method);
    if (readProfileInt("Interpolation", "Type", m) == 0)
        method = static_cast<InterpolationMethod>(m);
    readProfileInt("Solver", "Type", solver);
    readProfileDouble("Solver", "Precision", precision);
    readProfileDouble("Solver", "Relaxation", relaxation);
    readProfileInt("Solver", "Max Iteration", maxIterations);
    readProfileInt("Grid", "Cell Border", cellBorder);
    std::int64_t colour = cellColor;
    if (readProfileLong("Grid", "Cell Color", colour) == 0 && colour >= 0 && colour <= 0xFFFFFF) {
        cellColor = static_cast<gdi::ColorRef>(colour);
    }
    readProfileInt("Grid", "Default Filter", defaultFilter);
    if (defaultFilter != 0) {
        readProfileInt("Grid", "Filter Is", filterOn);
        readProfileInt("Grid", "Filter Sign", filterSign);
        readProfileDouble("Grid", "Filter Value", filterValue);
    }
}

void EqNet::writeSolverProfile() const {
    writeProfileInt("Interpolation", "Type", static_cast<std::int32_t>(method));
    writeProfileInt("Solver", "Type", solver);
    writeProfileDouble("Solver", "Precision", precision);
    writeProfileDouble("Solver", "Relaxation", relaxation);
    writeProfileInt("Solver", "Max Iteration", maxIterations);
}

bool EqNet::setLayout(std::vector<double> stepsX, std::vector<double> stepsY, double minX,
                      double minY) {
    const auto nx = static_cast<std::int64_t>(stepsX.size()) + 1;
    const auto ny = static_cast<std::int64_t>(stepsY.size()) + 1;
    if (!validCounts(nx, ny)) {
        stepX_.clear();
        stepY_.clear();
        nx_ = ny_ = 0;
        buildNodes();
        return false;
    }
    stepX_ = std::move(stepsX);
    stepY_ = std::move(stepsY);
    nx_ = static_cast<std::int32_t>(nx);
    ny_ = static_cast<std::int32_t>(ny);
    extent_.minX = minX;
    extent_.minY = minY;
    buildNodes();
    values_.clear();
    mask_.clear();
    valuesValid_ = displayState = 0;
    return true;
}

void EqNet::buildNodes() {
    nodeX_.assign(static_cast<std::size_t>(nx_), 0.0);
    nodeY_.assign(static_cast<std::size_t>(ny_), 0.0);
    // Sums in extended precision, so long step lists add up exactly enough.
    long double x = extent_.minX;
    for (std::int32_t i = 0; i < nx_; ++i) {
        nodeX_[static_cast<std::size_t>(i)] = static_cast<double>(x);
        if (i < nx_ - 1) x += stepX_[static_cast<std::size_t>(i)];
    }
    long double y = extent_.minY;
    for (std::int32_t j = 0; j < ny_; ++j) {
        nodeY_[static_cast<std::size_t>(j)] = static_cast<double>(y);
        if (j < ny_ - 1) y += stepY_[static_cast<std::size_t>(j)];
    }
    if (nx_ > 0) extent_.maxX = nodeX_.back();
    if (ny_ > 0) extent_.maxY = nodeY_.back();
    columnLines_.clear();
    rowLines_.clear();
    for (double nxValue : nodeX_) {
        columnLines_.push_back({nxValue, extent_.minY, nxValue, extent_.maxY});
    }
    for (double nyValue : nodeY_) {
        rowLines_.push_back({extent_.minX, nyValue, extent_.maxX, nyValue});
    }
}

std::unique_ptr<EqNet> EqNet::fromCounts(const DRect& area, std::int32_t nx, std::int32_t ny) {
    auto grid = std::make_unique<EqNet>();
    if (nx < kMinCountNodes || ny < kMinCountNodes || !validCounts(nx, ny)) return grid;
    // Points on one vertical or horizontal line (or a single point) leave a
    // side of no length: take the other side, or 1, so the nodes stay
    // strictly increasing.
    double w = area.width(), h = area.height();
    if (!(w > 0)) w = h > 0 ? h : 1.0;
    if (!(h > 0)) h = w;
    const double cx = (area.minX + area.maxX) / 2, cy = (area.minY + area.maxY) / 2;
    const DRect box(cx - w / 2, cy - h / 2, cx + w / 2, cy + h / 2);
    const double ax = box.width() / (nx - 5);
    const double ay = box.height() / (ny - 5);
    const double minX = box.minX - 2 * ax, maxX = box.maxX + 2 * ax;
    const double minY = box.minY - 2 * ay, maxY = box.maxY + 2 * ay;
    grid->setLayout(uniformSteps(nx - 1, (maxX - minX) / (nx - 1)),
                    uniformSteps(ny - 1, (maxY - minY) / (ny - 1)), minX, minY);
    grid->gridType = 0;
    grid->cellLength = 0.0;
    return grid;
}

std::unique_ptr<EqNet> EqNet::fromCellLength(const DRect& area, double a) {
    auto grid = std::make_unique<EqNet>();
    if (!(a > 0) || !std::isfinite(a)) return grid;
    const double kx = std::trunc(area.width() / a);
    const double ky = std::trunc(area.height() / a);
    if (!(kx + 6 <= kMaxNodes && ky + 6 <= kMaxNodes) ||
        !validCounts(static_cast<std::int64_t>(kx) + 6, static_cast<std::int64_t>(ky) + 6)) {
        outOfMemory();
        return grid;
    }
    const auto nx = static_cast<std::int32_t>(kx) + 6;
    const auto ny = static_cast<std::int32_t>(ky) + 6;
    grid->setLayout(uniformSteps(nx - 1, a), uniformSteps(ny - 1, a), area.minX - 2 * a,
                    area.minY - 2 * a);
    grid->gridType = 1;
    grid->cellLength = a;
    return grid;
}

std::unique_ptr<EqNet> EqNet::fromCellWidths(const std::vector<double>& p,
                                             const std::vector<double>& q, double originX,
                                             double originY) {
    auto grid = std::make_unique<EqNet>();
    if (p.empty() || q.empty()) return grid;
    const auto steps = [](const std::vector<double>& w) {
        std::vector<double> s(w.size() + 1);
        s[0] = w[0] / 2;
        for (std::size_t i = 1; i < w.size(); ++i) s[i] = (w[i - 1] + w[i]) / 2;
        s[w.size()] = w.back() / 2;
        return s;
    };
    grid->setLayout(steps(p), steps(q), originX, originY);
    grid->gridType = 0;
    grid->cellLength = 1.0;
    return grid;
}

std::unique_ptr<EqNet> EqNet::sizedToArray(std::int32_t columns, std::int32_t rows, double xFirst,
                                           double xLast, double yFirst, double yLast) {
    auto grid = std::make_unique<EqNet>();
    if (columns < 1 || rows < 1) return grid;
    const double dx = std::abs(xLast - xFirst) / columns;
    const double dy = std::abs(yLast - yFirst) / rows;
    const double minX = std::min(xFirst, xLast) - dx / 2;
    const double maxX = std::max(xFirst, xLast) + dx / 2;
    const double minY = std::min(yFirst, yLast) - dy / 2;
    const double maxY = std::max(yFirst, yLast) + dy / 2;
    const std::int32_t nx = columns + 2, ny = rows + 2;
    grid->setLayout(uniformSteps(nx - 1, (maxX - minX) / (nx - 1)),
                    uniformSteps(ny - 1, (maxY - minY) / (ny - 1)), minX, minY);
    return grid;
}

void EqNet::setSteps(const std::vector<double>& stepsX, const std::vector<double>& stepsY) {
    setLayout(stepsX, stepsY, 0.0, 0.0);
}

void EqNet::shift(double dx, double dy) {
    extent_.minX += dx;
    extent_.minY += dy;
    buildNodes();
}

std::optional<double> EqNet::uniformStepX() const {
    if (stepX_.empty()) return std::nullopt;
    for (double s : stepX_) {
        if (s != stepX_[0]) return std::nullopt;
    }
    return stepX_[0];
}

std::optional<double> EqNet::uniformStepY() const {
    if (stepY_.empty()) return std::nullopt;
    for (double s : stepY_) {
        if (s != stepY_[0]) return std::nullopt;
    }
    return stepY_[0];
}

std::pair<double, double> EqNet::extentOfNodes() const {
    if (empty()) return {0.0, 0.0};
    return {std::abs(nodeX_.back() - nodeX_.front()), std::abs(nodeY_.back() - nodeY_.front())};
}

double EqNet::maxStep() const {
    double m = 0.0;
    for (double s : stepX_) m = std::max(m, s);
    for (double s : stepY_) m = std::max(m, s);
    return m;
}

double EqNet::proposedCellLength() const {
    const double a = std::max(extent_.width(), extent_.height()) * kCellLengthFraction;
    return niceValueBetween(0.95 * a, 1.05 * a);
}

NodeRef EqNet::nearestNode(double x, double y) const {
    if (empty()) return {};
    const std::int32_t i = nearestColumn(x), j = nearestRow(y);
    return {i + j * nx_, i, j};
}

std::int32_t EqNet::nearestColumn(double x) const { return nearestIndex(nodeX_.data(), nx_, x); }

std::int32_t EqNet::nearestRow(double y) const { return nearestIndex(nodeY_.data(), ny_, y); }

double EqNet::valueAt(double x, double y) const {
    if (!hasValues()) return 0.0;
    const NodeRef n = nearestNode(x, y);
    return n.index < 0 ? 0.0 : values_[static_cast<std::size_t>(n.index)];
}

double EqNet::valueAt(double x, double y, bool& inside) const {
    inside = false;
    if (!hasValues()) return 0.0;
    const NodeRef n = nearestNode(x, y);
    if (n.index < 0) return 0.0;
    inside = !hasMask() || mask_[static_cast<std::size_t>(n.index)] != kMaskOutside;
    return inside ? values_[static_cast<std::size_t>(n.index)] : 0.0;
}

std::pair<double, double> EqNet::nodeXY(std::int32_t index) const {
    if (index < 0 || index >= nodeCount()) return {0.0, 0.0};
    return {nodeX_[static_cast<std::size_t>(index % nx_)],
            nodeY_[static_cast<std::size_t>(index / nx_)]};
}

bool EqNet::isInside(std::int32_t i, std::int32_t j) const {
    if (i < 0 || i >= nx_ || j < 0 || j >= ny_) return false;
    return !hasMask() || mask_[static_cast<std::size_t>(i + j * nx_)] != kMaskOutside;
}

std::int32_t EqNet::nextInsideFrom(std::int32_t start) const {
    // Scanning a row to the right, then the row below, wrapping from the
    // lowest row to the top one.
    const std::int32_t count = nodeCount();
    if (count <= 0) return -1;
    std::int32_t i = start % nx_, j = start / nx_;
    for (std::int32_t step = 0; step < count; ++step) {
        if (++i >= nx_) {
            i = 0;
            j = j > 0 ? j - 1 : ny_ - 1;
        }
        const std::int32_t index = i + j * nx_;
        if (!hasMask() || mask_[static_cast<std::size_t>(index)] >= kMaskInside) return index;
    }
    return -1;
}

std::int32_t EqNet::nextInsideNode(std::int32_t i, std::int32_t j) const {
    if (i < 0 || i >= nx_ || j < 0 || j >= ny_) return -1;
    return nextInsideFrom(i + j * nx_);
}

std::int32_t EqNet::nextInsideNodeFromTop(std::int32_t i, std::int32_t rowFromTop) const {
    if (empty()) return -1;
    i = std::clamp(i, 0, nx_ - 1);
    rowFromTop = std::clamp(rowFromTop, 0, ny_ - 1);
    const std::int32_t index = nextInsideFrom(i + (ny_ - 1 - rowFromTop) * nx_);
    if (index < 0) return -1;
    return index % nx_ + (ny_ - 1 - index / nx_) * nx_;
}

PointSet EqNet::sampleAlong(const std::vector<LinePoint>& line) const {
    PointSet profile;
    if (line.size() < 2 || !hasValues() || empty()) return profile;
    const auto addPoint = [&](double x, double y, bool crossing) {
        DataPoint p;
        p.x = x;
        p.y = y;
        if (extent_.contains(x, y)) {
            const NodeRef n = nearestNode(x, y);
            const std::int32_t m =
                hasMask() ? mask_[static_cast<std::size_t>(n.index)] : kMaskInside;
            if (crossing ? m > 0 : m != 0) p.value.set(values_[static_cast<std::size_t>(n.index)]);
        }
        profile.addExisting(std::move(p));
    };
    addPoint(line[0].x, line[0].y, false);
    for (std::size_t k = 1; k < line.size(); ++k) {
        const LinePoint a = line[k - 1], b = line[k];
        const double x0 = std::min(a.x, b.x), x1 = std::max(a.x, b.x);
        const double y0 = std::min(a.y, b.y), y1 = std::max(a.y, b.y);
        for (double x : nodeX_) {
            if (x < x0 || x > x1 || a.x == b.x) continue;
            addPoint(x, a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x), true);
        }
        for (double y : nodeY_) {
            if (y < y0 || y > y1 || a.y == b.y) continue;
            addPoint(a.x + (b.x - a.x) * (y - a.y) / (b.y - a.y), y, true);
        }
        addPoint(b.x, b.y, false);
    }
    profile.computeStatistics();
    return profile;
}

PointSet EqNet::verticesOf(const std::vector<LinePoint>& line) const {
    PointSet vertices;
    int number = 1;
    for (const LinePoint& v : line) {
        DataPoint p;
        p.x = v.x;
        p.y = v.y;
        p.setLabel(std::to_string(number++));
        vertices.addExisting(std::move(p));
    }
    if (!line.empty()) vertices.hasLabels = 1;
    vertices.computeStatistics();
    return vertices;
}

double EqNet::volumeOver(const Line& polygon) const {
    if (!hasValues() || empty() || nx_ < 2 || ny_ < 2) return 0.0;
    const DRect& box = polygon.extent();
    if (!box.overlaps(extent_)) return 0.0;
    const std::int32_t i0 = nearestColumn(box.minX), i1 = nearestColumn(box.maxX);
    const std::int32_t j0 = nearestRow(box.minY), j1 = nearestRow(box.maxY);
    // A node stands for half of each step beside it (the end nodes for half
    // a step), so uneven grids are weighed fairly.
    const auto weight = [](const std::vector<double>& steps, std::int32_t k, std::int32_t n) {
        const double before = k > 0 ? steps[static_cast<std::size_t>(k - 1)] : 0.0;
        const double after = k < n - 1 ? steps[static_cast<std::size_t>(k)] : 0.0;
        return (before + after) / 2;
    };
    const auto weightX = [&](std::int32_t i) { return weight(stepX_, i, nx_); };
    const auto weightY = [&](std::int32_t j) { return weight(stepY_, j, ny_); };
    double volume = 0.0;
    for (std::int32_t j = j0; j <= j1; ++j) {
        for (std::int32_t i = i0; i <= i1; ++i) {
            if (!polygon.contains(nodeX_[static_cast<std::size_t>(i)],
                                  nodeY_[static_cast<std::size_t>(j)])) {
                continue;
            }
            // Nodes outside the area hold the blank value, not a height.
            if (hasMask() &&
                mask_[static_cast<std::size_t>(i) +
                      static_cast<std::size_t>(j) * static_cast<std::size_t>(nx_)] == 0) {
                continue;
            }
            volume += value(i, j) * weightX(i) * weightY(j);
        }
    }
    return volume;
}

bool EqNet::allocateValues(double x) {
    if (empty()) return false;
    try {
        values_.assign(static_cast<std::size_t>(nodeCount()), x);
    } catch (const std::bad_alloc&) {
        values_.clear();
        outOfMemory();
        return false;
    }
    return true;
}

void EqNet::setInside(double x) {
    if (values_.empty()) return;
    for (std::size_t n = 0; n < values_.size(); ++n) {
        if (mask_.empty() || mask_[n] > 0) values_[n] = x;
    }
}

void EqNet::scaleInsideValues(int exponent) {
    const bool masked = mask_.size() == values_.size();
    for (std::size_t n = 0; n < values_.size(); ++n) {
        if (masked && mask_[n] == kMaskOutside) continue;
        values_[n] = std::ldexp(values_[n], exponent);
    }
    if (borderValue.enabled != 0) borderValue.value = std::ldexp(borderValue.value, exponent);
}

void EqNet::dropValues() {
    values_.clear();
    values_.shrink_to_fit();
    mask_.clear();
    mask_.shrink_to_fit();
    minValue_ = maxValue_ = 0.0;
    valuesValid_ = 0;
}

bool EqNet::insideValuesFinite() const {
    const bool masked = mask_.size() == values_.size();
    for (std::size_t n = 0; n < values_.size(); ++n) {
        if (masked && mask_[n] == kMaskOutside) continue;
        if (!std::isfinite(values_[n])) return false;
    }
    return true;
}

void EqNet::FillBlank(double x) {
    if (values_.empty() || mask_.size() != values_.size()) return;
    for (std::size_t n = 0; n < values_.size(); ++n) {
        if (mask_[n] == kMaskOutside) values_[n] = x;
    }
}

void EqNet::settleValues() {
    FillBlank(kBlankValue);
    computeRange();
    colorScale.setRange(minValue_, maxValue_);
}

int EqNet::setValue(std::int32_t i, std::int32_t j, double v) {
    if (values_.empty() || i < 0 || i >= nx_ || j < 0 || j >= ny_) return -1;
    values_[static_cast<std::size_t>(i + j * nx_)] = v;
    int changed = 0;
    if (v < minValue_) minValue_ = v, changed = 1;
    if (v > maxValue_) maxValue_ = v, changed = 1;
    return changed;
}

int EqNet::SetValues(std::vector<double> v) {
    if (static_cast<std::int64_t>(v.size()) != nodeCount() || v.empty()) return -1;
    values_ = std::move(v);
    computeRange();
    colorScale.setRange(minValue_, maxValue_);
    return 0;
}

int EqNet::SetValues(const std::vector<double>& array, std::int32_t columns, std::int32_t rows,
                     std::int32_t smoothing) {
    if (columns < 1 || rows < 1 ||
        static_cast<std::int64_t>(array.size()) != static_cast<std::int64_t>(columns) * rows ||
        columns + 2 > nx_ || rows + 2 > ny_) {
        return -1;
    }
    const auto [lo, hi] = std::minmax_element(array.begin(), array.end());
    const double a = *lo, b = *hi;
    std::vector<double> v;
    try {
        v.assign(static_cast<std::size_t>(nodeCount()), a);
    } catch (const std::bad_alloc&) {
        warning(kNoMemory);
        return -1;
    }
    for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t c = 0; c < columns; ++c) {
            v[static_cast<std::size_t>((c + 1) + (r + 1) * nx_)] =
                array[static_cast<std::size_t>(c + r * columns)];
        }
    }
    for (std::int32_t pass = 0; pass < smoothing; ++pass) {
        std::vector<double> previous;
        try {
            previous = v;
        } catch (const std::bad_alloc&) {
            warning("EqNet::SetValues : Cannot allocate memory!");
            return -1;
        }
        for (std::int32_t j = 1; j < ny_ - 1; ++j) {
            for (std::int32_t i = 1; i < nx_ - 1; ++i) {
                const std::size_t n = static_cast<std::size_t>(i + j * nx_);
                const auto w = static_cast<std::size_t>(nx_);
                v[n] = 0.2 * (previous[n] + previous[n - 1] + previous[n + 1] + previous[n - w] +
                              previous[n + w]);
            }
        }
    }
    values_ = std::move(v);
    computeRange();
    colorScale.setRange(a, b);
    return 0;
}

void EqNet::copyInterior(const std::vector<double>& array) {
    if (values_.empty()) return;
    std::size_t k = 0;
    for (std::int32_t j = 1; j < ny_ - 1 && k < array.size(); ++j) {
        for (std::int32_t i = 1; i < nx_ - 1 && k < array.size(); ++i) {
            values_[static_cast<std::size_t>(i + j * nx_)] = array[k++];
        }
    }
    computeRange();
    colorScale.setRange(minValue_, maxValue_);
}

int EqNet::computeRange() {
    bool any = false;
    double lo = 0.0, hi = 0.0;
    for (std::size_t n = 0; n < values_.size(); ++n) {
        if (!mask_.empty() && mask_[n] == kMaskOutside) continue;
        const double v = values_[n];
        if (!any) {
            lo = hi = v;
            any = true;
        } else {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    }
    minValue_ = lo;
    maxValue_ = hi;
    return any ? 0 : -1;
}

void EqNet::markEdges() {
    if (mask_.size() != static_cast<std::size_t>(nodeCount()) || empty()) return;
    markEdgeNodes(nx_, ny_, mask_);
}

int EqNet::setValid() {
    if (values_.empty()) return -1;
    valuesValid_ = 1;
    displayState = 2;
    return 0;
}

void EqNet::invalidate() {
    values_.clear();
    mask_.clear();
    valuesValid_ = displayState = 0;
}

void EqNet::computeMask(const LineList* border) {
    if (empty()) return;
    mask_.assign(static_cast<std::size_t>(nodeCount()), kMaskInside);
    if (border != nullptr && !border->empty()) {
        const PolygonRegion region(*border);
        // Raster columns and rows once per node column and row.
        const DRect& box = region.bounds();
        std::vector<std::int32_t> column(static_cast<std::size_t>(nx_), -1);
        for (std::int32_t i = 0; i < nx_; ++i) {
            const double x = nodeX_[static_cast<std::size_t>(i)];
            if (x >= box.minX && x <= box.maxX)
                column[static_cast<std::size_t>(i)] = region.mapX(x);
        }
        for (std::int32_t j = 0; j < ny_; ++j) {
            const double y = nodeY_[static_cast<std::size_t>(j)];
            const std::uint8_t* pixels =
                y >= box.minY && y <= box.maxY ? region.row(region.mapY(y)) : nullptr;
            std::int32_t* out = &mask_[static_cast<std::size_t>(j) * static_cast<std::size_t>(nx_)];
            for (std::int32_t i = 0; i < nx_; ++i) {
                const std::int32_t c = column[static_cast<std::size_t>(i)];
                const bool inside =
                    pixels != nullptr && c >= 0 && c < PolygonRegion::side() && pixels[c] != 0;
                out[i] = inside ? kMaskInside : kMaskOutside;
            }
        }
    }
    markEdges();
}

}  // namespace gridova
