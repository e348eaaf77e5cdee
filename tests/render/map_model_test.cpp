// The map model tells its observers which objects changed, and reaches the
// user through the context it was given.
#include "render/map_model.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/app_context.h"
#include "platform/messages.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

class ChangeLog final : public MapModelObserver {
public:
    void mapModelChanged(unsigned changes) override { seen.push_back(changes); }
    std::vector<unsigned> seen;
};

PointSet threePoints() {
    PointSet set;
    set.addPoint(0, 0, 1);
    set.addPoint(4, 0, 2);
    set.addPoint(0, 3, 4);
    set.computeStatistics();
    return set;
}

// Boxes that keep what they were shown and answer questions as told.
class KeptBoxes final : public Boxes {
public:
    void information(const std::string&, const std::string& text) override {
        shown.push_back("information: " + text);
    }
    void warning(const std::string&, const std::string& text) override {
        shown.push_back("warning: " + text);
    }
    Answer question(const std::string&, const std::string& text) override {
        shown.push_back("question: " + text);
        return answer;
    }
    std::vector<std::string> shown;
    Answer answer = Answer::Cancel;
};

// A clock that moves on one second each time it is read.
double gClockSeconds = 0;
double steppingClock() { return gClockSeconds += 1.0; }

// A model given a context of its own asks its questions there and shows
// its runs' progress and messages there; the process's services see
// nothing of it.
TEST(MapModelContext, RunsAndQuestionsGoToTheModelsOwnContext) {
    KeptBoxes boxes;
    UnattendedProgressUi ui;
    ui.setClock(steppingClock);
    ui.requestCancel();  // the first wait dialog shown is cancelled
    AppContext context;
    context.setBoxes(&boxes);
    context.setProgress(&ui);
    unattendedProgressUi().reset();

    MapModel model(context);
    model.addPointSet(threePoints());
    model.setGrid(EqNet::fromCounts(DRect(0, 0, 4, 3), 20, 20));
    ASSERT_EQ(model.grid()->method, InterpolationMethod::EquationSystem);
    model.applyMapType(MapType::Isolines);
    // The solver's wait dialog came up after two seconds and was cancelled.
    EXPECT_EQ(ui.dialogsStarted(), 1);
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_EQ(boxes.shown.front(), "information: " + text(418));

    auto border = std::make_unique<LineList>();
    border->add(Line({{0.5, 0.5}, {3.5, 0.5}, {3.5, 2.5}, {0.5, 0.5}}));
    model.setBorder(std::move(border));
    boxes.shown.clear();
    EXPECT_FALSE(model.deleteBorder());  // Cancel keeps the border
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].rfind("question: ", 0), 0u);
    EXPECT_NE(model.border(), nullptr);

    EXPECT_EQ(unattendedProgressUi().dialogsStarted(), 0);
    EXPECT_EQ(testing::lastLogged(), "");  // the process's boxes log what they show
}

TEST(MapModelChanges, EachOperationNamesTheObjectsItChanged) {
    MapModel model;
    ChangeLog log;
    model.addObserver(&log);
    EXPECT_FALSE(model.mapChanged);

    model.addPointSet(threePoints());
    model.setGrid(EqNet::fromCounts(DRect(0, 0, 4, 3), 20, 20));
    model.setBorderShown(false);
    auto border = std::make_unique<LineList>();
    border->add(Line({{0.5, 0.5}, {3.5, 0.5}, {3.5, 2.5}, {0.5, 0.5}}));
    model.setBorder(std::move(border));
    model.addLine(Line({{1, 1}, {2, 2}}));  // a new group: no notice of its own
    const std::vector<unsigned> expected = {kPointsChanged, kGridChanged,
                                            kBorderChanged | kSettingsChanged, kBorderChanged};
    EXPECT_EQ(log.seen, expected);
    EXPECT_TRUE(model.mapChanged);

    // Building a map type may change every object.
    log.seen.clear();
    ASSERT_EQ(model.applyMapType(MapType::Isolines), 0);
    ASSERT_EQ(log.seen.size(), 1u);
    EXPECT_EQ(log.seen[0], static_cast<unsigned>(kEverythingChanged));

    // The colour fill is built from the isolines' levels into the scale.
    log.seen.clear();
    model.toggleColorFill();
    EXPECT_EQ(log.seen, (std::vector<unsigned>{kColorFillChanged | kGridChanged}));
    EXPECT_NE(model.colorFill(), nullptr);

    // Removed, an observer hears nothing more.
    model.removeObserver(&log);
    log.seen.clear();
    model.mirrorPoints();
    EXPECT_TRUE(log.seen.empty());
}

TEST(MapModelChanges, TheDefaultGridIsLaidOnlyWhereThereIsNone) {
    MapModel model;
    EXPECT_FALSE(model.extent().has_value());
    model.addPointSet(threePoints());
    ASSERT_TRUE(model.extent().has_value());
    EXPECT_EQ(*model.extent(), DRect(0, 0, 4, 3));
    ChangeLog log;
    model.addObserver(&log);
    ASSERT_TRUE(model.layDefaultGrid(*model.extent()));
    EXPECT_EQ(log.seen, (std::vector<unsigned>{kGridChanged}));
    ASSERT_NE(model.grid(), nullptr);
    EXPECT_EQ(model.grid()->nx(), EqNet::kDefaultNodes);
    EXPECT_TRUE(model.grid()->extent().contains(DRect(0, 0, 4, 3)));
    EXPECT_FALSE(model.layDefaultGrid(DRect(0, 0, 1, 1)));  // a grid is kept
    EXPECT_EQ(log.seen.size(), 1u);
    model.removeObserver(&log);
}

// A large-grid run taken over by the caller: the map type is built once the
// caller has completed it.
TEST(MapModelChanges, ALargeGridRunTakenOverIsBuiltWhenCompleted) {
    MapModel model;
    model.addPointSet(threePoints());
    auto grid = EqNet::fromCounts(DRect(0, 0, 4, 3), 20, 20);
    grid->method = InterpolationMethod::LargeGridEquationSystem;
    model.setGrid(std::move(grid));
    std::unique_ptr<LargeGridRun> pending;
    model.extraHooks.largeGridStarted = [&](std::unique_ptr<LargeGridRun> run) {
        pending = std::move(run);
    };
    ASSERT_EQ(model.applyMapType(MapType::Isolines), 0);
    ASSERT_NE(pending, nullptr);
    EXPECT_EQ(model.isolines(), nullptr);  // nothing to trace yet
    ChangeLog log;
    model.addObserver(&log);
    ASSERT_EQ(model.completeLargeGridRun(*pending), 0);
    ASSERT_NE(model.isolines(), nullptr);
    EXPECT_FALSE(model.isolines()->empty());
    EXPECT_EQ(log.seen, (std::vector<unsigned>{static_cast<unsigned>(kEverythingChanged)}));
    model.removeObserver(&log);
}

}  // namespace
}  // namespace gridova
