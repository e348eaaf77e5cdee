#include "app/overview_window.h"
#include "app/ui_text.h"

#include <QLabel>
#include <QMetaObject>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "app/window_place.h"
#include "platform/qt/qt_device.h"

namespace gridova {
namespace {

constexpr int kWidth = 240;
constexpr int kHeight = 200;

bool sameRect(const WorldRect& a, const WorldRect& b) {
    return a.xmin == b.xmin && a.ymin == b.ymin && a.xmax == b.xmax && a.ymax == b.ymax;
}

}  // namespace

OverviewWindow::OverviewWindow(CVexaView& view, QWidget* owner)
    : QDialog(owner, Qt::Tool), view_(view), owner_(owner) {
    setObjectName(QStringLiteral("overviewWindow"));
    setWindowTitle(uiText("Общий вид"));
    setModal(false);
    picture_ = new QLabel(this);
    picture_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    picture_->setMinimumSize(40, 30);
    // The picture follows the window, never the other way round.
    picture_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(picture_);
    resize(kWidth, kHeight);
    placeWindow(*this, kResource, owner_);
}

void OverviewWindow::scheduleRefresh() {
    if (pending_) return;
    pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            pending_ = false;
            refresh();
        },
        Qt::QueuedConnection);
}

void OverviewWindow::mapChanged() { scheduleRefresh(); }

void OverviewWindow::mapDrawn() {
    // Its own drawing makes the window draw again: only a new rectangle
    // (or a closed zoom window) asks for a new picture.
    if (!view_.zoom().isOpen() || !sameRect(view_.zoom().rect(), shownZoom_)) scheduleRefresh();
}

void OverviewWindow::refresh() {
    if (!view_.zoom().isOpen()) {
        hide();
        return;
    }
    const QSize room = picture_->size();
    if (room.width() <= 0 || room.height() <= 0) return;
    shown_ = view_.drawOverview({room.width(), room.height()});
    shownZoom_ = view_.zoom().rect();
    if (shown_) picture_->setPixmap(QPixmap::fromImage(imageFromDib(shown_->picture)));
}

std::optional<LinePoint> OverviewWindow::worldAt(QPoint pixel) const {
    if (!shown_) return std::nullopt;
    const gdi::Rect& d = shown_->device;
    const WorldRect& w = shown_->world;
    if (d.right == d.left || d.bottom == d.top) return std::nullopt;
    const QPoint at = picture_->mapFrom(this, pixel);
    const double x = w.xmin + (at.x() - d.left) * (w.xmax - w.xmin) / (d.right - d.left);
    const double y = w.ymax - (at.y() - d.top) * (w.ymax - w.ymin) / (d.bottom - d.top);
    return LinePoint{x, y};
}

void OverviewWindow::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !view_.zoom().isOpen()) {
        QDialog::mousePressEvent(event);
        return;
    }
    const std::optional<LinePoint> centre = worldAt(event->position().toPoint());
    if (!centre) return;
    const WorldRect& z = view_.zoom().rect();
    const double halfX = (z.xmax - z.xmin) / 2, halfY = (z.ymax - z.ymin) / 2;
    view_.zoomTo(
        WorldRect{centre->x - halfX, centre->y - halfY, centre->x + halfX, centre->y + halfY});
}

void OverviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    scheduleRefresh();
}

void OverviewWindow::done(int result) {
    // Closing the zoom window shows the whole map again.
    if (isVisible()) {
        rememberWindowPlace(*this, kResource);
        if (view_.zoom().isOpen()) view_.run(MapCommand::ZoomAll);
    }
    QDialog::done(result);
}

}  // namespace gridova
