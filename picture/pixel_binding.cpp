#include "picture/pixel_binding.h"

#include <algorithm>
#include <cmath>

namespace gridova {

PixelBinding PixelBinding::forPicture(std::int32_t width, std::int32_t height) {
    PixelBinding b;
    b.ix2 = width;
    b.iy2 = height;
    b.dy1 = height;
    b.dx2 = width;
    b.dy2 = 0;
    return b;
}

std::pair<double, double> PixelBinding::scales() const {
    const bool alongX = ix2 != ix1, alongY = iy2 != iy1;
    const double sx = alongX ? (dx2 - dx1) / (ix2 - ix1) : 0.0;
    const double sy = alongY ? (dy2 - dy1) / (iy2 - iy1) : 0.0;
    if (alongX && alongY) return {sx, sy};
    if (alongX) return {sx, -std::abs(sx)};
    if (alongY) return {std::abs(sy), sy};
    return {1.0, -1.0};
}

std::pair<double, double> PixelBinding::pixelToMap(double px, double py) const {
    const auto [sx, sy] = scales();
    return {(px - ix1) * sx + dx1, (py - iy1) * sy + dy1};
}

std::pair<std::int32_t, std::int32_t> PixelBinding::mapToPixel(double x, double y,
                                                               std::int32_t width,
                                                               std::int32_t height) const {
    const auto [sx, sy] = scales();
    const double inverseX = sx != 0 ? 1 / sx : 0.0;
    const double inverseY = sy != 0 ? 1 / sy : 0.0;
    const auto toPixel = [](double p, std::int32_t limit) {
        const double rounded = std::trunc(p + 0.5);
        if (!(rounded >= 0)) return 0;  // also NaN
        return static_cast<std::int32_t>(std::min<double>(rounded, limit));
    };
    return {toPixel((x - dx1) * inverseX + ix1, width),
            toPixel((y - dy1) * inverseY + iy1, height)};
}

}  // namespace gridova
