#include "camera.h"

#include <QTest>

#include <cmath>

using namespace arm;

Q_DECLARE_METATYPE(arm::Point3)

namespace {

constexpr double kWidth = 400;
constexpr double kHeight = 300;

// A point across the line of sight through the target, this far off it, lands on the edge
// of the picture's shorter side.
double edge()
{
    return Camera::kDistance * std::tan(Camera::kFieldOfViewDeg / 2 * std::acos(-1.0) / 180);
}

Point3 offTarget(double x, double y, double z)
{
    return {Camera::kTarget.x + x, Camera::kTarget.y + y, Camera::kTarget.z + z};
}

} // namespace

class TestCamera : public QObject
{
    Q_OBJECT

private slots:
    void project_data();
    void project();
    void moves_data();
    void moves();
};

void TestCamera::project_data()
{
    QTest::addColumn<double>("yaw");
    QTest::addColumn<double>("pitch");
    QTest::addColumn<Point3>("point");
    QTest::addColumn<QPointF>("pixel");
    QTest::addColumn<double>("depth");

    const double e = edge();
    const double d = Camera::kDistance;
    QTest::newRow("target at the centre") << 37.0 << -12.0 << offTarget(0, 0, 0) << QPointF(200, 150) << d;
    QTest::newRow("from -y: x right") << -90.0 << 0.0 << offTarget(e, 0, 0) << QPointF(350, 150) << d;
    QTest::newRow("from -y: z up") << -90.0 << 0.0 << offTarget(0, 0, e) << QPointF(200, 0) << d;
    QTest::newRow("from +x: y right") << 0.0 << 0.0 << offTarget(0, e, 0) << QPointF(350, 150) << d;
    QTest::newRow("from +x: x toward") << 0.0 << 0.0 << offTarget(10, 0, 0) << QPointF(200, 150) << d - 10;
    QTest::newRow("from -x: y left") << 180.0 << 0.0 << offTarget(0, e, 0) << QPointF(50, 150) << d;
    const double diagonal = e / std::sqrt(2.0);
    QTest::newRow("raised 45: y and z up") << -90.0 << 45.0 << offTarget(0, diagonal, diagonal) << QPointF(200, 0) << d;
    QTest::newRow("from above: x right") << -90.0 << 89.0 << offTarget(e, 0, 0) << QPointF(350, 150) << d;
}

void TestCamera::project()
{
    QFETCH(double, yaw);
    QFETCH(double, pitch);
    QFETCH(Point3, point);
    QFETCH(QPointF, pixel);
    QFETCH(double, depth);
    Camera camera;
    camera.yawDeg = yaw;
    camera.pitchDeg = pitch;
    const ScreenPoint p = camera.project(point, kWidth, kHeight);
    QVERIFY2(std::hypot(p.x - pixel.x(), p.y - pixel.y()) < 1e-6,
             qPrintable(QStringLiteral("%1, %2").arg(p.x).arg(p.y)));
    QVERIFY(std::fabs(p.depth - depth) < 1e-9);
}

void TestCamera::moves_data()
{
    QTest::addColumn<double>("yawBy");
    QTest::addColumn<double>("pitchBy");
    QTest::addColumn<double>("zoomBy");
    QTest::addColumn<double>("yaw");
    QTest::addColumn<double>("pitch");
    QTest::addColumn<double>("distance");

    const double yaw = Camera::kYawDeg;
    const double pitch = Camera::kPitchDeg;
    QTest::newRow("pitch stops short of the top") << 0.0 << 500.0 << 1.0 << yaw << 89.0 << Camera::kDistance;
    QTest::newRow("and of the bottom") << 0.0 << -500.0 << 1.0 << yaw << -89.0 << Camera::kDistance;
    QTest::newRow("two turns and ten degrees") << 730.0 << 0.0 << 1.0 << yaw + 10 << pitch << Camera::kDistance;
    QTest::newRow("closer") << 0.0 << 0.0 << 1.25 << yaw << pitch << Camera::kDistance / 1.25;
    QTest::newRow("no closer than the limit") << 0.0 << 0.0 << 100.0 << yaw << pitch << Camera::kMinDistance;
    QTest::newRow("no farther") << 0.0 << 0.0 << 0.001 << yaw << pitch << Camera::kMaxDistance;
}

void TestCamera::moves()
{
    QFETCH(double, yawBy);
    QFETCH(double, pitchBy);
    QFETCH(double, zoomBy);
    Camera camera;
    camera.orbit(yawBy, pitchBy);
    camera.zoom(zoomBy);
    QTEST(camera.yawDeg, "yaw");
    QTEST(camera.pitchDeg, "pitch");
    QTEST(camera.distance, "distance");
}

QTEST_APPLESS_MAIN(TestCamera)
#include "tst_camera.moc"
