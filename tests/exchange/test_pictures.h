// Pictures for the writer tests: drawn in plain code, packed into bitmaps
// of every depth, and read back with decoders that are not ours (Qt's image
// readers, giflib).
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "platform/dib.h"
#include "platform/messages.h"

namespace gridova::testing {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Top-down pixels.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A bitmap depth and picture size for the read-back tables; its name (also
// what gtest prints) reads "Bits24_801x600".
struct DepthAndSize {
    int bitsPerPixel;
    int width;
    int height;

    std::string name() const {
        return "Bits" + std::to_string(bitsPerPixel) + "_" + std::to_string(width) + "x" +
               std::to_string(height);
    }
    friend void PrintTo(const DepthAndSize& c, std::ostream* os) { *os << c.name(); }
};

Picture drawPicture(int width, int height, const std::function<Rgb(int x, int y)>& colour);

// A contour-map-like picture: 20 colour bands of a smooth surface, black
// isolines on the band borders, a white frame.
Picture contourMap(int width, int height);

// Pseudo-random pixels of `colours` distinct colours (at most 256).
Picture noise(int width, int height, int colours, std::uint32_t seed);

// Packs the picture into a bitmap of 8, 16, 24 or 32 bits per pixel,
// bottom row first, with 0xEE in every padding and unused byte. 8 bits: the
// colour table holds the picture's colours (at most 256) from index 255
// downwards, so an index is never its colour's rank. 16 bits keep the top 5
// bits of each component.
gdi::Dib toDib(const Picture& picture, int bitsPerPixel);

// What a bitmap made by toDib shows: 16 bits give each 5-bit component v as
// v × 255 / 31; other depths keep the colours.
Picture shownBy(const Picture& picture, int bitsPerPixel);

// Read back by Qt (QImage) and by giflib.
Picture decodeWithQt(const std::string& path);
Picture decodeGifWithGiflib(const std::string& path);

// Lengths of the LZW sub-blocks of a GIF file written by us (one image, a
// global table), the zero-length terminator excluded; empty when the
// layout around them is not the expected one.
std::vector<int> gifSubBlockLengths(const std::string& bytes);

// Mismatching pixels (0 when equal and of the same size; -1 on a size
// difference) and the largest component difference.
int countDifferences(const Picture& a, const Picture& b);
int largestDifference(const Picture& a, const Picture& b);

// Boxes that record the texts of the warnings.
class RecordingBoxes final : public Boxes {
public:
    RecordingBoxes();
    ~RecordingBoxes() override;
    void information(const std::string&, const std::string& text) override;
    void warning(const std::string&, const std::string& text) override;
    Answer question(const std::string&, const std::string& text) override;

    std::vector<std::string> warnings;
};

// Files of this process may not grow past `bytes` while it lives (a full
// disk); writes past the limit fail with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*savedHandler_)(int) = nullptr;
};

// The names of the files in the test directory.
std::vector<std::string> filesInTestDir();

}  // namespace gridova::testing
