#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

// How a serial window sets up its port, applied in this order, the port opened last.
struct SerialSettings
{
    enum class Handshaking { None, XonXoff, RtsCts };

    // The device that plays the window's port (Settings::serialDevice).
    QString device;
    int inBufferSize = 1024;
    // Baud, parity letter, data bits, stop bits.
    QString line = QStringLiteral("19200,n,8,1");
    Handshaking handshaking = Handshaking::None;
    bool dtrEnable = false;
    bool nullDiscard = false;
};

// A serial port as the windows use it: one event for whatever the port raises (data, bytes
// written, errors), reads that take everything waiting as Windows-1252 text, writes of
// Windows-1252 bytes. Failures come back as results and signals with a Spanish reason;
// the window decides what to show.
class SerialLink : public QObject
{
    Q_OBJECT

public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    // Applies the settings in order and opens the port last. False, with errorString(),
    // when the port cannot be opened; a setting the device does not support (DTR on a
    // pseudo-terminal) is not a failure.
    bool open(const SerialSettings &settings);
    // Releases the port; opening again applies the settings afresh.
    void close();
    bool isOpen() const;
    QString deviceName() const { return m_settings.device; }
    // Why the port could not be opened or failed, in Spanish.
    QString errorString() const { return m_errorString; }

    // Everything waiting in the receive buffer, one character per byte, NUL kept (unless
    // the settings discard NULs). Empty when nothing waits or the port is closed.
    QString input();
    // Writes the text's Windows-1252 bytes. False when the port is not open.
    bool output(const QString &text);
    // Waits until every byte written has left for the line, at most msecs: a program that
    // closes the port right after a write would otherwise cut its last bytes. False when
    // bytes are still waiting or the port is not open.
    bool waitForSent(int msecs);
    // Drop received bytes not read yet, and bytes not sent yet.
    void clearInput();
    void clearOutput();

signals:
    // The port's single event: raised for received data, for the transmit buffer emptying,
    // and for errors while open. The kind is not told.
    void commEvent();
    // An error while the port is open (the device went away, a read failed); told once
    // for each kind of error.
    void communicationError(const QString &device, const QString &reason);

private:
    void portError(QSerialPort::SerialPortError error);
    QString reason(QSerialPort::SerialPortError error) const;

    QSerialPort *m_port = nullptr;
    SerialSettings m_settings;
    QString m_errorString;
    QSerialPort::SerialPortError m_lastReported = QSerialPort::NoError;
    bool m_settingDtr = false;
};
