// Every text a window shows goes through the numbered texts: a Russian
// literal in the windows' code is a built-in text (so that a language file
// replaces it), and none is made into a QString behind the table's back.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "resources/builtin_texts.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

namespace fs = std::filesystem;

bool cyrillic(std::string_view s) {
    // UTF-8 of U+0400..U+04FF: a lead byte 0xD0..0xD3.
    for (const char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0xD0 && b <= 0xD3) return true;
    }
    return false;
}

std::set<std::string, std::less<>> builtinTexts() {
    std::set<std::string, std::less<>> texts;
    for (const resources::BuiltinText& t : resources::builtinTexts()) texts.insert(t.text);
    return texts;
}

// The Russian string literals of a source that the table lacks, or that
// are made into a QString or std::string directly; comments are skipped.
std::vector<std::string> untranslated(const std::string& source,
                                      const std::set<std::string, std::less<>>& table) {
    std::vector<std::string> found;
    std::size_t i = 0;
    while (i < source.size()) {
        if (source.compare(i, 2, "//") == 0) {
            i = source.find('\n', i);
            if (i == std::string::npos) break;
            continue;
        }
        if (source.compare(i, 2, "/*") == 0) {
            i = source.find("*/", i + 2);
            if (i == std::string::npos) break;
            i += 2;
            continue;
        }
        if (source[i] == '\'') {  // a character literal, such as '"'
            const std::size_t end = source.find('\'', i + (source[i + 1] == '\\' ? 3 : 2));
            i = end == std::string::npos ? source.size() : end + 1;
            continue;
        }
        if (source[i] != '"') {
            ++i;
            continue;
        }
        const std::size_t start = i + 1;
        std::string text;
        std::size_t j = start;
        for (; j < source.size() && source[j] != '"'; ++j) {
            if (source[j] == '\\' && j + 1 < source.size()) {
                const char e = source[++j];
                text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
            } else {
                text += source[j];
            }
        }
        if (cyrillic(text)) {
            std::string before = source.substr(i >= 40 ? i - 40 : 0, i >= 40 ? 40 : i);
            while (!before.empty() && (before.back() == ' ' || before.back() == '\n'))
                before.pop_back();
            const bool direct = before.ends_with("QStringLiteral(") ||
                                before.ends_with("QString::fromUtf8(") ||
                                before.ends_with("QString(") || before.ends_with("std::string(");
            if (direct || table.count(text) == 0) found.push_back(text);
        }
        i = j + 1;
    }
    return found;
}

TEST(UiTexts, TheCheckFindsLiteralsOutsideTheTable) {
    const std::set<std::string, std::less<>> table{"Цвет..."};
    struct Case {
        const char* source;
        std::size_t found;
    };
    const Case cases[] = {
        {R"(label->setText(uiText("Цвет...")); // "Другое")", 0},
        {R"(label->setText(QStringLiteral("Цвет..."));)", 1},
        {R"(label->setText(uiText("Не в таблице"));)", 1},
        {R"(/* "в комментарии" */ auto q = '"'; auto s = std::string("Цвет...");)", 1},
        {R"(const char* names[] = {"Цвет...", "Ещё"};)", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(untranslated(c.source, table).size(), c.found);
    }
}

TEST(UiTexts, EveryRussianTextOfTheWindowsIsANumberedText) {
    const std::set<std::string, std::less<>> table = builtinTexts();
    const fs::path app = fs::path(GRIDOVA_SOURCE_DIR) / "app";
    std::size_t files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(app)) {
        const fs::path& p = entry.path();
        if (p.extension() != ".cpp" && p.extension() != ".h") continue;
        ++files;
        for (const std::string& t : untranslated(testing::readFile(p.string()), table)) {
            ADD_FAILURE() << p.filename().string() << ": \"" << t << "\"";
        }
    }
    EXPECT_GT(files, 40u);
}

}  // namespace
}  // namespace gridova
