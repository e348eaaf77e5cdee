// The mouse tools of a map window. The view hands its mouse input to the
// tools that are active, in a fixed order: the zoom drag, then line input
// (with snapping for drawn lines), then the node pick. Each tool keeps its
// own state and draws its own marks straight on the window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "grid/eq_net.h"
#include "objects/bush.h"
#include "render/drawing_canvas.h"

namespace gridova {

// Dragging a rectangle in the zoom window ("Общий вид"): the rectangle is
// drawn inverted while it is dragged and becomes the next zoom window when
// it is at least kMinPixels across.
class ZoomDragTool {
public:
    static constexpr int kMinPixels = 40;

    void press(gdi::Point p);
    bool dragging() const { return corners_.has_value(); }
    // The rubber rectangle follows the mouse.
    void move(DrawingCanvas& canvas, gdi::Point p);
    // Ends the drag: the world rectangle when it was large enough.
    std::optional<WorldRect> release(DrawingCanvas& canvas, gdi::Point p);
    // Draws the rectangle again after the window was painted.
    void drawOverlay(DrawingCanvas& canvas) const;

private:
    void show(DrawingCanvas& canvas, bool shown);
    static gdi::Rect box(const std::array<gdi::Point, 2>& corners);

    std::optional<std::array<gdi::Point, 2>> corners_;
    bool shown_ = false;
};

// Snapping of a drawn line to the lines of the object tree: a point near a
// vertex of a line takes the vertex, and going on from one vertex of a line
// to another adds the line's points between them.
class LineSnapTool {
public:
    bool enabled = false;
    void reset() { item_ = nullptr; }
    // Moves (x, y) onto the vertex hit within the tolerance, and follows
    // the line into `entered`.
    void snap(Bush* tree, double tolX, double tolY, Line* entered, double& x, double& y);

private:
    const BushItem* item_ = nullptr;
    std::size_t point_ = 0;
};

// The node window's pick: while the window is open, a click on the grid
// picks the nearest node with a value, and its cell is marked.
class NodePickTool {
public:
    struct PickedNode {
        std::int32_t column = 0;
        std::int32_t rowFromTop = 0;
        double value = 0;
    };

    bool open = false;
    // True when a node was picked.
    bool pick(const EqNet& grid, double x, double y);
    // The node window closed: nothing is picked any more.
    void close() {
        open = false;
        picked_.reset();
        index_.reset();
    }
    const std::optional<PickedNode>& picked() const { return picked_; }
    void drawOverlay(DrawingCanvas& canvas, const EqNet* grid) const;

private:
    std::optional<PickedNode> picked_;
    std::optional<std::int32_t> index_;
};

}  // namespace gridova
