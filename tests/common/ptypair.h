#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real pseudo-terminal pair made by socat: the program under test opens devicePath()
// (through BRAZO_SERIAL_PORT), the test talks through peerPath() as the far end of the line.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();

    // Starts socat and waits until both links exist.
    bool start();
    QString devicePath() const { return m_dir.filePath(QStringLiteral("ttyA")); }
    QString peerPath() const { return m_dir.filePath(QStringLiteral("ttyB")); }

    // Opens the peer end raw, for writing and reading bytes.
    bool openPeer();
    bool writePeer(const QByteArray &bytes);
    // Everything the peer end has received within waitMs of the last byte.
    QByteArray readPeer(int waitMs = 200);

private:
    QTemporaryDir m_dir;
    QProcess m_socat;
    int m_peerFd = -1;
};
