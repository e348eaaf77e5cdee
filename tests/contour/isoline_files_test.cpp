// Isoline template files: the layout, write → read, files of older
// programs, refused tags and counts, and the file messages.
#include <gtest/gtest.h>

#include <string>

#include "contour/isoline_set.h"
#include "data/line_source.h"
#include "platform/message_log.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::timesLogged;

constexpr const char* kNotIsolineFile = "Файл не имеет определенный формат изолиний!";

// The font block of the default format.
constexpr const char* kArial6 = "LOGFONT:00\n-8\n0\n0\n0\n400\n0\n0\n0\n204\n0\n0\n0\n0\nArial\n";

TEST(IsolineTemplate, LayoutWrittenByHand) {
    IsolineSet set;
    set.defaultFormat = IsolineFormat();
    set.addLevel(0.1);
    const std::string path = (testing::testDir() / "one.ist").string();
    ASSERT_TRUE(set.writeTemplateFile(path));
    EXPECT_EQ(testing::readFile(path), std::string("IsolineTemplates:01\n1\nIsolineTemplate01:\n"
                                                   "0.1\nIzolineFormat:03\n0\n0\n250\n20\n2\n0\n"
                                                   "15790301\n15790301\n0\n1\n") +
                                           kArial6);
}

TEST(IsolineTemplate, WriteAndReadBackKeepValuesAndFormats) {
    IsolineSet set;
    set.defaultFormat = IsolineFormat();
    // Values that six significant digits would change.
    for (double v : {-1e-7, 0.1, 1.0 / 3, 1234567.890123}) set.addLevel(v);
    set.at(0)->format.colorLine = gdi::rgb(255, 0, 0);
    set.at(1)->format.orient = LabelOrient::Descending;
    set.at(1)->format.decimalDigit = 5;
    set.at(2)->format.show = 0;      // not in the file
    set.at(2)->format.penStyle = 2;  // not in the file
    set.at(3)->format.font = gdi::LogFont::pointFont("DejaVu Sans", 100);
    const std::string path = (testing::testDir() / "levels.ist").string();
    ASSERT_TRUE(set.writeTemplateFile(path));

    IsolineSet back;
    ASSERT_TRUE(back.readTemplateFile(path));
    ASSERT_EQ(back.size(), set.size());
    for (int i = 0; i < static_cast<int>(set.size()); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back.at(i)->value, set.at(i)->value);  // exactly
        IsolineFormat expected = set.at(i)->format;
        expected.show = 1;
        expected.penStyle = 0;
        EXPECT_EQ(back.at(i)->format, expected);
        EXPECT_TRUE(back.at(i)->pieces().empty());
    }
    // The labels' stagger of the traced set is kept, not added again.
    EXPECT_EQ(back.at(1)->format.initSpacing, 60);
    EXPECT_EQ(back.at(2)->format.initSpacing, 20);

    // Written again, the file is the same.
    const std::string again = (testing::testDir() / "again.ist").string();
    ASSERT_TRUE(back.writeTemplateFile(again));
    EXPECT_EQ(testing::readFile(again), testing::readFile(path));
}

TEST(IsolineTemplate, FilesOfOlderProgramsRead) {
    // Values with "%lg", an older format layout, entries out of value order.
    const std::string text = std::string("IsolineTemplates:01\n2\n") +
                             "IsolineTemplate01:\n12.5\nIzolineFormat:03\n"
                             "255\n2\n300\n25\n1\n0\n0\n0\n1\n0\n" +
                             kArial6 +
                             "IsolineTemplate01:\n0.333333\nIzolineFormat:00\n"
                             "0\n0\n250\n20\n3\n0\n" +
                             kArial6;
    TextLineSource lines(text);
    IsolineSet set;
    ASSERT_TRUE(set.readTemplate(lines));
    ASSERT_EQ(set.size(), 2u);
    EXPECT_EQ(set.at(0)->value, 0.333333);
    EXPECT_EQ(set.at(0)->format.decimalDigit, 3);
    EXPECT_EQ(set.at(0)->format.colorLabelLine, IsolineFormat().colorLabelLine);
    EXPECT_EQ(set.at(1)->value, 12.5);
    EXPECT_EQ(set.at(1)->format.colorLine, 255u);
    EXPECT_EQ(set.at(1)->format.orient, LabelOrient::Ascending);
    EXPECT_EQ(set.at(1)->format.badgetShow, 0);
}

TEST(IsolineTemplate, BadFilesAreRefusedAndTheSetStaysAsItWas) {
    testing::StderrCapture quiet;
    const std::string entry =
        std::string("IsolineTemplate01:\n5\nIzolineFormat:03\n0\n0\n250\n20\n2\n0\n0\n0\n0\n1\n") +
        kArial6;
    struct Case {
        const char* name;
        std::string text;
        const char* message;
    };
    const Case cases[] = {
        {"a newer file tag", "IsolineTemplates:02\n1\n" + entry, kNotIsolineFile},
        {"a line file", "Linies:01\n1\n" + entry, kNotIsolineFile},
        {"a newer entry tag",
         "IsolineTemplates:01\n1\nIsolineTemplate02:\n" + entry.substr(entry.find('\n') + 1),
         kNotIsolineFile},
        {"a value that is not a number",
         "IsolineTemplates:01\n1\nIsolineTemplate01:\nfive\n" +
             entry.substr(entry.find("IzolineFormat")),
         kNotIsolineFile},
        {"a count that is not one", "IsolineTemplates:01\nmany\n" + entry, kNotIsolineFile},
        {"a negative count", "IsolineTemplates:01\n-1\n" + entry, kNotIsolineFile},
        {"a count beyond the file", "IsolineTemplates:01\n2\n" + entry, kNotIsolineFile},
        {"a huge count", "IsolineTemplates:01\n4000000000\n" + entry, kNotIsolineFile},
        {"an unknown format layout",
         "IsolineTemplates:01\n1\nIsolineTemplate01:\n5\nIzolineFormat:07\n" +
             entry.substr(entry.find("0\n0\n250")),
         kNotIsolineFile},
        {"a bad font",
         "IsolineTemplates:01\n1\n" + entry.substr(0, entry.find("LOGFONT")) + "LOGFONT:09" +
             entry.substr(entry.find("LOGFONT") + 10),
         "Файл не имеет определенный формат LOGFONT!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        TextLineSource lines(c.text);
        IsolineSet set;
        set.addLevel(99);
        EXPECT_FALSE(set.readTemplate(lines));
        EXPECT_EQ(timesLogged(c.message), 1u);
        EXPECT_EQ(set.values(), std::vector<double>{99});
    }
    // The good entry on its own reads.
    const std::string goodText = "IsolineTemplates:01\n1\n" + entry;
    TextLineSource good(goodText);
    IsolineSet set;
    ASSERT_TRUE(set.readTemplate(good));
    EXPECT_EQ(set.values(), std::vector<double>{5});
}

TEST(IsolineTemplate, FilesThatCannotBeOpenedOrWritten) {
    testing::StderrCapture quiet;
    IsolineSet set;
    set.addLevel(1);
    const std::string missing = (testing::testDir() / "missing.ist").string();
    EXPECT_FALSE(set.readTemplateFile(missing));
    EXPECT_EQ(timesLogged("Нельзя открыть файл " + missing + " для считывания"), 1u);
    EXPECT_EQ(set.values(), std::vector<double>{1});

    const std::string nowhere = (testing::testDir() / "no-such-dir" / "x.ist").string();
    EXPECT_FALSE(set.writeTemplateFile(nowhere));
    EXPECT_EQ(timesLogged("Нельзя записать в файл " + nowhere), 1u);
}

}  // namespace
}  // namespace gridova
