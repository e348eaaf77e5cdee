#include "data/badge_format.h"

#include <algorithm>

#include "data/font_block.h"
#include "data/font_record.h"
#include "data/section_io.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr std::string_view kTag = "PF01";

std::string sectionName(int setNumber) {
    return setNumber < 0 ? std::string(BadgeFormat::kSection)
                         : std::string(BadgeFormat::kSection) + " " + std::to_string(setNumber);
}

void readColor(std::string_view section, std::string_view key, gdi::ColorRef& c) {
    std::int64_t v = c;
    if (readProfileLong(section, key, v) == 0 && v >= 0 && v <= 0xFFFFFF) {
        c = static_cast<gdi::ColorRef>(v);
    }
}

// The "PF01" record after its tag. Colours keep their low 24 bits and the
// digits 0..kMaxDigits when read. The presence of a marker picture is handed
// to the caller.
template <class Format, class Io>
void formatFields(Format& f, Io& io, std::int32_t& hasPicture) {
    io.word(f.circleColor);
    io.word(f.circleColorNew);
    io.word(f.pointColor);
    io.word(f.colorDelete);
    io.word(f.textColor);
    io.word(f.badgeRadius);
    io.word(f.maxRadius);
    io.word(f.minRadius);
    io.word(f.digits);
    io.word(f.show);
    io.word(f.showDigit);
    io.word(f.showLabel);
    io.word(f.valueShow);
    io.word(hasPicture);
    if constexpr (Io::kReading) {
        for (gdi::ColorRef* c :
             {&f.circleColor, &f.circleColorNew, &f.pointColor, &f.colorDelete, &f.textColor}) {
            *c &= 0xFFFFFFu;
        }
        f.digits = std::clamp(f.digits, 0, BadgeFormat::kMaxDigits);
    }
}

}  // namespace

std::string BadgeFormat::formatNumber() const {
    return "%." + std::to_string(std::clamp(digits, 0, kMaxDigits)) + "lf";
}

void BadgeFormat::readProfile(int setNumber) {
    for (const std::string& section : {sectionName(-1), sectionName(setNumber)}) {
        readProfileInt(section, "Show", show);
        readColor(section, "CircleColor", circleColor);
        readProfileInt(section, "MinRadius", minRadius);
        readProfileInt(section, "MaxRadius", maxRadius);
        readProfileInt(section, "ValueShow", valueShow);
        readProfileInt(section, "BadgetRadius", badgeRadius);
        readColor(section, "CircleColorNew", circleColorNew);
        readColor(section, "ColorDelete", colorDelete);
        readProfileInt(section, "ShowDigit", showDigit);
        readProfileInt(section, "ShowLabel", showLabel);
        std::string format;
        if (readProfileText(section, "FormatNumber", format) == 0) {
            // "%.<n>lf": the digit count is all that the format carries.
            if (format.size() >= 4 && format.rfind("%.", 0) == 0) {
                const auto n = parseInteger(format.substr(2, format.size() - 4));
                if (n) digits = std::clamp(*n, 0, kMaxDigits);
            }
        }
        readColor(section, "ColotText", textColor);
        readColor(section, "ColotPoint", pointColor);
        readLogFontProfile(section, font);
        if (setNumber < 0) break;
    }
    digits = std::clamp(digits, 0, kMaxDigits);
}

void BadgeFormat::writeProfile(int setNumber) const {
    const std::string section = sectionName(setNumber);
    writeProfileInt(section, "Show", show);
    writeProfileLong(section, "CircleColor", circleColor);
    writeProfileInt(section, "MinRadius", minRadius);
    writeProfileInt(section, "MaxRadius", maxRadius);
    writeProfileInt(section, "ValueShow", valueShow);
    writeProfileInt(section, "BadgetRadius", badgeRadius);
    writeProfileLong(section, "CircleColorNew", circleColorNew);
    writeProfileLong(section, "ColorDelete", colorDelete);
    writeProfileInt(section, "ShowDigit", showDigit);
    writeProfileInt(section, "ShowLabel", showLabel);
    writeProfileText(section, "FormatNumber", formatNumber());
    writeProfileLong(section, "ColotText", textColor);
    writeProfileLong(section, "ColotPoint", pointColor);
    writeLogFontProfile(section, font);
}

void BadgeFormat::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTag);
    // Pictures as markers are written by the picture layer; none yet.
    std::int32_t hasPicture = 0;
    RecordWriting io(r);
    formatFields(*this, io, hasPicture);
    r.writeRecord(out);
    writeFontRecord(out, font);
}

bool BadgeFormat::readSection(BinaryReader& in) {
    RecordBuffer r;
    if (section_io::openSectionQuietly(in, r, kTag) != 1) return false;
    std::int32_t hasPicture = 0;
    RecordReading io(r);
    formatFields(*this, io, hasPicture);
    if (hasPicture != 0) {
        // A marker picture's own data belongs to the picture layer, which
        // this build cannot read: the rest of the file is out of step.
        return section_io::refuse(in);
    }
    if (!readFontRecord(in, font)) return section_io::refuse(in);
    return true;
}

}  // namespace gridova
