// The message window "Сообщения": the lines of the message log (the last
// 100; platform/message_log.h), the last one selected. It shows itself with
// the first message of a run and again with the next message after it was
// closed; closing it closes "Message.txt". Its place is remembered
// (resource 102).
#pragma once

#include <QDialog>

#include "platform/message_log.h"

class QListWidget;

namespace gridova {

class MessageWindow final : public QDialog, public MessageLogView {
    Q_OBJECT
public:
    static constexpr int kResource = 102;

    // The window of the log (installed as its view until destroyed).
    MessageWindow(MessageLog& log, QWidget* owner);
    ~MessageWindow() override;

    QListWidget* list() const { return list_; }

    // MessageLogView; from any thread (carried out on the window's).
    void showLog() override;
    void linesChanged() override;

    // Closing (the title bar's button or Esc) keeps the place and closes
    // the log's file.
    void done(int result) override;

private:
    void refill();

    MessageLog& log_;
    QWidget* owner_;
    QListWidget* list_ = nullptr;
};

}  // namespace gridova
