#include "repaintlimiter.h"

#include <QElapsedTimer>
#include <QTest>
#include <QWidget>

namespace {

class CountingWidget : public QWidget
{
public:
    int paints = 0;
    int shownValue = -1;
    int value = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        shownValue = value;
    }
};

} // namespace

class TestRepaintLimiter : public QObject
{
    Q_OBJECT

private slots:
    void changingWindow_paintsAboutOnceAFrame_andShowsTheLastChange();
};

void TestRepaintLimiter::changingWindow_paintsAboutOnceAFrame_andShowsTheLastChange()
{
    RepaintLimiter limiter;
    CountingWidget widget;
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QTest::qWait(2 * RepaintLimiter::kFrameMs);
    // A window that has not painted for a frame is not held back.
    widget.paints = 0;
    widget.value = 7;
    widget.update();
    QCoreApplication::processEvents();
    QCOMPARE(widget.paints, 1);

    // A change about once a millisecond for ten frames.
    QElapsedTimer timer;
    timer.start();
    widget.paints = 0;
    while (timer.elapsed() < 10 * RepaintLimiter::kFrameMs) {
        ++widget.value;
        widget.update();
        QCoreApplication::processEvents();
        QTest::qSleep(1);
    }
    // The bound leaves room for a slow machine's timers.
    QVERIFY2(widget.paints >= 3 && widget.paints <= 20, qPrintable(QString::number(widget.paints)));
    // Nothing is lost: the change made last reaches the screen once the frame ends.
    QTRY_COMPARE_WITH_TIMEOUT(widget.shownValue, widget.value, 1000);
}

QTEST_MAIN(TestRepaintLimiter)
#include "tst_repaintlimiter.moc"
