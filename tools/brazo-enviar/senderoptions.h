#pragma once

#include "commandlinereading.h"
#include "inverse.h"
#include "script.h"
#include "sender.h"

#include <QString>
#include <QStringList>

class Link;
class QObject;

// How the sender reaches the simulator, and how far apart it puts two messages.
struct LinkOptions
{
    enum class Kind { Tcp, Serial };

    Kind kind = Kind::Tcp;
    QString host;
    quint16 port = 0;
    QString device;
    Pacing pacing;
    // The link as the user is told of it, and what to check when it cannot be made.
    QString target;
    QString hint;

    Link *createLink(QObject *parent) const;
};

// What the sender's command line asks for: send, print the help and end, or end at once
// because an argument is wrong. The texts are in Spanish.
struct SenderOptions : CommandLineOutcome
{
    enum class Source { Messages, Position, Poses, Recording };

    // The arguments with the program's name first.
    static SenderOptions parse(const QStringList &arguments);

    // What the user should know before anything is sent.
    QStringList warnings;
    LinkOptions link;
    Source source = Source::Messages;
    QStringList messages;
    // The tool's point for Position, and its pitch when one is given.
    arm::Point3 position;
    std::optional<double> pitchDeg;
    // The elbow for Position and the position lines of a pose file.
    arm::Elbow elbow = arm::Elbow::Up;
    // The pose file or the recording; "-" is the standard input.
    QString file;
    ReplayTiming replay;
    // Every message ended with CR LF (Script::endLines).
    bool lineEnds = false;
};
