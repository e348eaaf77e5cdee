// Reading and playing metafiles: an enhanced metafile (EMF) or a Windows
// metafile, with or without the placeable header (WMF), opened as a map
// document and drawn fitted into the map's drawing area.
//
// The player draws what our recorders write (exchange/metafile_recorder.h)
// and the common records of other programs: colours and modes, pens,
// brushes and fonts, lines, polylines and polygons (also several at once),
// rectangles, ellipses, rounded rectangles, text, device-independent
// bitmaps, clip rectangles, saved states and the window/viewport mapping.
// Every other record is skipped and counted; a record whose sizes or counts
// do not fit in the record or the file ends the play there (it is counted
// as damaged). Nothing in a file is trusted: counts are checked against the
// bytes before anything is made from them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/gdi.h"

namespace gridova {

struct MetafilePicture {
    enum class Format { Emf, Wmf };
    Format format = Format::Emf;
    std::vector<std::uint8_t> bytes;
    // The picture's own size in pixels at 96 dots per inch.
    gdi::Size size;
    // Where its records are: the rectangle of the page in the records' own
    // units (EMF: the frame in device pixels; WMF: the placeable box, or
    // what the records reach without one) and units per inch (WMF).
    double left = 0, top = 0, width = 1, height = 1;
    // EMF: pixels a millimetre of the reference device (the metric mapping
    // modes).
    double pixelsPerMmX = 96 / 25.4, pixelsPerMmY = 96 / 25.4;
};

// The largest metafile read: 256 MiB.
inline constexpr std::uint64_t kMaxMetafileBytes = std::uint64_t{256} << 20;

// The picture of the bytes: the header checked (EMF: signature, sizes;
// WMF: the placeable header's key and checksum, or a plain metafile
// header). Nothing when the bytes are not a metafile; `error` then says
// why.
std::optional<MetafilePicture> parseMetafile(std::vector<std::uint8_t> bytes,
                                             std::string* error = nullptr);
// The file read whole (at most kMaxMetafileBytes) and parsed. Nothing, and
// message 9423 "Файл %s не является метафайлом: %s" (or 202 when the file
// cannot be read), when it is no metafile.
std::optional<MetafilePicture> readMetafile(const std::string& path);

struct MetafilePlay {
    std::size_t records = 0;  // records played
    std::size_t skipped = 0;  // records of kinds the player does not draw
    std::map<std::uint32_t, std::size_t> skippedTypes;
    bool damaged = false;  // the play ended at a record that did not fit
};

// Draws the picture into the box of the device (scaled to it), clipped to
// the box. The device's pen, brush, font, colours and clip are left as the
// picture set them: the caller sets its own again.
MetafilePlay playMetafile(const MetafilePicture& picture, gdi::Device& device,
                          const gdi::Rect& box);

}  // namespace gridova
