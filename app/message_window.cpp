#include "app/message_window.h"
#include "app/ui_text.h"

#include <QListWidget>
#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QVBoxLayout>

#include "app/window_place.h"

namespace gridova {
namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 180;

// Runs the call on the window's thread: at once there, queued from others.
template <typename Call>
void onWindowThread(QObject* window, Call call) {
    if (QThread::currentThread() == window->thread()) {
        call();
        return;
    }
    QPointer<QObject> alive = window;
    QMetaObject::invokeMethod(
        window,
        [alive, call] {
            if (alive != nullptr) call();
        },
        Qt::QueuedConnection);
}

}  // namespace

MessageWindow::MessageWindow(MessageLog& log, QWidget* owner)
    : QDialog(owner, Qt::Tool), log_(log), owner_(owner) {
    setObjectName(QStringLiteral("messageWindow"));
    setWindowTitle(uiText("Сообщения"));
    setModal(false);
    list_ = new QListWidget(this);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(list_);
    resize(kWidth, kHeight);
    log_.setView(this);
}

MessageWindow::~MessageWindow() { log_.setView(nullptr); }

void MessageWindow::showLog() {
    onWindowThread(this, [this] {
        if (isVisible()) return;
        placeWindow(*this, kResource, owner_);
        showNormal();
        refill();
    });
}

void MessageWindow::linesChanged() {
    onWindowThread(this, [this] { refill(); });
}

void MessageWindow::refill() {
    list_->clear();
    for (const std::string& line : log_.lines()) list_->addItem(QString::fromStdString(line));
    if (list_->count() > 0) {
        list_->setCurrentRow(list_->count() - 1);
        list_->scrollToItem(list_->currentItem());
    }
}

void MessageWindow::done(int result) {
    if (isVisible()) {
        rememberWindowPlace(*this, kResource);
        log_.windowClosed();
    }
    QDialog::done(result);
}

}  // namespace gridova
