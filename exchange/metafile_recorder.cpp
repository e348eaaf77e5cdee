#include "exchange/metafile_recorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

#include "exchange/little_endian.h"
#include "exchange/metafile_records.h"
#include "platform/files.h"
#include "platform/text_codec.h"

namespace gridova {

// --- The state shared by both formats ---------------------------------------

MetafileRecorder::MetafileRecorder(gdi::Size page, std::string path, gdi::Device* measure)
    : page_(page), path_(std::move(path)), measure_(measure) {}

gdi::Pen MetafileRecorder::effectivePen(const gdi::Pen& pen) {
    gdi::Pen p = pen;
    if (p.style != gdi::PenStyle::Solid && p.style != gdi::PenStyle::InsideFrame) p.width = 0;
    if (p.width < 0) p.width = 0;
    return p;
}

int MetafileRecorder::takeSlot() {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (!slots_[i]) {
            slots_[i] = true;
            return static_cast<int>(i);
        }
    }
    slots_.push_back(true);
    return static_cast<int>(slots_.size() - 1);
}

void MetafileRecorder::freeSlot(int slot) {
    if (slot >= 0 && static_cast<std::size_t>(slot) < slots_.size()) slots_[slot] = false;
}

void MetafileRecorder::forgetSelections() {
    penSelected_ = brushSelected_ = fontSelected_ = false;
    fileTextColor_.reset();
    fileBackgroundColor_.reset();
    fileBackgroundMode_.reset();
    fileRop_.reset();
}

void MetafileRecorder::realizeObject(bool same, int& slot, bool& selected,
                                     const std::function<void(int)>& create) {
    // A new object is created and selected before the one it replaces is
    // deleted, so that no deleted object is ever selected.
    if (!same) {
        const int made = takeSlot();
        create(made);
        writeSelect(made);
        if (slot >= 0) {
            writeDelete(slot);
            freeSlot(slot);
        }
        slot = made;
    } else if (!selected) {
        writeSelect(slot);
    }
    selected = true;
}

void MetafileRecorder::realize(bool pen, bool brush, bool font) {
    if (pen) {
        const gdi::Pen want = effectivePen(pen_);
        realizeObject(filePen_ == want, penSlot_, penSelected_,
                      [&](int slot) { writeCreatePen(slot, want); });
        filePen_ = want;
    }
    if (brush) {
        realizeObject(fileBrush_ == brush_, brushSlot_, brushSelected_,
                      [&](int slot) { writeCreateBrush(slot, brush_); });
        fileBrush_ = brush_;
    }
    if (font) {
        realizeObject(fileFont_ == font_, fontSlot_, fontSelected_,
                      [&](int slot) { writeCreateFont(slot, font_); });
        fileFont_ = font_;
    }
    realizeColors(font);
}

void MetafileRecorder::realizeColors(bool text) {
    if (fileRop_ != rop_) {
        writeRasterOp(rop_);
        fileRop_ = rop_;
    }
    // The background fills the gaps of styled pens and hatches too.
    if (fileBackgroundMode_ != backgroundMode_) {
        writeBackgroundMode(backgroundMode_);
        fileBackgroundMode_ = backgroundMode_;
    }
    if (fileBackgroundColor_ != backgroundColor_) {
        writeBackgroundColor(backgroundColor_);
        fileBackgroundColor_ = backgroundColor_;
    }
    if (text && fileTextColor_ != textColor_) {
        writeTextColor(textColor_);
        fileTextColor_ = textColor_;
    }
}

void MetafileRecorder::lineTo(gdi::Point p) {
    realize(true, false, false);
    writeLine(position_, p);
    position_ = p;
}

void MetafileRecorder::polyline(const gdi::Point* points, std::size_t count) {
    if (count < 2) return;
    realize(true, false, false);
    writePoly(points, count, false);
}

void MetafileRecorder::polygon(const gdi::Point* points, std::size_t count) {
    if (count < 2) return;
    realize(true, true, false);
    writePoly(points, count, true);
}

void MetafileRecorder::rectangle(const gdi::Rect& box) {
    realize(true, true, false);
    writeBox(0, box, {});
}

void MetafileRecorder::ellipse(const gdi::Rect& box) {
    realize(true, true, false);
    writeBox(1, box, {});
}

void MetafileRecorder::roundRect(const gdi::Rect& box, std::int32_t cornerWidth,
                                 std::int32_t cornerHeight) {
    realize(true, true, false);
    writeBox(2, box, {cornerWidth, cornerHeight});
}

void MetafileRecorder::fillRect(const gdi::Rect& box, gdi::ColorRef color) {
    if (box.width() <= 0 || box.height() <= 0) return;
    // A rectangle without outline: GDI fills it one pixel short on the right
    // and at the bottom, so the box grows by one there.
    const gdi::Pen pen = pen_;
    const gdi::Brush brush = brush_;
    const gdi::RasterOp rop = rop_;
    pen_ = gdi::Pen{gdi::PenStyle::Null, 0, 0};
    brush_ = gdi::Brush::solid(color);
    rop_ = gdi::RasterOp::CopyPen;
    realize(true, true, false);
    writeBox(0, {box.left, box.top, box.right + 1, box.bottom + 1}, {});
    pen_ = pen;
    brush_ = brush;
    rop_ = rop;
}

gdi::Size MetafileRecorder::textExtent(std::string_view utf8) {
    if (measure_ != nullptr) {
        measure_->setFont(font_);
        return measure_->textExtent(utf8);
    }
    const std::int32_t height = font_.height != 0 ? std::abs(font_.height) : 16;
    return {static_cast<std::int32_t>(utf8Length(utf8)) * height / 2, height};
}

void MetafileRecorder::textOut(gdi::Point p, std::string_view utf8) {
    if (utf8.empty()) return;
    realize(false, false, true);
    // The advance of each character: the growth of the measured width
    // (pairs kerned as drawn); a long text, character by character.
    constexpr std::size_t kMeasuredWhole = 256;
    const bool whole = utf8Length(utf8) <= kMeasuredWhole;
    std::vector<std::int32_t> advances;
    std::int32_t before = 0;
    std::size_t i = 0;
    while (i < utf8.size()) {
        std::size_t next = i + 1;
        while (next < utf8.size() && (static_cast<unsigned char>(utf8[next]) & 0xC0) == 0x80) {
            ++next;
        }
        if (whole) {
            const std::int32_t width = textExtent(utf8.substr(0, next)).cx;
            advances.push_back(std::max(0, width - before));
            before = width;
        } else {
            advances.push_back(textExtent(utf8.substr(i, next - i)).cx);
        }
        i = next;
    }
    const gdi::Size extent = textExtent(utf8);
    writeText(p, utf8, advances, {p.x, p.y, p.x + extent.cx, p.y + extent.cy});
}

void MetafileRecorder::drawBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) {
    if (!picture.valid() || box.width() <= 0 || box.height() <= 0) return;
    realizeColors(false);
    writeBitmap(picture, box, op);
}

void MetafileRecorder::clipTo(const gdi::Rect& box) {
    gdi::Rect both{std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, page_.cx),
                   std::min(box.bottom, page_.cy)};
    if (both.width() <= 0 || both.height() <= 0) both = {0, 0, 0, 0};
    if (both == gdi::Rect{0, 0, page_.cx, page_.cy}) {
        clearClip();
        return;
    }
    if (fileClip_ == both && !fileExcluded_) return;
    if (fileClip_ || fileExcluded_) writeClipReset();
    writeIntersectClip(both);
    fileClip_ = both;
    fileExcluded_ = false;
}

void MetafileRecorder::excludeClip(const gdi::Rect& box) {
    if (box.width() <= 0 || box.height() <= 0) return;
    writeExcludeClip(box);
    fileExcluded_ = true;
}

void MetafileRecorder::clearClip() {
    if (!fileClip_ && !fileExcluded_) return;
    writeClipReset();
    fileClip_.reset();
    fileExcluded_ = false;
}

std::vector<std::uint8_t> MetafileRecorder::bytes() {
    if (!file_) file_ = fileBytes();
    return *file_;
}

bool MetafileRecorder::finish() {
    const std::vector<std::uint8_t> file = bytes();
    std::unique_ptr<OutputFile> out = openBinaryWrite(path_);
    if (!out) return false;
    if (std::fwrite(file.data(), 1, file.size(), out->file()) != file.size()) {
        out->discard();
        return false;
    }
    return commitOrWarn(*out);
}

// --- The enhanced metafile ----------------------------------------------------

namespace {

using namespace metafile;  // NOLINT: the record names read as the formats' own

constexpr std::uint32_t kSrcCopy = 0x00CC0020;
constexpr std::uint32_t kSrcAnd = 0x008800C6;

// The reference device of the header: 1920 × 1440 pixels on 508 × 381 mm,
// exactly 96 dots per inch.
constexpr gdi::Size kReferencePixels{1920, 1440};
constexpr gdi::Size kReferenceMillimetres{508, 381};

gdi::Rect boundsOf(const gdi::Point* points, std::size_t count) {
    gdi::Rect r{std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::int32_t>::max(),
                std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::min()};
    for (std::size_t i = 0; i < count; ++i) {
        r.left = std::min(r.left, points[i].x);
        r.top = std::min(r.top, points[i].y);
        r.right = std::max(r.right, points[i].x);
        r.bottom = std::max(r.bottom, points[i].y);
    }
    return r;
}

bool fits16(std::int32_t v) { return v >= -32768 && v <= 32767; }

// The bitmap header and colour table of a picture (BITMAPINFO).
std::vector<std::uint8_t> bitmapInfoOf(const gdi::Dib& picture) {
    std::vector<std::uint8_t> info;
    gridova::put32(info, 40);
    gridova::put32(info, static_cast<std::uint32_t>(picture.width));
    gridova::put32(info, static_cast<std::uint32_t>(picture.height));
    gridova::put16(info, 1);
    gridova::put16(info, static_cast<std::uint32_t>(picture.bitsPerPixel));
    gridova::put32(info, 0);  // BI_RGB
    gridova::put32(info, static_cast<std::uint32_t>(picture.imageSize()));
    gridova::put32(info, 3780);  // 96 dots per inch
    gridova::put32(info, 3780);
    gridova::put32(info, static_cast<std::uint32_t>(picture.colorTable.size()));
    gridova::put32(info, 0);
    for (const gdi::RgbQuad& q : picture.colorTable) {
        info.push_back(q.blue);
        info.push_back(q.green);
        info.push_back(q.red);
        info.push_back(0);
    }
    return info;
}

void padTo4(std::vector<std::uint8_t>& out) {
    while (out.size() % 4 != 0) out.push_back(0);
}

}  // namespace

gdi::Rect EmfRecorder::frameOf(gdi::Size page) {
    // Inclusive, as the header keeps it: the last hundredth of a millimetre
    // inside the page.
    return {0, 0, static_cast<std::int32_t>(std::int64_t{page.cx} * 2540 / 96) - 1,
            static_cast<std::int32_t>(std::int64_t{page.cy} * 2540 / 96) - 1};
}

EmfRecorder::EmfRecorder(gdi::Size page, std::string path, gdi::Device* measure,
                         std::string description)
    : MetafileRecorder(page, std::move(path), measure), description_(std::move(description)) {
    // The state every recording starts from: alternate fill, text by the
    // top-left corner of its cell.
    std::size_t r = begin(emr::SetPolyFillMode);
    put32(1);  // ALTERNATE
    end(r);
    r = begin(emr::SetTextAlign);
    put32(0);  // TA_TOP | TA_LEFT | TA_NOUPDATECP
    end(r);
}

std::size_t EmfRecorder::begin(std::uint32_t type) {
    const std::size_t start = records_.size();
    put32(type);
    put32(0);
    ++count_;
    return start;
}

void EmfRecorder::end(std::size_t start) {
    padTo4(records_);
    const auto size = static_cast<std::uint32_t>(records_.size() - start);
    for (int k = 0; k < 4; ++k)
        records_[start + 4 + k] = static_cast<std::uint8_t>(size >> (8 * k));
}

void EmfRecorder::put32(std::uint32_t v) { gridova::put32(records_, v); }

void EmfRecorder::putRect(const gdi::Rect& r) {
    put32(static_cast<std::uint32_t>(r.left));
    put32(static_cast<std::uint32_t>(r.top));
    put32(static_cast<std::uint32_t>(r.right));
    put32(static_cast<std::uint32_t>(r.bottom));
}

void EmfRecorder::writeCreatePen(int slot, const gdi::Pen& pen) {
    const std::size_t r = begin(emr::CreatePen);
    put32(static_cast<std::uint32_t>(slot + 1));  // index 0 is the metafile itself
    put32(static_cast<std::uint32_t>(pen.style));
    put32(static_cast<std::uint32_t>(pen.width));
    put32(0);
    put32(pen.color);
    end(r);
}

void EmfRecorder::writeCreateBrush(int slot, const gdi::Brush& brush) {
    const std::size_t r = begin(emr::CreateBrushIndirect);
    put32(static_cast<std::uint32_t>(slot + 1));
    switch (brush.style) {
        case gdi::Brush::Style::Solid:
            put32(0);  // BS_SOLID
            break;
        case gdi::Brush::Style::Hollow:
            put32(1);  // BS_NULL
            break;
        case gdi::Brush::Style::Hatched:
            put32(2);  // BS_HATCHED
            break;
    }
    put32(brush.color);
    put32(static_cast<std::uint32_t>(brush.hatch));
    end(r);
}

void EmfRecorder::writeCreateFont(int slot, const gdi::LogFont& font) {
    const std::size_t r = begin(emr::ExtCreateFontIndirectW);
    put32(static_cast<std::uint32_t>(slot + 1));
    put32(static_cast<std::uint32_t>(font.height));
    put32(static_cast<std::uint32_t>(font.width));
    put32(static_cast<std::uint32_t>(font.escapement));
    put32(static_cast<std::uint32_t>(font.orientation));
    put32(static_cast<std::uint32_t>(font.weight));
    for (std::uint8_t b :
         {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
          font.clipPrecision, font.quality, font.pitchAndFamily}) {
        records_.push_back(b);
    }
    std::u16string face = utf8ToUtf16(font.faceName);
    // At most 31 units, not ending in the first half of a pair.
    if (face.size() > 31) face.resize(31);
    if (!face.empty() && face.back() >= 0xD800 && face.back() <= 0xDBFF) face.pop_back();
    face.resize(31);
    face.push_back(0);
    for (char16_t c : face) gridova::put16(records_, c);
    end(r);
}

void EmfRecorder::writeSelect(int slot) {
    const std::size_t r = begin(emr::SelectObject);
    put32(static_cast<std::uint32_t>(slot + 1));
    end(r);
}

void EmfRecorder::writeDelete(int slot) {
    const std::size_t r = begin(emr::DeleteObject);
    put32(static_cast<std::uint32_t>(slot + 1));
    end(r);
}

void EmfRecorder::writeTextColor(gdi::ColorRef color) {
    const std::size_t r = begin(emr::SetTextColor);
    put32(color);
    end(r);
}

void EmfRecorder::writeBackgroundColor(gdi::ColorRef color) {
    const std::size_t r = begin(emr::SetBkColor);
    put32(color);
    end(r);
}

void EmfRecorder::writeBackgroundMode(gdi::BackgroundMode mode) {
    const std::size_t r = begin(emr::SetBkMode);
    put32(static_cast<std::uint32_t>(mode));
    end(r);
}

void EmfRecorder::writeRasterOp(gdi::RasterOp op) {
    const std::size_t r = begin(emr::SetRop2);
    put32(static_cast<std::uint32_t>(op));
    end(r);
}

void EmfRecorder::writeLine(gdi::Point from, gdi::Point to) {
    if (position_ != from) {
        const std::size_t r = begin(emr::MoveToEx);
        put32(static_cast<std::uint32_t>(from.x));
        put32(static_cast<std::uint32_t>(from.y));
        end(r);
    }
    const std::size_t r = begin(emr::LineTo);
    put32(static_cast<std::uint32_t>(to.x));
    put32(static_cast<std::uint32_t>(to.y));
    end(r);
    position_ = to;
}

void EmfRecorder::writePoly(const gdi::Point* points, std::size_t count, bool closed) {
    const bool small = std::all_of(points, points + count,
                                   [](const gdi::Point& p) { return fits16(p.x) && fits16(p.y); });
    const std::uint32_t type = small ? (closed ? emr::Polygon16 : emr::Polyline16)
                                     : (closed ? emr::Polygon : emr::Polyline);
    const std::size_t r = begin(type);
    putRect(boundsOf(points, count));
    put32(static_cast<std::uint32_t>(count));
    for (std::size_t i = 0; i < count; ++i) {
        if (small) {
            gridova::put16(records_, static_cast<std::uint16_t>(points[i].x));
            gridova::put16(records_, static_cast<std::uint16_t>(points[i].y));
        } else {
            put32(static_cast<std::uint32_t>(points[i].x));
            put32(static_cast<std::uint32_t>(points[i].y));
        }
    }
    end(r);
}

void EmfRecorder::writeBox(int kind, const gdi::Rect& box, gdi::Size corner) {
    const std::size_t r = begin(kind == 0   ? emr::Rectangle
                                : kind == 1 ? emr::Ellipse
                                            : emr::RoundRect);
    putRect(box);
    if (kind == 2) {
        put32(static_cast<std::uint32_t>(corner.cx));
        put32(static_cast<std::uint32_t>(corner.cy));
    }
    end(r);
}

void EmfRecorder::writeText(gdi::Point p, std::string_view utf8,
                            const std::vector<std::int32_t>& advances, const gdi::Rect& bounds) {
    const std::u16string wide = utf8ToUtf16(utf8);
    // One advance for each UTF-16 unit: a character of two units puts its
    // advance on the first and 0 on the second.
    std::vector<std::int32_t> dx;
    dx.reserve(wide.size());
    std::size_t character = 0;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        const bool second = i > 0 && wide[i] >= 0xDC00 && wide[i] <= 0xDFFF &&
                            wide[i - 1] >= 0xD800 && wide[i - 1] <= 0xDBFF;
        if (second) {
            dx.push_back(0);
        } else {
            dx.push_back(character < advances.size() ? advances[character] : 0);
            ++character;
        }
    }
    const std::size_t r = begin(emr::ExtTextOutW);
    putRect({bounds.left, bounds.top, bounds.right - 1, bounds.bottom - 1});
    put32(1);  // GM_COMPATIBLE
    // Hundredths of a millimetre per pixel.
    const float scale = 2540.0f / 96.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &scale, 4);
    put32(bits);
    put32(bits);
    // EMRTEXT
    put32(static_cast<std::uint32_t>(p.x));
    put32(static_cast<std::uint32_t>(p.y));
    put32(static_cast<std::uint32_t>(wide.size()));
    const std::uint32_t offString = 76;
    const std::uint32_t stringBytes = static_cast<std::uint32_t>((wide.size() * 2 + 3) / 4 * 4);
    put32(offString);
    put32(0);  // no options
    putRect({0, 0, -1, -1});
    put32(offString + stringBytes);
    for (char16_t c : wide) gridova::put16(records_, c);
    padTo4(records_);
    for (std::int32_t d : dx) put32(static_cast<std::uint32_t>(d));
    end(r);
}

void EmfRecorder::writeBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) {
    const std::vector<std::uint8_t> info = bitmapInfoOf(picture);
    const std::size_t r = begin(emr::StretchDIBits);
    putRect({box.left, box.top, box.right - 1, box.bottom - 1});
    put32(static_cast<std::uint32_t>(box.left));
    put32(static_cast<std::uint32_t>(box.top));
    put32(0);
    put32(0);
    put32(static_cast<std::uint32_t>(picture.width));
    put32(static_cast<std::uint32_t>(picture.height));
    const std::uint32_t offInfo = 80;
    put32(offInfo);
    put32(static_cast<std::uint32_t>(info.size()));
    put32(offInfo + static_cast<std::uint32_t>(info.size()));
    put32(static_cast<std::uint32_t>(picture.bits.size()));
    put32(0);  // DIB_RGB_COLORS
    put32(op == gdi::BitmapOp::And ? kSrcAnd : kSrcCopy);
    put32(static_cast<std::uint32_t>(box.width()));
    put32(static_cast<std::uint32_t>(box.height()));
    records_.insert(records_.end(), info.begin(), info.end());
    records_.insert(records_.end(), picture.bits.begin(), picture.bits.end());
    end(r);
}

void EmfRecorder::writeClipReset() {
    // No region with RGN_COPY: no clipping.
    const std::size_t r = begin(emr::ExtSelectClipRgn);
    put32(0);
    put32(5);  // RGN_COPY
    end(r);
}

void EmfRecorder::writeIntersectClip(const gdi::Rect& box) {
    const std::size_t r = begin(emr::IntersectClipRect);
    putRect(box);
    end(r);
}

void EmfRecorder::writeExcludeClip(const gdi::Rect& box) {
    const std::size_t r = begin(emr::ExcludeClipRect);
    putRect(box);
    end(r);
}

std::vector<std::uint8_t> EmfRecorder::fileBytes() {
    std::vector<std::uint8_t> description;
    std::uint32_t descriptionCharacters = 0;
    if (!description_.empty()) {
        std::u16string wide = utf8ToUtf16(description_);
        wide.push_back(0);
        wide.push_back(0);
        descriptionCharacters = static_cast<std::uint32_t>(wide.size());
        for (char16_t c : wide) gridova::put16(description, c);
        padTo4(description);
    }
    constexpr std::uint32_t kHeaderSize = 108;
    constexpr std::uint32_t kEofSize = 20;
    const auto total =
        static_cast<std::uint32_t>(kHeaderSize + description.size() + records_.size() + kEofSize);
    const gdi::Size page = this->page();
    const gdi::Rect frame = frameOf(page);

    std::vector<std::uint8_t> out;
    out.reserve(total);
    auto rect = [&](const gdi::Rect& r) {
        gridova::put32(out, static_cast<std::uint32_t>(r.left));
        gridova::put32(out, static_cast<std::uint32_t>(r.top));
        gridova::put32(out, static_cast<std::uint32_t>(r.right));
        gridova::put32(out, static_cast<std::uint32_t>(r.bottom));
    };
    gridova::put32(out, emr::Header);
    gridova::put32(out, static_cast<std::uint32_t>(kHeaderSize + description.size()));
    rect({0, 0, page.cx - 1, page.cy - 1});  // bounds, in pixels
    rect(frame);
    gridova::put32(out, kEmfSignature);
    gridova::put32(out, 0x00010000);  // version
    gridova::put32(out, total);
    gridova::put32(out, count_ + 2);  // with the header and the end
    gridova::put16(out, static_cast<std::uint32_t>(slotCount() + 1));
    gridova::put16(out, 0);
    gridova::put32(out, descriptionCharacters);
    gridova::put32(out, description.empty() ? 0 : kHeaderSize);
    gridova::put32(out, 0);  // palette entries
    gridova::put32(out, static_cast<std::uint32_t>(kReferencePixels.cx));
    gridova::put32(out, static_cast<std::uint32_t>(kReferencePixels.cy));
    gridova::put32(out, static_cast<std::uint32_t>(kReferenceMillimetres.cx));
    gridova::put32(out, static_cast<std::uint32_t>(kReferenceMillimetres.cy));
    gridova::put32(out, 0);  // no pixel format
    gridova::put32(out, 0);
    gridova::put32(out, 0);  // not OpenGL
    gridova::put32(out, static_cast<std::uint32_t>(kReferenceMillimetres.cx * 1000));
    gridova::put32(out, static_cast<std::uint32_t>(kReferenceMillimetres.cy * 1000));
    out.insert(out.end(), description.begin(), description.end());
    out.insert(out.end(), records_.begin(), records_.end());
    gridova::put32(out, emr::Eof);
    gridova::put32(out, kEofSize);
    gridova::put32(out, 0);   // no palette
    gridova::put32(out, 16);  // where it would be
    gridova::put32(out, kEofSize);
    return out;
}

// --- The Windows metafile -------------------------------------------------------

namespace {

constexpr std::int32_t kMin16 = -32768;
constexpr std::int32_t kMax16 = 32767;

std::int32_t clamp16(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, kMin16, kMax16));
}

struct DoublePoint {
    double x, y;
};

// The part of the segment a-b inside the 16-bit square (Liang-Barsky);
// false when none is.
bool clipSegment(DoublePoint& a, DoublePoint& b) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - kMin16, kMax16 - a.x, a.y - kMin16, kMax16 - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0) {
            if (t > t1) return false;
            t0 = std::max(t0, t);
        } else {
            if (t < t0) return false;
            t1 = std::min(t1, t);
        }
    }
    const DoublePoint from{a.x + t0 * dx, a.y + t0 * dy};
    b = {a.x + t1 * dx, a.y + t1 * dy};
    a = from;
    return true;
}

gdi::Point rounded16(const DoublePoint& p) {
    return {clamp16(std::llround(p.x)), clamp16(std::llround(p.y))};
}

bool inside16(const DoublePoint& p) {
    return p.x >= kMin16 && p.x <= kMax16 && p.y >= kMin16 && p.y <= kMax16;
}

// The polygon cut to the 16-bit square, edge by edge (Sutherland-Hodgman).
std::vector<gdi::Point> clipPolygon16(std::vector<DoublePoint> poly) {
    for (int edge = 0; edge < 4 && !poly.empty(); ++edge) {
        auto inside = [edge](const DoublePoint& p) {
            switch (edge) {
                case 0:
                    return p.x >= kMin16;
                case 1:
                    return p.x <= kMax16;
                case 2:
                    return p.y >= kMin16;
                default:
                    return p.y <= kMax16;
            }
        };
        auto cross = [edge](const DoublePoint& a, const DoublePoint& b) {
            const double bound = edge == 0 || edge == 2 ? kMin16 : kMax16;
            if (edge < 2) {
                const double t = (bound - a.x) / (b.x - a.x);
                return DoublePoint{bound, a.y + t * (b.y - a.y)};
            }
            const double t = (bound - a.y) / (b.y - a.y);
            return DoublePoint{a.x + t * (b.x - a.x), bound};
        };
        std::vector<DoublePoint> out;
        out.reserve(poly.size() + 4);
        for (std::size_t i = 0; i < poly.size(); ++i) {
            const DoublePoint& a = poly[i];
            const DoublePoint& b = poly[(i + 1) % poly.size()];
            if (inside(a)) {
                out.push_back(a);
                if (!inside(b)) out.push_back(cross(a, b));
            } else if (inside(b)) {
                out.push_back(cross(a, b));
            }
        }
        poly = std::move(out);
    }
    std::vector<gdi::Point> result;
    result.reserve(poly.size());
    for (const DoublePoint& p : poly) result.push_back(rounded16(p));
    return result;
}

}  // namespace

int WmfRecorder::unitsPerInch(gdi::Size page) {
    const std::int64_t side = std::max<std::int64_t>({page.cx, page.cy, 1});
    if (side * 1000 / 96 <= kMax16) return 1000;
    return static_cast<int>(std::max<std::int64_t>(1, std::int64_t{kMax16} * 96 / side));
}

WmfRecorder::WmfRecorder(gdi::Size page, std::string path, gdi::Device* measure)
    : MetafileRecorder(page, std::move(path), measure),
      scale_(unitsPerInch(page) / 96.0),
      // Truncated, as the page's frame converts to thousandths of an inch.
      box_{static_cast<std::int32_t>(std::int64_t{page.cx} * unitsPerInch(page) / 96),
           static_cast<std::int32_t>(std::int64_t{page.cy} * unitsPerInch(page) / 96)} {
    // The records are in the units of the placeable header's box, the
    // window of the anisotropic mapping that readers scale to the box.
    std::size_t r = begin(meta::SetMapMode);
    put16(8);  // MM_ANISOTROPIC
    end(r);
    r = begin(meta::SetWindowOrg);
    put16(0);
    put16(0);
    end(r);
    r = begin(meta::SetWindowExt);
    put16(box_.cy);
    put16(box_.cx);
    end(r);
    r = begin(meta::SetPolyFillMode);
    put16(1);  // ALTERNATE
    end(r);
    r = begin(meta::SetTextAlign);
    put16(0);  // TA_TOP | TA_LEFT | TA_NOUPDATECP
    end(r);
    // The page is the clip region to start with: some readers take boxes
    // excluded from no region as everything excluded.
    writeIntersectClip({0, 0, page.cx, page.cy});
    // This state is what a clip reset returns to (see writeClipReset).
    r = begin(meta::SaveDC);
    end(r);
}

std::int32_t WmfRecorder::units(std::int32_t pixels) const {
    return clamp16(std::llround(pixels * scale_));
}

std::size_t WmfRecorder::begin(std::uint16_t function) {
    const std::size_t start = records_.size();
    put32(0);
    gridova::put16(records_, function);
    return start;
}

void WmfRecorder::end(std::size_t start) {
    if (records_.size() % 2 != 0) records_.push_back(0);
    const auto words = static_cast<std::uint32_t>((records_.size() - start) / 2);
    for (int k = 0; k < 4; ++k) records_[start + k] = static_cast<std::uint8_t>(words >> (8 * k));
    largestRecord_ = std::max(largestRecord_, words);
}

void WmfRecorder::put16(std::int32_t v) {
    gridova::put16(records_, static_cast<std::uint16_t>(static_cast<std::int16_t>(clamp16(v))));
}

void WmfRecorder::put32(std::uint32_t v) { gridova::put32(records_, v); }

void WmfRecorder::putBox(const gdi::Rect& box) {
    put16(units(box.bottom));
    put16(units(box.right));
    put16(units(box.top));
    put16(units(box.left));
}

void WmfRecorder::writeCreatePen(int, const gdi::Pen& pen) {
    // The slot is the lowest free one, as the format's readers assign it.
    const std::size_t r = begin(meta::CreatePenIndirect);
    put16(static_cast<std::int32_t>(pen.style));
    put16(pen.width == 0 ? 0 : std::max(1, units(pen.width)));  // 0 stays one pixel
    put16(0);
    put32(pen.color);
    end(r);
}

void WmfRecorder::writeCreateBrush(int, const gdi::Brush& brush) {
    const std::size_t r = begin(meta::CreateBrushIndirect);
    put16(brush.style == gdi::Brush::Style::Solid    ? 0
          : brush.style == gdi::Brush::Style::Hollow ? 1
                                                     : 2);
    put32(brush.color);
    put16(static_cast<std::int32_t>(brush.hatch));
    end(r);
}

void WmfRecorder::writeCreateFont(int, const gdi::LogFont& font) {
    const std::size_t r = begin(meta::CreateFontIndirect);
    put16(units(font.height));
    put16(units(font.width));
    put16(font.escapement);
    put16(font.orientation);
    put16(font.weight);
    for (std::uint8_t b :
         {font.italic, font.underline, font.strikeOut, font.charSet, font.outPrecision,
          font.clipPrecision, font.quality, font.pitchAndFamily}) {
        records_.push_back(b);
    }
    std::string face = utf8ToCp1251(font.faceName);
    face.resize(31);
    face.push_back('\0');
    records_.insert(records_.end(), face.begin(), face.end());
    end(r);
}

void WmfRecorder::writeSelect(int slot) {
    const std::size_t r = begin(meta::SelectObject);
    put16(slot);
    end(r);
}

void WmfRecorder::writeDelete(int slot) {
    const std::size_t r = begin(meta::DeleteObject);
    put16(slot);
    end(r);
}

void WmfRecorder::writeTextColor(gdi::ColorRef color) {
    const std::size_t r = begin(meta::SetTextColor);
    put32(color);
    end(r);
}

void WmfRecorder::writeBackgroundColor(gdi::ColorRef color) {
    const std::size_t r = begin(meta::SetBkColor);
    put32(color);
    end(r);
}

void WmfRecorder::writeBackgroundMode(gdi::BackgroundMode mode) {
    const std::size_t r = begin(meta::SetBkMode);
    put16(static_cast<std::int32_t>(mode));
    put16(0);
    end(r);
}

void WmfRecorder::writeRasterOp(gdi::RasterOp op) {
    const std::size_t r = begin(meta::SetRop2);
    put16(static_cast<std::int32_t>(op));
    put16(0);
    end(r);
}

void WmfRecorder::writeLine(gdi::Point from, gdi::Point to) {
    DoublePoint a{from.x * scale_, from.y * scale_}, b{to.x * scale_, to.y * scale_};
    if (!clipSegment(a, b)) return;
    const gdi::Point p = rounded16(a), q = rounded16(b);
    if (position_ != p) {
        const std::size_t r = begin(meta::MoveTo);
        put16(p.y);
        put16(p.x);
        end(r);
    }
    const std::size_t r = begin(meta::LineTo);
    put16(q.y);
    put16(q.x);
    end(r);
    position_ = q;
}

void WmfRecorder::writePoints(const gdi::Point* points, std::size_t count, bool polygon) {
    // A record holds at most 32767 points; a longer line goes in pieces that
    // share their end points, a longer polygon is cut short.
    constexpr std::size_t kMax = 32767;
    std::size_t from = 0;
    while (true) {
        const std::size_t take = std::min(count - from, kMax);
        const std::size_t r = begin(polygon ? meta::Polygon : meta::Polyline);
        put16(static_cast<std::int32_t>(take));
        for (std::size_t i = from; i < from + take; ++i) {
            put16(points[i].x);
            put16(points[i].y);
        }
        end(r);
        if (polygon || from + take >= count) break;
        from += take - 1;
    }
}

void WmfRecorder::writePoly(const gdi::Point* points, std::size_t count, bool closed) {
    std::vector<DoublePoint> scaled;
    scaled.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        scaled.push_back({points[i].x * scale_, points[i].y * scale_});
    }
    if (closed) {
        const std::vector<gdi::Point> cut = clipPolygon16(std::move(scaled));
        if (cut.size() >= 2) writePoints(cut.data(), cut.size(), true);
        return;
    }
    // A line in runs inside the square.
    std::vector<gdi::Point> run;
    for (std::size_t i = 0; i + 1 < count; ++i) {
        DoublePoint a = scaled[i], b = scaled[i + 1];
        if (!clipSegment(a, b)) {
            if (run.size() >= 2) writePoints(run.data(), run.size(), false);
            run.clear();
            continue;
        }
        const gdi::Point p = rounded16(a), q = rounded16(b);
        if (run.empty() || run.back() != p) {
            if (run.size() >= 2) writePoints(run.data(), run.size(), false);
            run.assign(1, p);
        }
        run.push_back(q);
    }
    if (run.size() >= 2) writePoints(run.data(), run.size(), false);
}

void WmfRecorder::writeBox(int kind, const gdi::Rect& box, gdi::Size corner) {
    const std::size_t r = begin(kind == 0   ? meta::Rectangle
                                : kind == 1 ? meta::Ellipse
                                            : meta::RoundRect);
    if (kind == 2) {
        put16(units(corner.cy));
        put16(units(corner.cx));
    }
    putBox(box);
    end(r);
}

void WmfRecorder::writeText(gdi::Point p, std::string_view utf8,
                            const std::vector<std::int32_t>& advances, const gdi::Rect&) {
    // Text anchored off the 16-bit square is far off the page.
    if (!inside16({p.x * scale_, p.y * scale_})) return;
    // One byte a character in the font's code page (Cyrillic).
    const std::string bytes = utf8ToCp1251(utf8);
    const std::size_t length = std::min<std::size_t>(bytes.size(), 32767);
    const std::size_t r = begin(meta::ExtTextOut);
    put16(units(p.y));
    put16(units(p.x));
    put16(static_cast<std::int32_t>(length));
    put16(0);  // no options, no rectangle
    records_.insert(records_.end(), bytes.begin(),
                    bytes.begin() + static_cast<std::ptrdiff_t>(length));
    if (records_.size() % 2 != 0) records_.push_back(0);
    // The advances from the rounded running sums, so that rounding does not
    // add up along the text.
    std::int64_t sum = 0;
    std::int32_t placed = 0;
    for (std::size_t i = 0; i < length; ++i) {
        sum += i < advances.size() ? advances[i] : 0;
        const auto next =
            static_cast<std::int32_t>(std::llround(static_cast<double>(sum) * scale_));
        put16(next - placed);
        placed = next;
    }
    end(r);
}

void WmfRecorder::writeBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) {
    if (!inside16({box.left * scale_, box.top * scale_}) ||
        !inside16({box.right * scale_, box.bottom * scale_}) || picture.width > kMax16 ||
        picture.height > kMax16) {
        return;
    }
    const std::vector<std::uint8_t> info = bitmapInfoOf(picture);
    const std::size_t r = begin(meta::StretchDib);
    put32(op == gdi::BitmapOp::And ? kSrcAnd : kSrcCopy);
    put16(0);  // DIB_RGB_COLORS
    put16(picture.height);
    put16(picture.width);
    put16(0);
    put16(0);
    put16(units(box.bottom) - units(box.top));
    put16(units(box.right) - units(box.left));
    put16(units(box.top));
    put16(units(box.left));
    records_.insert(records_.end(), info.begin(), info.end());
    records_.insert(records_.end(), picture.bits.begin(), picture.bits.end());
    end(r);
}

void WmfRecorder::writeClipReset() {
    // The format has no way to drop a clip region but to return to a saved
    // state: the one saved after the start, with the page as the region and
    // nothing of ours selected. It is saved again at once for the next reset.
    std::size_t r = begin(meta::RestoreDC);
    put16(-1);
    end(r);
    r = begin(meta::SaveDC);
    end(r);
    position_.reset();
    forgetSelections();
}

void WmfRecorder::writeIntersectClip(const gdi::Rect& box) {
    const std::size_t r = begin(meta::IntersectClipRect);
    putBox(box);
    end(r);
}

void WmfRecorder::writeExcludeClip(const gdi::Rect& box) {
    const std::size_t r = begin(meta::ExcludeClipRect);
    putBox(box);
    end(r);
}

std::vector<std::uint8_t> WmfRecorder::fileBytes() {
    // The saved state is dropped before the end.
    std::size_t r = begin(meta::RestoreDC);
    put16(-1);
    end(r);
    r = begin(meta::Eof);
    end(r);

    const int inch = unitsPerInch(page());
    std::vector<std::uint8_t> out;
    out.reserve(22 + 18 + records_.size());
    // The placeable header: the page in the units of the records; its
    // checksum is the XOR of its first ten words.
    const std::uint16_t words[10] = {static_cast<std::uint16_t>(kPlaceableKey & 0xFFFF),
                                     static_cast<std::uint16_t>(kPlaceableKey >> 16),
                                     0,
                                     0,
                                     0,
                                     static_cast<std::uint16_t>(box_.cx),
                                     static_cast<std::uint16_t>(box_.cy),
                                     static_cast<std::uint16_t>(inch),
                                     0,
                                     0};
    std::uint16_t checksum = 0;
    for (std::uint16_t w : words) {
        gridova::put16(out, w);
        checksum ^= w;
    }
    gridova::put16(out, checksum);
    // The metafile header.
    const auto sizeInWords = static_cast<std::uint32_t>((18 + records_.size()) / 2);
    gridova::put16(out, 1);  // in memory
    gridova::put16(out, 9);  // header words
    gridova::put16(out, 0x0300);
    gridova::put32(out, sizeInWords);
    gridova::put16(out, static_cast<std::uint32_t>(std::max(slotCount(), 1)));
    gridova::put32(out, largestRecord_);
    gridova::put16(out, 0);
    out.insert(out.end(), records_.begin(), records_.end());
    return out;
}

}  // namespace gridova
