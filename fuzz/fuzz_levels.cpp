// Feeds one input to the isoline levels file reader (the file of the
// start-up switch "-i") as the file's bytes. Short lists that would be used
// are stored in the profile as a build stores them and read back.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contour/isoline_levels.h"
#include "fuzz/fuzz_common.h"

namespace {

// Longer lists are not stored, to keep each input quick.
constexpr std::size_t kMaxStored = 256;

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();  // the stored levels go to a profile of its own
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::optional<std::vector<double>> levels = gridova::readLevelsText(
        std::string_view(reinterpret_cast<const char*>(data), size), "input");
    if (!levels || levels->size() < gridova::kMinFileLevels || levels->size() > kMaxStored) {
        return 0;
    }
    for (const double v : *levels) {
        if (!std::isfinite(v)) return 0;
    }
    gridova::writeStoredLevels(*levels);
    const std::optional<std::vector<double>> stored = gridova::readStoredLevels();
    check(stored.has_value());
    check(*stored == *levels);
    return 0;
}
