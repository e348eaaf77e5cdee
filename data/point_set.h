// Data points and named point sets.
//
// A point set is a named list of points (X, Y, an optional value, an
// optional label) with the statistics the rest of the program reads: the
// X and Y extent, the value range and mean, and a size factor per point for
// proportional symbols. A set may carry a derived set, a transformed copy
// that replaces it for drawing and range queries: the set "as seen" is the
// last set of that chain. Editing works on the set itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/badge_format.h"
#include "data/record_buffer.h"
#include "platform/optional_value.h"

namespace gridova {

class DataTable;
class PolynomialRegression;

struct DataPoint {
    double x = 0.0;
    double y = 0.0;
    OptionalValue value;
    // Normalised value for proportional symbols, 0..1; 0 for a new point.
    double sizeFactor = 0.0;
    // The point's name; never an empty text.
    std::optional<std::string> label;
    // Carried, saved and restored unchanged.
    std::int32_t state = 0;

    void setLabel(std::string_view text);
};

class PointSet {
public:
    static constexpr std::size_t kMaxNameLength = 127;  // characters

    PointSet();
    PointSet(const PointSet& other);
    PointSet& operator=(const PointSet& other);
    PointSet(PointSet&&) noexcept;
    PointSet& operator=(PointSet&&) noexcept;
    ~PointSet();

    // Builds the set from a table: rows of fewer than 3 cells, and rows
    // whose X or Y cell has no number, give no point. Callers pass label
    // index 0 and the configured columns plus one.
    void buildFromTable(const DataTable& table, std::size_t labelIndex, std::size_t xIndex,
                        std::size_t yIndex, std::size_t valueIndex);
    // The same with the profile's input-format columns.
    void buildFromTable(const DataTable& table);

    // Append; the new number of points, or -1 when memory ran out.
    int addPoint(double x, double y, double value);
    int addExisting(DataPoint point);
    // Takes the point out of the list and gives it back; nothing for an
    // index out of range.
    std::optional<DataPoint> removePoint(std::size_t index);
    void clearPoints();
    // Clears the changed flag, the points, the derived set and has labels.
    void clear();
    // Appends deep copies of the other set's points and recomputes the
    // statistics.
    void copyFrom(const PointSet& other);

    void computeStatistics();
    void computeSizeFactors();

    // Of the set as seen; -1 when it has no point list, else 0.
    int ranges(double& xmin, double& xmax, double& ymin, double& ymax) const;
    int valueRange(double& vmin, double& vmax) const;

    std::size_t countWithValues() const;
    // The X, Y and value of every point that has a value, in list order;
    // nothing when memory ran out.
    struct ValueArrays {
        std::vector<double> x, y, v;
    };
    std::optional<ValueArrays> valueArrays() const;

    void mirrorY();
    void fitTo(double a, double b, double c, double d);
    void sortByDistance(double x0, double y0);
    void setAllValues(double v);

    // Copies at most 127 characters; the stored length in characters.
    std::size_t setName(std::string_view name);
    const std::string& name() const { return name_; }

    // One line per point: "x, y, value, label" in the shortest exact form.
    bool writeText(std::FILE* file) const;

    // The "PS01" section with its points, badge format and derived set.
    void writeSection(BinaryWriter& out) const;
    // Clears the set and reads a section; false on a wrong tag ("Invalid
    // format." shown) or a damaged section (the set keeps what was read).
    bool readSection(BinaryReader& in, int depth = 0);

    // The last set of the derived chain.
    const PointSet& asSeen() const;
    PointSet& asSeen();

    bool hasList() const { return hasList_; }
    const std::vector<DataPoint>& points() const { return points_; }
    std::vector<DataPoint>& points() { return points_; }
    std::size_t size() const { return points_.size(); }

    const PointSet* derived() const { return derived_.get(); }
    PointSet* derived() { return derived_.get(); }
    void setDerived(std::unique_ptr<PointSet> set) { derived_ = std::move(set); }

    // The polynomial fitted to the set's points, when one was (Polynomial
    // regression); saved with the set.
    const PolynomialRegression* regression() const { return regression_.get(); }
    void setRegression(std::unique_ptr<PolynomialRegression> regression);

    // Statistics (see computeStatistics).
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
    double vmin = 0, vmax = 0;
    double mean = 0;
    double diagonal = 0;
    double dx = 0, dy = 0;
    double extent[4] = {0, 0, 0, 0};  // xmin, ymin, xmax, ymax
    // The linear map that made a derived set from its parent; 0 otherwise.
    double xScale = 0, xOffset = 0, yScale = 0, yOffset = 0;

    BadgeFormat badgeFormat;
    std::int32_t visible = 1;
    std::int32_t hasLabels = 0;
    std::int32_t changed = 0;

private:
    std::vector<DataPoint> points_;
    bool hasList_ = false;
    std::string name_;
    std::unique_ptr<PointSet> derived_;
    std::unique_ptr<PolynomialRegression> regression_;
};

// The default name of a new set: message 404 "Серия1".
std::string defaultPointSetName();

}  // namespace gridova
