// "Изолинии": the map's isolines listed by number and value, "Показывать",
// and the commands on the selected rows: "Убрать" (the first selected),
// "Вставить" (a level between the first selected and the one above it, asked
// in "Новая изолиния"), "Значение" (each selected isoline's level, asked in
// "Заменить изолинию"), "Новые" (new levels through the levels dialog),
// "Из файла" and "Сохранить" (template files, ".ist").
#pragma once

#include <QDialog>
#include <optional>

#include "render/map_view.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace gridova {

// "Заменить изолинию": the current level and the new one. A new level that
// is not a number is said (message 76) and the dialog stays.
class IsolineValueDialog final : public QDialog {
    Q_OBJECT
public:
    IsolineValueDialog(const QString& caption, double current, QWidget* parent);
    QLineEdit* newEdit() const { return new_; }
    std::optional<double> level();
    void accept() override;

private:
    QLineEdit* new_ = nullptr;
};

class IsolineListDialog final : public QDialog {
    Q_OBJECT
public:
    IsolineListDialog(CVexaView& view, QWidget* parent);

    QTableWidget* list() const { return list_; }
    QCheckBox* showBox() const { return show_; }
    QPushButton* removeButton() const { return remove_; }
    QPushButton* insertButton() const { return insert_; }
    QPushButton* valueButton() const { return value_; }
    QPushButton* lookButton() const { return look_; }
    QPushButton* newButton() const { return new_; }
    QPushButton* loadButton() const { return load_; }
    QPushButton* saveButton() const { return save_; }

    bool removeSelected();
    bool insertLevel();
    bool changeSelected();
    bool saveTemplate();
    bool loadTemplate();
    // The list again from the map's isolines.
    void refill();

private:
    std::vector<int> selectedRows() const;

    CVexaView& view_;
    QTableWidget* list_ = nullptr;
    QCheckBox* show_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* insert_ = nullptr;
    QPushButton* value_ = nullptr;
    QPushButton* look_ = nullptr;
    QPushButton* new_ = nullptr;
    QPushButton* load_ = nullptr;
    QPushButton* save_ = nullptr;
};

bool runIsolineListDialog(QWidget* parent, CVexaView& view);

// "Вставить": a level asked in "Новая изолиния", proposed between the
// isoline `below` and the one above it (0 without one; nothing for the
// first), traced into the map.
bool insertIsolineAsked(QWidget* parent, MapModel& model, std::optional<int> below);

}  // namespace gridova
