#include "app/dialogs/dialog_runner.h"

#include <QDialog>
#include <utility>

namespace gridova {
namespace {

DialogRunner gRunner;

}  // namespace

void setDialogRunner(DialogRunner runner) { gRunner = std::move(runner); }

int runDialog(QDialog& dialog) { return gRunner ? gRunner(dialog) : dialog.exec(); }

}  // namespace gridova
