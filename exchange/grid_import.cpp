#include "exchange/grid_import.h"

#include <sys/types.h>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>

#if GRIDOVA_HAVE_GDAL
#include "exchange/gdal_raster.h"
#endif
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

constexpr int kBadFormat = 9470;  // "Bad format has been detected in %s"
#if !GRIDOVA_HAVE_GDAL
constexpr int kNoGdal = 9460;  // "Программа собрана без GDAL: растр %s не прочитан"
#endif

constexpr std::size_t kBinaryHeaderBytes = 56;
constexpr std::size_t kBinaryValueBytes = 4;
// The shortest a number of a text grid can be: one digit and a separator
// (the last number may go without one).
constexpr std::size_t kLeastTextNumberBytes = 2;

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";

void badFormat(const std::string& name) { warning(formatText(text(kBadFormat), {name})); }

// The extents of a grid: finite, the high end above the low end.
bool goodExtent(double lo, double hi) { return std::isfinite(lo) && std::isfinite(hi) && hi > lo; }

bool goodHeader(const ImportedGrid& g) {
    return g.nx >= 1 && g.ny >= 1 && goodExtent(g.xlo, g.xhi) && goodExtent(g.ylo, g.yhi);
}

std::uint64_t valueCount(const ImportedGrid& g) {
    return static_cast<std::uint64_t>(g.nx) * static_cast<std::uint64_t>(g.ny);
}

// --- Text grid -------------------------------------------------------------------

// The words of a text, separated by white space.
class Words {
public:
    explicit Words(std::string_view s) : s_(s) {}

    std::optional<std::string_view> next() {
        const std::size_t start = s_.find_first_not_of(kWhiteSpace, at_);
        if (start == std::string_view::npos) {
            at_ = s_.size();
            return std::nullopt;
        }
        std::size_t end = s_.find_first_of(kWhiteSpace, start);
        if (end == std::string_view::npos) end = s_.size();
        at_ = end;
        return s_.substr(start, end - start);
    }

    std::optional<double> number() {
        const auto w = next();
        return w ? parseNumber(*w) : std::nullopt;
    }

    std::optional<std::int32_t> integer() {
        const auto w = next();
        return w ? parseInteger(*w) : std::nullopt;
    }

    std::size_t bytesLeft() const { return s_.size() - at_; }

private:
    std::string_view s_;
    std::size_t at_ = 0;
};

std::optional<ImportedGrid> readText(std::string_view bytes) {
    const std::size_t lineEnd = bytes.find('\n');
    if (lineEnd == std::string_view::npos) return std::nullopt;
    Words words(bytes.substr(lineEnd + 1));

    ImportedGrid g;
    const auto nx = words.integer();
    const auto ny = words.integer();
    if (!nx || !ny) return std::nullopt;
    g.nx = *nx;
    g.ny = *ny;
    double* const header[] = {&g.xlo, &g.xhi, &g.ylo, &g.yhi, &g.zlo, &g.zhi};
    for (double* field : header) {
        const auto v = words.number();
        if (!v) return std::nullopt;
        *field = *v;
    }
    if (!goodHeader(g)) return std::nullopt;

    // Refused before anything is allocated when the rest of the file is too
    // short to hold that many numbers.
    const std::uint64_t count = valueCount(g);
    if (count > (words.bytesLeft() + 1) / kLeastTextNumberBytes) return std::nullopt;
    g.values.reserve(static_cast<std::size_t>(count));
    for (std::uint64_t k = 0; k < count; ++k) {
        const auto v = words.number();
        if (!v) return std::nullopt;
        g.values.push_back(*v);
    }
    return g;
}

// --- Binary grid -----------------------------------------------------------------

std::uint32_t get32(std::string_view bytes, std::size_t at) {
    std::uint32_t v = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        v |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + k])) << (8 * k);
    }
    return v;
}

std::int16_t getInt16(std::string_view bytes, std::size_t at) {
    const auto low = static_cast<unsigned char>(bytes[at]);
    const auto high = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
}

double getDouble(std::string_view bytes, std::size_t at) {
    const std::uint64_t bits =
        get32(bytes, at) | (static_cast<std::uint64_t>(get32(bytes, at + 4)) << 32);
    return std::bit_cast<double>(bits);
}

std::optional<ImportedGrid> readBinary(std::string_view bytes) {
    if (bytes.size() < kBinaryHeaderBytes) return std::nullopt;
    ImportedGrid g;
    g.nx = getInt16(bytes, 4);
    g.ny = getInt16(bytes, 6);
    double* const header[] = {&g.xlo, &g.xhi, &g.ylo, &g.yhi, &g.zlo, &g.zhi};
    std::size_t at = 8;
    for (double* field : header) {
        *field = getDouble(bytes, at);
        at += 8;
    }
    if (!goodHeader(g)) return std::nullopt;

    const std::uint64_t count = valueCount(g);
    if ((bytes.size() - kBinaryHeaderBytes) / kBinaryValueBytes < count) return std::nullopt;
    g.values.resize(static_cast<std::size_t>(count));
    at = kBinaryHeaderBytes;
    for (double& v : g.values) {
        v = std::bit_cast<float>(get32(bytes, at));
        at += kBinaryValueBytes;
        // Plus infinity is above the blank limit, a blank; NaN and minus
        // infinity are no values at all.
        if (std::isnan(v) || v == -std::numeric_limits<double>::infinity()) return std::nullopt;
    }
    return g;
}

}  // namespace

GridFileKind gridFileKind(std::string_view bytes) {
    if (bytes.size() < 4 || (bytes[0] != 'D' && bytes[0] != 'V')) return GridFileKind::Bad;
    switch (bytes[3]) {
        case 'A':
            return GridFileKind::TextGrid;
        case 'B':
            return GridFileKind::BinaryGrid;
        case 'E':
        case 'F':
        case 'G':
            return GridFileKind::Volume;
        case 'C':
        case 'D':
            return GridFileKind::NotRead;
        default:
            return GridFileKind::Bad;
    }
}

std::optional<ImportedGrid> readGridBytes(std::string_view bytes,
                                          const std::string& nameForMessages, GridFileKind* kind) {
    const GridFileKind found =
        bytes.size() > kMaxGridFileBytes ? GridFileKind::Bad : gridFileKind(bytes);
    if (kind != nullptr) *kind = found;
    std::optional<ImportedGrid> grid;
    try {
        switch (found) {
            case GridFileKind::TextGrid:
                grid = readText(bytes);
                break;
            case GridFileKind::BinaryGrid:
                grid = readBinary(bytes);
                break;
            case GridFileKind::Volume:
            case GridFileKind::NotRead:
                return std::nullopt;
            case GridFileKind::Bad:
                break;
        }
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return std::nullopt;
    }
    if (!grid) badFormat(nameForMessages);
    return grid;
}

namespace {

// The whole file, up to kMaxGridFileBytes; nothing (said) otherwise.
std::optional<std::string> readWholeFile(const std::string& path) {
    FilePtr file = openBinaryRead(path);
    if (!file) return std::nullopt;
    std::FILE* f = file.get();
    if (fseeko(f, 0, SEEK_END) != 0) {
        badFormat(path);
        return std::nullopt;
    }
    const off_t size = ftello(f);
    if (size < 0 || static_cast<std::uint64_t>(size) > kMaxGridFileBytes ||
        fseeko(f, 0, SEEK_SET) != 0) {
        badFormat(path);
        return std::nullopt;
    }
    std::string bytes;
    try {
        bytes.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return std::nullopt;
    }
    if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size()) {
        badFormat(path);
        return std::nullopt;
    }
    return bytes;
}

// --- Volume files ----------------------------------------------------------------

constexpr std::size_t kVolumeNameBytes = 32;
constexpr std::size_t kVolumeItemBytes = 4;

std::optional<VolumeData> readVolume(std::string_view bytes) {
    VolumeData v;
    v.kind = bytes[3];
    std::size_t at = 4;
    const auto int32At = [&](std::size_t where) {
        return static_cast<std::int32_t>(get32(bytes, where));
    };
    if (bytes.size() < at + 4) return std::nullopt;
    const std::int32_t count = int32At(at);
    at += 4;
    // Every variable's name must be there before anything is allocated.
    if (count < 1 || static_cast<std::uint64_t>(count) > (bytes.size() - at) / kVolumeNameBytes) {
        return std::nullopt;
    }
    v.variables.resize(static_cast<std::size_t>(count));
    for (VolumeVariable& variable : v.variables) {
        std::string_view name = bytes.substr(at, kVolumeNameBytes);
        name = name.substr(0, std::min(name.find_first_of("\r\n"), name.size()));
        // Padding of NULs is no part of the name.
        name = name.substr(0, std::min(name.find('\0'), name.size()));
        variable.name = std::string(name);
        at += kVolumeNameBytes;
    }
    if (bytes.size() < at + 12) return std::nullopt;
    v.nx = int32At(at);
    v.ny = int32At(at + 4);
    v.nz = int32At(at + 8);
    at += 12;
    if (v.nx < 1 || v.ny < 1 || v.nz < 1) return std::nullopt;
    // The records must all be in the file. Each factor is below 2^31 and
    // the file below 2^30 bytes: multiplied one at a time, each product is
    // checked while it is far below 2^64.
    const std::uint64_t left = (bytes.size() - at) / kVolumeItemBytes;
    std::uint64_t nodes = 1;
    for (const std::int32_t n : {v.nx, v.ny, v.nz}) {
        nodes *= static_cast<std::uint64_t>(n);
        if (nodes > left) return std::nullopt;
    }
    const std::uint64_t items = static_cast<std::uint64_t>(count) + (v.kind == 'F' ? 2 : 3);
    if (items > left || nodes * items > left) return std::nullopt;

    const auto n = static_cast<std::size_t>(nodes);
    v.x.resize(n);
    v.y.resize(n);
    v.z.resize(n);
    for (VolumeVariable& variable : v.variables) variable.values.resize(n);
    const auto item = [&](std::uint64_t k) {
        return std::bit_cast<float>(
            get32(bytes, at + static_cast<std::size_t>(k) * kVolumeItemBytes));
    };
    std::size_t node = 0;
    std::uint64_t k = 0;
    for (std::int32_t layer = 0; layer < v.nz; ++layer) {
        for (std::int32_t row = 0; row < v.ny; ++row) {
            for (std::int32_t column = 0; column < v.nx; ++column, ++node) {
                v.x[node] = item(k++);
                v.y[node] = item(k++);
                // "F" numbers the layers; "E" and "G" give a Z.
                v.z[node] = v.kind == 'F' ? static_cast<float>(layer + 1) : item(k++);
                for (VolumeVariable& variable : v.variables) variable.values[node] = item(k++);
            }
        }
    }
    return v;
}

}  // namespace

std::optional<ImportedGrid> readGridFile(const std::string& path, GridFileKind* kind) {
    if (kind != nullptr) *kind = GridFileKind::Bad;
    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    return readGridBytes(*bytes, path, kind);
}

std::optional<VolumeData> readVolumeBytes(std::string_view bytes,
                                          const std::string& nameForMessages) {
    std::optional<VolumeData> volume;
    if (bytes.size() <= kMaxGridFileBytes && gridFileKind(bytes) == GridFileKind::Volume) {
        try {
            volume = readVolume(bytes);
        } catch (const std::bad_alloc&) {
            outOfMemory();
            return std::nullopt;
        }
    }
    if (!volume) badFormat(nameForMessages);
    return volume;
}

std::optional<VolumeData> readVolumeFile(const std::string& path) {
    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    return readVolumeBytes(*bytes, path);
}

std::optional<ImportedGrid> readGridDocument(const std::string& path, GridFileKind* kind) {
    if (kind != nullptr) *kind = GridFileKind::Bad;
    if (asciiLower(extensionOf(path)) == "grd") return readGridFile(path, kind);
#if GRIDOVA_HAVE_GDAL
    return readRasterGrid(path);
#else
    warning(formatText(text(kNoGdal), {path}));
    return std::nullopt;
#endif
}

}  // namespace gridova
