// Reading grid files written by other programs (and by exportGrd): the text
// grid "DSAA" and the binary grid "DSBB".
//
// Text grid: a first line starting with "DSAA" (the rest of it is not
// read), then numbers separated by any white space, rows free to wrap over
// lines: the integers nx ny, then xlo xhi, ylo yhi, zlo zhi, then ny rows of
// nx values, the first row at ylo. Every number is read as a double. What
// follows the last value is not read.
//
// Binary grid, little-endian: "DSBB", int16 nx, int16 ny, the doubles xlo,
// xhi, ylo, yhi, zlo, zhi at offsets 8 to 48, then float32 values from
// offset 56, ny rows of nx, the first row at ylo. Bytes after the last value
// are not read.
//
// Values are kept as read: a value above 1e30 is a blank (the formats write
// 1.70141e38), which `isBlank` tells. zlo and zhi are kept as read and not
// checked.
//
// The kind of a file is told by its first four bytes (gridFileKind). A file
// that is not a grid we read, is broken or does not hold what its header
// says (fewer than one column or row, a value missing or not a number, a
// binary value that is NaN or minus infinity, extents that are not finite
// or whose high end is not above the low end, a file above 1 GiB) gives the
// warning 9470 "Bad format has been detected in %s" with the name, and nothing.
// Volume files and the kinds read without a message give nothing and no
// message.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/volume_data.h"

namespace gridova {

struct ImportedGrid {
    std::int32_t nx = 0;  // columns
    std::int32_t ny = 0;  // rows
    double xlo = 0, xhi = 0;
    double ylo = 0, yhi = 0;
    double zlo = 0, zhi = 0;
    // nx * ny values; row r (r = 0 at ylo), column c (c = 0 at xlo) at
    // r * nx + c.
    std::vector<double> values;

    double at(std::int32_t row, std::int32_t column) const {
        return values[static_cast<std::size_t>(row) * static_cast<std::size_t>(nx) +
                      static_cast<std::size_t>(column)];
    }
};

// Values above this are blanks.
inline constexpr double kGridBlankAbove = 1e30;

inline bool isBlank(double v) { return v > kGridBlankAbove; }

// What the first four bytes of a file say it is: the first byte 'D' or 'V',
// and the fourth byte 'A' (text grid), 'B' (binary grid), 'E', 'F' or 'G'
// (a volume file, not read here), 'C' or 'D' (nothing is read, without a
// message). Anything else, or fewer than four bytes, is Bad.
enum class GridFileKind { TextGrid, BinaryGrid, Volume, NotRead, Bad };

GridFileKind gridFileKind(std::string_view bytes);

// Files larger than this are refused.
inline constexpr std::uint64_t kMaxGridFileBytes = std::uint64_t{1} << 30;

// Reads a file; a file that cannot be opened shows message 202. When given,
// `kind` receives what the first four bytes say, also when the file turns
// out broken; Bad for a file that cannot be opened or read, or is too large.
std::optional<ImportedGrid> readGridFile(const std::string& path, GridFileKind* kind = nullptr);

// A grid document: a ".grd" file (any case) by readGridFile, any other
// file as a raster through GDAL (exchange/gdal_raster.h); without GDAL,
// message 9460 and nothing.
std::optional<ImportedGrid> readGridDocument(const std::string& path, GridFileKind* kind = nullptr);

// A volume file's contents; a file that is no volume file, has no
// variable or fewer than one node a way, or does not hold every record
// gives warning 9470 and nothing.
std::optional<VolumeData> readVolumeFile(const std::string& path);
std::optional<VolumeData> readVolumeBytes(std::string_view bytes,
                                          const std::string& nameForMessages);

// Reads a file's bytes; messages name the file `nameForMessages`; `kind` as
// above.
std::optional<ImportedGrid> readGridBytes(std::string_view bytes,
                                          const std::string& nameForMessages,
                                          GridFileKind* kind = nullptr);

}  // namespace gridova
