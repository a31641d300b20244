#pragma once

#include "settings.h"

#include <QString>
#include <QStringList>

// What the program's command line asks for: run with these settings, print a text (the
// help or the version) and end, or end at once because a value is wrong.
struct CommandLine
{
    enum class Action { Run, Print, Fail };

    // Reads the arguments (the program's name first), then the serial device named by the
    // environment (an empty one counts as none), then the defaults. The texts are in Spanish.
    static CommandLine parse(const QStringList &arguments, const QString &serialDeviceFromEnvironment);

    Action action = Action::Run;
    Settings settings;
    // The help or the version for Print, the error for Fail.
    QString text;
};
