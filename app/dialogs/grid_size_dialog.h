// "Размеры поля" ("Размеры сетки..."): the existing grid's node counts, the
// lower-left corner ("Координаты нижнего левого угла сетки") and its cell
// sizes, equal ones in the X and Y fields or different ones in the lists of
// "Разные по X" and "Разные по Y"; "Записать в файл" and "Ввести из файла"
// save and load the grid's sizes as a ".net" file. "Да" gives the grid the
// new steps and corner, writes "EqNet.net" and builds the map again. Counts
// below 2 and cell sizes that are not positive are refused with the
// field's message.
#pragma once

#include <QDialog>
#include <optional>
#include <string>
#include <vector>

#include "grid/eq_net.h"
#include "render/map_view.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace gridova {

// "Массив": numbers typed one after another (any separators of a data
// file), such as the cell sizes of a grid.
class NumberListDialog final : public QDialog {
    Q_OBJECT
public:
    NumberListDialog(const QString& title, const std::vector<double>& numbers, QWidget* parent);
    QPlainTextEdit* textEdit() const { return text_; }
    // The numbers of the text (tokens that are not numbers are skipped).
    std::vector<double> numbers() const;

private:
    QPlainTextEdit* text_ = nullptr;
};

class GridSizeDialog final : public QDialog {
    Q_OBJECT
public:
    static constexpr std::int32_t kMinNodes = 2;

    GridSizeDialog(const EqNet& grid, QWidget* parent);

    QLineEdit* nodesXEdit() const { return nodesX_; }
    QLineEdit* nodesYEdit() const { return nodesY_; }
    QLineEdit* cornerXEdit() const { return cornerX_; }
    QLineEdit* cornerYEdit() const { return cornerY_; }
    QLineEdit* cellXEdit() const { return cellX_; }
    QLineEdit* cellYEdit() const { return cellY_; }
    QPushButton* stepsXButton() const { return stepsXButton_; }
    QPushButton* stepsYButton() const { return stepsYButton_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* loadButton() const { return load_; }

    struct Sizes {
        std::vector<double> stepsX, stepsY;
        double cornerX = 0, cornerY = 0;
    };
    // The fields; nothing (and the field's message shown) when one is
    // refused.
    std::optional<Sizes> sizes();
    // The sizes as a grid (no values).
    static std::unique_ptr<EqNet> gridOf(const Sizes& sizes);

    // "Разные по X" / "Разные по Y": false when cancelled or refused.
    bool editSteps(bool alongX);
    bool saveToFile();
    bool loadFromFile();

    void accept() override;

private:
    void show(const EqNet& grid);
    void showSteps(bool alongX);

    std::vector<double> stepsX_, stepsY_;
    QLineEdit* nodesX_ = nullptr;
    QLineEdit* nodesY_ = nullptr;
    QLineEdit* cornerX_ = nullptr;
    QLineEdit* cornerY_ = nullptr;
    QLineEdit* cellX_ = nullptr;
    QLineEdit* cellY_ = nullptr;
    QPushButton* stepsXButton_ = nullptr;
    QPushButton* stepsYButton_ = nullptr;
    QPushButton* save_ = nullptr;
    QPushButton* load_ = nullptr;
};

bool runGridSizeDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
