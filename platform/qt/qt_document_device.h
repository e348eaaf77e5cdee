// Pictures as documents: SVG through Qt's SVG generator and PDF through its
// PDF writer, both drawn by the painter device every other target uses, so
// that lines stay lines and text stays text.
#pragma once

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <memory>
#include <string>

#include "platform/gdi.h"
#include "platform/qt/qt_device.h"

namespace gridova {

namespace detail {
// The document and its painter, made before the device that uses them.
struct DocumentAndPainter {
    DocumentAndPainter(std::string_view format, gdi::Size page);
    QBuffer buffer;
    std::unique_ptr<QSvgGenerator> svg;
    std::unique_ptr<QPdfWriter> pdf;
    QPainter painter;
};
}  // namespace detail

// A page of pixels at 96 dots per inch. The document is kept in memory and
// written whole by finish (beside the target, renamed over it).
class QtDocumentDevice final : private detail::DocumentAndPainter,
                               public QtPainterDeviceOn<gdi::FileDevice> {
public:
    // "svg" or "pdf"; check isValid.
    QtDocumentDevice(std::string_view format, std::string path, gdi::Size page);
    bool isValid() const { return painter.isActive(); }
    bool finish() override;
    // Text is measured as on a memory picture, so that the page is laid out
    // as the raster export lays it out.
    void setFont(const gdi::LogFont& font) override;
    gdi::Size textExtent(std::string_view utf8) override;

private:
    std::string path_;
    QtImageDevice measure_{{1, 1}, gdi::rgb(255, 255, 255)};
};

}  // namespace gridova
