#include "data/font_block.h"

#include <gtest/gtest.h>

#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

TEST(FontBlock, TextFormRoundTripWithABlankInTheFaceName) {
    gdi::LogFont font = gdi::LogFont::pointFont("Times New Roman", 100);
    font.escapement = 450;
    font.weight = 700;
    font.italic = 1;
    const std::string path = (testing::testDir() / "font.txt").string();
    std::FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(writeLogFontText(f, font));
    std::fclose(f);
    EXPECT_EQ(testing::readFile(path),
              "LOGFONT:00\n-13\n0\n450\n0\n700\n1\n0\n0\n204\n0\n0\n0\n0\nTimes New Roman\n");

    const std::string written = testing::readFile(path);
    TextLineSource lines(written);
    gdi::LogFont back;
    ASSERT_TRUE(readLogFontText(lines, back));
    EXPECT_EQ(back, font);
}

TEST(FontBlock, WrongTagOrBadNumbersLeaveTheFont) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"LOGFONT:01\n-8\n", "Файл не имеет определенный формат LOGFONT!"},
        {"", "Файл не имеет определенный формат LOGFONT!"},
        {"LOGFONT:00\n-8\nx\n", "Invalid format."},
        {"LOGFONT:00\n-8\n0\n0\n0\n400\n0\n0\n0\n300\n0\n0\n0\n0\nArial\n", "Invalid format."},
        {"LOGFONT:00\n-8\n0\n0\n0\n400\n0\n0\n0\n204\n0\n0\n0\n0\n", "Invalid format."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        TextLineSource lines(c.text);
        gdi::LogFont font;
        font.faceName = "Kept";
        EXPECT_FALSE(readLogFontText(lines, font));
        EXPECT_EQ(font.faceName, "Kept");
        EXPECT_EQ(messageLog().lines().back(), c.message);
    }
}

TEST(FontBlock, ProfileFormKeepsMembersThatDoNotRead) {
    gdi::LogFont font = gdi::LogFont::pointFont("Arial", 80);
    font.underline = 1;
    writeLogFontProfile("Axe X top", font);
    gdi::LogFont back;
    readLogFontProfile("Axe X top", back);
    EXPECT_EQ(back, font);

    testing::writeFile("profile.ini", "[T]\nHeight=-20\nItalic=999\nFaceName=Liberation Serif\n");
    gdi::LogFont partial;
    readLogFontProfile("T", partial);
    EXPECT_EQ(partial.height, -20);
    EXPECT_EQ(partial.italic, 0);  // out of a byte's range: kept
    EXPECT_EQ(partial.faceName, "Liberation Serif");
    EXPECT_EQ(partial.weight, 400);
}

}  // namespace
}  // namespace gridova
