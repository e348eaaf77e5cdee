// "Метод интерполяции" ("Интерполяция..."): the eight methods with the
// grid's selected ("No apply" for none), "Солвер..." for the two equation
// systems, "Опции..." for inverse distance and kriging, and the warning
// about kriging on many points. "Выбрать" stores the method in the grid and
// the profile; nothing is computed until the next build.
#pragma once

#include <QDialog>

#include "grid/eq_net.h"
#include "render/map_view.h"

class QListWidget;
class QPushButton;

namespace gridova {

class MethodDialog final : public QDialog {
    Q_OBJECT
public:
    MethodDialog(InterpolationMethod current, QWidget* parent);

    InterpolationMethod chosen() const;
    void choose(InterpolationMethod method);
    QPushButton* solverButton() const { return solver_; }
    QPushButton* optionsButton() const { return options_; }

signals:
    void solverAsked();
    void optionsAsked();

private:
    void follow();

    QListWidget* list_ = nullptr;
    QPushButton* solver_ = nullptr;
    QPushButton* options_ = nullptr;
};

bool runMethodDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
