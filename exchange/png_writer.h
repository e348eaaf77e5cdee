// PNG pictures (.png) through libpng.
//
// The bitmap is converted to top-down R, G, B rows and written as an 8-bit
// RGB image, not interlaced, with libpng's default compression and filters.
// Every libpng result is checked: structures that cannot be made show
// "Out of memory."; a libpng error (a short write raises "Write Error")
// shows the warning "libpng error: " with libpng's message and ends the
// writer; libpng's warnings go to the message log. A target that cannot be
// created shows message 201. The file is written beside the target and
// renamed over it only when complete, so a failure keeps an existing file.
#pragma once

#include <string>

#include "platform/dib.h"

namespace gridova {

bool writePng(const gdi::Dib& dib, const std::string& path);

}  // namespace gridova
