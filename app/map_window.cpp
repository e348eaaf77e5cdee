#include "app/map_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QFileDialog>
#include <QGuiApplication>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/main_window.h"
#include "contour/line_text_files.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "render/map_widget.h"

namespace gridova {
namespace {

constexpr int kPictureFilter = 275;    // "256 цветной GIF (*.gif)|*.gif|..."
constexpr int kAskSaveLines = 377;     // "Сохранить линии?"
constexpr int kDocumentFilter = 520;   // "Документ Gridova(*.GDV)|*.GDV|..."
constexpr int kAskSaveDocument = 523;  // "Сохранить документ?"
constexpr int kUnknownPicture = 9007;  // "Неизвестный тип картинки: файл %s не записан"

constexpr const char* kDirectoryKey = "Directory";
constexpr const char* kExtensionKey = "Extnsion";
constexpr const char* kLinesExtension = "lxt";

// The request of the dialog being asked for (only one at a time: the
// dialogs are modal).
const FileRequest* gRequest = nullptr;

class RequestScope {
public:
    explicit RequestScope(const FileRequest& request) : saved_(gRequest) { gRequest = &request; }
    ~RequestScope() { gRequest = saved_; }
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;

private:
    const FileRequest* saved_;
};

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

std::string directoryOfChosen(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? std::filesystem::path(path) : absolute).parent_path().string();
}

// The extension of a Qt name filter's first pattern ("PNG (*.png *.PNG)"
// gives "png"); empty for "*".
QString firstSuffix(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ )]+)"));
    const QRegularExpressionMatch match = pattern.match(nameFilter);
    return match.hasMatch() && match.captured(1) != QLatin1String("*") ? match.captured(1)
                                                                       : QString();
}

}  // namespace

// --- File dialogs -------------------------------------------------------------------------------

std::optional<std::string> chooseFileFor(const FileRequest& request) {
    RequestScope scope(request);
    return chooseFile(request.forOpen, request.extension);
}

QStringList qtNameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
    QStringList result;
    for (qsizetype k = 0; k + 1 < parts.size(); k += 2) {
        QString label = parts[k].trimmed();
        const QString patternText = parts[k + 1].trimmed();
        if (label.isEmpty() && patternText.isEmpty()) break;
        QStringList patterns;
        for (const QString& raw : patternText.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QString p = raw.trimmed();
            if (p == QLatin1String("*.*") || p == QLatin1String("*")) {
                patterns << QStringLiteral("*");
                continue;
            }
            // Extensions are compared without case by the program's users'
            // habits; the file system here is case-sensitive.
            for (const QString& variant : {p.toLower(), p.toUpper()}) {
                if (!patterns.contains(variant)) patterns << variant;
            }
        }
        if (patterns.isEmpty()) continue;
        const qsizetype open = label.indexOf(QLatin1Char('('));
        if (open >= 0) label = label.left(open).trimmed();
        if (label.isEmpty()) label = patternText;
        result << QStringLiteral("%1 (%2)").arg(label, patterns.join(QLatin1Char(' ')));
    }
    return result;
}

namespace {
QtFileChooser::DialogRunner gDialogRunner;
}  // namespace

void QtFileChooser::setDialogRunner(DialogRunner runner) { gDialogRunner = std::move(runner); }

std::optional<std::string> QtFileChooser::choose(bool forOpen, const std::string& extension,
                                                 const std::string& filter) {
    const FileRequest* request = gRequest;
    if (request != nullptr && (request->forOpen != forOpen || request->extension != extension)) {
        request = nullptr;
    }
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setAcceptMode(forOpen ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(forOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(request != nullptr ? request->filter : filter);
    if (!filters.isEmpty()) dialog.setNameFilters(filters);
    const QString suffix = QString::fromStdString(extension);
    if (!suffix.isEmpty()) {
        const QString wanted = QStringLiteral("*.") + suffix.toLower();
        for (const QString& f : filters) {
            if (f.contains(wanted, Qt::CaseInsensitive)) {
                dialog.selectNameFilter(f);
                break;
            }
        }
    }
    if (!forOpen) {
        dialog.setDefaultSuffix(suffix);
        // The extension follows the chosen type, as the file type list shows.
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&dialog](const QString& chosen) {
                             const QString s = firstSuffix(chosen);
                             if (!s.isEmpty()) dialog.setDefaultSuffix(s);
                         });
    }
    if (request != nullptr && !request->directory.empty()) {
        dialog.setDirectory(QString::fromStdString(request->directory));
    }
    if (request != nullptr && !request->fileName.empty()) {
        dialog.selectFile(QString::fromStdString(request->fileName));
    }
    const bool accepted =
        gDialogRunner ? gDialogRunner(dialog) : dialog.exec() == QDialog::Accepted;
    if (!accepted) return std::nullopt;
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty() || files.front().isEmpty()) return std::nullopt;
    return files.front().toStdString();
}

// --- The window ----------------------------------------------------------------------------------

MapWindow::MapWindow(MainWindow* mainWindow, std::shared_ptr<CVexaDoc> document, bool secondary,
                     QWidget* parent)
    : QWidget(parent),
      main_(mainWindow),
      doc_(std::move(document)),
      view_(std::make_unique<CVexaView>()),
      secondary_(secondary) {
    view_->setHost(this);
    widget_ = new MapWidget(*view_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(widget_);
    setFocusProxy(widget_);
    refreshCaption();
}

MapWindow::~MapWindow() {
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
    if (view_->mapChanged) {
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
    Bush* lines = view_->objectTreeIfAny();
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
    Bush* lines = view_->objectTreeIfAny();
    if (lines == nullptr) return true;
    std::unique_ptr<OutputFile> file = chooseAndOpenTextWrite(kLinesExtension);
    if (!file) return false;
    std::string out;
    appendGroupText(out, *lines);
    std::fwrite(out.data(), 1, out.size(), file->file());
    return commitOrWarn(*file);
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
        const std::string stem =
            !doc_->name.empty() ? doc_->name : std::filesystem::path(doc_->title).stem().string();
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

bool MapWindow::savePicture() {
    FileRequest request;
    request.forOpen = false;
    request.extension = kDefaultPictureExtension;
    readProfileText(kGraphicSection, kDirectoryKey, request.directory);
    readProfileText(kGraphicSection, kExtensionKey, request.extension);
    request.filter = text(kPictureFilter);
    const std::string stem =
        !doc_->name.empty() ? doc_->name : std::filesystem::path(doc_->title).stem().string();
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
    return view_->exportPictureByName(path);
}

// --- MapViewHost
// -------------------------------------------------------------------------------------

bool MapWindow::openDialog(MapCommand command, CVexaView& view) {
    switch (command) {
        case MapCommand::BackgroundColor: {
            const gdi::ColorRef old = view.canvas().backgroundColor();
            const QColor chosen = QColorDialog::getColor(
                QColor(static_cast<int>(gdi::redOf(old)), static_cast<int>(gdi::greenOf(old)),
                       static_cast<int>(gdi::blueOf(old))),
                this);
            if (chosen.isValid()) {
                view.setBackgroundColor(gdi::rgb(static_cast<unsigned>(chosen.red()),
                                                 static_cast<unsigned>(chosen.green()),
                                                 static_cast<unsigned>(chosen.blue())));
            }
            return true;
        }
        default:
            // The other dialogs come later.
            return false;
    }
}

bool MapWindow::openCrossSection(CVexaView& from, CrossSection section) {
    if (main_ == nullptr) return false;
    MapWindow* window = main_->addMapWindow(doc_, true);
    if (window == nullptr) return false;
    CVexaView& view = window->view();
    view.readProfile();
    view.documentKind = from.documentKind;
    view.takeCrossSection(std::move(section));
    main_->showMapWindow(window);
    return true;
}

void MapWindow::copyPicture(const gdi::Dib& picture) {
    QGuiApplication::clipboard()->setImage(imageFromDib(picture));
}

void MapWindow::selectLine(CVexaView&, BushItem&) {
    // The map bar comes later.
}

void MapWindow::closeCoordinateWindow() {
    // The coordinate window comes later.
}

}  // namespace gridova
