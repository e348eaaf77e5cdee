// Arrays without coordinates as maps: one hidden point per cell of the
// current layer at the cell's centre, the map's grid with a node at every
// cell centre and on the outer edges, and a green frame as the border; a
// single row of values is a series graph instead.
#include "data/array_layout.h"
#include "objects/array_series.h"
#include "render/map_model.h"

namespace gridova {

namespace {

constexpr const char* kSeriesGroup = "Series";

}  // namespace

bool MapModel::takeArray(const std::vector<double>& values, const ArrayLayout& layout) {
    const auto count = static_cast<std::int64_t>(values.size());
    if (count == 0 || !layout.fits(count)) return false;
    arrayValues = &values;
    dataKind = DataKind::Array;
    if (layout.ny == 1 && layout.nz == 1 && layout.nx > 1) return takeSeries(values);

    kept.array[0] = layout.nx;
    kept.array[1] = layout.ny;
    kept.array[2] = layout.nz;
    kept.array[3] = 1;
    const std::vector<double> xs = layout.columnCentres();
    const std::vector<double> ys = layout.rowCentres();
    PointSet set;
    for (std::int32_t i = 0; i < layout.ny; ++i) {
        for (std::int32_t j = 0; j < layout.nx; ++j) {
            DataPoint p;
            p.x = xs[static_cast<std::size_t>(j)];
            p.y = ys[static_cast<std::size_t>(i)];
            p.value = OptionalValue(values[static_cast<std::size_t>(i) * layout.nx + j]);
            if (set.addExisting(std::move(p)) < 0) return false;
        }
    }
    set.computeStatistics();
    set.computeSizeFactors();
    set.visible = 0;
    if (mainPoints_ != nullptr) removePointSet(mainPoints_);
    setMainPoints(&addPointSet(std::move(set)));

    grid_ = EqNet::fromCellWidths(layout.columnWidths, layout.rowHeights,
                                  layout.originX.present() ? layout.originX.value : 0.0,
                                  layout.originY.present() ? layout.originY.value : 0.0);
    if (!grid_ || grid_->empty()) return false;
    frameGridNodes();
    notify(kEverythingChanged);
    return true;
}

bool MapModel::showArrayLayer(std::int32_t layer) {
    if (arrayValues == nullptr || mainPoints_ == nullptr) return false;
    const std::int64_t perLayer = std::int64_t{kept.array[0]} * kept.array[1];
    if (layer < 1 || layer > kept.array[2] ||
        static_cast<std::int64_t>(mainPoints_->size()) != perLayer ||
        perLayer * layer > static_cast<std::int64_t>(arrayValues->size())) {
        return false;
    }
    const std::size_t first = static_cast<std::size_t>(perLayer) * (layer - 1);
    std::vector<DataPoint>& points = mainPoints_->points();
    for (std::size_t k = 0; k < points.size(); ++k) {
        points[k].value = OptionalValue((*arrayValues)[first + k]);
    }
    mainPoints_->computeStatistics();
    mainPoints_->computeSizeFactors();
    kept.array[3] = layer;
    notify(kPointsChanged);
    return true;
}

bool MapModel::takeSeries(const std::vector<double>& values) {
    series_ = std::make_unique<ArraySeries>(values);
    showSeries();
    return true;
}

void MapModel::showSeries() {
    if (!series_) return;
    Bush& tree = objectTree();
    if (seriesGraph_ != nullptr && holdsGroup(seriesGraph_) && seriesGraph_->parent() != nullptr) {
        seriesGraph_->parent()->removeChild(seriesGraph_);
    }
    seriesGraph_ = &tree.addChild(series_->graph(kSeriesGroup));
    tree.recomputeExtent();
    notify(kLinesChanged);
}

bool MapModel::smoothSeries(std::int32_t window) {
    if (!series_) return false;
    const bool made = series_->last().smooth(window);
    showSeries();
    return made;
}

bool MapModel::markSeries(double threshold) {
    if (!series_) return false;
    const bool made = series_->last().computeMarks(threshold);
    showSeries();
    return made;
}

std::string MapModel::seriesTable() const {
    const ArraySeries* from = series_ ? series_->lastSmoothedFrom() : nullptr;
    return from != nullptr ? from->smoothedTable() : std::string();
}

void MapModel::frameGridNodes() {
    // Through the midpoints of the first two and of the last two node
    // columns and rows of the map's grid.
    const std::vector<double>& xs = grid_->nodeX();
    const std::vector<double>& ys = grid_->nodeY();
    if (xs.size() < 2 || ys.size() < 2) return;
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
}

}  // namespace gridova
