// Language files (".lng"): numbered texts that replace the built-in
// (Russian) ones.
//
// One entry a line: the line's first token must be a whole number (lines
// that start otherwise are comments or blank); the entry's text is the rest
// of the line after the one separator (blank, TAB, "," or ";") that ended
// the number, blanks after it kept, the final LF (and a CR before it)
// dropped. "\t" becomes a TAB and "\n" a line feed. The first entry of a
// number wins. Lines may be of any length.
//
// The file in use is kept in the profile: section "Language", key "File",
// a file name ("English.lng") or "Russian" for the built-in texts.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/messages.h"

namespace gridova {

inline constexpr std::string_view kRussianLanguage = "Russian";
inline constexpr std::string_view kLanguageExtension = ".lng";
inline constexpr std::string_view kEnglishLanguageFile = "English.lng";
inline constexpr const char* kLanguageSection = "Language";
// A language file larger than this is refused: no language holds so much.
inline constexpr std::uintmax_t kMaxLanguageFileBytes = 16u * 1024 * 1024;
// The largest number of a text; lines with larger numbers are no entries.
inline constexpr std::int32_t kMaxLanguageNumber = 65535;

// The entries of a language file's text.
LanguageTable parseLanguageText(std::string_view text);

// The table of a file; nothing when it cannot be opened or is too large
// (logged).
std::optional<LanguageTable> readLanguageFile(const std::string& path);

// The folders language files are looked for in, in order.
void setLanguageFolders(std::vector<std::string> folders);
std::vector<std::string> languageFolders();
// The path of a language file found in the folders; nothing when none has
// it.
std::optional<std::string> findLanguageFile(std::string_view fileName);
// The names (without extension) of the language files of the folders, each
// once, sorted.
std::vector<std::string> availableLanguages();

// Drops the table in use; "Russian" leaves the built-in texts (the profile
// is not changed). Otherwise the file is looked for in the folders: when it
// is read, its table is used and its name kept in the profile; when not,
// the built-in texts stay, the profile is not changed, and false is given.
bool loadLanguage(std::string_view fileName);
// The built-in texts, kept in the profile as "Russian".
void useRussian();
// At start: the profile's language; without one, "English.lng" when a
// folder has it.
void loadStartupLanguage();
// The file name kept in the profile; empty when none.
std::string storedLanguage();

}  // namespace gridova
