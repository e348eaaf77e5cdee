#include "data/tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace gridova {
namespace {

std::vector<std::string> tokens(std::string_view line) {
    std::vector<std::string> out;
    Tokenizer t(line);
    while (t.hasNext()) out.emplace_back(t.next());
    return out;
}

using Tokens = std::vector<std::string>;

TEST(Tokenizer, EverySeparatorFormGivesTheSameTokens) {
    const char* lines[] = {"1;2;3",     "1,2,3",   "1 2 3",   "1\t2\t3",   "1 , 2 , 3", "1  2   3",
                           "  1 2 3  ", "1, 2, 3", "1 ;2; 3", "1\t 2 \t3", "1 \t2\t3",  "1\r2\r3"};
    for (const char* line : lines) {
        SCOPED_TRACE(line);
        EXPECT_EQ(tokens(line), (Tokens{"1", "2", "3"}));
    }
}

TEST(Tokenizer, EmptyTokensAndLineEnds) {
    EXPECT_EQ(tokens("1,,3"), (Tokens{"1", "", "3"}));
    EXPECT_EQ(tokens("1,2,"), (Tokens{"1", "2"}));
    EXPECT_EQ(tokens(",1"), (Tokens{"", "1"}));
    EXPECT_EQ(tokens("   "), (Tokens{""}));
    EXPECT_EQ(tokens(""), Tokens{});
}

TEST(Tokenizer, QuotedNames) {
    EXPECT_EQ(tokens("\"Well 12 north\" 1 2"), (Tokens{"Well 12 north", "1", "2"}));
    // A comma after the closing quote is the separator, not an empty cell.
    EXPECT_EQ(tokens("\"Well A\", 10, 20"), (Tokens{"Well A", "10", "20"}));
    EXPECT_EQ(tokens("\"Well A\" , 10"), (Tokens{"Well A", "10"}));
    EXPECT_EQ(tokens("10, 20, \"a;b,c\""), (Tokens{"10", "20", "a;b,c"}));
    // A quote ended by a TAB, or by the end of the line.
    EXPECT_EQ(tokens("\"open\t5"), (Tokens{"open", "5"}));
    EXPECT_EQ(tokens("5 \"open"), (Tokens{"5", "open"}));
}

TEST(Tokenizer, CoordinateFormSkipsOneLeadingSeparator) {
    Tokenizer t("P1,,100");
    std::vector<std::string> out;
    while (t.hasNext()) {
        t.skipOneLeadingSeparator();
        if (!t.hasNext()) break;
        out.emplace_back(t.next());
    }
    EXPECT_EQ(out, (Tokens{"P1", "100"}));
}

}  // namespace
}  // namespace gridova
