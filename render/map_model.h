// The map of one window as data.
//
// `MapModel` owns what a map is made of: the point tree with its main set,
// the grid with its colour scale, the isolines, the colour fill and band
// outlines, the border, the object tree "Линии" of lines and texts, the
// triangle network, and the settings the document keeps. It applies map
// types as plain steps (the interpolation driver computes the grid's
// values, then the isolines are traced or the cell colour map prepared,
// then the colour bands are built) and tells its observers which objects
// changed. It draws nothing: a view (CVexaView) draws it.
//
// Each 2D map window has its own model; a new window builds its own map
// from the document's data.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "contour/isoline_levels.h"
#include "contour/isoline_set.h"
#include "data/map_document.h"
#include "data/point_set.h"
#include "data/polynomial_regression.h"
#include "grid/eq_net.h"
#include "grid/equation_method.h"
#include "grid/interpolation_driver.h"
#include "grid/interpolator.h"
#include "grid/triangle_method.h"
#include "objects/bush.h"
#include "objects/line_list.h"
#include "objects/map_title.h"
#include "platform/app_context.h"
#include "render/map_type.h"
#include "render/startup_options.h"

namespace gridova {

struct ImportedGrid;
struct ArrayLayout;
class ArraySeries;

// Which objects of a model changed (bits of MapModelObserver's argument).
enum MapChange : unsigned {
    kPointsChanged = 1u << 0,     // the point tree or the main set
    kGridChanged = 1u << 1,       // the grid, its values or its colour scale
    kIsolinesChanged = 1u << 2,   // the isolines
    kColorFillChanged = 1u << 3,  // the colour fill and band outlines
    kBorderChanged = 1u << 4,     // the border
    kLinesChanged = 1u << 5,      // the object tree and the triangle network
    kSettingsChanged = 1u << 6,   // the map settings and what the map shows beside its objects
    kTitleChanged = 1u << 7,      // the title
    kEverythingChanged = ~0u,
};

class MapModelObserver {
public:
    virtual ~MapModelObserver() = default;
    virtual void mapModelChanged(unsigned changes) = 0;
};

// The map settings the document keeps.
struct MapSettings {
    MapType mapType = MapType::LocatePoints;
    std::int32_t frameVisible = 1;       // "View Frame" "Visible"
    std::int32_t connectPoints = 0;      // "Canvas View" "Connect Point"
    std::int32_t defaultMapEnabled = 0;  // "Maps" "Default"
    std::int32_t defaultMap = 1;         // "Maps" "Map"
    std::int32_t showBorder = 1;
    std::int32_t sectionCounter = 0;  // cross-sections made
    bool automaticLevels = false;     // the next build takes automatic levels
    OptionalValue borderValue;        // "Border" "BorderValue"
};

// Items of the document's settings record that nothing of the map uses:
// stored and restored as they were read.
struct MapKeptSettings {
    std::array<std::int32_t, 4> printerMargins{0, 0, 0, 0};
    std::int32_t baseMapDefault = 0;  // "Base Map" "Default"
    std::int32_t word10 = 0;
    std::int32_t pictureSaved = 2;  // 1 once the start-up picture was written
    std::int32_t method = 0;        // stored for a map without a grid
    std::int32_t gridNodesX = EqNet::kDefaultNodes, gridNodesY = EqNet::kDefaultNodes;
    std::int32_t word30 = 0;
    std::array<std::int32_t, 6> array{1, 1, 1, 1, 1, 1};
    std::array<std::int32_t, 4> newLine{0, 0, 0, 0};
    std::int32_t highlighted = 0;
    std::int32_t widenCells = 1;
    std::string defaultLineName;  // "Line Option" "DefaultLineName"
};

// What a cross-section gives the main frame: the tree for the new view, its
// title and the vertex point set.
struct CrossSection {
    std::unique_ptr<Bush> tree;
    std::string title;
    PointSet vertices;
};

// The defaults for new lines (profile section "Line Option"): every line
// takes the pen; closed lines also the fill.
struct LineDefaults {
    std::int32_t typeDraw = LineStyle::kFilled;
    std::int32_t fillColor = LineStyle::kWhite;
    std::int32_t colorLine = 0;
    std::int32_t widthLine = 0;

    void read();
    void applyTo(Line& line) const;
};

// Asks for the parameters of a method before its run: the parameter
// dialogs of the application. It is asked only when the stored source of
// the parameters is not the defaults.
class MethodSettingsEditor {
public:
    virtual ~MethodSettingsEditor() = default;
    // True when the user confirmed: the settings are then what was entered.
    // `defaults`: what the run computes without entered values (the radius
    // from the points' extent, the tolerance from the node spacing, every
    // point taking part), for `points` points with values.
    virtual bool editInverseDistance(InverseDistanceSettings& settings,
                                     const InverseDistanceParameters& defaults, int points) = 0;
    virtual bool editKriging(KrigingSettings& settings, const KrigingDataSummary& data) = 0;
};

class MapModel {
public:
    static constexpr std::array<gdi::ColorRef, 15> kPointSetColors{
        gdi::rgb(0, 255, 255),   gdi::rgb(255, 255, 0),   gdi::rgb(255, 251, 240),
        gdi::rgb(255, 0, 255),   gdi::rgb(166, 202, 240), gdi::rgb(192, 220, 192),
        gdi::rgb(255, 255, 255), gdi::rgb(192, 192, 192), gdi::rgb(128, 128, 128),
        gdi::rgb(128, 128, 0),   gdi::rgb(255, 0, 0),     gdi::rgb(128, 0, 0),
        gdi::rgb(0, 0, 128),     gdi::rgb(0, 128, 0),     gdi::rgb(0, 128, 128)};

    // The model reaches the user through the context (its questions, and
    // the progress and messages of its runs).
    explicit MapModel(AppContext& context = processContext());
    ~MapModel();
    MapModel(const MapModel&) = delete;
    MapModel& operator=(const MapModel&) = delete;

    AppContext& context() const { return context_; }

    // --- Observers ------------------------------------------------------------------
    void addObserver(MapModelObserver* observer);
    void removeObserver(MapModelObserver* observer);
    // The map changed since it was opened or saved; the observers learn
    // which objects.
    void notify(unsigned changes);

    // --- Objects ----------------------------------------------------------------------
    EqNet* grid() { return grid_.get(); }
    const EqNet* grid() const { return grid_.get(); }
    void setGrid(std::unique_ptr<EqNet> grid);
    IsolineSet* isolines() { return isolines_.get(); }
    const IsolineSet* isolines() const { return isolines_.get(); }
    void setIsolines(std::unique_ptr<IsolineSet> set);
    Bush* colorFill() { return colorFill_.get(); }
    const Bush* colorFill() const { return colorFill_.get(); }
    LineList* bandOutlines() { return bandOutlines_.get(); }
    const LineList* bandOutlines() const { return bandOutlines_.get(); }
    LineList* border() { return border_.get(); }
    const LineList* border() const { return border_.get(); }
    void setBorder(std::unique_ptr<LineList> border);
    // What the triangle network of the map is built from: the main set, the
    // border when it is shown, and the grid's border value.
    NetworkSource networkSource() const;
    // The third tree a document brought (its axes); dropped once the view
    // has taken them.
    const Bush* thirdTree() const { return thirdTree_.get(); }
    void dropThirdTree() {
        thirdTree_.reset();
        thirdTreeLinks_.clear();
    }
    LineList* network() { return network_.get(); }
    const LineList* network() const { return network_.get(); }
    // The object tree "Линии", made on first use.
    Bush& objectTree();
    Bush* objectTreeIfAny() { return objectTree_.get(); }
    const Bush* objectTreeIfAny() const { return objectTree_.get(); }
    void setObjectTree(std::unique_ptr<Bush> tree);
    // A single line becomes the only item of a new child group of the tree.
    BushItem& addLine(Line line);
    // The line joins the group when it is still part of the tree, else it
    // is added as addLine adds it.
    BushItem& addLineTo(const Bush* group, Line line);
    // Is the group part of the object tree (the tree itself included)?
    bool holdsGroup(const Bush* group) const;
    // The title above the map; none when the map has no title.
    MapTitle* title() { return title_.get(); }
    const MapTitle* title() const { return title_.get(); }
    void setTitle(std::optional<MapTitle> title);

    Bush& pointTree() { return *pointTree_; }
    const Bush& pointTree() const { return *pointTree_; }
    // The set interpolation uses; nullptr without one.
    PointSet* mainPoints() { return mainPoints_; }
    const PointSet* mainPoints() const { return mainPoints_; }
    // Puts the set into the point tree; the first set becomes the main set.
    // Sets after the first take the next colour of the rotation.
    PointSet& addPointSet(PointSet set);

    // The union of the extents of the point sets, the border while it is
    // shown, the object tree and the grid; none for an empty map.
    std::optional<DRect> extent() const;
    // The same without the grid: what a new grid is laid over.
    std::optional<DRect> dataExtent() const;
    // Without a grid: the default grid of kDefaultNodes × kDefaultNodes
    // over the area. False when there was a grid already.
    bool layDefaultGrid(const DRect& area);

    // --- Data and settings ----------------------------------------------------------
    MapSettings settings;
    MapKeptSettings kept;
    DataKind dataKind = DataKind::Points;
    // The values of an array document (data kind 1).
    const std::vector<double>* arrayValues = nullptr;
    // Inputs of a digitized picture (data kind 2).
    const std::vector<double>* pictureValues = nullptr;
    std::int32_t pictureColumns = 0, pictureRows = 0, pictureSmoothing = 0;
    // The triangle network of a TRIANGLES document (data kind 4).
    const TriangleNetwork* triangleSet = nullptr;
    // The levels and colour files named at start-up (switches "i" and "c").
    std::string startupLevelsFile;
    std::string startupColorFile;
    IsolineLevelsDialog* levelsDialog = nullptr;
    // The parameter dialogs of the methods; none in unattended runs (the
    // stored parameters are then taken).
    MethodSettingsEditor* methodEditor = nullptr;
    DriverHooks extraHooks;  // the large-grid takeover
    // The kind of document the map was made for.
    DocumentKind documentKind = DocumentKind::Data;
    // The map changed since it was opened or saved.
    bool mapChanged = false;

    // --- Building ---------------------------------------------------------------------
    // The map from what the document read: the main point set of a data
    // file with "Border.brd" and "EqNet.net", joined points and further data
    // files; lines of named coordinates; the points of a triangle network.
    // A document file is read by MapDocumentFile.
    void buildFromDocument(CVexaDoc& doc, const StartupOptions& options);
    // A grid file's first display (render/map_grid_import.cpp): its nodes
    // as the hidden main point set (a blank node without a value), the
    // map's grid over its extent with two more nodes each side and the
    // filter value 1e20, and a green frame through the midpoints of the
    // grid's outer node columns and rows as the border. False, and nothing
    // changed, for fewer than two nodes either way.
    bool takeImportedGrid(const ImportedGrid& grid);
    // An array without coordinates (render/map_array.cpp): for a layout of
    // one row and one layer, a series graph (a group "Series" of the object
    // tree); otherwise the first layer's cells as the hidden main point set
    // at their centres, the grid with nodes at the cell centres and on the
    // outer edges from the layout's origin, and the green frame of a grid
    // file as the border. The values stay the caller's: they must outlive
    // the model. False, and nothing changed, when the layout does not fold
    // the values.
    bool takeArray(const std::vector<double>& values, const ArrayLayout& layout);
    // The array's layer (from 1) gives the main points their values; the
    // map is not built again here. False when there is no such layer.
    bool showArrayLayer(std::int32_t layer);
    std::int32_t arrayLayers() const { return arrayValues != nullptr ? kept.array[2] : 0; }
    std::int32_t arrayLayer() const { return kept.array[3]; }
    // The series of a one-row array; nullptr for other maps.
    const ArraySeries* series() const { return series_.get(); }
    // The last series of the chain is smoothed with the window, or gets
    // its normalised values and marks; the graph is drawn again. False
    // when nothing was made.
    bool smoothSeries(std::int32_t window);
    bool markSeries(double threshold);
    // The last smoothed series beside the one it smooths, as the lines of
    // a text file; empty when nothing is smoothed.
    std::string seriesTable() const;
    // One more data set from a file, as a point set of the map.
    // nullptr when the file gave no point.
    PointSet* addDataFile(CVexaDoc& doc, const std::string& path);
    // Text in the clipboard's form (spreadsheet columns) as a point set of
    // the map; the table goes to the document. A map without a main set
    // takes it as its main set, and its grid is laid anew over the data.
    // nullptr (nothing changes) when the text holds no point.
    PointSet* addDataText(CVexaDoc& doc, std::string_view text);

    // --- Map types ------------------------------------------------------------------
    // Builds the map type; -1 when nothing was built (no data, no grid,
    // objects outside the grid, nothing computed).
    int applyMapType(MapType type);
    // What kept the last map type from being built as asked (the message was
    // shown); start-up runs end with an error status for it.
    enum class MapProblem { None, LevelsFileUnread, ValuesNotFinite };
    MapProblem mapProblem() const { return mapProblem_; }
    // The last map type could not be built for want of a grid.
    bool gridWanted() const { return gridWanted_; }
    // Runs the grid's method again for the current map type.
    int reinterpolate();
    // A large-grid run handed to extraHooks.largeGridStarted has been shown
    // to its end: its values go into the grid, are checked, and the map
    // type is built from them. 0, -1 when the run gave no values, or
    // InterpolationDriver::kValuesNotFinite.
    int completeLargeGridRun(LargeGridRun& run);
    // The colour fill goes, or is built from the isolines' levels.
    void toggleColorFill();
    // The main set mirrored top to bottom within its range.
    void mirrorPoints();

    // The inverse-distance parameters a run computes for the main set on the
    // grid (none without both).
    std::optional<InverseDistanceParameters> inverseDistanceDefaults() const;

    // --- Editing the objects (render/map_model_edits.cpp) -----------------------------
    // The grid's method (and the profile's): the next build uses it, nothing
    // is computed now. False without a grid.
    bool setMethod(InterpolationMethod method);
    // Each tells the observers what changed; false when nothing did.
    // The set (one of the point tree's) becomes the main set.
    bool setMainPoints(PointSet* set);
    // The set leaves the point tree; the main set's place goes to the first
    // set left, or to none.
    bool removePointSet(const PointSet* set);
    // A line through the set's points in their order joins the object tree.
    bool joinPoints(const PointSet& set);
    // The main set's points become these (a map without a main set gets
    // one, named as new sets are); statistics and size factors are made
    // again, and a polynomial of the set is fitted to them. The grid's values are not recomputed
    // here (reinterpolate).
    PointSet& replaceMainPoints(const std::vector<DataPoint>& points);
    // Fits a polynomial of the degree to every set of the chain that starts
    // at this one (the set and its derived sets), each in the colour and
    // width given; a set whose fit is refused (said through the model's
    // feedback) keeps no polynomial. False when any fit was refused.
    bool fitRegression(PointSet& set, const RegressionSettings& chosen);
    // The look of the set's badges (and of its derived sets'); kept in the
    // profile as the look of new sets.
    void setBadgeFormat(PointSet& set, const BadgeFormat& format);
    // The chain's polynomials go; false when there was none.
    bool removeRegression(PointSet& set);
    // The polygons around the main set's points over the grid's extent
    // (grid/point_polygons.h), kept with the grid and drawn on the map;
    // false without a grid or points.
    bool buildPointPolygons();
    bool removePointPolygons();
    // The polygons as a group "Полигоны точек" of the object tree, each
    // named by its point's label or number.
    bool copyPointPolygonsToLines();
    // The isolines' pieces as lines of a new group of the object tree: one
    // sub-group per isoline, named by its level, each line with the level
    // as its value. With `index`, that isoline only.
    bool copyIsolinesToLines(std::optional<int> index = std::nullopt);
    // The outlines of the colour bands as a new group of the object tree.
    bool copyColorFillToLines();
    // A band of the colour scale takes the colour; the colour fill takes
    // the new colours (its outlines stay). False for an index outside the
    // scale.
    bool setBandColor(int index, gdi::ColorRef color);
    // The colour-scale dialog's OK: the grid's scale takes the edited one
    // (kept in the profile). With new boundaries, a map of isolines is
    // traced again at every boundary above the lowest and its colour
    // bands follow the scale; with new colours only, the bands take them.
    // False without a grid.
    bool applyColorScale(const ColorScale& edited);
    // The isoline list's commands. Each traces on the grid's values (a
    // grid without values is interpolated first) and, on a map of colour
    // isolines, gives the colour scale the new levels and builds the bands
    // again. False when nothing changed.
    // One more level ("Вставить").
    bool insertIsoline(double level);
    // The isoline's level changed ("Значение").
    bool changeIsolineLevel(int index, double level);
    // New levels through the levels dialog ("Новые").
    bool rebuildIsolines();
    // The levels and formats of a template file ("Из файла"); false (the
    // reader has said why) when it could not be read.
    bool loadIsolineTemplate(const std::string& path);
    // "Вид": the look of these isolines; with `all`, of every isoline, and
    // it becomes the default look (kept in the profile).
    void applyIsolineFormat(const std::vector<int>& indexes, const IsolineFormat& format, bool all);
    // "Показывать": the set is drawn or not; the default format keeps it.
    void showIsolines(bool shown);
    // One isoline goes (with `index`), or all of them; the colour fill
    // built from them goes too.
    bool removeIsolines(std::optional<int> index = std::nullopt);
    // A new, empty group in the group of the object tree.
    Bush* addGroup(Bush& parent);
    // A group of the object tree goes with what it holds (the tree itself
    // when it is the group).
    bool removeGroup(const Bush* group);
    // A line or a text of the object tree goes.
    bool removeItem(const BushItem* item);
    // A free text joins the group of the object tree.
    BushItem& addText(Bush& group, MapText text);

    // --- Cross-section --------------------------------------------------------------
    // The cross-section along the polyline; nothing with fewer than 2
    // points, a grid without values, or a line that meets no node with a
    // value.
    std::optional<CrossSection> crossSectionAlong(const Line& line);
    // The objects of a cross-section made by another map.
    void takeCrossSection(CrossSection& section);

    // --- Border and node filter -----------------------------------------------------
    // "Добавить к объекту": the line is closed, takes the style of the
    // border's first line and joins the border, which is saved to its file
    // ("Border.brd" in the current directory when it has none).
    void addToBorder(Line line);
    // "Уничтожить границу": asks whether to keep the border file; Yes saves
    // it, No deletes the file this border was loaded from or saved to (and
    // no other), Cancel keeps the border. False when nothing was deleted.
    bool deleteBorder();
    bool loadBorder(const std::string& path);
    void setBorderShown(bool shown);
    // The border value (none: off), kept in the grid and the profile.
    void setBorderValue(const OptionalValue& value);
    // The filter dialog's OK: stores the settings in the grid and the
    // profile, applies the filter and builds the map type again.
    void applyFilter(bool on, std::int32_t sign, double value, bool byDefault);
    void setCellColor(gdi::ColorRef color);
    // The file the border was loaded from or saved to.
    const std::string& borderFile() const { return borderFile_; }

private:
    friend class MapDocumentFile;  // reads and writes the document's sections

    // Nodes added around a grid file's nodes, each way.
    static constexpr std::int32_t kImportExtraNodes = 4;
    // The grid of the start-up switch "n": a ".net" file, else a grid file
    // or a raster whose nodes become the grid's inner nodes; nullptr when
    // it cannot be read (the reader said why).
    static std::unique_ptr<EqNet> gridFromFile(const std::string& path);
    // The green frame around the grid's inner nodes becomes the border.
    void frameGridNodes();
    bool takeSeries(const std::vector<double>& values);
    void showSeries();

    // The border (the switch's file, else "Border.brd" when it is to be
    // loaded) and the grid (the switch's file, else "EqNet.net").
    void loadDefaultFiles(const StartupOptions& options, bool always);
    // The title from the data file's header lines, when the map has none;
    // a first line of more than one character names the document.
    void titleFromHeaders(CVexaDoc& doc, const DataTable& table);
    // Consecutive points of one name make a polyline of the object tree.
    void linesFromNamedPoints(const PointSet& set);
    DriverInputs driverInputs(MapType type) const;
    // The values of the grid for the map type: the method's settings are
    // loaded (and offered to the editor), the driver runs, and the
    // parameters in force are stored.
    int computeGridValues(const DriverInputs& in);
    // The steps after the grid's values: the colour map of a cell map, or
    // the isolines (and the colour bands of "Цветные изолинии").
    void buildFromGridValues(MapType type);
    // The isolines of the grid's values; for "Цветные изолинии" the
    // colour scale takes their levels and the bands are built.
    void traceIsolines();
    // On a map of colour isolines: the colour scale takes the isolines'
    // levels and the colour fill is built from them.
    void bandsFromIsolines();
    // After an edit of the isolines: the colour bands of "Цветные изолинии"
    // follow the levels; the observers are told.
    void isolinesEdited();
    void buildColorFill(EqNet& grid);

    AppContext& context_;
    mutable ContextFeedback feedback_{context_};  // of every run of the model
    std::vector<MapModelObserver*> observers_;
    std::unique_ptr<EqNet> grid_;
    MapProblem mapProblem_ = MapProblem::None;
    bool gridWanted_ = false;
    std::unique_ptr<IsolineSet> isolines_;
    std::unique_ptr<Bush> colorFill_;
    std::unique_ptr<LineList> bandOutlines_;
    std::unique_ptr<LineList> border_;
    std::unique_ptr<LineList> network_;  // map type 6
    std::unique_ptr<Bush> objectTree_;
    std::unique_ptr<ArraySeries> series_;
    Bush* seriesGraph_ = nullptr;  // the series' group in the object tree
    std::unique_ptr<MapTitle> title_;
    std::unique_ptr<Bush> pointTree_;
    // A group tree kept from a document with its links to the point tree.
    std::unique_ptr<Bush> thirdTree_;  // of a document: its axes, until the view takes them
    std::vector<std::pair<std::int32_t, std::int32_t>> thirdTreeLinks_;
    std::string borderFile_;
    PointSet* mainPoints_ = nullptr;
    std::size_t pointSetsAdded_ = 0;
};

}  // namespace gridova
