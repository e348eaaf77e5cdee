// Language files: the entries a text gives, hostile files, the conversions
// a translated format must keep, and the language chosen at start and by
// name.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/language.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

std::string entry(const LanguageTable& t, int number) {
    const auto it = t.find(number);
    return it == t.end() ? "<none>" : it->second;
}

TEST(LanguageText, EntriesByNumber) {
    struct Case {
        const char* name;
        const char* text;
        int number;
        std::string expected;
    };
    const Case cases[] = {
        {"TAB after the number", "12\tText\n", 12, "Text"},
        {"a later entry of a number is ignored", "12\tFirst\n12\tSecond\n", 12, "First"},
        {"a line that starts with a word is a comment", "Menu 12\n", 12, "<none>"},
        {"\\n gives two lines, \\t a TAB", "7 Line one\\nline\\ttwo\n", 7, "Line one\nline\ttwo"},
        {"blanks after the separator are kept", "5   three blanks\n", 5, "  three blanks"},
        {"CR LF ends a line", "9 Windows\r\n", 9, "Windows"},
        {"comma and semicolon end the number", "3,a\n4;b\n", 4, "b"},
        {"a number alone gives an empty text", "8\n", 8, ""},
        {"a last line without LF", "6 last", 6, "last"},
        {"a number too large for 32 bits is no number", "99999999999 big\n", -1, "<none>"},
        {"a backslash before anything else stays", "2 C:\\x\\\n", 2, "C:\\x\\"},
        {"a byte-order mark before the first entry",
         "\xEF\xBB\xBF"
         "1 Yes\n",
         1, "Yes"},
        {"numbers beyond the texts' are no entries", "70000 far\n", -1, "<none>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const LanguageTable t = parseLanguageText(c.text);
        if (c.number >= 0) {
            EXPECT_EQ(entry(t, c.number), c.expected);
        } else {
            EXPECT_TRUE(t.empty());
        }
    }
    // Lines of any length are read whole: a piece of a long line that
    // starts with digits never becomes an entry.
    std::string longLine = "1 " + std::string(5000, 'a') + "2345 tail\n";
    const LanguageTable t = parseLanguageText(longLine);
    EXPECT_EQ(t.size(), 1u);
    EXPECT_EQ(entry(t, 1).size(), 5000u + 9u);
}

TEST(LanguageText, ConversionsOfFormats) {
    struct Case {
        const char* format;
        const char* kinds;
    };
    const Case cases[] = {
        {"Нельзя открыть файл %s", "s"},
        {"%s%d(%s)", "sds"},
        {"Pixel X (0:%d)", "d"},
        {"%5.2lf%% and %i", "fd"},
        {"%lg or %e", "ff"},
        {"100%% done", ""},
        {"%n", "?"},
        {"%100d and %zd", "??"},
        {"ends with %", "?"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(conversionsOf(c.format), c.kinds);
    }
}

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = testing::testDir() / "lang";
        std::filesystem::create_directories(folder_);
        setLanguageFolders({folder_.string()});
    }
    void TearDown() override {
        setLanguageTable(nullptr);
        setLanguageFolders({});
    }
    void writeLanguage(const std::string& name, const std::string& text) {
        testing::writeFile("lang/" + name, text);
    }
    std::filesystem::path folder_;
};

// A translated text that would take other arguments than the built-in one
// is not used: the built-in text is, and the number is logged once.
TEST_F(LanguageTest, ATranslationWithOtherConversionsIsNotUsed) {
    setLanguageTable(std::make_shared<const LanguageTable>(
        parseLanguageText("202 Cannot read %d\n203 Cannot write %s\n204 %n%n%n\n")));
    EXPECT_EQ(text(203, "Нельзя записать в файл %s"), "Cannot write %s");
    EXPECT_EQ(text(202, "Нельзя считать из файла %s"), "Нельзя считать из файла %s");
    EXPECT_EQ(text(204, "Файл %s"), "Файл %s");
    EXPECT_EQ(formatText(text(202, "Нельзя считать из файла %s"), {std::string("a.dat")}),
              "Нельзя считать из файла a.dat");
    const auto times = [] {
        int n = 0;
        for (const std::string& line : messageLog().lines()) {
            n += line.find("Language text 202 does not fit its arguments") != std::string::npos;
        }
        return n;
    };
    EXPECT_EQ(times(), 1);
    EXPECT_EQ(text(202, "Нельзя считать из файла %s"), "Нельзя считать из файла %s");
    EXPECT_EQ(times(), 1);  // once per number
    // A number the file lacks gives an empty text.
    EXPECT_EQ(text(467, "Формат данных"), "");
}

TEST_F(LanguageTest, LoadingByNameKeepsTheChoice) {
    writeLanguage("English.lng", "1 Yes\n");
    writeLanguage("Deutsch.lng", "1 Ja\n");
    testing::writeFile("lang/notes.txt", "1 no\n");
    EXPECT_EQ(availableLanguages(), (std::vector<std::string>{"Deutsch", "English"}));

    // At first start "English.lng" is taken and kept.
    loadStartupLanguage();
    EXPECT_EQ(text(1, "Да"), "Yes");
    EXPECT_EQ(storedLanguage(), "English.lng");

    EXPECT_TRUE(loadLanguage("Deutsch.lng"));
    EXPECT_EQ(text(1, "Да"), "Ja");
    EXPECT_EQ(storedLanguage(), "Deutsch.lng");

    // A file that is not there leaves the built-in texts and the profile.
    EXPECT_FALSE(loadLanguage("Klingon.lng"));
    EXPECT_EQ(text(1, "Да"), "Да");
    EXPECT_EQ(storedLanguage(), "Deutsch.lng");
    // A name never leaves the language folders.
    EXPECT_FALSE(loadLanguage("../lang/English.lng"));

    useRussian();
    EXPECT_EQ(text(1, "Да"), "Да");
    EXPECT_EQ(storedLanguage(), "Russian");
    loadStartupLanguage();  // the kept choice, not English
    EXPECT_EQ(text(1, "Да"), "Да");
}

// Hostile files never crash the reader and never allocate without bound.
TEST_F(LanguageTest, HostileFilesAreReadSafely) {
    const std::string big = "1 " + std::string(10u * 1024 * 1024, 'x') + "\n2 after\n";
    writeLanguage("Big.lng", big);
    const std::optional<LanguageTable> t = readLanguageFile((folder_ / "Big.lng").string());
    ASSERT_TRUE(t.has_value());
    EXPECT_EQ(entry(*t, 2), "after");

    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 131) % 256);
    writeLanguage("Garbage.lng", garbage);
    EXPECT_TRUE(readLanguageFile((folder_ / "Garbage.lng").string()).has_value());

    // Larger than any language: refused before it is read.
    writeLanguage("Huge.lng", std::string(kMaxLanguageFileBytes + 1, '1'));
    EXPECT_FALSE(readLanguageFile((folder_ / "Huge.lng").string()).has_value());
}

}  // namespace
}  // namespace gridova
