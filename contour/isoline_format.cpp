// `IsolineFormat` in the profile, in text files and in the document.
#include "contour/isoline_format.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <limits>
#include <optional>

#include "data/font_block.h"
#include "data/font_record.h"
#include "data/section_io.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kNotIsolineFormat = 206;  // "Файл не имеет определенный формат изолиний!"
constexpr gdi::ColorRef kColorMask = 0x00FFFFFFu;
constexpr std::string_view kOldTextTags[] = {"IzolineFormat:00", "IzolineFormat:01",
                                             "IzolineFormat:02"};
// Number lines of each text layout ":00" .. ":03".
constexpr int kTextNumbers[] = {6, 8, 9, 10};

bool validOrient(std::int64_t v) {
    return v >= static_cast<int>(LabelOrient::Readable) &&
           v <= static_cast<int>(LabelOrient::Descending);
}

LabelOrient orientOf(std::int64_t v) {
    return validOrient(v) ? static_cast<LabelOrient>(v) : LabelOrient::Readable;
}

std::int32_t clampDigits(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, 0, IsolineFormat::kMaxDigits));
}

gdi::ColorRef colorOf(std::int64_t v) { return static_cast<gdi::ColorRef>(v) & kColorMask; }

// A "%d" line: blanks, an optional sign and digits at its start, within 32
// bits; what follows them is not looked at.
std::optional<std::int32_t> integerLine(std::string_view line) {
    line = trimmed(line);
    std::size_t end = 0;
    if (end < line.size() && (line[end] == '-' || line[end] == '+')) ++end;
    const std::size_t digits = end;
    while (end < line.size() && std::isdigit(static_cast<unsigned char>(line[end])) != 0) ++end;
    if (end == digits) return std::nullopt;
    std::string_view token = line.substr(0, end);
    if (token.front() == '+') token.remove_prefix(1);
    return parseInteger(token);
}

// --- Profile keys ----------------------------------------------------------------------

void readFlagKey(std::string_view key, std::int32_t& flag) {
    std::int32_t v = flag;
    if (readProfileInt(IsolineFormat::kProfileSection, key, v) == 0) flag = v != 0 ? 1 : 0;
}

void readColorKey(std::string_view key, gdi::ColorRef& color) {
    std::int64_t v = color;
    if (readProfileLong(IsolineFormat::kProfileSection, key, v) == 0 && v >= 0 && v <= kColorMask) {
        color = static_cast<gdi::ColorRef>(v);
    }
}

void readRangeKey(std::string_view key, std::int32_t& member, std::int32_t lo, std::int32_t hi) {
    std::int32_t v = member;
    if (readProfileInt(IsolineFormat::kProfileSection, key, v) == 0 && v >= lo && v <= hi) {
        member = v;
    }
}

}  // namespace

// --- Profile ----------------------------------------------------------------------------

void IsolineFormat::readProfile() {
    constexpr std::int32_t kAny = std::numeric_limits<std::int32_t>::max();
    readFlagKey("Show", show);
    readColorKey("ColorLine", colorLine);
    readRangeKey("PenStyle", penStyle, 0, kMaxPenStyle);
    readRangeKey("WidthLine", widthLine, 0, kAny);
    readRangeKey("InitSpacing", initSpacing, 0, kAny);
    readRangeKey("Spacing", spacing, 0, kAny);
    std::int32_t digits = decimalDigit;
    if (readProfileInt(kProfileSection, "DecimalDigit", digits) == 0) {
        decimalDigit = clampDigits(digits);
    }
    readColorKey("ColorText", colorText);
    readColorKey("ColorLabelLine", colorLabelLine);
    readColorKey("ColorLabelPattern", colorLabelPattern);
    std::int32_t o = static_cast<std::int32_t>(orient);
    if (readProfileInt(kProfileSection, "Orient", o) == 0 && validOrient(o)) orient = orientOf(o);
    readFlagKey("BadgetShow", badgetShow);
    readLogFontProfile(kProfileSection, font);
}

void IsolineFormat::writeProfile() const {
    const auto put = [](std::string_view key, std::int64_t v) {
        writeProfileInt(kProfileSection, key, static_cast<std::int32_t>(v));
    };
    put("Show", show);
    put("ColorLine", colorLine);
    put("PenStyle", penStyle);
    put("WidthLine", widthLine);
    put("InitSpacing", initSpacing);
    put("Spacing", spacing);
    put("DecimalDigit", decimalDigit);
    put("ColorText", colorText);
    put("ColorLabelLine", colorLabelLine);
    put("ColorLabelPattern", colorLabelPattern);
    put("Orient", static_cast<std::int32_t>(orient));
    put("BadgetShow", badgetShow);
    writeLogFontProfile(kProfileSection, font);
}

// --- Text block ---------------------------------------------------------------------------

bool IsolineFormat::writeText(std::FILE* file) const {
    std::string s(kTextTag);
    s += '\n';
    for (std::int64_t v :
         {std::int64_t{colorLine}, std::int64_t{widthLine}, std::int64_t{spacing},
          std::int64_t{initSpacing}, std::int64_t{decimalDigit}, std::int64_t{colorText},
          std::int64_t{colorLabelLine}, std::int64_t{colorLabelPattern},
          std::int64_t{static_cast<std::int32_t>(orient)}, std::int64_t{badgetShow}}) {
        s += std::to_string(v);
        s += '\n';
    }
    if (std::fwrite(s.data(), 1, s.size(), file) != s.size()) return false;
    return writeLogFontText(file, font);
}

bool IsolineFormat::readText(LineSource& lines) {
    std::string_view line;
    int layout = -1;
    if (lines.next(line)) {
        const std::string_view tag = trimmed(line);
        for (int i = 0; i < 3; ++i) {
            if (tag == kOldTextTags[i]) layout = i;
        }
        if (tag == kTextTag) layout = 3;
    }
    if (layout < 0) {
        warning(text(kNotIsolineFormat));
        return false;
    }
    std::int32_t numbers[10] = {};
    for (int i = 0; i < kTextNumbers[layout]; ++i) {
        const std::optional<std::int32_t> v =
            lines.next(line) ? integerLine(line) : std::optional<std::int32_t>();
        if (!v) {
            warning(text(kNotIsolineFormat));
            return false;
        }
        numbers[i] = *v;
    }
    IsolineFormat next = *this;
    next.colorLine = colorOf(numbers[0]);
    next.widthLine = numbers[1];
    next.spacing = numbers[2];
    next.initSpacing = numbers[3];
    next.decimalDigit = clampDigits(numbers[4]);
    next.colorText = colorOf(numbers[5]);
    if (layout >= 1) {
        next.colorLabelLine = colorOf(numbers[6]);
        next.colorLabelPattern = colorOf(numbers[7]);
    }
    if (layout >= 2) next.orient = orientOf(numbers[8]);
    if (layout >= 3) next.badgetShow = numbers[9];
    if (!readLogFontText(lines, next.font)) return false;
    *this = std::move(next);
    return true;
}

// --- Document section ------------------------------------------------------------------------

namespace {

// The "IF01" record after its tag. Reading, colours keep their low 24 bits,
// the digits are held to 0..kMaxDigits and an unknown orientation reads as
// Readable.
template <class Format, class Io>
void formatFields(Format& f, Io& io) {
    io.word(f.show);
    io.word(f.badgetShow);
    io.word(f.colorLine);
    io.word(f.widthLine);
    io.word(f.initSpacing);
    io.word(f.spacing);
    io.word(f.decimalDigit);
    io.word(f.colorText);
    io.word(f.colorLabelLine);
    io.word(f.colorLabelPattern);
    if constexpr (Io::kReading) {
        auto orient = static_cast<std::int32_t>(f.orient);
        io.word(orient);
        f.orient = orientOf(orient);
    } else {
        io.word(static_cast<std::int32_t>(f.orient));
    }
    io.word(f.penStyle);
    if constexpr (Io::kReading) {
        for (gdi::ColorRef* c :
             {&f.colorLine, &f.colorText, &f.colorLabelLine, &f.colorLabelPattern}) {
            *c = colorOf(*c);
        }
        f.decimalDigit = clampDigits(f.decimalDigit);
    }
}

}  // namespace

void IsolineFormat::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kSectionTag);
    RecordWriting io(r);
    formatFields(*this, io);
    r.writeRecord(out);
    writeFontRecord(out, font);
}

bool IsolineFormat::readSection(BinaryReader& in) {
    RecordBuffer r;
    if (section_io::openSection(in, r, kSectionTag) != 1) return false;
    // Words a shorter record does not hold keep the members' values.
    IsolineFormat next = *this;
    RecordReading io(r);
    formatFields(next, io);
    if (!readFontRecord(in, next.font)) return section_io::refuse(in);
    *this = std::move(next);
    return true;
}

std::string levelText(double value, std::int32_t digits) {
    const int d = clampDigits(digits);
    // The format is built here from a held digit count, never taken from a
    // file.
    const int n = std::snprintf(nullptr, 0, "%.*f", d, value);
    if (n <= 0) return std::string();
    std::string s(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(s.data(), s.size(), "%.*f", d, value);
    s.resize(static_cast<std::size_t>(n));
    return s;
}

}  // namespace gridova
