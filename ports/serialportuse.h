#pragma once

#include "link.h"

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>

class SerialLink;
class SerialPortChoice;

// How one window uses serial port 1 while it is loaded: it opens the chosen port, and opens
// the new one at once when the user chooses another; a port missing at the opening, or
// that vanished (a cable pulled), is looked for about once a second while it is closed and
// opened by itself when it is back; another program that reads the same device is named.
// What the user must hear comes as tell(), each thing once; how the port stands as
// stateChanged().
class SerialPortUse : public QObject
{
    Q_OBJECT

public:
    // The link and the use belong to one load of the window (parent: its surface).
    SerialPortUse(SerialLink *link, SerialPortChoice *choice, QObject *parent);

    // The window's load: opens the chosen port.
    void open();
    QString device() const { return m_device; }
    bool isOpen() const;
    // Whether the port is being looked for, to be opened when it is back.
    bool isWaiting() const { return m_lookFor.isActive(); }
    // "/dev/ttyACM0 (abierto)", "/dev/ttyACM0 (cerrado)".
    QString state() const;
    // The entry of the window's context menu that opens the port chooser.
    QString menuText() const;

signals:
    // Lines to show in a box; chooser: the box offers "Elegir puerto…" beside "Aceptar".
    void tell(const QStringList &lines, bool chooser);
    void stateChanged();

private:
    void openChosen(bool announceReturn);
    void failed(Link::Cause cause, const QString &systemReason);
    void lookForPort();
    void nameOtherReaders();

    SerialLink *const m_link;
    QPointer<SerialPortChoice> m_choice;
    QString m_device;
    QTimer m_lookFor;
};
