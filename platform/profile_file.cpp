#include "platform/profile_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "platform/files.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

// Blanks around names and values; the line end's CR too.
constexpr std::string_view kBlanks = " \t\r";

std::string_view trim(std::string_view s) { return trimmed(s, kBlanks); }

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() == b.size()) {
        bool equal = true;
        for (std::size_t i = 0; i < a.size() && equal; ++i) equal = a[i] == b[i];
        if (equal) return true;
    }
    return foldCase(a) == foldCase(b);
}

// The section name of a header line "[name]", or nothing.
std::optional<std::string_view> headerName(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') return std::nullopt;
    const auto close = line.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(line.substr(1, close - 1));
}

bool isComment(std::string_view line) {
    line = trim(line);
    return !line.empty() && line.front() == ';';
}

std::string oneLine(std::string_view value) {
    std::string s(value);
    for (char& c : s) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    return s;
}

}  // namespace

ProfileFile::ProfileFile(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines_.push_back(toUtf8(line));
        start = end + 1;
    }
    // Byte-order marks, however many: text() writes none, so that what is
    // written reads back as the same lines (a second mark left in place
    // would hide the first section's header until the next read).
    while (!lines_.empty() && lines_.front().rfind("\xEF\xBB\xBF", 0) == 0) {
        lines_.front().erase(0, 3);
    }
}

bool ProfileFile::readBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;  // no profile yet
    if (!S_ISREG(st.st_mode)) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad()) return false;
    bytes = std::move(buffer).str();
    return true;
}

bool ProfileFile::load(const std::string& path) {
    std::string bytes;
    if (!readBytes(path, bytes)) return false;
    *this = ProfileFile(bytes);
    return true;
}

bool ProfileFile::save(const std::string& path) const {
    OutputFile out(path);
    if (!out.isOpen()) return false;
    const std::string s = text();
    if (std::fwrite(s.data(), 1, s.size(), out.file()) != s.size()) return false;
    return out.commit();
}

std::string ProfileFile::text() const {
    std::string s;
    for (const auto& line : lines_) {
        s += line;
        s += '\n';
    }
    return s;
}

std::optional<ProfileFile::Range> ProfileFile::findSection(std::string_view section) const {
    const std::string_view wanted = trim(section);
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = headerName(lines_[i]);
        if (!name || !sameName(*name, wanted)) continue;
        std::size_t last = i + 1;
        while (last < lines_.size() && !headerName(lines_[last])) ++last;
        return Range{i, i + 1, last};
    }
    return std::nullopt;
}

std::optional<std::size_t> ProfileFile::findKey(const Range& range, std::string_view key) const {
    const std::string_view wanted = trim(key);
    for (std::size_t i = range.first; i < range.last; ++i) {
        const std::string_view line = lines_[i];
        if (isComment(line)) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (sameName(trim(line.substr(0, eq)), wanted)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> ProfileFile::get(std::string_view section, std::string_view key) const {
    const auto range = findSection(section);
    if (!range) return std::nullopt;
    const auto index = findKey(*range, key);
    if (!index) return std::nullopt;
    const std::string_view line = lines_[*index];
    return std::string(trim(line.substr(line.find('=') + 1)));
}

void ProfileFile::set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = oneLine(trim(key)) + "=" + oneLine(value);
    auto range = findSection(section);
    if (!range) {
        if (!lines_.empty() && !trim(lines_.back()).empty()) lines_.emplace_back();
        lines_.push_back("[" + oneLine(trim(section)) + "]");
        lines_.push_back(entry);
        return;
    }
    if (const auto index = findKey(*range, key)) {
        // Keep the key as it was spelt.
        const std::string& line = lines_[*index];
        lines_[*index] = line.substr(0, line.find('=') + 1) + oneLine(value);
        return;
    }
    // After the section's last non-blank line.
    std::size_t at = range->last;
    while (at > range->first && trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), entry);
}

void ProfileFile::setAll(std::string_view section,
                         const std::vector<std::pair<std::string, std::string>>& entries) {
    if (entries.empty()) return;
    auto range = findSection(section);
    if (!range) {
        set(section, entries.front().first, entries.front().second);
        range = findSection(section);
        if (!range) return;
    }
    // The section's keys by their folded names, the first of each.
    std::unordered_map<std::string, std::size_t> lineOf;
    for (std::size_t i = range->first; i < range->last; ++i) {
        const std::string_view line = lines_[i];
        if (isComment(line)) continue;
        const auto eq = line.find('=');
        if (eq != std::string_view::npos) lineOf.emplace(foldCase(trim(line.substr(0, eq))), i);
    }
    std::vector<std::string> added;
    std::unordered_map<std::string, std::size_t> addedAt;
    for (const auto& [key, value] : entries) {
        const std::string folded = foldCase(trim(key));
        if (const auto it = lineOf.find(folded); it != lineOf.end()) {
            // Keep the key as it was spelt.
            std::string& line = lines_[it->second];
            line = line.substr(0, line.find('=') + 1) + oneLine(value);
        } else if (const auto at = addedAt.find(folded); at != addedAt.end()) {
            // Added earlier in this batch: its first spelling stays.
            std::string& line = added[at->second];
            line = line.substr(0, line.find('=') + 1) + oneLine(value);
        } else {
            addedAt.emplace(folded, added.size());
            added.push_back(oneLine(trim(key)) + "=" + oneLine(value));
        }
    }
    // After the section's last non-blank line.
    std::size_t at = range->last;
    while (at > range->first && trim(lines_[at - 1]).empty()) --at;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(added.begin()), std::make_move_iterator(added.end()));
}

void ProfileFile::removeKey(std::string_view section, std::string_view key) {
    const auto range = findSection(section);
    if (!range) return;
    if (const auto index = findKey(*range, key)) {
        lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*index));
    }
}

void ProfileFile::removeSection(std::string_view section) {
    const auto range = findSection(section);
    if (!range) return;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(range->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(range->last));
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const {
    std::vector<std::string> result;
    for (auto& entry : entries(section)) result.push_back(std::move(entry.first));
    return result;
}

std::vector<std::pair<std::string, std::string>> ProfileFile::entries(
    std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> result;
    const auto range = findSection(section);
    if (!range) return result;
    for (std::size_t i = range->first; i < range->last; ++i) {
        const std::string_view line = lines_[i];
        if (isComment(line)) continue;
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        result.emplace_back(trim(line.substr(0, eq)), trim(line.substr(eq + 1)));
    }
    return result;
}

std::vector<std::string> ProfileFile::sections() const {
    std::vector<std::string> result;
    for (const auto& line : lines_) {
        if (const auto name = headerName(line)) result.emplace_back(*name);
    }
    return result;
}

}  // namespace gridova
