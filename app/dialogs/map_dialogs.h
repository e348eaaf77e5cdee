// The map's dialogs, one file each in this folder: a dialog is a function
// that the map window calls for its command (the view asks through
// MapViewHost::openDialog). A new dialog is its own file and one line in
// the table of map_dialogs.cpp.
#pragma once

#include "render/map_view.h"

class QWidget;

namespace gridova {

// Runs the dialog on the view; true when it ran, whatever the answer.
using MapDialog = bool (*)(QWidget* parent, CVexaView& view);

// The dialog of a command; nothing for a command without one (yet).
MapDialog mapDialogFor(MapCommand command);

}  // namespace gridova
