#include "oneclientserver.h"

#include "tcpwrite.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <utility>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {

// How long a closed connection may take to hand its last queued bytes to a peer that does
// not read before it is cut.
constexpr int kLingerMs = 5000;

QString dotted(const QHostAddress &address)
{
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4).toString() : address.toString();
}

// A client whose machine vanished is probed after this many idle seconds, once every
// interval, and given up on after that many unanswered probes: within a minute.
constexpr int kKeepAliveIdle = 20;
constexpr int kKeepAliveInterval = 5;
constexpr int kKeepAliveCount = 6;

Link::Cause listenCause(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::AddressInUseError:
        return Link::Cause::AddressInUse;
#ifdef Q_OS_LINUX
    // Only Linux keeps the ports below 1024 for privileged programs; elsewhere the refusal
    // has other causes, which the system's reason names.
    case QAbstractSocket::SocketAccessError:
        return Link::Cause::Privileged;
#endif
    default:
        return Link::Cause::Other;
    }
}

} // namespace

OneClientServer::OneClientServer(quint16 port, QObject *parent)
    : Link(parent)
    , m_server(new QTcpServer(this))
    , m_port(port)
{
    connect(m_server, &QTcpServer::newConnection, this, &OneClientServer::takeConnections);
    connect(m_server, &QTcpServer::acceptError, this, &OneClientServer::acceptFailed);
}

OneClientServer::~OneClientServer()
{
    // We may be inside one of the server's or the socket's own signals: they must outlive
    // this call, so they are detached here and deleted from the event loop.
    disconnect(m_server, nullptr, this, nullptr);
    m_server->close();
    m_server->setParent(nullptr);
    m_server->deleteLater();
    if (m_socket)
        release(m_socket, true);
}

QString OneClientServer::LocalIP()
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const auto flags = interface.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        const QList<QNetworkAddressEntry> entries = interface.addressEntries();
        for (const QNetworkAddressEntry &entry : entries) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback())
                return ip.toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

bool OneClientServer::open()
{
    close();
    return listen();
}

bool OneClientServer::listen()
{
    m_server->close();
    // Any is IPv6 and IPv4 on one socket (or IPv4 alone on a machine without IPv6).
    if (!m_server->listen(QHostAddress::Any, m_port)) {
        setError(listenCause(m_server->serverError()), m_server->errorString());
        return false;
    }
    setError(Cause::None, QString());
    // A port the system chose is kept: the next client after this one comes to it too.
    m_port = m_server->serverPort();
    emit listening();
    return true;
}

void OneClientServer::close()
{
    m_server->close();
    if (QTcpSocket *socket = std::exchange(m_socket, nullptr))
        release(socket, true);
}

quint16 OneClientServer::port() const
{
    return m_server->isListening() ? m_server->serverPort() : m_port;
}

bool OneClientServer::isListening() const
{
    return m_server->isListening();
}

bool OneClientServer::write(const QByteArray &bytes)
{
    if (writeAll(m_socket, bytes))
        return true;
    setError(Cause::Other, m_socket ? m_socket->errorString() : tr("No hay ningún cliente conectado"));
    return false;
}

qint64 OneClientServer::bytesToWrite() const
{
    return m_socket ? m_socket->bytesToWrite() : 0;
}

void OneClientServer::takeConnections()
{
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        if (m_socket) {
            release(socket, false);
            continue;
        }
        // One client at a time: with the listener closed the system refuses the next one.
        m_server->close();
        attach(socket);
        announceReady();
        return;
    }
}

void OneClientServer::attach(QTcpSocket *socket)
{
    socket->setParent(this);
    m_socket = socket;
    m_clientAddress = dotted(socket->peerAddress());
    // A message leaves when it is sent, not up to 40 ms later behind the acknowledgement of
    // the one before, which the client may hold back.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    const int fd = int(socket->socketDescriptor());
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &kKeepAliveIdle, sizeof kKeepAliveIdle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &kKeepAliveInterval, sizeof kKeepAliveInterval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &kKeepAliveCount, sizeof kKeepAliveCount);
    // Keep-alive only probes an idle line; data sent to a vanished client is given up on
    // after the same time instead of being retried for many minutes.
    const unsigned int userTimeoutMs = unsigned(kKeepAliveIdle + kKeepAliveInterval * kKeepAliveCount) * 1000u;
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &userTimeoutMs, sizeof userTimeoutMs);
#endif
    connect(socket, &QTcpSocket::readyRead, this, &OneClientServer::socketReadyRead);
    connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket && m_socket->bytesToWrite() == 0)
            emit sent();
    });
    connect(socket, &QTcpSocket::disconnected, this, &OneClientServer::socketDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &OneClientServer::socketError);
}

void OneClientServer::socketReadyRead()
{
    if (m_socket && m_socket->bytesAvailable() > 0)
        emit received(m_socket->readAll());
}

void OneClientServer::socketDisconnected()
{
    if (!m_socket)
        return;
    const QPointer<OneClientServer> self(this);
    QTcpSocket *socket = m_socket;
    // Whatever came with the close is delivered first, as the client sent it before leaving.
    if (socket->bytesAvailable() > 0) {
        emit received(socket->readAll());
        if (!self || m_socket != socket)
            return;
    }
    emit closed();
    if (self && m_socket == socket)
        dropClientAndListen(true);
}

void OneClientServer::socketError()
{
    if (!m_socket)
        return;
    // The client's own close (orderly or a reset) arrives as this error first and then as
    // disconnected(): it is told once, as closed().
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    const QPointer<OneClientServer> self(this);
    QTcpSocket *socket = m_socket;
    emit clientLost(socket->errorString());
    if (self && m_socket == socket)
        dropClientAndListen(false);
}

void OneClientServer::acceptFailed()
{
    // The listener stops taking clients after such a failure (out of descriptors, say);
    // listening anew gives the next client its chance.
    const QPointer<OneClientServer> self(this);
    emit clientLost(m_server->errorString());
    if (self && !m_socket)
        dropClientAndListen(false);
}

void OneClientServer::dropClientAndListen(bool graceful)
{
    if (QTcpSocket *socket = std::exchange(m_socket, nullptr))
        release(socket, graceful);
    if (!listen())
        emit failed(cause(), errorString());
}

void OneClientServer::release(QTcpSocket *socket, bool graceful)
{
    disconnect(socket, nullptr, this, nullptr);
    socket->setParent(nullptr);
    if (!graceful) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    socket->disconnectFromHost();
    if (socket->state() == QAbstractSocket::UnconnectedState) {
        socket->deleteLater();
        return;
    }
    QTimer::singleShot(kLingerMs, socket, [socket] {
        socket->abort();
        socket->deleteLater();
    });
}
