#pragma once

#include "inverse.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// One message as it goes on the link, and the least time after the previous one. The
// link's own pacing applies on top: two messages never come closer than that.
struct Step
{
    QByteArray bytes;
    int waitMs = 0;
};

// How a recording is replayed: its gaps divided by speed, and none longer than maxPauseMs
// once divided.
struct ReplayTiming
{
    double speed = 1.0;
    std::optional<int> maxPauseMs;
};

// What to send, read from the arguments, a pose file or a recording. A file is read whole
// before anything is sent, so a wrong line leaves the arm where it was.
struct Script
{
    // Each a selector "A".."D" and, but for a bare selector, whole degrees.
    static Script fromMessages(const QStringList &messages);
    // The four joints, Q1 to Q4.
    static Script fromPose(const std::array<int, 4> &degrees);
    // One pose a line, "q1 q2 q3 q4 [pausa_ms]" in integer degrees, or the tool's point
    // "p x y z [cabeceo|-] [pausa_ms]" (PositionPose, with that elbow; "-" lets the pitch be
    // chosen); # starts a comment. The first pose sends all four joints; each later pose one
    // message for each joint that differs from the pose before. The arm holds the pose for
    // pausa_ms before the next message.
    static Script fromPoses(const QString &text, arm::Elbow elbow = arm::Elbow::Up);
    // A message log (messagelog.h): its receives with the gaps they came with. Each run
    // starts its clock at its start mark, which is not sent.
    static Script fromRecording(const QString &text, const ReplayTiming &timing = {});

    // Every message that does not end with a line break gets CR LF, as println ends its
    // lines, so that the simulator takes each one even when several are read together. A
    // bare selector gets its opening angle first: followed by a break it would no longer be
    // bare.
    void endLines();

    QList<Step> steps;
    // Empty, or why the text cannot be sent, naming the line.
    QString error;
    // What the user should know before anything is sent, naming the line.
    QStringList warnings;
};
