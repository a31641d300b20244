#pragma once

#include "link.h"

#include <QString>

class QTcpServer;
class QTcpSocket;

// The one-client TCP server of the network windows. It listens on every local address,
// IPv4 and IPv6, serves one client at a time and closes its listener while it has one, so
// that the system refuses any other client at once. When the client leaves (closes, resets
// or stops answering) it listens again by itself.
//
// As a link: open while a client is connected; ready() when a client is taken, closed()
// when it leaves in good order, failed() when listening again fails. A client whose
// machine vanished without closing is given up on in less than a minute.
//
// It may be destroyed from inside any of its own signals (a window closed from a handler):
// the Qt sockets it holds are then only detached and deleted later.
class OneClientServer : public Link
{
    Q_OBJECT

public:
    // On port 0 the system chooses one when listening starts, and it is kept from then on.
    explicit OneClientServer(quint16 port, QObject *parent = nullptr);
    ~OneClientServer() override;

    // The first IPv4 address of an interface that is up and not the loopback, dotted;
    // "127.0.0.1" when there is none.
    static QString LocalIP();

    // Starts listening, and says so with listening(). False, with cause() and
    // errorString(), when the port cannot be listened on.
    bool open() override;
    // Stops listening and ends the connection; bytes already queued are still delivered.
    void close() override;
    bool isOpen() const override { return m_socket != nullptr; }
    // Queues the bytes for the client. False when no client is connected or the system
    // refuses them.
    bool write(const QByteArray &bytes) override;
    qint64 bytesToWrite() const override;

    // The port asked for, or the one the system chose once listening.
    quint16 port() const;
    bool isListening() const;
    // The client's address; an IPv4 client that came through IPv6 is shown dotted.
    QString clientAddress() const { return m_clientAddress; }

signals:
    void listening();
    // The connection failed, in the system's words: the client stopped answering, or it
    // could not be taken. The server listens again.
    void clientLost(const QString &systemReason);

private:
    bool listen();
    void takeConnections();
    void attach(QTcpSocket *socket);
    void socketReadyRead();
    void socketDisconnected();
    void socketError();
    void acceptFailed();
    // The client is gone: lets its socket go and listens again.
    void dropClientAndListen(bool graceful);
    // Lets a socket go on its own: no more signals to us, closed, deleted later.
    void release(QTcpSocket *socket, bool graceful);

    QTcpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;
    quint16 m_port = 0;
    QString m_clientAddress;
};
