#include "armpanel.h"
#include "armview3d.h"
#include "camera.h"
#include "conversions.h"
#include "forms.h"
#include "frminternetservidor.h"
#include "frmvista3d.h"
#include "posetable.h"

#include <QCheckBox>
#include <QTableWidget>
#include <QTest>

using namespace Forms;

Q_DECLARE_METATYPE(const TablePose *)

namespace {

const QString kInternet = QStringLiteral("Vista 3D - Internet");

QString theta(const QWidget *window, int link)
{
    return control<QTableWidget>(window, "tblParametros")->item(link - 1, 1)->text();
}

} // namespace

class TestVista3D : public QObject
{
    Q_OBJECT

private slots:
    void eachSimulatorItsOwn_followsItsArm();
    void toolMarker_whereTheKinematicsToolProjects_data();
    void toolMarker_whereTheKinematicsToolProjects();
    void keys_moveTheCameraAlone();
};

// Each its own, as every companion is (the monitor's test shows their life), and following
// its own simulator's arm.
void TestVista3D::eachSimulatorItsOwn_followsItsArm()
{
    Frame frame;
    frmInternetServidor *simulators[2] = {frame.open<frmInternetServidor>(kAnyPort),
                                          frame.open<frmInternetServidor>(kAnyPort)};
    QWidget *views[2] = {};
    for (int i = 0; i < 2; ++i) {
        QVERIFY(fromMenu(simulators[i], "picLateral", Qt::Key_Return, true));
        views[i] = frame.area.activeSubWindow()->widget();
    }
    QVERIFY(views[0] != views[1]);
    control<QLineEdit>(simulators[0], "txtQ1")->setText(QStringLiteral("90"));
    QTRY_COMPARE(theta(views[0], 1), QStringLiteral("90"));
    QCOMPARE(theta(views[1], 1), QStringLiteral("0"));
}

void TestVista3D::toolMarker_whereTheKinematicsToolProjects_data()
{
    QTest::addColumn<const TablePose *>("pose");
    for (const TablePose &pose : kTablePoses)
        QTest::newRow(pose.name) << &pose;
}

void TestVista3D::toolMarker_whereTheKinematicsToolProjects()
{
    QFETCH(const TablePose *, pose);
    Frame frame;
    auto *network = frame.open<frmInternetServidor>(kAnyPort);
    QVERIFY(fromMenu(network, "picLateral", Qt::Key_Return, true));
    frmVista3D *window = frame.find<frmVista3D>(kInternet);
    QVERIFY(window);
    network->arm()->setJointTexts(pose->q);
    // In the readouts' format, also for the opening pose, which the readouts do not show yet.
    auto *view = control<ArmView3D>(window, "picVista3D");
    QTRY_COMPARE(view->accessibleDescription(),
                 QStringLiteral("Herramienta en X %1, Y %2, Z %3")
                     .arg(Conversions::toFixed(pose->x), Conversions::toFixed(pose->y), Conversions::toFixed(pose->z)));
    const arm::ScreenPoint projected = arm::Camera().project({pose->x, pose->y, pose->z}, view->width(), view->height());
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
    auto *network = frame.open<frmInternetServidor>(kAnyPort);
    control<QLineEdit>(network, "txtQ2")->setText(QStringLiteral("30"));
    QVERIFY(fromMenu(network, "picSuperior", Qt::Key_Return, true));
    frmVista3D *window = frame.find<frmVista3D>(kInternet);
    QVERIFY(window);
    auto *view = control<ArmView3D>(window, "picVista3D");
    // The window opens ready for the keys.
    QTRY_VERIFY_WITH_TIMEOUT(view->hasFocus(), kWaitMs);
    const QStringList shown = texts(network, {"txtQ1", "txtQ2", "txtQ3", "txtQ4"}) + readouts(network);
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
    QCOMPARE(texts(network, {"txtQ1", "txtQ2", "txtQ3", "txtQ4"}) + readouts(network), shown);
    QCOMPARE(view->accessibleDescription(), description);
}

QTEST_MAIN(TestVista3D)
#include "tst_vista3d.moc"
