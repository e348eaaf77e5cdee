// The main window: a multiple-document frame with one map window per
// opened document, the File and Window menus, the four recent files and the
// status bar (the status text, the coordinate text, the progress bar).
#pragma once

#include <QMainWindow>
#include <memory>
#include <string>
#include <vector>

#include "data/map_document.h"
#include "platform/app_context.h"
#include "render/startup_options.h"

class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QAction;
class QLabel;

namespace gridova {

class MapWindow;

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
    // The map window that has the focus, or nullptr.
    MapWindow* activeMapWindow() const;
    std::vector<MapWindow*> mapWindows() const;
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
    // A map window closed: the captions and the menu follow (later, once
    // the window has left the area).
    void mapWindowClosed();
    // The status text as shown.
    QString statusText() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext& context_;
    MapWindow* openDocument(const StartupOptions& options);
    void buildMenus();
    void updateActions();
    void loadRecentFiles();
    void saveRecentFiles();
    void updateRecentMenu();
    void forgetFile(const std::string& path);
    void fillWindowMenu();
    void arrangeIcons();

    // Menus, the status bar and the progress forms.
    struct Private;
    std::unique_ptr<Private> d_;
    QMdiArea* area_ = nullptr;
    std::vector<std::string> recent_;
};

}  // namespace gridova
