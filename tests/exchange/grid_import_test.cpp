// Grid import: text and binary grid files written by hand, our own binary
// export read back, files written by GDAL (tests/exchange/
// make_grid_fixtures.sh) against the values of their source worked out by
// hand, and a table of damaged files.
#include "exchange/grid_import.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "exchange/grid_export.h"
#include "grid/eq_net.h"
#include "platform/messages.h"
#include "tests/common/seen_boxes.h"
#include "tests/common/test_env.h"

namespace gridova {
namespace {

const std::string kBadFormat = "Bad format has been detected in ";

using testing::SeenBoxes;

// A binary grid packed byte by byte, little-endian.
class Packer {
public:
    Packer& bytes(std::string_view s) {
        out.append(s);
        return *this;
    }
    Packer& int16(std::int16_t v) {
        const auto u = static_cast<std::uint16_t>(v);
        out.push_back(static_cast<char>(u & 0xFF));
        out.push_back(static_cast<char>(u >> 8));
        return *this;
    }
    Packer& bits32(std::uint32_t v) {
        for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
        return *this;
    }
    Packer& bits64(std::uint64_t v) {
        bits32(static_cast<std::uint32_t>(v));
        return bits32(static_cast<std::uint32_t>(v >> 32));
    }
    Packer& real(double v) { return bits64(std::bit_cast<std::uint64_t>(v)); }
    Packer& single(float v) { return bits32(std::bit_cast<std::uint32_t>(v)); }

    std::string out;
};

// The header of a binary grid.
Packer binaryHeader(std::int16_t nx, std::int16_t ny, double xlo = 0, double xhi = 10,
                    double ylo = 0, double yhi = 5) {
    Packer p;
    p.bytes("DSBB").int16(nx).int16(ny).real(xlo).real(xhi).real(ylo).real(yhi).real(-1).real(1);
    return p;
}

// --- Text grid ---------------------------------------------------------------------

// 3 columns × 2 rows over 0..10 × 0..5, written by hand: the first row (at
// ylo) holds 1 2 3, the second 4.5 -5e-1 6E2; the rows wrap over lines and
// use tabs and CR LF line ends, and the first line runs on after "DSAA".
TEST(GridImportText, ReadsValuesAndExtentRowByRow) {
    SeenBoxes boxes;
    const std::string file =
        "DSAA written by hand\r\n"
        "3\t2\r\n"
        "0 10\r\n"
        "0 5\n"
        "-0.5 600\n"
        "1 2\n"
        "3 4.5\n"
        "  -5e-1\t6E2\n";
    GridFileKind kind = GridFileKind::Bad;
    const auto g = readGridBytes(file, "hand.grd", &kind);
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(kind, GridFileKind::TextGrid);
    EXPECT_EQ(g->nx, 3);
    EXPECT_EQ(g->ny, 2);
    EXPECT_EQ(g->xlo, 0.0);
    EXPECT_EQ(g->xhi, 10.0);
    EXPECT_EQ(g->ylo, 0.0);
    EXPECT_EQ(g->yhi, 5.0);
    EXPECT_EQ(g->zlo, -0.5);
    EXPECT_EQ(g->zhi, 600.0);
    EXPECT_EQ(g->values, (std::vector<double>{1, 2, 3, 4.5, -0.5, 600}));
    EXPECT_EQ(g->at(0, 2), 3.0);
    EXPECT_EQ(g->at(1, 0), 4.5);
    EXPECT_TRUE(boxes.warnings.empty());
}

// Coordinates of seven digits before the point and values beyond float
// precision come back as the nearest doubles (a float would give 5432123.5).
TEST(GridImportText, ReadsNumbersAsDoubles) {
    const std::string file =
        "DSAA\n"
        "2 1\n"
        "5432123.4 5432223.4\n"
        "6100000.1 6100010.1\n"
        "0 1\n"
        "1234567.89 0.1\n";
    const auto g = readGridBytes(file, "utm.grd");
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->xlo, 5432123.4);
    EXPECT_EQ(g->xhi, 5432223.4);
    EXPECT_EQ(g->ylo, 6100000.1);
    EXPECT_EQ(g->yhi, 6100010.1);
    EXPECT_EQ(g->values, (std::vector<double>{1234567.89, 0.1}));
}

// A text value above 1e30 is kept as read and is a blank; 1e30 itself is
// not.
TEST(GridImportText, KeepsBlanksAsRead) {
    const auto g = readGridBytes("DSAA\n3 1\n0 1\n0 1\n0 1\n1.70141e38 1e30 -1.70141e38\n", "b");
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(g->values[0], 1.70141e38);
    EXPECT_TRUE(isBlank(g->values[0]));
    EXPECT_FALSE(isBlank(g->values[1]));
    EXPECT_FALSE(isBlank(g->values[2]));
}

// --- Binary grid -------------------------------------------------------------------

// 2 × 2 values packed by hand; the blank 1.70141e38 (float bits 0x7EFFFFEE)
// reads as a blank, the others exactly, the first row at ylo.
TEST(GridImportBinary, ReadsPackedFileWithBlank) {
    SeenBoxes boxes;
    Packer p = binaryHeader(2, 2, 5432123.4, 5432223.4, -20, -10);
    p.single(0.5f).single(-2.25f).bits32(0x7EFFFFEE).single(1e6f);
    GridFileKind kind = GridFileKind::Bad;
    const auto g = readGridBytes(p.out, "packed.grd", &kind);
    ASSERT_TRUE(g.has_value());
    EXPECT_EQ(kind, GridFileKind::BinaryGrid);
    EXPECT_EQ(g->nx, 2);
    EXPECT_EQ(g->ny, 2);
    EXPECT_EQ(g->xlo, 5432123.4);
    EXPECT_EQ(g->xhi, 5432223.4);
    EXPECT_EQ(g->ylo, -20.0);
    EXPECT_EQ(g->yhi, -10.0);
    EXPECT_EQ(g->zlo, -1.0);
    EXPECT_EQ(g->zhi, 1.0);
    EXPECT_EQ(g->at(0, 0), 0.5);
    EXPECT_EQ(g->at(0, 1), -2.25);
    EXPECT_TRUE(isBlank(g->at(1, 0)));
    EXPECT_NEAR(g->at(1, 0), 1.70141e38, 1e32);
    EXPECT_EQ(g->at(1, 1), 1e6);
    EXPECT_TRUE(boxes.warnings.empty());
}

// Plus infinity is above the blank limit: a blank, not a broken file.
TEST(GridImportBinary, PlusInfinityIsBlank) {
    Packer p = binaryHeader(1, 1);
    p.single(std::numeric_limits<float>::infinity());
    const auto g = readGridBytes(p.out, "inf.grd");
    ASSERT_TRUE(g.has_value());
    EXPECT_TRUE(isBlank(g->values[0]));
}

// Our own export read back: every node's value at float precision, the
// node outside the area a blank, the extreme nodes as the extent.
TEST(GridImportBinary, ReadsOurExport) {
    auto net = std::make_unique<EqNet>();
    net->setSteps({0.5, 1.5, 1}, {2, 0.25});  // 4 × 3 nodes, uneven steps
    std::vector<double> v;
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 4; ++i) v.push_back(i / 3.0 - j * 1234.567);
    }
    ASSERT_EQ(net->SetValues(v), 0);
    net->mask().assign(12, kMaskInside);
    net->mask()[1 + 2 * 4] = kMaskOutside;

    const std::string path = (testing::testDir() / "ours.grd").string();
    const DRect all(net->nodeX().front(), net->nodeY().front(), net->nodeX().back(),
                    net->nodeY().back());
    ASSERT_TRUE(exportGrd(*net, path, all).written);

    const auto g = readGridFile(path);
    ASSERT_TRUE(g.has_value());
    ASSERT_EQ(g->nx, 4);
    ASSERT_EQ(g->ny, 3);
    EXPECT_EQ(g->xlo, net->nodeX().front());
    EXPECT_EQ(g->xhi, net->nodeX().back());
    EXPECT_EQ(g->ylo, net->nodeY().front());
    EXPECT_EQ(g->yhi, net->nodeY().back());
    for (int j = 0; j < 3; ++j) {
        for (int i = 0; i < 4; ++i) {
            SCOPED_TRACE(::testing::Message() << "node " << i << ", " << j);
            if (i == 1 && j == 2) {
                EXPECT_TRUE(isBlank(g->at(j, i)));
            } else {
                EXPECT_EQ(g->at(j, i), static_cast<double>(static_cast<float>(v[j * 4 + i])));
            }
        }
    }
}

// --- Files written by GDAL ---------------------------------------------------------

const std::string kFixtures = std::string(GRIDOVA_SOURCE_DIR) + "/tests/fixtures/grid_import/";

// The source (gdal_source.asc) by hand: cells of 10 from (5432100, 6100000),
// nodes at the cell centres, its rows top first; row 0 here is the bottom
// row. The blank stands where the source has NODATA.
void expectGdalSource(const ImportedGrid& g) {
    EXPECT_EQ(g.nx, 4);
    EXPECT_EQ(g.ny, 3);
    EXPECT_EQ(g.xlo, 5432105.0);
    EXPECT_EQ(g.xhi, 5432135.0);
    EXPECT_EQ(g.ylo, 6100005.0);
    EXPECT_EQ(g.yhi, 6100025.0);
    EXPECT_EQ(g.zlo, -1.25);
    EXPECT_EQ(g.zhi, 40.0);
    const double bottom[] = {-1.25, 0, 7, 8};
    const double middle[] = {10, 20, 0 /* blank */, 40};
    const double top[] = {1.5, 2.5, 3.5, 4.5};
    const double* rows[] = {bottom, middle, top};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 4; ++c) {
            SCOPED_TRACE(::testing::Message() << "row " << r << ", column " << c);
            if (r == 1 && c == 2) {
                EXPECT_TRUE(isBlank(g.at(r, c)));
            } else {
                EXPECT_EQ(g.at(r, c), rows[r][c]);
            }
        }
    }
}

// Both grids GDAL wrote from the same source read as that source.
TEST(GridImportGdal, TextAndBinaryGrids) {
    const std::pair<const char*, GridFileKind> files[] = {
        {"gdal_text.grd", GridFileKind::TextGrid}, {"gdal_binary.grd", GridFileKind::BinaryGrid}};
    for (const auto& [file, expectedKind] : files) {
        SCOPED_TRACE(file);
        SeenBoxes boxes;
        GridFileKind kind = GridFileKind::Bad;
        const auto g = readGridFile(kFixtures + file, &kind);
        ASSERT_TRUE(g.has_value());
        EXPECT_EQ(kind, expectedKind);
        expectGdalSource(*g);
        EXPECT_TRUE(boxes.warnings.empty());
    }
}

// --- Kinds and damaged files -------------------------------------------------------

struct DamagedCase {
    const char* name;
    std::string bytes;
    GridFileKind kind;
    bool warned;  // the bad format warning, else no message at all
};

std::string truncated(std::size_t length) {
    Packer p = binaryHeader(3, 4);
    for (int k = 0; k < 12; ++k) p.single(static_cast<float>(k));
    return p.out.substr(0, length);
}

std::string binaryWithValue(float v) {
    Packer p = binaryHeader(2, 1);
    return p.single(1).single(v).out;
}

std::string binaryWithExtent(double xlo, double xhi, double ylo, double yhi) {
    Packer p = binaryHeader(1, 1, xlo, xhi, ylo, yhi);
    return p.single(1).out;
}

const std::string kGoodText = "DSAA\n2 1\n0 1\n0 1\n0 1\n7 8\n";
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

std::vector<DamagedCase> damagedCases() {
    using K = GridFileKind;
    return {
        {"empty", "", K::Bad, true},
        {"three bytes", "DSB", K::Bad, true},
        {"binary header cut", truncated(40), K::BinaryGrid, true},
        {"binary header only", truncated(56), K::BinaryGrid, true},
        {"binary last value cut", truncated(56 + 4 * 12 - 1), K::BinaryGrid, true},
        {"binary negative nx", binaryHeader(-3, 1).single(1).out, K::BinaryGrid, true},
        {"binary zero ny", binaryHeader(1, 0).single(1).out, K::BinaryGrid, true},
        {"binary huge count, short file", binaryHeader(32767, 32767).single(1).single(2).out,
         K::BinaryGrid, true},
        {"binary xhi equals xlo", binaryWithExtent(3, 3, 0, 1), K::BinaryGrid, true},
        {"binary yhi below ylo", binaryWithExtent(0, 1, 1, 0), K::BinaryGrid, true},
        {"binary NaN extent", binaryWithExtent(kNaN, 1, 0, 1), K::BinaryGrid, true},
        {"binary infinite extent", binaryWithExtent(0, 1, 0, kInf), K::BinaryGrid, true},
        {"binary NaN value", binaryWithValue(std::numeric_limits<float>::quiet_NaN()),
         K::BinaryGrid, true},
        {"binary minus infinity", binaryWithValue(-std::numeric_limits<float>::infinity()),
         K::BinaryGrid, true},
        {"text word for a value", "DSAA\n2 1\n0 1\n0 1\n0 1\n7 seven\n", K::TextGrid, true},
        {"text number glued to a word", "DSAA\n2 1\n0 1\n0 1\n0 1\n7 8x\n", K::TextGrid, true},
        {"text value missing", "DSAA\n3 1\n0 1\n0 1\n0 1\n7 8\n", K::TextGrid, true},
        {"text header cut", "DSAA\n2 1\n0 1\n0\n", K::TextGrid, true},
        {"text no line after DSAA", "DSAA 2 1 0 1 0 1 0 1 7 8", K::TextGrid, true},
        {"text fractional nx", "DSAA\n2.5 1\n0 1\n0 1\n0 1\n7 8\n", K::TextGrid, true},
        {"text negative ny", "DSAA\n2 -1\n0 1\n0 1\n0 1\n7 8\n", K::TextGrid, true},
        {"text zero nx", "DSAA\n0 1\n0 1\n0 1\n0 1\n", K::TextGrid, true},
        {"text xhi equals xlo", "DSAA\n2 1\n1 1\n0 1\n0 1\n7 8\n", K::TextGrid, true},
        {"text huge count, short file", "DSAA\n2000000000 2000000000\n0 1\n0 1\n0 1\n7 8\n",
         K::TextGrid, true},
        {"text overflowing value", "DSAA\n2 1\n0 1\n0 1\n0 1\n7 1e999\n", K::TextGrid, true},
        {"first byte X", "X" + kGoodText.substr(1), K::Bad, true},
        {"fourth byte Z", "DSAZ" + kGoodText.substr(4), K::Bad, true},
        {"DSAC", "DSAC" + kGoodText.substr(4), K::NotRead, false},
        {"DSAD", "DSAD" + kGoodText.substr(4), K::NotRead, false},
        {"DSAE", "DSAE" + kGoodText.substr(4), K::Volume, false},
        {"VSAF", "VSAF", K::Volume, false},
        {"DSAG", "DSAG", K::Volume, false},
    };
}

TEST(GridImportDamaged, GiveNothing) {
    for (const DamagedCase& c : damagedCases()) {
        SCOPED_TRACE(c.name);
        SeenBoxes boxes;
        GridFileKind kind = GridFileKind::TextGrid;
        const auto g = readGridBytes(c.bytes, "broken.grd", &kind);
        EXPECT_FALSE(g.has_value());
        EXPECT_EQ(kind, c.kind);
        if (c.warned) {
            EXPECT_EQ(boxes.warnings, std::vector<std::string>{kBadFormat + "broken.grd"});
        } else {
            EXPECT_TRUE(boxes.warnings.empty());
        }
    }
}

// The cases above fail for what they name, not for anything else: the
// good files they are made from read, also with a first byte 'V' and with
// the binary grid complete.
TEST(GridImportDamaged, TheirSourcesRead) {
    SeenBoxes boxes;
    EXPECT_TRUE(readGridBytes(kGoodText, "good").has_value());
    EXPECT_TRUE(readGridBytes("VSAA" + kGoodText.substr(4), "good").has_value());
    EXPECT_TRUE(readGridBytes(truncated(56 + 4 * 12), "good").has_value());
    EXPECT_TRUE(readGridBytes(binaryWithValue(2), "good").has_value());
    EXPECT_TRUE(readGridBytes(binaryWithExtent(0, 1, 0, 1), "good").has_value());
    EXPECT_TRUE(boxes.warnings.empty());
}

TEST(GridImportFile, MissingFileShowsMessage202) {
    SeenBoxes boxes;
    const std::string path = (testing::testDir() / "none.grd").string();
    GridFileKind kind = GridFileKind::TextGrid;
    EXPECT_FALSE(readGridFile(path, &kind).has_value());
    EXPECT_EQ(kind, GridFileKind::Bad);
    EXPECT_EQ(boxes.warnings,
              std::vector<std::string>{"Нельзя открыть файл " + path + " для считывания"});
}

}  // namespace
}  // namespace gridova

namespace gridova {
namespace {

// A volume file of the kind with `variables` named in 32-byte fields and
// the records of nx × ny × nz nodes: node n (counted layer after layer,
// row after row) at X = n, Y = 10 n, Z = 100 n (kinds E and G), and value
// 1000 v + n of variable v.
std::string volumeFile(char kind, const std::vector<std::string>& variables, std::int32_t nx,
                       std::int32_t ny, std::int32_t nz) {
    Packer p;
    p.bytes(std::string("DSB") + kind).bits32(static_cast<std::uint32_t>(variables.size()));
    for (const std::string& name : variables) {
        std::string field = name;
        field.resize(32, '\0');
        p.bytes(field);
    }
    p.bits32(static_cast<std::uint32_t>(nx))
        .bits32(static_cast<std::uint32_t>(ny))
        .bits32(static_cast<std::uint32_t>(nz));
    const std::int32_t nodes = nx * ny * nz;
    for (std::int32_t n = 0; n < nodes; ++n) {
        p.single(static_cast<float>(n)).single(static_cast<float>(10 * n));
        if (kind != 'F') p.single(static_cast<float>(100 * n));
        for (std::size_t v = 0; v < variables.size(); ++v) {
            p.single(static_cast<float>(1000 * static_cast<int>(v) + n));
        }
    }
    return p.out;
}

TEST(VolumeFile, RecordsOfEachKindAreReadPerNode) {
    SeenBoxes boxes;
    for (const char kind : {'E', 'F', 'G'}) {
        SCOPED_TRACE(kind);
        const auto v =
            readVolumeBytes(volumeFile(kind, {"Porosity\r\nrest", "Pressure"}, 3, 2, 2), "v.grd");
        ASSERT_TRUE(v.has_value());
        EXPECT_EQ(v->kind, kind);
        EXPECT_EQ(std::tuple(v->nx, v->ny, v->nz), std::tuple(3, 2, 2));
        ASSERT_EQ(v->variables.size(), 2u);
        EXPECT_EQ(v->variables[0].name, "Porosity");  // up to the line end
        EXPECT_EQ(v->variables[1].name, "Pressure");
        ASSERT_EQ(v->x.size(), 12u);
        EXPECT_EQ(v->x[7], 7.0f);
        EXPECT_EQ(v->y[7], 70.0f);
        // Kind F numbers the layers; node 7 is in the second layer.
        EXPECT_EQ(v->z[7], kind == 'F' ? 2.0f : 700.0f);
        EXPECT_EQ(v->variables[0].values[11], 11.0f);
        EXPECT_EQ(v->variables[1].values[11], 1011.0f);
    }
    EXPECT_TRUE(boxes.warnings.empty());
}

TEST(VolumeFile, DamagedFilesGiveNothing) {
    const std::string good = volumeFile('G', {"A"}, 2, 2, 2);
    Packer huge;
    huge.bytes("VXXE")
        .bits32(1)
        .bytes(std::string(32, 'n'))
        .bits32(1 << 30)
        .bits32(1 << 30)
        .bits32(1 << 30);
    // 1101004800 × 2^30 × 1077936128 wraps 64 bits (found by fuzzing).
    Packer wrapping;
    wrapping.bytes("DSBF")
        .bits32(1)
        .bytes(std::string(32, 'n'))
        .bits32(1101004800)
        .bits32(1u << 30)
        .bits32(1077936128)
        .bytes(std::string(32, '\0'));
    Packer manyNames;
    manyNames.bytes("DXXE").bits32(0x7FFFFFFF).bytes(std::string(64, 'n'));
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"one record short", good.substr(0, good.size() - 4)},
        {"no variable", volumeFile('E', {}, 2, 2, 2)},
        {"a count of nodes of 0", volumeFile('E', {"A"}, 2, 0, 2)},
        {"counts whose records could not be in any file", huge.out},
        {"counts whose product wraps", wrapping.out},
        {"more names than bytes", manyNames.out},
        {"a grid, not a volume", "DSAA\n2 2\n0 1\n0 1\n0 1\n1 2 3 4\n"},
        {"cut in the header", good.substr(0, 10)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SeenBoxes boxes;
        EXPECT_FALSE(readVolumeBytes(c.bytes, "v.grd").has_value());
        ASSERT_EQ(boxes.warnings.size(), 1u);
        EXPECT_EQ(boxes.warnings[0], kBadFormat + "v.grd");
    }
}

}  // namespace
}  // namespace gridova
