#include "kinematics.h"
#include "posetable.h"

#include <QTest>

#include <cmath>
#include <random>

using namespace arm;

Q_DECLARE_METATYPE(const TablePose *)

class TestKinematics : public QObject
{
    Q_OBJECT

private slots:
    void toolPosition_data();
    void toolPosition();
    void rotationsStayOrthonormal();
};

void TestKinematics::toolPosition_data()
{
    QTest::addColumn<const TablePose *>("pose");
    for (const TablePose &pose : kTablePoses)
        QTest::newRow(pose.name) << &pose;
}

void TestKinematics::toolPosition()
{
    QFETCH(const TablePose *, pose);
    const Point3 p = modelAt(pose->q).tool();
    // Six decimals: the values carry the error of 3.1416, which pi would not reproduce.
    const double got[3] = {p.x, p.y, p.z}, tool[3] = {pose->x, pose->y, pose->z};
    for (int axis = 0; axis < 3; ++axis)
        QVERIFY2(std::fabs(got[axis] - tool[axis]) <= 5e-7, qPrintable(QString::number(got[axis], 'f', 7)));
}

void TestKinematics::rotationsStayOrthonormal()
{
    // Seeded, so a failure names the same pose every run.
    std::mt19937 random(1007);
    std::uniform_int_distribution<int> degrees(-360, 360);
    for (int run = 0; run < 200; ++run) {
        const LinkTransform p = modelAt({degrees(random), degrees(random), degrees(random), degrees(random)}).pose[3];
        for (int a = 1; a <= 3; ++a) {
            for (int b = 1; b <= 3; ++b) {
                double dot = 0;
                for (int r = 1; r <= 3; ++r)
                    dot += p(r, a) * p(r, b);
                QVERIFY(std::fabs(dot - (a == b ? 1.0 : 0.0)) <= 1e-9);
            }
        }
        QCOMPARE(p(4, 1), 0.0);
        QCOMPARE(p(4, 4), 1.0);
    }
}

QTEST_APPLESS_MAIN(TestKinematics)
#include "tst_kinematics.moc"
