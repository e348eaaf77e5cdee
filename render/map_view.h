// The map view: the 2D map of a document.
//
// `CVexaView` draws the map of its `MapModel` (render/map_model.h) with the
// layers of map_layers.h (title, scale bar, axes, background), computes the
// world rectangle, draws every layer in a fixed order into the canvas,
// carries out the view's commands and turns mouse and keyboard input into
// map operations. It includes no Qt header: the map widget
// hosts it on screen, batch runs and tests use it without any window.
//
// Full drawing, in this order (a missing object is skipped):
//  1. the canvas is attached to the window; isotropic scaling = AspectRatio;
//  2. with paged printing to scale, the canvas margins are locked;
//  3. the world rectangle;
//  4. paged printing without scale widens it by 3 % on each side;
//  5. the world window (or the zoom window, or the printed page's);
//  6. the axes are fitted;  7. the title;  8. the colour bar's width;
//  9. the screen margins;  10. the axes' room;  11. the scale bar;
// 12. the background picture and a picture document's picture;
// 13. the axes;  14. the frame;  15. the title kept out of the clipping;
// 16. coloured grid cells;  17. the colour fill;  18. the isolines;
// 19. the border;  20. the object tree;  21. the band outlines;
// 22. the point tree;  23. the grid lines;  24. the colour bar;
// 25. the zoom window's frame;  26. the drawing state is restored;
// 27. the pick tolerance; the change flags go;  28. a pending background
// load is served;  29. (every paint) the memory bitmap is copied and the
// overlays are drawn straight on the window.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contour/isoline_levels.h"
#include "contour/isoline_set.h"
#include "data/array_layout.h"
#include "data/drect.h"
#include "data/map_document.h"
#include "data/point_set.h"
#include "grid/eq_net.h"
#include "grid/interpolation_driver.h"
#include "objects/bush.h"
#include "objects/line_list.h"
#include "render/axes.h"
#include "render/badges.h"
#include "render/canvas_view.h"
#include "render/map_document_file.h"
#include "render/map_layers.h"
#include "render/map_model.h"
#include "render/map_title.h"
#include "render/map_tools.h"
#include "render/map_type.h"
#include "render/print_layout.h"
#include "render/scale_bar.h"
#include "render/startup_options.h"
#include "render/triangle_layer.h"

namespace gridova {

// The commands of the map view.
enum class MapCommand {
    Border,               // "Граница..."
    Grid,                 // "Сетка..."
    ToggleGridLines,      // "Показать/спрятать сетку"
    MapType,              // "Тип карты..." / "Список карт"
    Title,                // "Заголовок.."
    BackgroundPicture,    // "Фоновая карта..."
    Interpolation,        // "Интерполяция..."
    Digitizing,           // "Оцифровка..."
    ToggleColorFill,      // "Цветные изолинии"
    ToggleColorBar,       // "Цветная шкала"
    ToggleFrame,          // "Рамка"
    IsolineList,          // "Изолинии..."
    BadgeFormat,          // "Значки точек..."
    BackgroundColor,      // "Цвет фона..."
    ZoomPart,             // "Показать часть карты"
    ZoomAll,              // "Показать всю карту"
    ZoomNext,             // "Следующий вид"
    ZoomPrevious,         // "Предыдущий вид"
    DrawLine,             // "Нарисовать/стереть линию"
    ToggleScaleBar,       // "Масштабная шкала"
    MirrorPoints,         // "Зеркально повернуть точки"
    ColorScale,           // "Изменить вид цветной шкалы"
    LockAspectRatio,      // "Lock aspect ratio"
    ToggleConnectPoints,  // "Соединять точки по умолчанию"
    CopyToClipboard,      // "Копировать в Clipboard"
    PasteData,        // "Добавить данные" / "Вставить точки из Excel"
    SavePicture,      // "Запомнить картинку..."
    MapSize,          // "Размер карты..." / "Размеры карты"
    WriteGridText,    // "Запись числ. данных"
    WriteGridGrd,     // "Запись в GRD файл"
    CrossSection,     // "Разрез"
    View3D,           // "Вид 3D"
    ViewOpenGL,       // "Вид OpenGL"
    PointEditor,      // "Точки..."
    CoordinateInput,  // "Ввод координат"
    SolverSettings,  // "Установить параметры солвера системы линейных уравнений"
    GridSize,        // "Размеры сетки..."
    SmoothSeries,    // "Сгладить серию..."
    SeriesOutliers,  // "Выбросы серии..."
    SaveSeries,      // "Записать серию..."
};

struct CommandState {
    bool enabled = true;
    bool checked = false;
};

class CVexaView;

// A number of the coordinate text: five significant digits written out
// ("541230", "1.9000", "0.020000") when that takes at most 12 characters,
// else in exponent form ("1.2346e+15").
std::string coordinateNumber(double v);

// True for a file name whose extension names a picture format written by
// name (".gif", ".bmp", ".jpg", ".png", any case).
bool isPictureName(const std::string& path);

// Where the view reaches the main window: dialogs and new windows. A
// command whose dialog is not answered does nothing.
class MapViewHost {
public:
    virtual ~MapViewHost() = default;
    // Opens the command's dialog; true when it was shown.
    virtual bool openDialog(MapCommand command, CVexaView& view) = 0;
    // Opens a new map window of the same document for the cross-section;
    // false when it could not be opened.
    virtual bool openCrossSection(CVexaView& from, CrossSection section) = 0;
    // A line of the object tree was double-clicked (the map bar takes it).
    virtual void selectLine(CVexaView& view, BushItem& line) = 0;
    // A free text of the object tree was double-clicked: its dialog.
    virtual void editText(CVexaView& /*view*/, BushItem& /*text*/) {}
    // Closes the coordinate window of line drawing when it is open.
    virtual void closeCoordinateWindow() = 0;
    // Space and Backspace: the map bar's next or previous item.
    virtual void stepMapBar(bool /*forward*/) {}
    // Enter while a line is being entered: the typed point is taken.
    virtual void confirmEntry() {}
    // A colour chosen starting from this one (a band of the colour bar);
    // nothing when cancelled or when the host has no colour dialog.
    virtual std::optional<gdi::ColorRef> chooseColor(gdi::ColorRef /*start*/) {
        return std::nullopt;
    }
};

// A picture of the whole map and where its world rectangle lies in it.
struct MapOverview {
    gdi::Dib picture;
    WorldRect world;   // the map's world rectangle
    gdi::Rect device;  // the same in the picture's pixels (top < bottom)
};

// The zoom window ("Общий вид") and its history of windows.
class ZoomWindow {
public:
    bool isOpen() const { return open_; }
    // Opens at the starting rectangle: centred on the centre of the drawing
    // area, half-size a quarter of the larger side of the world window,
    // clipped to it. False when it was open already (it is shown again).
    bool open(const WorldRect& world, double centreX, double centreY);
    void close();
    const WorldRect& rect() const { return history_[index_]; }
    // A new window; the windows after the current one are forgotten.
    void push(const WorldRect& rect);
    bool hasNext() const { return open_ && index_ + 1 < history_.size(); }
    bool hasPrevious() const { return open_ && index_ > 0; }
    bool next();
    bool previous();

private:
    bool open_ = false;
    std::vector<WorldRect> history_{WorldRect{}};
    std::size_t index_ = 0;
};

class CVexaView : public CanvasView, private MapModelObserver {
public:
    // The view and its model reach the user through the context.
    explicit CVexaView(AppContext& context = processContext());
    ~CVexaView() override;
    AppContext& context() const { return model_.context(); }

    // Reads the view's settings from the profile (the canvas view's keys,
    // "View Frame", "Connect Point", "Maps", "Border").
    void readProfile();

    void setHost(MapViewHost* host) { host_ = host; }
    MapViewHost* host() const { return host_; }

    // The map this view draws.
    MapModel& model() { return model_; }
    const MapModel& model() const { return model_; }

    // Layers supplied by other parts.
    std::unique_ptr<MapTitleLayer> title;
    std::unique_ptr<MapScaleBarLayer> scaleBar;
    std::unique_ptr<MapAxesLayer> axes;
    std::unique_ptr<MapBackgroundLayer> background;
    // The picture of a picture document, fitted into the drawing area.
    std::optional<gdi::Dib> documentPicture;
    // The metafile of a metafile document, played into the same place.
    std::optional<MetafilePicture> documentMetafile;
    // A title layer of these lines replaces the title.
    void setTitle(MapTitle title);
    // The colour bar's bands of the last drawing, world units (hit tests).
    const std::vector<DRect>& colorBarBands() const { return colorBarBands_; }
    // The title's lines when the title is ours; nullptr otherwise.
    MapTitle* mapTitle();
    // The scale bar when it is ours (the view makes one); nullptr otherwise.
    ScaleBar* scaleBarIfOurs();
    // The axes, made on first use.
    AxesLayer& axesLayer();
    // "Изолировать серию": a point set other than the main one is laid over
    // the main set's extent (drawn through its derived set), or, when it
    // was, drawn in its own coordinates again; an axis that showed its
    // coordinates then shows the map's. False when there is nothing to lay
    // it over.
    bool isolateSeries(PointSet& set);
    // Served at step 28 once (the main frame's request to load a
    // background picture).
    std::function<void(CVexaView&)> pendingBackgroundLoad;
    // Drawn straight on the window at step 29 (the digitizing overlay).
    std::function<void(DrawingCanvas&)> digitizingOverlay;
    // Points being edited (red circles) and the set whose vertices are
    // shown, at step 29.
    const PointSet* editingPoints = nullptr;
    const PointSet* selectedPointSet = nullptr;
    // A position confirmed in the coordinate window, marked at step 29.
    std::optional<LinePoint> markedPosition;
    // Step 25: the zoom window shows its frame.
    std::function<void(CVexaView&)> zoomFrameDrawn;
    // A click picked a node for the node window (nodePicking()).
    std::function<void(CVexaView&)> nodePicked;
    // The mouse moved to this world point (the coordinate window follows).
    std::function<void(double x, double y)> mouseMoved;
    // A double click at this world point, offered first to a window that
    // takes positions (the point editor); true when it took it.
    std::function<bool(double x, double y)> positionPicked;
    // Asks how the values of an array document fold (the dimensions
    // dialog), starting from the layout given; none when the user declined.
    // Without it (unattended runs) "Dimensn.arr" beside the array is taken
    // when it fits, else one row of all the values.
    std::function<std::optional<ArrayLayout>(const std::vector<double>& values, ArrayLayout start)>
        arrayLayoutAsker;
    // The array's layer (from 1) is shown and the map built again for its
    // values; false when there is no such layer.
    bool showArrayLayer(std::int32_t layer);
    // The array of the document as the map (MapModel::takeArray), folded
    // as the document's first map was asked, else as arrayLayoutAsker
    // answers.
    void takeDocumentArray(CVexaDoc& doc);
    // --- Printing (render/map_printing.cpp) -------------------------------------------
    // The tiles a print of this map makes on pages of this size in screen
    // pixels (none: one page showing the whole map, also when the only tile
    // by counts is the whole map; see print_layout.h).
    PrintTiles preparePrinting(gdi::Size page, const ScreenMetrics& screen) const;
    // The number of pages of those tiles.
    static int pageCount(const PrintTiles& tiles) {
        return tiles.tiles.empty() ? 1 : static_cast<int>(tiles.tiles.size());
    }
    // Draws page `index` (from 0) on a printer's device whose page is
    // `page` screen pixels: the whole map fitted, or the page's tile.
    void printPage(gdi::Device& device, gdi::Size page, const PrintTiles& tiles, int index);

    // Paged printing: the world rectangle of the page being printed, its
    // number counted from 1 and the number of pages across.
    std::optional<WorldRect> printedPage;
    int printedPageNumber = 1;
    int printedPagesAcross = 1;

    // --- State ---------------------------------------------------------------------
    ZoomWindow& zoom() { return zoom_; }
    const DRect& worldRect() const { return world_; }
    // The map's device rectangle (inside the margins) of the last drawing.
    const gdi::Rect& mapRect() const { return mapRect_; }
    // Pick tolerance in world units (3 pixels after the last full drawing).
    double pickToleranceX() const { return pickX_; }
    double pickToleranceY() const { return pickY_; }

    // --- Geometry --------------------------------------------------------------------
    // The union of the extents of the objects (see the Algorithms); 0..1
    // both ways when there is nothing.
    DRect computeWorldRect() const;

    // --- Map types -------------------------------------------------------------------
    // The model builds the map type (MapModel::applyMapType); the scale bar
    // shows the radii of value circles, and without a grid the host is asked
    // for one. -1 when nothing was built.
    int applyMapType(MapType type);
    // Runs the grid's method again for the current map type.
    int reinterpolate();

    // --- Commands ----------------------------------------------------------------------
    // Through the command table (render/map_commands.h): false when the
    // command is not enabled now.
    bool run(MapCommand command);
    CommandState state(MapCommand command) const;

    // The cross-section along the line being entered; nothing when the
    // command is not possible (fewer than 2 points, a grid without values,
    // or a line that meets no node with a value).
    std::optional<CrossSection> makeCrossSection();
    // Sets this (new) view up for a cross-section made by another view:
    // its objects and its title.
    void takeCrossSection(CrossSection section);

    // --- Mouse and keys ----------------------------------------------------------------
    void mouseLeftDown(gdi::Point p) override;
    void mouseLeftUp(gdi::Point p) override;
    void mouseRightDown(gdi::Point p) override;
    void mouseMove(gdi::Point p) override;
    void mouseLeftDoubleClick(gdi::Point p) override;
    void keyEscape() override;
    // Space (forward) and Backspace step through the map bar's items.
    void keyStep(bool forward) override;
    // Enter confirms the coordinate entry while a line is being entered.
    void keyEnter() override;
    bool lineDrawing() const { return lineDrawing_; }
    // "Добавить линию": starts drawing a line that will join the group
    // (not a new group of its own).
    void drawLineInto(const Bush& group);
    // Snapping of drawn lines to the lines of the object tree.
    LineSnapTool& lineSnapping() { return snap_; }

    // The coordinate text for a world point: empty outside the grid, else
    // "X x Y y [V value] Cell i:row I index" (the row counted from the top,
    // V only for a node with a value), numbers as coordinateNumber writes
    // them.
    std::string statusText(double x, double y) const;

    // The node window: when open, a left click picks the nearest node.
    NodePickTool& nodePicking() { return nodePick_; }
    using PickedNode = NodePickTool::PickedNode;
    std::optional<PickedNode> pickedNode() const { return nodePick_.picked(); }

    // --- Opening ----------------------------------------------------------------------------
    // The first display: the map from what the document read (the main
    // point set, the title from the header lines, "Border.brd" and
    // "EqNet.net", joined points, further data files; lines of named
    // coordinates; a document file), then the start-up or default map type.
    void initialUpdate(CVexaDoc& doc, const StartupOptions& options);
    // Remembers that the start-up picture was written (kept in documents;
    // nothing depends on it).
    void markPictureSaved() { model_.kept.pictureSaved = 1; }
    // --- Border and node filter --------------------------------------------------------
    // "Определить границу": a border line is entered with the mouse.
    void startBorderLine();
    bool borderDrawing() const { return borderDrawing_; }
    // "Добавить к объекту": a drawn line of more than 2 points joins the
    // border (MapModel::addToBorder). False (nothing changes) for a shorter
    // line.
    bool addDrawnLineToBorder();

    // --- Document file -------------------------------------------------------------------
    // The model and this view's page settings through MapDocumentFile
    // (render/map_document_file.h).
    bool writeDocument(const std::string& path);
    bool readDocument(const std::string& path);
    bool readDocumentBytes(std::string_view bytes);
    // The axes of the document read become the map's (its third tree).
    void takeDocumentAxes();
    // Something the view shows beside the model's objects changed (title,
    // layers, settings): the map is drawn again and counts as changed.
    void markChanged();

    // --- Pictures ------------------------------------------------------------------------
    // The whole map, whatever the zoom window shows, with the zoom
    // rectangle framed (dashed) while the zoom window is open: the picture
    // of the overview window "Общий вид".
    std::optional<MapOverview> drawOverview(gdi::Size size);
    // The zoom window shows this rectangle next (its history goes on);
    // nothing while the zoom window is closed.
    void zoomTo(const WorldRect& rect);

protected:
    friend struct MapCommandActions;  // the actions of the command table (map_commands.h)
    void drawMap() override;
    void viewWarning(const std::string& text) override;
    void drawOverlays() override;

private:
    void mapModelChanged(unsigned changes) override;
    MapPageRecord pageRecord() const;
    void takePageRecord(const MapPageRecord& page);
    void drawPoints();
    void drawFrame();
    // The free texts of the group and its children. Texts put on the map
    // are drawn at their world point without changing them (a document's
    // bytes do not depend on the last drawing); the boxes of a drawing for
    // the window are kept for double clicks.
    void drawTreeTexts(DrawingCanvas& canvas, Bush& group);
    // The free text whose box, as the window last showed it, holds the
    // point.
    BushItem* textAt(gdi::Point p) const;
    void recomputePickTolerance();

    MapViewHost* host_ = nullptr;

    MapModel model_;
    // The world rectangles of the colour bar's bands as last drawn, for clicks.
    std::vector<DRect> colorBarBands_;
    BadgeBoxes mainBadges_;  // where the main set's badges were drawn

    DRect world_{0, 0, 1, 1};
    ZoomWindow zoom_;
    ZoomDragTool zoomDrag_;
    LineSnapTool snap_;
    NodePickTool nodePick_;
    gdi::Rect mapRect_;  // the map's device rectangle of the last drawing
    double pickX_ = 0, pickY_ = 0;
    bool lineDrawing_ = false;
    const Bush* lineGroup_ = nullptr;  // the group the line being drawn joins
    std::vector<std::pair<BushItem*, gdi::Rect>> textBoxes_;  // as the window shows the texts
    bool drawingOverview_ = false;  // a drawing of the whole map for the overview
    bool borderDrawing_ = false;
};

}  // namespace gridova
