#pragma once

#include <QAbstractSocket>
#include <QByteArray>
#include <QObject>
#include <QString>

// One end of a byte link, as the simulators and the sender use it, whatever carries it (a
// serial port, the one-client TCP server, a TCP connection): open it, take the bytes that
// arrive, write bytes, hear that it failed with a reason in Spanish, close it. Bytes are
// bytes here; the windows decide how to read them.
class Link : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Opens the port, starts listening or starts connecting. False, with errorString(),
    // when that fails at once; a failure found later comes as failed().
    virtual bool open() = 0;
    // Ends the link. Bytes already handed to the system still go out.
    virtual void close() = 0;
    // Queues the bytes for the other end. False, with errorString(), when there is no other
    // end or the system refuses them.
    virtual bool write(const QByteArray &bytes) = 0;
    // Bytes written that the system has not taken yet.
    virtual qint64 bytesToWrite() const = 0;

    // Why the link could not open or write, or failed, in Spanish.
    QString errorString() const { return m_errorString; }

signals:
    // Bytes can cross now: the port is open, a client came, the connection is made.
    void ready();
    // What arrived, as one read: however the other end split or joined its writes.
    void received(const QByteArray &bytes);
    // The system has taken everything written so far.
    void sent();
    // The other end closed in good order.
    void closed();
    // The link failed and carries nothing more until it is opened again.
    void failed(const QString &reason);

protected:
    void setErrorString(const QString &reason) { m_errorString = reason; }
    // The write of the two TCP links: all the bytes to a connected socket, or false with
    // the reason (notConnected when there is no connection).
    bool writeToSocket(QAbstractSocket *socket, const QString &notConnected, const QByteArray &bytes)
    {
        if (!socket || socket->state() != QAbstractSocket::ConnectedState) {
            setErrorString(notConnected);
            return false;
        }
        if (socket->write(bytes) != bytes.size()) {
            setErrorString(socket->errorString());
            return false;
        }
        return true;
    }

private:
    QString m_errorString;
};
