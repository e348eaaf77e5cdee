// Rasters through GDAL: our reader against GDAL's own reading of the same
// files (pixel centres, values and validity mask dumped by GDAL's XYZ
// driver, tests/exchange/make_gdal_fixtures.sh), rasters that are refused,
// damaged files; the GeoTIFF writer read back by our reader and, apart from
// it, through GDAL's C API against values worked out by hand.
#include "exchange/gdal_raster.h"

#include <cpl_string.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "exchange/grid_export.h"
#include "exchange/grid_import.h"
#include "grid/eq_net.h"
#include "platform/messages.h"
#include "tests/common/seen_boxes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

const std::string kFixtures = std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/gdal/";

using testing::SeenBoxes;

// --- Reading: against GDAL's own reading ---------------------------------------------

struct XyzLine {
    double x = 0, y = 0, z = 0;
};

// A file of GDAL's XYZ driver: "X Y value" lines ("nan" for NaN).
std::vector<XyzLine> readXyz(const std::string& path) {
    const std::string text = testing::readFile(path);
    std::vector<XyzLine> lines;
    const char* p = text.data();
    const char* const end = p + text.size();
    const auto number = [&](double& v) {
        while (p < end && (*p == ' ' || *p == '\n' || *p == '\r')) ++p;
        if (p == end) return false;
        const auto r = std::from_chars(p, end, v);
        if (r.ec != std::errc()) return false;
        p = r.ptr;
        return true;
    };
    XyzLine l;
    while (number(l.x)) {
        if (!number(l.y) || !number(l.z)) {
            ADD_FAILURE() << "broken line in " << path;
            break;
        }
        lines.push_back(l);
    }
    return lines;
}

// The sorted distinct values.
std::vector<double> distinct(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    v.erase(std::unique(v.begin(), v.end()), v.end());
    return v;
}

std::int32_t indexIn(const std::vector<double>& sorted, double v) {
    return static_cast<std::int32_t>(std::lower_bound(sorted.begin(), sorted.end(), v) -
                                     sorted.begin());
}

// Every pixel GDAL dumped is the node at its centre: the grid's columns and
// rows are the distinct X and Y of the dump from the lowest up, each
// pixel's value stands at the node of its X and Y, and a pixel GDAL's mask
// marks as no-data, or NaN, is a blank.
void expectAsGdalReads(const ImportedGrid& g, const std::string& file) {
    const auto pixels = readXyz(kFixtures + file + ".xyz");
    const auto mask = readXyz(kFixtures + file + "_mask.xyz");
    ASSERT_EQ(pixels.size(), mask.size());
    std::vector<double> allX, allY;
    for (const XyzLine& p : pixels) {
        allX.push_back(p.x);
        allY.push_back(p.y);
    }
    const auto xs = distinct(allX);
    const auto ys = distinct(allY);
    ASSERT_EQ(g.nx, static_cast<std::int32_t>(xs.size()));
    ASSERT_EQ(g.ny, static_cast<std::int32_t>(ys.size()));
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(g.nx) * static_cast<std::size_t>(g.ny));
    EXPECT_EQ(g.xlo, xs.front());
    EXPECT_EQ(g.xhi, xs.back());
    EXPECT_EQ(g.ylo, ys.front());
    EXPECT_EQ(g.yhi, ys.back());

    double zlo = HUGE_VAL, zhi = -HUGE_VAL;
    std::size_t blanks = 0;
    for (std::size_t k = 0; k < pixels.size(); ++k) {
        const XyzLine& p = pixels[k];
        ASSERT_EQ(mask[k].x, p.x);
        ASSERT_EQ(mask[k].y, p.y);
        const std::int32_t row = indexIn(ys, p.y);
        const std::int32_t column = indexIn(xs, p.x);
        SCOPED_TRACE(::testing::Message() << "pixel at " << p.x << ", " << p.y);
        if (mask[k].z == 0 || std::isnan(p.z)) {
            EXPECT_TRUE(isBlank(g.at(row, column))) << g.at(row, column);
            ++blanks;
        } else {
            EXPECT_EQ(g.at(row, column), p.z);
            zlo = std::min(zlo, p.z);
            zhi = std::max(zhi, p.z);
        }
    }
    EXPECT_GT(blanks, 0u);  // each fixture holds a no-data pixel
    EXPECT_EQ(g.zlo, zlo);
    EXPECT_EQ(g.zhi, zhi);
}

// A GeoTIFF stored top line first (Float32, a no-data value that is not a
// whole number, a NaN), a GeoTIFF stored bottom line first (Int16, a second
// band that must not be read), an ESRI ASCII grid (another driver) and a
// VRT of it whose no-data value 0.2 matches its Float32 cell only at float
// precision.
TEST(GdalRasterRead, NodesAndValuesAsGdalReadsThem) {
    for (const char* file :
         {"north_up.tif", "bottom_up.tif", "float_nodata.asc", "float_nodata.vrt"}) {
        SCOPED_TRACE(file);
        SeenBoxes boxes;
        const auto g = readRasterGrid(kFixtures + file);
        ASSERT_TRUE(g.has_value());
        expectAsGdalReads(*g, file);
        EXPECT_TRUE(boxes.warnings.empty());
    }
}

// Without a geotransform the pixels are placed by their indices, Y going
// up from the top line at -0.5: the nodes of 3 × 2 pixels
//     1 2 3
//     4 5 6
// lie at X 0.5, 1.5, 2.5 and Y -0.5 (top) and -1.5 (row 0).
TEST(GdalRasterRead, WithoutGeotransformByPixelIndices) {
    SeenBoxes boxes;
    const auto g = readRasterGrid(kFixtures + "no_geotransform.tif");
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->nx, 3);
    EXPECT_EQ(g->ny, 2);
    EXPECT_EQ(g->xlo, 0.5);
    EXPECT_EQ(g->xhi, 2.5);
    EXPECT_EQ(g->ylo, -1.5);
    EXPECT_EQ(g->yhi, -0.5);
    EXPECT_EQ(g->values, (std::vector<double>{4, 5, 6, 1, 2, 3}));
    EXPECT_EQ(g->zlo, 1.0);
    EXPECT_EQ(g->zhi, 6.0);
    EXPECT_TRUE(boxes.warnings.empty());
}

// A raster whose pixels run right to left (gt[1] < 0) keeps its nodes in
// ascending X: the VRT below shows north_up.tif with X mirrored about 1005,
// so its pixel centres are those of the file and each row is reversed.
TEST(GdalRasterRead, ColumnsRunningLeftAreTurnedRound) {
    const std::string source = kFixtures + "north_up.tif";
    const std::string vrt =
        testing::writeFile("mirrored.vrt",
                           "<VRTDataset rasterXSize=\"4\" rasterYSize=\"3\">\n"
                           "  <GeoTransform>1010, -2.5, 0, 2000, 0, -1.25</GeoTransform>\n"
                           "  <VRTRasterBand dataType=\"Float32\" band=\"1\">\n"
                           "    <SimpleSource><SourceFilename>" +
                               source +
                               "</SourceFilename><SourceBand>1</SourceBand></SimpleSource>\n"
                               "  </VRTRasterBand>\n"
                               "</VRTDataset>\n");
    const auto plain = readRasterGrid(source);
    const auto mirrored = readRasterGrid(vrt);
    ASSERT_TRUE(plain.has_value());
    ASSERT_TRUE(mirrored.has_value());
    EXPECT_EQ(mirrored->xlo, 1001.25);
    EXPECT_EQ(mirrored->xhi, 1008.75);
    EXPECT_EQ(mirrored->ylo, plain->ylo);
    EXPECT_EQ(mirrored->yhi, plain->yhi);
    for (std::int32_t r = 0; r < 3; ++r) {
        for (std::int32_t c = 0; c < 4; ++c) {
            const double a = plain->at(r, 3 - c);
            const double b = mirrored->at(r, c);
            SCOPED_TRACE(::testing::Message() << "row " << r << ", column " << c);
            if (isBlank(b)) {
                EXPECT_TRUE(isBlank(a));  // the NaN
            } else if (isBlank(a)) {
                // The VRT carries no no-data value: the file's 0.1f is a
                // value there.
                EXPECT_EQ(b, static_cast<double>(0.1f));
            } else {
                EXPECT_EQ(b, a);
            }
        }
    }
}

// --- Reading: refused and damaged files ----------------------------------------------

// A VRT raster of the given size and geotransform whose band has no source.
std::string vrt(int nx, int ny, const std::string& geotransform) {
    return "<VRTDataset rasterXSize=\"" + std::to_string(nx) + "\" rasterYSize=\"" +
           std::to_string(ny) + "\">\n  <GeoTransform>" + geotransform +
           "</GeoTransform>\n  <VRTRasterBand dataType=\"Float32\" band=\"1\"/>\n</VRTDataset>\n";
}

struct RefusedCase {
    const char* name;
    const char* file;
    // Written to the file in the test's folder; empty: the file is not made
    // there, but taken from the fixtures when it is one.
    std::string content;
    // The warning, %s standing for the path; a trailing ": " is followed by
    // GDAL's reason.
    std::string warning;
};

const std::string kUnreadable = "Файл %s не открывается как растр: ";
const std::string kBadPixels =
    "Растр %s не читается: его пиксели повёрнуты, скошены или нулевого размера";
const std::string kTooFew = "Растр %s не читается: в нём меньше двух столбцов или строк";

// Pixels of 2.5 × 1.25 from (1000, 2000), north up.
const std::string kNorthUp = "1000, 2.5, 0, 2000, 0, -1.25";

std::vector<RefusedCase> refusedCases() {
    const std::string& north = kNorthUp;
    return {
        {"text file", "points.dat", "x y z\n1 2 3\n4 5 6\n", kUnreadable},
        {"missing file", "none.tif", {}, kUnreadable},
        {"rotated", "rotated.vrt", vrt(4, 3, "1000, 2.5, 0.5, 2000, 0, -1.25"), kBadPixels},
        {"sheared", "sheared.vrt", vrt(4, 3, "1000, 2.5, 0, 2000, 0.25, -1.25"), kBadPixels},
        {"no pixel width", "flat.vrt", vrt(4, 3, "1000, 0, 0, 2000, 0, -1.25"), kBadPixels},
        {"no pixel height", "thin.vrt", vrt(4, 3, "1000, 2.5, 0, 2000, 0, 0"), kBadPixels},
        {"one line", "line.vrt", vrt(4, 1, north), kTooFew},
        {"one column", "column.vrt", vrt(1, 3, north), kTooFew},
        {"more nodes than 1 GiB of doubles", "huge.vrt", vrt(20000, 20000, north),
         "Растр %s слишком велик для сетки"},
        {"no band", "two_variables.nc", "", "В файле %s нет растровых каналов"},
    };
}

TEST(GdalRasterRead, RefusedWithAWarningNamingTheFile) {
    for (const RefusedCase& c : refusedCases()) {
        SCOPED_TRACE(c.name);
        std::string path = kFixtures + c.file;
        if (!c.content.empty()) {
            path = testing::writeFile(c.file, c.content);
        } else if (!std::filesystem::exists(path)) {
            path = (testing::testDir() / c.file).string();
        }
        SeenBoxes boxes;
        EXPECT_FALSE(readRasterGrid(path).has_value());
        ASSERT_EQ(boxes.warnings.size(), 1u);
        const std::string& seen = boxes.warnings.front();
        std::string expected = c.warning;
        expected.replace(expected.find("%s"), 2, path);
        if (expected.ends_with(": ")) {
            EXPECT_TRUE(seen.starts_with(expected)) << seen;
            EXPECT_GT(seen.size(), expected.size()) << "no reason: " << seen;
        } else {
            EXPECT_EQ(seen, expected);
        }
    }
}

// The same sizes and geotransforms with the fault taken out are read, so
// the cases above fail for what they name.
TEST(GdalRasterRead, TheRefusedCasesSourcesRead) {
    SeenBoxes boxes;
    EXPECT_TRUE(readRasterGrid(testing::writeFile("ok.vrt", vrt(4, 3, kNorthUp))).has_value());
    EXPECT_TRUE(readRasterGrid(testing::writeFile("two.vrt", vrt(2, 2, kNorthUp))).has_value());
    EXPECT_TRUE(boxes.warnings.empty());
}

// A GeoTIFF cut short anywhere gives no grid and one warning naming the
// file, never a crash or a grid of made-up values.
TEST(GdalRasterRead, TruncatedGeoTiff) {
    const std::string whole = testing::readFile(kFixtures + "north_up.tif");
    ASSERT_GT(whole.size(), 100u);
    for (const std::size_t length : {std::size_t{0}, std::size_t{4}, std::size_t{8},
                                     std::size_t{64}, whole.size() / 2, whole.size() - 1}) {
        SCOPED_TRACE(::testing::Message() << length << " bytes");
        const std::string path = testing::writeFile("cut.tif", whole.substr(0, length));
        SeenBoxes boxes;
        EXPECT_FALSE(readRasterGrid(path).has_value());
        ASSERT_EQ(boxes.warnings.size(), 1u);
        EXPECT_NE(boxes.warnings.front().find(path), std::string::npos) << boxes.warnings.front();
    }
}

// --- Writing -----------------------------------------------------------------------

// 6 × 5 nodes, steps 2.5 and 1.25, the lowest left node at (1000, 2000);
// value 10 × i + j at node (i, j). The outer frame is outside the area, as
// is node (2, 2); node (3, 1) holds 1e35, above the blank limit.
std::unique_ptr<EqNet> sampleGrid() {
    auto net = std::make_unique<EqNet>();
    net->setSteps(std::vector<double>(5, 2.5), std::vector<double>(4, 1.25));
    net->shift(1000, 2000);
    std::vector<double> v;
    for (int j = 0; j < 5; ++j) {
        for (int i = 0; i < 6; ++i) v.push_back(10 * i + j);
    }
    v[3 + 1 * 6] = 1e35;
    EXPECT_EQ(net->SetValues(v), 0);
    net->mask().assign(30, kMaskInside);
    net->markEdges();
    net->mask()[2 + 2 * 6] = kMaskOutside;
    return net;
}

constexpr double kBlank = 1.70141e38;

struct DatasetCloser {
    void operator()(void* d) const { GDALClose(static_cast<GDALDatasetH>(d)); }
};

// What GDAL itself reads from the file: the nodes written are columns 1..4
// and rows 1..3 (the frame left out), so the pixels of 2.5 × 1.25 start
// half a step left of X 1002.5 and half a step above Y 2003.75, the top
// row (j = 3) first.
TEST(GdalRasterWrite, GdalReadsGeotransformAndValues) {
    SeenBoxes boxes;
    const auto net = sampleGrid();
    const std::string path = (testing::testDir() / "grid.tif").string();
    ASSERT_TRUE(writeGeoTiff(*net, path));
    EXPECT_TRUE(boxes.warnings.empty());

    GDALAllRegister();
    std::unique_ptr<void, DatasetCloser> ds(GDALOpen(path.c_str(), GA_ReadOnly));
    ASSERT_NE(ds, nullptr);
    EXPECT_STREQ(GDALGetDriverShortName(GDALGetDatasetDriver(ds.get())), "GTiff");
    ASSERT_EQ(GDALGetRasterXSize(ds.get()), 4);
    ASSERT_EQ(GDALGetRasterYSize(ds.get()), 3);
    ASSERT_EQ(GDALGetRasterCount(ds.get()), 1);
    double gt[6];
    ASSERT_EQ(GDALGetGeoTransform(ds.get(), gt), CE_None);
    EXPECT_EQ(std::vector<double>(gt, gt + 6),
              (std::vector<double>{1001.25, 2.5, 0, 2004.375, 0, -1.25}));
    // Pixel-is-area: said so, or (a file without a coordinate system has no
    // raster type key) GeoTIFF's default.
    const char* area = GDALGetMetadataItem(ds.get(), "AREA_OR_POINT", nullptr);
    if (area != nullptr) {
        EXPECT_STREQ(area, "Area");
    }

    GDALRasterBandH band = GDALGetRasterBand(ds.get(), 1);
    EXPECT_EQ(GDALGetRasterDataType(band), GDT_Float64);
    int hasNoData = 0;
    EXPECT_EQ(GDALGetRasterNoDataValue(band, &hasNoData), kBlank);
    EXPECT_EQ(hasNoData, 1);
    std::vector<double> pixels(12);
    ASSERT_EQ(GDALRasterIO(band, GF_Read, 0, 0, 4, 3, pixels.data(), 4, 3, GDT_Float64, 0, 0),
              CE_None);
    const std::vector<double> expected = {
        13, 23,     33,     43,  // j = 3
        12, kBlank, 32,     42,  // j = 2, node (2, 2) outside
        11, 21,     kBlank, 41,  // j = 1, node (3, 1) holds 1e35
    };
    EXPECT_EQ(pixels, expected);
}

// Read back by our own reader: the written nodes at their places, every
// value exact, the nodes outside the area blank.
TEST(GdalRasterWrite, RoundTripThroughOurReader) {
    SeenBoxes boxes;
    const auto net = sampleGrid();
    const std::string path = (testing::testDir() / "round.TIFF").string();
    ASSERT_TRUE(writeGeoTiff(*net, path));
    const auto g = readRasterGrid(path);
    ASSERT_TRUE(g.has_value());
    ASSERT_EQ(g->nx, 4);
    ASSERT_EQ(g->ny, 3);
    EXPECT_EQ(g->xlo, net->nodeX()[1]);
    EXPECT_EQ(g->xhi, net->nodeX()[4]);
    EXPECT_EQ(g->ylo, net->nodeY()[1]);
    EXPECT_EQ(g->yhi, net->nodeY()[3]);
    for (std::int32_t r = 0; r < 3; ++r) {
        for (std::int32_t c = 0; c < 4; ++c) {
            const std::int32_t i = c + 1, j = r + 1;
            SCOPED_TRACE(::testing::Message() << "node " << i << ", " << j);
            if ((i == 2 && j == 2) || (i == 3 && j == 1)) {
                EXPECT_TRUE(isBlank(g->at(r, c)));
            } else {
                EXPECT_EQ(g->at(r, c), net->value(i, j));
            }
        }
    }
    EXPECT_EQ(g->zlo, 11.0);
    EXPECT_EQ(g->zhi, 43.0);
    EXPECT_TRUE(boxes.warnings.empty());
    // The file made in GDAL's memory is gone.
    char** inMemory = VSIReadDir("/vsimem/");
    EXPECT_EQ(CSLCount(inMemory), 0);
    CSLDestroy(inMemory);
}

// The GeoTIFF holds the nodes the binary grid file of the same grid holds.
TEST(GdalRasterWrite, SameNodesAsTheBinaryGridExport) {
    const auto net = sampleGrid();
    const std::string tif = (testing::testDir() / "same.tif").string();
    const std::string grd = (testing::testDir() / "same.grd").string();
    ASSERT_TRUE(writeGeoTiff(*net, tif));
    ASSERT_TRUE(exportGrd(*net, grd, std::nullopt).written);
    const auto a = readRasterGrid(tif);
    const auto b = readGridFile(grd);
    ASSERT_TRUE(a.has_value());
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(a->nx, b->nx);
    EXPECT_EQ(a->ny, b->ny);
    EXPECT_EQ(a->xlo, b->xlo);
    EXPECT_EQ(a->xhi, b->xhi);
    EXPECT_EQ(a->ylo, b->ylo);
    EXPECT_EQ(a->yhi, b->yhi);
    ASSERT_EQ(a->values.size(), b->values.size());
    for (std::size_t k = 0; k < a->values.size(); ++k) {
        EXPECT_EQ(isBlank(a->values[k]), isBlank(b->values[k])) << k;
        if (!isBlank(a->values[k])) {
            EXPECT_EQ(static_cast<float>(a->values[k]), b->values[k]) << k;
        }
    }
}

// GDAL's own binary grid reader (GSBG) takes our binary grid file as the
// same raster as our GeoTIFF: the same geotransform (pixels centred on the
// nodes) and the same values, the nodes outside the area as its no-data.
TEST(GdalRasterWrite, GdalReadsOurBinaryGridFileAsTheGrid) {
    const auto net = sampleGrid();
    const std::string grd = (testing::testDir() / "ours.grd").string();
    ASSERT_TRUE(exportGrd(*net, grd, std::nullopt).written);
    GDALAllRegister();
    std::unique_ptr<void, DatasetCloser> ds(GDALOpen(grd.c_str(), GA_ReadOnly));
    ASSERT_NE(ds, nullptr);
    EXPECT_STREQ(GDALGetDriverShortName(GDALGetDatasetDriver(ds.get())), "GSBG");
    ASSERT_EQ(GDALGetRasterXSize(ds.get()), 4);
    ASSERT_EQ(GDALGetRasterYSize(ds.get()), 3);
    double gt[6];
    ASSERT_EQ(GDALGetGeoTransform(ds.get(), gt), CE_None);
    EXPECT_EQ(std::vector<double>(gt, gt + 6),
              (std::vector<double>{1001.25, 2.5, 0, 2004.375, 0, -1.25}));
    GDALRasterBandH band = GDALGetRasterBand(ds.get(), 1);
    int hasNoData = 0;
    const double noData = GDALGetRasterNoDataValue(band, &hasNoData);
    std::vector<double> pixels(12);
    ASSERT_EQ(GDALRasterIO(band, GF_Read, 0, 0, 4, 3, pixels.data(), 4, 3, GDT_Float64, 0, 0),
              CE_None);
    // The node holding 1e35 is written as it is: a value above 1e30 is no
    // value to the programs that read these files.
    for (double& p : pixels) {
        if ((hasNoData != 0 && p == noData) || p > 1e30) p = kBlank;
    }
    const std::vector<double> expected = {13, 23, 33, 43, 12, kBlank, 32, 42, 11, 21, kBlank, 41};
    EXPECT_EQ(pixels, expected);
}

// Unequal steps are refused before any file is touched; steps equal within
// a relative 1e-9 are written.
TEST(GdalRasterWrite, OnlyEqualSteps) {
    struct Case {
        const char* name;
        std::vector<double> stepsX, stepsY;
        bool written;
    };
    const std::vector<Case> cases = {
        {"uneven X", {2.5, 2.5, 2.6, 2.5}, {1, 1, 1}, false},
        {"uneven Y", {2.5, 2.5, 2.5, 2.5}, {1, 1, 1.5}, false},
        {"X off by 1e-12", {2.5, 2.5 * (1 + 1e-12), 2.5, 2.5}, {1, 1, 1}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EqNet net;
        net.setSteps(c.stepsX, c.stepsY);
        ASSERT_EQ(net.SetValues(std::vector<double>(20, 7.0)), 0);
        const std::string path = testing::writeFile("old.tif", "the old file");
        SeenBoxes boxes;
        EXPECT_EQ(writeGeoTiff(net, path), c.written);
        if (c.written) {
            EXPECT_TRUE(boxes.warnings.empty());
            EXPECT_TRUE(readRasterGrid(path).has_value());
        } else {
            EXPECT_EQ(boxes.warnings,
                      std::vector<std::string>{"Шаги сетки не равны: файл GeoTIFF " + path +
                                               " не записан"});
            EXPECT_EQ(testing::readFile(path), "the old file");
        }
    }
}

// A file that cannot be written is a failure with message 201, and leaves
// nothing behind; a grid without values writes nothing.
TEST(GdalRasterWrite, FailuresAreNotSuccesses) {
    const auto net = sampleGrid();
    SeenBoxes boxes;
    const std::string inMissingFolder = (testing::testDir() / "none" / "grid.tif").string();
    EXPECT_FALSE(writeGeoTiff(*net, inMissingFolder));
    EXPECT_EQ(boxes.warnings,
              std::vector<std::string>{"Нельзя записать в файл " + inMissingFolder});

    boxes.warnings.clear();
    std::filesystem::create_directory(testing::testDir() / "folder.tif");
    EXPECT_FALSE(writeGeoTiff(*net, (testing::testDir() / "folder.tif").string()));
    EXPECT_TRUE(std::filesystem::is_directory(testing::testDir() / "folder.tif"));
    EXPECT_EQ(boxes.warnings.size(), 1u);

    boxes.warnings.clear();
    EqNet empty;
    empty.setSteps({1, 1}, {1, 1});
    const std::string path = (testing::testDir() / "empty.tif").string();
    EXPECT_FALSE(writeGeoTiff(empty, path));
    EXPECT_FALSE(std::filesystem::exists(path));

    // No temporary file is left beside the targets.
    for (const auto& e : std::filesystem::directory_iterator(testing::testDir())) {
        EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
    }
}

}  // namespace
}  // namespace gridova
