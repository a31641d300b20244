#include "serialportuse.h"

#include "linkwords.h"
#include "seriallink.h"
#include "serialportchoice.h"
#include "serialports.h"

namespace {

// As often as a plugged-in board should be noticed, and no more: a look is a file check.
constexpr int kLookForMs = 1000;

} // namespace

SerialPortUse::SerialPortUse(SerialLink *link, SerialPortChoice *choice, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_choice(choice)
{
    m_lookFor.setInterval(kLookForMs);
    connect(&m_lookFor, &QTimer::timeout, this, &SerialPortUse::lookForPort);
    connect(m_link, &Link::failed, this, &SerialPortUse::failed);
    connect(m_link, &Link::ready, this, &SerialPortUse::stateChanged);
    connect(choice, &SerialPortChoice::chosen, this, [this] {
        m_link->close();
        openChosen(false);
    });
}

void SerialPortUse::open()
{
    openChosen(false);
}

bool SerialPortUse::isOpen() const
{
    return m_link->isOpen();
}

QString SerialPortUse::state() const
{
    return QStringLiteral("%1 (%2)").arg(m_device, isOpen() ? QStringLiteral("abierto") : QStringLiteral("cerrado"));
}

QString SerialPortUse::menuText() const
{
    // A device's name is shown as it is, never read as an access key.
    return QStringLiteral("&Puerto serie: %1…").arg(QString(state()).replace(QLatin1Char('&'), QLatin1String("&&")));
}

void SerialPortUse::openChosen(bool announceReturn)
{
    m_lookFor.stop();
    m_device = m_choice ? m_choice->device() : m_device;
    m_link->setDevice(m_device);
    if (m_link->open()) {
        if (announceReturn)
            emit tell({QStringLiteral("El puerto serie %1 volvió y está abierto de nuevo.").arg(m_device)}, false);
        nameOtherReaders();
    } else {
        const bool missing = m_link->cause() == Link::Cause::Missing;
        // Seen and gone again before it could be opened: it is still the port it was.
        if (!(announceReturn && missing))
            emit tell(LinkWords::serialFailure(m_device, m_link->cause(), m_link->errorString(), true), true);
        if (missing)
            m_lookFor.start();
    }
    emit stateChanged();
}

void SerialPortUse::failed(Link::Cause cause, const QString &systemReason)
{
    emit tell(LinkWords::serialFailure(m_device, cause, systemReason, false), true);
    if (cause == Link::Cause::Vanished || cause == Link::Cause::Missing)
        m_lookFor.start();
    emit stateChanged();
}

void SerialPortUse::lookForPort()
{
    if (m_link->isOpen()) {
        m_lookFor.stop();
        return;
    }
    if (!SerialPorts::present(m_device))
        return;
    // Back: opened, and told once. A port that comes back refusing for another reason
    // (its permissions not set yet) is told so once, and no longer looked for.
    openChosen(true);
}

void SerialPortUse::nameOtherReaders()
{
    const QList<SerialPorts::Holder> holders = SerialPorts::otherHolders(m_device);
    if (holders.isEmpty())
        return;
    QStringList programs;
    for (const SerialPorts::Holder &holder : holders)
        programs.append(QStringLiteral("%1 (PID %2)").arg(holder.program).arg(holder.pid));
    emit tell({QStringLiteral("El puerto serie %1 lo tiene abierto también otro programa: %2.")
                   .arg(m_device, programs.join(QStringLiteral(", "))),
               QStringLiteral("Lo que llega por el puerto se reparte entre los dos programas, y a esta ventana le "
                              "faltarán mensajes. Cierre ese programa para recibirlo todo, o elija otro puerto con "
                              "«%1».")
                   .arg(LinkWords::kChooseButton)},
              true);
}
