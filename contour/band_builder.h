// Colour bands: the filled polygons between consecutive levels of the
// grid's colour scale, for the map type "Цветные изолинии".
//
// The region of band k is where lower(k) < v ≤ upper(k) on the surface
// that the isolines describe: values vary linearly along cell edges, and a
// cell whose corners alternate about a level (a saddle) joins the corners
// on the side its mean lies on, as isoline tracing does. The area is the
// union of the cells whose four corners are inside (mask not 0), which is
// where isolines run.
//
// Each band's boundary is made of its lower- and upper-level contour
// segments within the cells and of the stretches of the area's border that
// lie in the band. The segments are joined by the identity of the points
// they share (an edge and a level, or a border node), never by comparing
// coordinates. Every boundary that encloses its band from outside (turning
// anticlockwise) becomes a closed, filled band polygon whose value is the
// band's upper level; boundaries of holes are dropped, since the bands
// inside them have polygons of their own that are drawn on top: each
// polygon is a group of its own in the band tree, below the deepest polygon
// that contains it.
//
// The lowest band takes in the smallest value and the highest band the
// largest: their outer limits are moved out by 1e-6, or by the step to the
// next representable number when 1e-6 is lost in the value.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "grid/eq_net.h"
#include "objects/bush.h"
#include "objects/line.h"

namespace gridova {

// The closed boundaries of one band (lower < v ≤ upper), those turning
// anticlockwise (outer) and those turning clockwise (holes).
struct BandBoundaries {
    std::vector<Line> outer;
    std::vector<Line> holes;
};
BandBoundaries traceBand(const EqNet& grid, double lower, double upper);

// The band limits of the scale's boundaries b(0..n): band k from b(k) to
// b(k + 1), the outer two moved out (header comment).
std::vector<std::pair<double, double>> bandLimits(const std::vector<double>& boundaries);

// Every band of the grid's colour scale as a nested tree of filled
// polygons, with the scale's band colours as its palette. Nothing when the
// grid has no values. Bands are traced on both cores; the tree does not
// depend on the thread count.
std::unique_ptr<Bush> buildBands(const EqNet& grid);

}  // namespace gridova
