#include "app/retranslate.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QTreeWidget>
#include <QWidget>
#include <string>
#include <unordered_map>

#include "resources/builtin_texts.h"

namespace gridova {
namespace {

using Numbers = std::unordered_map<std::string, int>;

Numbers numbersOf(const LanguageTable* before) {
    Numbers numbers;
    if (before == nullptr) {
        for (const resources::BuiltinText& t : resources::builtinTexts()) {
            numbers.emplace(t.text, t.number);
        }
    } else {
        for (const auto& [number, t] : *before) {
            if (!t.empty()) numbers.emplace(t, number);
        }
    }
    return numbers;
}

// The text in the language in use, when the shown one is a numbered text.
bool translated(const Numbers& numbers, const QString& shown, QString& now) {
    const auto it = numbers.find(shown.toStdString());
    if (it == numbers.end()) return false;
    now = QString::fromStdString(text(it->second));
    return true;
}

}  // namespace

void retranslateWidgets(QWidget& root, const LanguageTable* before) {
    const Numbers numbers = numbersOf(before);
    QString now;
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* w : widgets) {
        if (w->isWindow() && translated(numbers, w->windowTitle(), now)) w->setWindowTitle(now);
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (translated(numbers, label->text(), now)) label->setText(now);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            if (translated(numbers, button->text(), now)) button->setText(now);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            if (translated(numbers, group->title(), now)) group->setTitle(now);
        } else if (auto* list = qobject_cast<QComboBox*>(w)) {
            for (int k = 0; k < list->count(); ++k) {
                if (translated(numbers, list->itemText(k), now)) list->setItemText(k, now);
            }
        } else if (auto* table = qobject_cast<QTableWidget*>(w)) {
            for (int k = 0; k < table->columnCount(); ++k) {
                QTableWidgetItem* head = table->horizontalHeaderItem(k);
                if (head != nullptr && translated(numbers, head->text(), now)) head->setText(now);
            }
        } else if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
            QTreeWidgetItem* head = tree->headerItem();
            for (int k = 0; head != nullptr && k < head->columnCount(); ++k) {
                if (translated(numbers, head->text(k), now)) head->setText(k, now);
            }
        }
    }
}

}  // namespace gridova
