#include "app/dialogs/method_editor.h"

#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/inverse_distance_dialog.h"

namespace gridova {

bool DialogMethodEditor::editInverseDistance(InverseDistanceSettings& settings,
                                             const InverseDistanceParameters& defaults,
                                             int points) {
    InverseDistanceDialog dialog(settings, defaults, points, parent_);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<InverseDistanceSettings> entered = dialog.settings();
    if (!entered) return false;
    settings = *entered;
    return true;
}

bool DialogMethodEditor::editKriging(KrigingSettings&, const KrigingDataSummary&) { return false; }

}  // namespace gridova
