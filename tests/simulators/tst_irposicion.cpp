#include "armview3d.h"
#include "camera.h"
#include "forms.h"
#include "frminternetservidor.h"
#include "frmirposicion.h"
#include "frmvista3d.h"

#include <QDoubleSpinBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <cmath>

using namespace Forms;

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
    auto *network = frame.open<frmInternetServidor>(kAnyPort);
    QVERIFY(fromMenu(network, "picLateral", Qt::Key_3) && fromMenu(network, "picLateral", Qt::Key_I));
    auto *goTo = frame.find<frmIrAPosicion>(network->simulatorName());
    auto *view3d = frame.find<frmVista3D>(network->simulatorName());
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
    const QStringList shown = readouts(network);
    const double distance =
        std::hypot(shown[0].toDouble() - target[0], shown[1].toDouble() - target[1], shown[2].toDouble() - target[2]);
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
