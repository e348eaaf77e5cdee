// Point badges: how a point set is drawn on the map.
//
// In this order, for a visible set whose format shows it: the curve of its
// regression polynomial, when it has one; values as circles
// (ValueShow: radius MinRadius + trunc(s · (MaxRadius − MinRadius)) for a
// size factor s that is not negative, filled first, outlined again after),
// then every point inside the visible world gets its badge: a marker circle
// of BadgetRadius filled with ColotPoint, and beside it the label and the
// value (ShowLabel, ShowDigit). Each badge drawn leaves the box a click
// picks its point in; a point outside the visible world leaves none.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "data/point_set.h"
#include "render/drawing_canvas.h"

namespace gridova {

// "%.<digits>lf", or "%.<digits>lg" when the set's values lie within
// ±0.00001.
std::string badgeValueFormat(const PointSet& set);

// The radius of a value circle for a size factor; nothing for a negative
// factor.
std::optional<int> valueCircleRadius(const BadgeFormat& format, double sizeFactor);

// The boxes a click picks the points of a drawn set in, device pixels.
class BadgeBoxes {
public:
    void clear() { boxes_.clear(); }
    bool empty() const { return boxes_.empty(); }
    // The point (its index in the set as seen) was drawn with the box.
    void add(std::size_t point, const gdi::Rect& box) { boxes_.push_back({point, box}); }
    // The index of the first point drawn whose box holds the device point
    // (right and bottom edges outside), or -1.
    int hitTest(gdi::Point p) const;

private:
    struct Entry {
        std::size_t point;
        gdi::Rect box;
    };
    std::vector<Entry> boxes_;
};

// The regression curve of the set in device points: one per device column
// over the X range of the points that is visible; none when the set has no
// fitted regression.
std::vector<gdi::Point> regressionCurve(const DrawingCanvas& canvas, const PointSet& set);

// Draws the set (as seen) with its badge format; the boxes of the badges
// drawn go to boxes when given (cleared first).
void drawPointSet(DrawingCanvas& canvas, const PointSet& set, BadgeBoxes* boxes = nullptr);

// The editor's markers: red circles of the badge radius.
void drawEditorMarkers(DrawingCanvas& canvas, const PointSet& set);

}  // namespace gridova
