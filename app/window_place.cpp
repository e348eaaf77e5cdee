#include "app/window_place.h"

#include <QPoint>
#include <QWidget>

#include "platform/profile.h"

namespace gridova {

void placeWindow(QWidget& window, int resource, const QWidget* owner,
                 std::optional<QPoint> askedFor) {
    std::optional<WindowPoint> asked;
    if (askedFor) asked = WindowPoint{askedFor->x(), askedFor->y()};
    QPoint corner(0, 0);
    if (owner != nullptr) corner = owner->mapToGlobal(QPoint(0, 0));
    const WindowPoint at = windowPlacement(resource, asked, WindowPoint{corner.x(), corner.y()});
    window.move(at.x, at.y);
}

void rememberWindowPlace(const QWidget& window, int resource) {
    const QRect frame = window.frameGeometry();
    writeWindowRect(resource,
                    WindowRect{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1});
}

}  // namespace gridova
