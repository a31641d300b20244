#include "repaintlimiter.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>

#include <utility>

RepaintLimiter::RepaintLimiter(QObject *parent)
    : QObject(parent)
{
    m_frameEnd.setSingleShot(true);
    m_frameEnd.setTimerType(Qt::PreciseTimer);
    connect(&m_frameEnd, &QTimer::timeout, this, &RepaintLimiter::release);
    QCoreApplication::instance()->installEventFilter(this);
}

bool RepaintLimiter::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::UpdateRequest || !watched->isWidgetType())
        return false;

    auto known = m_lastPaint.find(watched);
    if (known == m_lastPaint.end()) {
        // Windows come and go (menus, message boxes): each is forgotten with its end.
        known = m_lastPaint.insert(watched, QElapsedTimer());
        connect(watched, &QObject::destroyed, this, [this](QObject *window) { m_lastPaint.remove(window); });
    }
    QElapsedTimer &last = *known;
    if (!last.isValid() || last.elapsed() >= kFrameMs) {
        last.start();
        return false;
    }
    // The window keeps its dirty regions and asks for nothing more until it has painted;
    // it is asked again at the end of the frame.
    auto *window = static_cast<QWidget *>(watched);
    if (!m_held.contains(window))
        m_held.append(window);
    if (!m_frameEnd.isActive())
        m_frameEnd.start(int(qMax<qint64>(1, kFrameMs - last.elapsed())));
    return true;
}

void RepaintLimiter::release()
{
    const QList<QPointer<QWidget>> held = std::exchange(m_held, {});
    for (const QPointer<QWidget> &window : held) {
        if (!window)
            continue;
        m_lastPaint[window].invalidate();
        QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
    }
}
