// The real program under a real X server, driven as a person would: the menu opened with
// its access keys, a joint message written by the machine at the other end of the line,
// and the screen read back.
#include "ptypair.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <functional>
#include <optional>

namespace {

QString run(const QStringList &command)
{
    QProcess process;
    process.start(command.first(), command.mid(1));
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

// Asks until done or fifteen seconds have gone.
bool poll(const std::function<bool()> &done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 15000)
            return false;
        QThread::msleep(300);
    }
    return true;
}

QImage screenshot(const QString &file)
{
    run({"import", "-window", "root", file});
    return QImage(file).convertToFormat(QImage::Format_RGB32);
}

// The top-left pixel of the first white 277 x 189 area from the top left: the drawing
// area of the top view, which stands left of the side view at the same height.
std::optional<QPoint> topViewOrigin(const QImage &screen)
{
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 1; y + 188 < screen.height(); ++y) {
        for (int x = 1; x + 276 < screen.width(); ++x) {
            if (screen.pixel(x, y) == white && screen.pixel(x + 276, y) == white
                && screen.pixel(x, y + 188) == white && screen.pixel(x + 276, y + 188) == white
                && screen.pixel(x + 138, y + 94) == white && screen.pixel(x - 1, y) != white
                && screen.pixel(x, y - 1) != white)
                return QPoint(x, y);
        }
    }
    return std::nullopt;
}

// The program started as from the desktop menu, with folders of its own: no port named on
// its command line or in the environment unless given.
struct Program
{
    Program(const QString &folder, const QStringList &arguments, bool countPaints = false)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Qt says on the standard error each time it paints a window.
        if (countPaints)
            env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.widgets.painting.info=true"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("XDG_DATA_HOME"), folder + QStringLiteral("/datos"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/configuracion"));
        env.remove(QStringLiteral("BRAZO_SERIAL_PORT"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::ForwardedChannels);
        // A file, which never fills up and stops the program as a pipe would.
        if (countPaints) {
            process.setProcessChannelMode(QProcess::SeparateChannels);
            process.setStandardErrorFile(folder + QStringLiteral("/pintura.txt"));
        }
        process.start(QStringLiteral(BRAZO_PROGRAM), arguments);
        poll([this] {
            window = run({"xdotool", "search", "--pid", QString::number(process.processId()), "--name", "^MDIForm1$"})
                         .section(QLatin1Char('\n'), 0, 0);
            return !window.isEmpty();
        });
    }
    ~Program()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
    void keys(const QString &keys) const
    {
        run({"xdotool", "windowfocus", "--sync", window});
        run(QStringList{"xdotool", "key", "--delay", "400"} + keys.split(QLatin1Char(' ')));
    }

    QProcess process;
    QString window;
};

bool fileHolds(const QString &file, const QByteArray &text)
{
    return poll([&] {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) && f.readAll().contains(text);
    });
}

} // namespace

class TestEndToEndSerial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void portChosenInTheProgram_usedAgainAtTheNextStart_aBurstPaintedOnceAFrame();
};

void TestEndToEndSerial::initTestCase()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        QSKIP("needs an X server (run under xvfb-run)");
}

void TestEndToEndSerial::portChosenInTheProgram_usedAgainAtTheNextStart_aBurstPaintedOnceAFrame()
{
    PtyPair pty;
    QVERIFY(pty.start());
    QTemporaryDir folder;
    const QString first = folder.filePath(QStringLiteral("primera.csv"));
    {
        // The machine's own first port is of no use here: one that does not exist is given.
        Program program(folder.path(), {"--puerto-serie", "/nonexistent/tty", "--registro-mensajes", first});
        QVERIFY(!program.window.isEmpty());
        // "&Controlar desde..." and "&Maquina Serial"; in the box that says the port is
        // missing, Tab to "Elegir puerto…" and press it; the device typed into the chooser
        // and taken with Return.
        program.keys(QStringLiteral("alt+c m"));
        QString box;
        QVERIFY2(poll([&box] {
                     box = run({"xdotool", "search", "--name", "^Torvane Electronico$"}).section(QLatin1Char('\n'), 0, 0);
                     return !box.isEmpty();
                 }),
                 "no box said the port is missing");
        run({"xdotool", "windowfocus", "--sync", box});
        run({"xdotool", "key", "--delay", "400", "Tab", "space"});
        QTest::qWait(500);
        run({"xdotool", "windowfocus", "--sync", program.window});
        run({"xdotool", "type", "--delay", "20", pty.devicePath()});
        program.keys(QStringLiteral("Return"));
        QVERIFY(pty.writePeer("A45"));
        QVERIFY2(fileHolds(first, "\"A45\",Q1=45"), "the chosen port did not move the arm");
    }
    // Started again without a port: the one chosen last time.
    const QString second = folder.filePath(QStringLiteral("segunda.csv"));
    Program program(folder.path(), {"--registro-mensajes", second}, true);
    QVERIFY(!program.window.isEmpty());
    program.keys(QStringLiteral("alt+c m"));
    const QString shot = folder.filePath(QStringLiteral("pantalla.png"));
    std::optional<QPoint> origin;
    QVERIFY2(poll([&] { return bool(origin = topViewOrigin(screenshot(shot))); }),
             "the serial simulator window did not appear");
    const auto paintsSoFar = [&folder] {
        QFile said(folder.filePath(QStringLiteral("pintura.txt")));
        return said.open(QIODevice::ReadOnly) ? int(said.readAll().count("Syncing dirty widgets")) : -1;
    };
    const int paintsBefore = paintsSoFar();

    // Two hundred messages a millisecond apart, each read alone by its line break, the last
    // one Q1 = 45; the screen shows it the frame after, however many came before. Four pixels
    // a unit: the centre (34.625, 23.625) and, for Q1 = 45, the tool at about (49.56, 8.69):
    // a segment up and to the right at 45 degrees, and nothing left of the arms before.
    QElapsedTimer burst;
    burst.start();
    for (int i = 0; i < 199; ++i) {
        QVERIFY(pty.writePeer("A" + QByteArray::number(i % 90 - 45) + "\n"));
        QThread::msleep(1);
    }
    QVERIFY(pty.writePeer("A45\n"));
    const QRgb black = qRgb(0, 0, 0);
    QImage screen;
    poll([&] { return (screen = screenshot(shot)).pixel(*origin + QPoint(193, 40)) == black; });
    QCOMPARE(screen.pixel(*origin + QPoint(168, 65)), black);
    QCOMPARE(screen.pixel(*origin + QPoint(193, 40)), black);
    QCOMPARE(screen.pixel(*origin + QPoint(215, 94)), qRgb(255, 255, 255));
    const double frames = burst.elapsed() / (1000.0 / 60.0);
    const int paints = paintsSoFar() - paintsBefore;
    QVERIFY2(paints >= 1 && paints <= frames + 3, qPrintable(QStringLiteral("%1 paints in %2 frames").arg(paints).arg(frames)));
    QVERIFY2(fileHolds(second, "\"A45\\x0A\",Q1=45"), "the port chosen last time was not opened");

    // "&Ver" then "&Registro de Usuarios": the registry's file is in the program's own data
    // folder.
    program.keys(QStringLiteral("alt+v r"));
    const QString registry = folder.filePath(QStringLiteral("datos/TorvaneElectronico/TorvaneElectronico.db"));
    QVERIFY2(poll([&registry] { return QFileInfo::exists(registry); }), qPrintable(registry));
}

QTEST_GUILESS_MAIN(TestEndToEndSerial)
#include "tst_e2e.moc"
