#pragma once

#include <QAbstractSocket>
#include <QHash>
#include <QObject>
#include <QString>

class QTcpServer;
class QTcpSocket;

// The socket control of the network windows: one object that is in turn closed, listening
// or connected to one client, on top of QTcpServer and QTcpSocket. Texts cross it as
// Windows-1252 bytes, one character per byte. While connected nothing listens, so a
// second client is refused by the system at once instead of waiting in a queue.
//
// A connection request must be taken with Accept() from the ConnectionRequest handler
// itself; one left untaken when the handler returns is dropped.
//
// The object may be destroyed from inside any of its own signals (a window closed from a
// handler): the Qt sockets it holds are then only detached and deleted later.
class SocketLink : public QObject
{
    Q_OBJECT

public:
    // The values State() reports.
    enum StateValue : int {
        Closed = 0,
        Listening = 2,
        Connected = 7,
        Closing = 8,  // the peer has closed; Close() has not been called yet
        Error = 9,    // the connection failed; Close() has not been called yet
    };

    explicit SocketLink(QObject *parent = nullptr);
    ~SocketLink() override;

    // The first IPv4 address of an interface that is up and not the loopback, dotted;
    // "127.0.0.1" when there is none.
    static QString LocalIP();

    // The port the next Listen() uses. 0 lets the system choose; LocalPort() then gives
    // the chosen port once listening.
    void setLocalPort(int port);
    int LocalPort() const;

    // Starts listening on every local IPv4 address. False, with errorString(), when the
    // system refuses (port in use, port below 1024 without privilege) or when the socket
    // is not closed.
    bool Listen();

    int State() const;

    // Makes this object the connection to the client of that request; stops listening.
    // False, with errorString(), for an unknown request or while connected.
    bool Accept(qint32 requestID);

    // Everything received and not read yet, one character per byte.
    QString GetData();

    // Queues the text's Windows-1252 bytes, nothing added. False when not connected.
    bool SendData(const QString &text);

    // Stops listening or ends the connection (bytes already queued are still delivered).
    // Keeps LocalPort.
    void Close();

    // The address of the connected client (or of the last one), dotted IPv4.
    QString RemoteHostIP() const { return m_remoteHostIP; }

    QString errorString() const { return m_errorString; }
    // The kind of the last failure; SocketAccessError when the system refused the port
    // for want of privilege, AddressInUseError when another socket holds it.
    QAbstractSocket::SocketError errorCode() const { return m_errorCode; }

signals:
    // A client asks to connect while listening.
    void ConnectionRequest(qint32 requestID);
    // Data from the connected client is waiting.
    void DataArrival(qint32 bytesTotal);
    // The client has closed the connection (an orderly close or a reset); all its data
    // has been offered through DataArrival before.
    void peerClosed();
    // Any other failure of the connection or of the listener. The object is left in the
    // Error state (or still listening after a failed accept) until Close().
    void error(const QString &reason);

private:
    void takeConnections();
    void socketReadyRead();
    void socketDisconnected();
    void socketError();
    void attach(QTcpSocket *socket);
    void dropPending();
    void setError(QAbstractSocket::SocketError code, const QString &text);
    // Lets a socket go on its own: no more signals to us, closed, deleted later.
    void release(QTcpSocket *socket, bool graceful);

    QTcpServer *m_server = nullptr;
    QTcpSocket *m_socket = nullptr;
    QHash<qint32, QTcpSocket *> m_pending;
    qint32 m_nextRequestID = 1;
    int m_localPort = 0;
    bool m_failed = false;
    QString m_remoteHostIP;
    QString m_errorString;
    QAbstractSocket::SocketError m_errorCode = QAbstractSocket::UnknownSocketError;
};
