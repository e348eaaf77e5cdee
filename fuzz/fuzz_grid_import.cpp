// Feeds one input to the grid file and volume file readers as a file's bytes. What reads
// must be a grid the rest of the program can use: at least one column and
// row, a value for every node, finite extents with the high end above the
// low end, every value a number (a blank at most) and the kind a grid kind.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "exchange/grid_import.h"
#include "fuzz/fuzz_common.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkExtent(double lo, double hi) { check(std::isfinite(lo) && std::isfinite(hi) && hi > lo); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    gridova::GridFileKind kind = gridova::GridFileKind::Bad;
    const auto grid = gridova::readGridBytes(bytes, "input", &kind);
    check(kind == gridova::gridFileKind(bytes));
    // The same bytes as a volume file: every variable and coordinate has a
    // value per node, and the records were in the bytes.
    if (const auto volume = gridova::readVolumeBytes(bytes, "input")) {
        check(kind == gridova::GridFileKind::Volume);
        check(volume->nx >= 1 && volume->ny >= 1 && volume->nz >= 1 && !volume->variables.empty());
        const std::uint64_t nodes = static_cast<std::uint64_t>(volume->nx) *
                                    static_cast<std::uint64_t>(volume->ny) *
                                    static_cast<std::uint64_t>(volume->nz);
        check(volume->x.size() == nodes && volume->y.size() == nodes && volume->z.size() == nodes);
        for (const auto& variable : volume->variables) check(variable.values.size() == nodes);
        check(nodes * (volume->variables.size() + 2) * 4 <= size);
    }
    if (!grid) return 0;
    check(kind == gridova::GridFileKind::TextGrid || kind == gridova::GridFileKind::BinaryGrid);
    check(grid->nx >= 1 && grid->ny >= 1);
    const auto count = static_cast<std::uint64_t>(grid->nx) * static_cast<std::uint64_t>(grid->ny);
    check(grid->values.size() == count);
    // No more values than the bytes could hold.
    check(count <= size / (kind == gridova::GridFileKind::BinaryGrid ? 4 : 2));
    checkExtent(grid->xlo, grid->xhi);
    checkExtent(grid->ylo, grid->yhi);
    for (double v : grid->values)
        check(!std::isnan(v) && (std::isfinite(v) || gridova::isBlank(v)));
    return 0;
}
