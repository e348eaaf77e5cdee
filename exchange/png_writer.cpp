#include "exchange/png_writer.h"

#include <png.h>

#include <cstdio>
#include <vector>

#include "exchange/dib_pixels.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kBitDepth = 8;
constexpr std::size_t kRgbBytes = 3;

// Shows the error and returns to the setjmp in writeRows; never returns to
// libpng. The text is released before the jump.
[[noreturn]] void onError(png_structp png, png_const_charp message) {
    warning(std::string("libpng error: ") + message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp message) {
    log(std::string("libpng warning: ") + message);
}

void writeData(png_structp png, png_bytep data, png_size_t length) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fwrite(data, 1, length, file) != length) png_error(png, "Write Error");
}

void flushData(png_structp png) {
    auto* file = static_cast<std::FILE*>(png_get_io_ptr(png));
    if (std::fflush(file) != 0) png_error(png, "Write Error");
}

// Writes the image into `file`. Only plain C data lives in this frame, so
// the jump from onError skips no destructor.
bool writeRows(const RgbImage& image, png_bytepp rows, std::FILE* file) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, onError, onWarning);
    if (png == nullptr) {
        outOfMemory();
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        outOfMemory();
        return false;
    }
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, file, writeData, flushData);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), kBitDepth, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

bool writePng(const gdi::Dib& dib, const std::string& path) {
    if (!dib.valid()) {
        invalidFormat();
        return false;
    }
    RgbImage image = toRgb(dib);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * kRgbBytes;
    std::vector<png_bytep> rows(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = image.rgb.data() + y * rowBytes;

    const auto out = openBinaryWrite(path);
    if (!out) return false;
    if (!writeRows(image, rows.data(), out->file())) return false;
    return commitOrWarn(*out);
}

}  // namespace gridova
