#include "app/relief_window.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QVBoxLayout>
#include <optional>

#include "app/dialogs/map_size_dialog.h"
#include "app/dialogs/title_dialog.h"
#include "app/main_window.h"
#include "app/map_window.h"
#include "platform/app_context.h"
#include "render/map_widget.h"

namespace gridova {
namespace {

constexpr const char* kCaptionTail = " - 3D";

}  // namespace

Relief3DWindow::Relief3DWindow(MainWindow* mainWindow, MapWindow& from, QWidget* parent)
    : QWidget(parent),
      main_(mainWindow),
      view_(std::make_unique<CVexa3DView>()),
      stem_(from.documentStem()) {
    view_->readProfile();
    view_->build(from.view().model());
    view_->reliefDoubleClicked = [this] { openSettings(ReliefSettingsDialog::RotationPage); };
    view_->titleDoubleClicked = [this] { editTitle(); };
    widget_ = new MapWidget(*view_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget_);
    setFocusProxy(widget_);
    setWindowTitle(from.windowTitle() + QString::fromLatin1(kCaptionTail));
}

Relief3DWindow::~Relief3DWindow() {
    view_->reliefDoubleClicked = nullptr;
    view_->titleDoubleClicked = nullptr;
    // The widget refers to the view: it goes first.
    delete widget_;
    widget_ = nullptr;
}

AppContext& Relief3DWindow::context() const {
    return main_ != nullptr ? main_->context() : processContext();
}

CommandState Relief3DWindow::commandState(MapCommand command) const {
    switch (command) {
        case MapCommand::SavePicture:
        case MapCommand::CopyToClipboard:
        case MapCommand::MapSize:
            return {true, false};
        case MapCommand::Title:
            return {view_->title() != nullptr, false};
        default:
            return {false, false};
    }
}

bool Relief3DWindow::runCommand(MapCommand command) {
    if (!commandState(command).enabled) return false;
    switch (command) {
        case MapCommand::SavePicture:
            savePicture();
            return true;
        case MapCommand::CopyToClipboard:
            copyToClipboard();
            return true;
        case MapCommand::MapSize:
            askMapSize(this, *view_);
            return true;
        case MapCommand::Title:
            return editTitle();
        default:
            return false;
    }
}

bool Relief3DWindow::savePicture() { return MapWindow::savePictureOf(this, *view_, stem_); }

bool Relief3DWindow::copyToClipboard() {
    // What the user sees is what is copied.
    return view_->copyToClipboard(context().clipboard());
}

void Relief3DWindow::openSettings(ReliefSettingsDialog::Page page) {
    runReliefSettingsDialog(this, *view_, page);
}

bool Relief3DWindow::editTitle() {
    MapTitle* title = view_->title();
    if (title == nullptr) return false;
    if (const std::optional<MapTitle> chosen = askTitle(this, view_->canvas(), *title)) {
        *title = *chosen;
        view_->invalidateMap();
    }
    return true;
}

void Relief3DWindow::contextMenuEvent(QContextMenuEvent* event) {
    if (main_ == nullptr) return;
    // The menu's items act on the active window: this one.
    if (auto* sub = qobject_cast<QMdiSubWindow*>(parentWidget())) {
        main_->mdiArea()->setActiveSubWindow(sub);
    }
    main_->refreshActions();
    QMenu menu(this);
    for (const FrameCommand command : {FrameCommand::ReliefRotation, FrameCommand::ReliefFormat}) {
        if (QAction* a = main_->actionFor(command)) menu.addAction(a);
    }
    if (QAction* a = main_->actionFor(MapCommand::Title)) menu.addAction(a);
    menu.addSeparator();
    for (const MapCommand command : {MapCommand::SavePicture, MapCommand::CopyToClipboard}) {
        if (QAction* a = main_->actionFor(command)) menu.addAction(a);
    }
    if (QAction* a = main_->actionFor(FrameCommand::Print)) menu.addAction(a);
    menu.exec(event->globalPos());
    event->accept();
}

void Relief3DWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    if (main_ != nullptr) main_->mapWindowClosed();
}

}  // namespace gridova
