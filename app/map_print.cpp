#include "app/map_print.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <string>

#include "platform/app_context.h"
#include "platform/messages.h"
#include "platform/qt/qt_device.h"
#include "render/map_view.h"

namespace gridova {
namespace {

constexpr int kCannotPrint = 9452;        // "Карта не напечатана: %s"
constexpr int kPrinterNotStarted = 9453;  // "Не удалось начать печать: %s"

// What the printer writes to, for a message: its file or its name.
std::string printerTarget(const QPrinter& printer) {
    const QString file = printer.outputFileName();
    return (file.isEmpty() ? printer.printerName() : file).toStdString();
}

}  // namespace

MapPrintLayout mapPrintLayout(const PrintSetup& setup, const QPrinter& printer) {
    MapPrintLayout layout;
    const int resolution = std::max(1, printer.resolution());
    layout.printerPpi = resolution;
    // The whole paper (not paintRect): the margins of the print settings are
    // fractions of the paper, and printMap paints the full page.
    const QRect paper = printer.pageLayout().fullRectPixels(resolution);
    layout.paper = {paper.width(), paper.height()};
    const PrinterLayout printerPlace = printerLayout(setup, layout.printerPpi, layout.printerPpi,
                                                     layout.paper, kScreenPpi, kScreenPpi);
    layout.origin = printerPlace.viewportOrigin;
    const auto share = [](int side, double first, double second) {
        return std::max(0, static_cast<int>(side * (1.0 - first - second)));
    };
    layout.printable = {share(paper.width(), setup.marginLeftCoeff, setup.marginRightCoeff),
                        share(paper.height(), setup.marginTopCoeff, setup.marginBottomCoeff)};
    layout.scale = layout.printerPpi / kScreenPpi;
    layout.page = {static_cast<int>(layout.printable.cx / layout.scale),
                   static_cast<int>(layout.printable.cy / layout.scale)};
    return layout;
}

int mapPrintPageCount(const CVexaView& view, const QPrinter& printer) {
    const MapPrintLayout layout = mapPrintLayout(view.printSetup, printer);
    return CVexaView::pageCount(view.preparePrinting(layout.page, ScreenMetrics{}));
}

int printMap(CVexaView& view, QPrinter& printer) {
    // Our margins are taken from the paper's edge.
    printer.setFullPage(true);
    const MapPrintLayout layout = mapPrintLayout(view.printSetup, printer);
    if (layout.page.cx <= 0 || layout.page.cy <= 0) {
        view.context().warning(formatText(text(kPrinterNotStarted), {printerTarget(printer)}));
        return 0;
    }
    const PrintTiles tiles = view.preparePrinting(layout.page, ScreenMetrics{});
    if (!tiles.problem.empty()) {
        view.context().warning(formatText(text(kCannotPrint), {tiles.problem}));
        return 0;
    }
    const int pages = CVexaView::pageCount(tiles);
    // The range the print dialog chose, from 1; 0 means every page.
    int first = 1, last = pages;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage();
        last = printer.toPage() > 0 ? printer.toPage() : pages;
    }
    first = std::max(first, 1);
    last = std::min(last, pages);
    if (first > last) return 0;

    QPainter painter;
    if (!painter.begin(&printer)) {
        view.context().warning(formatText(text(kPrinterNotStarted), {printerTarget(printer)}));
        return 0;
    }
    int printed = 0;
    for (int number = first; number <= last; ++number) {
        if (number > first && !printer.newPage()) break;
        painter.save();
        // One logical unit is one screen pixel of the map.
        painter.translate(layout.origin.x, layout.origin.y);
        painter.scale(layout.scale, layout.scale);
        {
            QtPainterDevice device(painter, layout.page);
            view.printPage(device, layout.page, tiles, number - 1);
        }
        painter.restore();
        ++printed;
    }
    painter.end();
    return printed;
}

int printWholeView(CanvasView& view, QPrinter& printer, AppContext& context) {
    printer.setFullPage(true);
    const MapPrintLayout layout = mapPrintLayout(view.printSetup, printer);
    const gdi::Size page = view.canvas().pageSize();
    if (layout.printable.cx <= 0 || layout.printable.cy <= 0 || page.cx <= 0 || page.cy <= 0) {
        context.warning(formatText(text(kPrinterNotStarted), {printerTarget(printer)}));
        return 0;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        context.warning(formatText(text(kPrinterNotStarted), {printerTarget(printer)}));
        return 0;
    }
    // Printer pixels per pixel of the view's page.
    const double scale = std::min(static_cast<double>(layout.printable.cx) / page.cx,
                                  static_cast<double>(layout.printable.cy) / page.cy);
    painter.translate(layout.origin.x + (layout.printable.cx - scale * page.cx) / 2,
                      layout.origin.y + (layout.printable.cy - scale * page.cy) / 2);
    painter.scale(scale, scale);
    {
        QtPainterDevice device(painter, page);
        view.drawOn(device);
    }
    painter.end();
    return 1;
}

}  // namespace gridova
