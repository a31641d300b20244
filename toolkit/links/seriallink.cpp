#include "seriallink.h"

#include "systemerror.h"

#include <QFileInfo>
#include <QSerialPort>

namespace {

// Qt's read buffer only bounds what it takes from the driver at a time: the rest waits
// there for the next read, so nothing is dropped.
constexpr qint64 kReadBufferSize = 1024;

} // namespace

SerialLink::SerialLink(const SerialSettings &settings, QObject *parent)
    : Link(parent)
    , m_settings(settings)
    , m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialLink::readAll);
    connect(m_port, &QSerialPort::bytesWritten, this, &SerialLink::bytesWritten);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialLink::portError);
}

SerialLink::~SerialLink()
{
    // We may be inside one of the port's own signals: it must outlive this call.
    disconnect(m_port, nullptr, this, nullptr);
    m_port->close();
    m_port->setParent(nullptr);
    m_port->deleteLater();
}

bool SerialLink::open()
{
    close();
    m_port->setPortName(m_settings.device);
    m_port->setReadBufferSize(kReadBufferSize);
    m_port->setBaudRate(m_settings.baudRate);
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    if (!m_port->open(QIODevice::ReadWrite)) {
        setError(causeOf(m_port->error()), m_port->errorString());
        m_port->clearError();
        return false;
    }
    // QSerialPort sets DTR only on an open port. Pseudo-terminals and some adapters have
    // no DTR line and refuse the request; the port is open and usable all the same.
    m_settingDtr = true;
    m_port->setDataTerminalReady(false);
    m_settingDtr = false;
    m_port->clearError();
    setError(Cause::None, QString());
    announceReady();
    return true;
}

void SerialLink::close()
{
    if (m_port->isOpen())
        m_port->close();
}

bool SerialLink::isOpen() const
{
    return m_port->isOpen();
}

bool SerialLink::write(const QByteArray &bytes)
{
    if (!m_port->isOpen()) {
        setError(Cause::Other, tr("El puerto no está abierto"));
        return false;
    }
    if (m_port->write(bytes) != bytes.size()) {
        setError(causeOf(m_port->error()), m_port->errorString());
        return false;
    }
    return true;
}

qint64 SerialLink::bytesToWrite() const
{
    return m_port->bytesToWrite();
}

void SerialLink::clearInput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Input);
}

void SerialLink::clearOutput()
{
    if (m_port->isOpen())
        m_port->clear(QSerialPort::Output);
}

void SerialLink::readAll()
{
    const QByteArray bytes = m_port->readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void SerialLink::bytesWritten()
{
    if (m_port->bytesToWrite() == 0)
        emit sent();
}

Link::Cause SerialLink::causeOf(int error) const
{
    switch (QSerialPort::SerialPortError(error)) {
    case QSerialPort::DeviceNotFoundError:
        return Cause::Missing;
    case QSerialPort::PermissionError: {
        // The port is refused both for want of rights on the device and when another
        // program holds its lock.
        const QFileInfo device(m_settings.device);
        if (device.exists() && !(device.isReadable() && device.isWritable()))
            return Cause::NoPermission;
        return Cause::Busy;
    }
    case QSerialPort::OpenError:
        return Cause::Busy;
    // A file that is no terminal refuses the line's settings.
    case QSerialPort::UnsupportedOperationError:
        return Cause::NotSerial;
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        return Cause::Vanished;
    default:
        return Cause::Other;
    }
}

void SerialLink::portError(int error)
{
    // open() reports its own failures through its result, and announces success with
    // NoError; neither is an event of an open port.
    if (error == QSerialPort::NoError || !m_port->isOpen())
        return;
    if (m_settingDtr && error == QSerialPort::UnsupportedOperationError)
        return;
    // A device that went away, or a read that returns nothing although the port signalled
    // data (the far end of a pseudo-terminal hung up), will not recover; left open it would
    // only raise the same error on every notification.
    const QString systemReason = m_port->errorString();
    m_port->close();
    fail(causeOf(error), systemReason);
}
