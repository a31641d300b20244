#include "socketlink.h"

#include "winansi.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <limits>

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

qint32 clampedCount(qint64 bytes)
{
    return qint32(qMin<qint64>(bytes, std::numeric_limits<qint32>::max()));
}

} // namespace

SocketLink::SocketLink(QObject *parent)
    : QObject(parent)
    , m_server(new QTcpServer(this))
{
    connect(m_server, &QTcpServer::newConnection, this, &SocketLink::takeConnections);
    connect(m_server, &QTcpServer::acceptError, this, [this] {
        setError(m_server->serverError(), m_server->errorString());
        emit error(m_errorString);
    });
}

SocketLink::~SocketLink()
{
    // We may be inside one of the server's or the socket's own signals: they must outlive
    // this call, so they are detached here and deleted from the event loop.
    disconnect(m_server, nullptr, this, nullptr);
    m_server->close();
    m_server->setParent(nullptr);
    m_server->deleteLater();
    dropPending();
    if (m_socket)
        release(m_socket, true);
}

QString SocketLink::LocalIP()
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

void SocketLink::setLocalPort(int port)
{
    m_localPort = port;
}

int SocketLink::LocalPort() const
{
    if (m_localPort == 0 && m_server->isListening())
        return m_server->serverPort();
    return m_localPort;
}

bool SocketLink::Listen()
{
    if (m_socket || m_server->isListening()) {
        setError(QAbstractSocket::OperationError, tr("El socket no está cerrado."));
        return false;
    }
    if (m_localPort < 0 || m_localPort > 65535) {
        setError(QAbstractSocket::UnsupportedSocketOperationError,
                 tr("Puerto no válido: %1.").arg(m_localPort));
        return false;
    }
    if (!m_server->listen(QHostAddress::AnyIPv4, quint16(m_localPort))) {
        setError(m_server->serverError(), m_server->errorString());
        return false;
    }
    return true;
}

int SocketLink::State() const
{
    if (m_socket) {
        if (m_failed)
            return Error;
        return m_socket->state() == QAbstractSocket::ConnectedState ? Connected : Closing;
    }
    return m_server->isListening() ? Listening : Closed;
}

bool SocketLink::Accept(qint32 requestID)
{
    if (m_socket) {
        setError(QAbstractSocket::OperationError, tr("Ya hay un cliente conectado."));
        return false;
    }
    QTcpSocket *socket = m_pending.take(requestID);
    if (!socket) {
        setError(QAbstractSocket::OperationError,
                 tr("No hay ninguna solicitud de conexión %1.").arg(requestID));
        return false;
    }
    // One client at a time: with the listener closed the system refuses the next one.
    m_server->close();
    attach(socket);
    return true;
}

QString SocketLink::GetData()
{
    if (!m_socket)
        return QString();
    return WinAnsi::decode(m_socket->readAll());
}

bool SocketLink::SendData(const QString &text)
{
    if (!m_socket || m_failed || m_socket->state() != QAbstractSocket::ConnectedState) {
        setError(QAbstractSocket::OperationError, tr("No hay ningún cliente conectado."));
        return false;
    }
    const QByteArray bytes = WinAnsi::encode(text);
    if (m_socket->write(bytes) != bytes.size()) {
        setError(m_socket->error(), m_socket->errorString());
        return false;
    }
    return true;
}

void SocketLink::Close()
{
    // Requests still in m_pending belong to a ConnectionRequest handler that is running;
    // they stay acceptable until it returns.
    m_server->close();
    if (m_socket) {
        QTcpSocket *socket = m_socket;
        m_socket = nullptr;
        release(socket, true);
    }
    m_failed = false;
}

void SocketLink::takeConnections()
{
    const QPointer<SocketLink> self(this);
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        socket->setParent(this);
        // Clients that got in while the previous one was being accepted: refuse them.
        if (m_socket || !m_server->isListening()) {
            release(socket, false);
            continue;
        }
        const qint32 requestID = m_nextRequestID++;
        if (m_nextRequestID <= 0)
            m_nextRequestID = 1;
        m_pending.insert(requestID, socket);
        emit ConnectionRequest(requestID);
        if (!self)
            return;
        dropPending();
    }
}

void SocketLink::attach(QTcpSocket *socket)
{
    m_socket = socket;
    m_failed = false;
    m_remoteHostIP = dotted(socket->peerAddress());
    connect(socket, &QTcpSocket::readyRead, this, &SocketLink::socketReadyRead);
    connect(socket, &QTcpSocket::disconnected, this, &SocketLink::socketDisconnected);
    connect(socket, &QTcpSocket::errorOccurred, this, &SocketLink::socketError);
}

void SocketLink::socketReadyRead()
{
    if (m_socket && m_socket->bytesAvailable() > 0)
        emit DataArrival(clampedCount(m_socket->bytesAvailable()));
}

void SocketLink::socketDisconnected()
{
    if (!m_socket)
        return;
    const QPointer<SocketLink> self(this);
    QTcpSocket *socket = m_socket;
    // Whatever came with the close is offered first, as the peer sent it before leaving.
    if (socket->bytesAvailable() > 0) {
        emit DataArrival(clampedCount(socket->bytesAvailable()));
        if (!self || m_socket != socket)
            return;
    }
    if (!m_failed)
        emit peerClosed();
}

void SocketLink::socketError()
{
    if (!m_socket || m_failed)
        return;
    // The peer's own close (orderly or reset) arrives as this error first and then as
    // disconnected(): it is reported once, as peerClosed.
    if (m_socket->error() == QAbstractSocket::RemoteHostClosedError)
        return;
    m_failed = true;
    setError(m_socket->error(), m_socket->errorString());
    emit error(m_errorString);
}

void SocketLink::setError(QAbstractSocket::SocketError code, const QString &text)
{
    m_errorCode = code;
    m_errorString = text;
}

void SocketLink::dropPending()
{
    const QList<QTcpSocket *> sockets = m_pending.values();
    m_pending.clear();
    for (QTcpSocket *socket : sockets)
        release(socket, false);
}

void SocketLink::release(QTcpSocket *socket, bool graceful)
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
