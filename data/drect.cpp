#include "data/drect.h"

#include <algorithm>
#include <cmath>

#include "data/section_io.h"
#include "platform/messages.h"

namespace gridova {
namespace {

constexpr std::string_view kTag = "DR01";

// The "DR01" record after its tag.
template <class Rect, class Io>
void rectFields(Rect& d, Io& io) {
    io.word(d.left);
    io.word(d.top);
    io.word(d.right);
    io.word(d.bottom);
    io.number(d.minX);
    io.number(d.minY);
    io.number(d.maxX);
    io.number(d.maxY);
    io.number(d.reserved);
}

}  // namespace

DRect::DRect(double x1, double y1, double x2, double y2)
    : minX(std::min(x1, x2)),
      minY(std::min(y1, y2)),
      maxX(std::max(x1, x2)),
      maxY(std::max(y1, y2)) {}

bool DRect::contains(double x, double y) const {
    return x >= minX && x <= maxX && y >= minY && y <= maxY;
}

bool DRect::contains(const DRect& o) const {
    return o.minX >= minX && o.maxX <= maxX && o.minY >= minY && o.maxY <= maxY;
}

bool DRect::overlaps(const DRect& o) const {
    return o.minX <= maxX + kTolerance && o.maxX >= minX - kTolerance &&
           o.minY <= maxY + kTolerance && o.maxY >= minY - kTolerance;
}

bool DRect::nearlyEquals(const DRect& o) const {
    const double tx = kTolerance * std::abs(width());
    const double ty = kTolerance * std::abs(height());
    return std::abs(minX - o.minX) <= tx && std::abs(maxX - o.maxX) <= tx &&
           std::abs(minY - o.minY) <= ty && std::abs(maxY - o.maxY) <= ty;
}

void DRect::include(const DRect& o) {
    minX = std::min(minX, o.minX);
    minY = std::min(minY, o.minY);
    maxX = std::max(maxX, o.maxX);
    maxY = std::max(maxY, o.maxY);
}

void DRect::include(double x, double y) {
    minX = std::min(minX, x);
    minY = std::min(minY, y);
    maxX = std::max(maxX, x);
    maxY = std::max(maxY, y);
}

void DRect::shift(double dx, double dy) {
    minX += dx;
    maxX += dx;
    minY += dy;
    maxY += dy;
}

void DRect::writeSection(BinaryWriter& out) const {
    RecordBuffer r;
    r.putString(kTag);
    RecordWriting io(r);
    rectFields(*this, io);
    r.writeRecord(out);
}

bool DRect::readSection(BinaryReader& in) {
    RecordBuffer r;
    if (section_io::openSectionQuietly(in, r, kTag) != 1) return false;
    RecordReading io(r);
    rectFields(*this, io);
    return true;
}

void include(std::optional<DRect>& into, const std::optional<DRect>& box) {
    if (!box) return;
    if (!into) {
        into = DRect(box->minX, box->minY, box->maxX, box->maxY);
    } else {
        into->include(*box);
    }
}

DRect withSides(const DRect& r) {
    const double w = r.width(), h = r.height();
    if (!(w > 0) && !(h > 0)) {
        const double d = std::max(0.5, std::abs(r.minX) * 1e-3);
        return DRect(r.minX - d, r.minY - d, r.maxX + d, r.maxY + d);
    }
    if (!(w > 0)) return DRect(r.minX - h / 2, r.minY, r.maxX + h / 2, r.maxY);
    if (!(h > 0)) return DRect(r.minX, r.minY - w / 2, r.maxX, r.maxY + w / 2);
    return r;
}

}  // namespace gridova
