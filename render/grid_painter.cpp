// A node's cell runs from the midpoint with the previous node to the
// midpoint with the next one along each axis; the first and last cells end
// at the grid's extent.
#include "render/grid_painter.h"

#include <vector>

#include "platform/gdi.h"

namespace gridova {
namespace {

constexpr int kGridLinePaletteIndex = 7;

void cellBounds(const std::vector<double>& nodes, std::int32_t k, double lo, double hi, double& a,
                double& b) {
    const auto n = static_cast<std::int32_t>(nodes.size());
    const auto at = [&](std::int32_t i) { return nodes[static_cast<std::size_t>(i)]; };
    a = k > 0 ? (at(k - 1) + at(k)) / 2 : lo;
    b = k < n - 1 ? (at(k) + at(k + 1)) / 2 : hi;
}

bool cellVisible(const DrawingCanvas& canvas, double x1, double y1, double x2, double y2) {
    const WorldRect v = canvas.visibleWorld();
    return x2 >= v.xmin && x1 <= v.xmax && y2 >= v.ymin && y1 <= v.ymax;
}

void paintCell(DrawingCanvas& canvas, const EqNet& grid, std::int32_t i, std::int32_t j) {
    const std::size_t index = static_cast<std::size_t>(i + j * grid.nx());
    if (grid.hasMask() && grid.mask()[index] == 0) return;
    const DRect& e = grid.extent();
    double x1, x2, y1, y2;
    cellBounds(grid.nodeX(), i, e.minX, e.maxX, x1, x2);
    cellBounds(grid.nodeY(), j, e.minY, e.maxY, y1, y2);
    if (!cellVisible(canvas, x1, y1, x2, y2)) return;
    const gdi::ColorRef color = grid.colorScale.colorOf(grid.values()[index]);
    canvas.setColorBrush(color);
    // With cell borders the caller's pen outlines every cell.
    if (grid.cellBorder == 0) canvas.setColorPen(color);
    canvas.rectangleWorld(x1, y1, x2, y2);
    canvas.deleteBrush();
}

bool drawable(const EqNet& grid) { return grid.valuesValid() && !grid.empty() && grid.hasValues(); }

}  // namespace

void drawGridLines(DrawingCanvas& canvas, const EqNet& grid) {
    if (grid.showGrid == 0 || grid.empty()) return;
    canvas.setPen(gdi::PenStyle::Dot, StandardPalette::color(kGridLinePaletteIndex));
    for (const auto* lines : {&grid.columnLines(), &grid.rowLines()}) {
        for (const GridSegment& s : *lines) {
            canvas.line(canvas.toDevice(s.x1, s.y1), canvas.toDevice(s.x2, s.y2));
        }
    }
    canvas.deletePen();
}

int drawGridCells(DrawingCanvas& canvas, const EqNet& grid) {
    if (!drawable(grid)) return -1;
    if (grid.cellBorder != 0) canvas.setColorPen(grid.cellColor);
    for (std::int32_t j = 0; j < grid.ny(); ++j) {
        for (std::int32_t i = 0; i < grid.nx(); ++i) paintCell(canvas, grid, i, j);
    }
    canvas.deletePen();
    return 0;
}

void drawGridCell(DrawingCanvas& canvas, const EqNet& grid, std::int32_t i, std::int32_t j) {
    if (!drawable(grid) || i < 0 || j < 0 || i >= grid.nx() || j >= grid.ny()) return;
    if (grid.cellBorder != 0) canvas.setColorPen(grid.cellColor);
    paintCell(canvas, grid, i, j);
    canvas.deletePen();
}

}  // namespace gridova
