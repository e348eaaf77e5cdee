// The isoline set: value order and staggered labels, and the document
// sections "IS01", "IE01" and "IF01" (layout checked against bytes made by
// hand, write → read → write, truncated, damaged and mis-tagged sections,
// counts from the file).
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "contour/isoline_set.h"
#include "platform/message_log.h"
#include "platform/profile.h"
#include "tests/common/section_bytes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using testing::timesLogged;

using testing::ByteInput;
using testing::doubleBytes;
using testing::drectBytes;
using testing::recordBytes;
using testing::stringBytes;
using testing::wordBytes;
using testing::writtenBytes;

constexpr const char* kInvalidFormat = "Invalid format.";

std::vector<std::int32_t> initSpacings(const IsolineSet& set) {
    std::vector<std::int32_t> v;
    for (int i = 0; i < static_cast<int>(set.size()); ++i) {
        v.push_back(set.at(i)->format.initSpacing);
    }
    return v;
}

// --- The set's isolines --------------------------------------------------------------------------

TEST(IsolineSet, AscendingLevelsStaggerEverySecondIsoline) {
    IsolineSet set;
    for (double v : {1, 2, 3, 4, 5, 6}) set.addLevel(v);
    EXPECT_EQ(set.values(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(initSpacings(set), (std::vector<std::int32_t>{20, 60, 20, 60, 20, 60}));

    // Inserted between two isolines: not appended, not staggered.
    Isoline& middle = set.addLevel(2.5);
    EXPECT_EQ(set.indexOf(&middle), 2);
    EXPECT_EQ(middle.format.initSpacing, 20);
    // An equal value goes before the isoline it equals.
    Isoline& equal = set.addLevel(4);
    EXPECT_EQ(set.indexOf(&equal), 4);
    EXPECT_EQ(set.at(5)->value, 4);

    // Descending levels always go to the front: none is staggered.
    IsolineSet down;
    for (double v : {6, 5, 4, 3, 2, 1}) down.addLevel(v);
    EXPECT_EQ(down.values(), (std::vector<double>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(initSpacings(down), (std::vector<std::int32_t>(6, 20)));
}

TEST(IsolineSet, NewIsolinesTakeTheDefaultFormatFromTheProfile) {
    IsolineFormat stored;
    stored.show = 0;
    stored.initSpacing = 30;
    stored.colorLine = gdi::rgb(1, 2, 3);
    stored.writeProfile();
    IsolineSet set;
    EXPECT_EQ(set.show, 0);
    EXPECT_EQ(set.defaultFormat, stored);
    set.addLevel(1);
    set.addLevel(2);
    EXPECT_EQ(set.at(0)->format, stored);
    EXPECT_EQ(initSpacings(set), (std::vector<std::int32_t>{30, 70}));
}

TEST(IsolineSet, IndexRangeAndRemoval) {
    IsolineSet set;
    double lo = -1, hi = -1;
    EXPECT_EQ(set.valueRange(lo, hi), -1);
    EXPECT_EQ(lo, -1);
    for (double v : {7.5, -2.0, 3.0}) set.addLevel(v);
    ASSERT_EQ(set.valueRange(lo, hi), 0);
    EXPECT_EQ(lo, -2);
    EXPECT_EQ(hi, 7.5);

    EXPECT_EQ(set.at(-1), nullptr);
    EXPECT_EQ(set.at(3), nullptr);
    Isoline outside;
    EXPECT_EQ(set.indexOf(&outside), -1);
    EXPECT_EQ(set.indexOf(set.at(2)), 2);
    EXPECT_FALSE(set.removeAt(3));
    EXPECT_FALSE(set.removeAt(-1));
    EXPECT_TRUE(set.removeAt(1));
    EXPECT_EQ(set.values(), (std::vector<double>{-2, 7.5}));

    IsolineFormat red;
    red.colorLine = gdi::rgb(255, 0, 0);
    set.applyFormat(red);
    EXPECT_EQ(set.at(0)->format, red);
    EXPECT_EQ(set.at(1)->format, red);
}

// --- Sections ---------------------------------------------------------------------------------

std::string fontBytes(const gdi::LogFont& f) {
    std::string s = wordBytes(f.height) + wordBytes(f.width) + wordBytes(f.escapement) +
                    wordBytes(f.orientation) + wordBytes(f.weight);
    for (std::uint8_t b : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                           f.clipPrecision, f.quality, f.pitchAndFamily}) {
        s += static_cast<char>(b);
    }
    return s + wordBytes(static_cast<std::int32_t>(f.faceName.size())) + f.faceName;
}

IsolineFormat sampleFormat() {
    IsolineFormat f;
    f.show = 1;
    f.badgetShow = 0;
    f.colorLine = 0x0000FF;
    f.widthLine = 2;
    f.initSpacing = 25;
    f.spacing = 300;
    f.decimalDigit = 3;
    f.colorText = 0x00FF00;
    f.colorLabelLine = 0x102030;
    f.colorLabelPattern = 0x405060;
    f.orient = LabelOrient::Descending;
    f.penStyle = 1;
    f.font = gdi::LogFont::pointFont("DejaVu Sans", 95);
    return f;
}

// The "IF01" section of sampleFormat, made by hand.
std::string sampleFormatBytes() {
    std::string words;
    for (std::int32_t w : {1, 0, 0x0000FF, 2, 25, 300, 3, 0x00FF00, 0x102030, 0x405060, 2, 1}) {
        words += wordBytes(w);
    }
    return recordBytes(stringBytes("IF01") + words) +
           fontBytes(gdi::LogFont::pointFont("DejaVu Sans", 95));
}

TEST(IsolineSections, LayoutMatchesBytesMadeByHand) {
    IsolineSet set;
    set.show = 1;
    Isoline& isoline = set.addLevel(2.5);
    isoline.labelDigits = 4;
    isoline.format = sampleFormat();
    const std::string expected =
        recordBytes(stringBytes("IS01") + wordBytes(1) + wordBytes(1)) +
        recordBytes(stringBytes("IE01") + wordBytes(4) + doubleBytes(2.5)) + sampleFormatBytes() +
        recordBytes(stringBytes("LS01") + wordBytes(0) + wordBytes(-1)) + drectBytes(0, 0, 0, 0);
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { set.writeSection(out); }), expected);
}

IsolineSet sampleSet() {
    IsolineSet set;
    set.show = 0;
    Isoline& a = set.addLevel(-1.0 / 3);
    a.addPiece(Line({{0.1, 0.2}, {1e-300, 5}, {7, 7}}));
    a.addPiece(Line({{1, 1}, {2, 1}, {2, 2}, {1, 1}}));
    Isoline& b = set.addLevel(12.75);
    b.format = sampleFormat();
    b.labelDigits = 0;
    b.addPiece(Line({{3, 3}, {4, 4}}));
    set.addLevel(40);  // no pieces
    return set;
}

std::string setBytes(const IsolineSet& set) {
    return writtenBytes([&](BinaryWriter& out) { set.writeSection(out); });
}

TEST(IsolineSections, WriteReadWriteGivesTheSameBytes) {
    const IsolineSet set = sampleSet();
    const std::string first = setBytes(set);
    ByteInput in(first);
    IsolineSet back;
    ASSERT_TRUE(back.readSection(in.reader()));
    EXPECT_EQ(setBytes(back), first);
    EXPECT_EQ(back.show, 0);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back.at(0)->value, -1.0 / 3);
    EXPECT_EQ(back.at(1)->format, sampleFormat());
    EXPECT_EQ(back.at(1)->labelDigits, 0);
    EXPECT_EQ(back.at(0)->pieces().size(), 2u);
    EXPECT_EQ(back.at(0)->pieces().line(0)->points()[1].x, 1e-300);
}

// A set holding one isoline, to see that failed reads leave it alone.
IsolineSet markedSet() {
    IsolineSet set;
    set.show = 1;
    set.addLevel(99).addPiece(Line({{1, 2}, {3, 4}}));
    return set;
}

void expectMarked(const IsolineSet& set) {
    ASSERT_EQ(set.size(), 1u);
    EXPECT_EQ(set.at(0)->value, 99);
    EXPECT_EQ(set.show, 1);
}

TEST(IsolineSections, EveryTruncationIsRefusedOnceAndChangesNothing) {
    testing::StderrCapture quiet;
    const std::string good = setBytes(sampleSet());
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        messageLog().reset();
        ByteInput in(good.substr(0, cut));
        IsolineSet set = markedSet();
        ASSERT_FALSE(set.readSection(in.reader())) << cut;
        ASSERT_EQ(timesLogged(kInvalidFormat), 1u) << cut;
        expectMarked(set);
    }
}

TEST(IsolineSections, DamagedBytesAreRefusedOrReadWithoutHarm) {
    testing::StderrCapture quiet;
    const std::string good = setBytes(sampleSet());
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (unsigned char value : {0xFFu, 0x80u, 0x00u, 0x7Fu, 0x0Bu}) {
            std::string damaged = good;
            if (static_cast<unsigned char>(damaged[at]) == value) continue;
            damaged[at] = static_cast<char>(value);
            ByteInput in(damaged);
            IsolineSet set = markedSet();
            if (set.readSection(in.reader())) {
                ASSERT_LE(set.size(), 3u) << at;
                for (int i = 0; i < static_cast<int>(set.size()); ++i) {
                    const IsolineFormat& f = set.at(i)->format;
                    ASSERT_GE(f.decimalDigit, 0) << at;
                    ASSERT_LE(f.decimalDigit, IsolineFormat::kMaxDigits) << at;
                    ASSERT_GE(set.at(i)->labelDigits, 0) << at;
                    ASSERT_LE(set.at(i)->labelDigits, IsolineFormat::kMaxDigits) << at;
                }
                ASSERT_FALSE(setBytes(set).empty()) << at;
            } else {
                expectMarked(set);
            }
        }
    }
}

TEST(IsolineSections, WrongTagsAreRefusedWithOneMessage) {
    testing::StderrCapture quiet;
    const std::string good = setBytes(sampleSet());
    // Offsets of the three tags' last digit: after the record length and
    // the string's two words.
    const std::size_t isTag = 12 + 3;
    const std::size_t ieTag = good.find("IE01") + 3;
    const std::size_t ifTag = good.find("IF01") + 3;
    struct Case {
        const char* name;
        std::size_t at;
        bool readerGoesOn;  // the whole section was skipped by its tag
    };
    for (const Case& c :
         {Case{"IS02", isTag, true}, Case{"IE02", ieTag, false}, Case{"IF02", ifTag, false}}) {
        SCOPED_TRACE(c.name);
        std::string bytes = good;
        bytes[c.at] = '2';
        messageLog().reset();
        ByteInput in(bytes);
        IsolineSet set = markedSet();
        EXPECT_FALSE(set.readSection(in.reader()));
        EXPECT_EQ(timesLogged(kInvalidFormat), 1u);
        EXPECT_EQ(in.reader().failed(), !c.readerGoesOn);
        expectMarked(set);
    }
}

// One "IE01" section made by hand, with an empty piece list.
std::string isolineBytes(std::int32_t labelDigits, double value, const std::string& format) {
    return recordBytes(stringBytes("IE01") + wordBytes(labelDigits) + doubleBytes(value)) + format +
           recordBytes(stringBytes("LS01") + wordBytes(0) + wordBytes(-1)) + drectBytes(0, 0, 0, 0);
}

std::string formatBytes(std::initializer_list<std::int32_t> words) {
    std::string s;
    for (std::int32_t w : words) s += wordBytes(w);
    return recordBytes(stringBytes("IF01") + s) + fontBytes(gdi::LogFont());
}

TEST(IsolineSections, CountsAndDigitsAreCheckedAgainstTheFileAndTheirOwner) {
    testing::StderrCapture quiet;
    const std::string format = sampleFormatBytes();
    const auto setOf = [](std::int32_t count, const std::string& isolines) {
        return recordBytes(stringBytes("IS01") + wordBytes(count) + wordBytes(1)) + isolines;
    };
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
    };
    const Case cases[] = {
        {"one isoline", setOf(1, isolineBytes(2, 1, format)), true},
        {"no isolines", setOf(0, ""), true},
        {"count -1", setOf(-1, isolineBytes(2, 1, format)), false},
        {"count beyond the file", setOf(1 << 28, isolineBytes(2, 1, format)), false},
        {"count 2, one isoline", setOf(2, isolineBytes(2, 1, format)), false},
        {"face name longer than a font can have",
         setOf(1, isolineBytes(2, 1,
                               recordBytes(stringBytes("IF01") + std::string(48, '\0')) +
                                   std::string(28, '\0') + wordBytes(200) + std::string(200, 'a'))),
         false},
        {"face name length beyond the file",
         setOf(1, isolineBytes(2, 1,
                               recordBytes(stringBytes("IF01") + std::string(48, '\0')) +
                                   std::string(28, '\0') + wordBytes(1 << 30))),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        ByteInput in(c.bytes);
        IsolineSet set;
        EXPECT_EQ(set.readSection(in.reader()), c.ok);
        EXPECT_EQ(timesLogged(kInvalidFormat), c.ok ? 0u : 1u);
    }

    // Digit counts are held to 0..10; an unknown direction reads as the
    // readable one; a shorter "IF01" record keeps the defaults of what it
    // does not hold.
    const std::string bytes =
        setOf(3, isolineBytes(99, 1, formatBytes({1, 1, 0, 0, 20, 250, 77, 0, 0, 0, 9, 0})) +
                     isolineBytes(-4, 2, formatBytes({1, 1, 0, 0, 20, 250, -1, 0, 0, 0, 0, 0})) +
                     isolineBytes(2, 3, formatBytes({0, 0, 0x123456, 5, 1, 2})));
    ByteInput in(bytes);
    IsolineSet set;
    ASSERT_TRUE(set.readSection(in.reader()));
    ASSERT_EQ(set.size(), 3u);
    EXPECT_EQ(set.at(0)->labelDigits, 10);
    EXPECT_EQ(set.at(0)->format.decimalDigit, 10);
    EXPECT_EQ(set.at(0)->format.orient, LabelOrient::Readable);
    EXPECT_EQ(set.at(1)->labelDigits, 0);
    EXPECT_EQ(set.at(1)->format.decimalDigit, 0);
    IsolineFormat shortRecord;
    shortRecord.show = 0;
    shortRecord.badgetShow = 0;
    shortRecord.colorLine = 0x123456;
    shortRecord.widthLine = 5;
    shortRecord.initSpacing = 1;
    shortRecord.spacing = 2;
    shortRecord.font = gdi::LogFont();
    EXPECT_EQ(set.at(2)->format, shortRecord);
}

TEST(IsolineSections, IsolinesStoredOutOfOrderAreSorted) {
    const std::string format = sampleFormatBytes();
    const std::string bytes = recordBytes(stringBytes("IS01") + wordBytes(4) + wordBytes(1)) +
                              isolineBytes(1, 3, format) + isolineBytes(2, 1, format) +
                              isolineBytes(3, 2, format) + isolineBytes(4, 1, format);
    ByteInput in(bytes);
    IsolineSet set;
    ASSERT_TRUE(set.readSection(in.reader()));
    EXPECT_EQ(set.values(), (std::vector<double>{1, 1, 2, 3}));
    // Equal values keep their order in the file.
    EXPECT_EQ(set.at(0)->labelDigits, 2);
    EXPECT_EQ(set.at(1)->labelDigits, 4);
}

}  // namespace
}  // namespace gridova
