#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// One message as it goes on the link, and the least time after the previous one. The
// link's own pacing applies on top: two messages never come closer than that.
struct Step
{
    QByteArray bytes;
    int waitMs = 0;
};

// What to send, read from the arguments, a pose file or a recording. A file is read whole
// before anything is sent, so a wrong line leaves the arm where it was.
struct Script
{
    // Each a selector "A".."D" and, but for a bare selector, whole degrees.
    static Script fromMessages(const QStringList &messages);
    // One pose a line, "q1 q2 q3 q4 [pausa_ms]", integer degrees; # starts a comment. The
    // first pose sends all four joints; each later pose one message for each joint that
    // differs from the pose before. The arm holds the pose for pausa_ms before the next
    // message.
    static Script fromPoses(const QString &text);
    // A message log (messagelog.h): its receives with the gaps they came with, divided by
    // speed.
    static Script fromRecording(const QString &text, double speed);

    QList<Step> steps;
    // Empty, or why the text cannot be sent, naming the line.
    QString error;
};
