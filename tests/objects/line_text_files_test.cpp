// The text files of lines, groups and line lists: the layouts against text
// written by hand, write → read → write, the older layouts, and damaged or
// foreign files.
#include "objects/line_text_files.h"

#include <gtest/gtest.h>

#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::lastLogged;

using P = LinePoint;

constexpr const char* kNotLineList = "Файл не имеет определенный формат линий!";

Line styledLine(std::string name, std::vector<P> points) {
    Line l(std::move(points));
    l.name = std::move(name);
    l.style = {LineStyle::kFilled, 255, 65280, -3, 5, 2, 2};
    l.value = 0.1;
    return l;
}

std::string lineText(const Line& l) {
    std::string s;
    appendLineText(s, l);
    return s;
}

std::string groupText(const Bush& b) {
    std::string s;
    appendGroupText(s, b);
    return s;
}

TEST(LineText, LayoutMatchesTextWrittenByHand) {
    const Line l = styledLine("Ось 1", {{0.1, -2}, {1e-300, 1.0 / 3}});
    const std::string expected =
        "Line04:\nLine Name:\nОсь 1\nPoints Count:\n2\n2DPoints:\n"
        "0.1 -2\n1e-300 0.3333333333333333\n"
        "Line Color (RGB):\n255\nLine Width (Pixels):\n2\nSolid (0 or 1):\n1\n"
        "Fill Color (RGB):\n65280\nHatch:\n5\nPattern Color (RGB):\n-3\nPen Style:\n2\n";
    EXPECT_EQ(lineText(l), expected);

    TextLineSource source(expected);
    const std::optional<Line> back = readLineText(source);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->points(), l.points());  // exact, not six digits
    EXPECT_EQ(back->style, l.style);
    EXPECT_EQ(back->name, "Ось 1");
    EXPECT_EQ(lineText(*back), expected);
}

TEST(LineText, OlderAndForeignFilesRead) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<P> points;
        LineStyle style;
        std::string lineName;
    };
    LineStyle old;  // "Line03:" ends after the fill colour
    old.colorLine = 16711680;
    old.widthLine = 1;
    old.typeDraw = 0;
    old.fillColor = 255;
    LineStyle full = old;
    full.hatch = 0;
    full.patternColor = 7;
    full.penStyle = 4;
    const Case cases[] = {
        {"Line03 with six digits",
         "Line03:\nLine Name:\nРека\nPoints Count:\n2\n2DPoints:\n1.23457e+06 -0.333333\n"
         "0 7\nLine Color (RGB):\n16711680\nLine Width (Pixels):\n1\nSolid (0 or 1):\n0\n"
         "Fill Color (RGB):\n255\n",
         {{1.23457e+06, -0.333333}, {0, 7}},
         old,
         "Река"},
        {"Line04 from Windows: CRLF, Windows-1251 name, tabs, two points on a line",
         "Line04:\r\nLine Name:\r\n\xC3\xF0\xE0\xED\xE8\xF6\xE0\r\nPoints Count:\r\n3\r\n"
         "2DPoints:\r\n1\t2 3 4\r\n5 6\r\nLine Color (RGB):\r\n16711680\r\n"
         "Line Width (Pixels):\r\n1\r\nSolid (0 or 1):\r\n0\r\nFill Color (RGB):\r\n255\r\n"
         "Hatch:\r\n0\r\nPattern Color (RGB):\r\n7\r\nPen Style:\r\n4\r\n",
         {{1, 2}, {3, 4}, {5, 6}},
         full,
         "Граница"},
        {"no points, empty name",
         "Line04:\nLine Name:\n\nPoints Count:\n0\n2DPoints:\nLine Color (RGB):\n16711680\n"
         "Line Width (Pixels):\n1\nSolid (0 or 1):\n0\nFill Color (RGB):\n255\nHatch:\n0\n"
         "Pattern Color (RGB):\n7\nPen Style:\n4\n",
         {},
         full,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextLineSource source(c.text);
        const std::optional<Line> l = readLineText(source);
        ASSERT_TRUE(l.has_value());
        EXPECT_EQ(l->points(), c.points);
        EXPECT_EQ(l->style, c.style);
        EXPECT_EQ(l->name, c.lineName);
    }
}

TEST(LineText, DamagedTextsGiveNoLine) {
    const std::string good = lineText(styledLine("a", {{1, 2}, {3, 4}}));
    const auto replaced = [&](std::string_view from, std::string_view to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return s;
    };
    const std::string cases[] = {
        replaced("Points Count:\n2", "Points Count:\n3"),   // a point short
        replaced("Points Count:\n2", "Points Count:\n-1"),  // negative count
        replaced("Points Count:\n2", "Points Count:\n2000000000"),
        replaced("3 4\n", "3 x\n"),                   // not a number
        replaced("Pen Style:\n2\n", "Pen Style:\n"),  // value missing
        replaced("Line04:", "Line05:"),               // another layout
        good.substr(0, good.size() / 2),
        "",
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        TextLineSource source(text);
        EXPECT_FALSE(readLineText(source).has_value());
    }
}

std::string repeated(std::string_view s, std::size_t n) {
    std::string r;
    for (std::size_t i = 0; i < n; ++i) r += s;
    return r;
}

TEST(LineText, NamesAreCutTo126AndGroupNamesTo127Characters) {
    // 140 characters, the last 40 of two bytes each.
    const std::string longName = repeated("x", 100) + repeated("Ж", 40);
    const std::string lineFile = lineText(styledLine(longName, {{0, 0}}));
    TextLineSource lineSource(lineFile);
    const std::optional<Line> l = readLineText(lineSource);
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(*l->name, repeated("x", 100) + repeated("Ж", 26));

    const std::string groupFile = "Group03:\nGroup Name:\n" + longName + "\nGroup_End\n";
    TextLineSource groupSource(groupFile);
    const std::unique_ptr<Bush> g = readGroupText(groupSource);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->name(), repeated("x", 100) + repeated("Ж", 27));
}

std::unique_ptr<Bush> sampleGroup() {
    auto root = std::make_unique<Bush>("Карта");
    root->addItem(BushItem(styledLine("Граница", {{0, 0}, {10, 0}, {10, 10}, {0, 0}})));
    PointSet set;  // no text form: left out
    set.setName("Точки");
    set.addPoint(1, 1, 1);
    root->addItem(BushItem(std::move(set)));
    root->addItem(BushItem(styledLine("Река", {{0.5, 0.25}, {2.75, 1e6}})));
    Bush& child = root->addChild(std::make_unique<Bush>("Участок"));
    child.addItem(BushItem(styledLine("Скв", {{5, 5}})));
    child.addChild(std::make_unique<Bush>("Пусто"));
    root->addChild(std::make_unique<Bush>("Второй"));
    return root;
}

TEST(GroupText, WriteReadWriteGivesTheSameText) {
    const std::unique_ptr<Bush> group = sampleGroup();
    const std::string first = groupText(*group);
    TextLineSource source(first);
    const std::unique_ptr<Bush> back = readGroupText(source);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(groupText(*back), first);
    EXPECT_EQ(back->name(), "Карта");
    ASSERT_EQ(back->itemCount(), 2u);  // the point set has no text form
    EXPECT_EQ(back->item(1).line()->points(), (std::vector<P>{{0.5, 0.25}, {2.75, 1e6}}));
    ASSERT_EQ(back->childCount(), 2u);
    EXPECT_EQ(back->child(0).name(), "Участок");
    EXPECT_EQ(back->child(0).child(0).name(), "Пусто");
    EXPECT_EQ(back->child(1).name(), "Второй");
    EXPECT_EQ(back->child(0).parent(), back.get());
}

TEST(GroupText, FixtureWithOldLinesAndNamesToMakeUnique) {
    // Written by hand: a Line03 and a Line04 of the same name in one group,
    // a nested group without a name, blank lines between words.
    const std::string text =
        "Group03:\nGroup Name:\nСтарая\n"
        "Line03:\nLine Name:\nЛиния\nPoints Count:\n1\n2DPoints:\n1 1\n"
        "Line Color (RGB):\n0\nLine Width (Pixels):\n0\nSolid (0 or 1):\n0\n"
        "Fill Color (RGB):\n16777215\n\n"
        "Line04:\nLine Name:\nЛиния\nPoints Count:\n1\n2DPoints:\n2 2\n"
        "Line Color (RGB):\n0\nLine Width (Pixels):\n0\nSolid (0 or 1):\n0\n"
        "Fill Color (RGB):\n16777215\nHatch:\n3\nPattern Color (RGB):\n0\nPen Style:\n0\n"
        "Group03:\nGroup Name:\n\nGroup_End\n"
        "Group_End\n";
    TextLineSource source(text);
    const std::unique_ptr<Bush> g = readGroupText(source);
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->name(), "Старая");
    ASSERT_EQ(g->itemCount(), 2u);
    EXPECT_EQ(g->item(0).line()->name, "Линия");
    EXPECT_EQ(g->item(1).line()->name, "Линия1");  // the next automatic name
    ASSERT_EQ(g->childCount(), 1u);
    EXPECT_EQ(g->child(0).name(), "Группа");  // no name: the first group name
}

TEST(GroupText, DamagedOrTooDeepGroupsAreRefused) {
    const auto nested = [](int depth) {
        std::string s;
        for (int i = 0; i <= depth; ++i) s += "Group03:\nGroup Name:\ng" + std::to_string(i) + "\n";
        for (int i = 0; i <= depth; ++i) s += "Group_End\n";
        return s;
    };
    struct Case {
        const char* name;
        std::string text;
        bool ok;
    };
    const Case cases[] = {
        {"groups nested as deep as allowed", nested(kMaxSectionDepth), true},
        {"one level deeper", nested(kMaxSectionDepth + 1), false},
        {"no Group_End", "Group03:\nGroup Name:\na\n", false},
        {"an unknown word", "Group03:\nGroup Name:\na\nLine05:\nGroup_End\n", false},
        {"a damaged line inside",
         "Group03:\nGroup Name:\na\nLine04:\nLine Name:\nb\nPoints Count:\nmany\nGroup_End\n",
         false},
        {"another tag", "Group02:\nGroup Name:\na\nGroup_End\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TextLineSource source(c.text);
        EXPECT_EQ(readGroupText(source) != nullptr, c.ok);
    }
}

LineList sampleList() {
    LineList list;
    Line border = styledLine("", {{0, 0}, {100.5, 0}, {100.5, 1.0 / 3}, {0, 0}});
    border.value = 1234.5678;
    list.add(border);
    list.add(Line());  // no points
    Line band({{-1e-7, 2}, {3, 4}});
    band.style.colorLine = -4;  // a palette entry
    band.value = -0.1;
    list.add(band);
    return list;
}

TEST(LineListText, LayoutAndWriteReadWrite) {
    const LineList list = sampleList();
    const std::string expected =
        "Linies:01\n3\n"
        "4\n0 0\n100.5 0\n100.5 0.3333333333333333\n0 0\n255 65280 1 2\n1234.5678\n"
        "0\n0 16777215 0 0\n0\n"
        "2\n-1e-07 2\n3 4\n-4 16777215 0 0\n-0.1\n";
    EXPECT_EQ(lineListText(list), expected);
    TextLineSource source(expected);
    LineList back;
    ASSERT_TRUE(readLineListText(source, back));
    EXPECT_EQ(lineListText(back), expected);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back.line(0)->value, 1234.5678);
    EXPECT_EQ(back.line(2)->points()[0].x, -1e-7);
    EXPECT_EQ(back.extent(), list.extent());
}

TEST(LineListText, OlderLayoutsRead) {
    // "%.6lg" points and "%lg" values, as older files hold them.
    TextLineSource six(
        "Linies:01\n1\n3\n0.333333 1.23457e+06\n2 2\n0.333333 1.23457e+06\n"
        "255 65280 1 2\n12.5\n");
    LineList a;
    ASSERT_TRUE(readLineListText(six, a));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a.line(0)->points(),
              (std::vector<P>{{0.333333, 1.23457e+06}, {2, 2}, {0.333333, 1.23457e+06}}));
    EXPECT_EQ(a.line(0)->style.fillColor, 65280);
    EXPECT_EQ(a.line(0)->value, 12.5);

    // "Linies:00": counts and points only; the style stays the default.
    TextLineSource bare("Linies:00\r\n2\r\n2\r\n1 2\r\n3 4\r\n1\r\n5 6\r\n");
    LineList b;
    ASSERT_TRUE(readLineListText(bare, b));
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b.line(0)->points(), (std::vector<P>{{1, 2}, {3, 4}}));
    EXPECT_EQ(b.line(1)->points(), (std::vector<P>{{5, 6}}));
    EXPECT_EQ(b.line(1)->style, LineStyle());
    EXPECT_EQ(b.line(1)->value, 0);
}

TEST(LineListText, RefusedListsLeaveTheListAsItWas) {
    struct Case {
        const char* name;
        std::string text;
        std::string logged;  // "" for none
    };
    const Case cases[] = {
        {"Linies:01_No", "Linies:01_No\n1\n1\n0 0\n0 0 0 0\n0\n", ""},
        {"another layout", "Linies:02\n0\n", kNotLineList},
        {"empty file", "", kNotLineList},
        {"a line short", "Linies:01\n2\n1\n0 0\n0 0 0 0\n0\n", kNotLineList},
        {"value missing", "Linies:01\n1\n1\n0 0\n0 0 0 0\n", kNotLineList},
        {"negative count", "Linies:00\n-1\n", kNotLineList},
        {"count beyond the text", "Linies:00\n2000000000\n1\n0 0\n", kNotLineList},
        {"point count beyond the text", "Linies:00\n1\n2000000000\n0 0\n", kNotLineList},
        {"not a number", "Linies:00\n1\n1\n0 zero\n", kNotLineList},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        testing::StderrCapture quiet;
        LineList list = sampleList();
        TextLineSource source(c.text);
        EXPECT_FALSE(readLineListText(source, list));
        EXPECT_EQ(lineListText(list), lineListText(sampleList()));
        EXPECT_EQ(lastLogged(), c.logged);
    }
}

TEST(LineListFile, BorderFileSavesAndLoads) {
    const std::string path = (testing::testDir() / "Border.brd").string();
    ASSERT_TRUE(saveLineListFile(path, sampleList()));
    EXPECT_EQ(testing::readFile(path), lineListText(sampleList()));
    LineList back;
    ASSERT_TRUE(loadLineListFile(path, back));
    EXPECT_EQ(lineListText(back), lineListText(sampleList()));

    testing::StderrCapture quiet;
    const std::string nowhere = (testing::testDir() / "no" / "Border.brd").string();
    EXPECT_FALSE(saveLineListFile(nowhere, sampleList()));
    EXPECT_EQ(lastLogged(), "Нельзя записать в файл " + nowhere);
    EXPECT_FALSE(loadLineListFile(nowhere, back));
    EXPECT_EQ(lastLogged(), "Нельзя открыть файл " + nowhere + " для считывания");
}

TEST(PointListText, PairsOfNumbersMakeTheLine) {
    TextLineSource source("X Y\n1 2\n3,4\nabc 5\n6\n7 8 9\n\n-1e3;0.5\n");
    const std::optional<Line> l = readPointListText(source);
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(l->points(), (std::vector<P>{{1, 2}, {3, 4}, {7, 8}, {-1000, 0.5}}));
    TextLineSource none("x y\nz\n");
    EXPECT_FALSE(readPointListText(none).has_value());
}

TEST(LineFile, TheFirstLineDecidesWhatIsAdded) {
    testing::StderrCapture quiet;
    Bush target("Линии");
    const std::string linePath =
        testing::writeFile("one.lxt", lineText(styledLine("Река", {{1, 1}, {2, 2}})));
    const std::string groupPath = testing::writeFile("group.txt", groupText(*sampleGroup()));
    // A plain list: its first line is a point too.
    const std::string pointsPath = testing::writeFile("points.txt", "5 6\n7 8\nend\n");
    ASSERT_TRUE(readLineFile(linePath, target));
    ASSERT_TRUE(readLineFile(groupPath, target));
    ASSERT_TRUE(readLineFile(pointsPath, target));
    ASSERT_EQ(target.itemCount(), 2u);
    EXPECT_EQ(target.item(0).line()->name, "Река");
    EXPECT_EQ(target.item(1).line()->points(), (std::vector<P>{{5, 6}, {7, 8}}));
    ASSERT_EQ(target.childCount(), 1u);
    EXPECT_EQ(target.child(0).name(), "Карта");
    EXPECT_EQ(target.child(0).itemCount(), 2u);

    // Files that cannot be read add nothing and say so.
    struct Case {
        const char* name;
        std::string content;
    };
    const Case bad[] = {
        {"damaged.lxt", "Line04:\nLine Name:\nx\nPoints Count:\n5\n2DPoints:\n1 1\n"},
        {"damaged-group.txt", "Group03:\nGroup Name:\nx\nLine02:\n"},
        {"words.txt", "no\npoints here\n"},
        {"empty.txt", ""},
    };
    for (const Case& c : bad) {
        SCOPED_TRACE(c.name);
        const std::string path = testing::writeFile(c.name, c.content);
        EXPECT_FALSE(readLineFile(path, target));
        EXPECT_EQ(lastLogged(), "Can't read file " + path);
    }
    const std::string missing = (testing::testDir() / "missing.lxt").string();
    EXPECT_FALSE(readLineFile(missing, target));
    EXPECT_EQ(lastLogged(), "Нельзя открыть файл " + missing + " для считывания");
    EXPECT_EQ(target.itemCount(), 2u);
    EXPECT_EQ(target.childCount(), 1u);
}

}  // namespace
}  // namespace gridova
