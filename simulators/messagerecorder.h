#pragma once

#include <QFile>
#include <QObject>
#include <QString>

struct Receipt;

// Appends every message the simulator windows take to a message log file (messagelog.h):
// when, from where, the bytes, and what the arm made of them. Each row reaches the file
// with its message, so that a program stopped in any way loses none. Each opening marks
// the start of the recording with its date and time.
class MessageRecorder : public QObject
{
    Q_OBJECT

public:
    explicit MessageRecorder(QObject *parent = nullptr);

    // Opens the file for appending; a new or empty file gets the header first. False, with
    // errorString(), when it cannot be written.
    bool open(const QString &fileName);
    bool isRecording() const { return m_file.isOpen(); }
    QString fileName() const { return m_file.fileName(); }
    // Why the file could not be opened or written, in Spanish.
    QString errorString() const;

    // One message as a window took it; nothing while closed.
    void record(const Receipt &receipt);
    // Lets the file go, everything written; nothing is recorded afterwards.
    void close();

signals:
    // Recording started or stopped.
    void recordingChanged(bool recording);
    // The rows could not be written (disk full, file removed); told once, and the
    // recording stops.
    void writeFailed(const QString &reason);

private:
    bool write(const QByteArray &line);

    QFile m_file;
};
