// The main window: a multiple-document frame with one map window per
// opened document, the File and Window menus, the four recent files and the
// status bar (the status text, the coordinate text, the progress bar).
#pragma once

#include <QMainWindow>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/menu_table.h"
#include "data/map_document.h"
#include "platform/app_context.h"
#include "render/startup_options.h"

class QMdiArea;
class QMdiSubWindow;
class QComboBox;
class QUrl;
class QMenu;
class QToolBar;
class QAction;
class QLabel;
class QPrinter;

namespace gridova {

class MapBar;
class MessageWindow;
class MapWindow;
class Relief3DWindow;

class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int kRecentFiles = 4;

    // The window installs its status bar, progress UI, file dialogs and
    // clipboard into the context, which its map windows then use.
    explicit MainWindow(AppContext& context = processContext());
    ~MainWindow() override;
    AppContext& context() const { return context_; }

    // Opens the start-up file with its switches, builds its map and writes
    // what "g" and "v" ask for. The exit status of start-up work:
    // kExitInputFailed only when the file did not open (no window),
    // kExitOutputFailed when an output was not written, else kExitDone.
    int openStartupFile(const StartupOptions& options);
    // Opens a file in a new map window; nullptr when it cannot be opened.
    MapWindow* openFile(const std::string& path);
    // A new, empty map.
    MapWindow* newMap();
    // "Новое окно": another window of the window's document, with a map of
    // its own built from the document's data.
    MapWindow* newWindow(MapWindow& from);
    // The map window that has the focus, or nullptr.
    MapWindow* activeMapWindow() const;
    std::vector<MapWindow*> mapWindows() const;
    // "Вид 3D": a 3D window of the map window's grid, shown and active.
    Relief3DWindow* openReliefWindow(MapWindow& from);
    // The 3D window that has the focus, or nullptr; every 3D window.
    Relief3DWindow* activeReliefWindow() const;
    std::vector<Relief3DWindow*> reliefWindows() const;
    // The recent files, newest first (kept in the profile).
    const std::vector<std::string>& recentFiles() const { return recent_; }
    // Asks every map window its closing questions; false when one refuses.
    bool closeAllMaps();
    QMdiArea* mdiArea() const { return area_; }

    // A map window of the document in the multiple-document area, not shown
    // yet (its view is set up first); `secondary` for a cross-section.
    MapWindow* addMapWindow(std::shared_ptr<CVexaDoc> document, bool secondary = false);
    // Shows the window and makes it the active one.
    void showMapWindow(MapWindow* window);
    // The path becomes the newest recent file.
    void rememberFile(const std::string& path);
    // Numbers the captions of documents shown in several windows.
    void updateCaptions();
    // A map window (or a 3D window) closed: the captions and the menu follow (later, once
    // the window has left the area).
    void mapWindowClosed();
    // The status text and the coordinate pane's text as shown.
    QString statusText() const;
    QString coordinateText() const;

    // --- Menus (app/main_window_menus.cpp) ------------------------------------------------
    // The pop-up of the map window's menu (forMap) or of the menu without a
    // document; nullptr when that menu has no such pop-up.
    QMenu* popupMenu(MenuPopup popup, bool forMap) const;
    // The action of a menu item; nullptr when no item runs the command.
    QAction* actionFor(MapCommand command) const;
    QAction* actionFor(FrameCommand command) const;
    // Every item's enabled and checked state, from the active map window
    // (also done whenever a menu opens).
    void refreshActions();
    // Runs one of the main window's own commands when it is enabled now.
    void runFrameCommand(FrameCommand command);
    bool frameCommandEnabled(FrameCommand command) const;
    // The menus, the tool bar's lists and the map bar in the texts of the
    // language in use (after the language was changed).
    void retranslate();
    // The map bar (a dock of this window).
    MapBar* mapBar() const;
    // The help pages' first page: in $GRIDOVA_HELP when set, else "help"
    // beside the executable, else the installed data folder; empty when
    // none is there.
    static QString helpPage();
    // Opens a page (the desktop's browser); tests put their own opener.
    void setUrlOpener(std::function<bool(const QUrl&)> opener) { urlOpener_ = std::move(opener); }

    // The message window "Сообщения".
    MessageWindow* messageWindow() const;
    // The main tool bar and its two lists.
    QToolBar* toolBar() const;
    QComboBox* methodList() const;
    QComboBox* layerList() const;
    // The printer of "Печать..", "Выбор принтера..." and the preview (made
    // when first asked for): kept, so its setup holds for the next print.
    QPrinter& printer() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Shows the child window: maximised like the one shown before it, else
    // at three quarters of the room; it becomes the active one.
    void showSubWindow(QMdiSubWindow* sub);
    AppContext& context_;
    std::function<bool(const QUrl&)> urlOpener_;
    MapWindow* openDocument(const StartupOptions& options,
                            DocumentKind pendingKind = DocumentKind::Data);
    void buildMenus();
    // "Язык...": the chooser, then the windows in the new language.
    void chooseLanguage();
    void buildToolBar();
    void updateActions();
    void loadRecentFiles();
    void saveRecentFiles();
    void updateRecentMenu();
    void forgetFile(const std::string& path);
    void fillWindowMenu(QMenu* menu);
    void arrangeIcons();
    // "Столбцами": the windows side by side.
    void tileSideBySide();
    // "Печать..", "Выбор принтера..." and "Предварительный просмотр" of
    // the map window (app/map_print.cpp prints).
    void printMapAsked(MapWindow& window);
    void printSetupAsked();
    void printPreviewAsked(MapWindow& window);
    // The same for a 3D window: its whole view on one page.
    void printReliefAsked(Relief3DWindow& window);
    void printReliefPreviewAsked(Relief3DWindow& window);
    // The map bar shows the active map once the events in hand are done.
    void refreshMapBar();

    // Menus, the status bar and the progress forms.
    struct Private;
    std::unique_ptr<Private> d_;
    QMdiArea* area_ = nullptr;
    std::vector<std::string> recent_;
};

}  // namespace gridova
