#include "exchange/gdal_raster.h"

#include <cpl_error.h>
#include <cpl_vsi.h>
#include <gdal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "grid/eq_net.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr int kBadColumns = 179;   // "Ошибка в размерности X"
constexpr int kBadRows = 180;      // "Ошибка в размерности Y"
constexpr int kNotARaster = 9440;  // "Файл %s не открывается как растр: %s"
constexpr int kBadGeotransform = 9441;  // "Растр %s не читается: его пиксели повёрнуты, ..."
constexpr int kTooFewPixels = 9442;  // "Растр %s не читается: в нём меньше двух ..."
constexpr int kTooLarge = 9443;    // "Растр %s слишком велик для сетки"
constexpr int kReadFailed = 9444;  // "Ошибка чтения растра %s: %s"
constexpr int kUnequalSteps = 9445;  // "Шаги сетки не равны: файл GeoTIFF %s не записан"
constexpr int kWriteFailed = 9446;  // "Ошибка GDAL при записи файла GeoTIFF %s: %s"
constexpr int kNoReason = 9447;  // "причина не сообщена"
constexpr int kNoBands = 9449;   // "В файле %s нет растровых каналов"

// The blank of the grid files, also the no-data value of the GeoTIFFs written.
constexpr double kBlank = 1.70141e38;

// The most nodes a raster may have: what EqNet takes and 1 GiB of doubles.
constexpr std::int64_t kMaxRasterNodes =
    std::min<std::int64_t>(EqNet::kMaxNodes, kMaxGridFileBytes / sizeof(double));

// How far the steps of a grid written may differ, relative to the first.
constexpr double kStepTolerance = 1e-9;

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] { GDALAllRegister(); });
}

// GDAL's messages go nowhere while it lives (they are this thread's last
// error, for our own messages); the errors before it are forgotten.
class QuietGdal {
public:
    QuietGdal() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

// GDAL's last error message, or our text saying there is none.
std::string gdalReason() {
    const char* m = CPLGetLastErrorMsg();
    return m != nullptr && *m != '\0' ? std::string(m) : text(kNoReason);
}

void warnAbout(int number, const std::string& path) { warning(formatText(text(number), {path})); }

void warnWithReason(int number, const std::string& path) {
    warning(formatText(text(number), {path, gdalReason()}));
}

struct DatasetCloser {
    void operator()(void* dataset) const { GDALClose(static_cast<GDALDatasetH>(dataset)); }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

// --- Reading -----------------------------------------------------------------------

// Doubles below this in size round to a finite float (the largest float
// and half its last place).
constexpr double kFloatRoundsToInfinity = 0x1p128 - 0x1p103;

// Whether a pixel read as a double holds the band's no-data value. A
// Float32 band's pixels are floats, while some drivers (VRT, ENVI) keep the
// no-data value as the double of its text: it is rounded to its float
// first, so it matches as GDAL's mask matches it.
class NoData {
public:
    explicit NoData(GDALRasterBandH band) {
        int has = 0;
        const double v = GDALGetRasterNoDataValue(band, &has);
        has_ = has != 0 && !std::isnan(v);
        const bool roundToFloat =
            GDALGetRasterDataType(band) == GDT_Float32 && std::abs(v) < kFloatRoundsToInfinity;
        value_ = roundToFloat ? static_cast<double>(static_cast<float>(v)) : v;
    }

    bool matches(double v) const { return has_ && v == value_; }

private:
    bool has_ = false;
    double value_ = 0;
};

// The nodes of one direction: the centres of the first and the last pixel,
// low end first, and whether the pixels run downward.
struct Axis {
    double lo = 0, hi = 0;
    bool reversed = false;
};

std::optional<Axis> axisOf(double origin, double size, int count) {
    const double first = origin + size / 2;
    const double last = first + (count - 1) * size;
    Axis a{std::min(first, last), std::max(first, last), size < 0};
    if (!std::isfinite(a.lo) || !std::isfinite(a.hi) || !(a.hi > a.lo)) return std::nullopt;
    return a;
}

std::optional<ImportedGrid> readOpenRaster(GDALDatasetH dataset, const std::string& path) {
    if (GDALGetRasterCount(dataset) < 1) {
        warnAbout(kNoBands, path);
        return std::nullopt;
    }
    double gt[6];
    if (GDALGetGeoTransform(dataset, gt) != CE_None) {
        // Without a geotransform GDAL gives (0, 1, 0, 0, 0, 1): lines going
        // up in Y, which would stand the picture on its head in our maps,
        // whose Y goes up. The lines go down instead.
        const double byIndices[6] = {0, 1, 0, 0, 0, -1};
        std::copy(std::begin(byIndices), std::end(byIndices), gt);
        CPLErrorReset();
    }
    if (!std::all_of(std::begin(gt), std::end(gt), [](double v) { return std::isfinite(v); }) ||
        gt[2] != 0 || gt[4] != 0 || gt[1] == 0 || gt[5] == 0) {
        warnAbout(kBadGeotransform, path);
        return std::nullopt;
    }

    ImportedGrid g;
    g.nx = GDALGetRasterXSize(dataset);
    g.ny = GDALGetRasterYSize(dataset);
    if (g.nx < 2 || g.ny < 2) {
        warnAbout(kTooFewPixels, path);
        return std::nullopt;
    }
    if (std::int64_t{g.nx} * std::int64_t{g.ny} > kMaxRasterNodes) {
        warnAbout(kTooLarge, path);
        return std::nullopt;
    }
    const auto ax = axisOf(gt[0], gt[1], g.nx);
    const auto ay = axisOf(gt[3], gt[5], g.ny);
    if (!ax || !ay) {
        warnAbout(kBadGeotransform, path);
        return std::nullopt;
    }
    g.xlo = ax->lo;
    g.xhi = ax->hi;
    g.ylo = ay->lo;
    g.yhi = ay->hi;

    const auto nx = static_cast<std::size_t>(g.nx);
    const auto ny = static_cast<std::size_t>(g.ny);
    std::vector<double> line;
    try {
        g.values.resize(nx * ny);
        line.resize(nx);
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return std::nullopt;
    }

    GDALRasterBandH band = GDALGetRasterBand(dataset, 1);
    const NoData noData(band);
    double zlo = std::numeric_limits<double>::infinity();
    double zhi = -zlo;
    for (std::size_t l = 0; l < ny; ++l) {
        if (GDALRasterIO(band, GF_Read, 0, static_cast<int>(l), g.nx, 1, line.data(), g.nx, 1,
                         GDT_Float64, 0, 0) != CE_None) {
            warnWithReason(kReadFailed, path);
            return std::nullopt;
        }
        // GDAL's lines run from gt[3] by gt[5]: downward (turned over here)
        // when gt[5] < 0.
        const std::size_t row = ay->reversed ? ny - 1 - l : l;
        double* out = &g.values[row * nx];
        for (std::size_t c = 0; c < nx; ++c) {
            double v = line[c];
            if (!std::isfinite(v) || noData.matches(v)) {
                v = kBlank;
            } else if (!isBlank(v)) {
                zlo = std::min(zlo, v);
                zhi = std::max(zhi, v);
            }
            out[ax->reversed ? nx - 1 - c : c] = v;
        }
    }
    if (zlo > zhi) zlo = zhi = 0.0;  // no value but blanks
    g.zlo = zlo;
    g.zhi = zhi;
    return g;
}

// --- Writing -----------------------------------------------------------------------

// Whether every step is the first one within the tolerance, and the first
// is a length.
bool equalSteps(const std::vector<double>& steps) {
    if (steps.empty() || !std::isfinite(steps.front()) || !(steps.front() > 0)) return false;
    const double s0 = steps.front();
    return std::all_of(steps.begin(), steps.end(),
                       [s0](double s) { return std::abs(s - s0) <= kStepTolerance * s0; });
}

// The nodes written along one direction, first and last (see the header).
struct Span {
    std::int32_t first = 0, last = 0;
    std::int32_t count() const { return last - first + 1; }
};

Span spanOf(std::int32_t n) { return n >= 3 ? Span{1, n - 2} : Span{0, n - 1}; }

// The step of the pixels: the written nodes' extent over their gaps, so the
// last node lands where it is; a single node takes the grid's step.
double pixelStep(const std::vector<double>& nodes, const std::vector<double>& steps, Span s) {
    if (s.count() < 2) return steps.front();
    return (nodes[static_cast<std::size_t>(s.last)] - nodes[static_cast<std::size_t>(s.first)]) /
           (s.count() - 1);
}

// A file in GDAL's memory file system, removed with this.
class MemoryFile {
public:
    MemoryFile() {
        static std::atomic<unsigned> counter{0};
        name_ = "/vsimem/gridova_geotiff_" + std::to_string(::getpid()) + "_" +
                std::to_string(counter++) + ".tif";
    }
    ~MemoryFile() { VSIUnlink(name_.c_str()); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;
    const char* name() const { return name_.c_str(); }

private:
    std::string name_;
};

// Makes the GeoTIFF in the memory file; false (GDAL's last error set) when
// GDAL fails.
bool makeGeoTiff(const EqNet& grid, Span sx, Span sy, const char* name) {
    GDALDriverH driver = GDALGetDriverByName("GTiff");
    if (driver == nullptr) return false;
    Dataset dataset(GDALCreate(driver, name, sx.count(), sy.count(), 1, GDT_Float64, nullptr));
    if (!dataset) return false;
    const auto& xs = grid.nodeX();
    const auto& ys = grid.nodeY();
    const double dx = pixelStep(xs, grid.stepX(), sx);
    const double dy = pixelStep(ys, grid.stepY(), sy);
    // The pixels' top left corner: half a step left of the first node and
    // above the top row.
    const double left = xs[static_cast<std::size_t>(sx.first)] - dx / 2;
    const double top = ys[static_cast<std::size_t>(sy.last)] + dy / 2;
    double gt[6] = {left, dx, 0, top, 0, -dy};
    if (GDALSetGeoTransform(dataset.get(), gt) != CE_None) return false;
    GDALRasterBandH band = GDALGetRasterBand(dataset.get(), 1);
    if (GDALSetRasterNoDataValue(band, kBlank) != CE_None) return false;

    const auto& values = grid.values();
    const auto& mask = grid.mask();
    const bool masked = mask.size() == values.size();
    const auto nx = static_cast<std::size_t>(grid.nx());
    std::vector<double> line(static_cast<std::size_t>(sx.count()));
    // Line 0 of the file is the top row written.
    for (std::int32_t j = sy.last, l = 0; j >= sy.first; --j, ++l) {
        for (std::int32_t i = sx.first; i <= sx.last; ++i) {
            const std::size_t k = static_cast<std::size_t>(i) + static_cast<std::size_t>(j) * nx;
            const double v = values[k];
            line[static_cast<std::size_t>(i - sx.first)] =
                (masked && mask[k] == kMaskOutside) || isBlank(v) ? kBlank : v;
        }
        if (GDALRasterIO(band, GF_Write, 0, l, sx.count(), 1, line.data(), sx.count(), 1,
                         GDT_Float64, 0, 0) != CE_None) {
            return false;
        }
    }
    // Closing writes what is still cached; GDAL 3.6 reports a failure there
    // only as its last error.
    CPLErrorReset();
    dataset.reset();
    return CPLGetLastErrorType() != CE_Failure && CPLGetLastErrorType() != CE_Fatal;
}

}  // namespace

std::optional<ImportedGrid> readRasterGrid(const std::string& path) {
    registerDrivers();
    const QuietGdal quiet;
    Dataset dataset(GDALOpenEx(path.c_str(),
                               GDAL_OF_RASTER | GDAL_OF_READONLY | GDAL_OF_VERBOSE_ERROR, nullptr,
                               nullptr, nullptr));
    if (!dataset) {
        warnWithReason(kNotARaster, path);
        return std::nullopt;
    }
    return readOpenRaster(dataset.get(), path);
}

bool writeGeoTiff(const EqNet& grid, const std::string& path) {
    if (grid.empty() || grid.values().size() != static_cast<std::size_t>(grid.nodeCount())) {
        return false;
    }
    if (grid.nx() < 2) {
        warning(text(kBadColumns));
        return false;
    }
    if (grid.ny() < 2) {
        warning(text(kBadRows));
        return false;
    }
    if (!equalSteps(grid.stepX()) || !equalSteps(grid.stepY())) {
        warnAbout(kUnequalSteps, path);
        return false;
    }

    registerDrivers();
    const QuietGdal quiet;
    const MemoryFile memory;
    bool made = false;
    try {
        made = makeGeoTiff(grid, spanOf(grid.nx()), spanOf(grid.ny()), memory.name());
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return false;
    }
    vsi_l_offset length = 0;
    const GByte* bytes = made ? VSIGetMemFileBuffer(memory.name(), &length, FALSE) : nullptr;
    if (bytes == nullptr) {
        warnWithReason(kWriteFailed, path);
        return false;
    }

    const auto out = openBinaryWrite(path);
    if (!out) return false;
    if (std::fwrite(bytes, 1, static_cast<std::size_t>(length), out->file()) !=
        static_cast<std::size_t>(length)) {
        out->discard();  // commitOrWarn then reports the failure
    }
    return commitOrWarn(*out);
}

}  // namespace gridova
