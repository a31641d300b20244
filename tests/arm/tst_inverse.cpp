#include "inverse.h"
#include "kinematics.h"
#include "posetable.h"

#include <QTest>

#include <algorithm>
#include <cmath>
#include <random>

using namespace arm;
using Status = InverseResult::Status;
using Joints = std::array<int, 4>;

Q_DECLARE_METATYPE(Status)
Q_DECLARE_METATYPE(Joints)
Q_DECLARE_METATYPE(Point3)

namespace {

constexpr double kPi = 3.14159265358979323846;
// The arm's lengths, from its drawing: shoulder height, the two links, the tool.
constexpr double kShoulder = 9.75, kLink = 9.0, kTool = 3.125;

double distance(const Point3 &a, const Point3 &b)
{
    return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

// Out from the base axis toward the target, horizontally; along x on the axis.
std::array<double, 2> outward(const Point3 &target)
{
    const double r = std::hypot(target.x, target.y);
    return r > 1e-9 ? std::array<double, 2>{target.x / r, target.y / r} : std::array<double, 2>{1.0, 0.0};
}

// The tool's pitch in degrees, from the wrist and the tool point of the model.
double pitchOf(const ArmModel &model, const Point3 &target)
{
    const Point3 wrist = model.jointOrigin(4);
    const Point3 tool = model.tool();
    const std::array<double, 2> h = outward(target);
    return std::atan2(tool.z - wrist.z, (tool.x - wrist.x) * h[0] + (tool.y - wrist.y) * h[1]) * 180 / kPi;
}

// The wrist lies one tool length back from the target along the pitch; the two links reach
// it up to their joint length.
double wristDistance(const Point3 &target, double pitchDeg)
{
    const std::array<double, 2> h = outward(target);
    const double c = std::cos(pitchDeg / 180 * kPi), s = std::sin(pitchDeg / 180 * kPi);
    const Point3 wrist = {target.x - kTool * c * h[0], target.y - kTool * c * h[1], target.z - kTool * s};
    return distance(wrist, {0, 0, kShoulder});
}

double angleBetween(double a, double b)
{
    return std::fabs(std::remainder(a - b, 360.0));
}

// How far whole degrees may leave the tool from the target. Changing joint i alone by
// delta_i turns the tool on a circle about axis i: it moves by a chord of at most d_i
// |delta_i|, d_i the tool's distance from that axis. Change the joints one after another
// from Q1 to Q4: each change turns axis i+1.. and the tool rigidly together, so every
// d_i is that of the exact pose, where the tool is on the target. Rounding moves each joint
// at most half a degree, so the error is at most (d1 + d2 + d3 + d4) * 0.5 degree, with
//   d1 = the target's distance from the base axis (axis 1 is that axis),
//   d2 = its distance from the shoulder (axis 2 passes through the shoulder, across the arm's
//        plane, in which the tool lies),
//   d3 <= kLink + kTool (elbow to wrist to tool), d4 = kTool (the tool along axis 4's plane).
// The exact pose is exact on the ideal arm; the constant 3.1416 leaves the real one apart
// from it in two ways, with eps = 3.1416 / 2 - pi / 2 (3.7e-6 rad): the twists of links 1
// and 4 are eps short of a right angle (cos(-1.5708) is not 0), which turns the tool about
// axis 1's and axis 4's x by eps, at most eps (d2 + d4); and a joint rounded from -179.x
// down to -180 is given as 180, 360 of the arm's degrees away, which is a full turn and
// 4 eps. So 5 eps (d1 + d2 + d3 + d4) more covers both, and 1e-9 the arithmetic.
double errorBound(const Point3 &target)
{
    const double d1 = std::hypot(target.x, target.y);
    const double d2 = std::hypot(d1, target.z - kShoulder);
    const double sum = d1 + d2 + (kLink + kTool) + kTool;
    const double eps = std::fabs(3.1416 / 2 - kPi / 2);
    return sum * (0.5 / 180 * 3.1416) + 5 * eps * sum + 1e-9;
}

// Up when the elbow is above the shoulder-wrist line at its own horizontal place; no answer
// (0) where the line stands vertical or the elbow lies on it.
int elbowSide(const ArmModel &model)
{
    const Point3 s = model.jointOrigin(1), e = model.jointOrigin(2), w = model.jointOrigin(3);
    // In the arm's vertical plane: u out along the line's horizontal part, z up.
    const double wu = std::hypot(w.x - s.x, w.y - s.y), wz = w.z - s.z;
    if (wu < 0.5)
        return 0;
    const double eu = ((e.x - s.x) * (w.x - s.x) + (e.y - s.y) * (w.y - s.y)) / wu, ez = e.z - s.z;
    if (std::fabs(eu * wz - ez * wu) / std::hypot(wu, wz) < 0.5)
        return 0;
    return ez > eu / wu * wz ? 1 : -1;
}

} // namespace

class TestInverse : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip();
    void tablePosesComeBack_data();
    void tablePosesComeBack();
    void limits_data();
    void limits();
};

void TestInverse::roundTrip()
{
    // Seeded, so that a failure names the same target every run. Most targets fill the
    // reach; some lie within a hair of it, where few pitches reach and the elbows meet.
    std::mt19937 random(1007);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    int checked = 0, bothElbows = 0, sided = 0;
    for (int n = 0; n < 400; ++n) {
        Point3 d;
        do
            d = {unit(random), unit(random), unit(random)};
        while (std::hypot(d.x, d.y, d.z) > 1 || std::hypot(d.x, d.y, d.z) < 1e-3);
        const double length = n % 8 == 0 ? 21.125 - 1e-4 * (unit(random) + 1) : 21.0 * std::hypot(d.x, d.y, d.z);
        const double scale = length / std::hypot(d.x, d.y, d.z);
        const Point3 target = {d.x * scale, d.y * scale, kShoulder + d.z * scale};

        const InverseResult chosen = inverse(target);
        QCOMPARE(chosen.status, Status::Reached);
        QVERIFY(chosen.pitchChosen);
        const double p = chosen.pitchDeg;
        // The nearest to the horizontal: a degree nearer does not reach; not whole only
        // when no whole degree reaches.
        if (p != 0)
            QVERIFY(wristDistance(target, p - std::copysign(1.0, p)) > 2 * kLink);
        if (p != std::round(p))
            QVERIFY(wristDistance(target, std::floor(p)) > 2 * kLink && wristDistance(target, std::ceil(p)) > 2 * kLink);

        // Pitches all round, and last the one chosen.
        for (int k = 0; k <= 19; ++k) {
            const bool own = k == 19;
            const double asked = own ? p : -180.0 + 20 * k;
            const InverseResult result = own ? chosen : inverse(target, asked);
            const double wrist = wristDistance(target, asked);
            if (std::fabs(wrist - 2 * kLink) < 2e-3)   // on the reach, as the readouts round
                continue;
            if (wrist > 2 * kLink) {
                QCOMPARE(result.status, Status::PitchCannotReach);
                continue;
            }
            QCOMPARE(result.status, Status::Reached);
            QCOMPARE(result.pitchDeg, asked);
            int sides[2][2] = {};   // [base turned][elbow up]
            for (std::size_t i = 0; i < result.solutions.size(); ++i) {
                const InverseSolution &solution = result.solutions[i];
                for (std::size_t j = 0; j < i; ++j)
                    QVERIFY(result.solutions[j].degrees != solution.degrees);
                const ArmModel model = modelAt(solution.degrees);
                QVERIFY(distance(model.tool(), solution.position) < 1e-12);
                QVERIFY(std::fabs(distance(model.tool(), target) - solution.error) < 1e-12);
                QVERIFY2(solution.error <= errorBound(target), qPrintable(QString::number(solution.error)));
                for (int q : solution.degrees)
                    QVERIFY(q > -180 && q <= 180);
                QVERIFY(angleBetween(pitchOf(model, target), asked) <= 3.0);
                const double q1 = solution.degrees[0] / 180.0 * kPi;
                const std::array<double, 2> h = outward(target);
                QCOMPARE(solution.baseTurned, std::cos(q1) * h[0] + std::sin(q1) * h[1] < 0);
                const int side = elbowSide(model);
                if (side != 0) {
                    QCOMPARE(solution.elbow, side > 0 ? Elbow::Up : Elbow::Down);
                    ++sided;
                }
                sides[solution.baseTurned][solution.elbow == Elbow::Up] += 1;
                ++checked;
            }
            // Away from full stretch the elbows are apart, on both sides of the base.
            if (wrist < 2 * kLink - 0.5) {
                QVERIFY(sides[0][0] == 1 && sides[0][1] == 1);
                QVERIFY(sides[1][0] == 1 && sides[1][1] == 1);
                ++bothElbows;
            }
        }
    }
    QVERIFY(checked > 10000 && bothElbows > 3000 && sided > 10000);
}

void TestInverse::tablePosesComeBack_data()
{
    QTest::addColumn<Joints>("q");
    QTest::addColumn<Point3>("position");
    QTest::addColumn<double>("pitch");
    // Positions from the forward kinematics' table; pitches worked by hand from the poses:
    // 0,90,0,0 hangs the arm down behind the base with the tool horizontal, pointing out
    // toward its own point; 0,0,90,0 and 0,0,0,90 point the tool back over the base.
    const double pitches[kTablePoses.size()] = {0.0, -90.0, -90.0, 0.0, 180.0, 180.0, 30.0, 18.0};
    for (std::size_t i = 0; i < kTablePoses.size(); ++i) {
        const TablePose &pose = kTablePoses[i];
        QTest::newRow(pose.name) << pose.q << Point3{pose.x, pose.y, pose.z} << pitches[i];
    }
}

void TestInverse::tablePosesComeBack()
{
    QFETCH(Joints, q);
    QFETCH(Point3, position);
    QFETCH(double, pitch);
    QVERIFY(angleBetween(pitchOf(modelAt(q), position), pitch) < 0.01);
    const InverseResult result = inverse(position, pitch);
    QCOMPARE(result.status, Status::Reached);
    bool found = false;
    for (const InverseSolution &solution : result.solutions) {
        found = found || (solution.degrees == q && solution.error < 1e-4);
        // At full stretch the two elbows are one solution.
        QCOMPARE(std::count_if(result.solutions.begin(), result.solutions.end(),
                               [&](const InverseSolution &s) { return s.degrees == solution.degrees; }), 1);
    }
    QVERIFY(found);
}

void TestInverse::limits_data()
{
    QTest::addColumn<Point3>("target");
    QTest::addColumn<QVariant>("pitch");   // none when invalid
    QTest::addColumn<Status>("status");
    QTest::addColumn<bool>("onAxis");
    QTest::addColumn<bool>("belowFloor");   // of at least one solution
    QTest::addColumn<QString>("numbers");   // that describe() names
    // Distances and pitch ranges by the law of cosines on the shoulder, the wrist and the
    // target, worked apart from the program.
    QTest::newRow("too far out") << Point3{21.127, 0, 9.75} << QVariant() << Status::TooFar << false << false
                                 << "21.127 21.125";
    // The readouts of 30,0,0,-90, which round it 0.0003 beyond the reach.
    QTest::newRow("read off at full stretch") << Point3{18.295, 10.563, 9.75} << QVariant() << Status::Reached
                                              << false << false << "";
    QTest::newRow("too far up the axis") << Point3{0, 0, 31} << QVariant(45.0) << Status::TooFar << true << false
                                         << "21.250 21.125";
    QTest::newRow("pitch down, reached from -60 to 120")
        << Point3{11.760112, 9.867905, 18.613329} << QVariant(-90.0) << Status::PitchCannotReach << false << false
        << "-90.000 -60.000 120.000";
    QTest::newRow("pitch down, reached from -45 round to -165")
        << Point3{-2.10069, -3.638502, 25.429764} << QVariant(-100.0) << Status::PitchCannotReach << false << false
        << "-100.000 -45.000 180.000 -180.000 -165.000";
    QTest::newRow("in front, above the floor") << Point3{15, 5, 12} << QVariant() << Status::Reached << false << false
                                               << "";
    QTest::newRow("tool down below the floor, wrist above") << Point3{12, 5, -1} << QVariant(-90.0) << Status::Reached
                                                            << false << true << "";
    QTest::newRow("tool up, wrist below the floor") << Point3{3, 0, 1} << QVariant(90.0) << Status::Reached << false
                                                    << true << "";
    QTest::newRow("on the axis, above") << Point3{0, 0, 20} << QVariant() << Status::Reached << true << false << "";
    QTest::newRow("on the axis, below the floor") << Point3{0, 0, -5} << QVariant(-90.0) << Status::Reached << true
                                                  << true << "";
    QTest::newRow("at the shoulder") << Point3{0, 0, 9.75} << QVariant() << Status::Reached << true << false << "";
}

void TestInverse::limits()
{
    QFETCH(Point3, target);
    QFETCH(QVariant, pitch);
    QFETCH(Status, status);
    QFETCH(bool, onAxis);
    QFETCH(bool, belowFloor);
    QFETCH(QString, numbers);
    const InverseResult result = pitch.isValid() ? inverse(target, pitch.toDouble()) : inverse(target);
    QCOMPARE(result.status, status);
    QCOMPARE(result.onAxis, onAxis);
    QCOMPARE(result.solutions.empty(), status != Status::Reached);
    bool anyBelow = false;
    for (const InverseSolution &solution : result.solutions) {
        anyBelow = anyBelow || solution.belowFloor;
        if (onAxis)
            QCOMPARE(solution.degrees[0], 0);
        QVERIFY(solution.error <= errorBound(target));
    }
    QCOMPARE(anyBelow, belowFloor);
    const QString text = QString::fromStdString(describe(result));
    QCOMPARE(text.isEmpty(), status == Status::Reached);
    const QString comma = QString::fromStdString(describe(result, ','));
    for (const QString &number : numbers.split(' ', Qt::SkipEmptyParts)) {
        QVERIFY2(text.contains(number), qPrintable(text));
        QVERIFY2(comma.contains(QString(number).replace('.', ',')), qPrintable(comma));
    }
}

QTEST_APPLESS_MAIN(TestInverse)
#include "tst_inverse.moc"
