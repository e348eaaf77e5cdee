// Saving a picture in the format its file name asks for, through one
// registry of the picture formats: the writers, the start-up check of "-g"
// and the usage text all read it, so a new format is a writer of its own
// and one line in the table (picture_writer.cpp).
//
// The extension, lower-cased, picks the writer: "gif", "bmp", "jpg" (with
// the given quality) or "png". Any other extension (".jpeg" too) writes
// nothing and shows nothing. The metafile formats (".emf", ".wmf") are drawn
// rather than copied from a bitmap and are not written from here yet.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "platform/dib.h"

namespace gridova {

struct PictureFormat {
    std::string_view extension;  // lower case, without the dot
    bool (*write)(const gdi::Dib& dib, const std::string& path, int jpegQuality);
};

// The formats, in the order the usage text lists them.
std::span<const PictureFormat> pictureFormats();
// The format of a path's extension (any case); nothing for another one.
const PictureFormat* pictureFormatOf(const std::string& path);
// ".png .gif .jpg .bmp": the extensions for texts.
std::string pictureExtensionList();

bool writePictureByName(const gdi::Dib& dib, const std::string& path, int jpegQuality);

}  // namespace gridova
