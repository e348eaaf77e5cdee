#include "platform/recording_device.h"
#include "platform/text_codec.h"

#include <cstdio>

namespace gridova::gdi {
namespace {

std::string pointText(Point p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

std::string rectText(const Rect& r) {
    return pointText({r.left, r.top}) + " " + pointText({r.right, r.bottom});
}

std::string pointsText(const Point* points, std::size_t count) {
    std::string s;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) s += ' ';
        s += pointText(points[i]);
    }
    return s;
}

}  // namespace

std::string colorText(ColorRef c) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02x%02x%02x", redOf(c), greenOf(c), blueOf(c));
    return buffer;
}

void RecordingDevice::setPen(const Pen& pen) {
    pen_ = pen;
    add("pen " + std::to_string(static_cast<int>(pen.style)) + " " + std::to_string(pen.width) +
        " " + colorText(pen.color));
}

void RecordingDevice::setBrush(const Brush& brush) {
    brush_ = brush;
    switch (brush.style) {
        case Brush::Style::Solid:
            add("brush solid " + colorText(brush.color));
            break;
        case Brush::Style::Hatched:
            add("brush hatch " + std::to_string(static_cast<int>(brush.hatch)) + " " +
                colorText(brush.color));
            break;
        case Brush::Style::Hollow:
            add("brush hollow");
            break;
    }
}

void RecordingDevice::setFont(const LogFont& font) {
    font_ = font;
    add("font " + font.faceName + " " + std::to_string(font.height) + " " +
        std::to_string(font.escapement));
}

void RecordingDevice::setTextColor(ColorRef color) { add("textcolor " + colorText(color)); }

void RecordingDevice::setBackgroundColor(ColorRef color) { add("bkcolor " + colorText(color)); }

void RecordingDevice::setBackgroundMode(BackgroundMode mode) {
    add(mode == BackgroundMode::Opaque ? "bkmode opaque" : "bkmode transparent");
}

void RecordingDevice::setRasterOp(RasterOp op) {
    add("rop " + std::to_string(static_cast<int>(op)));
}

void RecordingDevice::moveTo(Point p) { add("move " + pointText(p)); }

void RecordingDevice::lineTo(Point p) { add("lineto " + pointText(p)); }

void RecordingDevice::polyline(const Point* points, std::size_t count) {
    add("polyline " + std::to_string(count) + " " + pointsText(points, count));
}

void RecordingDevice::polygon(const Point* points, std::size_t count) {
    add("polygon " + std::to_string(count) + " " + pointsText(points, count));
}

void RecordingDevice::rectangle(const Rect& box) { add("rectangle " + rectText(box)); }

void RecordingDevice::ellipse(const Rect& box) { add("ellipse " + rectText(box)); }

void RecordingDevice::roundRect(const Rect& box, std::int32_t w, std::int32_t h) {
    add("roundrect " + rectText(box) + " " + std::to_string(w) + " " + std::to_string(h));
}

void RecordingDevice::fillRect(const Rect& box, ColorRef color) {
    add("fill " + rectText(box) + " " + colorText(color));
}

void RecordingDevice::textOut(Point p, std::string_view utf8) {
    add("text " + pointText(p) + " " + std::string(utf8));
}

Size RecordingDevice::textExtent(std::string_view utf8) {
    return {static_cast<std::int32_t>(utf8Length(utf8)) * kCharWidth, kCharHeight};
}

void RecordingDevice::drawBitmap(const Dib& picture, const Rect& box, BitmapOp op) {
    add("bitmap " + std::to_string(picture.width) + "x" + std::to_string(picture.height) + " " +
        rectText(box) + (op == BitmapOp::And ? " and" : " copy"));
}

void RecordingDevice::clipTo(const Rect& box) { add("clip " + rectText(box)); }

void RecordingDevice::excludeClip(const Rect& box) { add("exclude " + rectText(box)); }

void RecordingDevice::clearClip() { add("clip none"); }

std::vector<std::string> RecordingDevice::callsOf(std::string_view word) const {
    std::vector<std::string> result;
    for (const auto& c : calls_) {
        if (c.size() > word.size() && c.compare(0, word.size(), word) == 0 &&
            c[word.size()] == ' ') {
            result.push_back(c);
        }
    }
    return result;
}

}  // namespace gridova::gdi
