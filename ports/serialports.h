#pragma once

#include <QList>
#include <QString>

// A serial port the system has: its device and, where the system says, what it is.
struct SerialPortInfo
{
    QString device;          // "/dev/ttyACM0", "COM4"
    QString description;     // "Arduino Uno (2341:0043)", "USB-SERIAL CH340"; may be empty
    bool usb = false;        // a USB board or adapter, which is what a student plugs in

    // "/dev/ttyACM0 — Arduino Uno (2341:0043)", or the device alone.
    QString label() const;
};

// The serial ports of this machine, as the system lists them: Qt SerialPort's list on
// Linux; on Windows, for which Qt SerialPort cannot be built here, the system's own (the
// registry's SERIALCOMM map, with the names SetupAPI gives the ports).
namespace SerialPorts {

// USB boards and adapters first, then the others, each by name (COM2 before COM10).
QList<SerialPortInfo> available();
// The first available port; when there is none, the machine's first serial port by name.
QString firstPort();
// Whether the device is there to be opened (a typed path, a pseudo-terminal, a COM port).
bool present(const QString &device);

// A program of this user's that has the device open.
struct Holder
{
    qint64 pid = 0;
    QString program;
};
// The other programs that read the device: Linux lets several programs open one serial
// device, and splits what arrives between them. Only the user's own processes can be seen;
// the far end of a pseudo-terminal is the line's other end, not a reader, and is left out.
// Empty on Windows, which refuses a second opener by itself.
QList<Holder> otherHolders(const QString &device);

// Orders names with their numbers as numbers: ttyS2 before ttyS10.
bool naturalLess(const QString &a, const QString &b);

} // namespace SerialPorts
