// Printing a map window's view on a printer: the page of the printer less
// the margins of the map's print settings, one screen pixel (1/96 inch) of
// the map drawn as a scaled unit of the printer, the pages of the tiles the
// view cuts the map into.
#pragma once

#include "platform/gdi.h"
#include "render/canvas_view.h"

class QPrinter;

namespace gridova {

class AppContext;
class CVexaView;

// Where a printed page lies on the printer's paper.
struct MapPrintLayout {
    double printerPpi = 0;  // the printer's pixels per inch
    // The whole paper in printer pixels. The margins of the print settings
    // are fractions of the paper, so the paper is the page: the printer is
    // set to full-page painting and its own margins are left out (they would
    // come on top of ours).
    gdi::Size paper;
    gdi::Point origin;    // the printable area's top left corner, printer pixels
    gdi::Size printable;  // the printable area, printer pixels
    // The printable area in screen pixels (kScreenPpi per inch): the page
    // size the map is drawn on.
    gdi::Size page;
    // Printer pixels per screen pixel.
    double scale = 1;
};

inline constexpr double kScreenPpi = 96.0;

// The layout of the printer's page with the view's margins.
MapPrintLayout mapPrintLayout(const PrintSetup& setup, const QPrinter& printer);

// The number of pages a print of the view on the printer makes.
int mapPrintPageCount(const CVexaView& view, const QPrinter& printer);

// Prints the view on the printer: the pages of the printer's page range
// (all when none is chosen), limited to the pages the view has. Returns the
// number of pages printed; 0 when nothing was printed, after a warning in
// the view's context that says why. The window shows what it showed before.
int printMap(CVexaView& view, QPrinter& printer);

// Prints the whole drawing of any view (the 3D view) on one page: its page
// fitted into the printable area with its proportions kept and centred
// there. 1 when printed; 0 after a warning in the context that says why.
int printWholeView(CanvasView& view, QPrinter& printer, AppContext& context);

}  // namespace gridova
