// The colour scale (`ColorScale`): maps a grid value to a colour. The
// colour bar with its value labels beside the map is drawn by
// render/color_bar_painter.h.
//
// Two modes:
// - palette mode (PaletteMode 1): the colour is a `StandardPalette` entry of
//   the ramp 16..255, index = 16 + trunc((v - Min) / Step), Step = (Max -
//   Min) / Count; the default 239 bands over a range use the whole ramp.
// - table mode (PaletteMode 0): Count bands with their own colours; band i
//   spans [b(i), b(i + 1)) of the Boundaries b(0..Count), b(0) the lowest.
//   Values below b(1) take the first colour, values from b(Count - 1) on the
//   last one.
//
// The Colours and Boundaries tables always hold Count + 1 entries (the
// last colour is the gradient's next step and is not shown); every
// operation that changes Count resizes both, so no lookup reads past them.
//
// The grid owns one scale; the colour fill between isolines takes its bands
// and colours from it, the map view reserves room for the bar and draws it.
// Files: the colour file ".clr" ("ScaleColors:01"), the "CS01" document
// section and the profile section "Color Scale".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "data/drect.h"
#include "data/line_source.h"
#include "data/record_buffer.h"
#include "platform/gdi.h"

namespace gridova {

class ColorScale {
public:
    static constexpr std::int32_t kMaxCount = 1256;        // bands a scale holds
    static constexpr std::int32_t kDialogMaxCount = 1000;  // bands the dialog offers
    static constexpr std::int32_t kDefaultCount = 239;     // the palette ramp 16..255
    static constexpr std::int32_t kPaletteSize = 256;
    static constexpr int kFirstRampIndex = 16;  // palette entry of the lowest band
    static constexpr int kLastRampIndex = 255;
    static constexpr std::int32_t kDefaultDigits = 2;
    static constexpr std::int32_t kMaxDigits = 10;
    static constexpr double kDefaultFreeFraction = 0.15;  // FrUp and FrDown
    static constexpr std::int32_t kDefaultGap = 10;       // pixels
    static constexpr double kTinyStep = 1e-30;  // a Step not above this maps all to entry 16
    // A label range inside (-kTinyLabelRange, kTinyLabelRange) is printed
    // with "%g" so that the labels do not all read 0.
    static constexpr double kTinyLabelRange = 0.00001;
    // A range reaching kLargeLabelRange or beyond is printed with "%.6lg":
    // in fixed form its labels would run to hundreds of digits, wider than
    // the page.
    static constexpr double kLargeLabelRange = 1e15;

    // `Changed` bits, set by the scale dialog and the band colour edit.
    static constexpr std::int32_t kChangedBoundaries = 1;  // count or boundaries
    static constexpr std::int32_t kChangedColors = 2;
    static constexpr std::int32_t kChangedLook = 4;  // font, digits, display options

    static constexpr const char* kProfileSection = "Color Scale";
    static constexpr std::string_view kColorFileTag = "ScaleColors:01";
    static constexpr std::string_view kColorFileExtension = "clr";
    static constexpr int kColorFileFilterMessage = 460;
    // Position argument of readColorFile for "a new scale": Count is taken
    // from the file.
    static constexpr int kNewScale = -1;

    // --- Settings ------------------------------------------------------------
    std::int32_t visible = 0;                 // the bar is drawn
    std::int32_t changed = 0;                 // kChanged* bits
    std::int32_t digit = kDefaultDigits;      // label digits after the point, 0..10
    std::int32_t paletteSize = kPaletteSize;  // kept on file only
    std::int32_t location = 1;                // 0 left of the map, 1 right of it
    std::int32_t upDown = 0;                  // 0 maximum at the top, 1 at the bottom
    gdi::LogFont font = gdi::LogFont::pointFont("Arial", 60);  // labels, 6 pt
    std::int32_t setMinMax = 0;  // the range is fixed at minValue..maxValue
    double minValue = 0;         // the fixed range (also the last data range)
    double maxValue = 0;
    double dataMin = 0;  // the last range given by the data
    double dataMax = 0;
    double frUp = kDefaultFreeFraction;              // drawing-area height left free above the bar
    double frDown = kDefaultFreeFraction;            // ... and below it
    std::int32_t paletteMode = 1;                    // 1 palette ramp, 0 the Colours table
    gdi::ColorRef minColor = gdi::rgb(255, 255, 0);  // gradient end at the lowest band
    gdi::ColorRef maxColor = gdi::rgb(255, 125, 0);  // gradient end at the highest band

    // --- Layout of the bar, set by its drawing (device pixels) -----------------
    std::int32_t width = 0;  // right edge of the labels + 3 (the room the bar takes)
    std::int32_t barHeight = 0;
    std::int32_t labelHeight = 0;    // height of "1234567890" in the scale's font
    std::int32_t top = 0;            // top edge of the bar
    std::int32_t left = 0;           // left edge; the view sets it between measure and draw
    std::int32_t gap = kDefaultGap;  // between the bar and its labels
    DRect barRect;                   // world rectangle of the bar with labels

    // Count 239 over the range 0..0, palette mode; the Colours table holds the
    // palette ramp.
    ColorScale();

    // Takes everything but the bar's rectangle of the last drawing.
    void copyFrom(const ColorScale& other);

    // --- Bands and range --------------------------------------------------------
    std::int32_t count() const { return count_; }
    double min() const { return min_; }
    double max() const { return max_; }
    double step() const { return step_; }
    const std::vector<gdi::ColorRef>& colors() const { return colors_; }
    const std::vector<double>& boundaries() const { return boundaries_; }

    // min = minValue = dataMin = lo and max likewise, unless setMinMax holds
    // the range at minValue..maxValue; then Step = (max - min) / Count.
    void setRange(double lo, double hi);
    // Count = n with a fresh gradient (table mode) and equal boundaries;
    // false (nothing changes) unless 1 <= n <= kMaxCount.
    bool setCount(std::int32_t n);
    // New gradient ends; the gradient is made again (table mode).
    void setEndColors(gdi::ColorRef lowest, gdi::ColorRef highest);
    // Colours[i] = trunc(min + i / (Count - 1) · (max - min)) per byte for
    // i = 0..Count; PaletteMode becomes 0.
    void makeGradient();
    // b(0) = min, b(i + 1) = b(i) + (max - min) / Count.
    void makeEqualBoundaries();
    // False when index is outside 0..Count.
    bool setColor(int index, gdi::ColorRef color);
    bool setBoundary(int index, double value);

    // The colour map of the cell maps: 239 bands of the palette ramp over
    // gridMin..gridMax, palette mode, equal boundaries.
    void setUpColorMap(double gridMin, double gridMax);
    // One band below, between and above the isoline levels: Count = n + 1,
    // b = min(gridMin, l0), l0, ..., l(n-1), max(gridMax, l(n-1)), a fresh
    // gradient, the range b(0)..b(Count). Without levels it is one band over
    // the grid range. Levels that are not finite are left out and the rest
    // sorted. False (nothing changes) when more levels than kMaxCount - 1.
    bool setFromIsolineLevels(const std::vector<double>& levels, double gridMin, double gridMax);
    // The values of a levels file become the boundaries: Count = n (fresh
    // gradient), b(i) = v(i) ascending and the last boundary the larger of
    // max and v(n - 1). False (nothing changes) for no values or more than
    // kMaxCount.
    bool setBoundariesFromValues(const std::vector<double>& values);

    // --- Colour of a value ----------------------------------------------------------
    // The palette index of a value in palette mode: v is held to min..max and
    // the index to 16..255.
    int paletteIndexOf(double v) const;
    gdi::ColorRef colorOf(double v) const;

    // --- Colour bar -------------------------------------------------------------------
    // "%.<digit>lf", or "%.<digit>lg" while the range lies within
    // ±kTinyLabelRange, or "%.6lg" when it reaches ±kLargeLabelRange.
    std::string labelFormat() const;
    std::string labelText(double v) const;

    // --- Files ----------------------------------------------------------------------
    // The colour file: the tag, "Colors Count:", the count, then one colour
    // a line in the bar's order from the top. False after a warning
    // (message 201 when the file cannot be written).
    bool writeColorFile(const std::string& path) const;
    bool writeColors(std::FILE* file) const;
    // position kNewScale: Count from the file, equal boundaries, colours from
    // index 0; else the colours go from that index on. A wrong tag, a bad
    // count or an unreadable colour line gives message 217 (colours read
    // before a bad line stay); a file that cannot be opened, message 202.
    bool readColorFile(const std::string& path, int position);
    bool readColors(LineSource& lines, int position);

    // "CS01": the record of scalars, the font, the Colours and Boundaries as
    // direct arrays of Count + 1 entries, the "DR01" of barRect.
    void writeSection(BinaryWriter& out) const;
    // False on a wrong tag or a damaged section ("Invalid format." shown);
    // the scale is then as it was.
    bool readSection(BinaryReader& in);

    // Profile section "Color Scale"; a missing or unreadable key keeps its
    // member.
    void readProfile();
    void writeProfile() const;

private:
    // Count = n with the tables resized; the caller fills them.
    void resize(std::int32_t n);
    // The "CS01" record after its tag, for the writer and the reader.
    template <class Scale, class Io>
    static void recordFields(Scale& s, Io& io);

    std::int32_t count_ = kDefaultCount;  // colour bands, 1..kMaxCount
    double min_ = 0;                      // the active range
    double max_ = 0;
    double step_ = 0;                    // (max - min) / Count
    std::vector<gdi::ColorRef> colors_;  // Count + 1 colours; band i uses colour i
    std::vector<double> boundaries_;     // Count + 1 ascending band edges
};

}  // namespace gridova
