// Point badges: how a point set is drawn on the map.
//
// In this order, for a visible set whose format shows it: values as circles
// (ValueShow: radius MinRadius + trunc(s · (MaxRadius − MinRadius)) for a
// size factor s that is not negative, filled first, outlined again after),
// then every point inside the visible world gets its badge: a marker circle
// of BadgetRadius filled with ColotPoint, and beside it the label and the
// value (ShowLabel, ShowDigit). A point outside loses its screen box.
#pragma once

#include <string>

#include "data/point_set.h"
#include "render/drawing_canvas.h"

namespace gridova {

// "%.<digits>lf", or "%.<digits>lg" when the set's values lie within
// ±0.00001.
std::string badgeValueFormat(const PointSet& set);

// The radius of a value circle for a size factor; nothing for a negative
// factor.
std::optional<int> valueCircleRadius(const BadgeFormat& format, double sizeFactor);

// Draws the set (as seen) with its badge format.
void drawPointSet(DrawingCanvas& canvas, PointSet& set);

// The editor's markers: red circles of the badge radius.
void drawEditorMarkers(DrawingCanvas& canvas, const PointSet& set);

}  // namespace gridova
