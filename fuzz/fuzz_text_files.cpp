// Feeds one input to the text-file readers of lines, groups, line lists,
// point lists, colour files and font blocks: the first byte picks the
// reader, the rest is the text.
#include <cstdint>
#include <string>
#include <string_view>

#include "contour/isoline_format.h"
#include "contour/isoline_set.h"
#include "data/font_block.h"
#include "data/line_source.h"
#include "fuzz/fuzz_common.h"
#include "objects/bush.h"
#include "objects/color_scale.h"
#include "objects/line_list.h"
#include "objects/line_text_files.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    gridova::TextLineSource lines(text);
    switch (data[0] % 8) {
        case 0:
            (void)gridova::readLineText(lines);
            break;
        case 1:
            (void)gridova::readGroupText(lines);
            break;
        case 2:
            (void)gridova::readPointListText(lines);
            break;
        case 3: {
            gridova::LineList list;
            (void)gridova::readLineListText(lines, list);
            break;
        }
        case 4: {
            gridova::ColorScale scale;
            (void)scale.readColors(lines, gridova::ColorScale::kNewScale);
            break;
        }
        case 5: {
            gridova::gdi::LogFont font;
            (void)gridova::readLogFontText(lines, font);
            break;
        }
        case 6: {
            gridova::IsolineSet set;
            (void)set.readTemplate(lines);
            break;
        }
        case 7: {
            gridova::IsolineFormat format;
            (void)format.readText(lines);
            break;
        }
    }
    return 0;
}
