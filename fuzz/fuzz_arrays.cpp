// Feeds one input to the readers of arrays without coordinates: the number
// reader (as a file and as a text, which must agree) and "Dimensn.arr" for
// as many values as the input holds numbers, and for a few other counts. A
// layout read must fold exactly those values into cells of positive sizes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/array_layout.h"
#include "data/number_reader.h"
#include "fuzz/fuzz_common.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

std::string gInput;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gInput = gridova::fuzz::setUpFuzzing() + "/input.txt";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!gridova::fuzz::writeInput(gInput, data, size)) return 0;
    const std::optional<std::vector<double>> numbers = gridova::readNumbers(gInput);
    check(numbers.has_value());
    const std::vector<double> fromText =
        gridova::readNumbersFromText(std::string_view(reinterpret_cast<const char*>(data), size));
    check(fromText.size() == numbers->size());
    for (std::size_t i = 0; i < fromText.size(); ++i) {
        check(fromText[i] == (*numbers)[i] ||
              (std::isnan(fromText[i]) && std::isnan((*numbers)[i])));
    }

    const auto n = static_cast<std::int64_t>(numbers->size());
    for (const std::int64_t count : {n, std::int64_t{12}, std::int64_t{10}, std::int64_t{1}}) {
        if (count < 1) continue;
        gridova::ArrayLayout layout = gridova::ArrayLayout::forValues(count);
        const gridova::DimensionFileRead read = gridova::readDimensionFile(gInput, count, layout);
        check(layout.fits(count));
        if (read != gridova::DimensionFileRead::Taken) continue;
        const std::vector<double> xs = layout.columnCentres();
        const std::vector<double> ys = layout.rowCentres();
        check(xs.size() == static_cast<std::size_t>(layout.nx));
        check(ys.size() == static_cast<std::size_t>(layout.ny));
    }
    return 0;
}
