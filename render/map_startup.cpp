// The first display of a map view: the map is built from what the document
// read, the default files are loaded and the start-up map is made.
#include <filesystem>
#include <system_error>

#include "exchange/picture_writer.h"
#include "objects/line_text_files.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/text_codec.h"
#include "render/map_view.h"

namespace gridova {

namespace {

constexpr const char* kBorderFile = "Border.brd";
constexpr int kDefaultJpegQuality = 75;

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

}  // namespace

void CVexaView::loadDefaultFiles(const StartupOptions& options, bool always) {
    // The border: the switch's file, else "Border.brd" of the current
    // directory (with "Border" "Load" on).
    std::int32_t loadBorder = 1;
    readProfileInt("Border", "Load", loadBorder);
    std::string borderPath = options.borderFile;
    if (borderPath.empty() && (always || loadBorder != 0) && fileExists(kBorderFile)) {
        borderPath = kBorderFile;
    }
    if (!borderPath.empty()) {
        auto list = std::make_unique<LineList>();
        if (loadLineListFile(borderPath, *list)) {
            model_.border_ = std::move(list);
            model_.borderFile_ = std::filesystem::absolute(borderPath).string();
            model_.settings.showBorder = 1;
        }
    }
    // The grid: the switch's file, else "EqNet.net" (with "Grid" "Load").
    std::int32_t loadGrid = 0;
    readProfileInt("Grid", "Load", loadGrid);
    std::string gridPath = options.gridFile;
    if (gridPath.empty() && (always || loadGrid != 0) && fileExists(EqNet::kFileName)) {
        gridPath = EqNet::kFileName;
    }
    if (!gridPath.empty()) {
        std::unique_ptr<EqNet> grid = EqNet::fromFile(gridPath);
        if (grid && !grid->empty()) model_.grid_ = std::move(grid);
    }
}

void CVexaView::titleFromTable(CVexaDoc& doc, const DataTable& table) {
    if (table.headers().empty() || title) return;
    setTitle(MapTitle::fromHeaderLines(table.headers()));
    if (utf8Length(table.headers().front()) > 1) doc.title = table.headers().front();
}

void CVexaView::initialUpdate(CVexaDoc& doc, const StartupOptions& options) {
    model_.documentKind = doc.kind;
    model_.startupLevelsFile = options.levelsFile;
    model_.startupColorFile = options.colorFile;
    DataTable* table = doc.currentTable();
    switch (doc.kind) {
        case DocumentKind::Data:
            if (table != nullptr) {
                PointSet set;
                set.buildFromTable(*table);
                set.setName(defaultPointSetName());
                set.badgeFormat.readProfile(-1);
                set.computeStatistics();
                PointSet& main = model_.addPointSet(std::move(set));
                titleFromTable(doc, *table);
                loadDefaultFiles(options, false);
                if (model_.settings.connectPoints != 0 && main.size() >= 2) {
                    Line joined;
                    for (const DataPoint& p : main.points()) joined.addPoint(p.x, p.y);
                    joined.name = main.name();
                    model_.addLine(std::move(joined));
                    model_.objectTree_->modified = false;
                }
                for (const std::string& extra : options.extraFiles) addDataFile(doc, extra);
            }
            break;
        case DocumentKind::Coordinates:
            if (table != nullptr) {
                PointSet set;
                set.buildFromTable(*table, 0, 2, 3, 4);
                set.setName(defaultPointSetName());
                set.badgeFormat.readProfile(-1);
                set.computeStatistics();
                const PointSet& main = model_.addPointSet(std::move(set));
                titleFromTable(doc, *table);
                loadDefaultFiles(options, true);
                linesFromNamedPoints(main);
            }
            break;
        case DocumentKind::Document:
            readDocument(doc.documentPath);
            break;
        case DocumentKind::Triangles: {
            model_.triangleSet = &doc.triangles;
            model_.dataKind = DataKind::Triangles;
            PointSet set = pointSetFromTriangles(doc.triangles);
            set.setName(defaultPointSetName());
            set.badgeFormat.readProfile(-1);
            set.computeStatistics();
            if (set.size() > 0) model_.addPointSet(std::move(set));
            break;
        }
        default:
            break;
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
    // What was just built is what was opened: nothing to save yet.
    model_.mapChanged = false;
    invalidateMap();
}

void CVexaView::addDataFile(CVexaDoc& doc, const std::string& path) {
    auto table = std::make_unique<DataTable>();
    table->readFile(path);
    PointSet set;
    set.buildFromTable(*table);
    set.setName(std::filesystem::path(path).stem().string());
    set.badgeFormat.readProfile(-1);
    set.computeStatistics();
    if (doc.addTable(std::move(table)) < 0) return;
    if (set.size() > 0) model_.addPointSet(std::move(set));
}

void CVexaView::linesFromNamedPoints(const PointSet& set) {
    // Consecutive points of one name make a polyline in the sub-group of
    // that name, numbered within it; a polyline of one point is dropped.
    const std::vector<DataPoint>& points = set.points();
    std::size_t k = 0;
    while (k < points.size()) {
        const std::optional<std::string>& name = points[k].label;
        std::size_t end = k + 1;
        while (end < points.size() && points[end].label == name) ++end;
        if (name && end - k >= 2) {
            Line line;
            std::vector<LinePoint> xy;
            for (std::size_t i = k; i < end; ++i) xy.push_back({points[i].x, points[i].y});
            line.setPoints(std::move(xy));
            if (points[k].value.present()) line.value = points[k].value.value;
            Bush& tree = model_.objectTree();
            Bush* group = tree.findChild(*name);
            if (group == nullptr) group = &tree.addChild(std::make_unique<Bush>(*name));
            line.name = std::to_string(group->itemCount() + 1);
            group->addItem(BushItem(std::move(line)));
        }
        k = end;
    }
    if (model_.objectTree_) model_.objectTree_->modified = false;
}

// --- Start-up outputs -----------------------------------------------------------------------

bool isPictureName(const std::string& path) { return pictureFormatOf(path) != nullptr; }

bool CVexaView::exportPictureByName(const std::string& path) {
    // Any other extension writes nothing.
    if (!isPictureName(path)) return false;
    std::int32_t quality = kDefaultJpegQuality;
    readProfileInt("JPEG", "Quality", quality);
    const std::optional<gdi::Dib> picture = drawPicture();
    if (!picture) return false;
    const bool written = writePictureByName(*picture, path, std::clamp(quality, 0, 100));
    if (!written) warning(formatText(text(201), {path}));
    return written;
}

}  // namespace gridova
