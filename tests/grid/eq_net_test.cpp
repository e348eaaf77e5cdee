#include "grid/eq_net.h"

#include <gtest/gtest.h>

#include <cmath>

#include "data/nice_value.h"
#include "platform/message_log.h"
#include "platform/profile.h"
#include "tests/common/section_bytes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

using testing::readFile;
using testing::writeFile;

TEST(NiceValue, FewestSignificantDigitsInside) {
    struct Case {
        double lo, hi, expected;
    };
    // Scaled until the ends fall into different whole numbers (g = 1000 for
    // 0.0712..0.0788: 71 and 78), then back while they still do; the last
    // whole number of the upper end, scaled back.
    const Case cases[] = {
        {0.95, 1.05, 1.0},    {12.3, 12.9, 12.9},  {0.0712, 0.0788, 0.078},
        {-1.05, -0.95, -1.0}, {-3, 4, 0.0},        {5.0, 5.0, 5.0},
        {1.05, 0.95, 1.0},    {123.4, 187.2, 180}, {0.0, 0.5, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.lo) + " " + std::to_string(c.hi));
        EXPECT_NEAR(niceValueBetween(c.lo, c.hi), c.expected, 1e-12);
    }
}

TEST(EqNetConstruction, FromCountsSurroundsTheDataWithTwoCells) {
    // 102 nodes over a data width of 97: step 1, extent two steps wider.
    const auto grid = EqNet::fromCounts(DRect(3, 10, 100, 107), 102, 102);
    ASSERT_EQ(grid->nx(), 102);
    EXPECT_DOUBLE_EQ(grid->stepX()[0], 1.0);
    EXPECT_DOUBLE_EQ(grid->extent().minX, 1.0);
    EXPECT_DOUBLE_EQ(grid->extent().maxX, 102.0);
    EXPECT_DOUBLE_EQ(grid->nodeY()[2], 10.0);
    EXPECT_EQ(grid->gridType, 0);
    // Points on one vertical line: the width is taken from the height.
    const auto column = EqNet::fromCounts(DRect(5, 0, 5, 97), 102, 102);
    EXPECT_DOUBLE_EQ(column->stepX()[0], 1.0);
    EXPECT_DOUBLE_EQ(column->extent().minX, 5 - 48.5 - 2);
    // A single point: a square of side 1 around it.
    const auto single = EqNet::fromCounts(DRect(3, 4, 3, 4), 7, 7);
    EXPECT_DOUBLE_EQ(single->stepY()[0], 0.5);
    EXPECT_LT(single->nodeX()[0], single->nodeX()[1]);
    // Too few nodes: an empty grid rather than a division by zero.
    EXPECT_TRUE(EqNet::fromCounts(DRect(0, 0, 1, 1), 5, 50)->empty());
}

TEST(EqNetConstruction, FromCellLengthAndCellWidthsAndArrays) {
    const auto square = EqNet::fromCellLength(DRect(0, 0, 10.5, 4), 2.0);
    // k = trunc(10.5 / 2) = 5: nx = 11 from -4 to 16.
    EXPECT_EQ(square->nx(), 11);
    EXPECT_EQ(square->ny(), 8);  // trunc(4 / 2) + 6
    EXPECT_DOUBLE_EQ(square->extent().minX, -4.0);
    EXPECT_DOUBLE_EQ(square->extent().maxX, 16.0);
    EXPECT_EQ(square->gridType, 1);
    EXPECT_EQ(square->cellLength, 2.0);
    EXPECT_EQ(square->uniformStepX(), 2.0);

    // Cells 2, 4 wide: nodes at 0, 1 (centre), 4 (centre), 6.
    const auto cells = EqNet::fromCellWidths({2, 4}, {1});
    EXPECT_EQ(cells->nodeX(), (std::vector<double>{0, 1, 4, 6}));
    EXPECT_EQ(cells->nodeY(), (std::vector<double>{0, 0.5, 1}));
    EXPECT_FALSE(cells->uniformStepX().has_value());
    EXPECT_EQ(cells->cellLength, 1.0);

    // 3 × 2 array with centres 10..30 and 5..15: cell width 20 / 3 (the
    // span of the centres over the number of cells), half a cell beyond
    // the first and last centres, a frame of nodes.
    const auto sized = EqNet::sizedToArray(3, 2, 10, 30, 5, 15);
    EXPECT_EQ(sized->nx(), 5);
    EXPECT_EQ(sized->ny(), 4);
    EXPECT_DOUBLE_EQ(sized->extent().minX, 10 - 10.0 / 3);
    EXPECT_DOUBLE_EQ(sized->extent().maxX, 30 + 10.0 / 3);
}

TEST(EqNetQueries, NearestNodeTiesGoHigherAndOutsideSnaps) {
    const auto grid = EqNet::fromCellWidths({2, 2, 2}, {2, 2});  // nodes 0 1 3 5 6
    EXPECT_EQ(grid->nearestColumn(2.0), 2);                      // half-way between 1 and 3
    EXPECT_EQ(grid->nearestColumn(1.9), 1);
    EXPECT_EQ(grid->nearestColumn(-100), 0);
    EXPECT_EQ(grid->nearestColumn(100), 4);
    const NodeRef n = grid->nearestNode(5.4, 3.1);
    EXPECT_EQ(n.i, 3);
    EXPECT_EQ(n.j, 2);
    EXPECT_EQ(n.index, 3 + 2 * 5);
    EXPECT_EQ(EqNet().nearestNode(1, 1).index, -1);
}

TEST(EqNetValues, RangeMaskEdgesAndBlank) {
    auto grid = EqNet::fromCellWidths({1}, {1});  // 3 × 3
    ASSERT_EQ(grid->nodeCount(), 9);
    grid->computeMask(nullptr);
    // Every node inside: the frame goes out, the centre becomes an edge.
    EXPECT_EQ(grid->mask(), (std::vector<std::int32_t>{0, 0, 0, 0, 2, 0, 0, 0, 0}));
    ASSERT_TRUE(grid->allocateValues(7.0));
    grid->values()[4] = 3.0;
    EXPECT_EQ(grid->computeRange(), 0);
    EXPECT_EQ(grid->minValue(), 3.0);
    EXPECT_EQ(grid->maxValue(), 3.0);
    grid->FillBlank(kBlankValue);
    EXPECT_EQ(grid->values()[0], kBlankValue);
    EXPECT_EQ(grid->values()[4], 3.0);
    // Every mask 0: range 0..0 and -1.
    std::fill(grid->mask().begin(), grid->mask().end(), 0);
    EXPECT_EQ(grid->computeRange(), -1);
    EXPECT_EQ(grid->minValue(), 0.0);
    EXPECT_EQ(grid->maxValue(), 0.0);
}

TEST(EqNetValues, ArrayValuesKeepTheMinimumOnTheFrameAndSmooth) {
    auto grid = EqNet::sizedToArray(2, 2, 0, 1, 0, 1);
    ASSERT_EQ(grid->nodeCount(), 16);
    ASSERT_EQ(grid->SetValues({1, 2, 3, 4}, 2, 2, 0), 0);
    const std::vector<double> expected = {1, 1, 1, 1,  //
                                          1, 1, 2, 1,  //
                                          1, 3, 4, 1,  //
                                          1, 1, 1, 1};
    EXPECT_EQ(grid->values(), expected);
    EXPECT_EQ(grid->colorScale.minValue, grid->colorScale.minValue);
    // One smoothing pass: node (1, 1) = 0.2 × (1 + 1 + 2 + 1 + 3).
    ASSERT_EQ(grid->SetValues({1, 2, 3, 4}, 2, 2, 1), 0);
    EXPECT_DOUBLE_EQ(grid->value(1, 1), 1.6);
    EXPECT_EQ(grid->SetValues({1, 2, 3}, 2, 2, 0), -1);  // wrong size
}

TEST(EqNetQueries, NextInsideNodeWrapsFromTheLowestRowToTheTop) {
    auto grid = EqNet::fromCellWidths({1, 1}, {1, 1});  // 4 × 4
    grid->computeMask(nullptr);                         // inside: (1..2, 1..2)
    EXPECT_EQ(grid->nextInsideNode(1, 1), 2 + 1 * 4);
    EXPECT_EQ(grid->nextInsideNode(2, 1), 1 + 2 * 4);  // wraps to the top rows
    std::fill(grid->mask().begin(), grid->mask().end(), 0);
    EXPECT_EQ(grid->nextInsideNode(0, 0), -1);
}

TEST(EqNetQueries, SampleAlongCrossesColumnsAndRows) {
    auto grid = EqNet::fromCellWidths({2, 2}, {2, 2});  // nodes 0 1 3 4 each way
    ASSERT_TRUE(grid->allocateValues(0));
    for (std::int32_t j = 0; j < grid->ny(); ++j) {
        for (std::int32_t i = 0; i < grid->nx(); ++i) grid->values()[i + j * 4] = i + 10.0 * j;
    }
    grid->mask().assign(16, 1);
    // A horizontal segment at y = 1.2 from x = 0.5 to 3.5: columns 1 and 3.
    const PointSet p = grid->sampleAlong({{0.5, 1.2}, {3.5, 1.2}});
    ASSERT_EQ(p.size(), 4u);
    EXPECT_EQ(p.points()[1].x, 1.0);
    EXPECT_EQ(p.points()[2].x, 3.0);
    EXPECT_EQ(p.points()[1].value.value, 1 + 10.0);  // node (1, 1)
    EXPECT_EQ(p.points()[3].x, 3.5);
    EXPECT_TRUE(grid->sampleAlong({{0, 0}}).size() == 0);
    const PointSet v = grid->verticesOf({{0, 0}, {1, 1}});
    EXPECT_EQ(v.points()[1].label, "2");
}

TEST(EqNetQueries, VolumeOverAPolygon) {
    auto grid = EqNet::fromCellWidths({2, 2}, {2, 2});  // steps 1 2 1 each way
    ASSERT_TRUE(grid->allocateValues(5.0));
    // The polygon holds the nodes at 1 and 3 on both axes; a node weighs
    // half of each step beside it: (1 + 2) / 2 = 1.5 for both, on each axis:
    // 4 nodes × 5 × 1.5 × 1.5.
    Line square({{0.5, 0.5}, {3.5, 0.5}, {3.5, 3.5}, {0.5, 3.5}, {0.5, 0.5}});
    EXPECT_DOUBLE_EQ(grid->volumeOver(square), 4 * 5.0 * 1.5 * 1.5);
    // A constant over the whole grid gives value × area exactly.
    Line all({{-1, -1}, {5, -1}, {5, 5}, {-1, 5}, {-1, -1}});
    EXPECT_DOUBLE_EQ(grid->volumeOver(all), 5.0 * 4 * 4);
    Line far({{50, 50}, {60, 50}, {60, 60}, {50, 50}});
    EXPECT_EQ(grid->volumeOver(far), 0.0);
    // Nodes outside the area hold the blank value: they add nothing.
    grid->computeMask(nullptr);
    for (std::size_t k = 0; k < grid->mask().size(); ++k) {
        if (grid->mask()[k] == 0) grid->values()[k] = kBlankValue;
    }
    // Nodes 0, 1, 3, 4 on each axis weigh 0.5, 1.5, 1.5, 0.5; the frame is
    // outside, so the four inner nodes remain: 4 × 5 × 1.5 × 1.5.
    ASSERT_EQ(grid->nx(), 4);
    EXPECT_DOUBLE_EQ(grid->volumeOver(all), 4 * 5.0 * 1.5 * 1.5);
}

TEST(EqNetArea, BorderMask) {
    auto grid = EqNet::fromCellWidths({1, 1, 1, 1, 1, 1}, {1, 1, 1, 1, 1, 1});  // nodes 0, .5 .. 6
    LineList border;
    border.add(Line({{0.2, 0.2}, {3.9, 0.2}, {3.9, 3.9}, {0.2, 3.9}, {0.2, 0.2}}));
    grid->computeMask(&border);
    const auto m = [&](int i, int j) { return grid->mask()[static_cast<std::size_t>(i + j * 8)]; };
    EXPECT_EQ(m(2, 2), 1);  // (1.5, 1.5) inside, away from the edge
    EXPECT_EQ(m(1, 2), 2);  // (0.5, 1.5) inside beside an outside node
    EXPECT_EQ(m(5, 5), 0);  // (4.5, 4.5) outside
}

TEST(EqNetFile, RoundTripAndOldAndForeignFiles) {
    auto grid = EqNet::fromCellLength(DRect(0, 0, 1.5, 0.5), 0.1);
    const std::string path = (testing::testDir() / "grid.net").string();
    ASSERT_TRUE(grid->writeFile(path));
    const std::string text = readFile(path);
    EXPECT_EQ(text.rfind("EqNet:01\n1\n0.1\n", 0), 0u) << text;
    const auto back = EqNet::fromFile(path);
    EXPECT_EQ(back->nodeX(), grid->nodeX());
    EXPECT_EQ(back->nodeY(), grid->nodeY());
    EXPECT_EQ(back->gridType, 1);
    EXPECT_EQ(back->cellLength, 0.1);

    // A corner equal to the top (here the left edge, X = 5 = top) stays on
    // the corners' line: the file reads back.
    auto square = std::make_unique<EqNet>();
    square->setSteps({2.5, 2.5}, {1, 4});
    square->shift(5, 0);
    ASSERT_TRUE(square->writeFile(path));
    EXPECT_NE(readFile(path).find("\n5 0 10 5\n"), std::string::npos) << readFile(path);
    const auto squareBack = EqNet::fromFile(path);
    EXPECT_EQ(squareBack->nodeX(), square->nodeX());
    EXPECT_EQ(squareBack->nodeY(), square->nodeY());

    const auto old =
        EqNet::fromFile(writeFile("old.net", "EqNet:00\n0 0 3 2\n4\n1\n1\n1\n3\n1\n1\n"));
    EXPECT_EQ(old->nx(), 4);
    EXPECT_EQ(old->ny(), 3);
    EXPECT_EQ(old->gridType, 0);
    EXPECT_EQ(old->cellLength, 0.0);

    const std::string foreign = writeFile("foreign.net", "Something:01\n");
    EXPECT_TRUE(EqNet::fromFile(foreign)->empty());
    EXPECT_EQ(lastLogged(), "Файл " + foreign + " не имеет определенный формат сетки!");
    // A missing file is passed over silently.
    messageLog().reset();
    EXPECT_TRUE(EqNet::fromFile((testing::testDir() / "none.net").string())->empty());
    EXPECT_TRUE(messageLog().lines().empty());
}

// Counts that the file cannot hold, or that make more nodes than a grid may
// have, are said as what they are, and nothing is read.
TEST(EqNetFile, CountsBeyondTheFileOrTheLimitAreSaid) {
    struct Case {
        const char* what;
        std::string text;
        std::string says;
    };
    const Case cases[] = {
        {"a column count beyond the file", "EqNet:00\n0 0 1 1\n20000000\n",
         "обрывается: шагов сетки меньше, чем указано (20000000)"},
        {"a row count beyond the file", "EqNet:00\n0 0 3 2\n4\n1\n1\n1\n90\n1\n",
         "обрывается: шагов сетки меньше, чем указано (90)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        messageLog().reset();
        EXPECT_TRUE(EqNet::fromFile(writeFile("bad.net", c.text))->empty());
        EXPECT_NE(lastLogged().find(c.says), std::string::npos) << lastLogged();
    }
    // 40,000 × 40,000 nodes (1.6e9, over 2^30), with every step line there.
    std::string big = "EqNet:00\n0 0 1 1\n40000\n";
    for (int k = 0; k < 39999; ++k) big += "1\n";
    big += "40000\n";
    for (int k = 0; k < 39999; ++k) big += "1\n";
    messageLog().reset();
    EXPECT_TRUE(EqNet::fromFile(writeFile("big.net", big))->empty());
    EXPECT_EQ(lastLogged(),
              "Сетка файла " + (testing::testDir() / "big.net").string() +
                  " слишком велика: 40000 × 40000 узлов, а можно не больше 1073741824");
}

std::string sectionBytes(const EqNet& grid) {
    return testing::writtenBytes([&](BinaryWriter& out) { grid.writeSection(out); });
}

bool readSectionBytes(const std::string& bytes, EqNet& grid) {
    testing::ByteInput in(bytes);
    return grid.readSection(in.reader());
}

TEST(EqNetSection, WriteReadWriteGivesTheSameBytes) {
    auto grid = EqNet::fromCounts(DRect(0, 0, 10, 5), 8, 7);
    grid->computeMask(nullptr);
    ASSERT_TRUE(grid->allocateValues(2.5));
    grid->values()[9] = -1.0 / 3;
    grid->computeRange();
    grid->setValid();
    grid->borderValue = {1, 7.25};
    grid->filterOn = 1;
    grid->filterValue = 0.1;
    const std::string first = sectionBytes(*grid);
    EqNet back;
    ASSERT_TRUE(readSectionBytes(first, back));
    EXPECT_EQ(sectionBytes(back), first);
    EXPECT_EQ(back.values(), grid->values());
    EXPECT_TRUE(back.valuesValid());
    EXPECT_EQ(back.borderValue.value, 7.25);

    // Without values: the values flag is 0 and the mask absent.
    auto bare = EqNet::fromCounts(DRect(0, 0, 10, 5), 8, 7);
    EqNet read;
    ASSERT_TRUE(readSectionBytes(sectionBytes(*bare), read));
    EXPECT_FALSE(read.hasValues());
    EXPECT_FALSE(read.hasMask());
    EXPECT_FALSE(read.valuesValid());
    EXPECT_EQ(read.nodeX(), bare->nodeX());
}

TEST(EqNetSection, DamagedSectionsAreRefused) {
    auto grid = EqNet::fromCounts(DRect(0, 0, 10, 5), 8, 7);
    ASSERT_TRUE(grid->allocateValues(1.0));
    const std::string good = sectionBytes(*grid);
    for (std::size_t cut = 0; cut < good.size(); cut += 7) {
        EqNet g;
        EXPECT_FALSE(readSectionBytes(good.substr(0, cut), g)) << cut;
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string damaged = good;
        damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
        EqNet g;
        if (readSectionBytes(damaged, g)) {
            EXPECT_EQ(g.values().size(),
                      g.hasValues() ? static_cast<std::size_t>(g.nodeCount()) : 0u);
        }
    }
}

TEST(EqNetProfile, SettingsAndFilterKeys) {
    writeProfileInt("Interpolation", "Type", 2);
    writeProfileText("Solver", "Precision", "1e-7");
    writeProfileText("Solver", "Max Iteration", "many");
    writeProfileInt("Grid", "Filter Is", 1);  // read only with "Default Filter"
    EqNet a;
    EXPECT_EQ(a.method, InterpolationMethod::InverseDistance);
    EXPECT_EQ(a.precision, 1e-7);
    EXPECT_EQ(a.maxIterations, EqNet::kDefaultMaxIterations);
    EXPECT_EQ(a.filterOn, 0);
    writeProfileInt("Grid", "Default Filter", 1);
    EqNet b;
    EXPECT_EQ(b.filterOn, 1);
    EXPECT_EQ(b.proposedCellLength(), 0.0);
}

}  // namespace
}  // namespace gridova
