// Feeds one input to the document-section readers: the first byte picks the
// reader, the rest is the file it reads. Each reader must refuse what it
// cannot read without crashing, and never read past what the file holds.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "contour/isoline_format.h"
#include "contour/isoline_set.h"
#include "data/drect.h"
#include "data/point_set.h"
#include "data/polynomial_regression.h"
#include "data/record_buffer.h"
#include "fuzz/fuzz_common.h"
#include "grid/eq_net.h"
#include "objects/bush.h"
#include "objects/color_scale.h"
#include "objects/line.h"
#include "objects/line_list.h"
#include "objects/map_items.h"
#include "objects/map_title.h"

namespace {

template <typename Object>
void readInto(gridova::BinaryReader& in) {
    Object object;
    object.readSection(in);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    gridova::BinaryReader in(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    switch (data[0] % 14) {
        case 0:
            readInto<gridova::PointSet>(in);
            break;
        case 1:
            readInto<gridova::Line>(in);
            break;
        case 2:
            readInto<gridova::LineList>(in);
            break;
        case 3:
            readInto<gridova::Bush>(in);
            break;
        case 4:
            readInto<gridova::ColorScale>(in);
            break;
        case 5:
            readInto<gridova::DRect>(in);
            break;
        case 6:
            readInto<gridova::MapAxis>(in);
            break;
        case 7:
            readInto<gridova::MapText>(in);
            break;
        case 8:
            readInto<gridova::EqNet>(in);
            break;
        case 9:
            readInto<gridova::IsolineSet>(in);
            break;
        case 10:
            readInto<gridova::Isoline>(in);
            break;
        case 11:
            readInto<gridova::IsolineFormat>(in);
            break;
        case 12:
            readInto<gridova::MapTitle>(in);
            break;
        case 13:
            readInto<gridova::PolynomialRegression>(in);
            break;
    }
    return 0;
}
