#!/bin/sh
# Makes the grid files that grid_import_test.cpp reads, with GDAL as a
# reader-independent writer. Run once by hand from the source tree:
#     sh tests/exchange/make_grid_fixtures.sh
# The files are kept in tests/fixtures/grid_import/; the tests do not need
# GDAL.
#
# The source is an ESRI ASCII grid of 4 x 3 cells of 10 units with its lower
# left corner at (5432100, 6100000). GDAL places the nodes of a Surfer grid
# at the cell centres: X 5432105 .. 5432135, Y 6100005 .. 6100025. The .asc
# lists its top row first; GDAL writes the Surfer grids bottom row first.
# The cell holding -9999 (NODATA) becomes the blank 1.70141e38.
set -e
cd "$(dirname "$0")/../fixtures/grid_import"
cat > gdal_source.asc <<'ASC'
ncols 4
nrows 3
xllcorner 5432100
yllcorner 6100000
cellsize 10
NODATA_value -9999
1.5 2.5 3.5 4.5
10 20 -9999 40
-1.25 0 7 8
ASC
gdal_translate -q -of GSAG gdal_source.asc gdal_text.grd
gdal_translate -q -of GSBG gdal_source.asc gdal_binary.grd
rm -f ./*.aux.xml
gdal_translate --version > gdal_version.txt
