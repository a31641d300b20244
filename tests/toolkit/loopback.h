#pragma once

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTest>

#include <memory>

#include <sys/socket.h>
#include <unistd.h>

// Helpers for tests that talk to a window's server through real loopback connections.
namespace Loopback {

constexpr int kWaitMs = 5000;

// Port 1007 is below 1024: only root (or a system that lowered
// net.ipv4.ip_unprivileged_port_start) can listen on it.
inline bool mayListenOnPrivilegedPort(int port)
{
    if (::geteuid() == 0)
        return true;
    QFile start(QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    return start.open(QIODevice::ReadOnly) && start.readAll().trimmed().toInt() <= port;
}

inline std::unique_ptr<QTcpSocket> connectTo(int port)
{
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(QHostAddress::LocalHost, quint16(port));
    return client;
}

// Makes the next close of the socket a reset (RST) instead of an orderly close.
inline void lingerZero(QTcpSocket &socket)
{
    const linger option{1, 0};
    ::setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &option, sizeof option);
}

} // namespace Loopback
