#include "app/dialogs/language_dialog.h"
#include "app/ui_text.h"

#include <QListWidget>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "platform/language.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kCannotRead = 202;  // "Нельзя открыть файл %s для считывания"

std::string withoutExtension(const std::string& name) {
    const std::string ext(kLanguageExtension);
    return name.size() > ext.size() && name.compare(name.size() - ext.size(), ext.size(), ext) == 0
               ? name.substr(0, name.size() - ext.size())
               : name;
}

}  // namespace

LanguageDialog::LanguageDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("languageDialog"));
    setWindowTitle(uiText("Выбор"));
    list_ = new QListWidget(this);
    list_->addItem(
        QString::fromUtf8(kRussianLanguage.data(), static_cast<int>(kRussianLanguage.size())));
    for (const std::string& name : availableLanguages()) {
        list_->addItem(QString::fromStdString(name));
    }
    // The language in use.
    const std::string stored = storedLanguage();
    const QString current = QString::fromStdString(languageTable() ? withoutExtension(stored)
                                                                   : std::string(kRussianLanguage));
    const QList<QListWidgetItem*> found = list_->findItems(current, Qt::MatchExactly);
    list_->setCurrentItem(found.isEmpty() ? list_->item(0) : found.front());
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(yesButtons(*this));
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

std::optional<std::string> LanguageDialog::choice() const {
    const QListWidgetItem* item = list_->currentItem();
    if (item == nullptr) return std::nullopt;
    return item->text().toStdString();
}

bool chooseLanguageAsked(QWidget* parent) {
    LanguageDialog dialog(parent);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<std::string> choice = dialog.choice();
    if (!choice) return false;
    if (*choice == kRussianLanguage) {
        useRussian();
        return true;
    }
    const std::string file = *choice + std::string(kLanguageExtension);
    if (!loadLanguage(file)) {
        // The built-in texts are in use; the profile keeps its choice.
        warning(formatText(text(kCannotRead), {file}));
    }
    return true;
}

}  // namespace gridova
