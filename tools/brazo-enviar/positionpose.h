#pragma once

#include "inverse.h"

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// A tool point asked of the sender, as the four joint angles that put the tool there: the
// solution of arm::inverse with Q1 facing the point and the elbow asked for, or, when that
// elbow is the other one (at full stretch the two are one pose), the one there is.
struct PositionPose
{
    static PositionPose solve(const arm::Point3 &target, std::optional<double> pitchDeg, arm::Elbow elbow);
    // A coordinate or a pitch as the user writes it: a point before the decimals ("12.5",
    // "-3", "1e2"), never a comma, finite.
    static std::optional<double> readNumber(const QString &text);

    bool reached() const { return failure.isEmpty(); }
    // "Q1 18, Q2 -18, Q3 -38, Q4 -52 (cabeceo 0°, error 0.012)".
    QString summary() const;
    // What the user should know before the arm moves there: the elbow that was not there,
    // a pose through the floor.
    QStringList warnings() const;

    // Empty when the point is reached; else why not, in Spanish.
    QString failure;
    std::array<int, 4> degrees{};
    arm::Elbow asked = arm::Elbow::Up;
    arm::Elbow elbow = arm::Elbow::Up;
    // The pitch given, or the one arm::inverse chose, in degrees.
    double pitchDeg = 0.0;
    // How far the whole degrees leave the tool from the point.
    double error = 0.0;
    // A joint or the tool below the floor, z < 0; the point itself there.
    bool belowFloor = false;
    bool targetBelowFloor = false;
};
