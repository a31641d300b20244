#pragma once

#include <QDateTime>
#include <QElapsedTimer>

// The program's own clock, from its start: the recording's times and the monitor's.
namespace ProgramClock {

namespace detail {
struct Start
{
    Start() { elapsed.start(); }
    QElapsedTimer elapsed;
    const QDateTime at = QDateTime::currentDateTime();
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

// The time of day of a moment of the program's clock.
inline QDateTime at(qint64 ms)
{
    return detail::start().at.addMSecs(ms);
}

} // namespace ProgramClock
