#include "picturearea.h"

#include <QPixmap>
#include <QScreen>
#include <QTest>

#include <functional>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);

using Draw = std::function<void(PictureArea &)>;

// 277 x 189 pixels inside, white, with a scale of 69.25 x 47.25: four pixels a unit.
void setUp(PictureArea &area)
{
    area.resize(281, 193);
    area.setBackColor(Qt::white);
    area.setScale(69.25, 47.25);
}
using Probes = QList<QPair<QPoint, QRgb>>;

} // namespace

Q_DECLARE_METATYPE(Draw)

class TestPictureArea : public QObject
{
    Q_OBJECT

private slots:
    void figures_data();
    void figures();
    void screen_followsEachRedraw();
};

void TestPictureArea::figures_data()
{
    QTest::addColumn<Draw>("draw");
    QTest::addColumn<Probes>("probes");
    QTest::newRow("the scale spans the inner area, y down")
        << Draw([](PictureArea &a) {
               a.setDrawWidth(1);
               a.line(QPointF(69.0, 47.0), QPointF(69.25, 47.25));
               a.line(QPointF(10, 5), QPointF(20, 5));
           })
        << Probes{{{276, 188}, kBlack}, {{60, 20}, kBlack}, {{60, 24}, kWhite}};
    QTest::newRow("a circle is filled and round in pixels on a stretched scale")
        << Draw([](PictureArea &a) {
               a.setScale(277.0 / 2.0, 189.0 / 4.0);
               a.setDrawWidth(1);
               a.setFillColor(Qt::red);
               a.circle(QPointF(50, 25), 10);  // centre (100, 100), radius 20 pixels
           })
        << Probes{{{100, 100}, kRed}, {{100, 85}, kRed}, {{115, 100}, kRed}, {{100, 80}, kBlack},
                  {{100, 125}, kWhite}, {{125, 100}, kWhite}};
    QTest::newRow("a thick line has round ends")
        << Draw([](PictureArea &a) {
               a.setDrawWidth(8);
               a.line(QPointF(10, 10), QPointF(20, 10));
           })
        << Probes{{{38, 40}, kBlack}, {{82, 40}, kBlack}, {{36, 36}, kWhite}, {{60, 36}, kBlack}};
    QTest::newRow("what falls outside is clipped, not wrapped")
        << Draw([](PictureArea &a) {
               a.setDrawWidth(5);
               a.line(QPointF(10, 40), QPointF(10, 80));
               a.circle(QPointF(-3, 10), 2);
               a.line(QPointF(-1e6, -1e6), QPointF(-2e6, 3e6));
           })
        << Probes{{{40, 188}, kBlack}, {{40, 0}, kWhite}, {{40, 149}, kWhite}, {{0, 40}, kWhite}};
}

void TestPictureArea::figures()
{
    QFETCH(Draw, draw);
    QFETCH(Probes, probes);
    PictureArea area;
    setUp(area);
    draw(area);
    for (const auto &[point, colour] : probes)
        QVERIFY2(area.image().pixel(point) == colour, qPrintable(QStringLiteral("(%1, %2)").arg(point.x()).arg(point.y())));
}

void TestPictureArea::screen_followsEachRedraw()
{
    PictureArea area;
    setUp(area);
    area.setDrawWidth(4);
    area.show();
    QVERIFY(QTest::qWaitForWindowExposed(&area));
    // What the window system was last given, at a point of the scale.
    const auto shown = [&area](double x, double y) {
        const QImage screen = area.screen()->grabWindow(area.winId()).toImage();
        const QPoint inner = area.contentsRect().topLeft();
        return screen.pixel(inner.x() + int(x * 4), inner.y() + int(y * 4));
    };
    const auto redraw = [&area](double y) {
        area.clear();
        area.line(QPointF(10, y), QPointF(60, y));
    };
    redraw(10);
    QTRY_COMPARE(shown(30, 10), kBlack);
    // Two drawings before the next paint: the second shows, the first is cleared away.
    redraw(30);
    redraw(20);
    QTRY_COMPARE(shown(30, 20), kBlack);
    QCOMPARE(shown(30, 10), kWhite);
    QCOMPARE(shown(30, 30), kWhite);
    // Back where an earlier drawing was painted: asked for again.
    redraw(10);
    QTRY_COMPARE(shown(30, 10), kBlack);
    QCOMPARE(shown(30, 20), kWhite);
}

QTEST_MAIN(TestPictureArea)
#include "tst_picturearea.moc"
