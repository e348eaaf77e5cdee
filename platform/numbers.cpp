#include "platform/numbers.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdint>
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

// What a scan of a number token found.
struct Scan {
    std::size_t readable = 0;    // length the decimal conversion reads
    std::uint64_t mantissa = 0;  // the mantissa's digits as an integer
    int significant = 0;         // digits in the mantissa after leading zeros
    int scale = 0;               // power of ten applied to the mantissa
    bool negative = false;
};

// Checks the number grammar and gathers what the exact fast conversion
// needs. An exponent is applied only when written with E or e, and only its
// digits before a point count ("1e2.5" reads as 1e2).
bool scanNumber(std::string_view s, Scan& scan) {
    std::size_t i = 0;
    const std::size_t n = s.size();
    if (i < n && isSign(s[i])) {
        scan.negative = s[i] == '-';
        ++i;
    }
    // Mantissa: digits, at most one point, digits. Leading zeros are not
    // significant; of the rest, the first 19 digits go into the mantissa.
    int digits = 0;
    const auto takeDigits = [&](bool afterPoint) {
        while (i < n && isDigit(s[i])) {
            const unsigned d = static_cast<unsigned>(s[i] - '0');
            ++digits;
            if (scan.significant > 0 || d != 0) {
                if (++scan.significant <= 19) {
                    scan.mantissa = scan.mantissa * 10 + d;
                    scan.scale -= afterPoint;
                } else {
                    scan.scale += !afterPoint;  // a digit beyond those kept
                }
            } else {
                scan.scale -= afterPoint;  // a leading zero after the point
            }
            ++i;
        }
    };
    takeDigits(false);
    if (i < n && s[i] == '.') {
        ++i;
        takeDigits(true);
        if (i < n && s[i] == '.') return false;
    }
    if (digits == 0) return false;
    scan.readable = i;
    if (i == n) return true;
    if (!isExponentLetter(s[i])) return false;
    const bool applied = s[i] == 'E' || s[i] == 'e';
    ++i;
    bool exponentNegative = false;
    if (i < n && isSign(s[i])) {
        exponentNegative = s[i] == '-';
        ++i;
    }
    int exponentPoints = 0;
    std::size_t exponentEnd = 0;  // end of the exponent's leading digits
    long exponent = 0;
    while (i < n && (isDigit(s[i]) || s[i] == '.')) {
        if (s[i] == '.') {
            if (++exponentPoints > 1) return false;
        } else if (exponentPoints == 0) {
            exponentEnd = i + 1;
            if (exponent < 100000) exponent = exponent * 10 + (s[i] - '0');
        }
        ++i;
    }
    if (i != n) return false;
    if (applied && exponentEnd != 0) {
        scan.readable = exponentEnd;
        scan.scale += static_cast<int>(exponentNegative ? -exponent : exponent);
    }
    return true;
}

// Exact powers of ten that a double holds.
constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                   1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The correctly rounded value when one IEEE operation gives it: the mantissa
// and the power of ten are both exact doubles (the classic fast path).
std::optional<double> fastValue(const Scan& scan) {
    if (scan.significant > 19 || scan.mantissa > (std::uint64_t{1} << 53)) return std::nullopt;
    if (scan.scale < -22 || scan.scale > 22) return std::nullopt;
    const double m = static_cast<double>(scan.mantissa);
    const double v = scan.scale >= 0 ? m * kPowersOfTen[scan.scale] : m / kPowersOfTen[-scan.scale];
    return scan.negative ? -v : v;
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
    Scan scan;
    if (!scanNumber(s, scan)) return std::nullopt;
    if (const auto v = fastValue(scan)) return v;

    std::string_view body = s.substr(0, scan.readable);
    if (!body.empty() && isSign(body.front())) body.remove_prefix(1);
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
    return scan.negative ? -value : value;
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
