// Feeds one input to each of the picture loaders (BMP, GIF, JPEG, PNG) as a
// file's bytes. What loads must be a bitmap the rest of the program can use:
// a known depth, a full colour table, every stored row there, no more pixels
// than the limit allows, and a transparent index that names a palette entry.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "fuzz/fuzz_common.h"
#include "picture/picture_loaders.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Small enough that a header claiming a large picture is refused quickly.
constexpr gridova::picture::PictureLimits kLimits{std::uint64_t{1} << 22, std::size_t{64} << 20};

void checkResult(const gridova::picture::LoadResult& result) {
    if (!result.picture) {
        check(result.error != gridova::picture::PictureError::None);
        return;
    }
    const gridova::gdi::Dib& dib = result.picture->dib;
    check(dib.valid());
    check(static_cast<std::uint64_t>(dib.width) * static_cast<std::uint64_t>(dib.height) <=
          kLimits.maxPixels);
    const int transparent = result.picture->transparentIndex;
    check(transparent == -1 ||
          (transparent >= 0 && static_cast<std::size_t>(transparent) < dib.colorTable.size()));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    using namespace gridova::picture;
    checkResult(loadBmp(bytes, kLimits));
    checkResult(loadGif(bytes, kLimits));
    checkResult(loadJpeg(bytes, kLimits));
    checkResult(loadPng(bytes, kLimits));
    return 0;
}
