// Printing the map through the main window's commands, into PDF files read
// back with poppler (pdfinfo counts the pages, pdftoppm renders them): the
// pages of the tiles and of the chosen range, the tiles that join into the
// map, the same drawing on paper at any printer resolution, the warning of a
// print that cannot be made, and the preview.
#include <gtest/gtest.h>

#include <QImage>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/map_print.h"
#include "app/menu_table.h"
#include "platform/qt/qt_device.h"
#include "render/map_widget.h"
#include "tests/app/main_window_fixtures.h"

namespace gridova {
namespace {

using namespace apptest;
namespace fs = std::filesystem;

constexpr int kCannotPrint = 9452;  // "Карта не напечатана: %s"

bool havePoppler() {
    return !QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty() &&
           !QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty();
}

// Runs a program to its end; its standard output, or nothing when it failed.
std::optional<std::string> run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        return std::nullopt;
    }
    return process.readAllStandardOutput().toStdString();
}

// The number of pages pdfinfo finds; -1 when it cannot read the file.
int pdfPages(const std::string& path) {
    const auto info = run(QStringLiteral("pdfinfo"), {QString::fromStdString(path)});
    if (!info) return -1;
    const std::size_t at = info->find("Pages:");
    if (at == std::string::npos) return -1;
    return std::atoi(info->c_str() + at + 6);
}

// One page of a PDF rendered by pdftoppm at `dpi`, without antialiasing
// so that colours stay the colours drawn.
QImage renderPage(const std::string& pdf, int page, int dpi) {
    const std::string stem = pdf + ".page" + std::to_string(page) + "_" + std::to_string(dpi);
    const QString number = QString::number(page);
    if (!run(QStringLiteral("pdftoppm"),
             {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), number,
              QStringLiteral("-l"), number, QStringLiteral("-singlefile"), QStringLiteral("-png"),
              QStringLiteral("-aa"), QStringLiteral("no"), QStringLiteral("-aaVector"),
              QStringLiteral("no"), QString::fromStdString(pdf), QString::fromStdString(stem)})) {
        return {};
    }
    return QImage(QString::fromStdString(stem + ".png")).convertToFormat(QImage::Format_RGB32);
}

// The colour most pixels of the 7 × 7 square around (x, y) have: a line
// crossing the probe does not change it.
QRgb colourAround(const QImage& image, int x, int y) {
    std::map<QRgb, int> counts;
    for (int dy = -3; dy <= 3; ++dy) {
        for (int dx = -3; dx <= 3; ++dx) {
            const int px = x + dx, py = y + dy;
            if (px >= 0 && py >= 0 && px < image.width() && py < image.height()) {
                ++counts[image.pixel(px, py) & 0xffffff];
            }
        }
    }
    QRgb best = 0;
    int most = 0;
    for (const auto& [colour, n] : counts) {
        if (n > most) {
            best = colour;
            most = n;
        }
    }
    return best;
}

bool near(QRgb a, QRgb b, int tolerance) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance &&
           std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

// The pixels of `a` that no pixel of `b` at most one pixel away matches:
// what one drawing has that the other lacks, a line drawn one pixel aside
// not counted.
long unmatched(const QImage& a, const QImage& b) {
    long count = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            bool found = false;
            for (int dy = -1; dy <= 1 && !found; ++dy) {
                for (int dx = -1; dx <= 1 && !found; ++dx) {
                    const int bx = x + dx, by = y + dy;
                    found = bx >= 0 && by >= 0 && bx < b.width() && by < b.height() &&
                            near(a.pixel(x, y), b.pixel(bx, by), 16);
                }
            }
            if (!found) ++count;
        }
    }
    return count;
}

std::string hex(QRgb c) { return QString::number(c & 0xffffff, 16).toStdString(); }

// Margins by hand: 10 % left, 6 % right, 8 % top, 12 % bottom of the paper.
PrintSetup testSetup() {
    PrintSetup setup;
    setup.marginLeftCoeff = 0.10;
    setup.marginRightCoeff = 0.06;
    setup.marginTopCoeff = 0.08;
    setup.marginBottomCoeff = 0.12;
    return setup;
}

class PrintTest : public MainWindowTest {
protected:
    void SetUp() override {
        if (!havePoppler())
            GTEST_SKIP() << "pdfinfo and pdftoppm (poppler-utils) are not installed";
        MainWindowTest::SetUp();
    }

    // A map of the plane with the print settings of the test, its page
    // A4 portrait, printing to `pdf`.
    MapWindow* openPrintableMap(int mapType, const std::string& pdf) {
        MapWindow* w = openFreshMap(mapType);
        if (w == nullptr) return nullptr;
        w->view().printSetup = testSetup();
        // The tiles of counts keep the map's proportions only when asked.
        w->view().aspectRatio = 0;
        QPrinter& printer = window_->printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(QPageLayout::Portrait);
        printer.setResolution(150);
        return w;
    }

    // "Печать.." from the menu; the print dialog is accepted after `answer`
    // had it. Gives the pages the dialog offered (its maximum page).
    int printThroughTheMenu(const std::function<void(QPrintDialog&)>& answer = nullptr) {
        int offered = -1;
        answerDialogs([&](QDialog& dialog) {
            auto* print = dynamic_cast<QPrintDialog*>(&dialog);
            EXPECT_NE(print, nullptr);
            if (print == nullptr) return static_cast<int>(QDialog::Rejected);
            EXPECT_EQ(print->printer(), &window_->printer());
            EXPECT_EQ(print->minPage(), 1);
            offered = print->maxPage();
            if (answer) answer(*print);
            return static_cast<int>(QDialog::Accepted);
        });
        window_->refreshActions();
        QAction* action = window_->actionFor(FrameCommand::Print);
        EXPECT_TRUE(action != nullptr && action->isEnabled());
        if (action != nullptr) action->trigger();
        settle();
        return offered;
    }
};

// The pages a print makes: the whole map on one page, the tiles of counts,
// the counts below 1 taken as 1, the range chosen in the dialog limited to
// the pages there are, and a print to scale that cannot be made.
TEST_F(PrintTest, ThePagesOfAPrint) {
    struct Case {
        const char* name;
        int countsActive, across, down;
        int scale;
        double unitsPerInchX;
        int from, to;  // the dialog's range; 0: every page
        int offered;   // the pages the dialog offers
        int pages;     // in the PDF; 0: no file and a warning
    };
    const Case cases[] = {
        {"one page without tiles", 0, 1, 1, 0, 1.0, 0, 0, 1, 1},
        {"3 x 2 tiles by counts", 1, 3, 2, 0, 1.0, 0, 0, 6, 6},
        {"counts of 0 are one tile", 1, 0, 0, 0, 1.0, 0, 0, 1, 1},
        {"pages 2..3 of 6", 1, 3, 2, 0, 1.0, 2, 3, 6, 2},
        {"pages 5..9 of 6 print 5 and 6", 1, 3, 2, 0, 1.0, 5, 9, 6, 2},
        {"to scale at 0 units per inch", 0, 1, 1, 1, 0.0, 0, 0, 1, 0},
    };
    int number = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string pdf = inTestDir("pages" + std::to_string(number++) + ".pdf");
        MapWindow* w = openPrintableMap(1, pdf);
        ASSERT_NE(w, nullptr);
        w->view().multiPage.active = c.countsActive;
        w->view().multiPage.horizontalCount = c.across;
        w->view().multiPage.verticalCount = c.down;
        w->view().printSetup.scale = c.scale;
        w->view().printSetup.unitsPerInchX = c.unitsPerInchX;
        w->view().printSetup.unitsPerInchY = c.unitsPerInchX;
        const std::size_t warnings = boxes_.warnings.size();
        const int offered = printThroughTheMenu([&](QPrintDialog& dialog) {
            if (c.from == 0) return;
            dialog.printer()->setPrintRange(QPrinter::PageRange);
            dialog.printer()->setFromTo(c.from, c.to);
        });
        EXPECT_EQ(offered, c.offered);
        if (c.pages == 0) {
            EXPECT_FALSE(fs::exists(pdf));
            ASSERT_EQ(boxes_.warnings.size(), warnings + 1);
            EXPECT_TRUE(startsWith(boxes_.warnings.back(),
                                   formatText(text(kCannotPrint), {std::string()})));
        } else {
            EXPECT_EQ(pdfPages(pdf), c.pages);
            EXPECT_EQ(boxes_.warnings.size(), warnings);
        }
    }
}

// The six pages of 3 × 2 tiles each show their own part of the map: the
// colour at the centre of each page's printable area is the colour the map
// has at the centre of its tile in a picture of the whole map, and the six
// are six different colour bands. After printing, the window shows what it
// showed before.
TEST_F(PrintTest, TheTilesShowTheirPartsOfTheMap) {
    const std::string pdf = inTestDir("tiles.pdf");
    MapWindow* w = openPrintableMap(static_cast<int>(MapType::ColorIsolines), pdf);
    ASSERT_NE(w, nullptr);
    CVexaView& view = w->view();
    ASSERT_NE(view.model().grid(), nullptr);
    // The colour bar of the picture would take room from the map at the side.
    if (view.model().grid()->colorScale.visible != 0) w->runCommand(MapCommand::ToggleColorBar);
    view.multiPage.active = 1;
    view.multiPage.horizontalCount = 3;
    view.multiPage.verticalCount = 2;
    // The map's page larger than the paper: the printable area is the
    // drawing area of each page, which its tile fills.
    view.canvas().setPageSize({3000, 3000});
    view.invalidateMap();
    settle();
    const QImage shownBefore = w->mapWidget().grab().toImage();

    // The whole map as a picture, and where its world lies in it.
    const std::optional<MapOverview> whole = view.drawOverview({900, 800});
    ASSERT_TRUE(whole.has_value());
    const QImage map = imageFromDib(whole->picture).convertToFormat(QImage::Format_RGB32);
    const auto mapColourAt = [&](double x, double y) {
        const WorldRect& world = whole->world;
        const gdi::Rect& box = whole->device;
        const double px =
            box.left + (x - world.xmin) / (world.xmax - world.xmin) * (box.right - box.left);
        const double py =
            box.bottom - (y - world.ymin) / (world.ymax - world.ymin) * (box.bottom - box.top);
        return colourAround(map, static_cast<int>(px), static_cast<int>(py));
    };

    const MapPrintLayout layout = mapPrintLayout(view.printSetup, window_->printer());
    const PrintTiles tiles = view.preparePrinting(layout.page, ScreenMetrics{});
    ASSERT_EQ(tiles.tiles.size(), 6U);
    printThroughTheMenu();
    ASSERT_EQ(pdfPages(pdf), 6);

    const PrintSetup setup = testSetup();
    std::vector<QRgb> seen;
    for (int page = 1; page <= 6; ++page) {
        SCOPED_TRACE(page);
        const QImage printed = renderPage(pdf, page, 60);
        ASSERT_FALSE(printed.isNull());
        // The centre of the printable area, from the margins.
        const double cx =
            printed.width() *
            (setup.marginLeftCoeff + (1 - setup.marginLeftCoeff - setup.marginRightCoeff) / 2);
        const double cy =
            printed.height() *
            (setup.marginTopCoeff + (1 - setup.marginTopCoeff - setup.marginBottomCoeff) / 2);
        const QRgb probe = colourAround(printed, static_cast<int>(cx), static_cast<int>(cy));
        const WorldRect& tile = tiles.tiles[static_cast<std::size_t>(page - 1)];
        const QRgb expected = mapColourAt((tile.xmin + tile.xmax) / 2, (tile.ymin + tile.ymax) / 2);
        EXPECT_NE(probe & 0xffffff, 0xffffffU) << "a blank centre";
        EXPECT_TRUE(near(probe, expected, 6)) << hex(probe) << " vs " << hex(expected);
        for (const QRgb other : seen) EXPECT_FALSE(near(probe, other, 6)) << hex(probe);
        seen.push_back(probe);
    }
    settle();
    EXPECT_EQ(w->mapWidget().grab().toImage(), shownBefore);
    EXPECT_FALSE(view.printing());
}

// One screen pixel is printerPpi / 96 printer pixels: a page printed at 600
// dots per inch has four times the printer pixels of one at 150 and the
// same page in screen pixels (A4 less the margins, worked out by hand from
// its 595 × 842 points), and on paper the two are the same picture.
TEST_F(PrintTest, AnyResolutionPrintsTheSameDrawingOnPaper) {
    const std::string at150 = inTestDir("at150.pdf"), at600 = inTestDir("at600.pdf");
    MapWindow* w = openPrintableMap(static_cast<int>(MapType::ColorIsolines), at150);
    ASSERT_NE(w, nullptr);
    QPrinter& printer = window_->printer();

    const MapPrintLayout low = mapPrintLayout(w->view().printSetup, printer);
    EXPECT_DOUBLE_EQ(low.printerPpi, 150);
    // 595 pt × 150 / 72 = 1239.6 → 1240; 842 pt → 1754.2 → 1754.
    EXPECT_EQ(low.paper.cx, 1240);
    EXPECT_EQ(low.paper.cy, 1754);
    // Origin: 1240 × 0.10 = 124, 1754 × 0.08 = 140.3.
    EXPECT_EQ(low.origin.x, 124);
    EXPECT_EQ(low.origin.y, 140);
    // 1240 × 0.84 = 1041.6 printer pixels → 1041 × 96 / 150 = 666.2 screen
    // pixels; 1754 × 0.80 = 1403.2 → 1403 × 0.64 = 897.9.
    EXPECT_EQ(low.printable.cx, 1041);
    EXPECT_EQ(low.printable.cy, 1403);
    EXPECT_EQ(low.page.cx, 666);
    EXPECT_EQ(low.page.cy, 897);
    printThroughTheMenu();

    printer.setResolution(600);
    printer.setOutputFileName(QString::fromStdString(at600));
    const MapPrintLayout high = mapPrintLayout(w->view().printSetup, printer);
    EXPECT_DOUBLE_EQ(high.scale, 4 * low.scale);
    EXPECT_NEAR(high.paper.cx, 4 * low.paper.cx, 4);
    EXPECT_NEAR(high.paper.cy, 4 * low.paper.cy, 4);
    EXPECT_NEAR(high.origin.x, 4 * low.origin.x, 4);
    EXPECT_NEAR(high.origin.y, 4 * low.origin.y, 4);
    // Each side cut to whole pixels twice: at most one screen pixel apart.
    EXPECT_NEAR(high.page.cx, low.page.cx, 1);
    EXPECT_NEAR(high.page.cy, low.page.cy, 1);
    printThroughTheMenu();
    ASSERT_EQ(pdfPages(at150), 1);
    ASSERT_EQ(pdfPages(at600), 1);

    const QImage a = renderPage(at150, 1, 100), b = renderPage(at600, 1, 100);
    ASSERT_FALSE(a.isNull());
    ASSERT_EQ(a.size(), b.size());
    // The drawing covers a good part of the page, and each picture has
    // hardly a pixel the other lacks: lines as wide, texts as large.
    long inked = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) inked += (a.pixel(x, y) & 0xffffff) != 0xffffff;
    }
    const long all = static_cast<long>(a.width()) * a.height();
    EXPECT_GT(inked, all / 4);
    const long onlyLow = unmatched(a, b), onlyHigh = unmatched(b, a);
    EXPECT_LT(onlyLow, all / 2000) << onlyLow << " of " << all;
    EXPECT_LT(onlyHigh, all / 2000) << onlyHigh << " of " << all;
}

// "Предварительный просмотр" opens the preview on the main window's
// printer; it shows the pages of the print and writes no file.
TEST_F(PrintTest, ThePreviewShowsThePages) {
    const std::string pdf = inTestDir("preview.pdf");
    MapWindow* w = openPrintableMap(static_cast<int>(MapType::ColorIsolines), pdf);
    ASSERT_NE(w, nullptr);
    w->view().multiPage.active = 1;
    w->view().multiPage.horizontalCount = 3;
    w->view().multiPage.verticalCount = 2;
    int previewed = -1;
    bool saved = false;
    answerDialogs([&](QDialog& dialog) {
        auto* preview = dynamic_cast<QPrintPreviewDialog*>(&dialog);
        EXPECT_NE(preview, nullptr);
        if (preview == nullptr) return static_cast<int>(QDialog::Rejected);
        EXPECT_EQ(preview->printer(), &window_->printer());
        EXPECT_EQ(preview->windowTitle().toStdString(), text(9450));
        auto* pages = preview->findChild<QPrintPreviewWidget*>();
        EXPECT_NE(pages, nullptr);
        if (pages == nullptr) return static_cast<int>(QDialog::Rejected);
        preview->resize(900, 700);
        preview->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(preview));
        settle();
        previewed = pages->pageCount();
        pages->setViewMode(QPrintPreviewWidget::AllPagesView);
        settle();
        saved = preview->grab().save(
            QString::fromStdString((std::getenv("GRIDOVA_SCREENSHOT_DIR") != nullptr &&
                                            *std::getenv("GRIDOVA_SCREENSHOT_DIR") != '\0'
                                        ? std::string(std::getenv("GRIDOVA_SCREENSHOT_DIR"))
                                        : testDir().string()) +
                                   "/print_preview.png"));
        preview->close();
        return static_cast<int>(QDialog::Rejected);
    });
    window_->refreshActions();
    QAction* action = window_->actionFor(FrameCommand::PrintPreview);
    ASSERT_NE(action, nullptr);
    ASSERT_TRUE(action->isEnabled());
    action->trigger();
    settle();
    EXPECT_EQ(previewed, 6);
    EXPECT_TRUE(saved);
    EXPECT_FALSE(fs::exists(pdf));
    EXPECT_TRUE(boxes_.warnings.empty());
}

// The three printing items stand in the File menu of a map, after "Печать..",
// need a map, and their dialogs work on the one printer the main window
// keeps: the page set up is the page printed.
TEST_F(PrintTest, ThePrintCommandsShareOnePrinterAndNeedAMap) {
    for (const FrameCommand command :
         {FrameCommand::PrintSetup, FrameCommand::Print, FrameCommand::PrintPreview}) {
        SCOPED_TRACE(static_cast<int>(command));
        ASSERT_NE(window_->actionFor(command), nullptr);
        EXPECT_FALSE(window_->frameCommandEnabled(command));
    }
    const QList<QAction*> file = window_->popupMenu(MenuPopup::File, true)->actions();
    const qsizetype print = file.indexOf(window_->actionFor(FrameCommand::Print));
    ASSERT_GE(print, 0);
    EXPECT_EQ(file.value(print + 1), window_->actionFor(FrameCommand::PrintPreview));
    EXPECT_FALSE(window_->actionFor(FrameCommand::PrintPreview)->statusTip().isEmpty());

    const std::string pdf = inTestDir("setup.pdf");
    MapWindow* w = openPrintableMap(1, pdf);
    ASSERT_NE(w, nullptr);
    bool setUp = false;
    answerDialogs([&](QDialog& dialog) {
        auto* setup = dynamic_cast<QPageSetupDialog*>(&dialog);
        EXPECT_NE(setup, nullptr);
        if (setup == nullptr) return static_cast<int>(QDialog::Rejected);
        EXPECT_EQ(setup->printer(), &window_->printer());
        // The user turns the paper.
        setup->printer()->setPageOrientation(QPageLayout::Landscape);
        setUp = true;
        return static_cast<int>(QDialog::Accepted);
    });
    window_->refreshActions();
    for (const FrameCommand command :
         {FrameCommand::PrintSetup, FrameCommand::Print, FrameCommand::PrintPreview}) {
        EXPECT_TRUE(window_->actionFor(command)->isEnabled());
    }
    window_->actionFor(FrameCommand::PrintSetup)->trigger();
    ASSERT_TRUE(setUp);
    printThroughTheMenu();
    ASSERT_EQ(pdfPages(pdf), 1);
    const QImage page = renderPage(pdf, 1, 20);
    EXPECT_GT(page.width(), page.height());
}

}  // namespace
}  // namespace gridova
