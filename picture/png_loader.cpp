// PNG files through libpng: transparency composed over the background
// colour, 16-bit samples cut to 8; grey and palette pictures 8-bit, colour
// pictures 24-bit.
#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

#include "picture/picture_common.h"
#include "picture/picture_loaders.h"

namespace gridova::picture {
namespace {

// The background transparent pixels are composed over.
constexpr int kBackgroundRed = 31;
constexpr int kBackgroundGreen = 127;
constexpr int kBackgroundBlue = 255;
constexpr int kBackgroundGrey = 0;
constexpr int kGreyLevels = 256;
// Deflate gives at most 1032 bytes of a byte; a file claiming more stored
// row bytes than this for its size is refused before anything is allocated.
constexpr std::uint64_t kMostInflation = 1032;
constexpr png_uint_32 kMostSide = 1u << 24;

// What the reading needs across libpng's jumps: it lives in the caller's
// frame, so a jump from libpng skips none of its destructors.
struct Reading {
    std::string_view bytes;
    std::size_t at = 0;
    bool cutShort = false;
    PictureError error = PictureError::None;
    gdi::Dib dib;
    std::vector<png_byte> decoded;  // rows after libpng's transformations
    std::vector<png_bytep> rows;
    std::vector<gdi::RgbQuad> palette;  // a palette picture's colours, composed
};

void readBytes(png_structp png, png_bytep into, png_size_t count) {
    auto* reading = static_cast<Reading*>(png_get_io_ptr(png));
    if (reading->bytes.size() - reading->at < count) {
        reading->cutShort = true;
        png_error(png, "cut short");
    }
    std::memcpy(into, reading->bytes.data() + reading->at, count);
    reading->at += count;
}

void onError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void onWarning(png_structp, png_const_charp) {}

std::uint8_t compose(unsigned value, unsigned alpha, unsigned background) {
    return static_cast<std::uint8_t>((value * alpha + background * (255 - alpha) + 127) / 255);
}

// Reads the picture into reading.dib. Only plain C data lives in this frame.
void decode(Reading& reading, const PictureLimits& limits) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reading, onError, onWarning);
    if (!png) {
        reading.error = PictureError::TooLarge;
        return;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        reading.error = PictureError::TooLarge;
        return;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (reading.error == PictureError::None) {
            reading.error = reading.cutShort ? PictureError::Truncated : PictureError::Damaged;
        }
        return;
    }
    png_set_read_fn(png, &reading, readBytes);
    png_set_user_limits(png, kMostSide, kMostSide);
    png_read_info(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info);
    const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    const bool palette = colourType == PNG_COLOR_TYPE_PALETTE;
    const bool grey = (colourType & PNG_COLOR_MASK_COLOR) == 0;
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0 || (hasTrns && !palette);
    const int bits = palette || grey ? 8 : 24;
    PictureError sizeError = detail::checkSize(width, height, bits, limits);
    const std::uint64_t storedRows =
        (png_get_rowbytes(png, info) + 1) * static_cast<std::uint64_t>(height);
    if (sizeError == PictureError::None && storedRows > reading.bytes.size() * kMostInflation) {
        sizeError = PictureError::TooLarge;
    }
    if (sizeError != PictureError::None) {
        reading.error = sizeError;
        png_longjmp(png, 1);
    }

    // The transformations: 8-bit samples, one byte a pixel for palettes and
    // greys, an alpha channel for a transparent colour, BGR order.
    png_set_strip_16(png);
    png_set_packing(png);
    if (grey) png_set_expand_gray_1_2_4_to_8(png);
    if (hasTrns && !palette) png_set_tRNS_to_alpha(png);
    if (!grey && !palette) png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    const int channels = png_get_channels(png, info);
    const int expected = (palette || grey ? 1 : 3) + (alpha ? 1 : 0);
    if (channels != expected || png_get_bit_depth(png, info) != 8) {
        reading.error = PictureError::Unsupported;
        png_longjmp(png, 1);
    }
    if (!detail::makeDibInto(reading.dib, static_cast<std::int32_t>(width),
                             static_cast<std::int32_t>(height), bits)) {
        reading.error = PictureError::TooLarge;
        png_longjmp(png, 1);
    }
    // Without alpha the rows go straight into the bitmap, else through a
    // buffer of their own.
    try {
        reading.rows.resize(height);
        if (alpha) reading.decoded.resize(rowBytes * height);
    } catch (const std::bad_alloc&) {
        reading.error = PictureError::TooLarge;
        png_longjmp(png, 1);
    }
    for (png_uint_32 r = 0; r < height; ++r) {
        reading.rows[r] =
            alpha ? reading.decoded.data() + r * rowBytes : detail::rowFromTop(reading.dib, r);
    }
    png_read_image(png, reading.rows.data());
    png_read_end(png, nullptr);

    if (palette) {
        png_colorp colours = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &colours, &count);
        png_bytep transparency = nullptr;
        int transparent = 0;
        if (hasTrns) png_get_tRNS(png, info, &transparency, &transparent, nullptr);
        for (int i = 0; i < count && i < kGreyLevels; ++i) {
            const unsigned a = i < transparent ? transparency[i] : 255;
            reading.dib.colorTable[static_cast<std::size_t>(i)] =
                gdi::RgbQuad{compose(colours[i].blue, a, kBackgroundBlue),
                             compose(colours[i].green, a, kBackgroundGreen),
                             compose(colours[i].red, a, kBackgroundRed), 0};
        }
    } else if (grey) {
        detail::greyTable(reading.dib, kGreyLevels);
    }
    png_destroy_read_struct(&png, &info, nullptr);
}

// Composes the decoded rows with alpha over the background into the bitmap.
void composeRows(Reading& reading, bool grey) {
    gdi::Dib& dib = reading.dib;
    const auto width = static_cast<std::size_t>(dib.width);
    const std::size_t channels = grey ? 2 : 4;
    for (std::int32_t r = 0; r < dib.height; ++r) {
        const png_byte* from =
            reading.decoded.data() + static_cast<std::size_t>(r) * width * channels;
        std::uint8_t* to = detail::rowFromTop(dib, r);
        for (std::size_t x = 0; x < width; ++x, from += channels) {
            if (grey) {
                to[x] = compose(from[0], from[1], kBackgroundGrey);
            } else {
                to[3 * x] = compose(from[0], from[3], kBackgroundBlue);
                to[3 * x + 1] = compose(from[1], from[3], kBackgroundGreen);
                to[3 * x + 2] = compose(from[2], from[3], kBackgroundRed);
            }
        }
    }
}

}  // namespace

LoadResult loadPng(std::string_view bytes, const PictureLimits& limits) {
    if (bytes.size() < 8 ||
        png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.data()), 0, 8) != 0) {
        return detail::failure(PictureError::NotAPicture);
    }
    Reading reading;
    reading.bytes = bytes;
    decode(reading, limits);
    if (reading.error != PictureError::None) return detail::failure(reading.error);
    if (!reading.decoded.empty()) composeRows(reading, reading.dib.bitsPerPixel == 8);
    return LoadResult{LoadedPicture{std::move(reading.dib), -1}, PictureError::None};
}

}  // namespace gridova::picture
