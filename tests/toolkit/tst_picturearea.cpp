#include "picturearea.h"

#include <QTest>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kRed = qRgb(255, 0, 0);

} // namespace

class TestPictureArea : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void userScale_spansTheInnerArea();
    void circle_isFilledAndRoundInPixels();
    void drawingOutside_isClippedNotWrapped();
    void clear_leavesTheBackground();
    void drawing_survivesAResize();

private:
    PictureArea *m_area = nullptr;
};

void TestPictureArea::init()
{
    m_area = new PictureArea;
    // 4215 x 2895 twips with the border: 277 x 189 pixels inside.
    m_area->resize(281, 193);
    m_area->setBackColor(Qt::white);
    m_area->setForeColor(Qt::black);
    m_area->setScale(69.25, 47.25);
}

void TestPictureArea::cleanup()
{
    delete m_area;
    m_area = nullptr;
}

void TestPictureArea::userScale_spansTheInnerArea()
{
    QCOMPARE(m_area->image().size(), QSize(277, 189));
    m_area->setDrawWidth(1);
    // The far corner of the scale is the far corner of the inner area.
    m_area->line(QPointF(69.0, 47.0), QPointF(69.25, 47.25));
    QCOMPARE(m_area->image().pixel(276, 188), kBlack);
    // Four pixels a unit on this scale, y down.
    m_area->line(QPointF(10, 5), QPointF(20, 5));
    QCOMPARE(m_area->image().pixel(60, 20), kBlack);
    QCOMPARE(m_area->image().pixel(60, 24), kWhite);
}

void TestPictureArea::circle_isFilledAndRoundInPixels()
{
    // Stretched vertically: a circle keeps its radius in horizontal units on both axes.
    m_area->setScale(277.0 / 2.0, 189.0 / 4.0);
    m_area->setDrawWidth(1);
    m_area->setFillColor(Qt::red);
    m_area->circle(QPointF(50, 25), 10);   // centre (100, 100), radius 20 px
    const QImage image = m_area->image();
    QCOMPARE(image.pixel(100, 100), kRed);
    QCOMPARE(image.pixel(100, 85), kRed);
    QCOMPARE(image.pixel(115, 100), kRed);
    QCOMPARE(image.pixel(100, 125), kWhite);
    QCOMPARE(image.pixel(125, 100), kWhite);
    QCOMPARE(image.pixel(100, 80), kBlack);
}

void TestPictureArea::drawingOutside_isClippedNotWrapped()
{
    m_area->setDrawWidth(5);
    m_area->line(QPointF(10, 40), QPointF(10, 80));
    m_area->circle(QPointF(-3, 10), 2);
    m_area->line(QPointF(-1e6, -1e6), QPointF(-2e6, 3e6));
    const QImage image = m_area->image();
    QCOMPARE(image.pixel(40, 188), kBlack);
    for (int y = 0; y < 150; ++y)
        QCOMPARE(image.pixel(40, y), kWhite);
}

void TestPictureArea::clear_leavesTheBackground()
{
    m_area->setDrawWidth(4);
    m_area->line(QPointF(0, 0), QPointF(69.25, 47.25));
    m_area->clear();
    QImage blank(277, 189, QImage::Format_RGB32);
    blank.fill(Qt::white);
    QCOMPARE(m_area->image(), blank);
}

void TestPictureArea::drawing_survivesAResize()
{
    m_area->setDrawWidth(4);
    m_area->line(QPointF(5, 5), QPointF(20, 5));
    m_area->resize(300, 200);
    QCOMPARE(m_area->image().size(), QSize(296, 196));
    QCOMPARE(m_area->image().pixel(50, 20), kBlack);
    QCOMPARE(m_area->image().pixel(290, 190), kWhite);
}

QTEST_MAIN(TestPictureArea)
#include "tst_picturearea.moc"
