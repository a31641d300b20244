#pragma once

#include "kinematics.h"

// A perspective camera that orbits a target in the arm's model space, free of Qt. The
// model's z axis points up; the camera sits on a sphere around the target, turned by yaw
// about z (0 on the +x side, 90 on the +y side) and raised by pitch above the x-y plane,
// always upright. Moving it never touches the model.
namespace arm {

// A projected point: pixels from the top-left of a picture, y down, and the distance in
// front of the camera along its line of sight, in model units.
struct ScreenPoint
{
    double x = 0.0;
    double y = 0.0;
    double depth = 0.0;
};

struct Camera
{
    // The arm stands about its base axis, up to some 31 units high and 21 around.
    static constexpr double kYawDeg = -60.0;
    static constexpr double kPitchDeg = 25.0;
    static constexpr double kDistance = 60.0;
    static constexpr Point3 kTarget = {0.0, 0.0, 10.0};
    // Seen across the shorter side of the picture.
    static constexpr double kFieldOfViewDeg = 40.0;
    // Short of straight above or below, where "upright" has no meaning.
    static constexpr double kMaxPitchDeg = 89.0;
    // Nothing drawn reaches 40 units from the target: closer than 45 it could pass behind
    // the camera.
    static constexpr double kMinDistance = 45.0;
    static constexpr double kMaxDistance = 300.0;

    double yawDeg = kYawDeg;
    double pitchDeg = kPitchDeg;
    double distance = kDistance;
    Point3 target = kTarget;

    // Where p lands in a picture of that many pixels, the target at its centre.
    ScreenPoint project(const Point3 &p, double width, double height) const;
    // Pixels that one model unit spans at that depth, across the line of sight.
    double pixelsPerUnit(double depth, double width, double height) const;

    // Turns about the target by these degrees; the pitch stops at kMaxPitchDeg.
    void orbit(double yawDeltaDeg, double pitchDeltaDeg);
    // Moves toward the target by this factor (above 1 comes closer), within the limits.
    void zoom(double factor);
    void reset() { *this = Camera(); }
};

} // namespace arm
