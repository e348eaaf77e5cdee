// The drawing canvas: the one object every 2D picture is drawn through.
//
// The canvas keeps the current target device, a world-to-device transform
// with margins, and the pen, brush and font of the moment, so that drawing
// code works in world coordinates and calls only the canvas.
//
// Transform (W, H: drawing area; L, T, R, B: margins in pixels):
//     scale X = (W - R - L) / world width,  scale Y = (H - B - T) / world height
//     (both the smaller one when isotropic); the picture is centred in the
//     free direction, and
//     device X = trunc((x - xmin) · scale X + origin X)
//     device Y = trunc(bottom - (y - ymin) · scale Y)     world Y up (mode 1)
//              = trunc((y - ymin) · scale Y + origin Y)   world Y down (mode 0)
//     A device coordinate is clamped to -32000 below and kMaxDevice above.
//
// Targets: the memory bitmap of the window's client size (normal drawing),
// the window itself (direct drawing for rubber bands), the memory picture of
// page size (picture export) and a printer device. While a picture or print
// target is open, the drawing area is the page (or printable) size.
//
// Failures are written to the message log and drawing goes on with what is
// selected; nothing is raised.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/metafile_player.h"
#include "platform/gdi.h"

namespace gridova {

// The window a canvas draws for (the map window supplies it).
class CanvasWindow {
public:
    virtual ~CanvasWindow() = default;
    virtual gdi::Size clientSize() const = 0;
    // A device drawing straight onto the window; nothing when unavailable.
    virtual gdi::Device* clientDevice() = 0;
    virtual void releaseClientDevice() = 0;
    // Shows a part of the memory bitmap in the window.
    virtual void present(gdi::BitmapDevice& memory, const gdi::Rect& part) = 0;
    // Captures the mouse and keeps the cursor in the client area, or lets go.
    virtual void captureMouse(bool capture) = 0;
};

struct WorldRect {
    double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

class DrawingCanvas {
public:
    static constexpr std::int32_t kMinDevice = -32000;
    static constexpr std::int32_t kMaxDevice = 16'000'000;
    // A device coordinate from a computed position: truncated toward zero,
    // held to kMinDevice..kMaxDevice (NaN to kMinDevice).
    static constexpr std::int32_t clampDevice(double v) {
        if (!(v >= kMinDevice)) return kMinDevice;
        if (v > kMaxDevice) return kMaxDevice;
        return static_cast<std::int32_t>(v);
    }
    static constexpr std::size_t kPolylinePiece = 2000;  // points drawn per call
    static constexpr std::size_t kPolygonBuffer = 100;   // points of small polygons
    static constexpr int kGeneralFonts = 4;

    enum class YMode { Down = 0, Up = 1 };

    DrawingCanvas();
    ~DrawingCanvas();
    DrawingCanvas(const DrawingCanvas&) = delete;
    DrawingCanvas& operator=(const DrawingCanvas&) = delete;

    // --- Targets --------------------------------------------------------
    // Remembers the window, creates the memory bitmap of its client size and
    // sets the origin and margins to 0. Returns the previous window.
    CanvasWindow* attach(CanvasWindow* window);
    CanvasWindow* window() const { return window_; }

    gdi::Device* acquireClientDevice();
    void releaseClientDevice();

    // Memory bitmap of the client size, cleared with the background colour,
    // transparent background; becomes the current target.
    bool createMemCDC();
    void clearMemCDC();
    void deleteMemCDC();
    gdi::BitmapDevice* memoryDevice() const { return memory_.get(); }

    // Nested; while active the target is the window itself.
    void beginDirectDrawing();
    void endDirectDrawing();

    // Copies part of the memory bitmap to the window, clipped to the
    // drawing area.
    void paint(int x, int y, int w, int h);
    void paint(const gdi::Rect& device);
    void paintWorld(const WorldRect& world);

    // Memory picture of page size for picture export, or of the size given.
    bool createMemMetaCDC();
    bool createMemMetaCDC(gdi::Size size);
    // Ends the picture and gives its pixels; the previous target returns.
    std::optional<gdi::Dib> closeMemMetaCDC();
    // A picture is drawn: in memory, or recorded (beginRecording).
    bool pictureActive() const { return picture_ != nullptr || recording_; }
    // Drawing for the window: no picture, printer or device of the caller.
    bool drawsForWindow() const {
        return picture_ == nullptr && printer_ == nullptr && external_ == nullptr;
    }

    // A printer device and its printable size (becomes the size limit).
    void beginPrinting(gdi::Device* printer, gdi::Size printable);
    void endPrinting();

    // Draws on a device of the caller's (tests, previews): it becomes the
    // target and its size the drawing area until endExternal.
    void beginExternal(gdi::Device* device);
    // A memory bitmap of the canvas's own that measures text as memory
    // pictures draw it (recorders of metafiles measure with it); nothing
    // without a device factory.
    gdi::Device* pictureMeasure();
    // A picture recorded on a device (metafiles, documents) as the memory
    // picture is drawn: its page filled with the background colour unless
    // that is white (so that a picture pasted into a document shows what is
    // under it), clipped to the page, transparent background. Ends with
    // endExternal.
    void beginRecording(gdi::Device* device);
    void endExternal();

    gdi::Device* target() const { return target_; }

    // --- Drawing area, page, background ------------------------------------
    gdi::Size areaSize() const;
    void setSizeLimit(std::optional<gdi::Size> limit);
    gdi::Size pageSize() const { return pageSize_; }
    // The largest page: each side at most kMaxPageSide pixels and at most
    // kMaxPagePixels in all (16384 × 16384, a picture of 1 GiB at four bytes
    // a pixel), so that a size from the profile can never ask for more
    // memory than a machine has.
    static constexpr std::int32_t kMaxPageSide = 32767;
    static constexpr std::int64_t kMaxPagePixels = std::int64_t{1} << 28;
    static bool pageSizeAllowed(gdi::Size size);
    // Sets the page size and keeps it in the profile ("PrintSetup"); a size
    // that is not allowed is not taken.
    void setPageSize(gdi::Size size);
    gdi::ColorRef backgroundColor() const { return background_; }
    // Sets the background colour and keeps it in the profile ("Canvas").
    void setBackgroundColor(gdi::ColorRef color);

    // --- Transform -----------------------------------------------------------
    void setMargins(int left, int top, int right, int bottom);
    void addMargins(int left, int top, int right, int bottom);  // ignored while locked
    void lockMargins(bool locked) { marginsLocked_ = locked; }
    bool marginsLocked() const { return marginsLocked_; }
    std::array<int, 4> margins() const { return {left_, top_, right_, bottomMargin_}; }

    void setWorldWindow(double xmin, double ymin, double xmax, double ymax);
    WorldRect worldWindow() const { return {xmin_, ymin_, xmax_, ymax_}; }
    // The world window so that two device points map to two world points;
    // false (nothing changes) while the margins are locked.
    bool fitToReferencePoints(gdi::Point d1, gdi::Point d2, double x1, double y1, double x2,
                              double y2);

    void setIsotropic(bool on);
    bool isotropic() const { return isotropic_; }
    void setYMode(YMode mode);
    YMode yMode() const { return yMode_; }

    std::int32_t toDeviceX(double x) const;
    std::int32_t toDeviceY(double y) const;
    gdi::Point toDevice(double x, double y) const { return {toDeviceX(x), toDeviceY(y)}; }
    double toWorldX(std::int32_t x) const;
    double toWorldY(std::int32_t y) const;
    std::int32_t toDeviceLength(double length) const;
    double toWorldLength(std::int32_t length) const;

    double scaleX() const { return scaleX_; }
    double scaleY() const { return scaleY_; }
    std::int32_t originX() const { return originX_; }
    std::int32_t originY() const { return originY_; }
    std::int32_t bottom() const { return bottom_; }

    // The drawing area inside the margins, in device pixels and in world
    // units; the visible world rectangle; inclusive point test.
    gdi::Rect drawingArea() const;
    WorldRect drawingAreaWorld() const;
    WorldRect visibleWorld() const { return visible_; }
    bool isVisible(double x, double y) const;

    // --- Pens and brushes -----------------------------------------------------
    void setColorPen(gdi::ColorRef color);
    // Style 0: solid of the current width; any other style: width 0.
    void setPen(gdi::PenStyle style, gdi::ColorRef color);
    void setPenByIndex(int index);
    void setDashPen(int index);
    void deletePen();
    void setPenWidth(int width);
    int penWidth() const { return penWidth_; }
    int previousPenWidth() const { return previousPenWidth_; }
    const gdi::Pen& pen() const { return pen_; }

    void setColorBrush(gdi::ColorRef color);
    void setHatchBrush(gdi::Hatch hatch, gdi::ColorRef color);
    void setBrushByIndex(int index);
    void setHollowBrush();
    void deleteBrush();
    // Whether a brush set by setColorBrush or setHatchBrush is still to be
    // deleted.
    bool brushSelected() const { return brushSet_; }
    const gdi::Brush& brush() const { return brush_; }
    bool brushSet() const { return brushSet_; }

    // --- Fonts and text ----------------------------------------------------------
    const gdi::LogFont& generalFont(int n) const;  // n = 1..4
    void setGeneralFont(int n, const gdi::LogFont& font);
    void selectGeneralFont(int n);
    // Selects general font 1 and deletes the extra font.
    void restoreGeneralFont();
    // Selects a font of the caller's; -1 when it cannot be made.
    int selectFont(const gdi::LogFont& font);
    // The current font turned by the escapement (tenths of a degree).
    void selectRotatedFont(int escapement);
    const gdi::LogFont& currentFont() const { return font_; }

    gdi::Size textExtent(std::string_view text);
    void drawText(int x, int y, std::string_view text);
    void setBackgroundMode(gdi::BackgroundMode mode);
    gdi::BackgroundMode backgroundMode() const { return backgroundMode_; }
    void setTextColor(gdi::ColorRef color);
    void restoreTextColor();
    gdi::ColorRef textColor() const { return textColor_; }

    // --- Shapes --------------------------------------------------------------------
    void line(gdi::Point a, gdi::Point b);
    void lineWorld(double x1, double y1, double x2, double y2);
    // Drawn in pieces of kPolylinePiece points that overlap so the line
    // stays connected.
    void polyline(const gdi::Point* points, std::size_t count);
    void polygon(const gdi::Point* points, std::size_t count);
    // At most kPolygonBuffer points; more draw nothing.
    void polygonXY(const int* x, const int* y, std::size_t count);
    void polylineXY(const int* x, const int* y, std::size_t count, bool close);
    void polylineWorld(const double* x, const double* y, std::size_t count);
    std::vector<gdi::Point> toDevicePoints(const double* x, const double* y,
                                           std::size_t count) const;
    // The five-point polygon of a rectangle turned by theta (radians) about
    // (x, y).
    void rotatedRectangle(int x, int y, double theta, int w, int h);
    void rectangle(const gdi::Rect& box);
    void rectangleWorld(double x1, double y1, double x2, double y2);
    void rectangleOutline(const gdi::Rect& box);
    // The circle's box is (x - r, y - r, x + r + 1, y + r + 1).
    void circle(int x, int y, int r, bool hollow);
    void roundRect(const gdi::Rect& box, int cornerWidth, int cornerHeight);
    // The rubber band of a drag: dashed, inverting, hollow.
    void dragRectangle(const gdi::Rect& box);
    void fillArea();  // the drawing area in palette colour 15
    void setRasterOp(gdi::RasterOp op);
    void setInvertMode() { setRasterOp(gdi::RasterOp::Not); }

    void clipToWorld(const WorldRect& world);
    void excludeClip(const gdi::Rect& device);
    void clearClip();

    // The picture scaled by min(area width / w, area height / h) and centred
    // in the drawing area.
    void drawFittedPicture(const gdi::Dib& picture, gdi::BitmapOp op = gdi::BitmapOp::Copy);
    // A metafile played into the same fitted box; the canvas's pens, brush,
    // font and colours are set again afterwards, the clip is cleared.
    void drawFittedMetafile(const MetafilePicture& picture);
    // The box a picture of this size takes in the drawing area: scaled by
    // the smaller of the two ratios and centred; empty for an empty size.
    gdi::Rect fittedBox(gdi::Size picture) const;

    void captureMouse();
    void releaseMouse();

private:
    void recompute();
    void setTarget(gdi::Device* device);
    void applyState();
    void applyPen();
    gdi::Device* measuringDevice();

    // Targets
    CanvasWindow* window_ = nullptr;
    gdi::Device* client_ = nullptr;  // the window's device while acquired
    std::unique_ptr<gdi::BitmapDevice> memory_;
    std::unique_ptr<gdi::BitmapDevice> picture_;
    std::unique_ptr<gdi::BitmapDevice> measuring_;
    gdi::Device* printer_ = nullptr;
    bool recording_ = false;  // the external device records a picture
    gdi::Device* external_ = nullptr;
    gdi::Device* target_ = nullptr;
    gdi::Device* saved_ = nullptr;  // the target before a picture or direct drawing
    int directDepth_ = 0;
    std::optional<gdi::Size> sizeLimit_;

    gdi::Size pageSize_{800, 800};
    gdi::Size pictureSize_{800, 800};  // of the memory picture while it is open
    gdi::ColorRef background_ = gdi::rgb(255, 255, 255);

    // Transform
    int left_ = 0, top_ = 0, right_ = 0, bottomMargin_ = 0;
    bool marginsLocked_ = false;
    double xmin_ = 0, ymin_ = 0, xmax_ = 1, ymax_ = 1;
    double dx_ = 1, dy_ = 1;
    double scaleX_ = 1, scaleY_ = 1;
    std::int32_t originX_ = 0, originY_ = 0, bottom_ = 0;
    YMode yMode_ = YMode::Up;
    bool isotropic_ = true;
    WorldRect visible_;

    // Pens, brushes, fonts, text
    gdi::Pen pen_;
    int penWidth_ = 0;
    int previousPenWidth_ = 0;
    gdi::Brush brush_ = gdi::Brush::solid(gdi::rgb(255, 255, 255));
    gdi::Brush replacedBrush_ = gdi::Brush::solid(gdi::rgb(255, 255, 255));
    bool brushSet_ = false;
    std::array<gdi::LogFont, kGeneralFonts> generalFonts_;
    gdi::LogFont font_;
    gdi::ColorRef textColor_ = 0;
    gdi::ColorRef previousTextColor_ = 0;
    gdi::BackgroundMode backgroundMode_ = gdi::BackgroundMode::Transparent;
    gdi::RasterOp rop_ = gdi::RasterOp::CopyPen;
};

}  // namespace gridova
