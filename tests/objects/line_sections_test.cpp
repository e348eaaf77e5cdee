// The document sections of lines, line lists, groups and their items:
// layouts checked against bytes made by hand, write → read → write, wrong
// tags, truncated and damaged sections, counts and nesting from the file.
#include <gtest/gtest.h>

#include <functional>

#include "objects/bush.h"
#include "objects/line.h"
#include "objects/line_list.h"
#include "objects/map_items.h"
#include "platform/message_log.h"
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

// The font record of a font: five words, eight bytes, the face as a
// direct text.
std::string fontBytes(const gdi::LogFont& f) {
    std::string s = wordBytes(f.height) + wordBytes(f.width) + wordBytes(f.escapement) +
                    wordBytes(f.orientation) + wordBytes(f.weight);
    for (std::uint8_t b : {f.italic, f.underline, f.strikeOut, f.charSet, f.outPrecision,
                           f.clipPrecision, f.quality, f.pitchAndFamily}) {
        s += static_cast<char>(b);
    }
    return s + wordBytes(static_cast<std::int32_t>(f.faceName.size())) + f.faceName;
}

gdi::LogFont sampleFont() {
    gdi::LogFont f = gdi::LogFont::pointFont("DejaVu Sans", 95);
    f.weight = 700;
    f.italic = 1;
    f.escapement = 900;
    return f;
}

Line sampleLine(std::string name, double shift) {
    Line l({{0.1 + shift, -2}, {1e-300, 3.25}, {7, 1.0 / 3}});
    l.name = std::move(name);
    l.style = {LineStyle::kFilledHatched, -2, 0x123456, 0x00FF00, 5, 2, 3};
    l.value = -17.125;
    return l;
}

MapAxis sampleAxis() {
    MapAxis a;
    a.xy = MapAxis::kVertical;
    a.locate = MapAxis::kLeft;
    a.name = "Y левая";
    a.labelFormat = "%.3lf";
    a.title = "Глубина, м";
    a.colorLine = 0x0000FF;
    a.tickStep = 0.25;
    a.world[2] = -5;
    a.world[3] = 5;
    a.font = sampleFont();
    return a;
}

MapText sampleText(bool withFont) {
    MapText t;
    t.text = "Скв. 12";
    t.color = 0x00AA00;
    t.left = 10;
    t.top = 20;
    t.right = 66;
    t.bottom = 36;
    t.place[1] = 2.5;
    if (withFont) t.font = sampleFont();
    return t;
}

PointSet samplePointSet(const char* name) {
    PointSet s;
    s.setName(name);
    s.addPoint(1, 2, 3);
    s.addPoint(4, 5, 6);
    s.points()[1].setLabel("W-2");
    s.computeStatistics();
    s.fitTo(0, 0, 10, 10);  // a derived set nests one level deeper
    return s;
}

// A tree with every item kind, nested groups, a palette and an empty group.
std::unique_ptr<Bush> sampleTree() {
    auto root = std::make_unique<Bush>("Корень");
    root->setPalette({0x0000FF, 0x00FF00, 0xFF0000});
    root->kept = {1, -2, 3, 0, 5, 2147483647};
    root->addItem(BushItem(sampleLine("Граница", 0)));
    root->addItem(BushItem(samplePointSet("Скважины")));
    root->addItem(BushItem(sampleAxis()));
    root->addItem(BushItem(sampleText(true)));
    root->addItem(BushItem(BushItem::Type::Axis));  // an item without its object
    Bush& child = root->addChild(std::make_unique<Bush>("Участок"));
    child.addItem(BushItem(sampleLine("", 10)));  // takes an automatic name
    child.addItem(BushItem(sampleText(false)));
    Bush& grandchild = child.addChild(std::make_unique<Bush>());
    grandchild.addItem(BushItem(samplePointSet("Внутри")));
    MapText bare;  // no text, no font
    grandchild.addItem(BushItem(bare));
    root->addChild(std::make_unique<Bush>("Пустая"));
    return root;
}

std::string treeBytes(const Bush& b) {
    return writtenBytes([&](BinaryWriter& out) { b.writeSection(out); });
}

std::size_t itemsInTree(const Bush& b) {
    std::size_t n = b.itemCount();
    for (std::size_t i = 0; i < b.childCount(); ++i) n += itemsInTree(b.child(i));
    return n;
}

TEST(LineSection, LayoutMatchesBytesMadeByHand) {
    const Line named = sampleLine("Ось", 0);
    const std::string points = doubleBytes(0.1) + doubleBytes(-2) + doubleBytes(1e-300) +
                               doubleBytes(3.25) + doubleBytes(7) + doubleBytes(1.0 / 3);
    const std::string expected =
        recordBytes(stringBytes("LN01") + wordBytes(3) + wordBytes(2) + wordBytes(-2) +
                    wordBytes(0x123456) + wordBytes(0x00FF00) + wordBytes(5) + wordBytes(2) +
                    wordBytes(3) + doubleBytes(-17.125) + wordBytes(1) + stringBytes("Ось")) +
        points + drectBytes(1e-300, -2, 7, 3.25);
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { named.writeSection(out); }), expected);

    ByteInput in(expected);
    Line back;
    ASSERT_TRUE(back.readSection(in.reader()));
    EXPECT_EQ(in.reader().remaining(), 0u);
    EXPECT_EQ(back.points(), named.points());
    EXPECT_EQ(back.style, named.style);
    EXPECT_EQ(back.value, -17.125);
    EXPECT_EQ(back.name, "Ось");
    EXPECT_EQ(back.extent(), DRect(1e-300, -2, 7, 3.25));

    // An unnamed, empty line: presence word 0 and no string.
    Line unnamed(std::vector<LinePoint>{});
    const std::string bare =
        recordBytes(stringBytes("LN01") + wordBytes(0) + wordBytes(0) + wordBytes(0) +
                    wordBytes(0xFFFFFF) + wordBytes(0) + wordBytes(3) + wordBytes(0) +
                    wordBytes(0) + doubleBytes(0) + wordBytes(0)) +
        drectBytes(0, 0, 0, 0);
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { unnamed.writeSection(out); }), bare);
    ByteInput in2(bare);
    ASSERT_TRUE(back.readSection(in2.reader()));
    EXPECT_FALSE(back.name.has_value());
    EXPECT_TRUE(back.empty());
}

TEST(MapItemSections, LayoutsMatchBytesMadeByHand) {
    // "AX01": every word and double distinct, so that a member out of place
    // shows.
    MapAxis axis;
    std::int32_t* words[] = {nullptr,
                             nullptr,
                             &axis.widthLine,
                             &axis.initSpacing,
                             &axis.spacing,
                             &axis.autoDecimalDigit,
                             &axis.decimalDigit,
                             &axis.tickLength,
                             &axis.labelExtent,
                             &axis.xy,
                             &axis.locate,
                             &axis.visible,
                             &axis.autoTicks,
                             &axis.hasValueTransform};
    std::string body = stringBytes("AX01");
    for (std::int32_t i = 0; i < 14; ++i) {
        body += wordBytes(101 + i);
        if (words[i] != nullptr) *words[i] = 101 + i;
    }
    axis.colorLine = 101;
    axis.colorText = 102;
    double* doubles[] = {&axis.worldStart, &axis.worldEnd,  &axis.valueStart,
                         &axis.valueEnd,   &axis.factor,    &axis.inverseFactor,
                         &axis.initTicks,  &axis.lastTicks, &axis.tickStep};
    for (int i = 0; i < 21; ++i) {
        const double v = 0.5 + i;
        body += doubleBytes(v);
        if (i < 6) {
            axis.world[i] = v;
        } else if (i < 12) {
            axis.clipped[i - 6] = v;
        } else {
            *doubles[i - 12] = v;
        }
    }
    body += stringBytes("X нижняя") + stringBytes("%.4lf") + wordBytes(1) + stringBytes("Км");
    axis.name = "X нижняя";
    axis.labelFormat = "%.4lf";
    axis.title = "Км";
    axis.font = sampleFont();
    const std::string axisBytes = recordBytes(body) + fontBytes(axis.font);
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { axis.writeSection(out); }), axisBytes);
    ByteInput axisIn(axisBytes);
    MapAxis axisBack;
    ASSERT_TRUE(axisBack.readSection(axisIn.reader()));
    EXPECT_EQ(axisBack, axis);

    // "TX01": the text's length in bytes (10 for "Скв. 12" in UTF-8) after the box,
    // then the colour.
    const MapText t = sampleText(true);
    const std::string textBytes =
        recordBytes(stringBytes("TX01") + wordBytes(10) + wordBytes(20) + wordBytes(66) +
                    wordBytes(36) + wordBytes(10) + wordBytes(0x00AA00) + doubleBytes(0) +
                    doubleBytes(2.5) + doubleBytes(0) + wordBytes(1) + stringBytes("Скв. 12")) +
        recordBytes(wordBytes(1)) + fontBytes(sampleFont());
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { t.writeSection(out); }), textBytes);
    ByteInput textIn(textBytes);
    MapText textBack;
    ASSERT_TRUE(textBack.readSection(textIn.reader()));
    EXPECT_EQ(textBack, t);

    // Without text and font: presence words 0.
    const MapText bare;
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { bare.writeSection(out); }),
              recordBytes(stringBytes("TX01") + std::string(6 * 4, '\0') +
                          std::string(3 * 8, '\0') + wordBytes(0)) +
                  recordBytes(wordBytes(0)));
}

TEST(GroupSection, WriteReadWriteGivesTheSameBytes) {
    const std::unique_ptr<Bush> tree = sampleTree();
    const std::string first = treeBytes(*tree);
    ByteInput in(first);
    Bush back;
    ASSERT_TRUE(back.readSection(in.reader()));
    EXPECT_EQ(in.reader().remaining(), 0u);
    EXPECT_EQ(treeBytes(back), first);

    // What was read, not only its bytes.
    EXPECT_EQ(back.name(), "Корень");
    EXPECT_EQ(back.kept, tree->kept);
    ASSERT_TRUE(back.palette().has_value());
    EXPECT_EQ(*back.palette(), (ColorPalette{0x0000FF, 0x00FF00, 0xFF0000}));
    ASSERT_EQ(back.itemCount(), 5u);
    EXPECT_EQ(back.item(0).line()->name, "Граница");
    EXPECT_EQ(back.item(1).pointSet()->points()[1].label, "W-2");
    ASSERT_NE(back.item(1).pointSet()->derived(), nullptr);
    EXPECT_EQ(*back.item(2).axis(), sampleAxis());
    EXPECT_EQ(*back.item(3).text(), sampleText(true));
    EXPECT_EQ(back.item(4).type(), BushItem::Type::Axis);
    EXPECT_FALSE(back.item(4).hasObject());
    ASSERT_EQ(back.childCount(), 2u);
    const Bush& child = back.child(0);
    EXPECT_EQ(child.parent(), &back);
    EXPECT_EQ(child.item(0).line()->name, "Линия");
    EXPECT_EQ(child.nextItemName(), "Линия1");
    EXPECT_EQ(child.child(0).name(), "Группа");
    EXPECT_EQ(child.child(0).parent(), &child);
    EXPECT_FALSE(child.child(0).item(1).text()->text.has_value());
    EXPECT_EQ(back.child(1).itemCount(), 0u);
    EXPECT_EQ(back.extent(), tree->extent());
    EXPECT_FALSE(back.modified);
}

TEST(LineListSection, WriteReadWriteGivesTheSameBytes) {
    LineList list;
    list.add(sampleLine("a", 0));
    list.add(Line());
    Line unnamed({{5, 5}, {6, 6}});
    list.add(unnamed);
    list.current = 2;
    const std::string first = writtenBytes([&](BinaryWriter& out) { list.writeSection(out); });
    ByteInput in(first);
    LineList back;
    ASSERT_TRUE(back.readSection(in.reader()));
    EXPECT_EQ(writtenBytes([&](BinaryWriter& out) { back.writeSection(out); }), first);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back.current, 2);
    EXPECT_EQ(back.line(1)->name, "Line");
    EXPECT_FALSE(back.line(2)->name.has_value());
    EXPECT_EQ(back.extent(), list.extent());
}

// One good section of each kind, and how to read it into a fresh object;
// the reader says whether the object came out empty.
struct SectionKind {
    const char* name;
    std::string bytes;
    std::size_t tagLength;
    std::function<bool(BinaryReader&, bool& empty)> read;
};

std::vector<SectionKind> sectionKinds() {
    const auto bytesOf = [](auto&& object) {
        return writtenBytes([&](BinaryWriter& out) { object.writeSection(out); });
    };
    LineList list;
    list.add(sampleLine("x", 0));
    list.add(sampleLine("y", 1));
    return {
        {"LN01", bytesOf(sampleLine("z", 0)), 4,
         [](BinaryReader& in, bool& empty) {
             Line l;
             const bool ok = l.readSection(in);
             empty = l.empty() && l.style == LineStyle() && l.name == "Line";
             return ok;
         }},
        {"LS01", bytesOf(list), 4,
         [](BinaryReader& in, bool& empty) {
             LineList l;
             const bool ok = l.readSection(in);
             empty = l.empty();
             return ok;
         }},
        {"BI01", bytesOf(BushItem(sampleLine("w", 0))), 4,
         [](BinaryReader& in, bool& empty) {
             const auto item = BushItem::readSection(in, 0);
             empty = item == nullptr;
             return item != nullptr;
         }},
        {"Bush01", bytesOf(*sampleTree()), 6,
         [](BinaryReader& in, bool& empty) {
             Bush b;
             const bool ok = b.readSection(in);
             empty = b.itemCount() == 0 && b.childCount() == 0 && b.name().empty();
             return ok;
         }},
        {"AX01", bytesOf(sampleAxis()), 4,
         [](BinaryReader& in, bool& empty) {
             MapAxis a;
             const bool ok = a.readSection(in);
             empty = a == MapAxis();
             return ok;
         }},
        {"TX01", bytesOf(sampleText(true)), 4,
         [](BinaryReader& in, bool& empty) {
             MapText t;
             const bool ok = t.readSection(in);
             empty = t == MapText();
             return ok;
         }},
    };
}

// The tag sits after the record length and the string's two words.
constexpr std::size_t kTagOffset = 12;

TEST(Sections, TagsDifferingOnlyInTheirDigitsAreRefused) {
    testing::StderrCapture quiet;
    for (const SectionKind& kind : sectionKinds()) {
        for (char digit : {'0', '2', '9'}) {
            std::string bytes = kind.bytes;
            char& last = bytes[kTagOffset + kind.tagLength - 1];
            if (last == digit) continue;
            last = digit;
            SCOPED_TRACE(bytes.substr(kTagOffset, kind.tagLength));
            messageLog().reset();
            ByteInput in(bytes);
            bool empty = false;
            EXPECT_FALSE(kind.read(in.reader(), empty));
            EXPECT_TRUE(empty);
            EXPECT_EQ(timesLogged(kInvalidFormat), 1u);
            // Nothing more of the section was taken; the file goes on.
            EXPECT_FALSE(in.reader().failed());
        }
        SCOPED_TRACE(kind.name);
        ByteInput good(kind.bytes);
        bool empty = true;
        EXPECT_TRUE(kind.read(good.reader(), empty));
        EXPECT_FALSE(empty);
    }
}

TEST(Sections, EveryTruncationIsRefusedAndReportedOnce) {
    testing::StderrCapture quiet;
    for (const SectionKind& kind : sectionKinds()) {
        SCOPED_TRACE(kind.name);
        for (std::size_t cut = 0; cut < kind.bytes.size(); ++cut) {
            messageLog().reset();
            ByteInput in(kind.bytes.substr(0, cut));
            bool empty = false;
            ASSERT_FALSE(kind.read(in.reader(), empty)) << cut;
            const std::size_t reports = timesLogged(kInvalidFormat);
            // A point set says so itself, and the group may once more.
            const std::size_t most = std::string_view(kind.name) == "Bush01" ? 2 : 1;
            ASSERT_GE(reports, 1u) << cut;
            ASSERT_LE(reports, most) << cut;
        }
    }
}

TEST(Sections, DamagedBytesAreRefusedOrReadWithoutHarm) {
    testing::StderrCapture quiet;
    const std::unique_ptr<Bush> tree = sampleTree();
    const std::string good = treeBytes(*tree);
    const std::size_t written = itemsInTree(*tree);
    for (std::size_t at = 0; at < good.size(); ++at) {
        for (unsigned char value : {0xFFu, 0x80u, 0x00u, 0x7Fu}) {
            std::string damaged = good;
            if (static_cast<unsigned char>(damaged[at]) == value) continue;
            damaged[at] = static_cast<char>(value);
            ByteInput in(damaged);
            Bush b;
            const bool ok = b.readSection(in.reader());
            // Never more items than were written; what was read writes again.
            ASSERT_LE(itemsInTree(b), written) << at;
            if (ok) {
                const std::string again = treeBytes(b);
                ASSERT_FALSE(again.empty()) << at;
            }
        }
    }
}

// A "Bush01" section made by hand, with no extent and no children.
std::string bushBytes(std::int32_t paletteCount, const std::string& palette,
                      const std::string& items) {
    return recordBytes(stringBytes("Bush01") + stringBytes("g") + stringBytes("Группа") +
                       stringBytes("Линия") + std::string(6 * 4, '\0') + wordBytes(paletteCount)) +
           palette + wordBytes(0) + items + wordBytes(-1);
}

std::string lineBytes(std::int32_t count, std::int32_t pointsWritten) {
    std::string s = recordBytes(stringBytes("LN01") + wordBytes(count) + std::string(7 * 4, '\0') +
                                doubleBytes(0) + wordBytes(0));
    for (std::int32_t i = 0; i < pointsWritten; ++i) s += doubleBytes(i) + doubleBytes(i);
    return s + drectBytes(0, 0, 0, 0);
}

TEST(Sections, CountsIndicesAndTypesAreCheckedAgainstTheFileAndTheirOwner) {
    testing::StderrCapture quiet;
    const std::string item =
        recordBytes(stringBytes("BI01") + wordBytes(1) + wordBytes(2)) + lineBytes(1, 1);
    struct Case {
        const char* name;
        std::string bytes;
        bool ok;
    };
    const Case cases[] = {
        {"a line item", bushBytes(0, wordBytes(0), wordBytes(1) + wordBytes(1) + item), true},
        {"item count -1 (no items)", bushBytes(0, wordBytes(0), wordBytes(-1)), true},
        {"item count -2", bushBytes(0, wordBytes(0), wordBytes(-2)), false},
        {"item count beyond the file", bushBytes(0, wordBytes(0), wordBytes(1 << 28)), false},
        {"an absent item slot", bushBytes(0, wordBytes(0), wordBytes(1) + wordBytes(0)), true},
        {"a palette of 2",
         bushBytes(2, wordBytes(1) + wordBytes(2) + wordBytes(5) + wordBytes(6), wordBytes(-1)),
         true},
        {"palette count 3 for 2 colours",
         bushBytes(3, wordBytes(1) + wordBytes(2) + wordBytes(5) + wordBytes(6), wordBytes(-1)),
         false},
        {"palette count without a palette", bushBytes(3, wordBytes(0), wordBytes(-1)), false},
        {"negative palette count", bushBytes(-1, wordBytes(0), wordBytes(-1)), false},
        {"palette longer than the file", bushBytes(0, wordBytes(1) + wordBytes(1 << 29), ""),
         false},
        {"item of type 3 (never saved)",
         bushBytes(0, wordBytes(0),
                   wordBytes(1) + wordBytes(1) +
                       recordBytes(stringBytes("BI01") + wordBytes(1) + wordBytes(3)) +
                       lineBytes(1, 1)),
         false},
        {"line count -1",
         bushBytes(0, wordBytes(0),
                   wordBytes(1) + wordBytes(1) +
                       recordBytes(stringBytes("BI01") + wordBytes(1) + wordBytes(2)) +
                       lineBytes(-1, 0)),
         false},
        {"line count beyond the file",
         bushBytes(0, wordBytes(0),
                   wordBytes(1) + wordBytes(1) +
                       recordBytes(stringBytes("BI01") + wordBytes(1) + wordBytes(2)) +
                       lineBytes(0x7FFFFFFF, 1)),
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messageLog().reset();
        ByteInput in(c.bytes);
        Bush b;
        EXPECT_EQ(b.readSection(in.reader()), c.ok);
        EXPECT_EQ(timesLogged(kInvalidFormat), c.ok ? 0u : 1u);
    }

    // A stored Current outside the list reads as no selection.
    for (std::int32_t current : {-1, 0, 1, 2, -7}) {
        SCOPED_TRACE(current);
        const std::string bytes =
            recordBytes(stringBytes("LS01") + wordBytes(2) + wordBytes(current)) + lineBytes(1, 1) +
            lineBytes(0, 0) + drectBytes(0, 0, 0, 0);
        ByteInput in(bytes);
        LineList l;
        ASSERT_TRUE(l.readSection(in.reader()));
        EXPECT_EQ(l.current, current == 0 || current == 1 ? current : -1);
    }
}

TEST(Sections, GroupNestingIsBounded) {
    testing::StderrCapture quiet;
    // A chain of groups below the root; the deepest may hold a point set
    // with a derived set, which nests one level deeper still.
    const auto chain = [](int depth, bool withSet) {
        auto root = std::make_unique<Bush>("0");
        Bush* b = root.get();
        for (int d = 1; d <= depth; ++d) {
            b = &b->addChild(std::make_unique<Bush>(std::to_string(d)));
        }
        if (withSet) b->addItem(BushItem(samplePointSet("deep")));
        return root;
    };
    struct Case {
        int depth;
        bool withSet;
        bool ok;
    };
    const Case cases[] = {
        {kMaxSectionDepth, false, true},
        {kMaxSectionDepth + 1, false, false},
        {kMaxSectionDepth - 1, true, true},
        {kMaxSectionDepth, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.depth << (c.withSet ? " with a set" : ""));
        messageLog().reset();
        const std::string bytes = treeBytes(*chain(c.depth, c.withSet));
        ByteInput in(bytes);
        Bush b;
        EXPECT_EQ(b.readSection(in.reader()), c.ok);
        if (c.ok) {
            EXPECT_EQ(treeBytes(b), bytes);
        } else {
            EXPECT_TRUE(in.reader().failed());
            // A point set reports its own depth, and the group may once more.
            EXPECT_GE(timesLogged(kInvalidFormat), 1u);
            EXPECT_LE(timesLogged(kInvalidFormat), c.withSet ? 2u : 1u);
        }
    }
}

}  // namespace
}  // namespace gridova
