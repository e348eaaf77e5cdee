#!/bin/sh
# Makes the rasters that gdal_raster_test.cpp reads, with GDAL (python3-gdal
# and gdal_translate from gdal-bin), and what GDAL itself reads from them.
# Run once by hand from the source tree:
#     sh tests/exchange/make_gdal_fixtures.sh
# The files are kept in tests/fixtures/gdal/; the tests do not run GDAL's
# programs.
#
# For each raster FILE but the last two, GDAL's XYZ driver writes FILE.xyz:
# one line "X Y value" per pixel of band 1, X and Y the pixel's centre, in
# the order the raster stores its lines, and FILE_mask.xyz the same with
# GDAL's validity mask of band 1 (0 where the pixel holds the no-data value,
# 255 elsewhere).
#
# north_up.tif   Float32, 4 x 3 pixels of 2.5 x 1.25 from the top left corner
#                (1000, 2000), top line first; no-data 0.1 (kept as the
#                float 0.1f) in one pixel, NaN in another.
# bottom_up.tif  Int16, two bands, 4 x 3 pixels of 2.5 x 1.25 stored bottom
#                line first (gt[5] > 0) from (1000, 1995); no-data -32768 in
#                one pixel of band 1; band 2 holds other values.
# float_nodata.asc  an ESRI ASCII grid (another driver), 3 x 2 cells of 0.5
#                from the lower left corner (-10, 20), read as Float32; GDAL
#                turns its no-data value 0.1 into the float 0.1f.
# float_nodata.vrt  the same cells through a VRT band whose no-data value
#                0.2 GDAL keeps as the double 0.2, so the cell holding the
#                float 0.2f is no-data only when compared at float
#                precision, as GDAL's mask does.
# no_geotransform.tif  Byte, 3 x 2 pixels 1 2 3 / 4 5 6, no geotransform.
# two_variables.nc     netCDF with two 2 x 2 variables: GDAL opens it as a
#                raster of no bands that names two subdatasets.
set -e
cd "$(dirname "$0")/../fixtures/gdal"
rm -f ./*.tif ./*.nc ./*.asc ./*.vrt ./*.xyz ./*.aux.xml
cat > float_nodata.asc <<'ASC'
ncols 3
nrows 2
xllcorner -10
yllcorner 20
cellsize 0.5
NODATA_value 0.1
0.1 2.5 3
-1 0.2 7
ASC
cat > float_nodata.vrt <<'VRT'
<VRTDataset rasterXSize="3" rasterYSize="2">
  <GeoTransform>-10, 0.5, 0, 21, 0, -0.5</GeoTransform>
  <VRTRasterBand dataType="Float32" band="1">
    <NoDataValue>0.2</NoDataValue>
    <SimpleSource>
      <SourceFilename relativeToVRT="1">float_nodata.asc</SourceFilename>
      <SourceBand>1</SourceBand>
    </SimpleSource>
  </VRTRasterBand>
</VRTDataset>
VRT
/usr/bin/python3 - <<'PY'
import numpy as np
from osgeo import gdal

gdal.UseExceptions()
tiff = gdal.GetDriverByName("GTiff")

ds = tiff.Create("north_up.tif", 4, 3, 1, gdal.GDT_Float32)
ds.SetGeoTransform((1000, 2.5, 0, 2000, 0, -1.25))
band = ds.GetRasterBand(1)
band.SetNoDataValue(0.1)
band.WriteArray(np.array([[1.5, 2.5, 0.1, 4.5],
                          [10, float("nan"), -3.25, 40],
                          [-1.25, 0, 1e-3, 8.125]], dtype=np.float32))
ds = None

ds = tiff.Create("bottom_up.tif", 4, 3, 2, gdal.GDT_Int16)
ds.SetGeoTransform((1000, 2.5, 0, 1995, 0, 1.25))
band = ds.GetRasterBand(1)
band.SetNoDataValue(-32768)
band.WriteArray(np.array([[1, 2, 3, 4],
                          [5, -32768, 7, 8],
                          [9, 10, 11, -12]], dtype=np.int16))
ds.GetRasterBand(2).WriteArray(np.full((3, 4), 500, dtype=np.int16))
ds = None

ds = tiff.Create("no_geotransform.tif", 3, 2, 1, gdal.GDT_Byte)
ds.GetRasterBand(1).WriteArray(np.array([[1, 2, 3], [4, 5, 6]], dtype=np.uint8))
ds = None

ds = gdal.GetDriverByName("netCDF").CreateMultiDimensional("two_variables.nc")
root = ds.GetRootGroup()
dx = root.CreateDimension("x", None, None, 2)
dy = root.CreateDimension("y", None, None, 2)
for name in ("a", "b"):
    array = root.CreateMDArray(name, [dy, dx], gdal.ExtendedDataType.Create(gdal.GDT_Float32))
    array.Write(np.array([[1, 2], [3, 4]], dtype=np.float32))
ds = None
assert gdal.OpenEx("two_variables.nc", gdal.OF_RASTER).RasterCount == 0
PY
for name in north_up.tif bottom_up.tif float_nodata.asc float_nodata.vrt; do
  gdal_translate -q -of XYZ -b 1 "$name" "$name.xyz"
  gdal_translate -q -of XYZ -b mask "$name" "${name}_mask.xyz"
done
rm -f ./*.aux.xml
gdal_translate --version > gdal_version.txt
