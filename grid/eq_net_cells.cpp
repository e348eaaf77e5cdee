// Colour cells: one filled rectangle per grid node, coloured by the grid's
// colour scale.
#include <algorithm>

#include "grid/eq_net.h"
#include "render/drawing_canvas.h"

namespace gridova {

namespace {

// The cell bounds along one axis: from the midpoint with the previous node
// to the midpoint with the next; the first and last cells end at the
// grid's extent.
void cellBounds(const std::vector<double>& nodes, std::int32_t k, double lo, double hi, double& a,
                double& b) {
    const auto n = static_cast<std::int32_t>(nodes.size());
    const auto at = [&](std::int32_t i) { return nodes[static_cast<std::size_t>(i)]; };
    a = k > 0 ? (at(k - 1) + at(k)) / 2 : lo;
    b = k < n - 1 ? (at(k) + at(k + 1)) / 2 : hi;
}

}  // namespace

bool EqNet::cellVisible(const DrawingCanvas& canvas, double x1, double y1, double x2, double y2) {
    const WorldRect v = canvas.visibleWorld();
    return x2 >= v.xmin && x1 <= v.xmax && y2 >= v.ymin && y1 <= v.ymax;
}

void EqNet::paintCell(DrawingCanvas& canvas, std::int32_t i, std::int32_t j) const {
    const std::size_t index = static_cast<std::size_t>(i + j * nx_);
    if (hasMask() && mask_[index] == 0) return;
    double x1, x2, y1, y2;
    cellBounds(nodeX_, i, extent_.minX, extent_.maxX, x1, x2);
    cellBounds(nodeY_, j, extent_.minY, extent_.maxY, y1, y2);
    if (!cellVisible(canvas, x1, y1, x2, y2)) return;
    // With cell borders the caller's pen outlines every cell.
    if (cellBorder != 0) {
        colorScale.selectBrush(canvas, values_[index]);
    } else {
        colorScale.selectBrushAndPen(canvas, values_[index]);
    }
    canvas.rectangleWorld(x1, y1, x2, y2);
    canvas.deleteBrush();
}

int EqNet::drawCells(DrawingCanvas& canvas) const {
    if (!valuesValid() || empty() || !hasValues()) return -1;
    if (cellBorder != 0) canvas.setColorPen(cellColor);
    for (std::int32_t j = 0; j < ny_; ++j) {
        for (std::int32_t i = 0; i < nx_; ++i) paintCell(canvas, i, j);
    }
    canvas.deletePen();
    return 0;
}

void EqNet::drawCell(DrawingCanvas& canvas, std::int32_t i, std::int32_t j) const {
    if (!valuesValid() || empty() || !hasValues() || i < 0 || j < 0 || i >= nx_ || j >= ny_) return;
    if (cellBorder != 0) canvas.setColorPen(cellColor);
    paintCell(canvas, i, j);
    canvas.deletePen();
}

}  // namespace gridova
