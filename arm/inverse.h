#pragma once

#include "kinematics.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

// The inverse of the forward kinematics: the whole-degree joint angles that put the tool on
// a point, in closed form. Q1 turns the arm's vertical plane toward the point; the wrist lies
// one tool length back from the point along the tool; the two links of the shoulder and the
// elbow reach the wrist with the elbow above or below; Q4 gives the tool its pitch.
//
// Joint angles are in the arm's own degrees (radians = degrees / 180 * 3.1416), as the
// entries and the forward kinematics hold them.
namespace arm {

// The tool's pitch is its angle above the horizontal in the arm's vertical plane, in
// ordinary degrees (it is a direction in space, and 90 stands exactly straight up):
// 0 = horizontal pointing away from the base axis (toward the point), 90 = straight up,
// -90 = straight down, beyond +-90 it points back toward the base axis; within [-180, 180].
// With Q1 facing the point, pitch = -(Q2 + Q3 + Q4) * 3.1416 / pi - 90, which is
// -(Q2 + Q3 + Q4 + 90) within 0.002 degree; with Q1 turned away, 180 minus that.

// Elbow above / below the line from the shoulder to the wrist (in z); a vertical line counts
// as leaning toward the target.
enum class Elbow { Up, Down };

struct InverseSolution
{
    std::array<int, 4> degrees{};  // Q1..Q4 in whole degrees, each in (-180, 180]
    Elbow elbow = Elbow::Up;
    bool baseTurned = false;       // Q1 faces away from the point: the arm reaches back over the base
    Point3 position;               // the tool where ArmModel puts it for `degrees`
    double error = 0.0;            // distance from position to the target
    bool belowFloor = false;       // a joint origin (frames 1..4) or the tool has z < 0
};

struct InverseResult
{
    enum class Status { Reached, TooFar, PitchCannotReach };
    Status status = Status::Reached;
    Point3 target;
    double pitchDeg = 0.0;         // the pitch solved for: the one given, or the one chosen
    bool pitchChosen = false;      // no pitch was given: inverse() chose pitchDeg
    bool onAxis = false;           // the target lies on the base axis: Q1 is free and taken as 0
    double shoulderDistance = 0.0; // from the shoulder to the target
    double reach = 0.0;            // the farthest the tool gets from the shoulder
    // The pitches that reach the target, when any does, counted upward from minPitchDeg to
    // maxPitchDeg (a given pitch a hair beyond them is still taken, by the 0.001 below). When they pass pointing straight back, minPitchDeg > maxPitchDeg: they are
    // [minPitchDeg, 180] and [-180, maxPitchDeg]. When every pitch reaches: -180 and 180.
    double minPitchDeg = 0.0;
    double maxPitchDeg = 0.0;
    // Empty unless Reached. Q1 facing the target before Q1 turned away, elbow up before
    // down; solutions with the same whole degrees are given once (at full stretch the two
    // elbows are one). On the base axis only Q1 = 0: the arm is symmetric about the axis.
    std::vector<InverseSolution> solutions;
};

// Without a pitch, the one nearest the horizontal among those that reach, a whole degree
// when the reaching pitches hold one. A given pitch is brought within [-180, 180] first.
// A point or a wrist up to 0.001 beyond its reach (what the position readouts round away)
// is taken as at full stretch, with the error that leaves.
// Each joint is its exact value rounded down or up, whichever of the sixteen combinations
// puts the tool nearest the target by the arm's own forward kinematics.
InverseResult inverse(const Point3 &target, std::optional<double> pitchDeg = std::nullopt);

// Why the target cannot be reached, in Spanish (UTF-8) with its numbers by the pattern
// "00.000" and the given decimal point; empty when it is reached.
std::string describe(const InverseResult &result, char decimalPoint = '.');

} // namespace arm
