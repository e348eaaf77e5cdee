#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/qt/qt_device.h"

namespace gridova {

void QtClipboard::setPicture(const gdi::Dib& picture) {
    QGuiApplication::clipboard()->setImage(imageFromDib(picture));
}

void QtClipboard::setText(const std::string& text) {
    QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

std::optional<std::string> QtClipboard::text() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (data == nullptr || !data->hasText()) return std::nullopt;
    return data->text().toStdString();
}

}  // namespace gridova
