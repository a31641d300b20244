#pragma once

#include "commandlinereading.h"
#include "settings.h"

#include <QString>
#include <QStringList>

#include <functional>

// What the program's command line asks for: run with these settings, print a text (the
// help or the version) and end, or end at once because a value is wrong.
struct CommandLine : CommandLineOutcome
{
    // Reads the arguments (the program's name first). Serial port 1 is the one of
    // --puerto-serie, else the one the environment names (an empty one counts as none),
    // else the one the user chose in the program last time, else the system's first port.
    // The texts are in Spanish.
    static CommandLine parse(const QStringList &arguments, const QString &serialDeviceFromEnvironment,
                             const QString &rememberedSerialDevice, const std::function<QString()> &systemFirstPort);

    Settings settings;
};
