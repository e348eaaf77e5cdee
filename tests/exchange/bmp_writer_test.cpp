// BMP files: header fields against values worked out by hand, the colour
// table and rows as stored, and the pictures as Qt reads them.
#include "exchange/bmp_writer.h"

#include <gtest/gtest.h>

#include "tests/common/test_env.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

using testing::readFile;

std::uint32_t le16(const std::string& b, std::size_t at) {
    return static_cast<std::uint8_t>(b[at]) | (static_cast<std::uint8_t>(b[at + 1]) << 8);
}
std::uint32_t le32(const std::string& b, std::size_t at) {
    return le16(b, at) | (le16(b, at + 2) << 16);
}

struct HeaderCase {
    const char* name;
    int bitsPerPixel;
    int width;
    int height;
    // Worked out by hand: stride = ((width × bits + 31) / 32) × 4,
    // biSizeImage = stride × height, bfOffBits = 14 + 40 + 4 × 2^bits (up to
    // 8 bits), bfSize = bfOffBits + biSizeImage.
    std::uint32_t sizeImage;
    std::uint32_t clrUsed;
    std::uint32_t offBits;
    std::uint32_t fileSize;

    friend void PrintTo(const HeaderCase& c, std::ostream* os) { *os << c.name; }
};

class BmpHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(BmpHeader, FieldsTableAndRowsAreWrittenAsStored) {
    const HeaderCase& c = GetParam();
    gdi::Dib dib;
    dib.width = c.width;
    dib.height = c.height;
    dib.bitsPerPixel = c.bitsPerPixel;
    if (c.bitsPerPixel <= 8) {
        dib.colorTable.resize(std::size_t{1} << c.bitsPerPixel);
        for (std::size_t i = 0; i < dib.colorTable.size(); ++i) {
            const auto v = static_cast<std::uint8_t>(i);
            dib.colorTable[i] = {v, static_cast<std::uint8_t>(v ^ 0x55),
                                 static_cast<std::uint8_t>(255 - v), 0};
        }
    }
    dib.bits.resize(dib.imageSize());
    for (std::size_t i = 0; i < dib.bits.size(); ++i)
        dib.bits[i] = static_cast<std::uint8_t>(i * 7);
    ASSERT_TRUE(dib.valid());

    const std::string path = (testing::testDir() / "out.bmp").string();
    ASSERT_TRUE(writeBmp(dib, path));
    const std::string b = readFile(path);

    ASSERT_EQ(b.size(), c.fileSize);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(le32(b, 2), c.fileSize);  // bfSize
    EXPECT_EQ(le32(b, 6), 0u);          // bfReserved1, bfReserved2
    EXPECT_EQ(le32(b, 10), c.offBits);  // bfOffBits
    EXPECT_EQ(le32(b, 14), 40u);        // biSize
    EXPECT_EQ(le32(b, 18), static_cast<std::uint32_t>(c.width));
    EXPECT_EQ(le32(b, 22), static_cast<std::uint32_t>(c.height));  // positive: bottom-up
    EXPECT_EQ(le16(b, 26), 1u);                                    // biPlanes
    EXPECT_EQ(le16(b, 28), static_cast<std::uint32_t>(c.bitsPerPixel));
    EXPECT_EQ(le32(b, 30), 0u);  // BI_RGB
    EXPECT_EQ(le32(b, 34), c.sizeImage);
    EXPECT_EQ(le32(b, 38), 0u);  // biXPelsPerMeter
    EXPECT_EQ(le32(b, 42), 0u);  // biYPelsPerMeter
    EXPECT_EQ(le32(b, 46), c.clrUsed);
    EXPECT_EQ(le32(b, 50), 0u);  // biClrImportant

    for (std::size_t i = 0; i < dib.colorTable.size(); ++i) {
        const std::size_t at = 54 + 4 * i;
        const gdi::RgbQuad& q = dib.colorTable[i];
        ASSERT_EQ(b.substr(at, 4),
                  std::string({static_cast<char>(q.blue), static_cast<char>(q.green),
                               static_cast<char>(q.red), 0}))
            << "entry " << i;
    }
    EXPECT_TRUE(
        std::equal(dib.bits.begin(), dib.bits.end(), b.begin() + c.offBits,
                   [](std::uint8_t x, char y) { return x == static_cast<std::uint8_t>(y); }));
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpHeader,
                         ::testing::Values(
                             // stride ((5 + 31) / 32) × 4 = 4; 12 bytes; 14 + 40 + 8 = 62.
                             HeaderCase{"OneBit5x3", 1, 5, 3, 12, 2, 62, 74},
                             // stride ((40 + 31) / 32) × 4 = 8; 24 bytes; 14 + 40 + 1024 = 1078.
                             HeaderCase{"EightBits5x3", 8, 5, 3, 24, 256, 1078, 1102},
                             // stride ((12816 + 31) / 32) × 4 = 401 × 4 = 1604; × 600 = 962400.
                             HeaderCase{"SixteenBits801x600", 16, 801, 600, 962400, 0, 54, 962454},
                             // stride ((120 + 31) / 32) × 4 = 16 (15 used); 48 bytes.
                             HeaderCase{"TwentyFourBits5x3", 24, 5, 3, 48, 0, 54, 102},
                             // stride 20, no padding; 60 bytes.
                             HeaderCase{"ThirtyTwoBits5x3", 32, 5, 3, 60, 0, 54, 114}),
                         [](const ::testing::TestParamInfo<HeaderCase>& p) {
                             return p.param.name;
                         });

using ReadBackCase = testing::DepthAndSize;

class BmpReadBack : public ::testing::TestWithParam<ReadBackCase> {};

// Qt reads what we wrote as the same picture: the right orientation, the
// odd width, the colour table, B, G, R order.
TEST_P(BmpReadBack, QtReadsThePicture) {
    const ReadBackCase& c = GetParam();
    const testing::Picture picture = testing::contourMap(c.width, c.height);
    const std::string path = (testing::testDir() / "map.bmp").string();
    ASSERT_TRUE(writeBmp(testing::toDib(picture, c.bitsPerPixel), path));
    testing::Picture expected = picture;
    if (c.bitsPerPixel == 16) {
        // Qt widens a 5-bit component v to v × 8, where our converter gives
        // v × 255 / 31: compare the 5 bits.
        for (testing::Rgb& p : expected.pixels) {
            p = {static_cast<std::uint8_t>(p.r & 0xF8), static_cast<std::uint8_t>(p.g & 0xF8),
                 static_cast<std::uint8_t>(p.b & 0xF8)};
        }
    }
    EXPECT_EQ(testing::countDifferences(testing::decodeWithQt(path), expected), 0);
}

INSTANTIATE_TEST_SUITE_P(Depths, BmpReadBack,
                         ::testing::Values(ReadBackCase{8, 801, 600}, ReadBackCase{16, 801, 600},
                                           ReadBackCase{24, 801, 600}, ReadBackCase{32, 801, 600},
                                           ReadBackCase{24, 5, 3}, ReadBackCase{8, 5, 3}));

TEST(BmpWriter, AnInconsistentBitmapIsRefusedAsGetObject) {
    testing::RecordingBoxes boxes;
    gdi::Dib dib = testing::toDib(testing::contourMap(5, 3), 24);
    dib.bits.pop_back();
    const std::string path = (testing::testDir() / "bad.bmp").string();
    EXPECT_FALSE(writeBmp(dib, path));
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{"GetObject"});
    EXPECT_TRUE(testing::filesInTestDir().empty());
}

}  // namespace
}  // namespace gridova
