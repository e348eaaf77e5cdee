// GIF files: one small file worked out by hand byte for byte, and larger
// pictures read back by Qt and by giflib with their sub-blocks checked.
#include "exchange/gif_writer.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "tests/common/test_env.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

using testing::Picture;
using testing::Rgb;

std::vector<std::uint8_t> bytesOf(const std::string& s) { return {s.begin(), s.end()}; }

// 5 × 3 pixels of three colours, A = (255, 0, 0), B = (0, 0, 255),
// C = (0, 128, 0):
//   A A A B B
//   A A A B B
//   C C A A A
Picture threeColours() {
    const Rgb a{255, 0, 0}, b{0, 0, 255}, c{0, 128, 0};
    const Rgb rows[3][5] = {{a, a, a, b, b}, {a, a, a, b, b}, {c, c, a, a, a}};
    return testing::drawPicture(5, 3, [&](int x, int y) { return rows[y][x]; });
}

struct HandCase {
    const char* name;
    int bitsPerPixel;
    std::vector<std::uint8_t> palette;  // the first three entries

    friend void PrintTo(const HandCase& c, std::ostream* os) { *os << c.name; }
};

class GifHandDerived : public ::testing::TestWithParam<HandCase> {};

TEST_P(GifHandDerived, FileBytesAreAsWorkedOutByHand) {
    // Palette in first-seen order: A = 0, B = 1, C = 2; the pixels are
    //   0 0 0 1 1  0 0 0 1 1  2 2 0 0 0
    // LZW (prefix, pixel) → new code; "write" is the prefix code written:
    //   clear                         write 256
    //   prefix 0
    //   0: (0,0) new   → 258          write 0,   prefix 0
    //   0: (0,0) = 258                prefix 258
    //   1: (258,1) new → 259          write 258, prefix 1
    //   1: (1,1) new   → 260          write 1,   prefix 1
    //   0: (1,0) new   → 261          write 1,   prefix 0
    //   0: (0,0) = 258                prefix 258
    //   0: (258,0) new → 262          write 258, prefix 0
    //   1: (0,1) new   → 263          write 0,   prefix 1
    //   1: (1,1) = 260                prefix 260
    //   2: (260,2) new → 264          write 260, prefix 2
    //   2: (2,2) new   → 265          write 2,   prefix 2
    //   0: (2,0) new   → 266          write 2,   prefix 0
    //   0: (0,0) = 258                prefix 258
    //   0: (258,0) = 262              prefix 262
    //   end                           write 262, write 257
    // Twelve codes, all 9 bits wide (no code reaches 512): 108 bits,
    // 14 bytes, least-significant bit first:
    //   bits   0-8   256   byte 0 = 0x00, bit 8 = 1
    //   bits   9-17  0     byte 1 = 0x01
    //   bits  18-26  258   byte 2 = (258 & 0x3F) << 2 = 0x08
    //   bits  27-35  1     byte 3 = (258 >> 6) | 1 << 3 = 0x0C
    //   bits  36-44  1     byte 4 = 1 << 4 = 0x10
    //   bits  45-53  258   byte 5 = (258 & 7) << 5 = 0x40
    //   bits  54-62  0     byte 6 = 258 >> 3 = 0x20
    //   bits  63-71  260   byte 7 = (260 & 1) << 7 = 0x00, byte 8 = 260 >> 1 = 0x82
    //   bits  72-80  2     byte 9 = 0x02
    //   bits  81-89  2     byte 10 = 2 << 1 = 0x04
    //   bits  90-98  262   byte 11 = (262 & 0x3F) << 2 = 0x18
    //   bits  99-107 257   byte 12 = (262 >> 6) | (257 & 0x1F) << 3 = 0x0C,
    //                      byte 13 = 257 >> 5 = 0x08
    // 108 bits never reach 2032, so all 14 bytes go out in one block.
    const HandCase& c = GetParam();
    std::vector<std::uint8_t> expected = {'G', 'I', 'F', '8', '7', 'a',
                                          // screen: 5 × 3, 0xF7, background 0, pixel shape 0
                                          0x05, 0x00, 0x03, 0x00, 0xF7, 0x00, 0x00};
    expected.insert(expected.end(), c.palette.begin(), c.palette.end());
    expected.resize(expected.size() + 3 * 253, 0);  // unused entries
    const std::vector<std::uint8_t> tail = {
        0x2C, 0x00, 0x00, 0x00, 0x00, 0x05, 0x00, 0x03, 0x00, 0x07,  // image descriptor
        0x08,                                                        // minimum code size
        0x0E, 0x00, 0x01, 0x08, 0x0C, 0x10, 0x40, 0x20, 0x00, 0x82,  // one block of 14
        0x02, 0x04, 0x18, 0x0C, 0x08,                                //
        0x00,                                                        // end of the blocks
        0x3B};
    expected.insert(expected.end(), tail.begin(), tail.end());
    ASSERT_EQ(expected.size(), 809u);

    const std::string path = (testing::testDir() / "three.gif").string();
    ASSERT_TRUE(writeGif(testing::toDib(threeColours(), c.bitsPerPixel), path));
    EXPECT_EQ(bytesOf(testing::readFile(path)), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Depths, GifHandDerived,
    ::testing::Values(HandCase{"TwentyFourBits", 24, {255, 0, 0, 0, 0, 255, 0, 128, 0}},
                      HandCase{"ThirtyTwoBits", 32, {255, 0, 0, 0, 0, 255, 0, 128, 0}},
                      // The colour table lists the colours backwards: the
                      // palette still follows the pixels.
                      HandCase{"EightBits", 8, {255, 0, 0, 0, 0, 255, 0, 128, 0}},
                      // 5-bit components: 31 → 255, 16 → 16 × 255 / 31 = 131.
                      HandCase{"SixteenBits", 16, {255, 0, 0, 0, 0, 255, 0, 131, 0}}),
    [](const ::testing::TestParamInfo<HandCase>& p) { return p.param.name; });

struct ReadBackCase {
    const char* name;
    std::function<Picture()> picture;
    int bitsPerPixel;

    friend void PrintTo(const ReadBackCase& c, std::ostream* os) { *os << c.name; }
};

class GifReadBack : public ::testing::TestWithParam<ReadBackCase> {};

// Qt and giflib read back the picture; every sub-block fits its length byte
// and all but the last are flushed at 254 or 255 bytes.
TEST_P(GifReadBack, DecodersSeeThePictureAndBlocksAreWellFormed) {
    const ReadBackCase& c = GetParam();
    const Picture picture = c.picture();
    const std::string path = (testing::testDir() / "picture.gif").string();
    ASSERT_TRUE(writeGif(testing::toDib(picture, c.bitsPerPixel), path));

    const Picture expected = testing::shownBy(picture, c.bitsPerPixel);
    EXPECT_EQ(testing::countDifferences(testing::decodeWithQt(path), expected), 0);
    EXPECT_EQ(testing::countDifferences(testing::decodeGifWithGiflib(path), expected), 0);

    const std::vector<int> blocks = testing::gifSubBlockLengths(testing::readFile(path));
    ASSERT_FALSE(blocks.empty());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_LE(blocks[i], 255) << "block " << i;
        if (i + 1 < blocks.size()) {
            EXPECT_GE(blocks[i], 254) << "block " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, GifReadBack,
    ::testing::Values(
        ReadBackCase{"Map801x600EightBits", [] { return testing::contourMap(801, 600); }, 8},
        ReadBackCase{"Map801x600SixteenBits", [] { return testing::contourMap(801, 600); }, 16},
        ReadBackCase{"Map801x600TwentyFourBits", [] { return testing::contourMap(801, 600); }, 24},
        ReadBackCase{"Map801x600ThirtyTwoBits", [] { return testing::contourMap(801, 600); }, 32},
        ReadBackCase{"TwoColours5x3", [] { return testing::noise(5, 3, 2, 7); }, 24},
        ReadBackCase{"OnePixel", [] { return testing::noise(1, 1, 1, 7); }, 24},
        // 40,000 pixels of 256 colours need about 30,000 codes: the table
        // fills (3838 strings) and is cleared at 12 bits many times, and
        // the widths 9 to 12 are all used in between.
        ReadBackCase{"Noise200x200ResetsTheTable", [] { return testing::noise(200, 200, 256, 1); },
                     24}),
    [](const ::testing::TestParamInfo<ReadBackCase>& p) { return p.param.name; });

// A picture long enough for every rule: widths 9 to 12, the full table
// cleared at 12 bits (after 3838 strings) and 26 sub-blocks. The reference
// file comes from a second encoder written in Python from the same rules
// (tests/exchange/make_gif_reference.py; the command is in its header).
TEST(GifWriter, MatchesTheReferenceEncoderThroughATableReset) {
    const std::string reference =
        testing::readFile(GRIDOVA_SOURCE_DIR "/tests/exchange/noise_80x60.gif");
    ASSERT_EQ(reference.size(), 7261u);
    const std::string path = (testing::testDir() / "noise.gif").string();
    ASSERT_TRUE(writeGif(testing::toDib(testing::noise(80, 60, 256, 1), 24), path));
    EXPECT_EQ(testing::readFile(path), reference);
}

// The rule "flush when 2032 bits wait" leaves up to 2043 bits for the end:
// with 2029 to 2031 bits waiting before a 12-bit end code, 256 bytes
// remain, more than one block can say. This picture (found by trying
// heights) ends that way; the rest goes out as 255 + 1.
TEST(GifWriter, ARestOf256BytesIsSplitIntoTwoBlocks) {
    const Picture picture = testing::noise(41, 373, 256, 1);
    const std::string path = (testing::testDir() / "split.gif").string();
    ASSERT_TRUE(writeGif(testing::toDib(picture, 24), path));
    const std::vector<int> blocks = testing::gifSubBlockLengths(testing::readFile(path));
    ASSERT_GE(blocks.size(), 2u);
    EXPECT_EQ(blocks[blocks.size() - 2], 255);
    EXPECT_EQ(blocks.back(), 1);
    EXPECT_EQ(testing::countDifferences(testing::decodeWithQt(path), picture), 0);
    EXPECT_EQ(testing::countDifferences(testing::decodeGifWithGiflib(path), picture), 0);
}

// 300 colours: (k, 0, 0) for the first 256 pixels, then (7k mod 256, 3, 0),
// all different. The palette holds the first 256; each later colour is
// drawn with its nearest palette colour, (7k mod 256, 0, 0).
TEST(GifWriter, MoreThan256ColoursWarnAndUseTheNearestColour) {
    auto colourOf = [](int k) -> Rgb {
        if (k < 256) return {static_cast<std::uint8_t>(k), 0, 0};
        return {static_cast<std::uint8_t>(7 * k % 256), 3, 0};
    };
    const Picture picture =
        testing::drawPicture(20, 15, [&](int x, int y) { return colourOf(y * 20 + x); });
    const Picture expected = testing::drawPicture(20, 15, [&](int x, int y) -> Rgb {
        const Rgb c = colourOf(y * 20 + x);
        return {c.r, 0, 0};
    });

    testing::RecordingBoxes boxes;
    const std::string path = (testing::testDir() / "many.gif").string();
    ASSERT_TRUE(writeGif(testing::toDib(picture, 24), path));
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{"Изображение содержит более 256 цветов"});
    EXPECT_EQ(testing::countDifferences(testing::decodeWithQt(path), expected), 0);
    EXPECT_EQ(testing::countDifferences(testing::decodeGifWithGiflib(path), expected), 0);
}

TEST(GifWriter, Exactly256ColoursGiveNoWarning) {
    const Picture picture = testing::drawPicture(16, 16, [](int x, int y) -> Rgb {
        return {static_cast<std::uint8_t>(16 * y + x), 0, 9};
    });
    testing::RecordingBoxes boxes;
    const std::string path = (testing::testDir() / "full.gif").string();
    ASSERT_TRUE(writeGif(testing::toDib(picture, 24), path));
    EXPECT_TRUE(boxes.warnings.empty());
    EXPECT_EQ(testing::countDifferences(testing::decodeWithQt(path), picture), 0);
}

}  // namespace
}  // namespace gridova
