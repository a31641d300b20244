#pragma once

#include "link.h"

#include <QString>

class QSerialPort;

// A serial port and its speed. The rest of the line is the same for every user: 8 data
// bits, no parity, one stop bit.
struct SerialSettings
{
    QString device;
    qint32 baudRate = 19200;
};

// A serial port as a link, as the windows open theirs: the line above, a receive buffer
// of 1024 bytes, no flow control, the DTR line off, NUL bytes kept. Every read takes all
// that waits. It may be destroyed from inside any of its own signals.
class SerialLink : public Link
{
    Q_OBJECT

public:
    explicit SerialLink(const SerialSettings &settings, QObject *parent = nullptr);
    ~SerialLink() override;

    // Applies the settings in order and opens the port last; ready() follows at once. A
    // setting the device does not support (DTR on a pseudo-terminal) is not a failure.
    bool open() override;
    void close() override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;

    bool isOpen() const;
    QString device() const { return m_settings.device; }
    // Drop received bytes not read yet, and bytes not sent yet.
    void clearInput();
    void clearOutput();

private:
    void readAll();
    void bytesWritten();
    void portError(int error);
    QString reason(int error) const;

    const SerialSettings m_settings;
    QSerialPort *m_port = nullptr;
    bool m_settingDtr = false;
};
