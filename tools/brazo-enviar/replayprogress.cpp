#include "replayprogress.h"

#include <algorithm>

namespace {

constexpr int kBarWidth = 20;

QString remaining(qint64 ms)
{
    if (ms < 1000)
        return QStringLiteral("falta menos de 1 s");
    const qint64 seconds = (ms + 500) / 1000;
    if (seconds < 60)
        return QStringLiteral("faltan unos %1 s").arg(seconds);
    return QStringLiteral("faltan unos %1 min %2 s").arg(seconds / 60).arg(seconds % 60);
}

} // namespace

ReplayProgress::ReplayProgress(const QList<qint64> &schedule, bool terminal, Clock clock, Write write)
    : m_schedule(schedule.isEmpty() ? QList<qint64>{0} : schedule)
    , m_terminal(terminal)
    , m_clock(std::move(clock))
    , m_write(std::move(write))
{
}

void ReplayProgress::sent(qsizetype count)
{
    m_sent = std::clamp<qsizetype>(count, 0, m_schedule.size() - 1);
    m_sentAtMs = m_clock();
    m_started = true;
    show();
}

void ReplayProgress::tick()
{
    if (m_started)
        show();
}

void ReplayProgress::finish()
{
    if (!m_terminal || m_drawn.isEmpty())
        return;
    show();
    m_write("\n");
    m_drawn.clear();
}

QString ReplayProgress::text() const
{
    const qsizetype total = m_schedule.size() - 1;
    QString text = QStringLiteral("%1 de %2 mensajes (%3 %)").arg(m_sent).arg(total).arg(m_sent * 100 / std::max<qsizetype>(total, 1));
    if (m_sent < total) {
        // The plan from the last message that left, less the time since it left: a link
        // that took longer than planned moves the end with it.
        const qint64 lastDue = m_sent == 0 ? 0 : m_schedule.at(m_sent - 1);
        const qint64 left = m_schedule.constLast() - lastDue - (m_clock() - m_sentAtMs);
        text += QStringLiteral(", ") + remaining(std::max<qint64>(left, 0));
    }
    return text;
}

void ReplayProgress::show()
{
    if (m_schedule.constLast() < kQuietBelowMs)
        return;
    const qint64 now = m_clock();
    if (m_terminal) {
        const qsizetype total = m_schedule.size() - 1;
        const int filled = int(total > 0 ? m_sent * kBarWidth / total : kBarWidth);
        const QString line = QStringLiteral("brazo-enviar: [%1%2] %3")
                                 .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char('-')),
                                      text());
        if (line == m_drawn)
            return;
        // Spaces over what is left of a longer line before.
        const QString padding(std::max<qsizetype>(0, m_drawn.size() - line.size()), QLatin1Char(' '));
        m_write(('\r' + line + padding).toUtf8());
        m_drawn = line;
        return;
    }
    if (m_shown && now - m_lineAtMs < kLineEveryMs)
        return;
    m_write((QStringLiteral("brazo-enviar: ") + text() + QLatin1Char('\n')).toUtf8());
    m_lineAtMs = now;
    m_shown = true;
}
