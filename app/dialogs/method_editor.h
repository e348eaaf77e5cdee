// The parameter dialogs of the methods, asked by the map model before a
// run whose stored source is not the defaults (MethodSettingsEditor).
#pragma once

#include "render/map_model.h"

class QWidget;

namespace gridova {

class DialogMethodEditor final : public MethodSettingsEditor {
public:
    explicit DialogMethodEditor(QWidget* parent) : parent_(parent) {}
    bool editInverseDistance(InverseDistanceSettings& settings,
                             const InverseDistanceParameters& defaults, int points) override;
    bool editKriging(KrigingSettings& settings, const KrigingDataSummary& data) override;

private:
    QWidget* parent_;
};

}  // namespace gridova
