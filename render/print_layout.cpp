#include "render/print_layout.h"

#include <algorithm>
#include <cmath>

#include "platform/message_log.h"
#include "platform/messages.h"

namespace gridova {
namespace {

// Stepping by a tile's width rounds: the last start can fall a hair short
// of the map's edge and would make a page of a sliver. Starts that close
// to the edge (this share of the map's size) count as at the edge.
constexpr double kEdgeTolerance = 1e-9;

constexpr int kNeedsUnits = 9424;  // "Масштабная печать: единиц на дюйм должно быть больше 0"
constexpr int kNoRoomLeft = 9425;  // "Масштабная печать: накладки занимают всю страницу"

// Lays the tiles out: steps u across and v down, each tile widened by the
// overlaps (world units) on its four sides, at most `maxRows` rows and
// `maxColumns` columns.
PrintTiles layOut(const WorldRect& map, double u, double v, double left, double right, double top,
                  double bottom, int maxRows, int maxColumns) {
    PrintTiles result;
    const double width = map.xmax - map.xmin, height = map.ymax - map.ymin;
    const double toleranceX = kEdgeTolerance * std::abs(width);
    const double toleranceY = kEdgeTolerance * std::abs(height);
    int rows = 0;
    // World y grows upward: the first row's top is the map's top.
    for (double rowTop = map.ymax + top;
         rowTop - map.ymin > 1.0001 * top + toleranceY && rows < maxRows; rowTop -= v, ++rows) {
        int columns = 0;
        for (double start = map.xmin - left;
             map.xmax - start > 1.0001 * left + toleranceX && columns < maxColumns;
             start += u, ++columns) {
            if (static_cast<int>(result.tiles.size()) >= kMaxTiles) return result;
            WorldRect tile{start, rowTop - (top + v + bottom), start + left + u + right, rowTop};
            // Intersected with the map.
            tile.xmin = std::max(tile.xmin, map.xmin);
            tile.xmax = std::min(tile.xmax, map.xmax);
            tile.ymin = std::max(tile.ymin, map.ymin);
            tile.ymax = std::min(tile.ymax, map.ymax);
            result.tiles.push_back(tile);
        }
        if (rows == 0) result.across = std::max(1, columns);
    }
    return result;
}

}  // namespace

PrintTiles tilesByCounts(const WorldRect& map, const MultiPageSettings& settings, bool keepAspect,
                         gdi::Size page) {
    const int across = std::max(1, settings.horizontalCount);
    const int down = std::max(1, settings.verticalCount);
    const double width = map.xmax - map.xmin, height = map.ymax - map.ymin;
    double u = width / across, v = height / down;
    if (keepAspect && page.cx > 0 && page.cy > 0) {
        if (across < down) {
            u = v * (static_cast<double>(page.cx) / page.cy);
        } else {
            v = u * (static_cast<double>(page.cy) / page.cx);
        }
    }
    if (!(u >= 1e-30) || !(v >= 1e-30)) return {};
    return layOut(map, u, v, width * settings.leftOverlap, width * settings.rightOverlap,
                  height * settings.topOverlap, height * settings.bottomOverlap, kMaxTiles,
                  kMaxTiles);
}

PrintTiles tilesByScale(const WorldRect& map, const MultiPageSettings& overlaps,
                        const PrintSetup& setup, bool keepAspect, gdi::Size page,
                        const ScreenMetrics& screen) {
    const double unitsX = setup.unitsPerInchX;
    const double unitsY = keepAspect ? setup.unitsPerInchX : setup.unitsPerInchY;
    if (!(unitsX > 0) || !(unitsY > 0)) {
        PrintTiles none;
        none.problem = text(kNeedsUnits);
        return none;
    }
    double ppiX = screen.pixelsPerInchX, ppiY = screen.pixelsPerInchY;
    if (ppiX == 0 || ppiY == 0) {
        log("Can't define display pixel sizes");
        ppiX = ppiY = 1;
    }
    const double width = map.xmax - map.xmin, height = map.ymax - map.ymin;
    const double spanX = 1 + overlaps.leftOverlap + overlaps.rightOverlap;
    const double spanY = 1 + overlaps.topOverlap + overlaps.bottomOverlap;
    // The whole picture at that scale, in screen pixels.
    const double pictureWidth = std::round(spanX * width * ppiX * setup.unitCoef / unitsX);
    const double pictureHeight = std::round(spanY * height * ppiY * setup.unitCoef / unitsY);
    if (!(pictureWidth >= 1) || !(pictureHeight >= 1) || page.cx <= 0 || page.cy <= 0) return {};
    // A page's share of the picture, as a tile with its overlaps.
    const double tileWidth = page.cx / pictureWidth * spanX * width;
    const double tileHeight = page.cy / pictureHeight * spanY * height;
    const double left = width * overlaps.leftOverlap, right = width * overlaps.rightOverlap;
    const double top = height * overlaps.topOverlap, bottom = height * overlaps.bottomOverlap;
    const double u = tileWidth - left - right, v = tileHeight - top - bottom;
    if (!(u >= 1e-30) || !(v >= 1e-30)) {
        PrintTiles none;
        none.problem = text(kNoRoomLeft);
        return none;
    }
    return layOut(map, u, v, left, right, top, bottom, kMaxTiles, kMaxTiles);
}

PrintTiles printTiles(const WorldRect& map, const MultiPageSettings& settings,
                      const PrintSetup& setup, bool keepAspect, gdi::Size page,
                      const ScreenMetrics& screen) {
    if (settings.active != 0) return tilesByCounts(map, settings, keepAspect, page);
    if (setup.scale != 0) return tilesByScale(map, settings, setup, keepAspect, page, screen);
    return {};
}

}  // namespace gridova
