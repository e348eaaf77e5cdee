// The first display of a grid file opened as a map: its nodes become a
// hidden point set, the map's grid lies over the file's extent with two
// more nodes each side (its inner nodes are the file's), and a green line
// frames the nodes.
#include "exchange/grid_import.h"
#include "render/map_model.h"

namespace gridova {

namespace {

// Nodes added around the file's nodes, each way.
constexpr std::int32_t kExtraNodes = 4;
// Values above this are left out of the grid by its filter.
constexpr double kFilterValue = 1e20;

}  // namespace

bool MapModel::takeImportedGrid(const ImportedGrid& g) {
    if (g.nx < 2 || g.ny < 2) return false;
    const double dx = (g.xhi - g.xlo) / (g.nx - 1);
    const double dy = (g.yhi - g.ylo) / (g.ny - 1);
    PointSet set;
    for (std::int32_t r = 0; r < g.ny; ++r) {
        for (std::int32_t c = 0; c < g.nx; ++c) {
            DataPoint p;
            p.x = g.xlo + c * dx;
            p.y = g.ylo + r * dy;
            const double v = g.at(r, c);
            // A blank node is a point without a value.
            if (!isBlank(v)) p.value = OptionalValue(v);
            if (set.addExisting(std::move(p)) < 0) return false;
        }
    }
    set.computeStatistics();
    set.computeSizeFactors();
    set.visible = 0;
    PointSet& added = addPointSet(std::move(set));
    setMainPoints(&added);

    grid_ = EqNet::fromCounts(DRect(g.xlo, g.ylo, g.xhi, g.yhi), g.nx + kExtraNodes,
                              g.ny + kExtraNodes);
    if (!grid_) return false;
    grid_->filterValue = kFilterValue;

    // The frame: through the midpoints of the first two and of the last two
    // node columns and rows of the map's grid.
    const std::vector<double>& xs = grid_->nodeX();
    const std::vector<double>& ys = grid_->nodeY();
    const double x1 = (xs[0] + xs[1]) / 2, x2 = (xs[xs.size() - 2] + xs.back()) / 2;
    const double y1 = (ys[0] + ys[1]) / 2, y2 = (ys[ys.size() - 2] + ys.back()) / 2;
    Line frame;
    for (const auto& [x, y] : {std::pair{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}})
        frame.addPoint(x, y);
    frame.close();
    frame.style.colorLine = static_cast<std::int32_t>(gdi::rgb(0, 255, 0));
    auto border = std::make_unique<LineList>();
    border->add(std::move(frame));
    setBorder(std::move(border));
    notify(kEverythingChanged);
    return true;
}

}  // namespace gridova
