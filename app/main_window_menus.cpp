// The main window's menus: built from the menu table (app/menu_table.h), the
// menu of the active kind shown, every item's state taken from the active
// map window when a menu opens, and the main window's own commands.
#include <QAbstractItemView>
#include <QApplication>
#include <QDesktopServices>
#include <QDockWidget>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <functional>

#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/language_dialog.h"
#include "app/main_window.h"
#include "app/main_window_private.h"
#include "app/map_print.h"
#include "app/map_window.h"
#include "app/qt_texts.h"
#include "app/relief_window.h"
#include "app/retranslate.h"
#include "app/ui_text.h"
#include "data/data_table.h"
#include "platform/messages.h"
#include "render/map_document_file.h"
#include "render/map_widget.h"

namespace gridova {
namespace {

constexpr int kAllFilesFilter = 9022;  // "Все файлы (*.*)|*.*||"
constexpr int kGridsFilter = 9459;  // "Все файлы (*.*)|*.*|Сетки и растры (...)|...||"
constexpr int kAboutText = 9152;      // "Gridova %s"
constexpr int kCommandFailed = 9004;  // "Не удалось выполнить команду"
constexpr int kTextIdle = 57345;      // "Готов"
constexpr int kPrintPreview = 9450;   // "Предварительный просмотр"

// The printer for a new print of a window: every page unless the user
// picks a range this time.
QPrinter& printerFor(QPrinter& device, const QString& document) {
    device.setDocName(document);
    device.setPrintRange(QPrinter::AllPages);
    device.setFromTo(0, 0);
    return device;
}

// The preview of what `paint` puts on a printer; it may end with printing,
// on the printer it hands over.
void showPrintPreview(QWidget* parent, QPrinter& device,
                      const std::function<void(QPrinter*)>& paint) {
    QPrintPreviewDialog dialog(&device, parent);
    dialog.setWindowTitle(uiText(kPrintPreview));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, paint);
    runDialog(dialog);
}

}  // namespace

// --- Building ------------------------------------------------------------------------------------

void MainWindow::buildMenus() {
    for (const unsigned kind : {kNoDocumentMenu, kMapMenu}) {
        for (const MenuPopupEntry& popup : menuPopups()) {
            if ((popup.kinds & kind) == 0) continue;
            QMenu* menu = menuBar()->addMenu(uiText(popup.text));
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
        auto* action = new QAction(uiText(item.text), this);
        if (const int prompt = promptOf(item); prompt != 0) action->setStatusTip(uiText(prompt));
        if (*item.keys != '\0') action->setShortcut(QKeySequence(QString::fromLatin1(item.keys)));
        action->setCheckable(item.checkable);
        const MenuItem* entry = &item;
        connect(action, &QAction::triggered, this, [this, entry] {
            if (entry->map) {
                if (MapWindow* w = activeMapWindow()) {
                    w->runCommand(*entry->map);
                } else if (Relief3DWindow* r = activeReliefWindow()) {
                    r->runCommand(*entry->map);
                }
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

void MainWindow::retranslate() {
    for (const auto& [key, menu] : d_->menus) {
        for (const MenuPopupEntry& popup : menuPopups()) {
            if (popup.popup == key.second) menu->setTitle(uiText(popup.text));
        }
    }
    for (const auto& [item, action] : d_->actions) {
        action->setText(uiText(item->text));
        if (const int prompt = promptOf(*item); prompt != 0) action->setStatusTip(uiText(prompt));
    }
    if (d_->methodList != nullptr) {
        for (std::size_t k = 0; k < methodChoices().size(); ++k) {
            const MethodChoice& choice = methodChoices()[k];
            d_->methodList->setItemText(
                static_cast<int>(k), choice.text != 0 ? uiText(choice.text) : uiText(choice.name));
        }
    }
    // The idle text of the status bar.
    d_->statusLabel->setText(QString::fromStdString(text(kTextIdle)));
    refreshMapBar();
    refreshActions();
}

void MainWindow::chooseLanguage() {
    // The texts the windows show now, to find their numbers by.
    const std::shared_ptr<const LanguageTable> before = languageTable();
    if (!chooseLanguageAsked(this)) return;
    followLanguageInQt();
    retranslate();
    // The windows that stay open: tool windows, docks and the map windows'
    // own windows.
    // Each window once: a window inside another is done with it.
    QList<QWidget*> roots = QApplication::topLevelWidgets();
    for (QDockWidget* dock : findChildren<QDockWidget*>()) {
        if (!roots.contains(dock)) roots.append(dock);
    }
    roots.removeAll(this);
    for (QWidget* w : roots) {
        // Found among another root's children already?
        bool inner = false;
        for (const QObject* up = w->parent(); up != nullptr && !inner; up = up->parent()) {
            inner = roots.contains(qobject_cast<QWidget*>(const_cast<QObject*>(up)));
        }
        if (!inner) retranslateWidgets(*w, before.get());
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

// --- The tool bar -------------------------------------------------------------------------------

namespace {

// A picture of a few characters for a button without a standard one.
QIcon glyphIcon(const QString& glyph, const QPalette& palette) {
    constexpr int kSize = 24;
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(glyph.size() <= 1 ? 18 : glyph.size() == 2 ? 13 : 10);
    painter.setFont(font);
    painter.setPen(palette.color(QPalette::ButtonText));
    painter.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, glyph);
    painter.end();
    return QIcon(pixmap);
}

QIcon buttonIcon(const char* glyph, const QStyle& style, const QPalette& palette) {
    const QString name = QString::fromUtf8(glyph);
    if (name == QLatin1String("new")) return style.standardIcon(QStyle::SP_FileIcon);
    if (name == QLatin1String("open")) return style.standardIcon(QStyle::SP_DialogOpenButton);
    if (name == QLatin1String("save")) return style.standardIcon(QStyle::SP_DialogSaveButton);
    if (name == QLatin1String("print")) {
        return QIcon::fromTheme(QStringLiteral("document-print"),
                                glyphIcon(QStringLiteral("P"), palette));
    }
    if (name == QLatin1String("copy")) {
        return QIcon::fromTheme(QStringLiteral("edit-copy"),
                                glyphIcon(QStringLiteral("C"), palette));
    }
    if (name == QLatin1String("paste")) {
        return QIcon::fromTheme(QStringLiteral("edit-paste"),
                                glyphIcon(QStringLiteral("V"), palette));
    }
    return glyphIcon(name, palette);
}

constexpr int kLayerListWidth = 50;
constexpr int kMethodListWidth = 150;

}  // namespace

void MainWindow::buildToolBar() {
    d_->toolBar = addToolBar(QStringLiteral("Gridova"));
    d_->toolBar->setObjectName(QStringLiteral("mainToolBar"));
    d_->toolBar->setIconSize(QSize(24, 24));
    for (const ToolBarItem& item : toolBarItems()) {
        switch (item.place) {
            case ToolBarPlace::Gap:
                d_->toolBar->addSeparator();
                break;
            case ToolBarPlace::LayerList:
                d_->layerList = new QComboBox(d_->toolBar);
                d_->layerList->setObjectName(QStringLiteral("layerList"));
                d_->layerList->setFixedWidth(kLayerListWidth);
                // Only arrays of several layers have a choice.
                d_->layerList->setEnabled(false);
                connect(d_->layerList, &QComboBox::activated, this, [this](int index) {
                    if (MapWindow* window = activeMapWindow()) {
                        window->view().showArrayLayer(index + 1);
                        refreshActions();
                    }
                });
                d_->toolBar->addWidget(d_->layerList);
                break;
            case ToolBarPlace::MethodList:
                d_->methodList = new QComboBox(d_->toolBar);
                d_->methodList->setObjectName(QStringLiteral("methodList"));
                d_->methodList->setFixedWidth(kMethodListWidth);
                for (const MethodChoice& choice : methodChoices()) {
                    d_->methodList->addItem(choice.text != 0 ? uiText(choice.text)
                                                             : uiText(choice.name));
                }
                // The open list shows the whole texts.
                d_->methodList->view()->setMinimumWidth(
                    d_->methodList->view()->sizeHintForColumn(0) + 8);
                connect(d_->methodList, &QComboBox::activated, this, [this](int index) {
                    MapWindow* window = activeMapWindow();
                    if (window == nullptr || index < 0 ||
                        static_cast<std::size_t>(index) >= methodChoices().size()) {
                        return;
                    }
                    window->view().model().setMethod(
                        methodChoices()[static_cast<std::size_t>(index)].method);
                });
                d_->toolBar->addWidget(d_->methodList);
                break;
            case ToolBarPlace::Button: {
                QAction* action = item.map ? actionFor(*item.map) : actionFor(item.frame);
                if (action == nullptr) break;
                action->setIcon(buttonIcon(item.glyph, *style(), palette()));
                // The menus keep their texts and check marks alone.
                action->setIconVisibleInMenu(false);
                d_->toolBar->addAction(action);
                break;
            }
        }
    }
}

QToolBar* MainWindow::toolBar() const { return d_->toolBar; }
QComboBox* MainWindow::methodList() const { return d_->methodList; }
QComboBox* MainWindow::layerList() const { return d_->layerList; }

// --- States -------------------------------------------------------------------------------------

void MainWindow::updateActions() {
    // A 3D window shares the map's menus; its own items show only for it.
    const bool relief = activeReliefWindow() != nullptr;
    const bool map = activeMapWindow() != nullptr || relief;
    for (const auto& [key, menu] : d_->menus) {
        menu->menuAction()->setVisible((key.first == kMapMenu) == map);
    }
    for (const auto& [item, action] : d_->actions) {
        if (item->frame == FrameCommand::ReliefRotation ||
            item->frame == FrameCommand::ReliefFormat) {
            action->setVisible(relief);
        }
    }
    refreshActions();
}

bool MainWindow::frameCommandEnabled(FrameCommand command) const {
    const bool map = activeMapWindow() != nullptr;
    const bool relief = activeReliefWindow() != nullptr;
    switch (command) {
        case FrameCommand::NewMap:
        case FrameCommand::Open:
        case FrameCommand::OpenTriangles:
        case FrameCommand::OpenArray:
        case FrameCommand::Exit:
        case FrameCommand::StatusBar:
        case FrameCommand::MapBar:
        case FrameCommand::ToolBar:
        case FrameCommand::About:
        case FrameCommand::Language:
            return true;
        case FrameCommand::Contents:
            return !helpPage().isEmpty();
        case FrameCommand::SaveDocument:
        case FrameCommand::SaveDocumentAs:
        case FrameCommand::NewWindow:
            return map;
        // A 3D window is closed, arranged and printed as a map is.
        case FrameCommand::Close:
        case FrameCommand::Cascade:
        case FrameCommand::Tile:
        case FrameCommand::Column:
        case FrameCommand::PrintSetup:
        case FrameCommand::Print:
        case FrameCommand::PrintPreview:
            return map || relief;
        case FrameCommand::ReliefRotation:
        case FrameCommand::ReliefFormat:
            return relief;
        case FrameCommand::ArrangeIcons:
            // Only minimised windows have icons to line up.
            for (QMdiSubWindow* sub : area_->subWindowList()) {
                if (sub->isMinimized()) return true;
            }
            return false;
        case FrameCommand::InputFormat:
            return true;
        // Their windows and dialogs are not built yet: shown, never dead.
        case FrameCommand::None:
        case FrameCommand::RecentFiles:
        case FrameCommand::WindowList:
            return false;
    }
    return false;
}

void MainWindow::refreshActions() {
    MapWindow* window = activeMapWindow();
    // The method list shows the active grid's method.
    if (d_->methodList != nullptr) {
        const EqNet* grid = window != nullptr ? window->view().model().grid() : nullptr;
        d_->methodList->setEnabled(grid != nullptr);
        int index = -1;
        for (std::size_t k = 0; grid != nullptr && k < methodChoices().size(); ++k) {
            if (methodChoices()[k].method == grid->method) index = static_cast<int>(k);
        }
        const QSignalBlocker quiet(d_->methodList);
        d_->methodList->setCurrentIndex(index);
    }
    // The layer list shows the layers of the active array.
    if (d_->layerList != nullptr) {
        const MapModel* model = window != nullptr ? &window->view().model() : nullptr;
        const int layers = model != nullptr ? model->arrayLayers() : 0;
        const QSignalBlocker quiet(d_->layerList);
        if (d_->layerList->count() != layers) {
            d_->layerList->clear();
            for (int k = 1; k <= layers; ++k) d_->layerList->addItem(QString::number(k));
        }
        d_->layerList->setEnabled(layers > 1);
        d_->layerList->setCurrentIndex(layers > 0 ? model->arrayLayer() - 1 : -1);
    }
    Relief3DWindow* relief = activeReliefWindow();
    for (const auto& [item, action] : d_->actions) {
        if (item->map) {
            const CommandState state = window != nullptr   ? window->commandState(*item->map)
                                       : relief != nullptr ? relief->commandState(*item->map)
                                                           : CommandState{false, false};
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
            if (item->frame == FrameCommand::ToolBar && d_->toolBar != nullptr) {
                action->setChecked(!d_->toolBar->isHidden());
            }
        }
    }
}

// --- The main window's commands ------------------------------------------------------------------

void MainWindow::runFrameCommand(FrameCommand command) {
    if (!frameCommandEnabled(command)) return;
    MapWindow* window = activeMapWindow();
    Relief3DWindow* relief = activeReliefWindow();
    switch (command) {
        case FrameCommand::NewMap:
            newMap();
            break;
        case FrameCommand::InputFormat:
            DataTable::editInputFormat();
            break;
        case FrameCommand::Open:
        case FrameCommand::OpenTriangles:
        case FrameCommand::OpenArray: {
            FileRequest request;
            request.forOpen = true;
            // "Открыть..." offers the grids and rasters too.
            request.filter = text(command == FrameCommand::Open ? kGridsFilter : kAllFilesFilter);
            if (const auto path = chooseFileFor(request)) {
                StartupOptions options;
                options.file = *path;
                openDocument(options, command == FrameCommand::OpenTriangles
                                          ? DocumentKind::Triangles
                                      : command == FrameCommand::OpenArray ? DocumentKind::Array
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
        case FrameCommand::ToolBar:
            d_->toolBar->setVisible(d_->toolBar->isHidden());
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
        case FrameCommand::Contents: {
            const QUrl page = QUrl::fromLocalFile(helpPage());
            const bool opened = urlOpener_ ? urlOpener_(page) : QDesktopServices::openUrl(page);
            if (!opened) context_.warning(text(kCommandFailed));
            break;
        }
        case FrameCommand::Language:
            chooseLanguage();
            break;
        case FrameCommand::PrintSetup:
            printSetupAsked();
            break;
        case FrameCommand::Print:
            if (window != nullptr) {
                printMapAsked(*window);
            } else {
                printReliefAsked(*relief);
            }
            break;
        case FrameCommand::PrintPreview:
            if (window != nullptr) {
                printPreviewAsked(*window);
            } else {
                printReliefPreviewAsked(*relief);
            }
            break;
        case FrameCommand::ReliefRotation:
            relief->openSettings(ReliefSettingsDialog::RotationPage);
            break;
        case FrameCommand::ReliefFormat:
            relief->openSettings(ReliefSettingsDialog::FormatPage);
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

// --- Printing ----------------------------------------------------------------------------------

QPrinter& MainWindow::printer() const {
    if (!d_->printer) {
        d_->printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        // The margins of the map's print settings are taken from the paper's
        // edge (app/map_print.h).
        d_->printer->setFullPage(true);
    }
    return *d_->printer;
}

void MainWindow::printSetupAsked() {
    QPageSetupDialog dialog(&printer(), this);
    runDialog(dialog);
}

void MainWindow::printMapAsked(MapWindow& window) {
    QPrinter& device = printer();
    printerFor(device, window.windowTitle());
    QPrintDialog dialog(&device, this);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setMinMax(1, mapPrintPageCount(window.view(), device));
    if (runDialog(dialog) != QDialog::Accepted) return;
    printMap(window.view(), device);
    window.mapWidget().update();
}

void MainWindow::printPreviewAsked(MapWindow& window) {
    CVexaView& view = window.view();
    showPrintPreview(this, printerFor(printer(), window.windowTitle()),
                     [&view](QPrinter* target) { printMap(view, *target); });
    window.mapWidget().update();
}

void MainWindow::printReliefAsked(Relief3DWindow& window) {
    QPrinter& device = printerFor(printer(), window.windowTitle());
    QPrintDialog dialog(&device, this);
    // The whole view goes on one page.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (runDialog(dialog) != QDialog::Accepted) return;
    printWholeView(window.view(), device, context_);
    window.mapWidget().update();
}

void MainWindow::printReliefPreviewAsked(Relief3DWindow& window) {
    CVexa3DView& view = window.view();
    showPrintPreview(this, printerFor(printer(), window.windowTitle()),
                     [this, &view](QPrinter* target) { printWholeView(view, *target, context_); });
    window.mapWidget().update();
}

QString MainWindow::helpPage() {
    QStringList folders;
    const QByteArray chosen = qgetenv("GRIDOVA_HELP");
    if (!chosen.isEmpty()) {
        folders << QString::fromLocal8Bit(chosen);
    } else {
        // Beside the program in the build, in the data folder of wherever
        // it was installed, or in the data folder it was built for.
        folders << QCoreApplication::applicationDirPath() + QStringLiteral("/help")
                << QCoreApplication::applicationDirPath() +
                       QStringLiteral("/" GRIDOVA_DATA_FROM_BIN "/help")
                << QStringLiteral(GRIDOVA_DATA_DIR "/help");
    }
    for (const QString& folder : folders) {
        const QFileInfo page(folder + QStringLiteral("/index.html"));
        if (page.isFile() && page.isReadable()) return page.absoluteFilePath();
    }
    return {};
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
