// Delaunay triangulation of a list of points.
//
// The points are x, y pairs; point k (from 0) is vertex number k + 1. The
// result names each triangle by its three vertex numbers, counted from 1,
// counter-clockwise, starting with its smallest number; the triangles are
// sorted by their numbers, so the same points always give the same list
// whatever the order in which the triangulation was built.
//
// Several points at one location make one vertex: the first of them (in
// list order) is used, the later ones are corners of no triangle. Points
// with a coordinate that is not finite take no part either. When fewer
// than three distinct points remain, or all lie on one line, there is no
// triangle.
//
// Only grid/cgal_triangulation.cpp sees the geometry library: it is slow to
// compile and its choice of vertex among equal points depends on the order
// of insertion, so duplicates are settled here before it runs.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gridova {

// Three vertex numbers (from 1) per triangle. Throws std::bad_alloc when
// memory runs out.
std::vector<std::int32_t> triangulate(std::span<const double> xy);

namespace detail {

// A distinct, finite point and its index in the caller's list.
struct IndexedPoint {
    double x, y;
    std::uint32_t index;
};

// The Delaunay triangles of distinct points: three indices (from 0) per
// triangle, counter-clockwise, in the library's order.
std::vector<std::uint32_t> delaunayTriangles(const std::vector<IndexedPoint>& points);

}  // namespace detail
}  // namespace gridova
