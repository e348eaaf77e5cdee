// "Характеристики солвера": the last run of the equation system (time,
// iterations, error), the solver (SOR or LSOR) and its parameters
// (precision, iteration limit, relaxation factor). "Да" stores them in the
// grid and the profile; a value that is not a positive number is refused
// with the field's message and the dialog stays open.
#pragma once

#include <QDialog>
#include <cstdint>
#include <optional>

#include "grid/eq_net.h"
#include "render/map_view.h"

class QLabel;
class QLineEdit;
class QRadioButton;

namespace gridova {

class SolverDialog final : public QDialog {
    Q_OBJECT
public:
    SolverDialog(const EqNet& grid, QWidget* parent);

    QLineEdit* precisionEdit() const { return precision_; }
    QLineEdit* iterationsEdit() const { return iterations_; }
    QLineEdit* relaxationEdit() const { return relaxation_; }
    QRadioButton* sorButton() const { return sor_; }
    QRadioButton* lsorButton() const { return lsor_; }
    QLabel* lastRunText() const { return lastRun_; }

    struct Values {
        std::int32_t solver = 0;
        double precision = 0;
        std::int32_t maxIterations = 0;
        double relaxation = 0;
    };
    // The fields; nothing (and the field's message shown) when one is not
    // a positive number.
    std::optional<Values> values();

    void accept() override;

private:
    QLabel* lastRun_ = nullptr;
    QRadioButton* sor_ = nullptr;
    QRadioButton* lsor_ = nullptr;
    QLineEdit* precision_ = nullptr;
    QLineEdit* iterations_ = nullptr;
    QLineEdit* relaxation_ = nullptr;
};

// The command "Установить параметры солвера..." and the method dialog's
// "Солвер...": only with a grid.
bool runSolverDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
