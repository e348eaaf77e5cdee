// A device-independent bitmap: the pixels a drawing device hands to the
// picture writers (the equivalent of a BITMAPINFO header with its bits).
//
// Rows are stored bottom-up (row 0 is the bottom row of the picture), each
// padded to a multiple of four bytes. 24-bit pixels are stored B, G, R;
// 32-bit pixels B, G, R and an ignored byte; 16-bit pixels are 5-5-5 with
// blue in bits 0-4; 8-bit and smaller pixels index the colour table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace gridova::gdi {

// One colour-table entry, as RGBQUAD.
struct RgbQuad {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
    std::uint8_t reserved = 0;
};

struct Dib {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t bitsPerPixel = 24;   // 1, 4, 8, 16, 24 or 32
    std::vector<RgbQuad> colorTable;  // 2^bits entries for 1, 4 and 8 bits; empty otherwise
    std::vector<std::uint8_t> bits;   // height × stride() bytes, bottom row first

    // Bytes of one stored row: ((width × bits + 31) / 32) × 4.
    std::size_t stride() const {
        return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) /
                32) *
               4;
    }
    // biSizeImage.
    std::size_t imageSize() const { return stride() * static_cast<std::size_t>(height); }
    bool valid() const {
        const bool knownDepth = bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8 ||
                                bitsPerPixel == 16 || bitsPerPixel == 24 || bitsPerPixel == 32;
        const std::size_t colours =
            bitsPerPixel <= 8 && knownDepth ? (std::size_t{1} << bitsPerPixel) : 0;
        return width > 0 && height > 0 && knownDepth && colorTable.size() == colours &&
               bits.size() == imageSize();
    }
};

}  // namespace gridova::gdi
