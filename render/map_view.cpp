#include "render/map_view.h"

#include "contour/band_builder.h"
#include "objects/line_text_files.h"
#include "render/badges.h"
#include "render/color_bar_painter.h"
#include "render/grid_painter.h"
#include "render/isoline_painter.h"
#include "render/line_painter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/status.h"

namespace gridova {

namespace {

std::optional<DRect> lineExtent(const Line* line) {
    if (line == nullptr || line->empty()) return std::nullopt;
    return line->extent();
}

}  // namespace

// --- Zoom window ---------------------------------------------------------------------

bool ZoomWindow::open(const WorldRect& world, double cx, double cy) {
    if (open_) return false;
    const double half = std::max(world.xmax - world.xmin, world.ymax - world.ymin) / 4;
    WorldRect r{cx - half, cy - half, cx + half, cy + half};
    r.xmin = std::max(r.xmin, world.xmin);
    r.ymin = std::max(r.ymin, world.ymin);
    r.xmax = std::min(r.xmax, world.xmax);
    r.ymax = std::min(r.ymax, world.ymax);
    history_.assign(1, r);
    index_ = 0;
    open_ = true;
    return true;
}

void ZoomWindow::close() { open_ = false; }

void ZoomWindow::push(const WorldRect& rect) {
    history_.resize(index_ + 1);
    history_.push_back(rect);
    index_ = history_.size() - 1;
}

bool ZoomWindow::next() {
    if (!hasNext()) return false;
    ++index_;
    return true;
}

bool ZoomWindow::previous() {
    if (!hasPrevious()) return false;
    --index_;
    return true;
}

// --- The view -----------------------------------------------------------------------------

CVexaView::CVexaView(AppContext& context)
    : CanvasView(kDefaultName), scaleBar(std::make_unique<ScaleBar>()), model_(context) {
    model_.addObserver(this);
}

CVexaView::~CVexaView() { model_.removeObserver(this); }

void CVexaView::markChanged() { model_.notify(kSettingsChanged); }

void CVexaView::mapModelChanged(unsigned changes) {
    // A text may have gone: its box is measured again when drawn. A group
    // that went takes no drawn line.
    if ((changes & kLinesChanged) != 0) {
        textBoxes_.clear();
        if (!model_.holdsGroup(lineGroup_)) lineGroup_ = nullptr;
    }
    // The model's title is drawn by a title layer of ours while it has one
    // (a layer another part supplied stays).
    if ((changes & kTitleChanged) != 0) {
        const bool ours = dynamic_cast<TitleLayer*>(title.get()) != nullptr;
        if (model_.title() != nullptr && title == nullptr) {
            title = std::make_unique<TitleLayer>([this] { return model_.title(); });
        } else if (model_.title() == nullptr && ours) {
            title.reset();
        }
    }
    // Every change of the model shows in the map: it is drawn again.
    invalidateMap();
}

void CVexaView::viewWarning(const std::string& text) { context().warning(text); }

// --- Map types -------------------------------------------------------------------------------

int CVexaView::applyMapType(MapType type) {
    const int result = model_.applyMapType(type);
    if (model_.gridWanted() && host_ != nullptr) host_->openDialog(MapCommand::Grid, *this);
    if (result < 0) return result;
    ScaleBar* bar = scaleBarIfOurs();
    const PointSet* main = model_.mainPoints();
    if (bar != nullptr && type == MapType::LocatePoints) bar->showRadii = 0;
    if (bar != nullptr && type == MapType::CircleValues && main != nullptr) {
        // The scale bar's legend of the value circles.
        double lo = 0, hi = 0;
        main->valueRange(lo, hi);
        bar->showRadii = 1;
        bar->minValue = lo;
        bar->maxValue = hi;
        bar->minRadius = main->badgeFormat.minRadius;
        bar->maxRadius = main->badgeFormat.maxRadius;
    }
    return result;
}

int CVexaView::reinterpolate() { return applyMapType(model_.settings.mapType); }

void CVexaView::readProfile() {
    CanvasView::readProfile();
    readProfileInt("View Frame", "Visible", model_.settings.frameVisible);
    readProfileInt(kDefaultName, "Connect Point", model_.settings.connectPoints);
    readProfileInt("Maps", "Default", model_.settings.defaultMapEnabled);
    readProfileInt("Maps", "Map", model_.settings.defaultMap);
    readProfileOptionalDouble("Border", "BorderValue", model_.settings.borderValue);
    if (auto* bar = scaleBarIfOurs()) bar->readProfile();
    readProfileInt("Base Map", "Default", model_.kept.baseMapDefault);
    readProfileText("Line Option", "DefaultLineName", model_.kept.defaultLineName);
    auto defaults = std::make_unique<AxesLayer>();
    defaults->readDefaults();
    if (!defaults->axes().empty()) axes = std::move(defaults);
}

void CVexaView::setTitle(MapTitle t) { model_.setTitle(std::move(t)); }

MapTitle* CVexaView::mapTitle() { return model_.title(); }

ScaleBar* CVexaView::scaleBarIfOurs() { return dynamic_cast<ScaleBar*>(scaleBar.get()); }

bool CVexaView::isolateSeries(PointSet& set) {
    const PointSet* main = model_.mainPoints();
    if (set.derived() != nullptr) {
        for (MapAxis* axis : axes ? axesLayer().axes() : std::vector<MapAxis*>{}) {
            if (showsSeries(*axis, set)) attachSeries(*axis, nullptr);
        }
        set.setDerived(nullptr);
    } else {
        if (main == nullptr || main == &set || main->size() == 0 || set.size() == 0) return false;
        double x0, x1, y0, y1;
        if (main->ranges(x0, x1, y0, y1) != 0) return false;
        set.computeStatistics();
        set.fitTo(x0, y0, x1, y1);
    }
    model_.notify(kPointsChanged);
    markChanged();
    return true;
}

AxesLayer& CVexaView::axesLayer() {
    auto* layer = dynamic_cast<AxesLayer*>(axes.get());
    if (layer == nullptr) {
        auto made = std::make_unique<AxesLayer>();
        layer = made.get();
        axes = std::move(made);
    }
    return *layer;
}

// --- World rectangle -------------------------------------------------------------------

DRect CVexaView::computeWorldRect() const {
    std::optional<DRect> box = model_.extent();
    if (background) include(box, background->extent());
    include(box, lineExtent(enteredLine()));
    if (axes) include(box, axes->extent());
    return box ? withSides(*box) : DRect(0, 0, 1, 1);
}

// --- Full drawing ------------------------------------------------------------------------

void CVexaView::drawMap() {
    DrawingCanvas& c = canvas();
    // 1. The canvas is attached by the paint (or the picture is open).
    if (!c.marginsLocked()) c.setMargins(0, 0, 0, 0);
    c.setIsotropic(aspectRatio != 0);
    const bool paged = printing() && printedPage.has_value();
    // 2.
    if (paged && printSetup.scale != 0) c.lockMargins(true);
    // 3.
    world_ = computeWorldRect();
    // 4.
    if (paged && printSetup.scale == 0) {
        const double mx = world_.width() * 0.03, my = world_.height() * 0.03;
        world_ = DRect(world_.minX - mx, world_.minY - my, world_.maxX + mx, world_.maxY + my);
    }
    // 5.
    WorldRect window{world_.minX, world_.minY, world_.maxX, world_.maxY};
    const bool zoomed = zoom_.isOpen() && !drawingOverview_;
    if (zoomed) window = zoom_.rect();
    if (paged) window = *printedPage;
    c.setWorldWindow(window.xmin, window.ymin, window.xmax, window.ymax);
    if (paged && printSetup.scale == 0) c.clipToWorld(window);
    // 6.
    if (axes) axes->fit(window);
    // 7.
    if (title && !paged) {
        if (auto* layer = dynamic_cast<TitleLayer*>(title.get())) {
            layer->screenWithoutZoom = !c.pictureActive() && !zoomed;
        }
        const int height = title->layOut(c);
        c.addMargins(0, std::max(0, height), 0, 0);
        title->draw(c);
    }
    // 8.
    ColorScale* scale = model_.grid() ? &model_.grid()->colorScale : nullptr;
    const bool bar = scale != nullptr && scale->visible != 0;
    // A print over pages shows the bar once: on the first page when it is
    // left of the map, on the last page of the first row when right.
    const bool barHere =
        bar && (!paged || (scale->location == 0 ? printedPageNumber == 1
                                                : printedPageNumber == printedPagesAcross));
    // Printing to scale cannot give the bar room (the margins are locked):
    // it stands inside the page's edge, over the map.
    const bool barInside = paged && c.marginsLocked();
    int barWidth = 0;
    if (barHere) {
        barWidth = std::max(0, measureColorBar(c, *scale, &colorBarBands_));
        if (scale->location == 0) {
            c.addMargins(barWidth, 0, 0, 0);
        } else {
            c.addMargins(0, 0, barWidth, 0);
        }
    }
    // 9.
    if (!paged) c.addMargins(pixelMargins[0], pixelMargins[1], pixelMargins[2], pixelMargins[3]);
    // 10.
    if (axes) axes->addRoom(c);
    // 11.
    if (scaleBar && scaleBar->visible() && !paged && !zoomed) {
        scaleBar->reserveAndDraw(c);
        // The bar took a band off the map's bottom: the axes follow the
        // map's new edge, so that their labels stay clear of the bar.
        if (axes) axes->fit(c.worldWindow());
    }
    // 12.
    if (background) background->draw(c);
    if (documentPicture && !paged) c.drawFittedPicture(*documentPicture);
    if (documentMetafile && !paged) c.drawFittedMetafile(*documentMetafile);
    // 13.
    if (axes) axes->draw(c);
    // 14.
    drawFrame();
    // 15.
    if (title && !paged) c.excludeClip(title->area());
    // 16.
    if (model_.grid() && model_.grid()->valuesValid()) drawGridCells(c, *model_.grid());
    // 17.
    if (model_.colorFill()) drawGroupLines(c, *model_.colorFill());
    // 18.
    if (model_.isolines()) drawIsolines(c, *model_.isolines());
    // 19.
    if (model_.border() && model_.settings.showBorder != 0) drawLines(c, *model_.border());
    // 20.
    if (model_.objectTreeIfAny()) {
        drawGroupLines(c, *model_.objectTreeIfAny());
        drawTreeTexts(c, *model_.objectTreeIfAny());
    }
    // 21.
    if (model_.bandOutlines()) drawLines(c, *model_.bandOutlines());
    if (model_.network()) drawLines(c, *model_.network());
    if (model_.grid() && model_.grid()->pointPolygons) drawLines(c, *model_.grid()->pointPolygons);
    // 22.
    drawPoints();
    // 23.
    if (model_.grid()) drawGridLines(c, *model_.grid());
    // 24.
    if (barHere) {
        if (scale->location == 0) {
            scale->left = barInside ? mapRect_.left : mapRect_.left - barWidth;
        } else {
            scale->left = barInside ? mapRect_.right - barWidth : mapRect_.right + 2;
        }
        drawColorBar(c, *scale, &colorBarBands_);
    }
    // 25. The overview of the whole map shows the zoom rectangle; a
    // drawing of the window tells the zoom window that the map changed.
    if (drawingOverview_) {
        if (zoom_.isOpen()) {
            const WorldRect& z = zoom_.rect();
            c.setPen(gdi::PenStyle::Dash, gdi::rgb(0, 0, 0));
            c.rectangleOutline(gdi::Rect{c.toDeviceX(z.xmin), c.toDeviceY(z.ymax),
                                         c.toDeviceX(z.xmax), c.toDeviceY(z.ymin)});
        }
    } else if (zoomFrameDrawn) {
        zoomFrameDrawn(*this);
    }
    // 26.
    c.clearClip();
    c.deletePen();
    if (c.brushSelected()) c.deleteBrush();
    c.restoreGeneralFont();
    c.restoreTextColor();
    c.setRasterOp(gdi::RasterOp::CopyPen);
    if (paged && printSetup.scale != 0) c.lockMargins(false);
    // 27.
    recomputePickTolerance();
    // 28.
    if (pendingBackgroundLoad) {
        auto load = std::move(pendingBackgroundLoad);
        pendingBackgroundLoad = nullptr;
        load(*this);
    }
}

BushItem* CVexaView::textAt(gdi::Point p) const {
    for (const auto& [item, box] : textBoxes_) {
        if (p.x >= box.left && p.x <= box.right && p.y >= box.top && p.y <= box.bottom) return item;
    }
    return nullptr;
}

void CVexaView::drawTreeTexts(DrawingCanvas& c, Bush& group) {
    const bool forWindow = c.drawsForWindow();
    if (forWindow && &group == model_.objectTreeIfAny()) textBoxes_.clear();
    for (std::size_t i = 0; i < group.itemCount(); ++i) {
        MapText* t = group.item(i).text();
        if (t == nullptr) continue;
        gdi::Rect box;
        if (t->worldPlaced()) {
            // Put on the map: it follows the map.
            MapText shown = *t;
            drawMapText(c, shown, c.toDevice(t->place[0], t->place[1]));
            box = {shown.left, shown.top, shown.right, shown.bottom};
        } else {
            // Kept at its place on the window.
            drawMapText(c, *t, {t->left, t->top});
            box = {t->left, t->top, t->right, t->bottom};
        }
        if (forWindow) textBoxes_.emplace_back(&group.item(i), box);
    }
    for (std::size_t i = 0; i < group.childCount(); ++i) drawTreeTexts(c, group.child(i));
}

void CVexaView::drawFrame() {
    DrawingCanvas& c = canvas();
    mapRect_ = c.drawingArea();
    if (model_.settings.frameVisible == 0) return;
    const gdi::Rect& r = mapRect_;
    c.setColorPen(gdi::rgb(0, 0, 0));
    c.rectangleOutline(r);
    // The outline leaves the far corner pixels open: close them.
    c.line({r.right - 1, r.top}, {r.right, r.top});
    c.line({r.left, r.bottom - 1}, {r.left, r.bottom});
    c.deletePen();
}

void CVexaView::drawPoints() {
    mainBadges_.clear();
    for (PointSet* set : model_.pointTree().pointSets()) {
        // The main set's badges can be picked (a double click opens their
        // dialog).
        drawPointSet(canvas(), *set, set == model_.mainPoints() ? &mainBadges_ : nullptr);
    }
}

void CVexaView::recomputePickTolerance() {
    const DrawingCanvas& c = canvas();
    pickX_ = c.scaleX() > 0 ? MapPageRecord::kPickPixels / c.scaleX() : 0.0;
    pickY_ = c.scaleY() > 0 ? MapPageRecord::kPickPixels / c.scaleY() : 0.0;
}

void CVexaView::drawOverlays() {
    DrawingCanvas& c = canvas();
    if (c.window() == nullptr) return;
    c.beginDirectDrawing();
    if (c.target() != nullptr) {
        if (digitizingOverlay) digitizingOverlay(c);
        nodePick_.drawOverlay(c, model_.grid());
        if (editingPoints != nullptr) drawEditorMarkers(c, *editingPoints);
        if (selectedPointSet != nullptr) {
            c.setColorPen(gdi::rgb(255, 0, 0));
            for (const DataPoint& p : selectedPointSet->asSeen().points()) {
                const gdi::Point d = c.toDevice(p.x, p.y);
                c.rectangleOutline({d.x - 2, d.y - 2, d.x + 3, d.y + 3});
            }
            c.deletePen();
        }
        if (markedPosition) {
            const gdi::Point d = c.toDevice(markedPosition->x, markedPosition->y);
            c.setColorPen(gdi::rgb(255, 0, 0));
            c.line({d.x - 6, d.y}, {d.x + 7, d.y});
            c.line({d.x, d.y - 6}, {d.x, d.y + 7});
            c.deletePen();
        }
        zoomDrag_.drawOverlay(c);
    }
    c.endDirectDrawing();
    drawEnteredLine();
}

std::optional<MapOverview> CVexaView::drawOverview(gdi::Size size) {
    DrawingCanvas& c = canvas();
    if (!c.createMemMetaCDC(size)) return std::nullopt;
    // What the window's clicks are measured by stays the window's.
    const gdi::Rect mapRect = mapRect_;
    const double pickX = pickX_, pickY = pickY_;
    const std::vector<DRect> bands = colorBarBands_;
    drawingOverview_ = true;
    drawMap();
    drawingOverview_ = false;
    MapOverview overview;
    overview.world = WorldRect{world_.minX, world_.minY, world_.maxX, world_.maxY};
    overview.device = gdi::Rect{c.toDeviceX(world_.minX), c.toDeviceY(world_.maxY),
                                c.toDeviceX(world_.maxX), c.toDeviceY(world_.minY)};
    std::optional<gdi::Dib> picture = c.closeMemMetaCDC();
    mapRect_ = mapRect;
    pickX_ = pickX;
    pickY_ = pickY;
    colorBarBands_ = bands;
    invalidateMap();
    if (!picture) return std::nullopt;
    overview.picture = std::move(*picture);
    return overview;
}

void CVexaView::zoomTo(const WorldRect& rect) {
    if (!zoom_.isOpen() || !(rect.xmin < rect.xmax) || !(rect.ymin < rect.ymax)) return;
    zoom_.push(rect);
    invalidateMap();
}

// --- Map types -------------------------------------------------------------------------------

// --- Status text ---------------------------------------------------------------------------

std::string coordinateNumber(double v) {
    // Five significant digits, as the exponent form shows them, written
    // out when that takes at most 12 characters; the exponent form else.
    constexpr int kDigits = 5;
    constexpr int kLongest = 12;
    char buffer[64];
    if (v == 0) return "0";
    if (std::isfinite(v)) {
        const int magnitude = static_cast<int>(std::floor(std::log10(std::fabs(v))));
        const int decimals = std::max(0, kDigits - 1 - magnitude);
        const int n = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, v);
        if (n > 0 && n <= kLongest) return buffer;
    }
    std::snprintf(buffer, sizeof buffer, "%.4e", v);
    return buffer;
}

std::string CVexaView::statusText(double x, double y) const {
    if (!model_.grid() || model_.grid()->empty() || !model_.grid()->extent().contains(x, y))
        return {};
    const NodeRef node = model_.grid()->nearestNode(x, y);
    if (node.index < 0) return {};
    const std::int32_t rowFromTop = model_.grid()->ny() - 1 - node.j;
    const bool valued = model_.grid()->hasValues() &&
                        (!model_.grid()->hasMask() ||
                         model_.grid()->mask()[static_cast<std::size_t>(node.index)] != 0);
    std::string out = "X " + coordinateNumber(x) + " Y " + coordinateNumber(y);
    if (valued) {
        out +=
            " V " + coordinateNumber(model_.grid()->values()[static_cast<std::size_t>(node.index)]);
    }
    out += " Cell " + std::to_string(node.i) + ':' + std::to_string(rowFromTop) + " I " +
           std::to_string(node.index);
    return out;
}

// --- Line drawing -------------------------------------------------------------------------------

// --- Cross-section
// ---------------------------------------------------------------------------------

std::optional<CrossSection> CVexaView::makeCrossSection() {
    const Line* entered = enteredLine();
    if (entered == nullptr) return std::nullopt;
    return model_.crossSectionAlong(*entered);
}

void CVexaView::takeCrossSection(CrossSection section) {
    model_.takeCrossSection(section);
    setTitle(MapTitle::fromTexts({section.title}));
    model_.layDefaultGrid(computeWorldRect());
}

// --- Mouse and keys
// --------------------------------------------------------------------------------

void CVexaView::mouseLeftDown(gdi::Point p) {
    canvas().captureMouse();
    if (zoom_.isOpen()) zoomDrag_.press(p);
}

void CVexaView::mouseLeftUp(gdi::Point p) {
    canvas().releaseMouse();
    DrawingCanvas& c = canvas();
    if (zoom_.isOpen() && zoomDrag_.dragging()) {
        if (const std::optional<WorldRect> r = zoomDrag_.release(c, p)) {
            zoom_.push(*r);
            invalidateMap();
            return;
        }
    }
    double x = c.toWorldX(p.x), y = c.toWorldY(p.y);
    if (lineDrawing_) {
        snap_.snap(model_.objectTreeIfAny(), pickX_, pickY_, enteredLine(), x, y);
        lineAddWorldPoint(x, y);
        return;
    }
    if (borderDrawing_) {
        lineAddWorldPoint(x, y);
        return;
    }
    if (model_.grid() != nullptr && nodePick_.pick(*model_.grid(), x, y)) {
        if (window() != nullptr) window()->invalidate();
        if (nodePicked) nodePicked(*this);
    }
}

void CVexaView::mouseRightDown(gdi::Point) {
    if (host_ != nullptr) host_->closeCoordinateWindow();
    lineClose();
}

void CVexaView::mouseMove(gdi::Point p) {
    const DrawingCanvas& c = canvas();
    const double x = c.toWorldX(p.x), y = c.toWorldY(p.y);
    context().setCoordinateText(statusText(x, y));
    if (mouseMoved) mouseMoved(x, y);
    zoomDrag_.move(canvas(), p);
    lineMouseMove(p);
    if (snap_.enabled && model_.objectTreeIfAny() && window() != nullptr) {
        const bool near = model_.objectTreeIfAny()->hitTestLines(x, y, pickX_, pickY_).has_value();
        window()->setDrawingCursor(near || lineInput());
    }
}

void CVexaView::mouseLeftDoubleClick(gdi::Point p) {
    const DrawingCanvas& c = canvas();
    const double x = c.toWorldX(p.x), y = c.toWorldY(p.y);
    if (positionPicked && positionPicked(x, y)) return;
    if (host_ == nullptr) return;
    if (model_.grid() && model_.grid()->colorScale.visible != 0) {
        // On the bar: a band's colour, or the scale's dialog between bands.
        const ColorBarHit hit = colorBarHit(model_.grid()->colorScale, colorBarBands_, x, y);
        if (hit.onBar) {
            if (hit.colorIndex < 0) {
                host_->openDialog(MapCommand::ColorScale, *this);
            } else if (const auto chosen = host_->chooseColor(
                           model_.grid()
                               ->colorScale.colors()[static_cast<std::size_t>(hit.colorIndex)])) {
                model_.setBandColor(hit.colorIndex, *chosen);
            }
            return;
        }
    }
    if (title && title->area().contains(p)) {
        host_->openDialog(MapCommand::Title, *this);
        return;
    }
    if (model_.objectTreeIfAny()) {
        if (BushItem* text = textAt(p)) {
            host_->editText(*this, *text);
            return;
        }
        if (const auto hit = model_.objectTreeIfAny()->hitTestLines(x, y, pickX_, pickY_)) {
            host_->selectLine(*this, *hit->item);
            return;
        }
    }
    if (mainBadges_.hitTest(p) >= 0) {
        host_->openDialog(MapCommand::BadgeFormat, *this);
        return;
    }
    if (model_.isolines() && !model_.isolines()->empty())
        host_->openDialog(MapCommand::IsolineList, *this);
}

void CVexaView::keyEscape() {
    if (lineInput()) lineRemoveLastPoint();
}

void CVexaView::keyStep(bool forward) {
    if (host_ != nullptr) host_->stepMapBar(forward);
}

void CVexaView::keyEnter() {
    if (host_ != nullptr && lineInput()) host_->confirmEntry();
}

// --- Border and filter ----------------------------------------------------------------

void CVexaView::startBorderLine() {
    lineDrawing_ = false;
    borderDrawing_ = true;
    startLineInput();
}

bool CVexaView::addDrawnLineToBorder() {
    const Line* entered = enteredLine();
    // A border line needs more than two points.
    if (entered == nullptr || entered->size() <= 2) return false;
    borderDrawing_ = false;
    std::optional<Line> line = stopLineInput();
    model_.addToBorder(std::move(*line));
    return true;
}

// --- Document file ----------------------------------------------------------------------

MapPageRecord CVexaView::pageRecord() const {
    MapPageRecord page;
    page.printSetup = printSetup;
    page.aspectRatio = aspectRatio;
    page.pixelMargins = pixelMargins;
    page.pickX = pickX_;
    return page;
}

void CVexaView::takePageRecord(const MapPageRecord& page) {
    printSetup = page.printSetup;
    aspectRatio = page.aspectRatio;
    pixelMargins = page.pixelMargins;
    pickX_ = page.pickX;
}

bool CVexaView::writeDocument(const std::string& path) {
    MapPageRecord page = pageRecord();
    // The axes go into the document as its third tree.
    if (auto* layer = dynamic_cast<AxesLayer*>(axes.get())) page.axes = &layer->tree();
    return MapDocumentFile::write(path, model_, page);
}

bool CVexaView::readDocument(const std::string& path) {
    MapPageRecord page = pageRecord();
    const bool ok = MapDocumentFile::read(path, model_, page);
    takePageRecord(page);
    takeDocumentAxes();
    return ok;
}

bool CVexaView::readDocumentBytes(std::string_view bytes) {
    MapPageRecord page = pageRecord();
    const bool ok = MapDocumentFile::readBytes(bytes, model_, page);
    takePageRecord(page);
    takeDocumentAxes();
    return ok;
}

void CVexaView::takeDocumentAxes() {
    // A document that keeps axes brings its own: they replace the profile's.
    const Bush* third = model_.thirdTree();
    if (third == nullptr) return;
    if (axesLayer().takeAxesOf(*third)) model_.dropThirdTree();
}

}  // namespace gridova
