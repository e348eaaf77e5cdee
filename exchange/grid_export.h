// Writing the grid's values for other programs: a text file (a block of
// numbers row by row, or X Y Z lines) and a binary "DSBB" grid file.
//
// Both write the nodes that lie in an export rectangle (ends inclusive).
// Without a rectangle it runs from the midpoint of the first two nodes to
// the midpoint of the last two, each way, so the outer frame of nodes is
// left out; along a direction with a single node it is that node.
//
// A file name given by the caller makes the export unattended: no dialog,
// no closing message. Without a file name the export asks the dialogs for
// the file (and, for text, for the number format); without dialogs, or when
// one is cancelled, nothing is written. After an export through the
// dialogs, the information message 185 "Значения поля (X %d  Y%d) записаны
// в файл" gives the number of columns and rows written (not for X Y Z
// lines).
//
// Files are written beside the target and renamed over it once complete, so
// a failure keeps an existing file; a file that cannot be written shows
// message 201 with its name.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/drect.h"

namespace gridova {

class EqNet;

// The number format of text exports, profile section "Digit Output".
struct DigitOutput {
    static constexpr const char* kSection = "Digit Output";
    static constexpr std::int32_t kDefaultRowCount = 10;
    static constexpr std::int32_t kDefaultCharCount = 7;
    static constexpr std::int32_t kDefaultDecimalCount = 3;

    std::int32_t rowCount = kDefaultRowCount;          // numbers per line, 1..1000
    std::int32_t charCount = kDefaultCharCount;        // least width of a number, 1..20
    std::int32_t decimalCount = kDefaultDecimalCount;  // digits after the point, 0..10
    // Its first character starts the header line; empty: no header line.
    std::string comment = "*";
    bool xyzFormat = false;  // X Y Z lines rather than a block of values

    // Back to the defaults, then the keys "RowCount", "CharCount",
    // "DecimalCount", "Comment" and "XYZFormat" (0 or 1). A key that is
    // missing or out of range keeps its default; so does an empty comment,
    // which the profile cannot tell from a missing one.
    void readProfile();
    void writeProfile() const;
    // Every setting out of range goes back to its default.
    void clampToRanges();
};

// What the application shows for an export; unattended runs have none.
class GridExportDialogs {
public:
    virtual ~GridExportDialogs() = default;
    // The file to write, for a name with this extension (no point); nothing
    // when cancelled.
    virtual std::optional<std::string> chooseFile(std::string_view extension) = 0;
    // The format dialog opened with these settings; nothing when cancelled.
    virtual std::optional<DigitOutput> editFormat(const DigitOutput& format) = 0;
};

struct GridExportResult {
    bool written = false;  // the file is complete and in place
    // Nodes written per row and rows written (also when nothing was written
    // because of the file).
    std::int32_t columns = 0;
    std::int32_t rows = 0;
};

// The extensions offered when choosing the file.
inline constexpr std::string_view kGridTextExtension = "txt";
inline constexpr std::string_view kGridGrdExtension = "grd";

// The text file. Unattended, the profile gives the format and the comment
// is "*". Through the dialogs the file is chosen first, then the format,
// which is stored in the profile once accepted.
//
// Each number is a blank and the value in fixed point with at least
// charCount characters and decimalCount digits after the point (printf's
// " %*.*f" in the C locale, whatever the program's locale). Block form: the
// header line "c X = columns  Y = rows" when the comment is not empty, then
// the rows from the top down, each starting a new line, rowCount numbers to
// a line; a node outside the area (mask 0) is written as 0. X Y Z form: one
// line "X Y value" per node from the top row down, the stored value also
// for nodes outside the area, and no header line.
//
// Not written (false) when the grid has no values, nothing was chosen or
// the file cannot be written. A rectangle holding no node writes the header
// line alone.
GridExportResult exportText(const EqNet& grid, const std::optional<std::string>& fileName,
                            const std::optional<DRect>& rectangle,
                            GridExportDialogs* dialogs = nullptr);

// The binary grid file, little-endian: "DSBB", int16 columns and rows, the
// doubles xlo, xhi, ylo, yhi (the extreme coordinates of the nodes
// written), zlo, zhi (the range of the values of those nodes inside the
// area; 0 and 0 when there is none), then float32 values row by row from
// the lowest row up, left to right; a node outside the area (mask 0) is
// written as 1.70141e38 (bits 0x7EFFFFEE), the blank of the format.
//
// More than 32767 nodes to a row or column, or no node at all, cannot be
// written: message 179 "Ошибка в размерности X" (too many or no columns)
// or 180 "Ошибка в размерности Y" (too many rows), and nothing is written,
// before any file is chosen. Also not written when the grid has no values
// or the file cannot be written.
GridExportResult exportGrd(const EqNet& grid, const std::optional<std::string>& fileName,
                           const std::optional<DRect>& rectangle,
                           GridExportDialogs* dialogs = nullptr);

// The float32 bits of the blank of binary grid files.
inline constexpr std::uint32_t kGrdBlankBits = 0x7EFFFFEE;

}  // namespace gridova
