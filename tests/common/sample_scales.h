// Colour scales that several tests share.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "objects/color_scale.h"

namespace gridova::testing {

inline constexpr gdi::ColorRef kBlue = gdi::rgb(0, 0, 255);
inline constexpr gdi::ColorRef kRed = gdi::rgb(255, 0, 0);

// The gradient from blue to red over five bands, worked out by hand:
// t/4 of the way is exact in binary, so each byte is trunc(a + t/4·(b - a)).
inline const std::vector<gdi::ColorRef> kBlueToRed5 = {gdi::rgb(0, 0, 255), gdi::rgb(63, 0, 191),
                                                       gdi::rgb(127, 0, 127), gdi::rgb(191, 0, 63),
                                                       gdi::rgb(255, 0, 0)};

// Five bands blue to red at the edges 0, 20, 40, 60, 80, 100.
inline ColorScale fiveBands() {
    ColorScale s;
    s.setEndColors(kBlue, kRed);
    EXPECT_TRUE(s.setFromIsolineLevels({20, 40, 60, 80}, 0, 100));
    return s;
}

}  // namespace gridova::testing
