#include "contour/isoline_levels.h"

#include <cmath>
#include <limits>
#include <new>

#include "contour/isoline_tracer.h"
#include "data/line_source.h"
#include "data/nice_value.h"
#include "data/number_reader.h"
#include "data/tokenizer.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/numbers.h"
#include "platform/profile.h"
#include "platform/progress.h"

namespace gridova {
namespace {

constexpr double kTiny = 1e-30;
// Where the first level is looked for, as parts of the value range below
// and above the grid's minimum.
constexpr double kFirstBelow = 0.1;
constexpr double kFirstAbove = 0.025;
// The step is the roundest number between range / 15 and range / 9.
constexpr double kMostSteps = 15.0;
constexpr double kFewestSteps = 9.0;

constexpr int kTextReadError = 9002;  // "Ошибка чтения файла %s: прочитано только начало"
constexpr int kTextLevelsUnused = 9030;  // "Уровни изолиний из файла %s не взяты: ..."
constexpr int kTextTooManyLevels = 9031;  // "В файле %s больше %d уровней изолиний: ..."

// trunc(v) + 1 as a count, held to the int32 range.
std::int32_t countOf(double v) {
    const double t = std::trunc(v);
    if (!(t >= 0.0)) return 0;
    if (t >= std::numeric_limits<std::int32_t>::max()) {
        return std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(t) + 1;
}

std::optional<std::vector<double>> chooseLevels(const EqNet& grid,
                                                const IsolineCommandOptions& options) {
    if (!options.levelsFile.empty()) {
        const auto fromFile = readLevelsFile(options.levelsFile);
        if (fromFile && fromFile->size() >= kMinFileLevels) return fromFile;
        // Said, never passed over: the map then takes automatic levels.
        if (fromFile) {
            warning(formatText(text(kTextLevelsUnused),
                               {options.levelsFile, static_cast<std::int64_t>(kMinFileLevels)}));
        }
        if (options.levelsFileUnread != nullptr) *options.levelsFileUnread = true;
        return levelList(automaticLevels(grid.minValue(), grid.maxValue()));
    }
    const LevelSteps automatic = automaticLevels(grid.minValue(), grid.maxValue());
    if (options.automatic) return levelList(automatic);

    LevelChoice choice = readLevelChoice();
    LevelSteps steps = automatic;
    if (options.dialog != nullptr) {
        const auto answer =
            options.dialog->ask({grid.minValue(), grid.maxValue(), choice, automatic});
        if (!answer) return std::nullopt;
        choice = answer->choice;
        steps = answer->steps;
        writeLevelChoice(choice);
    }
    switch (choice) {
        case LevelChoice::Previous:
            if (auto stored = readStoredLevels()) return stored;
            return levelList(steps);
        case LevelChoice::Step:
            return levelList(steps);
        case LevelChoice::Automatic:
        default:
            return levelList(automatic);
    }
}

}  // namespace

LevelSteps automaticLevels(double gridMin, double gridMax) {
    const double range = gridMax - gridMin;
    LevelSteps s;
    s.first = niceValueBetween(gridMin - kFirstBelow * range, gridMin + kFirstAbove * range);
    const double c = gridMax - s.first;
    s.step = niceValueBetween(c / kMostSteps, c / kFewestSteps);
    if (s.step > kTiny) s.count = countOf(c / s.step);
    return s;
}

std::optional<std::vector<double>> levelList(const LevelSteps& steps) {
    if (steps.count > kMaxLevels) {
        outOfMemory();
        return std::nullopt;
    }
    try {
        std::vector<double> levels;
        levels.reserve(static_cast<std::size_t>(std::max(steps.count, 0)));
        double level = steps.first;
        for (std::int32_t i = 0; i < steps.count; ++i) {
            levels.push_back(level);
            level += steps.step;
        }
        return levels;
    } catch (const std::bad_alloc&) {
        outOfMemory();
        return std::nullopt;
    }
}

std::optional<std::int32_t> countForStep(double gridMax, double first, double step) {
    if (!(step > kTiny)) return std::nullopt;
    return countOf((gridMax - first) / step);
}

std::optional<double> stepForCount(double gridMax, double first, std::int32_t count) {
    if (count <= 1) return std::nullopt;
    return (gridMax - first) / (count - 1);
}

LevelChoice readLevelChoice() {
    std::int32_t v = 0;
    if (readProfileInt(kCreationContourSection, kTypeInitKey, v) == 0 &&
        v >= static_cast<std::int32_t>(LevelChoice::Automatic) &&
        v <= static_cast<std::int32_t>(LevelChoice::Previous)) {
        return static_cast<LevelChoice>(v);
    }
    return LevelChoice::Automatic;
}

void writeLevelChoice(LevelChoice choice) {
    writeProfileInt(kCreationContourSection, kTypeInitKey, static_cast<std::int32_t>(choice));
}

std::optional<std::vector<double>> readStoredLevels() {
    std::vector<double> levels;
    if (readProfileDoubleList(kContoursSection, kContourKey, levels) != 0) return std::nullopt;
    return levels;
}

void writeStoredLevels(const std::vector<double>& levels) {
    replaceProfileDoubleList(kContoursSection, kContourKey, levels);
}

namespace {

std::optional<std::vector<double>> readLevels(LineSource& lines, const std::string& path) {
    std::vector<double> numbers;
    const bool whole = forEachNumber(lines, [&](double v) {
        if (numbers.size() == kMaxFileLevels) return false;
        numbers.push_back(v);
        return true;
    });
    if (!whole) {
        warning(formatText(text(kTextTooManyLevels),
                           {path, static_cast<std::int64_t>(kMaxFileLevels)}));
        return std::nullopt;
    }
    if (lines.failure() == LineSource::Failure::OutOfMemory) {
        outOfMemory();
        return std::nullopt;
    }
    if (lines.failed()) {
        warning(formatText(text(kTextReadError), {path}));
        return std::nullopt;
    }
    return numbers;
}

}  // namespace

std::optional<std::vector<double>> readLevelsFile(const std::string& path) {
    const FilePtr file = openTextRead(path);
    if (file == nullptr) return std::nullopt;
    FileLineSource lines(file.get());
    return readLevels(lines, path);
}

std::optional<std::vector<double>> readLevelsText(std::string_view bytes, const std::string& name) {
    TextLineSource lines(bytes);
    return readLevels(lines, name);
}

// --- Tracing into the set -------------------------------------------------------------

IsolineCollector::IsolineCollector(IsolineSet& set, const std::vector<double>& levels) {
    isolines_.reserve(levels.size());
    for (double level : levels) isolines_.push_back(&set.addLevel(level));
}

void IsolineCollector::addLine(std::size_t levelIndex, Line line) {
    if (levelIndex < isolines_.size()) isolines_[levelIndex]->addPiece(std::move(line));
}

Isoline* IsolineCollector::isolineOf(std::size_t levelIndex) const {
    return levelIndex < isolines_.size() ? isolines_[levelIndex] : nullptr;
}

int traceSetLevels(const EqNet& grid, IsolineSet& set) {
    IsolineTracer tracer(grid);
    if (!tracer.ready()) return -1;
    IsolineCollector collector(set, set.levels);
    return tracer.traceAll(set.levels, collector);
}

int traceLevel(const EqNet& grid, IsolineSet& set, double level) {
    WaitScope wait;
    IsolineTracer tracer(grid);
    if (!tracer.ready()) return -1;
    IsolineCollector collector(set, {level});
    return tracer.traceLevel(level, 0, collector);
}

int runIsolineCommand(const EqNet& grid, IsolineSet& set, const IsolineCommandOptions& options,
                      const IsolineTraceFunction& trace) {
    if (grid.empty() || !grid.hasValues()) return -1;
    const std::optional<std::vector<double>> levels = chooseLevels(grid, options);
    if (!levels) return -1;
    set = IsolineSet();
    writeStoredLevels(*levels);
    set.levels = *levels;
    if (trace) {
        WaitScope wait;
        trace(grid, set);
    }
    return 0;
}

}  // namespace gridova
