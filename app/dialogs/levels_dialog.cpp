#include "app/dialogs/levels_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/ui_text.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kMinimum = 108;          // "Минимальный   %lf"
constexpr int kMaximum = 109;          // "Максимальный  %lf"
constexpr int kFirstNotANumber = 110;  // "Значение первой изолинии не число"
constexpr int kStepNotANumber = 111;  // "Значение шага не число"
constexpr int kNotPositive = 9159;    // "%s: нужно положительное число"

}  // namespace

LevelsDialog::LevelsDialog(const LevelsDialogInput& input, QWidget* parent)
    : QDialog(parent), gridMax_(input.gridMax), automaticSteps_(input.automatic) {
    setObjectName(QStringLiteral("levelsDialog"));
    setWindowTitle(uiText("Задание изолиний"));
    auto* range =
        new QLabel(QString::fromStdString(formatText(text(kMinimum), {input.gridMin}) + "\n" +
                                          formatText(text(kMaximum), {input.gridMax})),
                   this);
    auto* choice = new QGroupBox(this);
    automatic_ = new QRadioButton(uiText("По умолчанию"), choice);
    step_ = new QRadioButton(uiText("Через шаг"), choice);
    previous_ = new QRadioButton(uiText("Предыдущие"), choice);
    auto* choiceLayout = new QVBoxLayout(choice);
    choiceLayout->addWidget(automatic_);
    choiceLayout->addWidget(step_);
    choiceLayout->addWidget(previous_);
    firstEdit_ = new QLineEdit(fieldText(input.automatic.first), this);
    stepEdit_ = new QLineEdit(fieldText(input.automatic.step), this);
    countEdit_ = new QLineEdit(QString::number(input.automatic.count), this);
    auto* form = new QFormLayout;
    form->addRow(uiText("Изолиния с минимальным зачением"), firstEdit_);
    form->addRow(uiText("Величина шага"), stepEdit_);
    form->addRow(uiText("Число изолиний"), countEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(range);
    layout->addWidget(choice);
    layout->addLayout(form);
    layout->addWidget(yesButtons(*this));

    (input.choice == LevelChoice::Step       ? step_
     : input.choice == LevelChoice::Previous ? previous_
                                             : automatic_)
        ->setChecked(true);
    follow();
    for (QRadioButton* b : {automatic_, step_, previous_}) {
        connect(b, &QRadioButton::toggled, this, &LevelsDialog::follow);
    }
    connect(firstEdit_, &QLineEdit::editingFinished, this, [this] { firstOrStepEdited(true); });
    connect(stepEdit_, &QLineEdit::editingFinished, this, [this] { firstOrStepEdited(false); });
    connect(countEdit_, &QLineEdit::editingFinished, this, [this] { countEdited(); });
}

void LevelsDialog::follow() {
    const bool steps = step_->isChecked();
    firstEdit_->setEnabled(steps);
    stepEdit_->setEnabled(steps);
    countEdit_->setEnabled(steps);
}

bool LevelsDialog::firstOrStepEdited(bool first) {
    const auto firstLevel = fieldNumber(*firstEdit_);
    const auto step = fieldNumber(*stepEdit_);
    if (first && !firstLevel) {
        warning(text(kFirstNotANumber));
        firstEdit_->setFocus();
        return false;
    }
    if (!first && !step) {
        warning(text(kStepNotANumber));
        stepEdit_->setFocus();
        return false;
    }
    if (firstLevel && step) {
        if (const auto count = countForStep(gridMax_, *firstLevel, *step)) {
            countEdit_->setText(QString::number(*count));
        }
    }
    return true;
}

bool LevelsDialog::countEdited() {
    const auto firstLevel = fieldNumber(*firstEdit_);
    const auto count = fieldWhole(*countEdit_);
    if (!firstLevel || !count) return false;
    if (const auto step = stepForCount(gridMax_, *firstLevel, *count)) {
        stepEdit_->setText(fieldText(*step));
    }
    return true;
}

std::optional<LevelsDialogResult> LevelsDialog::result() {
    LevelsDialogResult r;
    r.steps = automaticSteps_;
    r.choice = step_->isChecked()       ? LevelChoice::Step
               : previous_->isChecked() ? LevelChoice::Previous
                                        : LevelChoice::Automatic;
    if (r.choice != LevelChoice::Step) return r;
    const auto first = fieldNumber(*firstEdit_);
    if (!first) {
        warning(text(kFirstNotANumber));
        firstEdit_->setFocus();
        return std::nullopt;
    }
    const auto step = fieldNumber(*stepEdit_);
    if (!step) {
        warning(text(kStepNotANumber));
        stepEdit_->setFocus();
        return std::nullopt;
    }
    if (!(*step > 0)) {
        refuseField(kNotPositive, uiText("Величина шага"), *stepEdit_);
        return std::nullopt;
    }
    const auto count = fieldWhole(*countEdit_);
    if (!count || *count < 1) {
        refuseField(kNotPositive, uiText("Число изолиний"), *countEdit_);
        return std::nullopt;
    }
    r.steps = {*first, *step, *count};
    return r;
}

void LevelsDialog::accept() {
    if (!result()) return;  // said; the dialog stays
    QDialog::accept();
}

std::optional<LevelsDialogResult> QtLevelsDialog::ask(const LevelsDialogInput& input) {
    LevelsDialog dialog(input, parent_);
    if (runDialog(dialog) != QDialog::Accepted) return std::nullopt;
    return dialog.result();
}

}  // namespace gridova
