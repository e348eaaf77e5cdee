#include "data/data_table.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <new>

#include "data/line_source.h"
#include "data/tokenizer.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kTextInput = 17;  // "Ввод..."
constexpr int kCannotOpen = 202;  // "Нельзя открыть файл %s для считывания"
constexpr int kStoppedByUser = 418;  // "Процесс остановлен пользователем"
constexpr int kLineCut = 9001;       // "Строка %d длиннее %d байт: ..."
constexpr int kReadError = 9002;  // "Ошибка чтения файла %s: ..."
constexpr int kStatusEveryLines = 200;
constexpr long long kSampleLines = 4096;   // lines read before reserving room
constexpr double kMaxReserveFactor = 4.0;  // bytes reserved per byte of text, at most

const double kEmptyCell = std::numeric_limits<double>::quiet_NaN();

InputFormatDialog* gInputFormatDialog = nullptr;

// The line as UTF-8: a line that is not valid UTF-8 was written as
// Windows-1251.
std::string_view asUtf8(std::string_view line, std::string& scratch) {
    if (isValidUtf8(line)) return line;
    scratch = cp1251ToUtf8(line);
    return scratch;
}

}  // namespace

InputFormat InputFormat::load() {
    InputFormat f;
    readProfileInt(kSection, "ColumnX", f.columnX);
    readProfileInt(kSection, "ColumnY", f.columnY);
    readProfileInt(kSection, "ColumnValue", f.columnValue);
    readProfileInt(kSection, "ColumnLabel", f.columnLabel);
    readProfileInt(kSection, "ShowDialog", f.showDialog);
    return f;
}

void InputFormat::save() const {
    writeProfileInt(kSection, "ColumnX", columnX);
    writeProfileInt(kSection, "ColumnY", columnY);
    writeProfileInt(kSection, "ColumnValue", columnValue);
    writeProfileInt(kSection, "ColumnLabel", columnLabel);
    writeProfileInt(kSection, "ShowDialog", showDialog);
}

void setInputFormatDialog(InputFormatDialog* dialog) { gInputFormatDialog = dialog; }

void DataTable::reset() {
    rows_.clear();
    cells_.clear();
    labels_.clear();
    headers_.clear();
    hasLabels_ = false;
    firstCutLine_ = 0;
}

void DataTable::setFormat(const InputFormat& format) {
    format_ = format;
    labelColumn_ = format.columnLabel;
}

std::size_t DataTable::cellCount(std::size_t row) const {
    return row < rows_.size() ? rows_[row].cellCount : 0;
}

OptionalValue DataTable::cell(std::size_t row, std::size_t index) const {
    if (row >= rows_.size() || index == 0 || index >= rows_[row].cellCount) return {};
    const double v = cells_[rows_[row].firstCell + index];
    return std::isnan(v) ? OptionalValue() : OptionalValue(v);
}

std::optional<std::string_view> DataTable::label(std::size_t row) const {
    if (row >= rows_.size() || rows_[row].labelOffset == kNoLabel) return std::nullopt;
    return std::string_view(labels_).substr(rows_[row].labelOffset, rows_[row].labelSize);
}

void DataTable::beginRow() {
    rows_.push_back(Row{cells_.size(), 1, 0, kNoLabel});
    cells_.push_back(kEmptyCell);  // the label slot
}

void DataTable::addCell(OptionalValue value) {
    // A row holds at most 2^32 - 1 cells; a longer line is cut there.
    if (rows_.back().cellCount == UINT32_MAX) return;
    cells_.push_back(value.present() ? value.value : kEmptyCell);
    ++rows_.back().cellCount;
}

void DataTable::endRow(std::optional<std::string_view> name) {
    if (name && !name->empty()) {
        const std::string_view n = name->substr(0, UINT32_MAX);
        rows_.back().labelOffset = labels_.size();
        rows_.back().labelSize = static_cast<std::uint32_t>(n.size());
        labels_.append(n);
    }
}

void DataTable::reserveFor(std::uint64_t textBytes, std::uint64_t sampleBytes) {
    if (rows_.empty() || sampleBytes == 0 || textBytes <= sampleBytes) return;
    // Scale what the sample needed to the whole text, with a little room.
    const double factor = 1.05 * static_cast<double>(textBytes) / static_cast<double>(sampleBytes);
    const auto scaled = [&](std::size_t n) {
        return static_cast<std::size_t>(static_cast<double>(n) * factor);
    };
    const std::size_t rows = scaled(rows_.size());
    const std::size_t cells = scaled(cells_.size());
    const std::size_t labels = scaled(labels_.size());
    // A sample that is not like the rest of the text could ask for far more
    // than the text needs: reserve only what stays within a few bytes of
    // memory per byte of text (ordinary data files need about two).
    const double bytes = static_cast<double>(rows) * sizeof(Row) +
                         static_cast<double>(cells) * sizeof(double) + static_cast<double>(labels);
    if (bytes > kMaxReserveFactor * static_cast<double>(textBytes)) return;
    try {
        rows_.reserve(rows);
        cells_.reserve(cells);
        labels_.reserve(labels);
    } catch (const std::bad_alloc&) {
        // Growing as we go is still possible.
    }
}

void DataTable::editInputFormat() {
    if (gInputFormatDialog == nullptr) return;
    InputFormat format = InputFormat::load();
    if (gInputFormatDialog->edit(format)) format.save();
}

void DataTable::reportSourceProblems(const LineSource& source, const std::string& path) {
    if (source.cutLines() > 0) {
        log(formatText(text(kLineCut), {static_cast<std::int64_t>(firstCutLine_),
                                        static_cast<std::int64_t>(LineSource::kMaxLineBytes)}));
    }
    switch (source.failure()) {
        case LineSource::Failure::None:
            break;
        case LineSource::Failure::OutOfMemory:
            outOfMemory();
            break;
        case LineSource::Failure::ReadError:
            warning(formatText(text(kReadError), {path}));
            break;
    }
}

void DataTable::readLines(LineSource& source, bool clipboardForm, bool withScope) {
    WaitCancelScope scope(text(kTextInput), true, withScope);
    std::string scratch;
    std::string tabless;
    std::string_view raw;
    long long n = 0;
    try {
        while (source.next(raw)) {
            ++n;
            if (source.cutLines() == 1 && firstCutLine_ == 0) firstCutLine_ = n;
            if (scope.cancelled()) {
                information(text(kStoppedByUser));
                break;
            }
            if (n == kSampleLines) reserveFor(source.size(), source.consumed());
            if (n % kStatusEveryLines == 0) {
                setStatusText(formatText("Input line %d", {static_cast<std::int64_t>(n)}));
            }
            std::string_view line = asUtf8(raw, scratch);
            if (clipboardForm && line.find('\t') != std::string_view::npos) {
                tabless.assign(line);
                for (char& c : tabless) {
                    if (c == '\t') c = ' ';
                }
                line = tabless;
            }

            // Title lines at the top.
            if (n <= 4 && headers_.size() < kMaxHeaders) {
                Tokenizer first(line);
                const std::string_view token = first.hasNext() ? first.next() : std::string_view();
                if (!isNumber(token)) {
                    headers_.emplace_back(line);
                    continue;
                }
            }
            if (line.empty()) continue;

            const std::size_t rowsBefore = rows_.size();
            const std::size_t cellsBefore = cells_.size();
            try {
                Tokenizer tokens(line);
                std::optional<std::string_view> name;
                for (std::int64_t j = 0; tokens.hasNext(); ++j) {
                    const std::string_view token = tokens.next();
                    if (j == labelColumn_ && !token.empty()) {
                        name = token;
                        hasLabels_ = true;
                    }
                    if (const auto v = parseNumber(token)) {
                        if (j == 0) beginRow();
                        addCell(OptionalValue(*v));
                    } else if (j == 0) {
                        beginRow();  // its empty cell is the label slot
                    } else {
                        addCell(OptionalValue());
                    }
                }
                if (rows_.size() > rowsBefore) endRow(name);
            } catch (const std::bad_alloc&) {
                // The row that could not be stored is dropped.
                rows_.resize(rowsBefore);
                cells_.resize(cellsBefore);
                outOfMemory();
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
}

void DataTable::loadFormatAskingWhenWanted() {
    setFormat(InputFormat::load());
    if (format_.showDialog == 1 && gInputFormatDialog != nullptr) {
        InputFormat chosen = format_;
        if (gInputFormatDialog->edit(chosen)) {
            chosen.save();
            setFormat(chosen);
        }
    }
}

void DataTable::readFile(const std::string& path) {
    reset();
    loadFormatAskingWhenWanted();
    FilePtr file = openReadQuiet(path);
    if (!file) {
        warning(formatText(text(kCannotOpen), {path}));
        return;
    }
    FileLineSource source(file.get());
    readLines(source, false, true);
    reportSourceProblems(source, path);
}

void DataTable::readText(std::string_view textBlock) {
    reset();
    loadFormatAskingWhenWanted();
    TextLineSource source(textBlock);
    readLines(source, true, true);
    reportSourceProblems(source, {});
}

void DataTable::readCoordinateFile(const std::string& path) {
    reset();
    setFormat(InputFormat::load());
    labelColumn_ = 0;
    FilePtr file = openReadQuiet(path);
    if (!file) {
        warning(formatText(text(kCannotOpen), {path}));
        return;
    }
    FileLineSource source(file.get());
    readCoordinateLines(source, path);
}

void DataTable::readCoordinateText(std::string_view text) {
    reset();
    setFormat(InputFormat::load());
    labelColumn_ = 0;
    TextLineSource source(text);
    readCoordinateLines(source, {});
}

void DataTable::readCoordinateLines(LineSource& source, const std::string& path) {
    std::string scratch;
    std::string_view raw;
    long long n = 0;
    while (source.next(raw)) {
        ++n;
        if (source.cutLines() == 1 && firstCutLine_ == 0) firstCutLine_ = n;
        const std::size_t rowsBefore = rows_.size();
        const std::size_t cellsBefore = cells_.size();
        try {
            const std::string_view line = asUtf8(raw, scratch);
            Tokenizer tokens(line);
            std::optional<std::string_view> name;
            bool started = false;
            for (std::int64_t j = 0; tokens.hasNext(); ++j) {
                tokens.skipOneLeadingSeparator();
                if (!tokens.hasNext()) break;
                const std::string_view token = tokens.next();
                if (j == 0) {
                    if (!token.empty()) name = token;
                } else if (const auto v = parseNumber(token)) {
                    if (!started) {
                        beginRow();
                        started = true;
                    }
                    addCell(OptionalValue(*v));
                }
            }
            if (started) {
                endRow(name);
                if (name) hasLabels_ = true;
            }
        } catch (const std::bad_alloc&) {
            // The row that could not be stored is dropped.
            rows_.resize(rowsBefore);
            cells_.resize(cellsBefore);
            outOfMemory();
            return;
        }
    }
    reportSourceProblems(source, path);
}

}  // namespace gridova
