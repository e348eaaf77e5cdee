#include "tests/exchange/test_pictures.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>

#include "tests/common/test_env.h"

namespace gridova::testing {
namespace {

constexpr std::uint8_t kFill = 0xEE;  // padding and unused bytes
constexpr int kBands = 20;

int componentDifference(Rgb a, Rgb b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}

}  // namespace

Picture drawPicture(int width, int height, const std::function<Rgb(int x, int y)>& colour) {
    Picture p{width, height, {}};
    p.pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) p.pixels.push_back(colour(x, y));
    }
    return p;
}

Picture contourMap(int width, int height) {
    static const Rgb kBandColours[kBands] = {
        {0, 0, 128},   {0, 0, 192},   {0, 0, 255},   {0, 64, 255},  {0, 128, 255},
        {0, 192, 255}, {0, 255, 255}, {0, 255, 192}, {0, 255, 128}, {0, 255, 64},
        {0, 255, 0},   {64, 255, 0},  {128, 255, 0}, {192, 255, 0}, {255, 255, 0},
        {255, 192, 0}, {255, 128, 0}, {255, 64, 0},  {255, 0, 0},   {192, 0, 0}};
    // Band of each pixel, one extra column and row for the border test.
    std::vector<int> bands(static_cast<std::size_t>(width + 1) * (height + 1));
    for (int y = 0; y <= height; ++y) {
        for (int x = 0; x <= width; ++x) {
            const double u = 6.0 * x / width;
            const double v = 6.0 * y / height;
            const double f = 0.5 + 0.25 * std::sin(u) * std::cos(v) + 0.2 * std::sin(0.7 * u + v);
            bands[static_cast<std::size_t>(y) * (width + 1) + x] =
                std::clamp(static_cast<int>(f * kBands), 0, kBands - 1);
        }
    }
    auto band = [&](int x, int y) { return bands[static_cast<std::size_t>(y) * (width + 1) + x]; };
    return drawPicture(width, height, [&](int x, int y) -> Rgb {
        if (x < 2 || y < 2 || x >= width - 2 || y >= height - 2) return {255, 255, 255};
        const int here = band(x, y);
        if (here != band(x + 1, y) || here != band(x, y + 1)) return {0, 0, 0};
        return kBandColours[here];
    });
}

Picture noise(int width, int height, int colours, std::uint32_t seed) {
    std::uint32_t state = seed;
    return drawPicture(width, height, [&](int, int) -> Rgb {
        state = state * 1664525u + 1013904223u;  // Numerical Recipes' LCG
        const int i = static_cast<int>((state >> 24) % static_cast<std::uint32_t>(colours));
        return {static_cast<std::uint8_t>(i * 37), static_cast<std::uint8_t>(i * 91),
                static_cast<std::uint8_t>(i)};
    });
}

gdi::Dib toDib(const Picture& picture, int bitsPerPixel) {
    gdi::Dib dib;
    dib.width = picture.width;
    dib.height = picture.height;
    dib.bitsPerPixel = bitsPerPixel;
    dib.bits.assign(dib.imageSize(), kFill);
    std::vector<Rgb> table;
    if (bitsPerPixel == 8) dib.colorTable.assign(256, gdi::RgbQuad{1, 2, 3, 0});
    for (int y = 0; y < picture.height; ++y) {
        std::uint8_t* row = dib.bits.data() + (picture.height - 1 - y) * dib.stride();
        for (int x = 0; x < picture.width; ++x) {
            const Rgb c = picture.at(x, y);
            switch (bitsPerPixel) {
                case 8: {
                    auto it = std::find(table.begin(), table.end(), c);
                    if (it == table.end()) {
                        if (table.size() == 256) {
                            ADD_FAILURE() << "more than 256 colours for an 8-bit bitmap";
                            return dib;
                        }
                        table.push_back(c);
                        it = table.end() - 1;
                    }
                    const int index = 255 - static_cast<int>(it - table.begin());
                    dib.colorTable[index] = gdi::RgbQuad{c.b, c.g, c.r, 0};
                    row[x] = static_cast<std::uint8_t>(index);
                    break;
                }
                case 16: {
                    // Bit 15 is not part of 5-5-5 and is set to show it is ignored.
                    const unsigned v =
                        0x8000u | ((c.r >> 3u) << 10u) | ((c.g >> 3u) << 5u) | (c.b >> 3u);
                    row[2 * x] = static_cast<std::uint8_t>(v);
                    row[2 * x + 1] = static_cast<std::uint8_t>(v >> 8);
                    break;
                }
                case 24:
                    row[3 * x] = c.b;
                    row[3 * x + 1] = c.g;
                    row[3 * x + 2] = c.r;
                    break;
                case 32:
                    row[4 * x] = c.b;
                    row[4 * x + 1] = c.g;
                    row[4 * x + 2] = c.r;
                    break;
                default:
                    ADD_FAILURE() << "no such depth " << bitsPerPixel;
                    return dib;
            }
        }
    }
    return dib;
}

Picture shownBy(const Picture& picture, int bitsPerPixel) {
    if (bitsPerPixel != 16) return picture;
    Picture shown = picture;
    auto five = [](std::uint8_t v) { return static_cast<std::uint8_t>((v >> 3) * 255 / 31); };
    for (Rgb& c : shown.pixels) c = {five(c.r), five(c.g), five(c.b)};
    return shown;
}

Picture decodeWithQt(const std::string& path) {
    const QImage image = QImage(QString::fromStdString(path)).convertToFormat(QImage::Format_RGB32);
    if (image.isNull()) return {};
    return drawPicture(image.width(), image.height(), [&](int x, int y) -> Rgb {
        const QRgb c = image.pixel(x, y);
        return {static_cast<std::uint8_t>(qRed(c)), static_cast<std::uint8_t>(qGreen(c)),
                static_cast<std::uint8_t>(qBlue(c))};
    });
}

Picture decodeGifWithGiflib(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (gif == nullptr) return {};
    Picture picture;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount == 1) {
        const SavedImage& image = gif->SavedImages[0];
        const ColorMapObject* map =
            image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif->SColorMap;
        if (map != nullptr) {
            picture = drawPicture(
                image.ImageDesc.Width, image.ImageDesc.Height, [&](int x, int y) -> Rgb {
                    const GifColorType c =
                        map->Colors[image.RasterBits[y * image.ImageDesc.Width + x]];
                    return {c.Red, c.Green, c.Blue};
                });
        }
    }
    DGifCloseFile(gif, &error);
    return picture;
}

std::vector<int> gifSubBlockLengths(const std::string& bytes) {
    // Header 6 + screen descriptor 7 + global table 768, image descriptor
    // 10, minimum code size 1.
    constexpr std::size_t kDescriptor = 6 + 7 + 768;
    constexpr std::size_t kFirstBlock = kDescriptor + 10 + 1;
    if (bytes.size() < kFirstBlock || static_cast<std::uint8_t>(bytes[kDescriptor]) != 0x2C) {
        return {};
    }
    std::vector<int> lengths;
    std::size_t pos = kFirstBlock;
    while (pos < bytes.size() && bytes[pos] != 0) {
        lengths.push_back(static_cast<std::uint8_t>(bytes[pos]));
        pos += lengths.back() + 1u;
    }
    // The zero-length block, then the trailer as the last byte.
    if (pos + 2 != bytes.size() || bytes[pos + 1] != 0x3B) return {};
    return lengths;
}

int countDifferences(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) return -1;
    int n = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) n += a.pixels[i] == b.pixels[i] ? 0 : 1;
    return n;
}

int largestDifference(const Picture& a, const Picture& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.size() != b.pixels.size()) {
        return 256;
    }
    int largest = 0;
    for (std::size_t i = 0; i < a.pixels.size(); ++i) {
        largest = std::max(largest, componentDifference(a.pixels[i], b.pixels[i]));
    }
    return largest;
}

RecordingBoxes::RecordingBoxes() { setBoxes(this); }
RecordingBoxes::~RecordingBoxes() { setBoxes(nullptr); }
void RecordingBoxes::information(const std::string&, const std::string&) {}
void RecordingBoxes::warning(const std::string&, const std::string& text) {
    warnings.push_back(text);
}
Answer RecordingBoxes::question(const std::string&, const std::string&) { return Answer::No; }

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

std::vector<std::string> filesInTestDir() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(testDir())) {
        const std::string name = entry.path().filename().string();
        // The message log's file and the profile belong to the run, not to a writer.
        if (name != "Message.txt" && name != "profile.ini" && name != "stderr.txt") {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace gridova::testing
