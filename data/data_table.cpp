#include "data/data_table.h"

#include <new>

#include "data/line_source.h"
#include "data/tokenizer.h"
#include "platform/files.h"
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
constexpr int kStatusEveryLines = 200;

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
    return cells_[rows_[row].firstCell + index];
}

std::optional<std::string_view> DataTable::label(std::size_t row) const {
    if (row >= rows_.size() || rows_[row].label < 0) return std::nullopt;
    return labels_[static_cast<std::size_t>(rows_[row].label)];
}

void DataTable::beginRow() {
    rows_.push_back(Row{cells_.size(), 0, -1});
    cells_.emplace_back();  // the label slot
    rows_.back().cellCount = 1;
}

void DataTable::addCell(OptionalValue value) {
    cells_.push_back(value);
    ++rows_.back().cellCount;
}

void DataTable::endRow(std::optional<std::string_view> name) {
    if (name && !name->empty()) {
        rows_.back().label = static_cast<std::int64_t>(labels_.size());
        labels_.emplace_back(*name);
    }
}

void DataTable::editInputFormat() {
    if (gInputFormatDialog == nullptr) return;
    InputFormat format = InputFormat::load();
    if (gInputFormatDialog->edit(format)) format.save();
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
            if (scope.cancelled()) {
                information(text(kStoppedByUser));
                break;
            }
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
            const std::size_t labelsBefore = labels_.size();
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
                labels_.resize(labelsBefore);
                outOfMemory();
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
}

void DataTable::readFile(const std::string& path) {
    reset();
    setFormat(InputFormat::load());
    if (format_.showDialog == 1 && gInputFormatDialog != nullptr) {
        InputFormat chosen = format_;
        if (gInputFormatDialog->edit(chosen)) {
            chosen.save();
            setFormat(chosen);
        }
    }
    FilePtr file = openReadQuiet(path);
    if (!file) {
        warning(formatText(text(kCannotOpen), {path}));
        return;
    }
    FileLineSource source(file.get());
    readLines(source, false, true);
}

void DataTable::readText(std::string_view textBlock) {
    reset();
    setFormat(InputFormat::load());
    if (format_.showDialog == 1 && gInputFormatDialog != nullptr) {
        InputFormat chosen = format_;
        if (gInputFormatDialog->edit(chosen)) {
            chosen.save();
            setFormat(chosen);
        }
    }
    TextLineSource source(textBlock);
    readLines(source, true, true);
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
    std::string scratch;
    std::string_view raw;
    try {
        while (source.next(raw)) {
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
        }
    } catch (const std::bad_alloc&) {
        outOfMemory();
    }
}

}  // namespace gridova
