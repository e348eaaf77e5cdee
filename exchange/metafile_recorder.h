// Recording a drawing as a metafile: the enhanced metafile (EMF) and the
// Windows metafile with its placeable header (WMF) that word processors and
// drawing programs paste and scale.
//
// A recorder is a drawing device: the map draws on it as on any other, and
// every call becomes records. The device keeps GDI's state model, so the
// records set a pen, brush or font only when a drawing needs one that is not
// selected yet: a pen, brush and font object each, created at the lowest free
// object slot, selected, and the one it replaces deleted. Colours and modes
// are written when they change.
//
// Coordinates are pixels of the page at 96 dots per inch, y downward. The
// page is the picture: clipping to a box makes page ∩ box the region,
// clearing it returns to the whole page. Clip records are written only when
// the region changes.
//
// Text is measured with a device of the caller's (the one the picture is
// drawn for), and each text record carries the advance of every character,
// so a program that has other fonts still puts the characters where we did.
//
// Nothing is written until `finish`, which writes the whole file beside the
// target and renames it over it: a failed export leaves no partial file and
// keeps an older one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/gdi.h"

namespace gridova {

class MetafileRecorder : public gdi::FileDevice {
public:
    // `measure` measures text (with the font set here); without it a
    // character is taken as half the font's height wide.
    MetafileRecorder(gdi::Size page, std::string path, gdi::Device* measure);

    gdi::Size size() const override { return page_; }
    void setPen(const gdi::Pen& pen) override { pen_ = pen; }
    void setBrush(const gdi::Brush& brush) override { brush_ = brush; }
    void setFont(const gdi::LogFont& font) override { font_ = font; }
    void setTextColor(gdi::ColorRef color) override { textColor_ = color; }
    void setBackgroundColor(gdi::ColorRef color) override { backgroundColor_ = color; }
    void setBackgroundMode(gdi::BackgroundMode mode) override { backgroundMode_ = mode; }
    void setRasterOp(gdi::RasterOp op) override { rop_ = op; }
    void moveTo(gdi::Point p) override { position_ = p; }
    void lineTo(gdi::Point p) override;
    void polyline(const gdi::Point* points, std::size_t count) override;
    void polygon(const gdi::Point* points, std::size_t count) override;
    void rectangle(const gdi::Rect& box) override;
    void ellipse(const gdi::Rect& box) override;
    void roundRect(const gdi::Rect& box, std::int32_t cornerWidth,
                   std::int32_t cornerHeight) override;
    void fillRect(const gdi::Rect& box, gdi::ColorRef color) override;
    void textOut(gdi::Point p, std::string_view utf8) override;
    gdi::Size textExtent(std::string_view utf8) override;
    void drawBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) override;
    void clipTo(const gdi::Rect& box) override;
    void excludeClip(const gdi::Rect& box) override;
    void clearClip() override;

    // Writes the file (see the header comment); false when it could not.
    bool finish() override;
    // The whole file as it would be written now (also ends the recording).
    std::vector<std::uint8_t> bytes();

protected:
    enum class ObjectKind { Pen, Brush, Font };

    // What a format writes. Slots are the object-table indexes.
    virtual void writeCreatePen(int slot, const gdi::Pen& pen) = 0;
    virtual void writeCreateBrush(int slot, const gdi::Brush& brush) = 0;
    virtual void writeCreateFont(int slot, const gdi::LogFont& font) = 0;
    virtual void writeSelect(int slot) = 0;
    virtual void writeDelete(int slot) = 0;
    virtual void writeTextColor(gdi::ColorRef color) = 0;
    virtual void writeBackgroundColor(gdi::ColorRef color) = 0;
    virtual void writeBackgroundMode(gdi::BackgroundMode mode) = 0;
    virtual void writeRasterOp(gdi::RasterOp op) = 0;
    // A line from `from` to `to` (which is not drawn); the format moves its
    // current position first when it is elsewhere.
    virtual void writeLine(gdi::Point from, gdi::Point to) = 0;
    virtual void writePoly(const gdi::Point* points, std::size_t count, bool closed) = 0;
    // kind: 0 rectangle, 1 ellipse, 2 rounded rectangle (with the corner).
    virtual void writeBox(int kind, const gdi::Rect& box, gdi::Size corner) = 0;
    // The text's characters (code points) with the advance of each.
    virtual void writeText(gdi::Point p, std::string_view utf8,
                           const std::vector<std::int32_t>& advances, const gdi::Rect& bounds) = 0;
    virtual void writeBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) = 0;
    // Back to no clip region (the whole page). The format may lose the
    // selected objects and colours doing so: it then calls forgetSelections.
    virtual void writeClipReset() = 0;
    virtual void writeIntersectClip(const gdi::Rect& box) = 0;
    virtual void writeExcludeClip(const gdi::Rect& box) = 0;
    // The whole file from the records written.
    virtual std::vector<std::uint8_t> fileBytes() = 0;

    // After a format lost the state of the drawing: everything is selected
    // and set again before the next drawing.
    void forgetSelections();
    // The number of object slots ever used at once.
    int slotCount() const { return static_cast<int>(slots_.size()); }
    const gdi::Size& page() const { return page_; }

private:
    // Selects what a drawing needs: the pen, the brush and/or the font.
    void realize(bool pen, bool brush, bool font);
    // One kind of object: a new one made at a free slot unless the file has
    // the one wanted (`same`), which is then selected again if need be.
    void realizeObject(bool same, int& slot, bool& selected,
                       const std::function<void(int)>& create);
    void realizeColors(bool text);
    int takeSlot();
    void freeSlot(int slot);
    // The pen as the format draws it: styled pens are one pixel wide.
    static gdi::Pen effectivePen(const gdi::Pen& pen);

    gdi::Size page_;
    std::string path_;
    gdi::Device* measure_;
    std::optional<std::vector<std::uint8_t>> file_;  // once the recording ended

    // What the drawing asked for.
    gdi::Pen pen_;
    gdi::Brush brush_;
    gdi::LogFont font_;
    gdi::ColorRef textColor_ = 0;
    gdi::ColorRef backgroundColor_ = gdi::rgb(255, 255, 255);
    gdi::BackgroundMode backgroundMode_ = gdi::BackgroundMode::Opaque;
    gdi::RasterOp rop_ = gdi::RasterOp::CopyPen;
    gdi::Point position_;

    // What the file has.
    std::vector<bool> slots_;  // in use
    std::optional<gdi::Pen> filePen_;
    std::optional<gdi::Brush> fileBrush_;
    std::optional<gdi::LogFont> fileFont_;
    int penSlot_ = -1, brushSlot_ = -1, fontSlot_ = -1;
    bool penSelected_ = false, brushSelected_ = false, fontSelected_ = false;
    std::optional<gdi::ColorRef> fileTextColor_, fileBackgroundColor_;
    std::optional<gdi::BackgroundMode> fileBackgroundMode_;
    std::optional<gdi::RasterOp> fileRop_;
    std::optional<gdi::Rect> fileClip_;  // nothing: the whole page
    bool fileExcluded_ = false;          // boxes were taken out of the region
};

// The enhanced metafile. `description` goes into the header when not empty
// (the clipboard's copy has one).
class EmfRecorder final : public MetafileRecorder {
public:
    EmfRecorder(gdi::Size page, std::string path, gdi::Device* measure,
                std::string description = {});

    // The frame of a page in hundredths of a millimetre at 96 dots per inch.
    static gdi::Rect frameOf(gdi::Size page);

protected:
    void writeCreatePen(int slot, const gdi::Pen& pen) override;
    void writeCreateBrush(int slot, const gdi::Brush& brush) override;
    void writeCreateFont(int slot, const gdi::LogFont& font) override;
    void writeSelect(int slot) override;
    void writeDelete(int slot) override;
    void writeTextColor(gdi::ColorRef color) override;
    void writeBackgroundColor(gdi::ColorRef color) override;
    void writeBackgroundMode(gdi::BackgroundMode mode) override;
    void writeRasterOp(gdi::RasterOp op) override;
    void writeLine(gdi::Point from, gdi::Point to) override;
    void writePoly(const gdi::Point* points, std::size_t count, bool closed) override;
    void writeBox(int kind, const gdi::Rect& box, gdi::Size corner) override;
    void writeText(gdi::Point p, std::string_view utf8, const std::vector<std::int32_t>& advances,
                   const gdi::Rect& bounds) override;
    void writeBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) override;
    void writeClipReset() override;
    void writeIntersectClip(const gdi::Rect& box) override;
    void writeExcludeClip(const gdi::Rect& box) override;
    std::vector<std::uint8_t> fileBytes() override;

private:
    // Starts a record of the type; `end` fills in its size.
    std::size_t begin(std::uint32_t type);
    void end(std::size_t start);
    void put32(std::uint32_t v);
    void putRect(const gdi::Rect& r);

    std::string description_;
    std::vector<std::uint8_t> records_;   // after the header
    std::uint32_t count_ = 0;             // records after the header
    std::optional<gdi::Point> position_;  // of the file
};

// The Windows metafile with the placeable header in front. Its records are
// in the units of the header's box (thousandths of an inch), which readers
// map onto the picture: each pixel is 1000 / 96 units. Coordinates of the
// format are 16-bit: what lies beyond them is cut off (it is far off the
// page).
class WmfRecorder final : public MetafileRecorder {
public:
    WmfRecorder(gdi::Size page, std::string path, gdi::Device* measure);

    // The placeable header's units per inch for a page: 1000, or fewer when
    // the page in thousandths of an inch would not fit the header's 16-bit
    // box (pages wider or taller than 32.767 inches, 3145 pixels).
    static int unitsPerInch(gdi::Size page);

protected:
    void writeCreatePen(int slot, const gdi::Pen& pen) override;
    void writeCreateBrush(int slot, const gdi::Brush& brush) override;
    void writeCreateFont(int slot, const gdi::LogFont& font) override;
    void writeSelect(int slot) override;
    void writeDelete(int slot) override;
    void writeTextColor(gdi::ColorRef color) override;
    void writeBackgroundColor(gdi::ColorRef color) override;
    void writeBackgroundMode(gdi::BackgroundMode mode) override;
    void writeRasterOp(gdi::RasterOp op) override;
    void writeLine(gdi::Point from, gdi::Point to) override;
    void writePoly(const gdi::Point* points, std::size_t count, bool closed) override;
    void writeBox(int kind, const gdi::Rect& box, gdi::Size corner) override;
    void writeText(gdi::Point p, std::string_view utf8, const std::vector<std::int32_t>& advances,
                   const gdi::Rect& bounds) override;
    void writeBitmap(const gdi::Dib& picture, const gdi::Rect& box, gdi::BitmapOp op) override;
    void writeClipReset() override;
    void writeIntersectClip(const gdi::Rect& box) override;
    void writeExcludeClip(const gdi::Rect& box) override;
    std::vector<std::uint8_t> fileBytes() override;

private:
    std::size_t begin(std::uint16_t function);
    void end(std::size_t start);
    void put16(std::int32_t v);
    void put32(std::uint32_t v);
    // Bottom, right, top, left in units, as the box records hold them.
    void putBox(const gdi::Rect& box);
    // Pixels to the units of the records, held to 16 bits.
    std::int32_t units(std::int32_t pixels) const;
    // Points already in units, in records of at most 32767 points.
    void writePoints(const gdi::Point* points, std::size_t count, bool polygon);

    double scale_;                        // units per pixel
    gdi::Size box_;                       // the page in units
    std::vector<std::uint8_t> records_;   // after the two headers
    std::uint32_t largestRecord_ = 0;     // in 16-bit words
    std::optional<gdi::Point> position_;  // of the file
};

}  // namespace gridova
