// "Шкала цветов": the colour scale of the grid, edited on a copy with a
// live preview of the bar.
//
// "Максимум..."/"Минимум..." choose the gradient's ends (the colours are
// made again); "Записать в файл..."/"Ввести из файла..." write and read a
// colour file (".clr"), read from the position asked in "Вставить цвета";
// the digits of the labels and their font; "Расположение" left or right of
// the map; the free fractions "Сверху"/"Снизу"; "Порядок" with the maximum
// at the top or the bottom; "Число цветов" (equal bands with a fresh
// gradient); "Значения..." the band edges; "Установить значения" holds the
// range at "Min".."Max"; "Показать" draws the bar. The edits set the
// scale's Changed bits, which tell the map what to build again.
#pragma once

#include <QDialog>
#include <optional>
#include <utility>

#include "objects/color_scale.h"
#include "render/map_view.h"

class QCheckBox;
class QImage;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace gridova {

// "Вставить цвета": the position from which the colours of a file go in.
class ColorPositionDialog final : public QDialog {
    Q_OBJECT
public:
    explicit ColorPositionDialog(QWidget* parent);
    QLineEdit* positionEdit() const { return position_; }
    // The typed position; a text that is not a whole number is refused
    // with message 76 and the dialog stays.
    std::optional<int> position();
    void accept() override;

private:
    QLineEdit* position_ = nullptr;
};

class ColorScaleDialog final : public QDialog {
    Q_OBJECT
public:
    ColorScaleDialog(const ColorScale& scale, QWidget* parent);

    QPushButton* maxColorButton() const { return maxColor_; }
    QPushButton* minColorButton() const { return minColor_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* loadButton() const { return load_; }
    QSpinBox* digitsBox() const { return digits_; }
    QPushButton* fontButton() const { return font_; }
    QRadioButton* leftButton() const { return left_; }
    QRadioButton* rightButton() const { return right_; }
    QLineEdit* upEdit() const { return up_; }
    QLineEdit* downEdit() const { return down_; }
    QRadioButton* maxUpButton() const { return maxUp_; }
    QRadioButton* maxDownButton() const { return maxDown_; }
    QSpinBox* countBox() const { return count_; }
    QPushButton* valuesButton() const { return values_; }
    QCheckBox* fixedRangeBox() const { return fixedRange_; }
    QLineEdit* minEdit() const { return min_; }
    QLineEdit* maxEdit() const { return max_; }
    QCheckBox* showBox() const { return show_; }
    QLabel* preview() const { return preview_; }

    // The edited scale with its Changed bits; nothing after a field was
    // refused (said).
    std::optional<ColorScale> edited();

    // The bar of the scale as the preview shows it: world window 0..1,
    // margins of 2 pixels and 25 more on the left.
    static QImage previewPicture(const ColorScale& scale, QSize size);

    void accept() override;

private:
    // The fields that act at once: a check of the range, the end colours,
    // the count, the values, a colour file.
    void chooseEndColor(bool highest);
    void changeCount(int count);
    void editValues();
    void fixRange(bool fixed);
    // Min and Max when both are numbers and Max is above Min; else a field
    // is refused.
    std::optional<std::pair<double, double>> typedRange();
    bool saveColors();
    bool loadColors();
    void chooseFont();
    // The display fields into the copy; false after a field was refused.
    bool takeFields(bool say);
    void refreshCountAndRange();
    void showPreview();

    ColorScale scale_;
    const ColorScale start_;
    QPushButton* maxColor_ = nullptr;
    QPushButton* minColor_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* load_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QPushButton* font_ = nullptr;
    QRadioButton* left_ = nullptr;
    QRadioButton* right_ = nullptr;
    QLineEdit* up_ = nullptr;
    QLineEdit* down_ = nullptr;
    QRadioButton* maxUp_ = nullptr;
    QRadioButton* maxDown_ = nullptr;
    QSpinBox* count_ = nullptr;
    QPushButton* values_ = nullptr;
    QCheckBox* fixedRange_ = nullptr;
    QLineEdit* min_ = nullptr;
    QLineEdit* max_ = nullptr;
    QCheckBox* show_ = nullptr;
    QLabel* preview_ = nullptr;
};

// "Изменить вид цветной шкалы" and a double click on the bar between its
// bands: the dialog, and on "Да" the map takes the scale.
bool runColorScaleDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
