// The grid: node coordinates, one value and one mask code per node.
//
// Notation: node (i, j) is column i (0 <= i < nx) and row j (0 <= j < ny),
// row 0 the lowest. Values and the mask are stored in flat order
// index = i + j × nx (row after row, from the lowest row up), so the four
// neighbours of a node are index ± 1 and index ± nx. Steps may differ from
// column to column and from row to row: nodeX[0] = minX and
// nodeX[i + 1] = nodeX[i] + stepX[i], the same for Y.
//
// Mask codes (`NodeMask`): 0 outside the area (its value becomes the
// `BlankValue` -1e30 once a method has finished), 1 inside, 2 inside on the
// edge (a neighbour is outside), 4 a node carrying data values during a
// solver run (kept afterwards), 6 a data node on the edge and -1 a node
// covered by a triangle, the last two only while a method runs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/drect.h"
#include "data/point_set.h"
#include "data/record_buffer.h"
#include "objects/color_scale.h"
#include "objects/line_list.h"

namespace gridova {

class LineSource;

inline constexpr double kBlankValue = -1e30;

// The mask codes of the nodes.
enum NodeMask : std::int32_t {
    kMaskOutside = 0,
    kMaskInside = 1,
    kMaskEdge = 2,
    kMaskData = 4,
    kMaskDataEdge = 6,
    kMaskTriangle = -1,
};

// The interpolation methods (stored in the grid and in the profile).
enum class InterpolationMethod : std::int32_t {
    NoApply = -1,
    EquationSystem = 0,
    Triangles = 1,
    InverseDistance = 2,
    Kriging = 3,
    BlockKriging = 4,
    DataPointsOnly = 5,
    LargeGridEquationSystem = 7,
    PointDensity = 8,
    ArrayValues = 13,
    FinishOnly = 14,
};

// A fixed value for the edge nodes of the area.
struct BorderValueSetting {
    std::int32_t enabled = 0;
    double value = 0.0;
};

// A segment of the grid lines: one column or row line over the extent.
struct GridSegment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// A nearest node: its flat index and column and row.
struct NodeRef {
    std::int32_t index = -1;
    std::int32_t i = -1;
    std::int32_t j = -1;
};

class EqNet {
public:
    static constexpr double kDefaultRelaxation = 1.83;
    static constexpr std::int32_t kDefaultMaxIterations = 8000;
    static constexpr double kDefaultPrecision = 1e-5;
    static constexpr std::int32_t kDefaultNodes = 102;  // a new map's grid, each way
    static constexpr std::int32_t kMinCountNodes = 6;   // fewest nodes each way from counts
    static constexpr std::int32_t kDefaultFilterSign = 4;
    static constexpr const char* kFileName = "EqNet.net";
    static constexpr const char* kFileTag = "EqNet:01";
    static constexpr const char* kOldFileTag = "EqNet:00";
    // A grid larger than this many nodes is refused (about 8 GB of values).
    static constexpr std::int64_t kMaxNodes = std::int64_t{1} << 30;
    static constexpr bool validCounts(std::int64_t nx, std::int64_t ny) {
        return nx >= 1 && ny >= 1 && nx * ny <= kMaxNodes;
    }

    // --- Construction (each starts from the defaults and the profile) ------
    EqNet();  // an empty grid
    // Over the rectangle with nx × ny nodes, two cells beyond it on every
    // side. Fewer than kMinCountNodes either way gives an empty grid.
    static std::unique_ptr<EqNet> fromCounts(const DRect& area, std::int32_t nx, std::int32_t ny);
    // Square cells of length a, two cells beyond the rectangle on the low
    // sides and at least two on the high sides.
    static std::unique_ptr<EqNet> fromCellLength(const DRect& area, double a);
    // A ".net" file; an empty grid when it cannot be read (message 183 for
    // a file of another kind, nothing for a file that cannot be opened).
    static std::unique_ptr<EqNet> fromFile(const std::string& path);
    // Nodes on both outer edges and at every cell centre of cells of the
    // given widths, the lower-left corner at the origin.
    static std::unique_ptr<EqNet> fromCellWidths(const std::vector<double>& widthsX,
                                                 const std::vector<double>& widthsY,
                                                 double originX = 0, double originY = 0);
    // One node per cell of a C × R array whose first and last cell centres
    // are given, plus a frame of nodes around it.
    static std::unique_ptr<EqNet> sizedToArray(std::int32_t columns, std::int32_t rows,
                                               double xFirst, double xLast, double yFirst,
                                               double yLast);

    // --- Layout -------------------------------------------------------------
    std::int32_t nx() const { return nx_; }
    std::int32_t ny() const { return ny_; }
    std::int32_t nodeCount() const { return nx_ * ny_; }
    bool empty() const { return nx_ <= 0 || ny_ <= 0; }
    const std::vector<double>& nodeX() const { return nodeX_; }
    const std::vector<double>& nodeY() const { return nodeY_; }
    const std::vector<double>& stepX() const { return stepX_; }
    const std::vector<double>& stepY() const { return stepY_; }
    const DRect& extent() const { return extent_; }
    const std::vector<GridSegment>& columnLines() const { return columnLines_; }
    const std::vector<GridSegment>& rowLines() const { return rowLines_; }

    // New step lists; the extent becomes (0, 0)..(sum X, sum Y).
    void setSteps(const std::vector<double>& stepsX, const std::vector<double>& stepsY);
    void shift(double dx, double dy);
    std::optional<double> uniformStepX() const;
    std::optional<double> uniformStepY() const;
    std::pair<double, double> lowerLeft() const { return {extent_.minX, extent_.minY}; }
    std::pair<double, double> extentOfNodes() const;
    // The largest of all steps (0 for an empty grid).
    double maxStep() const;
    // The square cell length proposed for this grid (the nice number near
    // 1/204 of the extent's larger side).
    double proposedCellLength() const;

    // --- Queries --------------------------------------------------------------
    // The nearest node; a tie goes to the higher index; points outside snap
    // to the first or last node; index -1 without coordinates.
    NodeRef nearestNode(double x, double y) const;
    std::int32_t nearestColumn(double x) const;
    std::int32_t nearestRow(double y) const;
    // The value of the nearest node (0 without values); with inside, also
    // whether its mask is not 0 (then a masked node gives 0).
    double valueAt(double x, double y) const;
    double valueAt(double x, double y, bool& inside) const;
    std::pair<double, double> nodeXY(std::int32_t index) const;
    bool isInside(std::int32_t i, std::int32_t j) const;
    // The next node with mask >= 1, scanning the row to the right and the
    // rows downward, from the lowest row wrapping to the top; -1 when none.
    std::int32_t nextInsideNode(std::int32_t i, std::int32_t j) const;
    // The same with the row counted from the top (clamped into range).
    std::int32_t nextInsideNodeFromTop(std::int32_t i, std::int32_t rowFromTop) const;
    // The profile of a cross-section along the polyline; empty with fewer
    // than 2 vertices or without values.
    PointSet sampleAlong(const std::vector<LinePoint>& polyline) const;
    // The vertices alone, labelled "1", "2", ...
    PointSet verticesOf(const std::vector<LinePoint>& polyline) const;
    // Σ value × cell area over the nodes inside the polygon; nodes outside
    // the area (mask 0, the blank value) add nothing.
    double volumeOver(const Line& polygon) const;

    // --- Values ---------------------------------------------------------------
    bool hasValues() const { return !values_.empty(); }
    bool hasMask() const { return !mask_.empty(); }
    const std::vector<double>& values() const { return values_; }
    std::vector<double>& values() { return values_; }
    const std::vector<std::int32_t>& mask() const { return mask_; }
    std::vector<std::int32_t>& mask() { return mask_; }
    double value(std::int32_t i, std::int32_t j) const { return values_[i + j * nx_]; }

    bool allocateValues(double x);
    void setInside(double x);
    void FillBlank(double x);
    // The last steps of every method: the nodes outside get the blank value,
    // then the range and the colour scale's range follow the values.
    void settleValues();
    // Multiplies the values of the nodes inside (and the border value) by
    // 2^exponent, exactly unless they leave the number range.
    void scaleInsideValues(int exponent);
    // Forgets the values and the mask: the grid is laid but not computed.
    void dropValues();
    // Whether every node inside has a finite value.
    bool insideValuesFinite() const;
    // 1 when the range widened, 0 when not, -1 without values or out of range.
    int setValue(std::int32_t i, std::int32_t j, double v);
    // Takes a full vector of nodeCount values; sets the range and the colour
    // scale's range. -1 for a vector of the wrong size.
    int SetValues(std::vector<double> values);
    // A C × R array of a digitized picture into the interior nodes, the
    // frame keeping the array's minimum, smoothed s times.
    int SetValues(const std::vector<double>& array, std::int32_t columns, std::int32_t rows,
                  std::int32_t smoothing);
    void copyInterior(const std::vector<double>& array);
    // Over the nodes whose mask is not 0; -1 (range 0..0) when there is none.
    int computeRange();
    double minValue() const { return minValue_; }
    double maxValue() const { return maxValue_; }
    // Outer frame to 0, then inside nodes beside an outside node to 2.
    void markEdges();
    int setValid();
    // The values stay but are not to be drawn as cells.
    void clearValid() { valuesValid_ = 0; }
    void invalidate();
    bool valuesValid() const { return valuesValid_ != 0; }

    // --- Area -----------------------------------------------------------------
    // Replaces the mask: every node inside without a border; with one, the
    // nodes inside its polygons; then markEdges.
    void computeMask(const LineList* border);

    // --- Files and sections -----------------------------------------------------
    bool writeFile(const std::string& path) const;
    bool readFile(const std::string& path);
    // The same from the file's text; `name` names it in the messages.
    bool readText(std::string_view text, const std::string& name);
    // "EN01" with the arrays, the extent and the colour scale, then "EX01".
    void writeSection(BinaryWriter& out) const;
    bool readSection(BinaryReader& in);

    // Area and volume reports: one point line per data point with the area
    // of its polygon (or the volume over it) and its label. False when the
    // polygons do not match the points or the file cannot be written.
    bool writeAreaReport(const std::string& path, const PointSet& points) const;
    bool writeVolumeReport(const std::string& path, const PointSet& points) const;

    // --- Node filter --------------------------------------------------------
    // Whether a value stays under the filter sign (0 "<", 1 "<=", 2 "!=",
    // 3 ">=", 4 ">"); any other sign keeps every value.
    static bool passesFilter(std::int32_t sign, double v, double limit);
    // With filterOn, values and a mask: every inside node whose value fails
    // the comparison gets mask 0. The number of nodes taken out.
    int applyNodeFilter();
    // "Cell Border", "Cell Color", "Default Filter" and, with the default
    // filter on, "Filter Is", "Filter Sign", "Filter Value" ("Grid").
    void writeFilterProfile() const;

    // Reads the method, solver and cell/filter settings from the profile.
    void readProfile();
    void writeSolverProfile() const;

    // --- Settings and results (members of the document's grid record) ---------
    std::int32_t showGrid = 0;  // draw the grid lines
    std::int32_t gridType = 0;  // 1 = built from one square cell length
    double cellLength = 0.0;    // of a square-cell grid
    double relaxation = kDefaultRelaxation;
    std::int32_t maxIterations = kDefaultMaxIterations;
    double precision = kDefaultPrecision;
    std::int32_t reserved1 = 1;     // stored only
    std::int32_t reserved2 = 0;     // stored only
    std::int32_t displayState = 0;  // 2 once values are valid
    InterpolationMethod method = InterpolationMethod::EquationSystem;
    std::int32_t solver = 0;  // 0 point relaxation, 1 line relaxation
    std::int32_t lastRunValid = 0;
    std::int32_t lastIterations = 0;
    double lastSeconds = 0.0;
    double lastError = 0.0;
    BorderValueSetting borderValue;
    std::unique_ptr<LineList> pointPolygons;  // one closed polygon per data point
    std::int32_t defaultFilter = 0;
    std::int32_t filterOn = 0;
    std::int32_t filterSign = kDefaultFilterSign;
    double filterValue = 0.0;
    gdi::ColorRef cellColor = 0;
    std::int32_t cellBorder = 1;
    ColorScale colorScale;

private:
    bool readLines(LineSource& lines, const std::string& path);
    bool setLayout(std::vector<double> stepsX, std::vector<double> stepsY, double minX,
                   double minY);
    void buildNodes();
    std::int32_t nextInsideFrom(std::int32_t start) const;

    std::int32_t nx_ = 0, ny_ = 0;
    std::vector<double> stepX_, stepY_, nodeX_, nodeY_;
    DRect extent_;
    std::vector<GridSegment> columnLines_, rowLines_;
    std::vector<double> values_;
    std::vector<std::int32_t> mask_;
    std::int32_t valuesValid_ = 0;
    double minValue_ = 0.0, maxValue_ = 0.0;
};

}  // namespace gridova
