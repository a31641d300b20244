#pragma once

#include "schooltexts.h"

#include <QString>

// What the user may choose for the program's links and its recording, and what the school
// shows in the information boxes. main() builds it from the command line, the environment
// and the school's files; the main window hands each child window the part it needs, and
// nothing below reads the environment itself.
struct Settings
{
    static constexpr quint16 kDefaultTcpPort = 1007;

    // COM1 on Windows, /dev/ttyS0 elsewhere: the machine's first serial port.
    static QString defaultSerialDevice();

    // The device that plays serial port 1, for both serial windows.
    QString serialDevice = defaultSerialDevice();
    // The port both network windows listen on; 0 lets the system choose one.
    quint16 tcpPort = kDefaultTcpPort;
    // Where the simulators record what they receive; empty: no recording.
    QString messageLog;
    // The employees' database; empty: the one in the user's data folder.
    QString registryPath;
    // The texts of the boxes "Nombre del Plantel", "Nombre del Profesor" and "Integrantes".
    SchoolTexts schoolTexts;
};
