// The drawing device over QPainter: on a memory picture (QImage) here, and
// on any other paint device (window, printer) through QtPainterDevice.
#pragma once

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <memory>

#include "platform/gdi.h"

namespace gridova {

// Draws with a painter that the caller keeps. Base is gdi::Device or
// gdi::BitmapDevice (both are instantiated).
template <class Base>
class QtPainterDeviceOn : public Base {
public:
    QtPainterDeviceOn(QPainter& painter, gdi::Size size);

    gdi::Size size() const override { return size_; }
    void setPen(const gdi::Pen& pen) override;
    void setBrush(const gdi::Brush& brush) override;
    void setFont(const gdi::LogFont& font) override;
    void setTextColor(gdi::ColorRef color) override { textColor_ = color; }
    void setBackgroundColor(gdi::ColorRef color) override;
    void setBackgroundMode(gdi::BackgroundMode mode) override;
    void setRasterOp(gdi::RasterOp op) override;
    void moveTo(gdi::Point p) override { position_ = p; }
    void lineTo(gdi::Point p) override;
    void polyline(const gdi::Point* points, std::size_t count) override;
    void polygon(const gdi::Point* points, std::size_t count) override;
    void rectangle(const gdi::Rect& box) override;
    void ellipse(const gdi::Rect& box) override;
    void roundRect(const gdi::Rect& box, std::int32_t cornerWidth,
                   std::int32_t cornerHeight) override;
    void fillRect(const gdi::Rect& box, gdi::ColorRef color) override;
    void textOut(gdi::Point p, std::string_view utf8) override;
    gdi::Size textExtent(std::string_view utf8) override;
    void drawBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) override;
    void clipTo(const gdi::Rect& box) override;
    void excludeClip(const gdi::Rect& box) override;
    void clearClip() override;

private:
    // Sets the painter's pen, brush and composition for a shape.
    void applyShapeState(bool withBrush);

    QPainter& painter_;
    gdi::Size size_;
    gdi::Pen pen_;
    gdi::Brush brush_;
    gdi::RasterOp rop_ = gdi::RasterOp::CopyPen;
    gdi::ColorRef textColor_ = 0;
    gdi::ColorRef backgroundColor_ = gdi::rgb(255, 255, 255);
    gdi::BackgroundMode backgroundMode_ = gdi::BackgroundMode::Opaque;
    gdi::Point position_;
    QFont font_;
    std::int32_t escapement_ = 0;  // of the current font, tenths of a degree
    bool clipped_ = false;
    QRegion clip_;
};

using QtPainterDevice = QtPainterDeviceOn<gdi::Device>;

// The Qt font for a LOGFONT, without antialiasing.
QFont toQFont(const gdi::LogFont& font);

namespace detail {
// Holds the picture and its painter before the device that uses them is
// made.
struct ImageAndPainter {
    ImageAndPainter(gdi::Size size, gdi::ColorRef fill);
    QImage image;
    QPainter painter;
};
}  // namespace detail

// A memory picture: 32-bit pixels, drawn without antialiasing.
class QtImageDevice final : private detail::ImageAndPainter,
                            public QtPainterDeviceOn<gdi::BitmapDevice> {
public:
    QtImageDevice(gdi::Size size, gdi::ColorRef fill);

    bool isNull() const { return image.isNull(); }
    // The picture; ends the painting first.
    const QImage& finishedImage();
    // The pixels as drawn so far, while the painting goes on (the raster
    // painter draws at once, so the picture is always up to date).
    const QImage& pixels() const { return image; }

    gdi::Dib dib() const override;
};

class QtDeviceFactory final : public gdi::DeviceFactory {
public:
    std::unique_ptr<gdi::BitmapDevice> createBitmap(gdi::Size size, gdi::ColorRef fill) override;
    // "svg" and "pdf" (QtDocumentDevice).
    std::unique_ptr<gdi::FileDevice> createDocument(std::string_view format,
                                                    const std::string& path,
                                                    gdi::Size page) override;
};

// QImage <-> device-independent bitmap (24 bits, bottom-up).
gdi::Dib dibFromImage(const QImage& image);
QImage imageFromDib(const gdi::Dib& dib);

}  // namespace gridova
