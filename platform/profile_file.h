// A private-profile (INI) file: named sections of "key=value" lines.
//
// Section and key names are compared without regard to case (ASCII and
// Cyrillic letters); values are kept verbatim, without escaping, trimmed of
// surrounding blanks when read. Order, comments and lines we do not
// understand are kept when the file is written back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace gridova {

class ProfileFile {
public:
    ProfileFile() = default;
    explicit ProfileFile(std::string_view text);

    // Reads the file; a missing file gives an empty profile and true; a file
    // that cannot be read gives false and leaves this profile unchanged.
    bool load(const std::string& path);
    // The file's bytes as load reads them: empty and true for a missing
    // file, false for one that cannot be read (or is no plain file).
    static bool readBytes(const std::string& path, std::string& bytes);
    // Writes the whole profile through a temporary file; false on failure
    // (the old file is kept).
    bool save(const std::string& path) const;

    std::string text() const;

    // The value, or nothing when the section or key is missing.
    std::optional<std::string> get(std::string_view section, std::string_view key) const;
    // Sets the value, adding the key (and the section) when missing. Line
    // breaks in the value are written as blanks.
    void set(std::string_view section, std::string_view key, std::string_view value);
    // Sets many keys of one section in one pass over the file (the same as
    // calling set for each in turn, without a search per key).
    void setAll(std::string_view section,
                const std::vector<std::pair<std::string, std::string>>& entries);
    void removeKey(std::string_view section, std::string_view key);
    void removeSection(std::string_view section);

    // The key names of a section in file order.
    std::vector<std::string> keys(std::string_view section) const;
    // The keys of a section with their values, in file order; where a key
    // is written twice the first one counts, as in get.
    std::vector<std::pair<std::string, std::string>> entries(std::string_view section) const;
    std::vector<std::string> sections() const;

private:
    // [first, last) line range of a section's body; nothing when missing.
    struct Range {
        std::size_t header;
        std::size_t first;
        std::size_t last;
    };
    std::optional<Range> findSection(std::string_view section) const;
    std::optional<std::size_t> findKey(const Range& range, std::string_view key) const;

    std::vector<std::string> lines_;
};

}  // namespace gridova
