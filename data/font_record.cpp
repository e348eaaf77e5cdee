#include "data/font_record.h"

#include "platform/text_codec.h"

namespace gridova {
namespace {

// A face name is at most 31 characters; longer stored names are a sign of
// a damaged file.
constexpr std::size_t kMaxStoredFaceBytes = 4 * gdi::LogFont::kMaxFaceName;

// The items of a font record, in their order. Reading, false when the file
// ends early or the face name is absent or too long.
template <class Font, class Io>
bool fontFields(Font& f, Io& io) {
    io.word(f.height);
    io.word(f.width);
    io.word(f.escapement);
    io.word(f.orientation);
    io.word(f.weight);
    io.byte(f.italic);
    io.byte(f.underline);
    io.byte(f.strikeOut);
    io.byte(f.charSet);
    io.byte(f.outPrecision);
    io.byte(f.clipPrecision);
    io.byte(f.quality);
    io.byte(f.pitchAndFamily);
    if constexpr (Io::kReading) {
        std::optional<std::string> face;
        if (!io.text(face) || !face || face->size() > kMaxStoredFaceBytes) return false;
        f.faceName = std::string(firstCharacters(toUtf8(*face), gdi::LogFont::kMaxFaceName));
        return io.allTaken();
    } else {
        io.text(f.faceName);
        return true;
    }
}

}  // namespace

void writeFontRecord(BinaryWriter& out, const gdi::LogFont& font) {
    DirectWriting io(out);
    fontFields(font, io);
}

bool readFontRecord(BinaryReader& in, gdi::LogFont& font) {
    gdi::LogFont f;
    DirectReading io(in);
    if (!fontFields(f, io)) return false;
    font = f;
    return true;
}

}  // namespace gridova
