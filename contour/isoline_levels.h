// The levels at which isolines are traced, and the isoline command that
// builds a map's isolines.
//
// Automatic levels, from the grid's smallest and largest node values mn and
// mx (r = mx − mn), with nice(a, b) the roundest number in [a, b]
// (niceValueBetween):
//     first = nice(mn − 0.1·r, mn + 0.025·r)
//     step  = nice(c / 15, c / 9)          where c = mx − first
//     count = trunc(c / step) + 1          only when step > 1e-30, else 0
// so there are about 10 to 16 levels, the first a round number just below
// (or at) the minimum. Level i is first + i·step, made by repeated addition.
//
// Where the levels of a build come from, in this order:
// 1. the levels file named at start-up, when it holds at least
//    kMinFileLevels numbers;
// 2. the automatic levels, when the map is built automatically on opening;
// 3. the levels dialog (Cancel ends the command); without a dialog
//    (unattended runs) the choice remembered in "Creation Contour" /
//    "Type Init" is taken: the levels stored in "Contours" for
//    "Предыдущие" (when they read), else the automatic levels.
// Every build stores its level list in the profile section "Contours"
// (keys "Contour Count", "Contour0", "Contour1", ...).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contour/isoline_set.h"
#include "contour/isoline_tracer.h"
#include "grid/eq_net.h"
#include "grid/interpolation_driver.h"

namespace gridova {

inline constexpr std::string_view kContoursSection = "Contours";
inline constexpr std::string_view kContourKey = "Contour";
inline constexpr std::string_view kCreationContourSection = "Creation Contour";
inline constexpr std::string_view kTypeInitKey = "Type Init";
// A levels file with fewer numbers is not used.
inline constexpr std::size_t kMinFileLevels = 3;
// A levels file with more numbers is refused (message 9031). Each level is
// traced over the whole grid and kept in the profile, one line each: beyond
// this many the map takes minutes and the lines no longer read as lines,
// while a reader that stops here never holds more than 0.8 MB of levels,
// whatever the file's size.
inline constexpr std::size_t kMaxFileLevels = 100'000;
// Longer level lists are refused with the memory warning: they could not
// be traced.
inline constexpr std::int32_t kMaxLevels = 1'000'000;

// The choice of the levels dialog ("Type Init").
enum class LevelChoice : std::int32_t {
    Automatic = 0,  // "По умолчанию"
    Step = 1,       // "Через шаг": first, step and count as edited
    Previous = 2,   // "Предыдущие": the list stored in "Contours"
};

// Evenly spaced levels.
struct LevelSteps {
    double first = 0.0;      // the lowest level
    double step = 0.0;       // between neighbouring levels
    std::int32_t count = 0;  // number of levels
    friend bool operator==(const LevelSteps&, const LevelSteps&) = default;
};

LevelSteps automaticLevels(double gridMin, double gridMax);
// first, first + step, ... by repeated addition; nothing (after the
// memory warning) for a count above kMaxLevels or when memory runs out. A
// count below 1 gives no levels.
std::optional<std::vector<double>> levelList(const LevelSteps& steps);

// The rules that keep the dialog's edits consistent. After the first level
// or the step changed: trunc((max − first) / step) + 1, nothing when
// step ≤ 1e-30 (the count stays). After the count changed: the step
// (max − first) / (count − 1), nothing when count ≤ 1.
std::optional<std::int32_t> countForStep(double gridMax, double first, double step);
std::optional<double> stepForCount(double gridMax, double first, std::int32_t count);

// "Creation Contour" / "Type Init"; a missing or unknown value reads as
// Automatic.
LevelChoice readLevelChoice();
void writeLevelChoice(LevelChoice choice);

// The list in "Contours"; nothing when its count is missing or bad.
std::optional<std::vector<double>> readStoredLevels();
// Replaces the section's list (values in their shortest exact form).
void writeStoredLevels(const std::vector<double>& levels);

// The numbers of a levels file: every token that is a number, on lines
// that are not empty and do not start with "*". Nothing when the file
// cannot be opened (message 202) or read (9002), or holds more than
// kMaxFileLevels numbers (9031).
std::optional<std::vector<double>> readLevelsFile(const std::string& path);
// The same from the file's bytes; `name` stands for the file in messages.
std::optional<std::vector<double>> readLevelsText(std::string_view bytes, const std::string& name);

// What the levels dialog ("Задание изолиний") starts with.
struct LevelsDialogInput {
    double gridMin = 0.0;  // shown as "Минимальный   %lf" (message 108)
    double gridMax = 0.0;  // shown as "Максимальный  %lf" (message 109)
    LevelChoice choice = LevelChoice::Automatic;  // the remembered choice
    LevelSteps automatic;                         // the edits' first values
};

// What it gives on OK.
struct LevelsDialogResult {
    LevelChoice choice = LevelChoice::Automatic;
    LevelSteps steps;  // the edits; used with LevelChoice::Step
};

// The levels dialog; the main window supplies it, unattended runs do not.
class IsolineLevelsDialog {
public:
    virtual ~IsolineLevelsDialog() = default;
    // Nothing when the user cancels.
    virtual std::optional<LevelsDialogResult> ask(const LevelsDialogInput& input) = 0;
};

struct IsolineCommandOptions {
    // The map is being built automatically on opening: automatic levels
    // without the dialog. (The view clears its flag afterwards.)
    bool automatic = false;
    // The levels file named at start-up (switch "i"); empty for none. When it
    // gives no levels (it cannot be read, or holds fewer than kMinFileLevels
    // numbers: message 9030) the automatic levels are taken and
    // *levelsFileUnread, when given, is set.
    std::string levelsFile;
    bool* levelsFileUnread = nullptr;
    IsolineLevelsDialog* dialog = nullptr;  // none in unattended runs
};

// Receives traced lines for a list of levels: on construction it adds one
// isoline per level to the set (in list order, as tracing does), then each
// traced line goes to its level's isoline as a piece. A level index outside
// the list is ignored.
class IsolineCollector final : public IsolineSink {
public:
    IsolineCollector(IsolineSet& set, const std::vector<double>& levels);
    void addLine(std::size_t levelIndex, Line line) override;
    // The isoline of a level, nullptr outside the list.
    Isoline* isolineOf(std::size_t levelIndex) const;

private:
    std::vector<Isoline*> isolines_;  // owned by the set
};

// Traces set.levels of the grid into the set (one isoline per level).
using IsolineTraceFunction = std::function<void(const EqNet&, IsolineSet&)>;

// The trace function of the map: the isoline tracer over set.levels, one
// isoline per level made before its level is traced. −1 when the tracer
// could not run ("Out of memory." shown); the isolines made so far stay.
int traceSetLevels(const EqNet& grid, IsolineSet& set);
// One more level traced into the set the same way, under the wait cursor
// (the isoline list's "Вставить" and "Значение"); set.levels is left alone.
int traceLevel(const EqNet& grid, IsolineSet& set, double level);

// The isoline step of a map after the grid's values: obtains the levels
// (header comment), replaces the set by a new one, stores the levels in
// "Contours" and traces them under the wait cursor. 0 when the set was
// rebuilt (it may hold no isolines); −1 when nothing happened: the grid has
// no values, the dialog was cancelled or the level list could not be made.
int runIsolineCommand(const EqNet& grid, IsolineSet& set, const IsolineCommandOptions& options,
                      const IsolineTraceFunction& trace);

}  // namespace gridova
