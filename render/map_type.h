// The map types: what a map shows of its data and grid.
#pragma once

#include <cstdint>

namespace gridova {

enum class MapType : std::int32_t {
    LocatePoints = 0,
    Isolines = 1,
    ColorIsolines = 2,
    ColorCells = 3,
    CircleValues = 4,
    TriangleNetwork = 6,
    ExistingValues = 7,
};

// A number that names a map type (5 names none).
constexpr bool isMapType(std::int32_t n) { return n >= 0 && n <= 7 && n != 5; }

// Map types drawn from the grid's values as colour cells.
constexpr bool showsCells(MapType type) {
    return type == MapType::ColorCells || type == MapType::ExistingValues;
}

// Map types whose grid values are computed (or kept) by the interpolation
// driver before the map is built from them.
constexpr bool usesGridValues(MapType type) {
    return type == MapType::Isolines || type == MapType::ColorIsolines || showsCells(type);
}

}  // namespace gridova
