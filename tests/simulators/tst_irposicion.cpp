#include "armview3d.h"
#include "camera.h"
#include "forms.h"
#include "frminternetservidor.h"
#include "frmirposicion.h"
#include "frmvista3d.h"

#include <QContextMenuEvent>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <cmath>

using namespace Forms;

namespace {

// Takes an entry of a view's context menu by its access key.
void fromMenu(QWidget *simulator, Qt::Key accessKey)
{
    QWidget *view = control(simulator, "picLateral");
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), view->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(view, &click);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QTest::keyClick(menu, accessKey);
}

template <typename Form>
Form *companion(const QMdiArea &area)
{
    const QList<Form *> found = area.findChildren<Form *>();
    return found.isEmpty() ? nullptr : found.first();
}

} // namespace

class TestIrAPosicion : public QObject
{
    Q_OBJECT

private slots:
    void mover_leavesTheReadoutsAtTheTarget_the3dViewMarksIt();
};

void TestIrAPosicion::mover_leavesTheReadoutsAtTheTarget_the3dViewMarksIt()
{
    Frame frame;
    frame.area.resize(1000, 900);
    auto *network = new frmInternetServidor(kAnyPort, &frame.area);
    network->showIn(&frame.area);
    fromMenu(network, Qt::Key_3);
    fromMenu(network, Qt::Key_I);
    auto *goTo = companion<frmIrAPosicion>(frame.area);
    auto *view3d = companion<frmVista3D>(frame.area);
    QVERIFY(goTo && view3d);
    QCOMPARE(goTo->windowTitle(), QStringLiteral("Ir a posición - Internet"));

    const double target[3] = {15.0, 5.0, 12.0};
    control<QDoubleSpinBox>(goTo, "txtX")->setValue(target[0]);
    control<QDoubleSpinBox>(goTo, "txtY")->setValue(target[1]);
    control<QDoubleSpinBox>(goTo, "txtZ")->setValue(target[2]);
    auto *solutions = control<QListWidget>(goTo, "lstSoluciones");
    // Both elbows, with the base facing the point and turned away.
    QCOMPARE(solutions->count(), 4);
    solutions->setCurrentRow(1);
    const QString chosen = solutions->currentItem()->text();
    const double error = chosen.section(QStringLiteral("error "), 1).section(QLatin1Char(' '), 0, 0).toDouble();
    control<QPushButton>(goTo, "cmdMover")->click();

    // The readouts, three decimals, within the error the window gave (and their rounding).
    const double shown[3] = {text(network, "txtPosicionX").toDouble(), text(network, "txtPosicionY").toDouble(),
                             text(network, "txtPosicionZ").toDouble()};
    const double distance = std::hypot(shown[0] - target[0], shown[1] - target[1], shown[2] - target[2]);
    QVERIFY2(distance <= error + 0.0009, qPrintable(QStringLiteral("%1 > %2").arg(distance).arg(error)));
    QVERIFY(chosen.contains(QStringLiteral("Codo abajo")));

    // The 3D view marks the target while the window is open.
    auto *picture = control<ArmView3D>(view3d, "picVista3D");
    const arm::ScreenPoint mark = arm::Camera().project({target[0], target[1], target[2]}, picture->width(),
                                                        picture->height());
    const auto ringAt = [&] {
        const QImage image = picture->grab().toImage();
        // The ring passes 7 pixels left of its centre.
        return image.pixelColor(qRound(mark.x) - 7, qRound(mark.y)) == QColor(0x00, 0xA0, 0xC0);
    };
    QVERIFY(ringAt());

    // The README's picture: BRAZO_IRPOSICION_PNG=doc/irposicion.png tst_irposicion
    const QString save = qEnvironmentVariable("BRAZO_IRPOSICION_PNG");
    if (!save.isEmpty())
        QVERIFY(goTo->subWindow()->grab().save(save));
    goTo->subWindow()->close();
    QVERIFY(!network->target());
    QVERIFY(!ringAt());
}

QTEST_MAIN(TestIrAPosicion)
#include "tst_irposicion.moc"
