// Editing the map's objects from the map bar: the main set, point sets,
// isolines copied into the lines, groups and lines of the object tree.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "contour/band_builder.h"
#include "data/polynomial_regression.h"
#include "grid/point_polygons.h"
#include "platform/messages.h"
#include "render/map_model.h"

namespace gridova {
namespace {

constexpr int kIsolinesName = 89;         // "Изолинии"
constexpr int kColorFillName = 18;        // "Цветные изолини"
constexpr int kPointPolygonsName = 9177;  // "Полигоны точек"
// The polygons around the points are drawn in a quiet blue-grey.
constexpr gdi::ColorRef kPointPolygonColor = gdi::rgb(90, 110, 160);

std::string levelName(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// Is the group part of the tree (the tree itself included)?
bool holds(const Bush& tree, const Bush* group) {
    if (&tree == group) return true;
    for (std::size_t i = 0; i < tree.childCount(); ++i) {
        if (holds(tree.child(i), group)) return true;
    }
    return false;
}

// The group of the tree that holds the item; nullptr when none does.
Bush* holderOf(Bush& tree, const BushItem* item) {
    for (std::size_t i = 0; i < tree.itemCount(); ++i) {
        if (&tree.item(i) == item) return &tree;
    }
    for (std::size_t i = 0; i < tree.childCount(); ++i) {
        if (Bush* found = holderOf(tree.child(i), item)) return found;
    }
    return nullptr;
}

void copyLines(const LineList& lines, Bush& group, std::optional<double> value) {
    for (std::size_t k = 0; k < lines.size(); ++k) {
        Line line = *lines.line(k);
        if (value) line.value = *value;
        group.addItem(BushItem(std::move(line)));
    }
}

void copyTree(const Bush& from, Bush& to) {
    for (std::size_t i = 0; i < from.itemCount(); ++i) {
        if (const Line* line = from.item(i).line()) to.addItem(BushItem(Line(*line)));
    }
    for (std::size_t i = 0; i < from.childCount(); ++i) {
        Bush& child = to.addChild(std::make_unique<Bush>(from.child(i).name()));
        copyTree(from.child(i), child);
    }
}

}  // namespace

bool MapModel::setMethod(InterpolationMethod method) {
    if (!grid_) return false;
    grid_->method = method;
    grid_->writeSolverProfile();
    notify(kGridChanged);
    return true;
}

bool MapModel::setMainPoints(PointSet* set) {
    if (set == nullptr || set == mainPoints_) return false;
    for (PointSet* s : pointTree_->pointSets()) {
        if (s != set) continue;
        mainPoints_ = set;
        notify(kPointsChanged);
        return true;
    }
    return false;
}

bool MapModel::removePointSet(const PointSet* set) {
    if (set == nullptr) return false;
    Bush* holder = nullptr;
    const BushItem* item = nullptr;
    const auto find = [&](auto& self, Bush& group) -> void {
        for (std::size_t i = 0; i < group.itemCount() && item == nullptr; ++i) {
            if (group.item(i).pointSet() == set) {
                holder = &group;
                item = &group.item(i);
            }
        }
        for (std::size_t i = 0; i < group.childCount() && item == nullptr; ++i) {
            self(self, group.child(i));
        }
    };
    find(find, *pointTree_);
    if (item == nullptr) return false;
    const bool wasMain = set == mainPoints_;
    holder->removeItem(item);
    if (wasMain) {
        const std::vector<PointSet*> left = pointTree_->pointSets();
        mainPoints_ = left.empty() ? nullptr : left.front();
    }
    pointTree_->recomputeExtent();
    notify(kPointsChanged);
    return true;
}

bool MapModel::joinPoints(const PointSet& set) {
    if (set.size() < 2) return false;
    Line joined;
    for (const DataPoint& p : set.points()) joined.addPoint(p.x, p.y);
    joined.name = set.name();
    addLine(std::move(joined));
    notify(kLinesChanged);
    return true;
}

PointSet& MapModel::replaceMainPoints(const std::vector<DataPoint>& points) {
    if (mainPoints_ == nullptr) {
        PointSet set;
        set.setName(defaultPointSetName());
        set.badgeFormat.readProfile(-1);
        addPointSet(std::move(set));
    }
    PointSet& set = *mainPoints_;
    set.clearPoints();
    set.hasLabels = 0;
    for (const DataPoint& p : points) {
        if (p.label) set.hasLabels = 1;
        set.addExisting(p);
    }
    set.computeStatistics();
    set.computeSizeFactors();
    pointTree_->recomputeExtent();
    // A polynomial fitted to the old points is fitted to the new ones.
    if (const PolynomialRegression* old = set.regression()) {
        RegressionSettings again;
        again.degree = std::max(old->m() - 1, 0);
        again.color = old->color;
        again.width = old->width;
        fitRegression(set, again);
    }
    notify(kPointsChanged);
    return set;
}

bool MapModel::fitRegression(PointSet& set, const RegressionSettings& chosen) {
    bool fitted = true;
    for (PointSet* s = &set; s != nullptr; s = s->derived()) {
        auto regression = std::make_unique<PolynomialRegression>();
        if (regression->fit(s, chosen.degree + 1, feedback_) != 0) {
            fitted = false;
            s->setRegression(nullptr);
            continue;
        }
        regression->color = chosen.color;
        regression->width = chosen.width;
        s->setRegression(std::move(regression));
    }
    notify(kPointsChanged);
    return fitted;
}

void MapModel::setBadgeFormat(PointSet& set, const BadgeFormat& format) {
    for (PointSet* s = &set; s != nullptr; s = s->derived()) {
        // A set keeps its marker picture; the picture comes with its own
        // command.
        std::optional<std::string> picture = s->badgeFormat.picture;
        s->badgeFormat = format;
        s->badgeFormat.picture = std::move(picture);
    }
    format.writeProfile(-1);
    notify(kPointsChanged);
}

bool MapModel::removeRegression(PointSet& set) {
    bool removed = false;
    for (PointSet* s = &set; s != nullptr; s = s->derived()) {
        removed = removed || s->regression() != nullptr;
        s->setRegression(nullptr);
    }
    if (removed) notify(kPointsChanged);
    return removed;
}

bool MapModel::buildPointPolygons() {
    if (!grid_ || grid_->empty() || mainPoints_ == nullptr || mainPoints_->size() == 0) {
        return false;
    }
    std::unique_ptr<LineList> polygons = pointPolygons(*mainPoints_, grid_->extent());
    if (!polygons) return false;
    polygons->setColor(static_cast<std::int32_t>(kPointPolygonColor));
    polygons->setWidth(1);
    grid_->pointPolygons = std::move(polygons);
    notify(kGridChanged);
    return true;
}

bool MapModel::removePointPolygons() {
    if (!grid_ || !grid_->pointPolygons) return false;
    grid_->pointPolygons.reset();
    notify(kGridChanged);
    return true;
}

bool MapModel::copyPointPolygonsToLines() {
    if (!grid_ || !grid_->pointPolygons || mainPoints_ == nullptr) return false;
    Bush& group = objectTree().addChild(std::make_unique<Bush>(text(kPointPolygonsName)));
    const std::vector<Line>& polygons = grid_->pointPolygons->lines();
    for (std::size_t k = 0; k < polygons.size(); ++k) {
        Line line = polygons[k];
        const DataPoint* p = k < mainPoints_->size() ? &mainPoints_->points()[k] : nullptr;
        line.name = p != nullptr && p->label ? *p->label : std::to_string(k + 1);
        group.addItem(BushItem(std::move(line)));
    }
    notify(kLinesChanged);
    return true;
}

bool MapModel::copyIsolinesToLines(std::optional<int> index) {
    if (!isolines_ || isolines_->empty()) return false;
    if (index && isolines_->at(*index) == nullptr) return false;
    Bush& group = objectTree().addChild(std::make_unique<Bush>(text(kIsolinesName)));
    const int first = index.value_or(0);
    const int last = index.value_or(static_cast<int>(isolines_->size()) - 1);
    for (int k = first; k <= last; ++k) {
        const Isoline& isoline = *isolines_->at(k);
        Bush& level = group.addChild(std::make_unique<Bush>(levelName(isoline.value)));
        copyLines(isoline.pieces(), level, isoline.value);
    }
    notify(kLinesChanged);
    return true;
}

bool MapModel::copyColorFillToLines() {
    if (!colorFill_) return false;
    Bush& group = objectTree().addChild(std::make_unique<Bush>(text(kColorFillName)));
    copyTree(*colorFill_, group);
    notify(kLinesChanged);
    return true;
}

namespace {

// Grid values to trace: computed first when the grid has none.
bool gridWithValues(MapModel& model) {
    if (model.grid() == nullptr) return false;
    if (!model.grid()->hasValues()) model.reinterpolate();
    return model.grid() != nullptr && model.grid()->hasValues();
}

}  // namespace

bool MapModel::setBandColor(int index, gdi::ColorRef color) {
    if (!grid_ || !grid_->colorScale.setColor(index, color)) return false;
    grid_->colorScale.changed |= ColorScale::kChangedColors;
    if (colorFill_) colorFill_ = buildBands(*grid_);
    notify(kGridChanged | kColorFillChanged);
    return true;
}

bool MapModel::applyColorScale(const ColorScale& edited) {
    if (!grid_) return false;
    ColorScale& scale = grid_->colorScale;
    scale.copyFrom(edited);
    const std::int32_t changed = scale.changed;
    scale.changed = 0;
    scale.writeProfile();
    if (changed == 0) return true;  // nothing to draw again
    unsigned what = kGridChanged;
    const bool traced = isolines_ != nullptr || settings.mapType == MapType::Isolines ||
                        settings.mapType == MapType::ColorIsolines;
    if ((changed & ColorScale::kChangedBoundaries) != 0 && traced && gridWithValues(*this)) {
        // One isoline at every boundary above the lowest, in the look of
        // the isolines they replace.
        auto set = std::make_unique<IsolineSet>();
        const std::vector<double>& b = scale.boundaries();
        set->levels.assign(b.begin() + 1, b.end());
        traceSetLevels(*grid_, *set);
        if (isolines_) {
            set->copyFormatsFrom(*isolines_);
            set->show = isolines_->show;
        }
        isolines_ = std::move(set);
        if (colorFill_ || settings.mapType == MapType::ColorIsolines) {
            colorFill_ = buildBands(*grid_);
            bandOutlines_.reset();
        }
        what |= kIsolinesChanged | kColorFillChanged;
    } else if ((changed & ColorScale::kChangedColors) != 0 && colorFill_) {
        colorFill_ = buildBands(*grid_);
        what |= kColorFillChanged;
    }
    notify(what);
    return true;
}

void MapModel::isolinesEdited() {
    bandsFromIsolines();
    notify(kIsolinesChanged | kColorFillChanged);
}

bool MapModel::insertIsoline(double level) {
    if (!std::isfinite(level) || !gridWithValues(*this)) return false;
    if (!isolines_) isolines_ = std::make_unique<IsolineSet>();
    if (traceLevel(*grid_, *isolines_, level) != 0) return false;
    isolinesEdited();
    return true;
}

bool MapModel::changeIsolineLevel(int index, double level) {
    if (!isolines_ || isolines_->at(index) == nullptr || !std::isfinite(level)) return false;
    if (!gridWithValues(*this)) return false;
    const IsolineFormat format = isolines_->at(index)->format;
    isolines_->removeAt(index);
    if (traceLevel(*grid_, *isolines_, level) != 0) return false;
    // The new isoline keeps the look of the one it replaces.
    for (std::size_t k = 0; k < isolines_->size(); ++k) {
        Isoline* isoline = isolines_->at(static_cast<int>(k));
        if (isoline->value == level) isoline->format = format;
    }
    isolinesEdited();
    return true;
}

bool MapModel::rebuildIsolines() {
    if (!gridWithValues(*this)) return false;
    auto set = std::make_unique<IsolineSet>();
    IsolineCommandOptions options;
    options.dialog = levelsDialog;
    if (runIsolineCommand(*grid_, *set, options, traceSetLevels) != 0) return false;
    if (isolines_) set->show = isolines_->show;
    isolines_ = std::move(set);
    isolinesEdited();
    return true;
}

bool MapModel::loadIsolineTemplate(const std::string& path) {
    IsolineSet read;
    if (!read.readTemplateFile(path)) return false;
    if (!gridWithValues(*this)) return false;
    auto set = std::make_unique<IsolineSet>();
    set->levels = read.values();
    traceSetLevels(*grid_, *set);
    set->copyFormatsFrom(read);
    if (isolines_) set->show = isolines_->show;
    writeStoredLevels(set->levels);
    isolines_ = std::move(set);
    isolinesEdited();
    return true;
}

void MapModel::applyIsolineFormat(const std::vector<int>& indexes, const IsolineFormat& format,
                                  bool all) {
    if (!isolines_) return;
    if (all) {
        isolines_->applyFormat(format);
        isolines_->defaultFormat = format;
        isolines_->defaultFormat.show = isolines_->show;
        isolines_->defaultFormat.writeProfile();
    } else {
        for (int index : indexes) {
            if (Isoline* isoline = isolines_->at(index)) isoline->format = format;
        }
    }
    notify(kIsolinesChanged);
}

void MapModel::showIsolines(bool shown) {
    if (!isolines_) isolines_ = std::make_unique<IsolineSet>();
    isolines_->show = shown ? 1 : 0;
    isolines_->defaultFormat.show = isolines_->show;
    isolines_->defaultFormat.writeProfile();
    notify(kIsolinesChanged);
}

bool MapModel::removeIsolines(std::optional<int> index) {
    if (!isolines_ || isolines_->empty()) return false;
    if (index) {
        if (!isolines_->removeAt(*index)) return false;
    } else {
        isolines_->clear();
    }
    colorFill_.reset();
    bandOutlines_.reset();
    notify(kIsolinesChanged | kColorFillChanged);
    return true;
}

Bush* MapModel::addGroup(Bush& parent) {
    if (!holds(objectTree(), &parent)) return nullptr;
    Bush& group = parent.addChild(std::make_unique<Bush>());
    notify(kLinesChanged);
    return &group;
}

bool MapModel::removeGroup(const Bush* group) {
    if (!objectTree_ || group == nullptr || !holds(*objectTree_, group)) return false;
    if (group == objectTree_.get()) {
        objectTree_.reset();
    } else {
        Bush* parent = const_cast<Bush*>(group)->parent();
        if (parent == nullptr || !parent->removeChild(group)) return false;
    }
    notify(kLinesChanged);
    return true;
}

bool MapModel::removeItem(const BushItem* item) {
    if (!objectTree_ || item == nullptr || (item->line() == nullptr && item->text() == nullptr)) {
        return false;
    }
    Bush* holder = holderOf(*objectTree_, item);
    if (holder == nullptr || !holder->removeItem(item)) return false;
    notify(kLinesChanged);
    return true;
}

bool MapModel::holdsGroup(const Bush* group) const {
    return group != nullptr && objectTree_ && holds(*objectTree_, group);
}

BushItem& MapModel::addLineTo(const Bush* group, Line line) {
    if (!holdsGroup(group)) {
        return addLine(std::move(line));
    }
    // The tree holds the group, so it may be changed through it.
    return const_cast<Bush*>(group)->addItem(BushItem(std::move(line)));
}

BushItem& MapModel::addText(Bush& group, MapText text) {
    BushItem& added = group.addItem(BushItem(std::move(text)));
    notify(kLinesChanged);
    return added;
}

}  // namespace gridova
