#include "grid/point_polygons.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <utility>

#include "grid/triangulation.h"

namespace gridova {
namespace {

struct Vertex {
    double x, y;
};

// The part of the convex polygon nearer to p than to o.
std::vector<Vertex> clipNearer(const std::vector<Vertex>& polygon, Vertex p, Vertex o) {
    const double nx = o.x - p.x, ny = o.y - p.y;
    const double mx = 0.5 * (p.x + o.x), my = 0.5 * (p.y + o.y);
    const auto side = [&](const Vertex& v) { return (v.x - mx) * nx + (v.y - my) * ny; };
    std::vector<Vertex> out;
    out.reserve(polygon.size() + 1);
    for (std::size_t k = 0; k < polygon.size(); ++k) {
        const Vertex& a = polygon[k];
        const Vertex& b = polygon[(k + 1) % polygon.size()];
        const double sa = side(a), sb = side(b);
        if (sa <= 0) out.push_back(a);
        if ((sa < 0 && sb > 0) || (sa > 0 && sb < 0)) {
            const double t = sa / (sa - sb);
            out.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    return out;
}

}  // namespace

std::unique_ptr<LineList> pointPolygons(const PointSet& set, const DRect& clip) {
    const std::vector<DataPoint>& points = set.points();
    if (points.empty()) return nullptr;
    const std::size_t n = points.size();
    std::vector<double> xy(2 * n);
    for (std::size_t k = 0; k < n; ++k) {
        xy[2 * k] = points[k].x;
        xy[2 * k + 1] = points[k].y;
    }
    // The first point at each place stands for the others there.
    std::map<std::pair<double, double>, std::size_t> first;
    std::vector<std::size_t> standsFor(n);
    std::vector<std::size_t> distinct;
    for (std::size_t k = 0; k < n; ++k) {
        const auto [it, added] = first.emplace(std::pair{points[k].x, points[k].y}, k);
        standsFor[k] = it->second;
        if (added && std::isfinite(points[k].x) && std::isfinite(points[k].y)) {
            distinct.push_back(k);
        }
    }
    // Neighbours through the Delaunay triangles, or every other point.
    const std::vector<std::int32_t> triangles = triangulate(xy);
    std::vector<std::set<std::size_t>> neighbours(n);
    if (!triangles.empty()) {
        for (std::size_t t = 0; t + 2 < triangles.size(); t += 3) {
            for (int a = 0; a < 3; ++a) {
                for (int b = 0; b < 3; ++b) {
                    if (a == b) continue;
                    neighbours[static_cast<std::size_t>(triangles[t + a] - 1)].insert(
                        static_cast<std::size_t>(triangles[t + b] - 1));
                }
            }
        }
    } else {
        for (std::size_t k : distinct) {
            for (std::size_t o : distinct) {
                if (o != k) neighbours[k].insert(o);
            }
        }
    }
    const std::vector<Vertex> box = {{clip.minX, clip.minY},
                                     {clip.maxX, clip.minY},
                                     {clip.maxX, clip.maxY},
                                     {clip.minX, clip.maxY}};
    std::vector<std::vector<Vertex>> cells(n);
    for (std::size_t k : distinct) {
        std::vector<Vertex> cell = box;
        const Vertex p{points[k].x, points[k].y};
        for (std::size_t o : neighbours[k]) {
            cell = clipNearer(cell, p, {points[o].x, points[o].y});
            if (cell.empty()) break;
        }
        cells[k] = std::move(cell);
    }
    auto polygons = std::make_unique<LineList>();
    for (std::size_t k = 0; k < n; ++k) {
        const std::vector<Vertex>& cell = cells[standsFor[k]];
        std::vector<LinePoint> line;
        line.reserve(cell.size() + 1);
        for (const Vertex& v : cell) line.push_back({v.x, v.y});
        if (!line.empty()) line.push_back(line.front());
        polygons->add(Line(std::move(line)));
    }
    return polygons;
}

}  // namespace gridova
