#include "armpanel.h"
#include "conversions.h"
#include "designunits.h"
#include "forms.h"
#include "picturearea.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using Forms::control;
using Forms::readouts;
using Forms::text;

namespace {

// The outcomes of one receive, in the recording's words.
QStringList receive(ArmPanel *panel, const QByteArray &bytes)
{
    QStringList outcomes;
    panel->Receive(bytes, [&outcomes](const QByteArray &, const protocol::Outcome &outcome) {
        outcomes << QString::fromStdString(protocol::words(outcome));
    });
    return outcomes;
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
    void receive_data();
    void receive();
    void typingKeyByKey_followsEveryTextThatConverts();
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
    // The views at their designed size; where the rest stand does not matter here.
    layout.picSuperior = rect(600, 840, 4215, 2895);
    layout.picLateral = rect(6360, 840, 4215, 2895);
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

void TestArmPanel::receive_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QStringList>("outcomes");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("entryText");

    // Starting from the entries 10, 20, 30, 40.
    QTest::newRow("A45") << QByteArray("A45") << QStringList{"Q1=45"} << "txtQ1" << "45";
    QTest::newRow("C-30") << QByteArray("C-30") << QStringList{"Q3=-30"} << "txtQ3" << "-30";
    QTest::newRow("blank inside") << QByteArray("B 30") << QStringList{"Q2=30"} << "txtQ2" << " 30";
    QTest::newRow("bare A is 0") << QByteArray("A") << QStringList{"Q1=0"} << "txtQ1" << "0";
    QTest::newRow("bare D is -90") << QByteArray("D") << QStringList{"Q4=-90"} << "txtQ4" << "-90";
    QTest::newRow("same text") << QByteArray("A10") << QStringList{"mismo texto"} << "txtQ1" << "10";
    QTest::newRow("half rounds to even") << QByteArray("A12.5") << QStringList{"Q1=12"} << "txtQ1" << "12.5";
    QTest::newRow("NUL stays in the text") << QByteArray("B3\0", 3) << QStringList{"no es un número"} << "txtQ2"
                                           << QString(QStringLiteral("3") + QChar(0));
    QTest::newRow("Windows-1252") << QByteArray("C\x80") << QStringList{"no es un número"} << "txtQ3" << "\u20ac";
    QTest::newRow("lower case") << QByteArray("a45") << QStringList{"selector desconocido"} << "txtQ1" << "10";
    QTest::newRow("no selector") << QByteArray("45") << QStringList{"selector desconocido"} << "txtQ1" << "10";
    QTest::newRow("E is no joint") << QByteArray("E10") << QStringList{"selector desconocido"} << "txtQ1" << "10";
    QTest::newRow("a lone line break") << QByteArray("\n") << QStringList{"selector desconocido"} << "txtQ1" << "10";
    // One message and its break is one message, as it came: the entry takes the break.
    QTest::newRow("println, alone") << QByteArray("A45\r\n") << QStringList{"Q1=45"} << "txtQ1" << "45\r\n";
    // Without a break, two messages read together are one whose angle does not convert.
    QTest::newRow("two messages joined") << QByteArray("A30B45") << QStringList{"no es un número"} << "txtQ1"
                                         << "30B45";
    // Ended by line breaks, messages read together are taken one by one, breaks kept.
    QTest::newRow("println twice") << QByteArray("A10\r\nB25\r\n") << QStringList{"Q1=10", "Q2=25"} << "txtQ2"
                                   << "25\r\n";
    QTest::newRow("LF, the last without one") << QByteArray("A11\nB21") << QStringList{"Q1=11", "Q2=21"} << "txtQ2"
                                              << "21";
    QTest::newRow("CR") << QByteArray("C5\rD7\r") << QStringList{"Q3=5", "Q4=7"} << "txtQ4" << "7\r";
    QTest::newRow("a break first") << QByteArray("\r\nA5") << QStringList{"selector desconocido", "Q1=5"} << "txtQ1"
                                   << "5";
    QTest::newRow("an empty line after") << QByteArray("A6\n\n") << QStringList{"Q1=6", "selector desconocido"}
                                         << "txtQ1" << "6\n";
    QTest::newRow("one of them no number") << QByteArray("A1x\nB2\n") << QStringList{"no es un número", "Q2=2"}
                                           << "txtQ1" << "1x\n";
}

void TestArmPanel::receive()
{
    QFETCH(QByteArray, received);
    QFETCH(QStringList, outcomes);
    QFETCH(QString, entry);
    QFETCH(QString, entryText);
    // The load leaves the readouts empty, and texts that move nothing leave them so: the
    // first change fills them.
    for (const char *message : {"B\x80", "A30B45", "E10"})
        m_panel->JointMessage(QByteArray(message));
    QCOMPARE(text(m_surface, "txtQ2"), QStringLiteral("\u20ac"));
    QCOMPARE(readouts(m_surface), QStringList({"", "", ""}));
    for (const char *message : {"A10", "B20", "C30", "D40"})
        m_panel->JointMessage(QByteArray(message));
    const QStringList before = readouts(m_surface);
    QSignalSpy updates(m_panel, &ArmPanel::armUpdated);

    QCOMPARE(::receive(m_panel, received), outcomes);
    QCOMPARE(control<QLineEdit>(m_surface, entry.toLatin1().constData())->text(), entryText);
    const int moves = int(std::count_if(outcomes.cbegin(), outcomes.cend(),
                                        [](const QString &outcome) { return outcome.startsWith(QLatin1Char('Q')); }));
    QCOMPARE(updates.count(), moves);
    QCOMPARE(readouts(m_surface) != before, moves > 0);
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
        m_panel->JointMessage(message.toLatin1());
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
