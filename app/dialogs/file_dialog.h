// The file dialogs: a request with everything the program knows about the
// file it asks for, and the Qt dialog that answers it.
#pragma once

#include <QStringList>
#include <functional>
#include <optional>
#include <string>

#include "platform/files.h"

class QFileDialog;

namespace gridova {

// A file dialog with everything the program knows about it: the default
// extension (without its point), the filter ("text|pattern|...||"), the
// starting directory and the proposed file name (both may be empty).
struct FileRequest {
    bool forOpen = false;
    std::string extension;
    std::string filter;
    std::string directory;
    std::string fileName;
};

// Asks the installed file chooser. `QtFileChooser` takes the whole request;
// any other chooser gets the extension and the standard filter (message 203).
std::optional<std::string> chooseFileFor(const FileRequest& request);

// The file dialogs of the application.
class QtFileChooser final : public FileChooser {
public:
    std::optional<std::string> choose(bool forOpen, const std::string& extension,
                                      const std::string& filter) override;

    // Shows the dialog once it is set up and gives true when it was
    // accepted; by default the dialog's own exec. Tests put a function here
    // that reads the set-up and answers without showing the dialog, so that
    // nothing races the dialog's own work. Nothing restores the default.
    using DialogRunner = std::function<bool(QFileDialog&)>;
    static void setDialogRunner(DialogRunner runner);
};

// A filter of the form "text|pattern|text|pattern||" as Qt name filters:
// each text with its patterns in parentheses, "*.*" as "*", an extension in
// lower and upper case.
QStringList qtNameFilters(const std::string& filter);

}  // namespace gridova
