// The font description (LOGFONT) of objects that keep their own font, in its
// text-file and profile forms.
//
// Text form:
//     LOGFONT:00
//     height, width, escapement, orientation, weight   (one number a line)
//     italic, underline, strike-out, character set, output precision,
//     clip precision, quality, pitch and family         (one number a line)
//     face name                                         (the rest of its line)
// Profile form: keys "Height", "Width", "Escapement", "Orientation",
// "Weight", "Italic", "Underline", "StrikeOut", "CharSet", "OutPrecision",
// "ClipPrecision", "Quality", "PitchAndFamily" and "FaceName" in the owner's
// section; a missing or non-numeric key keeps that member.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "data/line_source.h"
#include "platform/gdi.h"

namespace gridova {

inline constexpr std::string_view kLogFontTag = "LOGFONT:00";

// Writes the text form; false when a write failed.
bool writeLogFontText(std::FILE* file, const gdi::LogFont& font);
// Reads the text form from the next lines. A first line other than the tag
// gives warning 204 "Файл не имеет определенный формат LOGFONT!"; a missing
// or malformed number, or a number out of its member's range, gives
// "Invalid format.". On failure the font is unchanged.
bool readLogFontText(LineSource& lines, gdi::LogFont& font);

void readLogFontProfile(std::string_view section, gdi::LogFont& font);
void writeLogFontProfile(std::string_view section, const gdi::LogFont& font);

}  // namespace gridova
