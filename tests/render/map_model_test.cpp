// The map model tells its observers which objects changed, and reaches the
// user through the context it was given.
#include "render/map_model.h"

#include <gtest/gtest.h>

#include <cstdio>
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

std::size_t linesIn(const Bush& group) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < group.itemCount(); ++i) n += group.item(i).line() != nullptr;
    for (std::size_t i = 0; i < group.childCount(); ++i) n += linesIn(group.child(i));
    return n;
}

TEST(MapModelEdits, MainSetRemovedSetsAndJoinedPoints) {
    MapModel model;
    PointSet& first = model.addPointSet(threePoints());
    PointSet& second = model.addPointSet(threePoints());
    ChangeLog log;
    model.addObserver(&log);
    PointSet foreign = threePoints();
    EXPECT_FALSE(model.setMainPoints(&foreign));  // not one of the map's sets
    EXPECT_FALSE(model.setMainPoints(&first));    // already the main set
    EXPECT_TRUE(log.seen.empty());
    ASSERT_TRUE(model.setMainPoints(&second));
    EXPECT_EQ(model.mainPoints(), &second);
    EXPECT_EQ(log.seen, (std::vector<unsigned>{kPointsChanged}));

    ASSERT_TRUE(model.joinPoints(second));
    ASSERT_NE(model.objectTreeIfAny(), nullptr);
    ASSERT_EQ(linesIn(*model.objectTreeIfAny()), 1u);
    const Line* joined = model.objectTree().child(0).item(0).line();
    ASSERT_NE(joined, nullptr);
    EXPECT_EQ(joined->size(), 3u);
    EXPECT_EQ(joined->points()[1].x, 4.0);

    // The main set goes: the first set left takes its place, then none.
    ASSERT_TRUE(model.removePointSet(&second));
    EXPECT_EQ(model.mainPoints(), &first);
    EXPECT_FALSE(model.removePointSet(&foreign));
    ASSERT_TRUE(model.removePointSet(&first));
    EXPECT_EQ(model.mainPoints(), nullptr);
    EXPECT_TRUE(model.pointTree().pointSets().empty());
    model.removeObserver(&log);
}

TEST(MapModelEdits, IsolinesCopiedIntoLinesAndRemoved) {
    MapModel model;
    model.addPointSet(threePoints());
    model.setGrid(EqNet::fromCounts(DRect(0, 0, 4, 3), 20, 20));
    ASSERT_EQ(model.applyMapType(MapType::ColorIsolines), 0);
    const IsolineSet& isolines = *model.isolines();
    ASSERT_GE(isolines.size(), 3u);
    ASSERT_NE(model.colorFill(), nullptr);
    std::size_t pieces = 0;
    for (int k = 0; k < static_cast<int>(isolines.size()); ++k) {
        pieces += isolines.at(k)->pieces().size();
    }

    ASSERT_TRUE(model.copyIsolinesToLines());
    const Bush& all = model.objectTree().child(0);
    EXPECT_EQ(all.name(), text(89));
    ASSERT_EQ(all.childCount(), isolines.size());
    EXPECT_EQ(linesIn(all), pieces);
    for (std::size_t k = 0; k < all.childCount(); ++k) {
        const double level = isolines.at(static_cast<int>(k))->value;
        char name[64];
        std::snprintf(name, sizeof name, "%g", level);
        EXPECT_EQ(all.child(k).name(), name);
        for (std::size_t i = 0; i < all.child(k).itemCount(); ++i) {
            EXPECT_EQ(all.child(k).item(i).line()->value, level);
        }
    }
    ASSERT_TRUE(model.copyIsolinesToLines(1));
    EXPECT_EQ(model.objectTree().child(1).childCount(), 1u);
    EXPECT_FALSE(model.copyIsolinesToLines(99));

    ASSERT_TRUE(model.copyColorFillToLines());
    EXPECT_EQ(linesIn(model.objectTree().child(2)), linesIn(*model.colorFill()));
    EXPECT_GT(linesIn(model.objectTree().child(2)), 0u);

    // An isoline goes, and the bands built from the levels with it.
    const std::size_t before = isolines.size();
    const double second = isolines.at(1)->value;
    ASSERT_TRUE(model.removeIsolines(0));
    EXPECT_EQ(model.isolines()->size(), before - 1);
    EXPECT_EQ(model.isolines()->at(0)->value, second);
    EXPECT_EQ(model.colorFill(), nullptr);
    EXPECT_FALSE(model.copyColorFillToLines());
    ASSERT_TRUE(model.removeIsolines());
    EXPECT_TRUE(model.isolines()->empty());
    EXPECT_FALSE(model.removeIsolines());
}

TEST(MapModelEdits, GroupsAndLinesOfTheObjectTree) {
    MapModel model;
    BushItem& line = model.addLine(Line({{0, 0}, {1, 1}}));
    Bush& tree = model.objectTree();
    Bush other;
    EXPECT_EQ(model.addGroup(other), nullptr);  // not a group of the map
    Bush* group = model.addGroup(tree);
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(tree.childCount(), 2u);
    Bush* inner = model.addGroup(*group);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->parent(), group);

    BushItem loose(Line({{0, 0}, {2, 2}}));
    EXPECT_FALSE(model.removeItem(&loose));
    ASSERT_TRUE(model.removeItem(&line));
    EXPECT_EQ(linesIn(tree), 0u);
    ASSERT_TRUE(model.removeGroup(group));  // with the group inside it
    EXPECT_EQ(tree.childCount(), 1u);
    EXPECT_FALSE(model.removeGroup(&other));
    ASSERT_TRUE(model.removeGroup(&tree));
    EXPECT_EQ(model.objectTreeIfAny(), nullptr);
}

}  // namespace
}  // namespace gridova
