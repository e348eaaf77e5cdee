// "Выбор": the language of the program. "Russian" (the built-in texts)
// first, then every language file of the program's and the data folder by
// name; the language in use is selected.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QListWidget;

namespace gridova {

class LanguageDialog final : public QDialog {
    Q_OBJECT
public:
    explicit LanguageDialog(QWidget* parent);
    QListWidget* list() const { return list_; }
    // "Russian" or a language file's name without its extension; nothing
    // when none is selected.
    std::optional<std::string> choice() const;

private:
    QListWidget* list_ = nullptr;
};

// The dialog; on "Да" the language chosen is loaded (or the built-in
// texts), kept in the profile, and true is given so that the windows are
// translated again. A file that cannot be read is said: the built-in texts
// are used and the profile keeps its choice.
bool chooseLanguageAsked(QWidget* parent);

}  // namespace gridova
