#include "tcpclientlink.h"

#include <QTcpSocket>
#include <QTimer>

namespace {

// The system would keep trying for minutes; a server on the same network answers at once.
constexpr int kConnectTimeoutMs = 10000;

} // namespace

TcpClientLink::TcpClientLink(const QString &host, quint16 port, QObject *parent)
    : Link(parent)
    , m_host(host)
    , m_port(port)
    , m_socket(new QTcpSocket(this))
    , m_connectTimeout(new QTimer(this))
{
    m_connectTimeout->setSingleShot(true);
    connect(m_connectTimeout, &QTimer::timeout, this, [this] { fail(QStringLiteral("no responde")); });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_connectTimeout->stop();
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        emit ready();
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
            fail(m_socket->errorString());
    });
}

bool TcpClientLink::open()
{
    m_socket->abort();
    m_ended = false;
    setErrorString(QString());
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

bool TcpClientLink::write(const QByteArray &bytes)
{
    return writeToSocket(m_socket, QStringLiteral("no hay conexión"), bytes);
}

qint64 TcpClientLink::bytesToWrite() const
{
    return m_socket->bytesToWrite();
}

void TcpClientLink::fail(const QString &reason)
{
    m_ended = true;
    m_connectTimeout->stop();
    m_socket->abort();
    setErrorString(reason);
    emit failed(reason);
}
