#include "render/map_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "contour/band_builder.h"
#include "exchange/grid_import.h"
#include "objects/array_series.h"
#include "objects/line_text_files.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/text_codec.h"
#include "render/triangle_layer.h"

namespace gridova {

namespace {

constexpr int kLinesGroup = 357;       // "Линии"
constexpr int kSectionText = 483;      // "Разрез"
constexpr int kSectionVertices = 484;  // "ЛинияРазрез1"
constexpr int kPolygonText = 485;      // "Полигон"
constexpr int kLineText = 79;          // "Линия"
constexpr int kSaveBorder = 302;       // "Сохранить файл границы?"
constexpr const char* kBorderFileName = "Border.brd";

}  // namespace

// --- Defaults for new lines ---------------------------------------------------------------

void LineDefaults::read() {
    readProfileInt("Line Option", "TypeDraw", typeDraw);
    readProfileInt("Line Option", "ColorPattern", fillColor);
    readProfileInt("Line Option", "ColorLine", colorLine);
    readProfileInt("Line Option", "WidthLine", widthLine);
}

void LineDefaults::applyTo(Line& line) const {
    line.style.colorLine = colorLine;
    line.style.widthLine = std::max(0, widthLine);
    if (line.isClosed()) {
        line.style.typeDraw = std::clamp(typeDraw, LineStyle::kOutline, LineStyle::kHatched);
        line.style.fillColor = fillColor;
    }
}

// --- The model -------------------------------------------------------------------------------

MapModel::MapModel(AppContext& context) : context_(context), pointTree_(std::make_unique<Bush>()) {}

MapModel::~MapModel() = default;

void MapModel::addObserver(MapModelObserver* observer) { observers_.push_back(observer); }

void MapModel::removeObserver(MapModelObserver* observer) { std::erase(observers_, observer); }

void MapModel::notify(unsigned changes) {
    mapChanged = true;
    for (MapModelObserver* o : observers_) o->mapModelChanged(changes);
}

void MapModel::setIsolines(std::unique_ptr<IsolineSet> set) {
    isolines_ = std::move(set);
    notify(kIsolinesChanged);
}

void MapModel::setBorder(std::unique_ptr<LineList> border) {
    border_ = std::move(border);
    notify(kBorderChanged);
}

void MapModel::setObjectTree(std::unique_ptr<Bush> tree) {
    objectTree_ = std::move(tree);
    notify(kLinesChanged);
}

void MapModel::setGrid(std::unique_ptr<EqNet> grid) {
    grid_ = std::move(grid);
    notify(kGridChanged);
}

Bush& MapModel::objectTree() {
    if (!objectTree_) objectTree_ = std::make_unique<Bush>(text(kLinesGroup));
    return *objectTree_;
}

BushItem& MapModel::addLine(Line line) {
    Bush& tree = objectTree();
    Bush& group = tree.addChild(std::make_unique<Bush>());
    return group.addItem(BushItem(std::move(line)));
}

void MapModel::setTitle(std::optional<MapTitle> title) {
    title_ = title ? std::make_unique<MapTitle>(std::move(*title)) : nullptr;
    notify(kTitleChanged);
}

PointSet& MapModel::addPointSet(PointSet set) {
    if (pointSetsAdded_ > 0) {
        set.badgeFormat.pointColor =
            kPointSetColors[(pointSetsAdded_ - 1) % kPointSetColors.size()];
    }
    ++pointSetsAdded_;
    BushItem& item = pointTree_->addItem(BushItem(std::move(set)));
    PointSet* added = item.pointSet();
    if (mainPoints_ == nullptr) mainPoints_ = added;
    notify(kPointsChanged);
    return *added;
}

NetworkSource MapModel::networkSource() const {
    return {mainPoints_, settings.showBorder != 0 ? border_.get() : nullptr,
            grid_ ? grid_->borderValue : BorderValueSetting{}};
}

std::optional<DRect> MapModel::extent() const {
    std::optional<DRect> box = dataExtent();
    if (grid_ && !grid_->empty()) include(box, grid_->extent());
    return box;
}

std::optional<DRect> MapModel::dataExtent() const {
    std::optional<DRect> box;
    for (std::size_t i = 0; i < pointTree_->itemCount(); ++i) {
        const PointSet* set = pointTree_->item(i).pointSet();
        double x0, x1, y0, y1;
        if (set != nullptr && set->asSeen().size() > 0 && set->ranges(x0, x1, y0, y1) == 0) {
            include(box, DRect(x0, y0, x1, y1));
        }
    }
    for (std::size_t i = 0; i < pointTree_->childCount(); ++i) {
        include(box, pointTree_->child(i).extent());
    }
    if (settings.showBorder != 0 && border_ && !border_->empty()) include(box, border_->extent());
    if (objectTree_) include(box, objectTree_->extent());
    return box;
}

bool MapModel::layDefaultGrid(const DRect& area) {
    if (grid_) return false;
    grid_ = EqNet::fromCounts(area, EqNet::kDefaultNodes, EqNet::kDefaultNodes);
    notify(kGridChanged);
    return true;
}

// --- Map types ---------------------------------------------------------------------------

int MapModel::completeLargeGridRun(LargeGridRun& run) {
    if (!grid_ || run.complete(*grid_) != 0) return -1;
    const int result = InterpolationDriver::finishChecked(*grid_, feedback_);
    if (result == 0) buildFromGridValues(settings.mapType);
    if (result == InterpolationDriver::kValuesNotFinite) mapProblem_ = MapProblem::ValuesNotFinite;
    notify(kEverythingChanged);
    return result;
}

std::optional<InverseDistanceParameters> MapModel::inverseDistanceDefaults() const {
    if (mainPoints_ == nullptr || !grid_ || grid_->empty()) return std::nullopt;
    InverseDistance engine;
    const int points = engine.loadPoints(*mainPoints_);
    if (points < 1) return std::nullopt;
    engine.setNearestPoints(points);
    if (engine.setNodes(grid_->nx(), grid_->nodeX().data(), grid_->ny(), grid_->nodeY().data()) <
        0) {
        return std::nullopt;
    }
    return engine.parameters();
}

int MapModel::computeGridValues(const DriverInputs& given) {
    const InterpolationMethod method = InterpolationDriver::methodFor(*grid_, given);
    const bool kriging =
        method == InterpolationMethod::Kriging || method == InterpolationMethod::BlockKriging;
    MethodSettings methods;
    bool krigingEntered = false;
    if (method == InterpolationMethod::InverseDistance) {
        methods.inverseDistance = InverseDistanceSettings::load();
        if (methods.inverseDistance.source != InverseDistanceSource::Defaults &&
            methodEditor != nullptr && mainPoints_ != nullptr &&
            mainPoints_->countWithValues() > 0) {
            if (const auto defaults = inverseDistanceDefaults()) {
                methodEditor->editInverseDistance(methods.inverseDistance, *defaults,
                                                  static_cast<int>(mainPoints_->countWithValues()));
            }
        }
    } else if (kriging) {
        methods.kriging = KrigingSettings::load();
        if (methods.kriging.source != KrigingSource::Defaults && methodEditor != nullptr &&
            mainPoints_ != nullptr && mainPoints_->countWithValues() > 0) {
            krigingEntered =
                methodEditor->editKriging(methods.kriging, summarizeKrigingData(*mainPoints_));
        }
    }
    MethodReport report;
    DriverInputs in = given;
    in.settings = &methods;
    in.report = &report;
    const int result = InterpolationDriver::interpolate(grid_.get(), in, extraHooks);
    // The parameters of a run are kept for the next one; those of kriging
    // only when they were entered.
    if (report.inverseDistance) {
        InverseDistanceSettings::save(methods.inverseDistance.source, *report.inverseDistance);
    }
    if (krigingEntered && report.kriging) {
        KrigingSettings::save(methods.kriging.source, *report.kriging);
    }
    return result;
}

DriverInputs MapModel::driverInputs(MapType type) const {
    DriverInputs in;
    in.dataKind = dataKind;
    in.keepValues = type == MapType::ExistingValues;
    in.points = mainPoints_;
    in.border = settings.showBorder != 0 ? border_.get() : nullptr;
    in.borderValue = settings.borderValue;
    in.pictureValues = pictureValues;
    in.pictureColumns = pictureColumns;
    in.pictureRows = pictureRows;
    in.pictureSmoothing = pictureSmoothing;
    in.triangles = triangleSet;
    in.feedback = &feedback_;
    return in;
}

void MapModel::traceIsolines() {
    const EqNet& grid = *grid_;
    if (!isolines_) isolines_ = std::make_unique<IsolineSet>();
    IsolineCommandOptions options;
    options.automatic = settings.automaticLevels;
    options.levelsFile = startupLevelsFile;
    bool levelsFileUnread = false;
    options.levelsFileUnread = &levelsFileUnread;
    options.dialog = levelsDialog;
    const int traced = runIsolineCommand(grid, *isolines_, options, traceSetLevels);
    if (levelsFileUnread) mapProblem_ = MapProblem::LevelsFileUnread;
    settings.automaticLevels = false;
    if (traced == 0) bandsFromIsolines();
}

void MapModel::bandsFromIsolines() {
    if (settings.mapType != MapType::ColorIsolines || !grid_ || !isolines_ || isolines_->empty()) {
        return;
    }
    // One colour band below, between and above the isolines.
    grid_->colorScale.setFromIsolineLevels(isolines_->values(), grid_->minValue(),
                                           grid_->maxValue());
    buildColorFill(*grid_);
}

void MapModel::buildFromGridValues(MapType type) {
    EqNet& grid = *grid_;
    if (!showsCells(type)) {
        grid.clearValid();  // the values are not for cell drawing
        traceIsolines();
        return;
    }
    // The colour map runs over the values, and over the data values too
    // when the values were just computed from them.
    double lo = grid.minValue(), hi = grid.maxValue();
    if (type != MapType::ExistingValues && mainPoints_ != nullptr &&
        mainPoints_->countWithValues() > 0) {
        double v0, v1;
        if (mainPoints_->valueRange(v0, v1) == 0) {
            lo = std::min(lo, v0);
            hi = std::max(hi, v1);
        }
    }
    grid.colorScale.setUpColorMap(lo, hi);
    grid.colorScale.visible = 1;
    grid.setValid();
    if (!startupColorFile.empty()) {
        grid.colorScale.readColorFile(startupColorFile, ColorScale::kNewScale);
    }
}

void MapModel::buildColorFill(EqNet& grid) {
    // The bands follow the scale's levels; the bar shows them.
    if (!startupColorFile.empty()) {
        grid.colorScale.readColorFile(startupColorFile, ColorScale::kNewScale);
    }
    grid.colorScale.visible = 1;
    colorFill_ = buildBands(grid);
    bandOutlines_.reset();
}

int MapModel::applyMapType(MapType type) {
    const bool hasData = (mainPoints_ != nullptr && mainPoints_->size() > 0) ||
                         dataKind == DataKind::Array || dataKind == DataKind::Triangles ||
                         (dataKind == DataKind::Picture && pictureValues != nullptr);
    gridWanted_ = false;
    if (!hasData) return -1;
    mapProblem_ = MapProblem::None;
    const DriverInputs in = driverInputs(type);
    if (InterpolationDriver::checkGrid(grid_, in) != 0) {
        gridWanted_ = !grid_;
        return -1;
    }
    settings.mapType = type;
    if (type != MapType::TriangleNetwork) network_.reset();
    int result = 0;
    switch (type) {
        case MapType::LocatePoints:
            isolines_.reset();
            colorFill_.reset();
            bandOutlines_.reset();
            grid_->clearValid();
            if (mainPoints_ != nullptr) mainPoints_->badgeFormat.valueShow = 0;
            break;
        case MapType::CircleValues:
            if (mainPoints_ != nullptr) {
                mainPoints_->computeSizeFactors();
                mainPoints_->badgeFormat.valueShow = 1;
            }
            break;
        case MapType::TriangleNetwork:
            // The network itself is the map.
            network_ = buildNetworkLines(networkSource(),
                                         dataKind == DataKind::Triangles ? triangleSet : nullptr);
            break;
        case MapType::Isolines:
        case MapType::ColorIsolines:
        case MapType::ColorCells:
        case MapType::ExistingValues:
            if (type != MapType::ColorIsolines) {
                colorFill_.reset();
                bandOutlines_.reset();
            }
            if (type == MapType::ColorCells || type == MapType::ExistingValues) isolines_.reset();
            result = computeGridValues(in);
            if (result == 0) buildFromGridValues(type);
            if (result == InterpolationDriver::kValuesNotFinite) {
                mapProblem_ = MapProblem::ValuesNotFinite;
            }
            break;
    }
    notify(kEverythingChanged);
    return result < 0 ? -1 : 0;
}

int MapModel::reinterpolate() { return applyMapType(settings.mapType); }

void MapModel::toggleColorFill() {
    if (colorFill_) {
        colorFill_.reset();
        bandOutlines_.reset();
    } else if (grid_ && isolines_ && !isolines_->empty()) {
        grid_->colorScale.setFromIsolineLevels(isolines_->values(), grid_->minValue(),
                                               grid_->maxValue());
        buildColorFill(*grid_);
    }
    notify(kColorFillChanged | kGridChanged);
}

void MapModel::mirrorPoints() {
    if (mainPoints_ == nullptr) return;
    mainPoints_->mirrorY();
    pointTree_->recomputeExtent();
    notify(kPointsChanged);
}

// --- Cross-section ---------------------------------------------------------------------------

std::optional<CrossSection> MapModel::crossSectionAlong(const Line& line) {
    if (line.size() < 2 || !grid_ || !grid_->hasValues()) return std::nullopt;
    const std::vector<LinePoint> polyline = line.points();
    const PointSet samples = grid_->sampleAlong(polyline);
    const std::vector<DataPoint>& s = samples.points();
    double base = 0;
    bool anyValue = false;
    for (const DataPoint& p : s) {
        if (!p.value.present()) continue;
        base = anyValue ? std::min(base, p.value.value) : p.value.value;
        anyValue = true;
    }
    // A line that meets no node with a value has no profile.
    if (!anyValue) return std::nullopt;
    const std::int32_t k = ++settings.sectionCounter;

    LineDefaults defaults;
    defaults.read();
    Line profile;
    double distance = 0;
    double previous = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (i > 0) distance += std::hypot(s[i].x - s[i - 1].x, s[i].y - s[i - 1].y);
        if (s[i].value.present()) {
            if (i > 0 && !s[i - 1].value.present()) profile.addPoint(distance, base);
            profile.addPoint(distance, s[i].value.value);
        } else {
            if (i > 0 && s[i - 1].value.present()) profile.addPoint(previous, base);
            profile.addPoint(distance, base);
        }
        previous = distance;
    }
    defaults.applyTo(profile);
    profile.name = formatText("%s%d(%s)", {text(kSectionText), std::int64_t{k}, text(kLineText)});

    Line polygon = profile;
    if (!polygon.empty() && !polygon.isClosed()) {
        const double lowest = polygon.extent().minY;
        const LinePoint first = polygon.points().front();
        const LinePoint last = polygon.points().back();
        std::vector<LinePoint> points = polygon.points();
        if (last.y != lowest) points.push_back({last.x, lowest});
        points.push_back({first.x, lowest});
        if (first.y != lowest) points.push_back(first);
        polygon.setPoints(std::move(points));
    }
    defaults.applyTo(polygon);
    polygon.name =
        formatText("%s%d(%s)", {text(kSectionText), std::int64_t{k}, text(kPolygonText)});

    auto group = std::make_unique<Bush>(text(kSectionText));
    group->addItem(BushItem(std::move(polygon)));
    group->addItem(BushItem(std::move(profile)));
    CrossSection section;
    section.tree = std::make_unique<Bush>(text(kLinesGroup));
    section.tree->addChild(std::move(group));
    section.title = formatText("%s %d", {text(kSectionText), std::int64_t{k}});

    section.vertices = grid_->verticesOf(polyline);
    section.vertices.setName(text(kSectionVertices));
    // The vertices carry the value of their nearest node and, in the
    // section's own coordinates, their distance along the line.
    double along = 0;
    auto& vertices = section.vertices.points();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        if (i > 0)
            along +=
                std::hypot(polyline[i].x - polyline[i - 1].x, polyline[i].y - polyline[i - 1].y);
        bool inside = false;
        const double v = grid_->valueAt(polyline[i].x, polyline[i].y, inside);
        if (inside) vertices[i].value.set(v);
        vertices[i].x = along;
    }
    section.vertices.hasLabels = 1;
    section.vertices.computeStatistics();
    return section;
}

void MapModel::takeCrossSection(CrossSection& section) {
    objectTree_ = std::move(section.tree);
    objectTree_->recomputeExtent();
    const double lowest = objectTree_->extent() ? objectTree_->extent()->minY : 0.0;
    auto vertexGroup = std::make_unique<Bush>("Vertexs");
    auto& vertices = section.vertices.points();
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        DataPoint& p = vertices[i];
        p.y = p.value.present() ? p.value.value : lowest;
        Line vertical(std::vector<LinePoint>{{p.x, lowest}, {p.x, p.y}});
        vertical.name = formatText("Vertex %d", {static_cast<std::int64_t>(i + 1)});
        vertexGroup->addItem(BushItem(std::move(vertical)));
    }
    objectTree_->addChild(std::move(vertexGroup));
    section.vertices.computeStatistics();
    addPointSet(std::move(section.vertices));
    notify(kLinesChanged | kPointsChanged);
}

// --- Border and filter ----------------------------------------------------------------

void MapModel::addToBorder(Line line) {
    line.close();
    if (!border_) border_ = std::make_unique<LineList>();
    if (!border_->empty()) line.copyStyle(border_->lines().front());
    border_->add(std::move(line));
    if (borderFile_.empty()) borderFile_ = absolutePath(kBorderFileName);
    saveLineListFile(borderFile_, *border_);
    notify(kBorderChanged);
}

bool MapModel::deleteBorder() {
    if (!border_) return false;
    switch (context_.question(text(kSaveBorder))) {
        case Answer::Cancel:
            return false;
        case Answer::Yes:
            if (borderFile_.empty()) borderFile_ = absolutePath(kBorderFileName);
            saveLineListFile(borderFile_, *border_);
            break;
        case Answer::No:
            // Only the file this border came from or went to.
            if (!borderFile_.empty()) std::remove(borderFile_.c_str());
            borderFile_.clear();
            break;
    }
    border_.reset();
    notify(kBorderChanged);
    return true;
}

bool MapModel::loadBorder(const std::string& path) {
    auto list = std::make_unique<LineList>();
    if (!loadLineListFile(path, *list)) return false;
    border_ = std::move(list);
    borderFile_ = absolutePath(path);
    notify(kBorderChanged);
    return true;
}

void MapModel::setBorderShown(bool shown) {
    settings.showBorder = shown ? 1 : 0;
    notify(kBorderChanged | kSettingsChanged);
}

void MapModel::setBorderValue(const OptionalValue& value) {
    settings.borderValue = value;
    if (grid_) grid_->borderValue = {value.present() ? 1 : 0, value.value};
    writeProfileOptionalDouble("Border", "BorderValue", value);
}

void MapModel::applyFilter(bool on, std::int32_t sign, double value, bool byDefault) {
    if (!grid_) return;
    grid_->filterOn = on ? 1 : 0;
    grid_->filterSign = sign;
    grid_->filterValue = value;
    grid_->defaultFilter = byDefault ? 1 : 0;
    grid_->writeFilterProfile();
    if (grid_->applyNodeFilter() > 0) {
        grid_->computeRange();
        grid_->FillBlank(kBlankValue);
    }
    reinterpolate();
}

void MapModel::setCellColor(gdi::ColorRef color) {
    if (!grid_) return;
    grid_->cellColor = color;
    writeProfileLong("Grid", "Cell Color", color);
    notify(kGridChanged);
}

// --- Building from a document ----------------------------------------------------------

void MapModel::titleFromHeaders(CVexaDoc& doc, const DataTable& table) {
    if (table.headers().empty() || title_) return;
    title_ = std::make_unique<MapTitle>(MapTitle::fromHeaderLines(table.headers()));
    if (utf8Length(table.headers().front()) > 1) doc.title = table.headers().front();
    notify(kTitleChanged);
}

void MapModel::buildFromDocument(CVexaDoc& doc, const StartupOptions& options) {
    documentKind = doc.kind;
    startupLevelsFile = options.levelsFile;
    startupColorFile = options.colorFile;
    DataTable* table = doc.currentTable();
    switch (doc.kind) {
        case DocumentKind::Data:
            if (table != nullptr) {
                titleFromHeaders(doc, *table);
                PointSet set;
                set.buildFromTable(*table);
                set.setName(defaultPointSetName());
                set.badgeFormat.readProfile(-1);
                set.computeStatistics();
                PointSet& main = addPointSet(std::move(set));
                loadDefaultFiles(options, false);
                if (settings.connectPoints != 0 && main.size() >= 2) {
                    Line joined;
                    for (const DataPoint& p : main.points()) joined.addPoint(p.x, p.y);
                    joined.name = main.name();
                    addLine(std::move(joined));
                    objectTree_->modified = false;
                }
                for (const std::string& extra : options.extraFiles) addDataFile(doc, extra);
            }
            break;
        case DocumentKind::Coordinates:
            if (table != nullptr) {
                titleFromHeaders(doc, *table);
                PointSet set;
                set.buildFromTable(*table, 0, 2, 3, 4);
                set.setName(defaultPointSetName());
                set.badgeFormat.readProfile(-1);
                set.computeStatistics();
                const PointSet& main = addPointSet(std::move(set));
                loadDefaultFiles(options, true);
                linesFromNamedPoints(main);
            }
            break;
        case DocumentKind::Triangles: {
            triangleSet = &doc.triangles;
            dataKind = DataKind::Triangles;
            PointSet set = pointSetFromTriangles(doc.triangles);
            set.setName(defaultPointSetName());
            set.badgeFormat.readProfile(-1);
            set.computeStatistics();
            if (set.size() > 0) addPointSet(std::move(set));
            break;
        }
        default:
            break;
    }
    mapChanged = false;
}

void MapModel::loadDefaultFiles(const StartupOptions& options, bool always) {
    // The border: the switch's file, else "Border.brd" of the current
    // directory (with "Border" "Load" on).
    std::int32_t loadBorder = 1;
    readProfileInt("Border", "Load", loadBorder);
    std::string borderPath = options.borderFile;
    if (borderPath.empty() && (always || loadBorder != 0) && isReadableFile(kBorderFileName)) {
        borderPath = kBorderFileName;
    }
    if (!borderPath.empty()) {
        auto list = std::make_unique<LineList>();
        if (loadLineListFile(borderPath, *list)) {
            border_ = std::move(list);
            borderFile_ = absolutePath(borderPath);
            settings.showBorder = 1;
        }
    }
    // The grid: the switch's file, else "EqNet.net" (with "Grid" "Load").
    std::int32_t loadGrid = 0;
    readProfileInt("Grid", "Load", loadGrid);
    std::string gridPath = options.gridFile;
    if (gridPath.empty() && (always || loadGrid != 0) && isReadableFile(EqNet::kFileName)) {
        gridPath = EqNet::kFileName;
    }
    if (!gridPath.empty()) {
        std::unique_ptr<EqNet> grid = gridFromFile(gridPath);
        if (grid && !grid->empty()) grid_ = std::move(grid);
    }
}

std::unique_ptr<EqNet> MapModel::gridFromFile(const std::string& path) {
    if (asciiLower(extensionOf(path)) == "net") return EqNet::fromFile(path);
    // A grid file or a raster: its nodes become the grid's inner nodes, as
    // when it is opened as a map.
    const std::optional<ImportedGrid> g = readGridDocument(path);
    if (!g || g->nx < 2 || g->ny < 2) return nullptr;
    return EqNet::fromCounts(DRect(g->xlo, g->ylo, g->xhi, g->yhi), g->nx + kImportExtraNodes,
                             g->ny + kImportExtraNodes);
}

PointSet* MapModel::addDataFile(CVexaDoc& doc, const std::string& path) {
    auto table = std::make_unique<DataTable>();
    table->readFile(path);
    PointSet set;
    set.buildFromTable(*table);
    set.setName(std::filesystem::path(path).stem().string());
    set.badgeFormat.readProfile(-1);
    set.computeStatistics();
    if (doc.addTable(std::move(table)) < 0 || set.size() == 0) return nullptr;
    return &addPointSet(std::move(set));
}

PointSet* MapModel::addDataText(CVexaDoc& doc, std::string_view text) {
    auto table = std::make_unique<DataTable>();
    table->readText(text);
    PointSet set;
    set.buildFromTable(*table);
    set.setName(defaultPointSetName());
    set.badgeFormat.readProfile(-1);
    set.computeStatistics();
    if (set.size() == 0) return nullptr;
    if (doc.addTable(std::move(table)) < 0) return nullptr;
    const bool first = mainPoints_ == nullptr;
    PointSet& added = addPointSet(std::move(set));
    if (first) {
        // The grid of the empty map gives way to one over the data.
        grid_.reset();
        if (const std::optional<DRect> area = extent()) layDefaultGrid(withSides(*area));
    }
    return &added;
}

void MapModel::linesFromNamedPoints(const PointSet& set) {
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
            Bush& tree = objectTree();
            Bush* group = tree.findChild(*name);
            if (group == nullptr) group = &tree.addChild(std::make_unique<Bush>(*name));
            line.name = std::to_string(group->itemCount() + 1);
            group->addItem(BushItem(std::move(line)));
        }
        k = end;
    }
    if (objectTree_) objectTree_->modified = false;
}

}  // namespace gridova
