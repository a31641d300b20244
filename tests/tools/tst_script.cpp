// What brazo-enviar sends, and when, worked out before any link is opened: pose lines by
// angle and by the tool's point, the waits of a replayed recording, the line ends, the
// link's pacing.
#include "jointmessage.h"
#include "script.h"
#include "sender.h"
#include "tcpclientlink.h"

#include <QTest>

Q_DECLARE_METATYPE(arm::Elbow)
Q_DECLARE_METATYPE(Pacing)
Q_DECLARE_METATYPE(Script)

namespace {

// "A18" for a step without a wait, "A45@250" for one that waits 250 ms; bytes other than
// printable ASCII as \r and \n.
QStringList shown(const Script &script)
{
    QStringList steps;
    for (const Step &step : script.steps) {
        QString text = QString::fromLatin1(step.bytes);
        text.replace(QLatin1Char('\r'), QLatin1String("\\r")).replace(QLatin1Char('\n'), QLatin1String("\\n"));
        steps << (step.waitMs == 0 ? text : QStringLiteral("%1@%2").arg(text).arg(step.waitMs));
    }
    return steps;
}

} // namespace

class TestScript : public QObject
{
    Q_OBJECT

private slots:
    void poseLines_sendWhatTheArmNeeds_data();
    void poseLines_sendWhatTheArmNeeds();
    void replay_waitsAsTheRecordingCame_data();
    void replay_waitsAsTheRecordingCame();
    void lineEnds_keepEveryMessageApartWhenReadTogether_data();
    void lineEnds_keepEveryMessageApartWhenReadTogether();
    void schedule_takesTheLongerOfTheWaitAndThePause_data();
    void schedule_takesTheLongerOfTheWaitAndThePause();
};

void TestScript::poseLines_sendWhatTheArmNeeds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<arm::Elbow>("elbow");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("error");     // a part of it; empty when none
    QTest::addColumn<QString>("warning");   // a part of the one warning; empty when none
    const arm::Elbow up = arm::Elbow::Up, down = arm::Elbow::Down;

    // Points from the forward kinematics' table. At 45,30,-60,-90 the shoulder and the wrist
    // are both 9.75 high: the elbow lies below their line, and the elbow above it is the
    // mirror, worked by hand (Q2 -30, Q3 60, and Q4 for the same pitch 30 = -(Q2+Q3+Q4+90)).
    const QString p45 = QStringLiteral("p 12.936335 12.936374 11.312513 30\n");
    QTest::newRow("point, elbow below") << p45 << down << QStringList{"A45", "B30", "C-60", "D-90"} << "" << "";
    QTest::newRow("point, elbow above") << p45 << up << QStringList{"A45", "B-30", "C60", "D-150"} << "" << "";
    // The opening pose holds the arm straight out: one elbow, whichever is asked for.
    QTest::newRow("full stretch, pitch chosen") << "p 21.125 0 9.75\n" << up << QStringList{"A0", "B0", "C0", "D-90"}
                                                << "" << "";
    QTest::newRow("full stretch, no elbow below") << "p 21.125 0 9.75 -\n" << down
                                                  << QStringList{"A0", "B0", "C0", "D-90"} << "" << "codo abajo";
    QTest::newRow("pitch chosen, a pause") << "p 21.125 0 9.75 - 250\n45 0 0 -90\n" << up
                                           << QStringList{"A0", "B0", "C0", "D-90", "A45@250"} << "" << "";
    // Each later pose sends only what changes, whichever way it is given.
    QTest::newRow("after an angle pose") << "45 0 0 -90 100\n" + p45 << down
                                         << QStringList{"A45", "B0", "C0", "D-90", "B30@100", "C-60"} << "" << "";
    QTest::newRow("before an angle pose") << p45 + "45 30 0 -90\n" << down
                                          << QStringList{"A45", "B30", "C-60", "D-90", "C0"} << "" << "";
    // Worked by hand: the arm straight, 60 degrees down from the shoulder, puts the wrist at
    // (9, 9.75 - 18 sin 60) and, with Q4 0, the tool 3.125 on along the pitch -150.
    QTest::newRow("point below the floor") << "# abajo\np 6.29367 0 -7.40096 -150\n" << up
                                           << QStringList{"A0", "B60", "C0", "D0"} << "" << "línea 2: Aviso: el punto";
    // The same straight arm 40 degrees down: the wrist at 9.75 - 18 sin 40 = -1.82, the tool
    // pointing up 3.125 above it.
    QTest::newRow("wrist below the floor") << "p 13.78880 0 1.30482 90\n" << up
                                           << QStringList{"A0", "B40", "C0", "D140"} << "" << "--codo abajo";

    QTest::newRow("out of reach") << "0 0 0 -90\n\n# lejos\np 30 0 0\n" << up << QStringList() << "línea 4: El punto"
                                  << "";
    QTest::newRow("pitch out of reach") << "p 21 0 9.75 90\n" << up << QStringList()
                                        << "línea 1: Con la herramienta inclinada 90" << "";
    QTest::newRow("comma for the decimals") << "p 15,5 5 12\n" << up << QStringList() << "línea 1: «15,5»" << "";
    QTest::newRow("two coordinates") << "p 15 5\n" << up << QStringList() << "hay 2 valores tras la p" << "";
    QTest::newRow("seven values") << "p 15 5 12 - 10 3\n" << up << QStringList() << "hay 6 valores tras la p" << "";
    QTest::newRow("no number for the pitch") << "p 15 5 12 x\n" << up << QStringList() << "línea 1: «x»" << "";
    QTest::newRow("not a number at all") << "p 15 nan 12\n" << up << QStringList() << "línea 1: «nan»" << "";
    QTest::newRow("negative pause") << "p 15 5 12 - -5\n" << up << QStringList() << "línea 1: «-5»" << "";
    QTest::newRow("angle line of three") << "1 2 3\n" << up << QStringList() << "línea 1: se esperaban" << "";
}

void TestScript::poseLines_sendWhatTheArmNeeds()
{
    QFETCH(QString, text);
    QFETCH(arm::Elbow, elbow);
    QFETCH(QStringList, steps);
    QFETCH(QString, error);
    QFETCH(QString, warning);
    const Script script = Script::fromPoses(text, elbow);
    QVERIFY2(error.isEmpty() ? script.error.isEmpty() : script.error.contains(error), qPrintable(script.error));
    // A wrong line sends nothing, not even the lines before it.
    QCOMPARE(shown(script), steps);
    if (warning.isEmpty()) {
        QCOMPARE(script.warnings, QStringList());
    } else {
        QCOMPARE(script.warnings.size(), 1);
        QVERIFY2(script.warnings.front().contains(warning), qPrintable(script.warnings.front()));
    }
}

void TestScript::replay_waitsAsTheRecordingCame_data()
{
    QTest::addColumn<QString>("recording");
    QTest::addColumn<double>("speed");
    QTest::addColumn<int>("maxPauseMs");   // -1: none
    QTest::addColumn<QStringList>("steps");

    const QString header = QStringLiteral("ms,origen,bytes,resultado\n");
    // Two runs appended to one file, each from its own start: the second's clock goes back.
    const QString unmarked = header + "100,serie,\"A10\",Q1=10\n250,serie,\"B20\",Q2=20\n250,serie,\"C30\",Q3=30\n"
                                      "50,serie,\"D40\",Q4=40\n80,serie,\"A11\",Q1=11\n";
    QTest::newRow("no marks") << unmarked << 1.0 << -1 << QStringList{"A10", "B20@150", "C30", "D40", "A11@30"};
    const QString marked = header + "40,inicio,\"\",2026-12-09 10:15:02\n340,tcp 127.0.0.1,\"A10\",Q1=10\n"
                                    "540,tcp 127.0.0.1,\"B20\",Q2=20\n20,inicio,\"\",2026-12-09 11:00:00\n"
                                    "1220,tcp 127.0.0.1,\"C30\",Q3=30\r\n";
    QTest::newRow("marks") << marked << 1.0 << -1 << QStringList{"A10@300", "B20@200", "C30@1200"};
    QTest::newRow("twice as fast") << marked << 2.0 << -1 << QStringList{"A10@150", "B20@100", "C30@600"};
    QTest::newRow("long pauses cut, after the speed") << marked << 2.0 << 120
                                                      << QStringList{"A10@120", "B20@100", "C30@120"};
    QTest::newRow("no pauses") << marked << 0.5 << 0 << QStringList{"A10", "B20", "C30"};
    QTest::newRow("bytes as they came") << header + "5,serie,\"A1\\x0D\\x0AB\\x22\",no es un número\n" << 1.0 << -1
                                        << QStringList{"A1\\r\\nB\""};
}

void TestScript::replay_waitsAsTheRecordingCame()
{
    QFETCH(QString, recording);
    QFETCH(double, speed);
    QFETCH(int, maxPauseMs);
    QFETCH(QStringList, steps);
    ReplayTiming timing;
    timing.speed = speed;
    if (maxPauseMs >= 0)
        timing.maxPauseMs = maxPauseMs;
    const Script script = Script::fromRecording(recording, timing);
    QCOMPARE(script.error, QString());
    QCOMPARE(shown(script), steps);
}

void TestScript::lineEnds_keepEveryMessageApartWhenReadTogether_data()
{
    QTest::addColumn<Script>("script");
    QTest::addColumn<QStringList>("steps");
    QTest::newRow("messages") << Script::fromMessages({"A45", "C-30"}) << QStringList{"A45\\r\\n", "C-30\\r\\n"};
    // Opening angles: 0 for Q1 to Q3, -90 for Q4.
    QTest::newRow("bare selectors") << Script::fromMessages({"D", "B"}) << QStringList{"D-90\\r\\n", "B0\\r\\n"};
    QTest::newRow("poses with a pause") << Script::fromPoses("0 0 0 -90 70\n10 0 0 -90\n")
                                        << QStringList{"A0\\r\\n", "B0\\r\\n", "C0\\r\\n", "D-90\\r\\n",
                                                       "A10\\r\\n@70"};
    QTest::newRow("recorded breaks kept")
        << Script::fromRecording("1,serie,\"A1\\x0D\\x0A\",Q1=1\n1,serie,\"B2\\x0A\",Q2=2\n1,serie,\"C3\\x0D\",Q3=3\n"
                                 "1,serie,\"D4\",Q4=4\n")
        << QStringList{"A1\\r\\n", "B2\\n", "C3\\r", "D4\\r\\n"};
}

void TestScript::lineEnds_keepEveryMessageApartWhenReadTogether()
{
    QFETCH(Script, script);
    QFETCH(QStringList, steps);
    const qsizetype messages = script.steps.size();
    script.endLines();
    QCOMPARE(shown(script), steps);
    // All of them read at once are still as many messages, each selecting its joint.
    QByteArray together;
    for (const Step &step : script.steps)
        together += step.bytes;
    const std::vector<std::string_view> pieces = protocol::split(std::string_view(together.constData(), together.size()));
    QCOMPARE(qsizetype(pieces.size()), messages);
    for (const std::string_view piece : pieces)
        QVERIFY(protocol::jointOf(piece) != 0);
}

void TestScript::schedule_takesTheLongerOfTheWaitAndThePause_data()
{
    QTest::addColumn<QList<int>>("waits");
    QTest::addColumn<Pacing>("pacing");
    QTest::addColumn<QList<qint64>>("due");
    // Three-byte messages; at 19200 baud 8N1 they take 30 bits / 19.2 bits a ms = 1.6 ms,
    // 2 ms rounded up.
    QTest::newRow("tcp") << QList<int>{0, 50, 0} << Pacing{10, 0} << QList<qint64>{0, 50, 60, 70};
    QTest::newRow("serial") << QList<int>{5, 50, 0} << Pacing{20, 19200} << QList<qint64>{5, 55, 77, 99};
    QTest::newRow("nothing to send") << QList<int>{} << Pacing{10, 0} << QList<qint64>{0};
}

void TestScript::schedule_takesTheLongerOfTheWaitAndThePause()
{
    QFETCH(QList<int>, waits);
    QFETCH(Pacing, pacing);
    QFETCH(QList<qint64>, due);
    Script script;
    for (const int wait : waits)
        script.steps.append({QByteArrayLiteral("A45"), wait});
    TcpClientLink link(QStringLiteral("127.0.0.1"), 1);
    const Sender sender(&link, pacing, script, QString(), QString());
    QCOMPARE(sender.schedule(), due);
}

QTEST_GUILESS_MAIN(TestScript)
#include "tst_script.moc"
