#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// How far a replay has got, told on the standard error: on a terminal, one line redrawn in
// place with a bar; into a file or a pipe, where a redrawn line would pile up, a line now
// and then. Nothing for a replay that is over in less than kQuietBelowMs: the user would
// not even read it.
class ReplayProgress
{
public:
    static constexpr qint64 kQuietBelowMs = 2000;
    static constexpr qint64 kLineEveryMs = 5000;

    // Milliseconds from any fixed moment, never going back.
    using Clock = std::function<qint64()>;
    using Write = std::function<void(const QByteArray &text)>;

    // schedule: when each message is due and, last, when the replay ends (Sender::schedule),
    // which the remaining time is worked from.
    ReplayProgress(const QList<qint64> &schedule, bool terminal, Clock clock, Write write);

    // The messages sent so far, when one more has left (0 when the link is ready).
    void sent(qsizetype count);
    // Keeps the remaining time and the lines going through a long pause.
    void tick();
    // The replay ended, in full or not: a redrawn line is left as it stands, and ended.
    void finish();

private:
    QString text() const;
    void show();

    const QList<qint64> m_schedule;
    const bool m_terminal;
    const Clock m_clock;
    const Write m_write;
    qsizetype m_sent = 0;
    bool m_started = false;
    // When the count last changed.
    qint64 m_sentAtMs = 0;
    qint64 m_lineAtMs = 0;
    bool m_shown = false;
    QString m_drawn;
};
