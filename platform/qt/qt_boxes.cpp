#include "platform/qt/qt_boxes.h"

#include <QMessageBox>
#include <QString>

namespace gridova {
namespace {

QMessageBox::StandardButton show(QMessageBox::Icon icon, const std::string& caption,
                                 const std::string& text, QMessageBox::StandardButtons buttons) {
    // No owner window: the box is brought to the front on its own.
    QMessageBox box(icon, QString::fromStdString(caption), QString::fromStdString(text), buttons);
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.raise();
    box.activateWindow();
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

void QtBoxes::information(const std::string& caption, const std::string& text) {
    show(QMessageBox::Information, caption, text, QMessageBox::Ok);
}

void QtBoxes::warning(const std::string& caption, const std::string& text) {
    show(QMessageBox::Warning, caption, text, QMessageBox::Ok);
}

Answer QtBoxes::question(const std::string& caption, const std::string& text) {
    switch (show(QMessageBox::Question, caption, text,
                 QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel)) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

}  // namespace gridova
