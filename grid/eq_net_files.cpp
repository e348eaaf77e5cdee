// The grid's files: the ".net" text file, the "EN01"/"EX01" document
// sections, and the area and volume reports.
#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "data/line_source.h"
#include "data/section_io.h"
#include "data/tokenizer.h"
#include "grid/eq_net.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr int kNotAGridFile = 183;  // "Файл %s не имеет определенный формат сетки!"
constexpr int kGridFileTooLarge = 9034;  // "Сетка файла %s слишком велика: ..."
constexpr int kGridFileCutShort = 9035;  // "Файл %s обрывается: шагов сетки меньше, ..."
constexpr std::string_view kSectionTag = "EN01";
constexpr std::string_view kExtraTag = "EX01";

}  // namespace

// --- The ".net" text file ----------------------------------------------------

bool EqNet::writeFile(const std::string& path) const {
    auto out = openTextWrite(path);
    if (!out) return false;
    std::string s;
    s += kFileTag;
    s += '\n' + std::to_string(gridType) + '\n';
    appendDouble(s, cellLength);
    s += '\n';
    // The four corners on one line (a corner equal to the last must not end
    // it early: the reader wants them together).
    const double corners[] = {extent_.minX, extent_.minY, extent_.maxX, extent_.maxY};
    for (std::size_t k = 0; k < 4; ++k) {
        appendDouble(s, corners[k]);
        s += k == 3 ? '\n' : ' ';
    }
    s += std::to_string(nx_) + '\n';
    for (double v : stepX_) {
        appendDouble(s, v);
        s += '\n';
    }
    s += std::to_string(ny_) + '\n';
    for (double v : stepY_) {
        appendDouble(s, v);
        s += '\n';
    }
    if (std::fwrite(s.data(), 1, s.size(), out->file()) != s.size()) return false;
    return commitOrWarn(*out);
}

bool EqNet::readFile(const std::string& path) {
    FilePtr file = openReadQuiet(path);
    if (!file) return false;
    FileLineSource lines(file.get());
    return readLines(lines, path);
}

bool EqNet::readText(std::string_view text, const std::string& name) {
    TextLineSource lines(text);
    return readLines(lines, name);
}

bool EqNet::readLines(LineSource& lines, const std::string& path) {
    std::string_view line;
    const auto nextLine = [&]() -> std::optional<std::string_view> {
        if (!lines.next(line)) return std::nullopt;
        return line;
    };
    const auto refuse = [&] {
        warning(formatText(text(kNotAGridFile), {path}));
        return false;
    };
    const auto first = nextLine();
    if (!first) return refuse();
    Tokenizer tag(*first);
    const std::string_view word = tag.hasNext() ? tag.next() : std::string_view();
    const bool current = word == kFileTag;
    if (!current && word != kOldFileTag) return refuse();

    std::int32_t type = 0;
    double length = 0.0;
    if (current) {
        const auto t = nextLine();
        const auto parsedType = t ? parseInteger(*t) : std::nullopt;
        const auto l = parsedType ? nextLine() : std::nullopt;
        const auto parsedLength = l ? parseNumber(*l) : std::nullopt;
        if (!parsedType || !parsedLength) return refuse();
        type = *parsedType;
        length = *parsedLength;
    }
    const auto box = nextLine();
    if (!box) return refuse();
    double e[4];
    Tokenizer numbers(*box);
    for (double& v : e) {
        const auto n = numbers.hasNext() ? parseNumber(numbers.next()) : std::nullopt;
        if (!n) return refuse();
        v = *n;
    }
    // The counts of nodes, each followed by its steps, one a line.
    const auto readCount = [&]() -> std::optional<std::int32_t> {
        const auto countLine = nextLine();
        const auto count = countLine ? parseInteger(*countLine) : std::nullopt;
        if (!count || *count < 1) return std::nullopt;
        return count;
    };
    const auto readSteps = [&](std::int32_t count, std::vector<double>& steps) {
        steps.clear();
        for (std::int32_t k = 0; k + 1 < count; ++k) {
            const auto s = nextLine();
            const auto v = s ? parseNumber(*s) : std::nullopt;
            if (!v) return false;
            steps.push_back(*v);
        }
        return true;
    };
    // Each step is a line of its own, so the file's size bounds a count; a
    // grid of more nodes than a grid may have is refused before anything is
    // read for it.
    const auto tooLarge = [&](std::int64_t nx, std::int64_t ny) {
        warning(formatText(text(kGridFileTooLarge), {path, nx, ny, kMaxNodes}));
        return false;
    };
    const auto cutShort = [&](std::int64_t count) {
        warning(formatText(text(kGridFileCutShort), {path, count}));
        return false;
    };
    std::vector<double> sx, sy;
    const auto nx = readCount();
    if (!nx) return refuse();
    if (*nx > kMaxNodes) return tooLarge(*nx, 1);
    if (static_cast<std::uint64_t>(*nx) > lines.size() + 1) return cutShort(*nx);
    try {
        if (!readSteps(*nx, sx)) return refuse();
        const auto ny = readCount();
        if (!ny) return refuse();
        if (!validCounts(*nx, *ny)) return tooLarge(*nx, *ny);
        if (static_cast<std::uint64_t>(*ny) > lines.size() + 1) return cutShort(*ny);
        if (!readSteps(*ny, sy)) return refuse();
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return false;
    }
    if (!setLayout(std::move(sx), std::move(sy), std::min(e[0], e[2]), std::min(e[1], e[3]))) {
        return refuse();
    }
    gridType = type;
    cellLength = length;
    return true;
}

std::unique_ptr<EqNet> EqNet::fromFile(const std::string& path) {
    auto grid = std::make_unique<EqNet>();
    grid->readFile(path);
    return grid;
}

// --- Document sections ----------------------------------------------------------

void EqNet::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kSectionTag);
    r.putWord(showGrid);
    r.putWord(maxIterations);
    r.putWord(reserved1);
    r.putWord(valuesValid_);
    r.putWord(displayState);
    r.putWord(static_cast<std::int32_t>(method));
    r.putWord(reserved2);
    r.putWord(solver);
    r.putWord(lastRunValid);
    r.putWord(lastIterations);
    for (double v : {relaxation, precision, minValue_, maxValue_, lastSeconds, lastError}) {
        r.putDouble(v);
    }
    r.putOptional(borderValue.enabled != 0 ? OptionalValue(borderValue.value) : OptionalValue());
    r.putWord(nx_);
    r.putWord(ny_);
    const bool present[6] = {!nodeX_.empty(), !nodeY_.empty(),  !stepX_.empty(),
                             !stepY_.empty(), !values_.empty(), !mask_.empty()};
    for (bool p : present) r.putPresence(p);
    r.writeRecord(out);
    if (present[0]) writeDirectDoubles(out, nodeX_);
    if (present[1]) writeDirectDoubles(out, nodeY_);
    if (present[2]) writeDirectDoubles(out, stepX_);
    if (present[3]) writeDirectDoubles(out, stepY_);
    if (present[4]) writeDirectDoubles(out, values_);
    if (present[5]) writeDirectWords(out, mask_);
    extent_.writeSection(out);
    colorScale.writeSection(out);

    r.putString(kExtraTag);
    r.putWord(defaultFilter);
    r.putWord(filterOn);
    r.putWord(filterSign);
    r.putWord(static_cast<std::int32_t>(cellColor));
    r.putWord(cellBorder);
    r.putDouble(filterValue);
    r.writeRecord(out);
}

bool EqNet::readSection(BinaryReader& in) {
    values_.clear();
    mask_.clear();
    RecordBuffer r;
    if (section_io::openSectionQuietly(in, r, kSectionTag) != 1) return false;
    const auto damaged = [&] { return section_io::refuse(in); };
    std::int32_t valid = 0, m = static_cast<std::int32_t>(method);
    r.getWord(showGrid);
    r.getWord(maxIterations);
    r.getWord(reserved1);
    r.getWord(valid);
    r.getWord(displayState);
    r.getWord(m);
    method = static_cast<InterpolationMethod>(m);
    r.getWord(reserved2);
    r.getWord(solver);
    r.getWord(lastRunValid);
    r.getWord(lastIterations);
    for (double* v : {&relaxation, &precision, &minValue_, &maxValue_, &lastSeconds, &lastError}) {
        r.getDouble(*v);
    }
    OptionalValue border;
    r.getOptional(border);
    borderValue = {border.flag != 0 ? 1 : 0, border.value};
    std::int32_t nx = 0, ny = 0;
    r.getWord(nx);
    r.getWord(ny);
    std::int32_t present[6] = {};
    for (std::int32_t& p : present) r.getWord(p);
    if (nx < 0 || ny < 0 || (nx > 0 && ny > 0 && !validCounts(nx, ny))) return damaged();
    const std::size_t count = static_cast<std::size_t>(nx) * static_cast<std::size_t>(ny);
    std::vector<double> nodeX, nodeY, stepX, stepY, values;
    std::vector<std::int32_t> mask;
    // Each array must have the length its grid asks for.
    const auto readDoubles = [&](bool wanted, std::vector<double>& a, std::size_t expected) {
        if (!wanted) return true;
        return readDirectDoubles(in, a) && a.size() == expected;
    };
    if (!readDoubles(present[0] != 0, nodeX, static_cast<std::size_t>(nx)) ||
        !readDoubles(present[1] != 0, nodeY, static_cast<std::size_t>(ny)) ||
        !readDoubles(present[2] != 0, stepX, nx > 0 ? static_cast<std::size_t>(nx - 1) : 0) ||
        !readDoubles(present[3] != 0, stepY, ny > 0 ? static_cast<std::size_t>(ny - 1) : 0) ||
        !readDoubles(present[4] != 0, values, count)) {
        return damaged();
    }
    if (present[5] != 0 && (!readDirectWords(in, mask) || mask.size() != count)) return damaged();
    DRect extent;
    if (!extent.readSection(in)) return damaged();
    if (!colorScale.readSection(in)) return damaged();

    nx_ = nx;
    ny_ = ny;
    stepX_ = std::move(stepX);
    stepY_ = std::move(stepY);
    extent_ = extent;
    if (nodeX.size() == static_cast<std::size_t>(nx) &&
        nodeY.size() == static_cast<std::size_t>(ny) &&
        (stepX_.size() + 1 != static_cast<std::size_t>(nx) ||
         stepY_.size() + 1 != static_cast<std::size_t>(ny))) {
        // Coordinates without steps: take the steps from the coordinates.
        stepX_.clear();
        stepY_.clear();
        for (std::size_t i = 1; i < nodeX.size(); ++i) stepX_.push_back(nodeX[i] - nodeX[i - 1]);
        for (std::size_t j = 1; j < nodeY.size(); ++j) stepY_.push_back(nodeY[j] - nodeY[j - 1]);
    }
    if (stepX_.size() + 1 != static_cast<std::size_t>(std::max(nx, 1)) ||
        stepY_.size() + 1 != static_cast<std::size_t>(std::max(ny, 1))) {
        nx_ = ny_ = 0;
        stepX_.clear();
        stepY_.clear();
    }
    buildNodes();
    if (!nodeX.empty() && nodeX.size() == nodeX_.size()) nodeX_ = std::move(nodeX);
    if (!nodeY.empty() && nodeY.size() == nodeY_.size()) nodeY_ = std::move(nodeY);
    extent_ = extent;
    values_ = std::move(values);
    mask_ = std::move(mask);
    valuesValid_ = values_.empty() ? 0 : valid;

    if (r.readRecord(in) < 0) return damaged();
    if (r.checkTag({kExtraTag}) != 1) return damaged();
    r.getWord(defaultFilter);
    r.getWord(filterOn);
    r.getWord(filterSign);
    std::int32_t colour = static_cast<std::int32_t>(cellColor);
    r.getWord(colour);
    cellColor = static_cast<gdi::ColorRef>(colour) & 0xFFFFFFu;
    r.getWord(cellBorder);
    r.getDouble(filterValue);
    return true;
}

// --- Area and volume reports -----------------------------------------------------

namespace {

bool writeReport(const std::string& path, const PointSet& points, const LineList* polygons,
                 const std::function<double(const Line&)>& measure) {
    if (polygons == nullptr || polygons->size() != points.size()) return false;
    auto out = openTextWrite(path);
    if (!out) return false;
    PointSet report;
    for (std::size_t k = 0; k < points.size(); ++k) {
        DataPoint p = points.points()[k];
        p.value.set(measure(polygons->lines()[k]));
        report.addExisting(std::move(p));
    }
    if (!report.writeText(out->file())) return false;
    return commitOrWarn(*out);
}

}  // namespace

bool EqNet::writeAreaReport(const std::string& path, const PointSet& points) const {
    return writeReport(path, points, pointPolygons.get(),
                       [](const Line& polygon) { return polygon.area(); });
}

bool EqNet::writeVolumeReport(const std::string& path, const PointSet& points) const {
    if (!hasValues()) return false;
    return writeReport(path, points, pointPolygons.get(),
                       [this](const Line& polygon) { return volumeOver(polygon); });
}

}  // namespace gridova
