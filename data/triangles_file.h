// TRIANGLES files: a ready triangulation as text.
//
//     VERTICES: N
//     x, y, value          N lines, vertex k on line k (counted from 1)
//     TRIANGLES: M
//     a, b, c              M lines, the corner numbers of one triangle
//
// Tokens are split as in data files (blanks, TAB, "," or ";"). Each header
// word is the text before the first ":" (or TAB), trimmed of blanks and
// compared in capitals; its count is the next token. A file that ends
// before its TRIANGLES line holds no triangles, and an empty file is an
// empty network.
//
// The reader refuses what the triangle method could not use safely: a
// negative count, a corner number outside 1..N, and a file that ends
// before the lines its counts announce. Every refusal shows one warning
// and leaves the network empty.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace gridova {

// Vertices with one value each, and triangles naming their corners.
struct TriangleNetwork {
    std::vector<double> xy;             // x, y of each vertex, in vertex order
    std::vector<double> values;         // the value of each vertex
    std::vector<std::int32_t> corners;  // three vertex numbers a triangle, counted from 1

    std::int32_t vertexCount() const { return static_cast<std::int32_t>(values.size()); }
    std::int32_t triangleCount() const { return static_cast<std::int32_t>(corners.size() / 3); }
    bool empty() const { return values.empty() && corners.empty(); }
    void clear();
};

// Reads the file into the network: 0, or -1 after a warning (the network
// is then empty). Warnings: message 202 when the file cannot be opened;
// "It's not TRIANGLES file", "Invalid VERTICES number", "Invalid double %s",
// "It's not TRIANGLE file", "Invalid TRIANGES number", "Invalid integer %s";
// messages 9070 and 9071 for a file that ends too early.
int readTriangles(const std::string& path, TriangleNetwork& network);
// The same from the file's text; `name` names it in the messages.
int readTrianglesText(std::string_view text, const std::string& name, TriangleNetwork& network);

// Writes the network in the layout above, numbers in their shortest exact
// form. False when a write failed.
bool writeTriangles(std::FILE* file, const TriangleNetwork& network);

}  // namespace gridova
