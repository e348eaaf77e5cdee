// The built-in user-interface texts, looked up by number.
//
// These are the program's own Russian texts (UTF-8). A loaded language file
// replaces them by number at run time; this table is what is shown when no
// language file is loaded.
#pragma once

#include <cstddef>
#include <span>

namespace gridova::resources {

struct BuiltinText {
    int number;        // the text's number, as used by every caller
    const char* text;  // UTF-8, exactly as the program shows it
};

// Every built-in text, sorted by number, each number once.
std::span<const BuiltinText> builtinTexts();

// The built-in text with this number, or nullptr when there is none.
const char* builtinText(int number);

}  // namespace gridova::resources
