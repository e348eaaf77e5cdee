// Plain lists of numbers: a text whose lines hold numbers among other
// words, such as an array without coordinates, a list of levels or of cell
// sizes.
//
// Lines that start with "*" are comments; empty lines are skipped. Every
// other line is split into tokens as a data line is (data/tokenizer.h),
// and each token that is a number is taken in order; other tokens are
// passed over ("1 2 well 3" gives 1, 2, 3). Lines may be of any length up
// to LineSource::kMaxLineBytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/line_source.h"
#include "data/tokenizer.h"
#include "platform/numbers.h"

namespace gridova {

inline constexpr char kNumberCommentMark = '*';

// The most numbers a file of numbers may hold (400 MB of values).
inline constexpr std::size_t kMaxFileNumbers = 50'000'000;

// Hands each number of the lines to `take` until it returns false; false
// when `take` stopped it.
template <class Take>
bool forEachNumber(LineSource& lines, Take&& take) {
    std::string_view line;
    while (lines.next(line)) {
        if (line.empty() || line.front() == kNumberCommentMark) continue;
        Tokenizer tokens(line);
        while (tokens.hasNext()) {
            const std::optional<double> v = parseNumber(tokens.next());
            if (v && !take(*v)) return false;
        }
    }
    return true;
}

// The numbers of a file. The numbers are counted first and then read into
// a list of that size. Nothing, with the reason said, when the file cannot
// be opened (202) or read to its end (9002), or holds more than `maxCount`
// numbers (9426).
std::optional<std::vector<double>> readNumbers(const std::string& path,
                                               std::size_t maxCount = kMaxFileNumbers);

// The numbers of a text (lines end with LF), as readNumbers takes them.
std::vector<double> readNumbersFromText(std::string_view text);

}  // namespace gridova
