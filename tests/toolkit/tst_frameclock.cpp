#include "frameclock.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>

namespace {

// A window that shows one colour, and counts its paints.
class Swatch : public QWidget
{
public:
    void showColor(QColor color)
    {
        m_color = color;
        update();
    }
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), m_color);
    }

private:
    QColor m_color = Qt::white;
};

// What the window system was last given for the window.
QRgb onScreen(QWidget *window)
{
    return window->screen()->grabWindow(window->winId()).toImage().pixel(5, 5);
}

// A change every millisecond, each in a pass of the event loop of its own, as messages come.
void burst(Swatch &swatch, int changes)
{
    int done = 0;
    QTimer every;
    every.setTimerType(Qt::PreciseTimer);
    QObject::connect(&every, &QTimer::timeout, &swatch, [&] {
        swatch.showColor(QColor::fromHsv((done * 3) % 360, 200, 200));
        ++done;
    });
    every.start(1);
    QTRY_VERIFY(done >= changes);
}

} // namespace

class TestFrameClock : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void held_atMostOnePaintAFrame_theLastChangeOnScreenAfterAFrame();
    void notHeld_paintsAsQtDoes();
    void task_runsOnceBeforeThePaint();

private:
    Swatch *m_swatch = nullptr;
};

void TestFrameClock::init()
{
    m_swatch = new Swatch;
    m_swatch->resize(40, 40);
    m_swatch->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_swatch));
}

void TestFrameClock::cleanup()
{
    delete m_swatch;
}

void TestFrameClock::held_atMostOnePaintAFrame_theLastChangeOnScreenAfterAFrame()
{
    FrameClock *clock = FrameClock::of(m_swatch);
    clock->setHoldsPaints(true);
    QElapsedTimer elapsed;
    elapsed.start();
    const int paintsBefore = m_swatch->paints;
    burst(*m_swatch, 100);
    const QColor last = QColor::fromHsv((99 * 3) % 360, 200, 200);
    m_swatch->showColor(last);
    // The frame after the last change at the latest (the frame, then the window's own
    // frame request), with room for a busy machine.
    QTRY_COMPARE_WITH_TIMEOUT(onScreen(m_swatch), last.rgb(), int(2 * clock->frameMs()) + 50);
    const double frames = double(elapsed.elapsed()) / clock->frameMs();
    const int paints = m_swatch->paints - paintsBefore;
    QVERIFY2(paints <= frames + 2, qPrintable(QStringLiteral("%1 paints in %2 frames").arg(paints).arg(frames)));
    QVERIFY(paints >= 2);
}

void TestFrameClock::notHeld_paintsAsQtDoes()
{
    FrameClock::of(m_swatch)->setHoldsPaints(false);
    // Each change painted in its own pass, on screen at once.
    for (const QColor color : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)}) {
        const int before = m_swatch->paints;
        m_swatch->showColor(color);
        QTRY_COMPARE(m_swatch->paints, before + 1);
        QCOMPARE(onScreen(m_swatch), color.rgb());
    }
}

void TestFrameClock::task_runsOnceBeforeThePaint()
{
    FrameClock::of(m_swatch)->setHoldsPaints(true);
    int runs = 0;
    int paintsWhenRun = -1;
    FrameTask task(m_swatch, [&] {
        ++runs;
        paintsWhenRun = m_swatch->paints;
        m_swatch->showColor(Qt::darkCyan);
    });
    for (int i = 0; i < 10; ++i)
        task.request();
    QTRY_COMPARE(onScreen(m_swatch), QColor(Qt::darkCyan).rgb());
    QCOMPARE(runs, 1);
    // The work came first; what it changed went to the screen with the same paint.
    QVERIFY(m_swatch->paints > paintsWhenRun);
}

QTEST_MAIN(TestFrameClock)
#include "tst_frameclock.moc"
