#include "app/dialogs/background_color_dialog.h"

#include "app/dialogs/dialog_fields.h"

namespace gridova {

bool runBackgroundColorDialog(QWidget* parent, CVexaView& view) {
    const gdi::ColorRef old = view.canvas().backgroundColor();
    if (const auto chosen = askColor(parent, old)) view.setBackgroundColor(*chosen);
    return true;
}

}  // namespace gridova
