// The canvas view: what every drawn map needs around the drawing itself.
//
// A `CanvasView` owns one `DrawingCanvas` and adds the on-screen pixel
// margins, the aspect-ratio lock, the page and print settings with their
// profile keys, the printer layout, redraw bookkeeping (the map is drawn into
// the memory bitmap only when something changed; a paint otherwise copies
// the bitmap) and the input of a polyline with the mouse and its rubber
// band. The derived view decides what is drawn (`drawMap`) and sets the
// world window.
//
// Redraw bookkeeping: a full drawing is needed when the content changed
// (`invalidateMap`) or the client size differs from the size of the last
// full drawing, and the client is not empty; while printing it is always
// needed. A window that was empty (minimised) draws again once it has a
// size.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "objects/line.h"
#include "platform/app_context.h"
#include "render/drawing_canvas.h"

namespace gridova {

// The window a view lives in: what the canvas needs plus repainting and the
// cursor. The map widget implements it; tests and batch runs use their own.
class ViewWindow : public CanvasWindow {
public:
    // Asks for a paint of the whole client area; the window may paint at
    // once or on its next pass through its events.
    virtual void invalidate() = 0;
    // The drawing cursor while a line is entered or hit, else the arrow.
    virtual void setDrawingCursor(bool drawing) = 0;
};

// The page and print settings ("PrintSetup" profile section).
struct PrintSetup {
    static constexpr const char* kSection = "PrintSetup";

    double marginLeftCoeff = 0.1;  // fractions of the paper's width or height
    double marginTopCoeff = 0.07;
    double marginRightCoeff = 0.07;
    double marginBottomCoeff = 0.07;
    std::int32_t page = 0;              // paper format number (paperFormats)
    std::int32_t paperOrientation = 0;  // 0 portrait, 1 landscape
    std::int32_t scale = 0;             // printing to scale
    double unitsPerInchX = 1.0;         // map units per page unit
    double unitsPerInchY = 1.0;
    std::int32_t pageUnits = 0;  // 0 inch, 1 cm
    double unitCoef = 1.0;       // 1 for inches, 1/2.54 for centimetres

    // A missing or non-numeric value keeps what is there.
    void readProfile();
    void writeProfile() const;
    friend bool operator==(const PrintSetup&, const PrintSetup&) = default;
};

// Printing over several pages ("MultiPage Print" profile section): a
// number of tiles across and down, and the overlaps of the tiles as
// fractions of the map's width and height (used by printing by counts and
// by scale).
struct MultiPageSettings {
    static constexpr const char* kSection = "MultiPage Print";
    static constexpr std::int32_t kMaxCount = 10;  // tiles each way the dialog offers

    std::int32_t active = 0;  // printing by counts
    std::int32_t horizontalCount = 1;
    std::int32_t verticalCount = 1;
    double leftOverlap = 0;  // "ScaleLeftMargin"
    double rightOverlap = 0;
    double topOverlap = 0;
    double bottomOverlap = 0;

    void readProfile();
    void writeProfile() const;
    friend bool operator==(const MultiPageSettings&, const MultiPageSettings&) = default;
};

// The page formats of the map-size dialog.
struct PaperFormat {
    std::int32_t number = 0;
    int message = 0;  // its text by number, 0 when the text is its name
    const char* name = "";
    double width = 0, height = 0;  // inches; 0 for the pixel and screen formats
};
inline constexpr int kPaperPixels = 0;
inline constexpr int kPaperScreen = 10;
inline constexpr int kPaperFormatCount = 12;
const std::array<PaperFormat, kPaperFormatCount>& paperFormats();
// The format's text as the list shows it.
std::string paperFormatText(int number);

// What the screen tells about itself; 0 pixels per inch when unknown.
struct ScreenMetrics {
    double pixelsPerInchX = 96.0;
    double pixelsPerInchY = 96.0;
    gdi::Size size{1920, 1080};
};

// The page size in pixels of a paper format on this screen: the paper less
// its margins at the screen's resolution, the sides exchanged in landscape
// (except for the pixel and screen formats). Nothing for format 0 (typed in
// pixels), for an unknown format and when the screen's resolution is
// unknown (then "Can't define display pixel sizes" is logged). At most
// 32767 each way.
std::optional<gdi::Size> pageSizeForFormat(int format, const PrintSetup& setup,
                                           const ScreenMetrics& screen);

// Printer margins, window and viewport of one printed page.
struct PrinterLayout {
    std::int32_t marginLeft = 0, marginTop = 0, marginRight = 0, marginBottom = 0;
    gdi::Size windowExtent;     // the screen's pixels per inch
    gdi::Size viewportExtent;   // the printer's pixels per inch
    gdi::Point viewportOrigin;  // printer pixels
};
PrinterLayout printerLayout(const PrintSetup& setup, double printerPpiX, double printerPpiY,
                            gdi::Size printerPixels, double screenPpiX, double screenPpiY);

class CanvasView {
public:
    static constexpr const char* kDefaultName = "Canvas View";
    static constexpr std::size_t kMaxNameLength = 31;
    static constexpr int kDefaultPixelMargin = 2;

    explicit CanvasView(std::string_view name = kDefaultName);
    virtual ~CanvasView();
    CanvasView(const CanvasView&) = delete;
    CanvasView& operator=(const CanvasView&) = delete;

    const std::string& name() const { return name_; }
    DrawingCanvas& canvas() { return canvas_; }
    const DrawingCanvas& canvas() const { return canvas_; }

    // Reads the print setup and the view's own keys ("AspectRatio", the
    // four "MarginPixel..." keys) from the profile.
    void readProfile();

    // The window shown in; none for batch runs and pictures.
    void setWindow(ViewWindow* window);
    ViewWindow* window() const { return window_; }

    // --- Redraw bookkeeping ---------------------------------------------------
    // The content changed: the next paint draws the map again.
    void invalidateMap();
    void onSize(gdi::Size client);
    bool needsFullDrawing() const;
    // Paints the window: a full drawing when needed, then the memory bitmap
    // and the overlays drawn straight on the window. Nothing while the
    // client is empty.
    void paint();
    // Counts full drawings (for tests and benchmarks).
    std::uint64_t fullDrawings() const { return fullDrawings_; }

    // --- Settings ----------------------------------------------------------------
    std::int32_t aspectRatio = 1;
    // Screen margins in pixels: left, top, right, bottom.
    std::array<std::int32_t, 4> pixelMargins{kDefaultPixelMargin, kDefaultPixelMargin,
                                             kDefaultPixelMargin, kDefaultPixelMargin};
    PrintSetup printSetup;
    MultiPageSettings multiPage;

    // "Lock aspect ratio": toggles and writes the key.
    void toggleAspectRatio();
    // "Цвет фона...": the new colour goes to the canvas and the profile.
    void setBackgroundColor(gdi::ColorRef color);
    // Stores the screen margins in the view's section.
    void writePixelMargins() const;

    // --- Mouse and keys (the window's, in device pixels) --------------------------------
    virtual void mouseLeftDown(gdi::Point) {}
    virtual void mouseLeftUp(gdi::Point) {}
    virtual void mouseRightDown(gdi::Point) {}
    virtual void mouseMove(gdi::Point) {}
    virtual void mouseLeftDoubleClick(gdi::Point) {}
    virtual void keyEscape() {}
    virtual void keyStep(bool /*forward*/) {}
    virtual void keyEnter() {}

    // --- Pictures -------------------------------------------------------------------
    // The drawing as a picture of the page size (or of `size`); nothing when
    // no memory picture can be made.
    std::optional<gdi::Dib> drawPicture();
    std::optional<gdi::Dib> drawPicture(gdi::Size size);
    // The drawing on a recording device (a metafile: text measured as a
    // memory picture would draw it), or on any device of the page size.
    void recordOn(gdi::Device& device);
    void drawOn(gdi::Device& device);
    // Writes the drawing to a picture file of the extension's format (the
    // raster ones as a picture of the page size, JPEG at the profile's
    // quality, the vector ones recorded); false for any other extension or
    // when it could not be written (message 201).
    bool exportPictureByName(const std::string& path);
    // The drawing at the size (the window's when it has one, else the
    // page's) put on the clipboard as a picture and as an enhanced metafile
    // whose text is measured as the picture drew it; false when the size is
    // empty or no picture could be made.
    bool copyToClipboard(Clipboard& clipboard);

    // --- Printing -----------------------------------------------------------------
    void beginPrinting(gdi::Device* printer, gdi::Size printable);
    void endPrinting();
    bool printing() const { return printing_; }

    // --- Polyline input ---------------------------------------------------------
    // Starts an empty line and the input mode (drawing cursor).
    void startLineInput();
    // Leaves the input mode and gives the line (nothing when none).
    std::optional<Line> stopLineInput();
    bool lineInput() const { return inputMode_; }
    const Line* enteredLine() const { return entered_ ? &*entered_ : nullptr; }
    Line* enteredLine() { return entered_ ? &*entered_ : nullptr; }
    // Left button up at a device point: the world point joins the line.
    void lineAddPoint(gdi::Point device);
    // Appends a world point (snapping gives points on other lines).
    void lineAddWorldPoint(double x, double y);
    // Mouse move: the rubber band from the last point follows the mouse.
    void lineMouseMove(gdi::Point device);
    // Esc: the last point goes.
    void lineRemoveLastPoint();
    // Right button down: the line is closed.
    void lineClose();
    // Focus lost: the rubber band goes.
    void lineFocusLost();

protected:
    // The full drawing of the map into the canvas's current target (the
    // derived view's steps); afterwards `afterFullDrawing` runs.
    virtual void drawMap() = 0;
    // Drawn straight on the window after each paint's copy.
    virtual void drawOverlays();
    // Draws the line being entered straight on the window.
    void drawEnteredLine();
    // The *changed* flag goes and the drawn size is remembered.
    void afterFullDrawing();
    // Reads a key of the view's section.
    void readViewInt(std::string_view key, std::int32_t& value) const;
    // Shows a warning (the view's context, when it has one).
    virtual void viewWarning(const std::string& text);

private:
    void eraseRubberBand();
    void drawRubberBand(gdi::Point from, gdi::Point to);

    std::string name_;
    DrawingCanvas canvas_;
    ViewWindow* window_ = nullptr;

    bool contentChanged_ = true;
    gdi::Size drawnSize_{-1, -1};
    gdi::Size clientSize_{0, 0};
    bool printing_ = false;
    std::uint64_t fullDrawings_ = 0;

    std::optional<Line> entered_;
    bool inputMode_ = false;
    std::optional<std::array<gdi::Point, 2>> rubberBand_;
};

}  // namespace gridova
