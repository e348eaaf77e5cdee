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

#include "app/dialogs/dialog_runner.h"
#include "app/ui_text.h"
#include "platform/messages.h"
#include "platform/numbers.h"

namespace gridova {
namespace {

constexpr int kLastRunTime = 255;   // "Время %.2lf сек. Число итераций %d"
constexpr int kLastRunError = 256;  // "Ошибка %.10lf"
constexpr int kNotPositive = 9159;  // "%s: нужно положительное число"

QString numberText(double v) { return QString::fromStdString(formatDouble(v)); }

}  // namespace

SolverDialog::SolverDialog(const EqNet& grid, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("solverDialog"));
    setWindowTitle(QStringLiteral("Характеристики солвера"));
    auto* last = new QGroupBox(QStringLiteral("Показатели последнего запуска"), this);
    lastRun_ = new QLabel(last);
    if (grid.lastRunValid != 0) {
        lastRun_->setText(
            QString::fromStdString(formatText(
                text(kLastRunTime), {grid.lastSeconds, std::int64_t{grid.lastIterations}})) +
            '\n' + QString::fromStdString(formatText(text(kLastRunError), {grid.lastError})));
    }
    (new QVBoxLayout(last))->addWidget(lastRun_);

    auto* choice = new QGroupBox(QStringLiteral("Выбор солвера"), this);
    sor_ = new QRadioButton(QStringLiteral("SOR"), choice);
    lsor_ = new QRadioButton(QStringLiteral("LSOR"), choice);
    (grid.solver == 1 ? lsor_ : sor_)->setChecked(true);
    auto* choiceLayout = new QHBoxLayout(choice);
    choiceLayout->addWidget(sor_);
    choiceLayout->addWidget(lsor_);

    auto* values = new QGroupBox(QStringLiteral("Задание параметров"), this);
    precision_ = new QLineEdit(numberText(grid.precision), values);
    iterations_ = new QLineEdit(QString::number(grid.maxIterations), values);
    relaxation_ = new QLineEdit(numberText(grid.relaxation), values);
    auto* form = new QFormLayout(values);
    form->addRow(QStringLiteral("Допустимая ошибка"), precision_);
    form->addRow(QStringLiteral("Макс. число итераций"), iterations_);
    form->addRow(QStringLiteral("Коэффициент релаксации"), relaxation_);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("Да"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &SolverDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(last);
    layout->addWidget(choice);
    layout->addWidget(values);
    layout->addWidget(buttons);
}

std::optional<SolverDialog::Values> SolverDialog::values() {
    const auto refuse = [](const QString& field, QLineEdit* edit) -> std::optional<Values> {
        warning(formatText(text(kNotPositive), {field.toStdString()}));
        edit->setFocus();
        edit->selectAll();
        return std::nullopt;
    };
    const auto precision = parseNumber(precision_->text().trimmed().toStdString());
    if (!precision || !(*precision > 0) || !std::isfinite(*precision)) {
        return refuse(QStringLiteral("Допустимая ошибка"), precision_);
    }
    bool whole = false;
    const int iterations = iterations_->text().trimmed().toInt(&whole);
    if (!whole || iterations <= 0)
        return refuse(QStringLiteral("Макс. число итераций"), iterations_);
    const auto relaxation = parseNumber(relaxation_->text().trimmed().toStdString());
    if (!relaxation || !(*relaxation > 0) || !std::isfinite(*relaxation)) {
        return refuse(QStringLiteral("Коэффициент релаксации"), relaxation_);
    }
    return Values{lsor_->isChecked() ? 1 : 0, *precision, iterations, *relaxation};
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
