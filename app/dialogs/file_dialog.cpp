#include "app/dialogs/file_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QRegularExpression>

namespace gridova {
namespace {

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

// The extension of a Qt name filter's first pattern ("PNG (*.png *.PNG)"
// gives "png"); empty for "*".
QString firstSuffix(const QString& nameFilter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ )]+)"));
    const QRegularExpressionMatch match = pattern.match(nameFilter);
    return match.hasMatch() && match.captured(1) != QLatin1String("*") ? match.captured(1)
                                                                       : QString();
}

QtFileChooser::DialogRunner gDialogRunner;

}  // namespace

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

}  // namespace gridova
