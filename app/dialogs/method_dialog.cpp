#include "app/dialogs/method_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/inverse_distance_dialog.h"
#include "app/dialogs/kriging_dialog.h"
#include "app/dialogs/solver_dialog.h"
#include "app/menu_table.h"
#include "app/ui_text.h"

namespace gridova {
namespace {

constexpr const char* kWarning =
    "WARNING. If count of points > 200 then KRIGING is slowly. Please use BLOCK KRIGING or "
    "SYSTEM OF LINEAR EQUATIONS";

}  // namespace

MethodDialog::MethodDialog(InterpolationMethod current, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("methodDialog"));
    setWindowTitle(uiText("Метод интерполяции"));
    list_ = new QListWidget(this);
    for (const MethodChoice& choice : methodChoices()) {
        list_->addItem(choice.text != 0 ? uiText(choice.text) : QString::fromLatin1(choice.name));
    }
    auto* warningText = new QLabel(QString::fromLatin1(kWarning), this);
    warningText->setWordWrap(true);
    solver_ = new QPushButton(uiText("Солвер..."), this);
    options_ = new QPushButton(uiText("Опции..."), this);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(uiText("Выбрать"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QDialogButtonBox::Cancel);
    buttons->addButton(solver_, QDialogButtonBox::ActionRole);
    buttons->addButton(options_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(solver_, &QPushButton::clicked, this, [this] { emit solverAsked(); });
    connect(options_, &QPushButton::clicked, this, [this] { emit optionsAsked(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this] { follow(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(warningText);
    layout->addWidget(buttons);
    choose(current);
}

InterpolationMethod MethodDialog::chosen() const {
    const int row = list_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= methodChoices().size()) {
        return InterpolationMethod::NoApply;
    }
    return methodChoices()[static_cast<std::size_t>(row)].method;
}

void MethodDialog::choose(InterpolationMethod method) {
    // A method without an entry shows as "No apply".
    int row = -1, noApply = 0;
    for (std::size_t k = 0; k < methodChoices().size(); ++k) {
        if (methodChoices()[k].method == method) row = static_cast<int>(k);
        if (methodChoices()[k].method == InterpolationMethod::NoApply)
            noApply = static_cast<int>(k);
    }
    list_->setCurrentRow(row >= 0 ? row : noApply);
    follow();
}

void MethodDialog::follow() {
    const InterpolationMethod m = chosen();
    solver_->setEnabled(m == InterpolationMethod::EquationSystem ||
                        m == InterpolationMethod::LargeGridEquationSystem);
    // The parameters of inverse distance and kriging.
    options_->setEnabled(m == InterpolationMethod::InverseDistance ||
                         m == InterpolationMethod::Kriging ||
                         m == InterpolationMethod::BlockKriging);
}

bool runMethodDialog(QWidget* parent, CVexaView& view) {
    EqNet* grid = view.model().grid();
    if (grid == nullptr) return false;
    MethodDialog dialog(grid->method, parent);
    QObject::connect(&dialog, &MethodDialog::solverAsked, &dialog,
                     [&dialog, &view] { runSolverDialog(&dialog, view); });
    QObject::connect(&dialog, &MethodDialog::optionsAsked, &dialog, [&dialog, &view] {
        const PointSet* points = view.model().mainPoints();
        if (dialog.chosen() != InterpolationMethod::InverseDistance) {
            // Kriging: the entered parameters are stored for the next runs.
            if (points == nullptr) return;
            KrigingDialog options(KrigingSettings::load(), summarizeKrigingData(*points), &dialog);
            if (runDialog(options) != QDialog::Accepted) return;
            const std::optional<KrigingEntry> e = options.entry();
            if (!e) return;
            KrigingSettings::save(e->source,
                                  KrigingParameters{e->model, e->range, e->nugget, e->sill});
            return;
        }
        // The parameters entered here are the ones the next runs take.
        const std::optional<InverseDistanceParameters> defaults =
            view.model().inverseDistanceDefaults();
        if (!defaults) return;
        InverseDistanceDialog options(
            InverseDistanceSettings::load(), *defaults,
            points != nullptr ? static_cast<int>(points->countWithValues()) : 0, &dialog);
        if (runDialog(options) != QDialog::Accepted) return;
        const std::optional<InverseDistanceSettings> entered = options.settings();
        if (!entered) return;
        InverseDistanceParameters p = *defaults;
        if (entered->power) p.power = *entered->power;
        if (entered->radius) p.radius = *entered->radius;
        if (entered->tolerance) p.tolerance = *entered->tolerance;
        if (entered->nearestPoints) p.nearestPoints = *entered->nearestPoints;
        if (entered->plateau) p.plateau = *entered->plateau;
        InverseDistanceSettings::save(entered->source, p);
    });
    if (runDialog(dialog) != QDialog::Accepted) return true;
    view.model().setMethod(dialog.chosen());
    return true;
}

}  // namespace gridova
