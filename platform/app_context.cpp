#include "platform/app_context.h"

namespace gridova {

namespace {

// A CProgressBar and a WaitCancelScope per stage, through a context's
// progress UI and status bar.
class ContextStage final : public RunStage {
public:
    ContextStage(const AppContext& context, const RunFeedback::StageLook& look)
        : scope_(context.progress(), look.waitText, look.cancellable, look.waitShown) {
        if (look.steps > 0) {
            bar_.emplace(context.progress(), context.statusBar(), look.barText, look.barPercent,
                         look.steps);
        }
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

AppContext::AppContext()
    : boxes_(&unattendedBoxes_),
      progress_(&unattendedProgressUi()),
      clipboard_(&memoryClipboard_) {}

AppContext::~AppContext() = default;

void AppContext::setBoxes(Boxes* boxes) { boxes_ = boxes != nullptr ? boxes : &unattendedBoxes_; }

void AppContext::setProgress(ProgressUi* progress) {
    progress_ = progress != nullptr ? progress : &unattendedProgressUi();
}

void AppContext::setClipboard(Clipboard* clipboard) {
    clipboard_ = clipboard != nullptr ? clipboard : &memoryClipboard_;
}

void AppContext::information(std::string_view text) const { gridova::information(*boxes_, text); }

void AppContext::warning(std::string_view text) const { gridova::warning(*boxes_, text); }

Answer AppContext::question(std::string_view text) const {
    return gridova::question(*boxes_, text);
}

std::optional<std::string> AppContext::chooseFile(bool forOpen, std::string_view extension) const {
    return gridova::chooseFile(files_, forOpen, extension);
}

void AppContext::setStatusText(std::string_view text) const {
    if (status_ != nullptr) status_->setStatusText(std::string(text));
}

void AppContext::setCoordinateText(std::string_view text) const {
    if (status_ != nullptr) status_->setCoordinateText(std::string(text));
}

AppContext& processContext() {
    static AppContext context;
    return context;
}

std::unique_ptr<RunStage> ContextFeedback::stage(const StageLook& look) {
    return std::make_unique<ContextStage>(context_, look);
}

RunFeedback& interactiveFeedback() {
    static ContextFeedback feedback(processContext());
    return feedback;
}

}  // namespace gridova
