#include "app/dialogs/method_editor.h"

#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/inverse_distance_dialog.h"
#include "app/dialogs/kriging_dialog.h"

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

bool DialogMethodEditor::editKriging(KrigingSettings& settings, const KrigingDataSummary& summary) {
    KrigingDialog dialog(settings, summary, parent_);
    if (runDialog(dialog) != QDialog::Accepted) return false;
    const std::optional<KrigingEntry> entered = dialog.entry();
    if (!entered) return false;
    settings = KrigingSettings::entered(*entered);
    return true;
}

}  // namespace gridova
