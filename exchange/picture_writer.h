// Saving a picture in the format its file name asks for, through one
// registry of the picture formats: the writers, the start-up check of "-g"
// and the usage text all read it, so a new format is a writer of its own
// and one line in the table (picture_writer.cpp).
//
// The extension, lower-cased, picks the writer: "gif", "bmp", "jpg" (with
// the given quality) or "png" take the pixels of a page drawn in memory;
// "emf", "wmf", "svg" and "pdf" record the drawing itself on a device that
// writes the file. Any other extension (".jpeg" too) writes nothing and
// shows nothing.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "platform/dib.h"
#include "platform/gdi.h"

namespace gridova {

struct PictureFormat {
    std::string_view extension;  // lower case, without the dot
    // Raster formats: the pixels to the file.
    bool (*write)(const gdi::Dib& dib, const std::string& path, int jpegQuality) = nullptr;
    // Vector formats: a device recording a page of this size into the file
    // (written by its finish), text measured with `measure`; nothing when
    // it cannot be made.
    std::unique_ptr<gdi::FileDevice> (*record)(const std::string& path, gdi::Size page,
                                               gdi::Device* measure) = nullptr;
};

// The formats, in the order the usage text lists them.
std::span<const PictureFormat> pictureFormats();
// The format of a path's extension (any case); nothing for another one.
const PictureFormat* pictureFormatOf(const std::string& path);
// ".png .gif .jpg .bmp .emf .wmf .svg .pdf": the extensions for texts.
std::string pictureExtensionList();

// A raster format's writer; false for a vector format or another name.
bool writePictureByName(const gdi::Dib& dib, const std::string& path, int jpegQuality);

}  // namespace gridova
