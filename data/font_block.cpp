#include "data/font_block.h"

#include <limits>
#include <optional>

#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

// Blanks around the file's words.
constexpr std::string_view kBlanks = " \t";

constexpr int kNotLogFont = 204;  // "Файл не имеет определенный формат LOGFONT!"

struct IntMember {
    const char* key;
    std::int32_t gdi::LogFont::*member;
};
struct ByteMember {
    const char* key;
    std::uint8_t gdi::LogFont::*member;
};

constexpr IntMember kIntMembers[] = {
    {"Height", &gdi::LogFont::height},         {"Width", &gdi::LogFont::width},
    {"Escapement", &gdi::LogFont::escapement}, {"Orientation", &gdi::LogFont::orientation},
    {"Weight", &gdi::LogFont::weight},
};
constexpr ByteMember kByteMembers[] = {
    {"Italic", &gdi::LogFont::italic},
    {"Underline", &gdi::LogFont::underline},
    {"StrikeOut", &gdi::LogFont::strikeOut},
    {"CharSet", &gdi::LogFont::charSet},
    {"OutPrecision", &gdi::LogFont::outPrecision},
    {"ClipPrecision", &gdi::LogFont::clipPrecision},
    {"Quality", &gdi::LogFont::quality},
    {"PitchAndFamily", &gdi::LogFont::pitchAndFamily},
};

std::optional<std::int32_t> nextInteger(LineSource& lines) {
    std::string_view line;
    if (!lines.next(line)) return std::nullopt;
    return parseInteger(trimmed(line, kBlanks));
}

std::string faceNameOf(std::string_view text) {
    return std::string(firstCharacters(toUtf8(text), gdi::LogFont::kMaxFaceName));
}

}  // namespace

bool writeLogFontText(std::FILE* file, const gdi::LogFont& font) {
    std::string s(kLogFontTag);
    s += '\n';
    for (const auto& m : kIntMembers) s += std::to_string(font.*(m.member)) + "\n";
    for (const auto& m : kByteMembers) s += std::to_string(font.*(m.member)) + "\n";
    s += font.faceName;
    s += '\n';
    return std::fwrite(s.data(), 1, s.size(), file) == s.size();
}

bool readLogFontText(LineSource& lines, gdi::LogFont& font) {
    std::string_view line;
    if (!lines.next(line) || trimmed(line, kBlanks) != kLogFontTag) {
        warning(text(kNotLogFont));
        return false;
    }
    gdi::LogFont result = font;
    for (const auto& m : kIntMembers) {
        const auto v = nextInteger(lines);
        if (!v) {
            invalidFormat();
            return false;
        }
        result.*(m.member) = *v;
    }
    for (const auto& m : kByteMembers) {
        const auto v = nextInteger(lines);
        if (!v || *v < 0 || *v > std::numeric_limits<std::uint8_t>::max()) {
            invalidFormat();
            return false;
        }
        result.*(m.member) = static_cast<std::uint8_t>(*v);
    }
    if (!lines.next(line)) {
        invalidFormat();
        return false;
    }
    result.faceName = faceNameOf(line);
    font = result;
    return true;
}

void readLogFontProfile(std::string_view section, gdi::LogFont& font) {
    for (const auto& m : kIntMembers) readProfileInt(section, m.key, font.*(m.member));
    for (const auto& m : kByteMembers) {
        std::int32_t v = font.*(m.member);
        if (readProfileInt(section, m.key, v) == 0 && v >= 0 && v <= 255) {
            font.*(m.member) = static_cast<std::uint8_t>(v);
        }
    }
    std::string face;
    if (readProfileText(section, "FaceName", face) == 0) font.faceName = faceNameOf(face);
}

void writeLogFontProfile(std::string_view section, const gdi::LogFont& font) {
    for (const auto& m : kIntMembers) writeProfileInt(section, m.key, font.*(m.member));
    for (const auto& m : kByteMembers) writeProfileInt(section, m.key, font.*(m.member));
    writeProfileText(section, "FaceName", font.faceName);
}

}  // namespace gridova
