#include "render/axes.h"

#include <algorithm>
#include <cmath>

#include "data/font_block.h"
#include "data/nice_value.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace gridova {

namespace {

constexpr int kMaxDigits = 10;
constexpr std::size_t kMaxTicks = 10'000;  // more would be no graduation but ink
constexpr int kLocateNames = 436;          // "Y левая" + (Locate − 3)

void readColor(std::string_view section, std::string_view key, gdi::ColorRef& c) {
    std::int64_t v = c;
    if (readProfileLong(section, key, v) == 0 && v >= 0 && v <= 0xFFFFFF) {
        c = static_cast<gdi::ColorRef>(v);
    }
}

std::string labelFormatFor(int digits) {
    return "%." + std::to_string(std::clamp(digits, 0, kMaxDigits)) + "lf";
}

// The label of a world value (through the value transform when set).
std::string labelOf(const MapAxis& axis, double v, int digits) {
    return formatText(labelFormatFor(digits), {axisValueOf(axis, v)});
}

// The largest decimal-place count over `count` pairs (v, v + step) from
// `from`, plus one when it is not 0.
int digitsOver(double from, double step, long count) {
    int most = 0;
    double v = from;
    for (long k = 0; k < count && k < 100; ++k) {
        most = std::max(most, decimalPlaces(v, v + step));
        v += step;
    }
    return std::min(kMaxDigits, most == 0 ? 0 : most + 1);
}

bool horizontal(const MapAxis& axis) { return axis.xy != MapAxis::kVertical; }

// The axis's world start and length along its direction, clipped to the
// visible world; nothing when it misses it.
struct AxisSpan {
    double start = 0, length = 0, across = 0;  // across: the fixed coordinate
};

std::optional<AxisSpan> visibleSpan(MapAxis& axis, const WorldRect& visible) {
    if (horizontal(axis)) {
        const double y = axis.world[2];
        const double a = std::max(std::min(axis.world[0], axis.world[1]), visible.xmin);
        const double b = std::min(std::max(axis.world[0], axis.world[1]), visible.xmax);
        if (y < visible.ymin || y > visible.ymax || a > b) return std::nullopt;
        axis.clipped[0] = a, axis.clipped[1] = b, axis.clipped[2] = axis.clipped[3] = y;
        return AxisSpan{a, b - a, y};
    }
    const double x = axis.world[0];
    const double a = std::max(std::min(axis.world[2], axis.world[3]), visible.ymin);
    const double b = std::min(std::max(axis.world[2], axis.world[3]), visible.ymax);
    if (x < visible.xmin || x > visible.xmax || a > b) return std::nullopt;
    axis.clipped[0] = axis.clipped[1] = x, axis.clipped[2] = a, axis.clipped[3] = b;
    return AxisSpan{a, b - a, x};
}

int deviceLength(const MapAxis& axis, const AxisSpan& span, const DrawingCanvas& canvas) {
    if (horizontal(axis)) {
        return std::abs(canvas.toDeviceX(span.start + span.length) - canvas.toDeviceX(span.start));
    }
    return std::abs(canvas.toDeviceY(span.start + span.length) - canvas.toDeviceY(span.start));
}

gdi::Point deviceOf(const MapAxis& axis, double v, double across, const DrawingCanvas& canvas) {
    return horizontal(axis) ? canvas.toDevice(v, across) : canvas.toDevice(across, v);
}

// The ticks and digits of a position's section.
void readTickKeys(MapAxis& axis, std::string_view section) {
    readProfileDouble(section, "InitTicks", axis.initTicks);
    readProfileDouble(section, "LastTicks", axis.lastTicks);
    readProfileDouble(section, "TickStep", axis.tickStep);
    readProfileInt(section, "AutoDecimalDigit", axis.autoDecimalDigit);
    readProfileInt(section, "DecimalDigit", axis.decimalDigit);
    axis.decimalDigit = std::clamp(axis.decimalDigit, 0, kMaxDigits);
    axis.labelFormat = labelFormatFor(axis.decimalDigit);
}

}  // namespace

int decimalPlaces(double a, double b) {
    double d = std::abs(a - b);
    if (!(d >= 1e-30) || !std::isfinite(d)) return 0;
    int places = 0;
    while (d < 1 && places < kMaxDigits) {
        d *= 10;
        ++places;
    }
    return places;
}

std::vector<double> tickValues(double first, double step, double start, double length) {
    std::vector<double> values;
    if (!(step > 0) || !std::isfinite(step) || !std::isfinite(first) || !std::isfinite(start) ||
        !std::isfinite(length)) {
        return values;
    }
    const double end = start + length;
    double v = first;
    if (v < start) {
        // Raised by whole steps until it is not below the start.
        const double k = std::ceil((start - v) / step);
        if (k > 1e15) return values;
        v += k * step;
        while (v < start) v += step;
    }
    if ((end - v) / step > static_cast<double>(kMaxTicks)) return values;
    for (; v <= end && values.size() < kMaxTicks; v += step) values.push_back(v);
    return values;
}

AxisTicks chooseTicks(const MapAxis& axis, double s, double length, int deviceLen,
                      DrawingCanvas& canvas) {
    // An axis that shows a series' own coordinates chooses its ticks among
    // those values, so that its labels are round numbers; the ticks are
    // then placed back on the map.
    const bool valued = axis.hasValueTransform != 0 && axis.factor > 0 &&
                        std::isfinite(axis.factor) && std::isfinite(axis.valueStart);
    const auto toValue = [&](double w) { return valued ? axisValueOf(axis, w) : w; };
    const auto toWorld = [&](double v) { return valued ? axisWorldOf(axis, v) : v; };
    const double vs = toValue(s);
    const double vl = valued ? length * axis.factor : length;
    AxisTicks ticks;
    // 1.
    int digits = axis.autoDecimalDigit != 0 ? digitsOver(vs, vl / 10, 10)
                                            : std::clamp(axis.decimalDigit, 0, kMaxDigits);
    // 2.
    canvas.selectFont(axis.font);
    const int w0 = canvas.textExtent(labelOf(axis, s, digits)).cx;
    const int w1 = canvas.textExtent(labelOf(axis, s + length, digits)).cx;
    canvas.restoreGeneralFont();
    const int width = std::max(w0, w1) + axis.spacing;
    long n = width > 0 ? deviceLen / width - 1 : 1;
    if (n < 1) n = 1;
    // 3.
    double first = niceValueBetween(vs, vs + 0.05 * vl);
    double step = niceValueBetween(vl / static_cast<double>(n), 2 * vl / static_cast<double>(n));
    // 4.
    if (axis.autoTicks == 0) {
        first = axis.initTicks;
        step = axis.tickStep;
    }
    // 5.
    if (axis.autoDecimalDigit != 0) {
        long m = 0;
        if (step > 0) {
            const double span = first < vs ? vl : vl + first - vs;
            const double q = span / step;
            m = q < 1e9 ? static_cast<long>(q) : 1'000'000'000L;
        }
        digits = m < 1 ? 0 : digitsOver(first, step, m);
    }
    ticks.digits = digits;
    ticks.first = toWorld(first);
    ticks.step = valued ? step / axis.factor : step;
    ticks.values = tickValues(ticks.first, ticks.step, s, length);
    return ticks;
}

double axisValueOf(const MapAxis& axis, double world) {
    return axis.hasValueTransform != 0 ? axis.valueStart + (world - axis.worldStart) * axis.factor
                                       : world;
}

double axisWorldOf(const MapAxis& axis, double value) {
    if (axis.hasValueTransform == 0 || axis.factor == 0) return value;
    return axis.worldStart + (value - axis.valueStart) / axis.factor;
}

void attachSeries(MapAxis& axis, const PointSet* set) {
    axis.hasValueTransform = 0;
    const PointSet* laid = set != nullptr ? set->derived() : nullptr;
    if (laid == nullptr) return;
    const bool across = horizontal(axis);
    const double scale = across ? laid->xScale : laid->yScale;
    if (!(scale > 0) || !std::isfinite(scale)) return;
    // The laid set put the series' least coordinate at its offset.
    const double lo = across ? set->xmin : set->ymin;
    const double hi = across ? set->xmax : set->ymax;
    axis.worldStart = across ? laid->xOffset : laid->yOffset;
    axis.worldEnd = axis.worldStart + (hi - lo) * scale;
    axis.valueStart = lo;
    axis.valueEnd = hi;
    axis.factor = 1 / scale;
    axis.inverseFactor = scale;
    axis.hasValueTransform = 1;
}

bool showsSeries(const MapAxis& axis, const PointSet& set) {
    if (axis.hasValueTransform == 0) return false;
    MapAxis attached = axis;
    attachSeries(attached, &set);
    return attached.hasValueTransform != 0 && attached.worldStart == axis.worldStart &&
           attached.valueStart == axis.valueStart && attached.factor == axis.factor;
}

// --- Settings -----------------------------------------------------------------------------

std::string axisProfileSection(const MapAxis& axis) {
    if (horizontal(axis)) return axis.locate == MapAxis::kTop ? "Axe X top" : "Axe X bottom";
    return axis.locate == MapAxis::kRight ? "Axe Y right" : "Axe Y left";
}

void setAxisLocate(MapAxis& axis, std::int32_t locate) {
    if (locate < MapAxis::kLeft || locate > MapAxis::kBottom) return;
    axis.locate = locate;
    axis.name = text(kLocateNames + (locate - MapAxis::kLeft));
}

void readAxisProfile(MapAxis& axis, std::string_view section) {
    std::int32_t xy = axis.xy, locate = axis.locate;
    readProfileInt(section, "XY", xy);
    readProfileInt(section, "Locate", locate);
    if (xy == MapAxis::kHorizontal || xy == MapAxis::kVertical) axis.xy = xy;
    setAxisLocate(axis, locate);
    readProfileInt(section, "AutoTicks", axis.autoTicks);
    readTickKeys(axis, section);
    readColor(section, "ColorLine", axis.colorLine);
    readProfileInt(section, "WidthLine", axis.widthLine);
    readProfileInt(section, "InitSpacing", axis.initSpacing);
    readProfileInt(section, "Spacing", axis.spacing);
    readColor(section, "ColorText", axis.colorText);
    readProfileInt(section, "TickLenght", axis.tickLength);
    std::string title;
    if (readProfileText(section, "Title", title) == 0 && !title.empty()) axis.title = title;
    readLogFontProfile(section, axis.font);
}

void writeAxisProfile(const MapAxis& axis, std::string_view section) {
    writeProfileInt(section, "XY", axis.xy);
    writeProfileInt(section, "Locate", axis.locate);
    writeProfileInt(section, "AutoTicks", axis.autoTicks);
    writeProfileDouble(section, "InitTicks", axis.initTicks);
    writeProfileDouble(section, "LastTicks", axis.lastTicks);
    writeProfileDouble(section, "TickStep", axis.tickStep);
    writeProfileLong(section, "ColorLine", axis.colorLine);
    writeProfileInt(section, "WidthLine", axis.widthLine);
    writeProfileInt(section, "InitSpacing", axis.initSpacing);
    writeProfileInt(section, "Spacing", axis.spacing);
    writeProfileInt(section, "AutoDecimalDigit", axis.autoDecimalDigit);
    writeProfileInt(section, "DecimalDigit", axis.decimalDigit);
    writeProfileLong(section, "ColorText", axis.colorText);
    writeProfileInt(section, "TickLenght", axis.tickLength);
    writeProfileText(section, "Title", axis.title.value_or(""));
    writeLogFontProfile(section, axis.font);
}

void readAxisTicks(MapAxis& axis) {
    readTickKeys(axis, axisProfileSection(axis));
    axis.autoTicks = 0;
}

// --- Geometry and drawing ----------------------------------------------------------------------

void fitAxis(MapAxis& axis, const WorldRect& map) {
    if (horizontal(axis)) {
        const double y = axis.locate == MapAxis::kTop ? map.ymax : map.ymin;
        axis.world[0] = map.xmin, axis.world[1] = map.xmax;
        axis.world[2] = axis.world[3] = y;
    } else {
        const double x = axis.locate == MapAxis::kRight ? map.xmax : map.xmin;
        axis.world[0] = axis.world[1] = x;
        axis.world[2] = map.ymin, axis.world[3] = map.ymax;
    }
}

int axisMargin(MapAxis& axis, DrawingCanvas& canvas) {
    if (axis.visible == 0) return 0;
    const double s = horizontal(axis) ? std::min(axis.world[0], axis.world[1])
                                      : std::min(axis.world[2], axis.world[3]);
    const double length = horizontal(axis) ? std::abs(axis.world[1] - axis.world[0])
                                           : std::abs(axis.world[3] - axis.world[2]);
    const int deviceLen =
        horizontal(axis) ? canvas.drawingArea().width() : canvas.drawingArea().height();
    const AxisTicks ticks = chooseTicks(axis, s, length, deviceLen, canvas);
    canvas.selectFont(axis.font);
    const std::string firstLabel =
        labelOf(axis, ticks.values.empty() ? s : ticks.values.front(), ticks.digits);
    const std::string lastLabel =
        labelOf(axis, ticks.values.empty() ? s + length : ticks.values.back(), ticks.digits);
    const gdi::Size a = canvas.textExtent(firstLabel);
    const gdi::Size b = canvas.textExtent(lastLabel);
    int titleHeight = 0;
    if (axis.title && !axis.title->empty()) titleHeight = canvas.textExtent(*axis.title).cy;
    canvas.restoreGeneralFont();
    axis.labelExtent = horizontal(axis) ? std::max(a.cy, b.cy) : std::max(a.cx, b.cx);
    return std::max(0, axis.tickLength) + 1 + axis.labelExtent + titleHeight;
}

void drawAxis(MapAxis& axis, DrawingCanvas& canvas) {
    if (axis.visible == 0) return;
    const std::optional<AxisSpan> span = visibleSpan(axis, canvas.visibleWorld());
    if (!span) return;
    const int t = std::max(0, axis.tickLength);
    const AxisTicks ticks =
        chooseTicks(axis, span->start, span->length, deviceLength(axis, *span, canvas), canvas);
    axis.labelFormat = labelFormatFor(ticks.digits);

    canvas.setPenWidth(std::max(0, axis.widthLine));
    canvas.setColorPen(axis.colorLine);
    const gdi::Point a = deviceOf(axis, span->start, span->across, canvas);
    const gdi::Point b = deviceOf(axis, span->start + span->length, span->across, canvas);
    canvas.line(a, b);

    canvas.selectFont(axis.font);
    canvas.setTextColor(axis.colorText);
    int extent = 0;
    for (const double v : ticks.values) {
        const gdi::Point d = deviceOf(axis, v, span->across, canvas);
        const std::string label = labelOf(axis, v, ticks.digits);
        const gdi::Size size = canvas.textExtent(label);
        if (horizontal(axis)) {
            canvas.line({d.x, d.y - t}, {d.x, d.y + t + 1});
            const int left = static_cast<int>(std::trunc(d.x - size.cx / 2.0 + 0.5));
            canvas.drawText(left, axis.locate == MapAxis::kTop ? d.y - t - size.cy : d.y + t,
                            label);
            extent = std::max(extent, size.cy);
        } else {
            canvas.line({d.x - t, d.y}, {d.x + t + 1, d.y});
            const int top = static_cast<int>(std::trunc(d.y - size.cy / 2.0 + 0.5));
            canvas.drawText(axis.locate == MapAxis::kRight ? d.x + t + 1 : d.x - t - 1 - size.cx,
                            top, label);
            extent = std::max(extent, size.cx);
        }
    }
    axis.labelExtent = extent;

    if (axis.title && !axis.title->empty()) {
        const gdi::Point mid = {(a.x + b.x) / 2, (a.y + b.y) / 2};
        const gdi::Size size = canvas.textExtent(*axis.title);
        if (horizontal(axis)) {
            const int left = static_cast<int>(std::trunc(mid.x - size.cx / 2.0 + 0.5));
            const int top =
                axis.locate == MapAxis::kTop ? mid.y - t - extent - size.cy : mid.y + t + extent;
            canvas.drawText(left, top, *axis.title);
        } else {
            // Turned a quarter: the text runs upward, its cell's top to the
            // left, centred on the middle of the axis.
            canvas.selectRotatedFont(900);
            const int anchor = axis.locate == MapAxis::kRight ? mid.x + t + 1 + extent
                                                              : mid.x - t - 1 - extent - size.cy;
            const int bottom = static_cast<int>(std::trunc(mid.y + size.cx / 2.0 + 0.5));
            canvas.drawText(anchor, bottom, *axis.title);
        }
    }
    canvas.restoreGeneralFont();
    canvas.restoreTextColor();
    canvas.setPenWidth(0);
    canvas.deletePen();
}

// --- The view's axes ---------------------------------------------------------------------------

namespace {

const char* groupOf(const MapAxis& axis) {
    if (horizontal(axis)) return axis.locate == MapAxis::kTop ? "X Top Axes" : "X Bottom Axes";
    return axis.locate == MapAxis::kRight ? "Y Right Axes" : "Y Left Axes";
}

}  // namespace

AxesLayer::AxesLayer() : tree_("Axes") {}

MapAxis& AxesLayer::add(MapAxis axis) {
    const char* name = groupOf(axis);
    Bush* group = tree_.findChild(name);
    if (group == nullptr) group = &tree_.addChild(std::make_unique<Bush>(name));
    return *group->addItem(BushItem(std::move(axis))).axis();
}

void AxesLayer::clear() {
    while (tree_.childCount() > 0) tree_.removeChild(&tree_.child(tree_.childCount() - 1));
    while (tree_.itemCount() > 0) tree_.removeItem(&tree_.item(tree_.itemCount() - 1));
}

bool AxesLayer::remove(const MapAxis* axis) {
    for (std::size_t c = 0; c < tree_.childCount(); ++c) {
        Bush& group = tree_.child(c);
        for (std::size_t i = 0; i < group.itemCount(); ++i) {
            if (group.item(i).axis() == axis) {
                group.removeItem(&group.item(i));
                return true;
            }
        }
    }
    return false;
}

std::vector<const MapAxis*> axesIn(const Bush& tree) {
    std::vector<const MapAxis*> found;
    for (std::size_t i = 0; i < tree.itemCount(); ++i) {
        if (const MapAxis* axis = tree.item(i).axis()) found.push_back(axis);
    }
    for (std::size_t c = 0; c < tree.childCount(); ++c) {
        const std::vector<const MapAxis*> inChild = axesIn(tree.child(c));
        found.insert(found.end(), inChild.begin(), inChild.end());
    }
    return found;
}

bool AxesLayer::takeAxesOf(const Bush& tree) {
    std::vector<MapAxis> found;
    for (const MapAxis* axis : axesIn(tree)) found.push_back(*axis);
    if (found.empty()) return false;
    clear();
    for (MapAxis& axis : found) add(std::move(axis));
    return true;
}

std::vector<MapAxis*> AxesLayer::axes() {
    std::vector<MapAxis*> all;
    for (std::size_t c = 0; c < tree_.childCount(); ++c) {
        Bush& group = tree_.child(c);
        for (std::size_t i = 0; i < group.itemCount(); ++i) {
            if (MapAxis* axis = group.item(i).axis()) all.push_back(axis);
        }
    }
    return all;
}

void AxesLayer::readDefaults() {
    std::int32_t count = 0;
    readProfileInt(kDefaultSection, "Count", count);
    count = std::clamp(count, 0, 4);
    for (std::int32_t n = 1; n <= count; ++n) {
        MapAxis axis;
        setAxisLocate(axis, axis.locate);
        readAxisProfile(axis, formatText("Default axe %d", {std::int64_t{n}}));
        add(std::move(axis));
    }
}

void AxesLayer::writeDefaults() {
    const std::vector<MapAxis*> all = axes();
    writeProfileInt(kDefaultSection, "Count", static_cast<std::int32_t>(all.size()));
    std::int64_t n = 1;
    for (const MapAxis* axis : all) writeAxisProfile(*axis, formatText("Default axe %d", {n++}));
}

void AxesLayer::fit(const WorldRect& world) {
    for (MapAxis* axis : axes()) fitAxis(*axis, world);
}

void AxesLayer::addRoom(DrawingCanvas& canvas) {
    for (MapAxis* axis : axes()) {
        const int m = axisMargin(*axis, canvas);
        switch (axis->locate) {
            case MapAxis::kLeft:
                canvas.addMargins(m, 0, 0, 0);
                break;
            case MapAxis::kRight:
                canvas.addMargins(0, 0, m, 0);
                break;
            case MapAxis::kTop:
                canvas.addMargins(0, m, 0, 0);
                break;
            default:
                canvas.addMargins(0, 0, 0, m);
                break;
        }
    }
}

void AxesLayer::draw(DrawingCanvas& canvas) {
    for (MapAxis* axis : axes()) drawAxis(*axis, canvas);
}

}  // namespace gridova
