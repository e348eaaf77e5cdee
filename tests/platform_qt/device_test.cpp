// The Qt drawing device keeps the device semantics pixel for pixel.
#include "platform/qt/qt_device.h"

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <set>

namespace gridova {
namespace {

constexpr gdi::ColorRef kWhite = gdi::rgb(255, 255, 255);
constexpr gdi::ColorRef kBlack = gdi::rgb(0, 0, 0);
constexpr gdi::ColorRef kRed = gdi::rgb(255, 0, 0);

bool isColor(const QImage& image, int x, int y, gdi::ColorRef c) {
    const QRgb p = image.pixel(x, y);
    return static_cast<unsigned>(qRed(p)) == gdi::redOf(c) &&
           static_cast<unsigned>(qGreen(p)) == gdi::greenOf(c) &&
           static_cast<unsigned>(qBlue(p)) == gdi::blueOf(c);
}

// The bounding box of the pixels that are not white.
QRect inkBox(const QImage& image) {
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

TEST(Fonts, ArialResolvesToAFontWithLatinAndCyrillicGlyphs) {
    ASSERT_FALSE(QFontDatabase::families().isEmpty()) << "no fonts installed";
    const QFont font = toQFont(gdi::LogFont::pointFont("Arial", 120));
    const QFontInfo info(font);
    // Liberation Sans has Arial's metrics; DejaVu Sans is the fallback.
    EXPECT_TRUE(info.family() == "Liberation Sans" || info.family() == "DejaVu Sans")
        << info.family().toStdString();
    const QFontMetrics metrics(font);
    for (char32_t c : {U'A', U'z', U'Ж', U'я', U'№'}) {
        EXPECT_TRUE(metrics.inFontUcs4(c)) << static_cast<unsigned>(c);
    }
}

TEST(QtDevice, BoxesExcludeTheirRightAndBottomEdges) {
    QtImageDevice d({40, 40}, kWhite);
    d.setPen({gdi::PenStyle::Solid, 0, kBlack});
    d.setBrush(gdi::Brush::solid(kRed));
    d.rectangle({10, 10, 20, 20});
    d.fillRect({25, 25, 30, 30}, kBlack);
    const QImage& image = d.finishedImage();
    EXPECT_TRUE(isColor(image, 10, 10, kBlack));
    EXPECT_TRUE(isColor(image, 19, 19, kBlack));  // the frame's last pixel
    EXPECT_TRUE(isColor(image, 20, 15, kWhite));
    EXPECT_TRUE(isColor(image, 15, 20, kWhite));
    EXPECT_TRUE(isColor(image, 15, 15, kRed));
    EXPECT_TRUE(isColor(image, 25, 25, kBlack));
    EXPECT_TRUE(isColor(image, 29, 29, kBlack));
    EXPECT_TRUE(isColor(image, 30, 29, kWhite));
    EXPECT_TRUE(isColor(image, 29, 30, kWhite));
}

TEST(QtDevice, WithoutAPenTheFilledBoxIsOnePixelSmaller) {
    QtImageDevice d({40, 40}, kWhite);
    d.setPen({gdi::PenStyle::Null, 0, kBlack});
    d.setBrush(gdi::Brush::solid(kRed));
    d.rectangle({10, 10, 20, 20});
    const QImage& image = d.finishedImage();
    EXPECT_TRUE(isColor(image, 10, 10, kRed));
    EXPECT_TRUE(isColor(image, 18, 18, kRed));
    EXPECT_TRUE(isColor(image, 19, 18, kWhite));
}

TEST(QtDevice, LinesLeaveOutTheirEndPoint) {
    QtImageDevice d({20, 20}, kWhite);
    d.setPen({gdi::PenStyle::Solid, 0, kBlack});
    d.moveTo({2, 5});
    d.lineTo({12, 5});
    const QImage& image = d.finishedImage();
    EXPECT_TRUE(isColor(image, 2, 5, kBlack));
    EXPECT_TRUE(isColor(image, 11, 5, kBlack));
    EXPECT_TRUE(isColor(image, 12, 5, kWhite));
}

TEST(QtDevice, PolygonsFillByTheAlternateRule) {
    // A five-pointed star: the alternate rule leaves the pentagon in its
    // middle unfilled, the winding rule would fill it.
    QtImageDevice d({40, 40}, kWhite);
    d.setPen({gdi::PenStyle::Null, 0, kBlack});
    d.setBrush(gdi::Brush::solid(kBlack));
    const gdi::Point star[] = {{20, 2}, {31, 36}, {2, 14}, {38, 14}, {9, 36}};
    d.polygon(star, 5);
    const QImage& image = d.finishedImage();
    EXPECT_TRUE(isColor(image, 20, 20, kWhite));  // the pentagon in the middle
    EXPECT_TRUE(isColor(image, 20, 8, kBlack));   // a point of the star
}

TEST(QtDevice, InvertingTwiceRestoresThePicture) {
    QtImageDevice d({30, 30}, kWhite);
    d.fillRect({0, 0, 15, 30}, kRed);
    const QImage before = d.finishedImage().copy();
    QtImageDevice e({30, 30}, kWhite);
    e.fillRect({0, 0, 15, 30}, kRed);
    e.setRasterOp(gdi::RasterOp::Not);
    e.setPen({gdi::PenStyle::Dash, 1, kBlack});
    e.setBrush(gdi::Brush::hollow());
    e.rectangle({5, 5, 25, 25});
    e.rectangle({5, 5, 25, 25});
    EXPECT_EQ(e.finishedImage(), before);
}

TEST(QtDevice, TextIsPlacedByItsCellAndTurnedByTheEscapement) {
    QtImageDevice d({200, 200}, kWhite);
    gdi::LogFont font = gdi::LogFont::pointFont("Arial", 120);
    d.setFont(font);
    d.setTextColor(kBlack);
    d.setBackgroundMode(gdi::BackgroundMode::Transparent);
    const gdi::Size extent = d.textExtent("Жук");
    d.textOut({50, 60}, "Жук");
    QRect ink = inkBox(d.finishedImage());
    EXPECT_GE(ink.left(), 50);
    EXPECT_GE(ink.top(), 60);
    EXPECT_LE(ink.right(), 50 + extent.cx);
    EXPECT_LE(ink.bottom(), 60 + extent.cy);
    EXPECT_GT(ink.width(), ink.height());

    // Turned by 90 degrees counter-clockwise: the text runs upward from the
    // anchor.
    QtImageDevice r({200, 200}, kWhite);
    font.escapement = 900;
    r.setFont(font);
    r.setTextColor(kBlack);
    r.setBackgroundMode(gdi::BackgroundMode::Transparent);
    r.textOut({100, 150}, "Жук");
    ink = inkBox(r.finishedImage());
    EXPECT_GT(ink.height(), ink.width());
    EXPECT_LE(ink.bottom(), 150);
    EXPECT_GE(ink.left(), 100);
}

TEST(QtDevice, OpaqueTextFillsItsCell) {
    QtImageDevice d({100, 40}, kWhite);
    d.setFont(gdi::LogFont::pointFont("Arial", 100));
    d.setBackgroundMode(gdi::BackgroundMode::Opaque);
    d.setBackgroundColor(kRed);
    d.setTextColor(kBlack);
    d.textOut({5, 5}, "ab");
    const gdi::Size extent = d.textExtent("ab");
    const QImage& image = d.finishedImage();
    EXPECT_TRUE(isColor(image, 5, 5, kRed));
    EXPECT_TRUE(isColor(image, 5 + extent.cx - 1, 5 + extent.cy - 1, kRed));
    EXPECT_TRUE(isColor(image, 5 + extent.cx, 5, kWhite));
}

TEST(QtDevice, NoAntialiasingKeepsTheColoursDrawn) {
    QtImageDevice d({120, 120}, kWhite);
    d.setPen({gdi::PenStyle::Solid, 3, kBlack});
    d.setBrush(gdi::Brush::hatched(gdi::Hatch::DiagonalCross, kRed));
    d.ellipse({5, 5, 100, 70});
    d.setFont(gdi::LogFont::pointFont("Arial", 140));
    d.setTextColor(kBlack);
    d.textOut({10, 80}, "Изолинии");
    const QImage& image = d.finishedImage();
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y));
    }
    EXPECT_EQ(colours, (std::set<QRgb>{qRgb(255, 255, 255), qRgb(0, 0, 0), qRgb(255, 0, 0)}));
}

TEST(QtDevice, DibHandOffKeepsOddWidthsAndRowOrder) {
    QtImageDevice d({5, 3}, kWhite);
    d.fillRect({0, 0, 1, 1}, kRed);  // top-left
    const gdi::Dib dib = d.dib();
    ASSERT_TRUE(dib.valid());
    EXPECT_EQ(dib.stride(), 16u);  // 15 bytes padded to 16
    // Bottom-up: the top row is the last stored row; pixels are B, G, R.
    EXPECT_EQ(dib.bits[2 * 16 + 0], 0);
    EXPECT_EQ(dib.bits[2 * 16 + 2], 255);
    EXPECT_EQ(dib.bits[0 * 16 + 2], 255);
    EXPECT_EQ(dib.bits[0 * 16 + 1], 255);
    const QImage back = imageFromDib(dib);
    EXPECT_EQ(back.convertToFormat(QImage::Format_RGB32),
              d.finishedImage().convertToFormat(QImage::Format_RGB32));
}

}  // namespace
}  // namespace gridova
