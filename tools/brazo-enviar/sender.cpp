#include "sender.h"

#include "seriallink.h"
#include "winansi.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

constexpr int kConnectTimeoutMs = 10000;
// Long enough for any message at any baud rate, short enough to notice a stuck line.
constexpr int kSendTimeoutMs = 5000;
// 8N1: a start bit, eight data bits and a stop bit for every byte.
constexpr int kBitsPerByte = 10;

} // namespace

Sender::Sender(const LinkOptions &link, const Script &script, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_script(script)
    , m_pace(new QTimer(this))
{
    m_pace->setSingleShot(true);
    m_pace->setTimerType(Qt::PreciseTimer);
    connect(m_pace, &QTimer::timeout, this, &Sender::sendNext);
}

void Sender::start()
{
    if (m_link.kind == LinkOptions::Kind::Serial)
        openSerial();
    else
        openTcp();
}

void Sender::openSerial()
{
    m_serial = new SerialLink(this);
    SerialSettings settings;
    settings.device = m_link.device;
    settings.line = QStringLiteral("%1,n,8,1").arg(m_link.baudRate);
    if (!m_serial->open(settings)) {
        finish(1, QStringLiteral("No se pudo abrir el puerto serie %1: %2.").arg(m_link.device, m_serial->errorString()));
        return;
    }
    connect(m_serial, &SerialLink::communicationError, this, [this](const QString &device, const QString &reason) {
        finish(1, QStringLiteral("Falló el puerto serie %1: %2.").arg(device, reason));
    });
    linkReady();
}

void Sender::openTcp()
{
    m_socket = new QTcpSocket(this);
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_connected = true;
        // Each message leaves in its own segment instead of waiting to join the next.
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        linkReady();
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this] {
        if (!m_connected) {
            finish(1, QStringLiteral("No se pudo conectar con %1: %2. Compruebe que el simulador tiene abierta la "
                                     "ventana «Controlar desde... → Internet» en ese puerto y que no hay otro "
                                     "cliente conectado.")
                          .arg(tcpPeer(), m_socket->errorString()));
        } else if (!m_closing) {
            finish(1, QStringLiteral("Se perdió la conexión con %1: %2.").arg(tcpPeer(), m_socket->errorString()));
        }
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (m_closing)
            finish(0);
        else
            finish(1, QStringLiteral("El simulador en %1 cerró la conexión antes del último mensaje.").arg(tcpPeer()));
    });
    QTimer::singleShot(kConnectTimeoutMs, this, [this] {
        if (!m_connected)
            finish(1, QStringLiteral("No se pudo conectar con %1: no responde.").arg(tcpPeer()));
    });
    m_socket->connectToHost(m_link.host, m_link.port);
}

void Sender::linkReady()
{
    if (m_script.steps.isEmpty())
        close();
    else
        m_pace->start(m_script.steps.first().waitMs);
}

void Sender::sendNext()
{
    if (m_finished)
        return;
    const QByteArray &bytes = m_script.steps.at(m_next++).bytes;
    if (!write(bytes))
        return;
    if (m_next == m_script.steps.size())
        close();
    else
        m_pace->start(std::max(pacingMs(bytes), m_script.steps.at(m_next).waitMs));
}

bool Sender::write(const QByteArray &bytes)
{
    if (m_serial) {
        // Every byte out before the pause starts: the next message can never join this one
        // in a queue, and a link that stops taking bytes is found here.
        if (m_serial->output(WinAnsi::decode(bytes)) && m_serial->waitForSent(kSendTimeoutMs))
            return true;
        finish(1, QStringLiteral("No se pudo enviar por el puerto serie %1: %2.")
                      .arg(m_link.device, m_serial->isOpen() ? QStringLiteral("la línea no acepta más bytes")
                                                             : m_serial->errorString()));
        return false;
    }
    if (m_socket->write(bytes) == bytes.size()) {
        m_socket->flush();
        if (m_socket->bytesToWrite() == 0 || m_socket->waitForBytesWritten(kSendTimeoutMs))
            return true;
    }
    // errorOccurred may already have told the reason.
    finish(1, QStringLiteral("No se pudo enviar a %1: %2.").arg(tcpPeer(), m_socket->errorString()));
    return false;
}

void Sender::close()
{
    if (m_serial) {
        m_serial->close();
        finish(0);
        return;
    }
    // The socket sends what it still holds, then closes; disconnected() ends the run.
    m_closing = true;
    m_socket->disconnectFromHost();
    if (m_socket->state() == QAbstractSocket::UnconnectedState)
        finish(0);
}

void Sender::finish(int status, const QString &error)
{
    if (m_finished)
        return;
    m_finished = true;
    m_pace->stop();
    if (status != 0 && m_socket)
        m_socket->abort();
    emit finished(status, error);
}

int Sender::pacingMs(const QByteArray &sent) const
{
    if (m_link.kind == LinkOptions::Kind::Tcp)
        return m_link.intervalMs;
    // The driver may report the bytes sent when they have only reached the adapter; their
    // time on the line is added so that the gap is real at the far end.
    const qint64 lineMs = (qint64(sent.size()) * kBitsPerByte * 1000 + m_link.baudRate - 1) / m_link.baudRate;
    return int(std::min<qint64>(m_link.intervalMs + lineMs, std::numeric_limits<int>::max()));
}

QString Sender::tcpPeer() const
{
    return m_link.host.contains(QLatin1Char(':')) ? QStringLiteral("[%1]:%2").arg(m_link.host).arg(m_link.port)
                                                  : QStringLiteral("%1:%2").arg(m_link.host).arg(m_link.port);
}
