// JPEG pictures (.jpg) through libjpeg's IJG interface.
//
// The bitmap is converted to top-down R, G, B rows and compressed as a
// three-component JCS_RGB image with libjpeg's defaults and the given
// quality (clamped to 0..100; libjpeg itself treats 0 as 1). A libjpeg error
// shows the warning "JPEG Fatal Error: " with libjpeg's message and ends the
// writer; a target that cannot be created shows "JpegFile :\nCan't open
// <path>\n". The file is written beside the target and renamed over it only
// when complete, so a failure keeps an existing file.
#pragma once

#include <string>

#include "platform/dib.h"

namespace gridova {

inline constexpr int kJpegMinQuality = 0;
inline constexpr int kJpegMaxQuality = 100;

bool writeJpeg(const gdi::Dib& dib, const std::string& path, int quality);

}  // namespace gridova
