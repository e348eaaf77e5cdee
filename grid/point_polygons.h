// The polygons around the data points (Thiessen, or Voronoi, polygons): the
// part of a rectangle nearer to each point than to any other. Their areas
// and the grid's volume over them are the grid's area and volume reports.
//
// A cell is the rectangle cut by the half-planes of the point's Delaunay
// neighbours, which are exactly the points whose bisectors bound it (all
// other points when the points have no triangulation: fewer than three
// distinct ones, or all on one line). Points at one place share one cell;
// points with a coordinate that is not finite get an empty line.
#pragma once

#include <memory>

#include "data/drect.h"
#include "data/point_set.h"
#include "objects/line_list.h"

namespace gridova {

// One closed polygon per point of the set, in the set's order, clipped to
// the rectangle; nullptr for a set without points.
std::unique_ptr<LineList> pointPolygons(const PointSet& set, const DRect& clip);

}  // namespace gridova
