#include "data/point_set.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "data/data_table.h"
#include "data/polynomial_regression.h"
#include "data/section_io.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kDefaultSetName = 404;  // "Серия1"
constexpr std::string_view kTag = "PS01";
// Bytes of the smallest stored point: x, y, value flag, label length, size
// factor, state.
constexpr std::size_t kMinPointBytes = 8 + 8 + 4 + 4 + 8 + 4;

double safeQuotient(double a, double b) { return b == 0.0 ? 0.0 : a / b; }

}  // namespace

std::string defaultPointSetName() { return text(kDefaultSetName); }

void DataPoint::setLabel(std::string_view text) {
    if (text.empty()) {
        label.reset();
    } else {
        label = std::string(text);
    }
}

PointSet::PointSet() : name_(defaultPointSetName()) {}

PointSet::~PointSet() = default;
PointSet::PointSet(PointSet&&) noexcept = default;
PointSet& PointSet::operator=(PointSet&&) noexcept = default;

void PointSet::setRegression(std::unique_ptr<PolynomialRegression> regression) {
    regression_ = std::move(regression);
}

PointSet::PointSet(const PointSet& other)
    : xmin(other.xmin),
      xmax(other.xmax),
      ymin(other.ymin),
      ymax(other.ymax),
      vmin(other.vmin),
      vmax(other.vmax),
      mean(other.mean),
      diagonal(other.diagonal),
      dx(other.dx),
      dy(other.dy),
      xScale(other.xScale),
      xOffset(other.xOffset),
      yScale(other.yScale),
      yOffset(other.yOffset),
      badgeFormat(other.badgeFormat),
      visible(other.visible),
      hasLabels(other.hasLabels),
      changed(other.changed),
      points_(other.points_),
      hasList_(other.hasList_),
      name_(other.name_),
      derived_(other.derived_ ? std::make_unique<PointSet>(*other.derived_) : nullptr),
      regression_(other.regression_ ? std::make_unique<PolynomialRegression>(*other.regression_)
                                    : nullptr) {
    std::copy(std::begin(other.extent), std::end(other.extent), std::begin(extent));
}

PointSet& PointSet::operator=(const PointSet& other) {
    if (this != &other) {
        PointSet copy(other);
        *this = std::move(copy);
    }
    return *this;
}

void PointSet::buildFromTable(const DataTable& table, std::size_t labelIndex, std::size_t xIndex,
                              std::size_t yIndex, std::size_t valueIndex) {
    try {
        points_.reserve(points_.size() + table.rowCount());
    } catch (const std::bad_alloc&) {
        // Points are added one by one until memory runs out.
    }
    for (std::size_t row = 0; row < table.rowCount(); ++row) {
        if (table.cellCount(row) < 3) continue;
        const OptionalValue x = table.cell(row, xIndex);
        const OptionalValue y = table.cell(row, yIndex);
        if (!x.present() || !y.present()) continue;
        DataPoint p;
        p.x = x.value;
        p.y = y.value;
        p.value = table.cell(row, valueIndex);
        if (labelIndex == 0) {
            if (const auto name = table.label(row); name && !name->empty()) {
                p.setLabel(*name);
                hasLabels = 1;
            }
        }
        if (addExisting(std::move(p)) < 0) {
            outOfMemory();  // the points read so far stay
            break;
        }
    }
    computeSizeFactors();
    name_ = defaultPointSetName();
    visible = 1;
}

void PointSet::buildFromTable(const DataTable& table) {
    const InputFormat& f = table.format();
    const auto column = [](std::int32_t c) { return c < 0 ? 0 : static_cast<std::size_t>(c) + 1; };
    // A negative column names no cell: index 0 is the label slot, which
    // holds no number.
    buildFromTable(table, 0, column(f.columnX), column(f.columnY), column(f.columnValue));
}

int PointSet::addPoint(double x, double y, double value) {
    DataPoint p;
    p.x = x;
    p.y = y;
    p.value.set(value);
    return addExisting(std::move(p));
}

int PointSet::addExisting(DataPoint point) {
    try {
        points_.push_back(std::move(point));
    } catch (const std::bad_alloc&) {
        return -1;
    }
    hasList_ = true;
    return static_cast<int>(points_.size());
}

std::optional<DataPoint> PointSet::removePoint(std::size_t index) {
    if (index >= points_.size()) return std::nullopt;
    DataPoint p = std::move(points_[index]);
    points_.erase(points_.begin() + static_cast<std::ptrdiff_t>(index));
    return p;
}

void PointSet::clearPoints() {
    points_.clear();
    hasList_ = false;
}

void PointSet::clear() {
    changed = 0;
    clearPoints();
    derived_.reset();
    regression_.reset();
    hasLabels = 0;
}

void PointSet::copyFrom(const PointSet& other) {
    for (const DataPoint& p : other.points_) {
        DataPoint copy;
        copy.x = p.x;
        copy.y = p.y;
        copy.value = p.value;
        copy.label = p.label;
        if (addExisting(std::move(copy)) < 0) {
            outOfMemory();
            break;
        }
    }
    computeStatistics();
    if (other.hasLabels != 0) hasLabels = 1;
}

void PointSet::computeStatistics() {
    bool first = true;
    bool firstValue = true;
    double sum = 0.0;
    for (const DataPoint& p : points_) {
        if (first) {
            xmin = xmax = p.x;
            ymin = ymax = p.y;
            first = false;
        } else {
            if (p.x < xmin) xmin = p.x;
            if (p.x > xmax) xmax = p.x;
            if (p.y < ymin) ymin = p.y;
            if (p.y > ymax) ymax = p.y;
        }
        if (p.value.present()) {
            const double v = p.value.value;
            if (firstValue) {
                vmin = vmax = v;
                firstValue = false;
            } else {
                if (v < vmin) vmin = v;
                if (v > vmax) vmax = v;
            }
            sum += v;
        }
    }
    dx = std::abs(xmax - xmin);
    dy = std::abs(ymax - ymin);
    diagonal = std::sqrt(dx * dx + dy * dy);
    if (!points_.empty()) mean = sum / static_cast<double>(points_.size());
    extent[0] = xmin;
    extent[1] = ymin;
    extent[2] = xmax;
    extent[3] = ymax;
}

void PointSet::computeSizeFactors() {
    computeStatistics();
    const double k = safeQuotient(1.0, std::abs(vmax - vmin));
    for (DataPoint& p : points_) {
        if (p.value.present()) p.sizeFactor = k * std::abs(p.value.value - vmin);
    }
}

const PointSet& PointSet::asSeen() const {
    const PointSet* s = this;
    while (s->derived_) s = s->derived_.get();
    return *s;
}

PointSet& PointSet::asSeen() {
    PointSet* s = this;
    while (s->derived_) s = s->derived_.get();
    return *s;
}

int PointSet::ranges(double& x0, double& x1, double& y0, double& y1) const {
    const PointSet& s = asSeen();
    if (!s.hasList_) return -1;
    x0 = s.xmin;
    x1 = s.xmax;
    y0 = s.ymin;
    y1 = s.ymax;
    return 0;
}

int PointSet::valueRange(double& v0, double& v1) const {
    const PointSet& s = asSeen();
    if (!s.hasList_) return -1;
    v0 = s.vmin;
    v1 = s.vmax;
    return 0;
}

std::size_t PointSet::countWithValues() const {
    return static_cast<std::size_t>(std::count_if(
        points_.begin(), points_.end(), [](const DataPoint& p) { return p.value.present(); }));
}

std::optional<PointSet::ValueArrays> PointSet::valueArrays() const {
    ValueArrays a;
    try {
        const std::size_t n = countWithValues();
        a.x.reserve(n);
        a.y.reserve(n);
        a.v.reserve(n);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    for (const DataPoint& p : points_) {
        if (!p.value.present()) continue;
        a.x.push_back(p.x);
        a.y.push_back(p.y);
        a.v.push_back(p.value.value);
    }
    return a;
}

void PointSet::mirrorY() {
    const double sum = ymin + ymax;
    for (DataPoint& p : points_) p.y = sum - p.y;
}

void PointSet::fitTo(double a, double b, double c, double d) {
    auto fitted = std::make_unique<PointSet>();
    fitted->copyFrom(*this);
    fitted->computeStatistics();
    fitted->xScale = safeQuotient(c - a, fitted->xmax - fitted->xmin);
    fitted->yScale = safeQuotient(d - b, fitted->ymax - fitted->ymin);
    fitted->xOffset = a;
    fitted->yOffset = b;
    const double x0 = fitted->xmin;
    const double y0 = fitted->ymin;
    for (DataPoint& p : fitted->points_) {
        p.x = (p.x - x0) * fitted->xScale + a;
        p.y = (p.y - y0) * fitted->yScale + b;
    }
    fitted->computeStatistics();
    fitted->badgeFormat = badgeFormat;
    derived_ = std::move(fitted);
}

void PointSet::sortByDistance(double x0, double y0) {
    if (points_.size() < 2) return;
    const auto d2 = [x0, y0](const DataPoint& p) {
        return (p.x - x0) * (p.x - x0) + (p.y - y0) * (p.y - y0);
    };
    std::sort(points_.begin(), points_.end(),
              [&](const DataPoint& a, const DataPoint& b) { return d2(a) < d2(b); });
}

void PointSet::setAllValues(double v) {
    for (DataPoint& p : points_) p.value.set(v);
}

std::size_t PointSet::setName(std::string_view newName) {
    name_.assign(firstCharacters(newName, kMaxNameLength));
    return utf8Length(name_);
}

bool PointSet::writeText(std::FILE* file) const {
    std::string line;
    for (const DataPoint& p : points_) {
        line.clear();
        appendDouble(line, p.x);
        line += ", ";
        appendDouble(line, p.y);
        line += ',';
        if (p.value.present()) {
            line += ' ';
            appendDouble(line, p.value.value);
            line += ',';
        } else {
            line += " ,";
        }
        if (p.label) {
            line += ' ';
            // A name with blanks or separators is quoted so that it reads
            // back as one name.
            const bool quote = p.label->find_first_of(" ,;\t") != std::string::npos &&
                               p.label->find('"') == std::string::npos;
            if (quote) line += '"';
            line += *p.label;
            if (quote) line += '"';
        }
        line += '\n';
        if (std::fwrite(line.data(), 1, line.size(), file) != line.size()) return false;
    }
    return true;
}

}  // namespace gridova

namespace gridova {
namespace {

// The "PS01" record after its tag; the presence of the point list is handed
// to the caller, which reads the list.
template <class Set, class Io>
void setFields(Set& s, Io& io, std::int32_t& hasList) {
    if constexpr (Io::kReading) {
        std::string name;
        if (io.text(name) && !name.empty()) s.setName(toUtf8(name));
    } else {
        io.text(s.name());
    }
    for (auto* v : {&s.mean, &s.dx, &s.dy, &s.diagonal, &s.vmax, &s.xmax, &s.ymax, &s.vmin, &s.xmin,
                    &s.ymin, &s.xOffset, &s.yOffset, &s.xScale, &s.yScale}) {
        io.number(*v);
    }
    io.word(s.hasLabels);
    io.word(s.visible);
    io.word(hasList);
}

}  // namespace

void PointSet::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTag);
    std::int32_t hasList = hasList_ ? 1 : 0;
    RecordWriting io(r);
    setFields(*this, io, hasList);
    r.writeRecord(out);
    if (hasList_) {
        r.putWord(static_cast<std::int32_t>(points_.size()));
        r.writeRecord(out);
        for (const DataPoint& p : points_) {
            out.number(p.x);
            out.number(p.y);
            writeDirectOptional(out, p.value);
            writeDirectText(out, p.label);
            out.number(p.sizeFactor);
            out.word(p.state);
        }
    }
    badgeFormat.writeSection(out);
    r.putPresence(derived_ != nullptr);
    r.writeRecord(out);
    if (derived_) derived_->writeSection(out);
    r.putPresence(regression_ != nullptr);
    r.writeRecord(out);
    if (regression_) regression_->writeSection(out);
}

bool PointSet::readSection(BinaryReader& in, int depth) {
    clear();
    RecordBuffer r;
    if (section_io::openSectionQuietly(in, r, kTag) != 1) return false;
    if (depth > kMaxSectionDepth) return section_io::refuse(in);
    std::int32_t list = 0;
    RecordReading io(r);
    setFields(*this, io, list);
    extent[0] = xmin;
    extent[1] = ymin;
    extent[2] = xmax;
    extent[3] = ymax;

    const auto damaged = [&] { return section_io::refuse(in); };
    if (list != 0) {
        std::int32_t count = 0;
        if (r.readRecord(in) < 0 || r.getWord(count) < 0) return damaged();
        if (!in.fits(count, kMinPointBytes)) return damaged();
        hasList_ = true;
        points_.reserve(static_cast<std::size_t>(count));
        for (std::int32_t i = 0; i < count; ++i) {
            DataPoint p;
            std::optional<std::string> label;
            if (!in.number(p.x) || !in.number(p.y) || !readDirectOptional(in, p.value) ||
                !readDirectText(in, label) || !in.number(p.sizeFactor) || !in.word(p.state)) {
                return damaged();
            }
            if (label && !label->empty()) p.label = toUtf8(*label);
            points_.push_back(std::move(p));
        }
    }
    if (!badgeFormat.readSection(in)) {
        in.fail();
        return false;
    }
    std::int32_t present = 0;
    if (r.readRecord(in) < 0) return damaged();
    r.getWord(present);
    if (present != 0) {
        auto derivedSet = std::make_unique<PointSet>();
        const bool ok = derivedSet->readSection(in, depth + 1);
        derived_ = std::move(derivedSet);
        if (!ok) {
            in.fail();
            return false;
        }
    }
    if (r.readRecord(in) < 0) return damaged();
    present = 0;
    r.getWord(present);
    if (present != 0) {
        auto regression = std::make_unique<PolynomialRegression>();
        if (!regression->readSection(in)) {
            // Its reader has said why; a wrong tag leaves the rest of the
            // section unread, so the file is not read further.
            in.fail();
            return false;
        }
        regression_ = std::move(regression);
    }
    return true;
}

}  // namespace gridova
