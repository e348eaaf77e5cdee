#include "render/map_title.h"

#include <algorithm>
#include <cmath>

#include "data/section_io.h"

namespace gridova {

namespace {

constexpr std::size_t kTitleLines = 3;
// The smallest "TX01" section a count can stand for: two records.
constexpr std::size_t kMinTextSection = 16;

int roundHalf(double v) { return static_cast<int>(std::trunc(v + 0.5)); }

// The "TS01" record after its tag; the count of lines is handed to the
// caller, which reads the lines.
template <class Title, class Io>
void titleFields(Title& t, Io& io, std::int32_t& count) {
    io.word(count);
    io.word(t.width);
    io.word(t.height);
    io.word(t.show);
    io.word(t.top);
    io.word(t.bottom);
    for (auto& v : t.kept) io.number(v);
}

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

MapTitle MapTitle::fromHeaderLines(const std::vector<std::string>& headers) {
    MapTitle title;
    title.lines.resize(kTitleLines);
    for (std::size_t i = 0; i < kTitleLines; ++i) {
        title.lines[i].text = i < headers.size() ? headers[i] : std::string();
    }
    return title;
}

MapTitle MapTitle::fromTexts(const std::vector<std::string>& texts) {
    MapTitle title;
    for (const std::string& s : texts) {
        MapText t;
        t.text = s;
        title.lines.push_back(std::move(t));
    }
    return title;
}

int MapTitle::layOut(DrawingCanvas& canvas, bool output, bool screenWithoutZoom, int mapTop) {
    if (lines.empty() || show == 0) {
        height = 0;
        bottom = 0;
        return 0;
    }
    const int previous = height;
    top = 0;
    if (screenWithoutZoom && mapTop - previous - 5 > 0) top = mapTop - previous - 5;
    height = 2;
    width = 0;
    const int drawable = canvas.areaSize().cx;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        canvas.selectGeneralFont(i == 0 ? 2 : i == 1 ? 3 : 4);
        MapText& line = lines[i];
        const std::string& s = line.text ? *line.text : std::string();
        const gdi::Size size = canvas.textExtent(s);
        const int x = std::max(0, (drawable - size.cx) / 2);
        const int y = top + height;
        line.left = x;
        line.top = y;
        line.right = x + size.cx;
        line.bottom = y + size.cy;
        if (output && !s.empty()) {
            canvas.setTextColor(line.color);
            canvas.drawText(x, y, s);
            canvas.restoreTextColor();
        }
        width = std::max(width, size.cx);
        height += size.cy;
        height += static_cast<int>(std::trunc(0.3 * size.cy));
    }
    canvas.restoreGeneralFont();
    bottom = top + height;
    return bottom;
}

void MapTitle::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTag);
    auto count = static_cast<std::int32_t>(lines.size());
    RecordWriting io(r);
    titleFields(*this, io, count);
    r.writeRecord(out);
    for (const MapText& line : lines) line.writeSection(out);
}

bool MapTitle::readSection(BinaryReader& in) {
    *this = MapTitle();
    RecordBuffer r;
    if (section_io::openSection(in, r, kTag) != 1) return false;
    std::int32_t count = 0;
    RecordReading io(r);
    // A record shorter than this layout is damaged.
    titleFields(*this, io, count);
    if (!io.allTaken()) return section_io::refuse(in);
    if (!section_io::countFits(in, count, kMinTextSection)) return section_io::refuse(in);
    lines.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        MapText line;
        if (!line.readSection(in)) return section_io::stop(in);
        lines.push_back(std::move(line));
    }
    return true;
}

int TitleLayer::layOut(DrawingCanvas& canvas) {
    mapTop_ = canvas.drawingArea().top;
    drawableWidth_ = canvas.areaSize().cx;
    return title_.layOut(canvas, false, screenWithoutZoom, mapTop_);
}

void TitleLayer::draw(DrawingCanvas& canvas) {
    title_.layOut(canvas, true, screenWithoutZoom, mapTop_);
}

gdi::Rect TitleLayer::area() const {
    return {0, title_.top, drawableWidth_, title_.top + title_.height};
}

}  // namespace gridova
