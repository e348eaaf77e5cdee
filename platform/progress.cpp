#include "platform/progress.h"

#include <optional>

#include <time.h>

#include "platform/messages.h"
#include "platform/status.h"

namespace gridova {
namespace {

constexpr int kTextWait = 218;    // "Ждите..."
constexpr int kTextReady = 219;   // "Готов"
constexpr int kTextIdle = 57345;  // "Готов", the status bar's idle text

ProgressUi* gUi = nullptr;

// The scope whose dialog is showing: only one at a time.
WaitCancelScope* gShowingScope = nullptr;

}  // namespace

double ProgressUi::now() {
    // Polled once per step of long loops: the coarse clock costs a few
    // nanoseconds and its resolution of a few milliseconds is plenty for a
    // two-second delay.
    timespec ts{};
#ifdef CLOCK_MONOTONIC_COARSE
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &ts);
#else
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
#endif
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

class UnattendedProgressUi::Dialog final : public WaitDialog {
public:
    Dialog(UnattendedProgressUi& ui, bool cancelAllowed) : ui_(ui), cancelAllowed_(cancelAllowed) {}
    bool cancelled() override { return cancelAllowed_ && ui_.cancel_; }
    void finish() override {}

private:
    UnattendedProgressUi& ui_;
    bool cancelAllowed_;
};

class UnattendedProgressUi::Bar final : public ProgressBarControl {
public:
    explicit Bar(UnattendedProgressUi& ui) : ui_(ui) {}
    void setRange(int) override {}
    void setPos(int pos) override { ui_.lastPos_ = pos; }
    void setText(const std::string&) override {}

private:
    UnattendedProgressUi& ui_;
};

std::unique_ptr<WaitDialog> UnattendedProgressUi::startWaitDialog(const std::string&,
                                                                  bool cancelAllowed) {
    ++dialogsStarted_;
    return std::make_unique<Dialog>(*this, cancelAllowed);
}

std::unique_ptr<ProgressBarControl> UnattendedProgressUi::createProgressBar(const std::string&, int,
                                                                            int, bool) {
    lastPos_ = 0;
    return std::make_unique<Bar>(*this);
}

double UnattendedProgressUi::now() { return clock_ != nullptr ? clock_() : ProgressUi::now(); }

UnattendedProgressUi& unattendedProgressUi() {
    static UnattendedProgressUi ui;
    return ui;
}

void setProgressUi(ProgressUi* ui) { gUi = ui; }

ProgressUi& progressUi() { return gUi != nullptr ? *gUi : unattendedProgressUi(); }

WaitScope::WaitScope() {
    progressUi().beginWaitCursor();
    setStatusText(text(kTextWait));
}

WaitScope::~WaitScope() {
    setStatusText(text(kTextReady));
    progressUi().endWaitCursor();
}

CProgressBar::CProgressBar(const std::string& label, int sizePercent, int maximum, bool smooth)
    : control_(progressUi().createProgressBar(label, sizePercent, maximum, smooth)),
      maximum_(maximum) {
    control_->setRange(maximum);
    control_->setPos(0);
}

CProgressBar::~CProgressBar() {
    control_.reset();
    setStatusText(text(kTextIdle));
}

void CProgressBar::stepIt() {
    // As the common control does: past the maximum the position starts again.
    // As the common control does: past the maximum the position starts
    // again, taken modulo the range.
    long long pos = static_cast<long long>(pos_) + step_;
    if (maximum_ <= 0) {
        pos = 0;
    } else if (pos > maximum_ || pos < 0) {
        pos %= maximum_;
        if (pos < 0) pos += maximum_;
    }
    pos_ = static_cast<int>(pos);
    control_->setPos(pos_);
}

void CProgressBar::setPos(int pos) {
    pos_ = pos < 0 ? 0 : (pos > maximum_ ? maximum_ : pos);
    control_->setPos(pos_);
}

void CProgressBar::setText(const std::string& label) { control_->setText(label); }

WaitCancelScope::WaitCancelScope(std::string label, bool cancelAllowed, bool active)
    : text_(std::move(label)), cancelAllowed_(cancelAllowed), active_(active) {}

WaitCancelScope::~WaitCancelScope() { close(); }

bool WaitCancelScope::cancelled() {
    if (!active_) return false;
    switch (state_) {
        case State::Closed:
            return userCancelled_;
        case State::DialogStarted:
            if (dialog_ != nullptr) {
                if (!userCancelled_ && dialog_->cancelled()) userCancelled_ = true;
                return userCancelled_;
            }
            // A scope inside another's dialog answers with that dialog.
            return outer_ != nullptr && outer_->cancelled();
        case State::FirstPoll:
            start_ = progressUi().now();
            state_ = State::Timing;
            return false;
        case State::Timing:
            if (progressUi().now() - start_ > kDialogDelaySeconds) {
                state_ = State::DialogStarted;
                if (gShowingScope == nullptr) {
                    dialog_ = progressUi().startWaitDialog(text_, cancelAllowed_);
                    gShowingScope = this;
                } else {
                    outer_ = gShowingScope;
                }
            }
            return false;
    }
    return false;
}

void WaitCancelScope::close() {
    if (state_ == State::Closed) return;
    state_ = State::Closed;
    if (dialog_ != nullptr) {
        dialog_->finish();
        dialog_.reset();
    }
    if (gShowingScope == this) gShowingScope = nullptr;
}

namespace {

class ProgressUiStage final : public RunStage {
public:
    explicit ProgressUiStage(const RunFeedback::StageLook& look)
        : scope_(look.waitText, look.cancellable, look.waitShown) {
        if (look.steps > 0) bar_.emplace(look.barText, look.barPercent, look.steps);
    }
    void step() override {
        if (bar_) bar_->stepIt();
    }
    void setDone(int steps) override {
        if (bar_) bar_->setPos(steps);
    }
    bool cancelled() override { return scope_.cancelled(); }
    void endWait() override { scope_.close(); }

private:
    std::optional<CProgressBar> bar_;
    WaitCancelScope scope_;
};

}  // namespace

std::unique_ptr<RunStage> ProgressUiFeedback::stage(const StageLook& look) {
    return std::make_unique<ProgressUiStage>(look);
}

RunFeedback& interactiveFeedback() {
    static ProgressUiFeedback feedback;
    return feedback;
}

}  // namespace gridova
