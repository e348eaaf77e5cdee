#include "app/map_window.h"

#include "app/dialogs/array_dimensions_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "app/border_window.h"
#include "app/coordinate_window.h"
#include "app/data_points_window.h"
#include "app/dialogs/dialog_fields.h"
#include "app/dialogs/dialog_runner.h"
#include "app/dialogs/digit_output_dialog.h"
#include "app/dialogs/jpeg_quality_dialog.h"
#include "app/dialogs/levels_dialog.h"
#include "app/dialogs/map_dialogs.h"
#include "app/dialogs/method_editor.h"
#include "app/dialogs/text_dialog.h"
#include "app/large_grid_progress.h"
#include "app/main_window.h"
#include "app/map_bar.h"
#include "app/node_window.h"
#include "app/overview_window.h"
#include "exchange/dxf_lines.h"
#include "exchange/grid_export.h"
#include "grid/equation_method.h"
#include "objects/line_text_files.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "platform/text_codec.h"
#include "render/map_commands.h"
#include "render/map_widget.h"

namespace gridova {
namespace {

constexpr int kPictureFilter = 9421;  // "256 цветной GIF (*.gif)|*.gif|...|Документ PDF..."
constexpr int kAskSaveLines = 377;     // "Сохранить линии?"
constexpr int kDocumentFilter = 520;   // "Документ Gridova(*.GDV)|*.GDV|..."
constexpr int kAskSaveDocument = 523;  // "Сохранить документ?"
constexpr int kUnknownPicture = 9007;  // "Неизвестный тип картинки: файл %s не записан"
constexpr int kFileFilter = 203;  // " (*.%s)|*.%s|Все файлы (*.*)|*.*||"
constexpr int kLinesFilter = 370;  // "Текстовый файл (*.lxt)|*.lxt|...|Autocad dxf(*.dxf)|..."

constexpr const char* kDirectoryKey = "Directory";
constexpr const char* kExtensionKey = "Extnsion";
constexpr const char* kLinesExtension = "lxt";
constexpr const char* kDataExtension = "dat";
constexpr const char* kDxfExtension = "dxf";
constexpr const char* kJpegExtension = "jpg";

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

// The chosen path with the default extension when it has none.
std::string withExtension(std::string path, const std::string& extension) {
    if (!extension.empty() && std::filesystem::path(path).extension().empty()) {
        path += '.';
        path += extension;
    }
    return path;
}

// The extension of the path, compared without ASCII case.
bool hasExtension(const std::string& path, std::string_view extension) {
    return asciiLower(extensionOf(path)) == extension;
}

std::string directoryOfChosen(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).parent_path().string();
}

}  // namespace

// --- The window ----------------------------------------------------------------------------------

MapWindow::MapWindow(MainWindow* mainWindow, std::shared_ptr<CVexaDoc> document, bool secondary,
                     QWidget* parent)
    : QWidget(parent),
      main_(mainWindow),
      doc_(std::move(document)),
      view_(std::make_unique<CVexaView>(mainWindow->context())),
      secondary_(secondary) {
    view_->setHost(this);
    view_->model().addObserver(this);
    // The parameters of a method are asked in its dialog before the run.
    methodEditor_ = std::make_unique<DialogMethodEditor>(this);
    view_->model().methodEditor = methodEditor_.get();
    // The levels of a map built by a command are asked in their dialog.
    levelsDialog_ = std::make_unique<QtLevelsDialog>(this);
    view_->model().levelsDialog = levelsDialog_.get();
    // A large-grid run goes on in its own thread while this window shows
    // its progress and stays responsive.
    view_->model().extraHooks.largeGridStarted = [this](std::unique_ptr<LargeGridRun> run) {
        startLargeGridProgress(std::move(run));
    };
    // How an array's values fold is asked in the dimensions dialog.
    view_->arrayLayoutAsker = [this](const std::vector<double>& values, ArrayLayout start) {
        return askArrayLayout(this, values, std::move(start), doc_->directory);
    };
    view_->mouseMoved = [this](double x, double y) {
        if (coordinates_ != nullptr && coordinates_->isVisible()) coordinates_->showMouse(x, y);
    };
    // A double click on the map fills the point editor's or the coordinate
    // window's X and Y.
    view_->positionPicked = [this](double x, double y) {
        if (dataPoints_ != nullptr && dataPoints_->positionPicked(x, y)) return true;
        if (coordinates_ != nullptr && coordinates_->isVisible() &&
            coordinates_->mode() == CoordinateWindow::Mode::MarkPosition) {
            coordinates_->pick(x, y);
            return true;
        }
        return false;
    };
    view_->nodePicked = [this](CVexaView&) {
        if (nodeWindow_ != nullptr) nodeWindow_->showPicked();
    };
    // The zoom window follows the map's drawings (a new zoom rectangle).
    view_->zoomFrameDrawn = [this](CVexaView&) {
        if (overview_ != nullptr && overview_->isVisible()) overview_->mapDrawn();
    };
    widget_ = new MapWidget(*view_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget_);
    setFocusProxy(widget_);
    refreshCaption();
}

MapWindow::~MapWindow() {
    // A run still going is stopped and its thread joined first.
    delete largeGrid_.data();
    delete overview_.data();
    delete nodeWindow_.data();
    delete coordinates_.data();
    delete borderWindow_.data();
    delete dataPoints_.data();
    view_->mouseMoved = nullptr;
    view_->positionPicked = nullptr;
    view_->zoomFrameDrawn = nullptr;
    view_->nodePicked = nullptr;
    view_->model().extraHooks.largeGridStarted = nullptr;
    view_->model().methodEditor = nullptr;
    view_->model().removeObserver(this);
    // The widget refers to the view: it goes first.
    delete widget_;
    widget_ = nullptr;
    view_->setHost(nullptr);
}

std::string MapWindow::savePath() const { return secondary_ ? ownPath_ : doc_->documentPath; }

void MapWindow::setCaptionNumber(int number) {
    captionNumber_ = number;
    refreshCaption();
}

void MapWindow::refreshCaption() {
    std::string caption;
    if (secondary_ && !ownPath_.empty()) {
        caption = fileNameOf(ownPath_);
    } else {
        caption = doc_->title;
        if (captionNumber_ > 0) caption += ':' + std::to_string(captionNumber_);
    }
    setWindowTitle(QString::fromStdString(caption));
}

// --- Closing
// -----------------------------------------------------------------------------------------

bool MapWindow::askClose() {
    if (view_->model().mapChanged) {
        switch (question(text(kAskSaveDocument))) {
            case Answer::Yes:
                if (!save()) return false;
                break;
            case Answer::No:
                break;
            case Answer::Cancel:
                return false;
        }
    }
    Bush* lines = view_->model().objectTreeIfAny();
    if (lines != nullptr && lines->modified) {
        switch (question(text(kAskSaveLines))) {
            case Answer::Yes:
                if (!saveLines()) return false;
                break;
            case Answer::No:
                break;
            case Answer::Cancel:
                return false;
        }
        lines->modified = false;
    }
    return true;
}

void MapWindow::closeEvent(QCloseEvent* event) {
    if (closeAgreed_ || askClose()) {
        event->accept();
        if (main_ != nullptr) main_->mapWindowClosed();
    } else {
        event->ignore();
    }
}

bool MapWindow::saveLines() {
    const Bush* lines = view_->model().objectTreeIfAny();
    return lines == nullptr || saveLines(*lines);
}

std::optional<std::string> MapWindow::chooseLinesFile(bool forOpen) {
    FileRequest request;
    request.forOpen = forOpen;
    request.extension = kLinesExtension;
    request.filter = text(kLinesFilter);
    readProfileText(kGraphicSection, kDirectoryKey, request.directory);
    const std::optional<std::string> chosen = chooseFileFor(request);
    if (!chosen || chosen->empty()) return std::nullopt;
    const std::string path = forOpen ? *chosen : withExtension(*chosen, kLinesExtension);
    writeProfileText(kGraphicSection, kDirectoryKey, directoryOfChosen(path));
    // A file opened without an extension leaves the kept one.
    const std::string extension = extensionOf(path);
    if (!extension.empty()) writeProfileText(kGraphicSection, kExtensionKey, extension);
    return path;
}

bool MapWindow::writeText(const std::string& path, const std::string& out) {
    std::unique_ptr<OutputFile> file = openTextWrite(path);
    if (!file) return false;
    if (std::fwrite(out.data(), 1, out.size(), file->file()) != out.size()) {
        warning(formatText(text(201), {file->name()}));
        return false;
    }
    return commitOrWarn(*file);
}

bool MapWindow::saveLines(const Bush& group) {
    const std::optional<std::string> path = chooseLinesFile(false);
    if (!path) return false;
    if (hasExtension(*path, kDxfExtension)) return writeDxfGroup(*path, group);
    std::string out;
    appendGroupText(out, group);
    return writeText(*path, out);
}

bool MapWindow::saveLine(const Line& line) {
    const std::optional<std::string> path = chooseLinesFile(false);
    if (!path) return false;
    if (hasExtension(*path, kDxfExtension)) return writeDxfLine(*path, line);
    std::string out;
    appendLineText(out, line);
    return writeText(*path, out);
}

bool MapWindow::importLines(Bush& group) {
    const std::optional<std::string> path = chooseLinesFile(true);
    if (!path) return false;
    const bool read =
        hasExtension(*path, kDxfExtension) ? readDxfFile(*path, group) : readLineFile(*path, group);
    if (!read) return false;
    view_->model().notify(kLinesChanged);
    return true;
}

bool MapWindow::addDataFile(bool asMain) {
    const std::optional<std::string> path = chooseFile(true, kDataExtension);
    if (!path || path->empty()) return false;
    PointSet* set = view_->model().addDataFile(*doc_, *path);
    if (set == nullptr) return false;
    if (asMain) view_->model().setMainPoints(set);
    return true;
}

void MapWindow::mapModelChanged(unsigned) {
    if (borderWindow_ != nullptr && borderWindow_->isVisible()) borderWindow_->follow();
    // The line was ended: its coordinate window goes.
    if (coordinates_ != nullptr && coordinates_->isVisible() &&
        coordinates_->mode() == CoordinateWindow::Mode::AddToLine && !view_->lineDrawing()) {
        coordinates_->close();
    }
    if (overview_ != nullptr && overview_->isVisible()) overview_->mapChanged();
    emit mapChanged();
}

OverviewWindow* MapWindow::overviewWindow() const { return overview_.data(); }

NodeWindow* MapWindow::nodeWindow() const { return nodeWindow_.data(); }

CoordinateWindow* MapWindow::coordinateWindow() const { return coordinates_.data(); }

BorderWindow* MapWindow::borderWindow() const { return borderWindow_.data(); }

DataPointsWindow* MapWindow::dataPointsWindow() const { return dataPoints_.data(); }

bool MapWindow::openNodeWindow() {
    const EqNet* grid = view_->model().grid();
    if (grid == nullptr || !grid->hasValues()) return false;
    if (nodeWindow_ == nullptr) nodeWindow_ = new NodeWindow(*view_, this);
    nodeWindow_->startPicking();
    return true;
}

LargeGridProgress* MapWindow::largeGridProgress() const { return largeGrid_.data(); }

void MapWindow::startLargeGridProgress(std::unique_ptr<LargeGridRun> run) {
    // A run still going gives way to the new one.
    delete largeGrid_.data();
    const EqNet* grid = view_->model().grid();
    auto* progress = new LargeGridProgress(view_->model(), std::move(run),
                                           grid != nullptr ? grid->maxIterations : 0, this);
    largeGrid_ = progress;
    connect(progress, &LargeGridProgress::completed, this, [progress] { progress->deleteLater(); });
    progress->show();
}

// --- Saving
// ------------------------------------------------------------------------------------------

bool MapWindow::writeTo(const std::string& path) { return view_->writeDocument(path); }

bool MapWindow::save() {
    const std::string path = savePath();
    if (path.empty()) return saveAs();
    return writeTo(path);
}

bool MapWindow::saveAs() {
    FileRequest request;
    request.forOpen = false;
    request.extension = CVexaDoc::kExtension;
    request.filter = text(kDocumentFilter);
    readProfileText(kDocumentSection, kDirectoryKey, request.directory);
    const std::string current = savePath();
    if (!current.empty()) {
        request.fileName = fileNameOf(current);
    } else if (!secondary_) {
        const std::string stem = documentStem();
        if (!stem.empty()) request.fileName = stem + '.' + CVexaDoc::kExtension;
    }
    const std::optional<std::string> chosen = chooseFileFor(request);
    if (!chosen || chosen->empty()) return false;
    const std::string path = withExtension(*chosen, CVexaDoc::kExtension);
    writeProfileText(kDocumentSection, kDirectoryKey, directoryOfChosen(path));
    if (!writeTo(path)) return false;
    if (secondary_) {
        ownPath_ = path;
    } else {
        doc_->documentPath = path;
        doc_->title = fileNameOf(path);
    }
    if (main_ != nullptr) {
        main_->rememberFile(path);
        main_->updateCaptions();
    } else {
        refreshCaption();
    }
    return true;
}

std::string MapWindow::documentStem() const {
    return !doc_->name.empty() ? doc_->name : std::filesystem::path(doc_->title).stem().string();
}

bool MapWindow::savePicture() { return savePictureOf(this, *view_, documentStem()); }

bool MapWindow::savePictureOf(QWidget* parent, CanvasView& view, const std::string& stem) {
    FileRequest request;
    request.forOpen = false;
    request.extension = kDefaultPictureExtension;
    readProfileText(kGraphicSection, kDirectoryKey, request.directory);
    // The line files keep their extension in the same key: only a picture
    // type is proposed here.
    std::string kept;
    if (readProfileText(kGraphicSection, kExtensionKey, kept) == 0 &&
        isPictureName("picture." + kept)) {
        request.extension = kept;
    }
    request.filter = text(kPictureFilter);
    if (!stem.empty()) request.fileName = stem + '.' + request.extension;
    const std::optional<std::string> chosen = chooseFileFor(request);
    if (!chosen || chosen->empty()) return false;
    const std::string path = withExtension(*chosen, request.extension);
    writeProfileText(kGraphicSection, kDirectoryKey, directoryOfChosen(path));
    if (!isPictureName(path)) {
        warning(formatText(text(kUnknownPicture), {path}));
        return false;
    }
    writeProfileText(kGraphicSection, kExtensionKey, extensionOf(path));
    // A JPEG's quality is asked each time; the writer takes it from the
    // profile.
    if (hasExtension(path, kJpegExtension) && !runJpegQualityDialog(parent)) return false;
    return view.exportPictureByName(path);
}

// --- MapViewHost
// -------------------------------------------------------------------------------------

namespace {

// The commands this window carries out itself.
bool windowCommand(MapCommand command) {
    return command == MapCommand::SavePicture || command == MapCommand::PasteData ||
           command == MapCommand::WriteGridText || command == MapCommand::WriteGridGrd ||
           command == MapCommand::CoordinateInput || command == MapCommand::Border ||
           command == MapCommand::PointEditor || command == MapCommand::View3D;
}

}  // namespace

CommandState MapWindow::commandState(MapCommand command) const {
    CommandState state = view_->state(command);
    const bool carried = mapCommand(command).run != nullptr || mapDialogFor(command) != nullptr ||
                         windowCommand(command);
    if (!carried) state.enabled = false;
    // Pasting needs text on the clipboard; writing a grid and its 3D view
    // need its values.
    if (command == MapCommand::PasteData) {
        state.enabled = state.enabled && view_->context().clipboard().text().has_value();
    }
    // The 3D view opens in a window of the main window.
    if (command == MapCommand::View3D) state.enabled = state.enabled && main_ != nullptr;
    if (command == MapCommand::WriteGridText || command == MapCommand::WriteGridGrd ||
        command == MapCommand::View3D) {
        const EqNet* grid = view_->model().grid();
        state.enabled = state.enabled && grid != nullptr && grid->hasValues();
    }
    return state;
}

bool MapWindow::runCommand(MapCommand command) {
    if (!commandState(command).enabled) return false;
    return view_->run(command);
}

bool MapWindow::openDialog(MapCommand command, CVexaView& view) {
    switch (command) {
        case MapCommand::SavePicture:
            savePicture();
            return true;
        case MapCommand::PasteData:
            pasteData();
            return true;
        case MapCommand::WriteGridText:
            writeGridText();
            return true;
        case MapCommand::WriteGridGrd:
            writeGridGrd();
            return true;
        case MapCommand::DrawLine:
            // Line drawing started: its points can be typed too.
            if (coordinates_ == nullptr) coordinates_ = new CoordinateWindow(*view_, this);
            coordinates_->openFor(CoordinateWindow::Mode::AddToLine);
            return true;
        case MapCommand::Border:
            if (borderWindow_ == nullptr) borderWindow_ = new BorderWindow(*view_, this);
            borderWindow_->openWindow();
            return true;
        case MapCommand::PointEditor:
            if (dataPoints_ == nullptr) dataPoints_ = new DataPointsWindow(*view_, this);
            dataPoints_->openWindow();
            return true;
        case MapCommand::CoordinateInput:
            if (coordinates_ == nullptr) coordinates_ = new CoordinateWindow(*view_, this);
            if (coordinates_->isVisible() &&
                coordinates_->mode() == CoordinateWindow::Mode::MarkPosition) {
                coordinates_->close();
            } else {
                coordinates_->openFor(CoordinateWindow::Mode::MarkPosition);
            }
            return true;
        case MapCommand::View3D:
            if (main_ != nullptr) main_->openReliefWindow(*this);
            return true;
        case MapCommand::ZoomPart:
            // The zoom window opened (or shown again): "Общий вид".
            if (overview_ == nullptr) overview_ = new OverviewWindow(*view_, this);
            overview_->show();
            overview_->raise();
            overview_->refresh();
            return true;
        default:
            break;
    }
    const MapDialog dialog = mapDialogFor(command);
    return dialog != nullptr && dialog(this, view);
}

bool MapWindow::writePolygonReport(bool volumes) {
    const EqNet* grid = view_->model().grid();
    const PointSet* points = view_->model().mainPoints();
    if (grid == nullptr || !grid->pointPolygons || points == nullptr) return false;
    const std::optional<std::string> path = chooseFile(false, "txt");
    if (!path || path->empty()) return false;
    return volumes ? grid->writeVolumeReport(*path, *points)
                   : grid->writeAreaReport(*path, *points);
}

bool MapWindow::pasteData() {
    const std::optional<std::string> text = view_->context().clipboard().text();
    if (!text) return false;
    return view_->model().addDataText(*doc_, *text) != nullptr;
}

namespace {

// The export's file comes from the file dialog, named after the document;
// the text export's number format from "Формат выходного файла".
class ExportFileDialogs final : public GridExportDialogs {
public:
    ExportFileDialogs(std::string stem, QWidget* parent)
        : stem_(std::move(stem)), parent_(parent) {}
    std::optional<std::string> chooseFile(std::string_view extension) override {
        FileRequest request;
        request.forOpen = false;
        request.extension = std::string(extension);
        request.filter = formatText(text(kFileFilter), {request.extension, request.extension});
        if (!stem_.empty()) request.fileName = stem_ + '.' + request.extension;
        const std::optional<std::string> chosen = chooseFileFor(request);
        if (!chosen || chosen->empty()) return std::nullopt;
        return withExtension(*chosen, request.extension);
    }
    std::optional<DigitOutput> editFormat(const DigitOutput& format) override {
        return askDigitOutput(parent_, format);
    }

private:
    std::string stem_;
    QWidget* parent_;
};

}  // namespace

bool MapWindow::writeGridText() {
    const EqNet* grid = view_->model().grid();
    if (grid == nullptr || !grid->hasValues()) return false;
    // The export stores the accepted format and says what it wrote.
    ExportFileDialogs dialogs(documentStem(), this);
    return exportText(*grid, std::nullopt, std::nullopt, &dialogs).written;
}

bool MapWindow::writeGridGrd() {
    const EqNet* grid = view_->model().grid();
    if (grid == nullptr || !grid->hasValues()) return false;
    ExportFileDialogs dialogs(documentStem(), this);
    return exportGrd(*grid, std::nullopt, std::nullopt, &dialogs).written;
}

bool MapWindow::openCrossSection(CVexaView& from, CrossSection section) {
    if (main_ == nullptr) return false;
    MapWindow* window = main_->addMapWindow(doc_, true);
    if (window == nullptr) return false;
    CVexaView& view = window->view();
    view.readProfile();
    view.model().documentKind = from.model().documentKind;
    view.takeCrossSection(std::move(section));
    main_->showMapWindow(window);
    return true;
}

void MapWindow::selectLine(CVexaView&, BushItem& line) {
    // The map bar shows this map once the main window has made it active.
    if (main_ != nullptr && main_->activeMapWindow() == this) main_->mapBar()->selectLine(line);
}

void MapWindow::editText(CVexaView& view, BushItem& text) { editTextAsked(this, view, text); }

void MapWindow::stepMapBar(bool forward) {
    if (main_ != nullptr && main_->activeMapWindow() == this) main_->mapBar()->step(forward);
}

std::optional<gdi::ColorRef> MapWindow::chooseColor(gdi::ColorRef start) {
    return askColor(this, start);
}

void MapWindow::confirmEntry() {
    if (coordinates_ != nullptr && coordinates_->isVisible() &&
        coordinates_->mode() == CoordinateWindow::Mode::AddToLine) {
        coordinates_->confirm();
    }
}

void MapWindow::closeCoordinateWindow() {
    if (coordinates_ != nullptr && coordinates_->mode() == CoordinateWindow::Mode::AddToLine) {
        coordinates_->close();
    }
}

}  // namespace gridova
