#include "app/dialogs/filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cmath>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/ui_text.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace gridova {
namespace {

constexpr int kTitle = 490;        // "Отфильтровать значения"
constexpr int kNotANumber = 9161;  // "%s: нужно число"
constexpr int kGreater = 4;        // ">" opens selected

}  // namespace

FilterDialog::FilterDialog(double value, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("filterDialog"));
    setWindowTitle(uiText(kTitle));
    on_ = new QCheckBox(uiText("Определить значаюшие величины как"), this);
    on_->setChecked(true);
    sign_ = new QComboBox(this);
    for (const char* s : {"<", "<=", "!= (<>)", ">=", ">"}) sign_->addItem(QString::fromLatin1(s));
    sign_->setCurrentIndex(kGreater);
    value_ = new QLineEdit(fieldText(value), this);
    byDefault_ = new QCheckBox(uiText("Установить по умолчанию"), this);
    auto* row = new QHBoxLayout;
    row->addWidget(sign_);
    row->addWidget(value_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FilterDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(on_);
    layout->addLayout(row);
    layout->addWidget(byDefault_);
    layout->addWidget(buttons);
}

std::optional<FilterDialog::Choice> FilterDialog::choice() {
    const auto v = fieldNumber(*value_);
    if (!v) {
        refuseField(kNotANumber, uiText("Значение"), *value_);
        return std::nullopt;
    }
    return Choice{on_->isChecked(), sign_->currentIndex(), *v, byDefault_->isChecked()};
}

void FilterDialog::accept() {
    if (!choice()) return;
    QDialog::accept();
}

bool runFilterDialog(QWidget* parent, CVexaView& view) {
    const EqNet* grid = view.model().grid();
    if (grid == nullptr) return false;
    FilterDialog dialog(grid->filterValue, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    if (const auto c = dialog.choice()) {
        view.model().applyFilter(c->on, c->sign, c->value, c->byDefault);
    }
    return true;
}

}  // namespace gridova
