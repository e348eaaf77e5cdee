// Properties of whole maps traced by the isoline tracer: the crossings
// against contourpy's on a random grid, and every property on random grids
// with nodes outside the area.
#include "contour/isoline_tracer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <compare>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "grid/eq_net.h"
#include "tests/contour/isoline_tracer_fixtures.h"

namespace gridova {
namespace {

using testing::describe;
using testing::kReferenceTolerance;
using testing::P;
using testing::Points;
using testing::Recorder;
using testing::Traced;

// --- Properties of whole maps --------------------------------------------------------

// An edge of the grid: H(i, j) or V(i, j).
struct EdgeKey {
    std::int32_t i = 0, j = 0;
    bool horizontal = false;
    friend auto operator<=>(const EdgeKey&, const EdgeKey&) = default;
};

// The edge a crossing point lies on, read from its coordinates: on a
// horizontal edge Y is a row's Y and X lies strictly between two columns.
std::optional<EdgeKey> edgeOf(const EqNet& grid, const P& p) {
    constexpr double kOnLine = 1e-9;
    const auto& xs = grid.nodeX();
    const auto& ys = grid.nodeY();
    const auto near = [&](const std::vector<double>& t, double v) -> std::optional<std::int32_t> {
        const auto it = std::lower_bound(t.begin(), t.end(), v - kOnLine);
        if (it != t.end() && std::abs(*it - v) <= kOnLine) {
            return static_cast<std::int32_t>(it - t.begin());
        }
        return std::nullopt;
    };
    const auto between = [](const std::vector<double>& t, double v) -> std::optional<std::int32_t> {
        const auto it = std::upper_bound(t.begin(), t.end(), v);
        if (it == t.begin() || it == t.end()) return std::nullopt;
        return static_cast<std::int32_t>(it - t.begin()) - 1;
    };
    const auto row = near(ys, p.y), column = near(xs, p.x);
    if (row && !column) {
        if (const auto i = between(xs, p.x)) return EdgeKey{*i, *row, true};
    }
    if (column && !row) {
        if (const auto j = between(ys, p.y)) return EdgeKey{*column, *j, false};
    }
    return std::nullopt;
}

// What the grid says about one level, computed from the values and the mask
// alone.
class LevelFacts {
public:
    LevelFacts(const EqNet& grid, double level) : g_(grid), level_(level) {
        for (std::int32_t j = 0; j < ny(); ++j) {
            for (std::int32_t i = 0; i < nx(); ++i) {
                if (i + 1 < nx() && crossesBetween(i, j, i + 1, j)) crossed.insert({i, j, true});
                if (j + 1 < ny() && crossesBetween(i, j, i, j + 1)) crossed.insert({i, j, false});
            }
        }
    }
    std::int32_t nx() const { return g_.nx(); }
    std::int32_t ny() const { return g_.ny(); }
    bool inside(std::int32_t i, std::int32_t j) const {
        return g_.mask().empty() || g_.mask()[static_cast<std::size_t>(i + j * nx())] != 0;
    }
    double value(std::int32_t i, std::int32_t j) const { return g_.value(i, j); }
    bool above(std::int32_t i, std::int32_t j) const { return value(i, j) > level_; }
    bool crossesBetween(std::int32_t i, std::int32_t j, std::int32_t k, std::int32_t l) const {
        return inside(i, j) && inside(k, l) && above(i, j) != above(k, l);
    }
    // A cell with all four corners inside.
    bool wholeCell(std::int32_t ci, std::int32_t cj) const {
        return ci >= 0 && cj >= 0 && ci + 1 < nx() && cj + 1 < ny() && inside(ci, cj) &&
               inside(ci + 1, cj) && inside(ci, cj + 1) && inside(ci + 1, cj + 1);
    }
    // The two cells beside an edge (either may lie beyond the grid).
    std::pair<std::pair<int, int>, std::pair<int, int>> cellsBeside(const EdgeKey& e) const {
        if (e.horizontal) return {{e.i, e.j}, {e.i, e.j - 1}};
        return {{e.i, e.j}, {e.i - 1, e.j}};
    }
    std::pair<int, int> farNode(const EdgeKey& e) const {
        return e.horizontal ? std::pair{e.i + 1, e.j} : std::pair{e.i, e.j + 1};
    }
    std::pair<int, int> aboveNode(const EdgeKey& e) const {
        return above(e.i, e.j) ? std::pair{e.i, e.j} : farNode(e);
    }
    P coordinates(std::pair<int, int> n) const {
        return {g_.nodeX()[static_cast<std::size_t>(n.first)],
                g_.nodeY()[static_cast<std::size_t>(n.second)]};
    }

    std::set<EdgeKey> crossed;

private:
    const EqNet& g_;
    double level_;
};

bool sameLevelPoint(const P& a, const P& b) { return a.x == b.x && a.y == b.y; }

// Checks the traced lines of one level against the grid:
// - every crossed edge carries exactly one point, and no other point exists;
// - consecutive points lie on two edges of one cell;
// - the above node of both edges lies strictly left of each segment;
// - in a saddle cell (all corners inside, all four edges crossed) a segment
//   cuts off one corner, and that corner lies on the other side of the level
//   than the cell mean;
// - a closed line has at least four crossings; an open line ends on edges
//   beside a cell that is missing or has a corner outside.
// Gives the edge of every point.
std::map<EdgeKey, P> checkLevel(const EqNet& grid, double level, const std::vector<Points>& lines) {
    const LevelFacts facts(grid, level);
    std::map<EdgeKey, P> pointOf;
    for (const Points& line : lines) {
        SCOPED_TRACE(describe({line}));
        if (line.empty()) {
            ADD_FAILURE() << "empty line";
            continue;
        }
        const bool closed = line.size() > 1 && sameLevelPoint(line.front(), line.back());
        const std::size_t count = closed ? line.size() - 1 : line.size();
        std::vector<EdgeKey> edges;
        for (std::size_t k = 0; k < count; ++k) {
            const auto e = edgeOf(grid, line[k]);
            if (!e) {
                ADD_FAILURE() << "point " << k << " lies on no edge";
                return pointOf;
            }
            EXPECT_TRUE(facts.crossed.count(*e)) << "point " << k << " on an edge not crossed";
            EXPECT_TRUE(pointOf.emplace(*e, line[k]).second)
                << "edge of point " << k << " crossed twice";
            edges.push_back(*e);
        }
        if (closed) {
            EXPECT_GE(count, 4u) << "a loop round fewer than four edges";
        } else {
            for (const EdgeKey& end : {edges.front(), edges.back()}) {
                const auto [a, b] = facts.cellsBeside(end);
                EXPECT_TRUE(!facts.wholeCell(a.first, a.second) ||
                            !facts.wholeCell(b.first, b.second))
                    << "an open line ends inside the area";
            }
        }
        const std::size_t segments = closed ? count : count - 1;
        for (std::size_t k = 0; k < segments; ++k) {
            const EdgeKey& e = edges[k];
            const EdgeKey& f = edges[(k + 1) % count];
            const P& a = line[k];
            const P& b = line[k + 1];
            // The cell of both edges.
            const auto [e1, e2] = facts.cellsBeside(e);
            const auto [f1, f2] = facts.cellsBeside(f);
            std::optional<std::pair<int, int>> cell;
            for (const auto& c : {e1, e2}) {
                if (c == f1 || c == f2) cell = c;
            }
            if (!cell) {
                ADD_FAILURE() << "segment " << k << " joins edges of different cells";
                continue;
            }
            for (const EdgeKey& side : {e, f}) {
                const P n = facts.coordinates(facts.aboveNode(side));
                const double cross = (b.x - a.x) * (n.y - a.y) - (b.y - a.y) * (n.x - a.x);
                EXPECT_GT(cross, 0.0) << "segment " << k << " has a higher node on its right";
            }
            const auto [ci, cj] = *cell;
            const bool saddle = facts.wholeCell(ci, cj) && facts.crossed.count({ci, cj, true}) &&
                                facts.crossed.count({ci, cj + 1, true}) &&
                                facts.crossed.count({ci, cj, false}) &&
                                facts.crossed.count({ci + 1, cj, false});
            if (!saddle) continue;
            // The corner shared by the two edges is the one cut off.
            std::set<std::pair<int, int>> ends = {{e.i, e.j}, facts.farNode(e)};
            std::optional<std::pair<int, int>> corner;
            for (const auto& n : {std::pair{f.i, f.j}, facts.farNode(f)}) {
                if (ends.count(n)) corner = n;
            }
            if (!corner) {
                ADD_FAILURE() << "segment " << k << " crosses a saddle straight";
                continue;
            }
            const double mean = (facts.value(ci, cj) + facts.value(ci + 1, cj) +
                                 facts.value(ci, cj + 1) + facts.value(ci + 1, cj + 1)) /
                                4;
            if (mean == level) continue;  // the tie rule depends on the way in
            EXPECT_NE(facts.above(corner->first, corner->second), mean > level)
                << "segment " << k << " cuts off a corner on the side of the cell mean";
        }
    }
    for (const EdgeKey& e : facts.crossed) {
        EXPECT_TRUE(pointOf.count(e)) << "crossed edge " << (e.horizontal ? "H(" : "V(") << e.i
                                      << ", " << e.j << ") carries no point";
    }
    return pointOf;
}

// The contourpy fixture: the grid and, per level, contourpy's crossings.
struct Reference {
    std::vector<double> stepsX, stepsY, values;
    std::int32_t nx = 0, ny = 0;
    std::vector<double> levels;
    std::vector<Points> points;  // per level
};

Reference readReference() {
    const std::string path =
        std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/isoline_reference.txt";
    std::ifstream in(path);
    Reference r;
    if (!in) {
        ADD_FAILURE() << "cannot open " << path;
        return r;
    }
    std::string line, word;
    const auto numbers = [](const std::string& text) {
        std::istringstream s(text);
        std::vector<double> out;
        for (std::string w; s >> w;) out.push_back(std::stod(w));
        return out;
    };
    while (std::getline(in, line) && line.rfind('#', 0) == 0) {
    }
    std::istringstream(line) >> word >> r.nx >> r.ny;
    std::getline(in, line);
    r.stepsX = numbers(line.substr(line.find(' ')));
    std::getline(in, line);
    r.stepsY = numbers(line.substr(line.find(' ')));
    std::getline(in, line);  // "values ..."
    for (std::int32_t j = 0; j < r.ny && std::getline(in, line); ++j) {
        const auto row = numbers(line);
        r.values.insert(r.values.end(), row.begin(), row.end());
    }
    std::size_t count = 0;
    std::getline(in, line);
    std::istringstream(line) >> word >> count;
    for (std::size_t k = 0; k < count; ++k) {
        std::getline(in, line);
        std::istringstream head(line);
        std::string levelText;
        std::size_t n = 0;
        head >> word >> levelText >> n;
        r.levels.push_back(std::stod(levelText));
        Points pts;
        for (std::size_t m = 0; m < n && std::getline(in, line); ++m) {
            const auto xy = numbers(line);
            pts.push_back({xy.at(0), xy.at(1)});
        }
        r.points.push_back(pts);
    }
    return r;
}

TEST(IsolineTracerProperties, SameCrossingsAsContourpyOnARandomGrid) {
    const Reference ref = readReference();
    ASSERT_EQ(ref.levels.size(), 15u);
    ASSERT_EQ(ref.values.size(), static_cast<std::size_t>(ref.nx) * ref.ny);
    EqNet grid;
    grid.setSteps(ref.stepsX, ref.stepsY);
    ASSERT_EQ(grid.SetValues(ref.values), 0);

    IsolineTracer tracer(grid);
    Recorder sink;
    ASSERT_EQ(tracer.traceAll(ref.levels, sink), 0);
    std::size_t closedLines = 0, openLines = 0;
    for (std::size_t k = 0; k < ref.levels.size(); ++k) {
        SCOPED_TRACE("level " + std::to_string(ref.levels[k]));
        const auto lines = sink.pointsOf(k);
        const auto ours = checkLevel(grid, ref.levels[k], lines);
        for (const Points& l : lines) {
            (l.size() > 1 && sameLevelPoint(l.front(), l.back()) ? closedLines : openLines)++;
        }
        std::map<EdgeKey, P> theirs;
        for (const P& p : ref.points[k]) {
            const auto e = edgeOf(grid, p);
            ASSERT_TRUE(e) << "reference point off the edges";
            EXPECT_TRUE(theirs.emplace(*e, p).second) << "reference edge twice";
        }
        EXPECT_EQ(ours.size(), theirs.size());
        for (const auto& [edge, p] : theirs) {
            const auto it = ours.find(edge);
            if (it == ours.end()) {
                ADD_FAILURE() << "no point on an edge contourpy crosses at (" << p.x << ", " << p.y
                              << ")";
                continue;
            }
            EXPECT_NEAR(it->second.x, p.x, kReferenceTolerance);
            EXPECT_NEAR(it->second.y, p.y, kReferenceTolerance);
        }
    }
    // The fixture is meant to hold both kinds of lines.
    EXPECT_GT(closedLines, 0u);
    EXPECT_GT(openLines, 0u);
}

// Random values (noise: many saddles and tiny loops) on small grids with
// random nodes outside, of every shape from a single node up; the properties
// of checkLevel hold at every level.
TEST(IsolineTracerProperties, RandomGridsWithOutsideNodesKeepEveryProperty) {
    constexpr int kGrids = 400;
    constexpr int kLevelsPerGrid = 5;
    constexpr std::int32_t kMaxSide = 14;
    std::mt19937 random(20250611);
    std::uniform_int_distribution<std::int32_t> side(1, kMaxSide);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int g = 0; g < kGrids; ++g) {
        const std::int32_t nx = side(random), ny = side(random);
        const double outsideShare = unit(random) * 0.3;
        EqNet grid;
        grid.setSteps(std::vector<double>(static_cast<std::size_t>(nx - 1), 1.0),
                      std::vector<double>(static_cast<std::size_t>(ny - 1), 1.0));
        std::vector<double> values;
        std::vector<std::int32_t> mask;
        for (std::int32_t n = 0; n < nx * ny; ++n) {
            const bool outside = unit(random) < outsideShare;
            values.push_back(outside ? kBlankValue : unit(random));
            mask.push_back(outside ? kMaskOutside : kMaskInside);
        }
        ASSERT_EQ(grid.SetValues(values), 0);
        grid.mask() = mask;
        IsolineTracer tracer(grid);
        Recorder sink;
        std::vector<double> levels;
        for (int k = 0; k < kLevelsPerGrid; ++k) levels.push_back(unit(random));
        ASSERT_EQ(tracer.traceAll(levels, sink), 0);
        for (std::size_t k = 0; k < levels.size(); ++k) {
            SCOPED_TRACE("grid " + std::to_string(g) + " (" + std::to_string(nx) + " x " +
                         std::to_string(ny) + "), level " + std::to_string(levels[k]));
            checkLevel(grid, levels[k], sink.pointsOf(k));
            if (::testing::Test::HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace gridova
