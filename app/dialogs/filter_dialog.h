// "Отфильтровать значения" (the map bar's grid: "Определить значающие
// элементы..."): keep only the nodes whose value meets a comparison. It
// opens ticked with ">" and the grid's value; OK stores the settings in the
// grid and the profile, applies the filter and builds the map again.
#pragma once

#include <QDialog>
#include <optional>

#include "render/map_view.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace gridova {

class FilterDialog final : public QDialog {
    Q_OBJECT
public:
    explicit FilterDialog(double value, QWidget* parent);

    QCheckBox* onBox() const { return on_; }
    QComboBox* signList() const { return sign_; }
    QLineEdit* valueEdit() const { return value_; }
    QCheckBox* defaultBox() const { return byDefault_; }

    struct Choice {
        bool on = true;
        std::int32_t sign = 4;
        double value = 0;
        bool byDefault = false;
    };
    // Nothing (and the message shown) when the value is not a number.
    std::optional<Choice> choice();
    void accept() override;

private:
    QCheckBox* on_ = nullptr;
    QComboBox* sign_ = nullptr;
    QLineEdit* value_ = nullptr;
    QCheckBox* byDefault_ = nullptr;
};

bool runFilterDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
