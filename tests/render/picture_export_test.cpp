// A scene drawn through the canvas into the memory picture, written in every
// raster format and read back with Qt's image readers (not our code).
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "exchange/picture_writer.h"
#include "platform/qt/qt_device.h"
#include "render/drawing_canvas.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

constexpr gdi::Size kPage{801, 600};  // an odd width on purpose

// Lines of every pen style, hatched polygons, ellipses and turned Cyrillic
// text, in world units 0..100 × 0..75.
void drawScene(DrawingCanvas& canvas) {
    canvas.setWorldWindow(0, 0, 100, 75);
    const gdi::PenStyle styles[] = {gdi::PenStyle::Solid, gdi::PenStyle::Dash, gdi::PenStyle::Dot,
                                    gdi::PenStyle::DashDot, gdi::PenStyle::DashDotDot};
    for (int k = 0; k < 5; ++k) {
        canvas.setPen(styles[k], StandardPalette::color(16 + 10 * k));
        canvas.lineWorld(5, 70 - 4 * k, 45, 70 - 4 * k);
    }
    canvas.setPenWidth(3);
    canvas.setColorPen(gdi::rgb(0, 0, 128));
    canvas.lineWorld(5, 45, 45, 50);
    canvas.setPenWidth(0);
    const gdi::Hatch hatches[] = {gdi::Hatch::Horizontal, gdi::Hatch::Cross,
                                  gdi::Hatch::DiagonalCross};
    for (int k = 0; k < 3; ++k) {
        canvas.setColorPen(gdi::rgb(0, 0, 0));
        canvas.setHatchBrush(hatches[k], StandardPalette::color(70 + 40 * k));
        const double x0 = 55 + 14 * k;
        const double xs[] = {x0, x0 + 12, x0 + 6};
        const double ys[] = {45, 45, 70};
        const auto points = canvas.toDevicePoints(xs, ys, 3);
        canvas.polygon(points.data(), points.size());
        canvas.deleteBrush();
    }
    canvas.setColorBrush(gdi::rgb(255, 255, 0));
    canvas.circle(canvas.toDeviceX(20), canvas.toDeviceY(25), 40, false);
    canvas.deleteBrush();
    canvas.circle(canvas.toDeviceX(20), canvas.toDeviceY(25), 60, true);
    canvas.setTextColor(gdi::rgb(128, 0, 0));
    canvas.selectGeneralFont(2);
    canvas.drawText(canvas.toDeviceX(45), canvas.toDeviceY(30), "Изолинии напора");
    canvas.selectRotatedFont(300);
    canvas.drawText(canvas.toDeviceX(50), canvas.toDeviceY(10), "Скважина №7");
    canvas.restoreGeneralFont();
}

int differingPixels(const QImage& a, const QImage& b, int tolerance) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::abs(qRed(p) - qRed(q)) > tolerance ||
                std::abs(qGreen(p) - qGreen(q)) > tolerance ||
                std::abs(qBlue(p) - qBlue(q)) > tolerance) {
                ++count;
            }
        }
    }
    return count;
}

TEST(PictureExport, SceneWrittenInEveryFormatReadsBackAsDrawn) {
    QtDeviceFactory factory;
    gdi::setDeviceFactory(&factory);
    DrawingCanvas canvas;
    canvas.setPageSize(kPage);
    ASSERT_TRUE(canvas.createMemMetaCDC());
    drawScene(canvas);
    const gdi::Point circleCentre = canvas.toDevice(20, 25);
    const auto dib = canvas.closeMemMetaCDC();
    gdi::setDeviceFactory(nullptr);
    ASSERT_TRUE(dib.has_value());
    ASSERT_EQ(dib->width, kPage.cx);
    ASSERT_EQ(dib->height, kPage.cy);
    const QImage drawn = imageFromDib(*dib);
    // Something was drawn in each part of the scene.
    EXPECT_EQ(drawn.pixel(circleCentre.x, circleCentre.y), qRgb(255, 255, 0));

    struct Case {
        const char* name;
        int tolerance;        // per channel
        double maxDiffering;  // share of pixels beyond the tolerance
    };
    const Case cases[] = {
        {"scene.bmp", 0, 0.0},
        {"scene.png", 0, 0.0},
        {"scene.gif", 0, 0.0},
        // JPEG blurs hard edges (thin lines, hatches, text): most pixels stay
        // within a few levels.
        {"scene.jpg", 32, 0.03},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = (testing::testDir() / c.name).string();
        ASSERT_TRUE(writePictureByName(*dib, path, 90));
        QImage back(QString::fromStdString(path));
        ASSERT_FALSE(back.isNull());
        ASSERT_EQ(back.width(), kPage.cx);
        ASSERT_EQ(back.height(), kPage.cy);
        back = back.convertToFormat(QImage::Format_RGB32);
        const int differing = differingPixels(back, drawn, c.tolerance);
        EXPECT_LE(differing, static_cast<int>(c.maxDiffering * kPage.cx * kPage.cy));
    }
}

}  // namespace
}  // namespace gridova
