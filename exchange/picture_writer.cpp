#include "exchange/picture_writer.h"

#include <array>

#include "exchange/bmp_writer.h"
#include "exchange/gif_writer.h"
#include "exchange/jpeg_writer.h"
#include "exchange/metafile_recorder.h"
#include "exchange/png_writer.h"
#include "platform/files.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

// The documents are drawn by the application's devices (they need Qt).
std::unique_ptr<gdi::FileDevice> documentOf(std::string_view format, const std::string& path,
                                            gdi::Size page) {
    gdi::DeviceFactory* factory = gdi::deviceFactory();
    return factory != nullptr ? factory->createDocument(format, path, page) : nullptr;
}

const std::array kFormats{
    PictureFormat{"png",
                  [](const gdi::Dib& d, const std::string& p, int) { return writePng(d, p); }},
    PictureFormat{"gif",
                  [](const gdi::Dib& d, const std::string& p, int) { return writeGif(d, p); }},
    PictureFormat{
        "jpg", [](const gdi::Dib& d, const std::string& p, int q) { return writeJpeg(d, p, q); }},
    PictureFormat{"bmp",
                  [](const gdi::Dib& d, const std::string& p, int) { return writeBmp(d, p); }},
    PictureFormat{
        "emf", nullptr,
        [](const std::string& p, gdi::Size s, gdi::Device* m) -> std::unique_ptr<gdi::FileDevice> {
            return std::make_unique<EmfRecorder>(s, p, m);
        }},
    PictureFormat{
        "wmf", nullptr,
        [](const std::string& p, gdi::Size s, gdi::Device* m) -> std::unique_ptr<gdi::FileDevice> {
            return std::make_unique<WmfRecorder>(s, p, m);
        }},
    PictureFormat{
        "svg", nullptr,
        [](const std::string& p, gdi::Size s, gdi::Device*) { return documentOf("svg", p, s); }},
    PictureFormat{
        "pdf", nullptr,
        [](const std::string& p, gdi::Size s, gdi::Device*) { return documentOf("pdf", p, s); }},
};

}  // namespace

std::span<const PictureFormat> pictureFormats() { return kFormats; }

const PictureFormat* pictureFormatOf(const std::string& path) {
    // ASCII only: no picture extension has other letters.
    const std::string extension = asciiLower(extensionOf(path));
    for (const PictureFormat& f : kFormats) {
        if (f.extension == extension) return &f;
    }
    return nullptr;
}

std::string pictureExtensionList() {
    std::string list;
    for (const PictureFormat& f : kFormats) {
        if (!list.empty()) list += ' ';
        list += '.';
        list += f.extension;
    }
    return list;
}

bool writePictureByName(const gdi::Dib& dib, const std::string& path, int jpegQuality) {
    const PictureFormat* format = pictureFormatOf(path);
    return format != nullptr && format->write != nullptr && format->write(dib, path, jpegQuality);
}

}  // namespace gridova
