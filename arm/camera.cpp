#include "camera.h"

#include <algorithm>
#include <cmath>

namespace arm {
namespace {

// The camera's angles are the viewer's, not the arm's: they take the true pi, unlike the
// joint angles, whose known results carry 3.1416.
constexpr double kPi = 3.14159265358979323846;

double radians(double degrees)
{
    return degrees * kPi / 180.0;
}

double dot(const Point3 &a, const Point3 &b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

double focalPixels(double width, double height)
{
    return 0.5 * std::min(width, height) / std::tan(radians(Camera::kFieldOfViewDeg) / 2.0);
}

} // namespace

ScreenPoint Camera::project(const Point3 &p, double width, double height) const
{
    const double cy = std::cos(radians(yawDeg));
    const double sy = std::sin(radians(yawDeg));
    const double cp = std::cos(radians(pitchDeg));
    const double sp = std::sin(radians(pitchDeg));
    // From the target toward the eye, and the eye's right and up: right = forward x z,
    // up = right x forward.
    const Point3 back = {cp * cy, cp * sy, sp};
    const Point3 right = {-sy, cy, 0.0};
    const Point3 up = {-sp * cy, -sp * sy, cp};
    const Point3 fromEye = {p.x - target.x - distance * back.x, p.y - target.y - distance * back.y,
                            p.z - target.z - distance * back.z};
    const double depth = -dot(fromEye, back);
    const double f = focalPixels(width, height);
    return {width / 2.0 + f * dot(fromEye, right) / depth, height / 2.0 - f * dot(fromEye, up) / depth, depth};
}

double Camera::pixelsPerUnit(double depth, double width, double height) const
{
    return focalPixels(width, height) / depth;
}

void Camera::orbit(double yawDeltaDeg, double pitchDeltaDeg)
{
    // Kept within one turn, so that a long drag does not lose precision.
    yawDeg = std::remainder(yawDeg + yawDeltaDeg, 360.0);
    pitchDeg = std::clamp(pitchDeg + pitchDeltaDeg, -kMaxPitchDeg, kMaxPitchDeg);
}

void Camera::zoom(double factor)
{
    distance = std::clamp(distance / factor, kMinDistance, kMaxDistance);
}

} // namespace arm
