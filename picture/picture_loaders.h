// The loaders of background pictures: BMP, GIF, JPEG and PNG files read into
// a device-independent bitmap (platform/dib.h, rows bottom first).
//
// What each loader gives:
// - BMP: the file's pixels as they are stored (1, 4, 8, 16, 24 or 32 bits;
//   RLE4 and RLE8 files are unpacked to 4 and 8 bits), with the file's colour
//   table. 16- and 32-bit files with colour masks are read only with the
//   standard masks (5-5-5 and 8-8-8); other masks are refused.
// - GIF (87a and 89a): the first image as an 8-bit picture of the image's size;
//   the colour table is the local or the global one. With a transparent index
//   (graphic control extension) that entry is made black; a table of fewer
//   than 256 entries is filled up with white, and when no entry is white
//   entry 255 is made white. Interlaced images are put back in row order.
// - JPEG: 8 bits. Grey files get a grey palette of 256 levels; colour files
//   are quantised by libjpeg to at most 128 colours, the palette being
//   libjpeg's colour map (the rest of the 256 entries black).
// - PNG: transparency is composed over the background colour (red 31, green
//   127, blue 255; black for grey pictures) and 16-bit samples are cut to 8.
//   Grey and palette pictures then are 8-bit (grey ones with a grey palette
//   of 256 levels), colour pictures 24-bit.
//
// Every loader checks the header and the sizes before it allocates: a
// picture may have at most `maxPixels` pixels, and no more than the file's
// bytes can describe. Nothing is reported by the loaders themselves;
// `loadPicture` reads a file and shows a numbered warning when it fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/dib.h"

namespace gridova::picture {

enum class PictureFormat { Unknown, Bmp, Gif, Jpeg, Png };

// Why a picture was not loaded.
enum class PictureError {
    None,
    Truncated,    // the file ends before the picture does
    Damaged,      // a header, size or code that cannot be right
    TooLarge,     // more pixels than allowed, or than the file can hold
    Unsupported,  // a compression, depth or colour type not read
    NotAPicture,  // none of the four formats
};

struct PictureLimits {
    std::uint64_t maxPixels = std::uint64_t{1} << 28;
    // The memory libjpeg may use for itself (the coefficients of a
    // progressive file are held whole).
    std::size_t maxDecoderMemory = std::size_t{1} << 30;
};

// The largest file loadPicture reads.
inline constexpr std::uintmax_t kMaxPictureFileBytes = std::uintmax_t{256} << 20;

struct LoadedPicture {
    gdi::Dib dib;
    int transparentIndex = -1;  // a palette index, or -1 for none
};

struct LoadResult {
    std::optional<LoadedPicture> picture;
    PictureError error = PictureError::None;
};

// The format the first bytes name ("BM", "GIF87a"/"GIF89a", FF D8 FF, the
// PNG signature).
PictureFormat pictureFormatOf(std::string_view bytes);

LoadResult loadBmp(std::string_view bytes, const PictureLimits& limits = {});
LoadResult loadGif(std::string_view bytes, const PictureLimits& limits = {});
LoadResult loadJpeg(std::string_view bytes, const PictureLimits& limits = {});
LoadResult loadPng(std::string_view bytes, const PictureLimits& limits = {});

// By the format the bytes name.
LoadResult loadPictureBytes(std::string_view bytes, const PictureLimits& limits = {});

// Reads the file (at most kMaxPictureFileBytes) and loads it by its content.
// On failure shows a warning naming the file and gives nothing:
// 9482 the file cannot be read, 9483 it is larger than the program reads,
// 9484 it is no BMP, GIF, JPEG or PNG picture, 9485 it is cut short, 9486 it
// is damaged, 9487 its size is too large, 9488 its kind is not supported.
std::optional<LoadedPicture> loadPicture(const std::string& path, const PictureLimits& limits = {});

// The number of the warning for an error (0 for None).
int messageFor(PictureError error);

}  // namespace gridova::picture
