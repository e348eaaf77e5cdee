// The picture loaders. The fixtures were made by ImageMagick and Pillow and
// their pixels read by Pillow (make_picture_fixtures.sh); the small GIF and
// BMP files built here are worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "picture/picture_loaders.h"
#include "platform/messages.h"
#include "tests/common/seen_boxes.h"
#include "tests/common/test_env.h"

namespace gridova::picture {
namespace {

using testing::readFile;
using testing::writeFile;

struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
    return out << "(" << c.red << ", " << c.green << ", " << c.blue << ")";
}

std::string fixture(const std::string& name) {
    return readFile(std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/pictures/" + name);
}

// What Pillow read: the size, the transparent index and, top row first, the
// colour (and for GIF pictures the index) of every pixel.
struct Expected {
    int width = 0, height = 0, transparent = -1;
    std::vector<Rgb> colours;
    std::vector<int> indices;
};

Expected expected(const std::string& name) {
    std::istringstream in(fixture(name));
    Expected e;
    in >> e.width >> e.height >> e.transparent;
    std::string token;
    while (in >> token) {
        const unsigned long rgb = std::strtoul(token.substr(0, 6).c_str(), nullptr, 16);
        e.colours.push_back(Rgb{static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF),
                                static_cast<int>(rgb & 0xFF)});
        if (token.size() > 7) e.indices.push_back(std::atoi(token.c_str() + 7));
    }
    return e;
}

int indexAt(const gdi::Dib& dib, int x, int yFromTop) {
    const std::uint8_t* row =
        dib.bits.data() + static_cast<std::size_t>(dib.height - 1 - yFromTop) * dib.stride();
    switch (dib.bitsPerPixel) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1;
        case 4:
            return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        default:
            return row[x];
    }
}

Rgb colourAt(const gdi::Dib& dib, int x, int yFromTop) {
    if (dib.bitsPerPixel <= 8) {
        const gdi::RgbQuad q =
            dib.colorTable.at(static_cast<std::size_t>(indexAt(dib, x, yFromTop)));
        return Rgb{q.red, q.green, q.blue};
    }
    const std::uint8_t* row =
        dib.bits.data() + static_cast<std::size_t>(dib.height - 1 - yFromTop) * dib.stride();
    const std::uint8_t* p = row + static_cast<std::size_t>(x) * (dib.bitsPerPixel / 8);
    return Rgb{p[2], p[1], p[0]};
}

// --- Fixtures against Pillow -------------------------------------------------------

struct FixtureCase {
    const char* file;
    int bits;       // the bitmap's depth
    int tolerance;  // per channel
};

class PictureFixture : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(PictureFixture, PixelsAreThoseAnotherReaderSees) {
    const FixtureCase& c = GetParam();
    const std::string name = c.file;
    const LoadResult result = loadPictureBytes(fixture(name));
    ASSERT_TRUE(result.picture) << static_cast<int>(result.error);
    const gdi::Dib& dib = result.picture->dib;
    const Expected e = expected(name.substr(0, name.rfind('.')) + ".txt");
    EXPECT_TRUE(dib.valid());
    EXPECT_EQ(dib.bitsPerPixel, c.bits);
    ASSERT_EQ(dib.width, e.width);
    ASSERT_EQ(dib.height, e.height);
    EXPECT_EQ(result.picture->transparentIndex, e.transparent);
    int worst = 0;
    for (int y = 0; y < e.height; ++y) {
        for (int x = 0; x < e.width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * e.width + x);
            const Rgb got = colourAt(dib, x, y);
            const Rgb& want = e.colours[i];
            worst = std::max({worst, std::abs(got.red - want.red), std::abs(got.green - want.green),
                              std::abs(got.blue - want.blue)});
            if (!e.indices.empty()) {
                ASSERT_EQ(indexAt(dib, x, y), e.indices[i]) << x << "," << y;
            }
        }
    }
    EXPECT_LE(worst, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(
    Bmp, PictureFixture,
    ::testing::Values(FixtureCase{"bmp1.bmp", 1, 0}, FixtureCase{"bmp4.bmp", 4, 0},
                      FixtureCase{"bmp8.bmp", 8, 0}, FixtureCase{"bmp8_rle.bmp", 8, 0},
                      FixtureCase{"bmp24.bmp", 24, 0}, FixtureCase{"bmp24_topdown.bmp", 24, 0},
                      FixtureCase{"bmp32.bmp", 32, 0}));
INSTANTIATE_TEST_SUITE_P(Gif, PictureFixture,
                         ::testing::Values(FixtureCase{"gif87a.gif", 8, 0},
                                           FixtureCase{"gif89a_transparent.gif", 8, 0},
                                           FixtureCase{"gif_interlaced.gif", 8, 0},
                                           FixtureCase{"gif_noise.gif", 8, 0}));
// Pillow reads with libjpeg too, but the IDCT may differ by a step.
INSTANTIATE_TEST_SUITE_P(Jpeg, PictureFixture,
                         ::testing::Values(FixtureCase{"jpeg_grey.jpg", 8, 2}));
INSTANTIATE_TEST_SUITE_P(
    Png, PictureFixture,
    ::testing::Values(FixtureCase{"png_grey1.png", 8, 0}, FixtureCase{"png_grey8.png", 8, 0},
                      FixtureCase{"png_grey16.png", 8, 0}, FixtureCase{"png_grey_alpha.png", 8, 0},
                      FixtureCase{"png_palette_trns.png", 8, 0}, FixtureCase{"png_rgb.png", 24, 0},
                      FixtureCase{"png_rgb16.png", 24, 0}, FixtureCase{"png_rgba.png", 24, 0},
                      FixtureCase{"png_interlaced.png", 24, 0}));

TEST(PictureGreyPalette, GreyPicturesHaveTheFullGreyRamp) {
    for (const char* name : {"jpeg_grey.jpg", "png_grey8.png", "png_grey1.png"}) {
        const LoadResult result = loadPictureBytes(fixture(name));
        ASSERT_TRUE(result.picture) << name;
        const auto& table = result.picture->dib.colorTable;
        ASSERT_EQ(table.size(), 256u) << name;
        for (int i = 0; i < 256; ++i) {
            EXPECT_EQ(Rgb(table[i].red, table[i].green, table[i].blue), Rgb(i, i, i)) << name;
        }
    }
}

// Colour JPEG files are quantised to at most 128 colours, close to the
// colours Pillow decodes.
TEST(PictureJpeg, ColourFilesAreQuantisedTo128Colours) {
    for (const char* name : {"jpeg_colour.jpg", "jpeg_progressive.jpg"}) {
        const LoadResult result = loadPictureBytes(fixture(name));
        ASSERT_TRUE(result.picture) << name;
        const gdi::Dib& dib = result.picture->dib;
        EXPECT_EQ(dib.bitsPerPixel, 8);
        const Expected e =
            expected(std::string(name).substr(0, std::string(name).rfind('.')) + ".txt");
        ASSERT_EQ(dib.width, e.width);
        ASSERT_EQ(dib.height, e.height);
        std::set<int> used;
        double error = 0;
        for (int y = 0; y < e.height; ++y) {
            for (int x = 0; x < e.width; ++x) {
                used.insert(indexAt(dib, x, y));
                const Rgb got = colourAt(dib, x, y);
                const Rgb& want = e.colours[static_cast<std::size_t>(y * e.width + x)];
                error += std::abs(got.red - want.red) + std::abs(got.green - want.green) +
                         std::abs(got.blue - want.blue);
            }
        }
        EXPECT_LT(*used.rbegin(), 128) << name;
        // Mean error per channel of a dithered 128-colour picture.
        EXPECT_LT(error / (3.0 * e.width * e.height), 12.0) << name;
    }
}

// --- GIF files built by hand -------------------------------------------------------

// LZW codes of the given widths, least significant bit first, in sub-blocks.
std::string packCodes(const std::vector<std::pair<int, int>>& codes) {
    std::string bytes;
    std::uint32_t buffer = 0;
    int held = 0;
    for (const auto& [code, bits] : codes) {
        buffer |= static_cast<std::uint32_t>(code) << held;
        held += bits;
        while (held >= 8) {
            bytes.push_back(static_cast<char>(buffer & 0xFF));
            buffer >>= 8;
            held -= 8;
        }
    }
    if (held > 0) bytes.push_back(static_cast<char>(buffer & 0xFF));
    std::string blocks;
    for (std::size_t at = 0; at < bytes.size(); at += 255) {
        const std::string part = bytes.substr(at, 255);
        blocks.push_back(static_cast<char>(part.size()));
        blocks += part;
    }
    blocks.push_back('\0');
    return blocks;
}

struct GifSpec {
    int screenWidth = 2, screenHeight = 2;
    std::vector<Rgb> table = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};
    bool globalTable = true;
    int transparent = -1;  // a graphic control extension when >= 0
    bool transparencyFlag = true;
    int left = 0, top = 0, width = 2, height = 2;
    int minimumBits = 2;
    std::vector<std::pair<int, int>> codes = {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {3, 4}, {5, 4}};
};

void put16(std::string& s, int v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>((v >> 8) & 0xFF));
}

std::string gif(const GifSpec& g) {
    std::string s = "GIF89a";
    put16(s, g.screenWidth);
    put16(s, g.screenHeight);
    int sizeBits = 0;
    while ((std::size_t{2} << sizeBits) < g.table.size()) ++sizeBits;
    s.push_back(static_cast<char>(g.globalTable ? 0x80 | sizeBits : 0));
    s += std::string("\0\0", 2);
    if (g.globalTable) {
        for (const Rgb& c : g.table) {
            s.push_back(static_cast<char>(c.red));
            s.push_back(static_cast<char>(c.green));
            s.push_back(static_cast<char>(c.blue));
        }
    }
    if (g.transparent >= 0) {
        s += "!\xF9\x04";
        s.push_back(g.transparencyFlag ? '\x01' : '\x00');
        s += std::string("\0\0", 2);
        s.push_back(static_cast<char>(g.transparent));
        s.push_back('\0');
    }
    s.push_back(',');
    put16(s, g.left);
    put16(s, g.top);
    put16(s, g.width);
    put16(s, g.height);
    s.push_back('\0');
    s.push_back(static_cast<char>(g.minimumBits));
    s += packCodes(g.codes);
    s.push_back(';');
    return s;
}

std::vector<int> indicesOf(const gdi::Dib& dib) {
    std::vector<int> out;
    for (int y = 0; y < dib.height; ++y) {
        for (int x = 0; x < dib.width; ++x) out.push_back(indexAt(dib, x, y));
    }
    return out;
}

TEST(PictureGif, HandBuiltCodesGiveTheirPixels) {
    // Clear, 0, 1, 2 at three bits; the table reaches 8 entries after code 2,
    // so 3 and the end come at four bits.
    GifSpec plain;
    // Clear, 0, then code 6 — the entry being made (0 then 0) — and the end:
    // three pixels of colour 0.
    GifSpec repeat;
    repeat.screenWidth = repeat.width = 3;
    repeat.screenHeight = repeat.height = 1;
    repeat.codes = {{4, 3}, {0, 3}, {6, 3}, {5, 3}};
    for (const auto& [spec, want] : {std::pair{plain, std::vector<int>{0, 1, 2, 3}},
                                     std::pair{repeat, std::vector<int>{0, 0, 0}}}) {
        const LoadResult result = loadGif(gif(spec));
        ASSERT_TRUE(result.picture);
        EXPECT_EQ(indicesOf(result.picture->dib), want);
        EXPECT_EQ(result.picture->transparentIndex, -1);
    }
}

TEST(PictureGif, PaletteWithATransparentIndex) {
    const Rgb black{0, 0, 0}, white{255, 255, 255};
    auto tableOf = [](const gdi::Dib& dib) {
        std::vector<Rgb> out;
        for (const auto& q : dib.colorTable) out.push_back(Rgb{q.red, q.green, q.blue});
        return out;
    };
    {
        // A short table: the transparent entry black, the rest of 256 white.
        GifSpec g;
        g.transparent = 1;
        const LoadResult r = loadGif(gif(g));
        ASSERT_TRUE(r.picture);
        EXPECT_EQ(r.picture->transparentIndex, 1);
        const auto t = tableOf(r.picture->dib);
        ASSERT_EQ(t.size(), 256u);
        EXPECT_EQ(t[0], (Rgb{10, 20, 30}));
        EXPECT_EQ(t[1], black);
        EXPECT_EQ(t[3], (Rgb{100, 110, 120}));
        for (std::size_t i = 4; i < 256; ++i) EXPECT_EQ(t[i], white) << i;
    }
    {
        // A full table without white: only the transparent entry changes, and
        // entry 255 becomes white.
        GifSpec g;
        g.table.clear();
        for (int i = 0; i < 256; ++i) g.table.push_back(Rgb{i, 255 - i, 7});
        g.minimumBits = 8;
        g.codes = {{256, 9}, {5, 9}, {6, 9}, {7, 9}, {8, 9}, {257, 9}};
        g.transparent = 6;
        const LoadResult r = loadGif(gif(g));
        ASSERT_TRUE(r.picture);
        EXPECT_EQ(indicesOf(r.picture->dib), (std::vector<int>{5, 6, 7, 8}));
        const auto t = tableOf(r.picture->dib);
        for (int i = 0; i < 255; ++i) EXPECT_EQ(t[i], i == 6 ? black : g.table[i]) << i;
        EXPECT_EQ(t[255], white);
    }
    {
        // The extension without its transparency flag gives no index and
        // leaves the table as it is.
        GifSpec g;
        g.transparent = 1;
        g.transparencyFlag = false;
        const LoadResult r = loadGif(gif(g));
        ASSERT_TRUE(r.picture);
        EXPECT_EQ(r.picture->transparentIndex, -1);
        EXPECT_EQ(tableOf(r.picture->dib)[1], (Rgb{40, 50, 60}));
    }
}

// --- BMP files built by hand -------------------------------------------------------

void put32(std::string& s, std::uint32_t v) {
    put16(s, static_cast<int>(v & 0xFFFF));
    put16(s, static_cast<int>(v >> 16));
}

struct BmpSpec {
    std::int32_t width = 4, height = 2;
    int bits = 4;
    std::uint32_t compression = 2;  // RLE4
    std::uint32_t coloursUsed = 0;
    int planes = 1;
    std::string pixels;
    std::int64_t pixelsAtShift = 0;  // added to the right offset
};

std::string bmp(const BmpSpec& b) {
    const std::size_t colours = b.bits <= 8 ? (b.coloursUsed ? b.coloursUsed : 1u << b.bits) : 0;
    const std::uint32_t pixelsAt =
        static_cast<std::uint32_t>(14 + 40 + colours * 4 + b.pixelsAtShift);
    std::string s = "BM";
    put32(s, static_cast<std::uint32_t>(pixelsAt + b.pixels.size()));
    put32(s, 0);
    put32(s, pixelsAt);
    put32(s, 40);
    put32(s, static_cast<std::uint32_t>(b.width));
    put32(s, static_cast<std::uint32_t>(b.height));
    put16(s, b.planes);
    put16(s, b.bits);
    put32(s, b.compression);
    put32(s, static_cast<std::uint32_t>(b.pixels.size()));
    put32(s, 0);
    put32(s, 0);
    put32(s, b.coloursUsed);
    put32(s, 0);
    for (std::size_t i = 0; i < colours; ++i) put32(s, static_cast<std::uint32_t>(i * 0x010101));
    s += b.pixels;
    return s;
}

TEST(PictureBmp, Rle4IsUnpacked) {
    // Bottom row: a run of 4 alternating 1 and 2; end of line. Top row: an
    // absolute run of 3 nibbles (3 4 5, two bytes), a run of one 6; end of
    // the bitmap.
    BmpSpec b;
    b.pixels = std::string("\x04\x12\x00\x00\x00\x03\x34\x50\x01\x60\x00\x01", 12);
    const LoadResult r = loadBmp(bmp(b));
    ASSERT_TRUE(r.picture) << static_cast<int>(r.error);
    EXPECT_EQ(r.picture->dib.bitsPerPixel, 4);
    EXPECT_EQ(indicesOf(r.picture->dib), (std::vector<int>{3, 4, 5, 6, 1, 2, 1, 2}));
}

// --- Damaged files -----------------------------------------------------------------

std::uint32_t crc32(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char ch : bytes) {
        crc ^= static_cast<unsigned char>(ch);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    return ~crc;
}

void putBigEndian(std::string& s, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        s[at + static_cast<std::size_t>(i)] = static_cast<char>(v >> (8 * (bytes - 1 - i)));
    }
}

// A PNG fixture with another width and height in its header (CRC mended).
std::string pngSized(std::uint32_t width, std::uint32_t height) {
    std::string s = fixture("png_rgb.png");
    putBigEndian(s, 16, width, 4);
    putBigEndian(s, 20, height, 4);
    putBigEndian(s, 29, crc32(std::string_view(s).substr(12, 17)), 4);
    return s;
}

// A JPEG fixture with another width and height in its frame header.
std::string jpegSized(int width, int height) {
    std::string s = fixture("jpeg_colour.jpg");
    const std::size_t sof = s.find("\xFF\xC0");
    putBigEndian(s, sof + 5, static_cast<std::uint32_t>(height), 2);
    putBigEndian(s, sof + 7, static_cast<std::uint32_t>(width), 2);
    return s;
}

std::string half(const std::string& s) { return s.substr(0, s.size() / 2); }

std::string bmpWith(std::size_t at, std::uint32_t value) {
    std::string s = fixture("bmp24.bmp");
    for (int i = 0; i < 4; ++i)
        s[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
    return s;
}

struct DamagedCase {
    const char* what;
    std::string bytes;
    PictureError error;
};

std::vector<DamagedCase> damagedCases() {
    GifSpec badCode;  // code 7 when the table has 6 entries
    badCode.codes = {{4, 3}, {0, 3}, {7, 3}, {5, 3}};
    GifSpec firstNotAColour;
    firstNotAColour.codes = {{4, 3}, {6, 3}, {5, 3}};
    GifSpec tooMany;  // three pixels for a picture of one
    tooMany.screenWidth = tooMany.screenHeight = tooMany.width = tooMany.height = 1;
    tooMany.codes = {{4, 3}, {0, 3}, {1, 3}, {2, 3}, {5, 3}};
    GifSpec tooFew;
    tooFew.codes = {{4, 3}, {0, 3}, {5, 3}};
    GifSpec outside;
    outside.left = 1;
    GifSpec below;
    below.top = 1;
    GifSpec zeroWidth;
    zeroWidth.width = 0;
    GifSpec smallCode, bigCode;
    smallCode.minimumBits = 1;
    bigCode.minimumBits = 9;
    GifSpec noTable;
    noTable.globalTable = false;
    GifSpec huge;
    huge.screenWidth = huge.screenHeight = huge.width = huge.height = 65535;
    GifSpec manyForItsBytes;  // 16 M pixels (under the limit) from a few bytes
    manyForItsBytes.screenWidth = manyForItsBytes.screenHeight = 4000;
    manyForItsBytes.width = manyForItsBytes.height = 4000;
    std::string lzwCutShort = gif(GifSpec{});
    lzwCutShort.resize(lzwCutShort.size() - 4);

    BmpSpec rleRunPastRow;  // 9 pixels in a stored row of 8 (4 bytes)
    rleRunPastRow.pixels = std::string("\x09\x12\x00\x01", 4);
    BmpSpec rleNoEnd;
    rleNoEnd.pixels = std::string("\x04\x12\x00\x00", 4);
    BmpSpec rleOnTopDown;
    rleOnTopDown.height = -2;
    rleOnTopDown.pixels = std::string("\x00\x01", 2);
    BmpSpec tooManyColours;
    tooManyColours.compression = 0;
    tooManyColours.coloursUsed = 17;
    tooManyColours.pixels = std::string(8, '\0');
    BmpSpec pixelsAfterEnd;
    pixelsAfterEnd.compression = 0;
    pixelsAfterEnd.pixels = std::string(8, '\0');
    pixelsAfterEnd.pixelsAtShift = 100;
    BmpSpec twoPlanes;
    twoPlanes.compression = 0;
    twoPlanes.planes = 2;
    twoPlanes.pixels = std::string(8, '\0');

    return {
        {"not a picture", "hello, world", PictureError::NotAPicture},
        {"empty file", "", PictureError::NotAPicture},
        {"BMP cut short", half(fixture("bmp24.bmp")), PictureError::Truncated},
        {"BMP header only", fixture("bmp24.bmp").substr(0, 20), PictureError::Truncated},
        {"BMP huge", bmpWith(22, 0x7FFFFFFF), PictureError::TooLarge},
        {"BMP wider than its data", bmpWith(18, 100000), PictureError::Truncated},
        {"BMP zero width", bmpWith(18, 0), PictureError::Damaged},
        {"BMP negative width", bmpWith(18, 0xFFFFFFF0u), PictureError::Damaged},
        {"BMP zero height", bmpWith(22, 0), PictureError::Damaged},
        {"BMP JPEG compression", bmpWith(30, 4), PictureError::Unsupported},
        {"BMP unknown compression", bmpWith(30, 9), PictureError::Unsupported},
        {"BMP RLE8 on 24 bits", bmpWith(30, 1), PictureError::Unsupported},
        {"BMP 7 bits", bmpWith(28, 7), PictureError::Unsupported},
        {"BMP header size 0", bmpWith(14, 0), PictureError::Damaged},
        {"BMP pixel offset in the header", bmpWith(10, 20), PictureError::Damaged},
        {"BMP pixel offset past the end", bmp(pixelsAfterEnd), PictureError::Truncated},
        {"BMP two planes", bmp(twoPlanes), PictureError::Damaged},
        {"BMP more colours than bits", bmp(tooManyColours), PictureError::Damaged},
        {"BMP RLE run past the row", bmp(rleRunPastRow), PictureError::Damaged},
        {"BMP RLE without its end", bmp(rleNoEnd), PictureError::Truncated},
        {"BMP RLE stored top down", bmp(rleOnTopDown), PictureError::Damaged},
        {"GIF cut short", half(fixture("gif_noise.gif")), PictureError::Truncated},
        {"GIF screen only", fixture("gif87a.gif").substr(0, 13), PictureError::Truncated},
        {"GIF LZW data cut short", lzwCutShort, PictureError::Truncated},
        {"GIF code beyond the table", gif(badCode), PictureError::Damaged},
        {"GIF first code not a colour", gif(firstNotAColour), PictureError::Damaged},
        {"GIF more pixels than the image", gif(tooMany), PictureError::Damaged},
        {"GIF fewer pixels than the image", gif(tooFew), PictureError::Damaged},
        {"GIF image right of the screen", gif(outside), PictureError::Damaged},
        {"GIF image below the screen", gif(below), PictureError::Damaged},
        {"GIF zero width", gif(zeroWidth), PictureError::Damaged},
        {"GIF code size 1", gif(smallCode), PictureError::Damaged},
        {"GIF code size 9", gif(bigCode), PictureError::Damaged},
        {"GIF without colour table", gif(noTable), PictureError::Damaged},
        {"GIF huge", gif(huge), PictureError::TooLarge},
        {"GIF many pixels for its bytes", gif(manyForItsBytes), PictureError::TooLarge},
        {"GIF trailer before any image", fixture("gif87a.gif").substr(0, 13 + 3 * 32) + ";",
         PictureError::Damaged},
        {"JPEG cut short", half(fixture("jpeg_colour.jpg")), PictureError::Truncated},
        {"JPEG huge", jpegSized(65000, 65000), PictureError::TooLarge},
        {"JPEG zero height", jpegSized(40, 0), PictureError::Damaged},
        {"JPEG header only", fixture("jpeg_grey.jpg").substr(0, 4), PictureError::Truncated},
        {"PNG cut short", half(fixture("png_rgb.png")), PictureError::Truncated},
        {"PNG huge", pngSized(100000, 100000), PictureError::TooLarge},
        {"PNG zero width", pngSized(0, 7), PictureError::Damaged},
        {"PNG larger than its data", pngSized(13, 7000), PictureError::TooLarge},
        {"PNG bad CRC",
         [] {
             std::string s = pngSized(13, 7);
             s[29] = static_cast<char>(s[29] ^ 1);
             return s;
         }(),
         PictureError::Damaged},
    };
}

using testing::SeenBoxes;

TEST(PictureDamaged, EachIsRefusedWithItsMessage) {
    const std::map<PictureError, std::string> texts = {
        {PictureError::NotAPicture, "Файл %s не является рисунком BMP, GIF, JPEG или PNG"},
        {PictureError::Truncated, "Файл рисунка %s обрезан"},
        {PictureError::Damaged, "Файл рисунка %s повреждён"},
        {PictureError::TooLarge, "Рисунок %s слишком велик"},
        {PictureError::Unsupported, "Вид сжатия или глубина цвета рисунка %s не поддерживается"},
    };
    for (const DamagedCase& c : damagedCases()) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(loadPictureBytes(c.bytes).error, c.error);
        SeenBoxes boxes;
        const std::string path = writeFile("damaged.pic", c.bytes);
        EXPECT_FALSE(loadPicture(path));
        const std::string& format = texts.at(c.error);
        const std::string want =
            format.substr(0, format.find("%s")) + path + format.substr(format.find("%s") + 2);
        EXPECT_EQ(boxes.warnings, std::vector<std::string>{want});
    }
}

TEST(PictureLimits, ThePixelLimitIsInclusive) {
    const std::string bytes = fixture("bmp24.bmp");  // 13 × 7 = 91 pixels
    EXPECT_TRUE(loadBmp(bytes, PictureLimits{91}).picture);
    EXPECT_EQ(loadBmp(bytes, PictureLimits{90}).error, PictureError::TooLarge);
    EXPECT_EQ(loadPng(fixture("png_rgb.png"), PictureLimits{90}).error, PictureError::TooLarge);
    EXPECT_EQ(loadJpeg(fixture("jpeg_grey.jpg"), PictureLimits{40 * 24 - 1}).error,
              PictureError::TooLarge);
    EXPECT_EQ(loadGif(fixture("gif87a.gif"), PictureLimits{90}).error, PictureError::TooLarge);
}

TEST(PictureFile, MissingAndOversizedFilesAreNotRead) {
    SeenBoxes boxes;
    EXPECT_FALSE(loadPicture("no-such-picture.bmp"));
    const std::string big = writeFile("big.bmp", fixture("bmp24.bmp"));
    std::filesystem::resize_file(big, kMaxPictureFileBytes + 1);  // sparse: nothing is written
    EXPECT_FALSE(loadPicture(big));
    EXPECT_EQ(boxes.warnings,
              (std::vector<std::string>{"Не удаётся прочитать файл рисунка no-such-picture.bmp",
                                        "Файл рисунка " + big + " больше 256 МБ"}));
    // A good file gives no warning, whatever its name says.
    const std::string named = writeFile("really-a-gif.bmp", fixture("gif87a.gif"));
    const auto picture = loadPicture(named);
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->dib.width, 13);
    EXPECT_EQ(boxes.warnings.size(), 2u);
}

}  // namespace
}  // namespace gridova::picture
