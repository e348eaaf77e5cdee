// The strict metafile walker; see metafile_walker.h.
//
// Both walkers go the same way: check the headers, then step from record to
// record by the stored size, stopping at the first size that cannot be
// trusted (we cannot find the next record after it), and check each record
// the walker knows against what its fields and counts demand. Every read
// goes through View, which gives 0 outside its bytes, and every variable
// length is compared with the bytes present before anything is read or
// reserved for it.
#include "tests/exchange/metafile_walker.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>
#include <sstream>

namespace gridova::test {
namespace {

constexpr std::size_t kMaxErrors = 200;

std::string hex(std::uint64_t value, int digits = 0) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "0x%0*llX", digits,
                  static_cast<unsigned long long>(value));
    return buffer;
}

std::string num(std::uint64_t value) { return std::to_string(value); }
std::string snum(std::int64_t value) { return std::to_string(value); }

constexpr std::uint64_t round2(std::uint64_t n) { return (n + 1) & ~std::uint64_t{1}; }
constexpr std::uint64_t round4(std::uint64_t n) { return (n + 3) & ~std::uint64_t{3}; }

// Little-endian reads over a byte range; anything outside reads as 0.
class View {
public:
    View() = default;
    explicit View(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::uint64_t size() const { return bytes_.size(); }
    bool has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint8_t u8(std::uint64_t offset) const { return has(offset, 1) ? bytes_[offset] : 0; }
    std::uint16_t u16(std::uint64_t offset) const {
        if (!has(offset, 2)) return 0;
        return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
    }
    std::uint32_t u32(std::uint64_t offset) const {
        if (!has(offset, 4)) return 0;
        return static_cast<std::uint32_t>(bytes_[offset]) |
               static_cast<std::uint32_t>(bytes_[offset + 1]) << 8 |
               static_cast<std::uint32_t>(bytes_[offset + 2]) << 16 |
               static_cast<std::uint32_t>(bytes_[offset + 3]) << 24;
    }
    std::int16_t i16(std::uint64_t offset) const { return static_cast<std::int16_t>(u16(offset)); }
    std::int32_t i32(std::uint64_t offset) const { return static_cast<std::int32_t>(u32(offset)); }
    float f32(std::uint64_t offset) const { return std::bit_cast<float>(u32(offset)); }

    std::span<const std::uint8_t> bytes(std::uint64_t offset, std::uint64_t length) const {
        if (!has(offset, length)) return {};
        return bytes_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
    }
    View sub(std::uint64_t offset, std::uint64_t length) const {
        return View(bytes(offset, length));
    }

private:
    std::span<const std::uint8_t> bytes_;
};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::vector<std::uint16_t> utf16Units(std::span<const std::uint8_t> bytes) {
    std::vector<std::uint16_t> units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        units.push_back(static_cast<std::uint16_t>(bytes[i] | bytes[i + 1] << 8));
    return units;
}

// The ROP3 in the high word of a raster operation reads the source bitmap
// when its result differs between S = 0 and S = 1 somewhere in the table.
bool ropUsesSource(std::uint32_t rop) {
    const std::uint32_t rop3 = (rop >> 16) & 0xFF;
    return (((rop3 >> 2) ^ rop3) & 0x33) != 0;
}

// ETO_OPAQUE, CLIPPED, GLYPH_INDEX, RTLREADING, NO_RECT, SMALL_CHARS,
// NUMERICSLOCAL, NUMERICSLATIN, IGNORELANGUAGE, PDY, REVERSE_INDEX_MAP.
constexpr std::uint32_t kEtoKnown = 0x0002 | 0x0004 | 0x0010 | 0x0080 | 0x0100 | 0x0200 | 0x0400 |
                                    0x0800 | 0x1000 | 0x2000 | 0x10000;

bool colorHighByteClear(std::uint32_t color) { return (color & 0xFF000000U) == 0; }

// TA_LEFT/RIGHT/CENTER (0, 2, 6), TA_TOP/BOTTOM/BASELINE (0, 8, 24),
// TA_UPDATECP (1) and TA_RTLREADING (256); nothing else.
bool textAlignValid(std::uint32_t align) {
    if ((align & ~0x011FU) != 0) return false;
    const std::uint32_t horizontal = align & 6;
    const std::uint32_t vertical = align & 24;
    return horizontal != 4 && vertical != 16;
}

// PS_* line style (low nibble), end cap (0x0F00), join (0xF000) and type
// (0xF0000) of a pen; `maxStyle` is the highest line style allowed,
// `typeAllowed` whether PS_GEOMETRIC may be set.
std::optional<std::string> penStyleProblem(std::uint32_t style, std::uint32_t maxStyle,
                                           bool typeAllowed) {
    if ((style & ~0xFFF0FU) != 0) return "pen style " + hex(style) + " has unknown bits";
    if ((style & 0xF) > maxStyle)
        return "pen line style " + num(style & 0xF) + " is not allowed here";
    const std::uint32_t cap = style & 0x0F00;
    if (cap != 0 && cap != 0x100 && cap != 0x200) return "pen end cap " + hex(cap) + " unknown";
    const std::uint32_t join = style & 0xF000;
    if (join != 0 && join != 0x1000 && join != 0x2000) return "pen join " + hex(join) + " unknown";
    const std::uint32_t type = style & 0xF0000;
    if (type != 0 && !(typeAllowed && type == 0x10000))
        return "pen type " + hex(type) + " is not allowed here";
    return std::nullopt;
}

std::string kindName(WalkedObjectKind kind) {
    switch (kind) {
        case WalkedObjectKind::Pen:
            return "pen";
        case WalkedObjectKind::ExtPen:
            return "extended pen";
        case WalkedObjectKind::Brush:
            return "brush";
        case WalkedObjectKind::PatternBrush:
            return "pattern brush";
        case WalkedObjectKind::Font:
            return "font";
        case WalkedObjectKind::Palette:
            return "palette";
        case WalkedObjectKind::Region:
            return "region";
    }
    return "object";
}

// What a bitmap header says the bitmap takes.
struct DibLayout {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colors = 0;
    std::uint64_t infoSize = 0;  // header, bit-field masks and colour table
    std::uint64_t bitsSize = 0;  // what the pixel data must take
};

// What both walkers share: where they are, how they report, the bitmap
// header check.
class WalkerBase {
protected:
    explicit WalkerBase(MetafileWalk& walk) : w_(walk) {}
    virtual ~WalkerBase() = default;

    virtual std::string recordName(std::uint32_t type) const = 0;

    void addError(std::string text) {
        if (w_.errors.size() < kMaxErrors)
            w_.errors.push_back(std::move(text));
        else if (w_.errors.size() == kMaxErrors)
            w_.errors.push_back("(further errors left out)");
    }
    // An error in the record being walked.
    void error(const std::string& text) {
        addError("offset " + hex(recOffset_, 8) + ", record #" + num(recIndex_) + " " +
                 recordName(recType_) + ": " + text);
    }
    bool sizeIs(std::uint64_t expected, const std::string& how = {}) {
        if (recSize_ == expected) return true;
        error("size " + num(recSize_) + " bytes, expected " + num(expected) +
              (how.empty() ? "" : " (" + how + ")"));
        return false;
    }
    bool sizeAtLeast(std::uint64_t minimum, const std::string& what = {}) {
        if (recSize_ >= minimum) return true;
        error("size " + num(recSize_) + " bytes is too small" +
              (what.empty() ? "" : " for " + what) + "; at least " + num(minimum) + " needed");
        return false;
    }

    void noteIndex(std::int64_t index) {
        w_.largestObjectIndex = std::max(w_.largestObjectIndex, index);
    }

    void addShape(std::vector<WalkedPoint> points, std::vector<std::uint32_t> counts = {}) {
        WalkedShape shape;
        shape.type = recType_;
        shape.offset = recOffset_;
        if (counts.empty()) counts.push_back(static_cast<std::uint32_t>(points.size()));
        shape.points = std::move(points);
        shape.counts = std::move(counts);
        w_.shapes.push_back(std::move(shape));
    }

    // Reads the bitmap header at the start of `info` (which ends where the
    // bitmap info may end at the most) and works out the sizes. `usage` is
    // DIB_RGB_COLORS (0), DIB_PAL_COLORS (1) or, where `indicesAllowed`,
    // DIB_PAL_INDICES (2, no colour table).
    bool readDib(const View& info, std::uint32_t usage, bool indicesAllowed, DibLayout& out) {
        if (!info.has(0, 4)) {
            error("bitmap header missing");
            return false;
        }
        DibLayout d;
        d.headerSize = info.u32(0);
        std::uint16_t planes = 0;
        std::uint32_t sizeImage = 0;
        std::uint32_t colorsUsed = 0;
        if (d.headerSize == 12) {
            if (!info.has(0, 12)) {
                error("12-byte bitmap core header does not fit in " + num(info.size()) + " bytes");
                return false;
            }
            d.width = info.u16(4);
            d.height = info.u16(6);
            planes = info.u16(8);
            d.bitCount = info.u16(10);
        } else if (d.headerSize == 40 || d.headerSize == 52 || d.headerSize == 56 ||
                   d.headerSize == 108 || d.headerSize == 124) {
            if (!info.has(0, d.headerSize)) {
                error(num(d.headerSize) + "-byte bitmap header does not fit in " +
                      num(info.size()) + " bytes");
                return false;
            }
            d.width = info.i32(4);
            d.height = info.i32(8);
            planes = info.u16(12);
            d.bitCount = info.u16(14);
            d.compression = info.u32(16);
            sizeImage = info.u32(20);
            colorsUsed = info.u32(32);
        } else {
            error("bitmap header size " + num(d.headerSize) +
                  " is none of 12, 40, 52, 56, 108, 124");
            return false;
        }
        bool good = true;
        if (planes != 1) {
            error("bitmap planes " + num(planes) + ", must be 1");
            good = false;
        }
        if (d.width <= 0 || d.height == 0) {
            error("bitmap size " + snum(d.width) + " x " + snum(d.height) +
                  " is empty or negative");
            return false;
        }
        const std::uint16_t b = d.bitCount;
        const bool rgbDepth = b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32;
        bool combination = true;
        switch (d.compression) {
            case 0:  // BI_RGB
                combination = rgbDepth && !(d.headerSize == 12 && (b == 16 || b == 32));
                break;
            case 1:  // BI_RLE8, bottom-up only
                combination = b == 8 && d.height > 0;
                break;
            case 2:  // BI_RLE4, bottom-up only
                combination = b == 4 && d.height > 0;
                break;
            case 3:  // BI_BITFIELDS
                combination = b == 16 || b == 32;
                break;
            case 4:  // BI_JPEG
            case 5:  // BI_PNG
                combination = b == 0 && d.height > 0;
                break;
            default:
                error("bitmap compression " + num(d.compression) + " unknown");
                return false;
        }
        if (!combination) {
            error("bitmap of " + num(b) + " bits per pixel, compression " + num(d.compression) +
                  ", height " + snum(d.height) + " is not a valid combination");
            return false;
        }

        if (b >= 1 && b <= 8) {
            const std::uint32_t most = 1U << b;
            if (colorsUsed > most) {
                error("bitmap colour count " + num(colorsUsed) + " exceeds " + num(most) + " for " +
                      num(b) + " bits");
                return false;
            }
            d.colors = colorsUsed == 0 ? most : colorsUsed;
        } else {
            d.colors = colorsUsed;
        }
        std::uint64_t entrySize = 0;
        if (usage == 0)
            entrySize = d.headerSize == 12 ? 3 : 4;
        else if (usage == 1)
            entrySize = 2;
        else if (usage == 2 && indicesAllowed)
            entrySize = 0;
        else {
            error("colour usage " + num(usage) + " unknown");
            return false;
        }
        const std::uint64_t masks = (d.compression == 3 && d.headerSize == 40) ? 12 : 0;
        d.infoSize = d.headerSize + masks + std::uint64_t{d.colors} * entrySize;

        if (d.compression == 0 || d.compression == 3) {
            const std::uint64_t stride = (std::uint64_t(std::uint32_t(d.width)) * b + 31) / 32 * 4;
            const std::uint64_t rows =
                d.height < 0 ? std::uint64_t(-std::int64_t{d.height}) : std::uint64_t(d.height);
            if (stride > std::numeric_limits<std::uint64_t>::max() / rows) {
                error("bitmap size overflows");
                return false;
            }
            d.bitsSize = stride * rows;
            if (sizeImage != 0 && sizeImage != d.bitsSize) {
                error("biSizeImage " + num(sizeImage) + ", expected 0 or " + num(d.bitsSize));
                good = false;
            }
        } else {
            if (sizeImage == 0) {
                error("compressed bitmap without biSizeImage");
                return false;
            }
            d.bitsSize = sizeImage;
        }
        out = d;
        return good;
    }

    void fillBitmap(WalkedBitmap& bitmap, const DibLayout& d) const {
        bitmap.hasBitmap = true;
        bitmap.headerSize = d.headerSize;
        bitmap.width = d.width;
        bitmap.height = d.height;
        bitmap.bitCount = d.bitCount;
        bitmap.compression = d.compression;
        bitmap.colorsInTable = d.colors;
        bitmap.bitsSize = d.bitsSize;
    }

    // The source rectangle of a stretch must lie inside the bitmap.
    void checkSourceRect(const WalkedBitmap& bm) {
        if (!bm.hasBitmap) return;
        const std::int64_t x0 = bm.xSrc, x1 = std::int64_t{bm.xSrc} + bm.cxSrc;
        const std::int64_t y0 = bm.ySrc, y1 = std::int64_t{bm.ySrc} + bm.cySrc;
        const std::int64_t rows = bm.height < 0 ? -std::int64_t{bm.height} : bm.height;
        if (std::min(x0, x1) < 0 || std::max(x0, x1) > bm.width || std::min(y0, y1) < 0 ||
            std::max(y0, y1) > rows)
            error("source rectangle (" + snum(bm.xSrc) + ", " + snum(bm.ySrc) + ", " +
                  snum(bm.cxSrc) + " x " + snum(bm.cySrc) + ") is outside the " + snum(bm.width) +
                  " x " + snum(rows) + " bitmap");
    }

    void restoreDc(std::int64_t saved, bool absoluteAllowed) {
        if (saved < 0) {
            if (-saved > saveDepth_)
                error("restores " + snum(-saved) + " levels, only " + snum(saveDepth_) + " saved");
            else
                saveDepth_ += static_cast<int>(saved);
        } else if (saved > 0 && absoluteAllowed) {
            if (saved > saveDepth_)
                error("restores saved state " + snum(saved) + ", only " + snum(saveDepth_) +
                      " saved");
            else
                saveDepth_ = static_cast<int>(saved) - 1;
        } else {
            error("saved-state number " + snum(saved) +
                  (absoluteAllowed ? " is 0" : " is not negative"));
        }
    }

    MetafileWalk& w_;
    std::size_t recOffset_ = 0;
    std::uint32_t recIndex_ = 0;
    std::uint32_t recType_ = 0;
    std::uint32_t recSize_ = 0;
    int saveDepth_ = 0;
};

// ---------------------------------------------------------------------------
// EMF

namespace emr {
constexpr std::uint32_t HEADER = 1, POLYBEZIER = 2, POLYGON = 3, POLYLINE = 4, POLYBEZIERTO = 5,
                        POLYLINETO = 6, POLYPOLYLINE = 7, POLYPOLYGON = 8, SETWINDOWEXTEX = 9,
                        SETWINDOWORGEX = 10, SETVIEWPORTEXTEX = 11, SETVIEWPORTORGEX = 12,
                        SETBRUSHORGEX = 13, EOF_ = 14, SETPIXELV = 15, SETMAPPERFLAGS = 16,
                        SETMAPMODE = 17, SETBKMODE = 18, SETPOLYFILLMODE = 19, SETROP2 = 20,
                        SETSTRETCHBLTMODE = 21, SETTEXTALIGN = 22, SETTEXTCOLOR = 24,
                        SETBKCOLOR = 25, OFFSETCLIPRGN = 26, MOVETOEX = 27, SETMETARGN = 28,
                        EXCLUDECLIPRECT = 29, INTERSECTCLIPRECT = 30, SCALEVIEWPORTEXTEX = 31,
                        SCALEWINDOWEXTEX = 32, SAVEDC = 33, RESTOREDC = 34, SETWORLDTRANSFORM = 35,
                        MODIFYWORLDTRANSFORM = 36, SELECTOBJECT = 37, CREATEPEN = 38,
                        CREATEBRUSHINDIRECT = 39, DELETEOBJECT = 40, ANGLEARC = 41, ELLIPSE = 42,
                        RECTANGLE = 43, ROUNDRECT = 44, ARC = 45, CHORD = 46, PIE = 47,
                        SELECTPALETTE = 48, CREATEPALETTE = 49, REALIZEPALETTE = 52, LINETO = 54,
                        ARCTO = 55, POLYDRAW = 56, SETARCDIRECTION = 57, SETMITERLIMIT = 58,
                        BEGINPATH = 59, ENDPATH = 60, CLOSEFIGURE = 61, FILLPATH = 62,
                        STROKEANDFILLPATH = 63, STROKEPATH = 64, FLATTENPATH = 65, WIDENPATH = 66,
                        SELECTCLIPPATH = 67, ABORTPATH = 68, GDICOMMENT = 70, EXTSELECTCLIPRGN = 75,
                        BITBLT = 76, STRETCHBLT = 77, STRETCHDIBITS = 81,
                        EXTCREATEFONTINDIRECTW = 82, EXTTEXTOUTA = 83, EXTTEXTOUTW = 84,
                        POLYBEZIER16 = 85, POLYGON16 = 86, POLYLINE16 = 87, POLYBEZIERTO16 = 88,
                        POLYLINETO16 = 89, POLYPOLYLINE16 = 90, POLYPOLYGON16 = 91, POLYDRAW16 = 92,
                        CREATEMONOBRUSH = 93, CREATEDIBPATTERNBRUSHPT = 94, EXTCREATEPEN = 95,
                        SETICMMODE = 98, SETLAYOUT = 115;
}  // namespace emr

// Records of one fixed size whose fields after type and size are all 32-bit.
struct FixedEmfRecord {
    std::uint32_t type;
    std::uint32_t size;
};

constexpr FixedEmfRecord kFixedEmf[] = {
    {emr::SETWINDOWEXTEX, 16},
    {emr::SETWINDOWORGEX, 16},
    {emr::SETVIEWPORTEXTEX, 16},
    {emr::SETVIEWPORTORGEX, 16},
    {emr::SETBRUSHORGEX, 16},
    {emr::SETPIXELV, 20},
    {emr::SETMAPPERFLAGS, 12},
    {emr::SETMAPMODE, 12},
    {emr::SETBKMODE, 12},
    {emr::SETPOLYFILLMODE, 12},
    {emr::SETROP2, 12},
    {emr::SETSTRETCHBLTMODE, 12},
    {emr::SETTEXTALIGN, 12},
    {emr::SETTEXTCOLOR, 12},
    {emr::SETBKCOLOR, 12},
    {emr::OFFSETCLIPRGN, 16},
    {emr::MOVETOEX, 16},
    {emr::SETMETARGN, 8},
    {emr::EXCLUDECLIPRECT, 24},
    {emr::INTERSECTCLIPRECT, 24},
    {emr::SCALEVIEWPORTEXTEX, 24},
    {emr::SCALEWINDOWEXTEX, 24},
    {emr::SAVEDC, 8},
    {emr::RESTOREDC, 12},
    {emr::SETWORLDTRANSFORM, 32},
    {emr::MODIFYWORLDTRANSFORM, 36},
    {emr::ANGLEARC, 28},
    {emr::ELLIPSE, 24},
    {emr::RECTANGLE, 24},
    {emr::ROUNDRECT, 32},
    {emr::ARC, 40},
    {emr::CHORD, 40},
    {emr::PIE, 40},
    {emr::REALIZEPALETTE, 8},
    {emr::LINETO, 16},
    {emr::ARCTO, 40},
    {emr::SETARCDIRECTION, 12},
    {emr::SETMITERLIMIT, 12},
    {emr::BEGINPATH, 8},
    {emr::ENDPATH, 8},
    {emr::CLOSEFIGURE, 8},
    {emr::FILLPATH, 24},
    {emr::STROKEANDFILLPATH, 24},
    {emr::STROKEPATH, 24},
    {emr::FLATTENPATH, 8},
    {emr::WIDENPATH, 8},
    {emr::SELECTCLIPPATH, 12},
    {emr::ABORTPATH, 8},
    {emr::SETICMMODE, 12},
    {emr::SETLAYOUT, 12},
};

// Stock objects: WHITE_BRUSH (0) to NULL_PEN (8), OEM_FIXED_FONT (10) to
// DC_PEN (19), with the high bit set.
bool isStockObject(std::uint32_t index) {
    if ((index & 0x80000000U) == 0) return false;
    const std::uint32_t n = index & 0x7FFFFFFFU;
    return n <= 19 && n != 9;
}
constexpr std::uint32_t kDefaultPalette = 0x8000000FU;

class EmfWalker : public WalkerBase {
public:
    EmfWalker(std::span<const std::uint8_t> bytes, MetafileWalk& walk)
        : WalkerBase(walk), file_(bytes) {}

    void run();

private:
    std::string recordName(std::uint32_t type) const override { return emfRecordName(type); }

    void record();
    void header();
    void endOfFile();
    bool fixedRecord();
    void fixedValues(const std::vector<std::int64_t>& a);
    void poly(unsigned pointSize);
    void polyPoly(unsigned pointSize);
    void polyDraw(unsigned pointSize);
    void selectObject();
    void deleteObject();
    void selectPalette();
    void createPen();
    void createBrush();
    void extCreatePen();
    void createPalette();
    void createDibBrush();
    void createFont();
    void text(bool wide);
    void stretchDibits();
    void blt(bool stretch);
    void extSelectClipRgn();
    void gdiComment();

    bool countOk(std::uint32_t value, const char* what) {
        if (value <= 0x7FFFFFFFU) return true;
        error(std::string(what) + " " + num(value) + " is negative as a signed count");
        return false;
    }
    bool bitmap(std::uint64_t fixedEnd, std::uint32_t offBmi, std::uint32_t cbBmi,
                std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage, bool required,
                bool indicesAllowed, WalkedBitmap& out, std::uint64_t& end);
    void create(WalkedObject object);
    // A record too short or too long still claims its index when it holds
    // one, so that later uses of the index do not repeat the complaint.
    void createIfIndexed(WalkedObject object) {
        if (recSize_ >= 12) create(std::move(object));
    }
    WalkedObject newObject(WalkedObjectKind kind) const {
        WalkedObject object;
        object.type = recType_;
        object.offset = recOffset_;
        object.index = rec_.u32(8);
        object.kind = kind;
        return object;
    }
    void use(ObjectAction action, std::uint32_t index) {
        w_.objectUses.push_back({action, index, recType_, recOffset_, (index & 0x80000000U) != 0});
    }

    View file_;
    View rec_;
    std::map<std::uint32_t, std::size_t> live_;  // handle index -> entry in w_.objects
    enum class Path { None, Open, Closed } path_ = Path::None;
    bool headerUsable_ = false;
    std::optional<std::uint32_t> eofPaletteEntries_;
};

void EmfWalker::run() {
    w_.format = MetafileFormat::Emf;
    const std::uint64_t fileSize = file_.size();
    if (fileSize < 8) {
        addError("file of " + num(fileSize) + " bytes is too short for an EMF");
        return;
    }
    std::uint64_t offset = 0;
    bool stopped = false;
    while (offset < fileSize) {
        recOffset_ = static_cast<std::size_t>(offset);
        recIndex_ = w_.records;
        if (fileSize - offset < 8) {
            addError("offset " + hex(offset, 8) + ": " + num(fileSize - offset) +
                     " bytes left, too few for a record");
            stopped = true;
            break;
        }
        recType_ = file_.u32(offset);
        recSize_ = file_.u32(offset + 4);
        if (recSize_ < 8 || recSize_ % 4 != 0 || recSize_ > fileSize - offset) {
            error("record size " + num(recSize_) +
                  (recSize_ < 8        ? " is below 8"
                   : recSize_ % 4 != 0 ? " is not a multiple of 4"
                                       : " runs past the end of the file (" +
                                             num(fileSize - offset) + " bytes left)") +
                  "; walk stopped");
            stopped = true;
            break;
        }
        rec_ = file_.sub(offset, recSize_);
        ++w_.records;
        ++w_.recordCounts[recType_];
        w_.sequence.push_back({recType_, recOffset_, recSize_, {}});

        if (recIndex_ == 0 && recType_ != emr::HEADER) error("the first record must be EMR_HEADER");
        record();

        offset += recSize_;
        if (recType_ == emr::EOF_) {
            w_.reachedEnd = true;
            if (offset != fileSize) error(num(fileSize - offset) + " bytes follow EMR_EOF");
            break;
        }
    }
    if (!w_.reachedEnd && !stopped) addError("the file ends without EMR_EOF");

    if (w_.emf.present && headerUsable_) {
        const EmfHeaderInfo& h = w_.emf;
        if (h.bytes != fileSize)
            addError("header: nBytes " + num(h.bytes) + ", the file has " + num(fileSize));
        if (!stopped && h.records != w_.records)
            addError("header: nRecords " + num(h.records) + ", walked " + num(w_.records));
        if (h.handles < 1) addError("header: nHandles is 0, must be at least 1");
        if (w_.largestObjectIndex >= 0 && h.handles < w_.largestObjectIndex + 1)
            addError("header: nHandles " + num(h.handles) + ", but object index " +
                     snum(w_.largestObjectIndex) + " is used (needs " +
                     snum(w_.largestObjectIndex + 1) + ")");
        if (eofPaletteEntries_ && *eofPaletteEntries_ != h.paletteEntries)
            addError("header: nPalEntries " + num(h.paletteEntries) + ", EMR_EOF has " +
                     num(*eofPaletteEntries_));
    }
    if (w_.reachedEnd && path_ == Path::Open)
        addError("a path bracket (EMR_BEGINPATH) is still open at EMR_EOF");
}

void EmfWalker::record() {
    switch (recType_) {
        case emr::HEADER:
            if (recIndex_ != 0)
                error("a second EMR_HEADER");
            else
                header();
            return;
        case emr::EOF_:
            endOfFile();
            return;
        case emr::POLYBEZIER:
        case emr::POLYGON:
        case emr::POLYLINE:
        case emr::POLYBEZIERTO:
        case emr::POLYLINETO:
            poly(8);
            return;
        case emr::POLYBEZIER16:
        case emr::POLYGON16:
        case emr::POLYLINE16:
        case emr::POLYBEZIERTO16:
        case emr::POLYLINETO16:
            poly(4);
            return;
        case emr::POLYPOLYLINE:
        case emr::POLYPOLYGON:
            polyPoly(8);
            return;
        case emr::POLYPOLYLINE16:
        case emr::POLYPOLYGON16:
            polyPoly(4);
            return;
        case emr::POLYDRAW:
            polyDraw(8);
            return;
        case emr::POLYDRAW16:
            polyDraw(4);
            return;
        case emr::SELECTOBJECT:
            selectObject();
            return;
        case emr::DELETEOBJECT:
            deleteObject();
            return;
        case emr::SELECTPALETTE:
            selectPalette();
            return;
        case emr::CREATEPEN:
            createPen();
            return;
        case emr::CREATEBRUSHINDIRECT:
            createBrush();
            return;
        case emr::EXTCREATEPEN:
            extCreatePen();
            return;
        case emr::CREATEPALETTE:
            createPalette();
            return;
        case emr::CREATEMONOBRUSH:
        case emr::CREATEDIBPATTERNBRUSHPT:
            createDibBrush();
            return;
        case emr::EXTCREATEFONTINDIRECTW:
            createFont();
            return;
        case emr::EXTTEXTOUTA:
            text(false);
            return;
        case emr::EXTTEXTOUTW:
            text(true);
            return;
        case emr::STRETCHDIBITS:
            stretchDibits();
            return;
        case emr::BITBLT:
            blt(false);
            return;
        case emr::STRETCHBLT:
            blt(true);
            return;
        case emr::EXTSELECTCLIPRGN:
            extSelectClipRgn();
            return;
        case emr::GDICOMMENT:
            gdiComment();
            return;
        default:
            break;
    }
    if (fixedRecord()) return;
    // Unknown: its size was already found sound by the walk.
    w_.unknownTypes.insert(recType_);
}

void EmfWalker::header() {
    EmfHeaderInfo& h = w_.emf;
    h.present = true;
    if (!sizeAtLeast(88, "the header")) return;
    const View& r = rec_;
    h.bounds = {r.i32(8), r.i32(12), r.i32(16), r.i32(20)};
    h.frame = {r.i32(24), r.i32(28), r.i32(32), r.i32(36)};
    h.signature = r.u32(40);
    h.version = r.u32(44);
    h.bytes = r.u32(48);
    h.records = r.u32(52);
    h.handles = r.u16(56);
    const std::uint16_t reserved = r.u16(58);
    const std::uint32_t nDescription = r.u32(60);
    const std::uint32_t offDescription = r.u32(64);
    h.paletteEntries = r.u32(68);
    h.deviceCx = r.i32(72);
    h.deviceCy = r.i32(76);
    h.millimetersCx = r.i32(80);
    h.millimetersCy = r.i32(84);
    headerUsable_ = true;

    if (h.signature != 0x464D4520U)
        error("signature " + hex(h.signature, 8) + ", expected 0x464D4520 (\" EMF\")");
    if (h.version != 0x10000U) error("version " + hex(h.version) + ", expected 0x10000");
    if (reserved != 0) error("reserved field is " + num(reserved) + ", must be 0");
    if (h.deviceCx <= 0 || h.deviceCy <= 0)
        error("reference device size " + snum(h.deviceCx) + " x " + snum(h.deviceCy) +
              " pixels is not positive");
    if (h.millimetersCx <= 0 || h.millimetersCy <= 0)
        error("reference device size " + snum(h.millimetersCx) + " x " + snum(h.millimetersCy) +
              " mm is not positive");
    if (h.frame.right < h.frame.left || h.frame.bottom < h.frame.top)
        error("frame (" + snum(h.frame.left) + ", " + snum(h.frame.top) + ", " +
              snum(h.frame.right) + ", " + snum(h.frame.bottom) + ") is inverted");
    // (0, 0, -1, -1) is how an empty picture's bounds are stored.
    const bool emptyBounds = h.bounds == WalkedRect{0, 0, -1, -1};
    if (!emptyBounds && (h.bounds.right < h.bounds.left || h.bounds.bottom < h.bounds.top))
        error("bounds (" + snum(h.bounds.left) + ", " + snum(h.bounds.top) + ", " +
              snum(h.bounds.right) + ", " + snum(h.bounds.bottom) + ") are inverted");

    // The fixed fields end where the record, the description or the pixel
    // format starts, whichever comes first, and must be one of the three
    // known lengths.
    std::uint64_t fixedEnd = recSize_;
    std::uint64_t dataEnd = 0;
    const std::uint64_t descriptionBytes = std::uint64_t{nDescription} * 2;
    bool descriptionPlaced = false;
    if (nDescription > 0) {
        if (offDescription < 88 || offDescription + descriptionBytes > recSize_) {
            error("description (" + num(nDescription) + " characters at " + num(offDescription) +
                  ") is not inside the header record after its first 88 bytes");
        } else {
            descriptionPlaced = true;
            fixedEnd = std::min<std::uint64_t>(fixedEnd, offDescription);
            dataEnd = offDescription + descriptionBytes;
        }
    }
    std::uint32_t cbPixelFormat = 0;
    std::uint32_t offPixelFormat = 0;
    if (fixedEnd >= 100) {
        cbPixelFormat = r.u32(88);
        offPixelFormat = r.u32(92);
        const std::uint32_t openGL = r.u32(96);
        h.openGL = openGL != 0;
        if (openGL > 1) error("bOpenGL is " + num(openGL) + ", must be 0 or 1");
        if (cbPixelFormat > 0) {
            if (offPixelFormat < 100 || std::uint64_t{offPixelFormat} + cbPixelFormat > recSize_) {
                error("pixel format (" + num(cbPixelFormat) + " bytes at " + num(offPixelFormat) +
                      ") is not inside the header record after its first 100 bytes");
            } else {
                if (cbPixelFormat != 40)
                    error("pixel format of " + num(cbPixelFormat) + " bytes, expected 40");
                fixedEnd = std::min<std::uint64_t>(fixedEnd, offPixelFormat);
                dataEnd =
                    std::max<std::uint64_t>(dataEnd, offPixelFormat + std::uint64_t{cbPixelFormat});
                if (descriptionPlaced &&
                    offPixelFormat < std::uint64_t{offDescription} + descriptionBytes &&
                    offDescription < std::uint64_t{offPixelFormat} + cbPixelFormat)
                    error("description and pixel format overlap");
            }
        }
    }
    h.pixelFormatSize = cbPixelFormat;
    h.fixedSize = static_cast<std::uint32_t>(fixedEnd);
    if (fixedEnd != 88 && fixedEnd != 100 && fixedEnd != 108) {
        error("the header's fixed fields take " + num(fixedEnd) +
              " bytes (up to its description, pixel format or end); expected 88, 100 or 108");
    } else {
        if (fixedEnd == 108) {
            // The same reference device in micrometres; the millimetres are
            // these rounded, so they may differ by less than a millimetre.
            h.micrometersCx = r.u32(100);
            h.micrometersCy = r.u32(104);
            const auto offBy = [](std::uint32_t um, std::int32_t mm) {
                return std::abs(std::int64_t{um} - std::int64_t{mm} * 1000) >= 1000;
            };
            if (h.micrometersCx == 0 || h.micrometersCy == 0 ||
                offBy(h.micrometersCx, h.millimetersCx) || offBy(h.micrometersCy, h.millimetersCy))
                error("reference device size " + num(h.micrometersCx) + " x " +
                      num(h.micrometersCy) + " micrometres disagrees with " +
                      snum(h.millimetersCx) + " x " + snum(h.millimetersCy) + " mm");
        }
        sizeIs(round4(std::max(fixedEnd, dataEnd)),
               "the " + num(fixedEnd) + "-byte header and the data it points to, padded to 4");
    }
    if (descriptionPlaced) {
        const std::span<const std::uint8_t> bytes = r.bytes(offDescription, descriptionBytes);
        bool valid = true;
        h.description = utf16leToUtf8(bytes, &valid);
        if (!valid) error("description is not valid UTF-16");
        if (r.u16(offDescription + descriptionBytes - 2) != 0)
            error("description does not end with a NUL");
    }
}

void EmfWalker::endOfFile() {
    if (!sizeAtLeast(20)) return;
    const std::uint32_t entries = rec_.u32(8);
    const std::uint32_t offEntries = rec_.u32(12);
    eofPaletteEntries_ = entries;
    if (entries > (recSize_ - 20) / 4) {
        error("nPalEntries " + num(entries) + " do not fit in the record");
        return;
    }
    if (!sizeIs(20 + std::uint64_t{entries} * 4, "20 + 4 * nPalEntries")) return;
    if (entries > 0 ? offEntries != 16 : (offEntries != 0 && offEntries != 16))
        error("offPalEntries " + num(offEntries) + ", expected 16" + (entries == 0 ? " or 0" : ""));
    const std::uint32_t sizeLast = rec_.u32(recSize_ - 4);
    if (sizeLast != recSize_)
        error("nSizeLast " + num(sizeLast) + ", but the record is " + num(recSize_) + " bytes");
}

bool EmfWalker::fixedRecord() {
    const auto it = std::find_if(std::begin(kFixedEmf), std::end(kFixedEmf),
                                 [&](const FixedEmfRecord& f) { return f.type == recType_; });
    if (it == std::end(kFixedEmf)) return false;
    if (!sizeIs(it->size)) return true;
    std::vector<std::int64_t> a;
    for (std::uint32_t at = 8; at < it->size; at += 4) a.push_back(rec_.i32(at));
    fixedValues(a);
    w_.sequence.back().args = std::move(a);
    return true;
}

// Field checks of the fixed-size records; `a` holds their 32-bit fields.
void EmfWalker::fixedValues(const std::vector<std::int64_t>& a) {
    const auto inRange = [&](std::int64_t value, std::int64_t low, std::int64_t high,
                             const char* what) {
        if (value < low || value > high)
            error(std::string(what) + " " + snum(value) + " is outside " + snum(low) + ".." +
                  snum(high));
    };
    const auto finite = [&](std::size_t first, std::size_t count) {
        for (std::size_t i = first; i < first + count; ++i)
            if (!std::isfinite(std::bit_cast<float>(static_cast<std::uint32_t>(a[i]))))
                error("a floating-point field is not finite");
    };
    const auto needPath = [&](Path wanted, const char* what) {
        if (path_ != wanted)
            error(std::string("needs ") + what + " (path " +
                  (path_ == Path::None   ? "none"
                   : path_ == Path::Open ? "still open"
                                         : "closed") +
                  ")");
    };
    switch (recType_) {
        case emr::SETWINDOWEXTEX:
        case emr::SETVIEWPORTEXTEX:
            if (a[0] == 0 || a[1] == 0)
                error("extent " + snum(a[0]) + " x " + snum(a[1]) + " has a zero side");
            break;
        case emr::SETMAPMODE:
            inRange(a[0], 1, 8, "map mode");
            break;
        case emr::SETBKMODE:
            inRange(a[0], 1, 2, "background mode");
            break;
        case emr::SETPOLYFILLMODE:
            inRange(a[0], 1, 2, "polygon fill mode");
            break;
        case emr::SETROP2:
            inRange(a[0], 1, 16, "ROP2");
            break;
        case emr::SETSTRETCHBLTMODE:
            inRange(a[0], 1, 4, "stretch mode");
            break;
        case emr::SETARCDIRECTION:
            inRange(a[0], 1, 2, "arc direction");
            break;
        case emr::SETTEXTALIGN:
            if (!textAlignValid(static_cast<std::uint32_t>(a[0])))
                error("text alignment " + hex(static_cast<std::uint32_t>(a[0])) + " is not valid");
            break;
        case emr::SETTEXTCOLOR:
        case emr::SETBKCOLOR:
            if (!colorHighByteClear(static_cast<std::uint32_t>(a[0])))
                error("colour " + hex(static_cast<std::uint32_t>(a[0]), 8) +
                      " has a non-zero high byte");
            break;
        case emr::SETPIXELV:
            if (!colorHighByteClear(static_cast<std::uint32_t>(a[2])))
                error("colour " + hex(static_cast<std::uint32_t>(a[2]), 8) +
                      " has a non-zero high byte");
            break;
        case emr::SCALEVIEWPORTEXTEX:
        case emr::SCALEWINDOWEXTEX:
            if (a[1] == 0 || a[3] == 0) error("a scale denominator is 0");
            break;
        case emr::SAVEDC:
            w_.deepestSave = std::max(w_.deepestSave, ++saveDepth_);
            break;
        case emr::RESTOREDC:
            restoreDc(a[0], false);
            break;
        case emr::SETWORLDTRANSFORM:
            finite(0, 6);
            break;
        case emr::MODIFYWORLDTRANSFORM:
            finite(0, 6);
            inRange(a[6], 1, 4, "transform mode");
            break;
        case emr::ANGLEARC:
            if (a[2] < 0) error("radius is negative");
            finite(3, 2);
            break;
        case emr::RECTANGLE:
        case emr::ELLIPSE:
            addShape({{static_cast<std::int32_t>(a[0]), static_cast<std::int32_t>(a[1])},
                      {static_cast<std::int32_t>(a[2]), static_cast<std::int32_t>(a[3])}});
            break;
        case emr::ROUNDRECT:
            addShape({{static_cast<std::int32_t>(a[0]), static_cast<std::int32_t>(a[1])},
                      {static_cast<std::int32_t>(a[2]), static_cast<std::int32_t>(a[3])},
                      {static_cast<std::int32_t>(a[4]), static_cast<std::int32_t>(a[5])}});
            break;
        case emr::MOVETOEX:
        case emr::LINETO:
            addShape({{static_cast<std::int32_t>(a[0]), static_cast<std::int32_t>(a[1])}});
            break;
        case emr::BEGINPATH:
            path_ = Path::Open;
            break;
        case emr::ENDPATH:
            needPath(Path::Open, "an open path");
            path_ = Path::Closed;
            break;
        case emr::CLOSEFIGURE:
            needPath(Path::Open, "an open path");
            break;
        case emr::ABORTPATH:
            path_ = Path::None;
            break;
        case emr::FLATTENPATH:
        case emr::WIDENPATH:
            needPath(Path::Closed, "a closed path");
            break;
        case emr::FILLPATH:
        case emr::STROKEANDFILLPATH:
        case emr::STROKEPATH:
            needPath(Path::Closed, "a closed path");
            path_ = Path::None;
            break;
        case emr::SELECTCLIPPATH:
            inRange(a[0], 1, 5, "region mode");
            needPath(Path::Closed, "a closed path");
            path_ = Path::None;
            break;
        default:
            break;
    }
}

// POLYLINE and friends: bounds, count, points.
void EmfWalker::poly(unsigned pointSize) {
    if (!sizeAtLeast(28)) return;
    const std::uint32_t count = rec_.u32(24);
    if (!countOk(count, "point count")) return;
    if (!sizeIs(28 + std::uint64_t{count} * pointSize,
                "28 + " + num(pointSize) + " * " + num(count) + " points"))
        return;
    std::uint32_t least = 2;
    bool bezierRule = false;
    switch (recType_) {
        case emr::POLYBEZIER:
        case emr::POLYBEZIER16:
            least = 4;
            bezierRule = (count % 3) != 1;
            break;
        case emr::POLYBEZIERTO:
        case emr::POLYBEZIERTO16:
            least = 3;
            bezierRule = (count % 3) != 0;
            break;
        case emr::POLYLINETO:
        case emr::POLYLINETO16:
            least = 1;
            break;
        default:
            break;
    }
    if (count < least) error(num(count) + " points, at least " + num(least) + " needed");
    if (bezierRule) error(num(count) + " points do not make whole Bezier segments");
    std::vector<WalkedPoint> points;
    points.reserve(count);
    for (std::uint64_t i = 0, at = 28; i < count; ++i, at += pointSize)
        points.push_back(pointSize == 8 ? WalkedPoint{rec_.i32(at), rec_.i32(at + 4)}
                                        : WalkedPoint{rec_.i16(at), rec_.i16(at + 2)});
    addShape(std::move(points));
}

// POLYPOLYLINE / POLYPOLYGON: bounds, nPolys, total points, counts, points.
void EmfWalker::polyPoly(unsigned pointSize) {
    if (!sizeAtLeast(32)) return;
    const std::uint32_t polys = rec_.u32(24);
    const std::uint32_t total = rec_.u32(28);
    if (!countOk(polys, "polygon count") || !countOk(total, "point count")) return;
    if (!sizeIs(32 + std::uint64_t{polys} * 4 + std::uint64_t{total} * pointSize,
                "32 + 4 * " + num(polys) + " counts + " + num(pointSize) + " * " + num(total) +
                    " points"))
        return;
    if (polys == 0) error("no polygons");
    std::vector<std::uint32_t> counts;
    counts.reserve(polys);
    std::uint64_t sum = 0;
    for (std::uint32_t i = 0; i < polys; ++i) {
        const std::uint32_t c = rec_.u32(32 + std::uint64_t{i} * 4);
        if (c < 2) error("polygon " + num(i) + " has " + num(c) + " points, at least 2 needed");
        sum += c;
        counts.push_back(c);
    }
    if (sum != total) {
        error("the polygon counts add up to " + num(sum) + ", the record says " + num(total));
        return;
    }
    std::vector<WalkedPoint> points;
    points.reserve(total);
    const std::uint64_t start = 32 + std::uint64_t{polys} * 4;
    for (std::uint64_t i = 0, at = start; i < total; ++i, at += pointSize)
        points.push_back(pointSize == 8 ? WalkedPoint{rec_.i32(at), rec_.i32(at + 4)}
                                        : WalkedPoint{rec_.i16(at), rec_.i16(at + 2)});
    addShape(std::move(points), std::move(counts));
}

// POLYDRAW: bounds, count, points, one type byte a point, padded to 4.
void EmfWalker::polyDraw(unsigned pointSize) {
    if (!sizeAtLeast(28)) return;
    const std::uint32_t count = rec_.u32(24);
    if (!countOk(count, "point count")) return;
    const std::uint64_t typesAt = 28 + std::uint64_t{count} * pointSize;
    if (!sizeIs(round4(typesAt + count), "points and their type bytes, padded to 4")) return;
    std::vector<WalkedPoint> points;
    points.reserve(count);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = 28 + i * pointSize;
        points.push_back(pointSize == 8 ? WalkedPoint{rec_.i32(at), rec_.i32(at + 4)}
                                        : WalkedPoint{rec_.i16(at), rec_.i16(at + 2)});
        const std::uint8_t t = rec_.u8(typesAt + i);
        // PT_MOVETO 6, PT_LINETO 2, PT_BEZIERTO 4, the last two may carry PT_CLOSEFIGURE 1.
        if (t != 6 && t != 2 && t != 3 && t != 4 && t != 5)
            error("point " + num(i) + " has type " + num(t));
    }
    addShape(std::move(points));
}

void EmfWalker::create(WalkedObject object) {
    const std::uint32_t index = object.index;
    use(ObjectAction::Create, index);
    if (index == 0) {
        error("creates an object at index 0, which is reserved");
    } else if ((index & 0x80000000U) != 0) {
        error("creates an object at stock index " + hex(index));
    } else if (const auto it = live_.find(index); it != live_.end()) {
        error("creates a " + kindName(object.kind) + " at index " + num(index) +
              ", still in use by the " + kindName(w_.objects[it->second].kind) +
              " created at offset " + hex(w_.objects[it->second].offset, 8));
    } else {
        noteIndex(index);
        live_[index] = w_.objects.size();
    }
    w_.objects.push_back(std::move(object));
}

void EmfWalker::selectObject() {
    if (!sizeIs(12)) return;
    const std::uint32_t index = rec_.u32(8);
    w_.sequence.back().args = {index};
    use(ObjectAction::Select, index);
    if ((index & 0x80000000U) != 0) {
        if (!isStockObject(index))
            error("selects " + hex(index) + ", which is no stock object");
        else if (index == kDefaultPalette)
            error("selects the stock palette; palettes go through EMR_SELECTPALETTE");
        return;
    }
    noteIndex(index);
    const auto it = live_.find(index);
    if (index == 0 || it == live_.end()) {
        error("selects object index " + num(index) + ", which holds no object");
        return;
    }
    if (w_.objects[it->second].kind == WalkedObjectKind::Palette)
        error("selects a palette; palettes go through EMR_SELECTPALETTE");
}

void EmfWalker::deleteObject() {
    if (!sizeIs(12)) return;
    const std::uint32_t index = rec_.u32(8);
    w_.sequence.back().args = {index};
    use(ObjectAction::Delete, index);
    if ((index & 0x80000000U) != 0) {
        if (!isStockObject(index))
            error("deletes " + hex(index) + ", which is no stock object");
        else
            ++w_.stockDeletes;  // players ignore it; counted so a test can insist on none
        return;
    }
    noteIndex(index);
    const auto it = live_.find(index);
    if (index == 0 || it == live_.end()) {
        error("deletes object index " + num(index) + ", which holds no object");
        return;
    }
    live_.erase(it);
}

void EmfWalker::selectPalette() {
    if (!sizeIs(12)) return;
    const std::uint32_t index = rec_.u32(8);
    w_.sequence.back().args = {index};
    use(ObjectAction::SelectPalette, index);
    if (index == kDefaultPalette) return;
    noteIndex(index);
    const auto it = live_.find(index);
    if (it == live_.end() || w_.objects[it->second].kind != WalkedObjectKind::Palette)
        error("selects palette index " + hex(index) + ", which holds no palette");
}

// ihPen, LOGPEN (style, width as a POINTL of which x counts, colour).
void EmfWalker::createPen() {
    WalkedObject pen = newObject(WalkedObjectKind::Pen);
    if (sizeIs(28, "ihPen and a 16-byte LOGPEN")) {
        pen.style = rec_.u32(12);
        pen.width = rec_.i32(16);
        pen.color = rec_.u32(24);
        if (auto problem = penStyleProblem(pen.style, 6, false)) error(*problem);
        if (pen.width < 0) error("pen width " + snum(pen.width) + " is negative");
        if (!colorHighByteClear(pen.color))
            error("pen colour " + hex(pen.color, 8) + " has a non-zero high byte");
    }
    createIfIndexed(std::move(pen));
}

// ihBrush, LOGBRUSH32 (style, colour, hatch).
void EmfWalker::createBrush() {
    WalkedObject brush = newObject(WalkedObjectKind::Brush);
    if (sizeIs(24, "ihBrush and a 12-byte LOGBRUSH32")) {
        brush.style = rec_.u32(12);
        brush.color = rec_.u32(16);
        brush.hatch = rec_.u32(20);
        // Pattern brushes have records of their own; this one makes solid,
        // hollow and hatched brushes only.
        if (brush.style > 2) error("brush style " + num(brush.style) + ", expected 0, 1 or 2");
        if (brush.style == 2 && brush.hatch > 5)
            error("hatch style " + num(brush.hatch) + " unknown");
        if (!colorHighByteClear(brush.color))
            error("brush colour " + hex(brush.color, 8) + " has a non-zero high byte");
    }
    createIfIndexed(std::move(brush));
}

// ihPen, offBmi, cbBmi, offBits, cbBits, LOGPENEX (style, width, brush
// style, colour, hatch, number of style entries, the entries), then the
// pattern bitmap if the brush style has one.
void EmfWalker::extCreatePen() {
    if (!sizeAtLeast(52, "the fixed fields")) return;
    WalkedObject pen = newObject(WalkedObjectKind::ExtPen);
    const std::uint32_t offBmi = rec_.u32(12), cbBmi = rec_.u32(16);
    const std::uint32_t offBits = rec_.u32(20), cbBits = rec_.u32(24);
    pen.style = rec_.u32(28);
    pen.width = rec_.i32(32);
    pen.brushStyle = rec_.u32(36);
    pen.color = rec_.u32(40);
    pen.hatch = rec_.u32(44);
    const std::uint32_t entries = rec_.u32(48);
    if (entries > (recSize_ - 52) / 4) {
        error(num(entries) + " style entries do not fit in the record");
        create(std::move(pen));
        return;
    }
    for (std::uint32_t i = 0; i < entries; ++i) pen.styleEntries.push_back(rec_.u32(52 + 4 * i));
    const std::uint64_t entriesEnd = 52 + std::uint64_t{entries} * 4;

    if (auto problem = penStyleProblem(pen.style, 8, true)) error(*problem);
    const bool geometric = (pen.style & 0xF0000) == 0x10000;
    const std::uint32_t line = pen.style & 0xF;
    if (geometric && line == 8) error("PS_ALTERNATE is for cosmetic pens only");
    if (!geometric && pen.width != 1)
        error("cosmetic pen of width " + snum(pen.width) + ", must be 1");
    if (!geometric && pen.brushStyle != 0) error("cosmetic pen with a non-solid brush");
    if (pen.width < 0) error("pen width " + snum(pen.width) + " is negative");
    if (line == 7) {
        if (entries == 0 || entries > 16)
            error("user-styled pen with " + num(entries) + " style entries, expected 1 to 16");
    } else if (entries != 0) {
        error(num(entries) + " style entries on a pen that is not PS_USERSTYLE");
    }
    const std::uint32_t bs = pen.brushStyle;
    const bool withBitmap = bs == 3 || bs == 5 || bs == 6;
    if (bs != 0 && bs != 1 && bs != 2 && !withBitmap)
        error("pen brush style " + num(bs) + " unknown");
    if (bs == 2 && pen.hatch > 5) error("hatch style " + num(pen.hatch) + " unknown");
    if (!colorHighByteClear(pen.color))
        error("pen colour " + hex(pen.color, 8) + " has a non-zero high byte");

    if (!withBitmap && (cbBmi != 0 || cbBits != 0)) {
        error("carries a bitmap, but its brush style " + num(bs) + " uses none");
    } else {
        WalkedBitmap unused;
        std::uint64_t end = entriesEnd;
        const std::uint32_t usage = bs == 3 ? 0 : pen.hatch;
        if (bitmap(entriesEnd, offBmi, cbBmi, offBits, cbBits, usage, false, false, unused, end)) {
            if (withBitmap && cbBmi == 0) error("brush style " + num(bs) + " needs a bitmap");
            sizeIs(round4(end), "LOGPENEX, its style entries and bitmap");
        }
    }
    create(std::move(pen));
}

// ihPal, LOGPALETTE (version 0x300, number of entries, the entries).
void EmfWalker::createPalette() {
    WalkedObject palette = newObject(WalkedObjectKind::Palette);
    if (sizeAtLeast(16)) {
        const std::uint16_t version = rec_.u16(12);
        palette.paletteEntries = rec_.u16(14);
        if (version != 0x300) error("palette version " + hex(version) + ", expected 0x300");
        if (palette.paletteEntries == 0) error("palette without entries");
        sizeIs(16 + std::uint64_t{palette.paletteEntries} * 4, "16 + 4 * entries");
    }
    createIfIndexed(std::move(palette));
}

// ihBrush, usage, offBmi, cbBmi, offBits, cbBits, then the bitmap.
void EmfWalker::createDibBrush() {
    WalkedObject brush = newObject(WalkedObjectKind::PatternBrush);
    brush.style = recType_ == emr::CREATEMONOBRUSH ? 3 : 6;  // BS_PATTERN, BS_DIBPATTERNPT
    if (sizeAtLeast(32, "the fixed fields")) {
        const std::uint32_t usage = rec_.u32(12);
        WalkedBitmap bm;
        std::uint64_t end = 32;
        if (bitmap(32, rec_.u32(16), rec_.u32(20), rec_.u32(24), rec_.u32(28), usage, true, true,
                   bm, end)) {
            if (recType_ == emr::CREATEMONOBRUSH && bm.bitCount != 1)
                error("monochrome brush bitmap of " + num(bm.bitCount) + " bits per pixel");
            sizeIs(round4(end), "the fixed fields and the bitmap");
        }
    }
    createIfIndexed(std::move(brush));
}

// ihFont and a LOGFONTW (92 bytes) alone, or an ENUMLOGFONTEXDV: the
// LOGFONTW, full name (64 wide characters), style and script (32 each),
// then a design vector (signature 0x08007664, axis count, the axes).
void EmfWalker::createFont() {
    WalkedObject font = newObject(WalkedObjectKind::Font);
    if (!sizeAtLeast(104, "ihFont and a LOGFONTW")) {
        createIfIndexed(std::move(font));
        return;
    }
    if (recSize_ != 104) {
        font.extendedFont = true;
        if (recSize_ < 368) {
            error("size " + num(recSize_) +
                  " bytes, expected 104 (LOGFONTW) or 368 + 4 * axes (ENUMLOGFONTEXDV)");
        } else {
            const std::uint32_t signature = rec_.u32(360);
            const std::uint32_t axes = rec_.u32(364);
            if (signature != 0x08007664U)
                error("design vector signature " + hex(signature, 8) + ", expected 0x08007664");
            if (axes > 16)
                error("design vector with " + num(axes) + " axes, at most 16");
            else
                sizeIs(368 + std::uint64_t{axes} * 4,
                       "ENUMLOGFONTEXDV with " + num(axes) + " axes");
        }
    }
    font.height = rec_.i32(12);
    font.fontWidth = rec_.i32(16);
    font.escapement = rec_.i32(20);
    font.orientation = rec_.i32(24);
    font.weight = rec_.i32(28);
    font.italic = rec_.u8(32);
    font.underline = rec_.u8(33);
    font.strikeOut = rec_.u8(34);
    font.charSet = rec_.u8(35);
    font.outPrecision = rec_.u8(36);
    font.clipPrecision = rec_.u8(37);
    font.quality = rec_.u8(38);
    font.pitchAndFamily = rec_.u8(39);
    if (font.weight < 0 || font.weight > 1000)
        error("font weight " + snum(font.weight) + " outside 0..1000");
    if (font.italic > 1 || font.underline > 1 || font.strikeOut > 1)
        error("italic, underline and strike-out must each be 0 or 1");
    if (font.fontWidth < 0) error("font width " + snum(font.fontWidth) + " is negative");
    std::vector<std::uint16_t> face;
    bool terminated = false;
    for (std::uint64_t i = 0; i < 32; ++i) {
        const std::uint16_t c = rec_.u16(40 + 2 * i);
        if (c == 0) {
            terminated = true;
            break;
        }
        face.push_back(c);
    }
    if (!terminated) error("face name is not NUL-terminated within its 32 characters");
    bool valid = true;
    font.faceName = utf16ToUtf8(face, &valid);
    if (!valid) error("face name is not valid UTF-16");
    create(std::move(font));
}

// EXTTEXTOUTA/W: bounds, graphics mode, x and y scale, then the EMRTEXT:
// reference point, character count, string offset, options, the clip
// rectangle (absent with ETO_NO_RECT), dx offset; string and dx array
// follow, each where its offset says.
void EmfWalker::text(bool wide) {
    if (!sizeAtLeast(60)) return;
    WalkedText t;
    t.type = recType_;
    t.offset = recOffset_;
    t.graphicsMode = rec_.u32(24);
    t.exScale = rec_.f32(28);
    t.eyScale = rec_.f32(32);
    t.reference = {rec_.i32(36), rec_.i32(40)};
    const std::uint32_t chars = rec_.u32(44);
    const std::uint32_t offString = rec_.u32(48);
    t.options = rec_.u32(52);
    t.hasRect = (t.options & 0x100) == 0;  // ETO_NO_RECT
    const std::uint64_t fixed = t.hasRect ? 76 : 60;
    if (!sizeAtLeast(fixed)) return;
    if (t.hasRect) t.rect = {rec_.i32(56), rec_.i32(60), rec_.i32(64), rec_.i32(68)};
    const std::uint32_t offDx = rec_.u32(fixed - 4);
    if (!countOk(chars, "character count")) return;

    if (t.graphicsMode != 1 && t.graphicsMode != 2)
        error("graphics mode " + num(t.graphicsMode) + ", expected 1 or 2");
    if ((t.options & ~kEtoKnown) != 0)
        error("text options " + hex(t.options) + " have unknown bits");
    // Wide characters sit on an even offset, the dx values on a multiple of 4.
    if (chars > 0 && wide && offString % 2 != 0)
        error("string offset " + num(offString) + " is odd");
    if (offDx % 4 != 0) error("dx offset " + num(offDx) + " is not a multiple of 4");
    if (!std::isfinite(t.exScale) || !std::isfinite(t.eyScale)) error("text scale is not finite");

    const std::uint64_t unit = wide ? 2 : 1;
    const std::uint64_t stringEnd = std::uint64_t{offString} + unit * chars;
    std::uint64_t end = fixed;
    bool stringPlaced = chars == 0;
    bool sound = true;
    if (chars > 0) {
        if (offString < fixed || stringEnd > recSize_) {
            error("string of " + num(chars) + " characters at " + num(offString) +
                  " is not inside the record after its " + num(fixed) + " fixed bytes");
            sound = false;
        } else {
            stringPlaced = true;
            end = std::max(end, stringEnd);
        }
    }
    bool dxPlaced = false;
    const std::uint64_t dxCount =
        std::uint64_t{chars} * ((t.options & 0x2000) != 0 ? 2 : 1);  // ETO_PDY
    if (offDx != 0) {
        const std::uint64_t dxEnd = std::uint64_t{offDx} + 4 * dxCount;
        if (offDx < fixed || dxEnd > recSize_) {
            error("dx array of " + num(dxCount) + " values at " + num(offDx) +
                  " is not inside the record after its " + num(fixed) + " fixed bytes");
            sound = false;
        } else if (chars > 0 && stringPlaced && offDx < stringEnd && offString < dxEnd) {
            error("string and dx array overlap");
            sound = false;
        } else {
            dxPlaced = true;
            end = std::max(end, dxEnd);
        }
    }
    if (sound) sizeIs(round4(end), "the fixed fields, string and dx array, padded to 4");

    if (stringPlaced && chars > 0) {
        const std::span<const std::uint8_t> bytes = rec_.bytes(offString, unit * chars);
        if (wide) {
            t.utf16 = utf16Units(bytes);
            bool valid = true;
            t.text = utf16ToUtf8(t.utf16, &valid);
            if (!valid && (t.options & 0x10) == 0)  // not ETO_GLYPH_INDEX
                error("text is not valid UTF-16");
        } else {
            t.text.assign(bytes.begin(), bytes.end());
        }
    }
    if (dxPlaced) {
        t.dx.reserve(dxCount);
        for (std::uint64_t i = 0; i < dxCount; ++i) t.dx.push_back(rec_.i32(offDx + 4 * i));
    }
    w_.texts.push_back(std::move(t));
}

// The bitmap a record carries: BITMAPINFO at offBmi (cbBmi bytes), bits at
// offBits (cbBits bytes), both inside the record after `fixedEnd`, not overlapping.
// Gives in `end` where the last of them ends. False if it is unusable.
bool EmfWalker::bitmap(std::uint64_t fixedEnd, std::uint32_t offBmi, std::uint32_t cbBmi,
                       std::uint32_t offBits, std::uint32_t cbBits, std::uint32_t usage,
                       bool required, bool indicesAllowed, WalkedBitmap& out, std::uint64_t& end) {
    end = fixedEnd;
    if (cbBmi == 0 && cbBits == 0) {
        if (required) error("carries no bitmap");
        return !required;
    }
    if (cbBmi == 0 || cbBits == 0) {
        error("bitmap info of " + num(cbBmi) + " bytes with bits of " + num(cbBits) +
              " bytes; both or neither must be there");
        return false;
    }
    const std::uint64_t bmiEnd = std::uint64_t{offBmi} + cbBmi;
    const std::uint64_t bitsEnd = std::uint64_t{offBits} + cbBits;
    bool placed = true;
    if (offBmi < fixedEnd || bmiEnd > recSize_) {
        error("bitmap info (" + num(cbBmi) + " bytes at " + num(offBmi) +
              ") is not inside the record after its " + num(fixedEnd) + " fixed bytes");
        placed = false;
    }
    if (offBits < fixedEnd || bitsEnd > recSize_) {
        error("bitmap bits (" + num(cbBits) + " bytes at " + num(offBits) +
              ") are not inside the record after its " + num(fixedEnd) + " fixed bytes");
        placed = false;
    }
    if (!placed) return false;
    if (offBmi < bitsEnd && offBits < bmiEnd) {
        error("bitmap info and bits overlap");
        return false;
    }
    DibLayout d;
    if (!readDib(rec_.sub(offBmi, cbBmi), usage, indicesAllowed, d)) return false;
    bool good = true;
    if (d.infoSize != cbBmi) {
        error("bitmap info of " + num(cbBmi) + " bytes, its header and colour table take " +
              num(d.infoSize));
        good = false;
    }
    if (d.bitsSize != cbBits) {
        error("bitmap bits of " + num(cbBits) + " bytes, the " + snum(d.width) + " x " +
              snum(d.height) + " x " + num(d.bitCount) + "-bit bitmap takes " + num(d.bitsSize));
        good = false;
    }
    fillBitmap(out, d);
    out.usage = usage;
    end = std::max({fixedEnd, bmiEnd, bitsEnd});
    return good;
}

// Bounds, destination x/y, source x/y/cx/cy, offBmi, cbBmi, offBits,
// cbBits, usage, ROP, destination cx/cy; then the bitmap.
void EmfWalker::stretchDibits() {
    if (!sizeAtLeast(80, "the fixed fields")) return;
    WalkedBitmap bm;
    bm.type = recType_;
    bm.offset = recOffset_;
    bm.xDest = rec_.i32(24);
    bm.yDest = rec_.i32(28);
    bm.xSrc = rec_.i32(32);
    bm.ySrc = rec_.i32(36);
    bm.cxSrc = rec_.i32(40);
    bm.cySrc = rec_.i32(44);
    bm.usage = rec_.u32(64);
    bm.rop = rec_.u32(68);
    bm.cxDest = rec_.i32(72);
    bm.cyDest = rec_.i32(76);
    std::uint64_t end = 80;
    if (bitmap(80, rec_.u32(48), rec_.u32(52), rec_.u32(56), rec_.u32(60), bm.usage, true, false,
               bm, end)) {
        sizeIs(round4(end), "the fixed fields and the bitmap, padded to 4");
        checkSourceRect(bm);
    }
    w_.bitmaps.push_back(bm);
}

// BITBLT: bounds, destination x/y/cx/cy, ROP, source x/y, source transform
// (six floats), background colour, usage, offBmi, cbBmi, offBits, cbBits;
// STRETCHBLT adds source cx/cy. No bitmap is fine for a ROP that does not
// read the source.
void EmfWalker::blt(bool stretch) {
    const std::uint64_t fixed = stretch ? 108 : 100;
    if (!sizeAtLeast(fixed, "the fixed fields")) return;
    WalkedBitmap bm;
    bm.type = recType_;
    bm.offset = recOffset_;
    bm.xDest = rec_.i32(24);
    bm.yDest = rec_.i32(28);
    bm.cxDest = rec_.i32(32);
    bm.cyDest = rec_.i32(36);
    bm.rop = rec_.u32(40);
    bm.xSrc = rec_.i32(44);
    bm.ySrc = rec_.i32(48);
    bm.usage = rec_.u32(80);
    if (stretch) {
        bm.cxSrc = rec_.i32(100);
        bm.cySrc = rec_.i32(104);
    } else {
        bm.cxSrc = bm.cxDest;
        bm.cySrc = bm.cyDest;
    }
    for (std::uint64_t at = 52; at < 76; at += 4)
        if (!std::isfinite(rec_.f32(at))) error("source transform is not finite");
    const std::uint32_t cbBmi = rec_.u32(88), cbBits = rec_.u32(96);
    const bool withBitmap = cbBmi != 0 || cbBits != 0;
    if (!withBitmap && ropUsesSource(bm.rop))
        error("raster operation " + hex(bm.rop, 8) + " reads a source, but there is no bitmap");
    std::uint64_t end = fixed;
    if (bitmap(fixed, rec_.u32(84), cbBmi, rec_.u32(92), cbBits, bm.usage, false, false, bm, end))
        sizeIs(round4(end),
               withBitmap ? "the fixed fields and the bitmap, padded to 4" : "no source bitmap");
    w_.bitmaps.push_back(bm);
}

// Region data size, mode, then RGNDATA: a 32-byte header (size 32, type
// RDH_RECTANGLES, count, buffer size, bounds) and the rectangles. No data
// with RGN_COPY resets the clip.
void EmfWalker::extSelectClipRgn() {
    if (!sizeAtLeast(16)) return;
    const std::uint32_t dataSize = rec_.u32(8);
    const std::uint32_t mode = rec_.u32(12);
    w_.sequence.back().args = {mode};
    if (mode < 1 || mode > 5) error("region mode " + num(mode) + " outside 1..5");
    if (dataSize == 0) {
        if (mode != 5)
            error("no region data, which only RGN_COPY (5) allows");
        else
            ++w_.clipResets;
        sizeIs(16, "no region data");
        return;
    }
    if (dataSize < 32 || std::uint64_t{dataSize} + 16 > recSize_) {
        error("region data of " + num(dataSize) + " bytes does not fit the record or a header");
        return;
    }
    const std::uint32_t headerSize = rec_.u32(16);
    const std::uint32_t kind = rec_.u32(20);
    const std::uint32_t count = rec_.u32(24);
    const std::uint32_t bufferSize = rec_.u32(28);
    const WalkedRect bound{rec_.i32(32), rec_.i32(36), rec_.i32(40), rec_.i32(44)};
    if (headerSize != 32) error("region header size " + num(headerSize) + ", expected 32");
    if (kind != 1) error("region type " + num(kind) + ", expected RDH_RECTANGLES (1)");
    const std::uint64_t rectBytes = std::uint64_t{count} * 16;
    if (dataSize != 32 + rectBytes) {
        error("region data of " + num(dataSize) + " bytes, " + num(count) + " rectangles need " +
              num(32 + rectBytes));
        return;
    }
    if (!sizeIs(16 + std::uint64_t{dataSize}, "16 + region data")) return;
    if (bufferSize != 0 && bufferSize != rectBytes)
        error("region buffer size " + num(bufferSize) + ", expected 0 or " + num(rectBytes));
    std::vector<WalkedPoint> corners;
    corners.reserve(std::size_t{count} * 2);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t at = 48 + i * 16;
        const WalkedRect r{rec_.i32(at), rec_.i32(at + 4), rec_.i32(at + 8), rec_.i32(at + 12)};
        if (r.left >= r.right || r.top >= r.bottom)
            error("region rectangle " + num(i) + " is empty or inverted");
        else if (r.left < bound.left || r.top < bound.top || r.right > bound.right ||
                 r.bottom > bound.bottom)
            error("region rectangle " + num(i) + " lies outside the region's bounds");
        corners.push_back({r.left, r.top});
        corners.push_back({r.right, r.bottom});
    }
    addShape(std::move(corners), std::vector<std::uint32_t>(count, 2));
}

void EmfWalker::gdiComment() {
    if (!sizeAtLeast(12)) return;
    const std::uint32_t dataSize = rec_.u32(8);
    sizeIs(round4(12 + std::uint64_t{dataSize}), "12 + comment data, padded to 4");
}

// ---------------------------------------------------------------------------
// WMF

namespace meta {
constexpr std::uint32_t EOF_ = 0x0000, SAVEDC = 0x001E, REALIZEPALETTE = 0x0035,
                        CREATEPALETTE = 0x00F7, SETBKMODE = 0x0102, SETMAPMODE = 0x0103,
                        SETROP2 = 0x0104, SETPOLYFILLMODE = 0x0106, SETSTRETCHBLTMODE = 0x0107,
                        SETTEXTCHAREXTRA = 0x0108, RESTOREDC = 0x0127, INVERTREGION = 0x012A,
                        PAINTREGION = 0x012B, SELECTCLIPREGION = 0x012C, SELECTOBJECT = 0x012D,
                        SETTEXTALIGN = 0x012E, DIBCREATEPATTERNBRUSH = 0x0142,
                        DELETEOBJECT = 0x01F0, CREATEPATTERNBRUSH = 0x01F9, SETBKCOLOR = 0x0201,
                        SETTEXTCOLOR = 0x0209, SETTEXTJUSTIFICATION = 0x020A, SETWINDOWORG = 0x020B,
                        SETWINDOWEXT = 0x020C, SETVIEWPORTORG = 0x020D, SETVIEWPORTEXT = 0x020E,
                        OFFSETWINDOWORG = 0x020F, OFFSETVIEWPORTORG = 0x0211, LINETO = 0x0213,
                        MOVETO = 0x0214, OFFSETCLIPRGN = 0x0220, FILLREGION = 0x0228,
                        SETMAPPERFLAGS = 0x0231, SELECTPALETTE = 0x0234, CREATEPENINDIRECT = 0x02FA,
                        CREATEFONTINDIRECT = 0x02FB, CREATEBRUSHINDIRECT = 0x02FC, POLYGON = 0x0324,
                        POLYLINE = 0x0325, SCALEWINDOWEXT = 0x0410, SCALEVIEWPORTEXT = 0x0412,
                        EXCLUDECLIPRECT = 0x0415, INTERSECTCLIPRECT = 0x0416, ELLIPSE = 0x0418,
                        RECTANGLE = 0x041B, SETPIXEL = 0x041F, FRAMEREGION = 0x0429,
                        TEXTOUT = 0x0521, POLYPOLYGON = 0x0538, ROUNDRECT = 0x061C, PATBLT = 0x061D,
                        ESCAPE = 0x0626, CREATEREGION = 0x06FF, ARC = 0x0817, PIE = 0x081A,
                        CHORD = 0x0830, DIBBITBLT = 0x0940, EXTTEXTOUT = 0x0A32,
                        DIBSTRETCHBLT = 0x0B41, STRETCHDIB = 0x0F43;
}  // namespace meta

// Records of fixed layout. `layout` lists the parameters as stored, 's' a
// signed 16-bit word and 'L' a 32-bit value; `altWords` is the other size
// allowed (the optional reserved word some mode records carry), 0 if none.
struct FixedWmfRecord {
    std::uint32_t function;
    std::uint32_t words;
    std::uint32_t altWords;
    const char* layout;
};

constexpr FixedWmfRecord kFixedWmf[] = {
    {meta::SAVEDC, 3, 0, ""},
    {meta::REALIZEPALETTE, 3, 0, ""},
    {meta::SETBKMODE, 4, 5, "s"},
    {meta::SETMAPMODE, 4, 0, "s"},
    {meta::SETROP2, 4, 5, "s"},
    {meta::SETPOLYFILLMODE, 4, 5, "s"},
    {meta::SETSTRETCHBLTMODE, 4, 5, "s"},
    {meta::SETTEXTCHAREXTRA, 4, 0, "s"},
    {meta::RESTOREDC, 4, 0, "s"},
    {meta::SETTEXTALIGN, 4, 5, "s"},
    {meta::SETBKCOLOR, 5, 0, "L"},
    {meta::SETTEXTCOLOR, 5, 0, "L"},
    {meta::SETTEXTJUSTIFICATION, 5, 0, "ss"},
    {meta::SETWINDOWORG, 5, 0, "ss"},
    {meta::SETWINDOWEXT, 5, 0, "ss"},
    {meta::SETVIEWPORTORG, 5, 0, "ss"},
    {meta::SETVIEWPORTEXT, 5, 0, "ss"},
    {meta::OFFSETWINDOWORG, 5, 0, "ss"},
    {meta::OFFSETVIEWPORTORG, 5, 0, "ss"},
    {meta::LINETO, 5, 0, "ss"},
    {meta::MOVETO, 5, 0, "ss"},
    {meta::OFFSETCLIPRGN, 5, 0, "ss"},
    {meta::SETMAPPERFLAGS, 5, 0, "L"},
    {meta::SCALEWINDOWEXT, 7, 0, "ssss"},
    {meta::SCALEVIEWPORTEXT, 7, 0, "ssss"},
    {meta::EXCLUDECLIPRECT, 7, 0, "ssss"},
    {meta::INTERSECTCLIPRECT, 7, 0, "ssss"},
    {meta::ELLIPSE, 7, 0, "ssss"},
    {meta::RECTANGLE, 7, 0, "ssss"},
    {meta::SETPIXEL, 7, 0, "Lss"},
    {meta::ROUNDRECT, 9, 0, "ssssss"},
    {meta::PATBLT, 9, 0, "Lssss"},
    {meta::ARC, 11, 0, "ssssssss"},
    {meta::PIE, 11, 0, "ssssssss"},
    {meta::CHORD, 11, 0, "ssssssss"},
};

class WmfWalker : public WalkerBase {
public:
    WmfWalker(std::span<const std::uint8_t> bytes, MetafileWalk& walk)
        : WalkerBase(walk), file_(bytes) {}

    void run();

private:
    std::string recordName(std::uint32_t function) const override {
        return wmfRecordName(function);
    }

    bool placeableHeader();
    bool metaHeader();
    void record();
    bool fixedRecord();
    void fixedValues(const std::vector<std::int64_t>& a);
    void poly();
    void polyPolygon();
    void createPen();
    void createBrush();
    void createFont();
    void createPalette();
    void createDibBrush();
    void createOpaque(WalkedObjectKind kind, std::uint64_t minimumWords);
    void selectObject();
    void deleteObject();
    void selectClipRegion();
    void selectPalette();
    void regionUse();
    void textOut();
    void extTextOut();
    void stretchDib();
    void dibBlt(bool stretch);
    void escape();
    bool dib(std::uint64_t at, std::uint32_t usage, WalkedBitmap& out);

    std::uint64_t words() const { return recSize_ / 2; }
    bool wordsIs(std::uint64_t expected, const std::string& how = {}) {
        return sizeIs(expected * 2, how.empty() ? num(expected) + " words" : how);
    }
    // Parameter word i (after size and function).
    std::int16_t param(std::uint64_t i) const { return rec_.i16(6 + 2 * i); }
    std::uint16_t uparam(std::uint64_t i) const { return rec_.u16(6 + 2 * i); }

    WalkedObject newObject(WalkedObjectKind kind) const {
        WalkedObject object;
        object.type = recType_;
        object.offset = recOffset_;
        object.kind = kind;
        return object;
    }
    void create(WalkedObject object);
    // The object in a slot, if there is one.
    const WalkedObject* slot(std::uint32_t index) const {
        if (index >= slots_.size() || !slots_[index]) return nullptr;
        return &w_.objects[*slots_[index]];
    }

    View file_;
    View rec_;
    std::vector<std::optional<std::size_t>> slots_;  // slot -> entry in w_.objects
};

void WmfWalker::run() {
    w_.format = MetafileFormat::Wmf;
    if (!placeableHeader() || !metaHeader()) return;
    const std::uint64_t fileSize = file_.size();
    std::uint64_t offset = 22 + 18;
    bool stopped = false;
    while (offset < fileSize) {
        recOffset_ = static_cast<std::size_t>(offset);
        recIndex_ = w_.records;
        if (fileSize - offset < 6) {
            addError("offset " + hex(offset, 8) + ": " + num(fileSize - offset) +
                     " bytes left, too few for a record");
            stopped = true;
            break;
        }
        const std::uint32_t sizeWords = file_.u32(offset);
        recType_ = file_.u16(offset + 4);
        if (sizeWords < 3 || std::uint64_t{sizeWords} * 2 > fileSize - offset) {
            recSize_ = 0;
            error("record size " + num(sizeWords) + " words" +
                  (sizeWords < 3 ? " is below 3"
                                 : " runs past the end of the file (" + num(fileSize - offset) +
                                       " bytes left)") +
                  "; walk stopped");
            stopped = true;
            break;
        }
        recSize_ = sizeWords * 2;
        rec_ = file_.sub(offset, recSize_);
        ++w_.records;
        ++w_.recordCounts[recType_];
        w_.largestRecordWords = std::max(w_.largestRecordWords, sizeWords);
        w_.sequence.push_back({recType_, recOffset_, recSize_, {}});
        record();
        offset += recSize_;
        if (recType_ == meta::EOF_) {
            w_.reachedEnd = true;
            if (offset != fileSize) error(num(fileSize - offset) + " bytes follow META_EOF");
            break;
        }
    }
    if (!w_.reachedEnd && !stopped) addError("the file ends without META_EOF");

    const WmfHeaderInfo& h = w_.wmf;
    if (h.maxRecordWords < w_.largestRecordWords)
        addError("META_HEADER: maximum record size " + num(h.maxRecordWords) +
                 " words, but a record of " + num(w_.largestRecordWords) + " words was walked");
    if (w_.largestObjectIndex >= 0 && h.numberOfObjects < w_.largestObjectIndex + 1)
        addError("META_HEADER: " + num(h.numberOfObjects) + " objects, but slot " +
                 snum(w_.largestObjectIndex) + " is used (needs " +
                 snum(w_.largestObjectIndex + 1) + ")");
}

// Key, handle, bounding box, units per inch, reserved, checksum (XOR of the
// ten words before it).
bool WmfWalker::placeableHeader() {
    if (file_.size() < 22) {
        addError("file of " + num(file_.size()) + " bytes is too short for the placeable header");
        return false;
    }
    WmfPlaceableInfo& p = w_.placeable;
    const std::uint32_t key = file_.u32(0);
    if (key != 0x9AC6CDD7U) {
        addError("placeable header: key " + hex(key, 8) + ", expected 0x9AC6CDD7");
        return false;
    }
    p.present = true;
    p.left = file_.i16(6);
    p.top = file_.i16(8);
    p.right = file_.i16(10);
    p.bottom = file_.i16(12);
    p.unitsPerInch = file_.u16(14);
    p.checksum = file_.u16(20);
    const std::uint16_t handle = file_.u16(4);
    const std::uint32_t reserved = file_.u32(16);
    std::uint16_t sum = 0;
    for (std::uint64_t i = 0; i < 10; ++i) sum ^= file_.u16(2 * i);
    if (handle != 0) addError("placeable header: handle " + num(handle) + ", must be 0");
    if (p.right <= p.left || p.bottom <= p.top)
        addError("placeable header: box (" + snum(p.left) + ", " + snum(p.top) + ", " +
                 snum(p.right) + ", " + snum(p.bottom) + ") is empty or inverted");
    if (p.unitsPerInch == 0) addError("placeable header: units per inch is 0");
    if (reserved != 0)
        addError("placeable header: reserved field is " + hex(reserved) + ", must be 0");
    if (sum != p.checksum)
        addError("placeable header: checksum " + hex(p.checksum, 4) + ", the words give " +
                 hex(sum, 4));
    return true;
}

// Type, header size (9 words), version, size in words, number of objects,
// largest record in words, number of members (0).
bool WmfWalker::metaHeader() {
    const std::uint64_t fileSize = file_.size();
    if (fileSize < 22 + 18) {
        addError("file of " + num(fileSize) + " bytes has no room for META_HEADER");
        return false;
    }
    WmfHeaderInfo& h = w_.wmf;
    h.present = true;
    h.type = file_.u16(22);
    h.headerWords = file_.u16(24);
    h.version = file_.u16(26);
    h.sizeWords = file_.u32(28);
    h.numberOfObjects = file_.u16(32);
    h.maxRecordWords = file_.u32(34);
    h.numberOfMembers = file_.u16(38);
    const std::string at = "META_HEADER (offset 0x00000016): ";
    if (h.type != 1 && h.type != 2) addError(at + "type " + num(h.type) + ", expected 1 or 2");
    if (h.headerWords != 9)
        addError(at + "header size " + num(h.headerWords) + " words, expected 9");
    if (h.version != 0x0300 && h.version != 0x0100)
        addError(at + "version " + hex(h.version, 4) + ", expected 0x0300 or 0x0100");
    const std::uint64_t rest = fileSize - 22;
    if (rest % 2 != 0) addError(at + "the metafile after the placeable header has an odd length");
    if (std::uint64_t{h.sizeWords} * 2 != rest)
        addError(at + "size " + num(h.sizeWords) + " words, the file holds " + num(rest / 2) +
                 (rest % 2 != 0 ? " and a byte" : "") + " after the placeable header");
    if (h.numberOfMembers != 0)
        addError(at + "number of members " + num(h.numberOfMembers) + ", must be 0");
    return true;
}

void WmfWalker::record() {
    switch (recType_) {
        case meta::EOF_:
            wordsIs(3);
            return;
        case meta::POLYLINE:
        case meta::POLYGON:
            poly();
            return;
        case meta::POLYPOLYGON:
            polyPolygon();
            return;
        case meta::CREATEPENINDIRECT:
            createPen();
            return;
        case meta::CREATEBRUSHINDIRECT:
            createBrush();
            return;
        case meta::CREATEFONTINDIRECT:
            createFont();
            return;
        case meta::CREATEPALETTE:
            createPalette();
            return;
        case meta::DIBCREATEPATTERNBRUSH:
            createDibBrush();
            return;
        // Old bitmap pattern brushes and regions are taken at their word:
        // they only need to land in a slot so the slots stay right.
        case meta::CREATEPATTERNBRUSH:
            createOpaque(WalkedObjectKind::PatternBrush, 3 + 14);
            return;
        case meta::CREATEREGION:
            createOpaque(WalkedObjectKind::Region, 3 + 11);
            return;
        case meta::SELECTOBJECT:
            selectObject();
            return;
        case meta::DELETEOBJECT:
            deleteObject();
            return;
        case meta::SELECTCLIPREGION:
            selectClipRegion();
            return;
        case meta::SELECTPALETTE:
            selectPalette();
            return;
        case meta::FILLREGION:
        case meta::FRAMEREGION:
        case meta::INVERTREGION:
        case meta::PAINTREGION:
            regionUse();
            return;
        case meta::TEXTOUT:
            textOut();
            return;
        case meta::EXTTEXTOUT:
            extTextOut();
            return;
        case meta::STRETCHDIB:
            stretchDib();
            return;
        case meta::DIBBITBLT:
            dibBlt(false);
            return;
        case meta::DIBSTRETCHBLT:
            dibBlt(true);
            return;
        case meta::ESCAPE:
            escape();
            return;
        default:
            break;
    }
    if (fixedRecord()) return;
    w_.unknownTypes.insert(recType_);
}

bool WmfWalker::fixedRecord() {
    const auto it = std::find_if(std::begin(kFixedWmf), std::end(kFixedWmf),
                                 [&](const FixedWmfRecord& f) { return f.function == recType_; });
    if (it == std::end(kFixedWmf)) return false;
    if (words() != it->words && (it->altWords == 0 || words() != it->altWords)) {
        wordsIs(it->words, it->altWords == 0
                               ? num(it->words) + " words"
                               : num(it->words) + " or " + num(it->altWords) + " words");
        return true;
    }
    // Stored order is the reverse of the call's arguments; turn it round.
    std::vector<std::int64_t> a;
    std::uint64_t at = 6;
    for (const char* c = it->layout; *c != 0; ++c) {
        if (*c == 'L') {
            a.push_back(rec_.u32(at));
            at += 4;
        } else {
            a.push_back(rec_.i16(at));
            at += 2;
        }
    }
    std::reverse(a.begin(), a.end());
    fixedValues(a);
    w_.sequence.back().args = std::move(a);
    return true;
}

// Field checks of the fixed-size records; `a` holds the parameters in the
// call's order (x before y, left-top-right-bottom).
void WmfWalker::fixedValues(const std::vector<std::int64_t>& a) {
    const auto inRange = [&](std::int64_t value, std::int64_t low, std::int64_t high,
                             const char* what) {
        if (value < low || value > high)
            error(std::string(what) + " " + snum(value) + " is outside " + snum(low) + ".." +
                  snum(high));
    };
    const auto p = [&](std::size_t i) { return static_cast<std::int32_t>(a[i]); };
    switch (recType_) {
        case meta::SETMAPMODE:
            inRange(a[0], 1, 8, "map mode");
            break;
        case meta::SETBKMODE:
            inRange(a[0], 1, 2, "background mode");
            break;
        case meta::SETPOLYFILLMODE:
            inRange(a[0], 1, 2, "polygon fill mode");
            break;
        case meta::SETROP2:
            inRange(a[0], 1, 16, "ROP2");
            break;
        case meta::SETSTRETCHBLTMODE:
            inRange(a[0], 1, 4, "stretch mode");
            break;
        case meta::SETTEXTALIGN:
            if (!textAlignValid(static_cast<std::uint16_t>(a[0])))
                error("text alignment " + hex(static_cast<std::uint16_t>(a[0])) + " is not valid");
            break;
        case meta::SETBKCOLOR:
        case meta::SETTEXTCOLOR:
            if (!colorHighByteClear(static_cast<std::uint32_t>(a[0])))
                error("colour " + hex(static_cast<std::uint32_t>(a[0]), 8) +
                      " has a non-zero high byte");
            break;
        case meta::SETPIXEL:
            if (!colorHighByteClear(static_cast<std::uint32_t>(a[2])))
                error("colour " + hex(static_cast<std::uint32_t>(a[2]), 8) +
                      " has a non-zero high byte");
            break;
        case meta::SETWINDOWEXT:
        case meta::SETVIEWPORTEXT:
            if (a[0] == 0 || a[1] == 0)
                error("extent " + snum(a[0]) + " x " + snum(a[1]) + " has a zero side");
            break;
        case meta::SCALEWINDOWEXT:
        case meta::SCALEVIEWPORTEXT:
            if (a[1] == 0 || a[3] == 0) error("a scale denominator is 0");
            break;
        case meta::SAVEDC:
            w_.deepestSave = std::max(w_.deepestSave, ++saveDepth_);
            break;
        case meta::RESTOREDC:
            restoreDc(a[0], true);
            break;
        case meta::RECTANGLE:
        case meta::ELLIPSE:
            addShape({{p(0), p(1)}, {p(2), p(3)}});
            break;
        case meta::ROUNDRECT:
            addShape({{p(0), p(1)}, {p(2), p(3)}, {p(4), p(5)}});
            break;
        case meta::MOVETO:
        case meta::LINETO:
            addShape({{p(0), p(1)}});
            break;
        case meta::PATBLT: {
            const auto rop = static_cast<std::uint32_t>(a[4]);
            if (ropUsesSource(rop)) error("raster operation " + hex(rop, 8) + " reads a source");
            WalkedBitmap bm;
            bm.type = recType_;
            bm.offset = recOffset_;
            bm.rop = rop;
            bm.xDest = p(0);
            bm.yDest = p(1);
            bm.cxDest = p(2);
            bm.cyDest = p(3);
            w_.bitmaps.push_back(bm);
            break;
        }
        default:
            break;
    }
}

// A created object takes the lowest free slot.
void WmfWalker::create(WalkedObject object) {
    std::size_t index = 0;
    while (index < slots_.size() && slots_[index]) ++index;
    if (index == slots_.size()) slots_.emplace_back();
    slots_[index] = w_.objects.size();
    object.index = static_cast<std::uint32_t>(index);
    noteIndex(static_cast<std::int64_t>(index));
    w_.objectUses.push_back({ObjectAction::Create, object.index, recType_, recOffset_, false});
    w_.objects.push_back(std::move(object));
}

// Number of points, then the points as (x, y) words.
void WmfWalker::poly() {
    if (!sizeAtLeast(8, "the point count")) return;
    const std::int16_t count = param(0);
    if (count < 0) {
        error("point count " + snum(count) + " is negative");
        return;
    }
    if (!wordsIs(4 + 2 * std::uint64_t(count), "4 + 2 * " + snum(count) + " points, in words"))
        return;
    if (count < 2) error(snum(count) + " points, at least 2 needed");
    std::vector<WalkedPoint> points;
    points.reserve(static_cast<std::size_t>(count));
    for (std::int64_t i = 0; i < count; ++i) points.push_back({param(1 + 2 * i), param(2 + 2 * i)});
    addShape(std::move(points));
}

// Number of polygons, the points of each, then all points.
void WmfWalker::polyPolygon() {
    if (!sizeAtLeast(8, "the polygon count")) return;
    const std::uint16_t polys = uparam(0);
    if (4 + std::uint64_t{polys} > words()) {
        error(num(polys) + " polygon counts do not fit in the record");
        return;
    }
    std::vector<std::uint32_t> counts;
    counts.reserve(polys);
    std::uint64_t total = 0;
    for (std::uint64_t i = 0; i < polys; ++i) {
        const std::uint16_t c = uparam(1 + i);
        if (c < 2) error("polygon " + num(i) + " has " + num(c) + " points, at least 2 needed");
        counts.push_back(c);
        total += c;
    }
    if (polys == 0) error("no polygons");
    if (!wordsIs(4 + std::uint64_t{polys} + 2 * total,
                 "4 + " + num(polys) + " counts + 2 * " + num(total) + " points, in words"))
        return;
    std::vector<WalkedPoint> points;
    points.reserve(total);
    const std::uint64_t first = 1 + std::uint64_t{polys};
    for (std::uint64_t i = 0; i < total; ++i)
        points.push_back({param(first + 2 * i), param(first + 2 * i + 1)});
    addShape(std::move(points), std::move(counts));
}

// LOGPEN16: style, width (x, y words, x counts), colour.
void WmfWalker::createPen() {
    WalkedObject pen = newObject(WalkedObjectKind::Pen);
    if (wordsIs(8, "3 + a 5-word pen")) {
        pen.style = uparam(0);
        pen.width = param(1);
        pen.color = rec_.u32(12);
        if (auto problem = penStyleProblem(pen.style, 6, false)) error(*problem);
        if (pen.width < 0) error("pen width " + snum(pen.width) + " is negative");
        if (!colorHighByteClear(pen.color))
            error("pen colour " + hex(pen.color, 8) + " has a non-zero high byte");
    }
    create(std::move(pen));  // the slot is taken whatever the record holds
}

// LOGBRUSH16: style, colour, hatch.
void WmfWalker::createBrush() {
    WalkedObject brush = newObject(WalkedObjectKind::Brush);
    if (wordsIs(7, "3 + a 4-word brush")) {
        brush.style = uparam(0);
        brush.color = rec_.u32(8);
        brush.hatch = uparam(3);
        if (brush.style > 2) error("brush style " + num(brush.style) + ", expected 0, 1 or 2");
        if (brush.style == 2 && brush.hatch > 5)
            error("hatch style " + num(brush.hatch) + " unknown");
        if (!colorHighByteClear(brush.color))
            error("brush colour " + hex(brush.color, 8) + " has a non-zero high byte");
    }
    create(std::move(brush));
}

// Height, width, escapement, orientation, weight (words), italic,
// underline, strike-out, charset, out precision, clip precision, quality,
// pitch and family (bytes), then the face name: at most 32 bytes, which
// need not all be there but must hold its terminating NUL.
void WmfWalker::createFont() {
    WalkedObject font = newObject(WalkedObjectKind::Font);
    if (sizeAtLeast(6 + 18 + 2, "the font fields and a face name")) {
        font.height = param(0);
        font.fontWidth = param(1);
        font.escapement = param(2);
        font.orientation = param(3);
        font.weight = param(4);
        font.italic = rec_.u8(16);
        font.underline = rec_.u8(17);
        font.strikeOut = rec_.u8(18);
        font.charSet = rec_.u8(19);
        font.outPrecision = rec_.u8(20);
        font.clipPrecision = rec_.u8(21);
        font.quality = rec_.u8(22);
        font.pitchAndFamily = rec_.u8(23);
        if (font.weight < 0 || font.weight > 1000)
            error("font weight " + snum(font.weight) + " outside 0..1000");
        if (font.italic > 1 || font.underline > 1 || font.strikeOut > 1)
            error("italic, underline and strike-out must each be 0 or 1");
        if (font.fontWidth < 0) error("font width " + snum(font.fontWidth) + " is negative");
        const std::uint64_t faceBytes = recSize_ - 24;
        if (faceBytes > 32) error("face name takes " + num(faceBytes) + " bytes, at most 32");
        const std::span<const std::uint8_t> face =
            rec_.bytes(24, std::min<std::uint64_t>(faceBytes, 32));
        const auto nul = std::find(face.begin(), face.end(), std::uint8_t{0});
        if (nul == face.end()) error("face name is not NUL-terminated inside the record");
        font.faceName.assign(face.begin(), nul);
    }
    create(std::move(font));
}

// Start (0x0300), number of entries, the entries.
void WmfWalker::createPalette() {
    WalkedObject palette = newObject(WalkedObjectKind::Palette);
    if (sizeAtLeast(10)) {
        const std::uint16_t start = uparam(0);
        palette.paletteEntries = uparam(1);
        if (start != 0x0300) error("palette start " + hex(start, 4) + ", expected 0x0300");
        if (palette.paletteEntries == 0) error("palette without entries");
        wordsIs(5 + 2 * std::uint64_t{palette.paletteEntries}, "5 + 2 * entries");
    }
    create(std::move(palette));
}

// Style, colour usage, then a packed DIB.
void WmfWalker::createDibBrush() {
    WalkedObject brush = newObject(WalkedObjectKind::PatternBrush);
    if (sizeAtLeast(10 + 40, "the fields and a bitmap")) {
        brush.style = uparam(0);
        const std::uint16_t usage = uparam(1);
        if (brush.style != 3 && brush.style != 5 && brush.style != 6)
            error("pattern brush style " + num(brush.style) + ", expected 3, 5 or 6");
        if (brush.style == 3 && usage != 0)
            error("BS_PATTERN brush with colour usage " + num(usage));
        WalkedBitmap unused;
        dib(10, usage, unused);
    }
    create(std::move(brush));
}

void WmfWalker::createOpaque(WalkedObjectKind kind, std::uint64_t minimumWords) {
    sizeAtLeast(minimumWords * 2);
    create(newObject(kind));
}

void WmfWalker::selectObject() {
    if (!wordsIs(4)) return;
    const std::uint16_t index = uparam(0);
    w_.sequence.back().args = {index};
    w_.objectUses.push_back({ObjectAction::Select, index, recType_, recOffset_, false});
    noteIndex(index);
    const WalkedObject* object = slot(index);
    if (object == nullptr)
        error("selects slot " + num(index) + ", which is free");
    else if (object->kind == WalkedObjectKind::Palette)
        error("selects a palette; palettes go through META_SELECTPALETTE");
}

void WmfWalker::deleteObject() {
    if (!wordsIs(4)) return;
    const std::uint16_t index = uparam(0);
    w_.sequence.back().args = {index};
    w_.objectUses.push_back({ObjectAction::Delete, index, recType_, recOffset_, false});
    noteIndex(index);
    if (slot(index) == nullptr)
        error("deletes slot " + num(index) + ", which is free");
    else
        slots_[index].reset();
}

// Players take slot 0 here as "no region" and reset the clip, whatever the
// slot holds; writers rely on that to drop a clip, so it is accepted. A
// region that really sits in slot 0 could then not be selected, which we
// report.
void WmfWalker::selectClipRegion() {
    if (!wordsIs(4)) return;
    const std::uint16_t index = uparam(0);
    w_.sequence.back().args = {index};
    w_.objectUses.push_back({ObjectAction::SelectClip, index, recType_, recOffset_, false});
    const WalkedObject* object = slot(index);
    if (index == 0) {
        ++w_.clipResets;
        if (object != nullptr && object->kind == WalkedObjectKind::Region)
            error("selects the region in slot 0, which players read as a clip reset");
        return;
    }
    noteIndex(index);
    if (object == nullptr)
        error("selects slot " + num(index) + " as clip region, but the slot is free");
    else if (object->kind != WalkedObjectKind::Region)
        error("selects the " + kindName(object->kind) + " in slot " + num(index) +
              " as clip region");
}

void WmfWalker::selectPalette() {
    if (!wordsIs(4)) return;
    const std::uint16_t index = uparam(0);
    w_.sequence.back().args = {index};
    w_.objectUses.push_back({ObjectAction::SelectPalette, index, recType_, recOffset_, false});
    noteIndex(index);
    const WalkedObject* object = slot(index);
    if (object == nullptr || object->kind != WalkedObjectKind::Palette)
        error("selects slot " + num(index) + " as palette, but it holds none");
}

// FILLREGION (region, brush), FRAMEREGION (region, brush, height, width),
// INVERTREGION and PAINTREGION (region).
void WmfWalker::regionUse() {
    const bool withBrush = recType_ == meta::FILLREGION || recType_ == meta::FRAMEREGION;
    const std::uint64_t expected = recType_ == meta::FRAMEREGION  ? 7
                                   : recType_ == meta::FILLREGION ? 5
                                                                  : 4;
    if (!wordsIs(expected)) return;
    std::vector<std::int64_t> a;
    for (std::uint64_t i = 0; i + 3 < expected; ++i) a.push_back(param(i));
    w_.sequence.back().args = a;  // as stored
    const std::uint16_t region = uparam(0);
    noteIndex(region);
    const WalkedObject* r = slot(region);
    if (r == nullptr || r->kind != WalkedObjectKind::Region)
        error("slot " + num(region) + " holds no region");
    if (withBrush) {
        const std::uint16_t brush = uparam(1);
        noteIndex(brush);
        const WalkedObject* b = slot(brush);
        if (b == nullptr ||
            (b->kind != WalkedObjectKind::Brush && b->kind != WalkedObjectKind::PatternBrush))
            error("slot " + num(brush) + " holds no brush");
    }
}

// String length, the string padded to a word, y, x.
void WmfWalker::textOut() {
    if (!sizeAtLeast(8, "the string length")) return;
    const std::int16_t length = param(0);
    if (length < 0) {
        error("string length " + snum(length) + " is negative");
        return;
    }
    const std::uint64_t stringBytes = round2(static_cast<std::uint64_t>(length));
    if (!sizeIs(6 + 2 + stringBytes + 4,
                "the string of " + snum(length) + " bytes padded to a word, y and x"))
        return;
    WalkedText t;
    t.type = recType_;
    t.offset = recOffset_;
    const std::span<const std::uint8_t> bytes = rec_.bytes(8, static_cast<std::uint64_t>(length));
    t.text.assign(bytes.begin(), bytes.end());
    t.reference = {rec_.i16(8 + stringBytes + 2), rec_.i16(8 + stringBytes)};
    w_.texts.push_back(std::move(t));
}

// y, x, string length, options, the rectangle (only with ETO_OPAQUE or
// ETO_CLIPPED), the string padded to a word, and optionally one dx word per
// byte of the string (two with ETO_PDY).
void WmfWalker::extTextOut() {
    if (!sizeAtLeast(14, "the fixed fields")) return;
    WalkedText t;
    t.type = recType_;
    t.offset = recOffset_;
    t.reference = {param(1), param(0)};
    const std::int16_t length = param(2);
    t.options = uparam(3);
    if (length < 0) {
        error("string length " + snum(length) + " is negative");
        return;
    }
    t.hasRect = (t.options & 0x0006) != 0;
    if ((t.options & ~kEtoKnown) != 0)
        error("text options " + hex(t.options, 4) + " have unknown bits");
    const std::uint64_t stringAt = t.hasRect ? 22 : 14;
    const std::uint64_t stringBytes = round2(static_cast<std::uint64_t>(length));
    const std::uint64_t dxCount =
        static_cast<std::uint64_t>(length) * ((t.options & 0x2000) != 0 ? 2 : 1);
    const std::uint64_t withoutDx = stringAt + stringBytes;
    const std::uint64_t withDx = withoutDx + 2 * dxCount;
    if (recSize_ != withoutDx && recSize_ != withDx) {
        error("size " + num(recSize_) + " bytes, expected " + num(withoutDx) + " without or " +
              num(withDx) + " with the dx array (" + (t.hasRect ? "with" : "without") +
              " the rectangle, options " + hex(t.options, 4) + ", " + snum(length) +
              " bytes of text)");
        return;
    }
    if (t.hasRect) t.rect = {param(4), param(5), param(6), param(7)};
    const std::span<const std::uint8_t> bytes =
        rec_.bytes(stringAt, static_cast<std::uint64_t>(length));
    t.text.assign(bytes.begin(), bytes.end());
    if (recSize_ == withDx && dxCount > 0) {
        t.dx.reserve(dxCount);
        for (std::uint64_t i = 0; i < dxCount; ++i) t.dx.push_back(rec_.i16(withoutDx + 2 * i));
    }
    w_.texts.push_back(std::move(t));
}

// A packed DIB from `at` to the end of the record (padded to a word).
bool WmfWalker::dib(std::uint64_t at, std::uint32_t usage, WalkedBitmap& out) {
    const std::uint64_t available = recSize_ - at;
    DibLayout d;
    if (!readDib(rec_.sub(at, available), usage, false, d)) return false;
    const std::uint64_t total = d.infoSize + d.bitsSize;
    if (round2(total) != available) {
        error("bitmap takes " + num(total) + " bytes (" + num(d.infoSize) + " info, " +
              num(d.bitsSize) + " bits), the record leaves " + num(available));
        return false;
    }
    fillBitmap(out, d);
    out.usage = usage;
    return true;
}

// ROP, usage, source height/width/y/x, destination height/width/y/x, DIB.
void WmfWalker::stretchDib() {
    if (!sizeAtLeast(28 + 40, "the fields and a bitmap")) return;
    WalkedBitmap bm;
    bm.type = recType_;
    bm.offset = recOffset_;
    bm.rop = rec_.u32(6);
    bm.usage = uparam(2);
    bm.cySrc = param(3);
    bm.cxSrc = param(4);
    bm.ySrc = param(5);
    bm.xSrc = param(6);
    bm.cyDest = param(7);
    bm.cxDest = param(8);
    bm.yDest = param(9);
    bm.xDest = param(10);
    if (dib(28, bm.usage, bm)) checkSourceRect(bm);
    w_.bitmaps.push_back(bm);
}

// With a bitmap: ROP, source (height, width for the stretch) y, x,
// destination height, width, y, x, DIB. Without one the record is
// (function >> 8) + 3 words and has a reserved word before the destination.
void WmfWalker::dibBlt(bool stretch) {
    WalkedBitmap bm;
    bm.type = recType_;
    bm.offset = recOffset_;
    const std::uint64_t bareWords = (recType_ >> 8) + 3;
    if (!sizeAtLeast(bareWords * 2)) return;
    bm.rop = rec_.u32(6);
    std::uint64_t i = 2;
    if (stretch) {
        bm.cySrc = param(i++);
        bm.cxSrc = param(i++);
    }
    bm.ySrc = param(i++);
    bm.xSrc = param(i++);
    if (words() == bareWords) {
        ++i;  // reserved
        if (ropUsesSource(bm.rop))
            error("raster operation " + hex(bm.rop, 8) + " reads a source, but there is no bitmap");
    }
    bm.cyDest = param(i++);
    bm.cxDest = param(i++);
    bm.yDest = param(i++);
    bm.xDest = param(i++);
    if (!stretch) {
        bm.cxSrc = bm.cxDest;
        bm.cySrc = bm.cyDest;
    }
    if (words() != bareWords) {
        if (words() < bareWords - 1 + 20)
            error("size " + num(recSize_) + " bytes: neither " + num(bareWords * 2) +
                  " (no bitmap) nor room for a bitmap");
        else if (dib(6 + 2 * i, 0, bm))
            checkSourceRect(bm);
    }
    w_.bitmaps.push_back(bm);
}

// Escape function, byte count, data.
void WmfWalker::escape() {
    if (!sizeAtLeast(10)) return;
    const std::uint16_t count = uparam(1);
    w_.sequence.back().args = {uparam(0), count};
    wordsIs(5 + (std::uint64_t{count} + 1) / 2, "5 + the data in words");
}

// ---------------------------------------------------------------------------

struct Name {
    std::uint32_t number;
    const char* name;
};

constexpr Name kEmfNames[] = {
    {1, "HEADER"},
    {2, "POLYBEZIER"},
    {3, "POLYGON"},
    {4, "POLYLINE"},
    {5, "POLYBEZIERTO"},
    {6, "POLYLINETO"},
    {7, "POLYPOLYLINE"},
    {8, "POLYPOLYGON"},
    {9, "SETWINDOWEXTEX"},
    {10, "SETWINDOWORGEX"},
    {11, "SETVIEWPORTEXTEX"},
    {12, "SETVIEWPORTORGEX"},
    {13, "SETBRUSHORGEX"},
    {14, "EOF"},
    {15, "SETPIXELV"},
    {16, "SETMAPPERFLAGS"},
    {17, "SETMAPMODE"},
    {18, "SETBKMODE"},
    {19, "SETPOLYFILLMODE"},
    {20, "SETROP2"},
    {21, "SETSTRETCHBLTMODE"},
    {22, "SETTEXTALIGN"},
    {23, "SETCOLORADJUSTMENT"},
    {24, "SETTEXTCOLOR"},
    {25, "SETBKCOLOR"},
    {26, "OFFSETCLIPRGN"},
    {27, "MOVETOEX"},
    {28, "SETMETARGN"},
    {29, "EXCLUDECLIPRECT"},
    {30, "INTERSECTCLIPRECT"},
    {31, "SCALEVIEWPORTEXTEX"},
    {32, "SCALEWINDOWEXTEX"},
    {33, "SAVEDC"},
    {34, "RESTOREDC"},
    {35, "SETWORLDTRANSFORM"},
    {36, "MODIFYWORLDTRANSFORM"},
    {37, "SELECTOBJECT"},
    {38, "CREATEPEN"},
    {39, "CREATEBRUSHINDIRECT"},
    {40, "DELETEOBJECT"},
    {41, "ANGLEARC"},
    {42, "ELLIPSE"},
    {43, "RECTANGLE"},
    {44, "ROUNDRECT"},
    {45, "ARC"},
    {46, "CHORD"},
    {47, "PIE"},
    {48, "SELECTPALETTE"},
    {49, "CREATEPALETTE"},
    {50, "SETPALETTEENTRIES"},
    {51, "RESIZEPALETTE"},
    {52, "REALIZEPALETTE"},
    {53, "EXTFLOODFILL"},
    {54, "LINETO"},
    {55, "ARCTO"},
    {56, "POLYDRAW"},
    {57, "SETARCDIRECTION"},
    {58, "SETMITERLIMIT"},
    {59, "BEGINPATH"},
    {60, "ENDPATH"},
    {61, "CLOSEFIGURE"},
    {62, "FILLPATH"},
    {63, "STROKEANDFILLPATH"},
    {64, "STROKEPATH"},
    {65, "FLATTENPATH"},
    {66, "WIDENPATH"},
    {67, "SELECTCLIPPATH"},
    {68, "ABORTPATH"},
    {70, "GDICOMMENT"},
    {71, "FILLRGN"},
    {72, "FRAMERGN"},
    {73, "INVERTRGN"},
    {74, "PAINTRGN"},
    {75, "EXTSELECTCLIPRGN"},
    {76, "BITBLT"},
    {77, "STRETCHBLT"},
    {78, "MASKBLT"},
    {79, "PLGBLT"},
    {80, "SETDIBITSTODEVICE"},
    {81, "STRETCHDIBITS"},
    {82, "EXTCREATEFONTINDIRECTW"},
    {83, "EXTTEXTOUTA"},
    {84, "EXTTEXTOUTW"},
    {85, "POLYBEZIER16"},
    {86, "POLYGON16"},
    {87, "POLYLINE16"},
    {88, "POLYBEZIERTO16"},
    {89, "POLYLINETO16"},
    {90, "POLYPOLYLINE16"},
    {91, "POLYPOLYGON16"},
    {92, "POLYDRAW16"},
    {93, "CREATEMONOBRUSH"},
    {94, "CREATEDIBPATTERNBRUSHPT"},
    {95, "EXTCREATEPEN"},
    {96, "POLYTEXTOUTA"},
    {97, "POLYTEXTOUTW"},
    {98, "SETICMMODE"},
    {99, "CREATECOLORSPACE"},
    {100, "SETCOLORSPACE"},
    {101, "DELETECOLORSPACE"},
    {102, "GLSRECORD"},
    {103, "GLSBOUNDEDRECORD"},
    {104, "PIXELFORMAT"},
    {105, "DRAWESCAPE"},
    {106, "EXTESCAPE"},
    {108, "SMALLTEXTOUT"},
    {109, "FORCEUFIMAPPING"},
    {110, "NAMEDESCAPE"},
    {111, "COLORCORRECTPALETTE"},
    {112, "SETICMPROFILEA"},
    {113, "SETICMPROFILEW"},
    {114, "ALPHABLEND"},
    {115, "SETLAYOUT"},
    {116, "TRANSPARENTBLT"},
    {118, "GRADIENTFILL"},
    {119, "SETLINKEDUFIS"},
    {120, "SETTEXTJUSTIFICATION"},
    {121, "COLORMATCHTOTARGETW"},
    {122, "CREATECOLORSPACEW"},
};

constexpr Name kWmfNames[] = {
    {0x0000, "EOF"},
    {0x001E, "SAVEDC"},
    {0x0035, "REALIZEPALETTE"},
    {0x0037, "SETPALENTRIES"},
    {0x00F7, "CREATEPALETTE"},
    {0x0102, "SETBKMODE"},
    {0x0103, "SETMAPMODE"},
    {0x0104, "SETROP2"},
    {0x0105, "SETRELABS"},
    {0x0106, "SETPOLYFILLMODE"},
    {0x0107, "SETSTRETCHBLTMODE"},
    {0x0108, "SETTEXTCHAREXTRA"},
    {0x0127, "RESTOREDC"},
    {0x012A, "INVERTREGION"},
    {0x012B, "PAINTREGION"},
    {0x012C, "SELECTCLIPREGION"},
    {0x012D, "SELECTOBJECT"},
    {0x012E, "SETTEXTALIGN"},
    {0x0139, "RESIZEPALETTE"},
    {0x0142, "DIBCREATEPATTERNBRUSH"},
    {0x0149, "SETLAYOUT"},
    {0x01F0, "DELETEOBJECT"},
    {0x01F9, "CREATEPATTERNBRUSH"},
    {0x0201, "SETBKCOLOR"},
    {0x0209, "SETTEXTCOLOR"},
    {0x020A, "SETTEXTJUSTIFICATION"},
    {0x020B, "SETWINDOWORG"},
    {0x020C, "SETWINDOWEXT"},
    {0x020D, "SETVIEWPORTORG"},
    {0x020E, "SETVIEWPORTEXT"},
    {0x020F, "OFFSETWINDOWORG"},
    {0x0211, "OFFSETVIEWPORTORG"},
    {0x0213, "LINETO"},
    {0x0214, "MOVETO"},
    {0x0220, "OFFSETCLIPRGN"},
    {0x0228, "FILLREGION"},
    {0x0231, "SETMAPPERFLAGS"},
    {0x0234, "SELECTPALETTE"},
    {0x02FA, "CREATEPENINDIRECT"},
    {0x02FB, "CREATEFONTINDIRECT"},
    {0x02FC, "CREATEBRUSHINDIRECT"},
    {0x0324, "POLYGON"},
    {0x0325, "POLYLINE"},
    {0x0410, "SCALEWINDOWEXT"},
    {0x0412, "SCALEVIEWPORTEXT"},
    {0x0415, "EXCLUDECLIPRECT"},
    {0x0416, "INTERSECTCLIPRECT"},
    {0x0418, "ELLIPSE"},
    {0x0419, "FLOODFILL"},
    {0x041B, "RECTANGLE"},
    {0x041F, "SETPIXEL"},
    {0x0429, "FRAMEREGION"},
    {0x0436, "ANIMATEPALETTE"},
    {0x0521, "TEXTOUT"},
    {0x0538, "POLYPOLYGON"},
    {0x0548, "EXTFLOODFILL"},
    {0x061C, "ROUNDRECT"},
    {0x061D, "PATBLT"},
    {0x0626, "ESCAPE"},
    {0x06FF, "CREATEREGION"},
    {0x0817, "ARC"},
    {0x081A, "PIE"},
    {0x0830, "CHORD"},
    {0x0922, "BITBLT"},
    {0x0940, "DIBBITBLT"},
    {0x0A32, "EXTTEXTOUT"},
    {0x0B23, "STRETCHBLT"},
    {0x0B41, "DIBSTRETCHBLT"},
    {0x0D33, "SETDIBTODEV"},
    {0x0F43, "STRETCHDIB"},
};

template <std::size_t N>
std::string nameOf(const Name (&names)[N], std::uint32_t number, const char* prefix,
                   bool hexUnknown) {
    for (const Name& n : names)
        if (n.number == number) return std::string(prefix) + n.name;
    return std::string(prefix) + "#" + (hexUnknown ? hex(number, 4) : num(number));
}

}  // namespace

int MetafileWalk::count(std::uint32_t type) const {
    const auto it = recordCounts.find(type);
    return it == recordCounts.end() ? 0 : it->second;
}

std::vector<const WalkedShape*> MetafileWalk::shapesOf(std::uint32_t type) const {
    std::vector<const WalkedShape*> found;
    for (const WalkedShape& shape : shapes)
        if (shape.type == type) found.push_back(&shape);
    return found;
}

std::string MetafileWalk::errorText() const {
    std::string text;
    for (const std::string& e : errors) text += e + "\n";
    return text;
}

MetafileWalk walkEmf(std::span<const std::uint8_t> bytes) {
    MetafileWalk walk;
    EmfWalker(bytes, walk).run();
    return walk;
}

MetafileWalk walkWmf(std::span<const std::uint8_t> bytes) {
    MetafileWalk walk;
    WmfWalker(bytes, walk).run();
    return walk;
}

MetafileWalk walkMetafileFile(const std::string& path) {
    std::string extension;
    if (const auto dot = path.find_last_of('.');
        dot != std::string::npos && path.find('/', dot) == std::string::npos)
        extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    MetafileWalk failed;
    if (extension != "emf" && extension != "wmf") {
        failed.errors.push_back(path + ": neither .emf nor .wmf");
        return failed;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        failed.errors.push_back(path + ": cannot be opened");
        return failed;
    }
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                          std::istreambuf_iterator<char>()};
    if (in.bad()) {
        failed.errors.push_back(path + ": cannot be read");
        return failed;
    }
    return extension == "emf" ? walkEmf(bytes) : walkWmf(bytes);
}

std::string utf16ToUtf8(const std::vector<std::uint16_t>& units, bool* valid) {
    std::string out;
    bool ok = true;
    for (std::size_t i = 0; i < units.size(); ++i) {
        char32_t c = units[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00);
                ++i;
            } else {
                c = 0xFFFD;
                ok = false;
            }
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            c = 0xFFFD;
            ok = false;
        }
        appendUtf8(out, c);
    }
    if (valid != nullptr) *valid = ok;
    return out;
}

std::string utf16leToUtf8(std::span<const std::uint8_t> bytes, bool* valid) {
    bool ok = true;
    std::string out = utf16ToUtf8(utf16Units(bytes), &ok);
    if (valid != nullptr) *valid = ok && bytes.size() % 2 == 0;
    return out;
}

std::string emfRecordName(std::uint32_t type) { return nameOf(kEmfNames, type, "EMR_", false); }

std::string wmfRecordName(std::uint32_t function) {
    return nameOf(kWmfNames, function, "META_", true);
}

std::string describeWalk(const MetafileWalk& walk) {
    std::ostringstream out;
    const bool emf = walk.format == MetafileFormat::Emf;
    out << (emf                                  ? "EMF"
            : walk.format == MetafileFormat::Wmf ? "WMF"
                                                 : "metafile")
        << ", " << walk.records << " records" << (walk.reachedEnd ? "" : ", no end record") << "\n";
    if (emf && walk.emf.present) {
        const EmfHeaderInfo& h = walk.emf;
        out << "header: bounds (" << h.bounds.left << ", " << h.bounds.top << ", " << h.bounds.right
            << ", " << h.bounds.bottom << "), frame (" << h.frame.left << ", " << h.frame.top
            << ", " << h.frame.right << ", " << h.frame.bottom << "), " << h.bytes << " bytes, "
            << h.records << " records, " << h.handles << " handles, device " << h.deviceCx << " x "
            << h.deviceCy << " px / " << h.millimetersCx << " x " << h.millimetersCy << " mm, "
            << h.fixedSize << "-byte header\n";
    }
    if (!emf && walk.placeable.present) {
        const WmfPlaceableInfo& p = walk.placeable;
        out << "placeable: box (" << p.left << ", " << p.top << ", " << p.right << ", " << p.bottom
            << "), " << p.unitsPerInch << " units per inch\n";
    }
    if (!emf && walk.wmf.present) {
        const WmfHeaderInfo& h = walk.wmf;
        out << "header: type " << h.type << ", version " << hex(h.version, 4) << ", " << h.sizeWords
            << " words, " << h.numberOfObjects << " objects, largest record " << h.maxRecordWords
            << " words\n";
    }
    for (const auto& [type, n] : walk.recordCounts)
        out << "  " << (emf ? emfRecordName(type) : wmfRecordName(type)) << " x " << n
            << (walk.unknownTypes.count(type) != 0 ? " (not checked)" : "") << "\n";
    for (const std::string& e : walk.errors) out << "error: " << e << "\n";
    return out.str();
}

}  // namespace gridova::test
