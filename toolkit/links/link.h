#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// One end of a byte link, as the simulators and the sender use it, whatever carries it (a
// serial port, the one-client TCP server, a TCP connection): open it, take the bytes that
// arrive, write bytes, hear that it failed and why, close it. Bytes are bytes here; the
// windows decide how to read them, and how to tell the user of a failure.
//
// Every link may be destroyed from inside any of its own signals.
class Link : public QObject
{
    Q_OBJECT

public:
    // Why a link could not open, or failed: what the user can be told to do about it.
    enum class Cause {
        None,
        Missing,       // the device does not exist, or nothing listens at that address
        Busy,          // another window or program holds the port
        NoPermission,  // the user may not use the device
        NotSerial,     // the device is not a serial port
        Vanished,      // the device went away while open, or stopped answering
        AddressInUse,  // another program listens on the TCP port
        Privileged,    // the TCP port is below 1024 and the program may not use it
        NoAnswer,      // nobody answered in time
        Other,         // only the system's reason says what
    };
    Q_ENUM(Cause)

    using QObject::QObject;

    // Opens the port, starts listening or starts connecting. False, with cause() and
    // errorString(), when that fails at once; a failure found later comes as failed().
    virtual bool open() = 0;
    // Ends the link. Bytes already handed to the system still go out.
    virtual void close() = 0;
    // Whether bytes can cross now: the port is open, a client is connected, the
    // connection is made.
    virtual bool isOpen() const = 0;
    // Queues the bytes for the other end. False, with errorString(), when there is no other
    // end or the system refuses them.
    virtual bool write(const QByteArray &bytes) = 0;
    // Bytes written that the system has not taken yet.
    virtual qint64 bytesToWrite() const = 0;

    // Why the link last could not open or write, or failed.
    Cause cause() const { return m_cause; }
    // The system's own words for it, in the system's language (Qt's in Spanish).
    QString errorString() const { return m_errorString; }

signals:
    // Bytes can cross now: the port is open, a client came, the connection is made.
    // Always from the event loop, never from inside open().
    void ready();
    // What arrived, as one read: however the other end split or joined its writes.
    void received(const QByteArray &bytes);
    // The system has taken everything written so far.
    void sent();
    // The other end closed in good order.
    void closed();
    // The link failed and carries nothing more until it is opened again.
    void failed(Link::Cause cause, const QString &systemReason);

protected:
    void setError(Cause cause, const QString &systemReason)
    {
        m_cause = cause;
        m_errorString = systemReason;
    }
    // Fails: the error set, then failed().
    void fail(Cause cause, const QString &systemReason)
    {
        setError(cause, systemReason);
        emit failed(cause, systemReason);
    }
    // ready() from the event loop, unless the link has closed or opened again by then.
    void announceReady();

private:
    Cause m_cause = Cause::None;
    QString m_errorString;
    quint64 m_openings = 0;
};
