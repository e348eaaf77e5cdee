#include "data/font_record.h"

#include "platform/text_codec.h"

namespace gridova {
namespace {

// A face name is at most 31 characters; longer stored names are a sign of
// a damaged file.
constexpr std::size_t kMaxStoredFaceBytes = 4 * gdi::LogFont::kMaxFaceName;

}  // namespace

void writeFontRecord(BinaryWriter& out, const gdi::LogFont& f) {
    for (std::int32_t v : {f.height, f.width, f.escapement, f.orientation, f.weight}) out.word(v);
    for (std::uint8_t b : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                           f.clipPrecision, f.quality, f.pitchAndFamily}) {
        out.byte(b);
    }
    writeDirectText(out, f.faceName);
}

bool readFontRecord(BinaryReader& in, gdi::LogFont& font) {
    gdi::LogFont f;
    for (std::int32_t* v : {&f.height, &f.width, &f.escapement, &f.orientation, &f.weight}) {
        if (!in.word(*v)) return false;
    }
    for (std::uint8_t* b : {&f.italic, &f.underline, &f.strikeOut, &f.charSet, &f.outPrecision,
                            &f.clipPrecision, &f.quality, &f.pitchAndFamily}) {
        if (!in.byte(*b)) return false;
    }
    std::optional<std::string> face;
    if (!readDirectText(in, face) || !face || face->size() > kMaxStoredFaceBytes) return false;
    f.faceName = std::string(firstCharacters(toUtf8(*face), gdi::LogFont::kMaxFaceName));
    font = f;
    return true;
}

}  // namespace gridova
