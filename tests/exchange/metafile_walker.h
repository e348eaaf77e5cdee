// A strict record walker for the enhanced (EMF) and placeable Windows (WMF)
// metafiles our writers produce. It knows the record layouts on its own, not
// from the writers, and reports everything it finds wrong: sizes that do not
// match their counts and offsets, headers that disagree with the file,
// object indices that are reused or never created, a missing or misplaced
// end record. Whatever the bytes, it never reads outside the buffer, and it
// allocates nothing in proportion to a count before that count has been
// checked against the bytes present, so it is safe on broken input.
//
// Besides the verdict it keeps what the tests want to look at: the headers,
// how many records of each type, the points of every shape, the texts, the
// objects created and how they were used, the bitmaps drawn.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace gridova::test {

enum class MetafileFormat { Unknown, Emf, Wmf };

struct WalkedPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const WalkedPoint&, const WalkedPoint&) = default;
};

struct WalkedRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    friend bool operator==(const WalkedRect&, const WalkedRect&) = default;
};

// One record as walked. `args` holds the fields of the simple fixed-size
// records in a form that is the same for both formats: coordinates as
// (x, y), rectangles as (left, top, right, bottom) even where WMF stores
// them the other way round, colours as the stored 0x00BBGGRR value, modes
// and indices as numbers, floats as their bit patterns. Records with
// variable content leave it empty and have their own lists below.
struct WalkedRecord {
    std::uint32_t type = 0;  // EMF record type, or WMF function number
    std::size_t offset = 0;  // from the start of the file
    std::uint32_t size = 0;  // in bytes, for WMF too
    std::vector<std::int64_t> args;
};

// The points of a drawing record. Poly records keep their points in stored
// order with `counts` giving the points of each polyline/polygon (a single
// entry for the simple ones). Rectangles, ellipses and rounded rectangles
// have two points, (left, top) and (right, bottom), plus the corner size as
// a third for rounded rectangles; move-to and line-to have one.
struct WalkedShape {
    std::uint32_t type = 0;
    std::size_t offset = 0;
    std::vector<WalkedPoint> points;
    std::vector<std::uint32_t> counts;
};

enum class WalkedObjectKind { Pen, ExtPen, Brush, PatternBrush, Font, Palette, Region };

// An object created by the metafile. For EMF `index` is the handle index the
// record names; for WMF it is the slot the object landed in, worked out by
// the walker by the lowest-free-slot rule, so a test can compare it with the
// slots the writer's later records use.
struct WalkedObject {
    std::uint32_t type = 0;  // the creating record
    std::size_t offset = 0;
    std::uint32_t index = 0;
    WalkedObjectKind kind = WalkedObjectKind::Pen;

    // Pens and brushes.
    std::uint32_t style = 0;
    std::uint32_t color = 0;  // 0x00BBGGRR as stored
    std::int32_t width = 0;   // pen width
    std::uint32_t hatch = 0;
    std::uint32_t brushStyle = 0;             // extended pens
    std::vector<std::uint32_t> styleEntries;  // extended pens with a user style

    // Fonts. The face name is UTF-8 for EMF and the bytes as stored for WMF.
    std::string faceName;
    std::int32_t height = 0;
    std::int32_t fontWidth = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 0;
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    bool extendedFont = false;  // EMF: stored as an ENUMLOGFONTEXDV

    std::uint32_t paletteEntries = 0;
};

enum class ObjectAction { Create, Select, Delete, SelectClip, SelectPalette };

// Every use of an object index, in file order.
struct WalkedObjectUse {
    ObjectAction action = ObjectAction::Create;
    std::uint32_t index = 0;
    std::uint32_t type = 0;  // the record
    std::size_t offset = 0;
    bool stock = false;  // EMF stock object (high bit set)
};

struct WalkedText {
    std::uint32_t type = 0;
    std::size_t offset = 0;
    WalkedPoint reference;
    std::uint32_t options = 0;  // ETO_* (0 for WMF TEXTOUT)
    bool hasRect = false;
    WalkedRect rect;
    // EMF wide text as UTF-8; EMF narrow text and WMF text as the bytes
    // stored (the caller knows the code page).
    std::string text;
    std::vector<std::uint16_t> utf16;  // EMF wide text as stored (glyph indices if ETO_GLYPH_INDEX)
    std::vector<std::int32_t> dx;      // empty when the record has no spacing array
    std::uint32_t graphicsMode = 0;    // EMF only
    float exScale = 0.0F;              // EMF only
    float eyScale = 0.0F;              // EMF only
};

// A bitmap drawn (STRETCHDIBITS, BITBLT and friends), or a raster operation
// without a source bitmap (`hasBitmap` false).
struct WalkedBitmap {
    std::uint32_t type = 0;
    std::size_t offset = 0;
    std::uint32_t rop = 0;
    std::uint32_t usage = 0;  // DIB_RGB_COLORS 0, DIB_PAL_COLORS 1
    std::int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
    std::int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    bool hasBitmap = false;
    std::uint32_t headerSize = 0;  // BITMAPINFOHEADER size
    std::int32_t width = 0;
    std::int32_t height = 0;  // negative: top-down
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsInTable = 0;
    std::uint64_t bitsSize = 0;
};

struct EmfHeaderInfo {
    bool present = false;
    WalkedRect bounds;  // device units, inclusive-inclusive as stored
    WalkedRect frame;   // 0.01 mm, inclusive-inclusive as stored
    std::uint32_t signature = 0;
    std::uint32_t version = 0;
    std::uint32_t bytes = 0;
    std::uint32_t records = 0;
    std::uint16_t handles = 0;
    std::uint32_t paletteEntries = 0;
    std::int32_t deviceCx = 0, deviceCy = 0;            // reference device, pixels
    std::int32_t millimetersCx = 0, millimetersCy = 0;  // reference device, mm
    std::uint32_t fixedSize = 0;  // 88, 100 or 108: how much of the header is there
    std::uint32_t micrometersCx = 0, micrometersCy = 0;  // 108-byte header only
    std::uint32_t pixelFormatSize = 0;
    bool openGL = false;
    std::string description;  // UTF-8, NULs kept as they are stored
};

struct WmfPlaceableInfo {
    bool present = false;
    std::int16_t left = 0, top = 0, right = 0, bottom = 0;
    std::uint16_t unitsPerInch = 0;
    std::uint16_t checksum = 0;
};

struct WmfHeaderInfo {
    bool present = false;
    std::uint16_t type = 0;         // 1 memory, 2 disk
    std::uint16_t headerWords = 0;  // 9
    std::uint16_t version = 0;
    std::uint32_t sizeWords = 0;
    std::uint16_t numberOfObjects = 0;
    std::uint32_t maxRecordWords = 0;
    std::uint16_t numberOfMembers = 0;
};

struct MetafileWalk {
    MetafileFormat format = MetafileFormat::Unknown;
    std::vector<std::string> errors;            // empty: the file is sound
    std::map<std::uint32_t, int> recordCounts;  // record type / WMF function -> how many
    std::set<std::uint32_t> unknownTypes;       // walked but not checked beyond their size
    // Records walked: for EMF EMR_HEADER and EMR_EOF included, for WMF the
    // records after META_HEADER, META_EOF included.
    std::uint32_t records = 0;
    bool reachedEnd = false;  // the end record was seen

    std::vector<WalkedRecord> sequence;
    std::vector<WalkedShape> shapes;
    std::vector<WalkedText> texts;
    std::vector<WalkedObject> objects;
    std::vector<WalkedObjectUse> objectUses;
    std::vector<WalkedBitmap> bitmaps;

    EmfHeaderInfo emf;
    WmfPlaceableInfo placeable;
    WmfHeaderInfo wmf;

    // EMF: the largest handle index created, selected or deleted (stock
    // objects aside). WMF: the largest slot used.
    std::int64_t largestObjectIndex = -1;
    std::uint32_t largestRecordWords = 0;  // WMF
    int deepestSave = 0;                   // SAVEDC nesting reached
    int stockDeletes = 0;                  // EMF DELETEOBJECT of a stock object (tolerated)
    int clipResets = 0;                    // WMF SELECTCLIPREGION 0 / EMF EXTSELECTCLIPRGN reset

    bool ok() const { return errors.empty(); }
    int count(std::uint32_t type) const;
    std::vector<const WalkedShape*> shapesOf(std::uint32_t type) const;
    std::string errorText() const;  // one error a line
};

MetafileWalk walkEmf(std::span<const std::uint8_t> bytes);
// With the 22-byte placeable header in front.
MetafileWalk walkWmf(std::span<const std::uint8_t> bytes);
// By the extension, .emf or .wmf (any case).
MetafileWalk walkMetafileFile(const std::string& path);

// UTF-16LE to UTF-8. Unpaired surrogates become U+FFFD and clear *valid;
// an odd trailing byte is dropped and clears *valid too.
std::string utf16leToUtf8(std::span<const std::uint8_t> bytes, bool* valid = nullptr);
std::string utf16ToUtf8(const std::vector<std::uint16_t>& units, bool* valid = nullptr);

// "EMR_POLYLINE16", "META_EXTTEXTOUT"; unknown numbers as "EMR_#200".
std::string emfRecordName(std::uint32_t type);
std::string wmfRecordName(std::uint32_t function);

// A few lines on the walk (format, header, record counts, errors) for a
// failing test's message.
std::string describeWalk(const MetafileWalk& walk);

}  // namespace gridova::test
