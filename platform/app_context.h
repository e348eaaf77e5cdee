// The services through which the program reaches the person and the
// machine: message boxes, the progress UI (wait cursor, progress bar, wait
// dialog, and the clock that times it), the file dialogs, the status bar,
// the clipboard and the maker of memory pictures.
//
// The application fills one context at its start (the process context)
// and hands it to the map windows, their views and models; the models
// hand what the algorithms need (a RunFeedback) to each run. A part given
// a context of its own (a test, a second program in the same process) uses
// that one. The free functions of platform/ (information(), warning(),
// question(), chooseFile(), setStatusText(), progressUi(),
// gdi::deviceFactory()) go through the process context: the readers, which
// report their errors to whoever is there, use them.
//
// A service left empty is the unattended one: boxes to standard error and
// the message log (a question answers No), no windows, every file choice
// cancelled, no status text, a clipboard held in memory.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dib.h"
#include "platform/files.h"
#include "platform/gdi.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/status.h"

namespace gridova {

// The clipboard: a picture (copying the map) and text (data pasted from a
// table).
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // The picture as pixels and, when given, as an enhanced metafile (the
    // file's bytes), which documents paste as a drawing.
    virtual void setPicture(const gdi::Dib& picture,
                            const std::vector<std::uint8_t>& metafile = {}) = 0;
    virtual void setText(const std::string& text) = 0;
    // The text it holds; none when it holds no text.
    virtual std::optional<std::string> text() = 0;
};

// A clipboard of the program's own, in memory.
class MemoryClipboard final : public Clipboard {
public:
    void setPicture(const gdi::Dib& picture,
                    const std::vector<std::uint8_t>& metafile = {}) override {
        picture_ = picture;
        metafile_ = metafile;
        text_.reset();
    }
    void setText(const std::string& text) override {
        text_ = text;
        picture_.reset();
        metafile_.clear();
    }
    std::optional<std::string> text() override { return text_; }
    const std::optional<gdi::Dib>& picture() const { return picture_; }
    const std::vector<std::uint8_t>& metafile() const { return metafile_; }

private:
    std::optional<std::string> text_;
    std::optional<gdi::Dib> picture_;
    std::vector<std::uint8_t> metafile_;
};

class AppContext {
public:
    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    // The services; each is the unattended one until one is installed.
    Boxes& boxes() const { return *boxes_; }
    ProgressUi& progress() const { return *progress_; }
    // nullptr: every file choice is cancelled.
    FileChooser* files() const { return files_; }
    // nullptr: no status text is shown.
    StatusBar* statusBar() const { return status_; }
    Clipboard& clipboard() const { return *clipboard_; }
    // nullptr: memory pictures cannot be made.
    gdi::DeviceFactory* devices() const { return devices_; }
    // Seconds on the progress UI's clock.
    double now() const { return progress_->now(); }

    // Installs a service (kept by the caller); nullptr returns to the
    // unattended one.
    void setBoxes(Boxes* boxes);
    void setProgress(ProgressUi* progress);
    void setFiles(FileChooser* files) { files_ = files; }
    void setStatusBar(StatusBar* status) { status_ = status; }
    void setClipboard(Clipboard* clipboard);
    void setDevices(gdi::DeviceFactory* devices) { devices_ = devices; }

    // True while the unattended boxes are in use.
    bool boxesAreUnattended() const { return boxes_ == &unattendedBoxes_; }

    // The three boxes with their captions (messages 214, 215, 301).
    void information(std::string_view text) const;
    void warning(std::string_view text) const;
    Answer question(std::string_view text) const;
    // The path chosen for opening or saving a file of this extension, or
    // nothing (no chooser, or cancelled).
    std::optional<std::string> chooseFile(bool forOpen, std::string_view extension) const;
    void setStatusText(std::string_view text) const;
    void setCoordinateText(std::string_view text) const;

private:
    UnattendedBoxes unattendedBoxes_;
    MemoryClipboard memoryClipboard_;
    Boxes* boxes_;
    ProgressUi* progress_;
    FileChooser* files_ = nullptr;
    StatusBar* status_ = nullptr;
    Clipboard* clipboard_;
    gdi::DeviceFactory* devices_ = nullptr;
};

// The context of the process (see above).
AppContext& processContext();

// Feedback through a context: its progress UI shows the stages (a progress
// bar and a wait dialog per stage) and its boxes the messages.
class ContextFeedback final : public RunFeedback {
public:
    explicit ContextFeedback(const AppContext& context) : context_(context) {}
    std::unique_ptr<RunStage> stage(const StageLook& look) override;
    void warning(const std::string& text) override { context_.warning(text); }
    void information(const std::string& text) override { context_.information(text); }

private:
    const AppContext& context_;
};

}  // namespace gridova
