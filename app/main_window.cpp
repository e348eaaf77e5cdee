#include "app/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMetaObject>
#include <QPointer>
#include <QStatusBar>
#include <QThread>
#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <system_error>

#include "app/map_window.h"
#include "app/qt_progress.h"
#include "app/startup_run.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/status.h"

namespace gridova {
namespace {

constexpr int kTextIdle = 57345;  // "Готов"
constexpr int kMenuFile = 9010;
constexpr int kMenuNewMap = 9011;
constexpr int kMenuOpen = 9012;
constexpr int kMenuClose = 9013;
constexpr int kMenuSave = 9014;
constexpr int kMenuSaveAs = 9015;
constexpr int kMenuSavePicture = 9016;
constexpr int kMenuExit = 9017;
constexpr int kMenuWindow = 9018;
constexpr int kMenuCascade = 9019;
constexpr int kMenuTile = 9020;
constexpr int kMenuArrangeIcons = 9021;
constexpr int kAllFilesFilter = 9022;  // "Все файлы (*.*)|*.*||"
constexpr int kNewMapTitle = 9023;     // "Карта%d"

constexpr const char* kRecentSection = "Recent File List";

QString menuText(int number) { return QString::fromStdString(text(number)); }

}  // namespace

struct MainWindow::Private final : public StatusBar {
    QLabel* statusLabel = nullptr;
    std::unique_ptr<QtProgressUi> progress;
    QtFileChooser chooser;
    QtClipboard clipboard;

    QMenu* windowMenu = nullptr;
    QAction* save = nullptr;
    QAction* saveAs = nullptr;
    QAction* close = nullptr;
    QAction* savePicture = nullptr;
    std::array<QAction*, kRecentFiles> recent{};
    QAction* recentSeparator = nullptr;
    QAction* windowListSeparator = nullptr;
    std::vector<QAction*> windowList;
    int newMaps = 0;

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
};

MainWindow::MainWindow(AppContext& context) : context_(context), d_(std::make_unique<Private>()) {
    setWindowTitle(QStringLiteral("Gridova"));
    area_ = new QMdiArea(this);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);

    d_->statusLabel = new QLabel(menuText(kTextIdle), this);
    d_->statusLabel->setObjectName(QStringLiteral("statusText"));
    statusBar()->addWidget(d_->statusLabel, 1);
    d_->progress = std::make_unique<QtProgressUi>(statusBar(), this);

    context_.setStatusBar(d_.get());
    context_.setProgress(d_->progress.get());
    context_.setFiles(&d_->chooser);
    context_.setClipboard(&d_->clipboard);

    buildMenus();
    loadRecentFiles();
    connect(area_, &QMdiArea::subWindowActivated, this, [this] { updateActions(); });
    updateActions();
}

MainWindow::~MainWindow() {
    context_.setStatusBar(nullptr);
    if (&context_.progress() == d_->progress.get()) context_.setProgress(nullptr);
    context_.setFiles(nullptr);
    context_.setClipboard(nullptr);
    // The map windows go while the rest of the window is whole.
    delete area_;
    area_ = nullptr;
}

// --- Menus ---------------------------------------------------------------------------------------

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(menuText(kMenuFile));
    QAction* newAction = file->addAction(menuText(kMenuNewMap), this, [this] { newMap(); });
    newAction->setShortcut(QKeySequence::New);
    QAction* openAction = file->addAction(menuText(kMenuOpen), this, [this] {
        FileRequest request;
        request.forOpen = true;
        request.filter = text(kAllFilesFilter);
        if (const auto path = chooseFileFor(request)) openFile(*path);
    });
    openAction->setShortcut(QKeySequence::Open);
    d_->save = file->addAction(menuText(kMenuSave), this, [this] {
        if (MapWindow* w = activeMapWindow()) w->save();
    });
    d_->save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    d_->saveAs = file->addAction(menuText(kMenuSaveAs), this, [this] {
        if (MapWindow* w = activeMapWindow()) w->saveAs();
    });
    d_->close = file->addAction(menuText(kMenuClose), this, [this] {
        if (QMdiSubWindow* sub = area_->currentSubWindow()) sub->close();
    });
    file->addSeparator();
    d_->savePicture = file->addAction(menuText(kMenuSavePicture), this, [this] {
        if (MapWindow* w = activeMapWindow()) w->savePicture();
    });
    d_->recentSeparator = file->addSeparator();
    for (std::size_t k = 0; k < d_->recent.size(); ++k) {
        d_->recent[k] = file->addAction(QString(), this, [this, k] {
            // Copied: opening changes the list.
            if (k < recent_.size()) openFile(std::string(recent_[k]));
        });
    }
    file->addSeparator();
    QAction* exitAction = file->addAction(menuText(kMenuExit), this, [this] { close(); });
    exitAction->setShortcut(QKeySequence::Quit);

    d_->windowMenu = menuBar()->addMenu(menuText(kMenuWindow));
    d_->windowMenu->addAction(menuText(kMenuCascade), area_, &QMdiArea::cascadeSubWindows);
    d_->windowMenu->addAction(menuText(kMenuTile), area_, &QMdiArea::tileSubWindows);
    d_->windowMenu->addAction(menuText(kMenuArrangeIcons), this, [this] { arrangeIcons(); });
    d_->windowListSeparator = d_->windowMenu->addSeparator();
    connect(d_->windowMenu, &QMenu::aboutToShow, this, [this] { fillWindowMenu(); });
}

void MainWindow::updateActions() {
    const bool map = activeMapWindow() != nullptr;
    for (QAction* a : {d_->save, d_->saveAs, d_->close, d_->savePicture}) a->setEnabled(map);
}

void MainWindow::fillWindowMenu() {
    for (QAction* a : d_->windowList) {
        d_->windowMenu->removeAction(a);
        a->deleteLater();
    }
    d_->windowList.clear();
    const QList<QMdiSubWindow*> windows = area_->subWindowList();
    d_->windowListSeparator->setVisible(!windows.isEmpty());
    int number = 0;
    for (QMdiSubWindow* sub : windows) {
        ++number;
        QAction* a =
            d_->windowMenu->addAction(QStringLiteral("&%1 %2").arg(number).arg(sub->windowTitle()));
        a->setCheckable(true);
        a->setChecked(sub == area_->currentSubWindow());
        QPointer<QMdiSubWindow> target = sub;
        connect(a, &QAction::triggered, this, [this, target] {
            if (target != nullptr) area_->setActiveSubWindow(target);
        });
        d_->windowList.push_back(a);
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

// --- Recent files --------------------------------------------------------------------------------

void MainWindow::loadRecentFiles() {
    recent_.clear();
    for (int k = 1; k <= kRecentFiles; ++k) {
        std::string path;
        if (readProfileText(kRecentSection, "File" + std::to_string(k), path) == 0 &&
            !path.empty() && std::find(recent_.begin(), recent_.end(), path) == recent_.end()) {
            recent_.push_back(path);
        }
    }
    updateRecentMenu();
}

void MainWindow::saveRecentFiles() {
    for (int k = 1; k <= kRecentFiles; ++k) {
        const std::string key = "File" + std::to_string(k);
        if (static_cast<std::size_t>(k) <= recent_.size()) {
            writeProfileText(kRecentSection, key, recent_[static_cast<std::size_t>(k - 1)]);
        } else {
            removeProfileKey(kRecentSection, key);
        }
    }
}

void MainWindow::updateRecentMenu() {
    for (std::size_t k = 0; k < d_->recent.size(); ++k) {
        QAction* a = d_->recent[k];
        if (k < recent_.size()) {
            a->setText(QStringLiteral("&%1 %2").arg(k + 1).arg(QString::fromStdString(recent_[k])));
            a->setVisible(true);
        } else {
            a->setVisible(false);
        }
    }
    d_->recentSeparator->setVisible(!recent_.empty());
}

void MainWindow::rememberFile(const std::string& path) {
    const std::string full = absolutePath(path);
    recent_.erase(std::remove(recent_.begin(), recent_.end(), full), recent_.end());
    recent_.insert(recent_.begin(), full);
    if (recent_.size() > static_cast<std::size_t>(kRecentFiles)) recent_.resize(kRecentFiles);
    saveRecentFiles();
    updateRecentMenu();
}

void MainWindow::forgetFile(const std::string& path) {
    const std::string full = absolutePath(path);
    const auto end = std::remove(recent_.begin(), recent_.end(), full);
    if (end == recent_.end()) return;
    recent_.erase(end, recent_.end());
    saveRecentFiles();
    updateRecentMenu();
}

// --- Map windows ---------------------------------------------------------------------------------

MapWindow* MainWindow::activeMapWindow() const {
    QMdiSubWindow* sub = area_ != nullptr ? area_->currentSubWindow() : nullptr;
    return sub != nullptr ? qobject_cast<MapWindow*>(sub->widget()) : nullptr;
}

std::vector<MapWindow*> MainWindow::mapWindows() const {
    std::vector<MapWindow*> result;
    if (area_ == nullptr) return result;
    for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* w = qobject_cast<MapWindow*>(sub->widget())) result.push_back(w);
    }
    return result;
}

MapWindow* MainWindow::addMapWindow(std::shared_ptr<CVexaDoc> document, bool secondary) {
    auto* window = new MapWindow(this, std::move(document), secondary);
    QMdiSubWindow* sub = area_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    return window;
}

void MainWindow::showMapWindow(MapWindow* window) {
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* s : area_->subWindowList()) {
        if (s->widget() == window) sub = s;
    }
    if (sub == nullptr) return;
    QMdiSubWindow* current = area_->currentSubWindow();
    if (current != nullptr && current != sub && current->isMaximized()) {
        sub->showMaximized();
    } else {
        const QSize room = area_->viewport()->size();
        sub->resize(std::max(400, room.width() * 3 / 4), std::max(300, room.height() * 3 / 4));
        sub->show();
    }
    area_->setActiveSubWindow(sub);
    updateCaptions();
    updateActions();
}

void MainWindow::updateCaptions() {
    const std::vector<MapWindow*> windows = mapWindows();
    std::map<const CVexaDoc*, int> count;
    for (MapWindow* w : windows) ++count[&w->document()];
    std::map<const CVexaDoc*, int> number;
    for (MapWindow* w : windows) {
        const CVexaDoc* doc = &w->document();
        w->setCaptionNumber(count[doc] > 1 ? ++number[doc] : 0);
    }
}

void MainWindow::mapWindowClosed() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            updateCaptions();
            updateActions();
        },
        Qt::QueuedConnection);
}

QString MainWindow::statusText() const { return d_->statusLabel->text(); }

MapWindow* MainWindow::openDocument(const StartupOptions& options) {
    const std::string full = absolutePath(options.file);
    // A document that is open already is shown.
    for (MapWindow* w : mapWindows()) {
        if (!w->secondary() && !w->document().path.empty() && w->document().path == full) {
            showMapWindow(w);
            rememberFile(full);
            return w;
        }
    }
    auto doc = std::make_shared<CVexaDoc>();
    const DocumentKind pending = options.openAsArray ? DocumentKind::Array : DocumentKind::Data;
    if (!doc->open(options.file, pending)) {
        forgetFile(options.file);
        return nullptr;
    }
    MapWindow* window = addMapWindow(doc);
    window->view().readProfile();
    window->view().initialUpdate(*doc, options);
    showMapWindow(window);
    rememberFile(doc->path.empty() ? options.file : doc->path);
    return window;
}

int MainWindow::openStartupFile(const StartupOptions& options) {
    MapWindow* window = openDocument(options);
    if (window == nullptr) return kExitInputFailed;
    // The window stays whatever the outputs gave (a levels file that gave
    // no levels was said in a box): only a file that did not open ends the
    // program here.
    const int status = writeStartupOutputs(window->view(), options);
    return status == kExitInputFailed ? kExitOutputFailed : status;
}

MapWindow* MainWindow::openFile(const std::string& path) {
    StartupOptions options;
    options.file = path;
    return openDocument(options);
}

MapWindow* MainWindow::newMap() {
    auto doc = std::make_shared<CVexaDoc>();
    doc->kind = DocumentKind::Data;
    doc->title = formatText(text(kNewMapTitle), {std::int64_t{++d_->newMaps}});
    MapWindow* window = addMapWindow(doc);
    window->view().readProfile();
    window->view().initialUpdate(*doc, StartupOptions{});
    showMapWindow(window);
    return window;
}

// --- Closing
// ---------------------------------------------------------------------------------------

bool MainWindow::closeAllMaps() {
    // Every map answers first; the first refusal keeps them all open.
    const QList<QMdiSubWindow*> windows = area_->subWindowList(QMdiArea::CreationOrder);
    for (QMdiSubWindow* sub : windows) {
        auto* map = qobject_cast<MapWindow*>(sub->widget());
        if (map != nullptr && !map->askClose()) {
            area_->setActiveSubWindow(sub);
            return false;
        }
    }
    for (QMdiSubWindow* sub : windows) {
        if (auto* map = qobject_cast<MapWindow*>(sub->widget())) map->agreeToClose();
        if (!sub->close()) return false;
    }
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeAllMaps()) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace gridova
