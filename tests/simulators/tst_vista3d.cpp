#include "armview3d.h"
#include "camera.h"
#include "conversions.h"
#include "forms.h"
#include "frmbrazo.h"
#include "frminternetservidor.h"
#include "frmvista3d.h"
#include "messageboxcatcher.h"
#include "posetable.h"
#include "serialportchoice.h"

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPointer>
#include <QTableWidget>
#include <QTest>

using namespace Forms;

namespace {

const QString kInternet = QStringLiteral("Vista 3D - Internet");
const QString kSerial = QStringLiteral("Vista 3D - Maquina Serial");

// Asks a view of a simulator for the 3D view through its context menu, from the keyboard
// or with a right click, and takes the menu's entry with Return.
void request(QWidget *simulator, const char *view, bool keyboard)
{
    QWidget *area = control(simulator, view);
    if (keyboard) {
        area->setFocus();
        QTest::keyClick(area, Qt::Key_F10, Qt::ShiftModifier);
    } else {
        QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), area->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(area, &click);
    }
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    QVERIFY(menu);
    QTest::keyClick(menu, Qt::Key_Return);
}

frmVista3D *window3d(const QMdiArea &area, const QString &caption)
{
    for (frmVista3D *form : area.findChildren<frmVista3D *>()) {
        if (form->windowTitle() == caption)
            return form;
    }
    return nullptr;
}

QString theta(const QWidget *window, int link)
{
    return control<QTableWidget>(window, "tblParametros")->item(link - 1, 1)->text();
}

// The joint entries and the readouts.
QStringList entriesAndReadouts(const QWidget *simulator)
{
    QStringList texts;
    for (const char *box : {"txtQ1", "txtQ2", "txtQ3", "txtQ4", "txtPosicionX", "txtPosicionY", "txtPosicionZ"})
        texts << text(simulator, box);
    return texts;
}

} // namespace

class TestVista3D : public QObject
{
    Q_OBJECT

private slots:
    void eachSimulatorItsOwn_followedAndClosedWithIt();
    void toolMarker_whereTheKinematicsToolProjects_data();
    void toolMarker_whereTheKinematicsToolProjects();
    void keys_moveTheCameraAlone();
};

void TestVista3D::eachSimulatorItsOwn_followedAndClosedWithIt()
{
    MessageBoxCatcher boxes;
    Frame frame;
    SerialPortChoice choice(kMissingDevice);
    auto *serial = new frmBrazo(&choice, &frame.area);
    serial->showIn(&frame.area);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    // The port's box took the focus with it.
    frame.area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame.area));
    auto *network = new frmInternetServidor(kAnyPort, &frame.area);
    network->showIn(&frame.area);

    request(network, "picLateral", true);
    request(serial, "picSuperior", false);
    const QPointer<frmVista3D> network3d = window3d(frame.area, kInternet);
    const QPointer<frmVista3D> serial3d = window3d(frame.area, kSerial);
    QVERIFY(network3d && serial3d);
    QCOMPARE(frame.area.activeSubWindow(), serial3d->subWindow());
    // Asked again from the other view, the same window comes to the front.
    request(network, "picSuperior", false);
    QCOMPARE(frame.area.findChildren<frmVista3D *>().size(), 2);
    QCOMPARE(frame.area.activeSubWindow(), network3d->subWindow());

    control<QLineEdit>(network, "txtQ1")->setText(QStringLiteral("90"));
    QTRY_COMPARE_WITH_TIMEOUT(theta(network3d, 1), QStringLiteral("90"), kWaitMs);
    QCOMPARE(theta(serial3d, 1), QStringLiteral("0"));

    network->subWindow()->close();
    QVERIFY(!network3d->isLoaded());
    QVERIFY(serial3d->isLoaded());
    delete serial;
    QVERIFY(!serial3d);
}

void TestVista3D::toolMarker_whereTheKinematicsToolProjects_data()
{
    QTest::addColumn<QList<int>>("q");
    QTest::addColumn<QList<double>>("tool");
    for (const TablePose &pose : kTablePoses)
        QTest::newRow(pose.name) << QList<int>(pose.q.begin(), pose.q.end()) << QList<double>{pose.x, pose.y, pose.z};
}

void TestVista3D::toolMarker_whereTheKinematicsToolProjects()
{
    QFETCH(QList<int>, q);
    QFETCH(QList<double>, tool);
    Frame frame;
    auto *network = new frmInternetServidor(kAnyPort, &frame.area);
    network->showIn(&frame.area);
    request(network, "picLateral", true);
    frmVista3D *window = window3d(frame.area, kInternet);
    QVERIFY(window);
    for (int joint = 1; joint <= 4; ++joint) {
        const QByteArray entry = "txtQ" + QByteArray::number(joint);
        control<QLineEdit>(network, entry.constData())->setText(QString::number(q[joint - 1]));
    }
    // In the readouts' format, also for the opening pose, which the readouts do not show yet.
    const QString x = Conversions::toFixed(tool[0]);
    const QString y = Conversions::toFixed(tool[1]);
    const QString z = Conversions::toFixed(tool[2]);
    auto *view = control<ArmView3D>(window, "picVista3D");
    QTRY_COMPARE_WITH_TIMEOUT(view->accessibleDescription(),
                              QStringLiteral("Herramienta en X %1, Y %2, Z %3").arg(x, y, z), kWaitMs);
    const arm::ScreenPoint projected = arm::Camera().project({tool[0], tool[1], tool[2]}, view->width(), view->height());
    const QImage picture = view->grab().toImage();
    const QPoint at(qRound(projected.x), qRound(projected.y));
    QVERIFY(picture.rect().contains(at));
    QCOMPARE(picture.pixelColor(at), QColor(0xFF, 0x8C, 0x00));

    // The README's picture, with the frames: BRAZO_VISTA3D_PNG=doc/vista3d.png tst_vista3d
    // "toolMarker_whereTheKinematicsToolProjects:guide pose"
    const QString save = qEnvironmentVariable("BRAZO_VISTA3D_PNG");
    if (!save.isEmpty()) {
        control<QCheckBox>(window, "chkMarcos")->setChecked(true);
        QVERIFY(window->subWindow()->grab().save(save));
    }
}

void TestVista3D::keys_moveTheCameraAlone()
{
    Frame frame;
    auto *network = new frmInternetServidor(kAnyPort, &frame.area);
    network->showIn(&frame.area);
    control<QLineEdit>(network, "txtQ2")->setText(QStringLiteral("30"));
    request(network, "picSuperior", true);
    frmVista3D *window = window3d(frame.area, kInternet);
    QVERIFY(window);
    auto *view = control<ArmView3D>(window, "picVista3D");
    // The window opens ready for the keys.
    QTRY_VERIFY_WITH_TIMEOUT(view->hasFocus(), kWaitMs);
    const QStringList shown = entriesAndReadouts(network);
    const QString description = view->accessibleDescription();

    // Each key after a turn, a zoom and Home: the sign of the change in yaw, pitch and
    // distance from the first camera.
    const struct
    {
        Qt::Key key;
        int change[3];
    } steps[] = {{Qt::Key_Left, {1, 0, 0}},  {Qt::Key_Right, {-1, 0, 0}}, {Qt::Key_Up, {0, -1, 0}},
                 {Qt::Key_Down, {0, 1, 0}},  {Qt::Key_Plus, {0, 0, -1}},  {Qt::Key_Minus, {0, 0, 1}},
                 {Qt::Key_Home, {0, 0, 0}}};
    auto sign = [](double value) { return (value > 1e-9) - (value < -1e-9); };
    const arm::Camera &camera = view->camera();
    for (const auto &step : steps) {
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Down, Qt::Key_Plus, Qt::Key_Home, step.key})
            QTest::keyClick(view, key);
        QCOMPARE(sign(camera.yawDeg - arm::Camera::kYawDeg), step.change[0]);
        QCOMPARE(sign(camera.pitchDeg - arm::Camera::kPitchDeg), step.change[1]);
        QCOMPARE(sign(camera.distance - arm::Camera::kDistance), step.change[2]);
    }
    QCOMPARE(entriesAndReadouts(network), shown);
    QCOMPARE(view->accessibleDescription(), description);
}

QTEST_MAIN(TestVista3D)
#include "tst_vista3d.moc"
