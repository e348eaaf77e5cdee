#include "platform/qt/qt_clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/qt/qt_device.h"

namespace gridova {

void QtClipboard::setPicture(const gdi::Dib& picture, const std::vector<std::uint8_t>& metafile) {
    auto* data = new QMimeData;
    data->setImageData(imageFromDib(picture));
    if (!metafile.empty()) {
        const QByteArray bytes(reinterpret_cast<const char*>(metafile.data()),
                               static_cast<qsizetype>(metafile.size()));
        data->setData(QStringLiteral("image/x-emf"), bytes);
        data->setData(QStringLiteral("image/emf"), bytes);
    }
    QGuiApplication::clipboard()->setMimeData(data);
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
