// Number and integer tests shared by every text reader (data files, profile
// values, language files, dialogs), and the number form we write.
//
// A token is a number when, after leading spaces, it is
//     [sign] mantissa [letter [sign] exponent]
// where the mantissa holds digits and at most one point and at least one
// digit, the letter is one of E e D d, and the exponent holds digits and at
// most one point. Its value is what the C library's decimal conversion reads
// from it: an exponent written with D or d is therefore not applied, and an
// exponent is read up to its point ("1e2.5" is 100). A token whose value
// overflows a double is not a number.
//
// An integer is [-] digits, without overflow of 32 bits.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace gridova {

// True when the token passes the number test.
bool isNumber(std::string_view token);

// The value of a token that passes the number test; nothing otherwise.
std::optional<double> parseNumber(std::string_view token);

// True when the token passes the integer test (32-bit range).
bool isInteger(std::string_view token);

// The value of an integer token; nothing when the test fails.
std::optional<std::int32_t> parseInteger(std::string_view token);

// The same test for 64-bit integers (colour values and other long settings).
std::optional<std::int64_t> parseLong(std::string_view token);

// The shortest decimal form of v that reads back as exactly v
// ("0.1", "1e+20", "-3.5"). Infinities and NaN give "inf", "-inf", "nan".
std::string formatDouble(double v);

// Appends formatDouble(v) to out without a temporary string.
void appendDouble(std::string& out, double v);

}  // namespace gridova
