#include "render/triangle_layer.h"

#include <vector>

namespace gridova {

std::unique_ptr<LineList> networkLines(const TriangleNetwork& network) {
    auto lines = std::make_unique<LineList>();
    const std::int32_t vertices = network.vertexCount();
    const auto vertex = [&](std::int32_t number) {
        const std::size_t k = static_cast<std::size_t>(number - 1);
        return LinePoint{network.xy[2 * k], network.xy[2 * k + 1]};
    };
    for (std::size_t t = 0; t + 2 < network.corners.size(); t += 3) {
        const std::int32_t a = network.corners[t], b = network.corners[t + 1],
                           c = network.corners[t + 2];
        if (a < 1 || b < 1 || c < 1 || a > vertices || b > vertices || c > vertices) continue;
        lines->add(Line(std::vector<LinePoint>{vertex(a), vertex(b), vertex(c), vertex(a)}));
    }
    return lines;
}

std::unique_ptr<LineList> buildNetworkLines(const NetworkSource& source,
                                            const TriangleNetwork* readSet) {
    if (readSet != nullptr && readSet->triangleCount() > 0) return networkLines(*readSet);
    TriangleNetwork network;
    if (triangulatePoints(source, false, BorderVertices::Always, network) < 0) return nullptr;
    return networkLines(network);
}

PointSet pointSetFromTriangles(const TriangleNetwork& network) {
    PointSet set;
    for (std::int32_t k = 0; k < network.vertexCount(); ++k) {
        const std::size_t i = static_cast<std::size_t>(k);
        set.addPoint(network.xy[2 * i], network.xy[2 * i + 1], network.values[i]);
    }
    return set;
}

}  // namespace gridova
