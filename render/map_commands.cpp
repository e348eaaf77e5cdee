#include "render/map_commands.h"

#include <array>
#include <cstdio>
#include <optional>

#include "objects/array_series.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/profile.h"

namespace gridova {

// The command actions reach into the view they act on.
struct MapCommandActions {
    static constexpr int kReinterpolate = 487;  // "Переинтерполировать заново?"
    static constexpr int kCommandFailed = 9004;  // "Не удалось выполнить команду"
    static constexpr int kSectionMissesValues = 9005;
    static constexpr const char* kSeriesExtension = "txt";

    using State = CommandState;

    static bool hasGrid(const CVexaView& v) { return v.model().grid() != nullptr; }
    static bool gridHasValues(const CVexaView& v) {
        return hasGrid(v) && v.model().grid()->hasValues();
    }

    // --- States ----------------------------------------------------------------------------
    static State gridLinesState(const CVexaView& v) {
        return {hasGrid(v), hasGrid(v) && v.model().grid()->showGrid != 0};
    }
    static State colorFillState(const CVexaView& v) {
        const IsolineSet* isolines = v.model().isolines();
        return {isolines != nullptr && !isolines->empty(), v.model().colorFill() != nullptr};
    }
    static State colorBarState(const CVexaView& v) {
        return {hasGrid(v), hasGrid(v) && v.model().grid()->colorScale.visible != 0};
    }
    static State frameState(const CVexaView& v) {
        return {true, v.model().settings.frameVisible != 0};
    }
    static State zoomNextState(const CVexaView& v) { return {v.zoom_.hasNext(), false}; }
    static State zoomPreviousState(const CVexaView& v) { return {v.zoom_.hasPrevious(), false}; }
    static State zoomAllState(const CVexaView& v) { return {v.zoom_.isOpen(), false}; }
    static State drawLineState(const CVexaView& v) { return {true, v.lineDrawing_}; }
    static State scaleBarState(const CVexaView& v) {
        return {v.scaleBar != nullptr, v.scaleBar && v.scaleBar->visible()};
    }
    static State aspectRatioState(const CVexaView& v) { return {true, v.aspectRatio != 0}; }
    static State connectPointsState(const CVexaView& v) {
        return {true, v.model().settings.connectPoints != 0};
    }
    static State mirrorState(const CVexaView& v) {
        const PointSet* main = v.model().mainPoints();
        return {main != nullptr && main->size() > 0, false};
    }
    static State crossSectionState(const CVexaView& v) {
        const Line* entered = v.enteredLine();
        return {entered != nullptr && entered->size() >= 2 && gridHasValues(v), false};
    }
    static State isolineListState(const CVexaView& v) { return {gridHasValues(v), false}; }
    static State needsGrid(const CVexaView& v) { return {hasGrid(v), false}; }
    static State seriesState(const CVexaView& v) { return {v.model().series() != nullptr, false}; }
    // Only a smoothed series has a table to write.
    static State smoothedState(const CVexaView& v) {
        const ArraySeries* series = v.model().series();
        return {series != nullptr && series->smoothed() != nullptr, false};
    }

    // --- Actions ---------------------------------------------------------------------------
    static bool toggleGridLines(CVexaView& v) {
        EqNet& grid = *v.model().grid();
        grid.showGrid = grid.showGrid != 0 ? 0 : 1;
        v.model().notify(kGridChanged);
        return true;
    }
    static bool toggleColorFill(CVexaView& v) {
        v.model().toggleColorFill();
        return true;
    }
    static bool toggleColorBar(CVexaView& v) {
        ColorScale& scale = v.model().grid()->colorScale;
        scale.visible = scale.visible != 0 ? 0 : 1;
        v.model().notify(kGridChanged);
        return true;
    }
    static bool toggleFrame(CVexaView& v) {
        MapSettings& s = v.model().settings;
        s.frameVisible = s.frameVisible != 0 ? 0 : 1;
        writeProfileInt("View Frame", "Visible", s.frameVisible);
        v.markChanged();
        return true;
    }
    static bool zoomPart(CVexaView& v) {
        const WorldRect area = v.canvas().drawingAreaWorld();
        const WorldRect world = v.canvas().worldWindow();
        const bool opened =
            v.zoom_.open(world, (area.xmin + area.xmax) / 2, (area.ymin + area.ymax) / 2);
        if (v.host_ != nullptr) v.host_->openDialog(MapCommand::ZoomPart, v);
        if (opened) v.invalidateMap();
        return true;
    }
    static bool zoomAll(CVexaView& v) {
        v.zoom_.close();
        v.invalidateMap();
        return true;
    }
    static bool zoomNext(CVexaView& v) {
        v.zoom_.next();
        v.invalidateMap();
        return true;
    }
    static bool zoomPrevious(CVexaView& v) {
        v.zoom_.previous();
        v.invalidateMap();
        return true;
    }
    // Starts a line, or ends it: a line of two points or more joins the
    // object tree with the defaults for new lines.
    static bool drawLine(CVexaView& v) {
        if (!v.lineDrawing_) {
            v.lineDrawing_ = true;
            v.lineGroup_ = nullptr;
            v.snap_.reset();
            v.startLineInput();
            if (v.host_ != nullptr) v.host_->openDialog(MapCommand::DrawLine, v);
            return true;
        }
        v.lineDrawing_ = false;
        v.snap_.reset();
        std::optional<Line> line = v.stopLineInput();
        if (line && line->size() >= 2) {
            LineDefaults defaults;
            defaults.read();
            defaults.applyTo(*line);
            // Named as the line dialog last named a line.
            if (!v.model().kept.defaultLineName.empty()) {
                line->name = v.model().kept.defaultLineName;
            }
            v.model().addLineTo(v.lineGroup_, std::move(*line));
        }
        v.lineGroup_ = nullptr;
        v.markChanged();
        return true;
    }
    static bool toggleScaleBar(CVexaView& v) {
        v.scaleBar->setVisible(!v.scaleBar->visible());
        v.markChanged();
        return true;
    }
    // Asked first, so that the map is drawn once, mirrored or rebuilt.
    static bool mirrorPoints(CVexaView& v) {
        const bool again = v.context().question(text(kReinterpolate)) == Answer::Yes;
        v.model().mirrorPoints();
        if (again) v.reinterpolate();
        return true;
    }
    static bool lockAspectRatio(CVexaView& v) {
        v.toggleAspectRatio();
        return true;
    }
    static bool toggleConnectPoints(CVexaView& v) {
        MapSettings& s = v.model().settings;
        s.connectPoints = s.connectPoints != 0 ? 0 : 1;
        writeProfileInt(CVexaView::kDefaultName, "Connect Point", s.connectPoints);
        return true;
    }
    // The profile along the entered line opens in a new window.
    static bool crossSection(CVexaView& v) {
        std::optional<CrossSection> section = v.makeCrossSection();
        if (!section) {
            v.context().warning(text(kSectionMissesValues));
            return true;
        }
        if (v.host_ == nullptr || !v.host_->openCrossSection(v, std::move(*section))) {
            v.context().warning(text(kCommandFailed));
        }
        return true;
    }
    // The smoothed series beside the one it smooths, to a text file.
    static bool saveSeries(CVexaView& v) {
        const std::string table = v.model().seriesTable();
        if (table.empty()) return true;
        const std::unique_ptr<OutputFile> file = chooseAndOpenTextWrite(kSeriesExtension);
        if (file == nullptr) return true;
        std::fwrite(table.data(), 1, table.size(), file->file());
        commitOrWarn(*file);
        return true;
    }
    // The map at the window's size: what the user sees is what is copied.
    static bool copyToClipboard(CVexaView& v) {
        v.copyToClipboard(v.context().clipboard());
        return true;
    }
};

namespace {

using A = MapCommandActions;
using C = MapCommand;

constexpr std::array kCommands = {
    MapCommandEntry{C::Border, nullptr, nullptr},
    MapCommandEntry{C::Grid, nullptr, nullptr},
    MapCommandEntry{C::ToggleGridLines, A::gridLinesState, A::toggleGridLines},
    MapCommandEntry{C::MapType, nullptr, nullptr},
    MapCommandEntry{C::Title, nullptr, nullptr},
    MapCommandEntry{C::BackgroundPicture, nullptr, nullptr},
    MapCommandEntry{C::Interpolation, A::needsGrid, nullptr},
    MapCommandEntry{C::Digitizing, nullptr, nullptr},
    MapCommandEntry{C::ToggleColorFill, A::colorFillState, A::toggleColorFill},
    MapCommandEntry{C::ToggleColorBar, A::colorBarState, A::toggleColorBar},
    MapCommandEntry{C::ToggleFrame, A::frameState, A::toggleFrame},
    MapCommandEntry{C::IsolineList, A::isolineListState, nullptr},
    MapCommandEntry{C::BadgeFormat, nullptr, nullptr},
    MapCommandEntry{C::BackgroundColor, nullptr, nullptr},
    MapCommandEntry{C::ZoomPart, nullptr, A::zoomPart},
    MapCommandEntry{C::ZoomAll, A::zoomAllState, A::zoomAll},
    MapCommandEntry{C::ZoomNext, A::zoomNextState, A::zoomNext},
    MapCommandEntry{C::ZoomPrevious, A::zoomPreviousState, A::zoomPrevious},
    MapCommandEntry{C::DrawLine, A::drawLineState, A::drawLine},
    MapCommandEntry{C::ToggleScaleBar, A::scaleBarState, A::toggleScaleBar},
    MapCommandEntry{C::MirrorPoints, A::mirrorState, A::mirrorPoints},
    MapCommandEntry{C::ColorScale, A::needsGrid, nullptr},
    MapCommandEntry{C::LockAspectRatio, A::aspectRatioState, A::lockAspectRatio},
    MapCommandEntry{C::ToggleConnectPoints, A::connectPointsState, A::toggleConnectPoints},
    MapCommandEntry{C::CopyToClipboard, nullptr, A::copyToClipboard},
    MapCommandEntry{C::PasteData, nullptr, nullptr},
    MapCommandEntry{C::SavePicture, nullptr, nullptr},
    MapCommandEntry{C::MapSize, nullptr, nullptr},
    MapCommandEntry{C::WriteGridText, nullptr, nullptr},
    MapCommandEntry{C::WriteGridGrd, nullptr, nullptr},
    MapCommandEntry{C::CrossSection, A::crossSectionState, A::crossSection},
    MapCommandEntry{C::View3D, nullptr, nullptr},
    MapCommandEntry{C::ViewOpenGL, nullptr, nullptr},
    MapCommandEntry{C::PointEditor, nullptr, nullptr},
    MapCommandEntry{C::CoordinateInput, nullptr, nullptr},
    MapCommandEntry{C::SolverSettings, A::needsGrid, nullptr},
    MapCommandEntry{C::GridSize, A::needsGrid, nullptr},
    MapCommandEntry{C::SmoothSeries, A::seriesState, nullptr},
    MapCommandEntry{C::SeriesOutliers, A::seriesState, nullptr},
    MapCommandEntry{C::SaveSeries, A::smoothedState, A::saveSeries},
};

constexpr bool inOrder() {
    for (std::size_t i = 0; i < kCommands.size(); ++i) {
        if (static_cast<std::size_t>(kCommands[i].id) != i) return false;
    }
    return true;
}
static_assert(inOrder(), "every command once, in the order of MapCommand");
static_assert(kCommands.size() == static_cast<std::size_t>(MapCommand::SaveSeries) + 1,
              "every command has its entry");

}  // namespace

std::span<const MapCommandEntry> mapCommands() { return kCommands; }

const MapCommandEntry& mapCommand(MapCommand id) { return kCommands[static_cast<std::size_t>(id)]; }

// --- The view's side -------------------------------------------------------------------

CommandState CVexaView::state(MapCommand command) const {
    const MapCommandEntry& entry = mapCommand(command);
    return entry.state != nullptr ? entry.state(*this) : CommandState{};
}

void CVexaView::drawLineInto(const Bush& group) {
    if (lineDrawing_) return;  // the line being drawn keeps its group
    run(MapCommand::DrawLine);
    if (lineDrawing_) lineGroup_ = &group;
}

bool CVexaView::run(MapCommand command) {
    if (!state(command).enabled) return false;
    const MapCommandEntry& entry = mapCommand(command);
    if (entry.run != nullptr) return entry.run(*this);
    // Commands with a dialog: the host opens it.
    return host_ != nullptr && host_->openDialog(command, *this);
}

}  // namespace gridova
