// The background colour of the map: Qt's colour dialog, starting at the
// colour the map has.
#pragma once

#include "render/map_view.h"

class QWidget;

namespace gridova {

bool runBackgroundColorDialog(QWidget* parent, CVexaView& view);

}  // namespace gridova
