#include "platform/qt/qt_device.h"

#include "platform/qt/qt_document_device.h"

#include <QFontMetrics>
#include <QPen>
#include <QPolygon>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace gridova {
namespace {

// Dash patterns of the styled one-pixel pens, in pixels (on, off, ...).
const QList<qreal> kDash = {18, 6};
const QList<qreal> kDot = {3, 3};
const QList<qreal> kDashDot = {9, 6, 3, 6};
const QList<qreal> kDashDotDot = {9, 3, 3, 3, 3, 3};

// The em height used when a LOGFONT asks for the default height (0).
constexpr int kDefaultPixelSize = 12;

QColor toQColor(gdi::ColorRef c) {
    return QColor(static_cast<int>(gdi::redOf(c)), static_cast<int>(gdi::greenOf(c)),
                  static_cast<int>(gdi::blueOf(c)));
}

QRect toQRect(const gdi::Rect& r) { return QRect(r.left, r.top, r.width(), r.height()); }

// The outline frame of a box: GDI draws a one-pixel frame on the box's
// last column and row inside the right/bottom-exclusive box, which is the
// Qt rectangle one pixel smaller.
QRect frameOf(const gdi::Rect& r) { return QRect(r.left, r.top, r.width() - 1, r.height() - 1); }

QPolygon toQPolygon(const gdi::Point* points, std::size_t count) {
    QPolygon polygon(static_cast<int>(count));
    for (std::size_t i = 0; i < count; ++i) {
        polygon.setPoint(static_cast<int>(i), points[i].x, points[i].y);
    }
    return polygon;
}

Qt::BrushStyle toQtHatch(gdi::Hatch h) {
    switch (h) {
        case gdi::Hatch::Horizontal:
            return Qt::HorPattern;
        case gdi::Hatch::Vertical:
            return Qt::VerPattern;
        case gdi::Hatch::ForwardDiagonal:
            return Qt::FDiagPattern;
        case gdi::Hatch::BackwardDiagonal:
            return Qt::BDiagPattern;
        case gdi::Hatch::Cross:
            return Qt::CrossPattern;
        case gdi::Hatch::DiagonalCross:
            return Qt::DiagCrossPattern;
    }
    return Qt::HorPattern;
}

QPainter::CompositionMode toComposition(gdi::RasterOp op) {
    switch (op) {
        case gdi::RasterOp::Not:
            return QPainter::RasterOp_NotDestination;
        case gdi::RasterOp::XorPen:
            return QPainter::RasterOp_SourceXorDestination;
        case gdi::RasterOp::Black:
        case gdi::RasterOp::CopyPen:
            break;
    }
    return QPainter::CompositionMode_SourceOver;
}

}  // namespace

QFont toQFont(const gdi::LogFont& lf) {
    QFont font(QString::fromStdString(lf.faceName.empty() ? std::string("Arial") : lf.faceName));
    font.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferMatch));
    font.setHintingPreference(QFont::PreferFullHinting);
    font.setWeight(QFont::Weight(std::clamp(lf.weight == 0 ? 400 : lf.weight, 1, 1000)));
    font.setItalic(lf.italic != 0);
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(lf.strikeOut != 0);
    if (lf.height < 0) {
        // The character (em) height.
        font.setPixelSize(std::max(1, -lf.height));
    } else if (lf.height > 0) {
        // The cell height: scale the em height so the cell fits.
        font.setPixelSize(lf.height);
        const int cell = QFontMetrics(font).height();
        if (cell > 0 && cell != lf.height) {
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(
                                              static_cast<double>(lf.height) * lf.height / cell))));
        }
    } else {
        font.setPixelSize(kDefaultPixelSize);
    }
    if (lf.width > 0) {
        const int natural = QFontMetrics(font).averageCharWidth();
        if (natural > 0) font.setStretch(std::clamp(100 * lf.width / natural, 1, 4000));
    }
    return font;
}

template <class Base>
QtPainterDeviceOn<Base>::QtPainterDeviceOn(QPainter& painter, gdi::Size size)
    : painter_(painter), size_(size), font_(toQFont(gdi::LogFont{})) {
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    setBackgroundMode(backgroundMode_);
    setBackgroundColor(backgroundColor_);
}

template <class Base>
void QtPainterDeviceOn<Base>::setPen(const gdi::Pen& pen) {
    pen_ = pen;
}

template <class Base>
void QtPainterDeviceOn<Base>::setBrush(const gdi::Brush& brush) {
    brush_ = brush;
}

template <class Base>
void QtPainterDeviceOn<Base>::setFont(const gdi::LogFont& font) {
    font_ = toQFont(font);
    escapement_ = font.escapement;
}

template <class Base>
void QtPainterDeviceOn<Base>::setBackgroundColor(gdi::ColorRef color) {
    backgroundColor_ = color;
    painter_.setBackground(QBrush(toQColor(color)));
}

template <class Base>
void QtPainterDeviceOn<Base>::setBackgroundMode(gdi::BackgroundMode mode) {
    backgroundMode_ = mode;
    painter_.setBackgroundMode(mode == gdi::BackgroundMode::Opaque ? Qt::OpaqueMode
                                                                   : Qt::TransparentMode);
}

template <class Base>
void QtPainterDeviceOn<Base>::setRasterOp(gdi::RasterOp op) {
    rop_ = op;
}

template <class Base>
void QtPainterDeviceOn<Base>::applyShapeState(bool withBrush) {
    painter_.setCompositionMode(toComposition(rop_));
    const bool black = rop_ == gdi::RasterOp::Black;
    // The inverting operations ignore the colour; white makes the xor
    // operation invert as well.
    const QColor penColor = black ? QColor(Qt::black) : toQColor(pen_.color);

    QPen qpen;
    if (pen_.style == gdi::PenStyle::Null) {
        qpen = QPen(Qt::NoPen);
    } else {
        const bool styled =
            pen_.style != gdi::PenStyle::Solid && pen_.style != gdi::PenStyle::InsideFrame;
        // Styled pens are one pixel wide; wide pens are drawn solid.
        const int width = styled ? 0 : std::max(0, pen_.width);
        qpen = QPen(penColor, width);
        qpen.setCosmetic(width == 0);
        if (width <= 1) {
            qpen.setCapStyle(Qt::FlatCap);  // the last pixel of a line is not drawn
            qpen.setJoinStyle(Qt::MiterJoin);
        } else {
            qpen.setCapStyle(Qt::RoundCap);
            qpen.setJoinStyle(Qt::RoundJoin);
        }
        switch (pen_.style) {
            case gdi::PenStyle::Dash:
                qpen.setDashPattern(kDash);
                break;
            case gdi::PenStyle::Dot:
                qpen.setDashPattern(kDot);
                break;
            case gdi::PenStyle::DashDot:
                qpen.setDashPattern(kDashDot);
                break;
            case gdi::PenStyle::DashDotDot:
                qpen.setDashPattern(kDashDotDot);
                break;
            default:
                break;
        }
    }
    painter_.setPen(qpen);

    if (!withBrush || brush_.style == gdi::Brush::Style::Hollow) {
        painter_.setBrush(Qt::NoBrush);
    } else {
        const QColor brushColor = black ? QColor(Qt::black) : toQColor(brush_.color);
        painter_.setBrush(brush_.style == gdi::Brush::Style::Solid
                              ? QBrush(brushColor)
                              : QBrush(brushColor, toQtHatch(brush_.hatch)));
    }
}

template <class Base>
void QtPainterDeviceOn<Base>::lineTo(gdi::Point p) {
    applyShapeState(false);
    painter_.drawLine(position_.x, position_.y, p.x, p.y);
    position_ = p;
}

template <class Base>
void QtPainterDeviceOn<Base>::polyline(const gdi::Point* points, std::size_t count) {
    if (count < 2) return;
    applyShapeState(false);
    painter_.drawPolyline(toQPolygon(points, count));
}

template <class Base>
void QtPainterDeviceOn<Base>::polygon(const gdi::Point* points, std::size_t count) {
    if (count < 2) return;
    applyShapeState(true);
    painter_.drawPolygon(toQPolygon(points, count), Qt::OddEvenFill);
}

template <class Base>
void QtPainterDeviceOn<Base>::rectangle(const gdi::Rect& box) {
    if (box.width() <= 0 || box.height() <= 0) return;
    applyShapeState(true);
    if (pen_.style == gdi::PenStyle::Null) {
        // Without a pen the filled box is one pixel smaller on the right
        // and at the bottom.
        if (painter_.brush().style() != Qt::NoBrush) {
            painter_.fillRect(QRect(box.left, box.top, box.width() - 1, box.height() - 1),
                              painter_.brush());
        }
        return;
    }
    painter_.drawRect(frameOf(box));
}

template <class Base>
void QtPainterDeviceOn<Base>::ellipse(const gdi::Rect& box) {
    if (box.width() <= 0 || box.height() <= 0) return;
    applyShapeState(true);
    painter_.drawEllipse(frameOf(box));
}

template <class Base>
void QtPainterDeviceOn<Base>::roundRect(const gdi::Rect& box, std::int32_t cornerWidth,
                                        std::int32_t cornerHeight) {
    if (box.width() <= 0 || box.height() <= 0) return;
    applyShapeState(true);
    painter_.drawRoundedRect(frameOf(box), cornerWidth / 2.0, cornerHeight / 2.0, Qt::AbsoluteSize);
}

template <class Base>
void QtPainterDeviceOn<Base>::fillRect(const gdi::Rect& box, gdi::ColorRef color) {
    if (box.width() <= 0 || box.height() <= 0) return;
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.fillRect(toQRect(box), toQColor(color));
}

template <class Base>
void QtPainterDeviceOn<Base>::textOut(gdi::Point p, std::string_view utf8) {
    if (utf8.empty()) return;
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_.setFont(font_);
    painter_.setPen(toQColor(textColor_));
    const QFontMetrics metrics(font_, painter_.device());
    painter_.save();
    painter_.translate(p.x, p.y);
    const double degrees = escapement_ / 10.0;
    if (degrees != 0.0) painter_.rotate(-degrees);
    if (backgroundMode_ == gdi::BackgroundMode::Opaque) {
        painter_.fillRect(QRect(0, 0, metrics.horizontalAdvance(text), metrics.height()),
                          toQColor(backgroundColor_));
    }
    painter_.setBackgroundMode(Qt::TransparentMode);
    painter_.drawText(0, metrics.ascent(), text);
    painter_.restore();
}

template <class Base>
gdi::Size QtPainterDeviceOn<Base>::textExtent(std::string_view utf8) {
    const QString text = QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
    const QFontMetrics metrics(font_, painter_.device());
    return {metrics.horizontalAdvance(text), metrics.height()};
}

template <class Base>
void QtPainterDeviceOn<Base>::drawBitmap(const gdi::Dib& picture, const gdi::Rect& box,
                                         gdi::BitmapOp op) {
    if (!picture.valid() || box.width() <= 0 || box.height() <= 0) return;
    painter_.setCompositionMode(op == gdi::BitmapOp::And ? QPainter::RasterOp_SourceAndDestination
                                                         : QPainter::CompositionMode_SourceOver);
    painter_.drawImage(toQRect(box), imageFromDib(picture));
    painter_.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

template <class Base>
void QtPainterDeviceOn<Base>::clipTo(const gdi::Rect& box) {
    clip_ = QRegion(toQRect(box));
    clipped_ = true;
    painter_.setClipRegion(clip_);
}

template <class Base>
void QtPainterDeviceOn<Base>::excludeClip(const gdi::Rect& box) {
    if (!clipped_) clip_ = QRegion(0, 0, size_.cx, size_.cy);
    clip_ -= QRegion(toQRect(box));
    clipped_ = true;
    painter_.setClipRegion(clip_);
}

template <class Base>
void QtPainterDeviceOn<Base>::clearClip() {
    clipped_ = false;
    clip_ = QRegion();
    painter_.setClipping(false);
}

template class QtPainterDeviceOn<gdi::Device>;
template class QtPainterDeviceOn<gdi::BitmapDevice>;
template class QtPainterDeviceOn<gdi::FileDevice>;

namespace detail {

ImageAndPainter::ImageAndPainter(gdi::Size size, gdi::ColorRef fill)
    : image(std::max(0, size.cx), std::max(0, size.cy), QImage::Format_RGB32) {
    if (image.isNull()) return;
    image.fill(toQColor(fill));
    // 96 dots per inch, as every raster target of the program.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    painter.begin(&image);
}

}  // namespace detail

QtImageDevice::QtImageDevice(gdi::Size size, gdi::ColorRef fill)
    : ImageAndPainter(size, fill), QtPainterDeviceOn<gdi::BitmapDevice>(painter, size) {}

const QImage& QtImageDevice::finishedImage() {
    if (painter.isActive()) painter.end();
    return image;
}

gdi::Dib QtImageDevice::dib() const { return dibFromImage(image); }

std::unique_ptr<gdi::BitmapDevice> QtDeviceFactory::createBitmap(gdi::Size size,
                                                                 gdi::ColorRef fill) {
    if (size.cx <= 0 || size.cy <= 0) return nullptr;
    auto device = std::make_unique<QtImageDevice>(size, fill);
    if (device->isNull()) return nullptr;
    return device;
}

std::unique_ptr<gdi::FileDevice> QtDeviceFactory::createDocument(std::string_view format,
                                                                 const std::string& path,
                                                                 gdi::Size page) {
    if (format != "svg" && format != "pdf") return nullptr;
    auto device = std::make_unique<QtDocumentDevice>(format, path, page);
    if (!device->isValid()) return nullptr;
    return device;
}

gdi::Dib dibFromImage(const QImage& source) {
    gdi::Dib dib;
    if (source.isNull()) return dib;
    const QImage image =
        source.format() == QImage::Format_RGB32 || source.format() == QImage::Format_ARGB32
            ? source
            : source.convertToFormat(QImage::Format_RGB32);
    dib.width = image.width();
    dib.height = image.height();
    dib.bitsPerPixel = 24;
    dib.bits.assign(dib.imageSize(), 0);
    const std::size_t stride = dib.stride();
    for (int y = 0; y < dib.height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* out = dib.bits.data() + static_cast<std::size_t>(dib.height - 1 - y) * stride;
        for (int x = 0; x < dib.width; ++x) {
            out[3 * x] = static_cast<std::uint8_t>(qBlue(in[x]));
            out[3 * x + 1] = static_cast<std::uint8_t>(qGreen(in[x]));
            out[3 * x + 2] = static_cast<std::uint8_t>(qRed(in[x]));
        }
    }
    return dib;
}

QImage imageFromDib(const gdi::Dib& dib) {
    if (!dib.valid()) return QImage();
    QImage image(dib.width, dib.height, QImage::Format_RGB32);
    const std::size_t stride = dib.stride();
    for (int y = 0; y < dib.height; ++y) {
        const std::uint8_t* row =
            dib.bits.data() + static_cast<std::size_t>(dib.height - 1 - y) * stride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < dib.width; ++x) {
            unsigned r = 0, g = 0, b = 0;
            switch (dib.bitsPerPixel) {
                case 32:
                    b = row[4 * x], g = row[4 * x + 1], r = row[4 * x + 2];
                    break;
                case 24:
                    b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
                    break;
                case 16: {
                    const unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
                    r = ((v >> 10) & 31) * 255 / 31;
                    g = ((v >> 5) & 31) * 255 / 31;
                    b = (v & 31) * 255 / 31;
                    break;
                }
                default: {
                    // 1, 4 or 8 bits: an index into the colour table.
                    const int bits = dib.bitsPerPixel;
                    const std::size_t bit =
                        static_cast<std::size_t>(x) * static_cast<std::size_t>(bits);
                    const unsigned byte = row[bit / 8];
                    const unsigned shift = 8 - bits - (bit % 8);
                    const unsigned index = (byte >> shift) & ((1u << bits) - 1);
                    const gdi::RgbQuad& q = dib.colorTable[index];
                    r = q.red, g = q.green, b = q.blue;
                    break;
                }
            }
            out[x] = qRgb(static_cast<int>(r), static_cast<int>(g), static_cast<int>(b));
        }
    }
    return image;
}

}  // namespace gridova
