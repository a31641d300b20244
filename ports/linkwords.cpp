#include "linkwords.h"

#include <QCoreApplication>

namespace LinkWords {

QString serialCause(Link::Cause cause, const QString &systemReason)
{
    switch (cause) {
    case Link::Cause::Missing:
        return QStringLiteral("el dispositivo no existe (no hay nada conectado con ese nombre)");
    case Link::Cause::Busy:
        return QStringLiteral("lo está usando otra ventana u otro programa");
    case Link::Cause::NoPermission:
        return QStringLiteral("no tiene permiso para usarlo");
    case Link::Cause::NotSerial:
        return QStringLiteral("no es un puerto serie");
    case Link::Cause::Vanished:
        return QStringLiteral("el dispositivo se desconectó o dejó de responder");
    default:
        return systemReason.isEmpty() ? QStringLiteral("el sistema no dice por qué") : systemReason;
    }
}

QString serialAdvice(Link::Cause cause)
{
    const QString choose = QStringLiteral("elija otro con «%1»").arg(kChooseButton);
    switch (cause) {
    case Link::Cause::Missing:
        return QStringLiteral("Conecte la placa: la ventana abrirá el puerto en cuanto aparezca. O %1.").arg(choose);
    case Link::Cause::Vanished:
        return QStringLiteral("Vuelva a conectarla: la ventana abrirá el puerto en cuanto vuelva. O %1.").arg(choose);
    case Link::Cause::Busy:
        return QStringLiteral("Cierre la otra ventana o programa que lo usa, o %1.").arg(choose);
    case Link::Cause::NoPermission:
#ifdef Q_OS_LINUX
        return QStringLiteral("Su usuario debe pertenecer al grupo dialout («sudo usermod -aG dialout $USER» y "
                              "vuelva a entrar en la sesión), o %1.")
            .arg(choose);
#else
        return QStringLiteral("Pida permiso para usarlo, o %1.").arg(choose);
#endif
    case Link::Cause::NotSerial:
        return QStringLiteral("Elija un puerto serie con «%1».").arg(kChooseButton);
    default:
        return QStringLiteral("Compruebe la conexión, o %1.").arg(choose);
    }
}

QStringList serialFailure(const QString &device, Link::Cause cause, const QString &systemReason, bool atOpen)
{
    const QString what = atOpen ? QStringLiteral("No se pudo abrir el puerto serie %1: %2.")
                                : QStringLiteral("Falló el puerto serie %1: %2.");
    return {what.arg(device, serialCause(cause, systemReason)), serialAdvice(cause)};
}

QString listenFailure(quint16 port, Link::Cause cause, const QString &systemReason)
{
    const QString failed = QStringLiteral("No se puede escuchar en el puerto TCP %1: ").arg(port);
    switch (cause) {
    case Link::Cause::AddressInUse:
        return failed + QStringLiteral("lo está usando otra ventana u otro programa. Ciérrelo y vuelva a abrir esta "
                                       "ventana.");
    case Link::Cause::Privileged:
        return failed + QStringLiteral("los puertos por debajo de 1024 necesitan privilegios. Permítalo con «sudo "
                                       "setcap cap_net_bind_service=+ep %1» o con «sudo sysctl "
                                       "net.ipv4.ip_unprivileged_port_start=%2», y vuelva a abrir esta ventana.")
                            .arg(QCoreApplication::applicationFilePath())
                            .arg(port);
    default:
        return failed + systemReason + QLatin1Char('.');
    }
}

} // namespace LinkWords
