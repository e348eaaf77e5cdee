// The one translation unit that includes CGAL (about 11 s and 700 MB to
// compile): its 2D Delaunay triangulation with exact predicates, each
// vertex carrying the caller's index.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <utility>

#include "grid/triangulation.h"

namespace gridova::detail {
namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<std::uint32_t, Kernel>;
using DataStructure = CGAL::Triangulation_data_structure_2<VertexBase>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, DataStructure>;

}  // namespace

std::vector<std::uint32_t> delaunayTriangles(const std::vector<IndexedPoint>& points) {
    std::vector<std::pair<Kernel::Point_2, std::uint32_t>> input;
    input.reserve(points.size());
    for (const IndexedPoint& p : points) input.emplace_back(Kernel::Point_2(p.x, p.y), p.index);
    // The range insertion sorts the points spatially first: fast and
    // independent of the caller's order.
    Delaunay triangulation;
    triangulation.insert(input.begin(), input.end());
    std::vector<std::uint32_t> corners;
    if (triangulation.dimension() < 2) return corners;  // all on one line
    corners.reserve(3 * triangulation.number_of_faces());
    for (auto face = triangulation.finite_faces_begin(); face != triangulation.finite_faces_end();
         ++face) {
        for (int k = 0; k < 3; ++k) corners.push_back(face->vertex(k)->info());
    }
    return corners;
}

}  // namespace gridova::detail
