#include "objects/line.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "data/section_io.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr std::string_view kTag = "LN01";
constexpr int kCannotAddPoint = 208;  // "Ошибка!!! Нельзя к линии добавить точку."
constexpr int kCannotRemovePoint = 209;  // "Ошибка!!! Нельзя у линии удалить точку."
constexpr std::string_view kNoPalette = "В Bush не определена паллитра цветов";
constexpr std::string_view kBadColorIndex = "Неправильный индекс цвета в Bush";
constexpr gdi::ColorRef kColorMask = 0xFFFFFFu;

static_assert(sizeof(LinePoint) == 2 * sizeof(double), "points are read as raw (x, y) pairs");

double segment(const LinePoint& a, const LinePoint& b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The "LN01" record after its tag; the count of points is handed to the
// caller, which reads the points.
template <class L, class Io>
void lineFields(L& l, Io& io, std::int32_t& count) {
    io.word(count);
    io.word(l.style.typeDraw);
    io.word(l.style.colorLine);
    io.word(l.style.fillColor);
    io.word(l.style.patternColor);
    io.word(l.style.hatch);
    io.word(l.style.widthLine);
    io.word(l.style.penStyle);
    io.number(l.value);
    if constexpr (Io::kReading) {
        std::optional<std::string> stored;
        if (io.flaggedText(stored)) {
            l.name = stored ? std::optional<std::string>(toUtf8(*stored)) : std::nullopt;
        }
    } else {
        io.flaggedText(l.name);
    }
}

}  // namespace

gdi::ColorRef resolveLineColor(std::int32_t value, const ColorPalette* palette) {
    if (value >= 0) return static_cast<gdi::ColorRef>(value) & kColorMask;
    // −1 − value cannot overflow for any negative 32-bit value.
    const std::int64_t entry = -1 - static_cast<std::int64_t>(value);
    if (palette == nullptr) {
        log(kNoPalette);
        return 0;
    }
    if (entry >= static_cast<std::int64_t>(palette->size())) {
        logNumber(kBadColorIndex, entry);
        return 0;
    }
    return (*palette)[static_cast<std::size_t>(entry)];
}

Line::Line() : name(kDefaultName) {}

Line::Line(std::vector<LinePoint> points) : points_(std::move(points)) { recomputeExtent(); }

std::optional<LinePoint> Line::point(std::size_t i) const {
    if (i >= points_.size()) return std::nullopt;
    return points_[i];
}

void Line::setPoints(std::vector<LinePoint> points) {
    points_ = std::move(points);
    recomputeExtent();
}

void Line::setPoints(const double* x, const double* y, std::size_t count) {
    std::vector<LinePoint> points(count);
    for (std::size_t i = 0; i < count; ++i) points[i] = {x[i], y[i]};
    setPoints(std::move(points));
}

int Line::addPoint(double x, double y) {
    if (!points_.empty() && points_.back().x == x && points_.back().y == y) {
        return static_cast<int>(points_.size());
    }
    try {
        points_.push_back({x, y});
    } catch (const std::bad_alloc&) {
        log(text(kCannotAddPoint));
        return -1;
    }
    if (points_.size() == 1) {
        recomputeExtent();
    } else {
        extent_.include(x, y);
    }
    return static_cast<int>(points_.size());
}

bool Line::removeLastPoint() {
    if (points_.empty()) {
        log(text(kCannotRemovePoint));
        return false;
    }
    points_.pop_back();
    recomputeExtent();
    return true;
}

void Line::close() {
    if (!points_.empty() && !isClosed()) addPoint(points_.front().x, points_.front().y);
}

bool Line::isClosed() const { return !points_.empty() && points_.front() == points_.back(); }

void Line::recomputeExtent() {
    // The device rectangle cached by drawing is kept.
    if (points_.empty()) {
        extent_.minX = extent_.minY = extent_.maxX = extent_.maxY = 0;
        return;
    }
    extent_.minX = extent_.maxX = points_.front().x;
    extent_.minY = extent_.maxY = points_.front().y;
    for (const LinePoint& p : points_) extent_.include(p.x, p.y);
}

double Line::length() const {
    double sum = 0;
    for (std::size_t k = 1; k < points_.size(); ++k) sum += segment(points_[k - 1], points_[k]);
    return sum;
}

double Line::area() const {
    if (!isClosed()) return 0;
    const std::size_t n = points_.size();
    double sum = 0;
    for (std::size_t k = 0; k < n; ++k) {
        const LinePoint& a = points_[k];
        const LinePoint& b = points_[(k + 1) % n];  // the last pair is (last, first)
        sum += (a.x + b.x) * (a.y - b.y);
    }
    return std::abs(sum) / 2;
}

double Line::storeArea() {
    value = area();
    return value;
}

bool Line::contains(double x, double y) const {
    const std::size_t n = points_.size();
    if (n < 3) return false;
    bool inside = false;
    for (std::size_t k = 0; k < n; ++k) {
        const LinePoint& a = points_[k == 0 ? n - 1 : k - 1];
        const LinePoint& b = points_[k];
        // y in [lower, upper): exactly one end lies above y. A horizontal
        // edge has both ends on one side and never counts.
        if ((a.y > y) == (b.y > y)) continue;
        const double crossing = a.x + (y - a.y) * (b.x - a.x) / (b.y - a.y);
        if (crossing > x) inside = !inside;
    }
    return inside;
}

std::optional<std::size_t> Line::hitTest(double x, double y, double tolX, double tolY) const {
    const DRect box(x - tolX, y - tolY, x + tolX, y + tolY);
    if (points_.empty() || !box.overlaps(extent_)) return std::nullopt;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        if (box.contains(points_[i].x, points_[i].y)) return i;
    }
    return std::nullopt;
}

bool Line::appendPart(std::size_t g, std::size_t h, Line& target) const {
    const std::size_t n = points_.size();
    if (g >= n || h >= n) return false;
    const auto emit = [&](std::size_t i) { target.addPoint(points_[i].x, points_[i].y); };
    const auto emitDirect = [&] {
        if (g <= h) {
            for (std::size_t i = g; i <= h; ++i) emit(i);
        } else {
            for (std::size_t i = g + 1; i-- > h;) emit(i);
        }
    };
    if (!isClosed() || g == h) {
        emitDirect();
        return true;
    }
    const std::size_t lo = std::min(g, h), hi = std::max(g, h);
    double direct = 0;
    for (std::size_t k = lo + 1; k <= hi; ++k) direct += segment(points_[k - 1], points_[k]);
    const double around = length() - direct;
    if (!(around < direct)) {
        emitDirect();
        return true;
    }
    // Away from h to the end of the list, through the closing point (the
    // first and last points are the same), and on to h.
    if (g < h) {
        for (std::size_t i = g + 1; i-- > 0;) emit(i);
        for (std::size_t i = n - 1; i-- > h;) emit(i);
    } else {
        for (std::size_t i = g; i < n; ++i) emit(i);
        for (std::size_t i = 1; i <= h; ++i) emit(i);
    }
    return true;
}

void Line::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTag);
    auto count = static_cast<std::int32_t>(points_.size());
    RecordWriting io(r);
    lineFields(*this, io, count);
    r.writeRecord(out);
    out.bytes(points_.data(), points_.size() * sizeof(LinePoint));
    extent_.writeSection(out);
}

bool Line::readSection(BinaryReader& in) {
    *this = Line();
    RecordBuffer r;
    if (section_io::openSection(in, r, kTag) != 1) return false;
    std::int32_t count = 0;
    RecordReading io(r);
    lineFields(*this, io, count);
    if (io.damaged()) return section_io::refuse(in);
    if (!section_io::countFits(in, count, sizeof(LinePoint))) return section_io::refuse(in);
    std::vector<LinePoint> points(static_cast<std::size_t>(count));
    if (!in.bytes(points.data(), points.size() * sizeof(LinePoint))) {
        return section_io::refuse(in);
    }
    points_ = std::move(points);
    if (!extent_.readSection(in)) return section_io::partFailed(in);
    return true;
}

}  // namespace gridova
