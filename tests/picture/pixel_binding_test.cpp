#include "picture/pixel_binding.h"

#include <gtest/gtest.h>

namespace gridova {
namespace {

// A 200 × 100 picture before any binding: pixels as map units with y up.
TEST(PixelBinding, TheDefaultKeepsThePictureUpright) {
    const PixelBinding b = PixelBinding::forPicture(200, 100);
    EXPECT_EQ(b.scales(), (std::pair{1.0, -1.0}));
    EXPECT_EQ(b.pixelToMap(0, 0), (std::pair{0.0, 100.0}));      // the top left corner
    EXPECT_EQ(b.pixelToMap(200, 100), (std::pair{200.0, 0.0}));  // the bottom right
    EXPECT_EQ(b.mapToPixel(50, 25, 200, 100), (std::pair{50, 75}));
}

// Two bound points of a scanned sheet: pixel (100, 50) is map (5000, 8000)
// and pixel (300, 250) is map (5400, 7600): 2 map units a pixel, y up.
TEST(PixelBinding, TwoPointsBindThePictureToTheMap) {
    PixelBinding b{100, 50, 300, 250, 5000, 8000, 5400, 7600};
    EXPECT_EQ(b.scales(), (std::pair{2.0, -2.0}));
    EXPECT_EQ(b.pixelToMap(0, 0), (std::pair{4800.0, 8100.0}));
    EXPECT_EQ(b.mapToPixel(5201, 7799, 400, 300), (std::pair{201, 151}));  // 200.5 rounds up
    // Beyond the picture the pixel is held to its edges.
    EXPECT_EQ(b.mapToPixel(0, 0, 400, 300), (std::pair{0, 300}));
}

// Points that differ one way only take the other scale with their own
// axis's direction: the picture is never mirrored.
TEST(PixelBinding, AScaleCopiedAcrossKeepsItsAxisDirection) {
    struct Case {
        const char* what;
        PixelBinding b;
        std::pair<double, double> scales;
    };
    const Case cases[] = {
        {"same pixel row", {0, 10, 100, 10, 0, 0, 300, 0}, {3.0, -3.0}},
        {"same pixel row, map x falling", {0, 10, 100, 10, 300, 0, 0, 0}, {-3.0, -3.0}},
        {"same pixel column", {10, 0, 10, 50, 0, 100, 0, 0}, {2.0, -2.0}},
        {"one point twice", {5, 5, 5, 5, 1, 1, 1, 1}, {1.0, -1.0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.b.scales(), c.scales);
        // Down the picture is down the map.
        EXPECT_LT(c.b.pixelToMap(c.b.ix1, c.b.iy1 + 10).second,
                  c.b.pixelToMap(c.b.ix1, c.b.iy1).second);
    }
}

}  // namespace
}  // namespace gridova
