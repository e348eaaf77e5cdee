// The map widget: hosts a canvas view (the map view `CVexaView`, the 3D
// view) on screen.
//
// What the window shows lives in a front picture of the client size: a
// paint of the view copies its memory bitmap there and draws the overlays
// (the line being entered, rubber bands, picked nodes) on it; drawing
// "straight on the window" between paints (rubber bands while the mouse
// moves) also goes to the front picture and is shown at once. A paint
// event asks the view to paint only after the map changed or the widget was
// resized; any other paint event (an overlapping window moved away) copies
// the front picture and draws nothing anew.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>

#include "render/canvas_view.h"

class QPainter;

namespace gridova {

class MapWidget final : public QWidget, public ViewWindow {
    Q_OBJECT
public:
    // The view is the caller's and must outlive the widget.
    explicit MapWidget(CanvasView& view, QWidget* parent = nullptr);
    ~MapWidget() override;

    CanvasView& view() { return view_; }
    // The picture the window shows (tests read it).
    const QImage& frontPicture() const { return front_; }
    // Paint events that made the view paint (full drawing or not).
    int viewPaints() const { return viewPaints_; }

    // ViewWindow
    gdi::Size clientSize() const override;
    gdi::Device* clientDevice() override;
    void releaseClientDevice() override;
    void present(gdi::BitmapDevice& memory, const gdi::Rect& part) override;
    void captureMouse(bool capture) override;
    void invalidate() override;
    void setDrawingCursor(bool drawing) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void ensureFront();

    CanvasView& view_;
    QImage front_;
    std::unique_ptr<QPainter> directPainter_;
    std::unique_ptr<gdi::Device> directDevice_;
    bool viewPaintNeeded_ = true;
    bool inViewPaint_ = false;
    int viewPaints_ = 0;
};

}  // namespace gridova
