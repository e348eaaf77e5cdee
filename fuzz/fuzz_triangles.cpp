// Feeds one input to the TRIANGLES reader; what it reads is rasterised onto
// two grids and its vertices are triangulated again.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "data/triangles_file.h"
#include "fuzz/fuzz_common.h"
#include "grid/eq_net.h"
#include "grid/triangle_method.h"
#include "grid/triangulation.h"

namespace {

// Vertices handed to the triangulation at most (its time grows with them).
constexpr std::int32_t kMaxTriangulated = 4000;

void check(bool condition) {
    if (!condition) std::abort();
}

// Every corner names a vertex; the counts agree with the arrays.
void checkNetwork(const gridova::TriangleNetwork& n) {
    check(n.xy.size() == 2 * n.values.size());
    check(n.corners.size() % 3 == 0);
    for (const std::int32_t c : n.corners) check(c >= 1 && c <= n.vertexCount());
}

void rasteriseOn(gridova::EqNet& grid, const gridova::TriangleNetwork& n) {
    if (grid.empty()) return;
    if (!gridova::rasteriseTriangleSet(grid, n)) return;
    for (std::size_t k = 0; k < grid.mask().size(); ++k) {
        const std::int32_t m = grid.mask()[k];
        check(m == gridova::kMaskInside || m == gridova::kMaskOutside);
        if (m == gridova::kMaskOutside) check(grid.values()[k] == gridova::kBlankValue);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gridova::fuzz::setUpFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    gridova::TriangleNetwork network;
    if (gridova::readTrianglesText(std::string_view(reinterpret_cast<const char*>(data), size),
                                   "input", network) != 0) {
        check(network.empty());
        return 0;
    }
    checkNetwork(network);

    // A fixed grid around the origin, and one over the vertices.
    gridova::EqNet fixed;
    fixed.setSteps(std::vector<double>(39, 0.5), std::vector<double>(29, 0.5));
    fixed.shift(-10, -7);
    rasteriseOn(fixed, network);
    if (network.vertexCount() > 0) {
        double x0 = network.xy[0], x1 = x0, y0 = network.xy[1], y1 = y0;
        for (std::size_t k = 0; k < network.xy.size(); k += 2) {
            x0 = std::fmin(x0, network.xy[k]);
            x1 = std::fmax(x1, network.xy[k]);
            y0 = std::fmin(y0, network.xy[k + 1]);
            y1 = std::fmax(y1, network.xy[k + 1]);
        }
        if (std::isfinite(x1 - x0) && std::isfinite(y1 - y0) && x1 > x0 && y1 > y0) {
            const auto fitted = gridova::EqNet::fromCounts(gridova::DRect(x0, y0, x1, y1), 24, 20);
            if (fitted) rasteriseOn(*fitted, network);
        }
    }

    if (network.vertexCount() <= kMaxTriangulated) {
        const std::vector<std::int32_t> corners = gridova::triangulate(network.xy);
        check(corners.size() % 3 == 0);
        for (const std::int32_t c : corners) check(c >= 1 && c <= network.vertexCount());
    }
    return 0;
}
