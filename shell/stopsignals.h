#pragma once

#include <QObject>

class QSocketNotifier;

// The signals that ask a program to stop (Ctrl+C in its terminal, a logout, kill), turned
// into a Qt signal on the event loop, so that the program can end in good order instead
// of being cut wherever it was. One for the process; where the system has no such signals
// it never says anything.
class StopSignals : public QObject
{
    Q_OBJECT

public:
    static StopSignals *instance();

signals:
    void stopRequested();

private:
    StopSignals();

    QSocketNotifier *m_notifier = nullptr;
};
