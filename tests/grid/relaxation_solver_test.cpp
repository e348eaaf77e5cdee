// Point relaxation: the update rule, the iteration count it reports, the
// status text, the iteration limit and cancelling.
#include "grid/relaxation_solver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/progress.h"
#include "platform/status.h"

namespace gridova {
namespace {

// A 12 x 10 grid with unit steps, edges marked, two data points.
class PointRelaxation : public ::testing::Test {
protected:
    static constexpr int kNx = 12, kNy = 10;

    void SetUp() override {
        for (int i = 0; i < kNx; ++i) nodeX.push_back(i);
        for (int j = 0; j < kNy; ++j) nodeY.push_back(j);
        stepX.assign(kNx - 1, 1.0);
        stepY.assign(kNy - 1, 1.0);
        mask.assign(kNx * kNy, 1);
        markEdgeNodes(kNx, kNy, mask);
        values.assign(mask.size(), -1e30);
        for (std::size_t n = 0; n < mask.size(); ++n)
            if (mask[n] != 0) values[n] = 0.0;
        ASSERT_EQ(buildPointSystem(layout(), mask, false, system), kSystemBuilt);
        const std::vector<double> x{3.0, 8.0}, y{3.0, 6.0}, v{-5.0, 20.0};
        ASSERT_EQ(fixDataPoints(layout(), {x, y, v}, values, mask, system), 2);
    }
    GridLayout layout() const {
        return {kNx, kNy, stepX.data(), stepY.data(), nodeX.data(), nodeY.data()};
    }
    RelaxationSolver::Result relax(std::vector<double>& u, double precision, int limit) const {
        return RelaxationSolver({precision, limit, 1.83}).relax(kNx, kNy, system, u);
    }

    std::vector<double> nodeX, nodeY, stepX, stepY, values;
    std::vector<std::int32_t> mask;
    PointSystem system;
};

// Three nodes at 0, 1, 3 with data 0 and 3 at the ends: the middle's target
// is (2 * 0 + 1 * 3) / 3 = 1, so one sweep from 0 corrects it by r = 1 and
// moves it to omega * r.
TEST(PointRelaxationRule, OneSweepMovesByOmegaTimesCorrection) {
    const std::vector<double> nodeX{0, 1, 3}, nodeY{0}, stepX{1, 2};
    const GridLayout grid{3, 1, stepX.data(), nullptr, nodeX.data(), nodeY.data()};
    std::vector<std::int32_t> mask(3, 1);
    std::vector<double> u(3, 0.0);
    PointSystem s;
    ASSERT_EQ(buildPointSystem(grid, mask, false, s), kSystemBuilt);
    const std::vector<double> x{0, 3}, y{0, 0}, v{0, 3};
    ASSERT_EQ(fixDataPoints(grid, {x, y, v}, u, mask, s), 2);
    for (double omega : {1.0, 1.5, 1.83}) {
        u = {0.0, 0.0, 3.0};
        const auto r = RelaxationSolver({1e-9, 1, omega}).relax(3, 1, s, u);
        EXPECT_DOUBLE_EQ(u[1], omega);
        EXPECT_DOUBLE_EQ(r.lastError, 1.0);
        EXPECT_EQ(u[0], 0.0);
        EXPECT_EQ(u[2], 3.0);
    }
}

// Start values that are already the solution: the first sweep corrects
// nothing, and the run reports 0 iterations (the result is 1).
TEST_F(PointRelaxation, ConvergedInFirstSweepReportsZeroIterations) {
    std::vector<double> u = values;
    const auto first = relax(u, 1e-11, 100000);
    ASSERT_GT(first.lastIterations, 1);
    const auto again = relax(u, 1e-11, 100000);
    EXPECT_EQ(again.lastIterations, 0);
    EXPECT_EQ(again.result, 1);
    EXPECT_LT(again.lastError, 1e-11);
    EXPECT_FALSE(again.cancelled);
}

// At the limit lastIterations is the limit, the result one more, and
// lastError the largest correction of the last sweep: with u(6) and u(7) the
// values after six and seven sweeps, max |u(7) - u(6)| / omega.
TEST_F(PointRelaxation, IterationLimit) {
    std::vector<double> six = values;
    relax(six, 0.0, 6);
    std::vector<double> seven = values;
    const auto r = relax(seven, 0.0, 7);
    EXPECT_EQ(r.lastIterations, 7);
    EXPECT_EQ(r.result, 8);
    double largest = 0.0;
    for (std::size_t n = 0; n < six.size(); ++n)
        largest = std::max(largest, std::abs(seven[n] - six[n]));
    EXPECT_NEAR(r.lastError, largest / 1.83, 1e-12 * largest);
    EXPECT_GT(r.lastError, 0.0);
}

TEST_F(PointRelaxation, LimitZeroDoesNothing) {
    std::vector<double> u = values;
    const auto r = relax(u, 1e-5, 0);
    EXPECT_EQ(r.lastIterations, 0);
    EXPECT_EQ(r.lastError, 0.0);
    EXPECT_EQ(u, values);
}

class RecordingStatusBar final : public StatusBar {
public:
    void setStatusText(const std::string& text) override { texts.push_back(text); }
    std::vector<std::string> texts;
};

// Message 184 after sweeps 10 and 20 (of 25), with the sweep number and
// that sweep's error.
TEST_F(PointRelaxation, StatusTextEveryTenthSweep) {
    std::vector<double> ten = values;
    const double error10 = relax(ten, 0.0, 10).lastError;
    std::vector<double> twenty = values;
    const double error20 = relax(twenty, 0.0, 20).lastError;

    RecordingStatusBar bar;
    setStatusBar(&bar);
    std::vector<double> u = values;
    relax(u, 0.0, 25);
    setStatusBar(nullptr);
    ASSERT_EQ(bar.texts.size(), 2u);
    EXPECT_EQ(bar.texts[0], formatText("Итерация %d   Точность %lg", {std::int64_t{10}, error10}));
    EXPECT_EQ(bar.texts[1], formatText("Итерация %d   Точность %lg", {std::int64_t{20}, error20}));
}

double gClock = 0.0;
double steppingClock() { return gClock += 1.0; }

// Cancel in the wait dialog: message 418, and the values reached stay,
// exactly those of a run stopped after as many sweeps.
TEST_F(PointRelaxation, CancelKeepsValuesReached) {
    gClock = 0.0;
    unattendedProgressUi().setClock(&steppingClock);  // one second per poll
    unattendedProgressUi().requestCancel();
    std::vector<double> u = values;
    const auto r = relax(u, 0.0, 100000);
    unattendedProgressUi().clearCancel();
    unattendedProgressUi().setClock(nullptr);

    EXPECT_TRUE(r.cancelled);
    EXPECT_GT(r.lastIterations, 0);
    EXPECT_LT(r.lastIterations, 100);
    EXPECT_EQ(r.result, r.lastIterations + 1);
    const auto lines = messageLog().lines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find("Процесс остановлен пользователем") != std::string::npos;
    }));
    std::vector<double> plain = values;
    relax(plain, 0.0, r.lastIterations);
    EXPECT_EQ(u, plain);
}

TEST_F(PointRelaxation, SystemOfWrongSizeIsRefused) {
    std::vector<double> u(values.size() - 1, 0.0);
    const auto r = relax(u, 1e-5, 100);
    EXPECT_FALSE(r.ran);
    EXPECT_EQ(u, std::vector<double>(values.size() - 1, 0.0));
}

}  // namespace
}  // namespace gridova
