#include "platform/progress.h"

#include <optional>

#include <time.h>

#include "platform/app_context.h"
#include "platform/messages.h"
#include "platform/status.h"

namespace gridova {
namespace {

constexpr int kTextWait = 218;    // "Ждите..."
constexpr int kTextReady = 219;   // "Готов"
constexpr int kTextIdle = 57345;  // "Готов", the status bar's idle text

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

void setProgressUi(ProgressUi* ui) { processContext().setProgress(ui); }

ProgressUi& progressUi() { return processContext().progress(); }

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

CProgressBar::CProgressBar(ProgressUi& ui, StatusBar* status, const std::string& label,
                           int sizePercent, int maximum, bool smooth)
    : control_(ui.createProgressBar(label, sizePercent, maximum, smooth)),
      status_(status),
      processStatus_(false),
      maximum_(maximum) {
    control_->setRange(maximum);
    control_->setPos(0);
}

CProgressBar::~CProgressBar() {
    control_.reset();
    if (processStatus_) {
        setStatusText(text(kTextIdle));
    } else if (status_ != nullptr) {
        status_->setStatusText(text(kTextIdle));
    }
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
    : WaitCancelScope(progressUi(), std::move(label), cancelAllowed, active) {}

WaitCancelScope::WaitCancelScope(ProgressUi& ui, std::string label, bool cancelAllowed, bool active)
    : ui_(ui), text_(std::move(label)), cancelAllowed_(cancelAllowed), active_(active) {}

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
            start_ = ui_.now();
            state_ = State::Timing;
            return false;
        case State::Timing:
            if (ui_.now() - start_ > kDialogDelaySeconds) {
                state_ = State::DialogStarted;
                if (gShowingScope == nullptr) {
                    dialog_ = ui_.startWaitDialog(text_, cancelAllowed_);
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

void RunFeedback::warning(const std::string& message) { gridova::warning(message); }

void RunFeedback::information(const std::string& message) { gridova::information(message); }

}  // namespace gridova
