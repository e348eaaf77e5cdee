// The triangle network on the map (map type 6) and the first display of a
// map opened from a TRIANGLES file.
#pragma once

#include <memory>

#include "data/point_set.h"
#include "data/triangles_file.h"
#include "grid/triangle_method.h"
#include "objects/line_list.h"

namespace gridova {

// One line per triangle, through its three corners and closed back to the
// first, in the network's order; default line style (black, one pixel).
// Triangles naming a vertex outside the network are left out.
std::unique_ptr<LineList> networkLines(const TriangleNetwork& network);

// The network that map type 6 shows: the triangles of a set read from a
// TRIANGLES file when there is one with triangles, otherwise the
// triangulation of all points of the main set and of the border vertices.
// Nothing when there are fewer than two vertices.
std::unique_ptr<LineList> buildNetworkLines(const NetworkSource& source,
                                            const TriangleNetwork* readSet = nullptr);

// The main point set of a TRIANGLES map: one point per vertex, with its X,
// Y and value, in vertex order.
PointSet pointSetFromTriangles(const TriangleNetwork& network);

}  // namespace gridova
