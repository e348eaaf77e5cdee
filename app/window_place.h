// Remembered places of the modeless windows: profile section "Dialog %d"
// with the window's resource number, keys "Left", "Top", "Right", "Bottom".
#pragma once

#include <QPoint>
#include <optional>

class QWidget;

namespace gridova {

// Moves the window where it goes when shown: to the stored left and top
// when all four keys read (its size kept); else to the point its owner
// asked for; else to the top-left corner of the owner's client area.
void placeWindow(QWidget& window, int resource, const QWidget* owner,
                 std::optional<QPoint> askedFor = std::nullopt);
// Stores the window's frame rectangle (on closing).
void rememberWindowPlace(const QWidget& window, int resource);

}  // namespace gridova
