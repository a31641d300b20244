#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class FrameTask;
class QWidget;
class QWindow;

// At most one paint of a window per frame of its screen.
//
// Qt Widgets 6.4 paints a window at every pass of the event loop that left something
// dirty: its repaint manager posts QEvent::UpdateRequest to the top-level widget each time
// and never waits for the window's frame clock (QWindow::requestUpdate), as Qt Quick and
// QOpenGLWidget do. A link that moves the arm 640 times a second then has the window
// painted and flushed 640 times a second for a screen that shows 60. A window's clock lets
// the first paint of a frame through and holds the others to the end of that frame, where
// it asks QWindow::requestUpdate for the next one and paints everything dirty at once: a
// change is on screen the frame after it at the latest. Nothing else waits: texts, images,
// models and accessibility change at once; only their pixels reach the screen once a frame.
// A Qt that paints widgets on the frame clock makes this class unnecessary.
//
// Where the platform gives no frame clock to rely on (offscreen, Wine's windows plug-in),
// or BRAZO_PINTAR_CADA_CAMBIO=1 asks for it (to measure against it), the clock holds
// nothing and painting is Qt's own: correct, only slower.
class FrameClock : public QObject
{
    Q_OBJECT

public:
    // The clock of the widget's top-level window, made at the first call.
    static FrameClock *of(QWidget *widget);
    // Whether new clocks hold paints: on a platform with a frame clock, and not asked off.
    static bool heldByDefault();

    bool holdsPaints() const { return m_holds; }
    void setHoldsPaints(bool holds);
    // The frame of the window's screen, in milliseconds.
    double frameMs() const;
    // The paints let through so far.
    int paints() const { return m_paints; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class FrameTask;

    explicit FrameClock(QWidget *window);
    void schedule(FrameTask *task);
    void hold();
    void frameEnded();
    void paintNow();
    void runTasks();
    void watchHandle();

    QWidget *const m_window;
    QPointer<QWindow> m_handle;
    bool m_holds = false;
    QElapsedTimer m_lastPaint;
    QTimer m_frameEnd;
    // A paint held to the frame's end, and whether the window's frame has been asked for.
    bool m_held = false;
    bool m_frameAsked = false;
    bool m_painting = false;
    bool m_requestPosted = false;
    int m_paints = 0;
    QList<QPointer<FrameTask>> m_tasks;
};

// Work that brings a widget's own picture up to date (a plot, the 3D view's arm) once a
// frame, right before its window paints, however often it is asked for in between.
class FrameTask : public QObject
{
    Q_OBJECT

public:
    FrameTask(QWidget *widget, std::function<void()> work);

    // The work runs once before the widget's window next paints.
    void request();

private:
    friend class FrameClock;

    QWidget *const m_widget;
    const std::function<void()> m_work;
    bool m_pending = false;
};
