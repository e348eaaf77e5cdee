// "Параметры метода обратного расстояния": where the parameters come from
// ("По умолчанию", "Произвольные", "Предыдущие"), the search radius, the
// smallest radius, the power and the nearest points, with the number of
// points. "По умолчанию" shows what the run computes, "Предыдущие" what the
// profile keeps. A radius that is not positive, a count below 1 or a value
// that is not a number is refused with the field's message; a power below
// 1e-30 is not taken (the previous power stays).
#pragma once

#include <QDialog>
#include <optional>

#include "app/dialogs/dialog_fields.h"
#include "grid/inverse_distance.h"

class QLineEdit;
class QRadioButton;

namespace gridova {

class InverseDistanceDialog final : public QDialog {
    Q_OBJECT
public:
    InverseDistanceDialog(const InverseDistanceSettings& settings,
                          const InverseDistanceParameters& defaults, int points, QWidget* parent);

    QRadioButton* defaultsButton() const { return source_->defaultsButton(); }
    QRadioButton* customButton() const { return source_->customButton(); }
    QRadioButton* previousButton() const { return source_->previousButton(); }
    QLineEdit* radiusEdit() const { return radius_; }
    QLineEdit* toleranceEdit() const { return tolerance_; }
    QLineEdit* powerEdit() const { return power_; }
    QLineEdit* nearestEdit() const { return nearest_; }

    // The settings as entered; nothing (and the field's message shown)
    // when a field is refused.
    std::optional<InverseDistanceSettings> settings();
    void accept() override;

private:
    void show(const InverseDistanceParameters& p);
    void show(const InverseDistanceSettings& s);

    InverseDistanceParameters defaultValues_;
    ParameterSourceGroup* source_ = nullptr;
    QLineEdit* radius_ = nullptr;
    QLineEdit* tolerance_ = nullptr;
    QLineEdit* power_ = nullptr;
    QLineEdit* nearest_ = nullptr;
    QLineEdit* plateau_ = nullptr;  // kept, not shown
};

}  // namespace gridova
