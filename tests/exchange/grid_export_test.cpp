// Grid export: text files against texts worked out by hand (and, for the
// large grid, against the C library's printf), binary grid files against
// bytes packed by hand from the IEEE-754 bit patterns.
#include "exchange/grid_export.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/eq_net.h"
#include "platform/messages.h"
#include "platform/profile.h"
#include "tests/common/test_env.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

using testing::readFile;

constexpr const char* kSection = "Digit Output";
const std::string kCannotWrite = "Нельзя записать в файл ";

// Columns one apart and rows two apart: nodes X 0..4 and Y 0, 2, 4, 6; node
// (i, j) holds 10 j + i + 0.375 (exact in binary). Without a rectangle the
// export takes columns 1..3 and rows 1..2.
std::unique_ptr<EqNet> smallGrid() {
    auto g = std::make_unique<EqNet>();
    g->setSteps({1, 1, 1, 1}, {2, 2, 2});
    std::vector<double> v;
    for (int j = 0; j < 4; ++j) {
        for (int i = 0; i < 5; ++i) v.push_back(10.0 * j + i + 0.375);
    }
    EXPECT_EQ(g->SetValues(v), 0);
    return g;
}

// The small grid with node (2, 1) outside the area, holding the blank value
// as a finished method leaves it.
std::unique_ptr<EqNet> smallGridWithHole() {
    auto g = smallGrid();
    g->mask().assign(20, kMaskInside);
    g->mask()[2 + 1 * 5] = kMaskOutside;
    g->values()[2 + 1 * 5] = kBlankValue;
    return g;
}

std::string pathIn(const std::string& name) { return (testing::testDir() / name).string(); }

void setProfile(const std::vector<std::pair<const char*, const char*>>& keys) {
    for (const auto& [key, value] : keys) writeProfileText(kSection, key, value);
}

// Boxes that keep the texts of both kinds of messages.
class SeenBoxes final : public Boxes {
public:
    SeenBoxes() { setBoxes(this); }
    ~SeenBoxes() override { setBoxes(nullptr); }
    void information(const std::string&, const std::string& text) override {
        informations.push_back(text);
    }
    void warning(const std::string&, const std::string& text) override { warnings.push_back(text); }
    Answer question(const std::string&, const std::string&) override { return Answer::No; }

    std::vector<std::string> informations;
    std::vector<std::string> warnings;
};

// Dialogs that answer as told and remember what they were shown.
class ScriptedDialogs final : public GridExportDialogs {
public:
    std::optional<std::string> chooseFile(std::string_view extension) override {
        extensions.emplace_back(extension);
        return file;
    }
    std::optional<DigitOutput> editFormat(const DigitOutput& format) override {
        shown = format;
        return answer;
    }

    std::optional<std::string> file;
    std::optional<DigitOutput> answer;
    std::vector<std::string> extensions;
    std::optional<DigitOutput> shown;
};

// --- Text: the block form ----------------------------------------------------

// The default grid of a new map, 102 × 102 unit cells with values i + j / 8,
// written with the defaults: the frame is left out, the top row first, ten
// " %7.3lf" numbers to a line.
TEST(GridTextBlock, DefaultsOnTheDefaultGrid) {
    auto g = std::make_unique<EqNet>();
    g->setSteps(std::vector<double>(101, 1.0), std::vector<double>(101, 1.0));
    std::vector<double> v;
    for (int j = 0; j < 102; ++j) {
        for (int i = 0; i < 102; ++i) v.push_back(i + j / 8.0);
    }
    ASSERT_EQ(g->SetValues(v), 0);
    SeenBoxes boxes;

    const std::string path = pathIn("grid.txt");
    const GridExportResult r = exportText(*g, path, std::nullopt);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.columns, 100);
    EXPECT_EQ(r.rows, 100);

    // The C library's printf as the reference for every number.
    std::string expected = "* X = 100  Y = 100\n";
    for (int j = 100; j >= 1; --j) {
        for (int i = 1; i <= 100; ++i) {
            char number[64];
            std::snprintf(number, sizeof number, " %7.3lf", i + j / 8.0);
            expected += number;
            if (i % 10 == 0) expected += '\n';
        }
    }
    const std::string written = readFile(path);
    EXPECT_EQ(written, expected);
    // The first row by hand: row 100 holds i + 12.5.
    EXPECT_EQ(written.substr(0, written.find('\n', 20) + 1),
              "* X = 100  Y = 100\n"
              "  13.500  14.500  15.500  16.500  17.500  18.500  19.500  20.500  21.500  22.500\n");
    // Unattended: no message.
    EXPECT_TRUE(boxes.informations.empty());
    EXPECT_TRUE(boxes.warnings.empty());
}

struct FormatCase {
    const char* name;
    std::vector<std::pair<const char*, const char*>> profile;
    std::string expected;

    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
};

class GridTextFormat : public ::testing::TestWithParam<FormatCase> {};

// Unattended, the number format comes from the profile and the comment is
// always "*".
TEST_P(GridTextFormat, TheProfileSetsTheNumbers) {
    const FormatCase& c = GetParam();
    setProfile(c.profile);
    const std::string path = pathIn("grid.txt");
    EXPECT_TRUE(exportText(*smallGrid(), path, std::nullopt).written);
    EXPECT_EQ(readFile(path), c.expected);
}

const std::string kSmallDefault =
    "* X = 3  Y = 2\n"
    "  21.375  22.375  23.375\n"
    "  11.375  12.375  13.375\n";

INSTANTIATE_TEST_SUITE_P(
    Profile, GridTextFormat,
    ::testing::Values(
        FormatCase{"Defaults", {}, kSmallDefault},
        // 21.375 rounds up to 21.4; a row's last line is closed on its own.
        FormatCase{"TwoToALineWidthSixOneDecimal",
                   {{"RowCount", "2"}, {"CharCount", "6"}, {"DecimalCount", "1"}},
                   "* X = 3  Y = 2\n"
                   "   21.4   22.4\n"
                   "   23.4\n"
                   "   11.4   12.4\n"
                   "   13.4\n"},
        // A row that fills its last line gets no empty line after it.
        FormatCase{"FullLinesNoDecimals",
                   {{"RowCount", "3"}, {"CharCount", "1"}, {"DecimalCount", "0"}},
                   "* X = 3  Y = 2\n"
                   " 21 22 23\n"
                   " 11 12 13\n"},
        FormatCase{"LargestAllowed",
                   {{"RowCount", "1000"}, {"CharCount", "20"}, {"DecimalCount", "10"}},
                   "* X = 3  Y = 2\n"
                   "        21.3750000000        22.3750000000        23.3750000000\n"
                   "        11.3750000000        12.3750000000        13.3750000000\n"},
        FormatCase{
            "OutOfRangeKeepsTheDefaults",
            {{"RowCount", "0"}, {"CharCount", "21"}, {"DecimalCount", "11"}, {"XYZFormat", "2"}},
            kSmallDefault},
        FormatCase{"NegativeOrNotNumbersKeepTheDefaults",
                   {{"RowCount", "-1"}, {"CharCount", "wide"}, {"DecimalCount", "-1"}},
                   kSmallDefault},
        FormatCase{"TheStoredCommentIsNotUsed", {{"Comment", "#"}}, kSmallDefault}),
    [](const ::testing::TestParamInfo<FormatCase>& p) { return p.param.name; });

TEST(GridTextBlock, AValueWiderThanTheWidthIsWrittenInFull) {
    auto g = smallGrid();
    g->values()[1 + 2 * 5] = 12345678.5;
    g->values()[2 + 2 * 5] = -0.5;
    const std::string path = pathIn("grid.txt");
    ASSERT_TRUE(exportText(*g, path, std::nullopt).written);
    EXPECT_EQ(readFile(path),
              "* X = 3  Y = 2\n"
              " 12345678.500  -0.500  23.375\n"
              "  11.375  12.375  13.375\n");
}

// Outside the area: 0 in the block, the stored value in X Y Z lines (the
// blank -1e30 is exactly -1000000000000000019884624838656 as a double).
struct MaskCase {
    const char* name;
    const char* xyzFormat;
    std::string expected;

    friend void PrintTo(const MaskCase& c, std::ostream* os) { *os << c.name; }
};

class GridTextMask : public ::testing::TestWithParam<MaskCase> {};

TEST_P(GridTextMask, NodesOutsideTheArea) {
    const MaskCase& c = GetParam();
    setProfile({{"XYZFormat", c.xyzFormat}});
    SeenBoxes boxes;
    const std::string path = pathIn("grid.txt");
    const GridExportResult r = exportText(*smallGridWithHole(), path, std::nullopt);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.columns, 3);
    EXPECT_EQ(r.rows, 2);
    EXPECT_EQ(readFile(path), c.expected);
    EXPECT_TRUE(boxes.informations.empty());
}

INSTANTIATE_TEST_SUITE_P(Forms, GridTextMask,
                         ::testing::Values(MaskCase{"BlockWritesZero", "0",
                                                    "* X = 3  Y = 2\n"
                                                    "  21.375  22.375  23.375\n"
                                                    "  11.375   0.000  13.375\n"},
                                           // Top row first, no header line.
                                           MaskCase{"XyzKeepsTheStoredValue", "1",
                                                    "   1.000   4.000  21.375\n"
                                                    "   2.000   4.000  22.375\n"
                                                    "   3.000   4.000  23.375\n"
                                                    "   1.000   2.000  11.375\n"
                                                    "   2.000   2.000 "
                                                    "-1000000000000000019884624838656.000\n"
                                                    "   3.000   2.000  13.375\n"}),
                         [](const ::testing::TestParamInfo<MaskCase>& p) { return p.param.name; });

// --- Text: the export rectangle ----------------------------------------------

struct RectangleCase {
    const char* name;
    std::optional<DRect> rectangle;
    std::int32_t columns;
    std::int32_t rows;
    std::string expected;

    friend void PrintTo(const RectangleCase& c, std::ostream* os) { *os << c.name; }
};

class GridTextRectangle : public ::testing::TestWithParam<RectangleCase> {};

TEST_P(GridTextRectangle, NodesInTheRectangleEndsIncluded) {
    const RectangleCase& c = GetParam();
    const std::string path = pathIn("grid.txt");
    const GridExportResult r = exportText(*smallGrid(), path, c.rectangle);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.columns, c.columns);
    EXPECT_EQ(r.rows, c.rows);
    EXPECT_EQ(readFile(path), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rectangles, GridTextRectangle,
    ::testing::Values(RectangleCase{"NoneLeavesOutTheFrame", std::nullopt, 3, 2, kSmallDefault},
                      RectangleCase{"EndsOnNodes", DRect(1, 2, 2, 4), 2, 2,
                                    "* X = 2  Y = 2\n"
                                    "  21.375  22.375\n"
                                    "  11.375  12.375\n"},
                      RectangleCase{"WholeGrid", DRect(0, 0, 4, 6), 5, 4,
                                    "* X = 5  Y = 4\n"
                                    "  30.375  31.375  32.375  33.375  34.375\n"
                                    "  20.375  21.375  22.375  23.375  24.375\n"
                                    "  10.375  11.375  12.375  13.375  14.375\n"
                                    "   0.375   1.375   2.375   3.375   4.375\n"},
                      RectangleCase{"OneColumn", DRect(2, -1, 2, 7), 1, 4,
                                    "* X = 1  Y = 4\n"
                                    "  32.375\n"
                                    "  22.375\n"
                                    "  12.375\n"
                                    "   2.375\n"},
                      RectangleCase{"Outside", DRect(10, 10, 20, 20), 0, 0, "* X = 0  Y = 0\n"},
                      // Rows lie in it, but no column does.
                      RectangleCase{"BetweenTwoColumns", DRect(1.2, 0.5, 1.8, 5.5), 0, 0,
                                    "* X = 0  Y = 0\n"}),
    [](const ::testing::TestParamInfo<RectangleCase>& p) { return p.param.name; });

// With a single column the default rectangle is that column.
TEST(GridTextBlock, AGridOneNodeWideKeepsItsColumn) {
    auto g = std::make_unique<EqNet>();
    g->setSteps({}, {1, 1});
    ASSERT_EQ(g->SetValues({1.5, 2.5, 3.5}), 0);
    const std::string path = pathIn("grid.txt");
    const GridExportResult r = exportText(*g, path, std::nullopt);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(readFile(path), "* X = 1  Y = 1\n   2.500\n");
}

// --- Text: through the dialogs -----------------------------------------------

struct DialogCase {
    const char* name;
    bool chooses;                       // the file dialog gives a file
    std::optional<DigitOutput> answer;  // the format dialog's answer
    std::string expected;               // the file; empty: no file
    bool announced;                     // message 185 shown
    // The profile afterwards: RowCount, CharCount, DecimalCount, XYZFormat
    // and Comment; all -1 and "" when nothing was stored.
    std::int32_t rowCount, charCount, decimalCount, xyzFormat;
    const char* comment;

    friend void PrintTo(const DialogCase& c, std::ostream* os) { *os << c.name; }
};

DigitOutput format(std::int32_t rowCount, std::int32_t charCount, std::int32_t decimalCount,
                   const char* comment, bool xyz) {
    DigitOutput f;
    f.rowCount = rowCount;
    f.charCount = charCount;
    f.decimalCount = decimalCount;
    f.comment = comment;
    f.xyzFormat = xyz;
    return f;
}

class GridTextDialogs : public ::testing::TestWithParam<DialogCase> {};

// The file is chosen first, then the format dialog opens with the stored
// settings; the accepted format is stored and used, comment included.
TEST_P(GridTextDialogs, ChooseTheFileThenTheFormat) {
    const DialogCase& c = GetParam();
    // Stored settings the format dialog must be opened with. Only the
    // "Comment" key is there, so a store shows in the other keys.
    setProfile({{"Comment", "%"}});
    const std::string path = pathIn("grid.txt");
    ScriptedDialogs dialogs;
    if (c.chooses) dialogs.file = path;
    dialogs.answer = c.answer;
    SeenBoxes boxes;

    const GridExportResult r = exportText(*smallGrid(), std::nullopt, std::nullopt, &dialogs);

    EXPECT_EQ(r.written, !c.expected.empty());
    EXPECT_EQ(dialogs.extensions, std::vector<std::string>{"txt"});
    if (c.chooses) {
        ASSERT_TRUE(dialogs.shown.has_value());
        EXPECT_EQ(dialogs.shown->comment, "%");
        EXPECT_EQ(dialogs.shown->rowCount, 10);
    } else {
        EXPECT_FALSE(dialogs.shown.has_value());
    }
    if (c.expected.empty()) {
        EXPECT_FALSE(std::filesystem::exists(path));
    } else {
        EXPECT_EQ(readFile(path), c.expected);
    }
    EXPECT_EQ(boxes.informations,
              c.announced ? std::vector<std::string>{"Значения поля (X 3  Y2) записаны в файл"}
                          : std::vector<std::string>{});
    EXPECT_TRUE(boxes.warnings.empty());

    const auto stored = [](const char* key) {
        std::int32_t v = -1;
        readProfileInt(kSection, key, v);
        return v;
    };
    EXPECT_EQ(stored("RowCount"), c.rowCount);
    EXPECT_EQ(stored("CharCount"), c.charCount);
    EXPECT_EQ(stored("DecimalCount"), c.decimalCount);
    EXPECT_EQ(stored("XYZFormat"), c.xyzFormat);
    std::string comment;
    readProfileText(kSection, "Comment", comment);
    EXPECT_EQ(comment, c.comment);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, GridTextDialogs,
    ::testing::Values(
        DialogCase{"OwnComment", true, format(2, 6, 1, "#note", false),
                   "# X = 3  Y = 2\n"
                   "   21.4   22.4\n"
                   "   23.4\n"
                   "   11.4   12.4\n"
                   "   13.4\n",
                   true, 2, 6, 1, 0, "#note"},
        DialogCase{"EmptyCommentNoHeader", true, format(10, 7, 3, "", false),
                   "  21.375  22.375  23.375\n"
                   "  11.375  12.375  13.375\n",
                   true, 10, 7, 3, 0, ""},
        DialogCase{"XyzLinesWithoutMessage", true, format(10, 5, 0, "*", true),
                   "     1     4    21\n"
                   "     2     4    22\n"
                   "     3     4    23\n"
                   "     1     2    11\n"
                   "     2     2    12\n"
                   "     3     2    13\n",
                   false, 10, 5, 0, 1, "*"},
        DialogCase{"OutOfRangeAnswerFallsBackToDefaults", true, format(5000, 0, -1, "*", false),
                   kSmallDefault, true, 10, 7, 3, 0, "*"},
        DialogCase{"FileCancelled", false, format(2, 6, 1, "#", false), "", false, -1, -1, -1, -1,
                   "%"},
        DialogCase{"FormatCancelled", true, std::nullopt, "", false, -1, -1, -1, -1, "%"}),
    [](const ::testing::TestParamInfo<DialogCase>& p) { return p.param.name; });

TEST(GridTextDialogs, WithoutDialogsOrNameNothingIsWritten) {
    SeenBoxes boxes;
    const GridExportResult r = exportText(*smallGrid(), std::nullopt, std::nullopt);
    EXPECT_FALSE(r.written);
    EXPECT_EQ(testing::filesInTestDir(), std::vector<std::string>{});
    EXPECT_TRUE(boxes.informations.empty());
    EXPECT_TRUE(boxes.warnings.empty());
}

// --- Binary grid files -------------------------------------------------------

// Little-endian bytes packed from bit patterns written out by hand.
class Packed {
public:
    Packed& bytes(const std::string& s) {
        data_ += s;
        return *this;
    }
    Packed& u16(std::uint16_t v) { return little(v, 2); }
    Packed& bits32(std::uint32_t v) { return little(v, 4); }
    Packed& bits64(std::uint64_t v) { return little(v, 8); }
    const std::string& str() const { return data_; }

private:
    Packed& little(std::uint64_t v, int n) {
        for (int k = 0; k < n; ++k) data_.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
        return *this;
    }
    std::string data_;
};

// IEEE-754 patterns (checked with Python's struct.pack('<d') and ('<f')).
constexpr std::uint64_t kD1 = 0x3FF0000000000000;       // 1.0
constexpr std::uint64_t kD2 = 0x4000000000000000;       // 2.0
constexpr std::uint64_t kD3 = 0x4008000000000000;       // 3.0
constexpr std::uint64_t kD4 = 0x4010000000000000;       // 4.0
constexpr std::uint64_t kD11_375 = 0x4026C00000000000;  // 11.375
constexpr std::uint64_t kD23_375 = 0x4037600000000000;  // 23.375
constexpr std::uint32_t kF11_375 = 0x41360000;
constexpr std::uint32_t kF12_375 = 0x41460000;
constexpr std::uint32_t kF13_375 = 0x41560000;
constexpr std::uint32_t kF21_375 = 0x41AB0000;
constexpr std::uint32_t kF22_375 = 0x41B30000;
constexpr std::uint32_t kF23_375 = 0x41BB0000;
constexpr std::uint32_t kFBlank = 0x7EFFFFEE;  // 1.70141e38

struct GrdCase {
    const char* name;
    bool hole;  // node (2, 1) outside the area
    std::string expected;

    friend void PrintTo(const GrdCase& c, std::ostream* os) { *os << c.name; }
};

class GridGrdFile : public ::testing::TestWithParam<GrdCase> {};

// Columns 1..3 and rows 1..2: X 1..3 and Y 2..4; the value range is the
// exported nodes' inside the area (the frame holds 0.375 and 34.375, the
// hole -1e30); the lowest row comes first.
TEST_P(GridGrdFile, HeaderAndValuesAsPacked) {
    const GrdCase& c = GetParam();
    auto g = c.hole ? smallGridWithHole() : smallGrid();
    SeenBoxes boxes;
    const std::string path = pathIn("grid.grd");
    const GridExportResult r = exportGrd(*g, path, std::nullopt);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.columns, 3);
    EXPECT_EQ(r.rows, 2);
    EXPECT_EQ(readFile(path), c.expected);
    EXPECT_TRUE(boxes.informations.empty());
    EXPECT_TRUE(boxes.warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Masks, GridGrdFile,
                         ::testing::Values(GrdCase{"HoleIsTheBlank", true,
                                                   Packed()
                                                       .bytes("DSBB")
                                                       .u16(3)
                                                       .u16(2)
                                                       .bits64(kD1)
                                                       .bits64(kD3)
                                                       .bits64(kD2)
                                                       .bits64(kD4)
                                                       .bits64(kD11_375)
                                                       .bits64(kD23_375)
                                                       .bits32(kF11_375)
                                                       .bits32(kFBlank)
                                                       .bits32(kF13_375)
                                                       .bits32(kF21_375)
                                                       .bits32(kF22_375)
                                                       .bits32(kF23_375)
                                                       .str()},
                                           // Without a mask every node is inside.
                                           GrdCase{"NoMask", false,
                                                   Packed()
                                                       .bytes("DSBB")
                                                       .u16(3)
                                                       .u16(2)
                                                       .bits64(kD1)
                                                       .bits64(kD3)
                                                       .bits64(kD2)
                                                       .bits64(kD4)
                                                       .bits64(kD11_375)
                                                       .bits64(kD23_375)
                                                       .bits32(kF11_375)
                                                       .bits32(kF12_375)
                                                       .bits32(kF13_375)
                                                       .bits32(kF21_375)
                                                       .bits32(kF22_375)
                                                       .bits32(kF23_375)
                                                       .str()}),
                         [](const ::testing::TestParamInfo<GrdCase>& p) { return p.param.name; });

TEST(GridGrdFile, ThroughTheDialogsTheCountsAreAnnounced) {
    const std::string path = pathIn("grid.grd");
    ScriptedDialogs dialogs;
    dialogs.file = path;
    SeenBoxes boxes;
    const GridExportResult r = exportGrd(*smallGrid(), std::nullopt, DRect(1, 0, 4, 6), &dialogs);
    EXPECT_TRUE(r.written);
    EXPECT_EQ(dialogs.extensions, std::vector<std::string>{"grd"});
    EXPECT_FALSE(dialogs.shown.has_value());  // no format for binary files
    EXPECT_EQ(readFile(path).substr(0, 8), Packed().bytes("DSBB").u16(4).u16(4).str());
    EXPECT_EQ(boxes.informations,
              std::vector<std::string>{"Значения поля (X 4  Y4) записаны в файл"});
}

struct SizeCase {
    const char* name;
    std::int32_t nx, ny;
    std::optional<DRect> rectangle;
    std::string warning;  // empty: written
    std::int32_t columns, rows;

    friend void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }
};

class GridGrdSize : public ::testing::TestWithParam<SizeCase> {};

// The counts are int16: 32767 nodes a way at most; an empty selection has
// nothing to write. A refused grid asks for no file.
TEST_P(GridGrdSize, CountsMustFitTheHeader) {
    const SizeCase& c = GetParam();
    auto g = std::make_unique<EqNet>();
    g->setSteps(std::vector<double>(static_cast<std::size_t>(c.nx - 1), 1.0),
                std::vector<double>(static_cast<std::size_t>(c.ny - 1), 1.0));
    ASSERT_EQ(g->SetValues(std::vector<double>(static_cast<std::size_t>(c.nx) * c.ny, 2.5)), 0);
    const std::string path = pathIn("grid.grd");
    ScriptedDialogs dialogs;
    dialogs.file = path;
    SeenBoxes boxes;

    const GridExportResult r = exportGrd(*g, std::nullopt, c.rectangle, &dialogs);

    EXPECT_EQ(r.columns, c.columns);
    EXPECT_EQ(r.rows, c.rows);
    if (c.warning.empty()) {
        EXPECT_TRUE(r.written);
        const std::string b = readFile(path);
        ASSERT_EQ(b.size(), 56u + 4u * static_cast<std::size_t>(c.columns) * c.rows);
        EXPECT_EQ(b.substr(4, 4), Packed()
                                      .u16(static_cast<std::uint16_t>(c.columns))
                                      .u16(static_cast<std::uint16_t>(c.rows))
                                      .str());
        EXPECT_TRUE(boxes.warnings.empty());
    } else {
        EXPECT_FALSE(r.written);
        EXPECT_TRUE(dialogs.extensions.empty());
        EXPECT_EQ(testing::filesInTestDir(), std::vector<std::string>{});
        EXPECT_EQ(boxes.warnings, std::vector<std::string>{c.warning});
        EXPECT_TRUE(boxes.informations.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, GridGrdSize,
    ::testing::Values(
        SizeCase{"WidestRow", 32769, 3, std::nullopt, "", 32767, 1},
        SizeCase{"TooWide", 32770, 3, std::nullopt, "Ошибка в размерности X", 32768, 1},
        SizeCase{"TallestColumn", 3, 32769, std::nullopt, "", 1, 32767},
        SizeCase{"TooTall", 3, 32770, std::nullopt, "Ошибка в размерности Y", 1, 32768},
        SizeCase{"NoNodeInTheRectangle", 4, 4, DRect(10, 10, 20, 20), "Ошибка в размерности X", 0,
                 0}),
    [](const ::testing::TestParamInfo<SizeCase>& p) { return p.param.name; });

// --- Both writers: grids without values and files that cannot be written -----

using Writer = GridExportResult (*)(const EqNet&, const std::optional<std::string>&,
                                    const std::optional<DRect>&, GridExportDialogs*);

struct WriterCase {
    const char* name;
    Writer write;

    friend void PrintTo(const WriterCase& c, std::ostream* os) { *os << c.name; }
};

class GridExportFailure : public ::testing::TestWithParam<WriterCase> {};

TEST_P(GridExportFailure, AGridWithoutValuesWritesNothing) {
    EqNet g;
    g.setSteps({1, 1, 1}, {1, 1, 1});
    ASSERT_FALSE(g.hasValues());
    SeenBoxes boxes;
    EXPECT_FALSE(GetParam().write(g, pathIn("grid"), std::nullopt, nullptr).written);
    EXPECT_EQ(testing::filesInTestDir(), std::vector<std::string>{});
}

// A target that is a directory, and one below a regular file: neither can
// be created, whoever runs the test.
TEST_P(GridExportFailure, AnUnwritableTargetIsReported) {
    const std::string directory = pathIn("folder");
    std::filesystem::create_directory(directory);
    const std::string belowFile = testing::writeFile("plain", "old") + "/grid";
    for (const std::string& path : {directory, belowFile}) {
        SCOPED_TRACE(path);
        SeenBoxes boxes;
        EXPECT_FALSE(GetParam().write(*smallGrid(), path, std::nullopt, nullptr).written);
        EXPECT_EQ(boxes.warnings, std::vector<std::string>{kCannotWrite + path});
    }
    EXPECT_TRUE(std::filesystem::is_directory(directory));
    EXPECT_TRUE(std::filesystem::is_empty(directory));
    EXPECT_EQ(readFile(pathIn("plain")), "old");
    EXPECT_EQ(testing::filesInTestDir(), (std::vector<std::string>{"folder", "plain"}));
}

// The disk fills up (no file may grow past 4 KiB) while the default grid,
// some 40 KiB either way, is written over an existing file: the export
// fails, says so, and the old file stays with nothing beside it.
TEST_P(GridExportFailure, AFullDiskKeepsTheOldFile) {
    auto g = std::make_unique<EqNet>();
    g->setSteps(std::vector<double>(101, 1.0), std::vector<double>(101, 1.0));
    ASSERT_EQ(g->SetValues(std::vector<double>(102 * 102, 1.25)), 0);
    const std::string path = testing::writeFile("grid", "old");
    SeenBoxes boxes;
    bool written = true;
    {
        testing::FileSizeLimit limit(4096);
        written = GetParam().write(*g, path, std::nullopt, nullptr).written;
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{kCannotWrite + path});
    EXPECT_EQ(readFile(path), "old");
    EXPECT_EQ(testing::filesInTestDir(), std::vector<std::string>{"grid"});
}

INSTANTIATE_TEST_SUITE_P(Writers, GridExportFailure,
                         ::testing::Values(WriterCase{"Text", &exportText},
                                           WriterCase{"Grd", &exportGrd}),
                         [](const ::testing::TestParamInfo<WriterCase>& p) {
                             return p.param.name;
                         });

}  // namespace
}  // namespace gridova
