// "Изменить вид изолинии": the line's width, style and colour, the value
// labels ("Значок значения": shown, direction, digits, font and text colour,
// border and fill colours, the distance to the first label and between
// labels), with a preview of the isoline's longest piece drawn as the map
// draws it. "Все изолинии" gives the look to every isoline and makes it
// the default of new ones.
#pragma once

#include <QDialog>

#include "contour/isoline_format.h"
#include "objects/line.h"
#include "render/map_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace gridova {

class ColorButton;

class IsolineFormatDialog final : public QDialog {
    Q_OBJECT
public:
    // `piece`: the isoline's longest piece, drawn in the preview.
    IsolineFormatDialog(const IsolineFormat& format, const Line& piece, QWidget* parent);

    QSpinBox* widthBox() const { return width_; }
    QComboBox* styleList() const { return style_; }
    ColorButton* lineColorButton() const { return lineColor_; }
    QCheckBox* labelsBox() const { return labels_; }
    QComboBox* orientList() const { return orient_; }
    QSpinBox* digitsBox() const { return digits_; }
    QPushButton* fontButton() const { return font_; }
    ColorButton* borderColorButton() const { return border_; }
    ColorButton* fillColorButton() const { return fill_; }
    QSpinBox* firstLabelBox() const { return first_; }
    QSpinBox* spacingBox() const { return spacing_; }
    QCheckBox* allBox() const { return all_; }
    QLabel* preview() const { return preview_; }

    // The look of the fields.
    IsolineFormat format() const;
    // The font and text colour, as "Шрифт" sets them.
    void setFont(const gdi::LogFont& font, gdi::ColorRef color);
    // The preview drawn again from the fields.
    void showPreview();
    // The preview's picture: the piece drawn with the format.
    static QImage previewPicture(const Line& piece, const IsolineFormat& format, QSize size);

private:
    IsolineFormat start_;
    Line piece_;
    gdi::LogFont fontChosen_;
    gdi::ColorRef textColor_ = 0;
    QSpinBox* width_ = nullptr;
    QComboBox* style_ = nullptr;
    ColorButton* lineColor_ = nullptr;
    QCheckBox* labels_ = nullptr;
    QComboBox* orient_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QPushButton* font_ = nullptr;
    ColorButton* border_ = nullptr;
    ColorButton* fill_ = nullptr;
    QSpinBox* first_ = nullptr;
    QSpinBox* spacing_ = nullptr;
    QCheckBox* all_ = nullptr;
    QLabel* preview_ = nullptr;
};

// "Вид" of the isoline list for the isolines at these indexes: false when
// cancelled, or when the first has no piece ("Изолиния пустая").
bool runIsolineFormatDialog(QWidget* parent, MapModel& model, const std::vector<int>& indexes);

}  // namespace gridova
