#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QString>

struct JointMessageOutcome;

// Appends every receive of the simulator windows to a message log file (messagelog.h):
// when, from where, the bytes, and what the arm panel made of them. Each row reaches the
// file with its receive, so that a program stopped in any way loses none.
class MessageRecorder : public QObject
{
    Q_OBJECT

public:
    explicit MessageRecorder(QObject *parent = nullptr);

    // Opens the file for appending; a new or empty file gets the header first. False, with
    // errorString(), when it cannot be written.
    bool open(const QString &fileName);
    // Why the file could not be opened or written, in Spanish.
    QString errorString() const;

    // One receive as a window got it. An empty read is no receive and is not recorded.
    void record(const QString &source, const QByteArray &received, const JointMessageOutcome &outcome);
    // Lets the file go, everything written; nothing is recorded afterwards.
    void close();

signals:
    // The rows could not be written (disk full, file removed); told once, and nothing more
    // is recorded.
    void writeFailed(const QString &reason);

private:
    QFile m_file;
    QElapsedTimer m_clock;
};
