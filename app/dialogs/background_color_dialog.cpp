#include "app/dialogs/background_color_dialog.h"

#include <QColorDialog>

namespace gridova {

bool runBackgroundColorDialog(QWidget* parent, CVexaView& view) {
    const gdi::ColorRef old = view.canvas().backgroundColor();
    const QColor chosen = QColorDialog::getColor(
        QColor(static_cast<int>(gdi::redOf(old)), static_cast<int>(gdi::greenOf(old)),
               static_cast<int>(gdi::blueOf(old))),
        parent);
    if (chosen.isValid()) {
        view.setBackgroundColor(gdi::rgb(static_cast<unsigned>(chosen.red()),
                                         static_cast<unsigned>(chosen.green()),
                                         static_cast<unsigned>(chosen.blue())));
    }
    return true;
}

}  // namespace gridova
