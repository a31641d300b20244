// brazo-enviar as a real child process, sending to a real simulator window of this process
// over loopback TCP and a pseudo-terminal.
#include "armpanel.h"
#include "forms.h"
#include "frmbrazo.h"
#include "frminternetservidor.h"
#include "messagerecorder.h"
#include "ptypair.h"
#include "serialportchoice.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

using namespace Forms;

namespace {

struct Run
{
    int status = -1;
    QString error;
    QString output;
};

// The sender's standard input is closed after input; this process's event loop turns
// meanwhile, so the simulator reads while the sender writes.
Run send(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    QProcess sender;
    QSignalSpy done(&sender, &QProcess::finished);
    sender.start(QStringLiteral(BRAZO_ENVIAR), arguments);
    sender.write(input);
    sender.closeWriteChannel();
    if (!done.wait(30000))
        return {};
    return {sender.exitCode(), QString::fromUtf8(sender.readAllStandardError()),
            QString::fromUtf8(sender.readAllStandardOutput())};
}

// One simulator window at its opening pose, recording into a file, and the sender's
// arguments that reach it.
struct Simulator
{
    Simulator(bool serial, const QString &log)
    {
        recorder.open(log);
        if (serial && pty.start()) {
            port = std::make_unique<SerialPortChoice>(pty.devicePath());
            show(new frmBrazo(port.get(), &frame.area));
        } else {
            show(new frmInternetServidor(kAnyPort, &frame.area));
        }
        link = serial ? QStringList{"--serie", pty.peerPath()}
                      : QStringList{"--tcp", QStringLiteral("127.0.0.1:%1").arg(shownPort(window))};
        // More than the default: on a busy machine this process, which plays the simulator,
        // may wait that long for its turn to read.
        link << "--intervalo" << "40";
    }
    template <typename Form>
    void show(Form *form)
    {
        form->setRecorder(&recorder);
        form->showIn(&frame.area);
        window = form;
    }
    QStringList readouts() const { return Forms::readouts(window); }

    PtyPair pty;
    std::unique_ptr<SerialPortChoice> port;
    MessageRecorder recorder;
    Frame frame;
    MdiForm *window = nullptr;
    QStringList link;
};

// The rows of a recording, without the header, the marks of its starts and the time.
QStringList receives(const QString &log)
{
    QFile file(log);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList rows = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(1);
    for (QString &row : rows)
        row = row.section(QLatin1Char(','), 1);
    rows.removeIf([](const QString &row) { return row.startsWith(QLatin1String("inicio,")); });
    return rows;
}

} // namespace

class TestBrazoEnviar : public QObject
{
    Q_OBJECT

private slots:
    void poses_moveTheArmMessageByMessage_andTheirRecordingReplays_data();
    void poses_moveTheArmMessageByMessage_andTheirRecordingReplays();
    void position_putsTheToolWithinTheErrorItPrints();
    void wrongInputOrLink_saysWhatAndWhere_data();
    void wrongInputOrLink_saysWhatAndWhere();
};

void TestBrazoEnviar::poses_moveTheArmMessageByMessage_andTheirRecordingReplays_data()
{
    QTest::addColumn<bool>("serial");
    QTest::addColumn<QString>("source");
    QTest::newRow("tcp") << false << "tcp 127.0.0.1";
    QTest::newRow("serie") << true << "serie";
}

void TestBrazoEnviar::poses_moveTheArmMessageByMessage_andTheirRecordingReplays()
{
    QFETCH(bool, serial);
    QFETCH(QString, source);
    const QStringList finalReadouts = {"15.754", "05.119", "20.958"};
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("registro.csv"));
    {
        Simulator simulator(serial, log);
        QSignalSpy updates(simulator.window->findChild<ArmPanel *>(), &ArmPanel::armUpdated);
        // No pause of the sender's own: the simulator reads several messages at once, and
        // the line ends keep them apart.
        const Run run = send(simulator.link << "--intervalo" << "0" << "--fin-de-linea" << "--poses" << "-",
                             "# the first pose sends all four\n10 0 0 -90 100\n\n18 -18 -38 -52  # all four\n");
        QVERIFY2(run.status == 0, qPrintable(run.error));
        QVERIFY2(!run.error.contains("Aviso"), qPrintable(run.error));
        QTRY_COMPARE(simulator.readouts(), finalReadouts);
        // One update per message, none of them lost in another: each text, its line end
        // included, differs from the entry's.
        QCOMPARE(updates.count(), 8);
    }
    const QString from = source + QStringLiteral(",\"");
    QCOMPARE(receives(log), (QStringList{from + "A10\\x0D\\x0A\",Q1=10", from + "B0\\x0D\\x0A\",Q2=0",
                                          from + "C0\\x0D\\x0A\",Q3=0", from + "D-90\\x0D\\x0A\",Q4=-90",
                                          from + "A18\\x0D\\x0A\",Q1=18", from + "B-18\\x0D\\x0A\",Q2=-18",
                                          from + "C-38\\x0D\\x0A\",Q3=-38", from + "D-52\\x0D\\x0A\",Q4=-52"}));

    Simulator again(serial, dir.filePath(QStringLiteral("otra.csv")));
    const Run replay = send(again.link << "--reproducir" << log << "--velocidad" << "3");
    QVERIFY2(replay.status == 0, qPrintable(replay.error));
    QTRY_COMPARE(again.readouts(), finalReadouts);
}

void TestBrazoEnviar::position_putsTheToolWithinTheErrorItPrints()
{
    QTemporaryDir dir;
    Simulator simulator(false, dir.filePath(QStringLiteral("registro.csv")));
    const Run run = send(simulator.link << "--posicion" << "15,5,12");
    QVERIFY2(run.status == 0, qPrintable(run.error));
    static const QRegularExpression summary(
        QStringLiteral("^Q1 (-?\\d+), Q2 (-?\\d+), Q3 (-?\\d+), Q4 (-?\\d+) \\(cabeceo (-?[\\d.]+)°, error ([\\d.]+)\\)\n$"));
    const QRegularExpressionMatch match = summary.match(run.output);
    QVERIFY2(match.hasMatch(), qPrintable(run.output));
    // The four joints went, and the entries hold what was printed.
    const QStringList angles = {match.captured(1), match.captured(2), match.captured(3), match.captured(4)};
    QTRY_COMPARE((QStringList{text(simulator.window, "txtQ1"), text(simulator.window, "txtQ2"),
                              text(simulator.window, "txtQ3"), text(simulator.window, "txtQ4")}),
                 angles);
    // The readouts round to 0.0005 on each axis.
    const double error = match.captured(6).toDouble();
    const QStringList readouts = simulator.readouts();
    const double away = std::hypot(readouts[0].toDouble() - 15, readouts[1].toDouble() - 5, readouts[2].toDouble() - 12);
    QVERIFY2(away <= error + 0.0009, qPrintable(readouts.join(' ') + " error " + match.captured(6)));
}

void TestBrazoEnviar::wrongInputOrLink_saysWhatAndWhere_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");

    // There is no host "h": these rows show that a file is read whole, or a position
    // solved, before the link is opened. %1: a server that hangs up at once.
    const QStringList poses = {"--tcp", "h", "--poses", "-"};
    const QStringList replay = {"--tcp", "h", "--reproducir", "-"};
    QTest::newRow("no link") << QStringList{"A45"} << QByteArray() << 2 << "--tcp";
    QTest::newRow("port out of range") << QStringList{"--tcp", "h:70000", "A1"} << QByteArray() << 2 << "«h:70000»";
    QTest::newRow("no joint") << QStringList{"--tcp", "h", "A1", "X1"} << QByteArray() << 2 << "«X1»";
    QTest::newRow("no whole angle") << QStringList{"--tcp", "h", "A4O"} << QByteArray() << 2 << "«A4O»";
    QTest::newRow("not a serial device") << QStringList{"--serie", "/dev/null", "A1"} << QByteArray() << 1
                                         << "no es un puerto serie";
    QTest::newRow("no interval") << QStringList{"--tcp", "127.0.0.1:1", "--intervalo", "0", "A1"} << QByteArray() << 1
                                 << "--intervalo 0";
    QTest::newRow("no such file") << QStringList{"--tcp", "h", "--poses", "/no/p"} << QByteArray() << 2 << "/no/p";
    QTest::newRow("word for an angle") << poses << QByteArray("0 0 0 -90\n# c\n1 2 x 4\n") << 2 << "línea 3: «x»";
    QTest::newRow("negative pause") << poses << QByteArray("1 2 3 4 -5\n") << 2 << "línea 1: «-5»";
    QTest::newRow("position out of reach") << QStringList{"--tcp", "h", "--posicion", "30,0,0"} << QByteArray() << 2
                                           << "El punto está a 31.545 del hombro";
    QTest::newRow("not a row") << replay << QByteArray("ms,origen,bytes,resultado\nA45\n") << 2 << "línea 2";
    QTest::newRow("no device") << QStringList{"--serie", "/no/tty", "A1"} << QByteArray() << 1 << "/no/tty";
    QTest::newRow("hung up") << QStringList{"--tcp", "127.0.0.1:%1", "--intervalo", "300", "A1", "A2", "A3"}
                             << QByteArray() << 1 << "127.0.0.1:%1";
}

void TestBrazoEnviar::wrongInputOrLink_saysWhatAndWhere()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, status);
    QFETCH(QString, says);
    QTcpServer hangsUp;
    QVERIFY(hangsUp.listen(QHostAddress::LocalHost));
    connect(&hangsUp, &QTcpServer::newConnection, &hangsUp, [&hangsUp] { delete hangsUp.nextPendingConnection(); });
    const QString port = QString::number(hangsUp.serverPort());
    const Run run = send(arguments.replaceInStrings("%1", port), input);
    QCOMPARE(run.status, status);
    QVERIFY2(run.error.contains(says.replace("%1", port)), qPrintable(run.error));
}

QTEST_MAIN(TestBrazoEnviar)
#include "tst_brazoenviar.moc"
