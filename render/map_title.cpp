#include "render/map_title.h"

#include <algorithm>
#include <cmath>

namespace gridova {

namespace {

int roundHalf(double v) { return static_cast<int>(std::trunc(v + 0.5)); }

}  // namespace

void drawMapText(DrawingCanvas& canvas, MapText& t, gdi::Point anchor, TextPlacement placement) {
    const std::string& s = t.text ? *t.text : std::string();
    if (t.font) canvas.selectFont(*t.font);
    const gdi::Size size = canvas.textExtent(s);
    int left = anchor.x, top = anchor.y;
    switch (placement) {
        case TextPlacement::TopLeft:
            break;
        case TextPlacement::CentredBelow:
            left = roundHalf(anchor.x - size.cx / 2.0);
            break;
        case TextPlacement::CentredAbove:
            left = roundHalf(anchor.x - size.cx / 2.0);
            top = anchor.y - size.cy;
            break;
        case TextPlacement::EndingLeft:
            left = anchor.x - size.cx;
            top = roundHalf(anchor.y - size.cy / 2.0);
            break;
        case TextPlacement::StartingRight:
            top = roundHalf(anchor.y - size.cy / 2.0);
            break;
    }
    t.left = left;
    t.top = top;
    t.right = left + size.cx;
    t.bottom = top + size.cy;
    canvas.setTextColor(t.color);
    canvas.drawText(left, top, s);
    canvas.restoreTextColor();
    if (t.font) canvas.restoreGeneralFont();
}

int layOutTitle(DrawingCanvas& canvas, MapTitle& title, bool output, bool screenWithoutZoom,
                int mapTop) {
    if (title.lines.empty() || title.show == 0) {
        title.height = 0;
        title.bottom = 0;
        return 0;
    }
    const int previous = title.height;
    title.top = 0;
    if (screenWithoutZoom && mapTop - previous - 5 > 0) title.top = mapTop - previous - 5;
    title.height = 2;
    title.width = 0;
    const int drawable = canvas.areaSize().cx;
    for (std::size_t i = 0; i < title.lines.size(); ++i) {
        canvas.selectGeneralFont(i == 0 ? 2 : i == 1 ? 3 : 4);
        MapText& line = title.lines[i];
        const std::string& s = line.text ? *line.text : std::string();
        const gdi::Size size = canvas.textExtent(s);
        const int x = std::max(0, (drawable - size.cx) / 2);
        const int y = title.top + title.height;
        line.left = x;
        line.top = y;
        line.right = x + size.cx;
        line.bottom = y + size.cy;
        if (output && !s.empty()) {
            canvas.setTextColor(line.color);
            canvas.drawText(x, y, s);
            canvas.restoreTextColor();
        }
        title.width = std::max(title.width, size.cx);
        title.height += size.cy;
        title.height += static_cast<int>(std::trunc(0.3 * size.cy));
    }
    canvas.restoreGeneralFont();
    title.bottom = title.top + title.height;
    return title.bottom;
}

int TitleLayer::layOut(DrawingCanvas& canvas) {
    mapTop_ = canvas.drawingArea().top;
    drawableWidth_ = canvas.areaSize().cx;
    MapTitle* title = source_();
    area_ = {};
    if (title == nullptr) return 0;
    const int bottom = layOutTitle(canvas, *title, false, screenWithoutZoom, mapTop_);
    area_ = {0, title->top, drawableWidth_, title->top + title->height};
    return bottom;
}

void TitleLayer::draw(DrawingCanvas& canvas) {
    MapTitle* title = source_();
    if (title == nullptr) return;
    layOutTitle(canvas, *title, true, screenWithoutZoom, mapTop_);
    area_ = {0, title->top, drawableWidth_, title->top + title->height};
}

gdi::Rect TitleLayer::area() const { return area_; }

}  // namespace gridova
