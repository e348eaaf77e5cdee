#include "exchange/bmp_writer.h"
#include "exchange/little_endian.h"

#include <cstdint>
#include <limits>
#include <vector>

#include "platform/files.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr std::uint16_t kBmpSignature = 0x4D42;  // "BM"
constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kRgbQuadSize = 4;
constexpr std::uint16_t kPlanes = 1;
constexpr std::uint32_t kBiRgb = 0;

bool writeAll(std::FILE* file, const std::uint8_t* data, std::size_t size) {
    return std::fwrite(data, 1, size, file) == size;
}

}  // namespace

bool writeBmp(const gdi::Dib& dib, const std::string& path) {
    const std::uint64_t colours =
        dib.bitsPerPixel <= 8 ? (std::uint64_t{1} << dib.bitsPerPixel) : 0;
    const std::uint64_t offBits = kFileHeaderSize + kInfoHeaderSize + kRgbQuadSize * colours;
    const std::uint64_t fileSize = offBits + dib.imageSize();
    if (!dib.valid() || fileSize > std::numeric_limits<std::uint32_t>::max()) {
        warning("GetObject");
        return false;
    }

    std::vector<std::uint8_t> header;
    header.reserve(static_cast<std::size_t>(offBits));
    // BITMAPFILEHEADER
    put16(header, kBmpSignature);
    put32(header, static_cast<std::uint32_t>(fileSize));
    put16(header, 0);
    put16(header, 0);
    put32(header, static_cast<std::uint32_t>(offBits));
    // BITMAPINFOHEADER
    put32(header, kInfoHeaderSize);
    put32(header, static_cast<std::uint32_t>(dib.width));
    put32(header, static_cast<std::uint32_t>(dib.height));  // positive: bottom-up
    put16(header, kPlanes);
    put16(header, static_cast<std::uint32_t>(dib.bitsPerPixel));
    put32(header, kBiRgb);
    put32(header, static_cast<std::uint32_t>(dib.imageSize()));
    put32(header, 0);                                    // biXPelsPerMeter
    put32(header, 0);                                    // biYPelsPerMeter
    put32(header, static_cast<std::uint32_t>(colours));  // biClrUsed
    put32(header, 0);                                    // biClrImportant
    for (const gdi::RgbQuad& c : dib.colorTable) {
        header.push_back(c.blue);
        header.push_back(c.green);
        header.push_back(c.red);
        header.push_back(c.reserved);
    }

    OutputFile out(path);
    if (!out.isOpen()) {
        warning("CreateFile");
        return false;
    }
    if (!writeAll(out.file(), header.data(), header.size()) ||
        !writeAll(out.file(), dib.bits.data(), dib.bits.size())) {
        warning("WriteFile");
        return false;
    }
    if (!out.commit()) {
        warning("CloseHandle");
        return false;
    }
    return true;
}

}  // namespace gridova
