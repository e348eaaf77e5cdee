// The on-screen forms of the progress scopes: the wait cursor, the progress
// bar in the main window's status bar and the "please wait" dialog with its
// Cancel button.
#pragma once

#include <QPointer>
#include <memory>
#include <string>

#include "platform/progress.h"

class QStatusBar;
class QWidget;

namespace gridova {

class QtProgressUi final : public ProgressUi {
public:
    // Progress bars go into the status bar; the wait dialogs are owned by
    // the dialog parent (both may be null: no bar, a top-level dialog).
    QtProgressUi(QStatusBar* statusBar, QWidget* dialogParent);
    ~QtProgressUi() override;

    void beginWaitCursor() override;
    void endWaitCursor() override;
    std::unique_ptr<WaitDialog> startWaitDialog(const std::string& text,
                                                bool cancelAllowed) override;
    std::unique_ptr<ProgressBarControl> createProgressBar(const std::string& text, int sizePercent,
                                                          int maximum, bool smooth) override;

    // Wait cursors begun and not yet ended.
    int waitCursorDepth() const { return cursorDepth_; }

private:
    QPointer<QStatusBar> statusBar_;
    QPointer<QWidget> dialogParent_;
    int cursorDepth_ = 0;
};

}  // namespace gridova
