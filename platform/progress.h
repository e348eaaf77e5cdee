// Feedback for long operations run on the user-interface thread.
//
// - WaitScope: wait cursor and the status text "Ждите..." for its lifetime.
// - CProgressBar: a progress bar in the status bar.
// - WaitCancelScope: polled by the operation between its steps; once the
//   operation has taken more than two seconds it shows the "please wait"
//   dialog (with "Прервать" when cancelling is allowed), and a poll after the
//   user pressed it answers that the operation is cancelled.
//
// How these look is up to the installed ProgressUi: the application's shows
// windows; the unattended one (the default) shows nothing, and a test can
// make its dialogs report Cancel and give it a clock of its own.
#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace gridova {

// The wait dialog as the scope sees it.
class WaitDialog {
public:
    virtual ~WaitDialog() = default;
    // Lets the dialog handle its events; true once the user cancelled.
    virtual bool cancelled() = 0;
    // Ends the dialog (the operation is over).
    virtual void finish() = 0;
};

// The progress-bar control as CProgressBar sees it.
class ProgressBarControl {
public:
    virtual ~ProgressBarControl() = default;
    virtual void setRange(int maximum) = 0;
    virtual void setPos(int pos) = 0;
    virtual void setText(const std::string& text) = 0;
};

class ProgressUi {
public:
    virtual ~ProgressUi() = default;
    virtual void beginWaitCursor() = 0;
    virtual void endWaitCursor() = 0;
    virtual std::unique_ptr<WaitDialog> startWaitDialog(const std::string& text,
                                                        bool cancelAllowed) = 0;
    virtual std::unique_ptr<ProgressBarControl> createProgressBar(const std::string& text,
                                                                  int sizePercent, int maximum,
                                                                  bool smooth) = 0;
    // Seconds on a steady clock.
    virtual double now();
};

// Shows nothing. Its dialogs report Cancel once `requestCancel` was called;
// its clock can be replaced.
class UnattendedProgressUi final : public ProgressUi {
public:
    void beginWaitCursor() override {}
    void endWaitCursor() override {}
    std::unique_ptr<WaitDialog> startWaitDialog(const std::string& text,
                                                bool cancelAllowed) override;
    std::unique_ptr<ProgressBarControl> createProgressBar(const std::string& text, int sizePercent,
                                                          int maximum, bool smooth) override;
    double now() override;

    // Every dialog started from now on (and the one showing) reports Cancel
    // when cancelling is allowed.
    void requestCancel() { cancel_ = true; }
    void clearCancel() { cancel_ = false; }
    // A clock of the caller's; nullptr returns to the steady clock.
    void setClock(double (*clock)()) { clock_ = clock; }

    int dialogsStarted() const { return dialogsStarted_; }
    int lastProgressPos() const { return lastPos_; }
    // Back to the state of a new run: no cancel, the steady clock, no
    // dialog started, no progress.
    void reset() {
        cancel_ = false;
        clock_ = nullptr;
        dialogsStarted_ = 0;
        lastPos_ = 0;
    }

private:
    class Dialog;
    class Bar;
    std::atomic<bool> cancel_{false};
    double (*clock_)() = nullptr;
    int dialogsStarted_ = 0;
    int lastPos_ = 0;
};

// Installs the UI of the process context (platform/app_context.h; kept by
// the caller); nullptr returns to the unattended one.
void setProgressUi(ProgressUi* ui);
ProgressUi& progressUi();
// The unattended UI that is in use when nothing else is installed.
UnattendedProgressUi& unattendedProgressUi();

class WaitScope {
public:
    WaitScope();
    ~WaitScope();
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;
};

class StatusBar;

class CProgressBar {
public:
    // Through the process's progress UI and status bar.
    CProgressBar(const std::string& text, int sizePercent, int maximum, bool smooth = false);
    // Through the given ones (a status bar of nullptr shows nothing).
    CProgressBar(ProgressUi& ui, StatusBar* status, const std::string& text, int sizePercent,
                 int maximum, bool smooth = false);
    ~CProgressBar();  // the status text returns to "Готов"
    CProgressBar(const CProgressBar&) = delete;
    CProgressBar& operator=(const CProgressBar&) = delete;

    void setStep(int step) { step_ = step; }
    void stepIt();  // advances by the step, starting again from 0 past the maximum
    void setPos(int pos);
    void setText(const std::string& text);
    int pos() const { return pos_; }
    int maximum() const { return maximum_; }

private:
    std::unique_ptr<ProgressBarControl> control_;
    StatusBar* status_ = nullptr;
    bool processStatus_ = true;  // the status text goes to the process's status bar
    int maximum_;
    int step_ = 1;
    int pos_ = 0;
};

class WaitCancelScope {
public:
    static constexpr double kDialogDelaySeconds = 2.0;

    // active false: every poll answers "not cancelled" and no dialog shows.
    // Through the process's progress UI, or the one given.
    WaitCancelScope(std::string text, bool cancelAllowed, bool active = true);
    WaitCancelScope(ProgressUi& ui, std::string text, bool cancelAllowed, bool active = true);
    ~WaitCancelScope();
    WaitCancelScope(const WaitCancelScope&) = delete;
    WaitCancelScope& operator=(const WaitCancelScope&) = delete;

    // Polled between the operation's steps: true once the user cancelled.
    bool cancelled();
    // Ends the dialog; also run by the destructor.
    void close();

    // True while this scope's dialog is shown.
    bool dialogShown() const { return dialog_ != nullptr; }

private:
    enum class State { FirstPoll, Timing, DialogStarted, Closed };

    ProgressUi& ui_;
    std::string text_;
    bool cancelAllowed_;
    bool active_;
    State state_ = State::FirstPoll;
    double start_ = 0;
    bool userCancelled_ = false;
    std::unique_ptr<WaitDialog> dialog_;
    WaitCancelScope* outer_ = nullptr;  // the scope whose dialog was showing at our start
};

// What a long computation reports of its progress and asks about a cancel.
// Its caller hands it one (RunFeedback); the computation opens a stage for
// each part of its work and reports through it.
// A stage is used on the thread that opened it only: workers of a run
// report through that thread.
class RunStage {
public:
    virtual ~RunStage() = default;
    // One more step done.
    virtual void step() = 0;
    // `steps` steps done.
    virtual void setDone(int steps) = 0;
    // Polled between steps: true once the user cancelled.
    virtual bool cancelled() = 0;
    // The wait dialog goes (the work is done); the progress bar stays until
    // the stage ends.
    virtual void endWait() = 0;
};

class RunFeedback {
public:
    virtual ~RunFeedback() = default;
    struct StageLook {
        std::string barText;      // the progress bar's label
        int barPercent = 50;      // of the status bar
        int steps = 0;            // 0: no progress bar
        std::string waitText;     // the wait dialog's text
        bool cancellable = true;  // the dialog offers to cancel
        bool waitShown = true;    // false: no wait dialog, never cancelled
    };
    virtual std::unique_ptr<RunStage> stage(const StageLook& look) = 0;
    // What the computation has to tell the user ("Прервано пользователем",
    // a singular system, values out of range): by default the process's
    // boxes (platform/app_context.h).
    virtual void warning(const std::string& text);
    virtual void information(const std::string& text);
};

// The feedback of runs whose caller gives none: through the process
// context (ContextFeedback of platform/app_context.h).
RunFeedback& interactiveFeedback();

}  // namespace gridova
