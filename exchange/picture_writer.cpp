#include "exchange/picture_writer.h"

#include "exchange/bmp_writer.h"
#include "exchange/gif_writer.h"
#include "exchange/jpeg_writer.h"
#include "exchange/png_writer.h"
#include "platform/files.h"

namespace gridova {
namespace {

// ASCII only: no picture extension has other letters.
std::string lowerCased(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

}  // namespace

bool writePictureByName(const gdi::Dib& dib, const std::string& path, int jpegQuality) {
    const std::string extension = "." + lowerCased(extensionOf(path));
    if (extension == ".gif") return writeGif(dib, path);
    if (extension == ".bmp") return writeBmp(dib, path);
    if (extension == ".jpg") return writeJpeg(dib, path, jpegQuality);
    if (extension == ".png") return writePng(dib, path);
    return false;
}

}  // namespace gridova
