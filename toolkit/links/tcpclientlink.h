#pragma once

#include "link.h"

#include <QString>

class QTcpSocket;
class QTimer;

// A TCP connection to a server as a link. Each write leaves in a segment of its own, not
// held back to join the next one. A server that does not answer within ten seconds is
// given up on (NoAnswer).
class TcpClientLink : public Link
{
    Q_OBJECT

public:
    TcpClientLink(const QString &host, quint16 port, QObject *parent = nullptr);
    ~TcpClientLink() override;

    // Starts connecting; ready() or failed() follows.
    bool open() override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;

private:
    void end(Cause cause, const QString &systemReason);

    const QString m_host;
    const quint16 m_port;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_connectTimeout = nullptr;
    // Closed or failed on our side: the socket's own ending is no news.
    bool m_ended = false;
};
