// GIF files (87a and 89a): the first image, its transparent index, LZW
// decoding with every code checked.
#include <array>
#include <vector>

#include "picture/picture_common.h"
#include "picture/picture_loaders.h"

namespace gridova::picture {
namespace {

using detail::failure;
using detail::u16;
using detail::u8;

constexpr std::size_t kScreenBytes = 13;  // signature and logical screen descriptor
constexpr std::size_t kImageBytes = 9;    // image descriptor after its ','
constexpr int kMostCodeBits = 12;
constexpr int kTableSize = 1 << kMostCodeBits;
constexpr int kPaletteSize = 256;

// The bytes of a run of data sub-blocks, read as one stream of bits (least
// significant first).
class SubBlocks {
public:
    SubBlocks(std::string_view bytes, std::size_t at) : bytes_(bytes), at_(at) {}

    // The next code of `bits` bits; nullopt at the end of the data (the
    // terminator, or the end of the file: then `cutShort` is set).
    std::optional<int> code(int bits) {
        while (held_ < bits) {
            if (left_ == 0) {
                if (ended_) return std::nullopt;
                if (at_ >= bytes_.size()) {
                    cutShort_ = ended_ = true;
                    return std::nullopt;
                }
                left_ = u8(bytes_, at_++);
                if (left_ == 0) {
                    ended_ = true;
                    return std::nullopt;
                }
            }
            if (at_ >= bytes_.size()) {
                cutShort_ = ended_ = true;
                return std::nullopt;
            }
            buffer_ |= static_cast<std::uint32_t>(u8(bytes_, at_++)) << held_;
            held_ += 8;
            --left_;
        }
        const int value = static_cast<int>(buffer_ & ((1u << bits) - 1));
        buffer_ >>= bits;
        held_ -= bits;
        return value;
    }
    bool cutShort() const { return cutShort_; }

private:
    std::string_view bytes_;
    std::size_t at_;
    std::size_t left_ = 0;  // bytes left in the current sub-block
    std::uint32_t buffer_ = 0;
    int held_ = 0;
    bool ended_ = false;
    bool cutShort_ = false;
};

// Skips data sub-blocks from `at`; the position after the terminator, or
// nullopt when the file ends first.
std::optional<std::size_t> skipSubBlocks(std::string_view bytes, std::size_t at) {
    while (at < bytes.size()) {
        const std::size_t size = u8(bytes, at);
        ++at;
        if (size == 0) return at;
        at += size;
    }
    return std::nullopt;
}

// The row of the picture (from the top) that the n-th decoded row goes to.
std::vector<std::int32_t> rowOrder(std::int32_t height, bool interlaced) {
    std::vector<std::int32_t> order;
    order.reserve(static_cast<std::size_t>(height));
    if (!interlaced) {
        for (std::int32_t r = 0; r < height; ++r) order.push_back(r);
        return order;
    }
    constexpr std::array<std::pair<int, int>, 4> kPasses{{{0, 8}, {4, 8}, {2, 4}, {1, 2}}};
    for (const auto& [start, step] : kPasses) {
        for (std::int32_t r = start; r < height; r += step) order.push_back(r);
    }
    return order;
}

// Decodes the LZW data into the bitmap. Every code must be in the table
// built so far, the first after a clear a colour, and no more pixels may
// come than the image holds.
PictureError decodeLzw(SubBlocks& data, int minimumBits, gdi::Dib& dib, bool interlaced) {
    const int clear = 1 << minimumBits;
    const int end = clear + 1;
    std::array<std::uint16_t, kTableSize> prefix{};
    std::array<std::uint8_t, kTableSize> suffix{};
    std::array<std::uint8_t, kTableSize> first{};
    std::array<std::uint8_t, kTableSize + 1> stack{};  // a string and one more colour
    for (int c = 0; c < clear; ++c) {
        suffix[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
        first[static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(c);
    }

    const auto width = static_cast<std::uint64_t>(dib.width);
    const std::uint64_t total = width * static_cast<std::uint64_t>(dib.height);
    const std::vector<std::int32_t> order = rowOrder(dib.height, interlaced);
    std::uint64_t written = 0;
    std::uint8_t* row = nullptr;
    auto put = [&](std::uint8_t value) {
        const std::uint64_t x = written % width;
        if (x == 0) row = detail::rowFromTop(dib, order[static_cast<std::size_t>(written / width)]);
        row[x] = value;
        ++written;
    };

    int bits = minimumBits + 1;
    int next = end + 1;
    int previous = -1;
    for (;;) {
        const std::optional<int> read = data.code(bits);
        if (!read) break;
        const int code = *read;
        if (code == clear) {
            bits = minimumBits + 1;
            next = end + 1;
            previous = -1;
            continue;
        }
        if (code == end) break;
        if (previous < 0) {
            if (code >= clear) return PictureError::Damaged;
            if (written >= total) return PictureError::Damaged;
            put(static_cast<std::uint8_t>(code));
            previous = code;
            continue;
        }
        // A code one past the table is the previous string and its own first
        // colour; anything further has not been made yet.
        if (code > next || (code == next && next >= kTableSize)) return PictureError::Damaged;
        const int known = code == next ? previous : code;
        std::size_t depth = 0;
        if (code == next) stack[depth++] = first[static_cast<std::size_t>(previous)];
        for (int c = known;; c = prefix[static_cast<std::size_t>(c)]) {
            stack[depth++] = suffix[static_cast<std::size_t>(c)];
            if (c < clear) break;
        }
        if (written + depth > total) return PictureError::Damaged;
        while (depth > 0) put(stack[--depth]);
        if (next < kTableSize) {
            prefix[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(previous);
            suffix[static_cast<std::size_t>(next)] = first[static_cast<std::size_t>(known)];
            first[static_cast<std::size_t>(next)] = first[static_cast<std::size_t>(previous)];
            ++next;
            if (next == (1 << bits) && bits < kMostCodeBits) ++bits;
        }
        previous = code;
    }
    if (written == total) return PictureError::None;
    return data.cutShort() ? PictureError::Truncated : PictureError::Damaged;
}

// The colour table read at `at` with `count` entries into the bitmap's table.
void readTable(std::string_view bytes, std::size_t at, std::size_t count, gdi::Dib& dib) {
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t e = at + i * 3;
        dib.colorTable[i] = gdi::RgbQuad{u8(bytes, e + 2), u8(bytes, e + 1), u8(bytes, e), 0};
    }
}

bool isWhite(const gdi::RgbQuad& c) { return c.red == 255 && c.green == 255 && c.blue == 255; }

// The palette of a picture with a transparent index: that entry black, the
// entries beyond the file's table white, and one white entry at least.
void markTransparent(gdi::Dib& dib, std::size_t tableSize, int transparent) {
    for (std::size_t i = tableSize; i < dib.colorTable.size(); ++i) {
        dib.colorTable[i] = gdi::RgbQuad{255, 255, 255, 0};
    }
    dib.colorTable[static_cast<std::size_t>(transparent)] = gdi::RgbQuad{};
    for (const auto& c : dib.colorTable) {
        if (isWhite(c)) return;
    }
    const std::size_t last = transparent == kPaletteSize - 1 ? kPaletteSize - 2 : kPaletteSize - 1;
    dib.colorTable[last] = gdi::RgbQuad{255, 255, 255, 0};
}

}  // namespace

LoadResult loadGif(std::string_view bytes, const PictureLimits& limits) {
    if (bytes.size() < kScreenBytes) return failure(PictureError::Truncated);
    if (!bytes.starts_with("GIF87a") && !bytes.starts_with("GIF89a")) {
        return failure(PictureError::NotAPicture);
    }
    const int screenWidth = u16(bytes, 6);
    const int screenHeight = u16(bytes, 8);
    const std::uint8_t screenFlags = u8(bytes, 10);
    std::size_t at = kScreenBytes;
    std::size_t globalAt = 0;
    std::size_t globalSize = 0;
    if (screenFlags & 0x80) {
        globalSize = std::size_t{2} << (screenFlags & 7);
        globalAt = at;
        at += globalSize * 3;
        if (at > bytes.size()) return failure(PictureError::Truncated);
    }

    int transparent = -1;
    for (;;) {
        if (at >= bytes.size()) return failure(PictureError::Truncated);
        const std::uint8_t block = u8(bytes, at++);
        if (block == '!') {
            if (at >= bytes.size()) return failure(PictureError::Truncated);
            const std::uint8_t label = u8(bytes, at++);
            // A graphic control extension: flags, delay, transparent index.
            if (label == 0xF9 && at + 5 <= bytes.size() && u8(bytes, at) >= 4) {
                if (u8(bytes, at + 1) & 1) {
                    transparent = u8(bytes, at + 4);
                } else {
                    transparent = -1;
                }
            }
            const auto after = skipSubBlocks(bytes, at);
            if (!after) return failure(PictureError::Truncated);
            at = *after;
            continue;
        }
        if (block != ',') {
            // The trailer, or anything else, before an image: nothing to show.
            return failure(PictureError::Damaged);
        }
        if (at + kImageBytes > bytes.size()) return failure(PictureError::Truncated);
        const int left = u16(bytes, at);
        const int top = u16(bytes, at + 2);
        const int width = u16(bytes, at + 4);
        const int height = u16(bytes, at + 6);
        const std::uint8_t flags = u8(bytes, at + 8);
        at += kImageBytes;
        if (width == 0 || height == 0 || left + width > screenWidth ||
            top + height > screenHeight) {
            return failure(PictureError::Damaged);
        }
        std::size_t tableAt = globalAt;
        std::size_t tableSize = globalSize;
        if (flags & 0x80) {
            tableSize = std::size_t{2} << (flags & 7);
            tableAt = at;
            at += tableSize * 3;
            if (at > bytes.size()) return failure(PictureError::Truncated);
        }
        if (tableSize == 0) return failure(PictureError::Damaged);
        if (at >= bytes.size()) return failure(PictureError::Truncated);
        const int minimumBits = u8(bytes, at++);
        if (minimumBits < 2 || minimumBits > 8) return failure(PictureError::Damaged);
        if (const PictureError e = detail::checkSize(width, height, 8, limits);
            e != PictureError::None) {
            return failure(e);
        }
        const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
        if (pixels > (bytes.size() - at) * detail::kMostPixelsPerByte) {
            return failure(PictureError::TooLarge);
        }
        auto dib = detail::makeDib(width, height, 8);
        if (!dib) return failure(PictureError::TooLarge);
        readTable(bytes, tableAt, tableSize, *dib);
        SubBlocks data(bytes, at);
        if (const PictureError e = decodeLzw(data, minimumBits, *dib, (flags & 0x40) != 0);
            e != PictureError::None) {
            return failure(e);
        }
        if (transparent >= 0) markTransparent(*dib, tableSize, transparent);
        return LoadResult{LoadedPicture{std::move(*dib), transparent}, PictureError::None};
    }
}

}  // namespace gridova::picture
