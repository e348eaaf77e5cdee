#include "app/ui_text.h"

#include <mutex>
#include <set>
#include <string>
#include <unordered_map>

#include "platform/message_log.h"
#include "resources/builtin_texts.h"

namespace gridova {
namespace {

// Built-in text to its number (the first number of a text that repeats).
const std::unordered_map<std::string_view, int>& numbersByText() {
    static const std::unordered_map<std::string_view, int> numbers = [] {
        std::unordered_map<std::string_view, int> m;
        for (const resources::BuiltinText& t : resources::builtinTexts())
            m.emplace(t.text, t.number);
        return m;
    }();
    return numbers;
}

}  // namespace

QString uiText(std::string_view builtin) {
    const auto& numbers = numbersByText();
    const auto it = numbers.find(builtin);
    if (it != numbers.end()) return QString::fromStdString(text(it->second, builtin));
    static std::mutex mutex;
    static std::set<std::string, std::less<>> reported;
    {
        const std::lock_guard lock(mutex);
        if (reported.emplace(builtin).second) {
            log("A window's text is missing from the texts: " + std::string(builtin));
        }
    }
    return QString::fromUtf8(builtin.data(), static_cast<qsizetype>(builtin.size()));
}

}  // namespace gridova
