// "Изменить вид линии": the look of a line of the object tree (or of every
// line of a group), with a preview of the line drawn as the map draws it.
//
// The name, "Ширина", the pen style, "Цвет", the fill with its colour, the
// hatch with its colour, "Все линии"; read-only "L = ", and for closed
// lines "S = " and the volume under the grid "V = ". Only the fields the
// user changed are applied; they also become the defaults for new lines
// (profile section "Line Option").
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "objects/line.h"
#include "render/map_view.h"

class QCheckBox;
class QComboBox;
class QImage;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace gridova {

class EqNet;

// What the dialog gives: the look of its fields and which of them changed.
struct LineLook {
    LineStyle style;
    std::string name;
    bool nameChanged = false;
    bool widthChanged = false;
    bool penChanged = false;
    bool colorChanged = false;
    bool fillChanged = false;  // the fill kind (TypeDraw)
    bool fillColorChanged = false;
    bool hatchChanged = false;
    bool patternColorChanged = false;
    bool allLines = false;  // "Все линии"

    bool anyChanged() const;
    // The changed fields into the line (the name only when `named`).
    void applyTo(Line& line, bool named) const;
    // The changed fields become the defaults for new lines.
    void writeDefaults() const;
};

class LineDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxWidth = 50;  // pixels

    // The first line gives the fields; L, S and V are the sums over the
    // lines (V over the grid's values, when it has them).
    LineDialog(const std::vector<const Line*>& lines, const EqNet* grid, QWidget* parent);

    QLineEdit* nameEdit() const { return name_; }
    QSpinBox* widthBox() const { return width_; }
    QComboBox* penList() const { return pen_; }
    QComboBox* colorList() const { return color_; }
    QComboBox* fillList() const { return fill_; }
    QComboBox* fillColorList() const { return fillColor_; }
    QComboBox* hatchList() const { return hatch_; }
    QComboBox* patternColorList() const { return patternColor_; }
    QCheckBox* allBox() const { return all_; }
    QLabel* lengthText() const { return length_; }
    QLabel* areaText() const { return area_; }
    QLabel* volumeText() const { return volume_; }
    QLabel* preview() const { return preview_; }

    LineLook look() const;

    // Selects the colour in a colour list, adding it when the list lacks it.
    static void selectColor(QComboBox& list, std::int32_t color);

    // The line drawn in its style, fitted into the picture.
    static QImage previewPicture(const Line& line, QSize size);

private:
    QComboBox* colorList(std::int32_t color);
    void showPreview();

    Line start_;
    QLineEdit* name_ = nullptr;
    QSpinBox* width_ = nullptr;
    QComboBox* pen_ = nullptr;
    QComboBox* color_ = nullptr;
    QComboBox* fill_ = nullptr;
    QComboBox* fillColor_ = nullptr;
    QComboBox* hatch_ = nullptr;
    QComboBox* patternColor_ = nullptr;
    QCheckBox* all_ = nullptr;
    QLabel* length_ = nullptr;
    QLabel* area_ = nullptr;
    QLabel* volume_ = nullptr;
    QLabel* preview_ = nullptr;
};

// The dialog for these lines of the view's object tree (the first gives
// the fields); "Да" applies the changed fields to them, or with "Все
// линии" the style to every line of the tree. False when nothing changed.
bool runLineDialog(QWidget* parent, CVexaView& view, const std::vector<Line*>& lines);

}  // namespace gridova
