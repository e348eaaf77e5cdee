#include "platform/messages.h"

#include <gtest/gtest.h>

#include "platform/message_log.h"
#include "resources/builtin_texts.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::StderrCapture;

TEST(TextLookup, BuiltInTextWithoutALanguageTable) {
    EXPECT_EQ(text(215, "Ошибка"), "Ошибка");
    EXPECT_EQ(text(215), "Ошибка");
    EXPECT_EQ(text(202), "Нельзя открыть файл %s для считывания");
    EXPECT_EQ(text(418), "Процесс остановлен пользователем");
}

TEST(TextLookup, LanguageTableReplacesByNumberAndMissingNumbersAreEmpty) {
    setLanguageTable(std::make_shared<LanguageTable>(LanguageTable{{214, "Information"}}));
    EXPECT_EQ(text(214, "Информация"), "Information");
    EXPECT_EQ(text(215, "Ошибка"), "");
    EXPECT_EQ(textOrNothing(214), "Information");
}

TEST(TextLookup, TextOrNothingWithoutTableLogs) {
    EXPECT_FALSE(textOrNothing(214).has_value());
    const auto lines = messageLog().lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.back(), "Language not defined");
}

TEST(BuiltinTable, SortedUniqueAndValidUtf8) {
    const auto texts = resources::builtinTexts();
    ASSERT_GT(texts.size(), 100u);
    for (std::size_t i = 1; i < texts.size(); ++i) {
        EXPECT_LT(texts[i - 1].number, texts[i].number);
    }
    EXPECT_EQ(resources::builtinText(-5), nullptr);
    EXPECT_STREQ(resources::builtinText(404), "Серия1");
}

TEST(FormatText, FillsConversionsWithFittingArguments) {
    EXPECT_EQ(formatText("Нельзя записать в файл %s", {std::string("/tmp/a b.dat")}),
              "Нельзя записать в файл /tmp/a b.dat");
    EXPECT_EQ(formatText("%s %d", {std::string("Line"), std::int64_t{42}}), "Line 42");
    EXPECT_EQ(formatText("%5.2lf|%-4d|%%", {1.5, std::int64_t{7}}), " 1.50|7   |%");
    EXPECT_EQ(formatText("%lg", {0.1}), "0.1");
    // Conversions without an argument, or of another kind, stay as written:
    // a format from a language file can never read what was not passed.
    EXPECT_EQ(formatText("%s and %s", {std::string("one")}), "one and %s");
    EXPECT_EQ(formatText("%d", {std::string("x")}), "%d");
    EXPECT_EQ(formatText("%n%p%s", {std::string("x")}), "%n%px");
    EXPECT_EQ(formatText("100%", {}), "100%");
    // A long text is never cut.
    const std::string longText(5000, 'x');
    EXPECT_EQ(formatText("[%s]", {longText}), "[" + longText + "]");
}

TEST(Boxes, UnattendedWarningGoesToStandardErrorAndTheLog) {
    StderrCapture capture;
    warning("Нельзя открыть файл a.dat для считывания");
    const std::string err = capture.text();
    EXPECT_NE(err.find("Ошибка: Нельзя открыть файл a.dat для считывания"), std::string::npos)
        << err;
    const auto lines = messageLog().lines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Нельзя открыть файл a.dat для считывания");
    EXPECT_NE(testing::readFile("Message.txt").find("Нельзя открыть файл a.dat"),
              std::string::npos);
}

TEST(Boxes, UnattendedQuestionAnswersNoAndFixedWarnings) {
    StderrCapture capture;
    EXPECT_EQ(question("Сохранить новые точки?"), Answer::No);
    outOfMemory();
    invalidFormat();
    const std::string err = capture.text();
    EXPECT_NE(err.find("Вопрос: Сохранить новые точки?"), std::string::npos);
    EXPECT_NE(err.find("Out of memory."), std::string::npos);
    EXPECT_NE(err.find("Invalid format."), std::string::npos);
}

class RecordingBoxes final : public Boxes {
public:
    void information(const std::string& caption, const std::string& text) override {
        seen += "I[" + caption + "]" + text + ";";
    }
    void warning(const std::string& caption, const std::string& text) override {
        seen += "W[" + caption + "]" + text + ";";
    }
    Answer question(const std::string& caption, const std::string& text) override {
        seen += "Q[" + caption + "]" + text + ";";
        return Answer::Yes;
    }
    std::string seen;
};

TEST(Boxes, InstalledBoxesGetNumberedCaptions) {
    RecordingBoxes boxes;
    setBoxes(&boxes);
    EXPECT_FALSE(boxesAreUnattended());
    information("a");
    warning("b");
    EXPECT_EQ(question("c"), Answer::Yes);
    EXPECT_EQ(boxes.seen, "I[Информация]a;W[Ошибка]b;Q[Вопрос]c;");
    // A language table without 215 gives the warning an empty caption.
    setLanguageTable(std::make_shared<LanguageTable>(LanguageTable{{1, "x"}}));
    boxes.seen.clear();
    warning("d");
    EXPECT_EQ(boxes.seen, "W[]d;");
    setBoxes(nullptr);
    EXPECT_TRUE(boxesAreUnattended());
}

}  // namespace
}  // namespace gridova
