// The GIF writer against giflib's encoder on the same 800 × 800 picture.
//
// The picture is drawn like a contour map: 20 colour bands of a smooth
// surface, black isolines on the band borders, a grey coordinate grid every
// 100 pixels and a white frame; 23 colours in all, as a 32-bit bitmap.
//
// Like for like, from palette indices to a closed file opened by the
// benchmark itself (giflib's EGifOpenFileName would make a 0600 file):
//   BM_OursIndexedToFile    encodeGif + fwrite
//   BM_GiflibIndexedToFile  EGifOpenFileHandle, EGifPutLine per row, EGifCloseFile
// The whole picture export, from the bitmap:
//   BM_OursWriteGif            writeGif: conversion, colour reduction, LZW and
//                              the safe save (temporary file, fsync, rename)
//   BM_GiflibWithOurReduction  our conversion and colour reduction, then giflib
// The counter "bytes" is the size of the file written.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "exchange/dib_pixels.h"
#include "exchange/gif_writer.h"
#include "platform/dib.h"

namespace {

constexpr int kSize = 800;
constexpr int kBands = 20;
constexpr int kGridStep = 100;
constexpr const char* kOurFile = "/tmp/gridova-bench-ours.gif";
constexpr const char* kGiflibFile = "/tmp/gridova-bench-giflib.gif";

gridova::gdi::Dib contourMap() {
    // Band colours: blue through green to red.
    std::uint8_t colours[kBands][3];
    for (int i = 0; i < kBands; ++i) {
        const int t = 255 * i / (kBands - 1);
        colours[i][0] = static_cast<std::uint8_t>(t);
        colours[i][1] = static_cast<std::uint8_t>(255 - std::abs(2 * t - 255));
        colours[i][2] = static_cast<std::uint8_t>(255 - t);
    }
    std::vector<int> band(static_cast<std::size_t>(kSize + 1) * (kSize + 1));
    for (int y = 0; y <= kSize; ++y) {
        for (int x = 0; x <= kSize; ++x) {
            const double u = 8.0 * x / kSize;
            const double v = 8.0 * y / kSize;
            const double f = 0.5 + 0.25 * std::sin(u) * std::cos(0.8 * v) +
                             0.2 * std::sin(0.6 * u + v) + 0.04 * std::cos(3 * u - 2 * v);
            band[static_cast<std::size_t>(y) * (kSize + 1) + x] =
                std::clamp(static_cast<int>(f * kBands), 0, kBands - 1);
        }
    }
    auto at = [&](int x, int y) { return band[static_cast<std::size_t>(y) * (kSize + 1) + x]; };

    gridova::gdi::Dib dib;
    dib.width = kSize;
    dib.height = kSize;
    dib.bitsPerPixel = 32;
    dib.bits.assign(dib.imageSize(), 0);
    for (int y = 0; y < kSize; ++y) {
        std::uint8_t* row =
            dib.bits.data() + static_cast<std::size_t>(kSize - 1 - y) * dib.stride();
        for (int x = 0; x < kSize; ++x) {
            std::uint8_t r, g, b;
            if (x < 3 || y < 3 || x >= kSize - 3 || y >= kSize - 3) {
                r = g = b = 255;
            } else if (at(x, y) != at(x + 1, y) || at(x, y) != at(x, y + 1)) {
                r = g = b = 0;
            } else if (x % kGridStep == 0 || y % kGridStep == 0) {
                r = g = b = 128;
            } else {
                r = colours[at(x, y)][0];
                g = colours[at(x, y)][1];
                b = colours[at(x, y)][2];
            }
            row[4 * x] = b;
            row[4 * x + 1] = g;
            row[4 * x + 2] = r;
        }
    }
    return dib;
}

const gridova::gdi::Dib& picture() {
    static const gridova::gdi::Dib dib = contourMap();
    return dib;
}

const gridova::IndexedImage& indexedPicture() {
    static const gridova::IndexedImage image = gridova::reduceColours(gridova::toRgb(picture()));
    return image;
}

long fileSize(const char* path) {
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return -1;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return size;
}

bool writeWithGiflib(const gridova::IndexedImage& image, const char* path) {
    const int fd = ::open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) return false;
    int error = 0;
    GifFileType* gif = EGifOpenFileHandle(fd, &error);
    if (gif == nullptr) {
        ::close(fd);
        return false;
    }
    GifColorType colours[gridova::kGifPaletteSize];
    for (int i = 0; i < gridova::kGifPaletteSize; ++i) {
        colours[i] = {image.palette[3 * i], image.palette[3 * i + 1], image.palette[3 * i + 2]};
    }
    ColorMapObject* map = GifMakeMapObject(gridova::kGifPaletteSize, colours);
    bool ok = EGifPutScreenDesc(gif, image.width, image.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, image.width, image.height, false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < image.height; ++y) {
        // giflib takes non-const rows but only reads them.
        auto* row = const_cast<GifPixelType*>(image.indices.data() +
                                              static_cast<std::size_t>(y) * image.width);
        ok = EGifPutLine(gif, row, image.width) == GIF_OK;
    }
    GifFreeMapObject(map);
    return EGifCloseFile(gif, &error) == GIF_OK && ok;  // closes fd
}

void BM_OursIndexedToFile(benchmark::State& state) {
    const gridova::IndexedImage& image = indexedPicture();
    for (auto _ : state) {
        const auto bytes = gridova::encodeGif(image);
        std::FILE* f = std::fopen(kOurFile, "wb");
        if (!bytes || f == nullptr ||
            std::fwrite(bytes->data(), 1, bytes->size(), f) != bytes->size()) {
            state.SkipWithError("write failed");
        }
        if (f != nullptr) std::fclose(f);
    }
    state.counters["bytes"] = static_cast<double>(fileSize(kOurFile));
}

void BM_GiflibIndexedToFile(benchmark::State& state) {
    const gridova::IndexedImage& image = indexedPicture();
    for (auto _ : state) {
        if (!writeWithGiflib(image, kGiflibFile)) state.SkipWithError("giflib failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(kGiflibFile));
}

void BM_OursWriteGif(benchmark::State& state) {
    const gridova::gdi::Dib& dib = picture();
    for (auto _ : state) {
        if (!gridova::writeGif(dib, kOurFile)) state.SkipWithError("writeGif failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(kOurFile));
}

void BM_GiflibWithOurReduction(benchmark::State& state) {
    const gridova::gdi::Dib& dib = picture();
    for (auto _ : state) {
        const gridova::IndexedImage image = gridova::reduceColours(gridova::toRgb(dib));
        if (!writeWithGiflib(image, kGiflibFile)) state.SkipWithError("giflib failed");
    }
    state.counters["bytes"] = static_cast<double>(fileSize(kGiflibFile));
}

BENCHMARK(BM_OursIndexedToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GiflibIndexedToFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OursWriteGif)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GiflibWithOurReduction)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
