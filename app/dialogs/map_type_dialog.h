// The "Карты" dialog ("Тип карты..."): the list of map types with the one
// shown selected, and "Установить как изначальную" (the type a newly opened
// document gets built, profile "Maps"). OK builds the chosen type.
#pragma once

#include <QDialog>

#include "render/map_view.h"

class QCheckBox;
class QListWidget;

namespace gridova {

class MapTypeDialog final : public QDialog {
    Q_OBJECT
public:
    MapTypeDialog(MapType current, bool asDefault, QWidget* parent);

    MapType chosen() const;
    void choose(MapType type);
    bool asDefault() const;
    void setAsDefault(bool on);

private:
    QListWidget* list_ = nullptr;
    QCheckBox* asDefault_ = nullptr;
};

// Runs the dialog on the view (the map dialogs' table, map_dialogs.cpp).
bool runMapTypeDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
