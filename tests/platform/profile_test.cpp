#include "platform/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/numbers.h"
#include "platform/profile_file.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::readFile;
using testing::writeFile;

TEST(ProfileFile, NamesWithoutCaseValuesVerbatimCommentsAndOrderKept) {
    const std::string text =
        "; settings\n"
        "[Input Format]\n"
        "ColumnX = 2\n"
        "; a comment inside\n"
        "[Graphic]\n"
        "Directory=C:\\Data\\maps, old\n"
        "Title=100% sure\n";
    ProfileFile f(text);
    EXPECT_EQ(f.get("input format", "COLUMNX"), "2");
    EXPECT_EQ(f.get("GRAPHIC", "directory"), "C:\\Data\\maps, old");
    EXPECT_EQ(f.get("Graphic", "Title"), "100% sure");
    EXPECT_FALSE(f.get("Graphic", "Missing").has_value());
    EXPECT_FALSE(f.get("Missing", "Title").has_value());
    EXPECT_EQ(f.text(), text);

    f.set("input FORMAT", "columnx", "5");
    f.set("Input Format", "ColumnY", "1");
    f.set("Новый раздел", "Ключ", "значение");
    EXPECT_EQ(f.text(),
              "; settings\n"
              "[Input Format]\n"
              "ColumnX =5\n"
              "; a comment inside\n"
              "ColumnY=1\n"
              "[Graphic]\n"
              "Directory=C:\\Data\\maps, old\n"
              "Title=100% sure\n"
              "\n"
              "[Новый раздел]\n"
              "Ключ=значение\n");
    EXPECT_EQ(f.get("НОВЫЙ РАЗДЕЛ", "КЛЮЧ"), "значение");
}

TEST(ProfileFile, RemovingAndLineBreaksInValues) {
    ProfileFile f("[A]\nx=1\ny=2\n[B]\nz=3\n");
    f.removeKey("a", "X");
    f.removeSection("b");
    EXPECT_EQ(f.text(), "[A]\ny=2\n");
    f.set("A", "t", "two\nlines");
    EXPECT_EQ(f.get("A", "t"), "two lines");
    EXPECT_EQ(f.keys("A"), (std::vector<std::string>{"y", "t"}));
}

TEST(Profile, FileComesFromTheEnvironment) {
    EXPECT_EQ(profilePath(), (testing::testDir() / "profile.ini").string());
    writeProfileInt("Input Format", "ColumnX", 3);
    EXPECT_EQ(readFile(profilePath()), "[Input Format]\nColumnX=3\n");
}

TEST(Profile, IntegerReads) {
    writeFile("profile.ini",
              "[S]\nbad=12abc\nneg=-7\nempty=\nspaced=  5  \nbig=99999999999\nword=abc\n");
    struct Case {
        const char* key;
        int result;
        std::int32_t value;
    };
    const Case cases[] = {
        {"bad", -1, 100}, {"neg", 0, -7},   {"empty", -1, 100}, {"missing", -1, 100},
        {"spaced", 0, 5}, {"big", -1, 100}, {"word", -1, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        std::int32_t v = 100;
        EXPECT_EQ(readProfileInt("S", c.key, v), c.result);
        EXPECT_EQ(v, c.value);
    }
    std::int64_t colour = 5;
    writeProfileLong("S", "Color", 16777215);
    EXPECT_EQ(readProfileLong("S", "Color", colour), 0);
    EXPECT_EQ(colour, 16777215);
}

TEST(Profile, TextReads) {
    std::string s = "default";
    EXPECT_EQ(readProfileText("S", "k", s), -1);
    EXPECT_EQ(s, "default");
    writeProfileText("S", "k", "C:\\Data\\f.dat");
    EXPECT_EQ(readProfileText("S", "k", s), 0);
    EXPECT_EQ(s, "C:\\Data\\f.dat");
    writeProfileText("S", "k", "");
    s = "kept";
    EXPECT_EQ(readProfileText("S", "k", s), -1);
    EXPECT_EQ(s, "kept");
}

TEST(Profile, DoublesKeepFullPrecisionAndOldFilesRead) {
    const double values[] = {0.1, 1.0 / 3.0, -123456.789012345678, 1e-300, 6.02214076e23};
    for (double v : values) {
        writeProfileDouble("D", "v", v);
        double back = 0;
        ASSERT_EQ(readProfileDouble("D", "v", back), 0);
        EXPECT_EQ(back, v);
    }
    writeFile("profile.ini", "[D]\nold=0.333333\nbad=1.2.3\n");
    double d = 7;
    EXPECT_EQ(readProfileDouble("D", "old", d), 0);
    EXPECT_EQ(d, 0.333333);
    EXPECT_EQ(readProfileDouble("D", "bad", d), -1);
    EXPECT_EQ(d, 0.333333);
}

TEST(Profile, OptionalDoubles) {
    OptionalValue v;
    EXPECT_EQ(readProfileOptionalDouble("Border", "BorderValue", v), -1);
    EXPECT_FALSE(v.present());

    writeProfileOptionalDouble("Border", "BorderValue", OptionalValue(2.5));
    EXPECT_EQ(readFile(profilePath()), "[Border]\nBorderValue=2.5\nBorderValueEnable=1\n");
    EXPECT_EQ(readProfileOptionalDouble("Border", "BorderValue", v), 0);
    EXPECT_TRUE(v.present());
    EXPECT_EQ(v.value, 2.5);

    // "Enable" 0 makes it absent although the value key holds a number.
    writeFile("profile.ini", "[Border]\nBorderValue=4\nBorderValueEnable=0\n");
    v = OptionalValue(1.0);
    readProfileOptionalDouble("Border", "BorderValue", v);
    EXPECT_FALSE(v.present());

    // Without an "Enable" key the value reads as present.
    writeFile("profile.ini", "[Border]\nBorderValue=4\n");
    v = OptionalValue();
    EXPECT_EQ(readProfileOptionalDouble("Border", "BorderValue", v), 0);
    EXPECT_TRUE(v.present());
    EXPECT_EQ(v.value, 4.0);
}

TEST(Profile, DoubleLists) {
    const std::vector<double> levels = {0.1, 2.5, -3.75, 1e10};
    writeProfileDoubleList("Contours", "Contour", levels);
    EXPECT_EQ(readFile(profilePath()),
              "[Contours]\nContour Count=4\nContour0=0.1\nContour1=2.5\nContour2=-3.75\n"
              "Contour3=1e+10\n");
    std::vector<double> back = {9};
    EXPECT_EQ(readProfileDoubleList("contours", "contour", back), 0);
    EXPECT_EQ(back, levels);

    std::vector<double> kept = {9};
    EXPECT_EQ(readProfileDoubleList("Contours", "Other", kept), -1);
    EXPECT_EQ(kept, std::vector<double>{9});

    // A value that is not a number keeps the list's value at its place.
    writeFile("profile.ini", "[C]\nL Count=4\nL0=1\nL1=x\nL2=3\nL3=4\n");
    back = {7, 8};
    EXPECT_EQ(readProfileDoubleList("C", "L", back), 0);
    EXPECT_EQ(back, (std::vector<double>{1, 8, 3, 4}));
    // A count beyond the keys present, or below 0, is refused.
    for (const char* count : {"2000000000", "-1", "x"}) {
        writeFile("profile.ini", std::string("[C]\nL Count=") + count + "\nL0=1\n");
        EXPECT_EQ(readProfileDoubleList("C", "L", kept), -1) << count;
        EXPECT_EQ(kept, std::vector<double>{9});
    }
}

// Long lists go to the file in one write and come back whole: 30,000 levels
// (a levels file at that length once took 35 s, one rewrite of the whole
// file per level). Keys already there keep their spelling and place, other
// sections stay, and replacing a list drops the section's other keys.
TEST(Profile, LongListsAreWrittenAndReadWhole) {
    writeFile("profile.ini", "[First]\na=1\n\n[Contours]\nstale=1\ncontour1=7\n\n[Last]\nz=2\n");
    std::vector<double> levels;
    for (int k = 0; k < 30000; ++k) levels.push_back(0.1 * k - 1000.0 / 3.0);
    writeProfileDoubleList("Contours", "Contour", levels);
    std::vector<double> back;
    ASSERT_EQ(readProfileDoubleList("Contours", "Contour", back), 0);
    EXPECT_EQ(back, levels);
    const std::string text = readFile(profilePath());
    EXPECT_NE(text.find("[Contours]\nstale=1\ncontour1=" + formatDouble(levels[1]) +
                        "\nContour Count=30000\nContour0="),
              std::string::npos);
    EXPECT_NE(text.find("[First]\na=1\n"), std::string::npos);
    EXPECT_NE(text.find("\n[Last]\nz=2\n"), std::string::npos);

    // Many keys at once are what one set after another gives: an existing
    // key keeps its spelling, a new key written twice its first spelling
    // and its last value.
    ProfileFile f("[S]\nA=1\n");
    f.setAll("s", {{"a", "2"}, {"New", "3"}, {"new", "4"}});
    EXPECT_EQ(f.text(), "[S]\nA=2\nNew=4\n");

    replaceProfileDoubleList("Contours", "Contour", {1, 2, 3});
    EXPECT_EQ(readFile(profilePath()),
              "[First]\na=1\n\n[Last]\nz=2\n\n[Contours]\nContour Count=3\nContour0=1\n"
              "Contour1=2\nContour2=3\n");
}

// The profile is parsed again only when its bytes change, and a change by
// anyone else is seen at the next read, even one of the same length within
// the same clock tick.
// A file that starts with two byte-order marks (found by fuzzing): a key
// written to its first section reads back at once.
TEST(Profile, WrittenKeysReadBackBehindByteOrderMarks) {
    writeFile("profile.ini", "\xEF\xBB\xBF\xEF\xBB\xBF[Grid]\nLo[Dialo\x19");
    writeProfileInt("Grid", "Load", 7);
    std::int32_t v = 0;
    ASSERT_EQ(readProfileInt("Grid", "Load", v), 0);
    EXPECT_EQ(v, 7);
}

TEST(Profile, ChangesOnFileAreSeenAtTheNextRead) {
    std::int32_t v = 0;
    for (int k = 0; k < 10; ++k) {
        writeFile("profile.ini", "[S]\nk=" + std::to_string(k) + "\n");
        ASSERT_EQ(readProfileInt("S", "k", v), 0);
        EXPECT_EQ(v, k);
    }
    writeProfileInt("S", "k", 42);
    ASSERT_EQ(readProfileInt("S", "k", v), 0);
    EXPECT_EQ(v, 42);
    std::filesystem::remove(profilePath());
    EXPECT_EQ(readProfileInt("S", "k", v), -1);
}

TEST(Profile, SavingKeepsTheOldFileWhenItCannotBeReplaced) {
    writeProfileInt("S", "a", 1);
    // A directory in the way of the temporary file's rename: the profile is
    // a directory now, which cannot be replaced by a file.
    ::setenv("GRIDOVA_PROFILE", testing::testDir().c_str(), 1);
    writeProfileInt("S", "a", 2);
    ::setenv("GRIDOVA_PROFILE", (testing::testDir() / "profile.ini").c_str(), 1);
    std::int32_t v = 0;
    EXPECT_EQ(readProfileInt("S", "a", v), 0);
    EXPECT_EQ(v, 1);
}

TEST(WindowPositions, AllFourKeysOrTheOwnersChoice) {
    const WindowPoint owner{10, 20};
    EXPECT_EQ(windowPlacement(102, std::nullopt, owner).x, 10);
    EXPECT_EQ(windowPlacement(102, WindowPoint{300, 400}, owner).y, 400);

    writeWindowRect(102, {50, 60, 250, 160});
    EXPECT_EQ(readFile(profilePath()), "[Dialog 102]\nTop=60\nLeft=50\nRight=250\nBottom=160\n");
    const WindowPoint stored = windowPlacement(102, WindowPoint{300, 400}, owner);
    EXPECT_EQ(stored.x, 50);
    EXPECT_EQ(stored.y, 60);

    // Three of the four keys: the owner's position, not the stored one.
    writeFile("profile.ini", "[Dialog 144]\nTop=60\nLeft=50\nRight=250\n");
    const WindowPoint p = windowPlacement(144, std::nullopt, owner);
    EXPECT_EQ(p.x, 10);
    EXPECT_EQ(p.y, 20);
}

}  // namespace
}  // namespace gridova
