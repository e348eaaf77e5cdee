#include "platform/qt/qt_document_device.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>

#include "platform/files.h"

namespace gridova {

namespace {

constexpr int kDotsPerInch = 96;

}  // namespace

namespace detail {

DocumentAndPainter::DocumentAndPainter(std::string_view format, gdi::Size page) {
    if (page.cx <= 0 || page.cy <= 0) return;
    buffer.open(QIODevice::WriteOnly);
    if (format == "svg") {
        svg = std::make_unique<QSvgGenerator>();
        svg->setOutputDevice(&buffer);
        svg->setSize(QSize(page.cx, page.cy));
        svg->setViewBox(QRect(0, 0, page.cx, page.cy));
        svg->setResolution(kDotsPerInch);
        svg->setTitle(QStringLiteral("Gridova"));
        painter.begin(svg.get());
    } else if (format == "pdf") {
        pdf = std::make_unique<QPdfWriter>(&buffer);
        pdf->setCreator(QStringLiteral("Gridova"));
        // The page in points is the picture at 96 dots per inch, no margins.
        const QSizeF points(page.cx * 72.0 / kDotsPerInch, page.cy * 72.0 / kDotsPerInch);
        pdf->setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point), QPageLayout::Portrait,
                                       QMarginsF(0, 0, 0, 0)));
        pdf->setResolution(kDotsPerInch);
        painter.begin(pdf.get());
    }
}

}  // namespace detail

QtDocumentDevice::QtDocumentDevice(std::string_view format, std::string path, gdi::Size page)
    : DocumentAndPainter(format, page),
      QtPainterDeviceOn<gdi::FileDevice>(painter, page),
      path_(std::move(path)) {}

void QtDocumentDevice::setFont(const gdi::LogFont& font) {
    QtPainterDeviceOn<gdi::FileDevice>::setFont(font);
    measure_.setFont(font);
}

gdi::Size QtDocumentDevice::textExtent(std::string_view utf8) { return measure_.textExtent(utf8); }

bool QtDocumentDevice::finish() {
    if (!painter.isActive()) return false;
    if (!painter.end()) return false;
    const QByteArray& bytes = buffer.data();
    std::unique_ptr<OutputFile> out = openBinaryWrite(path_);
    if (!out) return false;
    if (std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), out->file()) !=
        static_cast<std::size_t>(bytes.size())) {
        out->discard();
        return false;
    }
    return commitOrWarn(*out);
}

}  // namespace gridova
