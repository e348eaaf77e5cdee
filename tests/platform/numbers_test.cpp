#include "platform/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace gridova {
namespace {

struct NumberCase {
    const char* token;
    bool number;
    double value;
};

TEST(NumberTest, AcceptsTheNumberFormsAndReadsTheirValue) {
    const NumberCase cases[] = {
        {"0", true, 0.0},
        {"12", true, 12.0},
        {"-7", true, -7.0},
        {"+7", true, 7.0},
        {"3.25", true, 3.25},
        {".5", true, 0.5},
        {"5.", true, 5.0},
        {"-.5", true, -0.5},
        {"1.5e3", true, 1500.0},
        {"1.5E-2", true, 0.015},
        {"2e+3", true, 2000.0},
        // D and d pass the test, but the exponent is not applied.
        {"1.5D3", true, 1.5},
        {"1.5d3", true, 1.5},
        // An exponent letter without digits, or an exponent with a point.
        {"1e", true, 1.0},
        {"1e+", true, 1.0},
        {"1e2.5", true, 100.0},
        {"  42", true, 42.0},
        // Tokens without a mantissa digit are not numbers.
        {"-", false, 0},
        {".", false, 0},
        {"E", false, 0},
        {"+-", false, 0},
        {"e5", false, 0},
        {"-.e1", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        // Signs only before the digits of the mantissa or the exponent.
        {"--5", false, 0},
        {"+-5", false, 0},
        {"5-", false, 0},
        {"1e--2", false, 0},
        {".-5", false, 0},
        // Points and exponent letters.
        {"1.2.3", false, 0},
        {"1e2e3", false, 0},
        {"1e2.3.4", false, 0},
        {"1eD2", false, 0},
        // Other characters.
        {"12abc", false, 0},
        {"0x1A", false, 0},
        {"inf", false, 0},
        {"nan", false, 0},
        {"1,5", false, 0},
        {"W1", false, 0},
        // Overflow is refused; underflow reads as what the C library gives.
        {"1e999", false, 0},
        {"1e-400", true, 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.token);
        EXPECT_EQ(isNumber(c.token), c.number);
        const auto v = parseNumber(c.token);
        ASSERT_EQ(v.has_value(), c.number);
        if (c.number) {
            EXPECT_EQ(*v, c.value);
        }
    }
}

TEST(NumberTest, AgreesWithStrtodOnWhatItAccepts) {
    const char* tokens[] = {
        "1.7976931348623157e308",  "4.9e-324", "123456789012345678901234567890", "0.1", "-0.0",
        "2.2250738585072014e-308", "1e-310"};
    for (const char* t : tokens) {
        SCOPED_TRACE(t);
        const auto v = parseNumber(t);
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(*v, std::strtod(t, nullptr));
    }
    EXPECT_TRUE(std::signbit(*parseNumber("-0.0")));
}

struct IntegerCase {
    const char* token;
    bool integer;
    std::int32_t value;
};

TEST(IntegerTest, AcceptsOneLeadingMinusAndDigitsWithinRange) {
    const IntegerCase cases[] = {
        {"0", true, 0},
        {"12", true, 12},
        {"-7", true, -7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"-", false, 0},
        {"--5", false, 0},
        {"+5", false, 0},
        {"5-", false, 0},
        {"12abc", false, 0},
        {"1.0", false, 0},
        {"", false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.token);
        EXPECT_EQ(isInteger(c.token), c.integer);
        const auto v = parseInteger(c.token);
        ASSERT_EQ(v.has_value(), c.integer);
        if (c.integer) {
            EXPECT_EQ(*v, c.value);
        }
    }
    EXPECT_EQ(parseLong("4294967295"), 4294967295LL);
    EXPECT_FALSE(parseLong("99999999999999999999").has_value());
}

TEST(FormatDoubleTest, WritesTheShortestFormThatReadsBackExactly) {
    EXPECT_EQ(formatDouble(0.1), "0.1");
    EXPECT_EQ(formatDouble(-3.5), "-3.5");
    EXPECT_EQ(formatDouble(100.0), "100");
    EXPECT_EQ(formatDouble(1e20), "1e+20");
    EXPECT_EQ(formatDouble(1234567.1234567), "1234567.1234567");

    std::mt19937_64 random(12345);
    std::uniform_int_distribution<std::uint64_t> bits;
    for (int i = 0; i < 20000; ++i) {
        double v;
        const std::uint64_t b = bits(random);
        std::memcpy(&v, &b, sizeof v);
        if (!std::isfinite(v)) continue;
        const auto back = parseNumber(formatDouble(v));
        ASSERT_TRUE(back.has_value()) << formatDouble(v);
        ASSERT_EQ(*back, v) << formatDouble(v);
    }
}

}  // namespace
}  // namespace gridova
