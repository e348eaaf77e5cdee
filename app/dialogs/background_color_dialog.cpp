#include "app/dialogs/background_color_dialog.h"

#include <QColorDialog>

#include "app/dialogs/dialog_fields.h"

namespace gridova {

bool runBackgroundColorDialog(QWidget* parent, CVexaView& view) {
    const gdi::ColorRef old = view.canvas().backgroundColor();
    const QColor chosen = QColorDialog::getColor(qColorOf(old), parent);
    if (chosen.isValid()) view.setBackgroundColor(colorRefOf(chosen));
    return true;
}

}  // namespace gridova
