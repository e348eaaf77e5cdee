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
#include <cstdio>
#include <filesystem>
#include <map>
#include <system_error>

#include "app/main_window_private.h"
#include "app/map_window.h"
#include "app/qt_progress.h"
#include "app/relief_window.h"
#include "app/startup_run.h"
#include "app/ui_text.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_clipboard.h"
#include "platform/status.h"

namespace gridova {
namespace {

constexpr int kTextIdle = 57345;    // "Готов"
constexpr int kNewMapTitle = 9023;  // "Карта%d"

constexpr const char* kRecentSection = "Recent File List";

}  // namespace

MainWindow::MainWindow(AppContext& context) : context_(context), d_(std::make_unique<Private>()) {
    setWindowTitle(QStringLiteral("Gridova"));
    // The data reader asks its input format here.
    d_->inputFormat = std::make_unique<QtInputFormatDialog>(this);
    setInputFormatDialog(d_->inputFormat.get());
    area_ = new QMdiArea(this);
    area_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(area_);

    d_->statusLabel = new QLabel(uiText(kTextIdle), this);
    d_->statusLabel->setObjectName(QStringLiteral("statusText"));
    statusBar()->addWidget(d_->statusLabel, 1);
    // The coordinate pane is as wide as three numbers in exponent form.
    d_->coordinateLabel = new QLabel(this);
    d_->coordinateLabel->setObjectName(QStringLiteral("coordinateText"));
    char widest[96];
    std::snprintf(widest, sizeof widest, "X %10.4e Y %10.4e V %10.4e", -9999.99999, -9999.99999,
                  -9999.99999);
    d_->coordinateLabel->setMinimumWidth(
        d_->coordinateLabel->fontMetrics().horizontalAdvance(QString::fromLatin1(widest)));
    statusBar()->addPermanentWidget(d_->coordinateLabel);
    d_->progress = std::make_unique<QtProgressUi>(statusBar(), this);

    context_.setStatusBar(d_.get());
    context_.setProgress(d_->progress.get());
    context_.setFiles(&d_->chooser);
    context_.setClipboard(&d_->clipboard);

    d_->messages = new MessageWindow(messageLog(), this);
    d_->mapBar = new MapBar(this);
    d_->mapBar->placeFromProfile();
    buildMenus();
    buildToolBar();
    loadRecentFiles();
    connect(area_, &QMdiArea::subWindowActivated, this, [this] {
        updateActions();
        refreshMapBar();
    });
    updateActions();
}

MainWindow::~MainWindow() {
    setInputFormatDialog(nullptr);
    context_.setStatusBar(nullptr);
    if (&context_.progress() == d_->progress.get()) context_.setProgress(nullptr);
    context_.setFiles(nullptr);
    context_.setClipboard(nullptr);
    // The map windows go while the rest of the window is whole.
    delete area_;
    area_ = nullptr;
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
    for (QAction* separator : d_->recentSeparators) separator->setVisible(!recent_.empty());
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

namespace {

// The active child window of the kind, or nullptr.
template <class Window>
Window* activeChild(const QMdiArea* area) {
    QMdiSubWindow* sub = area != nullptr ? area->currentSubWindow() : nullptr;
    return sub != nullptr ? qobject_cast<Window*>(sub->widget()) : nullptr;
}

// The child windows of the kind, oldest first.
template <class Window>
std::vector<Window*> childWindows(const QMdiArea* area) {
    std::vector<Window*> result;
    if (area == nullptr) return result;
    for (QMdiSubWindow* sub : area->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* w = qobject_cast<Window*>(sub->widget())) result.push_back(w);
    }
    return result;
}

}  // namespace

MapWindow* MainWindow::activeMapWindow() const { return activeChild<MapWindow>(area_); }

std::vector<MapWindow*> MainWindow::mapWindows() const { return childWindows<MapWindow>(area_); }

MapWindow* MainWindow::addMapWindow(std::shared_ptr<CVexaDoc> document, bool secondary) {
    auto* window = new MapWindow(this, std::move(document), secondary);
    connect(window, &MapWindow::mapChanged, this, [this, window] {
        if (window == activeMapWindow()) refreshMapBar();
    });
    QMdiSubWindow* sub = area_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    return window;
}

Relief3DWindow* MainWindow::activeReliefWindow() const {
    return activeChild<Relief3DWindow>(area_);
}

std::vector<Relief3DWindow*> MainWindow::reliefWindows() const {
    return childWindows<Relief3DWindow>(area_);
}

Relief3DWindow* MainWindow::openReliefWindow(MapWindow& from) {
    auto* window = new Relief3DWindow(this, from);
    QMdiSubWindow* sub = area_->addSubWindow(window);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    showSubWindow(sub);
    updateActions();
    return window;
}

void MainWindow::showMapWindow(MapWindow* window) {
    QMdiSubWindow* sub = nullptr;
    for (QMdiSubWindow* s : area_->subWindowList()) {
        if (s->widget() == window) sub = s;
    }
    if (sub == nullptr) return;
    showSubWindow(sub);
    updateCaptions();
    updateActions();
}

void MainWindow::showSubWindow(QMdiSubWindow* sub) {
    // Maximised like the window shown before it, else three quarters of
    // the room.
    QMdiSubWindow* current = area_->currentSubWindow();
    if (current != nullptr && current != sub && current->isMaximized()) {
        sub->showMaximized();
    } else {
        const QSize room = area_->viewport()->size();
        sub->resize(std::max(400, room.width() * 3 / 4), std::max(300, room.height() * 3 / 4));
        sub->show();
    }
    area_->setActiveSubWindow(sub);
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
            refreshMapBar();
        },
        Qt::QueuedConnection);
}

MapBar* MainWindow::mapBar() const { return d_->mapBar; }

MessageWindow* MainWindow::messageWindow() const { return d_->messages; }

QString MainWindow::coordinateText() const { return d_->coordinateLabel->text(); }

void MainWindow::refreshMapBar() {
    if (d_->mapBarPending) return;
    d_->mapBarPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            d_->mapBarPending = false;
            d_->mapBar->showMap(activeMapWindow());
        },
        Qt::QueuedConnection);
}

QString MainWindow::statusText() const { return d_->statusLabel->text(); }

MapWindow* MainWindow::openDocument(const StartupOptions& options, DocumentKind pendingKind) {
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
    const DocumentKind pending = options.openAsArray ? DocumentKind::Array : pendingKind;
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

MapWindow* MainWindow::newWindow(MapWindow& from) {
    const std::shared_ptr<CVexaDoc> doc = from.sharedDocument();
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
