// How the map's dialogs are shown: modally, or through a runner a test
// installs (it sets the dialog's controls and gives the answer without
// showing it).
#pragma once

#include <functional>

class QDialog;

namespace gridova {

using DialogRunner = std::function<int(QDialog&)>;

// Installs the runner; an empty one returns to showing the dialogs.
void setDialogRunner(DialogRunner runner);
// QDialog::Accepted or QDialog::Rejected.
int runDialog(QDialog& dialog);

}  // namespace gridova
