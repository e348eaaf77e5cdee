// Printing the map: the tiles of a print and the drawing of one page on a
// printer's device.
#include "render/map_view.h"

#include <cmath>

namespace gridova {

PrintTiles CVexaView::preparePrinting(gdi::Size page, const ScreenMetrics& screen) const {
    const DRect world = computeWorldRect();
    const WorldRect map{world.minX, world.minY, world.maxX, world.maxY};
    PrintTiles tiles = printTiles(map, multiPage, printSetup, aspectRatio != 0, page, screen);
    // A single tile by counts that is the whole map (to the rounding of its
    // steps) is printed as the map on one page. (To scale, the one page
    // keeps the scale.)
    if (multiPage.active != 0 && tiles.tiles.size() == 1) {
        const WorldRect& t = tiles.tiles.front();
        const double ex = 1e-9 * std::abs(map.xmax - map.xmin);
        const double ey = 1e-9 * std::abs(map.ymax - map.ymin);
        if (std::abs(t.xmin - map.xmin) <= ex && std::abs(t.xmax - map.xmax) <= ex &&
            std::abs(t.ymin - map.ymin) <= ey && std::abs(t.ymax - map.ymax) <= ey) {
            tiles.tiles.clear();
        }
    }
    return tiles;
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
