#include "platform/gdi.h"

#include "platform/app_context.h"

namespace gridova::gdi {
namespace {

constexpr int kDotsPerInch = 96;

}  // namespace

LogFont LogFont::pointFont(std::string_view face, int tenthsOfPoint) {
    LogFont f;
    // MulDiv rounds half away from zero.
    const long long scaled = static_cast<long long>(tenthsOfPoint) * kDotsPerInch;
    f.height = -static_cast<std::int32_t>((scaled + 360) / 720);
    f.faceName.assign(face.substr(0, kMaxFaceName));
    return f;
}

void setDeviceFactory(DeviceFactory* factory) { processContext().setDevices(factory); }

DeviceFactory* deviceFactory() { return processContext().devices(); }

}  // namespace gridova::gdi

namespace gridova {

gdi::ColorRef StandardPalette::color(int index) {
    static const gdi::ColorRef kFirst[16] = {
        gdi::rgb(0, 0, 0),       gdi::rgb(0, 128, 128),   gdi::rgb(0, 128, 0),
        gdi::rgb(0, 0, 128),     gdi::rgb(128, 0, 0),     gdi::rgb(255, 0, 0),
        gdi::rgb(128, 128, 0),   gdi::rgb(128, 128, 128), gdi::rgb(192, 192, 0),
        gdi::rgb(0, 255, 255),   gdi::rgb(192, 220, 192), gdi::rgb(166, 202, 240),
        gdi::rgb(255, 0, 255),   gdi::rgb(255, 251, 240), gdi::rgb(255, 255, 0),
        gdi::rgb(255, 255, 255),
    };
    const int i = ((index % kSize) + kSize) % kSize;
    if (i < 16) return kFirst[i];
    if (i < 64) {
        const unsigned k = static_cast<unsigned>(i - 16);
        return gdi::rgb(64 + 4 * k, 0, 190 - 4 * k);
    }
    if (i < 128) {
        const unsigned k = static_cast<unsigned>(i - 64);
        return gdi::rgb(252 - 4 * k, 4 * k, 0);
    }
    if (i < 192) {
        const unsigned k = static_cast<unsigned>(i - 128);
        return gdi::rgb(4 * k, 252 - 4 * k, 4 * k);
    }
    const unsigned k = static_cast<unsigned>(i - 192);
    return gdi::rgb(252, 4 * k, 252 - 4 * k);
}

}  // namespace gridova
