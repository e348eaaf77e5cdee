// Drawing the grid: its lines, and its values as colour cells.
#pragma once

#include <cstdint>

#include "grid/eq_net.h"
#include "render/drawing_canvas.h"

namespace gridova {

// The column and row lines in dotted grey, while the grid's ShowGrid is on.
void drawGridLines(DrawingCanvas& canvas, const EqNet& grid);

// Colour cells: every inside node's cell that overlaps the visible area,
// filled with the grid's colour scale colour of its value and outlined in
// the grid's cellColor (cellBorder) or in its own colour. -1 when the
// values are not valid for cells or the grid is empty.
int drawGridCells(DrawingCanvas& canvas, const EqNet& grid);

// The single cell of node (i, j) the same way.
void drawGridCell(DrawingCanvas& canvas, const EqNet& grid, std::int32_t i, std::int32_t j);

}  // namespace gridova
