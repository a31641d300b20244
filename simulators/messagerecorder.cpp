#include "messagerecorder.h"

#include "armpanel.h"
#include "messagelog.h"

#include <QTimer>

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
    , m_flushTimer(new QTimer(this))
{
    // Started with the main window, which is as good as the program's start.
    m_clock.start();
    m_flushTimer->setInterval(1000);
    m_flushTimer->setSingleShot(true);
    connect(m_flushTimer, &QTimer::timeout, this, &MessageRecorder::flush);
}

MessageRecorder::~MessageRecorder()
{
    flush();
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

void MessageRecorder::record(const QString &source, const QByteArray &received, const JointMessageOutcome &outcome)
{
    if (received.isEmpty() || !m_file.isOpen())
        return;
    // QFile holds the row in its own buffer; the disk is reached from flush().
    m_file.write(MessageLog::format({m_clock.elapsed(), source, received, describe(outcome)}));
    if (!m_flushTimer->isActive())
        m_flushTimer->start();
}

void MessageRecorder::flush()
{
    m_flushTimer->stop();
    if (!m_file.isOpen() || m_file.flush() || m_failed)
        return;
    m_failed = true;
    emit writeFailed(m_file.errorString());
}
