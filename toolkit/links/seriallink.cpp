#include "seriallink.h"

#include "winansi.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QPointer>
#include <QStringList>

#include <optional>

#ifdef Q_OS_UNIX
#include <termios.h>
#endif

namespace {

struct LineSettings
{
    qint32 baudRate = 0;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

// "19200,n,8,1": baud, parity letter, data bits, stop bits.
std::optional<LineSettings> parseLine(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 4)
        return std::nullopt;
    LineSettings line;
    bool ok = false;
    line.baudRate = parts[0].trimmed().toInt(&ok);
    if (!ok || line.baudRate <= 0)
        return std::nullopt;

    const QString parity = parts[1].trimmed().toLower();
    if (parity == QLatin1String("n"))
        line.parity = QSerialPort::NoParity;
    else if (parity == QLatin1String("e"))
        line.parity = QSerialPort::EvenParity;
    else if (parity == QLatin1String("o"))
        line.parity = QSerialPort::OddParity;
    else if (parity == QLatin1String("m"))
        line.parity = QSerialPort::MarkParity;
    else if (parity == QLatin1String("s"))
        line.parity = QSerialPort::SpaceParity;
    else
        return std::nullopt;

    const int dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || dataBits < 5 || dataBits > 8)
        return std::nullopt;
    line.dataBits = QSerialPort::DataBits(dataBits);

    const QString stop = parts[3].trimmed();
    if (stop == QLatin1String("1"))
        line.stopBits = QSerialPort::OneStop;
    else if (stop == QLatin1String("1.5"))
        line.stopBits = QSerialPort::OneAndHalfStop;
    else if (stop == QLatin1String("2"))
        line.stopBits = QSerialPort::TwoStop;
    else
        return std::nullopt;
    return line;
}

} // namespace

SerialLink::SerialLink(QObject *parent)
    : QObject(parent)
    , m_port(new QSerialPort(this))
{
    connect(m_port, &QSerialPort::readyRead, this, &SerialLink::commEvent);
    connect(m_port, &QSerialPort::bytesWritten, this, &SerialLink::commEvent);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialLink::portError);
}

SerialLink::~SerialLink()
{
    close();
}

bool SerialLink::open(const SerialSettings &settings)
{
    close();
    m_settings = settings;
    m_errorString.clear();
    m_lastReported = QSerialPort::NoError;

    m_port->setPortName(settings.device);
    // Qt's read buffer only bounds what it holds for us: when it is full Qt stops reading
    // and the rest waits in the driver until the next input(), so nothing is dropped.
    m_port->setReadBufferSize(settings.inBufferSize);
    const std::optional<LineSettings> line = parseLine(settings.line);
    if (!line) {
        m_errorString = QStringLiteral("configuración de línea no válida \"%1\"").arg(settings.line);
        return false;
    }
    m_port->setBaudRate(line->baudRate);
    m_port->setParity(line->parity);
    m_port->setDataBits(line->dataBits);
    m_port->setStopBits(line->stopBits);
    // Nothing to set for the receive and send thresholds: readyRead comes for every arrival
    // and bytesWritten for every chunk sent.
    switch (settings.handshaking) {
    case SerialSettings::Handshaking::None:
        m_port->setFlowControl(QSerialPort::NoFlowControl);
        break;
    case SerialSettings::Handshaking::XonXoff:
        m_port->setFlowControl(QSerialPort::SoftwareControl);
        break;
    case SerialSettings::Handshaking::RtsCts:
        m_port->setFlowControl(QSerialPort::HardwareControl);
        break;
    }

    if (!m_port->open(QIODevice::ReadWrite)) {
        m_errorString = reason(m_port->error());
        m_port->clearError();
        return false;
    }
    // QSerialPort sets DTR only on an open port. Pseudo-terminals and some adapters have
    // no DTR line and refuse the request; the port is open and usable all the same.
    m_settingDtr = true;
    m_port->setDataTerminalReady(settings.dtrEnable);
    m_settingDtr = false;
    m_port->clearError();
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

QString SerialLink::input()
{
    if (!m_port->isOpen())
        return QString();
    QByteArray bytes = m_port->readAll();
    if (m_settings.nullDiscard)
        bytes.replace('\0', QByteArray());
    return WinAnsi::decode(bytes);
}

bool SerialLink::output(const QString &text)
{
    if (!m_port->isOpen())
        return false;
    const QByteArray bytes = WinAnsi::encode(text);
    return m_port->write(bytes) == bytes.size();
}

bool SerialLink::waitForSent(int msecs)
{
    if (!m_port->isOpen())
        return false;
    const QDeadlineTimer deadline(msecs);
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
#ifdef Q_OS_UNIX
    // Qt has handed everything to the driver, which sends it at the line's pace; closing
    // now may drop what is still in its queue.
    return ::tcdrain(int(m_port->handle())) == 0;
#else
    return true;
#endif
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

QString SerialLink::reason(QSerialPort::SerialPortError error) const
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return QStringLiteral("el dispositivo no existe");
    case QSerialPort::PermissionError: {
        // The port is refused both for want of rights on the device and when another
        // program holds its lock.
        const QFileInfo device(m_settings.device);
        if (device.exists() && !(device.isReadable() && device.isWritable()))
            return QStringLiteral("no hay permiso para usarlo (en Linux, el usuario debe pertenecer "
                                  "al grupo dialout)");
        return QStringLiteral("lo está usando otra ventana u otro programa");
    }
    case QSerialPort::OpenError:
        return QStringLiteral("ya está abierto");
    case QSerialPort::ResourceError:
    case QSerialPort::ReadError:
        return QStringLiteral("el dispositivo se desconectó o dejó de responder");
    default:
        return m_port->errorString();
    }
}

void SerialLink::portError(QSerialPort::SerialPortError error)
{
    // open() reports its own failures through its result, and announces success with
    // NoError; neither is an event of an open port.
    if (error == QSerialPort::NoError || !m_port->isOpen())
        return;
    if (m_settingDtr && error == QSerialPort::UnsupportedOperationError)
        return;

    m_errorString = reason(error);
    // Any one error is told once, however often the port raises it again.
    const bool report = error != m_lastReported;
    m_lastReported = error;
    const QPointer<SerialLink> self(this);
    emit commEvent();
    if (!self)
        return;
    // A device that went away (ResourceError), or a read that returns nothing although the
    // port signalled data (ReadError: the far end of a pseudo-terminal hung up), will not
    // recover; left open it would only raise the same error on every notification.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        close();
    if (report)
        emit communicationError(m_settings.device, m_errorString);
}
