#include "app/dialogs/map_dialogs.h"

#include <array>
#include <utility>

#include "app/dialogs/background_color_dialog.h"
#include "app/dialogs/badge_dialog.h"
#include "app/dialogs/color_scale_dialog.h"
#include "app/dialogs/grid_dialog.h"
#include "app/dialogs/grid_size_dialog.h"
#include "app/dialogs/isoline_list_dialog.h"
#include "app/dialogs/map_size_dialog.h"
#include "app/dialogs/map_type_dialog.h"
#include "app/dialogs/method_dialog.h"
#include "app/dialogs/series_dialog.h"
#include "app/dialogs/solver_dialog.h"
#include "app/dialogs/title_dialog.h"

namespace gridova {
namespace {

const std::array kDialogs{
    std::pair{MapCommand::BackgroundColor, &runBackgroundColorDialog},
    std::pair{MapCommand::MapType, &runMapTypeDialog},
    std::pair{MapCommand::Grid, &runGridDialog},
    std::pair{MapCommand::GridSize, &runGridSizeDialog},
    std::pair{MapCommand::IsolineList, &runIsolineListDialog},
    std::pair{MapCommand::BadgeFormat, &runBadgeDialog},
    std::pair{MapCommand::Title, &runTitleDialog},
    std::pair{MapCommand::ColorScale, &runColorScaleDialog},
    std::pair{MapCommand::MapSize, &runMapSizeDialog},
    std::pair{MapCommand::Interpolation, &runMethodDialog},
    std::pair{MapCommand::SolverSettings, &runSolverDialog},
    std::pair{MapCommand::SmoothSeries, &runSmoothSeriesDialog},
    std::pair{MapCommand::SeriesOutliers, &runSeriesOutliersDialog},
};

}  // namespace

MapDialog mapDialogFor(MapCommand command) {
    for (const auto& [c, dialog] : kDialogs) {
        if (c == command) return dialog;
    }
    return nullptr;
}

}  // namespace gridova
