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

// Changes the widget about once a millisecond for the given time.
void churn(CountingWidget &widget, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        ++widget.value;
        widget.update();
        QCoreApplication::processEvents();
        QTest::qSleep(1);
    }
}

} // namespace

class TestRepaintLimiter : public QObject
{
    Q_OBJECT

private slots:
    void withLimiter_paintsAboutOnceAFrame_andShowsTheLastChange();
    void quietWindow_paintsAtOnce();
};

void TestRepaintLimiter::withLimiter_paintsAboutOnceAFrame_andShowsTheLastChange()
{
    RepaintLimiter limiter;
    CountingWidget widget;
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    widget.paints = 0;
    churn(widget, 160);
    // Ten frames in 160 ms; the bound leaves room for a slow machine's timers.
    QVERIFY2(widget.paints <= 20, qPrintable(QString::number(widget.paints)));
    QVERIFY2(widget.paints >= 3, qPrintable(QString::number(widget.paints)));
    // Nothing is lost: the change made last reaches the screen once the frame ends.
    QTRY_COMPARE_WITH_TIMEOUT(widget.shownValue, widget.value, 1000);
}

void TestRepaintLimiter::quietWindow_paintsAtOnce()
{
    RepaintLimiter limiter;
    CountingWidget widget;
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QTest::qWait(50);
    widget.paints = 0;
    widget.value = 7;
    widget.update();
    // One turn of the loop: a window that has not painted for a frame is not held back.
    QCoreApplication::processEvents();
    QCOMPARE(widget.paints, 1);
    QCOMPARE(widget.shownValue, 7);
}

QTEST_MAIN(TestRepaintLimiter)
#include "tst_repaintlimiter.moc"
