// The rotation of the 3D views: a point p (a row vector) goes to p · M
// with M = S · Rx(angleX) · Ry(angleY) · Rz(angleZ), S = diag(scaleX,
// scaleY, scaleZ, 1). Rx has m11 = cos, m12 = sin, m21 = -sin, m22 = cos;
// Ry m00 = cos, m02 = sin, m20 = -sin, m22 = cos; Rz m00 = cos, m01 = sin,
// m10 = -sin, m11 = cos. The drawing plane is (x', z'): the views look
// along the transformed y axis.
#pragma once

#include <array>
#include <numbers>
#include <string_view>

namespace gridova {

struct Point3 {
    double x = 0, y = 0, z = 0;
};

class Transform3D {
public:
    static constexpr double kDefaultAngleX = -std::numbers::pi / 3;  // -60°
    static constexpr double kDefaultAngleY = 0;
    static constexpr double kDefaultAngleZ = std::numbers::pi / 6;  // 30°

    Transform3D();

    double angleX() const { return angles_[0]; }
    double angleY() const { return angles_[1]; }
    double angleZ() const { return angles_[2]; }
    // Radians.
    void setAngles(double x, double y, double z);
    // Whole degrees (any value; the rotation page offers -180..180).
    void setAnglesDegrees(int x, int y, int z);
    // The angle in whole degrees, rounded: axis 0, 1 or 2.
    int angleDegrees(int axis) const;
    void setScale(double x, double y, double z);

    Point3 apply(const Point3& p) const;
    const std::array<double, 16>& matrix() const { return m_; }

    // "AngleX", "AngleY", "AngleZ" of the profile section; a missing key
    // keeps the angle.
    void readProfile(std::string_view section);
    void writeProfile(std::string_view section) const;

private:
    void rebuild();

    std::array<double, 3> angles_{kDefaultAngleX, kDefaultAngleY, kDefaultAngleZ};
    std::array<double, 3> scale_{1, 1, 1};
    std::array<double, 16> m_{};
};

}  // namespace gridova
