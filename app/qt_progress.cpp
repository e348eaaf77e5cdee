#include "app/qt_progress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QThread>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kTextCancel = 4;  // "Прервать"
constexpr int kTextWait = 218;  // "Ждите..."
constexpr int kMinBarWidth = 80;

bool onGuiThread() {
    return QCoreApplication::instance() != nullptr &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

// The dialog itself: Esc and the close button count as Cancel when
// cancelling is allowed and are ignored otherwise.
class WaitForm final : public QDialog {
public:
    WaitForm(QWidget* parent, bool cancelAllowed, bool& cancelled)
        : QDialog(parent), cancelAllowed_(cancelAllowed), cancelled_(cancelled) {}

    void reject() override {
        if (cancelAllowed_) cancelled_ = true;
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (cancelAllowed_) cancelled_ = true;
        event->ignore();
    }

private:
    bool cancelAllowed_;
    bool& cancelled_;
};

class QtWaitDialog final : public WaitDialog {
public:
    QtWaitDialog(const std::string& text, bool cancelAllowed, QWidget* parent) {
        form_ = new WaitForm(parent, cancelAllowed, cancelled_);
        form_->setWindowTitle(QString::fromStdString(gridova::text(kTextWait)));
        form_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        // The operation runs on the user-interface thread: nothing else may
        // be done in the program while it runs.
        form_->setWindowModality(Qt::ApplicationModal);
        auto* layout = new QVBoxLayout(form_);
        auto* label = new QLabel(QString::fromStdString(text), form_);
        label->setObjectName(QStringLiteral("waitText"));
        layout->addWidget(label);
        if (cancelAllowed) {
            auto* row = new QHBoxLayout;
            row->addStretch();
            auto* button =
                new QPushButton(QString::fromStdString(gridova::text(kTextCancel)), form_);
            button->setObjectName(QStringLiteral("cancelButton"));
            QObject::connect(button, &QPushButton::clicked, form_, [this] { cancelled_ = true; });
            row->addWidget(button);
            row->addStretch();
            layout->addLayout(row);
        }
        form_->show();
        form_->raise();
        QCoreApplication::processEvents();
    }

    ~QtWaitDialog() override { delete form_.data(); }

    bool cancelled() override {
        // The operation polls between its steps: this is when the dialog
        // gets its clicks (and the windows their paints).
        if (onGuiThread()) QCoreApplication::processEvents();
        return cancelled_;
    }

    void finish() override {
        if (form_ != nullptr) form_->hide();
    }

private:
    QPointer<WaitForm> form_;
    bool cancelled_ = false;
};

class QtProgressBarControl final : public ProgressBarControl {
public:
    QtProgressBarControl(QStatusBar* statusBar, const std::string& text, int sizePercent,
                         int maximum)
        : statusBar_(statusBar) {
        if (statusBar == nullptr) return;
        box_ = new QWidget(statusBar);
        box_->setObjectName(QStringLiteral("progressBox"));
        auto* layout = new QHBoxLayout(box_);
        layout->setContentsMargins(0, 0, 0, 0);
        label_ = new QLabel(QString::fromStdString(text), box_);
        bar_ = new QProgressBar(box_);
        bar_->setRange(0, std::max(maximum, 0));
        bar_->setValue(0);
        bar_->setTextVisible(false);
        layout->addWidget(label_);
        layout->addWidget(bar_, 1);
        const int percent = std::clamp(sizePercent, 1, 100);
        box_->setFixedWidth(std::max(kMinBarWidth, statusBar->width() * percent / 100));
        statusBar->addWidget(box_);
        box_->show();
        box_->repaint();
    }

    ~QtProgressBarControl() override {
        if (box_ == nullptr) return;
        if (statusBar_ != nullptr) statusBar_->removeWidget(box_);
        delete box_.data();
    }

    void setRange(int maximum) override {
        if (bar_ != nullptr) bar_->setRange(0, std::max(maximum, 0));
    }
    // QProgressBar repaints at once when its picture changes, so the bar
    // moves while the operation keeps the event loop waiting.
    void setPos(int pos) override {
        if (bar_ != nullptr) bar_->setValue(std::clamp(pos, bar_->minimum(), bar_->maximum()));
    }
    void setText(const std::string& text) override {
        if (label_ == nullptr) return;
        label_->setText(QString::fromStdString(text));
        label_->repaint();
    }

private:
    QPointer<QStatusBar> statusBar_;
    QPointer<QWidget> box_;
    QPointer<QLabel> label_;
    QPointer<QProgressBar> bar_;
};

}  // namespace

QtProgressUi::QtProgressUi(QStatusBar* statusBar, QWidget* dialogParent)
    : statusBar_(statusBar), dialogParent_(dialogParent) {}

QtProgressUi::~QtProgressUi() {
    while (cursorDepth_ > 0) endWaitCursor();
}

void QtProgressUi::beginWaitCursor() {
    if (!onGuiThread()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    ++cursorDepth_;
}

void QtProgressUi::endWaitCursor() {
    if (!onGuiThread() || cursorDepth_ == 0) return;
    QApplication::restoreOverrideCursor();
    --cursorDepth_;
}

std::unique_ptr<WaitDialog> QtProgressUi::startWaitDialog(const std::string& text,
                                                          bool cancelAllowed) {
    if (!onGuiThread()) return unattendedProgressUi().startWaitDialog(text, cancelAllowed);
    return std::make_unique<QtWaitDialog>(text, cancelAllowed, dialogParent_.data());
}

std::unique_ptr<ProgressBarControl> QtProgressUi::createProgressBar(const std::string& text,
                                                                    int sizePercent, int maximum,
                                                                    bool) {
    QStatusBar* bar = onGuiThread() ? statusBar_.data() : nullptr;
    return std::make_unique<QtProgressBarControl>(bar, text, sizePercent, maximum);
}

}  // namespace gridova
