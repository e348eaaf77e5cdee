#include "grid/inverse_distance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "data/point_set.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "platform/progress.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

constexpr const char* kSection = "Inverse Distance";

struct XYV {
    double x, y, v;
};

PointSet makeSet(const std::vector<XYV>& points) {
    PointSet set;
    for (const XYV& p : points) set.addPoint(p.x, p.y, p.v);
    return set;
}

// The three points of the worked examples: A(0, 0) = 1, B(4, 0) = 2,
// C(0, 3) = 4; their extent has the diagonal 5. D has no value and lies far
// away: it must change nothing.
PointSet threePointsAndOneWithoutValue() {
    PointSet set = makeSet({{0, 0, 1}, {4, 0, 2}, {0, 3, 4}});
    DataPoint d;
    d.x = 100;
    d.y = 100;
    set.addExisting(d);
    return set;
}

// Nodes X = 1, 2, 3 and Y = 1, 2: spacing 1, so the tolerance is 0.1.
const std::vector<double> kNodeX = {1, 2, 3};
const std::vector<double> kNodeY = {1, 2};

// The node values worked out by hand for the three points with power 2 and
// every point within the radius: sum(v / d^2) / sum(1 / d^2). At (1, 1):
// d^2 = 2, 10, 5, weights 0.5, 0.1, 0.2, so (0.5 + 0.2 + 0.8) / 0.8 = 15/8.
const std::vector<double> kThreePointValues = {15.0 / 8,    44.0 / 21, 183.0 / 88,
                                               306.0 / 101, 47.0 / 18, 114.0 / 49};

std::string profileText(const char* key) {
    std::string text;
    readProfileText(kSection, key, text);
    return text;
}

void expectClose(double actual, double expected) {
    EXPECT_NEAR(actual, expected, 1e-12 * std::max(1.0, std::fabs(expected)));
}

// ---------------------------------------------------------------------------
// The driver's step with its defaults.

TEST(InverseDistanceDriver, DefaultsGiveTheInverseSquareMeanOfAllThreePoints) {
    const PointSet set = threePointsAndOneWithoutValue();
    std::vector<double> values;
    InverseDistanceParameters used;
    ASSERT_TRUE(runInverseDistance(set, 3, kNodeX.data(), 2, kNodeY.data(),
                                   InverseDistanceSettings{}, values, &used));
    ASSERT_EQ(values.size(), 6u);
    for (std::size_t k = 0; k < values.size(); ++k) {
        SCOPED_TRACE(k);
        expectClose(values[k], kThreePointValues[k]);
    }
    // The parameters used, as they are stored: the diagonal of the valued
    // points' extent, every point of the set, 0.1 x the node spacing.
    InverseDistanceSettings::save(InverseDistanceSource::Defaults, used);
    EXPECT_EQ(profileText("Type Init"), "0");
    EXPECT_EQ(profileText("Power"), "2");
    EXPECT_EQ(profileText("Nearest Points"), "4");
    EXPECT_EQ(profileText("Radius"), "5");
    EXPECT_EQ(profileText("PlateauRadius"), "0");
    EXPECT_EQ(profileText("Tolerance"), "0.1");
}

TEST(InverseDistanceDriver, NothingIsDoneWithoutValuesOrWithBadNodes) {
    std::vector<double> values = {42};
    InverseDistanceParameters used;
    used.power = -1;
    const double x = 0;
    const InverseDistanceSettings defaults;
    EXPECT_FALSE(runInverseDistance(PointSet(), 1, &x, 1, &x, defaults, values, &used));
    PointSet noValues;
    DataPoint p;
    noValues.addExisting(p);
    EXPECT_FALSE(runInverseDistance(noValues, 1, &x, 1, &x, defaults, values, &used));
    const PointSet set = makeSet({{0, 0, 1}});
    EXPECT_FALSE(runInverseDistance(set, 0, &x, 1, &x, defaults, values, &used));
    EXPECT_EQ(values, std::vector<double>{42});
    EXPECT_EQ(used.power, -1);  // nothing was run, nothing reported
}

TEST(InverseDistanceDriver, TheStoredSourceDecidesWhetherTheStoredValuesAreRead) {
    // Stored: power 1. With power 1 the value at (1, 1) is
    // (1/sqrt2 + 2/sqrt10 + 4/sqrt5) / (1/sqrt2 + 1/sqrt10 + 1/sqrt5).
    const double a = 1 / std::sqrt(2.0), b = 1 / std::sqrt(10.0), c = 1 / std::sqrt(5.0);
    const double powerOne = (a + 2 * b + 4 * c) / (a + b + c);
    struct Case {
        const char* stored;  // "Type Init"
        InverseDistanceSource source;
        double atOneOne;
        double powerUsed;
    };
    const Case cases[] = {
        {"0", InverseDistanceSource::Defaults, 15.0 / 8, 2},  // defaults: nothing read
        {"1", InverseDistanceSource::Custom, 15.0 / 8, 2},    // custom: what the dialog enters
        {"2", InverseDistanceSource::Previous, powerOne, 1},  // previous: the stored values
        {"5", InverseDistanceSource::Defaults, 15.0 / 8, 2},  // not a source: the defaults
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.stored);
        removeProfileSection(kSection);
        writeProfileText(kSection, "Type Init", k.stored);
        writeProfileText(kSection, "Power", "1");
        const InverseDistanceSettings settings = InverseDistanceSettings::load();
        EXPECT_EQ(settings.source, k.source);
        std::vector<double> values;
        InverseDistanceParameters used;
        const PointSet set = threePointsAndOneWithoutValue();
        ASSERT_TRUE(
            runInverseDistance(set, 3, kNodeX.data(), 2, kNodeY.data(), settings, values, &used));
        expectClose(values[0], k.atOneOne);
        EXPECT_EQ(used.power, k.powerUsed);
    }
}

TEST(InverseDistanceDriver, EnteredValuesAreUsedButAPowerOfZeroIsIgnored) {
    InverseDistanceSettings entered;
    entered.source = InverseDistanceSource::Custom;
    entered.power = 0.0;
    entered.radius = 2.5;
    std::vector<double> values;
    InverseDistanceParameters used;
    const PointSet set = threePointsAndOneWithoutValue();
    ASSERT_TRUE(
        runInverseDistance(set, 3, kNodeX.data(), 2, kNodeY.data(), entered, values, &used));
    // Power stays 2; B is farther than 2.5 from (1, 1) (d^2 = 10) and from
    // (1, 2) (d^2 = 13). (1, 1): A w = 1/2, C w = 1/5: (0.5 + 0.8) / 0.7.
    // (1, 2): A w = 1/5, C w = 1/2: (0.2 + 2) / 0.7.
    expectClose(values[0], 13.0 / 7);
    expectClose(values[3], 22.0 / 7);
    EXPECT_EQ(used.power, 2);
    EXPECT_EQ(used.radius, 2.5);
}

// ---------------------------------------------------------------------------
// One node worked out by hand.

struct HandCase {
    const char* name;
    std::vector<XYV> points;
    InverseDistanceParameters parameters;  // power, nearest, radius, plateau, tolerance
    double expected;                       // at node (0, 0)
};

// The engine's value at (0, 0) through run(), which must also be the plain
// algorithm's value.
double valueAtOrigin(const HandCase& c) {
    InverseDistance engine;
    engine.loadPoints(makeSet(c.points));
    const double zero = 0;
    engine.setNodes(1, &zero, 1, &zero);
    engine.setParameters(c.parameters);
    EXPECT_EQ(engine.run(), InverseDistance::kRunDone);
    EXPECT_EQ(engine.output()[0], engine.plainNodeValue(0, 0));
    return engine.output()[0];
}

TEST(InverseDistanceNode, WorkedExamples) {
    const int kAll = 100;  // nearest points: more than there are
    const HandCase cases[] = {
        {"a node on a point takes its value though others are near",
         {{0.3, 0, 10}, {0, 0, 1}, {0, 0.3, 10}},
         {2, kAll, 10, 0, 0.1},
         1.0},
        {"two points within the tolerance: their plain mean, earlier weights dropped",
         {{1, 0, 100}, {0.01, 0, 2}, {-0.01, 0.02, 6}},
         {2, kAll, 10, 0, 0.1},
         4.0},
        {"power 1 compares d with the tolerance: 0.6 is not within 0.5",
         {{0.6, 0, 1}, {0, 2, 4}},
         {1, kAll, 10, 0, 0.5},
         (1 / 0.6 + 2) / (1 / 0.6 + 0.5)},
        {"power 3: weights 1 and 1/8", {{1, 0, 1}, {0, 2, 4}}, {3, kAll, 10, 0, 0.1}, 4.0 / 3},
        {"a plateau of 1 caps the weights at 1 and leaves no exact hit",
         {{0, 0, 1}, {0.5, 0, 3}, {2, 0, 10}},
         {2, kAll, 10, 1.0, 0.1},
         26.0 / 9},
        {"no point within the radius gives 0", {{5, 0, 3}, {0, 6, 4}}, {2, kAll, 4.9, 0, 0.1}, 0.0},
        {"a point exactly at the radius takes part",
         {{5, 0, 3}, {0, 6, 4}},
         {2, kAll, 5, 0, 0.1},
         3.0},
        {"weights summing to 1e-30 or less give 0", {{1e16, 0, 5}}, {2, kAll, 2e16, 0, 0.1}, 0.0},
        // n = 2 with more points than n: the list is sorted once full, so
        // the candidates are the two least by d^2 (ties in point order).
        // d^2 = 9, 1, 4: points 1 and 2, (2 + 4/4) / (1 + 1/4) = 2.4; a list
        // left unsorted would keep point 0 and give 1.9.
        {"n = 2: a later point nearer than a listed one replaces it",
         {{3, 0, 1}, {0, 1, 2}, {-2, 0, 4}},
         {2, 2, 10, 0, 0.01},
         3.0 / 1.25},
        // d^2 = 9, 1, 4, 0.25: points 3 and 1.
        {"n = 2: the nearest two of four",
         {{3, 0, 1}, {0, 1, 2}, {-2, 0, 4}, {0, -0.5, 8}},
         {2, 2, 10, 0, 0.01},
         (32.0 + 2) / 5},
        // d^2 = 9, 1, 1: points 1 and 2, equally near: (2 + 4) / 2.
        {"n = 2: a point as near as the nearest listed one enters",
         {{3, 0, 1}, {0, 1, 2}, {-1, 0, 4}},
         {2, 2, 10, 0, 0.01},
         3.0},
        // d^2 = 4, 4, 1: points 2 and 0 (0 before 1 at equal d^2), so point 1
        // drops out: (8 + 1/4) / (1 + 1/4).
        {"n = 2: equal keys keep their order",
         {{2, 0, 1}, {0, 2, 3}, {0, 1, 8}},
         {2, 2, 10, 0, 0.01},
         8.25 / 1.25},
        // d^2 = 4, 1: point 1 replaces point 0.
        {"n = 0 is taken as 1", {{2, 0, 1}, {0, 1, 2}}, {2, 0, 10, 0, 0.01}, 2.0},
    };
    for (const HandCase& c : cases) {
        SCOPED_TRACE(c.name);
        expectClose(valueAtOrigin(c), c.expected);
    }
}

// ---------------------------------------------------------------------------
// Set-up of the engine.

TEST(InverseDistanceSetup, LoadPointsTakesThePointsWithAValue) {
    InverseDistance engine;
    EXPECT_EQ(engine.loadPoints(threePointsAndOneWithoutValue()), 3);
    EXPECT_EQ(engine.parameters().radius, 5.0);
    EXPECT_EQ(engine.extent().maxX, 4.0);
    EXPECT_EQ(engine.extent().maxY, 3.0);
}

TEST(InverseDistanceSetup, ToleranceIsATenthOfTheSmallestSpacing) {
    struct Case {
        const char* name;
        std::vector<double> x, y;
        int result;
        double tolerance;
    };
    const Case cases[] = {
        {"the smallest X step", {0, 1, 3, 3.5}, {0, 2}, 8, 0.05},
        {"the smallest Y step", {0, 1, 3}, {10, 10.25, 12}, 9, 0.025},
        {"steps taken without sign", {3, 2, 0}, {4, 1.5, 0}, 9, 0.1},
        {"one column: its span of 0", {5}, {0, 1, 2}, 3, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        InverseDistance engine;
        EXPECT_EQ(engine.setNodes(static_cast<int>(c.x.size()), c.x.data(),
                                  static_cast<int>(c.y.size()), c.y.data()),
                  c.result);
        EXPECT_DOUBLE_EQ(engine.parameters().tolerance, c.tolerance);
    }
    InverseDistance engine;
    const double x = 0;
    EXPECT_EQ(engine.setNodes(0, &x, 1, &x), -1);
    EXPECT_EQ(engine.setNodes(1, &x, -1, &x), -1);
    EXPECT_EQ(engine.setNodes(1, nullptr, 1, &x), -1);
    EXPECT_EQ(engine.setNodes(65536, &x, 65536, &x), -1);  // more nodes than an int counts
}

// ---------------------------------------------------------------------------
// The fast paths against the plain algorithm.

struct Scene {
    PointSet set;
    std::vector<double> nodeX, nodeY;
};

// 300 points in [0, 10] x [0, 8] with repeated places, points on nodes and
// points within the tolerance of nodes; nodes from -3 to 13 and -2 to 10, so
// some lie well outside the data.
Scene randomScene() {
    Scene s;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> ux(0, 10), uy(0, 8), uv(-5, 20);
    for (int i = 0; i < 17; ++i) s.nodeX.push_back(-3 + i);
    for (int j = 0; j < 13; ++j) s.nodeY.push_back(-2 + j);
    for (int k = 0; k < 300; ++k) {
        if (k % 37 == 5) {
            s.set.addPoint(s.nodeX[static_cast<std::size_t>(3 + k % 11)],
                           s.nodeY[static_cast<std::size_t>(2 + k % 9)], uv(rng));
        } else if (k % 41 == 7) {
            s.set.addPoint(s.nodeX[8] + 0.03, s.nodeY[6] - 0.02, uv(rng));
        } else if (k % 29 == 3 && k > 30) {
            const DataPoint& earlier = s.set.points()[static_cast<std::size_t>(k - 30)];
            s.set.addPoint(earlier.x, earlier.y, uv(rng));
        } else {
            const double x = ux(rng);
            s.set.addPoint(x, uy(rng), uv(rng));
        }
    }
    return s;
}

struct PathCase {
    const char* name;
    int nearest;  // 0: every point
    double power;
    double plateau;
    double radius;  // 0: the data diagonal
};

const PathCase kPathCases[] = {
    {"every point, p = 2", 0, 2, 0, 0},
    {"every point, p = 2, plateau", 0, 2, 0.3, 0},
    {"every point, p = 2, small radius", 0, 2, 0, 1.5},
    {"every point, p = 1.5", 0, 1.5, 0, 0},
    {"every point, p = 3, plateau, radius", 0, 3, 0.05, 4},
    {"nearest 1", 1, 2, 0, 0},
    {"nearest 7", 7, 2, 0, 0},
    {"nearest 7, plateau with many ties", 7, 2, 4.0, 0},
    {"nearest 7, p = 2.5, radius", 7, 2.5, 0, 3},
    {"nearest 40, plateau", 40, 2, 0.5, 0},
    {"nearest N - 1", 299, 2, 0, 0},
};

InverseDistance engineFor(const Scene& s, const PathCase& c) {
    InverseDistance engine;
    engine.loadPoints(s.set);
    engine.setNearestPoints(c.nearest > 0 ? c.nearest : static_cast<int>(s.set.size()));
    engine.setNodes(static_cast<int>(s.nodeX.size()), s.nodeX.data(),
                    static_cast<int>(s.nodeY.size()), s.nodeY.data());
    engine.setPower(c.power);
    engine.setPlateau(c.plateau);
    if (c.radius > 0) engine.setRadius(c.radius);
    return engine;
}

// Counts the nodes whose run() value differs in any bit from plainNodeValue.
int mismatches(const InverseDistance& engine, const std::vector<double>& nodeX,
               const std::vector<double>& nodeY) {
    int count = 0;
    for (std::size_t j = 0; j < nodeY.size(); ++j) {
        for (std::size_t i = 0; i < nodeX.size(); ++i) {
            const double fast = engine.output()[i + j * nodeX.size()];
            const double plain = engine.plainNodeValue(nodeX[i], nodeY[j]);
            if (fast != plain) {
                if (count == 0)
                    ADD_FAILURE() << "node " << i << ", " << j << ": " << fast << " != " << plain;
                ++count;
            }
        }
    }
    return count;
}

TEST(InverseDistanceFastPaths, SameBitsAsThePlainAlgorithm) {
    const Scene s = randomScene();
    for (const PathCase& c : kPathCases) {
        SCOPED_TRACE(c.name);
        InverseDistance engine = engineFor(s, c);
        ASSERT_EQ(engine.run(), InverseDistance::kRunDone);
        EXPECT_EQ(mismatches(engine, s.nodeX, s.nodeY), 0);
    }
}

TEST(InverseDistanceFastPaths, SameBitsWhenTheDataExtentIsALineOrAPoint) {
    // The cell index of the nearest-points path on a degenerate extent.
    struct Degenerate {
        const char* name;
        double dx, dy;  // direction of the spread
    };
    for (const Degenerate d :
         {Degenerate{"on a horizontal line", 1, 0}, Degenerate{"on a vertical line", 0, 1},
          Degenerate{"all on one spot", 0, 0}}) {
        SCOPED_TRACE(d.name);
        Scene s;
        for (int i = 0; i < 9; ++i) s.nodeX.push_back(i - 2.0);
        s.nodeY = s.nodeX;
        for (int k = 0; k < 50; ++k) {
            const double t = (k * 7 % 50) / 10.0;
            s.set.addPoint(1 + d.dx * t, 2 + d.dy * t, k % 9 - 3.0);
        }
        for (const int nearest : {1, 5, 49}) {
            SCOPED_TRACE(nearest);
            InverseDistance engine = engineFor(s, {"", nearest, 2, 0, 0});
            engine.setRadius(100);
            ASSERT_EQ(engine.run(), InverseDistance::kRunDone);
            EXPECT_EQ(mismatches(engine, s.nodeX, s.nodeY), 0);
        }
    }
}

TEST(InverseDistanceFastPaths, ThreadCountDoesNotChangeAnyValue) {
    const Scene s = randomScene();
    for (const PathCase& c : {kPathCases[0], kPathCases[3], kPathCases[7]}) {
        SCOPED_TRACE(c.name);
        std::vector<double> results[3];
        for (int threads = 1; threads <= 3; ++threads) {
            InverseDistance engine = engineFor(s, c);
            engine.setThreadCount(threads);
            ASSERT_EQ(engine.run(), InverseDistance::kRunDone);
            results[threads - 1] = engine.output();
        }
        EXPECT_NE(results[0], std::vector<double>(results[0].size(), 0.0));
        EXPECT_EQ(results[1], results[0]);
        EXPECT_EQ(results[2], results[0]);
    }
}

// ---------------------------------------------------------------------------
// Against numpy (tests/grid/idw_reference.py).

struct Reference {
    std::vector<XYV> points;
    std::vector<double> nodeX, nodeY;
    struct Case {
        std::string name;
        double power = 0, radius = 0, plateau = 0, tolerance = 0;
        int nearest = 0;
        std::vector<double> values;
    };
    std::vector<Case> cases;
};

Reference readReference() {
    Reference r;
    std::ifstream in(std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/idw_reference.txt");
    std::string line, word;
    int nx = 0, ny = 0;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        s >> word;
        if (word == "points") {
            int n = 0;
            s >> n;
            for (int k = 0; k < n && std::getline(in, line); ++k) {
                XYV p{};
                std::istringstream(line) >> p.x >> p.y >> p.v;
                r.points.push_back(p);
            }
        } else if (word == "nodes") {
            s >> nx >> ny;
            r.nodeX.resize(static_cast<std::size_t>(nx));
            r.nodeY.resize(static_cast<std::size_t>(ny));
            std::getline(in, line);
            std::istringstream xs(line);
            for (double& x : r.nodeX) xs >> x;
            std::getline(in, line);
            std::istringstream ys(line);
            for (double& y : r.nodeY) ys >> y;
        } else if (word == "case") {
            Reference::Case c;
            std::string key;
            s >> c.name >> key >> c.power >> key >> c.nearest >> key >> c.radius >> key >>
                c.plateau >> key >> c.tolerance;
            for (int j = 0; j < ny && std::getline(in, line); ++j) {
                std::istringstream row(line);
                double z = 0;
                while (row >> z) c.values.push_back(z);
            }
            r.cases.push_back(c);
        }
    }
    return r;
}

TEST(InverseDistanceReference, AgreesWithNumpy) {
    const Reference r = readReference();
    ASSERT_EQ(r.points.size(), 64u);
    ASSERT_EQ(r.cases.size(), 4u);
    const PointSet set = makeSet(r.points);
    const int nx = static_cast<int>(r.nodeX.size());
    const int ny = static_cast<int>(r.nodeY.size());
    for (const Reference::Case& c : r.cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.values.size(), static_cast<std::size_t>(nx * ny));
        std::vector<double> values;
        if (c.name == "defaults") {
            // The driver works out these parameters itself.
            InverseDistanceParameters used;
            ASSERT_TRUE(runInverseDistance(set, nx, r.nodeX.data(), ny, r.nodeY.data(),
                                           InverseDistanceSettings{}, values, &used));
            EXPECT_EQ(used.radius, c.radius);
        } else {
            InverseDistance engine;
            engine.loadPoints(set);
            engine.setNodes(nx, r.nodeX.data(), ny, r.nodeY.data());
            engine.setParameters({c.power, c.nearest, c.radius, c.plateau, c.tolerance});
            ASSERT_EQ(engine.run(), InverseDistance::kRunDone);
            values = engine.output();
        }
        for (std::size_t k = 0; k < values.size(); ++k) {
            SCOPED_TRACE(k);
            expectClose(values[k], c.values[k]);
        }
    }
}

// ---------------------------------------------------------------------------
// The run: progress, up to date, cancel.

double gNow = 0;
double oneSecondPerCall() { return gNow += 1.0; }

TEST(InverseDistanceRun, StepsOncePerRowAndRunsAgainOnlyAfterAChange) {
    const Scene s = randomScene();
    InverseDistance engine = engineFor(s, kPathCases[0]);
    ASSERT_EQ(engine.run(), InverseDistance::kRunDone);
    EXPECT_EQ(unattendedProgressUi().lastProgressPos(), 13);
    EXPECT_EQ(engine.rowsDone(), 13);
    const std::vector<double> first = engine.output();
    EXPECT_EQ(engine.run(), InverseDistance::kRunUpToDate);
    EXPECT_EQ(engine.output(), first);
    engine.setRadius(2.0);
    ASSERT_EQ(engine.run(), InverseDistance::kRunDone);
    EXPECT_NE(engine.output(), first);
}

TEST(InverseDistanceRun, CancelKeepsTheRowsComputedSoFar) {
    // 40 rows: more than the fifth row, where the cancel comes, plus the 16
    // rows two threads may take beyond the rows counted.
    Scene s = randomScene();
    s.nodeY.clear();
    for (int j = 0; j < 40; ++j) s.nodeY.push_back(-2 + 0.3 * j);
    const int ny = static_cast<int>(s.nodeY.size());
    std::vector<double> full;
    {
        InverseDistance engine = engineFor(s, kPathCases[6]);
        ASSERT_EQ(engine.run(), InverseDistance::kRunDone);
        full = engine.output();
    }
    const std::size_t nx = s.nodeX.size();
    for (const int threads : {1, 2}) {
        SCOPED_TRACE(threads);
        messageLog().reset();
        // The wait dialog opens after more than two seconds and reports
        // Cancel at the next poll.
        gNow = 0;
        unattendedProgressUi().setClock(&oneSecondPerCall);
        unattendedProgressUi().requestCancel();
        InverseDistance engine = engineFor(s, kPathCases[6]);
        engine.setThreadCount(threads);
        EXPECT_EQ(engine.run(), InverseDistance::kRunStopped);
        unattendedProgressUi().clearCancel();
        unattendedProgressUi().setClock(nullptr);

        const int done = engine.rowsDone();
        EXPECT_GT(done, 0);
        EXPECT_LT(done, ny);
        EXPECT_EQ(unattendedProgressUi().lastProgressPos(), done);
        const auto split = engine.output().begin() + static_cast<std::ptrdiff_t>(done * nx);
        EXPECT_TRUE(std::equal(engine.output().begin(), split, full.begin()));
        EXPECT_TRUE(std::all_of(split, engine.output().end(), [](double v) { return v == 0.0; }));
        const auto lines = messageLog().lines();
        EXPECT_NE(std::find(lines.begin(), lines.end(), text(418)), lines.end());
        // A stopped run is not up to date: the next run computes everything.
        EXPECT_EQ(engine.run(), InverseDistance::kRunDone);
        EXPECT_EQ(engine.output(), full);
    }
}

// ---------------------------------------------------------------------------
// Profile.

TEST(InverseDistanceProfile, SavedParametersReadBackExactly) {
    InverseDistance saved;
    saved.setParameters({2.5, 7, 0.1 + 0.2, 1e-7, 1.0 / 3});
    InverseDistanceSettings::save(InverseDistanceSource::Previous, saved.parameters());
    InverseDistance loaded;
    loaded.apply(InverseDistanceSettings::load());
    EXPECT_EQ(loaded.typeInit(), InverseDistanceSource::Previous);
    EXPECT_EQ(loaded.parameters().power, 2.5);
    EXPECT_EQ(loaded.parameters().nearestPoints, 7);
    EXPECT_EQ(loaded.parameters().radius, 0.1 + 0.2);
    EXPECT_EQ(loaded.parameters().plateau, 1e-7);
    EXPECT_EQ(loaded.parameters().tolerance, 1.0 / 3);
}

TEST(InverseDistanceProfile, StoredValuesAreReadOnlyForThePreviousSource) {
    const InverseDistanceParameters start{2, 10, 1, 0, 0};
    struct Case {
        const char* typeInit;  // nullptr: no key
        InverseDistanceSource source;
        bool readsValues;
    };
    const Case cases[] = {
        {"0", InverseDistanceSource::Defaults, false},
        {"1", InverseDistanceSource::Custom, false},
        {"2", InverseDistanceSource::Previous, true},
        {"3", InverseDistanceSource::Defaults, false},  // no such source: not taken
        {"-1", InverseDistanceSource::Defaults, false},
        {nullptr, InverseDistanceSource::Defaults, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typeInit ? c.typeInit : "missing");
        std::string ini = "[Inverse Distance]\n";
        if (c.typeInit) ini += std::string("Type Init=") + c.typeInit + "\n";
        ini += "Power=3\nNearest Points=5\nRadius=9\nPlateauRadius=0.5\nTolerance=0.2\n";
        testing::writeFile("profile.ini", ini);
        InverseDistance engine;
        engine.setParameters(start);
        engine.apply(InverseDistanceSettings::load());
        EXPECT_EQ(engine.typeInit(), c.source);
        const InverseDistanceParameters& p = engine.parameters();
        if (c.readsValues) {
            EXPECT_EQ(p.power, 3.0);
            EXPECT_EQ(p.nearestPoints, 5);
            EXPECT_EQ(p.radius, 9.0);
            EXPECT_EQ(p.plateau, 0.5);
            EXPECT_EQ(p.tolerance, 0.2);
        } else {
            EXPECT_EQ(p.power, start.power);
            EXPECT_EQ(p.nearestPoints, start.nearestPoints);
            EXPECT_EQ(p.radius, start.radius);
        }
    }
}

TEST(InverseDistanceProfile, StoredValuesPassTheSettersRules) {
    testing::writeFile("profile.ini",
                       "[Inverse Distance]\nType Init=2\nPower=0\nNearest Points=0\nRadius=x\n");
    InverseDistance engine;
    engine.setRadius(7);
    engine.apply(InverseDistanceSettings::load());
    EXPECT_EQ(engine.parameters().power, InverseDistanceParameters::kDefaultPower);
    EXPECT_EQ(engine.parameters().nearestPoints, 1);
    EXPECT_EQ(engine.parameters().radius, 7.0);  // not a number: kept
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

TEST(InverseDistanceGuards, OneSpotFillsEveryNodeAndAZeroToleranceStillHits) {
    // Every point on one spot: the data diagonal (the default radius) is 0,
    // which must not leave the nodes off the spot at 0.
    PointSet spot;
    spot.addPoint(1.0, 1.0, 7.0);
    spot.addPoint(1.0, 1.0, 9.0);
    const std::vector<double> nodeX = {0.0, 1.0, 2.0}, nodeY = {0.0, 1.0};
    std::vector<double> values;
    ASSERT_TRUE(runInverseDistance(spot, 3, nodeX.data(), 2, nodeY.data(),
                                   InverseDistanceSettings::load(), values));
    for (double v : values) EXPECT_DOUBLE_EQ(v, 8.0);

    // Repeated node coordinates make the tolerance 0; a node exactly on a
    // point still takes the point's value (not 1 / 0).
    PointSet two;
    two.addPoint(0.0, 0.0, 3.0);
    two.addPoint(2.0, 0.0, 5.0);
    const std::vector<double> repeatedX = {0.0, 0.0, 2.0}, oneY = {0.0};
    ASSERT_TRUE(runInverseDistance(two, 3, repeatedX.data(), 1, oneY.data(),
                                   InverseDistanceSettings::load(), values));
    EXPECT_EQ(values[0], 3.0);
    EXPECT_EQ(values[2], 5.0);
}

}  // namespace
}  // namespace gridova
