// Axes: graduated lines along the sides of the map, with ticks, labels and
// an optional title.
//
// Tick choice (L = world length of the axis, D = its device length, s = its
// world start):
// 1. digits: with AutoDecimalDigit, the decimal places of ten consecutive
//    pairs (v, v + L/10) from s, the largest plus one when it is not 0;
//    otherwise DecimalDigit;
// 2. W = the wider of the labels of the first and last world value, plus
//    Spacing; n = trunc(D / W) − 1, at least 1;
// 3. first = nice(s, s + 0.05 L), step = nice(L/n, 2L/n);
// 4. without AutoTicks, first = InitTicks and step = TickStep;
// 5. with AutoDecimalDigit the digits again over the pairs (v, v + step)
//    that the ticks make.
// Ticks are drawn from the first value not below s while v <= s + L; a step
// that is not positive (or not finite) draws no tick. Digits are held to
// 0..10.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/point_set.h"
#include "objects/bush.h"
#include "objects/map_items.h"
#include "render/drawing_canvas.h"
#include "render/map_layers.h"

namespace gridova {

// How many times |a − b| must be multiplied by 10 to reach at least 1 (0
// when |a − b| < 1e-30), at most 10.
int decimalPlaces(double a, double b);

// The ticks chosen for an axis.
struct AxisTicks {
    double first = 0;
    double step = 1;
    int digits = 0;
    // The values drawn: from the first value not below the start while not
    // beyond the end. Empty for a step that is not positive.
    std::vector<double> values;
};

// Measures label widths with the canvas's current font.
AxisTicks chooseTicks(const MapAxis& axis, double start, double length, int deviceLength,
                      DrawingCanvas& canvas);
// The label value of a world coordinate along the axis (through its value
// transform when it has one), and the world coordinate of a label value.
double axisValueOf(const MapAxis& axis, double world);
double axisWorldOf(const MapAxis& axis, double value);
// A series laid over the map ("Изолировать серию": its derived set) gives
// the axis a value transform, so that its labels show the series' own
// coordinates; a set that is not laid over the map (or none) takes it
// away.
void attachSeries(MapAxis& axis, const PointSet* set);
// Does the axis show the coordinates of this series?
bool showsSeries(const MapAxis& axis, const PointSet& set);
// The values a first value and a step give over start..start + length.
std::vector<double> tickValues(double first, double step, double start, double length);

// The profile section of the axis's position ("Axe X top", ...).
std::string axisProfileSection(const MapAxis& axis);
// Sets Locate and the name that goes with it (messages 436-439).
void setAxisLocate(MapAxis& axis, std::int32_t locate);
void readAxisProfile(MapAxis& axis, std::string_view section);
void writeAxisProfile(const MapAxis& axis, std::string_view section);
// Only the ticks and digits of the position's section ("Предыдущие").
void readAxisTicks(MapAxis& axis);

// The axes a tree holds, in tree order (its items, then its groups').
std::vector<const MapAxis*> axesIn(const Bush& tree);

// Places the axis along the side of the map rectangle it belongs to.
void fitAxis(MapAxis& axis, const WorldRect& map);
// The room the axis takes beside the map, in pixels: TickLenght + 1 + the
// labels' extent across the axis + the title's height.
int axisMargin(MapAxis& axis, DrawingCanvas& canvas);
// Draws the axis when it is visible and meets the visible world.
void drawAxis(MapAxis& axis, DrawingCanvas& canvas);

// The axes of a map view: a group with a child group per side.
class AxesLayer final : public MapAxesLayer {
public:
    static constexpr const char* kDefaultSection = "Default Axes";

    AxesLayer();
    Bush& tree() { return tree_; }
    const Bush& tree() const { return tree_; }
    // Puts the axis into its side's group (made on first use).
    MapAxis& add(MapAxis axis);
    // Every axis goes.
    void clear();
    // The axis goes; false when it is not one of the layer's.
    bool remove(const MapAxis* axis);
    // The axes become those of a tree read from a document (its axis
    // items, in tree order); false, with the axes unchanged, when it holds
    // none.
    bool takeAxesOf(const Bush& tree);
    std::vector<MapAxis*> axes();
    // The default axes of new maps ("Default Axes" "Count", "Default axe %d").
    void readDefaults();
    void writeDefaults();

    std::optional<DRect> extent() const override { return std::nullopt; }
    void fit(const WorldRect& world) override;
    void addRoom(DrawingCanvas& canvas) override;
    void draw(DrawingCanvas& canvas) override;

private:
    Bush tree_;
};

}  // namespace gridova
