// Rows of cells read from a data text file, the clipboard or a ".cor" file.
//
// Cell 0 of every row is its label slot (the row's name, or nothing); every
// further cell holds a number or is empty (a token that is not a number).
// Which cells are X, Y and the value is decided when a point set is built
// from the table, with the input-format settings of the profile.
//
// The data-file form: up to three title lines at the top (while the line
// number is at most 4, a line whose first token is not a number becomes the
// next title line), then one row per line. The token at the label column is
// the row's name; a line that starts with a token that is not a number uses
// that token's place as the label slot, so "W1 10 20 5" read with label
// column 0 and "10 20 5 W1" read with label column 3 both give the cells
// 10, 20, 5 and the name W1.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/optional_value.h"

namespace gridova {

// The "Input Format" settings of the profile (0-based columns).
struct InputFormat {
    static constexpr const char* kSection = "Input Format";

    std::int32_t columnX = 0;
    std::int32_t columnY = 1;
    std::int32_t columnValue = 2;
    std::int32_t columnLabel = 3;
    std::int32_t showDialog = 0;  // 1 = ask before every read

    // Settings from the profile; a missing key or one that is not an integer
    // keeps the default.
    static InputFormat load();
    void save() const;
};

// The input-format dialog (the application supplies it). Returns true when
// the user confirmed; the format then holds the choices.
class InputFormatDialog {
public:
    virtual ~InputFormatDialog() = default;
    virtual bool edit(InputFormat& format) = 0;
};

// Installs the dialog; with none (unattended runs) the stored settings are
// used as they are.
void setInputFormatDialog(InputFormatDialog* dialog);

class DataTable {
public:
    static constexpr int kMaxHeaders = 3;

    // Reads a data file. The table is returned even when the file cannot be
    // opened (then empty, after warning message 202).
    void readFile(const std::string& path);
    // Reads text in the clipboard form: lines end at LF, TABs count as
    // blanks, a last line without LF is read too.
    void readText(std::string_view text);
    // Reads a ".cor" file: name first, then numbers.
    void readCoordinateFile(const std::string& path);
    // The same from the file's text.
    void readCoordinateText(std::string_view text);

    // Shows the input-format dialog alone and stores the choices.
    static void editInputFormat();

    void reset();

    std::size_t rowCount() const { return rows_.size(); }
    // Cells of a row including its label slot; 0 for a row out of range.
    std::size_t cellCount(std::size_t row) const;
    // A cell's number; empty for the label slot, an empty cell or an index
    // out of range.
    OptionalValue cell(std::size_t row, std::size_t index) const;
    // The row's name, or nothing.
    std::optional<std::string_view> label(std::size_t row) const;

    // Title lines found at the top, in order (at most three).
    const std::vector<std::string>& headers() const { return headers_; }

    std::int32_t labelColumn() const { return labelColumn_; }
    bool hasLabels() const { return hasLabels_; }
    const InputFormat& format() const { return format_; }
    void setFormat(const InputFormat& format);

    // Appending rows (readers and tests): starts a row with an empty label
    // slot, then cells, then the name.
    void beginRow();
    void addCell(OptionalValue value);
    void endRow(std::optional<std::string_view> name);

private:
    struct Row {
        std::size_t firstCell;    // index of the label slot in cells_
        std::uint32_t cellCount;  // including the label slot
        std::uint32_t labelSize;  // bytes of the name in labels_
        std::size_t labelOffset;  // start of the name in labels_, or kNoLabel
    };
    static constexpr std::size_t kNoLabel = static_cast<std::size_t>(-1);

    // The stored input format; the dialog first when the format asks for it.
    void loadFormatAskingWhenWanted();
    void readCoordinateLines(class LineSource& source, const std::string& path);
    void readLines(class LineSource& source, bool clipboardForm, bool withScope);
    // Logs cut lines and reports a read error or lack of memory.
    void reportSourceProblems(const class LineSource& source, const std::string& path);
    // Reserves room for the whole text once a sample of its lines was read,
    // so that large files are not copied as the arrays grow.
    void reserveFor(std::uint64_t textBytes, std::uint64_t sampleBytes);

    std::vector<Row> rows_;
    // A cell's number, or NaN for an empty cell (a number is never NaN).
    std::vector<double> cells_;
    // The rows' names, one after the other.
    std::string labels_;
    std::vector<std::string> headers_;
    InputFormat format_;
    std::int32_t labelColumn_ = 3;
    long long firstCutLine_ = 0;  // number of the first line cut at the length limit
    bool hasLabels_ = false;
};

}  // namespace gridova
