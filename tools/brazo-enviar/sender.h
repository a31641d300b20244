#pragma once

#include "script.h"
#include "senderoptions.h"

#include <QObject>

class QTcpSocket;
class QTimer;
class SerialLink;

// Opens the link and sends a script over it, one write per message and each message put
// out whole before the next starts, paced so that the simulator reads each one alone.
class Sender : public QObject
{
    Q_OBJECT

public:
    Sender(const LinkOptions &link, const Script &script, QObject *parent = nullptr);

    void start();

signals:
    // 0 once everything has left and the link is closed; 1, with a Spanish reason, when the
    // link cannot be opened or is lost.
    void finished(int status, const QString &error);

private:
    void openSerial();
    void openTcp();
    void linkReady();
    void sendNext();
    bool write(const QByteArray &bytes);
    void close();
    void finish(int status, const QString &error = QString());
    int pacingMs(const QByteArray &sent) const;
    QString tcpPeer() const;

    const LinkOptions m_link;
    const Script m_script;
    qsizetype m_next = 0;
    SerialLink *m_serial = nullptr;
    QTcpSocket *m_socket = nullptr;
    QTimer *m_pace = nullptr;
    bool m_connected = false;
    bool m_closing = false;
    bool m_finished = false;
};
