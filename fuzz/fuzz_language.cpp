// Feeds one input to the language file reader as the file's text, installs
// the table and fills every built-in text through it: a translated format
// whose conversions differ from the built-in one must never be used, so
// filling it with the program's arguments stays within what the built-in
// text takes.
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

#include "fuzz/fuzz_common.h"
#include "platform/language.h"
#include "platform/messages.h"
#include "resources/builtin_texts.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    gridova::LanguageTable table = gridova::parseLanguageText(input);
    for (const auto& [number, text] : table) {
        check(text.find('\n') == std::string::npos || input.find("\\n") != std::string_view::npos);
        (void)number;
    }
    gridova::setLanguageTable(std::make_shared<const gridova::LanguageTable>(std::move(table)));
    for (const gridova::resources::BuiltinText& t : gridova::resources::builtinTexts()) {
        const std::string used = gridova::text(t.number);
        check(used.empty() || gridova::conversionsOf(used) == gridova::conversionsOf(t.text));
        (void)gridova::formatText(used, {std::string("file.dat"), std::int64_t{7}, 2.5});
    }
    gridova::setLanguageTable(nullptr);
    return 0;
}
