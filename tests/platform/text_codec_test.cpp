#include "platform/text_codec.h"

#include <gtest/gtest.h>

namespace gridova {
namespace {

TEST(TextCodec, Utf8Validity) {
    EXPECT_TRUE(isValidUtf8("plain"));
    EXPECT_TRUE(isValidUtf8("Скважина №5"));
    EXPECT_FALSE(isValidUtf8("\xD1"));                  // cut short
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));              // overlong
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));          // surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));      // above U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xD1\xEA\xE2\xE0\xE6"));  // "Скваж" in Windows-1251
}

TEST(TextCodec, Windows1251ToUtf8) {
    EXPECT_EQ(cp1251ToUtf8("\xD1\xEA\xE2\xE0\xE6\xE8\xED\xE0 \xB9"
                           "5"),
              "Скважина №5");
    EXPECT_EQ(cp1251ToUtf8("\xA8\xB8"), "Ёё");
    EXPECT_EQ(toUtf8("Ёж"), "Ёж");
    EXPECT_EQ(toUtf8("\xC5\xE6"), "Еж");
}

TEST(TextCodec, FoldCaseAndFirstCharacters) {
    EXPECT_EQ(foldCase("Input FORMAT"), "input format");
    EXPECT_EQ(foldCase("ЁЛКА Ёлка"), "ёлка ёлка");
    EXPECT_EQ(firstCharacters("Серия", 3), "Сер");
    EXPECT_EQ(firstCharacters("ab", 5), "ab");
}

}  // namespace
}  // namespace gridova
