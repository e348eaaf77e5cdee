#include "app/startup_run.h"

#include "exchange/grid_export.h"
#include "view3d/relief_view.h"
#if GRIDOVA_HAVE_GDAL
#include "exchange/gdal_raster.h"
#endif
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/text_codec.h"

namespace gridova {

namespace {

constexpr int kNoValuesToWrite = 9006;  // "В сетке нет значений: файл %s не записан"
// "В сетке нет значений для 3D: файл %s не записан"
constexpr int kNoValuesForRelief = 9462;
constexpr int kUnknownPicture = 9007;  // "Неизвестный тип картинки: файл %s не записан"
#if !GRIDOVA_HAVE_GDAL
constexpr int kNoGdal = 9448;  // "Программа собрана без GDAL: файл GeoTIFF %s не записан"
#endif

// The values in the layout the name asks for: ".grd" (any case) the binary
// grid file, ".tif" and ".tiff" a GeoTIFF (when GDAL is built in), any other
// name the text of the "Digit Output" settings.
bool writeStartupValues(const EqNet& grid, const std::string& path) {
    const std::string extension = asciiLower(extensionOf(path));
    if (extension == "grd") {
        return exportGrd(grid, path, std::nullopt).written;
    }
    if (extension == "tif" || extension == "tiff") {
#if GRIDOVA_HAVE_GDAL
        return writeGeoTiff(grid, path);
#else
        warning(formatText(text(kNoGdal), {path}));
        return false;
#endif
    }
    return exportText(grid, path, std::nullopt).written;
}

}  // namespace

int writeStartupOutputs(CVexaView& view, const StartupOptions& options) {
    // A map that could not be built as asked is not written (the reason was
    // shown): a levels file that gives no levels is an input that could not
    // be read; values beyond the number range make no outputs.
    switch (view.model().mapProblem()) {
        case MapModel::MapProblem::LevelsFileUnread:
            return kExitInputFailed;
        case MapModel::MapProblem::ValuesNotFinite:
            return kExitOutputFailed;
        case MapModel::MapProblem::None:
            break;
    }
    // A metafile document that is no metafile was said when it was read.
    if (view.model().documentKind == DocumentKind::Metafile && !view.documentMetafile) {
        return kExitInputFailed;
    }
    // So is a picture that could not be loaded.
    if (view.model().documentKind == DocumentKind::Picture && !view.documentPicture) {
        return kExitInputFailed;
    }
    // So is a grid file that gives no grid.
    if (view.model().documentKind == DocumentKind::GridFile &&
        view.model().mainPoints() == nullptr) {
        return kExitInputFailed;
    }
    int status = kExitDone;
    if (!options.valuesFile.empty()) {
        const EqNet* grid = view.model().grid();
        if (grid == nullptr || !grid->hasValues()) {
            warning(formatText(text(kNoValuesToWrite), {options.valuesFile}));
            status = kExitOutputFailed;
        } else if (!writeStartupValues(*grid, options.valuesFile)) {
            status = kExitOutputFailed;
        }
    }
    if (!options.pictureFile.empty()) {
        // The 3D relief of the map's grid, on a page of the map's size.
        std::unique_ptr<CVexa3DView> relief;
        if (options.pictureView == PictureView::Relief) {
            relief = std::make_unique<CVexa3DView>();
            relief->readProfile();
            relief->canvas().setPageSize(view.canvas().pageSize());
            relief->build(view.model());
            if (relief->empty()) {
                warning(formatText(text(kNoValuesForRelief), {options.pictureFile}));
                return kExitOutputFailed;
            }
        }
        CanvasView& shown = relief ? static_cast<CanvasView&>(*relief) : view;
        if (!shown.exportPictureByName(options.pictureFile)) {
            if (!isPictureName(options.pictureFile)) {
                warning(formatText(text(kUnknownPicture), {options.pictureFile}));
            }
            status = kExitOutputFailed;
        } else {
            view.markPictureSaved();
        }
    }
    return status;
}

int runWithoutWindow(const StartupOptions& options) {
    if (options.file.empty()) return kExitDone;
    CVexaDoc doc;
    const DocumentKind pending = options.openAsArray ? DocumentKind::Array : DocumentKind::Data;
    if (!doc.open(options.file, pending)) return kExitInputFailed;
    CVexaView view;
    view.readProfile();
    view.initialUpdate(doc, options);
    return writeStartupOutputs(view, options);
}

}  // namespace gridova
