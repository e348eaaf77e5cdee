// The document form of a font description: directly after its owner's
// record, five 4-byte integers (height, width, escapement, orientation,
// weight), eight single bytes (italic, underline, strike-out, character set,
// output precision, clip precision, quality, pitch and family), then the
// face name as a direct text.
#pragma once

#include "data/record_buffer.h"
#include "platform/gdi.h"

namespace gridova {

void writeFontRecord(BinaryWriter& out, const gdi::LogFont& font);
// False (the font unchanged) when the file ends early or the face name is
// absent or too long.
bool readFontRecord(BinaryReader& in, gdi::LogFont& font);

}  // namespace gridova
