// Feeds one input to the profile (INI) reader: parsed as text, every key it
// lists is looked up, keys are set and removed and the text is written out
// again; then the same bytes become the profile file on disk and go through
// the typed readers and writers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/fuzz_common.h"
#include "platform/optional_value.h"
#include "platform/profile.h"
#include "platform/profile_file.h"
#include "platform/text_codec.h"

namespace {

// Sections and keys looked up per input at most.
constexpr std::size_t kMaxSections = 16;
constexpr std::size_t kMaxKeys = 16;
// Bytes of the input taken as a value to set.
constexpr std::size_t kValueBytes = 24;

void check(bool condition) {
    if (!condition) std::abort();
}

// What a lookup gives for a value that was set: line breaks as blanks,
// blanks and tabs around it dropped.
std::string asRead(std::string_view value) {
    std::string s(value);
    for (char& c : s) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

void exerciseText(std::string_view bytes) {
    gridova::ProfileFile profile(bytes);
    const std::vector<std::string> sections = profile.sections();
    for (std::size_t s = 0; s < std::min(sections.size(), kMaxSections); ++s) {
        const std::vector<std::string> keys = profile.keys(sections[s]);
        for (std::size_t k = 0; k < std::min(keys.size(), kMaxKeys); ++k) {
            check(profile.get(sections[s], keys[k]).has_value());
        }
        // The entries list the same keys; where a key is written twice the
        // first value is the one a lookup gives.
        const auto entries = profile.entries(sections[s]);
        check(entries.size() == keys.size());
        for (std::size_t k = 0; k < std::min(entries.size(), kMaxKeys); ++k) {
            check(entries[k].first == keys[k]);
            std::size_t first = 0;
            while (gridova::foldCase(entries[first].first) != gridova::foldCase(entries[k].first)) {
                ++first;
            }
            check(profile.get(sections[s], entries[k].first) == entries[first].second);
        }
    }

    // Setting many keys at once is the same as setting them one by one.
    if (!sections.empty()) {
        std::vector<std::pair<std::string, std::string>> batch;
        for (const std::string& key : profile.keys(sections.front())) {
            if (batch.size() == kMaxKeys) break;
            batch.emplace_back(key, std::to_string(batch.size()));
        }
        batch.emplace_back("Fuzz Count", "2");
        batch.emplace_back("fuzz count", "3");
        gridova::ProfileFile together = profile, oneByOne = profile;
        together.setAll(sections.front(), batch);
        for (const auto& [key, value] : batch) oneByOne.set(sections.front(), key, value);
        check(together.sections() == oneByOne.sections());
        const std::vector<std::string> keys = oneByOne.keys(sections.front());
        check(together.keys(sections.front()).size() == keys.size());
        for (const std::string& key : keys) {
            check(together.get(sections.front(), key) == oneByOne.get(sections.front(), key));
        }
        gridova::ProfileFile fresh = profile;
        fresh.setAll("Fuzz Batch", batch);
        check(fresh.get("Fuzz Batch", "Fuzz Count") == "3");
    }

    const std::string_view value = bytes.substr(0, std::min(bytes.size(), kValueBytes));
    const std::string expected = asRead(value);
    profile.set("Fuzz", "Key", value);
    check(profile.get("fuzz", "KEY") == expected);
    if (!sections.empty()) {
        const std::string& section = sections.front();
        profile.set(section, "Fuzz Key", value);
        check(profile.get(section, "Fuzz Key") == expected);
        const std::vector<std::string> keys = profile.keys(section);
        if (!keys.empty()) {
            profile.set(section, keys.front(), "1");
            check(profile.get(section, keys.front()) == "1");
            profile.removeKey(section, keys.back());
        }
        profile.removeSection(sections.back());
    }
    const gridova::ProfileFile again(profile.text());
    (void)again.sections();
}

void exerciseFile(std::string_view bytes) {
    const std::string path = gridova::profilePath();
    if (!gridova::fuzz::writeInput(path, bytes.data(), bytes.size())) return;
    std::int32_t i = 0;
    std::int64_t l = 0;
    double d = 0.0;
    std::string t;
    gridova::OptionalValue o;
    std::vector<double> list;
    (void)gridova::readProfileInt("Grid", "Load", i);
    (void)gridova::readProfileLong("Grid", "Cell Color", l);
    (void)gridova::readProfileDouble("Solver", "Precision", d);
    (void)gridova::readProfileText("Files", "Data", t);
    (void)gridova::readProfileOptionalDouble("Fuzz", "Value", o);
    (void)gridova::readProfileDoubleList("Contours", "Contour", list);
    (void)gridova::readWindowRect(100);

    // What is written reads back.
    gridova::writeProfileInt("Grid", "Load", 7);
    check(gridova::readProfileInt("Grid", "Load", i) == 0 && i == 7);
    gridova::writeProfileLong("Grid", "Cell Color", 0x123456);
    check(gridova::readProfileLong("Grid", "Cell Color", l) == 0 && l == 0x123456);
    gridova::writeProfileDouble("Solver", "Precision", 1e-5);
    check(gridova::readProfileDouble("Solver", "Precision", d) == 0 && d == 1e-5);
    gridova::writeProfileOptionalDouble("Fuzz", "Value", gridova::OptionalValue(2.5));
    o = gridova::OptionalValue();
    check(gridova::readProfileOptionalDouble("Fuzz", "Value", o) == 0 && o.present() &&
          o.value == 2.5);
    const std::vector<double> levels{-1.5, 0.1, 3.0, 1e20};
    gridova::writeProfileDoubleList("Contours", "Contour", levels);
    list.clear();
    check(gridova::readProfileDoubleList("Contours", "Contour", list) == 0 && list == levels);
    gridova::writeWindowRect(100, {1, 2, 3, 4});
    const auto rect = gridova::readWindowRect(100);
    check(rect && rect->left == 1 && rect->top == 2 && rect->right == 3 && rect->bottom == 4);
    gridova::removeProfileKey("Grid", "Load");
    gridova::removeProfileSection("Fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    exerciseText(bytes);
    exerciseFile(bytes);
    return 0;
}
