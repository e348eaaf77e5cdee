// Isoline tracing: the polylines along which the grid's surface crosses a
// level F.
//
// Notation. Node n = (i, j) is column i and row j, flat index
// n = i + j × nx, row 0 the lowest (grid/eq_net.h); v(n) is its value and
// X[i], Y[j] its coordinates. Every node owns two edges: the horizontal edge
// H(n) from n to n + 1 (when i < nx − 1) and the vertical edge V(n) from n to
// n + nx (when j < ny − 1). The cell of n is the rectangle with n at its
// lower left corner; its bottom, right, top and left edges are H(n),
// V(n + 1), H(n + nx) and V(n). Cells exist for i < nx − 1 and j < ny − 1
// only: a cell beyond the first or last row or column has no edges at all.
//
// A node is *above* F when v > F; a value equal to F is not above, so an
// edge between two nodes both equal to F is never crossed. A node *takes
// part* when its mask is not 0 (every node when the grid has no mask). An
// edge is *crossed* when both of its nodes take part and exactly one of them
// is above F. Nodes that take no part (outside the border polygon, blanked
// areas) thus act like the edge of the grid: lines end in the last cell
// before them, on edges whose nodes both take part.
//
// Edge flags. One byte per node, the work array of a level: bit kCrossedH
// says H(n) is crossed and not yet traced, bit kCrossedV the same for V(n).
// Each crossed edge carries exactly one point of exactly one line; placing
// the point clears the bit, so no edge is visited twice and a level costs
// O(nx × ny) plus the points produced. Marking works on whole rows, eight
// nodes at a time; the scans skip eight flag-free nodes at a time.
//
// How lines are followed. A cell whose corners all take part has 0, 2 or 4
// crossed edges (walking round it, the side changes an even number of
// times), so lines pass through cells and end only where a cell is missing:
// beyond the grid, or at a corner that takes no part. A level is traced in
// three steps.
// 1. Marking sets the flags of all crossed edges.
// 2. Open lines. The nodes are scanned row by row from the lowest row, left
//    to right. A crossed edge is a line *end* when a cell on one of its sides
//    has no other crossed edge (a missing cell has none); V(n) is tested
//    first, its right cell before its left one, then H(n), its upper cell
//    before its lower one. A node is tested again after each line it starts:
//    beside a saddle it can hold the ends of two different lines, and a line
//    whose ends both lie at such nodes would otherwise be left for step 3.
//    From an end the line follows the rule "go into the neighbouring cell
//    that has one other crossed edge (or three: an untouched saddle), and
//    leave through it"; the cell it came from has none left (or two: the
//    other passage of a saddle), so the rule never turns back. For a vertical
//    edge the right cell is looked at first, for a horizontal edge the upper
//    one. The line ends where neither cell offers an exit.
// 3. Closed lines. The bits left over form loops. The scan is repeated; a
//    node with bit kCrossedV starts a loop on V(n) travelling east, one with
//    only kCrossedH on H(n) travelling north. A directed follower walks from
//    cell to cell: entering a cell it reads the three other edges as the
//    right-hand one, the one straight ahead and the left-hand one, takes the
//    only one set (or the saddle's choice when all three are set), and stops
//    when none is left, which is when it is back at the start edge. The start
//    point is then repeated, so a closed line lists its first point twice.
//
// Saddles. A cell with all four edges crossed has its above corners on one
// diagonal; the corners can be joined either way. The bilinear surface of
// the cell takes the mean c of its corners at the centre, so c decides: the
// two corners on the side of c are joined through the centre, and each of
// the other two is cut off. The test is made against one corner s of the
// entry edge (the edge's start node for open lines, the end on the
// traveller's right for closed lines): c is on s's side when c > F while
// v(s) ≥ F, or c < F while v(s) < F. So c = F is never on s's side and the
// line cuts s off (which corner that is depends on how the line came in),
// and a corner s equal to F counts as high here, though it is not above.
//
// Orientation. Every line is handed over with the higher values on its left.
// An open line is traced from the end the scan meets first and reversed when
// it ran the wrong way round. To have the above node of its start edge on
// its left it must leave V(n) into the right cell when n + nx is above (the
// left cell otherwise), and H(n) into the cell below when n + 1 is above
// (the cell above otherwise). Before tracing, that cell's other crossed edges
// tell: 1 or 3 and the line goes there; 0 or 2 and it comes from there, and
// is reversed. A loop started on V(n) travelling east has n + nx on its left
// and is reversed when v(n + nx) ≤ F.
//
// Points. On the edge from p to q at level F the point is
//     t(q) − (t(q) − t(p)) × g,   g = (v(q) − F) / (v(q) − v(p)), |g| ≤ 1,
// for both coordinates t = X and t = Y, with p the edge's start node (n) and q
// its end (n + 1 or n + nx); along H(n) the Y coordinate is Y[j] exactly,
// along V(n) the X coordinate is X[i] exactly. A node equal to F gives its
// own coordinates, so lines through such a node list it once per crossed
// edge that meets there. On an edge with a node that takes no part the point
// is the edge's midpoint (the colour bands place points on such edges;
// traced isolines never cross them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "objects/line.h"

namespace gridova {

class EqNet;

// Where the tracer puts its lines. The caller keeps one container per level
// (the isolines of a map keep one `Isoline` per level and make it before the
// level is traced, so a level without lines still has one).
class IsolineSink {
public:
    virtual ~IsolineSink() = default;
    // One finished line of the level with the given index (its position in
    // the level list given to traceAll, or the index given to traceLevel).
    // The line is unnamed with the default style; its value is the level;
    // higher values lie on its left; a closed line repeats its first point
    // at the end. Lines of a level come open lines first, then closed ones,
    // each group in the order of its start node in the scan.
    virtual void addLine(std::size_t levelIndex, Line line) = 0;
};

// Traces the isolines of one grid, level after level, with its work arrays
// allocated once for the whole run.
class IsolineTracer {
public:
    // Flag bits of a node (see the header comment).
    static constexpr std::uint8_t kCrossedH = 1;  // H(n) crossed, not yet traced
    static constexpr std::uint8_t kCrossedV = 2;  // V(n) crossed, not yet traced

    // Reads the grid's layout, values and mask; the grid must outlive the
    // tracer and keep them unchanged while it traces. A grid without values
    // (or with a value array of another size than nodeCount) gives no lines;
    // a mask of another size than nodeCount counts as no mask. When the work
    // arrays cannot be had, "Out of memory." is shown and the tracer is not
    // ready.
    explicit IsolineTracer(const EqNet& grid);

    bool ready() const { return ready_; }

    // Traces every level in list order, level k with index k. 0 when done;
    // −1 when the tracer is not ready or memory ran out during the run
    // ("Out of memory." shown; the lines already handed over stay with the
    // sink).
    int traceAll(std::span<const double> levels, IsolineSink& sink);
    // One level with the given index; 0 or −1 as above.
    int traceLevel(double level, std::size_t levelIndex, IsolineSink& sink);

private:
    // An edge: H or V of node (i, j).
    struct Edge {
        std::int32_t i = 0;
        std::int32_t j = 0;
        std::uint8_t kind = 0;  // kCrossedH or kCrossedV
    };

    void markEdges();
    // The first node from `from` on with a flag set; the node count when none.
    std::size_t nextFlagged(std::size_t from) const;
    void traceOpenLines(std::size_t levelIndex, IsolineSink& sink);
    void traceClosedLines(std::size_t levelIndex, IsolineSink& sink);
    // kCrossedV or kCrossedH when that edge of node (i, j) is a line end
    // (tested in that order), else 0.
    std::uint8_t startKind(std::int32_t i, std::int32_t j) const;
    // The crossed edges of cell (ci, cj) other than `except`; 0 for a cell
    // beyond the grid.
    int otherCrossings(std::int32_t ci, std::int32_t cj, const Edge& except) const;
    // The open-line follower: the next edge from `from`, false at the end.
    bool nextEdge(const Edge& from, Edge& next) const;
    // The closed-line follower from the start edge and direction code.
    void followLoop(Edge edge, int direction);
    bool crossed(const Edge& e) const;
    void clear(const Edge& e);
    bool cellExists(std::int32_t ci, std::int32_t cj) const;
    // Whether the mean of the cell's corners lies on the side of node s.
    bool centreOnSideOf(std::int32_t ci, std::int32_t cj, std::size_t s) const;
    std::size_t node(std::int32_t i, std::int32_t j) const;
    // Places the edge's point and appends it to the point buffer.
    void appendPoint(const Edge& e);
    // Gives the point buffer to the sink as a Line of the level, reversed
    // first when asked.
    void handOver(std::size_t levelIndex, bool reverse, IsolineSink& sink);

    const EqNet& grid_;
    std::int32_t nx_ = 0;
    std::int32_t ny_ = 0;
    const double* values_ = nullptr;  // v(n), nullptr when there is nothing to trace
    bool ready_ = false;
    double level_ = 0.0;                // F of the level being traced
    std::vector<std::uint8_t> usable_;  // per node: the edges whose two nodes take part
    std::vector<std::uint8_t> flags_;   // per node: the crossed edges not yet traced
    std::vector<std::uint8_t> rows_;    // two rows of above bytes while marking
    std::vector<LinePoint> points_;     // the line being traced; grows, kept between lines
};

// The point where the level crosses the edge between nodes p and q (flat
// indices of neighbouring nodes, p the lower or left one): interpolated when
// both take part, the midpoint otherwise (see the header comment). Without
// values, or with an index beyond the grid, the midpoint of what
// EqNet::nodeXY gives.
LinePoint isolineEdgePoint(const EqNet& grid, std::size_t p, std::size_t q, double level);

}  // namespace gridova
