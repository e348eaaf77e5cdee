#include "picture/picture_loaders.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "picture/picture_common.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace gridova::picture {

namespace detail {

PictureError checkSize(std::int64_t width, std::int64_t height, int bitsPerPixel,
                       const PictureLimits& limits) {
    if (width <= 0 || height <= 0) return PictureError::Damaged;
    // Both sides fit in 31 bits here, so the product cannot overflow.
    constexpr std::int64_t kMostSide = std::int64_t{1} << 30;
    if (width > kMostSide || height > kMostSide) return PictureError::TooLarge;
    const auto pixels = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    if (pixels > limits.maxPixels) return PictureError::TooLarge;
    const std::uint64_t stride =
        ((static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(bitsPerPixel) + 31) / 32) *
        4;
    if (stride > SIZE_MAX / static_cast<std::uint64_t>(height)) return PictureError::TooLarge;
    return PictureError::None;
}

std::optional<gdi::Dib> makeDib(std::int32_t width, std::int32_t height, int bitsPerPixel) {
    gdi::Dib dib;
    dib.width = width;
    dib.height = height;
    dib.bitsPerPixel = bitsPerPixel;
    try {
        if (bitsPerPixel <= 8)
            dib.colorTable.assign(std::size_t{1} << bitsPerPixel, gdi::RgbQuad{});
        dib.bits.assign(dib.imageSize(), 0);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return dib;
}

bool makeDibInto(gdi::Dib& into, std::int32_t width, std::int32_t height, int bitsPerPixel) {
    auto dib = makeDib(width, height, bitsPerPixel);
    if (!dib) return false;
    into = std::move(*dib);
    return true;
}

void greyTable(gdi::Dib& dib, int n) {
    for (int i = 0; i < n && i < static_cast<int>(dib.colorTable.size()); ++i) {
        const auto level = static_cast<std::uint8_t>(i * 256 / n);
        dib.colorTable[static_cast<std::size_t>(i)] = gdi::RgbQuad{level, level, level, 0};
    }
}

}  // namespace detail

namespace {

constexpr int kCannotRead = 9482;  // "Не удаётся прочитать файл рисунка %s"
constexpr int kTooBigFile = 9483;  // "Файл рисунка %s больше %d МБ"
constexpr int kNotAPicture = 9484;  // "Файл %s не является рисунком BMP, GIF, JPEG или PNG"
constexpr int kTruncated = 9485;    // "Файл рисунка %s обрезан"
constexpr int kDamaged = 9486;      // "Файл рисунка %s повреждён"
constexpr int kTooLarge = 9487;     // "Рисунок %s слишком велик"
constexpr int kUnsupported = 9488;  // "Вид сжатия или глубина цвета рисунка %s не поддерживается"

constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);

}  // namespace

PictureFormat pictureFormatOf(std::string_view bytes) {
    if (bytes.starts_with("BM")) return PictureFormat::Bmp;
    if (bytes.starts_with("GIF87a") || bytes.starts_with("GIF89a")) return PictureFormat::Gif;
    if (bytes.starts_with("\xFF\xD8\xFF")) return PictureFormat::Jpeg;
    if (bytes.starts_with(kPngSignature)) return PictureFormat::Png;
    return PictureFormat::Unknown;
}

LoadResult loadPictureBytes(std::string_view bytes, const PictureLimits& limits) {
    switch (pictureFormatOf(bytes)) {
        case PictureFormat::Bmp:
            return loadBmp(bytes, limits);
        case PictureFormat::Gif:
            return loadGif(bytes, limits);
        case PictureFormat::Jpeg:
            return loadJpeg(bytes, limits);
        case PictureFormat::Png:
            return loadPng(bytes, limits);
        case PictureFormat::Unknown:
            break;
    }
    return detail::failure(PictureError::NotAPicture);
}

int messageFor(PictureError error) {
    switch (error) {
        case PictureError::None:
            return 0;
        case PictureError::Truncated:
            return kTruncated;
        case PictureError::Damaged:
            return kDamaged;
        case PictureError::TooLarge:
            return kTooLarge;
        case PictureError::Unsupported:
            return kUnsupported;
        case PictureError::NotAPicture:
            return kNotAPicture;
    }
    return kDamaged;
}

std::optional<LoadedPicture> loadPicture(const std::string& path, const PictureLimits& limits) {
    FilePtr file = openReadQuiet(path);
    if (!file) {
        warning(formatText(text(kCannotRead), {path}));
        return std::nullopt;
    }
    const auto tooBig = [&] {
        warning(formatText(text(kTooBigFile),
                           {path, static_cast<std::int64_t>(kMaxPictureFileBytes >> 20)}));
    };
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kMaxPictureFileBytes) {
        tooBig();
        return std::nullopt;
    }
    std::string bytes;
    char buffer[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        if (got == 0) break;
        if (bytes.size() + got > kMaxPictureFileBytes) {
            tooBig();
            return std::nullopt;
        }
        try {
            bytes.append(buffer, got);
        } catch (const std::bad_alloc&) {
            outOfMemory();
            return std::nullopt;
        }
    }
    if (std::ferror(file.get())) {
        warning(formatText(text(kCannotRead), {path}));
        return std::nullopt;
    }
    LoadResult result = loadPictureBytes(bytes, limits);
    if (!result.picture) warning(formatText(text(messageFor(result.error)), {path}));
    return std::move(result.picture);
}

}  // namespace gridova::picture
