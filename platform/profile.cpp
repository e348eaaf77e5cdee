#include "platform/profile.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <unordered_map>

#include "platform/numbers.h"
#include "platform/profile_file.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

std::mutex gMutex;

// The profile as last read: the file's bytes and what they parse to. A read
// compares the bytes on file with these and parses only when they differ, so
// a long profile is not parsed again for every key.
struct CachedProfile {
    bool valid = false;
    std::string path;
    std::string bytes;
    ProfileFile file;
};
CachedProfile gCache;

// Brings the cache up to the profile on file; false when the file exists
// but cannot be read. A missing file is an empty profile.
bool refreshCache() {
    const std::string path = profilePath();
    std::string bytes;
    if (!ProfileFile::readBytes(path, bytes)) return false;
    if (!gCache.valid || gCache.path != path || gCache.bytes != bytes) {
        gCache.file = ProfileFile(bytes);
        gCache.path = path;
        gCache.bytes = std::move(bytes);
        gCache.valid = true;
    }
    return true;
}

bool loadProfile(ProfileFile& out) {
    if (!refreshCache()) return false;
    out = gCache.file;
    return true;
}

// The profile on file for reading; empty when it cannot be read.
const ProfileFile& currentProfile() {
    static const ProfileFile kEmpty;
    return refreshCache() ? gCache.file : kEmpty;
}

void storeProfile(const ProfileFile& file) {
    const std::string path = profilePath();
    std::error_code ec;
    const auto dir = std::filesystem::path(path).parent_path();
    if (!dir.empty()) std::filesystem::create_directories(dir, ec);
    file.save(path);
}

std::optional<std::string> readRaw(std::string_view section, std::string_view key) {
    std::lock_guard lock(gMutex);
    auto value = currentProfile().get(section, key);
    if (value && value->empty()) return std::nullopt;
    return value;
}

// Changes the profile on file in one write. A profile that exists but
// cannot be read is left alone rather than replaced by the change alone.
template <typename Edit>
void edit(Edit&& change) {
    std::lock_guard lock(gMutex);
    ProfileFile file;
    if (!loadProfile(file)) return;
    change(file);
    storeProfile(file);
}

std::string countKey(std::string_view key) { return std::string(key) + " Count"; }

std::string itemKey(std::string_view key, std::size_t i) {
    return std::string(key) + std::to_string(i);
}

std::string dialogSection(int resource) { return "Dialog " + std::to_string(resource); }

}  // namespace

void anchorProfilePath(const std::filesystem::path& startDirectory) {
    const char* p = std::getenv("GRIDOVA_PROFILE");
    if (p == nullptr || *p == '\0' || *p == '/') return;
    ::setenv("GRIDOVA_PROFILE", (startDirectory / p).lexically_normal().c_str(), 1);
}

std::string profilePath() {
    if (const char* p = std::getenv("GRIDOVA_PROFILE"); p != nullptr && *p != '\0') return p;
    std::string base;
    if (const char* x = std::getenv("XDG_CONFIG_HOME"); x != nullptr && *x == '/') {
        base = x;
    } else if (const char* h = std::getenv("HOME"); h != nullptr && *h != '\0') {
        base = std::string(h) + "/.config";
    } else {
        base = ".";
    }
    return base + "/gridova/gridova.ini";
}

int readProfileText(std::string_view section, std::string_view key, std::string& value) {
    auto raw = readRaw(section, key);
    if (!raw) return -1;
    value = std::move(*raw);
    return 0;
}

void writeProfileText(std::string_view section, std::string_view key, std::string_view value) {
    edit([&](ProfileFile& f) { f.set(section, key, value); });
}

int readProfileInt(std::string_view section, std::string_view key, std::int32_t& value) {
    const auto raw = readRaw(section, key);
    if (!raw) return -1;
    const auto v = parseInteger(*raw);
    if (!v) return -1;
    value = *v;
    return 0;
}

void writeProfileInt(std::string_view section, std::string_view key, std::int32_t value) {
    writeProfileText(section, key, std::to_string(value));
}

int readProfileLong(std::string_view section, std::string_view key, std::int64_t& value) {
    const auto raw = readRaw(section, key);
    if (!raw) return -1;
    const auto v = parseLong(*raw);
    if (!v) return -1;
    value = *v;
    return 0;
}

void writeProfileLong(std::string_view section, std::string_view key, std::int64_t value) {
    writeProfileText(section, key, std::to_string(value));
}

int readProfileDouble(std::string_view section, std::string_view key, double& value) {
    const auto raw = readRaw(section, key);
    if (!raw) return -1;
    const auto v = parseNumber(*raw);
    if (!v) return -1;
    value = *v;
    return 0;
}

void writeProfileDouble(std::string_view section, std::string_view key, double value) {
    writeProfileText(section, key, formatDouble(value));
}

int readProfileOptionalDouble(std::string_view section, std::string_view key,
                              OptionalValue& value) {
    double v = value.value;
    const int result = readProfileDouble(section, key, v);
    if (result == 0) value.set(v);
    std::int32_t enable = 1;
    if (readProfileInt(section, std::string(key) + "Enable", enable) == 0 && enable == 0) {
        value.flag = 0;
    }
    return result;
}

void writeProfileOptionalDouble(std::string_view section, std::string_view key,
                                const OptionalValue& value) {
    edit([&](ProfileFile& f) {
        f.set(section, key, formatDouble(value.value));
        f.set(section, std::string(key) + "Enable", value.present() ? "1" : "0");
    });
}

int readProfileDoubleList(std::string_view section, std::string_view key,
                          std::vector<double>& values) {
    std::lock_guard lock(gMutex);
    // One pass over the section: a long list is not searched key by key.
    std::unordered_map<std::string, std::string> byName;
    for (auto& [name, value] : currentProfile().entries(section)) {
        byName.emplace(foldCase(name), std::move(value));
    }
    const auto valueOf = [&](const std::string& name) -> const std::string* {
        const auto it = byName.find(foldCase(name));
        return it != byName.end() && !it->second.empty() ? &it->second : nullptr;
    };
    const std::string* count = valueOf(countKey(key));
    const auto n = count != nullptr ? parseInteger(*count) : std::nullopt;
    if (!n || *n < 0) return -1;
    // Each value needs a key of its own, so the section bounds the count.
    if (static_cast<std::size_t>(*n) > byName.size()) return -1;
    // A value that does not read keeps what the list held at its place.
    std::vector<double> result(values);
    result.resize(static_cast<std::size_t>(*n), 0.0);
    for (std::size_t i = 0; i < result.size(); ++i) {
        const std::string* raw = valueOf(itemKey(key, i));
        if (const auto v = raw != nullptr ? parseNumber(*raw) : std::nullopt) result[i] = *v;
    }
    values = std::move(result);
    return 0;
}

namespace {

std::vector<std::pair<std::string, std::string>> listEntries(std::string_view key,
                                                             const std::vector<double>& values) {
    std::vector<std::pair<std::string, std::string>> entries;
    entries.reserve(values.size() + 1);
    entries.emplace_back(countKey(key), std::to_string(values.size()));
    for (std::size_t i = 0; i < values.size(); ++i) {
        entries.emplace_back(itemKey(key, i), formatDouble(values[i]));
    }
    return entries;
}

}  // namespace

void writeProfileDoubleList(std::string_view section, std::string_view key,
                            const std::vector<double>& values) {
    edit([&](ProfileFile& f) { f.setAll(section, listEntries(key, values)); });
}

void replaceProfileDoubleList(std::string_view section, std::string_view key,
                              const std::vector<double>& values) {
    edit([&](ProfileFile& f) {
        f.removeSection(section);
        f.setAll(section, listEntries(key, values));
    });
}

void removeProfileKey(std::string_view section, std::string_view key) {
    edit([&](ProfileFile& f) { f.removeKey(section, key); });
}

void removeProfileSection(std::string_view section) {
    edit([&](ProfileFile& f) { f.removeSection(section); });
}

std::optional<WindowRect> readWindowRect(int resource) {
    const std::string section = dialogSection(resource);
    WindowRect r;
    if (readProfileInt(section, "Top", r.top) != 0 ||
        readProfileInt(section, "Left", r.left) != 0 ||
        readProfileInt(section, "Right", r.right) != 0 ||
        readProfileInt(section, "Bottom", r.bottom) != 0) {
        return std::nullopt;
    }
    return r;
}

void writeWindowRect(int resource, const WindowRect& rect) {
    const std::string section = dialogSection(resource);
    edit([&](ProfileFile& f) {
        f.set(section, "Top", std::to_string(rect.top));
        f.set(section, "Left", std::to_string(rect.left));
        f.set(section, "Right", std::to_string(rect.right));
        f.set(section, "Bottom", std::to_string(rect.bottom));
    });
}

WindowPoint windowPlacement(int resource, std::optional<WindowPoint> askedFor,
                            WindowPoint ownerClientTopLeft) {
    if (const auto stored = readWindowRect(resource)) return {stored->left, stored->top};
    if (askedFor) return *askedFor;
    return ownerClientTopLeft;
}

}  // namespace gridova
