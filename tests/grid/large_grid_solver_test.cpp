// The large-grid solver object: its system, data and start values, the
// coarse start, and the worker thread.
#include "grid/large_grid_solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace gridova {
namespace {

// Columns at 0, 1, 1 (a zero step), 3 and rows at 0, 2: h = 2, so the
// coefficients are 2/1, 1e10 across the zero step (not h * 1e10), 2/2, 2/2.
TEST(LargeGridSystem, CoefficientsWorkedOutByHand) {
    const double nodeX[] = {0.0, 1.0, 1.0, 3.0};
    const double nodeY[] = {0.0, 2.0};
    LargeGridSolver s;
    ASSERT_EQ(s.setGrid(4, nodeX, 2, nodeY), LargeGridSolver::kOk);
    struct Row {
        int n;
        double east, north, west, south;
    };
    const Row rows[] = {
        {0, 2.0, 1.0, 0.0, 0.0}, {1, 1e10, 1.0, 2.0, 0.0}, {2, 1.0, 1.0, 1e10, 0.0},
        {3, 0.0, 1.0, 1.0, 0.0}, {5, 1e10, 0.0, 2.0, 1.0}, {7, 0.0, 0.0, 1.0, 1.0},
    };
    const LineSystem& sys = s.system();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.n);
        EXPECT_DOUBLE_EQ(sys.east[r.n], r.east);
        EXPECT_DOUBLE_EQ(sys.north[r.n], r.north);
        EXPECT_DOUBLE_EQ(sys.west[r.n], r.west);
        EXPECT_DOUBLE_EQ(sys.south[r.n], r.south);
        EXPECT_DOUBLE_EQ(sys.diag[r.n], -(r.east + r.north + r.west + r.south));
        EXPECT_EQ(sys.rhs[r.n], 0.0);
    }
}

// A single node has no neighbour: the row -u = -1.
TEST(LargeGridSystem, SingleNode) {
    const double node[] = {4.0};
    LargeGridSolver s;
    ASSERT_EQ(s.setGrid(1, node, 1, node), LargeGridSolver::kOk);
    EXPECT_EQ(s.system().diag[0], -1.0);
    EXPECT_EQ(s.system().rhs[0], -1.0);
    s.setPrecision(1e-12);
    EXPECT_EQ(s.solve(), 0);
    EXPECT_NEAR(s.valueAt(0.0, 0.0), 1.0, 1e-11);
}

TEST(LargeGridSystem, NoGrid) {
    LargeGridSolver s;
    const double x[] = {1.0};
    EXPECT_EQ(s.setGrid(0, x, 1, x), LargeGridSolver::kNoGrid);
    EXPECT_EQ(s.setData(1, x, x, x), LargeGridSolver::kNoGrid);
    EXPECT_EQ(s.solve(), LargeGridSolver::kNoGrid);
    EXPECT_EQ(s.valueAt(1.0, 1.0), 0.0);
}

// Points within the node range (ends inclusive) are placed and averaged per
// node; points outside are ignored and take no part in the start value or
// the precision's scale.
TEST(LargeGridData, PlacesPointsWithinTheNodeRange) {
    const double nodeX[] = {0, 1, 2, 3, 4};
    const double nodeY[] = {0, 1, 2, 3};
    LargeGridSolver s;
    ASSERT_EQ(s.setGrid(5, nodeX, 4, nodeY), LargeGridSolver::kOk);
    const double x[] = {1.1, 0.9, 4.0, 4.01, 2.0, -0.5};
    const double y[] = {2.0, 2.2, 3.0, 1.0, -0.01, 1.0};
    const double v[] = {3.0, 6.0, -1.0, 500.0, -700.0, 99.0};
    EXPECT_EQ(s.setData(6, x, y, v), 3);
    const std::size_t pair = 1 + 2 * 5, corner = 4 + 3 * 5;
    EXPECT_EQ(s.values()[pair], 4.5);
    EXPECT_EQ(s.values()[corner], -1.0);
    EXPECT_EQ(s.mask()[pair], 4);
    EXPECT_EQ(s.mask()[corner], 4);
    EXPECT_EQ(s.system().rhs[pair], -4.5);
    EXPECT_EQ(s.system().diag[pair], -1.0);
    EXPECT_EQ(s.system().east[pair], 0.0);
    EXPECT_EQ(s.dataScale(), 6.0);
    // Every other node starts at (-1 + 6) / 2 with mask 1.
    for (std::size_t n = 0; n < s.count(); ++n) {
        if (n == pair || n == corner) continue;
        EXPECT_EQ(s.values()[n], 2.5) << n;
        EXPECT_EQ(s.mask()[n], 1) << n;
    }
    // A second call starts again from the plain system.
    const double x2[] = {3.0}, y2[] = {1.0}, v2[] = {8.0};
    EXPECT_EQ(s.setData(1, x2, y2, v2), 1);
    EXPECT_EQ(s.mask()[pair], 1);
    EXPECT_LT(s.system().diag[pair], -1.0);
    EXPECT_EQ(s.values()[pair], 8.0);
}

// The caller's area with a hole in the middle: the frame goes, and the
// nodes next to the frame or to the hole become edge nodes.
TEST(LargeGridData, MaskTakesTheCallersAreaWithEdges) {
    const double nodes[] = {0, 1, 2, 3, 4, 5, 6};
    LargeGridSolver s;
    ASSERT_EQ(s.setGrid(7, nodes, 7, nodes), LargeGridSolver::kOk);
    std::vector<std::int32_t> area(49, 1);
    area[3 + 3 * 7] = 0;
    ASSERT_EQ(s.setMask(area), LargeGridSolver::kOk);
    const std::vector<std::int32_t> expected{0, 0, 0, 0, 0, 0, 0,  //
                                             0, 2, 2, 2, 2, 2, 0,  //
                                             0, 2, 1, 2, 1, 2, 0,  //
                                             0, 2, 2, 0, 2, 2, 0,  //
                                             0, 2, 1, 2, 1, 2, 0,  //
                                             0, 2, 2, 2, 2, 2, 0,  //
                                             0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(s.mask(), expected);
    EXPECT_EQ(s.setMask(std::vector<std::int32_t>(48, 1)), LargeGridSolver::kNoGrid);
}

TEST(LargeGridData, ValueAtTakesTheNearestNode) {
    const double nodeX[] = {0, 1, 3};
    const double nodeY[] = {0, 2};
    LargeGridSolver s;
    ASSERT_EQ(s.setGrid(3, nodeX, 2, nodeY), LargeGridSolver::kOk);
    const double x[] = {0, 1, 3, 0, 1, 3}, y[] = {0, 0, 0, 2, 2, 2}, v[] = {1, 2, 3, 4, 5, 6};
    ASSERT_EQ(s.setData(6, x, y, v), 6);
    EXPECT_EQ(s.valueAt(1.9, 0.9), 2.0);
    EXPECT_EQ(s.valueAt(2.0, 1.0), 6.0);  // ties go to the higher node
    EXPECT_EQ(s.valueAt(-10.0, 10.0), 4.0);
}

// A smooth field sampled at scattered points on a 61 x 41 grid.
struct Scatter {
    std::vector<double> nodeX, nodeY, x, y, v;
    Scatter() {
        for (int i = 0; i < 61; ++i) nodeX.push_back(0.5 * i + 0.002 * i * i);
        for (int j = 0; j < 41; ++j) nodeY.push_back(-3.0 + 0.7 * j);
        for (int k = 0; k < 40; ++k) {
            const double px =
                nodeX.front() + (nodeX.back() - nodeX.front()) * ((k * 37) % 40) / 39.0;
            const double py =
                nodeY.front() + (nodeY.back() - nodeY.front()) * ((k * 13) % 40) / 39.0;
            x.push_back(px);
            y.push_back(py);
            v.push_back(std::sin(0.2 * px) * 30.0 + py * py);
        }
    }
    void load(LargeGridSolver& s, int threshold, int step) const {
        ASSERT_EQ(s.setGrid(static_cast<int>(nodeX.size()), nodeX.data(),
                            static_cast<int>(nodeY.size()), nodeY.data()),
                  0);
        s.setCoarseThreshold(threshold);
        s.setCoarseStep(step);
        ASSERT_EQ(s.setData(static_cast<int>(v.size()), x.data(), y.data(), v.data()), 40);
        s.setPrecision(1e-10);
        s.setMaxIterations(100000);
    }
};

// Below the threshold the object runs the line relaxation from the mid-point;
// above it it starts from the coarse solution (with the threshold 100 the
// coarse grid 21 x 14 is itself above it and goes down once more, to 7 x 5). Both give the answer
// of the line relaxation of the same system.
TEST(LargeGridCoarseStart, SameAnswerBelowAndAboveThreshold) {
    const Scatter data;
    LargeGridSolver reference;
    data.load(reference, 40000, 10);
    const LineRelaxationSolver solver(100000, scaledPrecision(1e-10, 0.0, reference.dataScale()));
    std::vector<double> expected = reference.values();
    ASSERT_EQ(solver.solve(61, 41, reference.system(), expected).errorCode, 0);

    struct Case {
        int threshold, step;
        bool coarse;
    };
    // 61 x 41 = 2501 nodes; a step below 2 gives no coarse start.
    for (Case c : {Case{40000, 10, false}, Case{2501, 3, false}, Case{2500, 3, true},
                   Case{100, 3, true}, Case{100, 1, false}}) {
        SCOPED_TRACE(std::to_string(c.threshold) + " / " + std::to_string(c.step));
        LargeGridSolver s;
        data.load(s, c.threshold, c.step);
        EXPECT_EQ(s.solve(), 0);
        EXPECT_EQ(s.usedCoarseStart(), c.coarse);
        double largest = 0.0;
        for (std::size_t n = 0; n < expected.size(); ++n)
            largest = std::max(largest, std::abs(s.values()[n] - expected[n]));
        EXPECT_LT(largest, 1e-6 * s.dataScale());
    }
}

TEST(LargeGridWorker, RunsAndReportsCompletion) {
    const Scatter data;
    auto solver = std::make_unique<LargeGridSolver>();
    data.load(*solver, 40000, 10);
    LargeGridSolver direct;
    data.load(direct, 40000, 10);
    ASSERT_EQ(direct.solve(), 0);

    std::atomic<int> calls{0};
    std::atomic<int> code{-100};
    LargeGridWorker worker(std::move(solver), [&](int c) {
        code = c;
        ++calls;
    });
    auto done = worker.wait();
    ASSERT_NE(done, nullptr);
    EXPECT_TRUE(worker.done());
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(code.load(), 0);
    EXPECT_EQ(done->iterations(), direct.iterations());
    EXPECT_EQ(done->values(), direct.values());
    EXPECT_EQ(worker.wait(), nullptr);
}

// A stop request while the worker runs ends the run early, as converged.
TEST(LargeGridWorker, StopRequestEndsTheRun) {
    std::vector<double> nodes;
    for (int i = 0; i < 400; ++i) nodes.push_back(i);
    auto solver = std::make_unique<LargeGridSolver>();
    ASSERT_EQ(solver->setGrid(400, nodes.data(), 400, nodes.data()), 0);
    const double x[] = {10.0, 390.0}, y[] = {10.0, 390.0}, v[] = {0.0, 1.0};
    ASSERT_EQ(solver->setData(2, x, y, v), 2);
    solver->setPrecision(0.0);  // never converges by itself
    solver->setMaxIterations(1000000);

    std::atomic<int> calls{0};
    LargeGridWorker worker(std::move(solver), [&](int) { ++calls; });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (worker.currentIteration() < 2 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    ASSERT_GE(worker.currentIteration(), 2);
    worker.requestStop();
    auto done = worker.wait();
    EXPECT_EQ(calls.load(), 1);
    EXPECT_EQ(done->errorCode(), 0);
    EXPECT_LT(done->iterations(), 1000000);
    // The 40 x 40 coarse start heard the request too: the fine solve ends
    // after its first iteration.
    EXPECT_GE(done->iterations(), 1);
    EXPECT_TRUE(done->usedCoarseStart());
}

// Destroying a running worker stops and joins it.
TEST(LargeGridWorker, DestructionStopsTheThread) {
    std::vector<double> nodes;
    for (int i = 0; i < 300; ++i) nodes.push_back(i);
    auto solver = std::make_unique<LargeGridSolver>();
    ASSERT_EQ(solver->setGrid(300, nodes.data(), 300, nodes.data()), 0);
    const double x[] = {10.0}, y[] = {10.0}, v[] = {1.0};
    ASSERT_EQ(solver->setData(1, x, y, v), 1);
    solver->setPrecision(0.0);
    solver->setMaxIterations(1000000);
    std::atomic<int> calls{0};
    {
        LargeGridWorker worker(std::move(solver), [&](int) { ++calls; });
    }
    EXPECT_EQ(calls.load(), 1);
}

}  // namespace
}  // namespace gridova
