// The block relief of a grid: one column (a prism) per active node whose
// sloping top follows the node values around it, the drop lines of the
// data points, and the flat plane's copies of the map's colour-filled
// areas, isolines and lines.
//
// Model space: x as the map's, y mirrored (y_model = ymin + ymax - y, so
// that the map's north lies away from the viewer), z the height above the
// lowest node value, scaled so that the value range spans the larger
// horizontal extent of the grid (zRange). The relief's height (Hight) is
// applied when the scene is transformed, never stored in it, so heights
// can be changed back and forth without loss.
//
// Corners of a prism: 0-3 the top, 4-7 the bottom, in the order (left,
// near), (right, near), (left, far), (right, far); near is the row edge of
// the smaller y_model. Faces as corner quadruples: 0 = (0, 1, 5, 4),
// 1 = (1, 3, 7, 5), 2 = (3, 2, 6, 7), 3 = (2, 0, 4, 6), 4 = top
// (2, 3, 1, 0), 5 = bottom (4, 5, 7, 6). With the first three transformed
// corners a, b, c of a face, n = (c - a) × (a - b); the face is seen when
// n · (0, -1, 0) > 0. The viewer looks from the large y' side: the
// columns are drawn in ascending order of their smallest y' (far first).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "data/badge_format.h"
#include "data/point_set.h"
#include "objects/color_scale.h"
#include "objects/line.h"
#include "view3d/transform3d.h"

namespace gridova {

class Bush;
class EqNet;
class IsolineSet;
class LineList;

struct Line3D {
    std::vector<Point3> model;
    std::vector<Point3> view;
};

struct Prism3D {
    static constexpr std::array<std::array<int, 4>, 6> kFaces{
        {{0, 1, 5, 4}, {1, 3, 7, 5}, {3, 2, 6, 7}, {2, 0, 4, 6}, {2, 3, 1, 0}, {4, 5, 7, 6}}};
    static constexpr int kTop = 4;
    static constexpr int kBottom = 5;

    std::array<Point3, 8> model{};  // z before Hight
    std::array<Point3, 8> view{};
    Point3 centre{}, viewCentre{};
    double depthKey = 0;  // the smallest transformed y of the corners
    double value = 0;     // the node's value, for the colour
    // Its data points: badges firstBadge .. firstBadge + badgeCount - 1.
    std::uint32_t firstBadge = 0, badgeCount = 0;

    // Is the face (0..5) seen by the viewer?
    bool faces(int face) const;
    // Where the top folds in the picture (of the four triangles the centre
    // makes with the top's edges, taken in the order of the top's face,
    // some are seen as the whole top is and some not): the outline of the
    // part turned over, in transformed points. It takes the centre for the
    // triangles that agree with the top and both corners of the edge for
    // the others, so that the top and this outline together leave no hole.
    // Empty when the top does not fold.
    std::vector<Point3> foldOutline() const;
};

// A data point lying in a column's cell: its badge stands on the plane at
// the lower end of its drop line.
struct Point3DBadge {
    DataPoint point;    // x and y as the map's
    Line3D drop;        // (x, y_model, height) down to the plane
    double height = 0;  // of the upper end, before Hight
};

// A polyline of the flat plane with its look.
struct PlaneLine {
    Line3D line;
    gdi::ColorRef color = 0;
    std::int32_t width = 0;
    std::int32_t penStyle = 0;
    std::optional<gdi::ColorRef> fill;  // filled polygons of the colour fill
};

struct Scene3D {
    std::vector<Prism3D> prisms;
    // The prisms in drawing order (far first), made by transformScene.
    std::vector<std::uint32_t> order;
    std::vector<Point3DBadge> badges;
    std::vector<PlaneLine> fills, isolines, lines;
    ColorScale scale;
    // The data points' set without its points: its badge format and value
    // format draw the badges.
    PointSet pointStyle;
    bool showPoints = true;  // the map shows its points
    double minValue = 0, maxValue = 0;
    double zRange = 0;  // the relief's full height at Hight 1
    bool cancelled = false;

    bool empty() const { return prisms.empty(); }
};

// What a scene is built from; any but the grid may be missing.
struct SceneSources {
    const EqNet* grid = nullptr;
    const PointSet* points = nullptr;
    const LineList* border = nullptr;  // only nodes inside it make columns
    const IsolineSet* isolines = nullptr;
    const Bush* colorFill = nullptr;
    const Bush* lines = nullptr;
};

// Builds the scene; nothing for a grid without values. Above 10000 nodes
// it runs in a wait scope "Создание 3D..." that can be cancelled: the
// scene then holds the columns made so far and `cancelled` is set (message
// 418 was shown).
Scene3D buildScene(const SceneSources& sources);

// The plane's height: above the relief's top by Elevation × zRange, or
// below its base by as much.
double planeHeight(const Scene3D& scene, double hight, double elevation, bool topFlat);

// Transforms every column (its top at Hight), drop line and plane line
// (the plane at `plane`), and sorts the columns far first.
void transformScene(Scene3D& scene, const Transform3D& transform, double hight, double plane);

}  // namespace gridova
