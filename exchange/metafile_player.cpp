#include "exchange/metafile_player.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <set>
#include <variant>

#include "exchange/metafile_records.h"
#include "platform/files.h"
#include "platform/message_log.h"
#include "platform/messages.h"
#include "platform/text_codec.h"

namespace gridova {
namespace {

using namespace metafile;  // NOLINT: the record names read as the formats' own

constexpr int kCannotRead = 202;
constexpr int kNoMetafile = 9423;  // "Файл %s не является метафайлом: %s"
// Saved states kept at most (a file saving without end is not followed).
constexpr std::size_t kMaxSavedStates = 1024;
// WMF object slots at most (the format's slot numbers are 16-bit).
constexpr int kMaxWmfSlots = 65535;
// The largest bitmap drawn, in pixels.
constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 26;
// The longest text drawn, in characters (longer ones are cut).
constexpr std::size_t kMaxTextCharacters = 8192;
// EMF object indexes above this are not kept (the header's count of
// handles is 16-bit).
constexpr std::uint32_t kMaxEmfObject = 0xFFFF;
// Boxes taken out of the clip region that are kept and set again.
constexpr std::size_t kMaxExclusions = 64;

// Little-endian fields of a byte span, every read checked.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t size() const { return bytes_.size(); }
    bool has(std::size_t offset, std::size_t count) const {
        return offset <= bytes_.size() && count <= bytes_.size() - offset;
    }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(bytes_[at] | (bytes_[at + 1] << 8));
    }
    std::int16_t i16(std::size_t at) const { return static_cast<std::int16_t>(u16(at)); }
    std::uint32_t u32(std::size_t at) const {
        return static_cast<std::uint32_t>(u16(at)) |
               (static_cast<std::uint32_t>(u16(at + 2)) << 16);
    }
    std::int32_t i32(std::size_t at) const { return static_cast<std::int32_t>(u32(at)); }
    std::span<const std::uint8_t> span(std::size_t at, std::size_t count) const {
        return bytes_.subspan(at, count);
    }

private:
    std::span<const std::uint8_t> bytes_;
};

using Object = std::variant<std::monostate, gdi::Pen, gdi::Brush, gdi::LogFont>;

// A font record's numbers (height, width, escapement, orientation, weight)
// and its eight bytes (italic ... pitch and family), as both formats keep
// them.
void setFontFields(gdi::LogFont& f, const std::array<std::int32_t, 5>& numbers,
                   std::span<const std::uint8_t> b) {
    f.height = numbers[0];
    f.width = numbers[1];
    f.escapement = numbers[2];
    f.orientation = numbers[3];
    f.weight = numbers[4];
    f.italic = b[0], f.underline = b[1], f.strikeOut = b[2], f.charSet = b[3];
    f.outPrecision = b[4], f.clipPrecision = b[5], f.quality = b[6], f.pitchAndFamily = b[7];
}

// A device-independent bitmap from a record's header and bits; nothing for
// a kind we do not draw or sizes that do not fit.
std::optional<gdi::Dib> dibOf(std::span<const std::uint8_t> info,
                              std::span<const std::uint8_t> bits) {
    Reader r(info);
    if (!r.has(0, 40)) return std::nullopt;
    const std::uint32_t headerSize = r.u32(0);
    if (headerSize < 40 || headerSize > info.size()) return std::nullopt;
    const std::int32_t width = r.i32(4);
    const std::int32_t height = r.i32(8);
    const std::uint16_t planes = r.u16(12);
    const std::uint16_t depth = r.u16(14);
    const std::uint32_t compression = r.u32(16);
    std::uint32_t colours = r.u32(32);
    if (planes != 1 || compression != 0 || width <= 0 || height == 0 ||
        height == std::numeric_limits<std::int32_t>::min()) {
        return std::nullopt;
    }
    if (depth != 1 && depth != 4 && depth != 8 && depth != 16 && depth != 24 && depth != 32) {
        return std::nullopt;
    }
    const std::int64_t rows = std::abs(static_cast<std::int64_t>(height));
    if (static_cast<std::int64_t>(width) * rows > kMaxBitmapPixels) return std::nullopt;
    gdi::Dib dib;
    dib.width = width;
    dib.height = static_cast<std::int32_t>(rows);
    dib.bitsPerPixel = depth;
    if (depth <= 8) {
        const std::uint32_t full = 1u << depth;
        if (colours == 0 || colours > full) colours = full;
        if (!r.has(headerSize, std::size_t{colours} * 4)) return std::nullopt;
        dib.colorTable.resize(full);
        for (std::uint32_t i = 0; i < colours; ++i) {
            const std::size_t at = headerSize + std::size_t{i} * 4;
            dib.colorTable[i] = {info[at], info[at + 1], info[at + 2], 0};
        }
    }
    const std::size_t size = dib.imageSize();
    if (bits.size() < size) return std::nullopt;
    if (height > 0) {
        dib.bits.assign(bits.begin(), bits.begin() + static_cast<std::ptrdiff_t>(size));
    } else {
        // Top-down rows: stored bottom-up here.
        const std::size_t stride = dib.stride();
        dib.bits.resize(size);
        for (std::int64_t y = 0; y < rows; ++y) {
            std::memcpy(dib.bits.data() + static_cast<std::size_t>(rows - 1 - y) * stride,
                        bits.data() + static_cast<std::size_t>(y) * stride, stride);
        }
    }
    return dib;
}

// One play: the device, the mapping of the records' units onto the box and
// the state the records set.
class Player {
public:
    Player(const MetafilePicture& picture, gdi::Device& device, const gdi::Rect& box)
        : picture_(picture), device_(device), box_(box) {
        if (picture.format == MetafilePicture::Format::Wmf) {
            // The window of the placeable box maps onto the whole picture.
            state_.anisotropic = true;
            state_.winOrgX = picture.left;
            state_.winOrgY = picture.top;
            state_.winExtX = picture.width;
            state_.winExtY = picture.height;
            state_.vpExtX = picture.width;
            state_.vpExtY = picture.height;
            state_.vpOrgX = picture.left;
            state_.vpOrgY = picture.top;
        }
        device_.clipTo(box_);
        device_.setBackgroundMode(gdi::BackgroundMode::Opaque);
        device_.setRasterOp(gdi::RasterOp::CopyPen);
        device_.setPen({});
        device_.setBrush(gdi::Brush::solid(gdi::rgb(255, 255, 255)));
        device_.setTextColor(0);
        device_.setBackgroundColor(gdi::rgb(255, 255, 255));
    }

    MetafilePlay play() {
        if (picture_.format == MetafilePicture::Format::Emf) {
            playEmf();
        } else {
            playWmf();
        }
        device_.clearClip();
        return report_;
    }

private:
    struct State {
        bool anisotropic = false;
        // The fixed metric modes (2 to 6): device pixels per unit, y upward;
        // 0 for the others.
        double metricX = 0, metricY = 0;
        double winOrgX = 0, winOrgY = 0, winExtX = 1, winExtY = 1;
        double vpOrgX = 0, vpOrgY = 0, vpExtX = 1, vpExtY = 1;
        gdi::Pen pen;
        gdi::Brush brush = gdi::Brush::solid(gdi::rgb(255, 255, 255));
        gdi::LogFont font;
        gdi::ColorRef textColor = 0;
        gdi::ColorRef backgroundColor = gdi::rgb(255, 255, 255);
        gdi::BackgroundMode backgroundMode = gdi::BackgroundMode::Opaque;
        gdi::RasterOp rop = gdi::RasterOp::CopyPen;
        std::uint32_t textAlign = 0;
        gdi::Rect clip;
        bool clipped = false;
        std::vector<gdi::Rect> excluded;
        gdi::Point position;
    };

    // --- Mapping -------------------------------------------------------------------
    double viewportX(double x) const {
        if (state_.metricX != 0) return (x - state_.winOrgX) * state_.metricX + state_.vpOrgX;
        if (!state_.anisotropic || state_.winExtX == 0) return x - state_.winOrgX + state_.vpOrgX;
        return (x - state_.winOrgX) * state_.vpExtX / state_.winExtX + state_.vpOrgX;
    }
    double viewportY(double y) const {
        if (state_.metricY != 0) return (state_.winOrgY - y) * state_.metricY + state_.vpOrgY;
        if (!state_.anisotropic || state_.winExtY == 0) return y - state_.winOrgY + state_.vpOrgY;
        return (y - state_.winOrgY) * state_.vpExtY / state_.winExtY + state_.vpOrgY;
    }
    static std::int32_t toDevice(double v) {
        if (!(v > -1e9)) return -1000000000;
        if (v > 1e9) return 1000000000;
        return static_cast<std::int32_t>(std::lround(v));
    }
    std::int32_t x(double v) const {
        return toDevice(box_.left + (viewportX(v) - picture_.left) * box_.width() / picture_.width);
    }
    std::int32_t y(double v) const {
        return toDevice(box_.top + (viewportY(v) - picture_.top) * box_.height() / picture_.height);
    }
    gdi::Point point(double px, double py) const { return {x(px), y(py)}; }
    // Device pixels per record unit.
    double scaleX() const { return std::abs(x(1000.0) - x(0.0)) / 1000.0; }
    double scaleY() const { return std::abs(y(1000.0) - y(0.0)) / 1000.0; }
    gdi::Rect rect(double l, double t, double r, double b) const {
        const gdi::Point a = point(l, t), c = point(r, b);
        return {std::min(a.x, c.x), std::min(a.y, c.y), std::max(a.x, c.x), std::max(a.y, c.y)};
    }

    // --- State ---------------------------------------------------------------------
    // The pen and font reach the device just before a drawing needs them:
    // a file that selects fonts without end makes no fonts.
    void applyPen() { penDirty_ = true; }
    void applyFont() { fontDirty_ = true; }
    void ready() {
        if (penDirty_) setDevicePen();
        if (fontDirty_) setDeviceFont();
    }
    void setDevicePen() {
        penDirty_ = false;
        gdi::Pen pen = state_.pen;
        if (pen.width > 0) {
            pen.width = std::max(
                1, static_cast<std::int32_t>(std::lround(std::min(pen.width * scaleX(), 1000.0))));
        }
        device_.setPen(pen);
    }
    void setDeviceFont() {
        fontDirty_ = false;
        gdi::LogFont font = state_.font;
        const double s = scaleY();
        font.height =
            static_cast<std::int32_t>(std::lround(std::clamp(font.height * s, -4000.0, 4000.0)));
        font.width =
            static_cast<std::int32_t>(std::lround(std::clamp(font.width * s, 0.0, 4000.0)));
        if (font.height == 0 && state_.font.height != 0)
            font.height = state_.font.height < 0 ? -1 : 1;
        device_.setFont(font);
    }
    void applyAll() {
        applyPen();
        device_.setBrush(state_.brush);
        applyFont();
        device_.setTextColor(state_.textColor);
        device_.setBackgroundColor(state_.backgroundColor);
        device_.setBackgroundMode(state_.backgroundMode);
        device_.setRasterOp(state_.rop);
        applyClip();
    }
    void applyClip() {
        gdi::Rect region = box_;
        if (state_.clipped) {
            const gdi::Rect& c = state_.clip;
            region = {std::max(c.left, box_.left), std::max(c.top, box_.top),
                      std::min(c.right, box_.right), std::min(c.bottom, box_.bottom)};
            if (region.width() <= 0 || region.height() <= 0) {
                region = {box_.left, box_.top, box_.left, box_.top};
            }
        }
        device_.clipTo(region);
        for (const gdi::Rect& r : state_.excluded) device_.excludeClip(r);
    }
    void excludeClip(const gdi::Rect& r) {
        if (state_.excluded.size() < kMaxExclusions) state_.excluded.push_back(r);
        device_.excludeClip(r);
    }
    void intersectClip(const gdi::Rect& r) {
        if (state_.clipped) {
            const gdi::Rect& c = state_.clip;
            state_.clip = {std::max(c.left, r.left), std::max(c.top, r.top),
                           std::min(c.right, r.right), std::min(c.bottom, r.bottom)};
        } else {
            state_.clip = r;
            state_.clipped = true;
        }
        applyClip();
    }
    void saveState() {
        if (saved_.size() < kMaxSavedStates) {
            saved_.push_back(state_);
        } else {
            ++droppedSaves_;  // restored first, as nothing
        }
    }
    void restoreState(std::int32_t which) {
        // Negative: that many back; positive: the state saved as number
        // `which` (counted from 1).
        if (which == -1 && droppedSaves_ > 0) {
            --droppedSaves_;
            return;
        }
        std::size_t keep;
        if (which < 0) {
            const std::size_t back = static_cast<std::size_t>(-static_cast<std::int64_t>(which));
            if (back > saved_.size()) return;
            keep = saved_.size() - back;
        } else {
            if (which == 0 || static_cast<std::size_t>(which) > saved_.size()) return;
            keep = static_cast<std::size_t>(which) - 1;
        }
        state_ = saved_[keep];
        saved_.resize(keep);
        applyAll();
    }
    void select(const Object& object) {
        if (const auto* pen = std::get_if<gdi::Pen>(&object)) {
            state_.pen = *pen;
            applyPen();
        } else if (const auto* brush = std::get_if<gdi::Brush>(&object)) {
            state_.brush = *brush;
            device_.setBrush(*brush);
        } else if (const auto* font = std::get_if<gdi::LogFont>(&object)) {
            state_.font = *font;
            applyFont();
        }
    }
    // The stock objects of the enhanced metafile.
    void selectStock(std::uint32_t index) {
        switch (index & 0x7FFFFFFF) {
            case 0:
                select(gdi::Brush::solid(gdi::rgb(255, 255, 255)));
                break;
            case 1:
                select(gdi::Brush::solid(gdi::rgb(192, 192, 192)));
                break;
            case 2:
                select(gdi::Brush::solid(gdi::rgb(128, 128, 128)));
                break;
            case 3:
                select(gdi::Brush::solid(gdi::rgb(64, 64, 64)));
                break;
            case 4:
                select(gdi::Brush::solid(0));
                break;
            case 5:
                select(gdi::Brush::hollow());
                break;
            case 6:
                select(gdi::Pen{gdi::PenStyle::Solid, 0, gdi::rgb(255, 255, 255)});
                break;
            case 7:
                select(gdi::Pen{gdi::PenStyle::Solid, 0, 0});
                break;
            case 8:
                select(gdi::Pen{gdi::PenStyle::Null, 0, 0});
                break;
            default:
                // The stock fonts; 15 is the default palette.
                if ((index & 0x7FFFFFFF) >= 10 && (index & 0x7FFFFFFF) <= 17 &&
                    (index & 0x7FFFFFFF) != 15) {
                    select(gdi::LogFont{});
                }
                break;
        }
    }
    static gdi::Pen penOf(std::uint32_t style, std::int32_t width, gdi::ColorRef color) {
        gdi::Pen pen;
        const std::uint32_t kind = style & 0x0F;
        pen.style = kind <= 6 ? static_cast<gdi::PenStyle>(kind) : gdi::PenStyle::Solid;
        pen.width = std::max(0, width);
        pen.color = color & 0x00FFFFFF;
        return pen;
    }
    static gdi::Brush brushOf(std::uint32_t style, gdi::ColorRef color, std::uint32_t hatch) {
        color &= 0x00FFFFFF;
        if (style == 1) return gdi::Brush::hollow();
        if (style == 2 && hatch <= 5)
            return gdi::Brush::hatched(static_cast<gdi::Hatch>(hatch), color);
        // Solid, and patterns we cannot draw as their colour.
        return gdi::Brush::solid(color);
    }

    // --- Drawing -------------------------------------------------------------------
    void text(gdi::Point at, std::string utf8) {
        if (utf8.empty()) return;
        ready();
        if (utf8Length(utf8) > kMaxTextCharacters) {
            utf8 = std::string(firstCharacters(utf8, kMaxTextCharacters));
        }
        const std::uint32_t align = state_.textAlign;
        const bool needsSize = (align & 0x06) != 0 || (align & 0x18) != 0;
        if (needsSize) {
            const gdi::Size size = device_.textExtent(utf8);
            std::int64_t x = at.x, y = at.y;
            if ((align & 0x06) == 0x06) {
                x -= size.cx / 2;
            } else if ((align & 0x06) == 0x02) {
                x -= size.cx;
            }
            if ((align & 0x18) == 0x18) {
                y -= size.cy * 4 / 5;  // the baseline, about where it is
            } else if ((align & 0x18) == 0x08) {
                y -= size.cy;
            }
            at = {toDevice(static_cast<double>(x)), toDevice(static_cast<double>(y))};
        }
        device_.textOut(at, utf8);
    }
    // Several polygons filled as one with the alternate rule: joined at
    // their first points, so that each joint is passed twice and leaves no
    // trace in the fill; the outlines are drawn apart.
    // Rings are never empty (the records' empty ones are left out).
    void polyPolygon(const std::vector<std::vector<gdi::Point>>& rings) {
        if (rings.empty()) return;
        ready();
        if (rings.size() == 1) {
            draw().polygon(rings[0].data(), rings[0].size());
            return;
        }
        std::vector<gdi::Point> joined;
        for (const auto& ring : rings) {
            joined.insert(joined.end(), ring.begin(), ring.end());
            joined.push_back(ring.front());
            joined.push_back(rings.front().front());
        }
        device_.setPen({gdi::PenStyle::Null, 0, 0});
        draw().polygon(joined.data(), joined.size());
        setDevicePen();
        for (const auto& ring : rings) {
            if (ring.size() < 2) continue;
            std::vector<gdi::Point> closed = ring;
            closed.push_back(ring.front());
            draw().polyline(closed.data(), closed.size());
        }
    }

    // An object an EMF record makes at its index (0 is the file itself).
    void keep(std::uint32_t index, Object object) {
        if (index > 0 && index <= kMaxEmfObject) objects_[index] = std::move(object);
    }

    // The device for a drawing: the pen and font it needs set first.
    gdi::Device& draw() {
        ready();
        return device_;
    }

    void skip(std::uint32_t type) {
        ++report_.skipped;
        ++report_.skippedTypes[type];
    }

    void playEmf();
    bool playEmfRecord(const Reader& r, std::size_t at, std::uint32_t type, std::uint32_t size);
    void playWmf();
    bool playWmfRecord(const Reader& r, std::size_t at, std::uint16_t function, std::size_t size);
    int takeWmfSlot();

    const MetafilePicture& picture_;
    gdi::Device& device_;
    gdi::Rect box_;
    State state_;
    std::vector<State> saved_;
    std::map<std::uint32_t, Object> objects_;
    std::set<int> freeSlots_;  // WMF: slots freed below nextSlot_
    int nextSlot_ = 0;
    MetafilePlay report_;
    bool penDirty_ = true, fontDirty_ = true;
    std::size_t droppedSaves_ = 0;
};

// --- The enhanced metafile ---------------------------------------------------------

void Player::playEmf() {
    const Reader r(picture_.bytes);
    std::size_t at = 0;
    while (r.has(at, 8)) {
        const std::uint32_t type = r.u32(at);
        const std::uint32_t size = r.u32(at + 4);
        if (size < 8 || size % 4 != 0 || !r.has(at, size)) {
            report_.damaged = true;
            return;
        }
        if (type == emr::Eof) {
            ++report_.records;
            return;
        }
        if (!playEmfRecord(r, at, type, size)) {
            report_.damaged = true;
            return;
        }
        at += size;
    }
    // No end record.
    report_.damaged = true;
}

bool Player::playEmfRecord(const Reader& r, std::size_t at, std::uint32_t type,
                           std::uint32_t size) {
    auto need = [&](std::size_t bytes) { return size >= bytes; };
    auto points = [&](std::size_t offset, std::uint32_t count, bool small,
                      std::vector<gdi::Point>& out) {
        const std::size_t each = small ? 4 : 8;
        if (count > (size - std::min<std::size_t>(size, offset)) / each) return false;
        out.clear();
        out.reserve(count);
        for (std::uint32_t i = 0; i < count; ++i) {
            const std::size_t p = at + offset + i * each;
            if (small) {
                out.push_back(point(r.i16(p), r.i16(p + 2)));
            } else {
                out.push_back(point(r.i32(p), r.i32(p + 4)));
            }
        }
        return true;
    };
    ++report_.records;
    std::vector<gdi::Point> pts;
    switch (type) {
        case emr::Header:
            return true;
        case emr::SetMapMode: {
            if (!need(12)) return false;
            // The metric modes: millimetres a unit, y upward.
            static constexpr double kMillimetres[] = {0.1, 0.01, 0.254, 0.0254, 25.4 / 1440};
            const std::uint32_t mode = r.u32(at + 8);
            state_.anisotropic = mode == 7 || mode == 8;
            const bool metric = mode >= 2 && mode <= 6;
            state_.metricX = metric ? kMillimetres[mode - 2] * picture_.pixelsPerMmX : 0;
            state_.metricY = metric ? kMillimetres[mode - 2] * picture_.pixelsPerMmY : 0;
            applyPen();
            applyFont();
            return true;
        }
        case emr::SetWindowExtEx:
        case emr::SetWindowOrgEx:
        case emr::SetViewportExtEx:
        case emr::SetViewportOrgEx: {
            if (!need(16)) return false;
            const double a = r.i32(at + 8), b = r.i32(at + 12);
            if (type == emr::SetWindowExtEx && a != 0 && b != 0) {
                state_.winExtX = a, state_.winExtY = b;
            } else if (type == emr::SetWindowOrgEx) {
                state_.winOrgX = a, state_.winOrgY = b;
            } else if (type == emr::SetViewportExtEx && a != 0 && b != 0) {
                state_.vpExtX = a, state_.vpExtY = b;
            } else if (type == emr::SetViewportOrgEx) {
                state_.vpOrgX = a, state_.vpOrgY = b;
            }
            applyPen();
            applyFont();
            return true;
        }
        case emr::SetBkMode:
            if (!need(12)) return false;
            state_.backgroundMode =
                r.u32(at + 8) == 1 ? gdi::BackgroundMode::Transparent : gdi::BackgroundMode::Opaque;
            device_.setBackgroundMode(state_.backgroundMode);
            return true;
        case emr::SetPolyFillMode:
            return need(12);
        case emr::SetRop2: {
            if (!need(12)) return false;
            const std::uint32_t op = r.u32(at + 8);
            state_.rop = op == 1 || op == 6 || op == 7 ? static_cast<gdi::RasterOp>(op)
                                                       : gdi::RasterOp::CopyPen;
            device_.setRasterOp(state_.rop);
            return true;
        }
        case emr::SetTextAlign:
            if (!need(12)) return false;
            state_.textAlign = r.u32(at + 8);
            return true;
        case emr::SetTextColor:
            if (!need(12)) return false;
            state_.textColor = r.u32(at + 8) & 0x00FFFFFF;
            device_.setTextColor(state_.textColor);
            return true;
        case emr::SetBkColor:
            if (!need(12)) return false;
            state_.backgroundColor = r.u32(at + 8) & 0x00FFFFFF;
            device_.setBackgroundColor(state_.backgroundColor);
            return true;
        case emr::MoveToEx:
            if (!need(16)) return false;
            state_.position = point(r.i32(at + 8), r.i32(at + 12));
            device_.moveTo(state_.position);
            return true;
        case emr::LineTo:
            if (!need(16)) return false;
            state_.position = point(r.i32(at + 8), r.i32(at + 12));
            draw().lineTo(state_.position);
            return true;
        case emr::Polyline:
        case emr::Polygon:
        case emr::Polyline16:
        case emr::Polygon16: {
            if (!need(28)) return false;
            const bool small = type == emr::Polyline16 || type == emr::Polygon16;
            if (!points(28, r.u32(at + 24), small, pts)) return false;
            if (type == emr::Polygon || type == emr::Polygon16) {
                draw().polygon(pts.data(), pts.size());
            } else {
                draw().polyline(pts.data(), pts.size());
            }
            return true;
        }
        case 7:     // EMR_POLYPOLYLINE
        case 8:     // EMR_POLYPOLYGON
        case 90:    // EMR_POLYPOLYLINE16
        case 91: {  // EMR_POLYPOLYGON16
            if (!need(32)) return false;
            const std::uint32_t polys = r.u32(at + 24);
            const std::uint32_t total = r.u32(at + 28);
            if (polys > (size - 32) / 4) return false;
            const std::size_t countsEnd = 32 + std::size_t{polys} * 4;
            const bool small = type == 90 || type == 91;
            if (!points(countsEnd, total, small, pts)) return false;
            std::vector<std::vector<gdi::Point>> rings;
            std::size_t from = 0;
            for (std::uint32_t i = 0; i < polys; ++i) {
                const std::uint32_t n = r.u32(at + 32 + std::size_t{i} * 4);
                if (n > pts.size() - from) return false;
                if (n == 0) continue;
                rings.emplace_back(pts.begin() + static_cast<std::ptrdiff_t>(from),
                                   pts.begin() + static_cast<std::ptrdiff_t>(from + n));
                from += n;
            }
            if (type == 8 || type == 91) {
                polyPolygon(rings);
            } else {
                for (const auto& ring : rings) draw().polyline(ring.data(), ring.size());
            }
            return true;
        }
        case emr::Rectangle:
        case emr::Ellipse:
        case emr::RoundRect: {
            if (!need(type == emr::RoundRect ? 32 : 24)) return false;
            const gdi::Rect b = rect(r.i32(at + 8), r.i32(at + 12), r.i32(at + 16), r.i32(at + 20));
            if (type == emr::Rectangle) {
                draw().rectangle(b);
            } else if (type == emr::Ellipse) {
                draw().ellipse(b);
            } else {
                draw().roundRect(b, toDevice(std::abs(r.i32(at + 24) * scaleX())),
                                 toDevice(std::abs(r.i32(at + 28) * scaleY())));
            }
            return true;
        }
        case emr::CreatePen:
            if (!need(28)) return false;
            keep(r.u32(at + 8), penOf(r.u32(at + 12), r.i32(at + 16), r.u32(at + 24)));
            return true;
        case 95:  // EMR_EXTCREATEPEN: the pen's style, width and colour
            if (!need(44)) return false;
            keep(r.u32(at + 8), penOf(r.u32(at + 28), r.i32(at + 32), r.u32(at + 40)));
            return true;
        case emr::CreateBrushIndirect:
            if (!need(24)) return false;
            keep(r.u32(at + 8), brushOf(r.u32(at + 12), r.u32(at + 16), r.u32(at + 20)));
            return true;
        case emr::ExtCreateFontIndirectW: {
            if (!need(12 + 92)) return false;
            gdi::LogFont f;
            const std::size_t p = at + 12;
            setFontFields(f, {r.i32(p), r.i32(p + 4), r.i32(p + 8), r.i32(p + 12), r.i32(p + 16)},
                          r.span(p + 20, 8));
            std::u16string face;
            for (std::size_t i = 0; i < 32; ++i) {
                const char16_t c = r.u16(p + 28 + i * 2);
                if (c == 0) break;
                face += c;
            }
            f.faceName = utf16ToUtf8(face);
            if (f.faceName.size() > gdi::LogFont::kMaxFaceName)
                f.faceName.resize(gdi::LogFont::kMaxFaceName);
            keep(r.u32(at + 8), f);
            return true;
        }
        case emr::SelectObject: {
            if (!need(12)) return false;
            const std::uint32_t index = r.u32(at + 8);
            if ((index & 0x80000000u) != 0) {
                selectStock(index);
            } else if (auto it = objects_.find(index); it != objects_.end()) {
                select(it->second);
            }
            return true;
        }
        case emr::DeleteObject:
            if (!need(12)) return false;
            objects_.erase(r.u32(at + 8));
            return true;
        case emr::ExtTextOutW: {
            if (!need(76)) return false;
            const std::int32_t px = r.i32(at + 36), py = r.i32(at + 40);
            const std::uint32_t chars = r.u32(at + 44);
            const std::uint32_t offString = r.u32(at + 48);
            if (offString < 76 || offString > size || chars > (size - offString) / 2) return false;
            // Glyph indexes are no characters.
            if ((r.u32(at + 52) & 0x10) != 0) {
                --report_.records;
                skip(type);
                return true;
            }
            std::u16string wide;
            wide.reserve(chars);
            for (std::uint32_t i = 0; i < chars; ++i)
                wide += static_cast<char16_t>(r.u16(at + offString + i * 2));
            text(point(px, py), utf16ToUtf8(wide));
            return true;
        }
        case emr::StretchDIBits: {
            if (!need(80)) return false;
            const std::int32_t xDest = r.i32(at + 24), yDest = r.i32(at + 28);
            const std::int32_t cxSrc = r.i32(at + 40), cySrc = r.i32(at + 44);
            const std::uint32_t offInfo = r.u32(at + 48), cbInfo = r.u32(at + 52);
            const std::uint32_t offBits = r.u32(at + 56), cbBits = r.u32(at + 60);
            const std::uint32_t rop = r.u32(at + 68);
            const std::int32_t cxDest = r.i32(at + 72), cyDest = r.i32(at + 76);
            if (offInfo > size || cbInfo > size - offInfo || offBits > size ||
                cbBits > size - offBits) {
                return false;
            }
            std::optional<gdi::Dib> dib =
                dibOf(r.span(at + offInfo, cbInfo), r.span(at + offBits, cbBits));
            // Palette indexes (usage 1) and parts of a bitmap are not drawn.
            if (!dib || r.u32(at + 64) != 0 || cxSrc != dib->width || cySrc != dib->height ||
                r.i32(at + 32) != 0 || r.i32(at + 36) != 0) {
                --report_.records;
                skip(type);
                return true;
            }
            const gdi::Rect b = rect(xDest, yDest, double(xDest) + cxDest, double(yDest) + cyDest);
            device_.drawBitmap(*dib, b,
                               rop == 0x008800C6 ? gdi::BitmapOp::And : gdi::BitmapOp::Copy);
            return true;
        }
        case emr::IntersectClipRect:
            if (!need(24)) return false;
            intersectClip(rect(r.i32(at + 8), r.i32(at + 12), r.i32(at + 16), r.i32(at + 20)));
            return true;
        case emr::ExcludeClipRect:
            if (!need(24)) return false;
            device_.excludeClip(
                rect(r.i32(at + 8), r.i32(at + 12), r.i32(at + 16), r.i32(at + 20)));
            return true;
        case emr::ExtSelectClipRgn:
            if (!need(16)) return false;
            // No region with RGN_COPY: no clipping. Regions of their own
            // are not drawn.
            if (r.u32(at + 8) == 0 && r.u32(at + 12) == 5) {
                state_.clipped = false;
                state_.excluded.clear();
                applyClip();
            } else {
                skip(type);
            }
            return true;
        case emr::SaveDC:
            saveState();
            return true;
        case emr::RestoreDC:
            if (!need(12)) return false;
            restoreState(r.i32(at + 8));
            return true;
        case 13:   // EMR_SETBRUSHORGEX
        case 16:   // EMR_SETMAPPERFLAGS
        case 21:   // EMR_SETSTRETCHBLTMODE
        case 58:   // EMR_SETMITERLIMIT
        case 98:   // EMR_SETICMMODE
        case 115:  // EMR_SETLAYOUT
            // Settings that change nothing we draw.
            return true;
        default:
            --report_.records;
            skip(type);
            return true;
    }
}

// --- The Windows metafile ------------------------------------------------------------

int Player::takeWmfSlot() {
    if (!freeSlots_.empty()) {
        const int slot = *freeSlots_.begin();
        freeSlots_.erase(freeSlots_.begin());
        return slot;
    }
    if (nextSlot_ >= kMaxWmfSlots) return -1;
    return nextSlot_++;
}

void Player::playWmf() {
    const Reader r(picture_.bytes);
    // After the placeable header (when there is one) and the 18-byte header.
    std::size_t at = (r.has(0, 4) && r.u32(0) == kPlaceableKey ? 22 : 0) + 18;
    while (r.has(at, 6)) {
        const std::uint32_t words = r.u32(at);
        const std::uint16_t function = r.u16(at + 4);
        if (words < 3 || words > r.size() / 2 || !r.has(at, std::size_t{words} * 2)) {
            report_.damaged = true;
            return;
        }
        if (function == meta::Eof) {
            ++report_.records;
            return;
        }
        if (!playWmfRecord(r, at, function, std::size_t{words} * 2)) {
            report_.damaged = true;
            return;
        }
        at += std::size_t{words} * 2;
    }
    report_.damaged = true;
}

bool Player::playWmfRecord(const Reader& r, std::size_t at, std::uint16_t function,
                           std::size_t size) {
    auto need = [&](std::size_t bytes) { return size >= bytes; };
    const std::size_t p = at + 6;  // the parameters
    ++report_.records;
    std::vector<gdi::Point> pts;
    auto readPoints = [&](std::size_t offset, std::size_t count) {
        if (count > (size - std::min(size, offset)) / 4) return false;
        pts.clear();
        pts.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            pts.push_back(point(r.i16(at + offset + i * 4), r.i16(at + offset + i * 4 + 2)));
        }
        return true;
    };
    auto boxAt = [&](std::size_t q) {
        // Bottom, right, top, left.
        return rect(r.i16(q + 6), r.i16(q + 4), r.i16(q + 2), r.i16(q));
    };
    switch (function) {
        case meta::SetBkMode:
            if (!need(8)) return false;
            state_.backgroundMode =
                r.u16(p) == 1 ? gdi::BackgroundMode::Transparent : gdi::BackgroundMode::Opaque;
            device_.setBackgroundMode(state_.backgroundMode);
            return true;
        case meta::SetMapMode:
            // The placeable picture is drawn through its window whatever
            // the mode.
            return need(8);
        case meta::SetRop2: {
            if (!need(8)) return false;
            const std::uint16_t op = r.u16(p);
            state_.rop = op == 1 || op == 6 || op == 7 ? static_cast<gdi::RasterOp>(op)
                                                       : gdi::RasterOp::CopyPen;
            device_.setRasterOp(state_.rop);
            return true;
        }
        case meta::SetPolyFillMode:
            return need(8);
        case meta::SetTextAlign:
            if (!need(8)) return false;
            state_.textAlign = r.u16(p);
            return true;
        case meta::SetBkColor:
        case meta::SetTextColor:
            if (!need(10)) return false;
            if (function == meta::SetBkColor) {
                state_.backgroundColor = r.u32(p) & 0x00FFFFFF;
                device_.setBackgroundColor(state_.backgroundColor);
            } else {
                state_.textColor = r.u32(p) & 0x00FFFFFF;
                device_.setTextColor(state_.textColor);
            }
            return true;
        case meta::SetWindowOrg:
        case meta::SetWindowExt:
            if (!need(10)) return false;
            if (function == meta::SetWindowOrg) {
                state_.winOrgY = r.i16(p), state_.winOrgX = r.i16(p + 2);
            } else if (r.i16(p) != 0 && r.i16(p + 2) != 0) {
                state_.winExtY = r.i16(p), state_.winExtX = r.i16(p + 2);
            }
            applyPen();
            applyFont();
            return true;
        case 0x020D:  // META_SETVIEWPORTORG
        case 0x020E:  // META_SETVIEWPORTEXT
            return need(10);
        case meta::MoveTo:
        case meta::LineTo:
            if (!need(10)) return false;
            state_.position = point(r.i16(p + 2), r.i16(p));
            if (function == meta::MoveTo) {
                device_.moveTo(state_.position);
            } else {
                draw().lineTo(state_.position);
            }
            return true;
        case meta::Polyline:
        case meta::Polygon: {
            if (!need(8)) return false;
            if (!readPoints(8, static_cast<std::uint16_t>(r.i16(p)))) return false;
            if (function == meta::Polygon) {
                draw().polygon(pts.data(), pts.size());
            } else {
                draw().polyline(pts.data(), pts.size());
            }
            return true;
        }
        case 0x0538: {  // META_POLYPOLYGON
            if (!need(8)) return false;
            const std::size_t polys = r.u16(p);
            if (polys > (size - 8) / 2) return false;
            std::size_t total = 0;
            for (std::size_t i = 0; i < polys; ++i) total += r.u16(p + 2 + i * 2);
            if (!readPoints(8 + polys * 2, total)) return false;
            std::vector<std::vector<gdi::Point>> rings;
            std::size_t from = 0;
            for (std::size_t i = 0; i < polys; ++i) {
                const std::size_t n = r.u16(p + 2 + i * 2);
                if (n == 0) continue;
                rings.emplace_back(pts.begin() + static_cast<std::ptrdiff_t>(from),
                                   pts.begin() + static_cast<std::ptrdiff_t>(from + n));
                from += n;
            }
            polyPolygon(rings);
            return true;
        }
        case meta::Rectangle:
        case meta::Ellipse:
            if (!need(14)) return false;
            if (function == meta::Rectangle) {
                draw().rectangle(boxAt(p));
            } else {
                draw().ellipse(boxAt(p));
            }
            return true;
        case meta::RoundRect:
            if (!need(18)) return false;
            draw().roundRect(boxAt(p + 4), toDevice(std::abs(r.i16(p + 2) * scaleX())),
                             toDevice(std::abs(r.i16(p) * scaleY())));
            return true;
        case meta::CreatePenIndirect:
        case meta::CreateBrushIndirect:
        case meta::CreateFontIndirect:
        case 0x00F7:    // META_CREATEPALETTE
        case 0x01F9:    // META_CREATEPATTERNBRUSH
        case 0x0142:    // META_DIBCREATEPATTERNBRUSH
        case 0x06FF: {  // META_CREATEREGION
            // Every object takes the lowest free slot, also those we do not
            // draw, so that the slots of the others stay right.
            Object object;
            if (function == meta::CreatePenIndirect) {
                if (!need(16)) return false;
                object = penOf(r.u16(p), r.i16(p + 2), r.u32(p + 6));
            } else if (function == meta::CreateBrushIndirect) {
                if (!need(14)) return false;
                object = brushOf(r.u16(p), r.u32(p + 2), r.u16(p + 6));
            } else if (function == meta::CreateFontIndirect) {
                if (!need(6 + 18)) return false;
                gdi::LogFont f;
                setFontFields(f, {r.i16(p), r.i16(p + 2), r.i16(p + 4), r.i16(p + 6), r.i16(p + 8)},
                              r.span(p + 10, 8));
                std::string face;
                for (std::size_t i = p + 18; i < at + size && face.size() < 32; ++i) {
                    const auto c = static_cast<char>(r.span(i, 1)[0]);
                    if (c == '\0') break;
                    face += c;
                }
                f.faceName = toUtf8(face);
                if (f.faceName.size() > gdi::LogFont::kMaxFaceName) {
                    f.faceName.resize(gdi::LogFont::kMaxFaceName);
                }
                object = f;
            }
            const int slot = takeWmfSlot();
            if (slot >= 0) objects_[static_cast<std::uint32_t>(slot)] = object;
            if (std::holds_alternative<std::monostate>(object)) {
                --report_.records;
                skip(function);
            }
            return true;
        }
        case meta::SelectObject:
            if (!need(8)) return false;
            if (auto it = objects_.find(r.u16(p)); it != objects_.end()) select(it->second);
            return true;
        case meta::DeleteObject: {
            if (!need(8)) return false;
            const std::uint16_t slot = r.u16(p);
            if (objects_.erase(slot) != 0) freeSlots_.insert(slot);
            return true;
        }
        case meta::TextOut: {
            if (!need(8)) return false;
            const std::size_t length = static_cast<std::uint16_t>(r.i16(p));
            const std::size_t padded = (length + 1) / 2 * 2;
            if (!need(8 + padded + 4)) return false;
            const auto bytes = r.span(p + 2, length);
            const std::string raw(bytes.begin(), bytes.end());
            text(point(r.i16(p + 2 + padded + 2), r.i16(p + 2 + padded)),
                 state_.font.charSet == 204 ? cp1251ToUtf8(raw) : toUtf8(raw));
            return true;
        }
        case meta::ExtTextOut: {
            if (!need(14)) return false;
            const std::int16_t ty = r.i16(p), tx = r.i16(p + 2);
            const std::size_t length = static_cast<std::uint16_t>(r.i16(p + 4));
            const std::uint16_t options = r.u16(p + 6);
            std::size_t q = p + 8;
            if ((options & 0x0006) != 0) q += 8;  // the rectangle of ETO_OPAQUE / ETO_CLIPPED
            if (q > at + size || length > at + size - q) return false;
            const auto bytes = r.span(q, length);
            const std::string raw(bytes.begin(), bytes.end());
            text(point(tx, ty), state_.font.charSet == 204 ? cp1251ToUtf8(raw) : toUtf8(raw));
            return true;
        }
        case meta::StretchDib: {
            if (!need(28)) return false;
            const std::uint32_t rop = r.u32(p);
            const std::int16_t srcHeight = r.i16(p + 6), srcWidth = r.i16(p + 8);
            const std::int16_t ySrc = r.i16(p + 10), xSrc = r.i16(p + 12);
            const std::int16_t destHeight = r.i16(p + 14), destWidth = r.i16(p + 16);
            const std::int16_t yDst = r.i16(p + 18), xDst = r.i16(p + 20);
            const std::size_t dibAt = p + 22;
            const std::size_t dibSize = at + size - dibAt;
            const auto dibBytes = r.span(dibAt, dibSize);
            // The bits follow the header and its colour table.
            Reader info(dibBytes);
            if (!info.has(0, 40)) return false;
            const std::uint32_t headerSize = info.u32(0);
            const std::uint16_t depth = info.u16(14);
            std::uint32_t colours = info.u32(32);
            if (depth <= 8 && depth > 0 && (colours == 0 || colours > (1u << depth)))
                colours = 1u << depth;
            // Deeper bitmaps may still have a table of the colours they use.
            if (depth > 8 && colours > 65536) colours = 0;
            const std::uint64_t bitsAt = std::uint64_t{headerSize} + std::uint64_t{colours} * 4;
            if (headerSize < 40 || bitsAt > dibSize) {
                --report_.records;
                skip(function);
                return true;
            }
            std::optional<gdi::Dib> dib =
                dibOf(dibBytes.subspan(0, static_cast<std::size_t>(bitsAt)),
                      dibBytes.subspan(static_cast<std::size_t>(bitsAt)));
            if (!dib || xSrc != 0 || ySrc != 0 || srcWidth != dib->width ||
                srcHeight != dib->height) {
                --report_.records;
                skip(function);
                return true;
            }
            const gdi::Rect b =
                rect(xDst, yDst, double(xDst) + destWidth, double(yDst) + destHeight);
            device_.drawBitmap(*dib, b,
                               rop == 0x008800C6 ? gdi::BitmapOp::And : gdi::BitmapOp::Copy);
            return true;
        }
        case meta::IntersectClipRect:
            if (!need(14)) return false;
            intersectClip(boxAt(p));
            return true;
        case meta::ExcludeClipRect:
            if (!need(14)) return false;
            excludeClip(boxAt(p));
            return true;
        case meta::SaveDC:
            saveState();
            return true;
        case meta::RestoreDC:
            if (!need(8)) return false;
            restoreState(r.i16(p));
            return true;
        default:
            --report_.records;
            skip(function);
            return true;
    }
}

bool fail(std::string* error, const char* why) {
    if (error != nullptr) *error = why;
    return false;
}

// The enhanced metafile's header: the frame in reference pixels.
bool parseEmfHeader(MetafilePicture& picture, std::string* error) {
    const Reader r(picture.bytes);
    if (!r.has(0, 88) || r.u32(0) != emr::Header) return fail(error, "no header record");
    const std::uint32_t headerSize = r.u32(4);
    if (headerSize < 88 || !r.has(0, headerSize)) return fail(error, "a header of a wrong size");
    if (r.u32(40) != kEmfSignature) return fail(error, "no EMF signature");
    const std::int32_t fl = r.i32(24), ft = r.i32(28), fr = r.i32(32), fb = r.i32(36);
    const std::int32_t devX = r.i32(72), devY = r.i32(76), mmX = r.i32(80), mmY = r.i32(84);
    if (devX <= 0 || devY <= 0 || mmX <= 0 || mmY <= 0) return fail(error, "no reference device");
    if (fr <= fl || fb <= ft) return fail(error, "an empty frame");
    // Hundredths of a millimetre to pixels of the reference device, and to
    // pixels at 96 dots per inch for the picture's own size.
    const double pxX = devX / (mmX * 100.0), pxY = devY / (mmY * 100.0);
    picture.pixelsPerMmX = pxX * 100.0;
    picture.pixelsPerMmY = pxY * 100.0;
    picture.left = fl * pxX;
    picture.top = ft * pxY;
    picture.width = (static_cast<double>(fr) - fl + 1) * pxX;
    picture.height = (static_cast<double>(fb) - ft + 1) * pxY;
    const double w = (static_cast<double>(fr) - fl + 1) * 96.0 / 2540.0;
    const double h = (static_cast<double>(fb) - ft + 1) * 96.0 / 2540.0;
    if (!(w >= 1 && h >= 1 && w <= 1e6 && h <= 1e6)) return fail(error, "a frame of no size");
    picture.size = {static_cast<std::int32_t>(std::lround(w)),
                    static_cast<std::int32_t>(std::lround(h))};
    return true;
}

// The Windows metafile's headers: the placeable box, or the window the
// records set.
bool parseWmfHeader(MetafilePicture& picture, std::string* error) {
    const Reader r(picture.bytes);
    std::size_t at = 0;
    double inch = 0;
    if (r.has(0, 22) && r.u32(0) == kPlaceableKey) {
        std::uint16_t checksum = 0;
        for (std::size_t i = 0; i < 10; ++i) checksum ^= r.u16(i * 2);
        if (checksum != r.u16(20)) return fail(error, "a wrong checksum of the placeable header");
        const double l = r.i16(6), t = r.i16(8), rr = r.i16(10), b = r.i16(12);
        inch = r.u16(14);
        if (inch <= 0) return fail(error, "no units per inch");
        if (rr == l || b == t) return fail(error, "an empty box");
        picture.left = std::min(l, rr), picture.top = std::min(t, b);
        picture.width = std::abs(rr - l), picture.height = std::abs(b - t);
        at = 22;
    }
    if (!r.has(at, 18)) return fail(error, "no metafile header");
    const std::uint16_t type = r.u16(at), headerWords = r.u16(at + 2);
    if ((type != 1 && type != 2) || headerWords != 9) return fail(error, "a wrong metafile header");
    if (inch == 0) {
        // Without the placeable header, the window of the records is the
        // picture, at 96 dots per inch.
        const std::size_t end = picture.bytes.size();
        bool found = false;
        double ox = 0, oy = 0;
        for (std::size_t p = at + 18; r.has(p, 6);) {
            const std::uint32_t words = r.u32(p);
            if (words < 3 || std::size_t{words} * 2 > end - p) break;
            const std::uint16_t f = r.u16(p + 4);
            if (f == meta::SetWindowOrg && words >= 5) oy = r.i16(p + 6), ox = r.i16(p + 8);
            if (f == meta::SetWindowExt && words >= 5 && r.i16(p + 6) != 0 && r.i16(p + 8) != 0) {
                picture.height = std::abs(r.i16(p + 6)), picture.width = std::abs(r.i16(p + 8));
                found = true;
                break;
            }
            if (f == meta::Eof) break;
            p += std::size_t{words} * 2;
        }
        if (!found) return fail(error, "neither a placeable header nor a window");
        picture.left = ox, picture.top = oy;
        inch = 96;
    }
    picture.size = {
        std::max(1, static_cast<std::int32_t>(std::lround(picture.width * 96.0 / inch))),
        std::max(1, static_cast<std::int32_t>(std::lround(picture.height * 96.0 / inch)))};
    return true;
}

}  // namespace

std::optional<MetafilePicture> parseMetafile(std::vector<std::uint8_t> bytes, std::string* error) {
    MetafilePicture picture;
    const Reader r(bytes);
    const bool emf = r.has(0, 44) && r.u32(0) == emr::Header && r.u32(40) == kEmfSignature;
    picture.format = emf ? MetafilePicture::Format::Emf : MetafilePicture::Format::Wmf;
    picture.bytes = std::move(bytes);
    const bool ok = emf ? parseEmfHeader(picture, error) : parseWmfHeader(picture, error);
    if (!ok) return std::nullopt;
    return picture;
}

std::optional<MetafilePicture> readMetafile(const std::string& path) {
    FilePtr file = openBinaryRead(path);
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes;
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0) {
        if (bytes.size() + got > kMaxMetafileBytes) {
            warning(formatText(text(kNoMetafile), {path, "more than 256 MiB"}));
            return std::nullopt;
        }
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    if (std::ferror(file.get())) {
        warning(formatText(text(kCannotRead), {path}));
        return std::nullopt;
    }
    std::string why;
    std::optional<MetafilePicture> picture = parseMetafile(std::move(bytes), &why);
    if (!picture) warning(formatText(text(kNoMetafile), {path, why}));
    return picture;
}

MetafilePlay playMetafile(const MetafilePicture& picture, gdi::Device& device,
                          const gdi::Rect& box) {
    if (box.width() <= 0 || box.height() <= 0 || picture.width <= 0 || picture.height <= 0)
        return {};
    Player player(picture, device, box);
    MetafilePlay report = player.play();
    if (report.skipped > 0 || report.damaged) {
        std::string kinds;
        for (const auto& [type, count] : report.skippedTypes) {
            if (!kinds.empty()) kinds += ", ";
            kinds += std::to_string(type) + " ×" + std::to_string(count);
        }
        log("Metafile: " + std::to_string(report.skipped) + " records not drawn (" + kinds + ")" +
            (report.damaged ? "; the picture ends at a damaged record" : ""));
    }
    return report;
}

}  // namespace gridova
