#include "platform/messages.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <mutex>
#include <set>

#include "platform/app_context.h"
#include "platform/message_log.h"
#include "resources/builtin_texts.h"

namespace gridova {
namespace {

std::mutex gLanguageMutex;
std::shared_ptr<const LanguageTable> gLanguage;
std::set<int> gMismatched;  // numbers of texts logged as not fitting

constexpr int kCaptionInformation = 214;
constexpr int kCaptionWarning = 215;
constexpr int kCaptionQuestion = 301;

void report(const char* kind, const std::string& caption, const std::string& text) {
    std::cerr << (caption.empty() ? kind : caption) << ": " << text << std::endl;
    log(text);
}

// Writes one conversion of formatText with its argument, or returns false
// when the argument does not fit the conversion.
bool formatOne(std::string& out, const std::string& spec, char conversion, const FormatArg& arg) {
    char buffer[512];
    int n = -1;
    switch (conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X': {
            const auto* v = std::get_if<std::int64_t>(&arg);
            if (v == nullptr) return false;
            const std::string f = spec + "ll" + conversion;
            if (conversion == 'd' || conversion == 'i') {
                n = std::snprintf(buffer, sizeof buffer, f.c_str(), static_cast<long long>(*v));
            } else {
                n = std::snprintf(buffer, sizeof buffer, f.c_str(),
                                  static_cast<unsigned long long>(*v));
            }
            break;
        }
        case 'c': {
            const auto* v = std::get_if<std::int64_t>(&arg);
            if (v == nullptr) return false;
            const std::string f = spec + 'c';
            n = std::snprintf(buffer, sizeof buffer, f.c_str(), static_cast<int>(*v));
            break;
        }
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'e':
        case 'E': {
            double value;
            if (const auto* d = std::get_if<double>(&arg)) {
                value = *d;
            } else if (const auto* i = std::get_if<std::int64_t>(&arg)) {
                value = static_cast<double>(*i);
            } else {
                return false;
            }
            const std::string f = spec + conversion;
            n = std::snprintf(buffer, sizeof buffer, f.c_str(), value);
            break;
        }
        case 's': {
            std::string value;
            if (const auto* s = std::get_if<std::string>(&arg)) {
                value = *s;
            } else {
                return false;
            }
            // Width and precision apply to the text; done here so that a
            // long text is never cut at the buffer's size.
            const std::string f = spec + "s";
            n = std::snprintf(nullptr, 0, f.c_str(), value.c_str());
            if (n < 0) return false;
            std::string tmp(static_cast<std::size_t>(n) + 1, '\0');
            std::snprintf(tmp.data(), tmp.size(), f.c_str(), value.c_str());
            tmp.resize(static_cast<std::size_t>(n));
            out += tmp;
            return true;
        }
        default:
            return false;
    }
    if (n < 0) return false;
    out.append(buffer, std::min<std::size_t>(static_cast<std::size_t>(n), sizeof buffer - 1));
    return true;
}

}  // namespace

void setLanguageTable(std::shared_ptr<const LanguageTable> table) {
    std::lock_guard lock(gLanguageMutex);
    gLanguage = std::move(table);
    gMismatched.clear();
}

std::shared_ptr<const LanguageTable> languageTable() {
    std::lock_guard lock(gLanguageMutex);
    return gLanguage;
}

std::string text(int number, std::string_view builtin) {
    const auto table = languageTable();
    if (!table) return std::string(builtin);
    const auto it = table->find(number);
    if (it == table->end()) return std::string();
    if (!builtin.empty() && conversionsOf(it->second) != conversionsOf(builtin)) {
        // A text that would take other arguments than the program gives.
        bool first = false;
        {
            std::lock_guard lock(gLanguageMutex);
            first = gMismatched.insert(number).second;
        }
        if (first) log("Language text " + std::to_string(number) + " does not fit its arguments");
        return std::string(builtin);
    }
    return it->second;
}

std::string conversionsOf(std::string_view format) {
    // The grammar of formatText: flags, at most two digits of width, a
    // point and at most two digits of precision, the sizes l and h, then
    // the conversion; anything else is "?" (formatText writes it out).
    std::string kinds;
    std::size_t i = 0;
    while (i < format.size()) {
        if (format[i] != '%') {
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            i += 2;
            continue;
        }
        std::size_t j = i + 1;
        while (j < format.size() &&
               std::string_view("-+ #0").find(format[j]) != std::string_view::npos)
            ++j;
        for (int d = 0; d < 2 && j < format.size() && format[j] >= '0' && format[j] <= '9'; ++d)
            ++j;
        if (j < format.size() && format[j] == '.') {
            ++j;
            for (int d = 0; d < 2 && j < format.size() && format[j] >= '0' && format[j] <= '9'; ++d)
                ++j;
        }
        while (j < format.size() && (format[j] == 'l' || format[j] == 'h')) ++j;
        char c = j < format.size() ? format[j] : '?';
        if (std::string_view("diuxXcsfFgGeE").find(c) == std::string_view::npos) c = '?';
        if (c == 'i') c = 'd';
        if (c == 'g' || c == 'e' || c == 'G' || c == 'E' || c == 'F') c = 'f';
        kinds += c;
        i = j + 1;
    }
    return kinds;
}

std::string text(int number) {
    const char* builtin = resources::builtinText(number);
    return text(number, builtin != nullptr ? std::string_view(builtin) : std::string_view());
}

std::optional<std::string> textOrNothing(int number) {
    const auto table = languageTable();
    if (!table) {
        log("Language not defined");
        return std::nullopt;
    }
    const auto it = table->find(number);
    return it == table->end() ? std::string() : it->second;
}

std::string formatText(std::string_view fmt, std::initializer_list<FormatArg> args) {
    std::string out;
    out.reserve(fmt.size() + 32);
    auto next = args.begin();
    std::size_t i = 0;
    while (i < fmt.size()) {
        const char c = fmt[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < fmt.size() && fmt[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // %[flags][width][.precision][l|ll|h]conversion
        std::size_t j = i + 1;
        std::string spec = "%";
        while (j < fmt.size() && std::string_view("-+ #0").find(fmt[j]) != std::string_view::npos) {
            spec += fmt[j++];
        }
        int digits = 0;
        while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9' && digits < 2) {
            spec += fmt[j++];
            ++digits;
        }
        if (j < fmt.size() && fmt[j] == '.') {
            spec += fmt[j++];
            digits = 0;
            while (j < fmt.size() && fmt[j] >= '0' && fmt[j] <= '9' && digits < 2) {
                spec += fmt[j++];
                ++digits;
            }
        }
        while (j < fmt.size() && (fmt[j] == 'l' || fmt[j] == 'h')) ++j;  // sizes are ours
        bool written = false;
        if (j < fmt.size() && next != args.end()) {
            written = formatOne(out, spec, fmt[j], *next);
            if (written) ++next;
        }
        if (written) {
            i = j + 1;
        } else {
            // Not a conversion we fill: keep the '%' and go on after it.
            out += '%';
            ++i;
        }
    }
    return out;
}

void UnattendedBoxes::information(const std::string& caption, const std::string& text) {
    report("Information", caption, text);
}

void UnattendedBoxes::warning(const std::string& caption, const std::string& text) {
    report("Warning", caption, text);
}

Answer UnattendedBoxes::question(const std::string& caption, const std::string& text) {
    report("Question", caption, text);
    return Answer::No;
}

void setBoxes(Boxes* boxes) { processContext().setBoxes(boxes); }

bool boxesAreUnattended() { return processContext().boxesAreUnattended(); }

void information(Boxes& boxes, std::string_view message) {
    boxes.information(text(kCaptionInformation), std::string(message));
}

void warning(Boxes& boxes, std::string_view message) {
    boxes.warning(text(kCaptionWarning), std::string(message));
}

Answer question(Boxes& boxes, std::string_view message) {
    return boxes.question(text(kCaptionQuestion), std::string(message));
}

void information(std::string_view message) { information(processContext().boxes(), message); }

void warning(std::string_view message) { warning(processContext().boxes(), message); }

Answer question(std::string_view message) { return question(processContext().boxes(), message); }

void outOfMemory() { warning("Out of memory."); }

void invalidFormat() { warning("Invalid format."); }

}  // namespace gridova
