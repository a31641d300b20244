#pragma once

#include "jointmessage.h"
#include "schooltexts.h"

#include <QString>

// What the user may choose for the program's links and its recording, and what the school
// shows in the information boxes. main() builds it from the command line, the environment,
// what the user chose in the program before and the school's files; the main window hands
// each child window the part it needs, and nothing below reads the environment itself.
struct Settings
{
    static constexpr quint16 kDefaultTcpPort = protocol::kTcpPort;

    // The device that plays serial port 1 for both serial windows, until the user chooses
    // another in the program.
    QString serialDevice;
    // The port both network windows listen on; 0 lets the system choose one.
    quint16 tcpPort = kDefaultTcpPort;
    // Where the simulators record what they receive from the start; empty: no recording.
    QString messageLog;
    // The employees' database; empty: the one in the user's data folder.
    QString registryPath;
    // Where the user's choices are kept; empty: the user's settings of the program.
    QString preferencesFile;
    // The texts of the boxes "Nombre del Plantel", "Nombre del Profesor" and "Integrantes".
    SchoolTexts schoolTexts;
};
