// Printing the map: the tiles of a print and the drawing of one page on a
// printer's device.
#include "render/map_view.h"

namespace gridova {

PrintTiles CVexaView::preparePrinting(gdi::Size page, const ScreenMetrics& screen) const {
    const DRect world = computeWorldRect();
    return printTiles(WorldRect{world.minX, world.minY, world.maxX, world.maxY}, multiPage,
                      printSetup, aspectRatio != 0, page, screen);
}

void CVexaView::printPage(gdi::Device& device, gdi::Size page, const PrintTiles& tiles, int index) {
    const bool tiled = !tiles.tiles.empty();
    if (tiled && (index < 0 || index >= static_cast<int>(tiles.tiles.size()))) return;
    device.setBackgroundMode(gdi::BackgroundMode::Transparent);
    beginPrinting(&device, page);
    if (tiled) {
        printedPage = tiles.tiles[static_cast<std::size_t>(index)];
        printedPageNumber = index + 1;
        printedPagesAcross = tiles.across;
    }
    drawMap();
    printedPage.reset();
    printedPageNumber = 1;
    printedPagesAcross = 1;
    endPrinting();
}

}  // namespace gridova
