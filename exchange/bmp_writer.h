// Windows bitmap files (.bmp).
//
// The file is the bitmap as the drawing device holds it: a 14-byte
// BITMAPFILEHEADER, the 40-byte BITMAPINFOHEADER (bottom-up, BI_RGB, no
// resolution), the colour table for 1, 4 and 8 bits (2^bits RGBQUAD
// entries, all of them, biClrUsed = 2^bits) and the pixel rows exactly as
// stored, padding included. All fields are little-endian.
//
// A failing step stops the writer and shows a warning whose text is the
// step's name: "GetObject" (the bitmap cannot be described in a BMP file),
// "CreateFile", "WriteFile" or "CloseHandle" (flushing and renaming the
// finished file). The file is written beside the target and renamed over it
// only when complete, so a failure leaves no partial file and keeps an
// existing one.
#pragma once

#include <string>

#include "platform/dib.h"

namespace gridova {

bool writeBmp(const gdi::Dib& dib, const std::string& path);

}  // namespace gridova
