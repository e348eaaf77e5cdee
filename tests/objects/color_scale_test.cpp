// The colour scale: value to colour, gradient, bands from isoline levels,
// the colour file, the "CS01" section and the profile.
#include "objects/color_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "data/line_source.h"
#include "platform/message_log.h"
#include "platform/profile.h"
#include "platform/recording_device.h"
#include "tests/common/sample_scales.h"
#include "tests/common/section_bytes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

using gdi::rgb;

using testing::fiveBands;
using testing::kBlue;
using testing::kBlueToRed5;
using testing::kRed;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// --- Colour of a value ----------------------------------------------------------------

TEST(ColorScaleMapping, DefaultScaleUsesThePaletteRampFrom16To255) {
    ColorScale s;
    s.setRange(0, 239);
    ASSERT_EQ(s.paletteMode, 1);
    struct Case {
        double value;
        int index;
        gdi::ColorRef color;  // the palette entry, from the ramp's formula
    };
    const Case cases[] = {
        {0, 16, rgb(64, 0, 190)},       {0.999, 16, rgb(64, 0, 190)},
        {1, 17, rgb(68, 0, 186)},       {238.5, 254, rgb(252, 248, 4)},
        {239, 255, rgb(252, 252, 0)},   {-5, 16, rgb(64, 0, 190)},  // below the range
        {1e300, 255, rgb(252, 252, 0)},                             // far above: held to the ramp
        {kNaN, 16, rgb(64, 0, 190)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(s.paletteIndexOf(c.value), c.index);
        EXPECT_EQ(s.colorOf(c.value), c.color);
        EXPECT_EQ(StandardPalette::color(c.index), c.color);
    }
}

TEST(ColorScaleMapping, PaletteIndexesStayOnTheRampForAnyCountAndRange) {
    // 1000 bands in palette mode would run past entry 255 into the fixed
    // colours 0..15; an empty or reversed range maps everything to 16.
    ColorScale many;
    ASSERT_TRUE(many.setCount(1000));
    many.setRange(0, 1000);
    many.paletteMode = 1;
    EXPECT_EQ(many.paletteIndexOf(999), 255);
    EXPECT_EQ(many.paletteIndexOf(0.5), 16);

    // Fewer bands than the ramp: a value above the range takes the top
    // band's neighbour 16 + Count, as the maximum itself does.
    ColorScale few;
    ASSERT_TRUE(few.setCount(10));
    few.setRange(0, 10);
    few.paletteMode = 1;
    EXPECT_EQ(few.paletteIndexOf(10), 26);
    EXPECT_EQ(few.paletteIndexOf(50), 26);
    EXPECT_EQ(few.paletteIndexOf(-3), 16);

    ColorScale flat;
    flat.setRange(5, 5);
    EXPECT_EQ(flat.step(), 0);
    for (double v : {-1.0, 5.0, 7.0}) EXPECT_EQ(flat.paletteIndexOf(v), 16) << v;

    ColorScale reversed;
    reversed.setRange(10, 0);
    EXPECT_EQ(reversed.paletteIndexOf(5), 16);
}

TEST(ColorScaleMapping, TableModeFindsTheBandOfAValue) {
    const ColorScale s = fiveBands();
    ASSERT_EQ(s.paletteMode, 0);
    struct Case {
        double value;
        int band;
    };
    const Case cases[] = {
        {-50, 0},  {0, 0},     {19.99, 0}, {20, 1},  // a boundary belongs to the band above it
        {59.9, 2}, {79.99, 3}, {80, 4},    {100, 4}, {1e9, 4}, {kNaN, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(s.colorOf(c.value), kBlueToRed5[static_cast<std::size_t>(c.band)]);
    }
}

// --- Count, gradient, range ---------------------------------------------------------

TEST(ColorScaleBands, CountOfTwoGivesExactlyTheEndColours) {
    ColorScale s;
    ASSERT_TRUE(s.setCount(2));
    EXPECT_EQ(s.colors()[0], rgb(255, 255, 0));
    EXPECT_EQ(s.colors()[1], rgb(255, 125, 0));
    EXPECT_EQ(s.paletteMode, 0);

    ASSERT_TRUE(s.setCount(1));  // one band: the first end colour
    EXPECT_EQ(s.colors()[0], rgb(255, 255, 0));

    s.setEndColors(kBlue, kRed);
    ASSERT_TRUE(s.setCount(5));
    EXPECT_EQ(std::vector<gdi::ColorRef>(s.colors().begin(), s.colors().begin() + 5), kBlueToRed5);
}

TEST(ColorScaleBands, CountsOutsideOneTo1256AreRefused) {
    struct Case {
        std::int32_t n;
        bool accepted;
    };
    const Case cases[] = {{0, false},    {-3, false},
                          {1257, false}, {1, true},
                          {1256, true},  {std::numeric_limits<std::int32_t>::min(), false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        ColorScale s;
        s.setRange(0, 10);
        const auto before = s.colors();
        EXPECT_EQ(s.setCount(c.n), c.accepted);
        const std::int32_t expected = c.accepted ? c.n : ColorScale::kDefaultCount;
        EXPECT_EQ(s.count(), expected);
        EXPECT_EQ(s.colors().size(), static_cast<std::size_t>(expected) + 1);
        EXPECT_EQ(s.boundaries().size(), static_cast<std::size_t>(expected) + 1);
        if (c.accepted) {
            EXPECT_EQ(s.step(), 10.0 / c.n);
        } else {
            EXPECT_EQ(s.colors(), before);
        }
    }
}

TEST(ColorScaleBands, FixedRangeIgnoresTheDataRange) {
    ColorScale s;
    ASSERT_TRUE(s.setCount(10));
    s.setRange(2, 12);
    EXPECT_EQ(s.min(), 2);
    EXPECT_EQ(s.max(), 12);
    EXPECT_EQ(s.step(), 1);
    EXPECT_EQ(s.dataMin, 2);
    EXPECT_EQ(s.maxValue, 12);

    s.setMinMax = 1;
    s.minValue = 0;
    s.maxValue = 100;
    s.setRange(-7, 7);
    EXPECT_EQ(s.min(), 0);
    EXPECT_EQ(s.max(), 100);
    EXPECT_EQ(s.step(), 10);
    EXPECT_EQ(s.dataMin, 2);  // not remembered while the range is fixed
    EXPECT_EQ(s.dataMax, 12);
}

TEST(ColorScaleBands, BuiltFromIsolineLevels) {
    struct Case {
        const char* name;
        std::vector<double> levels;
        double gridMin, gridMax;
        std::vector<double> boundaries;  // Count + 1 of them
    };
    const Case cases[] = {
        {"inside the grid range", {1, 2, 3}, 0, 5, {0, 1, 2, 3, 5}},
        {"levels beyond the grid range", {-1, 7}, 0, 5, {-1, -1, 7, 7}},
        {"no isolines: one band over the grid range", {}, 2, 8, {2, 8}},
        {"unsorted, with a NaN", {3, kNaN, 1}, 0, 5, {0, 1, 3, 5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ColorScale s;
        ASSERT_TRUE(s.setFromIsolineLevels(c.levels, c.gridMin, c.gridMax));
        EXPECT_EQ(s.count() + 1, static_cast<std::int32_t>(c.boundaries.size()));
        EXPECT_EQ(s.boundaries(), c.boundaries);
        EXPECT_EQ(s.colors().size(), c.boundaries.size());
        EXPECT_EQ(s.min(), c.boundaries.front());
        EXPECT_EQ(s.max(), c.boundaries.back());
        EXPECT_EQ(s.paletteMode, 0);
        EXPECT_EQ(s.colors()[0], s.minColor);
        EXPECT_EQ(s.colors()[static_cast<std::size_t>(s.count()) - 1],
                  s.count() > 1 ? s.maxColor : s.minColor);
    }
}

TEST(ColorScaleBands, MoreLevelsThanTheScaleHoldsAreRefused) {
    std::vector<double> levels(ColorScale::kMaxCount - 1);
    for (std::size_t i = 0; i < levels.size(); ++i) levels[i] = static_cast<double>(i);
    ColorScale s;
    ASSERT_TRUE(s.setFromIsolineLevels(levels, 0, 2000));  // 1256 bands: the most
    EXPECT_EQ(s.count(), ColorScale::kMaxCount);
    EXPECT_EQ(s.boundaries().back(), 2000);

    levels.push_back(1255);
    ColorScale t;
    t.setRange(0, 239);
    EXPECT_FALSE(t.setFromIsolineLevels(levels, 0, 2000));
    EXPECT_EQ(t.count(), ColorScale::kDefaultCount);
    EXPECT_EQ(t.paletteMode, 1);
    EXPECT_EQ(t.max(), 239);
}

TEST(ColorScaleBands, LevelsFileValuesBecomeTheBoundaries) {
    ColorScale s;
    s.setRange(0, 10);
    ASSERT_TRUE(s.setBoundariesFromValues({3, 1, 2}));
    EXPECT_EQ(s.count(), 3);
    EXPECT_EQ(s.boundaries(), (std::vector<double>{1, 2, 3, 10}));
    EXPECT_FALSE(s.setBoundariesFromValues({}));
    EXPECT_EQ(s.count(), 3);
}

TEST(ColorScaleLabels, FormatFollowsTheRangeAndClampedDigits) {
    struct Case {
        double lo, hi;
        std::int32_t digits;
        const char* format;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {0, 1, 2, "%.2lf", 0.5, "0.50"},
        {-0.000001, 0.000009, 2, "%.2lg", 0.0000012345, "1.2e-06"},
        {-0.00001, 0, 3, "%.3lf", -0.00001, "-0.000"},
        {0, 100, 25, "%.10lf", 1.0 / 3, "0.3333333333"},
        {0, 100, -4, "%.0lf", 2.5, "2"},
        // Values of 1e15 and beyond: six digits, not hundreds.
        {1e308, 1.5e308, 2, "%.6lg", 1.25e308, "1.25e+308"},
        {-1e15, 0, 2, "%.6lg", -123456789012345.0, "-1.23457e+14"},
        {0, 999999999999999.0, 2, "%.2lf", 0.5, "0.50"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        ColorScale s;
        s.setRange(c.lo, c.hi);
        s.digit = c.digits;
        EXPECT_EQ(s.labelFormat(), c.format);
        EXPECT_EQ(s.labelText(c.value), c.text);
    }
}

// --- Colour file ------------------------------------------------------------------------

TEST(ColorFile, WrittenInTheBarsOrderFromTheTop) {
    ColorScale s;
    ASSERT_TRUE(s.setCount(2));
    const std::string path = (testing::testDir() / "two.clr").string();
    ASSERT_TRUE(s.writeColorFile(path));
    // Maximum at the top: the maximum colour (255, 125, 0) = 0x007DFF first.
    EXPECT_EQ(testing::readFile(path), "ScaleColors:01\nColors Count:\n2\n32255\n65535\n");
    s.upDown = 1;
    ASSERT_TRUE(s.writeColorFile(path));
    EXPECT_EQ(testing::readFile(path), "ScaleColors:01\nColors Count:\n2\n65535\n32255\n");
}

TEST(ColorFile, WrittenUpsideDownReadsBackReversed) {
    ColorScale written = fiveBands();
    written.upDown = 0;
    const std::string path = (testing::testDir() / "five.clr").string();
    ASSERT_TRUE(written.writeColorFile(path));

    ColorScale flipped;
    flipped.upDown = 1;
    ASSERT_TRUE(flipped.readColorFile(path, ColorScale::kNewScale));
    ASSERT_EQ(flipped.count(), 5);
    EXPECT_EQ(flipped.paletteMode, 0);
    ColorScale same;
    ASSERT_TRUE(same.readColorFile(path, ColorScale::kNewScale));
    for (std::size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(flipped.colors()[i], kBlueToRed5[4 - i]) << i;
        EXPECT_EQ(same.colors()[i], kBlueToRed5[i]) << i;
    }
    // The new scale's boundaries are equal steps over its range.
    EXPECT_EQ(flipped.boundaries().size(), 6u);
}

TEST(ColorFile, ColoursGoFromThePositionInTheBarsOrder) {
    constexpr gdi::ColorRef S = 77;  // what was there before
    struct Case {
        std::int32_t upDown;
        int position;
        std::vector<gdi::ColorRef> expected;
    };
    const Case cases[] = {
        {1, 0, {1, 2, S, S}},  {1, 2, {S, S, 1, 2}},
        {1, 3, {S, S, S, 1}},  {1, 4, {S, S, S, S}},
        {0, 0, {S, S, 2, 1}},  {0, 1, {S, 2, 1, S}},
        {1, -2, {S, S, S, S}}, {1, std::numeric_limits<int>::min(), {S, S, S, S}},
    };
    const std::string path =
        testing::writeFile("two.clr", "ScaleColors:01\nColors Count:\n2\n1\n2\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.upDown) + " " + std::to_string(c.position));
        ColorScale s;
        ASSERT_TRUE(s.setCount(4));
        for (int i = 0; i <= 4; ++i) s.setColor(i, S);
        s.upDown = c.upDown;
        EXPECT_TRUE(s.readColorFile(path, c.position));
        EXPECT_EQ(std::vector<gdi::ColorRef>(s.colors().begin(), s.colors().begin() + 4),
                  c.expected);
    }
}

TEST(ColorFile, MissingLinesAreBlackAndColoursAreMaskedTo24Bits) {
    TextLineSource lines("ScaleColors:01\nColors Count:\n3\n  16777217 trailing words\n");
    ColorScale s;
    s.upDown = 1;
    ASSERT_TRUE(s.readColors(lines, ColorScale::kNewScale));
    ASSERT_EQ(s.count(), 3);
    EXPECT_EQ(s.colors()[0], 1u);
    EXPECT_EQ(s.colors()[1], 0u);
    EXPECT_EQ(s.colors()[2], 0u);
}

TEST(ColorFile, BadFilesAreRefusedWithMessage217) {
    struct Case {
        const char* name;
        const char* text;
    };
    const Case cases[] = {
        {"empty", ""},
        {"wrong tag", "ScaleColors:02\nColors Count:\n2\n1\n2\n"},
        {"no count", "ScaleColors:01\nColors Count:\n"},
        {"count not a number", "ScaleColors:01\nColors Count:\nmany\n1\n"},
        {"count 0", "ScaleColors:01\nColors Count:\n0\n"},
        {"negative count", "ScaleColors:01\nColors Count:\n-3\n1\n"},
        {"more colours than a scale holds", "ScaleColors:01\nColors Count:\n1257\n1\n"},
        {"count beyond 64 bits", "ScaleColors:01\nColors Count:\n99999999999999999999\n1\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        TextLineSource lines(c.text);
        ColorScale s;
        s.setRange(0, 239);
        EXPECT_FALSE(s.readColors(lines, ColorScale::kNewScale));
        EXPECT_EQ(lastLogged(), "Файл не имеет определенный формат!");
        EXPECT_EQ(s.count(), ColorScale::kDefaultCount);
        EXPECT_EQ(s.paletteMode, 1);
    }
}

TEST(ColorFile, AnUnreadableLineStopsTheReadKeepingTheColoursBeforeIt) {
    TextLineSource lines("ScaleColors:01\nColors Count:\n3\n12\nxyz\n13\n");
    ColorScale s;
    s.upDown = 1;
    EXPECT_FALSE(s.readColors(lines, ColorScale::kNewScale));
    EXPECT_EQ(lastLogged(), "Файл не имеет определенный формат!");
    EXPECT_EQ(s.count(), 3);
    EXPECT_EQ(s.colors()[0], 12u);
    // The rest is the new scale's gradient: half way, green trunc(255 - 65).
    EXPECT_EQ(s.colors()[1], rgb(255, 190, 0));
    EXPECT_EQ(s.colors()[2], rgb(255, 125, 0));
}

TEST(ColorFile, MissingFileGivesMessage202) {
    ColorScale s;
    const std::string path = (testing::testDir() / "none.clr").string();
    EXPECT_FALSE(s.readColorFile(path, 0));
    EXPECT_EQ(lastLogged(), "Нельзя открыть файл " + path + " для считывания");
}

// --- "CS01" section ---------------------------------------------------------------------

std::string sectionBytes(const ColorScale& s) {
    return testing::writtenBytes([&](BinaryWriter& out) { s.writeSection(out); });
}

// Reads a section from bytes; the reader's state is given back.
struct ReadResult {
    bool ok = false;
    bool readerFailed = false;
    std::uint64_t left = 0;
};

ReadResult readFrom(ColorScale& s, const std::string& bytes) {
    const std::string path = testing::writeFile("in.bin", bytes);
    std::FILE* f = std::fopen(path.c_str(), "rb");
    BinaryReader reader(f);
    ReadResult r;
    r.ok = s.readSection(reader);
    r.readerFailed = reader.failed();
    r.left = reader.remaining();
    std::fclose(f);
    return r;
}

void putWordAt(std::string& bytes, std::size_t at, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((u >> (8 * i)) & 0xFFu);
}

std::int32_t wordAt(const std::string& bytes, std::size_t at) {
    std::uint32_t u = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        u |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
    }
    return static_cast<std::int32_t>(u);
}

// A scale unlike the default in every member the section carries, its bar
// layout and rectangle included.
ColorScale sampleScale() {
    ColorScale s;
    s.setEndColors(rgb(10, 20, 30), rgb(200, 100, 50));
    EXPECT_TRUE(s.setFromIsolineLevels({1.5, 2.25, 7}, -3.1, 9.7));
    s.setColor(2, rgb(1, 2, 3));
    s.upDown = 1;
    s.location = 0;
    s.visible = 1;
    s.paletteSize = 200;
    s.font = gdi::LogFont::pointFont("DejaVu Sans", 90);
    s.font.weight = 700;
    s.width = 61;
    s.barHeight = 140;
    s.labelHeight = 16;
    s.top = 80;
    s.left = 17;
    s.gap = 3;
    s.barRect = DRect(0.25, -1.5, 12.75, 30.125);
    return s;
}

// Offsets in the section: the record's length word, the tag (two words and
// "CS01"), then PaletteSize and Count.
constexpr std::size_t kCountOffset = 4 + 12 + 4;

TEST(ColorScaleSection, WriteReadWriteGivesIdenticalBytes) {
    const ColorScale s = sampleScale();
    const std::string first = sectionBytes(s);
    ColorScale back;
    const ReadResult r = readFrom(back, first);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.left, 0u);
    EXPECT_EQ(sectionBytes(back), first);
    EXPECT_EQ(back.count(), 4);
    EXPECT_EQ(back.boundaries(), (std::vector<double>{-3.1, 1.5, 2.25, 7, 9.7}));
    EXPECT_EQ(back.colors(), s.colors());
    EXPECT_EQ(back.font, s.font);
    EXPECT_EQ(back.barRect, s.barRect);
    EXPECT_EQ(back.left, 17);
    EXPECT_EQ(back.step(), s.step());
    EXPECT_EQ(wordAt(first, kCountOffset), 4);
}

TEST(ColorScaleSection, WrongTagIsRefusedAndTheScaleKept) {
    std::string bytes = sectionBytes(sampleScale());
    bytes[12 + 3] = '2';  // "CS02"
    ColorScale s;
    const std::string before = sectionBytes(s);
    const ReadResult r = readFrom(s, bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.readerFailed);  // the next record can still be read
    EXPECT_EQ(lastLogged(), "Invalid format.");
    EXPECT_EQ(sectionBytes(s), before);
}

TEST(ColorScaleSection, CountsThatDisagreeWithTheTablesAreRefused) {
    const std::string good = sectionBytes(sampleScale());
    const std::size_t recordEnd = 4 + static_cast<std::size_t>(wordAt(good, 0));
    // The font: five words, eight bytes, then "DejaVu Sans" as a direct text.
    const std::size_t colorsAt = recordEnd + 20 + 8 + 4 + 11;
    ASSERT_EQ(wordAt(good, colorsAt), 5);
    const std::size_t boundsAt = colorsAt + 4 + 5 * 4;
    ASSERT_EQ(wordAt(good, boundsAt), 5);
    struct Case {
        const char* name;
        std::size_t at;
        std::int32_t value;
    };
    const Case cases[] = {
        {"count 0", kCountOffset, 0},
        {"negative count", kCountOffset, -7},
        {"count above 1256", kCountOffset, 1257},
        {"count smaller than the tables", kCountOffset, 3},
        {"count larger than the tables", kCountOffset, 5},
        {"colour table of another length", colorsAt, 4},
        {"colour table longer than the file", colorsAt, 0x7FFFFFFF},
        {"negative colour table length", colorsAt, -1},
        {"boundary table of another length", boundsAt, 6},
        {"boundary table longer than the file", boundsAt, 0x40000000},
    };
    // A colour table one entry short that is otherwise whole: the file stays
    // in step, only the lengths disagree.
    std::string shortTable = good;
    putWordAt(shortTable, colorsAt, 4);
    shortTable.erase(colorsAt + 4, 4);
    // And both tables short, with a count that is also one less.
    std::string allShort = shortTable;
    putWordAt(allShort, boundsAt - 4, 4);
    allShort.erase(boundsAt - 4 + 4, 8);
    putWordAt(allShort, kCountOffset, 3);
    struct Spliced {
        const char* name;
        std::string bytes;
        bool ok;
    };
    const Spliced spliced[] = {{"colour table one entry short", shortTable, false},
                               {"count and tables one less", allShort, true}};
    for (const Spliced& c : spliced) {
        SCOPED_TRACE(c.name);
        ColorScale s;
        const ReadResult r = readFrom(s, c.bytes);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.readerFailed, !c.ok);
        EXPECT_EQ(s.count(), c.ok ? 3 : ColorScale::kDefaultCount);
    }

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        putWordAt(bytes, c.at, c.value);
        ColorScale s;
        const std::string before = sectionBytes(s);
        messageLog().reset();
        const ReadResult r = readFrom(s, bytes);
        EXPECT_FALSE(r.ok);
        EXPECT_TRUE(r.readerFailed);
        EXPECT_EQ(lastLogged(), "Invalid format.");
        EXPECT_EQ(sectionBytes(s), before);
    }
}

TEST(ColorScaleSection, TruncatedAndDamagedSectionsNeverCrash) {
    const std::string good = sectionBytes(sampleScale());
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        ColorScale s;
        EXPECT_FALSE(readFrom(s, good.substr(0, cut)).ok) << cut;
        EXPECT_EQ(s.count(), ColorScale::kDefaultCount) << cut;
    }
    // Whatever a damaged byte makes of the section, the tables match the
    // count, and the scale can map values.
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (char damage : {'\xFF', '\x80', '\x7F'}) {
            std::string bytes = good;
            bytes[at] = damage;
            ColorScale s;
            readFrom(s, bytes);
            ASSERT_GE(s.count(), 1) << at;
            ASSERT_LE(s.count(), ColorScale::kMaxCount) << at;
            ASSERT_EQ(s.colors().size(), static_cast<std::size_t>(s.count()) + 1) << at;
            ASSERT_EQ(s.boundaries().size(), static_cast<std::size_t>(s.count()) + 1) << at;
            s.colorOf(1.0);
        }
    }
}

// --- Profile -------------------------------------------------------------------------------

TEST(ColorScaleProfile, RoundTripKeepsEveryValueExactly) {
    ColorScale s;
    s.minColor = rgb(1, 2, 3);
    s.maxColor = rgb(250, 251, 252);
    s.digit = 7;
    s.location = 0;
    s.upDown = 1;
    s.setMinMax = 1;
    s.frUp = 0.1 + 0.2;  // 0.30000000000000004
    s.frDown = 1.0 / 3;
    s.minValue = -1e-7 / 3;
    s.maxValue = 123456.789012345678;
    s.font = gdi::LogFont::pointFont("DejaVu Sans", 110);
    s.writeProfile();

    std::string text;
    ASSERT_EQ(readProfileText("Color Scale", "FrUp", text), 0);
    EXPECT_EQ(text, "0.30000000000000004");

    ColorScale back;
    back.readProfile();
    EXPECT_EQ(back.minColor, s.minColor);
    EXPECT_EQ(back.maxColor, s.maxColor);
    EXPECT_EQ(back.digit, 7);
    EXPECT_EQ(back.location, 0);
    EXPECT_EQ(back.upDown, 1);
    EXPECT_EQ(back.setMinMax, 1);
    EXPECT_EQ(back.frUp, s.frUp);
    EXPECT_EQ(back.frDown, s.frDown);
    EXPECT_EQ(back.minValue, s.minValue);
    EXPECT_EQ(back.maxValue, s.maxValue);
    EXPECT_EQ(back.font, s.font);
}

TEST(ColorScaleProfile, MissingOrBadKeysKeepTheDefaults) {
    const ColorScale defaults;
    struct Case {
        const char* key;
        const char* value;  // nullptr: the key is missing
        std::int32_t digit;
        double frUp;
        gdi::ColorRef minColor;
    };
    const double up = ColorScale::kDefaultFreeFraction;
    const gdi::ColorRef low = defaults.minColor;
    const Case cases[] = {
        {"Digit", nullptr, 2, up, low},
        {"Digit", "abc", 2, up, low},
        {"Digit", "25", 10, up, low},  // clamped to what a format can take
        {"Digit", "-4", 0, up, low},
        {"FrUp", "", 2, up, low},
        {"FrUp", "x", 2, up, low},
        {"FrUp", "1.5", 2, up, low},
        {"FrUp", "0.5", 2, 0.5, low},
        {"Min Color", "-1", 2, up, low},
        {"Min Color", "16777216", 2, up, low},
        {"Min Color", "255", 2, up, rgb(255, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + (c.value ? c.value : "(missing)"));
        removeProfileSection("Color Scale");
        if (c.value != nullptr) writeProfileText("Color Scale", c.key, c.value);
        ColorScale s;
        s.readProfile();
        EXPECT_EQ(s.digit, c.digit);
        EXPECT_EQ(s.frUp, c.frUp);
        EXPECT_EQ(s.minColor, c.minColor);
        EXPECT_EQ(s.frDown, defaults.frDown);
        EXPECT_EQ(s.location, defaults.location);
        EXPECT_EQ(s.font, defaults.font);
    }
}

}  // namespace
}  // namespace gridova
