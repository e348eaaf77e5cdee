// "Полином регрессии": the degree of the polynomial fitted to a point set's
// X and Y, the colour and width of its curve, and the polynomial and chisq
// of the fit the set has. "Да" fits the set (and its derived sets), stores
// the choice in the profile and redraws; a degree outside 0..10 or a width
// outside 0..20 is refused with the field's message and the dialog stays.
#pragma once

#include <QDialog>
#include <optional>

#include "data/polynomial_regression.h"
#include "render/map_view.h"

class QLabel;
class QLineEdit;

namespace gridova {

class ColorButton;

class RegressionDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxDegree = PolynomialRegression::kMaxCoefficients - 1;
    static constexpr int kMaxWidth = 20;

    // Starts at the settings, replaced by those of the set's polynomial.
    RegressionDialog(const RegressionSettings& settings, const PolynomialRegression* fitted,
                     QWidget* parent);

    QLineEdit* degreeEdit() const { return degree_; }
    QLineEdit* widthEdit() const { return width_; }
    ColorButton* colorButton() const { return color_; }
    QLabel* polynomialText() const { return polynomial_; }
    QLabel* chisqText() const { return chisq_; }

    // The fields; nothing (the field's message shown) when one is refused.
    std::optional<RegressionSettings> settings();

    void accept() override;

private:
    QLineEdit* degree_ = nullptr;
    QLineEdit* width_ = nullptr;
    ColorButton* color_ = nullptr;
    QLabel* polynomial_ = nullptr;
    QLabel* chisq_ = nullptr;
};

// The point set's command "Полином регрессии...".
bool runRegressionDialog(QWidget* parent, MapModel& model, PointSet& set);

}  // namespace gridova
