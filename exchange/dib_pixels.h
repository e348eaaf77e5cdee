// The pixels of a device-independent bitmap as top-down R, G, B bytes: the
// form the JPEG, PNG and GIF writers take.
//
// The Dib's rows are stored bottom-up and padded to four bytes; the result
// is unpadded, top row first, and has exactly the bitmap's width and height
// (an odd width stays odd). Per depth:
//   1, 4, 8 bits  index into the colour table (1 and 4 bits: the leftmost
//                 pixel in the high bits of the byte);
//   16 bits       5-5-5 with blue in bits 0-4; each component v becomes
//                 v × 255 / 31, truncated (31 → 255, 16 → 131, 1 → 8);
//   24 bits       stored B, G, R;
//   32 bits       stored B, G, R and an ignored byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/dib.h"

namespace gridova {

struct RgbImage {
    int width = 0;                  // pixels
    int height = 0;                 // pixels
    std::vector<std::uint8_t> rgb;  // width × height × 3 bytes, R, G, B, top row first

    std::size_t pixelCount() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
};

// The bitmap's pixels; an empty image (0 × 0) when the Dib is not valid.
RgbImage toRgb(const gdi::Dib& dib);

// One 5-bit component of a 16-bit pixel scaled to 0..255.
constexpr std::uint8_t scaleFiveBits(unsigned v) { return static_cast<std::uint8_t>(v * 255 / 31); }

}  // namespace gridova
