// DXF lines and groups: the written text against a file worked out by hand,
// reading against hand-made texts (our own form and foreign ones), damaged
// texts, and peers: ezdxf's audit and GDAL's ogrinfo read our files, and we
// read the DXF files of gdal_contour and ogr2ogr, whose coordinates the
// tests take from the files' text with a small parser of their own.
#include "exchange/dxf_lines.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "data/point_set.h"
#include "data/record_buffer.h"
#include "objects/bush.h"
#include "objects/line.h"
#include "platform/messages.h"
#include "platform/text_codec.h"
#include "tests/common/test_env.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

using P = LinePoint;
using testing::readFile;

const std::string kCannotWrite = "Нельзя записать в файл ";
const std::string kCannotRead = "Нельзя прочитать файл ";

std::string pathIn(const std::string& name) { return (testing::testDir() / name).string(); }

LineStyle style(std::int32_t typeDraw, std::int32_t colorLine, std::int32_t fillColor,
                std::int32_t widthLine) {
    LineStyle s;
    s.typeDraw = typeDraw;
    s.colorLine = colorLine;
    s.fillColor = fillColor;
    s.widthLine = widthLine;
    return s;
}

const std::vector<P> kRiver = {{5432123.4, 0.1}, {5432124.5, -12.5}, {6000000, 7.25}};
const std::vector<P> kSquare = {{0, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
const LineStyle kRiverStyle = style(LineStyle::kOutline, 0x0000FF, LineStyle::kWhite, 2);
const LineStyle kSquareStyle = style(LineStyle::kFilled, 0x00FF00, -3, 0);

// "Карта" holds the named line "Река" and a point set (which has no DXF
// form); its child "Озёра" holds an unnamed filled square.
std::unique_ptr<Bush> sampleTree() {
    auto root = std::make_unique<Bush>("Карта");
    Line river(kRiver);
    river.name = "Река";
    river.style = kRiverStyle;
    root->addItem(BushItem(std::move(river)));
    root->addItem(BushItem(PointSet()));
    Bush& lakes = root->addChild(std::make_unique<Bush>("Озёра"));
    Line square(kSquare);
    square.style = kSquareStyle;
    // A group names every line added to it; this one is to stay unnamed.
    lakes.addItem(BushItem(std::move(square))).line()->name.reset();
    return root;
}

// The sample tree's file, written out by hand from the format. Numbers take
// their shortest exact form, which for 6000000 is "6e+06" (ezdxf and
// ogrinfo read it below).
const std::string kSampleText = R"(0
SECTION
2
ENTITIES
999
Group_Name
999
Карта
0
POLYLINE
999
Line_Type
999
0
999
Line_Name
999
Река
999
Line_Color
999
255
999
Fill_Color
999
16777215
999
Line_Width
999
2
8
0
66
1
0
VERTEX
8
0
10
5432123.4
20
0.1
0
VERTEX
8
0
10
5432124.5
20
-12.5
0
VERTEX
8
0
10
6e+06
20
7.25
0
SEQEND
999
Group_Name
999
Озёра
0
POLYLINE
999
Line_Type
999
1
999
Line_Color
999
65280
999
Fill_Color
999
-3
999
Line_Width
999
0
8
0
66
1
70
1
0
VERTEX
8
0
10
0
20
0
0
VERTEX
8
0
10
10
20
0
0
VERTEX
8
0
10
10
20
10
0
VERTEX
8
0
10
0
20
10
0
VERTEX
8
0
10
0
20
0
0
SEQEND
999
Group_End
999
Group_End
0
ENDSEC
0
EOF
)";

// The bit patterns of the coordinates: equal doubles, not near ones.
std::vector<std::uint64_t> bitsOf(const std::vector<P>& points) {
    std::vector<std::uint64_t> bits;
    for (const P& p : points) {
        bits.push_back(std::bit_cast<std::uint64_t>(p.x));
        bits.push_back(std::bit_cast<std::uint64_t>(p.y));
    }
    return bits;
}

// A group that is not empty, to see that failed reads leave it alone.
std::unique_ptr<Bush> filledTarget() {
    auto target = std::make_unique<Bush>("Линии");
    Line old({{1, 1}, {2, 2}});
    old.name = "Старая";
    target->addItem(BushItem(std::move(old)));
    target->addChild(std::make_unique<Bush>("Прежняя"));
    return target;
}

// The polyline's pairs inside a group of its own, so that lines without
// points are kept.
std::string inGroup(const std::string& polyline) {
    return "999\nGroup_Name\n999\nG\n" + polyline + "999\nGroup_End\n";
}

// --- Writing -----------------------------------------------------------------

TEST(DxfWrite, TheSampleTreeGivesTheTextWrittenByHand) {
    EXPECT_EQ(dxfTextOfGroup(*sampleTree()), kSampleText);
    const std::string path = pathIn("tree.dxf");
    ASSERT_TRUE(writeDxfGroup(path, *sampleTree()));
    EXPECT_EQ(readFile(path), kSampleText);
}

TEST(DxfWrite, ALineAloneIsItsPolylineBetweenHeaderAndTrailer) {
    Line segment({{-1.5, 2}, {3, 4}});
    segment.style = style(LineStyle::kHatched, -1, 0x123456, 5);
    const std::string expected =
        "0\nSECTION\n2\nENTITIES\n0\nPOLYLINE\n999\nLine_Type\n999\n3\n999\nLine_Color\n999\n-1\n"
        "999\nFill_Color\n999\n1193046\n999\nLine_Width\n999\n5\n8\n0\n66\n1\n"
        "0\nVERTEX\n8\n0\n10\n-1.5\n20\n2\n0\nVERTEX\n8\n0\n10\n3\n20\n4\n0\nSEQEND\n"
        "0\nENDSEC\n0\nEOF\n";
    EXPECT_EQ(dxfTextOfLine(segment), expected);
    const std::string path = pathIn("line.dxf");
    ASSERT_TRUE(writeDxfLine(path, segment));
    EXPECT_EQ(readFile(path), expected);
}

// Six significant digits would move these by up to half a metre; the
// shortest exact form keeps every bit.
TEST(DxfWrite, CoordinatesKeepEveryBit) {
    const std::vector<P> points = {
        {5432123.4, 0.1}, {5432123.456789012, -0.30000000000000004}, {1.0 / 3.0, 2e-308}};
    const std::string text = dxfTextOfLine(Line(points));
    EXPECT_NE(text.find("\n10\n5432123.4\n20\n0.1\n"), std::string::npos);
    Bush target;
    ASSERT_TRUE(readDxfText(text, target, "line.dxf"));
    ASSERT_EQ(target.childCount(), 1u);
    ASSERT_EQ(target.child(0).itemCount(), 1u);
    EXPECT_EQ(bitsOf(target.child(0).item(0).line()->points()), bitsOf(points));
}

TEST(DxfWrite, AGroupWithoutANameIsWrittenAsOneBlankAndReadBackSo) {
    Bush unnamed;
    unnamed.addItem(BushItem(Line({{0, 0}, {1, 1}})));
    const std::string text = dxfTextOfGroup(unnamed);
    EXPECT_TRUE(text.starts_with("0\nSECTION\n2\nENTITIES\n999\nGroup_Name\n999\n \n0\nPOLYLINE\n"))
        << text;
    auto target = filledTarget();
    ASSERT_TRUE(readDxfText(text, *target, "unnamed.dxf"));
    EXPECT_EQ(target->name(), " ");
    EXPECT_EQ(target->itemCount(), 2u);
}

TEST(DxfWrite, OnlyAClosedLineHasTheClosedFlag) {
    const std::string closed = dxfTextOfLine(Line(kSquare));
    EXPECT_NE(closed.find("66\n1\n70\n1\n0\nVERTEX\n"), std::string::npos);
    const std::vector<P> open(kSquare.begin(), kSquare.end() - 1);
    EXPECT_EQ(dxfTextOfLine(Line(open)).find("\n70\n"), std::string::npos);

    Bush target;
    ASSERT_TRUE(readDxfText(closed, target, "square.dxf"));
    ASSERT_EQ(target.childCount(), 1u);
    const Line& back = *target.child(0).item(0).line();
    EXPECT_TRUE(back.isClosed());
    EXPECT_EQ(back.points(), kSquare);
}

// Names are one value line each and read back as far as the reader takes
// them: a line's name up to its first blank, a group's name whole.
TEST(DxfWrite, NamesReadBackAsFarAsTheReaderTakesThem) {
    std::string longName;
    for (int i = 0; i < 700; ++i) longName += "ж";  // 1400 bytes
    struct Case {
        const char* title;
        std::string written;
        std::string read;
    };
    const Case cases[] = {
        {"Blank", "Старая река", "Старая"},
        {"LineBreak", "Верх\nНиз", "Верх"},
        {"CarriageReturnAndNul", std::string("A\rB\0C", 5), "A"},
        // Cut to whole characters that fill one line.
        {"TooLongForALine", longName, longName.substr(0, kMaxDxfLineBytes)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        Line line({{0, 0}, {1, 0}});
        line.name = c.written;
        Bush group("Группа " + c.written);
        group.addItem(BushItem(line));
        const std::string text = dxfTextOfGroup(group);
        std::istringstream lines(text);
        for (std::string l; std::getline(lines, l);) EXPECT_LE(l.size(), kMaxDxfLineBytes);
        Bush target;
        ASSERT_TRUE(readDxfText(text, target, "names.dxf"));
        ASSERT_EQ(target.itemCount(), 1u);
        EXPECT_EQ(target.item(0).line()->name, c.read);
        // The group's name whole, line breaks as blanks, at most 127
        // characters as every group keeps.
        std::string groupName = "Группа " + c.written;
        for (char& ch : groupName) {
            if (ch == '\n' || ch == '\r' || ch == '\0') ch = ' ';
        }
        EXPECT_EQ(target.name(), std::string(firstCharacters(groupName, Bush::kMaxNameLength)));
    }
}

// Message 211 for a group and for a line, nothing left behind, and an old
// file kept when the disk fills up.
TEST(DxfWrite, AFileThatCannotBeWrittenIsReported) {
    const std::string directory = pathIn("folder");
    std::filesystem::create_directory(directory);
    const std::string belowFile = testing::writeFile("plain", "old") + "/lines.dxf";
    const auto tree = sampleTree();
    for (const std::string& path : {directory, belowFile}) {
        SCOPED_TRACE(path);
        testing::RecordingBoxes boxes;
        EXPECT_FALSE(writeDxfGroup(path, *tree));
        EXPECT_FALSE(writeDxfLine(path, Line(kSquare)));
        EXPECT_EQ(boxes.warnings,
                  (std::vector<std::string>{kCannotWrite + path, kCannotWrite + path}));
    }
    EXPECT_TRUE(std::filesystem::is_empty(directory));
    EXPECT_EQ(readFile(pathIn("plain")), "old");

    // Some 40 KiB of points against a limit of 4 KiB.
    std::vector<P> many;
    for (int i = 0; i < 1000; ++i) many.push_back({5432123.4 + i, 0.1 * i});
    const std::string full = testing::writeFile("full.dxf", "old");
    testing::RecordingBoxes boxes;
    bool written = true;
    {
        testing::FileSizeLimit limit(4096);
        written = writeDxfLine(full, Line(many));
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{kCannotWrite + full});
    EXPECT_EQ(readFile(full), "old");
    EXPECT_EQ(testing::filesInTestDir(), (std::vector<std::string>{"folder", "full.dxf", "plain"}));
}

// --- Reading -----------------------------------------------------------------

// The hand-written text read into a group that has objects already: the
// group takes the name, the line and the child; every value as written.
TEST(DxfRead, TheSampleTextGivesTheTreeBack) {
    auto target = filledTarget();
    ASSERT_TRUE(readDxfText(kSampleText, *target, "tree.dxf"));
    EXPECT_EQ(target->name(), "Карта");
    ASSERT_EQ(target->itemCount(), 2u);
    const Line& river = *target->item(1).line();
    EXPECT_EQ(river.name, "Река");
    EXPECT_EQ(river.style, kRiverStyle);
    EXPECT_EQ(bitsOf(river.points()), bitsOf(kRiver));
    EXPECT_FALSE(river.isClosed());

    ASSERT_EQ(target->childCount(), 2u);
    EXPECT_EQ(target->child(0).name(), "Прежняя");
    const Bush& lakes = target->child(1);
    EXPECT_EQ(lakes.name(), "Озёра");
    EXPECT_EQ(lakes.childCount(), 0u);
    ASSERT_EQ(lakes.itemCount(), 1u);
    const Line& square = *lakes.item(0).line();
    EXPECT_EQ(square.style, kSquareStyle);
    EXPECT_EQ(square.points(), kSquare);
    EXPECT_TRUE(square.isClosed());
    // Unnamed in the file: the group gives it its first automatic name.
    EXPECT_EQ(square.name, Bush().nextItemName());
}

TEST(DxfRead, AFileOfOurOwnReadsBackAsTheTreeWritten) {
    const std::string path = pathIn("tree.dxf");
    const auto tree = sampleTree();
    ASSERT_TRUE(writeDxfGroup(path, *tree));
    Bush target;
    ASSERT_TRUE(readDxfFile(path, target));
    EXPECT_EQ(target.name(), tree->name());
    ASSERT_EQ(target.itemCount(), 1u);  // the point set is not in the file
    EXPECT_EQ(target.item(0).line()->name, "Река");
    EXPECT_EQ(bitsOf(target.item(0).line()->points()), bitsOf(kRiver));
    ASSERT_EQ(target.childCount(), 1u);
    EXPECT_EQ(target.child(0).name(), "Озёра");
    EXPECT_EQ(target.child(0).item(0).line()->points(), kSquare);
}

// At the top of a file each POLYLINE with points becomes a group of its
// own; the groups take the target's automatic names.
TEST(DxfRead, LinesAtTheTopBecomeGroupsOfTheirOwn) {
    const std::string text =
        "0\nSECTION\n2\nENTITIES\n"
        "0\nPOLYLINE\n999\nLine_Name\n999\nA\n0\nVERTEX\n10\n1\n20\n2\n0\nVERTEX\n10\n3\n20\n4\n"
        "0\nSEQEND\n"
        // One vertex: an empty line, dropped here.
        "0\nPOLYLINE\n0\nVERTEX\n10\n5\n20\n6\n0\nSEQEND\n"
        "0\nPOLYLINE\n0\nSEQEND\n"
        "0\nPOLYLINE\n0\nVERTEX\n10\n7\n20\n8\n0\nVERTEX\n10\n9\n20\n10\n0\nSEQEND\n"
        "0\nENDSEC\n0\nEOF\n";
    auto target = filledTarget();
    const std::string first = Bush().nextGroupName();
    const std::string second = nextAutomaticName(first);

    ASSERT_TRUE(readDxfText(text, *target, "top.dxf"));
    EXPECT_EQ(target->name(), "Линии");
    EXPECT_EQ(target->itemCount(), 1u);
    ASSERT_EQ(target->childCount(), 3u);
    EXPECT_EQ(target->child(1).name(), first);
    EXPECT_EQ(target->child(2).name(), second);
    for (std::size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(target->child(i).itemCount(), 1u);
        EXPECT_EQ(target->child(i).childCount(), 0u);
    }
    EXPECT_EQ(target->child(1).item(0).line()->name, "A");
    EXPECT_EQ(target->child(1).item(0).line()->points(), (std::vector<P>{{1, 2}, {3, 4}}));
    EXPECT_EQ(target->child(2).item(0).line()->points(), (std::vector<P>{{7, 8}, {9, 10}}));
}

// Inside a group every POLYLINE is an item, with or without points.
TEST(DxfRead, InAGroupLinesWithoutPointsAreKept) {
    const std::string text = inGroup(
        "0\nPOLYLINE\n0\nVERTEX\n10\n5\n20\n6\n0\nSEQEND\n"
        "0\nPOLYLINE\n0\nSEQEND\n");
    Bush target;
    ASSERT_TRUE(readDxfText(text, target, "group.dxf"));
    EXPECT_EQ(target.name(), "G");
    ASSERT_EQ(target.itemCount(), 2u);
    EXPECT_TRUE(target.item(0).line()->empty());
    EXPECT_TRUE(target.item(1).line()->empty());
}

// One POLYLINE entity in a group; what the line holds afterwards.
struct PolylineCase {
    const char* name;
    std::string pairs;  // from "0 POLYLINE" to "0 SEQEND"
    std::vector<P> points;
};

void PrintTo(const PolylineCase& c, std::ostream* os) { *os << c.name; }

class DxfPolyline : public ::testing::TestWithParam<PolylineCase> {};

TEST_P(DxfPolyline, GivesTheLineWorkedOutByHand) {
    Bush target;
    ASSERT_TRUE(readDxfText(inGroup(GetParam().pairs), target, "case.dxf"));
    ASSERT_EQ(target.itemCount(), 1u);
    EXPECT_EQ(target.item(0).line()->points(), GetParam().points);
}

std::string vertex(const char* x, const char* y) {
    return std::string("0\nVERTEX\n8\n0\n10\n") + x + "\n20\n" + y + "\n";
}

const std::string kTriangle = vertex("0", "0") + vertex("1", "0") + vertex("1", "1");
const std::vector<P> kOpenTriangle = {{0, 0}, {1, 0}, {1, 1}};
const std::vector<P> kClosedTriangle = {{0, 0}, {1, 0}, {1, 1}, {0, 0}};

INSTANTIATE_TEST_SUITE_P(
    Dxf, DxfPolyline,
    ::testing::Values(
        PolylineCase{"NoVertex", "0\nPOLYLINE\n66\n1\n0\nSEQEND\n", {}},
        PolylineCase{"OneVertexIsNoLine", "0\nPOLYLINE\n" + vertex("1", "2") + "0\nSEQEND\n", {}},
        PolylineCase{"OneVertexWithTheClosedFlag",
                     "0\nPOLYLINE\n70\n1\n" + vertex("1", "2") + "0\nSEQEND\n",
                     {}},
        PolylineCase{"TwoVertices",
                     "0\nPOLYLINE\n" + vertex("1", "2") + vertex("3", "4") + "0\nSEQEND\n",
                     {{1, 2}, {3, 4}}},
        // Equal neighbours are kept as the file has them.
        PolylineCase{"RepeatedVertex",
                     "0\nPOLYLINE\n" + vertex("1", "2") + vertex("1", "2") + "0\nSEQEND\n",
                     {{1, 2}, {1, 2}}},
        PolylineCase{"ClosedFlagAddsTheFirstPoint",
                     "0\nPOLYLINE\n70\n1\n" + kTriangle + "0\nSEQEND\n", kClosedTriangle},
        PolylineCase{"OddFlagsClose", "0\nPOLYLINE\n70\n129\n" + kTriangle + "0\nSEQEND\n",
                     kClosedTriangle},
        PolylineCase{"EvenFlagsLeaveItOpen", "0\nPOLYLINE\n70\n8\n" + kTriangle + "0\nSEQEND\n",
                     kOpenTriangle},
        PolylineCase{"ClosedAlreadyIsNotClosedTwice",
                     "0\nPOLYLINE\n70\n1\n" + kTriangle + vertex("0", "0") + "0\nSEQEND\n",
                     kClosedTriangle},
        // The flags of a vertex (AutoCAD writes 0, GDAL 32) are not the
        // line's: they neither open a closed line nor close an open one.
        PolylineCase{"VertexFlagsKeepItClosed",
                     "0\nPOLYLINE\n70\n1\n0\nVERTEX\n10\n0\n20\n0\n70\n0\n0\nVERTEX\n10\n1\n20\n"
                     "0\n70\n0\n0\nVERTEX\n10\n1\n20\n1\n70\n0\n0\nSEQEND\n",
                     kClosedTriangle},
        PolylineCase{"VertexFlagsKeepItOpen",
                     "0\nPOLYLINE\n70\n0\n0\nVERTEX\n10\n0\n20\n0\n70\n1\n0\nVERTEX\n10\n1\n20\n"
                     "0\n70\n1\n0\nVERTEX\n10\n1\n20\n1\n70\n1\n0\nSEQEND\n",
                     kOpenTriangle},
        // The polyline's own point (its elevation) is no vertex.
        PolylineCase{"PolylinePointIsNoVertex",
                     "0\nPOLYLINE\n10\n0\n20\n0\n30\n0\n" + kTriangle + "0\nSEQEND\n",
                     kOpenTriangle},
        PolylineCase{"FirstCoordinatesOfAVertexCount",
                     "0\nPOLYLINE\n0\nVERTEX\n10\n1\n20\n2\n10\n9\n20\n9\n30\n5\n0\nVERTEX\n20\n4\n"
                     "10\n3\n0\nSEQEND\n",
                     {{1, 2}, {3, 4}}},
        PolylineCase{"MissingCoordinatesAreZero",
                     "0\nPOLYLINE\n0\nVERTEX\n10\n1\n0\nVERTEX\n20\n2\n0\nSEQEND\n",
                     {{1, 0}, {0, 2}}},
        PolylineCase{"OtherEntitiesInsideAreSkipped",
                     "0\nPOLYLINE\n" + vertex("1", "2") + "0\nLINE\n10\n7\n20\n7\n11\n8\n21\n8\n" +
                         vertex("3", "4") + "0\nTEXT\n10\n9\n20\n9\n1\nLabel\n0\nSEQEND\n",
                     {{1, 2}, {3, 4}}},
        PolylineCase{"NumberForms",
                     "0\nPOLYLINE\n0\nVERTEX\n10\n  +1.5E2 trailing words\n20\n-2.5e-3\n0\nVERTEX\n"
                     "10\n.5\n20\n7.\n0\nSEQEND\n",
                     {{150, -0.0025}, {0.5, 7}}},
        PolylineCase{"KeywordsInAnyCase",
                     "0\npolyline\n0\nVertex\n10\n1\n20\n2\n0\nvertex\n10\n3\n20\n4\n0\nSeqEnd\n",
                     {{1, 2}, {3, 4}}},
        PolylineCase{"WindowsLineEndsAndIndentedCodes",
                     "  0\r\nPOLYLINE\r\n  0\r\nVERTEX\r\n 10\r\n1\r\n 20\r\n2\r\n  0\r\nVERTEX\r\n"
                     " 10\r\n3\r\n 20\r\n4\r\n  0\r\nSEQEND\r\n",
                     {{1, 2}, {3, 4}}}),
    [](const ::testing::TestParamInfo<PolylineCase>& p) { return std::string(p.param.name); });

TEST(DxfRead, StyleLabelsSetTheirValuesOnly) {
    const std::string text = inGroup(
        "0\nPOLYLINE\n999\nline_width\n999\n7\n999\nLINE_COLOR\n5\n-12\n999\nLine_Type\n999\n2\n"
        "999\nFill_Color\n999\n  66051  more\n999\nLine_Name\n999\n  Ручей  "
        "левый\n999\nOther\n999\n"
        "13\n" +
        vertex("1", "2") + vertex("3", "4") + "0\nSEQEND\n");
    Bush target;
    ASSERT_TRUE(readDxfText(text, target, "style.dxf"));
    ASSERT_EQ(target.itemCount(), 1u);
    const Line& line = *target.item(0).line();
    LineStyle expected = style(2, -12, 66051, 7);
    EXPECT_EQ(line.style, expected);
    EXPECT_EQ(line.name, "Ручей");
}

// A file from another program: a header section, handles, subclass
// markers, a closed 2D polyline with vertex flags, LINE, LWPOLYLINE, TEXT
// and a 3D polyline. Only the POLYLINEs are ours.
TEST(DxfRead, OtherEntitiesOfAForeignFileAreSkipped) {
    const std::string text =
        "  0\nSECTION\n  2\nHEADER\n  9\n$ACADVER\n  1\nAC1009\n  9\n$EXTMIN\n 10\n0.0\n 20\n0.0\n"
        "  0\nENDSEC\n  0\nSECTION\n  2\nTABLES\n  0\nTABLE\n  2\nLAYER\n 70\n1\n  0\nLAYER\n"
        "  2\n0\n 70\n0\n 62\n7\n  6\nCONTINUOUS\n  0\nENDTAB\n  0\nENDSEC\n"
        "  0\nSECTION\n  2\nENTITIES\n"
        "  0\nLINE\n  5\n1F\n  8\n0\n 10\n100.0\n 20\n200.0\n 30\n0.0\n 11\n300.0\n 21\n400.0\n"
        "  0\nLWPOLYLINE\n  5\n20\n100\nAcDbEntity\n  8\n0\n100\nAcDbPolyline\n 90\n3\n 70\n1\n"
        " 10\n1.0\n 20\n1.0\n 10\n2.0\n 20\n1.0\n 10\n2.0\n 20\n2.0\n"
        "  0\nPOLYLINE\n  5\n21\n  8\nContours\n 66\n1\n 10\n0.0\n 20\n0.0\n 30\n0.0\n 70\n1\n"
        "  0\nVERTEX\n  5\n22\n  8\nContours\n 10\n5432123.4\n 20\n7000000.25\n 30\n0.0\n 70\n0\n"
        "  0\nVERTEX\n  5\n23\n  8\nContours\n 10\n5432200.0\n 20\n7000000.25\n 30\n0.0\n 70\n0\n"
        "  0\nVERTEX\n  5\n24\n  8\nContours\n 10\n5432200.0\n 20\n7000100.5\n 30\n0.0\n 70\n0\n"
        "  0\nSEQEND\n  5\n25\n  8\nContours\n"
        "  0\nTEXT\n  5\n26\n  8\n0\n 10\n50.0\n 20\n60.0\n 40\n2.5\n  1\n999\n"
        "  0\nPOLYLINE\n  5\n27\n100\nAcDbEntity\n  8\n0\n100\nAcDb3dPolyline\n 66\n1\n 70\n8\n"
        "  0\nVERTEX\n  5\n28\n100\nAcDbEntity\n100\nAcDbVertex\n100\nAcDb3dPolylineVertex\n"
        " 10\n-1.5\n 20\n2.0\n 30\n10.0\n 70\n32\n"
        "  0\nVERTEX\n  5\n29\n100\nAcDbEntity\n100\nAcDbVertex\n100\nAcDb3dPolylineVertex\n"
        " 10\n3.0\n 20\n4.0\n 30\n11.0\n 70\n32\n"
        "  0\nSEQEND\n  5\n2A\n"
        "  0\nENDSEC\n  0\nEOF\n";
    auto target = filledTarget();
    ASSERT_TRUE(readDxfText(text, *target, "foreign.dxf"));
    EXPECT_EQ(target->name(), "Линии");
    EXPECT_EQ(target->itemCount(), 1u);
    ASSERT_EQ(target->childCount(), 3u);
    EXPECT_EQ(target->child(1).item(0).line()->points(), (std::vector<P>{{5432123.4, 7000000.25},
                                                                         {5432200.0, 7000000.25},
                                                                         {5432200.0, 7000100.5},
                                                                         {5432123.4, 7000000.25}}));
    EXPECT_EQ(target->child(2).item(0).line()->points(), (std::vector<P>{{-1.5, 2}, {3, 4}}));
}

// "0 EOF" ends the reading: what follows it is no part of the drawing.
TEST(DxfRead, NothingAfterTheEndIsRead) {
    const std::string line = "0\nPOLYLINE\n" + vertex("1", "2") + vertex("3", "4") + "0\nSEQEND\n";
    Bush target;
    ASSERT_TRUE(readDxfText(line + "0\nEOF\n\n" + line + "garbage", target, "end.dxf"));
    EXPECT_EQ(target.childCount(), 1u);
}

// Lines of 1024 bytes are read; one byte more and the file is not.
TEST(DxfRead, LinesMayHoldUpToTheLimit) {
    const std::string longValue(kMaxDxfLineBytes, 'x');
    const std::string longCode = std::string(kMaxDxfLineBytes - 1, ' ') + "0";
    const std::string line = longCode + "\nPOLYLINE\n999\n" + longValue + "\n" + vertex("1", "2") +
                             vertex("3", "4") + "0\nSEQEND\n";
    Bush target;
    ASSERT_TRUE(readDxfText(line, target, "long.dxf"));
    EXPECT_EQ(target.childCount(), 1u);
    testing::RecordingBoxes boxes;
    EXPECT_FALSE(readDxfText(" " + line, target, "long.dxf"));
    EXPECT_FALSE(readDxfText("999\nx" + longValue + "\n", target, "long.dxf"));
    EXPECT_EQ(target.childCount(), 1u);
}

// Groups nested as deep as a document's sections may be read; one deeper
// and the file is refused (a hostile file cannot use up the stack).
TEST(DxfRead, GroupsNestAsDeepAsSections) {
    const auto nested = [](int depth) {
        std::string text = "999\nGroup_Name\n999\nRoot\n";
        for (int i = 0; i < depth; ++i) text += "999\nGroup_Name\n999\nLevel\n";
        for (int i = 0; i <= depth; ++i) text += "999\nGroup_End\n";
        return text;
    };
    Bush target;
    ASSERT_TRUE(readDxfText(nested(kMaxSectionDepth), target, "deep.dxf"));
    int depth = 0;
    for (const Bush* b = &target; b->childCount() == 1; b = &b->child(0)) ++depth;
    EXPECT_EQ(depth, kMaxSectionDepth);

    auto filled = filledTarget();
    testing::RecordingBoxes boxes;
    EXPECT_FALSE(readDxfText(nested(kMaxSectionDepth + 1), *filled, "deeper.dxf"));
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{kCannotRead + "deeper.dxf"});
    EXPECT_FALSE(readDxfText(nested(100000), *filled, "deeper.dxf"));
    EXPECT_EQ(filled->childCount(), 1u);
}

// Damaged and hostile texts: nothing read, the failure said, the target
// as it was.
struct BadCase {
    const char* name;
    std::string text;
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class DxfDamaged : public ::testing::TestWithParam<BadCase> {};

TEST_P(DxfDamaged, IsNotReadAndChangesNothing) {
    auto target = filledTarget();
    testing::RecordingBoxes boxes;
    EXPECT_FALSE(readDxfText(GetParam().text, *target, "damaged.dxf"));
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{kCannotRead + "damaged.dxf"});
    EXPECT_EQ(target->name(), "Линии");
    ASSERT_EQ(target->itemCount(), 1u);
    EXPECT_EQ(target->item(0).line()->name, "Старая");
    ASSERT_EQ(target->childCount(), 1u);
    EXPECT_EQ(target->child(0).name(), "Прежняя");
    EXPECT_EQ(target->child(0).itemCount(), 0u);
    EXPECT_EQ(target->child(0).childCount(), 0u);
}

const std::string kNul(1, '\0');
const std::string kGoodLine = "0\nPOLYLINE\n" + vertex("1", "2") + vertex("3", "4") + "0\nSEQEND\n";

INSTANTIATE_TEST_SUITE_P(
    Dxf, DxfDamaged,
    ::testing::Values(
        BadCase{"EndsInsideAPolyline", kGoodLine + "0\nPOLYLINE\n" + vertex("1", "2")},
        BadCase{"EndsInsideAVertex", "0\nPOLYLINE\n0\nVERTEX\n10\n1\n"},
        BadCase{"EndsInsideTheGroup", kSampleText.substr(0, kSampleText.rfind("999\nGroup_End"))},
        BadCase{"EndsInsideAChild", "999\nGroup_Name\n999\nA\n999\nGroup_Name\n999\nB\n" +
                                        kGoodLine + "999\nGroup_End\n"},
        BadCase{"EndOfFileInAChild", "999\nGroup_Name\n999\nA\n999\nGroup_Name\n999\nB\n0\nEOF\n"},
        BadCase{"ValueLineMissing", kGoodLine + "0\nSECTION\n2"},
        BadCase{"GroupNameMissing", kGoodLine + "999\nGroup_Name\n"},
        BadCase{"ChildNameMissing", "999\nGroup_Name\n999\nA\n999\nGroup_Name\n"},
        BadCase{"CodeIsAWord", kGoodLine + "zero\nPOLYLINE\n"},
        BadCase{"CodeIsEmpty", "0\nSECTION\n\nENTITIES\n"},
        BadCase{"CodeIsAFraction", "0.5\nSECTION\n"},
        BadCase{"CodeOverflows", "99999999999\nSECTION\n"},
        BadCase{"CodeLineTooLong", std::string(kMaxDxfLineBytes, ' ') + "0\nSECTION\n"},
        BadCase{"SkippedValueTooLong", "999\n" + std::string(kMaxDxfLineBytes + 1, 'a') + "\n"},
        BadCase{"HugeLine", "999\n" + std::string(std::size_t{3} << 20, 'a') + "\n"},
        BadCase{"XIsNoNumber", "0\nPOLYLINE\n0\nVERTEX\n10\nabc\n20\n1\n0\nSEQEND\n"},
        BadCase{"YWithADecimalComma", "0\nPOLYLINE\n0\nVERTEX\n10\n1\n20\n1,5\n0\nSEQEND\n"},
        BadCase{"XOverflows", "0\nPOLYLINE\n0\nVERTEX\n10\n1e999\n20\n1\n0\nSEQEND\n"},
        BadCase{"XIsEmpty", "0\nPOLYLINE\n0\nVERTEX\n10\n\n20\n1\n0\nSEQEND\n"},
        BadCase{"FlagsAreNoNumber", "0\nPOLYLINE\n70\nclosed\n0\nSEQEND\n"},
        BadCase{"ColourIsNoNumber", "0\nPOLYLINE\n999\nLine_Color\n999\nred\n0\nSEQEND\n"},
        BadCase{"WidthIsAFraction", "0\nPOLYLINE\n999\nLine_Width\n999\n1.5\n0\nSEQEND\n"},
        BadCase{"StyleValueMissing", "0\nPOLYLINE\n999\nLine_Type\n"},
        BadCase{"NameMissing", "0\nPOLYLINE\n999\nLine_Name\n"},
        BadCase{"NulInACoordinate",
                "0\nPOLYLINE\n0\nVERTEX\n10\n" + kNul + "1\n20\n1\n0\nSEQEND\n"},
        BadCase{"BinaryBytes", "\x89PNG\r\n\x1a\n" + kNul + kNul + kNul + "\rIHDR"}),
    [](const ::testing::TestParamInfo<BadCase>& p) { return std::string(p.param.name); });

TEST(DxfRead, AMissingFileIsReported) {
    const std::string missing = pathIn("missing.dxf");
    Bush target;
    testing::RecordingBoxes boxes;
    EXPECT_FALSE(readDxfFile(missing, target));
    EXPECT_EQ(boxes.warnings,
              std::vector<std::string>{"Нельзя открыть файл " + missing + " для считывания"});
}

TEST(DxfRead, AByteOrderMarkIsNoPartOfTheFirstCode) {
    Bush target;
    ASSERT_TRUE(readDxfText("\xEF\xBB\xBF" + kGoodLine, target, "bom.dxf"));
    EXPECT_EQ(target.childCount(), 1u);
}

// --- Peers ---------------------------------------------------------------------

struct RunResult {
    int status = -1;
    std::string output;
};

// Runs a shell command; its standard output (and error, where the command
// sends it there).
RunResult run(const std::string& command) {
    RunResult r;
    std::FILE* p = ::popen(command.c_str(), "r");
    if (p == nullptr) return r;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), p)) > 0)
        r.output.append(buffer.data(), n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

bool haveCommand(const std::string& name) {
    return run("command -v " + name + " >/dev/null 2>&1").status == 0;
}

std::string quoted(const std::string& path) { return "'" + path + "'"; }

double number(const std::string& s) { return std::strtod(s.c_str(), nullptr); }

// A peer's file, read with a parser of the test's own: the vertices of
// every POLYLINE (the first 10 and 20 of each VERTEX) and how many
// entities of each kind the ENTITIES section holds.
struct PeerFile {
    std::vector<std::vector<P>> polylines;
    std::size_t lwpolylines = 0;
};

PeerFile parsePeerFile(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    PeerFile f;
    bool inEntities = false;
    bool inPolyline = false;
    bool inVertex = false;
    bool haveX = false, haveY = false;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        const int code = std::atoi(lines[i].c_str());
        const std::string& value = lines[i + 1];
        if (code == 2 && value == "ENTITIES") inEntities = true;
        if (!inEntities) continue;
        if (code == 0) {
            inVertex = false;
            if (value == "LWPOLYLINE") ++f.lwpolylines;
            if (value == "POLYLINE") {
                inPolyline = true;
                f.polylines.emplace_back();
            } else if (value == "SEQEND") {
                inPolyline = false;
            } else if (value == "VERTEX" && inPolyline) {
                inVertex = true;
                haveX = haveY = false;
                f.polylines.back().push_back({});
            }
        } else if (inVertex && code == 10 && !haveX) {
            f.polylines.back().back().x = number(value);
            haveX = true;
        } else if (inVertex && code == 20 && !haveY) {
            f.polylines.back().back().y = number(value);
            haveY = true;
        }
    }
    return f;
}

// The lines our reader made of a peer's file: one group each.
std::vector<std::vector<P>> linesOfGroups(const Bush& target) {
    std::vector<std::vector<P>> lines;
    for (std::size_t i = 0; i < target.childCount(); ++i) {
        const Bush& g = target.child(i);
        EXPECT_EQ(g.itemCount(), 1u);
        if (g.itemCount() == 1) lines.push_back(g.item(0).line()->points());
    }
    return lines;
}

std::vector<std::vector<std::uint64_t>> bitsOfAll(const std::vector<std::vector<P>>& lines) {
    std::vector<std::vector<std::uint64_t>> bits;
    for (const auto& l : lines) bits.push_back(bitsOf(l));
    return bits;
}

// ezdxf's recovering reader and its audit take our minimal file (no HEADER
// section) without an error, and read our coordinates to the bit.
TEST(DxfPeer, EzdxfAuditsOurFileWithoutErrors) {
    if (run("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1").status != 0) {
        GTEST_SKIP() << "python3 with ezdxf is not installed (Debian: python3-ezdxf)";
    }
    const std::string path = pathIn("tree.dxf");
    ASSERT_TRUE(writeDxfGroup(path, *sampleTree()));
    const std::string script =
        "import sys\n"
        "from ezdxf import recover\n"
        "doc, auditor = recover.readfile(sys.argv[1])\n"
        "print(\"errors\", len(auditor.errors))\n"
        "for e in auditor.errors: print(\"error\", e.message)\n"
        "for e in doc.modelspace().query(\"POLYLINE\"):\n"
        "    print(\"polyline\", int(e.is_closed))\n"
        "    for v in e.vertices: print(\"vertex\", repr(v.dxf.location.x), "
        "repr(v.dxf.location.y))\n";
    const RunResult r = run("/usr/bin/python3 -c '" + script + "' " + quoted(path) + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    std::istringstream out(r.output);
    std::vector<std::vector<P>> lines;
    std::vector<int> closed;
    std::string errors = "none";
    for (std::string word; out >> word;) {
        if (word == "errors") {
            out >> errors;
        } else if (word == "polyline") {
            int c = 0;
            out >> c;
            closed.push_back(c);
            lines.emplace_back();
        } else if (word == "vertex" && !lines.empty()) {
            std::string x, y;
            out >> x >> y;
            lines.back().push_back({number(x), number(y)});
        }
    }
    EXPECT_EQ(errors, "0") << r.output;
    EXPECT_EQ(closed, (std::vector<int>{0, 1})) << r.output;
    EXPECT_EQ(bitsOfAll(lines), bitsOfAll({kRiver, kSquare})) << r.output;
}

// ogrinfo lists our polylines as line strings of our vertices (it prints
// 15 significant digits, which our coordinates need no more than).
TEST(DxfPeer, OgrinfoListsOurPolylines) {
    if (!haveCommand("ogrinfo")) GTEST_SKIP() << "ogrinfo is not installed (Debian: gdal-bin)";
    const std::string path = pathIn("tree.dxf");
    ASSERT_TRUE(writeDxfGroup(path, *sampleTree()));
    const RunResult r = run("ogrinfo -ro -al -q " + quoted(path) + " 2>/dev/null");
    ASSERT_EQ(r.status, 0) << r.output;
    std::vector<std::vector<P>> lines;
    std::istringstream out(r.output);
    for (std::string l; std::getline(out, l);) {
        const std::size_t open = l.find("LINESTRING (");
        if (open == std::string::npos) continue;
        const std::size_t close = l.find(')', open);
        std::string inner = l.substr(open + 12, close - open - 12);
        for (char& c : inner) {
            if (c == ',') c = ' ';
        }
        std::istringstream coordinates(inner);
        lines.emplace_back();
        for (std::string x, y; coordinates >> x >> y;)
            lines.back().push_back({number(x), number(y)});
    }
    EXPECT_EQ(bitsOfAll(lines), bitsOfAll({kRiver, kSquare})) << r.output;
}

// A small grid in ESRI ASCII form: rows from the top, cells 12.5 wide,
// far from the origin as map coordinates are.
std::string writeAsciiGrid() {
    return testing::writeFile("grid.asc",
                              "ncols 5\nnrows 4\nxllcorner 5432100\nyllcorner 200\n"
                              "cellsize 12.5\nNODATA_value -9999\n"
                              "1 2 3 4 5\n2 3 4 5 6\n3 4 5 6 7\n7 6 5 4 3\n");
}

// gdal_contour writes its isolines as LWPOLYLINE entities, which our
// reader leaves to other programs by design: the file reads, and every
// POLYLINE it holds (none from GDAL 3.6) is ours, vertex for vertex.
TEST(DxfPeer, GdalContourFileReadsAsItsPolylines) {
    if (!haveCommand("gdal_contour")) {
        GTEST_SKIP() << "gdal_contour is not installed (Debian: gdal-bin)";
    }
    const std::string grid = writeAsciiGrid();
    const std::string path = pathIn("contours.dxf");
    const RunResult r =
        run("gdal_contour -q -i 1.5 -f DXF " + quoted(grid) + " " + quoted(path) + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.output;
    const PeerFile peer = parsePeerFile(readFile(path));
    ASSERT_GT(peer.lwpolylines + peer.polylines.size(), 0u) << "no isoline was traced";

    Bush target("Изолинии");
    ASSERT_TRUE(readDxfFile(path, target));
    std::vector<std::vector<P>> expected;
    for (const auto& l : peer.polylines) {
        if (l.size() >= 2) expected.push_back(l);
    }
    EXPECT_EQ(bitsOfAll(linesOfGroups(target)), bitsOfAll(expected));
    EXPECT_EQ(target.itemCount(), 0u);
}

// GDAL writes POLYLINE entities for 3D lines whose heights differ: the
// isolines of gdal_contour given a height per vertex and written by ogr2ogr
// come to us as GDAL's file text has them, past its handles, subclass
// markers, the polyline's own point and its vertex flags.
TEST(DxfPeer, Ogr2ogrPolylinesOfGdalIsolinesReadVertexForVertex) {
    if (!haveCommand("gdal_contour") || !haveCommand("ogr2ogr")) {
        GTEST_SKIP() << "gdal_contour or ogr2ogr is not installed (Debian: gdal-bin)";
    }
    const std::string grid = writeAsciiGrid();
    const std::string csv = pathIn("contours.csv");
    const RunResult traced = run("gdal_contour -q -3d -i 1.5 -f CSV -lco GEOMETRY=AS_WKT " +
                                 quoted(grid) + " " + quoted(csv) + " 2>&1");
    ASSERT_EQ(traced.status, 0) << traced.output;

    // Each vertex's height becomes its index.
    std::string lines3d = "WKT,ID\n";
    std::istringstream in(readFile(csv));
    std::size_t traced3d = 0;
    for (std::string l; std::getline(in, l);) {
        const std::size_t open = l.find("LINESTRING Z (");
        if (open == std::string::npos) continue;
        const std::size_t close = l.find(')', open);
        std::istringstream vertices(l.substr(open + 14, close - open - 14));
        std::string wkt = "LINESTRING Z (";
        int index = 0;
        for (std::string v; std::getline(vertices, v, ',');) {
            std::istringstream xyz(v);
            std::string x, y;
            xyz >> x >> y;
            wkt += (index > 0 ? "," : "") + x + " " + y + " " + std::to_string(index);
            ++index;
        }
        lines3d += "\"" + wkt + ")\"," + std::to_string(++traced3d) + "\n";
    }
    ASSERT_GT(traced3d, 0u) << "no isoline was traced";
    const std::string input = testing::writeFile("lines3d.csv", lines3d);
    const std::string path = pathIn("polylines.dxf");
    const RunResult written =
        run("ogr2ogr -f DXF " + quoted(path) + " " + quoted(input) + " 2>/dev/null");
    ASSERT_EQ(written.status, 0);
    const PeerFile peer = parsePeerFile(readFile(path));
    ASSERT_EQ(peer.polylines.size(), traced3d);

    Bush target("Изолинии");
    ASSERT_TRUE(readDxfFile(path, target));
    EXPECT_EQ(bitsOfAll(linesOfGroups(target)), bitsOfAll(peer.polylines));
}

}  // namespace
}  // namespace gridova
