#include "objects/map_items.h"

#include "data/font_record.h"
#include "data/section_io.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr std::string_view kAxisTag = "AX01";
constexpr std::string_view kTextTag = "TX01";

// A text of a record as UTF-8; an absent or missing text leaves it.
void takeText(RecordBuffer& r, std::string& text) {
    std::optional<std::string> t;
    if (r.takeString(t) >= 0 && t) text = toUtf8(*t);
}

}  // namespace

void MapAxis::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kAxisTag);
    for (std::int32_t v :
         {static_cast<std::int32_t>(colorLine), static_cast<std::int32_t>(colorText), widthLine,
          initSpacing, spacing, autoDecimalDigit, decimalDigit, tickLength, labelExtent, xy, locate,
          visible, autoTicks, hasValueTransform}) {
        r.putWord(v);
    }
    for (double v : world) r.putDouble(v);
    for (double v : clipped) r.putDouble(v);
    for (double v : {worldStart, worldEnd, valueStart, valueEnd, factor, inverseFactor, initTicks,
                     lastTicks, tickStep}) {
        r.putDouble(v);
    }
    r.putString(name);
    r.putString(labelFormat);
    r.putPresence(title.has_value());
    if (title) r.putString(*title);
    r.writeRecord(out);
    writeFontRecord(out, font);
}

bool MapAxis::readSection(BinaryReader& in) {
    *this = MapAxis();
    RecordBuffer r;
    if (section_io::openSection(in, r, kAxisTag) != 1) return false;
    std::int32_t colors[2] = {static_cast<std::int32_t>(colorLine),
                              static_cast<std::int32_t>(colorText)};
    for (std::int32_t& c : colors) r.getWord(c);
    colorLine = static_cast<gdi::ColorRef>(colors[0]);
    colorText = static_cast<gdi::ColorRef>(colors[1]);
    for (std::int32_t* v :
         {&widthLine, &initSpacing, &spacing, &autoDecimalDigit, &decimalDigit, &tickLength,
          &labelExtent, &xy, &locate, &visible, &autoTicks, &hasValueTransform}) {
        r.getWord(*v);
    }
    for (double& v : world) r.getDouble(v);
    for (double& v : clipped) r.getDouble(v);
    for (double* v : {&worldStart, &worldEnd, &valueStart, &valueEnd, &factor, &inverseFactor,
                      &initTicks, &lastTicks, &tickStep}) {
        r.getDouble(*v);
    }
    takeText(r, name);
    takeText(r, labelFormat);
    std::int32_t hasTitle = 0;
    if (r.getWord(hasTitle) >= 0 && hasTitle != 0) {
        std::optional<std::string> t;
        if (r.takeString(t) < 0) return section_io::refuse(in);
        if (t) title = toUtf8(*t);
    }
    if (!readFontRecord(in, font)) return section_io::refuse(in);
    return true;
}

void MapText::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTextTag);
    const auto length = static_cast<std::int32_t>(text ? text->size() : 0);
    for (std::int32_t v : {left, top, right, bottom, length, static_cast<std::int32_t>(color)}) {
        r.putWord(v);
    }
    for (double v : place) r.putDouble(v);
    r.putPresence(text.has_value());
    if (text) r.putString(*text);
    r.writeRecord(out);
    r.putPresence(font.has_value());
    r.writeRecord(out);
    if (font) writeFontRecord(out, *font);
}

bool MapText::readSection(BinaryReader& in) {
    *this = MapText();
    RecordBuffer r;
    if (section_io::openSection(in, r, kTextTag) != 1) return false;
    std::int32_t length = 0;
    std::int32_t c = static_cast<std::int32_t>(color);
    for (std::int32_t* v : {&left, &top, &right, &bottom, &length, &c}) r.getWord(*v);
    color = static_cast<gdi::ColorRef>(c);
    for (double& v : place) r.getDouble(v);
    std::int32_t hasText = 0;
    if (r.getWord(hasText) >= 0 && hasText != 0) {
        std::optional<std::string> t;
        if (r.takeString(t) < 0) return section_io::refuse(in);
        if (t) text = toUtf8(*t);
    }
    std::int32_t hasFont = 0;
    if (r.readRecord(in) < 0) return section_io::refuse(in);
    r.getWord(hasFont);
    if (hasFont != 0) {
        gdi::LogFont f;
        if (!readFontRecord(in, f)) return section_io::refuse(in);
        font = f;
    }
    return true;
}

}  // namespace gridova
