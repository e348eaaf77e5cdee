// The map window: one map of a document inside the main window. It owns the
// map view and the widget that shows it, shares the document with the other
// windows of the same document (a cross-section opens a second window of the
// document), answers the view's requests for dialogs, new windows and the
// clipboard, saves the document and the picture, and asks its questions
// before it closes.
//
// The file dialogs go through the installed FileChooser (platform/files.h):
// the main window installs `QtFileChooser` (app/dialogs/file_dialog.h);
// tests install scripted ones. The map's other dialogs are in app/dialogs/.
#pragma once

#include <QPointer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "app/dialogs/file_dialog.h"
#include "data/map_document.h"
#include "platform/files.h"
#include "render/map_view.h"

namespace gridova {

class LargeGridProgress;
class BorderWindow;
class DialogMethodEditor;
class CoordinateWindow;
class DataPointsWindow;
class QtLevelsDialog;
class NodeWindow;
class OverviewWindow;
class MainWindow;
class MapWidget;

class MapWindow final : public QWidget, public MapViewHost, private MapModelObserver {
    Q_OBJECT
public:
    static constexpr const char* kDocumentSection = "Document Section";
    static constexpr const char* kGraphicSection = "Graphic";
    static constexpr const char* kDefaultPictureExtension = "png";

    // A window of the document. `secondary` windows (cross-sections) show a
    // map of their own: saving one never writes over the document's file.
    MapWindow(MainWindow* mainWindow, std::shared_ptr<CVexaDoc> document, bool secondary = false,
              QWidget* parent = nullptr);
    ~MapWindow() override;

    CVexaDoc& document() { return *doc_; }
    const std::shared_ptr<CVexaDoc>& sharedDocument() const { return doc_; }
    CVexaView& view() { return *view_; }
    MapWidget& mapWidget() { return *widget_; }
    bool secondary() const { return secondary_; }

    // The closing questions (save the document, save the lines); false
    // when the window is to stay open.
    bool askClose();
    // The questions were answered already (the main window asks every map
    // before it closes any): the next close asks nothing.
    void agreeToClose() { closeAgreed_ = true; }
    // "Запомнить документ": to the document's file, else as "...как".
    // False when nothing was written.
    bool save();
    // "Запомнить документ как...".
    bool saveAs();
    // "Запомнить картинку...": a ".jpg" asks its quality after the file
    // ("Степень сжатия JPEG"); cancelled, nothing is written.
    bool savePicture();
    // The same for any drawn view: the file proposed is named after `stem`.
    static bool savePictureOf(QWidget* parent, CanvasView& view, const std::string& stem);
    // The name files written from this map propose: the document's name,
    // else its title without the extension.
    std::string documentStem() const;
    // The file a save writes to without asking ("" none yet).
    std::string savePath() const;

    // The caption: the document's title (a secondary window's own file
    // name once saved), with ":number" when the document has several windows
    // (number 0: it has one).
    void setCaptionNumber(int number);
    void refreshCaption();

    // "Добавить данные": the clipboard's text as a new point set of the map.
    // False (nothing changes) when the clipboard holds no text.
    bool pasteData();
    // "Запись в GRD файл": the grid's values to a GRD file chosen by the
    // user. False when nothing was written.
    bool writeGridGrd();
    // "Запись числ. данных": the grid's values to a text file chosen by the
    // user, in the number format of "Формат выходного файла". False when
    // nothing was written.
    bool writeGridText();
    // "Записать площади..." / "Записать объемы...": a text file ("txt") of
    // the main set's points with the area of each point's polygon, or the
    // grid's volume over it, in place of the value.
    bool writePolygonReport(bool volumes);
    // "Добавить новую серию..." / "Загрузить новую серию..." (asMain): a
    // data file chosen by the user as a new point set of the map.
    bool addDataFile(bool asMain);
    // "Cохранить...": a group of lines, or one line, to a line file chosen
    // by the user: DXF for a ".dxf" name (any case), else our text form.
    // The dialog offers the line types (message 370) and starts in the
    // folder of "Graphic" "Directory"; the folder and the extension chosen
    // are kept there.
    bool saveLines(const Bush& group);
    bool saveLine(const Line& line);
    // "Импортировать линии...": a line file chosen by the user into the
    // group, read as DXF for a ".dxf" name, else as our text form.
    bool importLines(Bush& group);

    // The progress of a large-grid run going on in this window; nullptr
    // when none runs.
    LargeGridProgress* largeGridProgress() const;
    // The zoom window "Общий вид"; nullptr before it was first opened.
    OverviewWindow* overviewWindow() const;
    // The node window "Узел сетки" (the map bar's "Значения..." on the
    // grid): opened, or shown again. False when the grid has no values.
    bool openNodeWindow();
    NodeWindow* nodeWindow() const;
    // The coordinate window (line drawing, "Ввод координат"); nullptr before
    // it was first opened.
    CoordinateWindow* coordinateWindow() const;
    // The border window "Граница поля"; nullptr before it was first opened.
    BorderWindow* borderWindow() const;
    DataPointsWindow* dataPointsWindow() const;

    // --- Commands ----------------------------------------------------------------------
    // A map command as the menus and tool bars see it: enabled only when the
    // view's table enables it and something here can carry it out (its own
    // action, a dialog, or this window); checked as the table says.
    CommandState commandState(MapCommand command) const;
    bool runCommand(MapCommand command);

    // MapViewHost
    bool openDialog(MapCommand command, CVexaView& view) override;
    bool openCrossSection(CVexaView& from, CrossSection section) override;
    void selectLine(CVexaView& view, BushItem& line) override;
    void editText(CVexaView& view, BushItem& text) override;
    void closeCoordinateWindow() override;
    void stepMapBar(bool forward) override;
    void confirmEntry() override;
    std::optional<gdi::ColorRef> chooseColor(gdi::ColorRef start) override;

signals:
    // The map changed (the map bar follows).
    void mapChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool writeTo(const std::string& path);
    bool saveLines();
    void mapModelChanged(unsigned changes) override;
    void startLargeGridProgress(std::unique_ptr<LargeGridRun> run);
    // The line file's dialog; the path with the default extension added
    // when saving, nothing when cancelled.
    std::optional<std::string> chooseLinesFile(bool forOpen);
    bool writeText(const std::string& path, const std::string& text);

    MainWindow* main_;
    std::shared_ptr<CVexaDoc> doc_;
    std::unique_ptr<CVexaView> view_;
    MapWidget* widget_ = nullptr;
    bool secondary_ = false;
    std::string ownPath_;  // where a secondary window was saved
    int captionNumber_ = 0;
    QPointer<LargeGridProgress> largeGrid_;
    QPointer<OverviewWindow> overview_;
    QPointer<NodeWindow> nodeWindow_;
    QPointer<CoordinateWindow> coordinates_;
    QPointer<BorderWindow> borderWindow_;
    QPointer<DataPointsWindow> dataPoints_;
    std::unique_ptr<DialogMethodEditor> methodEditor_;
    std::unique_ptr<QtLevelsDialog> levelsDialog_;
    bool closeAgreed_ = false;
};

}  // namespace gridova
