// The node filter: nodes whose value fails the comparison leave the area.
#include "grid/eq_net.h"
#include "platform/profile.h"

namespace gridova {

bool EqNet::passesFilter(std::int32_t sign, double v, double limit) {
    switch (sign) {
        case 0:
            return v < limit;
        case 1:
            return v <= limit;
        case 2:
            return v != limit;
        case 3:
            return v >= limit;
        case 4:
            return v > limit;
        default:
            return true;  // an unknown sign filters nothing
    }
}

int EqNet::applyNodeFilter() {
    if (filterOn == 0 || !hasValues() || !hasMask() || mask_.size() != values_.size()) return 0;
    int removed = 0;
    for (std::size_t n = 0; n < values_.size(); ++n) {
        if (mask_[n] == kMaskOutside) continue;
        if (!passesFilter(filterSign, values_[n], filterValue)) {
            mask_[n] = kMaskOutside;
            ++removed;
        }
    }
    return removed;
}

void EqNet::writeFilterProfile() const {
    writeProfileInt("Grid", "Cell Border", cellBorder);
    writeProfileLong("Grid", "Cell Color", cellColor);
    writeProfileInt("Grid", "Default Filter", defaultFilter);
    if (defaultFilter != 0) {
        writeProfileInt("Grid", "Filter Is", filterOn);
        writeProfileInt("Grid", "Filter Sign", filterSign);
        writeProfileDouble("Grid", "Filter Value", filterValue);
    }
}

}  // namespace gridova
