// JPEG files through libjpeg: grey files with a grey palette, colour files
// quantised to 128 colours.
//
// jpeglib.h needs FILE and size_t declared before it.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
// The message codes (JERR_..., JWRN_...).
#include <jerror.h>

#include "picture/picture_common.h"
#include "picture/picture_loaders.h"

namespace gridova::picture {
namespace {

constexpr int kQuantisedColours = 128;
constexpr int kGreyLevels = 256;

// libjpeg's error manager with a way back to `decode`.
struct ErrorManager {
    jpeg_error_mgr pub;  // first: libjpeg hands us a pointer to it
    std::jmp_buf back;
    PictureError error;
};

// Returns to decode(); never returns to libjpeg.
[[noreturn]] void exitOnError(j_common_ptr info) {
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    if (errors->error == PictureError::None) {
        const int code = errors->pub.msg_code;
        errors->error = code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE
                            ? PictureError::TooLarge
                            : PictureError::Damaged;
    }
    std::longjmp(errors->back, 1);
}

// The warnings of a cut-short or damaged stream refuse the picture (libjpeg
// would fill the missing part with grey and go on); the harmless ones (extra
// bytes before a marker, an unknown JFIF version) are let pass.
void onMessage(j_common_ptr info, int level) {
    if (level >= 0) return;  // trace lines
    auto* errors = reinterpret_cast<ErrorManager*>(info->err);
    const int code = errors->pub.msg_code;
    if (code == JWRN_JPEG_EOF) {
        errors->error = PictureError::Truncated;
    } else if (code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC || code == JWRN_HUFF_BAD_CODE ||
               code == JWRN_BOGUS_PROGRESSION || code == JWRN_NOT_SEQUENTIAL) {
        errors->error = PictureError::Damaged;
    } else {
        return;
    }
    std::longjmp(errors->back, 1);
}

// Decodes into `dib`, which is made once the header is checked. Only plain C
// data and the bitmap made before any jump can happen live in this frame; the
// jumps come from libjpeg calls only, so no destructor is skipped.
PictureError decode(std::string_view bytes, const PictureLimits& limits, gdi::Dib& dib) {
    jpeg_decompress_struct info{};
    ErrorManager errors{};
    errors.error = PictureError::None;
    info.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = exitOnError;
    errors.pub.emit_message = onMessage;
    if (setjmp(errors.back) != 0) {
        jpeg_destroy_decompress(&info);
        return errors.error;
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = static_cast<long>(limits.maxDecoderMemory);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB) {
        jpeg_destroy_decompress(&info);
        return PictureError::Unsupported;  // CMYK and YCCK
    }
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE;
    if (grey) {
        info.out_color_space = JCS_GRAYSCALE;
    } else {
        info.out_color_space = JCS_RGB;
        info.quantize_colors = TRUE;
        info.desired_number_of_colors = kQuantisedColours;
    }
    jpeg_calc_output_dimensions(&info);
    PictureError sizeError = detail::checkSize(info.output_width, info.output_height, 8, limits);
    const auto pixels = static_cast<std::uint64_t>(info.output_width) * info.output_height;
    if (sizeError == PictureError::None && pixels > bytes.size() * detail::kMostPixelsPerByte) {
        sizeError = PictureError::TooLarge;
    }
    if (sizeError != PictureError::None || info.output_components != 1) {
        jpeg_destroy_decompress(&info);
        return sizeError != PictureError::None ? sizeError : PictureError::Unsupported;
    }
    // The bitmap is made before decoding starts, outside any libjpeg call.
    if (!detail::makeDibInto(dib, static_cast<std::int32_t>(info.output_width),
                             static_cast<std::int32_t>(info.output_height), 8)) {
        jpeg_destroy_decompress(&info);
        return PictureError::TooLarge;
    }
    jpeg_start_decompress(&info);
    if (grey) {
        detail::greyTable(dib, kGreyLevels);
    } else {
        const int n = info.actual_number_of_colors;
        for (int i = 0; i < n && i < kGreyLevels; ++i) {
            dib.colorTable[static_cast<std::size_t>(i)] =
                gdi::RgbQuad{info.colormap[2][i], info.colormap[1][i], info.colormap[0][i], 0};
        }
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = detail::rowFromTop(dib, info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return PictureError::None;
}

}  // namespace

LoadResult loadJpeg(std::string_view bytes, const PictureLimits& limits) {
    if (!bytes.starts_with("\xFF\xD8")) return detail::failure(PictureError::NotAPicture);
    gdi::Dib dib;
    const PictureError error = decode(bytes, limits, dib);
    if (error != PictureError::None) return detail::failure(error);
    return LoadResult{LoadedPicture{std::move(dib), -1}, PictureError::None};
}

}  // namespace gridova::picture
