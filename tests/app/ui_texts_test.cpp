// Every text a window shows goes through the numbered texts: a Russian
// literal in the windows' code is a built-in text (so that a language file
// replaces it), none is made into a QString behind the table's back, and
// no word in Latin letters is given to a widget as it stands.
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

// Words in Latin letters given to a widget as they stand (a label, button,
// list item, caption or a field's name in a message), but for the symbols
// and names that are the same in every language.
std::vector<std::string> latinWidgetTexts(const std::string& source) {
    static const std::set<std::string, std::less<>> kSame{
        "X", "Y", "Z", "X:", "Y:", "Min", "Max", "X, Y", "SOR", "LSOR", "Gridova", "Map Bar"};
    static const char* const kWidgetCalls[] = {
        "addItem(",     "addRow(",       "QLabel(",     "QPushButton(",
        "QCheckBox(",   "QRadioButton(", "QGroupBox(",  "setText(",
        "setTitle(",    "setToolTip(",   "addAction(",  "setWindowTitle(",
        "refuseField(", "ColorButton(",  "addToolBar(", "QDockWidget("};
    std::vector<std::string> found;
    const std::string open = "QStringLiteral(\"";
    for (std::size_t i = source.find(open); i != std::string::npos; i = source.find(open, i + 1)) {
        const std::size_t start = i + open.size();
        const std::size_t end = source.find('"', start);
        if (end == std::string::npos) break;
        const std::string text = source.substr(start, end - start);
        bool letters = false;
        for (const char c : text)
            letters = letters || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const std::size_t a = text.find_first_not_of(' '), b = text.find_last_not_of(' ');
        const std::string word = a == std::string::npos ? "" : text.substr(a, b - a + 1);
        if (!letters || kSame.count(word) != 0) continue;
        // The call the literal is an argument of: the last open bracket's word.
        const std::size_t from = i >= 80 ? i - 80 : 0;
        const std::string before = source.substr(from, i - from);
        const std::size_t statement = before.find_last_of(";{}");
        const std::string call =
            statement == std::string::npos ? before : before.substr(statement + 1);
        for (const char* w : kWidgetCalls) {
            if (call.find(w) != std::string::npos) {
                found.push_back(text);
                break;
            }
        }
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
    const Case latin[] = {
        {R"(units_->addItem(QStringLiteral("Inch"), 0);)", 1},
        {R"(form->addRow(QStringLiteral("X"), x_);)", 0},
        {R"(setObjectName(QStringLiteral("mapSizeDialog"));)", 0},
        {R"(refuseField(kNotANumber, QStringLiteral("Nugget"), *nugget_);)", 1},
    };
    for (const Case& c : latin) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(latinWidgetTexts(c.source).size(), c.found);
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
        const std::string source = testing::readFile(p.string());
        for (const std::string& t : untranslated(source, table)) {
            ADD_FAILURE() << p.filename().string() << ": \"" << t << "\"";
        }
        for (const std::string& t : latinWidgetTexts(source)) {
            ADD_FAILURE() << p.filename().string() << ": \"" << t << "\" is not a numbered text";
        }
    }
    EXPECT_GT(files, 40u);
}

}  // namespace
}  // namespace gridova
