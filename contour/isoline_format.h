// `IsolineFormat`: how one isoline is drawn: the pen of its pieces and the
// value labels placed along them (render/isoline_painter.h draws them).
//
// Label placement along a piece P0..Pn−1 (all distances in device pixels
// of the canvas unless said otherwise):
// - A label window runs from a start point Ps to the current point Ph. The
//   first window may begin once the piece has left a circle of radius
//   InitSpacing around P0; after a label the next one may begin once the
//   piece has left a circle of radius Spacing around the label's end.
// - A window is given up (it restarts at Ph) when the path from Ps to Ph is
//   too curved: 0.8 × its world length along the piece is more than the
//   world chord |Ps Ph|; or when neither end is inside the visible world.
// - A label is drawn once the chord |Ps Ph| on the device is longer than
//   the label text: the text is centred on the chord, half its height above
//   it, turned to the chord's direction by the orientation rule (see
//   `LabelOrient`), on a box of the label colours.
// Pieces of fewer than kMinLabelPoints points get no label.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "data/line_source.h"
#include "data/record_buffer.h"
#include "objects/line.h"
#include "platform/gdi.h"

namespace gridova {

// Which way a label reads along its piece.
enum class LabelOrient : std::int32_t {
    Readable = 0,    // "По умолчанию": never upside down
    Ascending = 1,   // "В сторону возрастания": along the piece
    Descending = 2,  // "В сторону убывания": against the piece
};

struct IsolineFormat {
    static constexpr std::int32_t kDefaultInitSpacing = 20;  // px
    static constexpr std::int32_t kDefaultSpacing = 250;     // px
    static constexpr std::int32_t kDefaultDigits = 2;
    static constexpr std::int32_t kMaxDigits = 10;  // digits after the point, at most
    static constexpr gdi::ColorRef kDefaultLabelColor = gdi::rgb(221, 240, 240);
    static constexpr int kDefaultFontTenths = 60;  // "Arial" 6 pt
    static constexpr std::int32_t kMaxPenStyle = 6;
    static constexpr std::size_t kMinLabelPoints = 7;

    static constexpr std::string_view kProfileSection = "Isoline Format";
    static constexpr std::string_view kTextTag = "IzolineFormat:03";
    static constexpr std::string_view kSectionTag = "IF01";

    std::int32_t show = 1;        // the set draws its isolines (used in the set's default)
    std::int32_t badgetShow = 1;  // value labels are drawn
    gdi::ColorRef colorLine = 0;  // line colour
    std::int32_t widthLine = 0;   // pen width in device pixels; 0 = thinnest
    std::int32_t initSpacing = kDefaultInitSpacing;  // px from a piece's start to its first label
    std::int32_t spacing = kDefaultSpacing;          // px from a label's end to the next label
    std::int32_t decimalDigit = kDefaultDigits;      // digits after the point in labels, 0..10
    gdi::ColorRef colorText = 0;                     // label text colour
    gdi::ColorRef colorLabelLine = kDefaultLabelColor;     // label box border
    gdi::ColorRef colorLabelPattern = kDefaultLabelColor;  // label box fill
    LabelOrient orient = LabelOrient::Readable;
    std::int32_t penStyle = 0;  // pen style 0..6 (gdi::PenStyle); non-solid draws 1 px
    gdi::LogFont font = gdi::LogFont::pointFont("Arial", kDefaultFontTenths);

    friend bool operator==(const IsolineFormat&, const IsolineFormat&) = default;

    // --- Profile section "Isoline Format" ------------------------------------------
    // Integer keys "Show", "ColorLine", "PenStyle", "WidthLine", "InitSpacing",
    // "Spacing", "DecimalDigit", "ColorText", "ColorLabelLine",
    // "ColorLabelPattern", "Orient", "BadgetShow" and the font keys. A key
    // that is missing, not a number or outside its member's range keeps
    // the member; digit counts are held to 0..kMaxDigits.
    void readProfile();
    void writeProfile() const;

    // --- Text block ---------------------------------------------------------------------
    // The tag, one number a line (ColorLine, WidthLine, Spacing, InitSpacing,
    // DecimalDigit, ColorText, ColorLabelLine, ColorLabelPattern, Orient,
    // BadgetShow), then the font's text form. Show and PenStyle are not
    // written. False when a write failed.
    bool writeText(std::FILE* file) const;
    // Reads "IzolineFormat:03" and the older ":00" (the first six numbers),
    // ":01" (+ the label colours), ":02" (+ Orient); members a layout does
    // not hold keep their values. Another tag, or a number line that is
    // not a number, gives warning 206 "Файл не имеет определенный формат
    // изолиний!"; the font reports its own failures. On failure the format
    // is unchanged.
    bool readText(LineSource& lines);

    // --- Document section "IF01" ------------------------------------------------------
    // Record: Show, BadgetShow, ColorLine, WidthLine, InitSpacing, Spacing,
    // DecimalDigit, ColorText, ColorLabelLine, ColorLabelPattern, Orient,
    // PenStyle; then the font record.
    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag ("Invalid format.", nothing taken, the reader goes
    // on) or a damaged section ("Invalid format.", the reader fails). A
    // shorter record leaves the members it does not hold as they were.
    bool readSection(BinaryReader& in);
};

// The label text of a level: fixed notation with digits (held to
// 0..kMaxDigits) after the point, as "%.<digits>lf" prints it.
std::string levelText(double value, std::int32_t digits);

}  // namespace gridova
