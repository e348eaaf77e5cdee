// How a background picture's pixels lie on the map: two pixel points
// (IX1, IY1), (IX2, IY2) bound to the map points (DX1, DY1), (DX2, DY2).
// Pixel y counts down from the picture's top row; map y counts up.
//
// Scales: sx = (DX2 - DX1) / (IX2 - IX1) and sy = (DY2 - DY1) / (IY2 - IY1)
// where the pixel points differ that way. Where they do not, the scale is
// taken from the other one with the direction of its own axis: sx = |sy|
// (pixels to the right are map x to the right) and sy = -|sx| (pixels
// down are map y down); with no difference either way, sx = 1 and
// sy = -1. Copying the signed scale across would mirror the picture.
#pragma once

#include <cstdint>
#include <utility>

namespace gridova {

struct PixelBinding {
    std::int32_t ix1 = 0, iy1 = 0, ix2 = 0, iy2 = 0;
    double dx1 = 0, dy1 = 0, dx2 = 0, dy2 = 0;

    // The binding of a picture of this size before any is chosen: pixels as
    // map units with y up, the picture's lower-left corner at (0, 0).
    static PixelBinding forPicture(std::int32_t width, std::int32_t height);

    // Map units per pixel along x and y (y negative when the binding keeps
    // the picture upright).
    std::pair<double, double> scales() const;

    std::pair<double, double> pixelToMap(double px, double py) const;
    // The pixel of a map point, rounded to the nearest and held to
    // 0..width and 0..height; a scale of 0 gives the bound pixel.
    std::pair<std::int32_t, std::int32_t> mapToPixel(double x, double y, std::int32_t width,
                                                     std::int32_t height) const;
};

}  // namespace gridova
