#include "sender.h"

#include "link.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

// 8N1: a start bit, eight data bits and a stop bit for every byte.
constexpr int kBitsPerByte = 10;

// The cause in the sender's words; the system's own words where they say more.
QString describe(Link::Cause cause, const QString &systemReason)
{
    switch (cause) {
    case Link::Cause::Missing:
        return systemReason.isEmpty() ? QStringLiteral("no existe") : systemReason;
    case Link::Cause::Busy:
        return QStringLiteral("lo está usando otro programa");
    case Link::Cause::NoPermission:
        return QStringLiteral("no hay permiso para usarlo (en Linux, el usuario debe pertenecer al grupo dialout)");
    case Link::Cause::NotSerial:
        return QStringLiteral("no es un puerto serie");
    case Link::Cause::Vanished:
        return QStringLiteral("el dispositivo se desconectó o dejó de responder");
    case Link::Cause::NoAnswer:
        return QStringLiteral("no responde");
    default:
        return systemReason;
    }
}

} // namespace

Sender::Sender(Link *link, const Pacing &pacing, const Script &script, const QString &target, const QString &hint,
               QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_pacing(pacing)
    , m_script(script)
    , m_target(target)
    , m_hint(hint)
    , m_pace(new QTimer(this))
{
    m_pace->setSingleShot(true);
    m_pace->setTimerType(Qt::PreciseTimer);
    connect(m_pace, &QTimer::timeout, this, &Sender::sendNext);
    connect(m_link, &Link::ready, this, &Sender::linkReady);
    connect(m_link, &Link::sent, this, &Sender::messageSent);
    connect(m_link, &Link::failed, this, [this](Link::Cause cause, const QString &systemReason) {
        const QString reason = describe(cause, systemReason);
        if (m_ready)
            finish(1, QStringLiteral("Se perdió el enlace con %1: %2.").arg(m_target, reason));
        else
            noLink(reason);
    });
    connect(m_link, &Link::closed, this, [this] {
        finish(1, QStringLiteral("Se cerró el enlace con %1 antes del último mensaje.").arg(m_target));
    });
}

void Sender::start()
{
    if (!m_link->open())
        noLink(describe(m_link->cause(), m_link->errorString()));
}

void Sender::noLink(const QString &reason)
{
    finish(1, QStringLiteral("No hay enlace con %1: %2. %3").arg(m_target, reason, m_hint).trimmed());
}

QList<qint64> Sender::schedule() const
{
    QList<qint64> due;
    due.reserve(m_script.steps.size() + 1);
    qint64 at = 0;
    for (qsizetype i = 0; i < m_script.steps.size(); ++i) {
        const int wait = m_script.steps.at(i).waitMs;
        at += i == 0 ? wait : std::max(m_pacing.pauseAfter(m_script.steps.at(i - 1).bytes), wait);
        due.append(at);
    }
    due.append(at + (m_script.steps.isEmpty() ? 0 : m_pacing.pauseAfter(m_script.steps.constLast().bytes)));
    return due;
}

void Sender::linkReady()
{
    m_ready = true;
    emit progress(0, m_script.steps.size());
    if (m_script.steps.isEmpty())
        finish(0);
    else
        m_pace->start(m_script.steps.first().waitMs);
}

void Sender::sendNext()
{
    if (m_finished)
        return;
    if (m_next == m_script.steps.size()) {
        finish(0);
        return;
    }
    if (!m_link->write(m_script.steps.at(m_next).bytes)) {
        finish(1, QStringLiteral("No se pudo enviar a %1: %2.").arg(m_target, m_link->errorString()));
        return;
    }
    m_sending = true;
    if (m_link->bytesToWrite() == 0)
        messageSent();
}

void Sender::messageSent()
{
    if (!m_sending || m_finished)
        return;
    // Every byte is with the system before the pause starts: the next message can never
    // join this one in a queue.
    m_sending = false;
    const int pause = m_pacing.pauseAfter(m_script.steps.at(m_next++).bytes);
    m_pace->start(m_next < m_script.steps.size() ? std::max(pause, m_script.steps.at(m_next).waitMs) : pause);
    emit progress(m_next, m_script.steps.size());
}

void Sender::finish(int status, const QString &error)
{
    if (m_finished)
        return;
    m_finished = true;
    m_pace->stop();
    m_link->close();
    emit finished(status, error);
}

int Pacing::pauseAfter(const QByteArray &sent) const
{
    const qint64 lineMs = baudRate > 0 ? (qint64(sent.size()) * kBitsPerByte * 1000 + baudRate - 1) / baudRate : 0;
    return int(std::min<qint64>(intervalMs + lineMs, std::numeric_limits<int>::max()));
}
