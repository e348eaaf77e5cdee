#include "render/drawing_canvas.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "data/font_block.h"
#include "platform/message_log.h"
#include "platform/profile.h"

namespace gridova {
namespace {

constexpr double kTiny = 1e-30;  // world sizes and scales below this count as 0

constexpr const char* kPrintSetup = "PrintSetup";
constexpr const char* kCanvasSection = "Canvas";
constexpr const char* kBackgroundKey = "Background Color";

// The general fonts: "Arial" at 6, 12, 8 and 8 points, Cyrillic.
constexpr int kGeneralFontTenths[DrawingCanvas::kGeneralFonts] = {60, 120, 80, 80};

constexpr gdi::ColorRef kWhite = gdi::rgb(255, 255, 255);

double reciprocal(double v) { return std::abs(v) < kTiny ? 0.0 : 1.0 / v; }

std::string generalFontSection(int n) { return "GeneralFont" + std::to_string(n); }

}  // namespace

DrawingCanvas::DrawingCanvas() {
    for (int n = 1; n <= kGeneralFonts; ++n) {
        gdi::LogFont& f = generalFonts_[static_cast<std::size_t>(n - 1)];
        f = gdi::LogFont::pointFont("Arial", kGeneralFontTenths[n - 1]);
        readLogFontProfile(generalFontSection(n), f);
    }
    font_ = generalFonts_[0];
    std::int32_t w = pageSize_.cx, h = pageSize_.cy;
    readProfileInt(kPrintSetup, "PageSizeX", w);
    readProfileInt(kPrintSetup, "PageSizeY", h);
    if (pageSizeAllowed({w, h})) pageSize_ = {w, h};
    std::int64_t colour = background_;
    if (readProfileLong(kCanvasSection, kBackgroundKey, colour) == 0) {
        background_ = static_cast<gdi::ColorRef>(colour) & 0x00FFFFFFu;
    }
    recompute();
}

DrawingCanvas::~DrawingCanvas() = default;

// --- Targets ---------------------------------------------------------------

CanvasWindow* DrawingCanvas::attach(CanvasWindow* window) {
    CanvasWindow* previous = window_;
    releaseClientDevice();
    window_ = window;
    originX_ = originY_ = 0;
    left_ = top_ = right_ = bottomMargin_ = 0;
    // Detaching leaves no memory picture; attaching makes the window's.
    if (window_ != nullptr) {
        createMemCDC();
    } else {
        deleteMemCDC();
    }
    return previous;
}

gdi::Device* DrawingCanvas::acquireClientDevice() {
    if (picture_ != nullptr) return picture_.get();
    if (printer_ != nullptr) return printer_;
    if (window_ == nullptr) {
        log("Получение CDC неопределенного окна");
        return nullptr;
    }
    if (client_ == nullptr) client_ = window_->clientDevice();
    if (client_ == nullptr) log("CreateClientDC: Can't create CClientDC");
    return client_;
}

void DrawingCanvas::releaseClientDevice() {
    if (client_ == nullptr) return;
    if (window_ == nullptr) {
        log("Release CDC undefined window");
    } else {
        window_->releaseClientDevice();
    }
    client_ = nullptr;
}

bool DrawingCanvas::createMemCDC() {
    deleteMemCDC();
    if (window_ == nullptr) {
        log("CreateMemCDC: Indefined window");
        return false;
    }
    gdi::DeviceFactory* factory = gdi::deviceFactory();
    const gdi::Size size = window_->clientSize();
    if (factory == nullptr) {
        log("CreateMemCDC: Can't create memory CDC");
        return false;
    }
    memory_ = factory->createBitmap({std::max(1, size.cx), std::max(1, size.cy)}, background_);
    if (memory_ == nullptr) {
        log("CreateMemCDC: Can't create memory bitmap");
        return false;
    }
    memory_->setBackgroundMode(gdi::BackgroundMode::Transparent);
    backgroundMode_ = gdi::BackgroundMode::Transparent;
    setTarget(memory_.get());
    return true;
}

void DrawingCanvas::clearMemCDC() {
    if (memory_ == nullptr) return;
    const gdi::Size size = memory_->size();
    memory_->fillRect({0, 0, size.cx, size.cy}, background_);
}

void DrawingCanvas::deleteMemCDC() {
    if (memory_ == nullptr) return;
    if (target_ == memory_.get()) target_ = nullptr;
    if (saved_ == memory_.get()) saved_ = nullptr;
    memory_.reset();
}

void DrawingCanvas::beginDirectDrawing() {
    if (directDepth_++ > 0) return;
    gdi::Device* device = acquireClientDevice();
    if (device != nullptr) setTarget(device);
}

void DrawingCanvas::endDirectDrawing() {
    if (directDepth_ == 0) return;
    if (--directDepth_ > 0) return;
    releaseClientDevice();
    setTarget(memory_.get());
}

void DrawingCanvas::paint(int x, int y, int w, int h) {
    if (window_ == nullptr) {
        log("Paint: Undefined window");
        return;
    }
    if (memory_ == nullptr) {
        log("Paint: Undefined MemCDC");
        return;
    }
    const gdi::Size area = areaSize();
    if (x < 0) {
        w += x;
        x = 0;
    }
    if (y < 0) {
        h += y;
        y = 0;
    }
    w = std::min(w, area.cx - x);
    h = std::min(h, area.cy - y);
    if (w <= 0 || h <= 0) return;
    window_->present(*memory_, {x, y, x + w, y + h});
}

void DrawingCanvas::paint(const gdi::Rect& r) { paint(r.left, r.top, r.width(), r.height()); }

void DrawingCanvas::paintWorld(const WorldRect& world) {
    const gdi::Point a = toDevice(world.xmin, world.ymin);
    const gdi::Point b = toDevice(world.xmax, world.ymax);
    paint(gdi::Rect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x) + 1,
                    std::max(a.y, b.y) + 1});
}

bool DrawingCanvas::createMemMetaCDC() { return createMemMetaCDC(pageSize_); }

bool DrawingCanvas::createMemMetaCDC(gdi::Size size) {
    pictureSize_ = size;
    gdi::DeviceFactory* factory = gdi::deviceFactory();
    if (factory == nullptr) {
        log("CreateMemMetaCDC: Нельзя создать изображение в памяти");
        return false;
    }
    picture_ = factory->createBitmap(pictureSize_, background_);
    if (picture_ == nullptr) {
        log("CreateMemMetaCDC: Нельзя создать bitmap");
        return false;
    }
    picture_->clipTo({0, 0, pictureSize_.cx, pictureSize_.cy});
    picture_->setBackgroundMode(gdi::BackgroundMode::Transparent);
    backgroundMode_ = gdi::BackgroundMode::Transparent;
    saved_ = target_;
    setTarget(picture_.get());
    return true;
}

std::optional<gdi::Dib> DrawingCanvas::closeMemMetaCDC() {
    if (picture_ == nullptr) return std::nullopt;
    gdi::Dib pixels = picture_->dib();
    picture_.reset();
    setTarget(saved_);
    saved_ = nullptr;
    return pixels;
}

void DrawingCanvas::beginPrinting(gdi::Device* printer, gdi::Size printable) {
    printer_ = printer;
    sizeLimit_ = printable;
    saved_ = target_;
    setTarget(printer);
}

void DrawingCanvas::endPrinting() {
    printer_ = nullptr;
    sizeLimit_.reset();
    setTarget(saved_);
    saved_ = nullptr;
}

void DrawingCanvas::beginExternal(gdi::Device* device) {
    external_ = device;
    saved_ = target_;
    setTarget(device);
}

void DrawingCanvas::beginRecording(gdi::Device* device) {
    const gdi::Size page = device->size();
    if (background_ != gdi::rgb(255, 255, 255)) {
        device->fillRect({0, 0, page.cx, page.cy}, background_);
    }
    device->clipTo({0, 0, page.cx, page.cy});
    device->setBackgroundMode(gdi::BackgroundMode::Transparent);
    backgroundMode_ = gdi::BackgroundMode::Transparent;
    beginExternal(device);
    recording_ = true;
}

void DrawingCanvas::endExternal() {
    external_ = nullptr;
    recording_ = false;
    setTarget(saved_);
    saved_ = nullptr;
}

void DrawingCanvas::setTarget(gdi::Device* device) {
    target_ = device;
    recompute();
    if (target_ != nullptr) applyState();
}

void DrawingCanvas::applyState() {
    applyPen();
    target_->setBrush(brush_);
    target_->setFont(font_);
    target_->setTextColor(textColor_);
    target_->setBackgroundMode(backgroundMode_);
    target_->setBackgroundColor(background_);
    target_->setRasterOp(rop_);
}

void DrawingCanvas::applyPen() {
    if (target_ != nullptr) target_->setPen(pen_);
}

gdi::Size DrawingCanvas::areaSize() const {
    gdi::Size size{0, 0};
    if (external_ != nullptr) {
        size = external_->size();
    } else if (picture_ != nullptr) {
        size = pictureSize_;
    } else if (printer_ != nullptr) {
        size = pageSize_;
    } else if (window_ != nullptr) {
        size = window_->clientSize();
    }
    if (sizeLimit_) {
        size.cx = std::min(size.cx, sizeLimit_->cx);
        size.cy = std::min(size.cy, sizeLimit_->cy);
    }
    return size;
}

void DrawingCanvas::setSizeLimit(std::optional<gdi::Size> limit) {
    sizeLimit_ = limit;
    recompute();
}

bool DrawingCanvas::pageSizeAllowed(gdi::Size size) {
    return size.cx > 0 && size.cy > 0 && size.cx <= kMaxPageSide && size.cy <= kMaxPageSide &&
           std::int64_t{size.cx} * size.cy <= kMaxPagePixels;
}

void DrawingCanvas::setPageSize(gdi::Size size) {
    if (!pageSizeAllowed(size)) return;
    pageSize_ = size;
    writeProfileInt(kPrintSetup, "PageSizeX", size.cx);
    writeProfileInt(kPrintSetup, "PageSizeY", size.cy);
    recompute();
}

void DrawingCanvas::setBackgroundColor(gdi::ColorRef color) {
    background_ = color & 0x00FFFFFFu;
    writeProfileLong(kCanvasSection, kBackgroundKey, background_);
    if (target_ != nullptr) target_->setBackgroundColor(background_);
}

// --- Transform ---------------------------------------------------------------

void DrawingCanvas::setMargins(int left, int top, int right, int bottom) {
    left_ = left;
    top_ = top;
    right_ = right;
    bottomMargin_ = bottom;
    recompute();
}

void DrawingCanvas::addMargins(int left, int top, int right, int bottom) {
    if (marginsLocked_) return;
    setMargins(left_ + left, top_ + top, right_ + right, bottomMargin_ + bottom);
}

void DrawingCanvas::setWorldWindow(double xmin, double ymin, double xmax, double ymax) {
    xmin_ = xmin;
    ymin_ = ymin;
    xmax_ = xmax;
    ymax_ = ymax;
    dx_ = xmax - xmin;
    dy_ = ymax - ymin;
    // A window without width or height is made square.
    if (std::abs(dx_) < kTiny && std::abs(dy_) > kTiny) dx_ = dy_;
    if (std::abs(dy_) < kTiny && std::abs(dx_) > kTiny) dy_ = dx_;
    recompute();
}

void DrawingCanvas::setIsotropic(bool on) {
    isotropic_ = on;
    recompute();
}

void DrawingCanvas::setYMode(YMode mode) {
    yMode_ = mode;
    recompute();
}

void DrawingCanvas::recompute() {
    const gdi::Size area = areaSize();
    // Margins wider than the area leave nothing to draw in (never a
    // negative scale, which would mirror the map).
    const double w = std::max(0.0, static_cast<double>(area.cx - right_ - left_));
    const double h = std::max(0.0, static_cast<double>(area.cy - bottomMargin_ - top_));
    scaleX_ = w * reciprocal(dx_);
    scaleY_ = h * reciprocal(dy_);
    if (isotropic_) scaleX_ = scaleY_ = std::min(scaleX_, scaleY_);
    originX_ = clampDevice((w - dx_ * scaleX_) / 2 + left_);
    const double l = (h - dy_ * scaleY_) / 2;
    originY_ = clampDevice(top_ + l);
    bottom_ = clampDevice(static_cast<double>(area.cy - bottomMargin_) - l);

    const double x0 = toWorldX(0);
    const double x1 = toWorldX(area.cx - right_);
    const double y0 = toWorldY(bottom_);
    const double y1 = toWorldY(0);
    visible_ = {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

bool DrawingCanvas::fitToReferencePoints(gdi::Point d1, gdi::Point d2, double x1, double y1,
                                         double x2, double y2) {
    if (marginsLocked_) return false;
    // World units per device pixel on each axis. When one axis has no
    // extent in device pixels, the other axis's scale serves for both.
    double sx = 1.0, sy = 1.0;
    const bool sameX = d1.x == d2.x;
    const bool sameY = d1.y == d2.y;
    if (!sameX) sx = (x2 - x1) / (d2.x - d1.x);
    if (!sameY) sy = (y2 - y1) / (d2.y - d1.y);
    if (sameX && !sameY) sx = std::abs(sy);
    if (sameY && !sameX) sy = -std::abs(sx);  // world Y grows against device Y

    const gdi::Size area = areaSize();
    const double wx0 = x1 + (left_ - d1.x) * sx;
    const double wx1 = x1 + (area.cx - right_ - d1.x) * sx;
    const double wy0 = y1 + (top_ - d1.y) * sy;
    const double wy1 = y1 + (area.cy - bottomMargin_ - d1.y) * sy;
    const bool wasIsotropic = isotropic_;
    isotropic_ = false;
    setWorldWindow(std::min(wx0, wx1), std::min(wy0, wy1), std::max(wx0, wx1), std::max(wy0, wy1));
    isotropic_ = wasIsotropic;
    return true;
}

std::int32_t DrawingCanvas::toDeviceX(double x) const {
    return clampDevice((x - xmin_) * scaleX_ + originX_);
}

std::int32_t DrawingCanvas::toDeviceY(double y) const {
    if (yMode_ == YMode::Down) return clampDevice((y - ymin_) * scaleY_ + originY_);
    return clampDevice(bottom_ - (y - ymin_) * scaleY_);
}

double DrawingCanvas::toWorldX(std::int32_t x) const {
    return (x - originX_) * reciprocal(scaleX_) + xmin_;
}

double DrawingCanvas::toWorldY(std::int32_t y) const {
    if (yMode_ == YMode::Down) return (y - originY_) * reciprocal(scaleY_) + ymin_;
    return (bottom_ - y) * reciprocal(scaleY_) + ymin_;
}

std::int32_t DrawingCanvas::toDeviceLength(double length) const {
    return clampDevice(length * scaleX_);
}

double DrawingCanvas::toWorldLength(std::int32_t length) const {
    return length * reciprocal(scaleX_);
}

gdi::Rect DrawingCanvas::drawingArea() const {
    const gdi::Size area = areaSize();
    return {left_, top_, area.cx - right_, area.cy - bottomMargin_};
}

WorldRect DrawingCanvas::drawingAreaWorld() const {
    const gdi::Rect r = drawingArea();
    const double x0 = toWorldX(r.left), x1 = toWorldX(r.right);
    const double y0 = toWorldY(r.bottom), y1 = toWorldY(r.top);
    return {std::min(x0, x1), std::min(y0, y1), std::max(x0, x1), std::max(y0, y1)};
}

bool DrawingCanvas::isVisible(double x, double y) const {
    return x >= visible_.xmin && x <= visible_.xmax && y >= visible_.ymin && y <= visible_.ymax;
}

// --- Pens and brushes ---------------------------------------------------------

void DrawingCanvas::setColorPen(gdi::ColorRef color) {
    pen_ = {gdi::PenStyle::Solid, penWidth_, color};
    applyPen();
}

void DrawingCanvas::setPen(gdi::PenStyle style, gdi::ColorRef color) {
    if (style == gdi::PenStyle::Solid) {
        setColorPen(color);
        return;
    }
    pen_ = {style, 0, color};
    applyPen();
}

void DrawingCanvas::setPenByIndex(int index) { setColorPen(StandardPalette::color(index)); }

void DrawingCanvas::setDashPen(int index) {
    pen_ = {gdi::PenStyle::Dash, 1, StandardPalette::color(index)};
    applyPen();
}

void DrawingCanvas::deletePen() {
    pen_ = gdi::Pen{};
    applyPen();
}

void DrawingCanvas::setPenWidth(int width) {
    previousPenWidth_ = penWidth_;
    penWidth_ = width;
}

void DrawingCanvas::setColorBrush(gdi::ColorRef color) {
    if (brushSet_) {
        log("Brush not destroy");
    } else {
        replacedBrush_ = brush_;
    }
    brush_ = gdi::Brush::solid(color);
    brushSet_ = true;
    if (target_ != nullptr) target_->setBrush(brush_);
}

void DrawingCanvas::setHatchBrush(gdi::Hatch hatch, gdi::ColorRef color) {
    if (brushSet_) {
        log("Brush not destroy");
    } else {
        replacedBrush_ = brush_;
    }
    brush_ = gdi::Brush::hatched(hatch, color);
    brushSet_ = true;
    if (target_ != nullptr) target_->setBrush(brush_);
}

void DrawingCanvas::setBrushByIndex(int index) { setColorBrush(StandardPalette::color(index)); }

void DrawingCanvas::setHollowBrush() {
    brush_ = gdi::Brush::hollow();
    if (target_ != nullptr) target_->setBrush(brush_);
}

void DrawingCanvas::deleteBrush() {
    if (!brushSet_) {
        log("DeleteBrush: Brush not defined");
        return;
    }
    brush_ = replacedBrush_;
    brushSet_ = false;
    if (target_ != nullptr) target_->setBrush(brush_);
}

// --- Fonts and text -----------------------------------------------------------

const gdi::LogFont& DrawingCanvas::generalFont(int n) const {
    return generalFonts_[static_cast<std::size_t>(std::clamp(n, 1, kGeneralFonts) - 1)];
}

void DrawingCanvas::setGeneralFont(int n, const gdi::LogFont& font) {
    if (n < 1 || n > kGeneralFonts) return;
    generalFonts_[static_cast<std::size_t>(n - 1)] = font;
}

void DrawingCanvas::selectGeneralFont(int n) {
    font_ = generalFont(n);
    if (target_ != nullptr) target_->setFont(font_);
}

void DrawingCanvas::restoreGeneralFont() { selectGeneralFont(1); }

int DrawingCanvas::selectFont(const gdi::LogFont& font) {
    font_ = font;
    if (target_ != nullptr) target_->setFont(font_);
    return 0;
}

void DrawingCanvas::selectRotatedFont(int escapement) {
    gdi::LogFont rotated = font_;
    rotated.escapement = escapement;
    rotated.orientation = escapement;
    selectFont(rotated);
}

gdi::Device* DrawingCanvas::measuringDevice() {
    return target_ != nullptr ? target_ : pictureMeasure();
}

gdi::Device* DrawingCanvas::pictureMeasure() {
    if (measuring_ == nullptr) {
        if (gdi::DeviceFactory* factory = gdi::deviceFactory()) {
            measuring_ = factory->createBitmap({1, 1}, kWhite);
        }
    }
    return measuring_.get();
}

gdi::Size DrawingCanvas::textExtent(std::string_view text) {
    gdi::Device* device = measuringDevice();
    if (device == nullptr) return {0, 0};
    if (device != target_) device->setFont(font_);
    return device->textExtent(text);
}

void DrawingCanvas::drawText(int x, int y, std::string_view text) {
    if (target_ != nullptr) target_->textOut({x, y}, text);
}

void DrawingCanvas::setBackgroundMode(gdi::BackgroundMode mode) {
    backgroundMode_ = mode;
    if (target_ != nullptr) target_->setBackgroundMode(mode);
}

void DrawingCanvas::setTextColor(gdi::ColorRef color) {
    previousTextColor_ = textColor_;
    textColor_ = color;
    if (target_ != nullptr) target_->setTextColor(color);
}

void DrawingCanvas::restoreTextColor() {
    textColor_ = previousTextColor_;
    if (target_ != nullptr) target_->setTextColor(textColor_);
}

}  // namespace gridova
