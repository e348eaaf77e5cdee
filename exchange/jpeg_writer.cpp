#include "exchange/jpeg_writer.h"

// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

#include <algorithm>

#include "exchange/dib_pixels.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kRgbComponents = 3;

// libjpeg's error manager with a way back to `compress`.
struct ErrorManager {
    jpeg_error_mgr pub;  // first: libjpeg hands us a pointer to it
    std::jmp_buf back;
};

std::string messageOf(j_common_ptr info) {
    char buffer[JMSG_LENGTH_MAX] = {};
    (*info->err->format_message)(info, buffer);
    return buffer;
}

// Shows the error and returns to compress(); never returns to libjpeg.
[[noreturn]] void exitOnError(j_common_ptr info) {
    warning("JPEG Fatal Error: " + messageOf(info));
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->back, 1);
}

// libjpeg's warnings and trace lines go to the message log, not stderr.
void logMessage(j_common_ptr info) { log(messageOf(info)); }

// Compresses the image into `file`. Only plain C data lives in this frame,
// so the jump from exitOnError skips no destructor.
bool compress(const RgbImage& image, std::FILE* file, int quality) {
    jpeg_compress_struct info{};
    ErrorManager errors{};
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = exitOnError;
    errors.pub.output_message = logMessage;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = kRgbComponents;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(image.width) * kRgbComponents;
    while (info.next_scanline < info.image_height) {
        // libjpeg takes non-const rows but only reads them.
        JSAMPROW row = const_cast<JSAMPLE*>(image.rgb.data() + info.next_scanline * rowBytes);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

}  // namespace

bool writeJpeg(const gdi::Dib& dib, const std::string& path, int quality) {
    if (!dib.valid()) {
        invalidFormat();
        return false;
    }
    const RgbImage image = toRgb(dib);
    OutputFile out(path);
    if (!out.isOpen()) {
        warning("JpegFile :\nCan't open " + path + "\n");
        return false;
    }
    if (!compress(image, out.file(), std::clamp(quality, kJpegMinQuality, kJpegMaxQuality))) {
        return false;
    }
    return commitOrWarn(out);
}

}  // namespace gridova
