// Feeds one input to the document reader of the map view as a whole ".GDV"
// file. It must refuse what it cannot read without crashing, never read
// past what the file holds, and leave a map that can be used.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/fuzz_common.h"
#include "render/map_view.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gridova::CVexaView view;
    view.readDocumentBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    view.computeWorldRect();
    return 0;
}
