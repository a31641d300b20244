#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <QString>

// The program's own clock, from its start: the recording's times and the monitor's.
namespace ProgramClock {

namespace detail {
struct Start
{
    Start() { elapsed.start(); }
    QElapsedTimer elapsed;
    const QDateTime at = QDateTime::currentDateTime();
    // Read once: the local time zone is looked up again by every conversion, and a
    // monitor asks for thousands of times of day a second.
    const qint64 epochMs = at.toMSecsSinceEpoch();
    const qint64 dayMs = at.time().msecsSinceStartOfDay();
};
inline Start &start()
{
    static Start s;
    return s;
}
} // namespace detail

// Milliseconds since the program started (its first call, which the main window makes).
inline qint64 ms()
{
    return detail::start().elapsed.elapsed();
}

// The date and time of a moment of the program's clock.
inline QDateTime at(qint64 ms)
{
    return detail::start().at.addMSecs(ms);
}

// A moment of the program's clock as milliseconds since the epoch.
inline qint64 epochMs(qint64 ms)
{
    return detail::start().epochMs + ms;
}

// "hh:mm:ss.zzz", the time of day of a moment of the program's clock, counted from the
// start's: a change of the clocks while the program runs is not followed.
inline QString timeOfDay(qint64 ms)
{
    qint64 day = (detail::start().dayMs + ms) % (24 * 3600 * 1000);
    const QChar zero(u'0');
    return QStringLiteral("%1:%2:%3.%4")
        .arg(day / 3600000, 2, 10, zero)
        .arg(day / 60000 % 60, 2, 10, zero)
        .arg(day / 1000 % 60, 2, 10, zero)
        .arg(day % 1000, 3, 10, zero);
}

} // namespace ProgramClock
