// brazo-enviar's command line for a tool position: what it takes, and what it refuses with
// which words.
#include "senderoptions.h"

#include <QTest>

Q_DECLARE_METATYPE(arm::Elbow)

using Action = CommandLineOutcome::Action;

class TestSenderOptions : public QObject
{
    Q_OBJECT

private slots:
    void position_takesAPointOrSaysWhatIsWrong_data();
    void position_takesAPointOrSaysWhatIsWrong();
};

void TestSenderOptions::position_takesAPointOrSaysWhatIsWrong_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("error");          // a part of it; empty when taken
    QTest::addColumn<QList<double>>("point");    // x, y, z and the pitch when given
    QTest::addColumn<arm::Elbow>("elbow");
    const arm::Elbow up = arm::Elbow::Up, down = arm::Elbow::Down;
    const QStringList tcp = {"brazo-enviar", "--tcp", "127.0.0.1"};

    QTest::newRow("point") << tcp + QStringList{"--posicion", "15,5,12"} << "" << QList<double>{15, 5, 12} << up;
    QTest::newRow("pitch, decimals, elbow below")
        << tcp + QStringList{"--posicion", "-12.5,0.25,3e1,-30", "--codo", "abajo"} << "" << QList<double>{-12.5, 0.25, 30, -30}
        << down;
    QTest::newRow("elbow above said") << tcp + QStringList{"--codo", "arriba", "--posicion", "1,2,3"} << ""
                                      << QList<double>{1, 2, 3} << up;
    QTest::newRow("elbow for a pose file") << tcp + QStringList{"--poses", "-", "--codo", "abajo"} << "" << QList<double>{}
                                           << down;

    const QList<double> none;
    QTest::newRow("two numbers") << tcp + QStringList{"--posicion", "15,5"} << "«15,5»" << none << up;
    QTest::newRow("five numbers") << tcp + QStringList{"--posicion", "1,2,3,4,5"} << "«1,2,3,4,5»" << none << up;
    QTest::newRow("a word") << tcp + QStringList{"--posicion", "15,cinco,12"} << "«15,cinco,12»" << none << up;
    QTest::newRow("an empty number") << tcp + QStringList{"--posicion", "15,,12"} << "«15,,12»" << none << up;
    QTest::newRow("a trailing comma") << tcp + QStringList{"--posicion", "15,5,12,"} << "«15,5,12,»" << none << up;
    QTest::newRow("not finite") << tcp + QStringList{"--posicion", "inf,0,0"} << "«inf,0,0»" << none << up;
    QTest::newRow("no value") << tcp + QStringList{"--posicion"} << "posicion" << none << up;
    QTest::newRow("another elbow") << tcp + QStringList{"--posicion", "1,2,3", "--codo", "izquierda"} << "«izquierda»"
                                   << none << up;
    QTest::newRow("elbow in English") << tcp + QStringList{"--posicion", "1,2,3", "--codo", "up"} << "arriba o abajo"
                                      << none << up;
    QTest::newRow("elbow for messages") << tcp + QStringList{"--codo", "abajo", "A45"}
                                        << "--codo solo vale con --posicion o --poses" << none << up;
    QTest::newRow("elbow for a replay") << tcp + QStringList{"--codo", "abajo", "--reproducir", "r.csv"}
                                        << "--codo solo vale" << none << up;
    QTest::newRow("position and messages") << tcp + QStringList{"--posicion", "1,2,3", "A45"} << "solo una cosa"
                                           << none << up;
    QTest::newRow("position and poses") << tcp + QStringList{"--posicion", "1,2,3", "--poses", "-"} << "solo una cosa"
                                        << none << up;
    QTest::newRow("speed for a position") << tcp + QStringList{"--posicion", "1,2,3", "--velocidad", "2"}
                                          << "--velocidad solo vale con --reproducir" << none << up;
    QTest::newRow("longest pause for a position") << tcp + QStringList{"--posicion", "1,2,3", "--pausa-maxima", "5"}
                                                  << "--pausa-maxima solo vale con --reproducir" << none << up;
    QTest::newRow("negative longest pause") << tcp + QStringList{"--reproducir", "r.csv", "--pausa-maxima", "-1"}
                                            << "«-1»" << none << up;
}

void TestSenderOptions::position_takesAPointOrSaysWhatIsWrong()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, error);
    QFETCH(QList<double>, point);
    QFETCH(arm::Elbow, elbow);
    const SenderOptions options = SenderOptions::parse(arguments);
    if (!error.isEmpty()) {
        QCOMPARE(options.action, Action::Fail);
        QVERIFY2(options.text.contains(error), qPrintable(options.text));
        QVERIFY2(options.text.contains("--help"), qPrintable(options.text));
        return;
    }
    QCOMPARE(options.action, Action::Run);
    QCOMPARE(options.elbow, elbow);
    if (point.isEmpty())
        return;
    QCOMPARE(options.source, SenderOptions::Source::Position);
    QCOMPARE(options.position.x, point[0]);
    QCOMPARE(options.position.y, point[1]);
    QCOMPARE(options.position.z, point[2]);
    QCOMPARE(options.pitchDeg.has_value(), point.size() == 4);
    if (options.pitchDeg)
        QCOMPARE(*options.pitchDeg, point[3]);
}

QTEST_APPLESS_MAIN(TestSenderOptions)
#include "tst_senderoptions.moc"
