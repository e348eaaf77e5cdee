#include "data/data_table.h"

#include <gtest/gtest.h>

#include <fstream>

#include "data/line_source.h"
#include "data/point_set.h"
#include "platform/message_log.h"
#include "platform/profile.h"
#include "platform/progress.h"
#include "platform/status.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::writeFile;

// The numbers of a row (cells 1..), "-" for an empty cell.
std::string cells(const DataTable& t, std::size_t row) {
    std::string s;
    for (std::size_t i = 1; i < t.cellCount(row); ++i) {
        const OptionalValue c = t.cell(row, i);
        if (!s.empty()) s += ' ';
        s += c.present() ? std::to_string(c.value).substr(0, std::to_string(c.value).find('.') + 2)
                         : "-";
    }
    return s;
}

DataTable readString(const std::string& content) {
    DataTable t;
    t.readFile(writeFile("data.dat", content));
    return t;
}

TEST(DataFile, TitleLineDetection) {
    struct Case {
        const char* name;
        const char* content;
        std::vector<std::string> headers;
        std::size_t rows;
    };
    const Case cases[] = {
        {"two word lines", "Survey\nWells 2026\n1 2 3\n4 5 6\n", {"Survey", "Wells 2026"}, 2},
        {"numeric line then text", "1 2 3\nComment\n4 5 6\n", {"Comment"}, 2},
        {"text on line 5 is data", "1 2 3\n4 5 6\n7 8 9\n1 1 1\nLate text\n", {}, 5},
        {"four text lines", "A\nB\nC\nD\n1 2 3\n", {"A", "B", "C"}, 2},
        {"no title", "1 2 3\n", {}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const DataTable t = readString(c.content);
        EXPECT_EQ(t.headers(), c.headers);
        EXPECT_EQ(t.rowCount(), c.rows);
    }
    // The fourth text line is a row that builds no point.
    const DataTable t = readString("A\nB\nC\nD\n1 2 3\n");
    EXPECT_EQ(t.cellCount(0), 1u);
    EXPECT_EQ(t.label(0), std::nullopt);
    PointSet set;
    set.buildFromTable(t);
    EXPECT_EQ(set.size(), 1u);
}

TEST(DataFile, SeparatorFormsGiveTheSameCells) {
    const char* files[] = {"1;2;3\n",   "1,2,3\n",     "1 2 3\n",
                           "1\t2\t3\n", "1 , 2 , 3\n", "1, 2, 3\r\n"};
    for (const char* content : files) {
        SCOPED_TRACE(content);
        const DataTable t = readString(content);
        ASSERT_EQ(t.rowCount(), 1u);
        EXPECT_EQ(t.cellCount(0), 4u);
        EXPECT_EQ(t.cell(0, 1).value, 1.0);
        EXPECT_EQ(t.cell(0, 2).value, 2.0);
        EXPECT_EQ(t.cell(0, 3).value, 3.0);
    }
}

TEST(DataFile, NameAtTheLabelColumnOrFirst) {
    // Default columns: X 0, Y 1, value 2, name 3.
    DataTable t = readString("10 20 5 W1\n");
    ASSERT_EQ(t.rowCount(), 1u);
    EXPECT_EQ(t.label(0), "W1");
    EXPECT_TRUE(t.hasLabels());
    PointSet a;
    a.buildFromTable(t);

    // A line that starts with a name is a title line while title slots are
    // free among the first four lines: three title lines come first.
    writeProfileInt("Input Format", "ColumnLabel", 0);
    t = readString("W1 10 20 5\n");
    EXPECT_EQ(t.rowCount(), 0u);
    EXPECT_EQ(t.headers(), std::vector<std::string>{"W1 10 20 5"});
    t = readString("Field\nWells\nX Y Value\nW1 10 20 5\n");
    EXPECT_EQ(t.label(0), "W1");
    PointSet b;
    b.buildFromTable(t);

    for (const PointSet* s : {&a, &b}) {
        ASSERT_EQ(s->size(), 1u);
        const DataPoint& p = s->points()[0];
        EXPECT_EQ(p.x, 10);
        EXPECT_EQ(p.y, 20);
        EXPECT_EQ(p.value.value, 5);
        EXPECT_EQ(p.label, "W1");
    }
}

TEST(DataFile, QuotedNameWithCommaKeepsTheColumns) {
    writeProfileInt("Input Format", "ColumnLabel", 0);
    const DataTable t = readString("T1\nT2\nT3\n\"Well 7, north\", 10, 20, 5\n");
    ASSERT_EQ(t.rowCount(), 1u);
    EXPECT_EQ(t.label(0), "Well 7, north");
    EXPECT_EQ(cells(t, 0), "10.0 20.0 5.0");
}

TEST(DataFile, RowShapes) {
    const DataTable t = readString("1 2\n5\n1 x 3\n1.5e3 1.5D3 7\n\n   \n");
    // "1 2": two numbers (3 cells), a point without value; "5": no point;
    // past the title lines an empty line is skipped and a line of blanks
    // gives a row with just its label slot.
    ASSERT_EQ(t.rowCount(), 5u);
    EXPECT_EQ(t.cellCount(0), 3u);
    EXPECT_EQ(t.cellCount(1), 2u);
    EXPECT_EQ(cells(t, 2), "1.0 - 3.0");
    EXPECT_EQ(t.cell(3, 1).value, 1500.0);
    EXPECT_EQ(t.cell(3, 2).value, 1.5);
    EXPECT_EQ(t.cellCount(4), 1u);
    EXPECT_FALSE(t.cell(9, 1).present());
    EXPECT_FALSE(t.cell(0, 7).present());
    EXPECT_EQ(t.cellCount(99), 0u);

    PointSet set;
    set.buildFromTable(t);
    ASSERT_EQ(set.size(), 2u);  // "1 x 3" has no Y number
    EXPECT_FALSE(set.points()[0].value.present());
    EXPECT_EQ(set.points()[1].value.value, 7.0);
}

TEST(DataFile, LongLinesAreOneRow) {
    std::string line;
    for (int i = 0; i < 600; ++i) line += std::to_string(i) + " ";
    ASSERT_GT(line.size(), 2000u);
    const DataTable t = readString(line + "\n1 2 3\n");
    ASSERT_EQ(t.rowCount(), 2u);
    EXPECT_EQ(t.cellCount(0), 601u);
    EXPECT_EQ(t.cell(0, 600).value, 599.0);
}

TEST(DataFile, OneEnormousLineWithoutLineFeed) {
    std::string line(3 << 20, ' ');  // three blocks of the reader
    line += "7 1 2";
    const DataTable t = readString(line);
    ASSERT_EQ(t.rowCount(), 1u);
    EXPECT_EQ(t.cellCount(0), 4u);
    EXPECT_EQ(t.cell(0, 3).value, 2.0);
}

TEST(DataFile, LineBeyondTheLengthLimitIsCutAndLogged) {
    // A line of a damaged file longer than the limit: its start is read,
    // its rest dropped (not read as further rows), and the next line reads.
    std::string content = "1 2 3 ";
    content.append(LineSource::kMaxLineBytes, ',');
    content += "9 9 9\n4 5 6\n";
    const DataTable t = readString(content);
    ASSERT_EQ(t.rowCount(), 2u);
    EXPECT_EQ(t.cell(0, 3).value, 3.0);
    EXPECT_EQ(cells(t, 1), "4.0 5.0 6.0");
    EXPECT_EQ(messageLog().lines().back(),
              "Строка 1 длиннее 67108864 байт: её окончание пропущено");
}

TEST(DataFile, BadInputGivesWhatCouldBeRead) {
    // NUL bytes end a line's text; binary garbage gives no numbers.
    std::string content("1 2 3\n4 5\0 6\n", 13);
    content += "\xFF\xFE\x01\x02\n7 8 9";
    const DataTable t = readString(content);
    ASSERT_EQ(t.rowCount(), 3u);
    EXPECT_EQ(cells(t, 1), "4.0 5.0");
    EXPECT_EQ(cells(t, 2), "7.0 8.0 9.0");
    EXPECT_EQ(readString("").rowCount(), 0u);
}

TEST(DataFile, MissingFileOrDirectoryWarnsAndGivesAnEmptyTable) {
    for (const std::string& path :
         {(testing::testDir() / "none.dat").string(), testing::testDir().string()}) {
        DataTable t;
        t.readFile(path);
        EXPECT_EQ(t.rowCount(), 0u);
        const auto lines = messageLog().lines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back(), "Нельзя открыть файл " + path + " для считывания");
    }
}

TEST(DataFile, Windows1251NamesAndTitlesAreReadAsUtf8) {
    const DataTable t = readString("\xD1\xEA\xE2\xE0\xE6\xE8\xED\xFB\n1 2 3 \xD1\xEA\xE2.1\n");
    ASSERT_EQ(t.headers().size(), 1u);
    EXPECT_EQ(t.headers()[0], "Скважины");
    EXPECT_EQ(t.label(0), "Скв.1");
}

TEST(DataFile, StatusTextEvery200Lines) {
    class Status final : public StatusBar {
    public:
        void setStatusText(const std::string& text) override { texts.push_back(text); }
        std::vector<std::string> texts;
    } status;
    setStatusBar(&status);
    std::string content;
    for (int i = 0; i < 450; ++i) content += "1 2 3\n";
    readString(content);
    setStatusBar(nullptr);
    EXPECT_EQ(status.texts, (std::vector<std::string>{"Input line 200", "Input line 400"}));
}

double gNow = 0;

TEST(DataFile, CancelKeepsTheRowsReadSoFar) {
    // Each poll takes a millisecond; the dialog shows after two seconds and
    // the user has already pressed Cancel.
    gNow = 0;
    unattendedProgressUi().setClock([] { return gNow += 0.001; });
    unattendedProgressUi().requestCancel();
    std::string content;
    for (int i = 0; i < 5000; ++i) content += std::to_string(i) + " 2 3\n";
    const DataTable t = readString(content);
    EXPECT_GT(t.rowCount(), 1000u);
    EXPECT_LT(t.rowCount(), 5000u);
    EXPECT_EQ(t.cell(t.rowCount() - 1, 1).value, static_cast<double>(t.rowCount() - 1));
    EXPECT_EQ(messageLog().lines().back(), "Процесс остановлен пользователем");
}

class ChoosingDialog final : public InputFormatDialog {
public:
    bool edit(InputFormat& format) override {
        ++shown;
        format.columnX = 1;
        format.columnY = 0;
        return confirm;
    }
    int shown = 0;
    bool confirm = true;
};

TEST(DataFile, InputFormatDialogOnlyWhenAskedFor) {
    ChoosingDialog dialog;
    setInputFormatDialog(&dialog);
    readString("1 2 3\n");
    EXPECT_EQ(dialog.shown, 0);

    writeProfileInt("Input Format", "ShowDialog", 1);
    dialog.confirm = false;
    DataTable t = readString("1 2 3\n");
    EXPECT_EQ(dialog.shown, 1);
    EXPECT_EQ(t.format().columnX, 0);  // Cancel keeps the settings

    dialog.confirm = true;
    t = readString("1 2 3\n");
    EXPECT_EQ(t.format().columnX, 1);
    std::int32_t stored = -1;
    readProfileInt("Input Format", "ColumnX", stored);
    EXPECT_EQ(stored, 1);
    PointSet set;
    set.buildFromTable(t);
    EXPECT_EQ(set.points()[0].x, 2.0);
    setInputFormatDialog(nullptr);

    // Unattended: the stored settings, no dialog.
    writeProfileText("Input Format", "ColumnX", "abc");
    t = readString("1 2 3\n");
    EXPECT_EQ(t.format().columnX, 0);
}

TEST(ClipboardText, SpreadsheetRowsWithAndWithoutLastLineEnd) {
    const char* texts[] = {"1\t2\t3\r\n4\t5\t6\r\n", "1\t2\t3\r\n4\t5\t6", "1\t2\t3\n4\t5\t6\n"};
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        DataTable t;
        t.readText(text);
        ASSERT_EQ(t.rowCount(), 2u);
        EXPECT_EQ(cells(t, 0), "1.0 2.0 3.0");
        EXPECT_EQ(cells(t, 1), "4.0 5.0 6.0");
    }
}

TEST(CoordinateFile, NameFirstThenNumbers) {
    DataTable t;
    t.readCoordinateFile(writeFile("points.cor",
                                   "P1, 100, 200, 7\n"
                                   "OnlyName\n"
                                   "P2\t5\tx\t6\n"
                                   ",,1 2\n"
                                   "Comment line 1 of 2\n"));
    ASSERT_EQ(t.rowCount(), 4u);
    EXPECT_EQ(t.label(0), "P1");
    EXPECT_EQ(cells(t, 0), "100.0 200.0 7.0");
    EXPECT_EQ(t.label(1), "P2");
    EXPECT_EQ(cells(t, 1), "5.0 6.0");
    EXPECT_EQ(t.label(2), std::nullopt);
    EXPECT_EQ(cells(t, 2), "1.0 2.0");
    EXPECT_EQ(t.label(3), "Comment");
    EXPECT_EQ(cells(t, 3), "1.0 2.0");
    EXPECT_EQ(t.labelColumn(), 0);
}

}  // namespace
}  // namespace gridova
