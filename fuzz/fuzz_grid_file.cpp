// Feeds one input to the ".net" grid file reader as the file's bytes. A grid
// that reads is checked for a consistent layout, written back and read again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_common.h"
#include "grid/eq_net.h"

namespace {

std::string gCopyPath;

void check(bool condition) {
    if (!condition) std::abort();
}

bool allFinite(const std::vector<double>& v) {
    for (const double x : v) {
        if (!std::isfinite(x)) return false;
    }
    return true;
}

// The node and step lists agree with the counts; no values, no mask.
void checkLayout(const gridova::EqNet& grid) {
    check(grid.nx() >= 1 && grid.ny() >= 1);
    check(grid.nodeX().size() == static_cast<std::size_t>(grid.nx()));
    check(grid.nodeY().size() == static_cast<std::size_t>(grid.ny()));
    check(grid.stepX().size() == static_cast<std::size_t>(grid.nx() - 1));
    check(grid.stepY().size() == static_cast<std::size_t>(grid.ny() - 1));
    check(!grid.hasValues() && !grid.hasMask());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string dir = gridova::fuzz::setUpFuzzing();
    gCopyPath = dir + "/copy.net";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gridova::EqNet grid;
    if (!grid.readText(std::string_view(reinterpret_cast<const char*>(data), size), "input")) {
        check(grid.empty());
        return 0;
    }
    checkLayout(grid);
    (void)grid.uniformStepX();
    (void)grid.uniformStepY();
    (void)grid.maxStep();
    (void)grid.nearestNode(0.0, 0.0);

    // Finite grids read back as written.
    const gridova::DRect& e = grid.extent();
    if (!std::isfinite(grid.cellLength) || !allFinite(grid.stepX()) || !allFinite(grid.stepY()) ||
        !allFinite(grid.nodeX()) || !allFinite(grid.nodeY()) || !std::isfinite(e.minX) ||
        !std::isfinite(e.minY) || !std::isfinite(e.maxX) || !std::isfinite(e.maxY)) {
        return 0;
    }
    check(grid.writeFile(gCopyPath));
    gridova::EqNet back;
    check(back.readFile(gCopyPath));
    checkLayout(back);
    check(back.nx() == grid.nx() && back.ny() == grid.ny());
    check(back.stepX() == grid.stepX() && back.stepY() == grid.stepY());
    check(back.gridType == grid.gridType && back.cellLength == grid.cellLength);
    // The file keeps the corners; the lower left is the smaller of each pair,
    // which is the first node only while the steps add up to no less.
    if (e.maxX >= e.minX) check(back.nodeX() == grid.nodeX());
    if (e.maxY >= e.minY) check(back.nodeY() == grid.nodeY());
    return 0;
}
