// BMP files: the pixels as they are stored, RLE files unpacked.
#include <algorithm>
#include <cstring>

#include "picture/picture_common.h"
#include "picture/picture_loaders.h"

namespace gridova::picture {
namespace {

using detail::failure;
using detail::u16;
using detail::u32;
using detail::u8;

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kCoreHeaderBytes = 12;
constexpr std::uint32_t kInfoHeaderBytes = 40;
constexpr std::uint32_t kLargestHeaderBytes = 124;

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;

// The masks a bitmap of 16 or 32 bits can be read with unchanged.
struct Masks {
    std::uint32_t red, green, blue;
};
constexpr Masks kMasks16{0x7C00, 0x03E0, 0x001F};
constexpr Masks kMasks32{0x00FF0000, 0x0000FF00, 0x000000FF};

void setPixel4(gdi::Dib& dib, std::size_t row, std::size_t x, std::uint8_t value) {
    std::uint8_t& byte = dib.bits[row * dib.stride() + x / 2];
    if (x % 2 == 0) {
        byte = static_cast<std::uint8_t>((byte & 0x0F) | ((value & 0x0F) << 4));
    } else {
        byte = static_cast<std::uint8_t>((byte & 0xF0) | (value & 0x0F));
    }
}

// Unpacks RLE8 or RLE4 data into the (zeroed) bottom-up bitmap. Every run
// must stay within its stored row and the rows within the picture; the data
// must end with the end-of-bitmap mark.
PictureError unpackRle(std::string_view data, gdi::Dib& dib, bool four) {
    const auto width = static_cast<std::size_t>(dib.width);
    // Some writers let the runs go on over the padding of a row; they may go
    // as far as the stored row does, the pixels beyond the width are dropped.
    const std::size_t rowEnd = dib.stride() * (four ? 2 : 1);
    const auto height = static_cast<std::size_t>(dib.height);
    std::size_t x = 0;
    std::size_t row = 0;
    std::size_t at = 0;
    auto put = [&](std::uint8_t value) {
        if (x >= width) {  // in the row's padding: kept zero
            ++x;
            return;
        }
        if (four) {
            setPixel4(dib, row, x, value);
        } else {
            dib.bits[row * dib.stride() + x] = value;
        }
        ++x;
    };
    while (at + 2 <= data.size()) {
        const std::uint8_t count = u8(data, at);
        const std::uint8_t value = u8(data, at + 1);
        at += 2;
        if (count > 0) {
            if (row >= height || x + count > rowEnd) return PictureError::Damaged;
            for (std::uint8_t i = 0; i < count; ++i) {
                put(four ? static_cast<std::uint8_t>(i % 2 == 0 ? value >> 4 : value & 0x0F)
                         : value);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++row;
                break;
            case 1:  // end of bitmap
                return PictureError::None;
            case 2: {  // delta
                if (at + 2 > data.size()) return PictureError::Truncated;
                x += u8(data, at);
                row += u8(data, at + 1);
                at += 2;
                if (x > rowEnd || row > height) return PictureError::Damaged;
                break;
            }
            default: {  // absolute run of `value` pixels, padded to a word
                const std::size_t bytes = four ? (value + 1u) / 2 : value;
                const std::size_t padded = bytes + (bytes % 2);
                if (at + bytes > data.size()) return PictureError::Truncated;
                if (row >= height || x + value > rowEnd) return PictureError::Damaged;
                for (std::size_t i = 0; i < value; ++i) {
                    const std::uint8_t b = u8(data, at + (four ? i / 2 : i));
                    put(four ? static_cast<std::uint8_t>(i % 2 == 0 ? b >> 4 : b & 0x0F) : b);
                }
                at += std::min(padded, data.size() - at);
                break;
            }
        }
    }
    return PictureError::Truncated;
}

}  // namespace

LoadResult loadBmp(std::string_view bytes, const PictureLimits& limits) {
    if (bytes.size() < kFileHeaderBytes + 4) return failure(PictureError::Truncated);
    if (!bytes.starts_with("BM")) return failure(PictureError::NotAPicture);
    const std::uint32_t pixelsAt = u32(bytes, 10);
    const std::uint32_t headerBytes = u32(bytes, kFileHeaderBytes);
    if (headerBytes != kCoreHeaderBytes &&
        (headerBytes < kInfoHeaderBytes || headerBytes > kLargestHeaderBytes)) {
        return failure(PictureError::Damaged);
    }
    if (bytes.size() < kFileHeaderBytes + headerBytes) return failure(PictureError::Truncated);
    const std::string_view header = bytes.substr(kFileHeaderBytes, headerBytes);

    std::int64_t width = 0;
    std::int64_t height = 0;
    int planes = 0;
    int bits = 0;
    std::uint32_t compression = kRgb;
    std::uint32_t coloursUsed = 0;
    std::size_t entryBytes = 4;
    std::size_t tableAt = kFileHeaderBytes + headerBytes;
    if (headerBytes == kCoreHeaderBytes) {
        width = u16(header, 4);
        height = u16(header, 6);
        planes = u16(header, 8);
        bits = u16(header, 10);
        entryBytes = 3;
    } else {
        width = static_cast<std::int32_t>(u32(header, 4));
        height = static_cast<std::int32_t>(u32(header, 8));
        planes = u16(header, 12);
        bits = u16(header, 14);
        compression = u32(header, 16);
        coloursUsed = u32(header, 32);
    }
    if (planes != 1) return failure(PictureError::Damaged);
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return failure(PictureError::Unsupported);
    }
    const bool knownCompression = compression == kRgb || (compression == kRle8 && bits == 8) ||
                                  (compression == kRle4 && bits == 4) ||
                                  (compression == kBitFields && (bits == 16 || bits == 32));
    if (!knownCompression) return failure(PictureError::Unsupported);

    // A negative height stores the top row first; RLE data cannot.
    const bool topDown = height < 0;
    if (topDown) {
        if (compression == kRle8 || compression == kRle4) return failure(PictureError::Damaged);
        height = -height;
    }
    if (const PictureError e = detail::checkSize(width, height, bits, limits);
        e != PictureError::None) {
        return failure(e);
    }

    if (compression == kBitFields) {
        // The masks follow a 40-byte header and are part of the larger ones.
        std::size_t masksAt = kFileHeaderBytes + kInfoHeaderBytes;
        if (headerBytes == kInfoHeaderBytes) tableAt += 12;
        if (bytes.size() < masksAt + 12) return failure(PictureError::Truncated);
        const Masks masks{u32(bytes, masksAt), u32(bytes, masksAt + 4), u32(bytes, masksAt + 8)};
        const Masks& standard = bits == 16 ? kMasks16 : kMasks32;
        if (masks.red != standard.red || masks.green != standard.green ||
            masks.blue != standard.blue) {
            return failure(PictureError::Unsupported);
        }
    }

    std::size_t colours = 0;
    if (bits <= 8) {
        const std::size_t most = std::size_t{1} << bits;
        colours = coloursUsed == 0 ? most : coloursUsed;
        if (colours > most) return failure(PictureError::Damaged);
    }
    const std::size_t tableEnd = tableAt + colours * entryBytes;
    if (bytes.size() < tableEnd) return failure(PictureError::Truncated);
    if (pixelsAt < kFileHeaderBytes + headerBytes) return failure(PictureError::Damaged);
    if (pixelsAt > bytes.size()) return failure(PictureError::Truncated);
    const std::string_view data = bytes.substr(pixelsAt);

    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const bool rle = compression == kRle8 || compression == kRle4;
    const std::uint64_t storedBytes =
        ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bits) + 31) / 32) * 4 *
        static_cast<std::uint64_t>(height);
    if (rle) {
        if (pixels > data.size() * detail::kMostPixelsPerByte) {
            return failure(PictureError::TooLarge);
        }
    } else if (data.size() < storedBytes) {
        return failure(PictureError::Truncated);
    }

    auto dib =
        detail::makeDib(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), bits);
    if (!dib) return failure(PictureError::TooLarge);
    for (std::size_t i = 0; i < colours; ++i) {
        const std::size_t at = tableAt + i * entryBytes;
        dib->colorTable[i] = gdi::RgbQuad{u8(bytes, at), u8(bytes, at + 1), u8(bytes, at + 2), 0};
    }
    if (rle) {
        if (const PictureError e = unpackRle(data, *dib, compression == kRle4);
            e != PictureError::None) {
            return failure(e);
        }
    } else {
        const std::size_t stride = dib->stride();
        for (std::size_t row = 0; row < static_cast<std::size_t>(height); ++row) {
            const std::size_t to = topDown ? static_cast<std::size_t>(height) - 1 - row : row;
            std::memcpy(dib->bits.data() + to * stride, data.data() + row * stride, stride);
        }
    }
    return LoadResult{LoadedPicture{std::move(*dib), -1}, PictureError::None};
}

}  // namespace gridova::picture
