// Numbered texts and the three message boxes.
//
// Every text the user sees is looked up by number. Without a language table
// the built-in (Russian) text is used; a loaded language table replaces the
// texts by number. The boxes go through a `Boxes` implementation that the
// application installs: on screen when a person is there, to standard error
// and the message log when the run is unattended.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace gridova {

// A language table: number to text, first entry of a number wins.
using LanguageTable = std::map<int, std::string>;

// Installs the table of a loaded language file, or none (nullptr).
void setLanguageTable(std::shared_ptr<const LanguageTable> table);
std::shared_ptr<const LanguageTable> languageTable();

// The text for a number: the built-in text while no language table is
// loaded; with a table, the table's text, or an empty text when the table
// has no such number. A table's text whose conversions differ from the
// built-in text's (see conversionsOf) is not used: the built-in text is,
// and the number is logged once.
std::string text(int number, std::string_view builtin);

// The conversions of a format text in order, one letter each ("%s at
// %5.2lf" gives "sf"), read as formatText reads them: "%%" is none, the
// sizes l and h do not count, d and i are one kind, as are f, g and e, and
// anything formatText would write out as it stands (a width of three
// digits, "%n", "%zd", a lone "%") is "?".
std::string conversionsOf(std::string_view format);

// As above with the built-in text taken from the program's own table.
std::string text(int number);

// With a table, as `text`; without one, logs "Language not defined" and
// gives nothing.
std::optional<std::string> textOrNothing(int number);

// One argument of a numbered format text.
using FormatArg = std::variant<std::int64_t, double, std::string>;

// Fills a numbered format text ("Нельзя открыть файл %s для считывания").
// The format may come from a language file, so it is never handed to printf
// as it stands: each conversion (%s, %d, %i, %u, %ld, %x, %c, %f, %lf, %g,
// %lg, %e with flags, width and precision up to 99) takes the next argument
// when its kind fits; any other conversion, or one without a fitting
// argument, is written out as it stands. "%%" writes "%".
std::string formatText(std::string_view fmt, std::initializer_list<FormatArg> args);

enum class Answer { Yes, No, Cancel };

// Where message boxes go.
class Boxes {
public:
    virtual ~Boxes() = default;
    virtual void information(const std::string& caption, const std::string& text) = 0;
    virtual void warning(const std::string& caption, const std::string& text) = 0;
    virtual Answer question(const std::string& caption, const std::string& text) = 0;
};

// The boxes of an unattended run: standard error and the message log; a
// question answers No.
class UnattendedBoxes final : public Boxes {
public:
    void information(const std::string& caption, const std::string& text) override;
    void warning(const std::string& caption, const std::string& text) override;
    Answer question(const std::string& caption, const std::string& text) override;
};

// Installs the boxes of the process context (platform/app_context.h; the
// program keeps ownership); nullptr returns to the unattended boxes, which
// are also the default.
void setBoxes(Boxes* boxes);
// True while the process context's boxes are the unattended ones.
bool boxesAreUnattended();

// The boxes given, with caption message 214 "Информация", 215 "Ошибка",
// 301 "Вопрос".
void information(Boxes& boxes, std::string_view text);
void warning(Boxes& boxes, std::string_view text);
Answer question(Boxes& boxes, std::string_view text);
// The same through the process context's boxes.
void information(std::string_view text);
void warning(std::string_view text);
Answer question(std::string_view text);

// The two fixed, untranslated warnings.
void outOfMemory();    // "Out of memory."
void invalidFormat();  // "Invalid format."

}  // namespace gridova
