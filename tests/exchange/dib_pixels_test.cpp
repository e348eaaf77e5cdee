// The conversion of stored bitmaps to top-down R, G, B: tiny bitmaps of
// every depth written out byte by byte, padding filled with 0xEE, and the
// colours they stand for worked out by hand.
#include "exchange/dib_pixels.h"

#include <gtest/gtest.h>

#include <map>

namespace gridova {
namespace {

struct DepthCase {
    const char* name;
    int bitsPerPixel;
    std::map<int, gdi::RgbQuad> colours;  // colour-table entries that are used
    std::vector<std::uint8_t> bits;       // 3 × 2 pixels, bottom row first
    std::vector<std::uint8_t> expected;   // R, G, B, top row first

    friend void PrintTo(const DepthCase& c, std::ostream* os) { *os << c.name; }
};

class DibToRgb : public ::testing::TestWithParam<DepthCase> {};

TEST_P(DibToRgb, GivesTheColoursTopDownWithTheBitmapsWidth) {
    const DepthCase& c = GetParam();
    gdi::Dib dib;
    dib.width = 3;
    dib.height = 2;
    dib.bitsPerPixel = c.bitsPerPixel;
    if (c.bitsPerPixel <= 8) {
        // Unused entries are a colour no pixel should show.
        dib.colorTable.assign(std::size_t{1} << c.bitsPerPixel, gdi::RgbQuad{7, 7, 7, 0});
        for (const auto& [index, quad] : c.colours) dib.colorTable[index] = quad;
    }
    dib.bits = c.bits;
    ASSERT_TRUE(dib.valid());

    const RgbImage image = toRgb(dib);
    EXPECT_EQ(image.width, 3);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.rgb, c.expected);
}

// RgbQuad is blue, green, red, reserved.
INSTANTIATE_TEST_SUITE_P(
    Depths, DibToRgb,
    ::testing::Values(
        // Stride 4. Leftmost pixel in the high bit; the 5 unused bits set.
        DepthCase{"OneBit",
                  1,
                  {{0, {10, 10, 10, 0}}, {1, {250, 250, 250, 0}}},
                  {0xA7, 0xEE, 0xEE, 0xEE,                    // bottom: 1 0 1
                   0x7F, 0xEE, 0xEE, 0xEE},                   // top:    0 1 1
                  {10, 10, 10, 250, 250, 250, 250, 250, 250,  //
                   250, 250, 250, 10, 10, 10, 250, 250, 250}},
        // Stride 4. Leftmost pixel in the high nibble; the unused nibble 0xE.
        DepthCase{
            "FourBits",
            4,
            {{0, {0, 0, 255, 0}}, {1, {0, 255, 0, 0}}, {2, {255, 0, 0, 0}}, {15, {9, 9, 9, 0}}},
            {0x12, 0xFE, 0xEE, 0xEE,         // bottom: 1 2 15
             0x0F, 0x1E, 0xEE, 0xEE},        // top:    0 15 1
            {255, 0, 0, 9, 9, 9, 0, 255, 0,  //
             0, 255, 0, 0, 0, 255, 9, 9, 9}},
        // Stride 4.
        DepthCase{"EightBits",
                  8,
                  {{0, {10, 20, 30, 0}}, {1, {0, 0, 255, 0}}, {2, {255, 128, 0, 0}}},
                  {2, 0, 1, 0xEE,                     // bottom
                   1, 1, 0, 0xEE},                    // top
                  {255, 0, 0, 255, 0, 0, 30, 20, 10,  //
                   0, 128, 255, 30, 20, 10, 255, 0, 0}},
        // Stride 8. v × 255 / 31 truncated: 31 → 255, 16 → 131 (131.6),
        // 1 → 8 (8.2); bit 15 (0x801F) is not a colour bit.
        DepthCase{"SixteenBits",
                  16,
                  {},
                  {0xFF, 0x7F, 0x00, 0x7C, 0x10, 0x00, 0xEE, 0xEE,   // bottom: 7FFF 7C00 0010
                   0xE0, 0x03, 0x21, 0x04, 0x1F, 0x80, 0xEE, 0xEE},  // top:    03E0 0421 801F
                  {0, 255, 0, 8, 8, 8, 0, 0, 255,                    //
                   255, 255, 255, 255, 0, 0, 0, 0, 131}},
        // Stride 12: B, G, R and three padding bytes.
        DepthCase{"TwentyFourBits",
                  24,
                  {},
                  {3,  2,  1,  6,  5,  4,  9,  8,  7,  0xEE, 0xEE, 0xEE,   // bottom
                   30, 20, 10, 60, 50, 40, 90, 80, 70, 0xEE, 0xEE, 0xEE},  // top
                  {10, 20, 30, 40, 50, 60, 70, 80, 90,                     //
                   1, 2, 3, 4, 5, 6, 7, 8, 9}},
        // Stride 12: B, G, R and an ignored byte.
        DepthCase{"ThirtyTwoBits",
                  32,
                  {},
                  {3,  2,  1,  0xEE, 6,  5,  4,  0xEE, 9,  8,  7,  0xEE,   // bottom
                   30, 20, 10, 0xEE, 60, 50, 40, 0xEE, 90, 80, 70, 0xEE},  // top
                  {10, 20, 30, 40, 50, 60, 70, 80, 90,                     //
                   1, 2, 3, 4, 5, 6, 7, 8, 9}}),
    [](const ::testing::TestParamInfo<DepthCase>& p) { return p.param.name; });

TEST(DibToRgbInvalid, AnInconsistentBitmapGivesAnEmptyImage) {
    gdi::Dib dib;
    dib.width = 3;
    dib.height = 2;
    dib.bitsPerPixel = 24;
    dib.bits.assign(23, 0);  // one byte short of 2 × 12
    const RgbImage image = toRgb(dib);
    EXPECT_EQ(image.width, 0);
    EXPECT_TRUE(image.rgb.empty());
}

}  // namespace
}  // namespace gridova
