// The unattended run's vector pictures (EMF, WMF, SVG, PDF) of the bundled
// wells map, checked against its PNG by programs we did not write: a test
// whose program is missing says so and is skipped. The packages are
// installed by tests/install_peers.sh.
#include <gtest/gtest.h>

#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "exchange/metafile_player.h"
#include "platform/profile.h"
#include "platform/qt/qt_device.h"
#include "tests/app/run_program.h"
#include "tests/common/test_env.h"
#include "tests/exchange/metafile_walker.h"

namespace gridova {
namespace {

namespace fs = std::filesystem;
using testing::runProgram;

// A page that LibreOffice places on its A4 page at its own size.
constexpr int kWidth = 400;
constexpr int kHeight = 300;

bool hasProgram(const std::string& name) {
    return std::system(("command -v " + name + " > /dev/null 2>&1").c_str()) == 0;
}

int run(const std::string& command) {
    return std::system((command + " > command.log 2>&1").c_str());
}

class VectorPictures : public ::testing::Test {
protected:
    void SetUp() override {
        writeProfileInt("PrintSetup", "PageSizeX", kWidth);
        writeProfileInt("PrintSetup", "PageSizeY", kHeight);
        data_ = std::string(GRIDOVA_SOURCE_DIR) + "/examples/wells.dat";
    }
    // The map in the format, written by the program; its path.
    std::string picture(const std::string& extension) {
        const std::string path = (testing::testDir() / ("map." + extension)).string();
        const testing::RunResult r = runProgram("-m color_isolines -g " + path + " " + data_);
        EXPECT_EQ(r.status, 0) << r.output;
        EXPECT_TRUE(fs::exists(path)) << path;
        return path;
    }
    QImage reference() { return QImage(QString::fromStdString(picture("png"))); }

    std::string data_;
};

// The box of the pixels that are not white.
QRect drawnBox(const QImage& image) {
    const QImage im = image.convertToFormat(QImage::Format_RGB32);
    int left = im.width(), top = im.height(), right = -1, bottom = -1;
    for (int y = 0; y < im.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(im.constScanLine(y));
        for (int x = 0; x < im.width(); ++x) {
            if (qRed(row[x]) < 240 || qGreen(row[x]) < 240 || qBlue(row[x]) < 240) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

// The largest difference of a channel's mean over the blocks of a 10 × 8
// grid: colours that match where they are, whatever the antialiasing. The
// dense labels of the map are drawn smoothed by the other programs (and by
// librsvg with a wider font), which moves a block's mean by up to about 30;
// a missing colour band or a wrong colour moves it by 75 or more.
int blockDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32).scaled(x.size());
    constexpr int kCols = 10, kRows = 8;
    int worst = 0;
    for (int bj = 0; bj < kRows; ++bj) {
        for (int bi = 0; bi < kCols; ++bi) {
            long sum[2][3] = {};
            long n = 0;
            for (int py = bj * x.height() / kRows; py < (bj + 1) * x.height() / kRows; ++py) {
                for (int px = bi * x.width() / kCols; px < (bi + 1) * x.width() / kCols; ++px) {
                    const QRgb p = x.pixel(px, py), q = y.pixel(px, py);
                    sum[0][0] += qRed(p), sum[0][1] += qGreen(p), sum[0][2] += qBlue(p);
                    sum[1][0] += qRed(q), sum[1][1] += qGreen(q), sum[1][2] += qBlue(q);
                    ++n;
                }
            }
            for (int c = 0; c < 3 && n > 0; ++c) {
                worst = std::max(worst, static_cast<int>(std::abs(sum[0][c] - sum[1][c]) / n));
            }
        }
    }
    return worst;
}

// Our own reading: the strict walker finds nothing wrong and the player
// draws the picture the raster export drew.
TEST_F(VectorPictures, MetafilesAreSoundAndPlayBackAsTheRasterPicture) {
    const QImage png = reference();
    ASSERT_EQ(png.size(), QSize(kWidth, kHeight));
    for (const char* extension : {"emf", "wmf"}) {
        SCOPED_TRACE(extension);
        const std::string path = picture(extension);
        const test::MetafileWalk walk = test::walkMetafileFile(path);
        EXPECT_TRUE(walk.ok()) << test::describeWalk(walk);
        EXPECT_TRUE(walk.unknownTypes.empty());
        std::optional<MetafilePicture> file = readMetafile(path);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->size, gdi::Size(kWidth, kHeight));
        QtImageDevice played({kWidth, kHeight}, gdi::rgb(255, 255, 255));
        const MetafilePlay play = playMetafile(*file, played, {0, 0, kWidth, kHeight});
        EXPECT_FALSE(play.damaged);
        EXPECT_EQ(play.skipped, 0u);
        EXPECT_LE(blockDifference(png, played.finishedImage()), 4);
    }
}

// LibreOffice puts the picture on its page at the picture's own size: the
// drawn part has the size and the colours of our PNG's drawn part.
TEST_F(VectorPictures, LibreOfficeDrawsOurMetafilesAsThePng) {
    if (!hasProgram("soffice")) GTEST_SKIP() << "soffice (libreoffice-draw-nogui) is not installed";
    const QImage png = reference();
    const QRect ours = drawnBox(png);
    ASSERT_FALSE(ours.isEmpty());
    const std::string profile = "file://" + (testing::testDir() / "lo-profile").string();
    for (const char* extension : {"emf", "wmf"}) {
        SCOPED_TRACE(extension);
        const std::string path = picture(extension);
        const fs::path out = testing::testDir() / extension;
        ASSERT_EQ(run("soffice --headless -env:UserInstallation=" + profile +
                      " --convert-to png --outdir " + out.string() + " " + path),
                  0)
            << testing::readFile("command.log");
        const QImage page(QString::fromStdString((out / "map.png").string()));
        ASSERT_FALSE(page.isNull()) << testing::readFile("command.log");
        const QRect theirs = drawnBox(page);
        EXPECT_NEAR(theirs.width(), ours.width(), 3);
        EXPECT_NEAR(theirs.height(), ours.height(), 3);
        EXPECT_LE(blockDifference(png.copy(ours), page.copy(theirs)), 36);
    }
}

TEST_F(VectorPictures, LibwmfConvertsOurWmf) {
    if (!hasProgram("wmf2svg")) GTEST_SKIP() << "wmf2svg (libwmf-bin) is not installed";
    const std::string path = picture("wmf");
    ASSERT_EQ(run("wmf2svg -o converted.svg " + path), 0) << testing::readFile("command.log");
    const std::string svg = testing::readFile("converted.svg");
    // Its own size, in the picture's proportions.
    const auto number = [&](const std::string& key) {
        const auto at = svg.find(key + "=\"");
        return at == std::string::npos ? 0.0 : std::atof(svg.c_str() + at + key.size() + 2);
    };
    ASSERT_GT(number("height"), 0.0) << svg.substr(0, 400);
    EXPECT_NEAR(number("width") / number("height"), double(kWidth) / kHeight, 0.01);
    EXPECT_NE(svg.find("<polygon"), std::string::npos);
}

TEST_F(VectorPictures, SvgIsValidXmlAndDrawsAsThePng) {
    const QImage png = reference();
    const std::string path = picture("svg");
    const std::string svg = testing::readFile(path);
    // Text stays text.
    EXPECT_NE(svg.find("Уровни подземных вод"), std::string::npos);
    if (hasProgram("xmllint")) {
        EXPECT_EQ(run("xmllint --noout " + path), 0) << testing::readFile("command.log");
    }
    if (!hasProgram("rsvg-convert")) GTEST_SKIP() << "rsvg-convert (librsvg2-bin) is not installed";
    ASSERT_EQ(run("rsvg-convert -b white -o svg.png " + path), 0)
        << testing::readFile("command.log");
    const QImage drawn("svg.png");
    ASSERT_FALSE(drawn.isNull());
    EXPECT_NEAR(drawn.width(), kWidth, 1);
    EXPECT_NEAR(drawn.height(), kHeight, 1);
    EXPECT_LE(blockDifference(png, drawn), 40);
}

TEST_F(VectorPictures, PdfIsOnePageThatDrawsAsThePng) {
    if (!hasProgram("pdftoppm") || !hasProgram("pdfinfo")) {
        GTEST_SKIP() << "pdftoppm and pdfinfo (poppler-utils) are not installed";
    }
    const QImage png = reference();
    const std::string path = picture("pdf");
    ASSERT_EQ(run("pdfinfo " + path), 0);
    const std::string info = testing::readFile("command.log");
    EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
    // 400 × 300 pixels at 96 dots per inch are 300 × 225 points.
    EXPECT_NE(info.find("Page size:       300 x 225 pts"), std::string::npos) << info;
    ASSERT_EQ(run("pdftoppm -r 96 -singlefile -png " + path + " pdf"), 0);
    const QImage drawn("pdf.png");
    ASSERT_EQ(drawn.size(), QSize(kWidth, kHeight));
    EXPECT_LE(blockDifference(png, drawn), 28);
    // Text stays text.
    if (hasProgram("pdftotext")) {
        ASSERT_EQ(run("pdftotext " + path + " -"), 0);
        EXPECT_NE(testing::readFile("command.log").find("Уровни подземных вод"), std::string::npos);
    }
}

}  // namespace
}  // namespace gridova
