#include "serialports.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

// The Linux side of serialports.h.

#include <sys/stat.h>
#include <unistd.h>

namespace SerialPorts {
namespace {

QString describe(const QSerialPortInfo &port)
{
    QString what = port.description().trimmed();
    if (what.isEmpty())
        what = port.manufacturer().trimmed();
    if (port.hasVendorIdentifier() && port.hasProductIdentifier()) {
        const QString ids = QStringLiteral("(%1:%2)")
                                .arg(port.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                                .arg(port.productIdentifier(), 4, 16, QLatin1Char('0'));
        what = what.isEmpty() ? ids : what + QLatin1Char(' ') + ids;
    }
    return what;
}

// The index of a pseudo-terminal's slave device, /dev/pts/N, or -1.
int ptyIndex(const QString &canonicalPath)
{
    static const QString prefix = QStringLiteral("/dev/pts/");
    if (!canonicalPath.startsWith(prefix))
        return -1;
    bool ok = false;
    const int index = canonicalPath.mid(prefix.size()).toInt(&ok);
    return ok ? index : -1;
}

// Whether the process holds the master of pseudo-terminal `index`: its fdinfo names it.
bool holdsPtyMaster(const QString &fdFolder, const QString &fd, int index)
{
    if (QFileInfo(fdFolder + fd).symLinkTarget() != QLatin1String("/dev/ptmx"))
        return false;
    QFile info(fdFolder.chopped(3) + QStringLiteral("fdinfo/") + fd);
    if (!info.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = info.readAll();
    const qsizetype at = text.indexOf("tty-index:");
    return at >= 0 && text.mid(at + 10).trimmed().split('\n').value(0).toInt() == index;
}

} // namespace

QList<SerialPortInfo> available()
{
    QList<SerialPortInfo> ports;
    const QList<QSerialPortInfo> found = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &port : found)
        ports.append({port.systemLocation(), describe(port), port.hasVendorIdentifier()});
    std::sort(ports.begin(), ports.end(), [](const SerialPortInfo &a, const SerialPortInfo &b) {
        return a.usb != b.usb ? a.usb : naturalLess(a.device, b.device);
    });
    return ports;
}

QString firstPort()
{
    const QList<SerialPortInfo> ports = available();
    return ports.isEmpty() ? QStringLiteral("/dev/ttyS0") : ports.first().device;
}

bool present(const QString &device)
{
    return QFileInfo::exists(device);
}

QList<Holder> otherHolders(const QString &device)
{
    QList<Holder> holders;
    struct stat target {};
    if (::stat(QFile::encodeName(device).constData(), &target) != 0 || !S_ISCHR(target.st_mode))
        return holders;
    const int pty = ptyIndex(QFileInfo(device).canonicalFilePath());
    const QString self = QString::number(QCoreApplication::applicationPid());
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &pid : processes) {
        if (pid == self || pid.front() < QLatin1Char('0') || pid.front() > QLatin1Char('9'))
            continue;
        // Another user's descriptors cannot be listed: they are not ours to know.
        const QString fdFolder = QStringLiteral("/proc/%1/fd/").arg(pid);
        const QStringList fds = QDir(fdFolder).entryList(QDir::System | QDir::NoDotAndDotDot);
        bool reads = false;
        bool farEnd = false;
        for (const QString &fd : fds) {
            struct stat opened {};
            if (::stat(QFile::encodeName(fdFolder + fd).constData(), &opened) == 0 && S_ISCHR(opened.st_mode)
                && opened.st_rdev == target.st_rdev)
                reads = true;
            else if (pty >= 0 && holdsPtyMaster(fdFolder, fd, pty))
                farEnd = true;
        }
        if (!reads || farEnd)
            continue;
        QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
        const QString program = comm.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(comm.readAll()).trimmed() : QString();
        holders.append({pid.toLongLong(), program});
    }
    return holders;
}

} // namespace SerialPorts
