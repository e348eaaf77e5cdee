// The metafile recorders and the player: every file we write passes the
// strict record walker (tests/exchange/metafile_walker.h, written from the
// formats, not from our writers), and played back it draws the picture the
// same drawing gives on a memory picture.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstring>
#include <functional>

#include "exchange/metafile_player.h"
#include "exchange/metafile_recorder.h"
#include "exchange/metafile_records.h"
#include "platform/qt/qt_device.h"
#include "platform/recording_device.h"
#include "platform/text_codec.h"
#include "tests/common/test_env.h"
#include "tests/exchange/metafile_walker.h"
#include "tests/exchange/test_pictures.h"

namespace gridova {
namespace {

namespace fs = std::filesystem;
using test::MetafileWalk;

constexpr gdi::Size kPage{320, 240};
const std::string kText = "Уровни 123";

// A drawing with every kind of call: fills, outlines, hatches, wide and
// styled pens, text, a clip box, and a shape reaching far off the page.
void drawScene(gdi::Device& d) {
    d.fillRect({0, 0, kPage.cx, kPage.cy}, gdi::rgb(250, 250, 240));
    d.setPen({gdi::PenStyle::Solid, 0, gdi::rgb(0, 0, 0)});
    d.setBrush(gdi::Brush::solid(gdi::rgb(255, 180, 0)));
    const gdi::Point triangle[] = {{20, 20}, {150, 40}, {60, 130}};
    d.polygon(triangle, 3);
    d.setBrush(gdi::Brush::hatched(gdi::Hatch::Cross, gdi::rgb(0, 0, 200)));
    d.rectangle({170, 20, 300, 100});
    d.setBrush(gdi::Brush::solid(gdi::rgb(0, 160, 80)));
    d.ellipse({180, 120, 260, 200});
    d.setPen({gdi::PenStyle::Solid, 3, gdi::rgb(200, 0, 0)});
    const gdi::Point line[] = {{10, 220}, {100, 150}, {160, 230}, {300, 210}};
    d.polyline(line, 4);
    d.setPen({gdi::PenStyle::Dash, 0, gdi::rgb(0, 0, 0)});
    d.moveTo({10, 140});
    d.lineTo({150, 140});
    d.setFont(gdi::LogFont::pointFont("Arial", 100));
    d.setTextColor(gdi::rgb(0, 0, 120));
    d.setBackgroundMode(gdi::BackgroundMode::Transparent);
    d.textOut({20, 150}, kText);
    // Clipped: only the part inside the box shows.
    d.clipTo({100, 60, 140, 100});
    d.setPen({gdi::PenStyle::Solid, 0, 0});
    d.setBrush(gdi::Brush::solid(gdi::rgb(120, 0, 120)));
    d.rectangle({80, 40, 200, 120});
    d.clearClip();
    // From far off the page to inside it.
    d.setPen({gdi::PenStyle::Solid, 2, gdi::rgb(0, 100, 255)});
    const gdi::Point far[] = {{-60000, -30000}, {300, 230}};
    d.polyline(far, 2);
    d.setBrush(gdi::Brush::solid(gdi::rgb(0, 200, 200)));
    d.setPen({gdi::PenStyle::Null, 0, 0});
    const gdi::Point wedge[] = {{270, 150}, {310, 150}, {100000, 400000}};
    d.polygon(wedge, 3);
}

// The share of pixels whose channels differ by more than the tolerance.
double differingShare(const QImage& a, const QImage& b, int tolerance = 40) {
    if (a.size() != b.size()) return 1.0;
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    long differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const auto* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col) {
            if (std::abs(qRed(p[col]) - qRed(q[col])) > tolerance ||
                std::abs(qGreen(p[col]) - qGreen(q[col])) > tolerance ||
                std::abs(qBlue(p[col]) - qBlue(q[col])) > tolerance) {
                ++differing;
            }
        }
    }
    return static_cast<double>(differing) / (static_cast<double>(x.width()) * x.height());
}

struct FormatCase {
    const char* name;
    std::function<std::unique_ptr<MetafileRecorder>(const std::string&, gdi::Device*)> make;
    std::function<MetafileWalk(std::span<const std::uint8_t>)> walk;

    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
};

class Metafiles : public ::testing::TestWithParam<FormatCase> {
protected:
    QtImageDevice measure_{{1, 1}, gdi::rgb(255, 255, 255)};
};

TEST_P(Metafiles, TheRecordedSceneIsSoundAndPlaysBackAsDrawn) {
    const std::string path = (testing::testDir() / "scene").string();
    std::unique_ptr<MetafileRecorder> recorder = GetParam().make(path, &measure_);
    drawScene(*recorder);
    ASSERT_TRUE(recorder->finish());
    const std::string file = testing::readFile(path);
    const std::vector<std::uint8_t> bytes(file.begin(), file.end());
    const MetafileWalk walk = GetParam().walk(bytes);
    EXPECT_TRUE(walk.ok()) << test::describeWalk(walk);
    EXPECT_TRUE(walk.reachedEnd);
    EXPECT_TRUE(walk.unknownTypes.empty());

    // The same drawing straight onto a picture, and the file played onto one.
    QtImageDevice direct(kPage, gdi::rgb(255, 255, 255));
    drawScene(direct);
    std::optional<MetafilePicture> picture = parseMetafile(bytes);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->size, kPage);
    QtImageDevice played(kPage, gdi::rgb(255, 255, 255));
    const MetafilePlay play = playMetafile(*picture, played, {0, 0, kPage.cx, kPage.cy});
    EXPECT_FALSE(play.damaged);
    EXPECT_EQ(play.skipped, 0u);
    // Pixels may differ along edges where the file's units round (WMF) and
    // where text is drawn from the same font.
    const double share = differingShare(direct.finishedImage(), played.finishedImage());
    EXPECT_LT(share, 0.01) << share;
    if (share >= 0.01) {
        direct.finishedImage().save(
            QString::fromStdString((testing::testDir() / "direct.png").string()));
        played.finishedImage().save(
            QString::fromStdString((testing::testDir() / "played.png").string()));
    }
}

TEST_P(Metafiles, ObjectsAreMadeOnlyWhenTheDrawingChangesThem) {
    const std::string path = (testing::testDir() / "pens").string();
    std::unique_ptr<MetafileRecorder> recorder = GetParam().make(path, &measure_);
    const gdi::Point a[] = {{1, 1}, {50, 50}};
    // The same pen set again and again, and set but never drawn with: one
    // pen object for the first line, one for the second colour.
    for (int i = 0; i < 5; ++i) recorder->setPen({gdi::PenStyle::Solid, 0, gdi::rgb(255, 0, 0)});
    recorder->polyline(a, 2);
    recorder->setPen({gdi::PenStyle::Solid, 0, gdi::rgb(255, 0, 0)});
    recorder->polyline(a, 2);
    recorder->setPen({gdi::PenStyle::Solid, 0, gdi::rgb(0, 255, 0)});
    recorder->setPen({gdi::PenStyle::Solid, 0, gdi::rgb(0, 0, 255)});
    recorder->polyline(a, 2);
    const std::vector<std::uint8_t> bytes = recorder->bytes();
    const MetafileWalk walk = GetParam().walk(bytes);
    ASSERT_TRUE(walk.ok()) << test::describeWalk(walk);
    std::vector<std::uint32_t> penColours;
    for (const auto& o : walk.objects) {
        if (o.kind == test::WalkedObjectKind::Pen) penColours.push_back(o.color);
    }
    EXPECT_EQ(penColours, (std::vector<std::uint32_t>{gdi::rgb(255, 0, 0), gdi::rgb(0, 0, 255)}));
    // The first pen is deleted once the second is selected: two slots at most.
    EXPECT_LE(walk.largestObjectIndex, 2);
}

TEST_P(Metafiles, TextKeepsItsCharacters) {
    std::unique_ptr<MetafileRecorder> recorder =
        GetParam().make((testing::testDir() / "text").string(), &measure_);
    recorder->setFont(gdi::LogFont::pointFont("Arial", 120));
    recorder->textOut({10, 20}, kText);
    const MetafileWalk walk = GetParam().walk(recorder->bytes());
    ASSERT_TRUE(walk.ok()) << test::describeWalk(walk);
    ASSERT_EQ(walk.texts.size(), 1u);
    const bool wide = std::string(GetParam().name) == "Emf";
    // Wide text as it is; the Windows metafile's bytes in the Cyrillic code
    // page of the font.
    EXPECT_EQ(wide ? walk.texts[0].text : cp1251ToUtf8(walk.texts[0].text), kText);
    // Each character's advance, summing to the measured width.
    const std::vector<std::int32_t>& dx = walk.texts[0].dx;
    ASSERT_EQ(dx.size(), utf8Length(kText));
    measure_.setFont(gdi::LogFont::pointFont("Arial", 120));
    const double width = measure_.textExtent(kText).cx;
    double sum = 0;
    for (std::int32_t d : dx) sum += d;
    const double unitsPerPixel = wide ? 1.0 : WmfRecorder::unitsPerInch(kPage) / 96.0;
    EXPECT_NEAR(sum, width * unitsPerPixel, 1.0);
}

TEST_P(Metafiles, AFileThatCannotBeWrittenIsSaidAndNothingIsLeft) {
    testing::RecordingBoxes boxes;
    const std::string path = (testing::testDir() / "no-such-folder" / "map").string();
    std::unique_ptr<MetafileRecorder> recorder = GetParam().make(path, &measure_);
    drawScene(*recorder);
    EXPECT_FALSE(recorder->finish());
    EXPECT_FALSE(fs::exists(path));
    ASSERT_EQ(boxes.warnings.size(), 1u);
    EXPECT_NE(boxes.warnings[0].find(path), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, Metafiles,
    ::testing::Values(
        FormatCase{"Emf",
                   [](const std::string& p, gdi::Device* m) -> std::unique_ptr<MetafileRecorder> {
                       return std::make_unique<EmfRecorder>(kPage, p, m);
                   },
                   [](std::span<const std::uint8_t> b) { return test::walkEmf(b); }},
        FormatCase{"Wmf",
                   [](const std::string& p, gdi::Device* m) -> std::unique_ptr<MetafileRecorder> {
                       return std::make_unique<WmfRecorder>(kPage, p, m);
                   },
                   [](std::span<const std::uint8_t> b) { return test::walkWmf(b); }}),
    [](const ::testing::TestParamInfo<FormatCase>& p) { return p.param.name; });

// The placeable header's box is the page in thousandths of an inch, the
// enhanced metafile's frame converted; pages too large for 16 bits get fewer
// units per inch, and the box always fits.
TEST(PlaceableHeader, TheBoxIsThePageInTheUnitsThatFit) {
    struct Case {
        gdi::Size page;
        int unitsPerInch;
        std::int16_t right, bottom;
    };
    // Worked out by hand: 800 px = 8.333 in; 3145 px = 32.76 in, the
    // largest page at 1000 units; 3146 px → 32767 × 96 / 3146 = 999 units,
    // 3146 × 999 / 96 = 32738.06; 6000 px wide → 32767 × 96 / 6000 = 524.
    const Case cases[] = {
        {{800, 600}, 1000, 8333, 6250},
        {{3145, 100}, 1000, 32760, 1041},
        {{3146, 100}, 999, 32738, 1040},
        {{6000, 4000}, 524, 32750, 21833},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page.cx);
        WmfRecorder recorder(c.page, "unused", nullptr);
        EXPECT_EQ(WmfRecorder::unitsPerInch(c.page), c.unitsPerInch);
        const MetafileWalk walk = test::walkWmf(recorder.bytes());
        ASSERT_TRUE(walk.ok()) << test::describeWalk(walk);
        EXPECT_EQ(walk.placeable.unitsPerInch, c.unitsPerInch);
        EXPECT_EQ(walk.placeable.left, 0);
        EXPECT_EQ(walk.placeable.top, 0);
        EXPECT_EQ(walk.placeable.right, c.right);
        EXPECT_EQ(walk.placeable.bottom, c.bottom);
        if (c.unitsPerInch == 1000) {
            // The frame of the same page, in hundredths of a millimetre.
            EmfRecorder emf(c.page, "unused", nullptr);
            const MetafileWalk e = test::walkEmf(emf.bytes());
            ASSERT_TRUE(e.ok()) << test::describeWalk(e);
            EXPECT_EQ((e.emf.frame.right + 1) * 1000 / 2540, c.right);
            EXPECT_EQ((e.emf.frame.bottom + 1) * 1000 / 2540, c.bottom);
            EXPECT_EQ(e.emf.bounds, (test::WalkedRect{0, 0, c.page.cx - 1, c.page.cy - 1}));
        }
    }
}

// A line from far off the page is cut where the 16-bit coordinates end, and
// keeps its direction.
TEST(PlaceableHeader, FarCoordinatesAreCutNotClamped) {
    WmfRecorder recorder({960, 960}, "unused", nullptr);
    const gdi::Point line[] = {{-96000, 480}, {96, 480}, {96, 96000}};
    recorder.polyline(line, 3);
    const MetafileWalk walk = test::walkWmf(recorder.bytes());
    ASSERT_TRUE(walk.ok()) << test::describeWalk(walk);
    const auto lines = walk.shapesOf(metafile::meta::Polyline);
    ASSERT_EQ(lines.size(), 1u);
    // 1000 units a 96-pixel inch: y 480 px = 5000 units, x 96 px = 1000.
    EXPECT_EQ(lines[0]->points,
              (std::vector<test::WalkedPoint>{{-32768, 5000}, {1000, 5000}, {1000, 32767}}));
}

// Damaged and foreign files: the player never trusts a count, says what it
// did not draw, and stops at a record that does not fit.
TEST(MetafilePlayer, DamagedFilesEndThePlayAndUnknownRecordsAreSkipped) {
    EmfRecorder recorder(kPage, "unused", nullptr);
    drawScene(recorder);
    const std::vector<std::uint8_t> sound = recorder.bytes();
    const auto put32 = [](std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) b[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    };
    const std::size_t first = 108;  // the first record after the header

    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> damage;
        bool damaged;
        std::size_t skipped;
    };
    const Case cases[] = {
        {"sound", [](std::vector<std::uint8_t>&) {}, false, 0},
        {"cut in half", [](std::vector<std::uint8_t>& b) { b.resize(b.size() / 2); }, true, 0},
        {"a record of size 0", [&](std::vector<std::uint8_t>& b) { put32(b, first + 4, 0); }, true,
         0},
        {"a record past the end",
         [&](std::vector<std::uint8_t>& b) { put32(b, first + 4, 0x7FFFFFF0); }, true, 0},
        {"an unknown record",
         [&](std::vector<std::uint8_t>& b) {
             // Type 200 of 12 bytes in front of the first record.
             const std::uint8_t record[12] = {200, 0, 0, 0, 12, 0, 0, 0, 1, 2, 3, 4};
             b.insert(b.begin() + first, record, record + 12);
         },
         false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> bytes = sound;
        c.damage(bytes);
        std::optional<MetafilePicture> picture = parseMetafile(bytes);
        ASSERT_TRUE(picture.has_value());
        gdi::RecordingDevice device(kPage);
        const MetafilePlay play = playMetafile(*picture, device, {0, 0, kPage.cx, kPage.cy});
        EXPECT_EQ(play.damaged, c.damaged);
        EXPECT_EQ(play.skipped, c.skipped);
        if (c.skipped > 0) {
            EXPECT_EQ(play.skippedTypes.at(200), 1u);
        }
    }

    // A polyline claiming more points than its record holds.
    std::vector<std::uint8_t> bytes = sound;
    for (std::size_t at = first; at + 8 <= bytes.size();) {
        std::uint32_t type, size;
        std::memcpy(&type, &bytes[at], 4);
        std::memcpy(&size, &bytes[at + 4], 4);
        if (type == metafile::emr::Polyline16) {
            put32(bytes, at + 24, 0x40000000);
            break;
        }
        at += size;
    }
    std::optional<MetafilePicture> picture = parseMetafile(bytes);
    ASSERT_TRUE(picture.has_value());
    gdi::RecordingDevice device(kPage);
    EXPECT_TRUE(playMetafile(*picture, device, {0, 0, kPage.cx, kPage.cy}).damaged);
}

// Files of other programs, built record by record: where their shapes land
// in the box was worked out by hand.
std::vector<std::uint8_t> littleEndian(std::initializer_list<std::int64_t> words, int bytes) {
    std::vector<std::uint8_t> out;
    for (const std::int64_t w : words) {
        for (int k = 0; k < bytes; ++k) out.push_back(static_cast<std::uint8_t>(w >> (8 * k)));
    }
    return out;
}

// A Windows metafile with a placeable box from (100, 100) to (300, 200) at
// 96 units an inch: a picture of 200 × 100 pixels.
std::vector<std::uint8_t> wmfWithBox(const std::vector<std::vector<std::int64_t>>& records) {
    std::vector<std::int64_t> head = {0xCDD7, 0x9AC6, 0, 100, 100, 300, 200, 96, 0, 0};
    std::int64_t sum = 0;
    for (std::int64_t w : head) sum ^= w;
    head.push_back(sum);
    std::vector<std::uint8_t> out;
    for (std::int64_t w : head) {
        const auto b = littleEndian({w}, 2);
        out.insert(out.end(), b.begin(), b.end());
    }
    std::vector<std::uint8_t> body;
    std::size_t largest = 3;
    for (const auto& r : records) {
        // Size in words, then the function and the parameters.
        const auto size = littleEndian({static_cast<std::int64_t>(2 + r.size())}, 4);
        body.insert(body.end(), size.begin(), size.end());
        for (std::int64_t w : r) {
            const auto b = littleEndian({w}, 2);
            body.insert(body.end(), b.begin(), b.end());
        }
        largest = std::max(largest, 2 + r.size());
    }
    const auto eof = littleEndian({3, 0, 0}, 2);
    body.insert(body.end(), eof.begin(), eof.end());
    const auto header = littleEndian({1, 9, 0x300}, 2);
    out.insert(out.end(), header.begin(), header.end());
    const auto words = littleEndian({static_cast<std::int64_t>((18 + body.size()) / 2)}, 4);
    out.insert(out.end(), words.begin(), words.end());
    const auto objects = littleEndian({4}, 2);
    out.insert(out.end(), objects.begin(), objects.end());
    const auto maxRecord = littleEndian({static_cast<std::int64_t>(largest)}, 4);
    out.insert(out.end(), maxRecord.begin(), maxRecord.end());
    const auto members = littleEndian({0}, 2);
    out.insert(out.end(), members.begin(), members.end());
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<std::string> played(const std::vector<std::uint8_t>& bytes, const gdi::Rect& box,
                                std::string_view only) {
    std::optional<MetafilePicture> picture = parseMetafile(bytes);
    if (!picture) return {"not parsed"};
    gdi::RecordingDevice device({1000, 1000});
    const MetafilePlay play = playMetafile(*picture, device, box);
    if (play.damaged) return {"damaged"};
    return device.callsOf(only);
}

TEST(MetafilePlayer, ForeignWindowsMetafilesMapTheirWindowOntoTheBox) {
    // META_RECTANGLE is bottom, right, top, left.
    const std::vector<std::int64_t> leftHalf = {metafile::meta::Rectangle, 200, 200, 100, 100};
    // The box's corner is the picture's corner.
    std::vector<std::uint8_t> file = wmfWithBox({leftHalf});
    std::optional<MetafilePicture> picture = parseMetafile(file);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->size, gdi::Size(200, 100));
    EXPECT_EQ(played(file, {0, 0, 400, 200}, "rectangle"),
              std::vector<std::string>{"rectangle 0,0 200,200"});
    // A window of its own, y upward: (0, 0) at the bottom left, 1000 units
    // across and 500 up fill the picture.
    file = wmfWithBox({{metafile::meta::SetWindowOrg, 500, 0},
                       {metafile::meta::SetWindowExt, -500, 1000},
                       {metafile::meta::Rectangle, 0, 500, 250, 0}});
    EXPECT_EQ(played(file, {0, 0, 400, 200}, "rectangle"),
              std::vector<std::string>{"rectangle 0,100 200,200"});
}

TEST(MetafilePlayer, ForeignEnhancedMetafiles) {
    // Our own frame and header, then records of another program's kinds.
    EmfRecorder frame({200, 100}, "unused", nullptr);
    const std::vector<std::uint8_t> empty = frame.bytes();
    const auto withRecords = [&](const std::vector<std::uint8_t>& records) {
        std::vector<std::uint8_t> bytes(empty.begin(), empty.end() - 20);
        bytes.insert(bytes.end(), records.begin(), records.end());
        bytes.insert(bytes.end(), empty.end() - 20, empty.end());
        return bytes;
    };
    // MM_HIMETRIC: hundredths of a millimetre, y upward. From the top left
    // corner, 2540 units right (an inch, 96 pixels) and 1270 down (48).
    std::vector<std::uint8_t> records = littleEndian({17, 12, 3}, 4);  // SETMAPMODE HIMETRIC
    auto rect = littleEndian({43, 24, 0, 0, 2540, -1270}, 4);
    records.insert(records.end(), rect.begin(), rect.end());
    EXPECT_EQ(played(withRecords(records), {0, 0, 200, 100}, "rectangle"),
              std::vector<std::string>{"rectangle 0,0 96,48"});
    // A poly-polygon whose first ring is empty: the other ring is drawn.
    records = littleEndian({91, 32 + 8 + 12, 0, 0, 0, 0, 2, 3, 0, 3}, 4);
    const auto points = littleEndian({10, 10, 50, 10, 30, 40}, 2);
    records.insert(records.end(), points.begin(), points.end());
    EXPECT_EQ(played(withRecords(records), {0, 0, 200, 100}, "polygon"),
              std::vector<std::string>{"polygon 3 10,10 50,10 30,40"});
}

TEST(MetafilePlayer, FilesThatAreNoMetafilesAreRefusedWithTheirReason) {
    WmfRecorder wmf(kPage, "unused", nullptr);
    std::vector<std::uint8_t> badChecksum = wmf.bytes();
    badChecksum[20] ^= 1;
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        const char* reason;
    };
    const Case cases[] = {
        {"empty", {}, "no metafile header"},
        {"text", {'h', 'e', 'l', 'l', 'o'}, "no metafile header"},
        {"checksum", badChecksum, "a wrong checksum of the placeable header"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string why;
        EXPECT_FALSE(parseMetafile(c.bytes, &why).has_value());
        EXPECT_EQ(why, c.reason);
    }
    testing::RecordingBoxes boxes;
    const std::string path = testing::writeFile("not.emf", "not a picture at all");
    EXPECT_FALSE(readMetafile(path).has_value());
    EXPECT_EQ(boxes.warnings, std::vector<std::string>{"Файл " + path +
                                                       " не является метафайлом: "
                                                       "a wrong metafile header"});
}

}  // namespace
}  // namespace gridova
