// The drawing device: what the program draws on, with the semantics of the
// Windows graphics device interface it was designed for.
//
// Conventions every backend keeps:
// - Integer device coordinates in pixels, X to the right, Y downward.
// - Boxes (rectangle, ellipse, rounded rectangle, fills, clips) include
//   their left and top edges and exclude their right and bottom edges.
// - A pen of width 0 draws one-pixel lines whatever the scale; styled pens
//   (dash, dot, ...) are drawn one pixel wide.
// - Polygons are filled with the alternate (even-odd) rule.
// - Text is placed by the top-left corner of its cell; escapement turns it
//   by tenths of a degree counter-clockwise about that corner.
// - With the opaque background mode, text cells, the gaps of styled lines
//   and of hatch brushes are filled with the background colour.
// - Raster targets draw without antialiasing, at 96 dots per inch.
// - Colours are 0x00BBGGRR values.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dib.h"

namespace gridova::gdi {

using ColorRef = std::uint32_t;

constexpr ColorRef rgb(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFFu) | ((g & 0xFFu) << 8) | ((b & 0xFFu) << 16);
}
constexpr unsigned redOf(ColorRef c) { return c & 0xFFu; }
constexpr unsigned greenOf(ColorRef c) { return (c >> 8) & 0xFFu; }
constexpr unsigned blueOf(ColorRef c) { return (c >> 16) & 0xFFu; }

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t width() const { return right - left; }
    std::int32_t height() const { return bottom - top; }
    bool contains(Point p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// Pen styles by their Windows numbers.
enum class PenStyle : std::int32_t {
    Solid = 0,
    Dash = 1,        // 18 on, 6 off
    Dot = 2,         // 3 on, 3 off
    DashDot = 3,     // 9 on, 6 off, 3 on, 6 off
    DashDotDot = 4,  // 9, 3, 3, 3, 3, 3
    Null = 5,        // draws nothing
    InsideFrame = 6  // solid
};

struct Pen {
    PenStyle style = PenStyle::Solid;
    std::int32_t width = 0;  // pixels; 0 = one cosmetic pixel
    ColorRef color = 0;
    friend bool operator==(const Pen&, const Pen&) = default;
};

// Hatch styles by their Windows numbers.
enum class Hatch : std::int32_t {
    Horizontal = 0,
    Vertical = 1,
    ForwardDiagonal = 2,   // "\\\\"
    BackwardDiagonal = 3,  // "////"
    Cross = 4,
    DiagonalCross = 5
};

struct Brush {
    enum class Style { Solid, Hatched, Hollow };
    Style style = Style::Solid;
    ColorRef color = rgb(255, 255, 255);
    Hatch hatch = Hatch::Horizontal;

    static Brush solid(ColorRef c) { return {Style::Solid, c, Hatch::Horizontal}; }
    static Brush hatched(Hatch h, ColorRef c) { return {Style::Hatched, c, h}; }
    static Brush hollow() { return {Style::Hollow, 0, Hatch::Horizontal}; }
    friend bool operator==(const Brush&, const Brush&) = default;
};

// A font description as Windows keeps it (LOGFONT).
struct LogFont {
    static constexpr std::size_t kMaxFaceName = 31;  // characters, as LF_FACESIZE - 1

    std::int32_t height = 0;       // < 0: character height in pixels; > 0: cell height
    std::int32_t width = 0;        // average character width; 0 = natural
    std::int32_t escapement = 0;   // tenths of a degree, counter-clockwise
    std::int32_t orientation = 0;  // tenths of a degree
    std::int32_t weight = 400;     // 100..900; 400 normal, 700 bold; 0 = default
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::uint8_t charSet = 204;  // Cyrillic
    std::uint8_t outPrecision = 0;
    std::uint8_t clipPrecision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitchAndFamily = 0;
    std::string faceName = "Arial";

    // A point font at 96 dots per inch (what CreatePointFont makes):
    // height = -round(points × 96 / 72).
    static LogFont pointFont(std::string_view face, int tenthsOfPoint);
    friend bool operator==(const LogFont&, const LogFont&) = default;
};

enum class BackgroundMode : std::int32_t { Transparent = 1, Opaque = 2 };

// Binary raster operations by their Windows numbers (the ones we use).
enum class RasterOp : std::int32_t {
    Black = 1,
    Not = 6,  // inverts what is below: rubber bands drawn twice vanish
    XorPen = 7,
    CopyPen = 13  // normal drawing
};

// How a bitmap is combined with what is below.
enum class BitmapOp { Copy, And };

class Device {
public:
    virtual ~Device() = default;

    // The drawing area in pixels.
    virtual Size size() const = 0;

    virtual void setPen(const Pen& pen) = 0;
    virtual void setBrush(const Brush& brush) = 0;
    virtual void setFont(const LogFont& font) = 0;
    virtual void setTextColor(ColorRef color) = 0;
    virtual void setBackgroundColor(ColorRef color) = 0;
    virtual void setBackgroundMode(BackgroundMode mode) = 0;
    virtual void setRasterOp(RasterOp op) = 0;

    virtual void moveTo(Point p) = 0;
    // A line from the current position to p, which becomes the current
    // position; the end point itself is not drawn.
    virtual void lineTo(Point p) = 0;
    virtual void polyline(const Point* points, std::size_t count) = 0;
    // Outline with the pen, inside with the brush, alternate fill rule.
    virtual void polygon(const Point* points, std::size_t count) = 0;
    virtual void rectangle(const Rect& box) = 0;
    virtual void ellipse(const Rect& box) = 0;
    virtual void roundRect(const Rect& box, std::int32_t cornerWidth,
                           std::int32_t cornerHeight) = 0;
    // Fills the box with a solid colour; no pen.
    virtual void fillRect(const Rect& box, ColorRef color) = 0;
    virtual void textOut(Point p, std::string_view utf8) = 0;
    // The size of the text's cell with the current font.
    virtual Size textExtent(std::string_view utf8) = 0;
    // The picture scaled into the box.
    virtual void drawBitmap(const Dib& picture, const Rect& box, BitmapOp op) = 0;

    // Clipping: a rectangle replaces the clip region; excluding a rectangle
    // removes it from the region; clearing returns to the whole area.
    virtual void clipTo(const Rect& box) = 0;
    virtual void excludeClip(const Rect& box) = 0;
    virtual void clearClip() = 0;
};

// A device that draws into memory pixels and can hand them out.
class BitmapDevice : public Device {
public:
    // The pixels drawn so far: 24 bits, bottom-up rows.
    virtual Dib dib() const = 0;
};

// A device that records a drawing into a file: nothing reaches the file
// until `finish`, which writes it whole (beside the target, renamed over it)
// and says whether it did. A device dropped unfinished writes nothing.
class FileDevice : public Device {
public:
    virtual bool finish() = 0;
};

// Makes devices (the application installs the Qt one).
class DeviceFactory {
public:
    virtual ~DeviceFactory() = default;
    // A memory bitmap of this size filled with the colour; nothing when it
    // cannot be made.
    virtual std::unique_ptr<BitmapDevice> createBitmap(Size size, ColorRef fill) = 0;
    // A page of this size in pixels (96 dots per inch) recorded into a
    // document file of the format ("svg", "pdf"); nothing for a format the
    // factory does not write.
    virtual std::unique_ptr<FileDevice> createDocument(std::string_view format,
                                                       const std::string& path, Size page) {
        (void)format, (void)path, (void)page;
        return nullptr;
    }
};

void setDeviceFactory(DeviceFactory* factory);
DeviceFactory* deviceFactory();

}  // namespace gridova::gdi

namespace gridova {

// The 256 colours addressed by index.
class StandardPalette {
public:
    static constexpr int kSize = 256;
    // The colour of an index; indexes outside 0..255 are taken modulo 256.
    static gdi::ColorRef color(int index);
};

}  // namespace gridova
