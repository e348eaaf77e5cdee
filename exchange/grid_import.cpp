#include "exchange/grid_import.h"

#include <sys/types.h>
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

std::optional<ImportedGrid> readGridFile(const std::string& path, GridFileKind* kind) {
    if (kind != nullptr) *kind = GridFileKind::Bad;
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
    return readGridBytes(bytes, path, kind);
}

std::optional<ImportedGrid> readGridDocument(const std::string& path) {
    if (asciiLower(extensionOf(path)) == "grd") return readGridFile(path);
#if GRIDOVA_HAVE_GDAL
    return readRasterGrid(path);
#else
    warning(formatText(text(kNoGdal), {path}));
    return std::nullopt;
#endif
}

}  // namespace gridova
