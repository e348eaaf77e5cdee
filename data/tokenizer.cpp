#include "data/tokenizer.h"

#include "platform/text_codec.h"

namespace gridova {
namespace {

// Characters that end an unquoted token.
constexpr unsigned char kHard = 1;   // TAB, LF, CR, "," and ";"
constexpr unsigned char kBlank = 2;  // a space

struct CharClasses {
    unsigned char of[256] = {};
    constexpr CharClasses() {
        for (unsigned char c : {'\t', '\n', '\r', ',', ';'}) of[c] = kHard;
        of[static_cast<unsigned char>(' ')] = kBlank;
    }
};
constexpr CharClasses kClasses;

unsigned char classOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

bool isHardSeparator(char c) { return classOf(c) == kHard; }

}  // namespace

void Tokenizer::skipOneLeadingSeparator() {
    if (pos_ < line_.size()) {
        const char c = line_[pos_];
        if (c == '\t' || c == '\n' || c == ',') ++pos_;
    }
}

std::string_view Tokenizer::next() {
    started_ = true;
    const std::size_t n = line_.size();
    while (pos_ < n && line_[pos_] == ' ') ++pos_;
    if (pos_ >= n) return {};

    if (line_[pos_] == '"') {
        const std::size_t begin = ++pos_;
        while (pos_ < n && line_[pos_] != '"' && line_[pos_] != '\t' && line_[pos_] != '\n') ++pos_;
        const std::string_view token = line_.substr(begin, pos_ - begin);
        if (pos_ < n) {
            const bool closingQuote = line_[pos_] == '"';
            ++pos_;  // the character that ended the token
            if (closingQuote) {
                // Blanks and one separator after the closing quote belong
                // to the gap before the next token.
                while (pos_ < n && line_[pos_] == ' ') ++pos_;
                if (pos_ < n && isHardSeparator(line_[pos_])) ++pos_;
            }
        }
        return trimmed(token, " ");
    }

    const std::size_t begin = pos_;
    while (pos_ < n && classOf(line_[pos_]) == 0) ++pos_;
    const std::string_view token = line_.substr(begin, pos_ - begin);
    if (pos_ < n) {
        if (line_[pos_] == ' ') {
            while (pos_ < n && line_[pos_] == ' ') ++pos_;
            if (pos_ < n) {
                const char c = line_[pos_];
                if (c == ',' || c == ';' || c == '\t' || c == '\n') ++pos_;
            }
        } else {
            ++pos_;
        }
    }
    return token;
}

}  // namespace gridova
