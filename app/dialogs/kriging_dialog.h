// "Параметры метода Kriging": where the parameters come from ("По
// умолчанию", "Произвольные", "Предыдущие"), the variogram model, range,
// nugget and (total) sill, with the number of distinct points. "По
// умолчанию" shows the engine's defaults (the data diagonal as range, nugget
// 1, sill 3), "Предыдущие" what the profile keeps. A range that is not
// positive, a negative nugget or sill, or a value that is not a number is
// refused with the field's message.
//
// Below them, "Вариограмма по данным" plots the experimental variogram of
// the distinct points with the model of the fields; "Подобрать" fits the
// chosen model to it (grid/variogram_fit.h) and draws the fit, and "Взять
// подобранные" puts the fitted range, nugget and sill into the fields as
// "Произвольные". Nothing changes unless the user fits and takes.
#pragma once

#include <QDialog>
#include <optional>

#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/variogram_plot.h"
#include "grid/kriging.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace gridova {

class KrigingDialog final : public QDialog {
    Q_OBJECT
public:
    KrigingDialog(const KrigingSettings& settings, const KrigingDataSummary& summary,
                  QWidget* parent);

    QRadioButton* defaultsButton() const { return source_->defaultsButton(); }
    QRadioButton* customButton() const { return source_->customButton(); }
    QRadioButton* previousButton() const { return source_->previousButton(); }
    QComboBox* modelList() const { return model_; }
    QLineEdit* rangeEdit() const { return range_; }
    QLineEdit* nuggetEdit() const { return nugget_; }
    QLineEdit* sillEdit() const { return sill_; }
    QPushButton* fitButton() const { return fit_; }
    QPushButton* takeButton() const { return take_; }
    QLabel* fitText() const { return fitText_; }
    VariogramPlot* plot() const { return plot_; }
    // The last fit of the model chosen, when there is one.
    const std::optional<FittedVariogram>& fitted() const { return fitted_; }

    // The entry; nothing (and the field's message shown) when refused.
    std::optional<KrigingEntry> entry();
    void accept() override;

private:
    void showDefaults();
    void show(const KrigingSettings& s);
    void fitModel();
    void takeFit();
    // The plot's dashed curve: the model of the fields when they read.
    void showEntered();

    KrigingDataSummary data_;
    ParameterSourceGroup* source_ = nullptr;
    QComboBox* model_ = nullptr;
    QLineEdit* range_ = nullptr;
    QLineEdit* nugget_ = nullptr;
    QLineEdit* sill_ = nullptr;
    VariogramPlot* plot_ = nullptr;
    QPushButton* fit_ = nullptr;
    QPushButton* take_ = nullptr;
    QLabel* fitText_ = nullptr;
    std::optional<ExperimentalVariogram> variogram_;  // made on the first fit
    std::optional<FittedVariogram> fitted_;
};

}  // namespace gridova
