// "Размеры поля" of an array without coordinates: how its values fold into
// columns (X), rows (Y) and layers (Z), whether the first row is the top
// row of the map ("Сверху вниз по Y"), the lower-left corner
// ("Координаты нижнего левого угла сетки") and the cell sizes, one for all
// columns (rows) or different ones ("Разные по X", "Разные по Y").
//
// A count is taken when the values divide by it (the other counts follow
// it); otherwise, or below 1, messages 179, 180 and 181 refuse it. "Да"
// writes the layout to "Dimensn.arr" in the array's directory.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "data/array_layout.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace gridova {

class ArrayDimensionsDialog final : public QDialog {
    Q_OBJECT
public:
    // `directory`: where "Dimensn.arr" is written (empty: the current one).
    ArrayDimensionsDialog(std::int64_t count, ArrayLayout start, std::string directory,
                          QWidget* parent);

    QLineEdit* columnsEdit() const { return columns_; }
    QLineEdit* rowsEdit() const { return rows_; }
    QLineEdit* layersEdit() const { return layers_; }
    QCheckBox* topToBottomCheck() const { return topToBottom_; }
    QLineEdit* originXEdit() const { return originX_; }
    QLineEdit* originYEdit() const { return originY_; }
    QLineEdit* cellWidthEdit() const { return cellWidth_; }
    QLineEdit* cellHeightEdit() const { return cellHeight_; }
    QPushButton* columnWidthsButton() const { return columnWidths_; }
    QPushButton* rowHeightsButton() const { return rowHeights_; }

    const ArrayLayout& layout() const { return layout_; }

    // A field's text is taken (as when it loses the focus); false when it
    // was refused (said, and the layout shows again).
    bool takeColumns();
    bool takeRows();
    bool takeLayers();
    bool takeOrigin(bool alongX);
    bool takeCellSize(bool alongX);
    // "Разные по X" / "Разные по Y": false when cancelled or refused.
    bool editSizes(bool alongX);
    // "Да": what was typed last is taken and the layout written to
    // "Dimensn.arr"; false (the dialog stays) when a field was refused.
    bool finish();

    void accept() override;

private:
    void showLayout();
    // The count typed in the field, taken by the layout's rule (the message
    // of the rule, or `refusal` for no whole number, when refused).
    bool takeCount(QLineEdit& edit, std::int32_t shown,
                   int (ArrayLayout::*set)(std::int64_t, std::int64_t), int refusal);

    std::int64_t count_;
    ArrayLayout layout_;
    std::string directory_;
    QLineEdit* columns_ = nullptr;
    QLineEdit* rows_ = nullptr;
    QLineEdit* layers_ = nullptr;
    QCheckBox* topToBottom_ = nullptr;
    QLineEdit* originX_ = nullptr;
    QLineEdit* originY_ = nullptr;
    QLineEdit* cellWidth_ = nullptr;
    QLineEdit* cellHeight_ = nullptr;
    QPushButton* columnWidths_ = nullptr;
    QPushButton* rowHeights_ = nullptr;
};

// The dialog for the values, starting from "Dimensn.arr" in `directory`
// when it fits them (else message 178 and `start`); the layout after "Да",
// nothing when cancelled.
std::optional<ArrayLayout> askArrayLayout(QWidget* parent, const std::vector<double>& values,
                                          ArrayLayout start, const std::string& directory);

}  // namespace gridova
