// "Ось": one axis of the map. X or Y and its side ("Слева", "Справа" for Y,
// "Сверху", "Снизу" for X), "Название" with its "Шрифт", the ticks ("По
// умолчанию", "Через шаг" with the least value and the step, showing the
// number of ticks and the greatest value, or "Предыдущие" from the side's
// profile section), the fraction digits ("По умолчанию" or a count) and
// "Показывать". A step that is not positive, or a least value that is not
// a number, is refused with the field's message.
#pragma once

#include <QDialog>
#include <optional>
#include <vector>

#include "objects/map_items.h"
#include "render/map_view.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace gridova {

class AxisDialog final : public QDialog {
    Q_OBJECT
public:
    // `map`: the map's world rectangle, which the axis runs along;
    // `series`: the point sets of the map, for "Серия".
    AxisDialog(const MapAxis& axis, const WorldRect& map, std::vector<const PointSet*> series,
               QWidget* parent);

    QComboBox* xyList() const { return xy_; }
    QComboBox* sideList() const { return side_; }
    // "Серия": "(нет)", then the map's point sets; a set laid over the map
    // gives the labels its own coordinates.
    QComboBox* seriesList() const { return series_; }
    QLineEdit* titleEdit() const { return title_; }
    QPushButton* fontButton() const { return font_; }
    QRadioButton* automaticButton() const { return automatic_; }
    QRadioButton* stepButton() const { return step_; }
    QRadioButton* previousButton() const { return previous_; }
    QLineEdit* firstEdit() const { return first_; }
    QLineEdit* stepEdit() const { return stepEdit_; }
    QLabel* countText() const { return count_; }
    QLabel* lastText() const { return last_; }
    QCheckBox* automaticDigitsBox() const { return autoDigits_; }
    QSpinBox* digitsBox() const { return digits_; }
    QCheckBox* showBox() const { return show_; }

    // The axis of the fields; nothing (said) when one is refused.
    std::optional<MapAxis> axis();
    void accept() override;

    // Ticks from the least value by the step to the axis's end: the number
    // of ticks and the last one (m + 1 ticks, last = first + m · step).
    static std::pair<int, double> ticksTo(double first, double step, double end);

private:
    void fillSides();
    void followTicks();

    // The end of the axis for the direction chosen, as its labels count
    // (in the series' coordinates when one is chosen).
    double end() const;
    // The series chosen; nothing for "(нет)".
    const PointSet* chosenSeries() const;

    MapAxis start_;
    WorldRect map_;
    QComboBox* xy_ = nullptr;
    QComboBox* side_ = nullptr;
    std::vector<const PointSet*> seriesSets_;
    QComboBox* series_ = nullptr;
    int startSeries_ = 0;
    QLineEdit* title_ = nullptr;
    QPushButton* font_ = nullptr;
    QRadioButton* automatic_ = nullptr;
    QRadioButton* step_ = nullptr;
    QRadioButton* previous_ = nullptr;
    QLineEdit* first_ = nullptr;
    QLineEdit* stepEdit_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* last_ = nullptr;
    QCheckBox* autoDigits_ = nullptr;
    QSpinBox* digits_ = nullptr;
    QCheckBox* show_ = nullptr;
};

// "Добавить ось...": a new axis through the dialog, added to the map and
// remembered for its side in the profile.
bool addAxisAsked(QWidget* parent, CVexaView& view);
// "Изменить вид..": the axis through the dialog; a change of side moves it
// into that side's group.
bool editAxisAsked(QWidget* parent, CVexaView& view, MapAxis& axis);

}  // namespace gridova
