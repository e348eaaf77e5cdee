// "Изменить значок": how the main point set is drawn. "Значки точек":
// shown, the marker's radius and colour; "Радиус значения параметра":
// values as circles, their least and greatest radius and colour;
// "Цифровое значение параметра": nothing, the name, the value or both,
// the value's fraction digits, the font and text colour. "Да" gives the
// set (and its derived sets) the look and keeps it in the profile as the
// look of new sets. Radii that are negative or a least radius above the
// greatest are refused with the field's message.
#pragma once

#include <QDialog>
#include <optional>

#include "data/badge_format.h"
#include "render/map_view.h"

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace gridova {

class ColorButton;

class BadgeDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxRadius = 500;

    BadgeDialog(const BadgeFormat& format, QWidget* parent);

    QCheckBox* showBox() const { return show_; }
    QSpinBox* radiusBox() const { return radius_; }
    ColorButton* pointColorButton() const { return pointColor_; }
    QCheckBox* circlesBox() const { return circles_; }
    QSpinBox* minRadiusBox() const { return minRadius_; }
    QSpinBox* maxRadiusBox() const { return maxRadius_; }
    ColorButton* circleColorButton() const { return circleColor_; }
    QComboBox* textList() const { return text_; }
    QSpinBox* digitsBox() const { return digits_; }
    QPushButton* fontButton() const { return font_; }

    // The look of the fields; nothing (said) when refused.
    std::optional<BadgeFormat> format();
    void accept() override;

private:
    BadgeFormat start_;
    gdi::LogFont fontChosen_;
    gdi::ColorRef textColor_ = 0;
    QCheckBox* show_ = nullptr;
    QSpinBox* radius_ = nullptr;
    ColorButton* pointColor_ = nullptr;
    QCheckBox* circles_ = nullptr;
    QSpinBox* minRadius_ = nullptr;
    QSpinBox* maxRadius_ = nullptr;
    ColorButton* circleColor_ = nullptr;
    QComboBox* text_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QPushButton* font_ = nullptr;
};

bool runBadgeDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
