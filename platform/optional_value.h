// A value that may be absent: a 32-bit presence flag and a double that means
// something only when the flag is 1. On file: the flag, then the 8-byte
// double only when the flag is not 0 (4 or 12 bytes).
#pragma once

#include <cstdint>

namespace gridova {

struct OptionalValue {
    std::int32_t flag = 0;  // 1 = present
    double value = 0.0;     // meaningful only when present

    constexpr OptionalValue() = default;
    constexpr explicit OptionalValue(double v) : flag(1), value(v) {}

    constexpr bool present() const { return flag != 0; }
    constexpr void set(double v) {
        flag = 1;
        value = v;
    }
    constexpr void clear() {
        flag = 0;
        value = 0.0;
    }
    friend constexpr bool operator==(const OptionalValue& a, const OptionalValue& b) {
        return a.flag == b.flag && (a.flag == 0 || a.value == b.value);
    }
};

}  // namespace gridova
