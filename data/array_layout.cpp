#include "data/array_layout.h"

#include <algorithm>
#include <cmath>

#include "data/line_source.h"
#include "data/number_reader.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {

namespace {

constexpr int kRedefine = 178;  // "Определите размерность массива заново"
constexpr int kBadColumns = 179;  // "Ошибка в размерности X"
constexpr int kBadRows = 180;     // "Ошибка в размерности Y"
constexpr int kBadLayers = 181;   // "Ошибка в размерности Z"

constexpr std::string_view kFormWithOrigin = "ArrayDimension:01";
constexpr std::string_view kFormWithoutOrigin = "ArrayDimension:00";

bool validCount(std::int64_t n) { return n >= 1 && n <= ArrayLayout::kMaxCount; }

bool validSize(double s) { return std::isfinite(s) && s > 0; }

bool allValid(const std::vector<double>& sizes) {
    return std::all_of(sizes.begin(), sizes.end(), validSize);
}

// One size when every size is the same.
OptionalValue commonSize(const std::vector<double>& sizes) {
    if (sizes.empty()) return {};
    const bool equal =
        std::all_of(sizes.begin(), sizes.end(), [&](double s) { return s == sizes.front(); });
    return equal ? OptionalValue(sizes.front()) : OptionalValue();
}

std::vector<double> centres(const std::vector<double>& sizes, double origin) {
    std::vector<double> c(sizes.size());
    double before = origin;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        c[i] = before + sizes[i] / 2;
        before += sizes[i];
    }
    return c;
}

std::string_view trimmed(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && blank(s.front())) s.remove_prefix(1);
    while (!s.empty() && blank(s.back())) s.remove_suffix(1);
    return s;
}

// The numbers of the next line that holds any (comment and empty lines are
// passed over); false at the end of the file.
bool nextNumbers(LineSource& lines, std::vector<double>& out, std::size_t wanted) {
    out.clear();
    std::string_view line;
    while (lines.next(line)) {
        if (line.empty() || line.front() == kNumberCommentMark) continue;
        Tokenizer tokens(line);
        while (tokens.hasNext() && out.size() < wanted) {
            if (const auto v = parseNumber(tokens.next())) out.push_back(*v);
        }
        if (!out.empty()) return true;
    }
    return false;
}

// The layout the file describes for `count` values; nothing when it does
// not describe them.
std::optional<ArrayLayout> parseDimensionFile(LineSource& lines, std::int64_t count) {
    std::string_view first;
    if (!lines.next(first)) return std::nullopt;
    const std::string_view form = trimmed(first);
    const bool withOrigin = form.starts_with(kFormWithOrigin);
    if (!withOrigin && !form.starts_with(kFormWithoutOrigin)) return std::nullopt;

    std::vector<double> numbers;
    if (!nextNumbers(lines, numbers, 3) || numbers.size() < 3) return std::nullopt;
    std::int64_t counts[3];
    for (int k = 0; k < 3; ++k) {
        const double v = numbers[static_cast<std::size_t>(k)];
        if (!(v >= 1 && v <= ArrayLayout::kMaxCount) || v != std::floor(v)) return std::nullopt;
        counts[k] = static_cast<std::int64_t>(v);
    }
    // Each count is at most 10^6: the product fits 64 bits.
    if (counts[0] * counts[1] * counts[2] != count) return std::nullopt;

    ArrayLayout layout;
    layout.nx = static_cast<std::int32_t>(counts[0]);
    layout.ny = static_cast<std::int32_t>(counts[1]);
    layout.nz = static_cast<std::int32_t>(counts[2]);
    if (withOrigin) {
        if (!nextNumbers(lines, numbers, 2) || numbers.size() < 2) return std::nullopt;
        if (!std::isfinite(numbers[0]) || !std::isfinite(numbers[1])) return std::nullopt;
        layout.originX.set(numbers[0]);
        layout.originY.set(numbers[1]);
    }
    const auto readSizes = [&](std::vector<double>& sizes, std::int32_t n) {
        sizes.clear();
        sizes.reserve(static_cast<std::size_t>(n));
        for (std::int32_t i = 0; i < n; ++i) {
            if (!nextNumbers(lines, numbers, 1) || !validSize(numbers[0])) return false;
            sizes.push_back(numbers[0]);
        }
        return true;
    };
    if (!readSizes(layout.columnWidths, layout.nx) || !readSizes(layout.rowHeights, layout.ny)) {
        return std::nullopt;
    }
    layout.layerThicknesses.assign(static_cast<std::size_t>(layout.nz), 1.0);
    layout.cellWidth = commonSize(layout.columnWidths);
    layout.cellHeight = commonSize(layout.rowHeights);
    return layout;
}

}  // namespace

ArrayLayout ArrayLayout::forValues(std::int64_t count) {
    ArrayLayout layout;
    layout.nx = static_cast<std::int32_t>(std::clamp<std::int64_t>(count, 1, kMaxCount));
    layout.rebuildSizes();
    return layout;
}

int ArrayLayout::setColumns(std::int64_t columns, std::int64_t count) {
    const std::int64_t perLayer = count / nz;
    if (!validCount(columns) || perLayer % columns != 0 || !validCount(perLayer / columns)) {
        return kBadColumns;
    }
    const bool changed = columns != nx;
    nx = static_cast<std::int32_t>(columns);
    ny = static_cast<std::int32_t>(perLayer / columns);
    if (changed) rebuildSizes();
    return 0;
}

int ArrayLayout::setRows(std::int64_t rows, std::int64_t count) {
    if (!validCount(rows)) return kBadRows;
    const std::int64_t perColumn = count / nx;
    if (perColumn % rows != 0) {
        // The rows take every value of one layer.
        nz = 1;
        ny = static_cast<std::int32_t>(std::min(perColumn, kMaxCount));
        rebuildSizes();
        return kBadRows;
    }
    const bool changed = rows != ny;
    ny = static_cast<std::int32_t>(rows);
    nz = static_cast<std::int32_t>(perColumn / rows);
    if (changed) rebuildSizes();
    return 0;
}

int ArrayLayout::setLayers(std::int64_t layers, std::int64_t count) {
    const std::int64_t perRow = count / ny;
    if (!validCount(layers) || perRow % layers != 0 || !validCount(perRow / layers)) {
        return kBadLayers;
    }
    const bool changed = layers != nz;
    nz = static_cast<std::int32_t>(layers);
    nx = static_cast<std::int32_t>(perRow / layers);
    if (changed) rebuildSizes();
    return 0;
}

void ArrayLayout::rebuildSizes() {
    columnWidths.assign(static_cast<std::size_t>(nx), cellWidth.present() ? cellWidth.value : 1.0);
    rowHeights.assign(static_cast<std::size_t>(ny), cellHeight.present() ? cellHeight.value : 1.0);
    layerThicknesses.assign(static_cast<std::size_t>(nz), 1.0);
}

void ArrayLayout::setCellWidth(double width) {
    cellWidth.set(width);
    columnWidths.assign(static_cast<std::size_t>(nx), width);
}

void ArrayLayout::setCellHeight(double height) {
    cellHeight.set(height);
    rowHeights.assign(static_cast<std::size_t>(ny), height);
}

bool ArrayLayout::setColumnWidths(const std::vector<double>& widths) {
    if (widths.size() != static_cast<std::size_t>(nx) || !allValid(widths)) return false;
    columnWidths = widths;
    cellWidth = commonSize(widths);
    return true;
}

bool ArrayLayout::setRowHeights(const std::vector<double>& heights) {
    if (heights.size() != static_cast<std::size_t>(ny) || !allValid(heights)) return false;
    rowHeights = heights;
    cellHeight = commonSize(heights);
    return true;
}

bool ArrayLayout::fits(std::int64_t count) const {
    return validCount(nx) && validCount(ny) && validCount(nz) &&
           std::int64_t{nx} * ny * nz == count &&
           columnWidths.size() == static_cast<std::size_t>(nx) &&
           rowHeights.size() == static_cast<std::size_t>(ny) && allValid(columnWidths) &&
           allValid(rowHeights);
}

std::vector<double> ArrayLayout::columnCentres() const {
    return centres(columnWidths, originX.present() ? originX.value : 0.0);
}

std::vector<double> ArrayLayout::rowCentres() const {
    // The heights run up the map from the origin; with the first row at
    // the top, the file's row i is the map's row ny - 1 - i.
    std::vector<double> c = centres(rowHeights, originY.present() ? originY.value : 0.0);
    if (topToBottom) std::reverse(c.begin(), c.end());
    return c;
}

DimensionFileRead readDimensionFile(const std::string& path, std::int64_t count,
                                    ArrayLayout& layout) {
    const FilePtr file = openReadQuiet(path);
    if (file == nullptr) return DimensionFileRead::Absent;
    FileLineSource lines(file.get());
    std::optional<ArrayLayout> read;
    try {
        read = parseDimensionFile(lines, count);
    } catch (const std::bad_alloc&) {
        read.reset();
    }
    if (!read || lines.failed()) {
        information(text(kRedefine));
        return DimensionFileRead::Mismatch;
    }
    read->topToBottom = layout.topToBottom;
    layout = std::move(*read);
    return DimensionFileRead::Taken;
}

bool writeDimensionFile(const std::string& path, const ArrayLayout& layout) {
    const auto file = openTextWrite(path);
    if (file == nullptr) return false;
    std::string out(kFormWithOrigin);
    out += '\n';
    out += std::to_string(layout.nx) + ' ' + std::to_string(layout.ny) + ' ' +
           std::to_string(layout.nz) + '\n';
    appendDouble(out, layout.originX.present() ? layout.originX.value : 0.0);
    out += ' ';
    appendDouble(out, layout.originY.present() ? layout.originY.value : 0.0);
    out += '\n';
    for (const std::vector<double>* sizes : {&layout.columnWidths, &layout.rowHeights}) {
        for (double s : *sizes) {
            appendDouble(out, s);
            out += '\n';
        }
    }
    std::fwrite(out.data(), 1, out.size(), file->file());
    return commitOrWarn(*file);
}

}  // namespace gridova
