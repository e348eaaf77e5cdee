// The first display of a map view: the model is built from what the
// document read, the title from the table's header lines, and the start-up
// map is made; the start-up picture.
#include <algorithm>

#include "exchange/grid_import.h"
#include "exchange/metafile_player.h"
#include "exchange/picture_writer.h"
#include "picture/picture_loaders.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/text_codec.h"
#include "render/map_view.h"

namespace gridova {

namespace {

// "Файл %s: объёмные данные %d × %d × %d (переменных: %d) прочитаны, карта их не показывает"
constexpr int kVolumeNotMapped = 9461;

}  // namespace

void CVexaView::initialUpdate(CVexaDoc& doc, const StartupOptions& options) {
    model_.buildFromDocument(doc, options);
    if (doc.kind == DocumentKind::Document) readDocument(doc.documentPath);
    // A metafile document shows its picture (a file that is no metafile was
    // said by the reader, and the map stays empty).
    if (doc.kind == DocumentKind::Metafile) documentMetafile = readMetafile(doc.picturePath);
    // A picture document shows its picture fitted into the map (a file that
    // is no picture was said by the loader, and the map stays empty).
    if (doc.kind == DocumentKind::Picture) {
        if (std::optional<picture::LoadedPicture> p = picture::loadPicture(doc.picturePath)) {
            documentPicture = std::move(p->dib);
        }
    }
    // A grid file or a raster shows its nodes (a file that is no grid was
    // said by the reader, and the map stays empty).
    if (doc.kind == DocumentKind::GridFile) {
        GridFileKind kind = GridFileKind::Bad;
        if (std::optional<ImportedGrid> grid = readGridDocument(doc.path, &kind)) {
            model_.takeImportedGrid(*grid);
        } else if (kind == GridFileKind::Volume && !doc.volume) {
            // Kept for the volume view; the map has nothing to show of it.
            if (std::optional<VolumeData> volume = readVolumeFile(doc.path)) {
                context().warning(formatText(
                    text(kVolumeNotMapped), {doc.path, std::int64_t{volume->nx},
                                             std::int64_t{volume->ny}, std::int64_t{volume->nz},
                                             static_cast<std::int64_t>(volume->variables.size())}));
                doc.volume = std::make_shared<const VolumeData>(std::move(*volume));
            }
        }
    }
    if (doc.kind == DocumentKind::Array) takeDocumentArray(doc);
    model_.mapChanged = false;
    // A series graph is all an array of one row shows.
    if (model_.series() != nullptr) {
        invalidateMap();
        return;
    }

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
    // An array or a grid file laid as a map asks in a window what map to
    // make of it (the map list, starting at colour isolines).
    const bool laid = (doc.kind == DocumentKind::Array || doc.kind == DocumentKind::GridFile) &&
                      model_.mainPoints() != nullptr;
    if (laid && type < 0 && host_ != nullptr) {
        model_.settings.mapType = MapType::ColorIsolines;
        run(MapCommand::MapType);
    }
    invalidateMap();
}

void CVexaView::takeDocumentArray(CVexaDoc& doc) {
    if (doc.array.empty()) return;
    const auto count = static_cast<std::int64_t>(doc.array.size());
    if (!doc.arrayLayout) {
        ArrayLayout layout = ArrayLayout::forValues(count);
        if (arrayLayoutAsker) {
            std::optional<ArrayLayout> chosen = arrayLayoutAsker(doc.array, layout);
            if (!chosen) return;
            layout = std::move(*chosen);
        } else {
            // Unattended: the layout kept beside the array when it fits
            // (else message 178 and one row).
            readDimensionFile(doc.directory.empty() ? std::string(ArrayLayout::kFileName)
                                                    : doc.directory + "/" + ArrayLayout::kFileName,
                              count, layout);
        }
        doc.arrayLayout = std::move(layout);
    }
    if (!model_.takeArray(doc.array, *doc.arrayLayout)) return;
    if (model_.series() != nullptr) {
        // A graph: values and positions have their own scales, read from
        // an axis below and one to the left.
        aspectRatio = 0;
        AxesLayer& layer = axesLayer();
        if (layer.axes().empty()) {
            for (const auto& [xy, side] : {std::pair{MapAxis::kHorizontal, MapAxis::kBottom},
                                           {MapAxis::kVertical, MapAxis::kLeft}}) {
                MapAxis axis;
                axis.xy = xy;
                setAxisLocate(axis, side);
                layer.add(std::move(axis));
            }
        }
    }
}

bool CVexaView::showArrayLayer(std::int32_t layer) {
    if (!model_.showArrayLayer(layer)) return false;
    reinterpolate();
    return true;
}

// --- Start-up outputs -----------------------------------------------------------------------

bool isPictureName(const std::string& path) { return pictureFormatOf(path) != nullptr; }

}  // namespace gridova
