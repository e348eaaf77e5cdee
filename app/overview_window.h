// The zoom window "Общий вид": a small window with the whole map and the
// zoom rectangle framed on it. While it is open the map window shows only
// the rectangle; a click in it centres the rectangle there (the history goes
// on); closing it shows the whole map again ("Показать всю карту"). Its
// place is remembered (resource 195).
#pragma once

#include <QDialog>
#include <optional>

#include "render/map_view.h"

class QLabel;

namespace gridova {

class OverviewWindow final : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResource = 195;

    OverviewWindow(CVexaView& view, QWidget* owner);

    // The map changed: the picture is drawn again once the events in hand
    // are done.
    void mapChanged();
    // The map window drew itself: the picture follows a new zoom rectangle.
    void mapDrawn();
    // Draws the picture now (hides the window when the zoom window closed).
    void refresh();
    // The world point under a pixel of the picture.
    std::optional<LinePoint> worldAt(QPoint pixel) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void done(int result) override;

private:
    void scheduleRefresh();

    CVexaView& view_;
    QWidget* owner_;
    QLabel* picture_ = nullptr;
    std::optional<MapOverview> shown_;
    WorldRect shownZoom_{};
    bool pending_ = false;
};

}  // namespace gridova
