// The main window's menus: built from the menu table (app/menu_table.h), the
// menu of the active kind shown, every item's state taken from the active
// map window when a menu opens, and the main window's own commands.
#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QStatusBar>
#include <algorithm>

#include "app/main_window.h"
#include "app/main_window_private.h"
#include "app/map_window.h"
#include "platform/messages.h"
#include "render/map_document_file.h"

namespace gridova {
namespace {

constexpr int kAllFilesFilter = 9022;  // "Все файлы (*.*)|*.*||"
constexpr int kAboutText = 9152;       // "Gridova %s"

QString menuText(int number) { return QString::fromStdString(text(number)); }

}  // namespace

// --- Building ------------------------------------------------------------------------------------

void MainWindow::buildMenus() {
    for (const unsigned kind : {kNoDocumentMenu, kMapMenu}) {
        for (const MenuPopupEntry& popup : menuPopups()) {
            if ((popup.kinds & kind) == 0) continue;
            QMenu* menu = menuBar()->addMenu(menuText(popup.text));
            d_->menus[{kind, popup.popup}] = menu;
            connect(menu, &QMenu::aboutToShow, this, [this] { refreshActions(); });
        }
    }
    for (std::size_t k = 0; k < d_->recent.size(); ++k) {
        d_->recent[k] = new QAction(this);
        connect(d_->recent[k], &QAction::triggered, this, [this, k] {
            // Copied: opening changes the list.
            if (k < recent_.size()) openFile(std::string(recent_[k]));
        });
    }
    for (const MenuItem& item : menuItems()) {
        for (const unsigned kind : {kNoDocumentMenu, kMapMenu}) {
            if ((item.kinds & kind) == 0) continue;
            QMenu* menu = d_->menus.at({kind, item.popup});
            if (item.separatorBefore) menu->addSeparator();
            if (item.frame == FrameCommand::RecentFiles) {
                d_->recentSeparators.push_back(menu->addSeparator());
                for (QAction* a : d_->recent) menu->addAction(a);
            } else if (item.frame == FrameCommand::WindowList) {
                d_->windowListSeparator = menu->addSeparator();
                connect(menu, &QMenu::aboutToShow, this, [this, menu] { fillWindowMenu(menu); });
            }
        }
        if (item.frame == FrameCommand::RecentFiles || item.frame == FrameCommand::WindowList) {
            continue;
        }
        auto* action = new QAction(menuText(item.text), this);
        if (*item.keys != '\0') action->setShortcut(QKeySequence(QString::fromLatin1(item.keys)));
        action->setCheckable(item.checkable);
        const MenuItem* entry = &item;
        connect(action, &QAction::triggered, this, [this, entry] {
            if (entry->map) {
                if (MapWindow* w = activeMapWindow()) w->runCommand(*entry->map);
            } else {
                runFrameCommand(entry->frame);
            }
            refreshActions();
        });
        for (const unsigned kind : {kNoDocumentMenu, kMapMenu}) {
            if ((item.kinds & kind) != 0) d_->menus.at({kind, item.popup})->addAction(action);
        }
        // Shortcuts work whichever menu is shown.
        addAction(action);
        d_->actions.emplace_back(&item, action);
    }
}

QMenu* MainWindow::popupMenu(MenuPopup popup, bool forMap) const {
    const auto it = d_->menus.find({forMap ? kMapMenu : kNoDocumentMenu, popup});
    return it != d_->menus.end() ? it->second : nullptr;
}

QAction* MainWindow::actionFor(MapCommand command) const {
    for (const auto& [item, action] : d_->actions) {
        if (item->map == command) return action;
    }
    return nullptr;
}

QAction* MainWindow::actionFor(FrameCommand command) const {
    for (const auto& [item, action] : d_->actions) {
        if (!item->map && item->frame == command) return action;
    }
    return nullptr;
}

// --- States -------------------------------------------------------------------------------------

void MainWindow::updateActions() {
    const bool map = activeMapWindow() != nullptr;
    for (const auto& [key, menu] : d_->menus) {
        menu->menuAction()->setVisible((key.first == kMapMenu) == map);
    }
    refreshActions();
}

bool MainWindow::frameCommandEnabled(FrameCommand command) const {
    const bool map = activeMapWindow() != nullptr;
    switch (command) {
        case FrameCommand::NewMap:
        case FrameCommand::Open:
        case FrameCommand::OpenTriangles:
        case FrameCommand::Exit:
        case FrameCommand::StatusBar:
        case FrameCommand::MapBar:
        case FrameCommand::About:
            return true;
        case FrameCommand::Close:
        case FrameCommand::SaveDocument:
        case FrameCommand::SaveDocumentAs:
        case FrameCommand::NewWindow:
        case FrameCommand::Cascade:
        case FrameCommand::Tile:
        case FrameCommand::Column:
        case FrameCommand::ArrangeIcons:
            return map;
        // Their windows and dialogs are not built yet: shown, never dead.
        case FrameCommand::OpenArray:
        case FrameCommand::PrintSetup:
        case FrameCommand::Print:
        case FrameCommand::ToolBar:
        case FrameCommand::InputFormat:
        case FrameCommand::Contents:
        case FrameCommand::None:
        case FrameCommand::RecentFiles:
        case FrameCommand::WindowList:
            return false;
    }
    return false;
}

void MainWindow::refreshActions() {
    MapWindow* window = activeMapWindow();
    for (const auto& [item, action] : d_->actions) {
        if (item->map) {
            const CommandState state =
                window != nullptr ? window->commandState(*item->map) : CommandState{false, false};
            action->setEnabled(state.enabled);
            if (action->isCheckable()) action->setChecked(state.checked);
        } else {
            action->setEnabled(frameCommandEnabled(item->frame));
            if (item->frame == FrameCommand::StatusBar) {
                action->setChecked(statusBar()->isVisible() || !isVisible());
            }
            if (item->frame == FrameCommand::MapBar) {
                action->setChecked(!d_->mapBar->isHidden());
            }
        }
    }
}

// --- The main window's commands ------------------------------------------------------------------

void MainWindow::runFrameCommand(FrameCommand command) {
    if (!frameCommandEnabled(command)) return;
    MapWindow* window = activeMapWindow();
    switch (command) {
        case FrameCommand::NewMap:
            newMap();
            break;
        case FrameCommand::Open:
        case FrameCommand::OpenTriangles: {
            FileRequest request;
            request.forOpen = true;
            request.filter = text(kAllFilesFilter);
            if (const auto path = chooseFileFor(request)) {
                StartupOptions options;
                options.file = *path;
                openDocument(options, command == FrameCommand::OpenTriangles
                                          ? DocumentKind::Triangles
                                          : DocumentKind::Data);
            }
            break;
        }
        case FrameCommand::Close:
            if (QMdiSubWindow* sub = area_->currentSubWindow()) sub->close();
            break;
        case FrameCommand::SaveDocument:
            window->save();
            break;
        case FrameCommand::SaveDocumentAs:
            window->saveAs();
            break;
        case FrameCommand::Exit:
            close();
            break;
        case FrameCommand::StatusBar:
            statusBar()->setVisible(!statusBar()->isVisible());
            break;
        case FrameCommand::MapBar:
            d_->mapBar->setVisible(d_->mapBar->isHidden());
            break;
        case FrameCommand::NewWindow:
            newWindow(*window);
            break;
        case FrameCommand::Cascade:
            area_->cascadeSubWindows();
            break;
        case FrameCommand::Tile:
            area_->tileSubWindows();
            break;
        case FrameCommand::Column:
            tileSideBySide();
            break;
        case FrameCommand::ArrangeIcons:
            arrangeIcons();
            break;
        case FrameCommand::About:
            QMessageBox::about(
                this, QStringLiteral("Gridova"),
                QString::fromStdString(
                    formatText(text(kAboutText), {std::string(MapDocumentFile::kVersionText)})));
            break;
        default:
            break;
    }
}

void MainWindow::fillWindowMenu(QMenu* menu) {
    for (QAction* a : d_->windowList) {
        menu->removeAction(a);
        a->deleteLater();
    }
    d_->windowList.clear();
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    d_->windowListSeparator->setVisible(!windows.isEmpty());
    int number = 0;
    for (QMdiSubWindow* sub : windows) {
        ++number;
        QAction* a = menu->addAction(QStringLiteral("&%1 %2").arg(number).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == area_->currentSubWindow());
        QPointer<QMdiSubWindow> target = sub;
        connect(a, &QAction::triggered, this, [this, target] {
            if (target != nullptr) area_->setActiveSubWindow(target);
        });
        d_->windowList.push_back(a);
    }
}

void MainWindow::tileSideBySide() {
    // Every window that is not minimised takes the whole height and an
    // equal share of the width, left to right in the order they were made.
    QList<QMdiSubWindow*> shown;
    for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized() && sub->isVisible()) shown.push_back(sub);
    }
    if (shown.isEmpty()) return;
    const QSize room = area_->viewport()->size();
    const int width = std::max(1, room.width() / static_cast<int>(shown.size()));
    int x = 0;
    for (QMdiSubWindow* sub : shown) {
        sub->showNormal();
        sub->setGeometry(x, 0, width, room.height());
        x += width;
    }
}

void MainWindow::arrangeIcons() {
    // The minimised windows in rows along the bottom of the area, left to
    // right, as the icons of minimised windows are lined up.
    const QSize room = area_->viewport()->size();
    int x = 0;
    int bottom = room.height();
    int rowHeight = 0;
    for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (!sub->isMinimized()) continue;
        const QSize size = sub->size();
        if (x > 0 && x + size.width() > room.width()) {
            x = 0;
            bottom -= rowHeight;
            rowHeight = 0;
        }
        sub->move(x, bottom - size.height());
        x += size.width();
        rowHeight = std::max(rowHeight, size.height());
    }
}

}  // namespace gridova
