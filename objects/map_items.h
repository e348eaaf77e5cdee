// The data of the two map decorations that groups hold as items: an axis
// (`Bush` item type 5) and a single text (item type 7). Here they are what
// their document sections hold, read and written byte for byte; how they are
// laid out and drawn belongs to the map's decorations.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "data/record_buffer.h"
#include "platform/gdi.h"

namespace gridova {

// A graduated line along one side of the map.
struct MapAxis {
    static constexpr std::int32_t kHorizontal = 1;  // XY: an X axis
    static constexpr std::int32_t kVertical = 2;    // XY: a Y axis
    static constexpr std::int32_t kLeft = 3;        // Locate: "Y левая"
    static constexpr std::int32_t kRight = 4;       // Locate: "Y правая"
    static constexpr std::int32_t kTop = 5;         // Locate: "X верхняя"
    static constexpr std::int32_t kBottom = 6;      // Locate: "X нижняя"
    static constexpr int kDefaultFontTenths = 60;   // 6 pt

    gdi::ColorRef colorLine = 0;             // axis line and ticks
    gdi::ColorRef colorText = 0;             // labels and title
    std::int32_t widthLine = 0;              // pen width in pixels
    std::int32_t initSpacing = 20;           // first label spacing, device pixels
    std::int32_t spacing = 15;               // least gap between labels, device pixels
    std::int32_t autoDecimalDigit = 1;       // 1: the digits are chosen with the ticks
    std::int32_t decimalDigit = 2;           // label digits when not chosen automatically
    std::int32_t tickLength = 3;             // half-length of a tick, device pixels
    std::int32_t labelExtent = 0;            // label size across the axis as last laid out, pixels
    std::int32_t xy = kHorizontal;           // kHorizontal or kVertical
    std::int32_t locate = kBottom;           // kLeft, kRight, kTop or kBottom
    std::int32_t visible = 1;                // the display flag: 1 = drawn
    std::int32_t autoTicks = 1;              // 1: ticks chosen automatically
    std::int32_t hasValueTransform = 0;      // 1: labels use the value transform below
    double world[6] = {0, 0, 0, 0, 0, 0};    // end points x0, x1, y0, y1, z0, z1 (world)
    double clipped[6] = {0, 0, 0, 0, 0, 0};  // the same clipped to the visible window
    // Labels are valueStart + (world − worldStart) · factor when the
    // transform is set; inverseFactor = 1 / factor.
    double worldStart = 0, worldEnd = 0, valueStart = 0, valueEnd = 0;
    double factor = 0, inverseFactor = 0;
    double initTicks = 0;  // first tick when not automatic (world units)
    double lastTicks = 0;  // last tick, shown in the dialog only
    double tickStep = 1;   // tick step when not automatic (world units)
    std::string name;      // the side's name ("X нижняя", ...)
    // "%.<digits>lf" as stored. It comes from a file: it is never to be
    // handed to printf as it stands (rebuild it from the digits).
    std::string labelFormat = "%.2lf";
    std::optional<std::string> title;  // none: no title
    gdi::LogFont font = gdi::LogFont::pointFont("Arial", kDefaultFontTenths);

    // The "AX01" section: the record (14 words, 21 doubles, the name, the
    // label format, presence of the title and the title), then the font.
    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag ("Invalid format.", the axis at its defaults, the
    // reader goes on) or a damaged section ("Invalid format.", the reader
    // fails).
    bool readSection(BinaryReader& in);

    friend bool operator==(const MapAxis&, const MapAxis&) = default;
};

// A single text of the map.
struct MapText {
    std::optional<std::string> text;   // UTF-8; none: no text
    std::optional<gdi::LogFont> font;  // none: the canvas's current font
    gdi::ColorRef color = 0;
    // The box the text was last drawn in, device pixels.
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
    // World placement: a free text put on the map by the user has its
    // top-left corner at the world point (place[0], place[1]) and place[2]
    // = kWorldPlaced; other texts keep their device box.
    double place[3] = {0, 0, 0};
    static constexpr double kWorldPlaced = 1.0;
    bool worldPlaced() const { return place[2] == kWorldPlaced; }

    // The "TX01" section: a record (left, top, right, bottom, the text's
    // length in bytes, colour, the three placement values, presence of the
    // text and the text), a record with the presence of the font, and the
    // font.
    void writeSection(BinaryWriter& out) const;
    // As MapAxis::readSection. The stored text length is not used: the text
    // carries its own, and a text written on Windows changes length when it
    // is converted to UTF-8.
    bool readSection(BinaryReader& in);

    friend bool operator==(const MapText&, const MapText&) = default;
};

}  // namespace gridova
