// JPEG files: read back by Qt within a tolerance, the quality honoured, and
// libjpeg's errors reported with the old file kept.
#include "exchange/jpeg_writer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "tests/common/test_env.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

using testing::Picture;
using testing::Rgb;

// Smooth colours (JPEG's good case) in all three components, different
// across and down, so that swapped components or a flipped picture show.
// Large pictures run through the whole range; small ones change by 6 levels
// a pixel, which JPEG's halved colour resolution still keeps close.
Picture gradient(int width, int height) {
    if (width < 64 || height < 64) {
        return testing::drawPicture(width, height, [](int x, int y) -> Rgb {
            return {static_cast<std::uint8_t>(40 + 6 * x), static_cast<std::uint8_t>(90 + 6 * y),
                    static_cast<std::uint8_t>(200 - 6 * (x + y))};
        });
    }
    return testing::drawPicture(width, height, [&](int x, int y) -> Rgb {
        return {static_cast<std::uint8_t>(255 * x / (width - 1)),
                static_cast<std::uint8_t>(255 * y / (height - 1)),
                static_cast<std::uint8_t>(64 + 128 * (x + y) / (width + height - 2))};
    });
}

double meanDifference(const Picture& a, const Picture& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        sum += std::abs(a.pixels[i].r - b.pixels[i].r) + std::abs(a.pixels[i].g - b.pixels[i].g) +
               std::abs(a.pixels[i].b - b.pixels[i].b);
    }
    return sum / (3.0 * static_cast<double>(a.pixels.size()));
}

using ReadBackCase = testing::DepthAndSize;

class JpegReadBack : public ::testing::TestWithParam<ReadBackCase> {};

// At quality 90 a smooth picture comes back within a few levels (a swapped
// component or a flipped row order is off by up to 255 on the large
// pictures, by about 150 on the small one). The small picture is all edge
// blocks with halved colour resolution: up to 14 levels and 3.4 on average.
TEST_P(JpegReadBack, QtReadsThePictureWithinATolerance) {
    const ReadBackCase& c = GetParam();
    const Picture picture = gradient(c.width, c.height);
    const std::string path = (testing::testDir() / "smooth.jpg").string();
    ASSERT_TRUE(writeJpeg(testing::toDib(picture, c.bitsPerPixel), path, 90));

    const Picture decoded = testing::decodeWithQt(path);
    ASSERT_EQ(decoded.width, c.width);
    ASSERT_EQ(decoded.height, c.height);
    const Picture expected = testing::shownBy(picture, c.bitsPerPixel);
    EXPECT_LE(testing::largestDifference(decoded, expected), 16);
    EXPECT_LE(meanDifference(decoded, expected), 4.0);
}

// 8 bits: the gradient has more than 256 colours, so 5 × 3 only.
INSTANTIATE_TEST_SUITE_P(Depths, JpegReadBack,
                         ::testing::Values(ReadBackCase{16, 801, 600}, ReadBackCase{24, 801, 600},
                                           ReadBackCase{32, 801, 600}, ReadBackCase{24, 5, 3},
                                           ReadBackCase{8, 5, 3}));

TEST(JpegWriter, HigherQualityGivesALargerFileAndASmallerError) {
    const Picture picture = testing::contourMap(401, 300);
    const gdi::Dib dib = testing::toDib(picture, 24);
    const std::string low = (testing::testDir() / "low.jpg").string();
    const std::string high = (testing::testDir() / "high.jpg").string();
    ASSERT_TRUE(writeJpeg(dib, low, 10));
    ASSERT_TRUE(writeJpeg(dib, high, 95));
    EXPECT_LT(testing::readFile(low).size(), testing::readFile(high).size());
    EXPECT_LT(meanDifference(testing::decodeWithQt(high), picture),
              meanDifference(testing::decodeWithQt(low), picture));
}

// libjpeg refuses images wider than 65500 pixels with an error; the writer
// reports it, frees the compressor and keeps the file that was there.
TEST(JpegWriter, ALibjpegErrorIsReportedAndKeepsTheOldFile) {
    const std::string path = testing::writeFile("old.jpg", "old");
    const Picture wide = testing::drawPicture(70000, 1, [](int, int) { return Rgb{1, 2, 3}; });
    testing::RecordingBoxes boxes;
    EXPECT_FALSE(writeJpeg(testing::toDib(wide, 24), path, 75));
    EXPECT_EQ(boxes.warnings,
              std::vector<std::string>{
                  "JPEG Fatal Error: Maximum supported image dimension is 65500 pixels"});
    EXPECT_EQ(testing::readFile(path), "old");
    EXPECT_EQ(testing::filesInTestDir(), std::vector<std::string>{"old.jpg"});

    // The writer is usable again after the jump out of libjpeg.
    EXPECT_TRUE(writeJpeg(testing::toDib(gradient(5, 3), 24), path, 75));
    EXPECT_EQ(testing::decodeWithQt(path).width, 5);
}

}  // namespace
}  // namespace gridova
