#pragma once

#include <QString>
#include <QStringList>

// How the sender reaches the simulator, and how far apart it puts two messages.
struct LinkOptions
{
    enum class Kind { Tcp, Serial };

    Kind kind = Kind::Tcp;
    QString host;
    quint16 port = 0;
    QString device;
    qint32 baudRate = 19200;
    // Quiet time after each message. Over serial the time its bytes take on the line comes
    // on top.
    int intervalMs = 0;
};

// What the sender's command line asks for: send, print the help and end, or end at once
// because an argument is wrong. The texts are in Spanish.
struct SenderOptions
{
    enum class Action { Run, Print, Fail };
    enum class Source { Messages, Poses, Recording };

    // The arguments with the program's name first.
    static SenderOptions parse(const QStringList &arguments);

    Action action = Action::Run;
    // The help for Print, the error for Fail.
    QString text;
    LinkOptions link;
    Source source = Source::Messages;
    QStringList messages;
    // The pose file or the recording; "-" is the standard input.
    QString file;
    double speed = 1.0;
};
