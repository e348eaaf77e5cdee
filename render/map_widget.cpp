#include "render/map_widget.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "platform/qt/qt_device.h"
#include "render/canvas_view.h"

namespace gridova {

namespace {

gdi::Point devicePoint(const QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    return {p.x(), p.y()};
}

}  // namespace

MapWidget::MapWidget(CanvasView& view, QWidget* parent) : QWidget(parent), view_(view) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    view_.setWindow(this);
}

MapWidget::~MapWidget() {
    releaseClientDevice();
    if (view_.window() == this) view_.setWindow(nullptr);
    if (view_.canvas().window() == this) view_.canvas().attach(nullptr);
}

gdi::Size MapWidget::clientSize() const { return {width(), height()}; }

void MapWidget::ensureFront() {
    if (front_.size() != size()) {
        releaseClientDevice();
        front_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        front_.fill(Qt::white);
    }
}

gdi::Device* MapWidget::clientDevice() {
    ensureFront();
    if (!directPainter_) {
        directPainter_ = std::make_unique<QPainter>(&front_);
        directDevice_ = std::make_unique<QtPainterDevice>(
            *directPainter_, gdi::Size{front_.width(), front_.height()});
    }
    return directDevice_.get();
}

void MapWidget::releaseClientDevice() {
    if (!directPainter_) return;
    directDevice_.reset();
    directPainter_->end();
    directPainter_.reset();
    // Drawn straight on the window: show it now.
    if (!inViewPaint_) update();
}

void MapWidget::present(gdi::BitmapDevice& memory, const gdi::Rect& part) {
    ensureFront();
    auto* image = dynamic_cast<QtImageDevice*>(&memory);
    const QRect box(part.left, part.top, part.width(), part.height());
    // A painter of the direct drawing may be open (Esc repaints a part
    // while the line is drawn): draw through it then.
    QPainter* painter = directPainter_.get();
    std::optional<QPainter> own;
    if (painter == nullptr) {
        own.emplace(&front_);
        painter = &*own;
    }
    painter->save();
    painter->setCompositionMode(QPainter::CompositionMode_Source);
    painter->setClipRect(box);
    if (image != nullptr) {
        painter->drawImage(box.topLeft(), image->pixels(), box);
    } else {
        painter->drawImage(box.topLeft(), imageFromDib(memory.dib()), box);
    }
    painter->restore();
    if (!inViewPaint_) update(box);
}

void MapWidget::captureMouse(bool capture) {
    // Qt keeps the mouse with the widget while a button is held; the grab
    // also holds it while the pointer leaves the window. Platforms without
    // windows (offscreen) cannot grab.
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) return;
    if (capture) {
        grabMouse();
    } else {
        releaseMouse();
    }
}

void MapWidget::invalidate() {
    viewPaintNeeded_ = true;
    update();
}

void MapWidget::setDrawingCursor(bool drawing) {
    if (drawing) {
        setCursor(Qt::CrossCursor);
    } else {
        unsetCursor();
    }
}

void MapWidget::paintEvent(QPaintEvent*) {
    ensureFront();
    if (viewPaintNeeded_) {
        viewPaintNeeded_ = false;
        inViewPaint_ = true;
        view_.onSize(clientSize());
        view_.paint();
        inViewPaint_ = false;
        ++viewPaints_;
    }
    releaseClientDevice();
    QPainter painter(this);
    painter.drawImage(0, 0, front_);
}

void MapWidget::resizeEvent(QResizeEvent*) {
    view_.onSize(clientSize());
    viewPaintNeeded_ = true;
}

void MapWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        view_.mouseLeftDown(devicePoint(event));
    } else if (event->button() == Qt::RightButton) {
        view_.mouseRightDown(devicePoint(event));
    }
}

void MapWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) view_.mouseLeftUp(devicePoint(event));
}

void MapWidget::mouseMoveEvent(QMouseEvent* event) { view_.mouseMove(devicePoint(event)); }

void MapWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) view_.mouseLeftDoubleClick(devicePoint(event));
}

void MapWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            view_.keyEscape();
            return;
        case Qt::Key_Space:
            view_.keyStep(true);
            return;
        case Qt::Key_Backspace:
            view_.keyStep(false);
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            view_.keyEnter();
            return;
        default:
            break;
    }
    QWidget::keyPressEvent(event);
}

void MapWidget::focusOutEvent(QFocusEvent* event) {
    view_.lineFocusLost();
    QWidget::focusOutEvent(event);
}

}  // namespace gridova
