// How the numbers of an array without coordinates fold into columns, rows
// and layers, and how large its cells are ("Размеры поля" of an array, and
// the file "Dimensn.arr" that keeps it beside the array).
//
// Value k of layer l (from 0), row i, column j is number
// l * nx * ny + i * nx + j of the file. Column j's centre lies at origin X
// plus the widths of the columns before it plus half its own width; the
// same for the rows, counted from the first row height, or from the last
// when the first row is the top row of the map.
//
// "Dimensn.arr" (text):
//   ArrayDimension:01
//   nx ny nz
//   originX originY        (only in the form ":01"; the form ":00" has none)
//   nx lines: the column widths
//   ny lines: the row heights
// Numbers are written in their shortest exact form and read as doubles.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/optional_value.h"

namespace gridova {

struct ArrayLayout {
    static constexpr std::int64_t kMaxCount = 1'000'000;  // columns, rows or layers
    static constexpr const char* kFileName = "Dimensn.arr";

    std::int32_t nx = 1, ny = 1, nz = 1;
    bool topToBottom = false;                   // the first row is the top row of the map
    OptionalValue originX, originY;             // absent: 0
    OptionalValue cellWidth, cellHeight;        // one size for every column / row
    std::vector<double> columnWidths{1.0};      // nx
    std::vector<double> rowHeights{1.0};        // ny
    std::vector<double> layerThicknesses{1.0};  // nz

    // The layout of `count` values: one row of them, every size 1.
    static ArrayLayout forValues(std::int64_t count);

    // The dialog's rules for `count` values. Each returns 0 when the new
    // count was taken (the other counts follow it), else the message that
    // refuses it: 179 "Ошибка в размерности X" (the columns stay), 180 "Ошибка
    // в размерности Y" (the layers become 1 and the rows take the rest) or
    // 181 "Ошибка в размерности Z" (the layers stay). A count below 1 is
    // refused the same way.
    int setColumns(std::int64_t columns, std::int64_t count);
    int setRows(std::int64_t rows, std::int64_t count);
    int setLayers(std::int64_t layers, std::int64_t count);

    // The sizes again for the counts: every column the cell width (1 when
    // absent), every row the cell height, every layer 1.
    void rebuildSizes();
    // One size for every column (row).
    void setCellWidth(double width);
    void setCellHeight(double height);
    // Different sizes: the list is taken when it holds nx (ny) positive
    // sizes; one size then stays only when they are all equal.
    bool setColumnWidths(const std::vector<double>& widths);
    bool setRowHeights(const std::vector<double>& heights);

    // Do the counts fold exactly `count` values, and do the sizes fit them?
    bool fits(std::int64_t count) const;
    std::int64_t valuesPerLayer() const { return std::int64_t{nx} * ny; }

    std::vector<double> columnCentres() const;
    // By row index i of the file (row 0 is the first row read).
    std::vector<double> rowCentres() const;
};

enum class DimensionFileRead {
    Taken,     // the layout is the file's
    Absent,    // no file: nothing said
    Mismatch,  // information 178 "Определите размерность массива заново" was given
};

// Reads a layout for `count` values. A file that does not describe `count`
// values (its counts, a missing or broken line, a size that is not a
// positive number) leaves `layout` as it was.
DimensionFileRead readDimensionFile(const std::string& path, std::int64_t count,
                                    ArrayLayout& layout);
// Writes the form ":01"; false (message 201) when it cannot be written.
bool writeDimensionFile(const std::string& path, const ArrayLayout& layout);

}  // namespace gridova
