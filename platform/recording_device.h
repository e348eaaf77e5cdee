// A drawing device that writes down what is drawn, one line per call, for
// tests of drawing code ("line 0,0 10,10", "pen 1 0 #0000ff" ...). Text is
// measured as 8 × 16 pixels a character, so layouts come out the same on
// every machine.
#pragma once

#include <string>
#include <vector>

#include "platform/gdi.h"

namespace gridova::gdi {

class RecordingDevice final : public Device {
public:
    static constexpr int kCharWidth = 8;
    static constexpr int kCharHeight = 16;

    explicit RecordingDevice(Size size = {800, 600}) : size_(size) {}

    Size size() const override { return size_; }
    void setPen(const Pen& pen) override;
    void setBrush(const Brush& brush) override;
    void setFont(const LogFont& font) override;
    void setTextColor(ColorRef color) override;
    void setBackgroundColor(ColorRef color) override;
    void setBackgroundMode(BackgroundMode mode) override;
    void setRasterOp(RasterOp op) override;
    void moveTo(Point p) override;
    void lineTo(Point p) override;
    void polyline(const Point* points, std::size_t count) override;
    void polygon(const Point* points, std::size_t count) override;
    void rectangle(const Rect& box) override;
    void ellipse(const Rect& box) override;
    void roundRect(const Rect& box, std::int32_t cornerWidth, std::int32_t cornerHeight) override;
    void fillRect(const Rect& box, ColorRef color) override;
    void textOut(Point p, std::string_view utf8) override;
    Size textExtent(std::string_view utf8) override;
    void drawBitmap(const Dib& picture, const Rect& box, BitmapOp op) override;
    void clipTo(const Rect& box) override;
    void excludeClip(const Rect& box) override;
    void clearClip() override;

    const std::vector<std::string>& calls() const { return calls_; }
    // The calls whose line starts with the word.
    std::vector<std::string> callsOf(std::string_view word) const;
    void clear() { calls_.clear(); }

    // The state last set.
    const Pen& pen() const { return pen_; }
    const Brush& brush() const { return brush_; }
    const LogFont& font() const { return font_; }

private:
    void add(std::string line) { calls_.push_back(std::move(line)); }

    Size size_;
    Pen pen_;
    Brush brush_;
    LogFont font_;
    std::vector<std::string> calls_;
};

// "#rrggbb" for a colour.
std::string colorText(ColorRef c);

}  // namespace gridova::gdi
