#include "kinematics.h"

#include <QTest>

#include <cmath>

using namespace arm;

namespace {

bool near(double a, double b, double tolerance)
{
    return std::fabs(a - b) <= tolerance;
}

ArmModel modelAt(int q1, int q2, int q3, int q4)
{
    ArmModel model;
    model.load({q1, q2, q3, q4});
    model.chainProduct();
    return model;
}

} // namespace

class TestKinematics : public QObject
{
    Q_OBJECT

private slots:
    void toolPosition_data();
    void toolPosition();
    void setJointAngle_rebuildsThatTransformAlone();
    void rotationsStayOrthonormal();
};

void TestKinematics::toolPosition_data()
{
    QTest::addColumn<int>("q1");
    QTest::addColumn<int>("q2");
    QTest::addColumn<int>("q3");
    QTest::addColumn<int>("q4");
    QTest::addColumn<double>("x");
    QTest::addColumn<double>("y");
    QTest::addColumn<double>("z");

    QTest::newRow("defaults") << 0 << 0 << 0 << -90 << 21.125000 << -0.000011 << 9.750011;
    QTest::newRow("all zero") << 0 << 0 << 0 << 0 << 18.000000 << -0.000023 << 6.625000;
    QTest::newRow("q1 90") << 90 << 0 << 0 << 0 << -0.000043 << 18.000000 << 6.625000;
    QTest::newRow("q2 90 lowers the arm") << 0 << 90 << 0 << 0 << -3.125066 << -0.000078 << -8.249989;
    QTest::newRow("q3 90") << 0 << 0 << 90 << 0 << 5.874967 << -0.000045 << 0.750011;
    QTest::newRow("q4 90") << 0 << 0 << 0 << 90 << 14.875000 << -0.000011 << 9.750011;
    QTest::newRow("45 30 -60 -90") << 45 << 30 << -60 << -90 << 12.936335 << 12.936374 << 11.312513;
    QTest::newRow("guide pose") << 18 << -18 << -38 << -52 << 15.753547 << 5.118682 << 20.958200;
}

void TestKinematics::toolPosition()
{
    QFETCH(int, q1);
    QFETCH(int, q2);
    QFETCH(int, q3);
    QFETCH(int, q4);
    QFETCH(double, x);
    QFETCH(double, y);
    QFETCH(double, z);

    const Point3 tool = modelAt(q1, q2, q3, q4).tool();
    // Six decimals: the values carry the error of 3.1416, which pi would not reproduce.
    QVERIFY2(near(tool.x, x, 5e-7), qPrintable(QString::number(tool.x, 'f', 7)));
    QVERIFY2(near(tool.y, y, 5e-7), qPrintable(QString::number(tool.y, 'f', 7)));
    QVERIFY2(near(tool.z, z, 5e-7), qPrintable(QString::number(tool.z, 'f', 7)));
}

void TestKinematics::setJointAngle_rebuildsThatTransformAlone()
{
    ArmModel model = modelAt(10, 20, 30, 40);
    const ArmModel before = model;
    model.SetJointAngle(3, -75);
    for (int i : {0, 1, 3, 4})
        QVERIFY(model.transform[i].m == before.transform[i].m);
    QVERIFY(model.transform[2].m != before.transform[2].m);
    QCOMPARE(model.transform[2].m, BuildLinkTransform(-75 / 180.0 * 3.1416, model.links[2]).m);
}

void TestKinematics::rotationsStayOrthonormal()
{
    // Seeded, so a failure names the same pose every run.
    std::srand(1007);
    for (int run = 0; run < 200; ++run) {
        const ArmModel model = modelAt(std::rand() % 721 - 360, std::rand() % 721 - 360,
                                       std::rand() % 721 - 360, std::rand() % 721 - 360);
        const LinkTransform &p = model.pose[3];
        for (int a = 1; a <= 3; ++a) {
            for (int b = 1; b <= 3; ++b) {
                double dot = 0;
                for (int r = 1; r <= 3; ++r)
                    dot += p(r, a) * p(r, b);
                QVERIFY(near(dot, a == b ? 1.0 : 0.0, 1e-9));
            }
        }
        QCOMPARE(p(4, 1), 0.0);
        QCOMPARE(p(4, 4), 1.0);
    }
}

QTEST_APPLESS_MAIN(TestKinematics)
#include "tst_kinematics.moc"
