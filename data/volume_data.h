// What a volume file holds (read by exchange/grid_import.h): several
// variables on a 3D lattice, kept by the document for the volume view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gridova {

// The file: 4 magic bytes (the first 'D' or 'V', the fourth 'E', 'F'
// or 'G'), an int32 count of variables, one 32-byte name per variable (it
// ends at the first CR, LF or NUL), nx, ny, nz (int32), then for every
// layer, row and column one record of 4-byte little-endian floats: X, Y,
// Z (kinds 'E' and 'G'; kind 'F' has none: its layers are numbered 1, 2,
// ...), then one value per variable. Kind 'E' keeps one Z per layer, 'G'
// one per node; both are read per node here.
struct VolumeVariable {
    std::string name;
    std::vector<float> values;  // per node, layer after layer, row after row
};

struct VolumeData {
    char kind = 'E';
    std::int32_t nx = 0, ny = 0, nz = 0;
    std::vector<float> x, y, z;  // per node
    std::vector<VolumeVariable> variables;
};

}  // namespace gridova
