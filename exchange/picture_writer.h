// Saving a picture in the format its file name asks for.
//
// The extension, with its dot and lower-cased, picks the writer: ".gif",
// ".bmp", ".jpg" (with the given quality) or ".png". Any other extension
// (".jpeg" too) writes nothing and shows nothing. The metafile formats
// (".emf", ".wmf") are drawn rather than copied from a bitmap and are not
// written from here yet.
#pragma once

#include <string>

#include "platform/dib.h"

namespace gridova {

bool writePictureByName(const gdi::Dib& dib, const std::string& path, int jpegQuality);

}  // namespace gridova
