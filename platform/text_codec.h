// Text encodings of files we read. Everything inside the program is UTF-8;
// a line that is not valid UTF-8 comes from a Windows program and is read as
// Windows-1251 (Cyrillic).
#pragma once

#include <string>
#include <string_view>

namespace gridova {

// True when the bytes are well-formed UTF-8 (no overlong forms, no
// surrogates, nothing above U+10FFFF).
bool isValidUtf8(std::string_view bytes);

// The Windows-1251 bytes converted to UTF-8.
std::string cp1251ToUtf8(std::string_view bytes);

// The bytes as UTF-8: unchanged when valid, converted from Windows-1251 when
// not.
std::string toUtf8(std::string_view bytes);

// The first `count` characters (code points) of a UTF-8 text; a broken
// sequence counts as one character per byte.
std::string_view firstCharacters(std::string_view utf8, std::size_t count);

// Folds ASCII and Cyrillic capitals to small letters, for names compared
// without regard to case. Invalid sequences are kept as they are.
std::string foldCase(std::string_view utf8);

}  // namespace gridova
