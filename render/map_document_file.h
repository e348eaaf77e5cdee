// The document file of a map (".GDV"): a header text, the settings record
// and one step per map object, each announced by a presence record.
//
// The file holds the map model (its objects, title and settings) and what
// the document keeps of the window that showed it: the page settings and
// the pick tolerance (MapPageRecord).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "render/canvas_view.h"
#include "render/map_model.h"

namespace gridova {

class BinaryReader;
class BinaryWriter;
class RecordBuffer;

// The settings of the showing window that a document keeps.
struct MapPageRecord {
    // The distance in pixels within which a click picks an object.
    static constexpr std::int32_t kPickPixels = 3;

    PrintSetup printSetup;
    std::int32_t aspectRatio = 1;
    // Screen margins in pixels: left, top, right, bottom.
    std::array<std::int32_t, 4> pixelMargins{
        CanvasView::kDefaultPixelMargin, CanvasView::kDefaultPixelMargin,
        CanvasView::kDefaultPixelMargin, CanvasView::kDefaultPixelMargin};
    double pickX = 0;  // the pick tolerance in world units of the last drawing
    // The map's axes: written as the document's third tree when given (and
    // holding an axis); when reading, the third tree read is left in the
    // model for the view to take its axes from.
    const Bush* axes = nullptr;
};

class MapDocumentFile {
public:
    static constexpr const char* kDocumentHeader = "Gridova ";
    static constexpr const char* kVersionText = "1, 8, 7, 0";

    // Writes through a temporary file renamed over the target; false (and
    // message 201, the old file kept) when anything failed. The map counts
    // as unchanged afterwards.
    static bool write(const std::string& path, MapModel& model, const MapPageRecord& page);
    // Replaces the model's objects by the document's; reading stops at the
    // first damaged section ("Invalid format." once) and keeps what was
    // read. The observers learn of everything; the map counts as unchanged.
    static bool read(const std::string& path, MapModel& model, MapPageRecord& page);
    // The same from the file's bytes.
    static bool readBytes(std::string_view bytes, MapModel& model, MapPageRecord& page);

private:
    static bool read(BinaryReader& in, MapModel& model, MapPageRecord& page);
    static void writeSettingsRecord(BinaryWriter& out, const MapModel& model,
                                    const MapPageRecord& page);
    static void readSettingsRecord(RecordBuffer& r, MapModel& model, MapPageRecord& page);
    template <class Model, class Page, class Io>
    static void settingsFields(Model& model, Page& page, Io& io);
};

}  // namespace gridova
