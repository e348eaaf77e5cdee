#include "platform/language.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <system_error>

#include "platform/message_log.h"
#include "platform/numbers.h"
#include "platform/profile.h"

namespace gridova {
namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t' || c == ',' || c == ';'; }

std::string unescape(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 1 < s.size() && (s[i + 1] == 't' || s[i + 1] == 'n')) {
            out += s[i + 1] == 't' ? '\t' : '\n';
            ++i;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::mutex gFoldersMutex;
std::vector<std::string> gFolders;

}  // namespace

LanguageTable parseLanguageText(std::string_view text) {
    LanguageTable table;
    // A byte-order mark before the first entry is not part of it.
    if (text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        // The number: after leading blanks, up to the first separator.
        std::size_t i = 0;
        while (i < line.size() && line[i] == ' ') ++i;
        std::size_t j = i;
        while (j < line.size() && !isSeparator(line[j])) ++j;
        const std::optional<std::int32_t> number = parseInteger(line.substr(i, j - i));
        // Texts are numbered 0..kMaxLanguageNumber; other numbers are no entries.
        if (!number || *number < 0 || *number > kMaxLanguageNumber) continue;
        // The text: after the one separator that ended the number.
        const std::string_view rest = j < line.size() ? line.substr(j + 1) : std::string_view();
        table.emplace(*number, unescape(rest));  // the first of a number wins
    }
    return table;
}

std::optional<LanguageTable> readLanguageFile(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec || !std::filesystem::is_regular_file(path, ec)) {
        log("Can't open language file " + path);
        return std::nullopt;
    }
    if (size > kMaxLanguageFileBytes) {
        log("Language file too large: " + path);
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        log("Can't open language file " + path);
        return std::nullopt;
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(size));
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (text.size() > kMaxLanguageFileBytes) {
        log("Language file too large: " + path);
        return std::nullopt;
    }
    return parseLanguageText(text);
}

void setLanguageFolders(std::vector<std::string> folders) {
    std::lock_guard lock(gFoldersMutex);
    gFolders = std::move(folders);
}

std::vector<std::string> languageFolders() {
    std::lock_guard lock(gFoldersMutex);
    return gFolders;
}

std::optional<std::string> findLanguageFile(std::string_view fileName) {
    // A bare file name only: a name from the profile never leaves the
    // language folders.
    const std::filesystem::path name{std::string(fileName)};
    if (fileName.empty() || name.has_parent_path() || name.filename() != name) return std::nullopt;
    for (const std::string& folder : languageFolders()) {
        const std::filesystem::path p = std::filesystem::path(folder) / name;
        std::error_code ec;
        if (std::filesystem::is_regular_file(p, ec)) return p.string();
    }
    return std::nullopt;
}

std::vector<std::string> availableLanguages() {
    std::set<std::string> names;
    for (const std::string& folder : languageFolders()) {
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::filesystem::path& p = it->path();
            std::error_code fileEc;
            if (p.extension() == kLanguageExtension && it->is_regular_file(fileEc)) {
                names.insert(p.stem().string());
            }
        }
    }
    return {names.begin(), names.end()};
}

bool loadLanguage(std::string_view fileName) {
    setLanguageTable(nullptr);
    if (fileName == kRussianLanguage) return true;
    const std::optional<std::string> path = findLanguageFile(fileName);
    if (!path) {
        log("Can't find language file " + std::string(fileName));
        return false;
    }
    std::optional<LanguageTable> table = readLanguageFile(*path);
    if (!table) return false;
    setLanguageTable(std::make_shared<const LanguageTable>(std::move(*table)));
    // Written only when it changes: a start or a batch run leaves the
    // profile alone.
    if (storedLanguage() != fileName) writeProfileText(kLanguageSection, "File", fileName);
    return true;
}

void useRussian() {
    setLanguageTable(nullptr);
    if (storedLanguage() != kRussianLanguage) {
        writeProfileText(kLanguageSection, "File", kRussianLanguage);
    }
}

std::string storedLanguage() {
    std::string name;
    if (readProfileText(kLanguageSection, "File", name) != 0) return {};
    return name;
}

void loadStartupLanguage() {
    const std::string stored = storedLanguage();
    if (!stored.empty()) {
        loadLanguage(stored);
    } else if (findLanguageFile(kEnglishLanguageFile)) {
        loadLanguage(kEnglishLanguageFile);
    }
}

}  // namespace gridova
