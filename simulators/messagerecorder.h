#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>

class QTimer;
struct JointMessageOutcome;

// Appends every receive of the simulator windows to a message log file (messagelog.h):
// when, from where, the bytes, and what the arm panel made of them. Rows wait in memory and
// reach the disk at least once a second, so a receive never waits on the disk; flush()
// writes them at once, for an exit that skips destructors.
class MessageRecorder : public QObject
{
    Q_OBJECT

public:
    explicit MessageRecorder(QObject *parent = nullptr);
    ~MessageRecorder() override;

    // Opens the file for appending; a new or empty file gets the header first. False, with
    // errorString(), when it cannot be written.
    bool open(const QString &fileName);
    QString errorString() const { return m_file.errorString(); }

    // One receive as a window got it. An empty read is no receive and is not recorded.
    void record(const QString &source, const QByteArray &received, const JointMessageOutcome &outcome);
    void flush();

signals:
    // The rows could not be written (disk full, file removed); told once.
    void writeFailed(const QString &reason);

private:
    QFile m_file;
    QElapsedTimer m_clock;
    QTimer *m_flushTimer = nullptr;
    bool m_failed = false;
};
