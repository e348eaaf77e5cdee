#include "data/record_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "data/point_set.h"
#include "platform/message_log.h"
#include "tests/common/section_bytes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(const RecordBuffer& r) { return Bytes(r.data(), r.data() + r.length()); }

// Little-endian words, as written by hand.
Bytes words(std::initializer_list<std::int32_t> values) {
    Bytes b;
    for (std::int32_t v : values) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    return b;
}

Bytes concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

TEST(RecordBuffer, ItemEncodings) {
    struct Case {
        const char* name;
        void (*put)(RecordBuffer&);
        Bytes expected;
    };
    const Case cases[] = {
        {"word", [](RecordBuffer& r) { r.putWord(-2); }, words({-2})},
        {"five-character string: 2 words of text",
         [](RecordBuffer& r) { r.putString(std::string("Serie")); },
         concat({words({2, 5}), Bytes{'S', 'e', 'r', 'i', 'e', 0, 0, 0}})},
        {"four characters: one word, no padding",
         [](RecordBuffer& r) { r.putString(std::string("PS01")); },
         concat({words({1, 4}), Bytes{'P', 'S', '0', '1'}})},
        {"absent string", [](RecordBuffer& r) { r.putString(std::optional<std::string>()); },
         words({-1})},
        {"empty string", [](RecordBuffer& r) { r.putString(std::string()); }, words({0, 0})},
        {"absent optional", [](RecordBuffer& r) { r.putOptional(OptionalValue()); }, words({0})},
        {"present optional 1.0", [](RecordBuffer& r) { r.putOptional(OptionalValue(1.0)); },
         concat({words({1}), Bytes{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}})},
        {"presence", [](RecordBuffer& r) { r.putPresence(true), r.putPresence(false); },
         words({1, 0})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RecordBuffer r;
        c.put(r);
        EXPECT_EQ(bytesOf(r), c.expected);
    }
}

TEST(RecordBuffer, GrowsByTheStep) {
    RecordBuffer r;
    EXPECT_EQ(r.capacity(), 0);
    r.putWord(1);
    EXPECT_EQ(r.capacity(), 10240);
    for (int i = 1; i < 5000; ++i) r.putWord(i);
    EXPECT_EQ(r.length(), 20000);
    EXPECT_EQ(r.capacity(), 20480);
    // A string larger than the step reserves its whole size at once.
    RecordBuffer s;
    s.putString(std::string(30000, 'x'));
    EXPECT_EQ(s.capacity(), 30008);
}

TEST(RecordBuffer, TakesThatFailLeaveTheDestination) {
    // A record of 6 bytes: a word can be taken at 0, not at 4.
    const std::string file = testing::writtenBytes([](BinaryWriter& out) {
        out.word(6);
        out.word(7);
        out.bytes("ab", 2);
    });
    testing::ByteInput in(file);
    BinaryReader& reader = in.reader();
    RecordBuffer r;
    ASSERT_EQ(r.readRecord(reader), 6);
    std::int32_t v = 0;
    EXPECT_EQ(r.getWord(v), 4);
    EXPECT_EQ(v, 7);
    v = 99;
    EXPECT_EQ(r.getWord(v), -1);
    EXPECT_EQ(v, 99);
    double d = 5;
    EXPECT_EQ(r.getDouble(d), -1);
    EXPECT_EQ(d, 5);
    EXPECT_EQ(r.readRecord(reader), -1);  // the file ends
}

TEST(RecordBuffer, StringsReadBack) {
    RecordBuffer w;
    w.putString(std::string("Серия 7"));
    w.putString(std::optional<std::string>());
    w.putString(std::string());
    w.putString(std::string("PS02"));
    w.putString(std::string("PS01"));
    const std::string file = testing::writtenBytes([&](BinaryWriter& out) { w.writeRecord(out); });
    testing::ByteInput in(file);
    BinaryReader& reader = in.reader();
    RecordBuffer r;
    ASSERT_GT(r.readRecord(reader), 0);
    std::string s = "default";
    EXPECT_GT(r.getString(s), 0);
    EXPECT_EQ(s, "Серия 7");
    s = "default";
    EXPECT_EQ(r.getString(s), -1);  // absent
    EXPECT_EQ(s, "default");
    EXPECT_EQ(r.getString(s), 0);  // empty: a default name survives
    EXPECT_EQ(s, "default");
    // A tag differing only in its digits is refused; the right one is found.
    EXPECT_EQ(r.checkTag({"PS01"}), 0);
    EXPECT_EQ(r.checkTag({"XX01", "PS01"}), 2);
}

// One field list read and written: a record written with RecordWriting
// reads back through RecordReading; a shorter record leaves the fields it
// does not hold and says so; a flagged text that is announced but missing
// marks the record damaged.
TEST(RecordFields, OneListServesWriterAndReader) {
    struct Fields {
        std::int32_t count = 0;
        std::uint32_t color = 0;
        double value = 0;
        std::optional<std::string> title;
        std::optional<std::string> note;
    };
    const auto fields = [](auto& f, auto& io) {
        io.word(f.count);
        io.word(f.color);
        io.number(f.value);
        io.flaggedText(f.title);
        io.text(f.note);
    };
    const auto readBack = [&](const std::string& file, Fields& f) {
        testing::ByteInput in(file);
        RecordBuffer r;
        EXPECT_GE(r.readRecord(in.reader()), 0);
        RecordReading io(r);
        fields(f, io);
        return std::pair{io.allTaken(), io.damaged()};
    };
    const Fields written{7, 0xFFEEDDCCu, 2.5, std::string("Заголовок"), std::nullopt};
    const std::string file = testing::writtenBytes([&](BinaryWriter& out) {
        RecordBuffer w;
        RecordWriting io(w);
        fields(written, io);
        w.writeRecord(out);
    });
    Fields back;
    back.note = std::string("kept?");
    const auto [all, damaged] = readBack(file, back);
    EXPECT_TRUE(all);
    EXPECT_FALSE(damaged);
    EXPECT_EQ(back.count, 7);
    EXPECT_EQ(back.color, 0xFFEEDDCCu);  // the unsigned word keeps its 32 bits
    EXPECT_EQ(back.value, 2.5);
    EXPECT_EQ(back.title, std::optional<std::string>("Заголовок"));
    EXPECT_EQ(back.note, std::nullopt);  // an absent text reads as none

    // A shorter record: the count, the colour and the value only.
    const std::string shorter = testing::writtenBytes([&](BinaryWriter& out) {
        RecordBuffer w;
        w.putWord(3);
        w.putWord(1);
        w.putDouble(4.0);
        w.writeRecord(out);
    });
    Fields older;
    older.title = std::string("default");
    const auto [allOld, damagedOld] = readBack(shorter, older);
    EXPECT_FALSE(allOld);
    EXPECT_FALSE(damagedOld);
    EXPECT_EQ(older.value, 4.0);
    EXPECT_EQ(older.title, std::optional<std::string>("default"));  // left as it was

    // A title announced present but cut off: damaged.
    const std::string cut = testing::writtenBytes([&](BinaryWriter& out) {
        RecordBuffer w;
        w.putWord(3);
        w.putWord(1);
        w.putDouble(4.0);
        w.putPresence(true);
        w.writeRecord(out);
    });
    Fields broken;
    EXPECT_TRUE(readBack(cut, broken).second);
}

TEST(RecordBuffer, DamagedLengthsAreRefused) {
    struct Case {
        const char* name;
        Bytes record;
    };
    const Case cases[] = {
        // Text bytes beyond the words that hold them.
        {"bytes exceed words", concat({words({1, 9}), Bytes{'a', 'b', 'c', 'd'}})},
        // More words than the record holds.
        {"words past the end", concat({words({100, 3}), Bytes{'a', 'b', 'c', 'd'}})},
        {"negative words", words({-7, 3})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string file = testing::writtenBytes([&](BinaryWriter& out) {
            out.word(static_cast<std::int32_t>(c.record.size()));
            out.bytes(c.record.data(), c.record.size());
        });
        testing::ByteInput in(file);
        BinaryReader& reader = in.reader();
        RecordBuffer r;
        ASSERT_GE(r.readRecord(reader), 0);
        std::optional<std::string> s = std::string("kept");
        EXPECT_EQ(r.takeString(s), -1);
        EXPECT_EQ(s, "kept");
        EXPECT_EQ(r.position(), 0);
    }
    // A record longer than the file: nothing is allocated, the reader stops.
    const std::string file = testing::writtenBytes([](BinaryWriter& out) {
        out.word(2000000000);
        out.word(1);
    });
    testing::ByteInput in(file);
    BinaryReader& reader = in.reader();
    RecordBuffer r;
    EXPECT_EQ(r.readRecord(reader), -1);
    EXPECT_TRUE(reader.failed());
    EXPECT_EQ(r.capacity(), 0);
}

TEST(DirectItems, EncodingsAndChecks) {
    const std::string file = testing::writtenBytes([](BinaryWriter& out) {
        writeDirectText(out, std::string("abc"));
        writeDirectText(out, std::nullopt);
        writeDirectOptional(out, OptionalValue(2.0));
        writeDirectDoubles(out, {1.0, -1.0});
        writeDirectWords(out, {5, 6, 7});
        std::vector<std::int32_t> w = {9};
        writeDirectOptionalWords(out, &w);
        writeDirectOptionalWords(out, nullptr);
    });
    const std::string expected =
        std::string("\x03\0\0\0abc", 7) + std::string("\xff\xff\xff\xff", 4) +
        std::string("\x01\0\0\0\0\0\0\0\0\0\0\x40", 12) +
        std::string("\x02\0\0\0\0\0\0\0\0\0\xf0\x3f\0\0\0\0\0\0\xf0\xbf", 20) +
        std::string("\x03\0\0\0\x05\0\0\0\x06\0\0\0\x07\0\0\0", 16) +
        std::string("\x01\0\0\0\x01\0\0\0\x09\0\0\0", 12) + std::string("\0\0\0\0", 4);
    EXPECT_EQ(file, expected);

    testing::ByteInput in(file);
    BinaryReader& reader = in.reader();
    std::optional<std::string> text;
    ASSERT_TRUE(readDirectText(reader, text));
    EXPECT_EQ(text, "abc");
    ASSERT_TRUE(readDirectText(reader, text));
    EXPECT_EQ(text, std::nullopt);
    OptionalValue v;
    ASSERT_TRUE(readDirectOptional(reader, v));
    EXPECT_EQ(v, OptionalValue(2.0));
    std::vector<double> d;
    ASSERT_TRUE(readDirectDoubles(reader, d));
    EXPECT_EQ(d, (std::vector<double>{1.0, -1.0}));
    std::vector<std::int32_t> w;
    ASSERT_TRUE(readDirectWords(reader, w));
    EXPECT_EQ(w, (std::vector<std::int32_t>{5, 6, 7}));
    ASSERT_TRUE(readDirectOptionalWords(reader, w));
    EXPECT_EQ(w, std::vector<std::int32_t>{9});
    ASSERT_TRUE(readDirectOptionalWords(reader, w));  // flag 0: unchanged
    EXPECT_EQ(w, std::vector<std::int32_t>{9});
    EXPECT_EQ(reader.remaining(), 0u);

    // A count past the end of the file.
    testing::ByteInput bad(std::string("\xff\xff\xff\x0f", 4) + std::string(16, '\0'));
    BinaryReader& badReader = bad.reader();
    EXPECT_FALSE(readDirectDoubles(badReader, d));
    EXPECT_EQ(d, (std::vector<double>{1.0, -1.0}));
    EXPECT_TRUE(badReader.failed());
}

PointSet sampleSet() {
    PointSet s;
    s.setName("Скважины");
    DataPoint a;
    a.x = 0.1, a.y = 1e6 / 3, a.value.set(-2.5), a.label = "W-1", a.state = 7;
    s.addExisting(a);
    DataPoint b;
    b.x = 5, b.y = 6;  // no value, no label
    s.addExisting(b);
    DataPoint c;
    c.x = -1, c.y = 2, c.value.set(4), c.label = "Скв 3";
    s.addExisting(c);
    s.hasLabels = 1;
    s.computeSizeFactors();
    s.badgeFormat.digits = 4;
    s.badgeFormat.font.faceName = "DejaVu Sans";
    return s;
}

std::string sectionBytes(const PointSet& s) {
    return testing::writtenBytes([&](BinaryWriter& out) { s.writeSection(out); });
}

TEST(PointSetSection, WriteReadWriteGivesTheSameBytes) {
    PointSet s = sampleSet();
    s.fitTo(0, 0, 10, 10);                                          // derived, depth 1
    const_cast<PointSet*>(s.derived())->fitTo(100, 100, 200, 300);  // depth 2
    const std::string first = sectionBytes(s);

    testing::ByteInput in(first);
    BinaryReader& reader = in.reader();
    PointSet back;
    ASSERT_TRUE(back.readSection(reader));
    EXPECT_EQ(reader.remaining(), 0u);
    EXPECT_EQ(sectionBytes(back), first);
    EXPECT_EQ(back.name(), "Скважины");
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back.points()[0].label, "W-1");
    EXPECT_FALSE(back.points()[1].label.has_value());
    EXPECT_FALSE(back.points()[1].value.present());
    EXPECT_EQ(back.points()[0].state, 7);
    EXPECT_EQ(back.badgeFormat.digits, 4);
    EXPECT_EQ(back.badgeFormat.font.faceName, "DejaVu Sans");
    ASSERT_NE(back.derived(), nullptr);
    ASSERT_NE(back.derived()->derived(), nullptr);
    EXPECT_EQ(back.asSeen().xmax, 200);
}

TEST(PointSetSection, WrongTagAndDamagedSections) {
    const std::string good = sectionBytes(sampleSet());
    // "PS01" sits after the record length and the string's two words.
    std::string wrongTag = good;
    wrongTag[12 + 3] = '2';
    {
        testing::ByteInput in(wrongTag);
        BinaryReader& reader = in.reader();
        PointSet s;
        EXPECT_FALSE(s.readSection(reader));
        EXPECT_EQ(s.size(), 0u);
        EXPECT_EQ(messageLog().lines().back(), "Invalid format.");
    }
    // Every truncation and a damaged byte at every place: no crash, and a
    // section cut short is never read as complete.
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        testing::ByteInput in(good.substr(0, cut));
        BinaryReader& reader = in.reader();
        PointSet s;
        EXPECT_FALSE(s.readSection(reader)) << cut;
    }
    for (std::size_t at = 0; at < good.size(); ++at) {
        std::string damaged = good;
        damaged[at] = static_cast<char>(0xFF);
        testing::ByteInput in(damaged);
        BinaryReader& reader = in.reader();
        PointSet s;
        s.readSection(reader);
        EXPECT_LE(s.size(), 3u) << at;  // never more points than were written
    }
}

}  // namespace
}  // namespace gridova
