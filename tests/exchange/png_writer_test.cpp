// PNG files: the header fields, the pictures as Qt reads them, and libpng's
// errors reported with the old file kept.
#include "exchange/png_writer.h"

#include <gtest/gtest.h>

#include "tests/common/test_env.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

using testing::Picture;
using testing::Rgb;

using ReadBackCase = testing::DepthAndSize;

class PngReadBack : public ::testing::TestWithParam<ReadBackCase> {};

TEST_P(PngReadBack, QtReadsThePictureExactly) {
    const ReadBackCase& c = GetParam();
    const Picture picture = testing::contourMap(c.width, c.height);
    const std::string path = (testing::testDir() / "map.png").string();
    ASSERT_TRUE(writePng(testing::toDib(picture, c.bitsPerPixel), path));
    EXPECT_EQ(testing::countDifferences(testing::decodeWithQt(path),
                                        testing::shownBy(picture, c.bitsPerPixel)),
              0);
}

INSTANTIATE_TEST_SUITE_P(Depths, PngReadBack,
                         ::testing::Values(ReadBackCase{8, 801, 600}, ReadBackCase{16, 801, 600},
                                           ReadBackCase{24, 801, 600}, ReadBackCase{32, 801, 600},
                                           ReadBackCase{24, 5, 3}));

// The signature and the IHDR chunk, byte for byte: length 13, "IHDR",
// width 5, height 3, bit depth 8, colour type 2 (RGB), compression 0,
// filter 0, interlace 0.
TEST(PngWriter, HeaderSaysEightBitRgbWithoutInterlace) {
    const std::string path = (testing::testDir() / "small.png").string();
    ASSERT_TRUE(writePng(testing::toDib(testing::contourMap(5, 3), 32), path));
    const std::string expected(
        "\x89PNG\r\n\x1A\n"
        "\0\0\0\x0D"
        "IHDR"
        "\0\0\0\x05"
        "\0\0\0\x03"
        "\x08\x02\x00\x00\x00",
        8 + 4 + 4 + 13);
    EXPECT_EQ(testing::readFile(path).substr(0, expected.size()), expected);
}

// libpng refuses rows wider than its limit of 1,000,000 pixels: a warning
// (logged) and an error (shown); the writer ends and the old file stays.
TEST(PngWriter, ALibpngErrorIsReportedAndKeepsTheOldFile) {
    const std::string path = testing::writeFile("old.png", "old");
    const Picture wide = testing::drawPicture(1000001, 1, [](int, int) { return Rgb{1, 2, 3}; });
    testing::RecordingBoxes boxes;
    EXPECT_FALSE(writePng(testing::toDib(wide, 24), path));
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{"libpng error: Invalid IHDR data"});
    EXPECT_EQ(testing::readFile(path), "old");
    EXPECT_EQ(testing::filesInTestDir(), std::vector<std::string>{"old.png"});
}

}  // namespace
}  // namespace gridova
