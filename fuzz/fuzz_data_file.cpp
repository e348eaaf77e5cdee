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
#include "platform/messages.h"

namespace {

class SilentBoxes final : public gridova::Boxes {
public:
    void information(const std::string&, const std::string&) override {}
    void warning(const std::string&, const std::string&) override {}
    gridova::Answer question(const std::string&, const std::string&) override {
        return gridova::Answer::No;
    }
};

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
    static SilentBoxes boxes;
    gridova::setBoxes(&boxes);
    char dir[] = "/tmp/gridova-fuzz-XXXXXX";
    if (::mkdtemp(dir) == nullptr) std::abort();
    ::chdir(dir);
    ::setenv("GRIDOVA_PROFILE", (std::string(dir) + "/profile.ini").c_str(), 1);
    gPath = std::string(dir) + "/input.dat";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    {
        std::FILE* f = std::fopen(gPath.c_str(), "wb");
        if (f == nullptr) return 0;
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    gridova::DataTable table;
    table.readFile(gPath);
    checkSet(table);
    table.readText(bytes);
    checkSet(table);
    table.readCoordinateFile(gPath);
    checkSet(table);
    return 0;
}
