#include "application.h"
#include "empleadosdb.h"
#include "forms.h"
#include "mdiprincipal.h"
#include "messageboxcatcher.h"
#include "sqlitefile.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QLabel>
#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>

using namespace Forms;

namespace {

// The test's own data folder, handed to the child processes too.
const char *const kDataFolder = "BRAZO_PRUEBA_DATOS";

QString databasePath()
{
    return qEnvironmentVariable(kDataFolder) + QStringLiteral("/TorvaneElectronico/TorvaneElectronico.db");
}

// A device that does not exist, a port the system chooses and a database of the test's.
Settings settings()
{
    Settings s;
    s.serialDevice = kMissingDevice;
    s.tcpPort = kAnyPort;
    s.registryPath = databasePath();
    return s;
}

void trigger(const MDIPrincipal &frame, const char *entry)
{
    frame.findChild<QAction *>(QLatin1String(entry))->trigger();
}

// The commands that open the six child windows.
void openAll(const MDIPrincipal &frame)
{
    for (const char *command : {"mnuControlar_MaquinaSerial", "mnuControlar_Internet", "mnuVer_Comunicacion_MaquinaSeral",
                                "mnuVer_Comunicacion_Internet", "mnuVer_RegistroUsuarios", "mnuAyuda_Simulador"})
        trigger(frame, command);
}

QList<QMdiSubWindow *> subWindows(const MDIPrincipal &frame)
{
    return frame.findChild<QMdiArea *>()->subWindowList();
}

// The controls a user works with: they take the focus (the record navigator's buttons do
// not). The guide's pictures take it only to explain themselves, and touch as designed.
bool isInput(const QWidget *widget)
{
    if (widget->inherits("ImageControl"))
        return false;
    return widget->focusPolicy() != Qt::NoFocus || widget->objectName() == QLatin1String("datEmpleados");
}

QString captionOf(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->wordWrap() ? QString() : label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return QString(button->text()).remove(QLatin1Char('&'));
    return QString();
}

// What a child process of this test does, and the identifier of the record it types.
const char *const kChildMode = "BRAZO_PRUEBA_HIJO";

// A child process of this test: the network simulator open and recording, a client
// connected to it, and a registry record typed. Then "&Salir", or it tells its port on the
// standard output and waits to be stopped. It returns only if the program did not end.
int runChild(const QString &mode, const QString &identifier)
{
    Settings recorded = settings();
    recorded.messageLog = qEnvironmentVariable(kDataFolder) + QStringLiteral("/mensajes.csv");
    MDIPrincipal frame(recorded);
    frame.show();
    trigger(frame, "mnuControlar_Internet");
    const quint16 port = shownPort(frame.findChild<QWidget *>(QStringLiteral("frmInternetServidor")));
    trigger(frame, "mnuVer_RegistroUsuarios");
    auto *registry = frame.findChild<QWidget *>(QStringLiteral("frmRegistros"));
    control<QPushButton>(registry, "cmdagregar")->click();
    control<QLineEdit>(registry, "txtidEmpleado")->setText(identifier);
    control<QLineEdit>(registry, "txtnombreEmpleado")->setText(QStringLiteral("Ana"));
    if (mode == QLatin1String("salir")) {
        auto client = connectTo(port);
        trigger(frame, "mnuSalir");
        return client ? 3 : 4;
    }
    std::printf("%u\n", unsigned(port));
    std::fflush(stdout);
    QApplication::exec();
    return 5;
}

// This test's program again, as a child that does what the mode says.
void startChild(QProcess &child, const QString &mode, const QString &identifier)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kChildMode), mode + QLatin1Char(' ') + identifier);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
}

} // namespace

class TestMdiPrincipal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commands_openOneInstanceEach_reopenedLoadsAgain();
    void everyWindow_controlsInPlaceNamedAndReachedByTab();
    void frameClose_runsTheChildrenClosingSteps();
    void restoredFrame_hasItsDesignedClientArea();
    void salirOrAStopSignal_endsAtOnceKeepingTheRegistrysRecord_data();
    void salirOrAStopSignal_endsAtOnceKeepingTheRegistrysRecord();
    void recordingThatCannotBeWritten_isToldInTheWindow();
    void schoolBoxes_showTheSettingsTexts();

private:
    std::unique_ptr<QTemporaryDir> m_data;
};

void TestMdiPrincipal::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    qputenv(kDataFolder, QFile::encodeName(m_data->path()));
}

void TestMdiPrincipal::commands_openOneInstanceEach_reopenedLoadsAgain()
{
    MDIPrincipal frame(settings());
    frame.show();
    openAll(frame);
    openAll(frame);
    QCOMPARE(subWindows(frame).size(), 6);
    QCOMPARE(frame.findChild<QMdiArea *>()->activeSubWindow()->widget()->objectName(),
             QStringLiteral("frmAyudaSimulador"));
    // The frame shows the program's icon; a child window without one of its own does not.
    auto image = [](const QIcon &icon) { return icon.pixmap(16).toImage(); };
    QVERIFY(!frame.windowIcon().isNull());
    QCOMPARE(image(frame.windowIcon()), image(QApplication::windowIcon()));
    QVERIFY(image(subWindows(frame).first()->windowIcon()) != image(QApplication::windowIcon()));

    auto *simulator = frame.findChild<QWidget *>(QStringLiteral("frmBrazo"));
    control<QLineEdit>(simulator, "txtQ1")->setText(QStringLiteral("45"));
    subWindows(frame).first()->close();
    trigger(frame, "mnuControlar_MaquinaSerial");
    QCOMPARE(frame.findChild<QWidget *>(QStringLiteral("frmBrazo")), simulator);
    QCOMPARE(text(simulator, "txtQ1"), QStringLiteral("0"));
    QCOMPARE(subWindows(frame).size(), 6);
}

// Every window and its controls, whatever their design: a name for each window, the
// controls inside the client area, no input over another, every caption readable whole, a
// name for a screen reader to say, and each focusable control visited once by Tab.
void TestMdiPrincipal::everyWindow_controlsInPlaceNamedAndReachedByTab()
{
    MessageBoxCatcher boxes;  // the serial windows find no port
    MDIPrincipal frame(settings());
    frame.show();
    openAll(frame);
    QTRY_COMPARE(boxes.boxes().size(), 2);
    frame.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&frame));
    const QList<QMdiSubWindow *> windows = subWindows(frame);
    QCOMPARE(windows.size(), 6);
    QStringList windowNames;
    for (QMdiSubWindow *window : windows) {
        frame.findChild<QMdiArea *>()->setActiveSubWindow(window);
        // A name of its own for each window, which says the caption it shows too.
        const QString windowName = QAccessible::queryAccessibleInterface(window)->text(QAccessible::Name);
        QVERIFY2(!windowNames.contains(windowName) && windowName.startsWith(window->windowTitle()), qPrintable(windowName));
        windowNames << windowName;
        const QWidget *surface = control(window->widget(), "surface");
        const QList<QWidget *> controls = surface->findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
        QList<QWidget *> inputs;
        for (QWidget *widget : controls) {
            const QString name = widget->objectName();
            QVERIFY2(surface->rect().contains(widget->geometry()), qPrintable(name));
            QVERIFY2(!QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name).isEmpty(), qPrintable(name));
            const QString caption = captionOf(widget);
            if (!caption.isEmpty()) {
                const QFontMetrics metrics = widget->fontMetrics();
                const QRect room = widget->contentsRect();
                QVERIFY2(metrics.horizontalAdvance(caption) <= room.width() && metrics.height() <= room.height(),
                         qPrintable(QStringLiteral("%1: %2 in %3 x %4").arg(name, caption).arg(room.width()).arg(room.height())));
            }
            if (!isInput(widget))
                continue;
            for (const QWidget *other : std::as_const(inputs))
                QVERIFY2(!widget->geometry().intersects(other->geometry()), qPrintable(name + " / " + other->objectName()));
            inputs << widget;
        }

        QList<QWidget *> focusable;
        for (QWidget *widget : surface->findChildren<QWidget *>())
            if (widget->focusPolicy() & Qt::TabFocus)
                focusable << widget;
        focusable.first()->setFocus();
        QWidget *start = QApplication::focusWidget();
        QList<QWidget *> visited;
        for (int i = 0; i < focusable.size(); ++i) {
            visited << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(QApplication::focusWidget(), start);
        for (QWidget *widget : std::as_const(focusable))
            QVERIFY2(visited.count(widget) == 1, qPrintable(widget->objectName()));
    }
}

void TestMdiPrincipal::frameClose_runsTheChildrenClosingSteps()
{
    MDIPrincipal frame(settings());
    frame.show();
    trigger(frame, "mnuVer_Comunicacion_Internet");
    auto *window = frame.findChild<QWidget *>(QStringLiteral("frmServidor"));
    const quint16 port = shownPort(window);
    auto client = connectTo(port);
    QVERIFY(client);
    // Served: the window logged it.
    QTRY_COMPARE_WITH_TIMEOUT(control<QListWidget>(window, "lstDatos")->count(), 2, kWaitMs);
    QVERIFY(frame.close());
    QTRY_COMPARE_WITH_TIMEOUT(client->state(), QAbstractSocket::UnconnectedState, kWaitMs);
    QVERIFY(!connectTo(port));
}

void TestMdiPrincipal::restoredFrame_hasItsDesignedClientArea()
{
    MDIPrincipal frame(settings());
    frame.showAtStart();
    QVERIFY(QTest::qWaitForWindowExposed(&frame));
    QVERIFY(frame.isMaximized());
    frame.showNormal();
    // The guide was designed with the frame's own client area: restored, the frame holds
    // it exactly.
    trigger(frame, "mnuAyuda_Simulador");
    const QWidget *guide = frame.findChild<QWidget *>(QStringLiteral("frmAyudaSimulador"));
    QTRY_COMPARE_WITH_TIMEOUT(frame.findChild<QMdiArea *>()->size(), guide->sizeHint(), kWaitMs);
}

void TestMdiPrincipal::salirOrAStopSignal_endsAtOnceKeepingTheRegistrysRecord_data()
{
    QTest::addColumn<int>("signal");  // 0: "&Salir"
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<bool>("written");
    QTest::newRow("Salir, written to the database") << 0 << "E77" << true;
    QTest::newRow("Salir, refused, kept beside it") << 0 << "A1" << false;
#ifdef Q_OS_UNIX
    QTest::newRow("Ctrl+C") << SIGINT << "E77" << true;
    QTest::newRow("kill") << SIGTERM << "E77" << true;
    QTest::newRow("logout") << SIGHUP << "E77" << true;
#endif
}

void TestMdiPrincipal::salirOrAStopSignal_endsAtOnceKeepingTheRegistrysRecord()
{
    QFETCH(int, signal);
    QFETCH(QString, identifier);
    QFETCH(bool, written);
    const QString database = databasePath();
    QVERIFY(SqliteFile::create(database, SqliteFile::kEmpleados, {{"A1", "Primera"}}));
    QProcess child;
    startChild(child, signal ? QStringLiteral("senal") : QStringLiteral("salir"), identifier);
#ifdef Q_OS_UNIX
    if (signal) {
        QVERIFY(child.waitForReadyRead(20000));
        auto client = connectTo(quint16(child.readLine().trimmed().toUInt()));
        QVERIFY(client);
        QVERIFY(client->write("A21") == 3 && client->waitForBytesWritten(kWaitMs));
        // The row is on disk with its message, whatever ends the program next.
        const QString recording = m_data->filePath(QStringLiteral("mensajes.csv"));
        QVERIFY(QTest::qWaitFor([&] { return SqliteFile::fileBytes(recording).contains("\"A21\",Q1=21"); }, kWaitMs));
        ::kill(pid_t(child.processId()), signal);
    }
#endif
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const SqliteFile::Rows rows =
        SqliteFile::readRows(database, QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados WHERE Nombre = 'Ana'"));
    QCOMPARE(rows, written ? SqliteFile::Rows({{identifier, "Ana"}}) : SqliteFile::Rows());
    QCOMPARE(EmpleadosDb(database).keptRecord().has_value(), !written);
}

void TestMdiPrincipal::recordingThatCannotBeWritten_isToldInTheWindow()
{
    MessageBoxCatcher boxes;
    Settings recorded = settings();
    // A folder where the file should be.
    recorded.messageLog = m_data->path();
    MDIPrincipal frame(recorded);
    frame.show();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    const QString said = boxes.boxes().first().text;
    QVERIFY2(said.contains(QDir::toNativeSeparators(m_data->path())), qPrintable(said));
#ifdef Q_OS_UNIX
    QVERIFY2(said.contains(QStringLiteral("carpeta")), qPrintable(said));
#endif
    // Told once; the simulators go on without recording.
    trigger(frame, "mnuControlar_Internet");
    auto client = connectTo(shownPort(frame.findChild<QWidget *>(QStringLiteral("frmInternetServidor"))));
    QVERIFY(client);
    QVERIFY(client->write("A45") == 3 && client->waitForBytesWritten(kWaitMs));
    QTRY_COMPARE(text(frame.findChild<QWidget *>(QStringLiteral("frmInternetServidor")), "txtQ1"), QStringLiteral("45"));
    QCOMPARE(boxes.boxes().size(), 1);
}

void TestMdiPrincipal::schoolBoxes_showTheSettingsTexts()
{
    MessageBoxCatcher boxes;
    Settings school = settings();
    school.schoolTexts = {QStringLiteral("Escuela Técnica N.º 3"), QStringLiteral("Ing. Laura Gómez"),
                          {QStringLiteral("Ana Pérez"), QStringLiteral("Luis Ortega"), QStringLiteral("Marta Ríos")}};
    MDIPrincipal frame(school);
    frame.show();
    for (const char *entry : {"mnuAyuda_Informacion_Plantel", "mnuAyuda_Informacion_Profesor",
                              "mnuayuda_Informacion_Integrantes"})
        trigger(frame, entry);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 3, kWaitMs);
    QCOMPARE(boxes.boxes().at(0).text, QStringLiteral("Escuela Técnica N.º 3"));
    QCOMPARE(boxes.boxes().at(1).text, QStringLiteral("Ing. Laura Gómez"));
    QCOMPARE(boxes.boxes().at(2).text, QStringLiteral("Ana Pérez\r\nLuis Ortega\r\nMarta Ríos"));
    QCOMPARE(boxes.boxes().at(2).title, QStringLiteral("Integrantes"));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Application::setUp(app);
    if (qEnvironmentVariableIsSet(kChildMode)) {
        const QStringList child = qEnvironmentVariable(kChildMode).split(QLatin1Char(' '));
        return runChild(child.first(), child.value(1));
    }
    TestMdiPrincipal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mdiprincipal.moc"
