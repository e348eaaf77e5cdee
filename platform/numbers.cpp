#include "platform/numbers.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace gridova {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isSign(char c) { return c == '+' || c == '-'; }
bool isExponentLetter(char c) { return c == 'E' || c == 'e' || c == 'D' || c == 'd'; }

std::string_view skipLeadingSpaces(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    return s.substr(i);
}

// Checks the number grammar; on success gives the length of the part that
// the decimal conversion reads (sign, mantissa and an applied exponent).
bool scanNumber(std::string_view s, std::size_t& readable) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    if (i < n && isSign(s[i])) ++i;
    int digits = 0;
    int points = 0;
    while (i < n && (isDigit(s[i]) || s[i] == '.')) {
        if (s[i] == '.') {
            if (++points > 1) return false;
        } else {
            ++digits;
        }
        ++i;
    }
    if (digits == 0) return false;
    readable = i;
    if (i == n) return true;
    if (!isExponentLetter(s[i])) return false;
    const bool applied = s[i] == 'E' || s[i] == 'e';
    ++i;
    if (i < n && isSign(s[i])) ++i;
    int exponentDigits = 0;
    int exponentPoints = 0;
    std::size_t exponentEnd = 0;  // end of the exponent's leading digits
    while (i < n && (isDigit(s[i]) || s[i] == '.')) {
        if (s[i] == '.') {
            if (++exponentPoints > 1) return false;
        } else {
            ++exponentDigits;
            if (exponentPoints == 0) exponentEnd = i + 1;
        }
        ++i;
    }
    if (i != n) return false;
    if (applied && exponentEnd != 0) readable = exponentEnd;
    return true;
}

template <typename Int>
std::optional<Int> parseSignedInteger(std::string_view token) {
    std::string_view s = skipLeadingSpaces(token);
    if (s.empty()) return std::nullopt;
    const char* first = s.data();
    const char* last = s.data() + s.size();
    // from_chars takes one leading minus and no plus, which is our test.
    Int value{};
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last) return std::nullopt;
    return value;
}

}  // namespace

std::optional<double> parseNumber(std::string_view token) {
    std::string_view s = skipLeadingSpaces(token);
    std::size_t readable = 0;
    if (!scanNumber(s, readable)) return std::nullopt;
    std::string_view body = s.substr(0, readable);
    bool negative = false;
    if (!body.empty() && isSign(body.front())) {
        negative = body.front() == '-';
        body.remove_prefix(1);
    }
    double value = 0;
    auto [ptr, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // Overflow is refused; an underflow reads as what strtod gives.
        std::string copy(body);
        errno = 0;
        value = std::strtod(copy.c_str(), nullptr);
        if (std::isinf(value)) return std::nullopt;
    } else if (ec != std::errc() || ptr != body.data() + body.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

bool isNumber(std::string_view token) { return parseNumber(token).has_value(); }

std::optional<std::int32_t> parseInteger(std::string_view token) {
    return parseSignedInteger<std::int32_t>(token);
}

std::optional<std::int64_t> parseLong(std::string_view token) {
    return parseSignedInteger<std::int64_t>(token);
}

bool isInteger(std::string_view token) { return parseInteger(token).has_value(); }

void appendDouble(std::string& out, double v) {
    char buffer[32];
    auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    (void)ec;  // 32 characters always hold the shortest form of a double
    out.append(buffer, ptr);
}

std::string formatDouble(double v) {
    std::string s;
    appendDouble(s, v);
    return s;
}

}  // namespace gridova
