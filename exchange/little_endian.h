// Little-endian fields appended to a byte buffer, as the binary formats we
// write (BMP, GIF, GRD) store them.
#pragma once

#include <cstdint>
#include <vector>

namespace gridova {

inline void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace gridova
