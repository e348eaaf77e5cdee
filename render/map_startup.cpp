// The first display of a map view: the model is built from what the
// document read, the title from the table's header lines, and the start-up
// map is made; the start-up picture.
#include <algorithm>

#include "exchange/grid_import.h"
#include "exchange/metafile_player.h"
#include "exchange/picture_writer.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/text_codec.h"
#include "render/map_view.h"

namespace gridova {

namespace {

constexpr int kDefaultJpegQuality = 75;

}  // namespace

void CVexaView::initialUpdate(CVexaDoc& doc, const StartupOptions& options) {
    model_.buildFromDocument(doc, options);
    if (doc.kind == DocumentKind::Document) readDocument(doc.documentPath);
    // A metafile document shows its picture (a file that is no metafile was
    // said by the reader, and the map stays empty).
    if (doc.kind == DocumentKind::Metafile) documentMetafile = readMetafile(doc.picturePath);
    // A grid file shows its nodes (a file that is no grid was said by the
    // reader, and the map stays empty).
    if (doc.kind == DocumentKind::GridFile) {
        if (std::optional<ImportedGrid> grid = readGridFile(doc.path))
            model_.takeImportedGrid(*grid);
    }
    model_.mapChanged = false;

    // The start-up map type, else the default one of the profile.
    int type = -1;
    if (options.mapType) {
        type = *options.mapType;
    } else {
        std::int32_t enabled = 0, map = -1;
        readProfileInt("Maps", "Default", enabled);
        readProfileInt("Maps", "Map", map);
        if (enabled != 0) type = map;
    }
    if (type >= 0 && type <= static_cast<int>(MapType::ExistingValues)) {
        model_.settings.automaticLevels = true;
        applyMapType(static_cast<MapType>(type));
        model_.settings.automaticLevels = false;
    }
    // A map of data without a grid gets the default grid over what it shows.
    if (model_.extent()) model_.layDefaultGrid(computeWorldRect());
    // What was just built is what was opened: nothing to save yet.
    model_.mapChanged = false;
    invalidateMap();
}

// --- Start-up outputs -----------------------------------------------------------------------

bool isPictureName(const std::string& path) { return pictureFormatOf(path) != nullptr; }

bool CVexaView::exportPictureByName(const std::string& path) {
    // Any other extension writes nothing.
    if (!isPictureName(path)) return false;
    const PictureFormat* format = pictureFormatOf(path);
    if (format->record != nullptr) {
        // Text is measured as a memory picture would draw it.
        std::unique_ptr<gdi::FileDevice> device =
            format->record(path, canvas().pageSize(), canvas().pictureMeasure());
        if (device == nullptr) {
            context().warning(formatText(text(201), {path}));
            return false;
        }
        recordOn(*device);
        // A file that cannot be written is said by finish.
        return device->finish();
    }
    std::int32_t quality = kDefaultJpegQuality;
    readProfileInt("JPEG", "Quality", quality);
    const std::optional<gdi::Dib> picture = drawPicture();
    if (!picture) return false;
    const bool written = writePictureByName(*picture, path, std::clamp(quality, 0, 100));
    if (!written) context().warning(formatText(text(201), {path}));
    return written;
}

}  // namespace gridova
