// GIF87a pictures (.gif) with our own LZW encoder.
//
// Colours: the pixels are walked top-down, left to right, and each new
// colour is appended to the palette, so palette index i is the i-th colour
// met. The file always carries a global table of 256 entries; entries past
// the colours found are 0, 0, 0. A 16-bit bitmap gives the same palette as
// looking its pixels up on their 5-bit components, because v × 255 / 31 is
// one-to-one on 0..31. More than 256 colours: see `reduceColours`.
//
// File layout (little-endian): "GIF87a"; logical screen descriptor (width,
// height, packed 0xF7 = global table, 8-bit colour resolution, unsorted,
// 256 entries; background 0; pixel shape 0); the 768-byte global table; image
// separator 0x2C and descriptor (left 0, top 0, width, height, packed
// 0x07); LZW minimum code size 8; the LZW data in sub-blocks; a zero-length
// block; trailer 0x3B.
//
// LZW: clear code 256, end code 257, first free code 258, codes 9 to 12 bits
// wide, packed least-significant bit first. The stream opens with a clear
// code. For each pixel after the first, a known (prefix, pixel) string
// extends the prefix; otherwise the prefix code is written, the string gets
// the next free code (while that is at most 4095) and the pixel becomes the
// prefix. When the code just assigned equals 2^width the width grows by
// one; when the table is full (the would-be code 4096 at 12 bits) a clear
// code is written at 12 bits and the table, width and next code start
// again. The stream ends with the last prefix and the end code.
//
// The string table is a hash table of 20003 slots keyed by (prefix code,
// pixel): slot = (pixel × 32 XOR prefix) mod 20003, collisions stepping 1,
// 3, 5, ... slots further. It holds at most 3838 strings between clears, so
// a probe never runs far; should one run past twice the table size, "Over"
// goes to the message log and nothing is written.
//
// Sub-blocks: before each code is added, when 2032 or more bits (254 bytes)
// are waiting, all complete waiting bytes (254 or 255) go out as one
// sub-block and the incomplete byte starts the next. The rest at the end
// can reach 256 bytes; it goes out in blocks of at most 255 bytes, since a
// block's length is a single byte.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "exchange/dib_pixels.h"
#include "platform/dib.h"

namespace gridova {

inline constexpr int kGifPaletteSize = 256;

struct IndexedImage {
    int width = 0;   // pixels
    int height = 0;  // pixels
    // R, G, B of each palette index; entries past the colours found are 0.
    std::array<std::uint8_t, 3 * kGifPaletteSize> palette{};
    bool tooManyColours = false;        // more than 256 distinct colours occurred
    std::vector<std::uint8_t> indices;  // one per pixel, top row first
};

// Palette and indices in first-seen order. A colour met after the palette
// already holds 256 colours gets the index of the nearest palette colour
// (least squared R, G, B distance; on a tie the lower index), so a picture
// with a few stray colours still looks right, and `tooManyColours` is set.
IndexedImage reduceColours(const RgbImage& image);

// The complete GIF file; nothing when the string table overflowed ("Over"
// has been logged).
std::optional<std::vector<std::uint8_t>> encodeGif(const IndexedImage& image);

// Converts, reduces and writes. More than 256 colours shows warning 276
// after the conversion and the file is still written. A file that cannot be
// written shows message 201 and keeps an existing file.
bool writeGif(const gdi::Dib& dib, const std::string& path);

}  // namespace gridova
