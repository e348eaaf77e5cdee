#include "app/dialogs/solver_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <cmath>
#include <cstdio>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/ui_text.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace gridova {
namespace {

constexpr int kLastRunTime = 255;   // "Время %.2lf сек. Число итераций %d"
constexpr int kLastRunError = 256;  // "Ошибка %.10lf"
constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"

}  // namespace

SolverDialog::SolverDialog(const EqNet& grid, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("solverDialog"));
    setWindowTitle(uiText("Характеристики солвера"));
    auto* last = new QGroupBox(uiText("Показатели последнего запуска"), this);
    lastRun_ = new QLabel(last);
    if (grid.lastRunValid != 0) {
        lastRun_->setText(
            QString::fromStdString(formatText(
                text(kLastRunTime), {grid.lastSeconds, std::int64_t{grid.lastIterations}})) +
            '\n' + QString::fromStdString(formatText(text(kLastRunError), {grid.lastError})));
    }
    (new QVBoxLayout(last))->addWidget(lastRun_);

    auto* choice = new QGroupBox(uiText("Выбор солвера"), this);
    sor_ = new QRadioButton(QStringLiteral("SOR"), choice);
    lsor_ = new QRadioButton(QStringLiteral("LSOR"), choice);
    (grid.solver == 1 ? lsor_ : sor_)->setChecked(true);
    auto* choiceLayout = new QHBoxLayout(choice);
    choiceLayout->addWidget(sor_);
    choiceLayout->addWidget(lsor_);

    auto* values = new QGroupBox(uiText("Задание параметров"), this);
    precision_ = new QLineEdit(fieldText(grid.precision), values);
    iterations_ = new QLineEdit(QString::number(grid.maxIterations), values);
    relaxation_ = new QLineEdit(fieldText(grid.relaxation), values);
    auto* form = new QFormLayout(values);
    form->addRow(uiText("Допустимая ошибка"), precision_);
    form->addRow(uiText("Макс. число итераций"), iterations_);
    form->addRow(uiText("Коэффициент релаксации"), relaxation_);

    auto* buttons = yesButtons(*this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(last);
    layout->addWidget(choice);
    layout->addWidget(values);
    layout->addWidget(buttons);
}

std::optional<SolverDialog::Values> SolverDialog::values() {
    // Every value must be positive.
    const auto precision = fieldNumber(*precision_);
    if (!precision || !(*precision > 0)) {
        refuseField(kNotPositive, uiText("Допустимая ошибка"), *precision_);
        return std::nullopt;
    }
    const auto iterations = fieldWhole(*iterations_);
    if (!iterations || *iterations <= 0) {
        refuseField(kNotPositive, uiText("Макс. число итераций"), *iterations_);
        return std::nullopt;
    }
    const auto relaxation = fieldNumber(*relaxation_);
    if (!relaxation || !(*relaxation > 0)) {
        refuseField(kNotPositive, uiText("Коэффициент релаксации"), *relaxation_);
        return std::nullopt;
    }
    return Values{lsor_->isChecked() ? 1 : 0, *precision, *iterations, *relaxation};
}

void SolverDialog::accept() {
    if (!values()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runSolverDialog(QWidget* parent, CVexaView& view) {
    EqNet* grid = view.model().grid();
    if (grid == nullptr) return false;
    SolverDialog dialog(*grid, parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<SolverDialog::Values> chosen = dialog.values();
    if (!chosen) return true;
    grid->solver = chosen->solver;
    grid->precision = chosen->precision;
    grid->maxIterations = chosen->maxIterations;
    grid->relaxation = chosen->relaxation;
    grid->writeSolverProfile();
    view.model().notify(kGridChanged);
    return true;
}

}  // namespace gridova
