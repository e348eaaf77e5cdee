#include "exchange/grid_export.h"
#include "exchange/little_endian.h"

#include <bit>
#include <charconv>
#include <cstdio>
#include <limits>
#include <tuple>
#include <utility>
#include <vector>

#include "grid/eq_net.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr int kValuesWritten = 185;  // "Значения поля (X %d  Y%d) записаны в файл"
constexpr int kBadColumns = 179;  // "Ошибка в размерности X"
constexpr int kBadRows = 180;     // "Ошибка в размерности Y"

constexpr std::int32_t kMaxRowCount = 1000;
constexpr std::int32_t kMaxCharCount = 20;
constexpr std::int32_t kMaxDecimalCount = 10;
constexpr std::int32_t kMaxGrdNodes = 32767;  // int16 counts

// The ends of the export rectangle along one direction: the given ones, or
// the midpoints of the first two and of the last two nodes.
std::pair<double, double> defaultRange(const std::vector<double>& nodes) {
    const std::size_t n = nodes.size();
    if (n < 2) return {nodes.front(), nodes.back()};
    return {(nodes[0] + nodes[1]) / 2, (nodes[n - 2] + nodes[n - 1]) / 2};
}

std::vector<std::int32_t> nodesWithin(const std::vector<double>& nodes, double lo, double hi) {
    std::vector<std::int32_t> inside;
    for (std::size_t k = 0; k < nodes.size(); ++k) {
        if (nodes[k] >= lo && nodes[k] <= hi) inside.push_back(static_cast<std::int32_t>(k));
    }
    return inside;
}

// The columns and rows of the nodes to write, both ascending; both empty
// when no node lies in the rectangle.
struct Selection {
    std::vector<std::int32_t> columns;
    std::vector<std::int32_t> rows;
};

Selection selectNodes(const EqNet& grid, const std::optional<DRect>& rectangle) {
    double minX, maxX, minY, maxY;
    if (rectangle) {
        minX = rectangle->minX;
        maxX = rectangle->maxX;
        minY = rectangle->minY;
        maxY = rectangle->maxY;
    } else {
        std::tie(minX, maxX) = defaultRange(grid.nodeX());
        std::tie(minY, maxY) = defaultRange(grid.nodeY());
    }
    Selection s{nodesWithin(grid.nodeX(), minX, maxX), nodesWithin(grid.nodeY(), minY, maxY)};
    if (s.columns.empty() || s.rows.empty()) s = {};
    return s;
}

bool usableValues(const EqNet& grid) {
    return !grid.empty() && grid.values().size() == static_cast<std::size_t>(grid.nodeCount());
}

// Whether the node lies outside the area; a grid without a mask has every
// node inside.
bool outside(const EqNet& grid, std::size_t index) {
    const auto& mask = grid.mask();
    return mask.size() == grid.values().size() && mask[index] == kMaskOutside;
}

std::size_t flatIndex(const EqNet& grid, std::int32_t i, std::int32_t j) {
    return static_cast<std::size_t>(i) +
           static_cast<std::size_t>(j) * static_cast<std::size_t>(grid.nx());
}

// " %*.*f" in the C locale: to_chars ignores the program's locale, so the
// point stays a point.
void appendNumber(std::string& out, double v, std::int32_t width, std::int32_t decimals) {
    // The longest fixed form of a double: 309 integer digits, sign, point
    // and the decimals.
    char buffer[400];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, decimals);
    const std::size_t length = ec == std::errc() ? static_cast<std::size_t>(end - buffer) : 0;
    out.push_back(' ');
    if (length < static_cast<std::size_t>(width)) out.append(width - length, ' ');
    out.append(buffer, length);
}

bool writeText(std::FILE* file, const std::string& s) {
    return std::fwrite(s.data(), 1, s.size(), file) == s.size();
}

// The first character of the comment (a whole UTF-8 sequence).
std::string firstCharacter(const std::string& comment) {
    std::size_t n = comment.empty() ? 0 : 1;
    while (n < comment.size() && (static_cast<unsigned char>(comment[n]) & 0xC0) == 0x80) ++n;
    return comment.substr(0, n);
}

bool writeBlock(std::FILE* file, const EqNet& grid, const Selection& s, const DigitOutput& f) {
    if (!f.comment.empty()) {
        std::string header = firstCharacter(f.comment);
        header += " X = " + std::to_string(s.columns.size()) +
                  "  Y = " + std::to_string(s.rows.size()) + "\n";
        if (!writeText(file, header)) return false;
    }
    std::string line;
    for (auto row = s.rows.rbegin(); row != s.rows.rend(); ++row) {
        line.clear();
        std::int32_t onLine = 0;
        for (std::int32_t i : s.columns) {
            const std::size_t k = flatIndex(grid, i, *row);
            appendNumber(line, outside(grid, k) ? 0.0 : grid.values()[k], f.charCount,
                         f.decimalCount);
            if (++onLine == f.rowCount) {
                line.push_back('\n');
                onLine = 0;
            }
        }
        if (onLine != 0) line.push_back('\n');
        if (!writeText(file, line)) return false;
    }
    return true;
}

bool writeTriples(std::FILE* file, const EqNet& grid, const Selection& s, const DigitOutput& f) {
    std::string line;
    for (auto row = s.rows.rbegin(); row != s.rows.rend(); ++row) {
        line.clear();
        const double y = grid.nodeY()[static_cast<std::size_t>(*row)];
        for (std::int32_t i : s.columns) {
            appendNumber(line, grid.nodeX()[static_cast<std::size_t>(i)], f.charCount,
                         f.decimalCount);
            appendNumber(line, y, f.charCount, f.decimalCount);
            appendNumber(line, grid.values()[flatIndex(grid, i, *row)], f.charCount,
                         f.decimalCount);
            line.push_back('\n');
        }
        if (!writeText(file, line)) return false;
    }
    return true;
}

void showWritten(const GridExportResult& result) {
    information(formatText(text(kValuesWritten),
                           {std::int64_t{result.columns}, std::int64_t{result.rows}}));
}

void putDouble(std::vector<std::uint8_t>& out, double v) {
    const auto bits = std::bit_cast<std::uint64_t>(v);
    put32(out, static_cast<std::uint32_t>(bits));
    put32(out, static_cast<std::uint32_t>(bits >> 32));
}

// The float32 bits of a value; values beyond the float range become
// infinities rather than an undefined conversion.
std::uint32_t floatBits(double v) {
    constexpr double kLargest = std::numeric_limits<float>::max();
    float f;
    if (v > kLargest) {
        f = std::numeric_limits<float>::infinity();
    } else if (v < -kLargest) {
        f = -std::numeric_limits<float>::infinity();
    } else {
        f = static_cast<float>(v);
    }
    return std::bit_cast<std::uint32_t>(f);
}

bool writeBytes(std::FILE* file, const std::vector<std::uint8_t>& bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

}  // namespace

void DigitOutput::readProfile() {
    *this = DigitOutput{};
    const auto readInRange = [](const char* key, std::int32_t& value, std::int32_t lo,
                                std::int32_t hi) {
        std::int32_t v = 0;
        if (readProfileInt(kSection, key, v) == 0 && v >= lo && v <= hi) value = v;
    };
    readInRange("RowCount", rowCount, 1, kMaxRowCount);
    readInRange("CharCount", charCount, 1, kMaxCharCount);
    readInRange("DecimalCount", decimalCount, 0, kMaxDecimalCount);
    std::int32_t xyz = 0;
    readInRange("XYZFormat", xyz, 0, 1);
    xyzFormat = xyz == 1;
    std::string c;
    if (readProfileText(kSection, "Comment", c) == 0) comment = c;
}

void DigitOutput::writeProfile() const {
    writeProfileInt(kSection, "RowCount", rowCount);
    writeProfileInt(kSection, "CharCount", charCount);
    writeProfileInt(kSection, "DecimalCount", decimalCount);
    writeProfileText(kSection, "Comment", comment);
    writeProfileInt(kSection, "XYZFormat", xyzFormat ? 1 : 0);
}

void DigitOutput::clampToRanges() {
    if (rowCount < 1 || rowCount > kMaxRowCount) rowCount = kDefaultRowCount;
    if (charCount < 1 || charCount > kMaxCharCount) charCount = kDefaultCharCount;
    if (decimalCount < 0 || decimalCount > kMaxDecimalCount) decimalCount = kDefaultDecimalCount;
}

GridExportResult exportText(const EqNet& grid, const std::optional<std::string>& fileName,
                            const std::optional<DRect>& rectangle, GridExportDialogs* dialogs) {
    if (!usableValues(grid)) return {};
    const Selection s = selectNodes(grid, rectangle);
    GridExportResult result;
    result.columns = static_cast<std::int32_t>(s.columns.size());
    result.rows = static_cast<std::int32_t>(s.rows.size());

    DigitOutput format;
    format.readProfile();
    std::string path;
    const bool interactive = !fileName;
    if (fileName) {
        format.comment = "*";
        path = *fileName;
    } else {
        if (dialogs == nullptr) return result;
        auto chosen = dialogs->chooseFile(kGridTextExtension);
        if (!chosen) return result;
        path = std::move(*chosen);
        auto edited = dialogs->editFormat(format);
        if (!edited) return result;
        format = std::move(*edited);
        format.clampToRanges();
        format.writeProfile();
    }

    const auto out = openTextWrite(path);
    if (!out) return result;
    const bool ok = format.xyzFormat ? writeTriples(out->file(), grid, s, format)
                                     : writeBlock(out->file(), grid, s, format);
    if (!ok) {
        out->discard();  // commitOrWarn then reports the failure
    }
    result.written = commitOrWarn(*out);
    if (result.written && interactive && !format.xyzFormat) showWritten(result);
    return result;
}

GridExportResult exportGrd(const EqNet& grid, const std::optional<std::string>& fileName,
                           const std::optional<DRect>& rectangle, GridExportDialogs* dialogs) {
    if (!usableValues(grid)) return {};
    const Selection s = selectNodes(grid, rectangle);
    GridExportResult result;
    result.columns = static_cast<std::int32_t>(s.columns.size());
    result.rows = static_cast<std::int32_t>(s.rows.size());
    if (result.columns < 1 || result.columns > kMaxGrdNodes) {
        warning(text(kBadColumns));
        return result;
    }
    if (result.rows > kMaxGrdNodes) {
        warning(text(kBadRows));
        return result;
    }

    std::string path;
    const bool interactive = !fileName;
    if (fileName) {
        path = *fileName;
    } else {
        if (dialogs == nullptr) return result;
        auto chosen = dialogs->chooseFile(kGridGrdExtension);
        if (!chosen) return result;
        path = std::move(*chosen);
    }

    double zlo = std::numeric_limits<double>::infinity();
    double zhi = -zlo;
    for (std::int32_t j : s.rows) {
        for (std::int32_t i : s.columns) {
            const std::size_t k = flatIndex(grid, i, j);
            if (outside(grid, k)) continue;
            const double v = grid.values()[k];
            if (v < zlo) zlo = v;
            if (v > zhi) zhi = v;
        }
    }
    if (zlo > zhi) zlo = zhi = 0.0;  // no node inside the area

    std::vector<std::uint8_t> bytes{'D', 'S', 'B', 'B'};
    put16(bytes, static_cast<std::uint32_t>(result.columns));
    put16(bytes, static_cast<std::uint32_t>(result.rows));
    putDouble(bytes, grid.nodeX()[static_cast<std::size_t>(s.columns.front())]);
    putDouble(bytes, grid.nodeX()[static_cast<std::size_t>(s.columns.back())]);
    putDouble(bytes, grid.nodeY()[static_cast<std::size_t>(s.rows.front())]);
    putDouble(bytes, grid.nodeY()[static_cast<std::size_t>(s.rows.back())]);
    putDouble(bytes, zlo);
    putDouble(bytes, zhi);

    const auto out = openBinaryWrite(path);
    if (!out) return result;
    bool ok = writeBytes(out->file(), bytes);
    for (std::int32_t j : s.rows) {
        if (!ok) break;
        bytes.clear();
        for (std::int32_t i : s.columns) {
            const std::size_t k = flatIndex(grid, i, j);
            put32(bytes, outside(grid, k) ? kGrdBlankBits : floatBits(grid.values()[k]));
        }
        ok = writeBytes(out->file(), bytes);
    }
    if (!ok) out->discard();  // commitOrWarn then reports the failure
    result.written = commitOrWarn(*out);
    if (result.written && interactive) showWritten(result);
    return result;
}

}  // namespace gridova
