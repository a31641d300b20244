#include "ptypair.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSerialPort>
#include <QThread>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

PtyPair::~PtyPair()
{
    hangUp();
}

void PtyPair::hangUp()
{
    if (m_peerFd >= 0)
        ::close(m_peerFd);
    m_peerFd = -1;
    if (m_socat.state() != QProcess::NotRunning) {
        m_socat.terminate();
        if (!m_socat.waitForFinished(2000))
            m_socat.kill();
        m_socat.waitForFinished(2000);
    }
}

bool PtyPair::start()
{
    if (!m_dir.isValid())
        return false;
    m_socat.start(QStringLiteral("socat"),
                  {QStringLiteral("pty,raw,echo=0,link=") + devicePath(),
                   QStringLiteral("pty,raw,echo=0,link=") + peerPath()});
    if (!m_socat.waitForStarted(3000))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        if (QFileInfo::exists(devicePath()) && QFileInfo::exists(peerPath()))
            break;
        QThread::msleep(10);
    }
    m_peerFd = ::open(peerPath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_peerFd < 0)
        return false;
    termios tio{};
    if (::tcgetattr(m_peerFd, &tio) == 0) {
        ::cfmakeraw(&tio);
        ::tcsetattr(m_peerFd, TCSANOW, &tio);
    }
    return true;
}

bool PtyPair::writePeer(const QByteArray &bytes)
{
    qsizetype done = 0;
    QElapsedTimer timer;
    timer.start();
    while (done < bytes.size() && timer.elapsed() < 10000) {
        const ssize_t n = ::write(m_peerFd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n > 0) {
            done += n;
        } else {
            pollfd p{m_peerFd, POLLOUT, 0};
            ::poll(&p, 1, 50);
        }
    }
    return done == bytes.size();
}

QByteArray PtyPair::readPeer(int waitMs)
{
    QByteArray result;
    char buffer[4096];
    for (;;) {
        pollfd p{m_peerFd, POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0)
            break;
        const ssize_t n = ::read(m_peerFd, buffer, sizeof buffer);
        if (n <= 0)
            break;
        result.append(buffer, n);
    }
    return result;
}

bool PtyPair::waitUntilUnread(const QSerialPort &port, int count, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        int unread = 0;
        if (::ioctl(int(port.handle()), FIONREAD, &unread) == 0 && unread >= count)
            return true;
        if (deadline.hasExpired())
            return false;
        QThread::msleep(2);
    }
}
