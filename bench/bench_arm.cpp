// Speed of one joint change, from the text of an entry to the redrawn views, measured
// against two floors: Orocos KDL computing the same forward kinematics, and a bare
// QPainter drawing the same figures. All in one run, so the ratios hold on a busy machine.
// Beside them, one inverse kinematics call.
#include "armpanel.h"
#include "conversions.h"
#include "inverse.h"
#include "kinematics.h"
#include "designunits.h"

#include <benchmark/benchmark.h>
#include <kdl/chain.hpp>
#include <kdl/chainfksolverpos_recursive.hpp>
#include <kdl/frames.hpp>
#include <kdl/jntarray.hpp>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QWidget>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

namespace {

// Whole degrees, as the entries and the links carry them. (A text with decimals reads
// through the locale and costs about half a microsecond more.)
const QString kAngleTexts[] = {QStringLiteral("45"), QStringLiteral("-30"), QStringLiteral("12"),
                               QStringLiteral("90"), QStringLiteral("-90"), QStringLiteral("7")};
constexpr int kAngleCount = 6;

// Joint 1 twists the chain, so a change there exercises every product.
void BM_Kinematics_JointChange(benchmark::State &state)
{
    arm::ArmModel model;
    model.load({0, 0, 0, -90});
    const QLocale locale = QLocale::system();
    int i = 0;
    for (auto _ : state) {
        const std::optional<qint32> degrees = Conversions::toInt32(kAngleTexts[i++ % kAngleCount], locale);
        model.SetJointAngle(1, *degrees);
        model.chainProduct();
        benchmark::DoNotOptimize(model.pose[3]);
    }
}

KDL::Chain kdlChain()
{
    const arm::ArmModel reference = [] {
        arm::ArmModel m;
        m.load({0, 0, 0, 0});
        return m;
    }();
    KDL::Chain chain;
    for (int i = 0; i < 4; ++i) {
        const arm::DhLink &l = reference.links[i];
        chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::RotZ), KDL::Frame::DH(l.a, arm::toRadians(l.alphaDeg), l.d, 0)));
    }
    const arm::DhLink &tool = reference.links[4];
    chain.addSegment(KDL::Segment(KDL::Joint(KDL::Joint::None), KDL::Frame::DH(tool.a, arm::toRadians(tool.alphaDeg), tool.d, 0)));
    return chain;
}

KDL::JntArray kdlJoints(int q1, int q2, int q3, int q4)
{
    KDL::JntArray q(4);
    q(0) = arm::toRadians(q1);
    q(1) = arm::toRadians(q2);
    q(2) = arm::toRadians(q3);
    q(3) = arm::toRadians(q4);
    return q;
}

// The reference must compute the same arm, or the comparison means nothing.
void checkKdlAgainstTable()
{
    struct Row { int q[4]; double x, y, z; };
    const Row rows[] = {{{0, 0, 0, -90}, 21.125000, -0.000011, 9.750011},
                        {{0, 90, 0, 0}, -3.125066, -0.000078, -8.249989},
                        {{45, 30, -60, -90}, 12.936335, 12.936374, 11.312513},
                        {{18, -18, -38, -52}, 15.753547, 5.118682, 20.958200}};
    const KDL::Chain chain = kdlChain();
    KDL::ChainFkSolverPos_recursive solver(chain);
    for (const Row &row : rows) {
        KDL::Frame frame;
        solver.JntToCart(kdlJoints(row.q[0], row.q[1], row.q[2], row.q[3]), frame);
        if (std::fabs(frame.p.x() - row.x) > 5e-6 || std::fabs(frame.p.y() - row.y) > 5e-6
            || std::fabs(frame.p.z() - row.z) > 5e-6) {
            std::fprintf(stderr, "KDL no reproduce la tabla de posiciones: (%f, %f, %f)\n", frame.p.x(),
                         frame.p.y(), frame.p.z());
            std::exit(1);
        }
    }
}

void BM_Kinematics_Kdl(benchmark::State &state)
{
    const KDL::Chain chain = kdlChain();
    KDL::ChainFkSolverPos_recursive solver(chain);
    KDL::JntArray q = kdlJoints(0, 0, 0, -90);
    KDL::Frame frame;
    const double angles[kAngleCount] = {45, -30, 12, 90, -90, 7};
    int i = 0;
    for (auto _ : state) {
        q(0) = arm::toRadians(angles[i++ % kAngleCount]);
        solver.JntToCart(q, frame);
        benchmark::DoNotOptimize(frame);
    }
}

// A point in front of the arm, off its x axis, with the pitch left to choose: all four
// solutions, each searched among its sixteen whole-degree neighbours.
void BM_Inverse(benchmark::State &state)
{
    const arm::Point3 target = {15, 5, 12};
    for (auto _ : state)
        benchmark::DoNotOptimize(arm::inverse(target));
}

struct PanelFixture
{
    PanelFixture()
    {
        using DesignUnits::rect;
        window.resize(721, 530);
        panel = new ArmPanel(&window, ArmPanelLayout{
            rect(6480, 480, 870, 195), rect(600, 480, 975, 195), rect(600, 840, 4215, 2895),
            rect(6360, 840, 4215, 2895), rect(360, 840, 255, 255), rect(4560, 3720, 255, 255),
            rect(6120, 840, 255, 255), rect(10320, 3720, 255, 255), rect(2160, 4440, 1185, 195),
            rect(4800, 4440, 1185, 195), rect(7440, 4440, 1185, 195), rect(2040, 5040, 1455, 495),
            rect(4680, 5040, 1455, 495), rect(7320, 5040, 1455, 495), rect(1440, 6360, 1215, 495),
            rect(3675, 6360, 1215, 495), rect(5925, 6360, 1215, 495), rect(8160, 6360, 1215, 495)});
        panel->Form_Load();
        window.show();
    }
    QWidget window;
    ArmPanel *panel = nullptr;
};

void BM_UpdateArm(benchmark::State &state)
{
    PanelFixture fixture;
    for (auto _ : state)
        fixture.panel->UpdateArm();
}

// The floor of UpdateArm's drawing: the same clears, circles and segments, nothing else.
void BM_BareRedraw(benchmark::State &state)
{
    QImage side(277, 189, QImage::Format_RGB32);
    QImage top(277, 189, QImage::Format_RGB32);
    const double sx = 277 / 118.714287;
    const double sy = 189 / 77.571342;
    const QPointF joints[] = {{5 * sx, 67.8 * sy}, {14 * sx, 67.8 * sy}, {23 * sx, 67.8 * sy}, {23 * sx, 67.8 * sy}};
    for (auto _ : state) {
        side.fill(Qt::white);
        top.fill(Qt::white);
        {
            QPainter p(&side);
            p.setPen(QPen(Qt::black, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::red);
            QPointF previous(5 * sx, 35 * sy);
            for (const QPointF &o : joints) {
                p.drawEllipse(o, 2 * sx, 2 * sx);
                p.drawLine(previous, o);
                previous = o;
            }
            p.drawLine(previous, QPointF(26.125 * sx, 67.8 * sy));
        }
        {
            QPainter p(&top);
            p.setPen(QPen(Qt::black, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.drawLine(QPointF(138.5, 94.5), QPointF(223, 94.5));
        }
        benchmark::DoNotOptimize(side.constBits());
        benchmark::DoNotOptimize(top.constBits());
    }
}

void BM_JointMessage(benchmark::State &state)
{
    PanelFixture fixture;
    int i = 0;
    for (auto _ : state)
        fixture.panel->JointMessage("A" + kAngleTexts[i++ % kAngleCount].toLatin1());
}

BENCHMARK(BM_Kinematics_JointChange);
BENCHMARK(BM_Kinematics_Kdl);
BENCHMARK(BM_Inverse);
BENCHMARK(BM_UpdateArm);
BENCHMARK(BM_BareRedraw);
BENCHMARK(BM_JointMessage);

// Keeps each benchmark's time per iteration so that the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
                // CPU time: other work on the machine stretches wall time, not this.
                times[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        }
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    checkKdlAgainstTable();

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);

    auto ratio = [&](const char *a, const char *b) {
        const double tb = reporter.times[b];
        return tb > 0 ? reporter.times[a] / tb : 0.0;
    };
    const double kinematics = ratio("BM_Kinematics_JointChange", "BM_Kinematics_Kdl");
    const double drawing = ratio("BM_UpdateArm", "BM_BareRedraw");
    std::printf("\nratio kinematics/KDL      = %.2f (target <= 0.5)\n", kinematics);
    std::printf("ratio UpdateArm/bare draw = %.2f (target <= 1.3)\n", drawing);
    std::printf("JointMessage to views     = %.1f us CPU (target < 100 us median)\n",
                reporter.times["BM_JointMessage"] / 1000.0);
    std::printf("inverse kinematics        = %.1f us CPU (target <= 20 us)\n", reporter.times["BM_Inverse"] / 1000.0);
    benchmark::Shutdown();
    return 0;
}
