// Feeds one input to the data-file, clipboard-text and ".cor" readers and
// builds point sets from what they read.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/data_table.h"
#include "data/point_set.h"
#include "fuzz/fuzz_common.h"

namespace {

std::string gPath;

void checkSet(const gridova::DataTable& table) {
    gridova::PointSet set;
    set.buildFromTable(table);
    set.computeSizeFactors();
    for (const auto& p : set.points()) {
        if (p.value.present() && !(p.sizeFactor >= 0.0 && p.sizeFactor <= 1.0 + 1e-12) &&
            std::isfinite(set.vmax - set.vmin)) {
            std::abort();  // factors lie in 0..1 whenever the range is finite
        }
    }
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        (void)table.cell(r, table.cellCount(r));
        (void)table.label(r);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string dir = gridova::fuzz::setUpFuzzing();
    gPath = dir + "/input.dat";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!gridova::fuzz::writeInput(gPath, bytes.data(), bytes.size())) return 0;
    gridova::DataTable table;
    table.readFile(gPath);
    checkSet(table);
    table.readText(bytes);
    checkSet(table);
    table.readCoordinateText(bytes);
    checkSet(table);
    return 0;
}
