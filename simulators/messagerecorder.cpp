#include "messagerecorder.h"

#include "messagelog.h"
#include "programclock.h"
#include "receipt.h"
#include "systemerror.h"

MessageRecorder::MessageRecorder(QObject *parent)
    : QObject(parent)
{
}

bool MessageRecorder::open(const QString &fileName)
{
    close();
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    const qint64 now = ProgramClock::ms();
    const QByteArray start = MessageLog::format(MessageLog::startMark(now, ProgramClock::at(now)));
    if (!write(m_file.size() == 0 ? MessageLog::header() + start : start)) {
        m_file.close();
        return false;
    }
    emit recordingChanged(true);
    return true;
}

QString MessageRecorder::errorString() const
{
    return SystemError::inSpanish(m_file.errorString());
}

void MessageRecorder::record(const Receipt &receipt)
{
    if (!m_file.isOpen())
        return;
    if (write(MessageLog::format({receipt.ms, receipt.source, receipt.bytes,
                                  QString::fromStdString(protocol::words(receipt.outcome))})))
        return;
    const QString reason = errorString();
    m_file.close();
    emit recordingChanged(false);
    emit writeFailed(reason);
}

bool MessageRecorder::write(const QByteArray &line)
{
    return m_file.write(line) == line.size() && m_file.flush();
}

void MessageRecorder::close()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    emit recordingChanged(false);
}
