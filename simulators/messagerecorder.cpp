#include "messagerecorder.h"

#include "armpanel.h"
#include "messagelog.h"
#include "systemerror.h"


namespace {

QString describe(const JointMessageOutcome &outcome)
{
    switch (outcome.kind) {
    case JointMessageOutcome::Kind::Moved:
        return QStringLiteral("Q%1=%2").arg(outcome.joint).arg(outcome.degrees);
    case JointMessageOutcome::Kind::UnknownSelector:
        return QStringLiteral("selector desconocido");
    case JointMessageOutcome::Kind::NotANumber:
        return QStringLiteral("no es un número");
    case JointMessageOutcome::Kind::SameText:
        return QStringLiteral("mismo texto");
    }
    return QString();
}

} // namespace

MessageRecorder::MessageRecorder(QObject *parent)
    : QObject(parent)
{
    // Started with the main window, which is as good as the program's start.
    m_clock.start();
}

bool MessageRecorder::open(const QString &fileName)
{
    m_file.setFileName(fileName);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    if (m_file.size() == 0)
        m_file.write(MessageLog::header());
    return m_file.flush();
}

QString MessageRecorder::errorString() const
{
    return SystemError::inSpanish(m_file.errorString());
}

void MessageRecorder::record(const QString &source, const QByteArray &received, const JointMessageOutcome &outcome)
{
    if (received.isEmpty() || !m_file.isOpen())
        return;
    m_file.write(MessageLog::format({m_clock.elapsed(), source, received, describe(outcome)}));
    if (m_file.flush())
        return;
    const QString reason = errorString();
    m_file.close();
    emit writeFailed(reason);
}

void MessageRecorder::close()
{
    m_file.close();
}
