#include "tcpclientlink.h"

#include "tcpwrite.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

// The system would keep trying for minutes; a server on the same network answers at once.
constexpr int kConnectTimeoutMs = 10000;

Link::Cause causeOf(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
    case QAbstractSocket::HostNotFoundError:
        return Link::Cause::Missing;
    case QAbstractSocket::SocketTimeoutError:
        return Link::Cause::NoAnswer;
    case QAbstractSocket::NetworkError:
        return Link::Cause::Vanished;
    default:
        return Link::Cause::Other;
    }
}

} // namespace

TcpClientLink::TcpClientLink(const QString &host, quint16 port, QObject *parent)
    : Link(parent)
    , m_host(host)
    , m_port(port)
    , m_socket(new QTcpSocket(this))
    , m_connectTimeout(new QTimer(this))
{
    m_connectTimeout->setSingleShot(true);
    connect(m_connectTimeout, &QTimer::timeout, this, [this] { end(Cause::NoAnswer, QString()); });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_connectTimeout->stop();
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        announceReady();
    });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] { emit received(m_socket->readAll()); });
    connect(m_socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket->bytesToWrite() == 0)
            emit sent();
    });
    connect(m_socket, &QTcpSocket::disconnected, this, [this] {
        if (!m_ended)
            emit closed();
    });
    connect(m_socket, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The server's own close comes as this error and then as disconnected(): it is told
        // once, as closed().
        if (error != QAbstractSocket::RemoteHostClosedError && !m_ended)
            end(causeOf(error), m_socket->errorString());
    });
}

TcpClientLink::~TcpClientLink()
{
    // We may be inside one of the socket's own signals: it must outlive this call.
    disconnect(m_socket, nullptr, this, nullptr);
    m_socket->abort();
    m_socket->setParent(nullptr);
    m_socket->deleteLater();
}

bool TcpClientLink::open()
{
    m_socket->abort();
    m_ended = false;
    setError(Cause::None, QString());
    m_connectTimeout->start(kConnectTimeoutMs);
    m_socket->connectToHost(m_host, m_port);
    return true;
}

void TcpClientLink::close()
{
    m_ended = true;
    m_connectTimeout->stop();
    m_socket->disconnectFromHost();
}

bool TcpClientLink::isOpen() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool TcpClientLink::write(const QByteArray &bytes)
{
    if (writeAll(m_socket, bytes))
        return true;
    setError(Cause::Other, isOpen() ? m_socket->errorString() : tr("No hay conexión"));
    return false;
}

qint64 TcpClientLink::bytesToWrite() const
{
    return m_socket->bytesToWrite();
}

void TcpClientLink::end(Cause cause, const QString &systemReason)
{
    m_ended = true;
    m_connectTimeout->stop();
    m_socket->abort();
    fail(cause, systemReason);
}
