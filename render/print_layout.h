// Printing a map over pages: the tiles of the map that the pages show.
//
// One page shows the whole map fitted (no tiles). "Многостраничная печать"
// cuts the map into a number of tiles across and down; "Масштабная печать"
// cuts it so that it prints at a number of map units per page unit. Tiles
// may overlap by fractions of the map's width and height, so that pasted
// sheets can be aligned. Rows run from the map's top down, tiles in a row
// from the left; each tile is intersected with the map, and at most
// kMaxTiles are made.
#pragma once

#include <string>
#include <vector>

#include "render/canvas_view.h"
#include "render/drawing_canvas.h"

namespace gridova {

inline constexpr int kMaxTiles = 100;

struct PrintTiles {
    std::vector<WorldRect> tiles;  // empty: the whole map on one page
    int across = 1;                // tiles in the first row
    // Why no tiles were made when some were asked for; empty otherwise.
    std::string problem;
};

// Tiles by counts. Counts below 1 are 1. With `keepAspect` the tile takes
// the page's proportions: the smaller count's side follows the larger's.
PrintTiles tilesByCounts(const WorldRect& map, const MultiPageSettings& settings, bool keepAspect,
                         gdi::Size page);

// Tiles by scale: the map printed at UnitsPerInchX (and Y, or X again with
// `keepAspect`) map units per page unit, the page `page` screen pixels at
// the screen's resolution. Units per inch of 0 or less make no tiles (the
// problem says so); a resolution of 0 is taken as 1 and logged.
PrintTiles tilesByScale(const WorldRect& map, const MultiPageSettings& overlaps,
                        const PrintSetup& setup, bool keepAspect, gdi::Size page,
                        const ScreenMetrics& screen);

// The tiles of the settings: by counts when multi-page printing is active,
// by scale when printing to scale, none otherwise.
PrintTiles printTiles(const WorldRect& map, const MultiPageSettings& settings,
                      const PrintSetup& setup, bool keepAspect, gdi::Size page,
                      const ScreenMetrics& screen);

}  // namespace gridova
