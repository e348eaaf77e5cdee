#include "app/dialogs/digit_output_dialog.h"
#include "app/ui_text.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"

namespace gridova {
namespace {

constexpr int kNeedsWhole = 9163;  // "%s: нужно целое число от 0 до %d"
constexpr int kNeedsCount = 9181;  // "%s: нужно целое число от 1 до %d"
constexpr int kNumberChars = 8;    // the width of a number field, in characters

QLineEdit* wholeField(QWidget* parent, int value) {
    auto* edit = new QLineEdit(QString::number(value), parent);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QLatin1Char('0')) * kNumberChars +
                          16);
    return edit;
}

}  // namespace

DigitOutputDialog::DigitOutputDialog(const DigitOutput& start, QWidget* parent)
    : QDialog(parent), start_(start) {
    setObjectName(QStringLiteral("digitOutputDialog"));
    setWindowTitle(uiText("Формат выходного файла"));
    rowCount_ = wholeField(this, start.rowCount);
    charCount_ = wholeField(this, start.charCount);
    decimalCount_ = wholeField(this, start.decimalCount);
    comment_ = new QLineEdit(QString::fromStdString(start.comment), this);
    comment_->setMaximumWidth(rowCount_->maximumWidth());
    xyz_ = new QCheckBox(uiText("X Y Z Format"), this);
    xyz_->setChecked(start.xyzFormat);

    auto* form = new QFormLayout;
    form->addRow(uiText("Количество чисел в строке"), rowCount_);
    form->addRow(uiText("Количество символов на число"), charCount_);
    form->addRow(uiText("Количество символов дробной части"), decimalCount_);
    form->addRow(uiText("Символ комментария"), comment_);
    form->addRow(xyz_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(yesButtons(*this));
}

std::optional<DigitOutput> DigitOutputDialog::settings() {
    DigitOutput out = start_;
    struct Field {
        QLineEdit* edit;
        const char* name;
        int lo, hi;
        std::int32_t* value;
    };
    const Field fields[] = {
        {rowCount_, "Количество чисел в строке", 1, kMaxRowCount, &out.rowCount},
        {charCount_, "Количество символов на число", 1, kMaxCharCount, &out.charCount},
        {decimalCount_, "Количество символов дробной части", 0, kMaxDecimalCount,
         &out.decimalCount},
    };
    for (const Field& f : fields) {
        const std::optional<int> v = fieldWhole(*f.edit);
        if (!v || *v < f.lo || *v > f.hi) {
            refuseField(f.lo == 0 ? kNeedsWhole : kNeedsCount, uiText(f.name), *f.edit, f.hi);
            return std::nullopt;
        }
        *f.value = *v;
    }
    out.comment = comment_->text().toStdString();
    out.xyzFormat = xyz_->isChecked();
    return out;
}

void DigitOutputDialog::accept() {
    if (!settings()) return;  // said; the dialog stays
    QDialog::accept();
}

std::optional<DigitOutput> askDigitOutput(QWidget* parent, const DigitOutput& start) {
    DigitOutputDialog dialog(start, parent);
    if (runDialog(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.settings();
}

}  // namespace gridova
