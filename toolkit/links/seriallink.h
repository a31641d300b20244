#pragma once

#include "link.h"

#include <QString>

#ifdef Q_OS_WIN
#include <memory>
class QWinEventNotifier;
#else
class QSerialPort;
#endif

// A serial port and its speed. The rest of the line is the same for every user: 8 data
// bits, no parity, one stop bit.
struct SerialSettings
{
    QString device;
    qint32 baudRate = 19200;
};

// A serial port as a link, as the windows open theirs: the line above, a receive buffer
// of 1024 bytes, no flow control, the DTR line off, NUL bytes kept. Every read takes all
// that waits.
//
// On Linux it stands on Qt SerialPort (seriallink.cpp); on Windows, for which Qt
// SerialPort cannot be built here, on the system's communications calls
// (seriallink_win.cpp).
class SerialLink : public Link
{
    Q_OBJECT

public:
    explicit SerialLink(const SerialSettings &settings, QObject *parent = nullptr);
    ~SerialLink() override;

    // Applies the settings in order and opens the port last. A setting the device does
    // not support (DTR on a pseudo-terminal) is not a failure.
    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;

    // The device of the next open().
    void setDevice(const QString &device) { m_settings.device = device; }
    // Drop received bytes not read yet, and bytes not sent yet.
    void clearInput();
    void clearOutput();

private:
    SerialSettings m_settings;
#ifdef Q_OS_WIN
    struct Io;

    // Starts the read that waits for the next bytes; the system's error when it cannot.
    unsigned long startWaiting();
    void arrived();
    void writeNext();
    void written();
    // The device failed while open: closed, and told once.
    void lost(unsigned long systemError);
    // A failure to open: the port stays closed.
    bool refuse(unsigned long systemError);

    void *m_handle = nullptr;
    // Held while the port is open, so that a second opener is refused.
    void *m_lock = nullptr;
    std::unique_ptr<Io> m_io;
    QWinEventNotifier *m_arrivals = nullptr;
    QWinEventNotifier *m_writes = nullptr;
    // Bytes waiting for the write in progress to end, and the bytes of that write.
    QByteArray m_queued;
    QByteArray m_writing;
#else
    void readAll();
    void bytesWritten();
    void portError(int error);
    Cause causeOf(int error) const;

    QSerialPort *m_port = nullptr;
    bool m_settingDtr = false;
#endif
};
