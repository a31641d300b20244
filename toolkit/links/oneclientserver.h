#pragma once

#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

// The one-client TCP server of the network windows. It listens on every local address,
// IPv4 and IPv6, serves one client at a time and closes its listener while it has one, so
// that the system refuses any other client at once. When the client leaves (closes, resets
// or stops answering) it listens again by itself. Texts cross it as Windows-1252 bytes,
// one character per byte.
//
// It may be destroyed from inside any of its own signals (a window closed from a handler):
// the Qt sockets it holds are then only detached and deleted later.
class OneClientServer : public QObject
{
    Q_OBJECT

public:
    explicit OneClientServer(QObject *parent = nullptr);
    ~OneClientServer() override;

    // The first IPv4 address of an interface that is up and not the loopback, dotted;
    // "127.0.0.1" when there is none.
    static QString LocalIP();

    // Starts listening on the port (0: the system chooses one). Emits listening() or
    // listenFailed(), and returns which.
    bool listen(quint16 port);
    // Stops listening and ends the connection; bytes already queued are still delivered.
    void close();

    // The port asked for, or the one the system chose once listening.
    quint16 port() const;
    bool isListening() const;
    bool hasClient() const { return m_socket != nullptr; }
    // The client's address; an IPv4 client that came through IPv6 is shown dotted.
    QString clientAddress() const { return m_clientAddress; }

    // Queues the text's Windows-1252 bytes, nothing added. False, with errorString(), when
    // no client is connected or the system refuses the write.
    bool send(const QString &text);
    QString errorString() const { return m_errorString; }

    // A client whose machine vanished without closing is found by keep-alive probes: after
    // idle seconds without traffic, one probe every interval, given up after count of them.
    // Applies to the next client.
    void setKeepAlive(int idleSeconds, int intervalSeconds, int count);

signals:
    void listening();
    // Why the port cannot be listened on, one message for the user with what to do.
    void listenFailed(const QString &message);
    void clientAccepted(const QString &address);
    void dataArrived(const QString &text);
    // The client closed or reset the connection, after everything it sent was delivered.
    void clientClosed();
    // The connection failed: the client stopped answering, or it could not be taken.
    void clientLost(const QString &reason);

private:
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
    QString m_errorString;
    int m_keepAliveIdle = 20;
    int m_keepAliveInterval = 5;
    int m_keepAliveCount = 6;
};
