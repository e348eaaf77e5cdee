#include "grid/interpolation_driver.h"
#include "grid/interpolator.h"
#include "platform/progress.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include <cmath>

#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

PointSet points(std::initializer_list<std::array<double, 3>> xyv) {
    PointSet s;
    for (const auto& p : xyv) s.addPoint(p[0], p[1], p[2]);
    s.computeStatistics();
    return s;
}

TEST(CheckGrid, DefaultGridAndTheThreeRefusals) {
    const PointSet data = points({{0, 0, 1}, {10, 5, 2}});
    DriverInputs in;
    in.points = &data;
    std::unique_ptr<EqNet> grid;
    ASSERT_EQ(InterpolationDriver::checkGrid(grid, in), 0);
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid->nx(), 102);
    EXPECT_EQ(grid->ny(), 102);

    // A point exactly on the grid's maximum X is inside: no message.
    const PointSet onEdge = points({{0, 0, 1}, {grid->extent().maxX, 0, 1}});
    in.points = &onEdge;
    messageLog().reset();
    EXPECT_EQ(InterpolationDriver::checkGrid(grid, in), 0);
    EXPECT_TRUE(messageLog().lines().empty());

    const PointSet outside = points({{0, 0, 1}, {1000, 0, 1}});
    in.points = &outside;
    EXPECT_EQ(InterpolationDriver::checkGrid(grid, in), -1);
    EXPECT_EQ(lastLogged(), "Точки вылезают за сетку! Переопределите математическую сетку");

    in.points = &data;
    LineList border;
    border.add(Line({{-500, -500}, {500, -500}, {500, 500}, {-500, -500}}));
    in.border = &border;
    EXPECT_EQ(InterpolationDriver::checkGrid(grid, in), -1);
    EXPECT_EQ(lastLogged(), "Граница вылезает за сетку! Переопределите математическую сетку");

    std::unique_ptr<EqNet> none;
    DriverInputs empty;
    EXPECT_EQ(InterpolationDriver::checkGrid(none, empty), -1);
    // The message has two lines; the log shows them as two list lines.
    const auto lines = messageLog().lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Сетка не задана! Определите математическую сетку.");
}

// Every method that computes values has its object, which names the method
// and what it takes from its input; the others have none.
TEST(Driver, EveryMethodIsListedWithWhatItTakes) {
    struct Case {
        InterpolationMethod method;
        std::optional<MethodInput> input;  // none: no object
    };
    const Case cases[] = {
        {InterpolationMethod::EquationSystem, MethodInput::DataValues},
        {InterpolationMethod::LargeGridEquationSystem, MethodInput::DataValues},
        {InterpolationMethod::Triangles, MethodInput::DataValues},
        {InterpolationMethod::InverseDistance, MethodInput::DataValues},
        {InterpolationMethod::Kriging, MethodInput::DataValues},
        {InterpolationMethod::BlockKriging, MethodInput::DataValues},
        {InterpolationMethod::DataPointsOnly, MethodInput::DataValues},
        {InterpolationMethod::PointDensity, MethodInput::DataPositions},
        {InterpolationMethod::ArrayValues, MethodInput::PictureValues},
        {InterpolationMethod::NoApply, std::nullopt},
        {InterpolationMethod::FinishOnly, std::nullopt},
        {static_cast<InterpolationMethod>(6), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.method));
        const Interpolator* m = interpolatorFor(c.method);
        ASSERT_EQ(m != nullptr, c.input.has_value());
        if (m == nullptr) continue;
        EXPECT_EQ(m->method(), c.method);
        EXPECT_EQ(m->input(), *c.input);
    }
}

// Only the methods that interpolate the data values refuse points without
// any value: point density takes the positions alone.
TEST(Driver, PointsWithoutValuesAreRefusedByTheMethodsOfValuesOnly) {
    PointSet noValues;
    DataPoint p;
    p.x = 1;
    p.y = 1;
    noValues.addExisting(p);
    p.x = 3;
    noValues.addExisting(p);
    noValues.computeStatistics();
    for (const auto method : {InterpolationMethod::DataPointsOnly, InterpolationMethod::Triangles,
                              InterpolationMethod::PointDensity}) {
        SCOPED_TRACE(static_cast<int>(method));
        auto grid = EqNet::fromCellWidths({2, 2}, {2, 2});
        grid->method = method;
        DriverInputs in;
        in.points = &noValues;
        messageLog().reset();
        const int result = InterpolationDriver::interpolate(grid.get(), in, DriverHooks{});
        if (method == InterpolationMethod::PointDensity) {
            EXPECT_EQ(result, 0);
            EXPECT_TRUE(grid->hasValues());
        } else {
            EXPECT_EQ(result, -1);
            EXPECT_FALSE(grid->hasValues());
            EXPECT_EQ(lastLogged().rfind("Ни у одной точки нет значения", 0), 0u);
        }
    }
}

TEST(Driver, MethodChoice) {
    EqNet grid;
    grid.method = InterpolationMethod::InverseDistance;
    struct Case {
        DataKind kind;
        bool keepValues;
        bool picture;
        InterpolationMethod expected;
    };
    const Case cases[] = {
        {DataKind::Points, false, false, InterpolationMethod::InverseDistance},
        // An array document always runs the equation system.
        {DataKind::Array, false, false, InterpolationMethod::EquationSystem},
        {DataKind::Picture, false, true, InterpolationMethod::ArrayValues},
        {DataKind::Picture, false, false, InterpolationMethod::NoApply},
        // Existing values are kept whatever the method.
        {DataKind::Points, true, false, InterpolationMethod::FinishOnly},
    };
    const std::vector<double> picture = {1, 2, 3, 4};
    for (const auto& c : cases) {
        DriverInputs in;
        in.dataKind = c.kind;
        in.keepValues = c.keepValues;
        in.pictureValues = c.picture ? &picture : nullptr;
        EXPECT_EQ(InterpolationDriver::methodFor(grid, in), c.expected);
    }
}

TEST(Driver, DataPointsOnlyAveragesSharedNodesAndBlanksTheRest) {
    auto grid = EqNet::fromCellWidths({2, 2, 2}, {2, 2});  // nodes 0 1 3 5 6 × 0 1 3 4
    const PointSet data = points({{1.1, 1.0, 4}, {0.9, 1.2, 8}, {5.0, 3.0, 1}});
    DriverInputs in;
    in.points = &data;
    grid->method = InterpolationMethod::DataPointsOnly;
    ASSERT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), 0);
    EXPECT_EQ(grid->value(1, 1), 6.0);  // mean of 4 and 8
    EXPECT_EQ(grid->value(3, 2), 1.0);
    EXPECT_EQ(grid->value(2, 2), kBlankValue);
    EXPECT_EQ(grid->mask()[1 + 1 * 5], kMaskInside);
    EXPECT_EQ(grid->minValue(), 1.0);
    EXPECT_EQ(grid->maxValue(), 6.0);
    EXPECT_FALSE(grid->valuesValid());  // whether cells show them is the map's choice
}

TEST(Driver, PointDensityWorkedOutByHand) {
    auto grid = EqNet::fromCellWidths({0.2, 0.2}, {0.2, 0.2});  // nodes 0 .1 .3 .4
    const PointSet data = points({{0.1, 0.1, 1}, {0.3, 0.1, 1}});
    InterpolationInput in;
    in.points = &data;
    const Interpolator* density = interpolatorFor(InterpolationMethod::PointDensity);
    ASSERT_NE(density, nullptr);
    EXPECT_EQ(density->input(), MethodInput::DataPositions);
    ASSERT_EQ(density->run(*grid, in), 0);
    // Node (1, 1) at (0.1, 0.1): 1 / max(1, 0) + 1 / max(1, 50 × 0.2) = 1.1.
    EXPECT_DOUBLE_EQ(grid->value(1, 1), 1.1);
    // Node (2, 2) at (0.3, 0.3): 1 / (50 × √0.08) + 1 / (50 × 0.2).
    EXPECT_DOUBLE_EQ(grid->value(2, 2), 1 / (50 * std::sqrt(0.08)) + 0.1);
    EXPECT_EQ(grid->value(0, 0), kBlankValue);  // the frame is outside
}

// Feedback that records the stages and steps of a run and cancels at a
// given poll.
class ScriptedFeedback final : public RunFeedback {
public:
    explicit ScriptedFeedback(int cancelAtPoll) : cancelAt_(cancelAtPoll) {}
    std::unique_ptr<RunStage> stage(const StageLook& look) override {
        looks.push_back(look);
        return std::make_unique<Stage>(*this);
    }
    std::vector<StageLook> looks;
    int steps = 0;
    int polls = 0;

private:
    class Stage final : public RunStage {
    public:
        explicit Stage(ScriptedFeedback& owner) : owner_(owner) {}
        void step() override { ++owner_.steps; }
        void setDone(int done) override { owner_.steps = done; }
        bool cancelled() override { return ++owner_.polls >= owner_.cancelAt_; }
        void endWait() override {}

    private:
        ScriptedFeedback& owner_;
    };
    int cancelAt_;
};

// A run reports to the feedback it is given: point density polls before
// each row and steps after it; cancelled at the third poll, the two rows
// done keep their values and the rest stay 0.
TEST(Driver, AMethodReportsToItsFeedbackAndStopsOnCancel) {
    auto grid = EqNet::fromCellWidths({0.2, 0.2}, {0.2, 0.2});  // nodes 0 .1 .3 .4
    const PointSet data = points({{0.1, 0.1, 1}, {0.3, 0.1, 1}});
    ScriptedFeedback feedback(3);
    InterpolationInput in;
    in.points = &data;
    in.feedback = &feedback;
    messageLog().reset();
    ASSERT_EQ(interpolatorFor(InterpolationMethod::PointDensity)->run(*grid, in), 0);
    ASSERT_EQ(feedback.looks.size(), 1u);
    EXPECT_EQ(feedback.looks[0].steps, grid->ny());
    EXPECT_TRUE(feedback.looks[0].cancellable);
    EXPECT_EQ(feedback.polls, 3);
    EXPECT_EQ(feedback.steps, 2);
    EXPECT_EQ(lastLogged(), "Процесс остановлен пользователем");
    // Row 1 (y = 0.1) was computed: node (1, 1) as in the worked example.
    EXPECT_DOUBLE_EQ(grid->value(1, 1), 1.1);
    EXPECT_EQ(grid->value(1, 2), 0.0);  // row 2 was not
}

TEST(Driver, NoGridIsRefused) {
    DriverInputs in;
    EXPECT_EQ(InterpolationDriver::interpolate(nullptr, in, DriverHooks{}), -1);
    EXPECT_EQ(lastLogged(), "Не определена сетка");
}

// 40 points of values in [1, 2), times `factor`, with a border value.
PointSet scaledField(double factor) {
    PointSet s;
    for (int k = 0; k < 40; ++k) {
        const double x = 1 + (k * 37) % 98, y = 1 + (k * 53) % 78;
        const double v = 1.0 + 0.45 * (1.0 + std::sin(x / 17.0) * std::cos(y / 11.0));
        s.addPoint(x, y, v * factor);
    }
    s.computeStatistics();
    return s;
}

// Values near the ends of the number range are computed as if the range had
// no end: every method is linear in the values, and a power of two scales
// exactly, so a field of values times 2^1020 (up to 3.2e307, whose sums and
// squares overflow) gives the grid of the same field in [1, 2) times 2^1020,
// bit for bit, and never an infinity or a NaN. The same with the sign
// turned.
TEST(Driver, ValuesNearTheEndsOfTheRangeAreComputedExactlyScaled) {
    const InterpolationMethod methods[] = {
        InterpolationMethod::EquationSystem, InterpolationMethod::LargeGridEquationSystem,
        InterpolationMethod::Triangles,      InterpolationMethod::InverseDistance,
        InterpolationMethod::Kriging,        InterpolationMethod::BlockKriging,
        InterpolationMethod::DataPointsOnly,
    };
    for (const InterpolationMethod method : methods) {
        for (const double sign : {1.0, -1.0}) {
            SCOPED_TRACE(::testing::Message()
                         << "method " << static_cast<int>(method) << " sign " << sign);
            const auto run = [&](double factor) {
                auto grid = EqNet::fromCounts(DRect(0, 0, 100, 80), 41, 33);
                grid->method = method;
                const PointSet data = scaledField(sign * factor);
                DriverInputs in;
                in.points = &data;
                LineList border;
                border.add(Line({{0, 0}, {100, 0}, {100, 80}, {0, 80}, {0, 0}}));
                in.border = &border;
                in.borderValue.set(sign * 1.25 * factor);
                EXPECT_EQ(InterpolationDriver::interpolate(grid.get(), in, DriverHooks{}), 0);
                return grid;
            };
            const auto plain = run(1.0);
            const auto huge = run(std::ldexp(1.0, 1020));
            ASSERT_TRUE(plain->hasValues());
            ASSERT_TRUE(huge->hasValues());
            ASSERT_EQ(huge->mask(), plain->mask());
            std::size_t inside = 0;
            for (std::size_t n = 0; n < plain->values().size(); ++n) {
                if (plain->mask()[n] == kMaskOutside) continue;
                ++inside;
                ASSERT_TRUE(std::isfinite(huge->values()[n])) << n;
                ASSERT_EQ(huge->values()[n], std::ldexp(plain->values()[n], 1020)) << n;
            }
            EXPECT_GT(inside, 0u);
            EXPECT_EQ(huge->minValue(), std::ldexp(plain->minValue(), 1020));
            EXPECT_EQ(huge->maxValue(), std::ldexp(plain->maxValue(), 1020));
        }
    }
}

// Where values would still leave the number range, none are kept: the run
// says so (message 9032) and gives kValuesNotFinite.
TEST(Driver, ValuesBeyondTheRangeAreRefused) {
    for (const double bad : {HUGE_VAL, -HUGE_VAL, std::nan("")}) {
        SCOPED_TRACE(bad);
        auto grid = EqNet::fromCellWidths({1, 1, 1, 1}, {1, 1, 1, 1});
        ASSERT_GT(grid->nodeCount(), 0);
        grid->computeMask(nullptr);
        std::vector<double> values(static_cast<std::size_t>(grid->nodeCount()), 1.0);
        values[static_cast<std::size_t>(2 + 2 * grid->nx())] = bad;  // a node inside
        ASSERT_EQ(grid->SetValues(values), 0);
        messageLog().reset();
        EXPECT_EQ(InterpolationDriver::finishChecked(*grid), InterpolationDriver::kValuesNotFinite);
        EXPECT_FALSE(grid->hasValues());
        EXPECT_EQ(lastLogged(),
                  "Значения сетки выходят за пределы чисел с плавающей точкой: "
                  "сетка не построена");
    }
}

}  // namespace
}  // namespace gridova
