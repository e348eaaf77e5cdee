// The first display of a grid file opened as a map: its nodes become a
// hidden point set, the map's grid lies over the file's extent with two
// more nodes each side (its inner nodes are the file's), and a green line
// frames the nodes.
#include "exchange/grid_import.h"
#include "render/map_model.h"

namespace gridova {

namespace {

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

    grid_ = EqNet::fromCounts(DRect(g.xlo, g.ylo, g.xhi, g.yhi), g.nx + kImportExtraNodes,
                              g.ny + kImportExtraNodes);
    if (!grid_) return false;
    grid_->filterValue = kFilterValue;

    frameGridNodes();
    notify(kEverythingChanged);
    return true;
}

}  // namespace gridova
