#pragma once

#include "script.h"

#include <QByteArray>
#include <QList>
#include <QObject>

class Link;
class QTimer;

// How far apart the sender puts two messages, and how it names the link to the user.
struct Pacing
{
    // Quiet time after each message.
    int intervalMs = 0;
    // On a serial line, the time the bytes take on the wire comes on top: the driver may
    // call them sent when they have only reached the adapter. 0 for a link without a line.
    qint32 baudRate = 0;

    // The quiet time after a message: the interval, and the time on the line.
    int pauseAfter(const QByteArray &sent) const;
};

// Sends a script over an open link, one write per message, each message handed whole to
// the system and followed by its pause before the next starts, so that the simulator
// reads each one alone; after the last one's pause the link is closed.
class Sender : public QObject
{
    Q_OBJECT

public:
    // target names the link for the user ("el puerto serie /dev/ttyUSB0"), hint says what
    // to check when it cannot be made.
    Sender(Link *link, const Pacing &pacing, const Script &script, const QString &target, const QString &hint,
           QObject *parent = nullptr);

    void start();

    // When each message is due, in ms from the link's being ready, and at the end when the
    // link closes: what the script and the pacing plan, for a link that takes each message
    // at once.
    QList<qint64> schedule() const;

signals:
    // The link is ready (0 sent), and each message has left: how many, of how many.
    void progress(qsizetype sent, qsizetype total);
    // 0 once everything has left and the link is closed; 1, with a Spanish reason, when the
    // link cannot be made or is lost.
    void finished(int status, const QString &error);

private:
    void linkReady();
    // The link could not be made.
    void noLink(const QString &reason);
    void sendNext();
    void messageSent();
    void finish(int status, const QString &error = QString());

    Link *const m_link;
    const Pacing m_pacing;
    const Script m_script;
    const QString m_target;
    const QString m_hint;
    qsizetype m_next = 0;
    QTimer *m_pace = nullptr;
    bool m_ready = false;
    // A message was written and its bytes are not all with the system yet.
    bool m_sending = false;
    bool m_finished = false;
};
