// Isoline levels: automatic levels worked out by hand, the dialog's edit
// rules, the collector of traced lines, the levels file of the start-up switch, the "Contours" and
// "Creation Contour" profile sections, and the isoline command with each
// source of levels.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "contour/isoline_levels.h"
#include "platform/message_log.h"
#include "platform/profile.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::timesLogged;

void expectLevels(const std::vector<double>& actual, const std::vector<double>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-9 * (1 + std::abs(expected[i]))) << i;
    }
}

// Each row worked out by hand with the rules (r = max − min):
//   first = nice(min − 0.1 r, min + 0.025 r), c = max − first,
//   step = nice(c / 15, c / 9), count = trunc(c / step) + 1.
// nice(a, b) cuts the bounds to the coarsest decimal place where they still
// differ and takes the end away from zero, e.g. nice(2.73, 3.3175): whole
// numbers 2 and 3 differ, tenths do not (0 and 0 at g = 0.1), so 3.
TEST(AutomaticLevels, TablesWorkedOutByHand) {
    struct Case {
        double min, max;
        LevelSteps expected;
    };
    const Case cases[] = {
        // nice(−10, 2.5) straddles 0; nice(6.67, 11.1): tens 0 and 1 differ.
        {0, 100, {0, 10, 11}},
        // nice(2.73, 3.3175) = 3; c = 4.9: nice(0.3267, 0.5444) = 0.5;
        // 4.9 / 0.5 = 9.8.
        {3.2, 7.9, {3, 0.5, 10}},
        // nice(−54, −49): tens −5 and −4 differ, so −50 (the lower end);
        // c = 40: nice(2.67, 4.44) = 4.
        {-50, -10, {-50, 4, 11}},
        // nice(999.63, 1000.0925) = 1000; c = 3.7: nice(0.2467, 0.4111) =
        // 0.4; 3.7 / 0.4 = 9.25.
        {1000, 1003.7, {1000, 0.4, 10}},
        // nice(0.0056, 0.01485) = 0.01; c = 0.077: nice(0.00513, 0.00856) =
        // 0.008; 0.077 / 0.008 = 9.625.
        {0.013, 0.087, {0.01, 0.008, 10}},
        // A flat grid: the step is 0 and no level is made.
        {5, 5, {5, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.min) + ".." + std::to_string(c.max));
        const LevelSteps s = automaticLevels(c.min, c.max);
        EXPECT_NEAR(s.first, c.expected.first, 1e-12 * (1 + std::abs(c.expected.first)));
        EXPECT_NEAR(s.step, c.expected.step, 1e-12 * (1 + std::abs(c.expected.step)));
        EXPECT_EQ(s.count, c.expected.count);
    }
    const auto list = levelList(automaticLevels(3.2, 7.9));
    ASSERT_TRUE(list.has_value());
    expectLevels(*list, {3, 3.5, 4, 4.5, 5, 5.5, 6, 6.5, 7, 7.5});
    EXPECT_TRUE(levelList(automaticLevels(5, 5))->empty());
}

TEST(AutomaticLevels, AnImpossibleListIsRefusedWithTheMemoryWarning) {
    testing::StderrCapture quiet;
    EXPECT_FALSE(levelList({0, 1, kMaxLevels + 1}).has_value());
    EXPECT_EQ(timesLogged("Out of memory."), 1u);
    EXPECT_TRUE(levelList({0, 1, -3})->empty());
}

TEST(LevelEdits, CountAndStepFollowEachOther) {
    // The first level or the step changed: the count up to the maximum.
    EXPECT_EQ(countForStep(100, 0, 10), 11);
    EXPECT_EQ(countForStep(7.9, 3, 0.5), 10);
    EXPECT_EQ(countForStep(100, 0, 0), std::nullopt);
    EXPECT_EQ(countForStep(100, 0, -5), std::nullopt);
    // The count changed: the step that ends at the maximum.
    EXPECT_EQ(stepForCount(100, 0, 11), 10);
    EXPECT_EQ(stepForCount(100, 20, 5), 20);
    EXPECT_EQ(stepForCount(100, 0, 1), std::nullopt);
}

TEST(LevelsFile, TakesEveryNumberOutsideCommentLines) {
    const std::string bytes = "* levels for the map\n\n1, 2;3\tabc 4.5\n*5\n  6e1\r\n-7\n";
    const std::string path = testing::writeFile("levels.txt", bytes);
    const auto levels = readLevelsFile(path);
    ASSERT_TRUE(levels.has_value());
    EXPECT_EQ(*levels, (std::vector<double>{1, 2, 3, 4.5, 60, -7}));
    // The file's bytes read the same.
    EXPECT_EQ(readLevelsText(bytes, "levels"), levels);

    testing::StderrCapture quiet;
    EXPECT_FALSE(readLevelsFile((testing::testDir() / "none.txt").string()).has_value());
    ASSERT_FALSE(messageLog().lines().empty());
    EXPECT_NE(messageLog().lines().back().find("для считывания"), std::string::npos);
}

TEST(IsolineCollector, TracedLinesGoToTheirLevelsIsoline) {
    IsolineSet set;
    // Levels out of order: the set sorts them, the level index keeps to
    // the list.
    const std::vector<double> levels = {3, 1, 2};
    IsolineCollector collector(set, levels);
    EXPECT_EQ(set.values(), (std::vector<double>{1, 2, 3}));
    collector.addLine(0, Line({{0, 0}, {1, 1}}));
    collector.addLine(0, Line({{2, 2}, {3, 3}}));
    collector.addLine(2, Line({{5, 5}, {6, 6}}));
    collector.addLine(7, Line({{9, 9}, {8, 8}}));  // no such level
    const Isoline* three = set.at(2);
    ASSERT_EQ(collector.isolineOf(0), three);
    ASSERT_EQ(three->pieces().size(), 2u);
    // Every piece carries its level.
    EXPECT_EQ(three->pieces().line(0)->value, 3);
    EXPECT_EQ(three->pieces().line(1)->value, 3);
    EXPECT_EQ(set.at(0)->pieces().size(), 0u);  // level 1: no line, still an isoline
    ASSERT_EQ(set.at(1)->pieces().size(), 1u);
    EXPECT_EQ(set.at(1)->pieces().line(0)->value, 2);
    EXPECT_EQ(collector.isolineOf(3), nullptr);
}

// --- Profile sections ---------------------------------------------------------------------------

TEST(LevelProfile, StoredLevelsAndChoiceRoundTrip) {
    writeStoredLevels({0.1, 1e-300, -2.5, 1.0 / 3});
    EXPECT_EQ(readStoredLevels(), (std::vector<double>{0.1, 1e-300, -2.5, 1.0 / 3}));
    // A shorter list replaces the longer one.
    writeStoredLevels({7});
    EXPECT_EQ(readStoredLevels(), std::vector<double>{7});
    std::string text;
    EXPECT_EQ(readProfileText("Contours", "Contour1", text), -1);

    for (LevelChoice c : {LevelChoice::Step, LevelChoice::Previous, LevelChoice::Automatic}) {
        writeLevelChoice(c);
        EXPECT_EQ(readLevelChoice(), c);
    }
}

TEST(LevelProfile, BadKeysKeepTheDefaults) {
    struct Case {
        const char* profile;
        std::optional<std::vector<double>> levels;
        LevelChoice choice;
    };
    const Case cases[] = {
        // Six-digit values of older profiles read; a value that is not a
        // number reads as 0.
        {"[Contours]\nContour Count=3\nContour0=0.100000\nContour1=abc\nContour2=-2.500000\n"
         "[Creation Contour]\nType Init=2\n",
         std::vector<double>{0.1, 0, -2.5}, LevelChoice::Previous},
        {"[Contours]\nContour Count=x\nContour0=1\n[Creation Contour]\nType Init=abc\n",
         std::nullopt, LevelChoice::Automatic},
        // More values than keys, and a choice the dialog does not have.
        {"[Contours]\nContour Count=5\nContour0=1\n[Creation Contour]\nType Init=3\n", std::nullopt,
         LevelChoice::Automatic},
        {"[Contours]\nContour Count=-1\n[Creation Contour]\nType Init=-1\n", std::nullopt,
         LevelChoice::Automatic},
        {"", std::nullopt, LevelChoice::Automatic},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile);
        testing::writeFile("profile.ini", c.profile);
        EXPECT_EQ(readStoredLevels(), c.levels);
        EXPECT_EQ(readLevelChoice(), c.choice);
    }
}

// --- The isoline command ------------------------------------------------------------------------

// A 6 × 6 grid with values 0..100 (0 at the first node, 100 at the last).
std::unique_ptr<EqNet> sampleGrid(bool flat = false) {
    auto grid = EqNet::fromCounts(DRect(0, 0, 10, 10), 6, 6);
    const auto n = static_cast<std::size_t>(grid->nodeCount());
    std::vector<double> values(n, 42.0);
    if (!flat) {
        for (std::size_t i = 0; i < n; ++i) values[i] = 100.0 * i / (n - 1);
    }
    grid->SetValues(std::move(values));
    return grid;
}

// A dialog that answers as told and remembers what it was shown.
class ScriptedDialog final : public IsolineLevelsDialog {
public:
    explicit ScriptedDialog(std::optional<LevelsDialogResult> answer) : answer_(answer) {}
    std::optional<LevelsDialogResult> ask(const LevelsDialogInput& input) override {
        ++asked;
        shown = input;
        return answer_;
    }
    int asked = 0;
    LevelsDialogInput shown;

private:
    std::optional<LevelsDialogResult> answer_;
};

// A trace function that records the levels it was given and makes one
// isoline per level with one piece.
struct RecordingTrace {
    int calls = 0;
    std::vector<double> levels;
    IsolineTraceFunction function() {
        return [this](const EqNet&, IsolineSet& set) {
            ++calls;
            levels = set.levels;
            IsolineCollector collector(set, set.levels);
            for (std::size_t k = 0; k < set.levels.size(); ++k) {
                collector.addLine(k, Line({{0, 0}, {1, 1}}));
            }
        };
    }
};

const std::vector<double> kAutomatic0To100 = {0, 10, 20, 30, 40, 50, 60, 70, 80, 90, 100};

TEST(IsolineCommand, LevelsComeFromTheirSourcesInOrder) {
    const std::string threeLevels = testing::writeFile("three.txt", "5\n1\n3\n");
    const std::string twoLevels = testing::writeFile("two.txt", "5 1\n");
    struct Case {
        const char* name;
        std::string profile;     // written before the command
        std::string levelsFile;  // switch "i"
        bool automatic;          // built on opening
        std::optional<LevelsDialogResult> answer;
        bool withDialog;
        std::vector<double> levels;  // what is traced
        bool asked;
    };
    const LevelsDialogResult stepAnswer{LevelChoice::Step, {10, 20, 5}};
    const LevelsDialogResult previousAnswer{LevelChoice::Previous, {10, 20, 5}};
    const std::string stored = "[Contours]\nContour Count=3\nContour0=2\nContour1=4\nContour2=8\n";
    const Case cases[] = {
        {"a levels file of three numbers wins",
         "",
         threeLevels,
         false,
         stepAnswer,
         true,
         {5, 1, 3},
         false},
        {"two numbers are not enough", "", twoLevels, true, std::nullopt, false, kAutomatic0To100,
         false},
        {"built on opening: automatic", stored, "", true, stepAnswer, true, kAutomatic0To100,
         false},
        {"dialog: through a step", "", "", false, stepAnswer, true, {10, 30, 50, 70, 90}, true},
        {"dialog: previous levels", stored, "", false, previousAnswer, true, {2, 4, 8}, true},
        {"dialog: previous without stored levels",
         "",
         "",
         false,
         previousAnswer,
         true,
         {10, 30, 50, 70, 90},
         true},
        {"unattended: the remembered choice, previous",
         stored + "[Creation Contour]\nType Init=2\n",
         "",
         false,
         std::nullopt,
         false,
         {2, 4, 8},
         false},
        {"unattended: the remembered choice, a step", stored + "[Creation Contour]\nType Init=1\n",
         "", false, std::nullopt, false, kAutomatic0To100, false},
        {"unattended: nothing remembered", stored, "", false, std::nullopt, false, kAutomatic0To100,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::writeFile("profile.ini", c.profile);
        auto grid = sampleGrid();
        ScriptedDialog dialog(c.answer);
        IsolineCommandOptions options;
        options.automatic = c.automatic;
        options.levelsFile = c.levelsFile;
        options.dialog = c.withDialog ? &dialog : nullptr;
        RecordingTrace trace;
        IsolineSet set;
        set.addLevel(-1);  // the old isolines
        ASSERT_EQ(runIsolineCommand(*grid, set, options, trace.function()), 0);
        EXPECT_EQ(trace.calls, 1);
        expectLevels(trace.levels, c.levels);
        // The old isolines are gone; one isoline per level, in value order.
        std::vector<double> sorted = c.levels;
        std::sort(sorted.begin(), sorted.end());
        expectLevels(set.values(), sorted);
        // The list is kept for the next build.
        const auto kept = readStoredLevels();
        ASSERT_TRUE(kept.has_value());
        expectLevels(*kept, c.levels);
        EXPECT_EQ(dialog.asked, c.asked ? 1 : 0);
        if (c.asked) {
            EXPECT_EQ(readLevelChoice(), c.answer->choice);
        }
    }
}

TEST(IsolineCommand, TheDialogStartsWithTheGridRangeAndAutomaticLevels) {
    writeLevelChoice(LevelChoice::Previous);
    auto grid = sampleGrid();
    ScriptedDialog dialog(std::nullopt);  // Cancel
    IsolineCommandOptions options;
    options.dialog = &dialog;
    RecordingTrace trace;
    IsolineSet set;
    set.addLevel(-1);
    writeStoredLevels({1, 2, 3});
    EXPECT_EQ(runIsolineCommand(*grid, set, options, trace.function()), -1);
    ASSERT_EQ(dialog.asked, 1);
    EXPECT_EQ(dialog.shown.gridMin, 0);
    EXPECT_EQ(dialog.shown.gridMax, 100);
    EXPECT_EQ(dialog.shown.choice, LevelChoice::Previous);
    EXPECT_EQ(dialog.shown.automatic, (LevelSteps{0, 10, 11}));
    // Cancel ends the command: nothing traced, the old set and the stored
    // levels stay.
    EXPECT_EQ(trace.calls, 0);
    EXPECT_EQ(set.values(), std::vector<double>{-1});
    EXPECT_EQ(readStoredLevels(), (std::vector<double>{1, 2, 3}));
}

TEST(IsolineCommand, NothingHappensWithoutGridValues) {
    EqNet empty;
    auto noValues = EqNet::fromCounts(DRect(0, 0, 10, 10), 6, 6);
    for (EqNet* grid : {&empty, noValues.get()}) {
        RecordingTrace trace;
        IsolineSet set;
        set.addLevel(-1);
        IsolineCommandOptions options;
        options.automatic = true;
        EXPECT_EQ(runIsolineCommand(*grid, set, options, trace.function()), -1);
        EXPECT_EQ(trace.calls, 0);
        EXPECT_EQ(set.values(), std::vector<double>{-1});
    }
    EXPECT_FALSE(readStoredLevels().has_value());
}

TEST(IsolineCommand, AFlatGridBuildsNoIsolines) {
    auto grid = sampleGrid(true);
    RecordingTrace trace;
    IsolineSet set;
    set.addLevel(-1);
    IsolineCommandOptions options;
    options.automatic = true;
    EXPECT_EQ(runIsolineCommand(*grid, set, options, trace.function()), 0);
    EXPECT_EQ(trace.calls, 1);
    EXPECT_TRUE(set.empty());
}

// The command with the tracer: one peak node of 100 in a grid of zeros
// gives one closed line round the peak at every automatic level below 100
// (at level 0 the peak is above it and the zeros are not), and an isoline
// without lines at 100, which no node is above.
TEST(IsolineCommand, TracesWithTheIsolineTracer) {
    auto grid = EqNet::fromCounts(DRect(0, 0, 10, 10), 6, 6);
    std::vector<double> values(static_cast<std::size_t>(grid->nodeCount()), 0.0);
    values[static_cast<std::size_t>(grid->nx() / 2 + (grid->ny() / 2) * grid->nx())] = 100;
    grid->SetValues(values);
    IsolineSet set;
    IsolineCommandOptions options;
    options.automatic = true;
    ASSERT_EQ(runIsolineCommand(*grid, set, options, traceSetLevels), 0);
    expectLevels(set.values(), kAutomatic0To100);
    for (int i = 0; i < static_cast<int>(set.size()); ++i) {
        const Isoline& isoline = *set.at(i);
        SCOPED_TRACE(isoline.value);
        const bool inside = i + 1 < static_cast<int>(set.size());
        ASSERT_EQ(isoline.pieces().size(), inside ? 1u : 0u);
        if (inside) {
            EXPECT_TRUE(isoline.pieces().line(0)->isClosed());
            EXPECT_EQ(isoline.pieces().line(0)->value, isoline.value);
        }
    }
    // One more level goes in between, traced the same way.
    ASSERT_EQ(traceLevel(*grid, set, 55), 0);
    ASSERT_EQ(set.size(), 12u);
    const Isoline& added = *set.at(6);
    EXPECT_EQ(added.value, 55);
    ASSERT_EQ(added.pieces().size(), 1u);
    EXPECT_TRUE(added.pieces().line(0)->isClosed());
    expectLevels(set.levels, kAutomatic0To100);
}

}  // namespace
}  // namespace gridova
