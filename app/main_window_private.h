// What the main window keeps besides its Qt parts: the status text, the
// progress forms, the installed services, and its menus (one QAction per
// item of the menu table, shared by the menus it stands in).
#pragma once

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QPointer>
#include <QPrinter>
#include <QThread>
#include <QToolBar>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/dialogs/file_dialog.h"
#include "app/dialogs/input_format_dialog.h"
#include "app/main_window.h"
#include "app/map_bar.h"
#include "app/menu_table.h"
#include "app/message_window.h"
#include "app/qt_progress.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/status.h"

namespace gridova {

struct MainWindow::Private final : public StatusBar {
    QLabel* statusLabel = nullptr;
    QLabel* coordinateLabel = nullptr;  // the coordinate pane
    std::unique_ptr<QtProgressUi> progress;
    QtFileChooser chooser;
    QtClipboard clipboard;
    std::unique_ptr<QtInputFormatDialog> inputFormat;

    // The pop-ups of each menu kind (kMapMenu, kNoDocumentMenu).
    std::map<std::pair<unsigned, MenuPopup>, QMenu*> menus;
    // The action of each item of the menu table, in its order.
    std::vector<std::pair<const MenuItem*, QAction*>> actions;
    std::array<QAction*, kRecentFiles> recent{};
    // One separator before the recent files in each File menu.
    std::vector<QAction*> recentSeparators;
    QAction* windowListSeparator = nullptr;
    std::vector<QAction*> windowList;
    int newMaps = 0;
    MapBar* mapBar = nullptr;
    MessageWindow* messages = nullptr;
    QToolBar* toolBar = nullptr;
    QComboBox* layerList = nullptr;     // the layers of an array document
    QComboBox* methodList = nullptr;    // the grid's method
    bool mapBarPending = false;         // a rebuild of the map bar is on its way
    std::unique_ptr<QPrinter> printer;  // made when first asked for

    // The map view reports the coordinates under the mouse here; the scopes
    // of long operations "Ждите..." and "Готов".
    void setStatusText(const std::string& value) override {
        if (statusLabel == nullptr) return;
        const QString shown = QString::fromStdString(value);
        if (QThread::currentThread() != statusLabel->thread()) {
            QPointer<QLabel> label = statusLabel;
            QMetaObject::invokeMethod(
                statusLabel,
                [label, shown] {
                    if (label != nullptr) label->setText(shown);
                },
                Qt::QueuedConnection);
            return;
        }
        statusLabel->setText(shown);
        // Shown at once: the operations that report run on this thread.
        statusLabel->repaint();
    }
    // The map view reports the position under the mouse (on this thread).
    void setCoordinateText(const std::string& value) override {
        if (coordinateLabel != nullptr) coordinateLabel->setText(QString::fromStdString(value));
    }
};

}  // namespace gridova
