#include "platform/gdi.h"

namespace gridova::gdi {
namespace {

DeviceFactory* gFactory = nullptr;

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

void setDeviceFactory(DeviceFactory* factory) { gFactory = factory; }

DeviceFactory* deviceFactory() { return gFactory; }

}  // namespace gridova::gdi
