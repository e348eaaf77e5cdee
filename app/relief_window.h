// The 3D window: the block relief of a map window's grid in a window of
// the main window's multiple-document area. It is built once from the map
// as it stood when the window opened ("Вид 3D"); later changes of the map
// are not followed. Its caption is the map's with " - 3D".
//
// The window answers the map menu's commands that make sense for a
// picture ("Запомнить картинку...", "Копировать в Clipboard", "Размер
// карты...", "Заголовок.."; the main window prints it on one page) and its
// own: "Поворот..." and "Изменить вид" open the settings sheet "Формат"
// (app/dialogs/relief_settings_dialog.h) on its pages. They are on the
// window's context menu and in the "Вид" menu while the window is active.
// A double click on the relief opens the sheet on "Поворот", on the title
// the title dialog.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "app/dialogs/relief_settings_dialog.h"
#include "render/map_view.h"
#include "view3d/relief_view.h"

namespace gridova {

class AppContext;
class MainWindow;
class MapWidget;
class MapWindow;

class Relief3DWindow final : public QWidget {
    Q_OBJECT
public:
    // The view is built from the map window's model at once.
    Relief3DWindow(MainWindow* mainWindow, MapWindow& from, QWidget* parent = nullptr);
    ~Relief3DWindow() override;

    QSize sizeHint() const override { return {640, 480}; }

    CVexa3DView& view() { return *view_; }
    MapWidget& mapWidget() { return *widget_; }

    // A map command as the shared menus see it while this window is active:
    // enabled only for the commands above.
    CommandState commandState(MapCommand command) const;
    bool runCommand(MapCommand command);

    // "Запомнить картинку...": the picture file chosen (named after the
    // map's document), as the map window saves its picture.
    bool savePicture();
    // "Копировать в Clipboard": the view at the window's size, as a picture
    // and an enhanced metafile.
    bool copyToClipboard();
    // The settings sheet on its page ("Изменить вид", "Поворот").
    void openSettings(ReliefSettingsDialog::Page page);
    // "Заголовок..": the title dialog on the view's title; false without one.
    bool editTitle();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext& context() const;

    MainWindow* main_;
    std::unique_ptr<CVexa3DView> view_;
    MapWidget* widget_ = nullptr;
    std::string stem_;  // the map's document, for the names of files
};

}  // namespace gridova
