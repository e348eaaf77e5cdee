// Isoline template files (the layout is in isoline_set.h).
#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

#include "contour/isoline_set.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kNotIsolineFile = 206;  // "Файл не имеет определенный формат изолиний!"
constexpr int kCannotWrite = 201;  // "Нельзя записать в файл %s"
// The fewest bytes a template entry takes: its tag line (19), a value line
// (2), the shortest format block ("IzolineFormat:00" and six one-digit
// lines, 29) and the shortest font block (the tag, thirteen one-digit lines
// and an empty face line without its line end, 37). A count of entries is
// checked against the bytes left.
constexpr std::uint64_t kMinTemplateEntryBytes = 19 + 2 + 29 + 37;

// The first blank-separated word of a line.
std::string_view firstWord(std::string_view line) {
    line = trimmed(line);
    std::size_t end = 0;
    while (end < line.size() && std::isspace(static_cast<unsigned char>(line[end])) == 0) ++end;
    return line.substr(0, end);
}

bool notIsolineFile() {
    warning(text(kNotIsolineFile));
    return false;
}

}  // namespace

// --- One entry
// ------------------------------------------------------------------------------------

bool Isoline::writeTemplateEntry(std::FILE* file) const {
    std::string s(kTemplateEntryTag);
    s += '\n';
    appendDouble(s, value);
    s += '\n';
    if (std::fwrite(s.data(), 1, s.size(), file) != s.size()) return false;
    return format.writeText(file);
}

bool Isoline::readTemplateEntry(LineSource& lines) {
    std::string_view line;
    if (!lines.next(line) || trimmed(line) != kTemplateEntryTag) return notIsolineFile();
    if (!lines.next(line)) return notIsolineFile();
    const std::optional<double> level = parseNumber(firstWord(line));
    if (!level) return notIsolineFile();
    IsolineFormat f = format;
    if (!f.readText(lines)) return false;
    value = *level;
    format = std::move(f);
    return true;
}

// --- The file
// ---------------------------------------------------------------------------------------

bool IsolineSet::writeTemplate(std::FILE* file) const {
    std::string s(kTemplateTag);
    s += '\n';
    s += std::to_string(isolines_.size());
    s += '\n';
    if (std::fwrite(s.data(), 1, s.size(), file) != s.size()) return false;
    for (const auto& i : isolines_) {
        if (!i->writeTemplateEntry(file)) return false;
    }
    return true;
}

bool IsolineSet::writeTemplateFile(const std::string& path) const {
    const auto file = openTextWrite(path);
    if (file == nullptr) return false;
    if (!writeTemplate(file->file())) {
        file->discard();
        warning(formatText(text(kCannotWrite), {path}));
        return false;
    }
    return commitOrWarn(*file);
}

bool IsolineSet::readTemplate(LineSource& lines) {
    std::string_view line;
    if (!lines.next(line) || trimmed(line) != kTemplateTag) return notIsolineFile();
    if (!lines.next(line)) return notIsolineFile();
    const std::optional<std::int64_t> count = parseLong(firstWord(line));
    if (!count || *count < 0) return notIsolineFile();
    if (lines.size() > 0) {
        const std::uint64_t left = lines.size() - std::min(lines.size(), lines.consumed());
        if (static_cast<std::uint64_t>(*count) > left / kMinTemplateEntryBytes) {
            return notIsolineFile();
        }
    }
    std::vector<std::unique_ptr<Isoline>> read;
    for (std::int64_t i = 0; i < *count; ++i) {
        auto isoline = std::make_unique<Isoline>();
        if (!isoline->readTemplateEntry(lines)) return false;
        read.push_back(std::move(isoline));
    }
    // In value order, as read: a template keeps its label spacings.
    std::stable_sort(read.begin(), read.end(),
                     [](const auto& a, const auto& b) { return a->value < b->value; });
    isolines_ = std::move(read);
    return true;
}

bool IsolineSet::readTemplateFile(const std::string& path) {
    const FilePtr file = openTextRead(path);
    if (file == nullptr) return false;
    FileLineSource lines(file.get());
    return readTemplate(lines);
}

}  // namespace gridova
