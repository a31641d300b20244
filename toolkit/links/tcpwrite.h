#pragma once

#include <QAbstractSocket>
#include <QByteArray>

// The write of the two TCP links: all the bytes to a connected socket, or false when there
// is no connection or the system refuses them.
inline bool writeAll(QAbstractSocket *socket, const QByteArray &bytes)
{
    return socket && socket->state() == QAbstractSocket::ConnectedState && socket->write(bytes) == bytes.size();
}
