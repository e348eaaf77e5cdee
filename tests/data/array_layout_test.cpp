#include "data/array_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/number_reader.h"
#include "platform/messages.h"
#include "platform/text_codec.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;
using testing::writeFile;

// --- Numbers ------------------------------------------------------------------------------

TEST(NumberReader, TakesTheNumbersOfEveryLineButComments) {
    struct Case {
        const char* what;
        const char* content;
        std::vector<double> numbers;
    };
    const Case cases[] = {
        {"12 numbers over 3 lines with a comment line between them",
         "1 2 3 4\n* 100 200 are no values\n5,6;7\t8\n9 10 11 12\n",
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"words among numbers", "1 2 well 3\n", {1, 2, 3}},
        {"empty lines, CR LF, exponents", "\r\n-1.5e2 \r\n\r\n0.25\r\n", {-150, 0.25}},
        {"no last line feed", "7 8", {7, 8}},
        {"only a comment", "* 1 2 3\n", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto read = readNumbers(writeFile("n.txt", c.content));
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, c.numbers);
        EXPECT_EQ(readNumbersFromText(c.content), c.numbers);
    }
}

TEST(NumberReader, ALineLongerThanAReadBlockIsReadWhole) {
    std::string line;
    std::vector<double> expected;
    for (int i = 0; i < 300'000; ++i) {
        line += std::to_string(i % 97) + ' ';
        expected.push_back(i % 97);
    }
    const auto read = readNumbers(writeFile("long.txt", line + "\n"));
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(*read, expected);
}

TEST(NumberReader, TooManyNumbersOrNoFileGiveNothingAndSayWhy) {
    EXPECT_FALSE(readNumbers(writeFile("four.txt", "1 2 3 4\n"), 3).has_value());
    EXPECT_EQ(lastLogged(),
              formatText(text(9426), {testing::testDir().string() + "/four.txt", std::int64_t{3}}));
    EXPECT_TRUE(readNumbers(writeFile("three.txt", "1 2 3\n"), 3).has_value());
    const std::string missing = testing::testDir().string() + "/missing.txt";
    EXPECT_FALSE(readNumbers(missing).has_value());
    EXPECT_EQ(lastLogged(), formatText(text(202), {missing}));
}

// --- The dialog's rules -----------------------------------------------------------------------

TEST(ArrayLayout, CountsFollowTheRulesOfTheDimensionsDialog) {
    // 12 values: X = 4 gives Y = 3; Z = 2 then gives X = 2 (12 / 3 / 2);
    // X = 5 is refused.
    ArrayLayout a = ArrayLayout::forValues(12);
    EXPECT_EQ(a.nx, 12);
    EXPECT_EQ(a.setColumns(4, 12), 0);
    EXPECT_EQ(std::tuple(a.nx, a.ny, a.nz), std::tuple(4, 3, 1));
    EXPECT_EQ(a.columnWidths.size(), 4u);
    EXPECT_EQ(a.rowHeights.size(), 3u);
    EXPECT_EQ(a.setLayers(2, 12), 0);
    EXPECT_EQ(std::tuple(a.nx, a.ny, a.nz), std::tuple(2, 3, 2));
    EXPECT_EQ(a.setColumns(5, 12), 179);
    EXPECT_EQ(std::tuple(a.nx, a.ny, a.nz), std::tuple(2, 3, 2));
    EXPECT_TRUE(a.fits(12));

    // Below 1 (the division by zero of a 0) is refused for each count.
    for (std::int64_t bad : {0, -3}) {
        ArrayLayout b = a;
        EXPECT_EQ(b.setColumns(bad, 12), 179);
        EXPECT_EQ(b.setRows(bad, 12), 180);
        EXPECT_EQ(b.setLayers(bad, 12), 181);
        EXPECT_EQ(std::tuple(b.nx, b.ny, b.nz), std::tuple(2, 3, 2));
    }
    // Y that does not divide the rest: one layer, the rows take it all.
    ArrayLayout c = a;
    EXPECT_EQ(c.setRows(4, 12), 180);
    EXPECT_EQ(std::tuple(c.nx, c.ny, c.nz), std::tuple(2, 6, 1));
    EXPECT_TRUE(c.fits(12));
    // Y that divides: the layers follow.
    EXPECT_EQ(c.setRows(2, 12), 0);
    EXPECT_EQ(std::tuple(c.nx, c.ny, c.nz), std::tuple(2, 2, 3));
    EXPECT_TRUE(c.fits(12));
}

TEST(ArrayLayout, CellCentresFromTheOriginAndTheSizes) {
    ArrayLayout a = ArrayLayout::forValues(6);
    ASSERT_EQ(a.setColumns(3, 6), 0);
    a.originX.set(100);
    a.setCellWidth(10);
    EXPECT_EQ(a.columnCentres(), (std::vector<double>{105, 115, 125}));
    // Rows of heights 1 and 3 from y = 0: centres 0.5 and 2.5; with the
    // first row at the top, the first row read lies at 2.5.
    ASSERT_TRUE(a.setRowHeights({1, 3}));
    EXPECT_FALSE(a.cellHeight.present());
    EXPECT_EQ(a.rowCentres(), (std::vector<double>{0.5, 2.5}));
    a.topToBottom = true;
    EXPECT_EQ(a.rowCentres(), (std::vector<double>{2.5, 0.5}));
    // Sizes that are not one per cell, or not positive, are refused.
    EXPECT_FALSE(a.setColumnWidths({1, 2}));
    EXPECT_FALSE(a.setColumnWidths({1, 0, 2}));
    EXPECT_EQ(a.columnWidths, (std::vector<double>{10, 10, 10}));
}

// --- "Dimensn.arr" ----------------------------------------------------------------------------

TEST(DimensionFile, WrittenLayoutReadsBackWhole) {
    ArrayLayout a = ArrayLayout::forValues(12);
    ASSERT_EQ(a.setColumns(4, 12), 0);
    a.originX.set(541230.125);
    a.originY.set(-0.1);
    ASSERT_TRUE(a.setColumnWidths({0.1, 2, 3, 1e-7}));
    a.setCellHeight(2.5);
    const std::string path = testing::testDir().string() + "/Dimensn.arr";
    ASSERT_TRUE(writeDimensionFile(path, a));
    EXPECT_EQ(testing::readFile(path).substr(0, 27), "ArrayDimension:01\n4 3 1\n541");

    ArrayLayout b = ArrayLayout::forValues(12);
    ASSERT_EQ(readDimensionFile(path, 12, b), DimensionFileRead::Taken);
    EXPECT_EQ(std::tuple(b.nx, b.ny, b.nz), std::tuple(4, 3, 1));
    EXPECT_EQ(b.originX.value, 541230.125);
    EXPECT_EQ(b.originY.value, -0.1);
    EXPECT_EQ(b.columnWidths, a.columnWidths);
    EXPECT_FALSE(b.cellWidth.present());
    EXPECT_EQ(b.rowHeights, (std::vector<double>{2.5, 2.5, 2.5}));
    ASSERT_TRUE(b.cellHeight.present());
    EXPECT_EQ(b.cellHeight.value, 2.5);
}

TEST(DimensionFile, TheFormWithoutOriginIsRead) {
    ArrayLayout a = ArrayLayout::forValues(4);
    ASSERT_EQ(
        readDimensionFile(writeFile("d00.arr", "ArrayDimension:00\n2 2 1\n1\n1\n4\n4\n"), 4, a),
        DimensionFileRead::Taken);
    EXPECT_EQ(std::tuple(a.nx, a.ny), std::tuple(2, 2));
    EXPECT_FALSE(a.originX.present());
    EXPECT_EQ(a.rowCentres(), (std::vector<double>{2, 6}));
}

TEST(DimensionFile, AFileThatDoesNotFitTheValuesLeavesTheLayoutAndSays178) {
    struct Case {
        const char* what;
        const char* content;
    };
    const Case cases[] = {
        {"4 x 3 x 1 against 10 values", "ArrayDimension:01\n4 3 1\n0 0\n1\n1\n1\n1\n1\n1\n1\n"},
        {"counts whose 32-bit product wraps to 10", "ArrayDimension:00\n2 7337 878077\n1\n1\n"},
        {"a count of 0", "ArrayDimension:00\n10 0 1\n"},
        {"a width line missing", "ArrayDimension:01\n5 2 1\n0 0\n1\n1\n1\n1\n1\n1\n"},
        {"a width of 0", "ArrayDimension:01\n5 2 1\n0 0\n1\n0\n1\n1\n1\n1\n1\n"},
        {"no origin line", "ArrayDimension:01\n10 1 1\n"},
        {"another first word", "Dimension:01\n10 1 1\n0 0\n"},
        {"an empty file", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ArrayLayout a = ArrayLayout::forValues(10);
        a.originX.set(7);
        EXPECT_EQ(readDimensionFile(writeFile("bad.arr", c.content), 10, a),
                  DimensionFileRead::Mismatch);
        EXPECT_EQ(lastLogged(), text(178));
        EXPECT_EQ(std::tuple(a.nx, a.ny, a.nz), std::tuple(10, 1, 1));
        EXPECT_EQ(a.originX.value, 7);
    }
    ArrayLayout a = ArrayLayout::forValues(10);
    EXPECT_EQ(readDimensionFile(testing::testDir().string() + "/none.arr", 10, a),
              DimensionFileRead::Absent);
}

}  // namespace
}  // namespace gridova
