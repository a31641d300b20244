#include "armpanel.h"
#include "conversions.h"
#include "designunits.h"
#include "forms.h"
#include "picturearea.h"

#include <QLineEdit>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(JointMessageOutcome::Kind)

using Forms::control;
using Forms::text;
using Kind = JointMessageOutcome::Kind;

namespace {

QStringList readouts(const QWidget *surface)
{
    return {text(surface, "txtPosicionX"), text(surface, "txtPosicionY"), text(surface, "txtPosicionZ")};
}

// What the readouts show for these joint angles, worked out from the kinematics alone.
QStringList expectedReadouts(const std::array<int, 4> &degrees)
{
    arm::ArmModel model;
    model.load(degrees);
    model.chainProduct();
    const arm::Point3 tool = model.tool();
    return {Conversions::toFixed(tool.x), Conversions::toFixed(tool.y), Conversions::toFixed(tool.z)};
}

// A point of a view, in the view's own units, and whether the drawing inks it.
struct Probe
{
    const char *view;
    double x;
    double y;
    bool ink;
};

} // namespace

Q_DECLARE_METATYPE(QList<Probe>)

class TestArmPanel : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void jointMessage_data();
    void jointMessage();
    void typingKeyByKey_followsEveryTextThatConverts();
    void burst_everyMessageShownRightAfterItsReceive();
    void writeAfterLinkMessages_armAndEntryAgree();
    void views_data();
    void views();

private:
    void type(const char *entry, const QString &keys);

    QWidget *m_surface = nullptr;
    ArmPanel *m_panel = nullptr;
};

void TestArmPanel::init()
{
    using DesignUnits::rect;
    m_surface = new QWidget;
    m_surface->resize(800, 600);
    ArmPanelLayout layout;
    // The views at their designed size; the rest anywhere apart.
    layout.picSuperior = rect(600, 840, 4215, 2895);
    layout.picLateral = rect(6360, 840, 4215, 2895);
    QRect *others[] = {&layout.vislat, &layout.Label1, &layout.lblY, &layout.lblXsup, &layout.lblZ,
                       &layout.lblX, &layout.lblPosicionX, &layout.lblPosicionY, &layout.lblPosicionZ,
                       &layout.txtPosicionX, &layout.txtPosicionY, &layout.txtPosicionZ, &layout.txtQ1,
                       &layout.txtQ2, &layout.txtQ3, &layout.txtQ4};
    for (int i = 0; i < 16; ++i)
        *others[i] = QRect(50 * (i % 8), 300 + 40 * (i / 8), 45, 30);
    m_panel = new ArmPanel(m_surface, layout);
    m_surface->show();
    m_panel->Form_Load();
}

void TestArmPanel::cleanup()
{
    delete m_surface;
}

void TestArmPanel::type(const char *entry, const QString &keys)
{
    QLineEdit *box = control<QLineEdit>(m_surface, entry);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    QTest::keyClicks(box, keys);
}

void TestArmPanel::jointMessage_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("entryText");

    // Starting from the entries 10, 20, 30, 40.
    QTest::newRow("A45") << "A45" << Kind::Moved << "txtQ1" << "45";
    QTest::newRow("C-30") << "C-30" << Kind::Moved << "txtQ3" << "-30";
    QTest::newRow("blank inside") << "B 30" << Kind::Moved << "txtQ2" << " 30";
    QTest::newRow("bare A is 0") << "A" << Kind::Moved << "txtQ1" << "0";
    QTest::newRow("bare D is -90") << "D" << Kind::Moved << "txtQ4" << "-90";
    QTest::newRow("same text") << "A10" << Kind::SameText << "txtQ1" << "10";
    QTest::newRow("two messages in one read") << "A30B45" << Kind::NotANumber << "txtQ1" << "30B45";
    QTest::newRow("NUL stays in the text") << QString(QStringLiteral("B3") + QChar(0)) << Kind::NotANumber << "txtQ2"
                                           << QString(QStringLiteral("3") + QChar(0));
    QTest::newRow("lower case") << "a45" << Kind::UnknownSelector << "txtQ1" << "10";
    QTest::newRow("no selector") << "45" << Kind::UnknownSelector << "txtQ1" << "10";
    QTest::newRow("E is no joint") << "E10" << Kind::UnknownSelector << "txtQ1" << "10";
    QTest::newRow("line break") << "\n" << Kind::UnknownSelector << "txtQ1" << "10";
    QTest::newRow("empty read") << "" << Kind::UnknownSelector << "txtQ1" << "10";
}

void TestArmPanel::jointMessage()
{
    QFETCH(QString, received);
    QFETCH(Kind, kind);
    QFETCH(QString, entry);
    QFETCH(QString, entryText);
    // The load leaves the readouts empty, and texts that move nothing leave them so: the
    // first change fills them.
    for (const char *message : {"B\xE2\x82\xAC", "A30B45", "E10"})
        m_panel->JointMessage(QString::fromUtf8(message));
    QCOMPARE(text(m_surface, "txtQ2"), QStringLiteral("\u20ac"));
    QCOMPARE(readouts(m_surface), QStringList({"", "", ""}));
    for (const char *message : {"A10", "B20", "C30", "D40"})
        m_panel->JointMessage(QLatin1String(message));
    const QStringList before = readouts(m_surface);
    QSignalSpy updates(m_panel, &ArmPanel::armUpdated);

    const JointMessageOutcome outcome = m_panel->JointMessage(received);
    QCOMPARE(outcome.kind, kind);
    QCOMPARE(control<QLineEdit>(m_surface, entry.toLatin1().constData())->text(), entryText);
    QCOMPARE(updates.count(), kind == Kind::Moved ? 1 : 0);
    QCOMPARE(readouts(m_surface) != before, kind == Kind::Moved);
    if (kind == Kind::Moved)
        QCOMPARE(outcome.degrees, entryText.trimmed().toInt());
}

void TestArmPanel::typingKeyByKey_followsEveryTextThatConverts()
{
    QSignalSpy updates(m_panel, &ArmPanel::armUpdated);
    type("txtQ1", QStringLiteral("45"));
    type("txtQ2", QStringLiteral("30"));
    // "-" alone does not convert: the arm waits for the digits.
    type("txtQ3", QStringLiteral("-60"));
    // The emptied entries did not convert either.
    QCOMPARE(updates.count(), 6);
    QCOMPARE(readouts(m_surface), QStringList({"12.936", "12.936", "11.313"}));
}

void TestArmPanel::burst_everyMessageShownRightAfterItsReceive()
{
    // Seeded: a failure names the same messages every run.
    QRandomGenerator random(1007);
    std::array<int, 4> angles = arm::kOpeningPose;
    QSignalSpy updates(m_panel, &ArmPanel::armUpdated);
    int moves = 0;
    for (int i = 0; i < 100; ++i) {
        const int joint = int(random.bounded(4));
        const int degrees = int(random.bounded(-180, 181));
        const bool same = angles[joint] == degrees;
        moves += same ? 0 : 1;
        angles[joint] = degrees;
        const QString message = QLatin1Char(char('A' + joint)) + QString::number(degrees);
        m_panel->JointMessage(message);
        QCOMPARE(text(m_surface, QStringLiteral("txtQ%1").arg(joint + 1).toLatin1().constData()), message.mid(1));
        if (!same)
            QCOMPARE(readouts(m_surface), expectedReadouts(angles));
    }
    QCOMPARE(updates.count(), moves);
}

void TestArmPanel::writeAfterLinkMessages_armAndEntryAgree()
{
    // A link's texts, then the same entry written by another hand: the last write wins
    // everywhere, and no older text comes back later.
    m_panel->JointMessage(QStringLiteral("B10"));
    m_panel->JointMessage(QStringLiteral("B30"));
    auto *q2 = control<QLineEdit>(m_surface, "txtQ2");
    q2->setText(QStringLiteral("90"));
    // Longer than any display interval a link's texts could be held back for.
    QTest::qWait(250);
    QCOMPARE(q2->text(), QStringLiteral("90"));
    QCOMPARE(readouts(m_surface), expectedReadouts({0, 90, 0, -90}));
}

void TestArmPanel::views_data()
{
    QTest::addColumn<QString>("messages");
    QTest::addColumn<QList<Probe>>("probes");
    // The side view puts (x, z) at (x + 5, 77.571342 - z); the top view has its centre at
    // (34.625, 23.625) and y upward.
    QTest::newRow("defaults") << "A1 A"
                              << QList<Probe>{{"picLateral", 5, 50, true}, {"picLateral", 5, 30, false},
                                              {"picLateral", 18.5, 67.82, true}, {"picLateral", 29, 67.82, false},
                                              {"picSuperior", 36, 23.625, true}, {"picSuperior", 54, 23.625, true},
                                              {"picSuperior", 58, 23.625, false}, {"picSuperior", 30, 23.625, false}};
    QTest::newRow("Q1 90 turns the top view up")
        << "D0 A90" << QList<Probe>{{"picSuperior", 34.625, 10, true}, {"picSuperior", 34.625, 3, false},
                                    {"picSuperior", 50, 23.625, false}, {"picLateral", 15, 67.82, false}};
    // Frames 3 and 4 fall below the bottom edge: clipped, never wrapped to the top.
    QTest::newRow("blank until the first change") << "" << QList<Probe>{{"picLateral", 5, 67.82, false},
                                                                        {"picSuperior", 34.625, 23.625, false}};
    QTest::newRow("Q2 90 goes below the edge")
        << "D0 B90" << QList<Probe>{{"picLateral", 5, 70, true}, {"picLateral", 15, 5, false}};
}

void TestArmPanel::views()
{
    QFETCH(QString, messages);
    QFETCH(QList<Probe>, probes);
    for (const QString &message : messages.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        m_panel->JointMessage(message);
    for (const Probe &probe : probes) {
        const auto *view = control<PictureArea>(m_surface, probe.view);
        const QImage image = view->image();
        const QPoint at(int(probe.x * image.width() / view->scaleWidth()),
                        int(probe.y * image.height() / view->scaleHeight()));
        QCOMPARE(image.pixel(at) == qRgb(255, 255, 255), !probe.ink);
    }
}

QTEST_MAIN(TestArmPanel)
#include "tst_armpanel.moc"
