// What the picture loaders share: reading little-endian numbers from a byte
// string, and making a bitmap once its size has been checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <string_view>

#include "picture/picture_loaders.h"

namespace gridova::picture::detail {

// The most pixels one byte of compressed data is taken to give. LZW with
// 12-bit codes gives at most 4096 pixels a code; RLE and Huffman-coded JPEG
// give fewer. A file claiming more pixels than this for its bytes is refused
// before anything is allocated.
inline constexpr std::uint64_t kMostPixelsPerByte = 4096;

inline std::uint16_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[at]) |
                                      (static_cast<unsigned char>(b[at + 1]) << 8));
}

inline std::uint32_t u32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(u16(b, at)) |
           (static_cast<std::uint32_t>(u16(b, at + 2)) << 16);
}

inline std::uint8_t u8(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]);
}

inline LoadResult failure(PictureError error) { return LoadResult{std::nullopt, error}; }

// The error of a picture of this size: TooLarge beyond the pixel limit or
// when its stored rows would not fit in memory, Damaged for an empty side,
// else None.
PictureError checkSize(std::int64_t width, std::int64_t height, int bitsPerPixel,
                       const PictureLimits& limits);

// A bitmap of a checked size with its pixels zero and a colour table of
// 2^bits black entries (none above 8 bits); nullopt when memory runs out.
std::optional<gdi::Dib> makeDib(std::int32_t width, std::int32_t height, int bitsPerPixel);

// The same made into `into` (for frames a longjmp may leave: no local of
// this call outlives it); false when memory runs out.
bool makeDibInto(gdi::Dib& into, std::int32_t width, std::int32_t height, int bitsPerPixel);

// Pointer to the start of row `fromTop` (0 the top row) of a bottom-up bitmap.
inline std::uint8_t* rowFromTop(gdi::Dib& dib, std::int64_t fromTop) {
    const auto row = static_cast<std::size_t>(dib.height - 1 - fromTop);
    return dib.bits.data() + row * dib.stride();
}

// A grey colour table of n levels (entry i = i × 256 / n) in the first n
// entries.
void greyTable(gdi::Dib& dib, int n);

}  // namespace gridova::picture::detail
