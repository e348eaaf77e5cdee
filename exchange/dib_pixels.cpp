#include "exchange/dib_pixels.h"

namespace gridova {
namespace {

constexpr unsigned kFiveBitMask = 0x1F;
constexpr int kRedShift16 = 10;
constexpr int kGreenShift16 = 5;

void putColour(std::uint8_t* out, const gdi::RgbQuad& c) {
    out[0] = c.red;
    out[1] = c.green;
    out[2] = c.blue;
}

// One stored row (`in`) to `width` R, G, B pixels.
void convertRow(const gdi::Dib& dib, const std::uint8_t* in, std::uint8_t* out) {
    const int width = dib.width;
    switch (dib.bitsPerPixel) {
        case 1:
        case 4: {
            const int bits = dib.bitsPerPixel;
            const int perByte = 8 / bits;
            const unsigned mask = (1u << bits) - 1;
            for (int x = 0; x < width; ++x) {
                const int shift = 8 - bits * (x % perByte + 1);
                const unsigned index = (static_cast<unsigned>(in[x / perByte]) >> shift) & mask;
                putColour(out + 3 * x, dib.colorTable[index]);
            }
            break;
        }
        case 8:
            for (int x = 0; x < width; ++x) putColour(out + 3 * x, dib.colorTable[in[x]]);
            break;
        case 16:
            for (int x = 0; x < width; ++x) {
                const unsigned v =
                    static_cast<unsigned>(in[2 * x]) | (static_cast<unsigned>(in[2 * x + 1]) << 8);
                out[3 * x] = scaleFiveBits((v >> kRedShift16) & kFiveBitMask);
                out[3 * x + 1] = scaleFiveBits((v >> kGreenShift16) & kFiveBitMask);
                out[3 * x + 2] = scaleFiveBits(v & kFiveBitMask);
            }
            break;
        case 24:
            for (int x = 0; x < width; ++x) {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
            break;
        case 32:
            for (int x = 0; x < width; ++x) {
                out[3 * x] = in[4 * x + 2];
                out[3 * x + 1] = in[4 * x + 1];
                out[3 * x + 2] = in[4 * x];
            }
            break;
        default:
            break;
    }
}

}  // namespace

RgbImage toRgb(const gdi::Dib& dib) {
    RgbImage image;
    if (!dib.valid()) return image;
    image.width = dib.width;
    image.height = dib.height;
    image.rgb.resize(image.pixelCount() * 3);
    const std::size_t stride = dib.stride();
    const std::size_t outStride = static_cast<std::size_t>(dib.width) * 3;
    // Stored row 0 is the bottom row: output row y comes from stored row
    // height - 1 - y.
    for (int y = 0; y < dib.height; ++y) {
        const std::uint8_t* in =
            dib.bits.data() + static_cast<std::size_t>(dib.height - 1 - y) * stride;
        convertRow(dib, in, image.rgb.data() + static_cast<std::size_t>(y) * outStride);
    }
    return image;
}

}  // namespace gridova
