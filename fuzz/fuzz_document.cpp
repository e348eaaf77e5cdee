// Feeds one input to the document reader of the map view as a whole ".GDV"
// file. It must refuse what it cannot read without crashing, never read
// past what the file holds, and leave a map that can be used.
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz/fuzz_common.h"
#include "render/map_view.h"

namespace {

std::string gPath;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string dir = gridova::fuzz::setUpFuzzing();
    gPath = dir + "/input.gdv";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (!gridova::fuzz::writeInput(gPath, data, size)) return 0;
    gridova::CVexaView view;
    view.readDocument(gPath);
    view.computeWorldRect();
    return 0;
}
