#include "render/canvas_view.h"

#include <algorithm>
#include <cmath>

#include "exchange/metafile_recorder.h"
#include "exchange/picture_writer.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/text_codec.h"

namespace gridova {

namespace {

constexpr std::int32_t kMaxPageSide = DrawingCanvas::kMaxPageSide;
constexpr int kCannotWrite = 201;  // "Нельзя записать в файл %s"
constexpr int kDefaultJpegQuality = 75;

std::int32_t truncSide(double v) {
    if (!(v > 0)) return 0;
    return static_cast<std::int32_t>(std::min(v, static_cast<double>(kMaxPageSide)));
}

double clampUnit(double v) { return std::clamp(std::isfinite(v) ? v : 0.0, 0.0, 1.0); }

std::int32_t truncInt(double v) {
    if (!std::isfinite(v)) return 0;
    return static_cast<std::int32_t>(std::clamp(v, -2147483647.0, 2147483647.0));
}

}  // namespace

// --- Print setup -------------------------------------------------------------------

void PrintSetup::readProfile() {
    readProfileDouble(kSection, "MarginLeftCoeff", marginLeftCoeff);
    readProfileDouble(kSection, "MarginTopCoeff", marginTopCoeff);
    readProfileDouble(kSection, "MarginRightCoeff", marginRightCoeff);
    readProfileDouble(kSection, "MarginBottomCoeff", marginBottomCoeff);
    readProfileInt(kSection, "Page", page);
    readProfileInt(kSection, "PaperOrientation", paperOrientation);
    readProfileInt(kSection, "Scale", scale);
    readProfileDouble(kSection, "UnitsPerInchX", unitsPerInchX);
    readProfileDouble(kSection, "UnitsPerInchY", unitsPerInchY);
    readProfileInt(kSection, "PageUnits", pageUnits);
    readProfileDouble(kSection, "UnitCoef", unitCoef);
}

void PrintSetup::writeProfile() const {
    writeProfileDouble(kSection, "MarginLeftCoeff", marginLeftCoeff);
    writeProfileDouble(kSection, "MarginTopCoeff", marginTopCoeff);
    writeProfileDouble(kSection, "MarginRightCoeff", marginRightCoeff);
    writeProfileDouble(kSection, "MarginBottomCoeff", marginBottomCoeff);
    writeProfileInt(kSection, "Page", page);
    writeProfileInt(kSection, "PaperOrientation", paperOrientation);
    writeProfileInt(kSection, "Scale", scale);
    writeProfileDouble(kSection, "UnitsPerInchX", unitsPerInchX);
    writeProfileDouble(kSection, "UnitsPerInchY", unitsPerInchY);
    writeProfileInt(kSection, "PageUnits", pageUnits);
    writeProfileDouble(kSection, "UnitCoef", unitCoef);
}

void MultiPageSettings::readProfile() {
    readProfileInt(kSection, "Active", active);
    readProfileInt(kSection, "HorizontalCount", horizontalCount);
    readProfileInt(kSection, "VerticalCount", verticalCount);
    readProfileDouble(kSection, "ScaleLeftMargin", leftOverlap);
    readProfileDouble(kSection, "ScaleRightMargin", rightOverlap);
    readProfileDouble(kSection, "ScaleTopMargin", topOverlap);
    readProfileDouble(kSection, "ScaleBottomMargin", bottomOverlap);
}

void MultiPageSettings::writeProfile() const {
    writeProfileInt(kSection, "Active", active);
    writeProfileInt(kSection, "HorizontalCount", horizontalCount);
    writeProfileInt(kSection, "VerticalCount", verticalCount);
    writeProfileDouble(kSection, "ScaleLeftMargin", leftOverlap);
    writeProfileDouble(kSection, "ScaleRightMargin", rightOverlap);
    writeProfileDouble(kSection, "ScaleTopMargin", topOverlap);
    writeProfileDouble(kSection, "ScaleBottomMargin", bottomOverlap);
}

// --- Paper formats ---------------------------------------------------------------------

const std::array<PaperFormat, kPaperFormatCount>& paperFormats() {
    static const std::array<PaperFormat, kPaperFormatCount> formats{{
        {0, 121, "Произвольный в пикселях", 0, 0},
        {1, 0, "A4", 8.268, 11.693},
        {2, 0, "A3", 11.69291, 16.53543},
        {3, 0, "A2", 16.53543, 23.38583},
        {4, 0, "A1", 23.38583, 33.11024},
        {5, 0, "A0", 33.11024, 46.81102},
        {6, 0, "Letter", 8.5, 11},
        {7, 0, "B1", 27.83465, 39.37008},
        {8, 0, "B4", 9.84252, 13.89764},
        {9, 0, "Legal", 8.5, 14},
        {10, 122, "Экран", 0, 0},
        {11, 0, "Tabloid 11x17 in", 11, 17},
    }};
    return formats;
}

std::string paperFormatText(int number) {
    if (number < 0 || number >= kPaperFormatCount) return {};
    const PaperFormat& f = paperFormats()[static_cast<std::size_t>(number)];
    return f.message != 0 ? text(f.message) : std::string(f.name);
}

std::optional<gdi::Size> pageSizeForFormat(int format, const PrintSetup& setup,
                                           const ScreenMetrics& screen) {
    if (format <= kPaperPixels || format >= kPaperFormatCount) return std::nullopt;
    if (format == kPaperScreen) {
        return gdi::Size{std::clamp(screen.size.cx, 0, kMaxPageSide),
                         std::clamp(screen.size.cy, 0, kMaxPageSide)};
    }
    if (!(screen.pixelsPerInchX > 0) || !(screen.pixelsPerInchY > 0)) {
        log("Can't define display pixel sizes");
        return std::nullopt;
    }
    const PaperFormat& paper = paperFormats()[static_cast<std::size_t>(format)];
    double width = paper.width;
    double height = paper.height;
    // The page keeps what the margins leave; a right (bottom) margin is at
    // most what the left (top) one leaves.
    const double left = clampUnit(setup.marginLeftCoeff);
    const double right = std::min(clampUnit(setup.marginRightCoeff), 1.0 - left);
    const double top = clampUnit(setup.marginTopCoeff);
    const double bottom = std::min(clampUnit(setup.marginBottomCoeff), 1.0 - top);
    double fx = clampUnit(1.0 - left - right);
    double fy = clampUnit(1.0 - top - bottom);
    if (setup.paperOrientation == 1) {
        std::swap(width, height);
        std::swap(fx, fy);
    }
    return gdi::Size{truncSide(screen.pixelsPerInchX * fx * width),
                     truncSide(screen.pixelsPerInchY * fy * height)};
}

PrinterLayout printerLayout(const PrintSetup& setup, double printerPpiX, double printerPpiY,
                            gdi::Size printerPixels, double screenPpiX, double screenPpiY) {
    PrinterLayout layout;
    layout.marginLeft = truncInt(printerPpiX * setup.marginLeftCoeff);
    layout.marginRight = truncInt(printerPpiX * setup.marginRightCoeff);
    layout.marginTop = truncInt(printerPpiY * setup.marginTopCoeff);
    layout.marginBottom = truncInt(printerPpiY * setup.marginBottomCoeff);
    layout.windowExtent = {truncInt(screenPpiX), truncInt(screenPpiY)};
    layout.viewportExtent = {truncInt(printerPpiX), truncInt(printerPpiY)};
    layout.viewportOrigin = {truncInt(printerPixels.cx * setup.marginLeftCoeff),
                             truncInt(printerPixels.cy * setup.marginTopCoeff)};
    return layout;
}

// --- The view ----------------------------------------------------------------------------

CanvasView::CanvasView(std::string_view name) : name_(name.substr(0, kMaxNameLength)) {}

CanvasView::~CanvasView() {
    if (window_ != nullptr && canvas_.window() == window_) canvas_.attach(nullptr);
}

void CanvasView::readViewInt(std::string_view key, std::int32_t& value) const {
    readProfileInt(name_, key, value);
}

void CanvasView::readProfile() {
    printSetup.readProfile();
    multiPage.readProfile();
    readViewInt("AspectRatio", aspectRatio);
    readViewInt("MarginPixelLeft", pixelMargins[0]);
    readViewInt("MarginPixelTop", pixelMargins[1]);
    readViewInt("MarginPixelRight", pixelMargins[2]);
    readViewInt("MarginPixelBottom", pixelMargins[3]);
    std::int32_t x = canvas_.pageSize().cx;
    std::int32_t y = canvas_.pageSize().cy;
    readProfileInt(PrintSetup::kSection, "PageSizeX", x);
    readProfileInt(PrintSetup::kSection, "PageSizeY", y);
    if (DrawingCanvas::pageSizeAllowed({x, y}) &&
        (x != canvas_.pageSize().cx || y != canvas_.pageSize().cy)) {
        canvas_.setPageSize({x, y});
    }
}

void CanvasView::writePixelMargins() const {
    writeProfileInt(name_, "MarginPixelLeft", pixelMargins[0]);
    writeProfileInt(name_, "MarginPixelTop", pixelMargins[1]);
    writeProfileInt(name_, "MarginPixelRight", pixelMargins[2]);
    writeProfileInt(name_, "MarginPixelBottom", pixelMargins[3]);
}

void CanvasView::setWindow(ViewWindow* window) {
    window_ = window;
    clientSize_ = window != nullptr ? window->clientSize() : gdi::Size{0, 0};
    contentChanged_ = true;
}

void CanvasView::invalidateMap() {
    contentChanged_ = true;
    if (window_ != nullptr) window_->invalidate();
}

void CanvasView::onSize(gdi::Size client) { clientSize_ = client; }

bool CanvasView::needsFullDrawing() const {
    if (printing_) return true;
    if (clientSize_.cx <= 0 || clientSize_.cy <= 0) return false;
    return contentChanged_ || clientSize_ != drawnSize_;
}

void CanvasView::afterFullDrawing() {
    contentChanged_ = false;
    drawnSize_ = clientSize_;
    ++fullDrawings_;
}

void CanvasView::paint() {
    if (window_ == nullptr) return;
    clientSize_ = window_->clientSize();
    if (clientSize_.cx <= 0 || clientSize_.cy <= 0) return;
    if (needsFullDrawing() || canvas_.memoryDevice() == nullptr || canvas_.window() != window_) {
        canvas_.attach(window_);
        drawMap();
        afterFullDrawing();
    }
    canvas_.paint(0, 0, clientSize_.cx, clientSize_.cy);
    rubberBand_.reset();
    drawOverlays();
}

void CanvasView::drawOverlays() { drawEnteredLine(); }

void CanvasView::toggleAspectRatio() {
    aspectRatio = aspectRatio != 0 ? 0 : 1;
    writeProfileInt(name_, "AspectRatio", aspectRatio);
    invalidateMap();
}

void CanvasView::setBackgroundColor(gdi::ColorRef color) {
    canvas_.setBackgroundColor(color);
    invalidateMap();
}

void CanvasView::beginPrinting(gdi::Device* printer, gdi::Size printable) {
    printing_ = true;
    canvas_.beginPrinting(printer, printable);
    invalidateMap();
}

void CanvasView::endPrinting() {
    printing_ = false;
    canvas_.endPrinting();
    invalidateMap();
}

// --- Polyline input -------------------------------------------------------------------------

void CanvasView::startLineInput() {
    entered_.emplace();
    inputMode_ = true;
    rubberBand_.reset();
    if (window_ != nullptr) window_->setDrawingCursor(true);
}

std::optional<Line> CanvasView::stopLineInput() {
    eraseRubberBand();
    inputMode_ = false;
    if (window_ != nullptr) window_->setDrawingCursor(false);
    std::optional<Line> line = std::move(entered_);
    entered_.reset();
    return line;
}

void CanvasView::lineAddPoint(gdi::Point device) {
    lineAddWorldPoint(canvas_.toWorldX(device.x), canvas_.toWorldY(device.y));
}

void CanvasView::lineAddWorldPoint(double x, double y) {
    if (!entered_) return;
    eraseRubberBand();
    entered_->addPoint(x, y);
    drawEnteredLine();
}

void CanvasView::lineMouseMove(gdi::Point device) {
    if (!inputMode_ || !entered_ || entered_->empty()) return;
    eraseRubberBand();
    const LinePoint last = entered_->points().back();
    drawRubberBand(canvas_.toDevice(last.x, last.y), device);
}

void CanvasView::lineRemoveLastPoint() {
    if (!entered_ || entered_->empty()) return;
    const std::vector<LinePoint>& points = entered_->points();
    const LinePoint last = points.back();
    std::optional<LinePoint> before;
    if (points.size() >= 2) before = points[points.size() - 2];
    std::optional<gdi::Point> mouse;
    if (rubberBand_) mouse = (*rubberBand_)[1];
    eraseRubberBand();
    entered_->removeLastPoint();
    // Repaint the removed segment's area from the memory bitmap.
    const gdi::Point a = canvas_.toDevice(last.x, last.y);
    const gdi::Point b = before ? canvas_.toDevice(before->x, before->y) : a;
    const int pad = 3;
    canvas_.paint(std::min(a.x, b.x) - pad, std::min(a.y, b.y) - pad,
                  std::abs(a.x - b.x) + 2 * pad + 1, std::abs(a.y - b.y) + 2 * pad + 1);
    if (mouse && before) drawRubberBand(canvas_.toDevice(before->x, before->y), *mouse);
    drawEnteredLine();
}

void CanvasView::lineClose() {
    if (!entered_ || entered_->empty()) return;
    eraseRubberBand();
    entered_->close();
    drawEnteredLine();
}

void CanvasView::lineFocusLost() { eraseRubberBand(); }

void CanvasView::drawEnteredLine() {
    if (!entered_ || entered_->size() < 1 || canvas_.window() == nullptr) return;
    canvas_.beginDirectDrawing();
    if (canvas_.target() != nullptr) {
        canvas_.setPenWidth(2);
        canvas_.setPenByIndex(5);
        const std::vector<LinePoint>& p = entered_->points();
        if (p.size() == 1) {
            const gdi::Point d = canvas_.toDevice(p[0].x, p[0].y);
            canvas_.line(d, {d.x + 1, d.y});
        } else {
            std::vector<double> x(p.size()), y(p.size());
            for (std::size_t i = 0; i < p.size(); ++i) {
                x[i] = p[i].x;
                y[i] = p[i].y;
            }
            canvas_.polylineWorld(x.data(), y.data(), p.size());
        }
        canvas_.setPenWidth(0);
        canvas_.deletePen();
    }
    canvas_.endDirectDrawing();
}

void CanvasView::drawRubberBand(gdi::Point from, gdi::Point to) {
    if (canvas_.window() == nullptr) return;
    canvas_.beginDirectDrawing();
    if (canvas_.target() != nullptr) {
        canvas_.setInvertMode();
        canvas_.line(from, to);
        canvas_.setRasterOp(gdi::RasterOp::CopyPen);
        rubberBand_ = std::array<gdi::Point, 2>{from, to};
    }
    canvas_.endDirectDrawing();
}

void CanvasView::eraseRubberBand() {
    if (!rubberBand_) return;
    const auto band = *rubberBand_;
    rubberBand_.reset();
    if (canvas_.window() == nullptr) return;
    // Drawing the inverting segment again restores what was below.
    canvas_.beginDirectDrawing();
    if (canvas_.target() != nullptr) {
        canvas_.setInvertMode();
        canvas_.line(band[0], band[1]);
        canvas_.setRasterOp(gdi::RasterOp::CopyPen);
    }
    canvas_.endDirectDrawing();
}

// --- Pictures -----------------------------------------------------------------------------

std::optional<gdi::Dib> CanvasView::drawPicture() { return drawPicture(canvas_.pageSize()); }

std::optional<gdi::Dib> CanvasView::drawPicture(gdi::Size size) {
    if (!canvas_.createMemMetaCDC(size)) return std::nullopt;
    drawMap();
    std::optional<gdi::Dib> picture = canvas_.closeMemMetaCDC();
    // The transform was the picture's: the window draws anew.
    invalidateMap();
    return picture;
}

void CanvasView::recordOn(gdi::Device& device) {
    canvas_.beginRecording(&device);
    drawMap();
    canvas_.endExternal();
    invalidateMap();
}

void CanvasView::drawOn(gdi::Device& device) {
    canvas_.beginExternal(&device);
    drawMap();
    canvas_.endExternal();
    invalidateMap();
}

void CanvasView::viewWarning(const std::string& text) { warning(text); }

bool CanvasView::copyToClipboard(Clipboard& clipboard) {
    const gdi::Size size = window_ != nullptr ? window_->clientSize() : canvas_.pageSize();
    if (size.cx <= 0 || size.cy <= 0) return false;
    const std::optional<gdi::Dib> picture = drawPicture(size);
    if (!picture) return false;
    EmfRecorder metafile(size, {}, canvas_.pictureMeasure(), "whatever");
    recordOn(metafile);
    clipboard.setPicture(*picture, metafile.bytes());
    return true;
}

bool CanvasView::exportPictureByName(const std::string& path) {
    // Any other extension writes nothing.
    const PictureFormat* format = pictureFormatOf(path);
    if (format == nullptr) return false;
    if (format->record != nullptr) {
        // Text is measured as a memory picture would draw it.
        std::unique_ptr<gdi::FileDevice> device =
            format->record(path, canvas_.pageSize(), canvas_.pictureMeasure());
        if (device == nullptr) {
            viewWarning(formatText(text(kCannotWrite), {path}));
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
    if (!written) viewWarning(formatText(text(kCannotWrite), {path}));
    return written;
}

}  // namespace gridova
