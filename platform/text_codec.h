// Text encodings of files we read. Everything inside the program is UTF-8;
// a line that is not valid UTF-8 comes from a Windows program and is read as
// Windows-1251 (Cyrillic).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace gridova {

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The Windows-1251 bytes converted to UTF-8.
std::string cp1251ToUtf8(std::string_view bytes);

// UTF-8 in Windows-1251 (what 8-bit metafile text records hold): a
// character the code page lacks becomes '?', as does a broken sequence.
std::string utf8ToCp1251(std::string_view utf8);

// UTF-8 in UTF-16 (what wide text records hold) and back; a broken sequence
// or a lone surrogate becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// The bytes as UTF-8: unchanged when valid, converted from Windows-1251 when
// not.
std::string toUtf8(std::string_view bytes);

// The first `count` characters (code points) of a UTF-8 text; a broken
// sequence counts as one character per byte.
std::string_view firstCharacters(std::string_view utf8, std::size_t count);

// What counts as white space around a value: the C locale's isspace.
inline constexpr std::string_view kWhiteSpace = " \t\n\v\f\r";

// The text without the given characters at either end.
constexpr std::string_view trimmed(std::string_view s, std::string_view blanks = kWhiteSpace) {
    const std::size_t first = s.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// Folds ASCII and Cyrillic capitals to small letters, for names compared
// without regard to case. Invalid sequences are kept as they are.
std::string foldCase(std::string_view utf8);

// The number of characters of a UTF-8 text: the bytes that do not continue
// a sequence.
inline std::size_t utf8Length(std::string_view utf8) {
    std::size_t n = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
    }
    return n;
}

// ASCII capitals to small letters; every other byte as it is (extensions,
// switches).
inline std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

}  // namespace gridova
