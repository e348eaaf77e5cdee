// The triangle network: method 1 of the interpolation driver, the network
// of map type 6 and the network file.
//
// Notation. Vertex k (from 1) is (x_k, y_k) with value v_k; a triangle
// names three vertices. Node (i, j) is (X_i, Y_j), flat index i + j × nx,
// row 0 the lowest.
//
// Rasterising one triangle. Its corners are sorted by y into P1 (lowest),
// P2, P3 (highest). Rows with Y in [y1, y2] (both ends included) form the
// lower half, bounded by the edges P1P2 and P1P3; rows with Y in [y2, y3]
// form the upper half, bounded by P2P3 and P1P3. On a row, the nodes whose
// X lies between the two edges' crossings (ends included) are covered. An
// edge of height 1e-30 or less bounds nothing, which leaves its half out.
// A covered node takes the value of the plane through the three corners,
//
//     z(X, Y) = v1 + gx (X - x1) + gy (Y - y1),
//
// the gradient (gx, gy) solved from the other two corners with
// D = (x2 - x1)(y3 - y1) - (x3 - x1)(y2 - y1), twice the signed area
// (taken about P1, which keeps the digits that absolute coordinates far
// from the origin would cancel).
//
// Where triangles meet, the first triangle in list order decides: a
// covered node is marked (mask -1) and later triangles leave it alone, as
// they leave nodes outside the area (mask 0). An edge's crossing with a row
// is always computed from its lower end, so two triangles sharing the
// edge find the same crossing and no node on it falls between them.
//
// A triangle with |D| <= 1e-30 (its corners on one line) covers no node:
// no plane passes through it, and the nodes along it are left to the
// triangles around or blank rather than given a made-up 0. A triangle that
// names a vertex outside 1..N is skipped.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "data/triangles_file.h"
#include "grid/eq_net.h"
#include "platform/progress.h"

namespace gridova {

class LineList;
class PointSet;

// Which vertices of the border polygon join the triangulation.
enum class BorderVertices : std::int32_t {
    None = 0,              // never
    Always = 1,            // whenever there is a border
    WhenValueEnabled = 2,  // when there is a border and its value is enabled
};

// What a network is built from.
struct NetworkSource {
    const PointSet* points = nullptr;  // the main point set
    const LineList* border = nullptr;  // the border polygons, or none
    BorderValueSetting borderValue;    // the value of the border vertices
};

// A rasterising run was stopped by the user (message 418 shown).
inline constexpr int kRasteriseCancelled = 1;

// The vertices of the network, in this order: the points of the set (all,
// or only those with a value when activeOnly; a point without value then
// carries NaN), then the border polygons' vertices with the border value,
// as `borderMode` says. Its triangles are the Delaunay triangulation of
// those vertices (grid/triangulation.h). The number of triangles, or -1
// when fewer than two vertices were found or memory ran out ("Out of
// memory." shown); `network` is then empty.
int triangulatePoints(const NetworkSource& source, bool activeOnly, BorderVertices borderMode,
                      TriangleNetwork& network);

// Fills the nodes covered by the network's triangles, as the header says.
// The grid must have its mask (nodes at mask 0 are never filled) and its
// values. A wait-and-cancel scope ("Расчет...", message 321) is polled
// between triangles when there are more than 1000. Afterwards the covered
// nodes have mask 1 and every other node mask 0, and the range and the
// colour scale's range are set. 0, or kRasteriseCancelled: the nodes filled
// so far keep their values and mask 1.
int rasterise(EqNet& grid, const TriangleNetwork& network,
              RunFeedback& feedback = interactiveFeedback());

// Method 1 over the points with a value and the border vertices (when the
// grid's border value is enabled): the mask from the border, every node
// blank, the triangles rasterised, the blank value on the nodes left out.
// -1, with the grid unchanged, when there is no point set or fewer than
// two vertices; otherwise 0 (also after a cancel).
int runTriangleMethod(EqNet& grid, const PointSet* points, const LineList* border,
                      RunFeedback& feedback = interactiveFeedback());

// The driver's step for a triangle set read from a file (data kind 4): all
// nodes inside, every value the smallest vertex value less 1, the set's
// triangles rasterised, the blank value on the nodes left out. False,
// with the grid unchanged, when the set has no vertex or no triangle.
bool rasteriseTriangleSet(EqNet& grid, const TriangleNetwork& set,
                          RunFeedback& feedback = interactiveFeedback());

// The network of all points with a value and every border vertex (with the
// border value) in the TRIANGLES layout (data/triangles_file.h).
// writeNetwork asks for the file ("txt"); false when nothing was written:
// fewer than two vertices, the choice cancelled, or a failed write (message
// 201 shown).
bool writeNetwork(const NetworkSource& source);
// A network as it is (a TRIANGLES document's), to a file asked for ("txt").
bool writeTriangleSet(const TriangleNetwork& network);
bool writeNetworkFile(const NetworkSource& source, const std::string& path);

}  // namespace gridova
