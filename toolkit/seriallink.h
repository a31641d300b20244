#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>

// The settings of the serial control, applied in this order, the port opened last.
struct SerialSettings
{
    int commPort = 1;
    int inBufferSize = 1024;
    int inputLen = 0;                       // 0: a read takes everything waiting
    QString settings = QStringLiteral("19200,n,8,1");
    int rThreshold = 1;
    int sThreshold = 1;
    int handshaking = 0;                    // none
    bool dtrEnable = false;
    bool nullDiscard = false;
};

// Plays the serial control on top of QSerialPort: one event for whatever the port raises
// (data, bytes written, errors), reads that take everything waiting as Windows-1252 text,
// writes of Windows-1252 bytes. Errors are routed up as signals; the window decides what
// to show.
class SerialLink : public QObject
{
    Q_OBJECT

public:
    explicit SerialLink(QObject *parent = nullptr);
    ~SerialLink() override;

    // The device that plays port n: BRAZO_SERIAL_PORT when set, else COM<n> on Windows
    // and /dev/ttyS<n-1> elsewhere.
    static QString deviceFor(int commPort);

    // Applies the settings in order and opens the port last. False, with errorString(),
    // when the port cannot be opened; a setting the device does not support (DTR on a
    // pseudo-terminal) is not a failure.
    bool open(const SerialSettings &settings);
    // Releases the port; opening again applies the settings afresh.
    void close();
    bool isOpen() const;
    QString deviceName() const;
    QString errorString() const;

    // Everything waiting in the receive buffer, one character per byte, NUL kept
    // (unless the settings discard NULs). Empty when nothing waits or the port is closed.
    QString input();
    // Writes the text's Windows-1252 bytes. False when the port is not open.
    bool output(const QString &text);
    // Drop received bytes not read yet, and bytes not sent yet.
    void clearInput();
    void clearOutput();

signals:
    // The control's single event: raised for received data, for the transmit buffer
    // emptying, and for errors while open. The kind is not told.
    void commEvent();
    // An error while the port is open (the device went away, a read failed).
    void communicationError(const QString &device, const QString &reason);

private:
    void portError(QSerialPort::SerialPortError error);

    QSerialPort *m_port = nullptr;
    SerialSettings m_settings;
    QString m_device;
    QString m_errorString;
    // The last error told through communicationError since the port was opened.
    QSerialPort::SerialPortError m_lastReported = QSerialPort::NoError;
    bool m_settingDtr = false;
};
