#include "app/dialogs/regression_dialog.h"
#include "app/ui_text.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kOutOfRange = 9163;  // "%s: нужно целое число от 0 до %d"

}  // namespace

RegressionDialog::RegressionDialog(const RegressionSettings& settings,
                                   const PolynomialRegression* fitted, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("regressionDialog"));
    setWindowTitle(uiText("Полином регрессии"));
    RegressionSettings start = settings;
    if (fitted != nullptr && fitted->m() > 0) {
        start.degree = fitted->m() - 1;
        start.color = fitted->color;
        start.width = fitted->width;
    }
    degree_ = new QLineEdit(QString::number(start.degree), this);
    auto* line = new QGroupBox(uiText("Линия"), this);
    width_ = new QLineEdit(QString::number(start.width), line);
    color_ = new ColorButton(uiText("Цвет..."), start.color, line);
    auto* lineForm = new QFormLayout(line);
    lineForm->addRow(uiText("Ширина"), width_);
    lineForm->addRow(QString(), color_);

    polynomial_ = new QLabel(this);
    chisq_ = new QLabel(this);
    polynomial_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    chisq_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    polynomial_->setWordWrap(true);
    if (fitted != nullptr && fitted->m() > 0) {
        polynomial_->setText(QString::fromStdString(fitted->text()));
        chisq_->setText(QString::fromStdString(formatText("chisq = %lg", {fitted->chisq()})));
    }

    auto* form = new QFormLayout;
    form->addRow(uiText("Степень полинома"), degree_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(line);
    layout->addWidget(polynomial_);
    layout->addWidget(chisq_);
    layout->addWidget(yesButtons(*this));
}

std::optional<RegressionSettings> RegressionDialog::settings() {
    RegressionSettings chosen;
    const auto degree = fieldWhole(*degree_);
    if (!degree || *degree < 0 || *degree > kMaxDegree) {
        refuseField(kOutOfRange, uiText("Степень полинома"), *degree_, kMaxDegree);
        return std::nullopt;
    }
    const auto width = fieldWhole(*width_);
    if (!width || *width < 0 || *width > kMaxWidth) {
        refuseField(kOutOfRange, uiText("Ширина"), *width_, kMaxWidth);
        return std::nullopt;
    }
    chosen.degree = *degree;
    chosen.width = *width;
    chosen.color = color_->color();
    return chosen;
}

void RegressionDialog::accept() {
    if (!settings()) return;  // said; the dialog stays
    QDialog::accept();
}

bool runRegressionDialog(QWidget* parent, MapModel& model, PointSet& set) {
    RegressionDialog dialog(RegressionSettings::load(), set.regression(), parent);
    if (runDialog(dialog) != QDialog::Accepted) return true;
    const std::optional<RegressionSettings> chosen = dialog.settings();
    if (!chosen) return true;
    chosen->save();
    model.fitRegression(set, *chosen);
    return true;
}

}  // namespace gridova
