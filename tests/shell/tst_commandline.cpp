#include "commandline.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <iterator>

Q_DECLARE_METATYPE(CommandLine::Action)

namespace {

const QString kSystemFirst = QStringLiteral("/dev/primero-del-sistema");

// The environment of a start over SSH or in a text console.
QProcessEnvironment withoutDisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    return environment;
}

} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void parse_data();
    void parse();
    void program_withoutDisplay_data();
    void program_withoutDisplay();
    void program_tellsOnceOfASchoolFileThatGivesNothing();
};

void TestCommandLine::parse_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("environment");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<CommandLine::Action>("action");
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QString>("says");

    using A = CommandLine::Action;
    const QString first = kSystemFirst;
    // Serial port 1: the option, then the environment, then the user's last choice in the
    // program, then the system's first port.
    QTest::newRow("nothing: the defaults") << QStringList() << "" << "" << A::Run << first << 1007 << "" << "";
    QTest::newRow("remembered") << QStringList() << "" << "/dev/ttyACM0" << A::Run << "/dev/ttyACM0" << 1007 << ""
                                << "";
    QTest::newRow("environment over remembered") << QStringList() << "/dev/ttyUSB0" << "/dev/ttyACM0" << A::Run
                                                 << "/dev/ttyUSB0" << 1007 << "" << "";
    QTest::newRow("option over both") << QStringList{"--puerto-serie", "/tmp/p"} << "/dev/ttyUSB0" << "/dev/ttyACM0"
                                      << A::Run << "/tmp/p" << 1007 << "" << "";
    QTest::newRow("blank remembered") << QStringList() << "" << " " << A::Run << first << 1007 << "" << "";
    QTest::newRow("tcp port") << QStringList{"--puerto-tcp=5000"} << "" << "" << A::Run << first << 5000 << "" << "";
    QTest::newRow("highest port") << QStringList{"--puerto-tcp", "65535"} << "" << ""
                                  << A::Run << first << 65535 << "" << "";
    QTest::newRow("port 0") << QStringList{"--puerto-tcp", "0"} << "" << "" << A::Fail << "" << 0 << "" << "1 a 65535";
    QTest::newRow("port too high") << QStringList{"--puerto-tcp", "65536"} << "" << ""
                                   << A::Fail << "" << 0 << "" << "«65536»";
    QTest::newRow("port not a number") << QStringList{"--puerto-tcp", "mil"} << "" << ""
                                       << A::Fail << "" << 0 << "" << "«mil»";
    QTest::newRow("negative port") << QStringList{"--puerto-tcp", "-1"} << "" << "" << A::Fail << "" << 0 << ""
                                   << "«-1»";
    QTest::newRow("empty device") << QStringList{"--puerto-serie", ""} << "" << ""
                                  << A::Fail << "" << 0 << "" << "--puerto-serie";
    QTest::newRow("blank environment") << QStringList() << " " << "" << A::Fail << "" << 0 << ""
                                       << "BRAZO_SERIAL_PORT";
    QTest::newRow("unknown option") << QStringList{"--rapido"} << "" << "" << A::Fail << "" << 0 << "" << "rapido";
    QTest::newRow("stray argument") << QStringList{"A45"} << "" << "" << A::Fail << "" << 0 << "" << "A45";
    QTest::newRow("message log") << QStringList{"--registro-mensajes", "r.csv"} << "" << "" << A::Run << first << 1007
                                 << "r.csv" << "";
    QTest::newRow("empty log name") << QStringList{"--registro-mensajes", " "} << "" << "" << A::Fail << "" << 0 << ""
                                    << "--registro-mensajes";
    QTest::newRow("help") << QStringList{"--help"} << "" << "" << A::Print << "" << 0 << "" << "--puerto-tcp <N>";
    QTest::newRow("version") << QStringList{"-v"} << "" << "" << A::Print << "" << 0 << "" << "brazo";
}

void TestCommandLine::parse()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, environment);
    QFETCH(QString, remembered);
    QFETCH(CommandLine::Action, action);
    QFETCH(QString, device);
    QFETCH(int, port);
    QFETCH(QString, log);
    QFETCH(QString, says);
    const CommandLine line = CommandLine::parse(QStringList{"brazo"} + arguments, environment, remembered,
                                                [] { return kSystemFirst; });
    QCOMPARE(line.action, action);
    QVERIFY2(line.text.contains(says), qPrintable(line.text));
    if (action == CommandLine::Action::Run) {
        QCOMPARE(line.settings.serialDevice, device);
        QCOMPARE(int(line.settings.tcpPort), port);
        QCOMPARE(line.settings.messageLog, log);
    }
}

void TestCommandLine::program_withoutDisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList{"--help"} << 0 << "--puerto-tcp";
    QTest::newRow("version") << QStringList{"--version"} << 0 << "brazo " BRAZO_VERSION;
    QTest::newRow("wrong option") << QStringList{"--rapido"} << 2 << "rapido";
    QTest::newRow("a real start") << QStringList() << 1 << "No se encontró una pantalla";
}

// The real program as started over SSH or in a text console.
void TestCommandLine::program_withoutDisplay()
{
#ifndef Q_OS_LINUX
    QSKIP("a display is the X server's or Wayland's business");
#endif
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    QProcess program;
    program.setProcessEnvironment(withoutDisplay());
    program.start(QStringLiteral(BRAZO_PROGRAM), arguments);
    QVERIFY(program.waitForFinished(20000));
    const QString output = QString::fromUtf8(program.readAllStandardOutput() + program.readAllStandardError());
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), status);
    QVERIFY2(output.contains(says), qPrintable(output));
}

// Told on the standard error at start, where whoever wrote the file looks.
void TestCommandLine::program_tellsOnceOfASchoolFileThatGivesNothing()
{
#ifndef Q_OS_LINUX
    QSKIP("the user's configuration folder is named by XDG_CONFIG_HOME on Linux alone");
#endif
    QTemporaryDir home;
    const QString file = home.filePath(QStringLiteral("TorvaneElectronico/escuela.ini"));
    QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
    QFile written(file);
    QVERIFY(written.open(QIODevice::WriteOnly) && written.write("[Escuela]\nplantel = Escuela\n") > 0);
    written.close();
    QProcess program;
    QProcessEnvironment environment = withoutDisplay();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), home.filePath(QStringLiteral("sin-carpeta")));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(BRAZO_PROGRAM), {});
    QVERIFY(program.waitForFinished(20000));
    const QStringList lines = QString::fromUtf8(program.readAllStandardError()).split(QLatin1Char('\n'));
    QStringList told;
    std::copy_if(lines.cbegin(), lines.cend(), std::back_inserter(told),
                 [&](const QString &line) { return line.contains(file); });
    QCOMPARE(told.size(), 1);
    QVERIFY2(told.first().startsWith(QStringLiteral("brazo: ")), qPrintable(told.first()));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
