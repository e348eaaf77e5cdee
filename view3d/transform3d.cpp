#include "view3d/transform3d.h"

#include <cmath>

#include "platform/profile.h"

namespace gridova {

namespace {

using Matrix = std::array<double, 16>;

Matrix identity() {
    Matrix m{};
    m[0] = m[5] = m[10] = m[15] = 1;
    return m;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix r{};
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double s = 0;
            for (int k = 0; k < 4; ++k) s += a[i * 4 + k] * b[k * 4 + j];
            r[i * 4 + j] = s;
        }
    }
    return r;
}

constexpr const char* kAngleKeys[] = {"AngleX", "AngleY", "AngleZ"};

}  // namespace

Transform3D::Transform3D() { rebuild(); }

void Transform3D::setAngles(double x, double y, double z) {
    angles_ = {x, y, z};
    rebuild();
}

void Transform3D::setAnglesDegrees(int x, int y, int z) {
    const double k = std::numbers::pi / 180;
    setAngles(x * k, y * k, z * k);
}

int Transform3D::angleDegrees(int axis) const {
    return static_cast<int>(
        std::lround(angles_[static_cast<std::size_t>(axis)] * 180 / std::numbers::pi));
}

void Transform3D::setScale(double x, double y, double z) {
    scale_ = {x, y, z};
    rebuild();
}

void Transform3D::rebuild() {
    Matrix s = identity();
    s[0] = scale_[0];
    s[5] = scale_[1];
    s[10] = scale_[2];
    Matrix rx = identity(), ry = identity(), rz = identity();
    const double cx = std::cos(angles_[0]), sx = std::sin(angles_[0]);
    rx[5] = cx, rx[6] = sx, rx[9] = -sx, rx[10] = cx;
    const double cy = std::cos(angles_[1]), sy = std::sin(angles_[1]);
    ry[0] = cy, ry[2] = sy, ry[8] = -sy, ry[10] = cy;
    const double cz = std::cos(angles_[2]), sz = std::sin(angles_[2]);
    rz[0] = cz, rz[1] = sz, rz[4] = -sz, rz[5] = cz;
    m_ = multiply(multiply(multiply(s, rx), ry), rz);
}

Point3 Transform3D::apply(const Point3& p) const {
    const Matrix& m = m_;
    Point3 r{p.x * m[0] + p.y * m[4] + p.z * m[8] + m[12],
             p.x * m[1] + p.y * m[5] + p.z * m[9] + m[13],
             p.x * m[2] + p.y * m[6] + p.z * m[10] + m[14]};
    const double w = p.x * m[3] + p.y * m[7] + p.z * m[11] + m[15];
    if (w != 1 && w != 0) {
        r.x /= w;
        r.y /= w;
        r.z /= w;
    }
    return r;
}

void Transform3D::readProfile(std::string_view section) {
    for (std::size_t k = 0; k < 3; ++k) readProfileDouble(section, kAngleKeys[k], angles_[k]);
    rebuild();
}

void Transform3D::writeProfile(std::string_view section) const {
    for (std::size_t k = 0; k < 3; ++k) writeProfileDouble(section, kAngleKeys[k], angles_[k]);
}

}  // namespace gridova
