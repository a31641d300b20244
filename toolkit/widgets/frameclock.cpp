#include "frameclock.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace {

// When a screen does not say its rate.
constexpr double kDefaultRefreshHz = 60.0;
// A frame asked for and not given (a window the system stopped drawing) is painted anyway
// after this long.
constexpr int kFrameGivenUpMs = 100;

} // namespace

FrameClock *FrameClock::of(QWidget *widget)
{
    QWidget *window = widget->window();
    if (auto *clock = window->findChild<FrameClock *>(QString(), Qt::FindDirectChildrenOnly))
        return clock;
    return new FrameClock(window);
}

bool FrameClock::heldByDefault()
{
    // The platforms whose frame clock was measured here; Wine's windows plug-in and the
    // offscreen one paint as Qt does.
    const QString platform = QGuiApplication::platformName();
    const bool hasFrameClock = platform == QLatin1String("xcb") || platform == QLatin1String("wayland");
    return hasFrameClock && qEnvironmentVariableIntValue("BRAZO_PINTAR_CADA_CAMBIO") != 1;
}

FrameClock::FrameClock(QWidget *window)
    : QObject(window)
    , m_window(window)
    , m_holds(heldByDefault())
{
    m_frameEnd.setSingleShot(true);
    m_frameEnd.setTimerType(Qt::PreciseTimer);
    connect(&m_frameEnd, &QTimer::timeout, this, &FrameClock::frameEnded);
    window->installEventFilter(this);
}

void FrameClock::setHoldsPaints(bool holds)
{
    m_holds = holds;
    if (!holds && m_held)
        paintNow();
}

double FrameClock::frameMs() const
{
    const QScreen *screen = m_window->screen();
    const double hz = screen && screen->refreshRate() >= 1.0 ? screen->refreshRate() : kDefaultRefreshHz;
    return 1000.0 / hz;
}

bool FrameClock::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::UpdateRequest)
        return false;
    if (watched == m_handle) {
        // The frame asked for: everything dirty is painted now. Left to the window, its
        // update request would repaint every widget, dirty or not.
        if (!m_frameAsked)
            return false;
        paintNow();
        return true;
    }
    if (watched != m_window || m_painting)
        return false;
    m_requestPosted = false;
    if (m_held)
        return true;
    if (m_holds && m_lastPaint.isValid() && m_lastPaint.nsecsElapsed() < qint64(frameMs() * 1e6)) {
        hold();
        return true;
    }
    // The first change of a frame is painted at once, as Qt would.
    runTasks();
    m_lastPaint.start();
    ++m_paints;
    return false;
}

void FrameClock::schedule(FrameTask *task)
{
    m_tasks.append(task);
    // Some paint is coming already; otherwise one is asked for the way Qt asks.
    if (m_held || m_requestPosted)
        return;
    m_requestPosted = true;
    QCoreApplication::postEvent(m_window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

void FrameClock::hold()
{
    m_held = true;
    const double leftMs = frameMs() - double(m_lastPaint.nsecsElapsed()) / 1e6;
    m_frameEnd.start(qMax(0, int(leftMs + 0.5)));
}

void FrameClock::frameEnded()
{
    if (!m_held)
        return;
    if (m_frameAsked) {
        // The system has not given the frame: it is painted without it.
        paintNow();
        return;
    }
    watchHandle();
    if (!m_handle) {
        paintNow();
        return;
    }
    m_frameAsked = true;
    m_handle->requestUpdate();
    m_frameEnd.start(kFrameGivenUpMs);
}

void FrameClock::watchHandle()
{
    QWindow *handle = m_window->windowHandle();
    if (handle == m_handle)
        return;
    if (m_handle)
        m_handle->removeEventFilter(this);
    m_handle = handle;
    if (m_handle)
        m_handle->installEventFilter(this);
}

void FrameClock::paintNow()
{
    m_frameEnd.stop();
    m_held = false;
    m_frameAsked = false;
    runTasks();
    m_lastPaint.start();
    ++m_paints;
    m_painting = true;
    QEvent sync(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(m_window, &sync);
    m_painting = false;
}

void FrameClock::runTasks()
{
    // A task may ask again from inside its work: that is for the next frame.
    const QList<QPointer<FrameTask>> tasks = std::exchange(m_tasks, {});
    for (const QPointer<FrameTask> &task : tasks) {
        if (!task)
            continue;
        task->m_pending = false;
        task->m_work();
    }
}

FrameTask::FrameTask(QWidget *widget, std::function<void()> work)
    : QObject(widget)
    , m_widget(widget)
    , m_work(std::move(work))
{
}

void FrameTask::request()
{
    if (m_pending)
        return;
    m_pending = true;
    FrameClock::of(m_widget)->schedule(this);
}
