// How the points of a point set are drawn: marker, label, value and value
// circles. Its drawing belongs to the map; this is the data, its profile
// keys and its "PF01" section.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "data/record_buffer.h"
#include "platform/gdi.h"

namespace gridova {

struct BadgeFormat {
    static constexpr const char* kSection = "Badget Format";
    static constexpr int kMaxDigits = 10;

    std::int32_t minRadius = 0;                          // pixels, values as circles
    std::int32_t maxRadius = 30;                         // pixels
    std::int32_t valueShow = 0;                          // draw values as circles
    std::int32_t badgeRadius = 3;                        // pixels, the point marker
    std::int32_t digits = 2;                             // fraction digits of the value, 0..10
    gdi::ColorRef circleColor = 0;                       // fill of the value circles
    gdi::ColorRef circleColorNew = gdi::rgb(0, 255, 0);  // new points in the editor
    gdi::ColorRef colorDelete = gdi::rgb(255, 0, 0);     // points marked for deletion
    gdi::ColorRef textColor = 0;
    gdi::ColorRef pointColor = gdi::rgb(255, 255, 0);  // fill of the marker
    std::int32_t show = 1;
    std::int32_t showDigit = 1;
    std::int32_t showLabel = 1;
    gdi::LogFont font = gdi::LogFont::pointFont("Arial", 60);
    // The marker picture's file, when the points are drawn as a picture.
    std::optional<std::string> picture;

    // "%.<digits>lf".
    std::string formatNumber() const;

    // The default section, then "Badget Format <n>" for the set numbered n
    // (n < 0: the default section only).
    void readProfile(int setNumber);
    void writeProfile(int setNumber) const;

    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag ("Invalid format." shown) or a damaged section.
    bool readSection(BinaryReader& in);
};

}  // namespace gridova
