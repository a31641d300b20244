#include "armpanel.h"
#include "armpaneltestwindow.h"
#include "picturearea.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

// Side view: 277 x 189 pixels for 118.714287 x 77.571342 units.
QPoint sidePixel(double x, double y)
{
    return QPoint(int(x * 277 / 118.714287), int(y * 189 / 77.571342));
}

// Top view: four pixels a unit.
QPoint topPixel(double x, double y)
{
    return QPoint(int(x * 4), int(y * 4));
}

bool allWhite(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != kWhite)
                return false;
        }
    }
    return true;
}

int countColour(const QImage &image, QRgb colour, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == colour;
    }
    return count;
}

void retype(QLineEdit *entry, const QString &keys)
{
    entry->selectAll();
    QTest::keyClick(entry, Qt::Key_Backspace);
    QTest::keyClicks(entry, keys);
}

} // namespace

class TestArmPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void load_leavesReadoutsEmptyAndViewsBlank();
    void defaults_readoutsAndViews();
    void firstJointAtNinety_turnsTheTopView();
    void secondJointAtNinety_drawsBelowTheBottomEdge();
    void guidePose_readoutsAndJoints();
    void typing_followsEveryTextThatConverts();
    void sameTextWrite_runsNothing();
    void changeOfQ3_rebuildsT3Alone();
    void jointMessage_data();
    void jointMessage();
    void jointMessage_longTextIsHandledWhole();
    void drawing_survivesRepaint();

private:
    std::unique_ptr<QWidget> m_window;
    ArmPanel *m_panel = nullptr;
};

void TestArmPanel::init()
{
    m_window = std::make_unique<QWidget>();
    m_window->resize(721, 530);
    m_panel = new ArmPanel(m_window.get(), testArmLayout());
    m_panel->Form_Load();
    m_window->show();
}

void TestArmPanel::cleanup()
{
    m_window.reset();
    m_panel = nullptr;
}

void TestArmPanel::load_leavesReadoutsEmptyAndViewsBlank()
{
    QCOMPARE(m_panel->txtQ1->text(), QStringLiteral("0"));
    QCOMPARE(m_panel->txtQ4->text(), QStringLiteral("-90"));
    QVERIFY(m_panel->txtPosicionX->text().isEmpty());
    QVERIFY(m_panel->txtPosicionZ->text().isEmpty());
    QVERIFY(allWhite(m_panel->picLateral->image()));
    QVERIFY(allWhite(m_panel->picSuperior->image()));
    QCOMPARE(m_panel->picLateral->image().size(), QSize(277, 189));
    QCOMPARE(m_panel->picLateral->size(), QSize(281, 193));
    // T1..T5 are built at load: T5 carries the tool offset.
    QCOMPARE(m_panel->model().transform[4](3, 4), 3.125);
    QCOMPARE(m_panel->model().transform[0](3, 4), 9.75);
}

void TestArmPanel::defaults_readoutsAndViews()
{
    // The defaults come back through a change: away and back again.
    m_panel->txtQ4->setText(QStringLiteral("0"));
    m_panel->txtQ4->setText(QStringLiteral("-90"));
    QCOMPARE(m_panel->txtPosicionX->text(), QStringLiteral("21.125"));
    QCOMPARE(m_panel->txtPosicionY->text(), QStringLiteral("00.000"));
    QCOMPARE(m_panel->txtPosicionZ->text(), QStringLiteral("09.750"));

    const QImage side = m_panel->picLateral->image();
    // The first segment points down from (5, 35) to the first circle at (5, 67.82).
    QCOMPARE(side.pixel(sidePixel(5, 50)), kBlack);
    QCOMPARE(side.pixel(sidePixel(5, 30)), kWhite);
    // Segments along z = 9.75 from x = 5 to x = 26.125.
    QCOMPARE(side.pixel(sidePixel(9.5, 67.821342)), kBlack);
    QCOMPARE(side.pixel(sidePixel(18.5, 67.821342)), kBlack);
    QCOMPARE(side.pixel(sidePixel(25.5, 67.821342)), kBlack);
    QCOMPARE(side.pixel(sidePixel(29, 67.821342)), kWhite);
    // The outline of the circle at (14, 67.82) stands above the segment.
    const QPoint o2 = sidePixel(14, 67.821342);
    QCOMPARE(side.pixel(o2 + QPoint(0, -5)), kBlack);
    QCOMPARE(side.pixel(o2 + QPoint(0, -10)), kWhite);
    QCOMPARE(side.pixel(sidePixel(60, 20)), kWhite);

    const QImage top = m_panel->picSuperior->image();
    // One segment from the centre (34.625, 23.625) to (55.75, 23.625).
    QCOMPARE(top.pixel(topPixel(36, 23.625)), kBlack);
    QCOMPARE(top.pixel(topPixel(54, 23.625)), kBlack);
    QCOMPARE(top.pixel(topPixel(58, 23.625)), kWhite);
    QCOMPARE(top.pixel(topPixel(30, 23.625)), kWhite);
    QCOMPARE(top.pixel(topPixel(45, 15)), kWhite);
}

void TestArmPanel::firstJointAtNinety_turnsTheTopView()
{
    m_panel->txtQ4->setText(QStringLiteral("0"));
    m_panel->txtQ1->setText(QStringLiteral("90"));
    const QImage top = m_panel->picSuperior->image();
    // Straight up from the centre to about (34.625, 5.625); nothing left on the x axis.
    QCOMPARE(top.pixel(topPixel(34.625, 10)), kBlack);
    QCOMPARE(top.pixel(topPixel(34.625, 20)), kBlack);
    QCOMPARE(top.pixel(topPixel(34.625, 3)), kWhite);
    QCOMPARE(top.pixel(topPixel(50, 23.625)), kWhite);

    // Side view: every joint origin at x = 0, the circles stacked at 5 units.
    const QImage side = m_panel->picLateral->image();
    QCOMPARE(side.pixel(sidePixel(5, 67.821342)), kBlack);
    QCOMPARE(side.pixel(sidePixel(15, 67.821342)), kWhite);
}

void TestArmPanel::secondJointAtNinety_drawsBelowTheBottomEdge()
{
    m_panel->txtQ4->setText(QStringLiteral("0"));
    m_panel->txtQ2->setText(QStringLiteral("90"));
    QCOMPARE(m_panel->txtPosicionZ->text(), QStringLiteral("-08.250"));
    const QImage side = m_panel->picLateral->image();
    // Frame 2 sits just above the bottom edge; the rest falls below it and is clipped,
    // never wrapped round to the top.
    QCOMPARE(side.pixel(sidePixel(5, 70)), kBlack);
    QCOMPARE(countColour(side, kBlack, QRect(0, 0, 277, 60)), 0);
    QVERIFY(countColour(side, kBlack, QRect(0, 180, 40, 9)) > 0);
}

void TestArmPanel::guidePose_readoutsAndJoints()
{
    m_panel->txtQ1->setText(QStringLiteral("18"));
    m_panel->txtQ2->setText(QStringLiteral("-18"));
    m_panel->txtQ3->setText(QStringLiteral("-38"));
    m_panel->txtQ4->setText(QStringLiteral("-52"));
    QCOMPARE(m_panel->txtPosicionX->text(), QStringLiteral("15.754"));
    QCOMPARE(m_panel->txtPosicionY->text(), QStringLiteral("05.119"));
    QCOMPARE(m_panel->txtPosicionZ->text(), QStringLiteral("20.958"));

    // Every joint origin and the tool point are inked, where the side view puts them.
    const QImage side = m_panel->picLateral->image();
    const double h = 77.571342;
    for (int frame = 1; frame <= 4; ++frame) {
        const arm::Point3 o = m_panel->model().jointOrigin(frame);
        QCOMPARE(side.pixel(sidePixel(o.x + 5, h - o.z)), kBlack);
    }
    const arm::Point3 tool = m_panel->model().tool();
    QCOMPARE(side.pixel(sidePixel(tool.x + 5, h - tool.z)), kBlack);
}

void TestArmPanel::typing_followsEveryTextThatConverts()
{
    QSignalSpy updates(m_panel, &ArmPanel::armUpdated);
    const arm::LinkTransform loaded = m_panel->model().transform[0];

    retype(m_panel->txtQ1, QString());
    QCOMPARE(updates.count(), 0);              // "" does not convert
    QTest::keyClick(m_panel->txtQ1, Qt::Key_Minus);
    QCOMPARE(updates.count(), 0);              // "-" neither
    QVERIFY(m_panel->model().transform[0].m == loaded.m);
    QVERIFY(m_panel->txtPosicionX->text().isEmpty());
    QVERIFY(allWhite(m_panel->picSuperior->image()));

    QTest::keyClick(m_panel->txtQ1, Qt::Key_3);
    QCOMPARE(updates.count(), 1);
    const QString atMinus3 = m_panel->txtPosicionY->text();
    QCOMPARE(atMinus3, QStringLiteral("-01.106"));
    QTest::keyClick(m_panel->txtQ1, Qt::Key_0);
    QCOMPARE(updates.count(), 2);
    QCOMPARE(m_panel->txtPosicionY->text(), QStringLiteral("-10.563"));

    // Back to a text that does not convert: everything stays at -30.
    const QImage topAtMinus30 = m_panel->picSuperior->image();
    retype(m_panel->txtQ1, QStringLiteral("x"));
    QCOMPARE(updates.count(), 2);
    QCOMPARE(m_panel->txtPosicionY->text(), QStringLiteral("-10.563"));
    QCOMPARE(m_panel->picSuperior->image(), topAtMinus30);

    retype(m_panel->txtQ1, QStringLiteral("45"));
    QCOMPARE(updates.count(), 4);              // "4" and "45", after the clearing backspace
    QCOMPARE(m_panel->txtPosicionX->text(), QStringLiteral("14.938"));

    retype(m_panel->txtQ1, QStringLiteral("12.5"));
    // "1", "12", "12." and "12.5" all convert (the last to 12): one update each.
    QCOMPARE(updates.count(), 8);
    QCOMPARE(m_panel->model().transform[0].m,
             arm::BuildLinkTransform(12 / 180.0 * 3.1416, m_panel->model().links[0]).m);
}

void TestArmPanel::sameTextWrite_runsNothing()
{
    QSignalSpy updates(m_panel, &ArmPanel::armUpdated);
    m_panel->txtQ2->setText(QStringLiteral("0"));
    QCOMPARE(updates.count(), 0);
    m_panel->JointMessage(QStringLiteral("D"));   // "-90" already
    QCOMPARE(updates.count(), 0);
    QVERIFY(m_panel->txtPosicionX->text().isEmpty());
}

void TestArmPanel::changeOfQ3_rebuildsT3Alone()
{
    const arm::ArmModel before = m_panel->model();
    m_panel->txtQ3->setText(QStringLiteral("30"));
    const arm::ArmModel &after = m_panel->model();
    for (int i : {0, 1, 3, 4})
        QVERIFY(after.transform[i].m == before.transform[i].m);
    QVERIFY(after.transform[2].m != before.transform[2].m);
}

void TestArmPanel::jointMessage_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<int>("updates");

    const QString nul(QChar(0));
    QTest::newRow("A45") << "A45" << QStringList{"45", "0", "0", "-90"} << 1;
    QTest::newRow("bare D keeps -90") << "D" << QStringList{"0", "0", "0", "-90"} << 0;
    QTest::newRow("bare A keeps 0") << "A" << QStringList{"0", "0", "0", "-90"} << 0;
    QTest::newRow("C-30") << "C-30" << QStringList{"0", "0", "-30", "-90"} << 1;
    QTest::newRow("B blank 30") << "B 30" << QStringList{"0", " 30", "0", "-90"} << 1;
    QTest::newRow("lower case") << "a45" << QStringList{"0", "0", "0", "-90"} << 0;
    QTest::newRow("no selector") << "45" << QStringList{"0", "0", "0", "-90"} << 0;
    QTest::newRow("Z1") << "Z1" << QStringList{"0", "0", "0", "-90"} << 0;
    QTest::newRow("E10") << "E10" << QStringList{"0", "0", "0", "-90"} << 0;
    QTest::newRow("empty") << "" << QStringList{"0", "0", "0", "-90"} << 0;
    QTest::newRow("two messages in one") << "A30B45" << QStringList{"30B45", "0", "0", "-90"} << 0;
    QTest::newRow("CR LF kept") << "A45\r\n" << QStringList{"45\r\n", "0", "0", "-90"} << 1;
    QTest::newRow("NUL kept") << "A4" + nul + "5" << QStringList{"4" + nul + "5", "0", "0", "-90"} << 0;
    QTest::newRow("lone line break") << "\n" << QStringList{"0", "0", "0", "-90"} << 0;
}

void TestArmPanel::jointMessage()
{
    QFETCH(QString, message);
    QFETCH(QStringList, entries);
    QFETCH(int, updates);

    QSignalSpy spy(m_panel, &ArmPanel::armUpdated);
    m_panel->JointMessage(message);
    for (int joint = 1; joint <= 4; ++joint)
        QCOMPARE(m_panel->entry(joint)->text(), entries[joint - 1]);
    QCOMPARE(spy.count(), updates);
}

void TestArmPanel::jointMessage_longTextIsHandledWhole()
{
    // Longer than any 16-bit length: neither truncated nor fatal.
    const QString angle = QString(39999, QLatin1Char('0'));
    m_panel->JointMessage(QStringLiteral("B") + angle);
    QCOMPARE(m_panel->txtQ2->text().size(), 39999);

    m_panel->txtQ4->setText(QStringLiteral("0"));
    QSignalSpy spy(m_panel, &ArmPanel::armUpdated);
    m_panel->JointMessage(QStringLiteral("B") + QString(39990, QLatin1Char('0')) + QStringLiteral("90"));
    QCOMPARE(spy.count(), 1);
    QCOMPARE(m_panel->txtPosicionZ->text(), QStringLiteral("-08.250"));
}

void TestArmPanel::drawing_survivesRepaint()
{
    m_panel->txtQ1->setText(QStringLiteral("30"));
    const QImage before = m_panel->picSuperior->image();
    m_window->hide();
    m_window->show();
    m_panel->picSuperior->repaint();
    QCOMPARE(m_panel->picSuperior->image(), before);
    // What is on screen is the drawing, inside the border.
    const QImage shown = m_panel->picSuperior->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(shown.copy(2, 2, 277, 189), before);
}

QTEST_MAIN(TestArmPanel)
#include "tst_armpanel.moc"
