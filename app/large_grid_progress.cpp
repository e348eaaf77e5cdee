#include "app/large_grid_progress.h"
#include "app/ui_text.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "grid/equation_method.h"
#include "platform/messages.h"
#include "render/map_model.h"

namespace gridova {
namespace {

constexpr int kMethodName = 526;  // "Система линейных уравнений для больших сеток"

QString iterationText(int iteration) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Iteration %d", iteration);
    return QString::fromLatin1(buffer);
}

QString precisionText(double achieved) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "Pecision %.10lg", achieved);
    return QString::fromLatin1(buffer);
}

}  // namespace

LargeGridProgress::LargeGridProgress(MapModel& model, std::unique_ptr<LargeGridRun> run,
                                     int maxIterations, QWidget* owner)
    : QDialog(owner, Qt::Tool), model_(model), run_(std::move(run)) {
    setObjectName(QStringLiteral("largeGridProgress"));
    setWindowTitle(QString::fromStdString(text(kMethodName)));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, std::max(1, maxIterations));
    bar_->setValue(0);
    layout->addWidget(bar_);
    layout->addWidget(new QLabel(QString::fromStdString(text(kMethodName)), this));
    iteration_ = new QLabel(iterationText(0), this);
    precision_ = new QLabel(precisionText(0), this);
    layout->addWidget(iteration_);
    layout->addWidget(precision_);
    cancel_ = new QPushButton(uiText(4), this);
    layout->addWidget(cancel_, 0, Qt::AlignRight);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (run_ != nullptr) run_->requestStop();
        cancel_->setEnabled(false);
    });
    timer_ = new QTimer(this);
    timer_->setInterval(kPollMilliseconds);
    connect(timer_, &QTimer::timeout, this, [this] { poll(); });
    timer_->start();
}

LargeGridProgress::~LargeGridProgress() = default;  // the run stops and its thread is joined

void LargeGridProgress::poll() {
    if (run_ == nullptr) return;
    if (!run_->done()) {
        const int iteration = run_->currentIteration();
        bar_->setValue(std::min(iteration, bar_->maximum()));
        iteration_->setText(iterationText(iteration));
        precision_->setText(precisionText(run_->achieved()));
        return;
    }
    timer_->stop();
    const std::unique_ptr<LargeGridRun> run = std::move(run_);
    const int result = model_.completeLargeGridRun(*run);
    hide();
    emit completed(result);
}

void LargeGridProgress::done(int result) {
    // Closing the window is a Cancel: the run ends and the map is built.
    if (run_ != nullptr) {
        run_->requestStop();
        cancel_->setEnabled(false);
        return;
    }
    QDialog::done(result);
}

}  // namespace gridova
