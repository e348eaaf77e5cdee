// Rasters read and GeoTIFF written through GDAL. Built only when GDAL is
// (GRIDOVA_HAVE_GDAL is 1); this header names no GDAL type.
//
// Nodes and pixels: GDAL's geotransform gt places the corner of pixel
// (column c, line l) at (gt[0] + c × gt[1], gt[3] + l × gt[5]); a pixel is
// an area (GDAL's AREA_OR_POINT=Area, GeoTIFF's PixelIsArea). Our grid has
// values at nodes, and a node is the CENTRE of a pixel: the node of pixel
// (c, l) is at (gt[0] + (c + ½) × gt[1], gt[3] + (l + ½) × gt[5]). So a
// grid read from a raster of pixels of dx × dy starting at x0 has its first
// node at x0 + dx/2, and a written GeoTIFF's pixels reach half a step
// beyond the outer nodes on every side. The files written stay
// pixel-is-area (GeoTIFF's default: without a coordinate system they carry
// no raster type key) with that half-cell shift, rather than being marked
// PixelIsPoint, which not every program honours.
#pragma once

#include <optional>
#include <string>

#include "exchange/grid_import.h"

namespace gridova {

class EqNet;

// Band 1 of any raster GDAL opens, as a grid: one node per pixel at its
// centre, row 0 the lowest in Y (a raster stored top line first, the
// usual gt[5] < 0, is turned over; one stored bottom line first, gt[5] > 0,
// is not; gt[1] < 0 turns the columns round). A pixel holding the band's
// no-data value, NaN or an infinity becomes the blank 1.70141e38; a value
// above 1e30 is a blank as it stands. zlo and zhi are the range of the
// other values (0 and 0 without any).
//
// A raster without a geotransform is placed by its pixel indices with Y
// pointing up, as if gt were (0, 1, 0, 0, 0, -1): the node of pixel (c, l)
// at (c + ½, -(l + ½)), so the picture keeps its top line at the top.
//
// Nothing, with a warning that names the file, for a file GDAL cannot open
// as a raster (9440 "Файл %s не открывается как растр: %s", with GDAL's
// reason), a raster without bands (9449), a rotated or sheared geotransform
// or pixels of no size (9441), fewer than two columns or rows (9442), more
// nodes than EqNet takes or than 1 GiB of doubles (9443), a read that fails
// (9444 with GDAL's reason), too little memory (the out-of-memory message).
// GDAL's own messages are not shown.
std::optional<ImportedGrid> readRasterGrid(const std::string& path);

// The grid's values as a GeoTIFF of one Float64 band, top row first, the
// pixels centred on the nodes: gt = (x1 - dx/2, dx, 0, ytop + dy/2, 0, -dy),
// x1 the first node written, ytop the top row written. The nodes are those
// the binary grid export writes without a rectangle: the outer frame of
// nodes is left out (it is outside the area once a mask is computed), along
// a direction of fewer than three nodes all are written. A node outside the
// area (mask 0) and a value above 1e30 are written as 1.70141e38, the
// band's no-data value.
//
// Only a grid whose steps are equal each way (within a relative 1e-9) can
// be written: otherwise warning 9445 with the name, false, and no file is
// touched. False without a message for a grid without values (the caller
// says so). The file is made in memory, written beside the target and
// renamed over it once complete, so a failure keeps an existing file: a
// file that cannot be written shows message 201, a GDAL failure 9446 with
// GDAL's reason.
bool writeGeoTiff(const EqNet& grid, const std::string& path);

}  // namespace gridova
