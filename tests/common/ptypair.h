#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class QSerialPort;

// A real pseudo-terminal pair made by socat: the program under test opens devicePath() as
// its serial port, the test talks through the other end as the far end of the line.
class PtyPair
{
public:
    PtyPair() = default;
    ~PtyPair();

    // Starts socat, waits until both ends exist and opens the far end raw.
    bool start();
    QString devicePath() const { return m_dir.filePath(QStringLiteral("ttyA")); }
    // The far end's device, for a second program that plays the far end of the line.
    QString peerPath() const { return m_dir.filePath(QStringLiteral("ttyB")); }

    bool writePeer(const QByteArray &bytes);
    // Everything the far end has received within waitMs of the last byte.
    QByteArray readPeer(int waitMs = 200);
    // Ends the line: both ends go away.
    void hangUp();

    // Waits until the open port has at least `count` bytes in its driver that it has not
    // read, without turning the event loop: nothing reads them meanwhile.
    static bool waitUntilUnread(const QSerialPort &port, int count, int timeoutMs = 5000);

private:
    QTemporaryDir m_dir;
    QProcess m_socat;
    int m_peerFd = -1;
};
