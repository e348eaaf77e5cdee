// The tokenizer shared by the text readers.
//
// A line is split into tokens at TAB, LF, CR, "," or ";", or at blanks: a
// run of blanks separates two tokens, and a separator after the blanks
// belongs to the same gap ("1 , 2" is two tokens, as is "1 2"). A token that
// starts with a double quote runs to the next double quote, TAB or LF and
// may hold blanks and separators; after its closing quote, blanks and one
// separator are skipped. Tokens are trimmed of blanks. An empty token (two
// commas in a row) is a token that is not a number.
#pragma once

#include <cstddef>
#include <string_view>

namespace gridova {

class Tokenizer {
public:
    explicit Tokenizer(std::string_view line) : line_(line) {}

    // True while the line has more tokens. A line with at least one
    // character has at least one token.
    bool hasNext() const { return pos_ < line_.size() || (!started_ && !line_.empty()); }

    // The next token; call only while hasNext().
    std::string_view next();

    // Skips one leading TAB, LF or "," before the next token (the ".cor"
    // form does this before every token).
    void skipOneLeadingSeparator();

private:
    std::string_view line_;
    std::size_t pos_ = 0;
    bool started_ = false;
};

}  // namespace gridova
