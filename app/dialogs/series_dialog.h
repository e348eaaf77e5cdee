// The series of a one-row array: "Сгладить серию..." asks the width of the
// moving window (3 or more values; an odd width is centred), "Выбросы
// серии..." the threshold t of the outlier marks. The last values are kept
// in the profile ("Series": "Window", "Threshold").
#pragma once

#include <QDialog>
#include <optional>

#include "render/map_view.h"

class QLineEdit;

namespace gridova {

class SeriesParameterDialog final : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Window, Threshold };

    SeriesParameterDialog(Kind kind, double value, QWidget* parent);
    QLineEdit* valueEdit() const { return value_; }
    // The typed value; nothing after it was refused (said).
    std::optional<double> value();
    void accept() override;

private:
    Kind kind_;
    QLineEdit* value_ = nullptr;
};

bool runSmoothSeriesDialog(QWidget* parent, CVexaView& view);
bool runSeriesOutliersDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
