// "Параметры метода Kriging": where the parameters come from ("По
// умолчанию", "Произвольные", "Предыдущие"), the variogram model, range,
// nugget and (total) sill, with the number of distinct points. "По
// умолчанию" shows the engine's defaults (the data diagonal as range, nugget
// 1, sill 3), "Предыдущие" what the profile keeps. A range that is not
// positive, a negative nugget or sill, or a value that is not a number is
// refused with the field's message.
#pragma once

#include <QDialog>
#include <optional>

#include "app/dialogs/dialog_fields.h"
#include "grid/kriging.h"

class QComboBox;
class QLineEdit;
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

    // The entry; nothing (and the field's message shown) when refused.
    std::optional<KrigingEntry> entry();
    void accept() override;

private:
    void showDefaults();
    void show(const KrigingSettings& s);

    KrigingDataSummary data_;
    ParameterSourceGroup* source_ = nullptr;
    QComboBox* model_ = nullptr;
    QLineEdit* range_ = nullptr;
    QLineEdit* nugget_ = nullptr;
    QLineEdit* sill_ = nullptr;
};

}  // namespace gridova
