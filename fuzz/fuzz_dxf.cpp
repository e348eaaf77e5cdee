// Feeds one input to the DXF reader of lines and groups as the file's text.
// A failed read must leave the target as it was; what reads is written to
// a file and read back, and must come back the same: groups, names, styles
// and every coordinate bit.
#include <bit>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "exchange/dxf_lines.h"
#include "fuzz/fuzz_common.h"
#include "objects/bush.h"
#include "objects/line.h"

namespace {

std::string gCopyPath;

void check(bool condition) {
    if (!condition) std::abort();
}

bool sameBits(double a, double b) {
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

void checkSameLine(const gridova::Line& a, const gridova::Line& b, bool compareNames) {
    check(a.style == b.style);
    check(a.size() == b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        check(sameBits(a.points()[i].x, b.points()[i].x));
        check(sameBits(a.points()[i].y, b.points()[i].y));
    }
    if (compareNames) check(a.name == b.name);
}

// The line names of a group fit on a line, so the file keeps them whole
// (and no cut name can meet another one).
bool namesFit(const gridova::Bush& g) {
    for (std::size_t i = 0; i < g.itemCount(); ++i) {
        const gridova::Line* l = g.item(i).line();
        if (l != nullptr && l->name && l->name->size() > gridova::kMaxDxfLineBytes) return false;
    }
    return true;
}

// The tree read back from our own file. The file names an unnamed root
// group with one blank. A group whose line names were cut may name its
// objects otherwise when they are read back (cut names can meet).
void checkSameTree(const gridova::Bush& a, const gridova::Bush& b, bool compareName) {
    if (compareName) check(a.name() == b.name());
    check(a.itemCount() == b.itemCount());
    check(a.childCount() == b.childCount());
    const bool compareNames = namesFit(a);
    for (std::size_t i = 0; i < a.itemCount(); ++i) {
        const gridova::Line* la = a.item(i).line();
        const gridova::Line* lb = b.item(i).line();
        check(la != nullptr && lb != nullptr);
        checkSameLine(*la, *lb, compareNames);
    }
    for (std::size_t i = 0; i < a.childCount(); ++i) {
        checkSameTree(a.child(i), b.child(i), compareNames);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string dir = gridova::fuzz::setUpFuzzing();
    gCopyPath = dir + "/copy.dxf";
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    gridova::Bush target;
    if (!gridova::readDxfText(text, target, "input")) {
        check(target.name().empty() && target.itemCount() == 0 && target.childCount() == 0);
        return 0;
    }
    check(gridova::writeDxfGroup(gCopyPath, target));
    gridova::Bush back;
    check(gridova::readDxfFile(gCopyPath, back));
    checkSameTree(target, back, !target.name().empty());
    return 0;
}
