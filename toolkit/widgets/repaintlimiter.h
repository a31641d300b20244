#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>

class QWidget;

// Caps how often each window reaches the screen. A remote link may move the arm thousands
// of times a second, and every move is computed and drawn into the views at once; but
// painting the window every time would cost more than the move itself and make the next
// message wait. A paint request that comes sooner than one frame after the window's last
// paint is held back and served at the frame's end, with everything that changed meanwhile.
class RepaintLimiter : public QObject
{
    Q_OBJECT

public:
    // Thirty frames a second: smooth to the eye, and half the painting of sixty.
    static constexpr int kFrameMs = 33;

    // Watches every window of the application.
    explicit RepaintLimiter(QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void release();

    QHash<QObject *, QElapsedTimer> m_lastPaint;
    QList<QPointer<QWidget>> m_held;
    QTimer m_frameEnd;
};
