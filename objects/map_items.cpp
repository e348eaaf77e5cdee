#include "objects/map_items.h"

#include "data/font_record.h"
#include "data/section_io.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr std::string_view kAxisTag = "AX01";
constexpr std::string_view kTextTag = "TX01";

// A text kept as UTF-8; reading, an absent or missing text leaves it.
template <class Io, class Text>
void utf8Text(Io& io, Text& text) {
    if constexpr (Io::kReading) {
        std::optional<std::string> t;
        if (io.text(t) && t) text = toUtf8(*t);
    } else {
        io.text(text);
    }
}

// A flagged text kept as UTF-8; reading, an absent text leaves it. A text
// the flag promises but the record does not hold marks the record damaged.
template <class Io, class Text>
void utf8FlaggedText(Io& io, Text& text) {
    if constexpr (Io::kReading) {
        std::optional<std::string> t;
        if (io.flaggedText(t) && t) text = toUtf8(*t);
    } else {
        io.flaggedText(text);
    }
}

// The "AX01" record after its tag.
template <class Axis, class Io>
void axisFields(Axis& a, Io& io) {
    io.word(a.colorLine);
    io.word(a.colorText);
    for (auto* v : {&a.widthLine, &a.initSpacing, &a.spacing, &a.autoDecimalDigit, &a.decimalDigit,
                    &a.tickLength, &a.labelExtent, &a.xy, &a.locate, &a.visible, &a.autoTicks,
                    &a.hasValueTransform}) {
        io.word(*v);
    }
    for (auto& v : a.world) io.number(v);
    for (auto& v : a.clipped) io.number(v);
    for (auto* v : {&a.worldStart, &a.worldEnd, &a.valueStart, &a.valueEnd, &a.factor,
                    &a.inverseFactor, &a.initTicks, &a.lastTicks, &a.tickStep}) {
        io.number(*v);
    }
    utf8Text(io, a.name);
    utf8Text(io, a.labelFormat);
    utf8FlaggedText(io, a.title);
}

// The "TX01" record after its tag. The text's length in bytes is stored but
// not used when read: the text carries its own.
template <class Text, class Io>
void textFields(Text& t, Io& io) {
    io.word(t.left);
    io.word(t.top);
    io.word(t.right);
    io.word(t.bottom);
    if constexpr (Io::kReading) {
        std::int32_t length = 0;
        io.word(length);
    } else {
        io.word(static_cast<std::int32_t>(t.text ? t.text->size() : 0));
    }
    io.word(t.color);
    for (auto& v : t.place) io.number(v);
    utf8FlaggedText(io, t.text);
}

}  // namespace

void MapAxis::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kAxisTag);
    RecordWriting io(r);
    axisFields(*this, io);
    r.writeRecord(out);
    writeFontRecord(out, font);
}

bool MapAxis::readSection(BinaryReader& in) {
    *this = MapAxis();
    RecordBuffer r;
    if (section_io::openSection(in, r, kAxisTag) != 1) return false;
    RecordReading io(r);
    axisFields(*this, io);
    if (io.damaged()) return section_io::refuse(in);
    if (!readFontRecord(in, font)) return section_io::refuse(in);
    return true;
}

void MapText::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTextTag);
    RecordWriting io(r);
    textFields(*this, io);
    r.writeRecord(out);
    r.putPresence(font.has_value());
    r.writeRecord(out);
    if (font) writeFontRecord(out, *font);
}

bool MapText::readSection(BinaryReader& in) {
    *this = MapText();
    RecordBuffer r;
    if (section_io::openSection(in, r, kTextTag) != 1) return false;
    RecordReading io(r);
    textFields(*this, io);
    if (io.damaged()) return section_io::refuse(in);
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
