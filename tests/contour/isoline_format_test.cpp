// The isoline format in the profile section "Isoline Format" and as the
// text block "IzolineFormat:03" with its older layouts.
#include <gtest/gtest.h>

#include <string>

#include "contour/isoline_format.h"
#include "data/line_source.h"
#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::timesLogged;

constexpr const char* kNotIsolineFormat = "Файл не имеет определенный формат изолиний!";

// Every member away from its default.
IsolineFormat unusualFormat() {
    IsolineFormat f;
    f.show = 0;
    f.badgetShow = 0;
    f.colorLine = gdi::rgb(10, 20, 30);
    f.widthLine = 3;
    f.initSpacing = 35;
    f.spacing = 400;
    f.decimalDigit = 4;
    f.colorText = gdi::rgb(200, 0, 0);
    f.colorLabelLine = gdi::rgb(1, 2, 3);
    f.colorLabelPattern = gdi::rgb(4, 5, 6);
    f.orient = LabelOrient::Ascending;
    f.penStyle = 3;
    f.font = gdi::LogFont::pointFont("DejaVu Serif", 110);
    f.font.weight = 700;
    return f;
}

TEST(IsolineFormat, DefaultsAreTheDocumentedOnes) {
    const IsolineFormat f;
    EXPECT_EQ(f.show, 1);
    EXPECT_EQ(f.badgetShow, 1);
    EXPECT_EQ(f.initSpacing, 20);
    EXPECT_EQ(f.spacing, 250);
    EXPECT_EQ(f.decimalDigit, 2);
    EXPECT_EQ(f.colorLabelLine, 0xF0F0DDu);  // red 221, green 240, blue 240
    EXPECT_EQ(f.colorLabelPattern, 0xF0F0DDu);
    EXPECT_EQ(f.font.faceName, "Arial");
    EXPECT_EQ(f.font.height, -8);  // 6 pt at 96 dpi
    EXPECT_EQ(f.font.charSet, 204);
}

TEST(IsolineFormatProfile, RoundTrips) {
    const IsolineFormat written = unusualFormat();
    written.writeProfile();
    IsolineFormat read;
    read.readProfile();
    EXPECT_EQ(read, written);
}

TEST(IsolineFormatProfile, BadKeysKeepTheDefaults) {
    struct Case {
        const char* line;
        std::function<bool(const IsolineFormat&)> check;
    };
    const IsolineFormat d;
    const Case cases[] = {
        {"ColorLine=abc", [&](const IsolineFormat& f) { return f.colorLine == d.colorLine; }},
        {"ColorLine=16777216", [&](const IsolineFormat& f) { return f.colorLine == d.colorLine; }},
        {"ColorText=-5", [&](const IsolineFormat& f) { return f.colorText == d.colorText; }},
        {"PenStyle=9", [&](const IsolineFormat& f) { return f.penStyle == d.penStyle; }},
        {"Orient=3", [&](const IsolineFormat& f) { return f.orient == d.orient; }},
        {"Orient=-1", [&](const IsolineFormat& f) { return f.orient == d.orient; }},
        {"WidthLine=-2", [&](const IsolineFormat& f) { return f.widthLine == d.widthLine; }},
        {"Spacing=12px", [&](const IsolineFormat& f) { return f.spacing == d.spacing; }},
        {"InitSpacing=", [&](const IsolineFormat& f) { return f.initSpacing == d.initSpacing; }},
        {"Show=yes", [&](const IsolineFormat& f) { return f.show == 1; }},
        {"CharSet=300", [&](const IsolineFormat& f) { return f.font.charSet == 204; }},
        // Digit counts are held to 0..10.
        {"DecimalDigit=15", [](const IsolineFormat& f) { return f.decimalDigit == 10; }},
        {"DecimalDigit=-3", [](const IsolineFormat& f) { return f.decimalDigit == 0; }},
        {"DecimalDigit=2.5", [](const IsolineFormat& f) { return f.decimalDigit == 2; }},
        // Good values next to bad ones are taken.
        {"Orient=2", [](const IsolineFormat& f) { return f.orient == LabelOrient::Descending; }},
        {"BadgetShow=0", [](const IsolineFormat& f) { return f.badgetShow == 0; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        testing::writeFile("profile.ini", std::string("[Isoline Format]\n") + c.line + "\n");
        IsolineFormat f;
        f.readProfile();
        EXPECT_TRUE(c.check(f));
    }
}

// --- Text block ---------------------------------------------------------------------------------

std::string textOf(const IsolineFormat& f) {
    const std::string path = (testing::testDir() / "format.txt").string();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_TRUE(f.writeText(file));
    std::fclose(file);
    return testing::readFile(path);
}

TEST(IsolineFormatText, LayoutAndRoundTrip) {
    const IsolineFormat f = unusualFormat();
    const std::string text = textOf(f);
    // ColorLine, WidthLine, Spacing, InitSpacing, DecimalDigit, ColorText,
    // ColorLabelLine, ColorLabelPattern, Orient, BadgetShow, then the font.
    EXPECT_EQ(text,
              "IzolineFormat:03\n1971210\n3\n400\n35\n4\n200\n197121\n394500\n1\n0\n"
              "LOGFONT:00\n-15\n0\n0\n0\n700\n0\n0\n0\n204\n0\n0\n0\n0\nDejaVu Serif\n");
    TextLineSource lines(text);
    IsolineFormat back;
    ASSERT_TRUE(back.readText(lines));
    // Show and PenStyle are not in the block.
    IsolineFormat expected = f;
    expected.show = IsolineFormat().show;
    expected.penStyle = IsolineFormat().penStyle;
    EXPECT_EQ(back, expected);
}

// The numbers of each older layout, then the font.
std::string block(const char* tag, const char* numbers) {
    return std::string(tag) + "\n" + numbers +
           "LOGFONT:00\n-11\n0\n0\n0\n400\n0\n0\n0\n204\n0\n0\n0\n0\nLiberation Sans\n";
}

TEST(IsolineFormatText, OlderLayoutsKeepWhatTheyDoNotHold) {
    const IsolineFormat before = unusualFormat();
    const char* const six = "255\n1\n100\n10\n1\n65280\n";
    struct Case {
        std::string text;
        int numbers;  // how many of the ten members the layout holds
    };
    const Case cases[] = {
        {block("IzolineFormat:00", six), 6},
        {block("IzolineFormat:01", "255\n1\n100\n10\n1\n65280\n7\n8\n"), 8},
        {block("IzolineFormat:02", "255\n1\n100\n10\n1\n65280\n7\n8\n2\n"), 9},
        {block("IzolineFormat:03", "255\n1\n100\n10\n1\n65280\n7\n8\n2\n1\n"), 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.numbers);
        TextLineSource lines(c.text);
        IsolineFormat f = before;
        ASSERT_TRUE(f.readText(lines));
        EXPECT_EQ(f.colorLine, 255u);
        EXPECT_EQ(f.widthLine, 1);
        EXPECT_EQ(f.spacing, 100);
        EXPECT_EQ(f.initSpacing, 10);
        EXPECT_EQ(f.decimalDigit, 1);
        EXPECT_EQ(f.colorText, 65280u);
        EXPECT_EQ(f.colorLabelLine, c.numbers >= 8 ? 7u : before.colorLabelLine);
        EXPECT_EQ(f.colorLabelPattern, c.numbers >= 8 ? 8u : before.colorLabelPattern);
        EXPECT_EQ(f.orient, c.numbers >= 9 ? LabelOrient::Descending : before.orient);
        EXPECT_EQ(f.badgetShow, c.numbers >= 10 ? 1 : before.badgetShow);
        EXPECT_EQ(f.font.faceName, "Liberation Sans");
        EXPECT_EQ(f.show, before.show);
        EXPECT_EQ(f.penStyle, before.penStyle);
    }
}

TEST(IsolineFormatText, BadBlocksAreRefusedAndChangeNothing) {
    testing::StderrCapture quiet;
    const char* const ten = "255\n1\n100\n10\n1\n65280\n7\n8\n2\n1\n";
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"a newer layout", block("IzolineFormat:04", ten), kNotIsolineFormat},
        {"another file", block("ScaleColors:01", ten), kNotIsolineFormat},
        {"empty", "", kNotIsolineFormat},
        {"a number that is not one",
         block("IzolineFormat:03", "255\n1\nwide\n10\n1\n0\n7\n8\n2\n1\n"), kNotIsolineFormat},
        {"the text ends early", "IzolineFormat:03\n255\n1\n", kNotIsolineFormat},
        {"a colour beyond 32 bits", block("IzolineFormat:00", "99999999999\n1\n1\n1\n1\n1\n"),
         kNotIsolineFormat},
        {"the font's tag", "IzolineFormat:03\n" + std::string(ten) + "LOGFONT:01\n",
         "Файл не имеет определенный формат LOGFONT!"},
        {"the font ends early", "IzolineFormat:03\n" + std::string(ten) + "LOGFONT:00\n-11\n",
         "Invalid format."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        TextLineSource lines(c.text);
        IsolineFormat f = unusualFormat();
        EXPECT_FALSE(f.readText(lines));
        EXPECT_EQ(f, unusualFormat());
        EXPECT_EQ(timesLogged(c.message), 1u);
        EXPECT_EQ(messageLog().lines().size(), 1u);
    }
}

TEST(IsolineFormatText, DigitCountsAreHeldToTen) {
    for (const auto& [line, digits] :
         {std::pair{"25", 10}, std::pair{"-3", 0}, std::pair{"7", 7}}) {
        SCOPED_TRACE(line);
        const std::string text =
            block("IzolineFormat:00", (std::string("0\n0\n250\n20\n") + line + "\n0\n").c_str());
        TextLineSource lines(text);
        IsolineFormat f;
        ASSERT_TRUE(f.readText(lines));
        EXPECT_EQ(f.decimalDigit, digits);
    }
}

TEST(LevelText, FixedNotationWithTheDigitCount) {
    struct Case {
        double value;
        std::int32_t digits;
        const char* text;
    };
    const Case cases[] = {
        {5, 2, "5.00"},
        {-0.125, 2, "-0.12"},
        {1234.5, 0, "1234"},
        {1.0 / 3, 10, "0.3333333333"},
        {2, 99, "2.0000000000"},
        {2, -4, "2"},
        {1e20, 1, "100000000000000000000.0"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(levelText(c.value, c.digits), c.text) << c.value << " " << c.digits;
    }
}

}  // namespace
}  // namespace gridova
