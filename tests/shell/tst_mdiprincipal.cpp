#include "application.h"
#include "empleadosdb.h"
#include "forms.h"
#include "mdiprincipal.h"
#include "sqlitefile.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Forms;

namespace {

void trigger(const MDIPrincipal &frame, const char *entry)
{
    frame.findChild<QAction *>(QLatin1String(entry))->trigger();
}

QList<QMdiSubWindow *> subWindows(const MDIPrincipal &frame)
{
    return frame.findChild<QMdiArea *>()->subWindowList();
}

const char *const kChildMode = "BRAZO_PRUEBA_SALIR";

// A child process of this test: a registry record typed and a client connected, then
// "&Salir". It returns only if "&Salir" did not end the program.
int runChild(const QString &identifier)
{
    MDIPrincipal frame(settings());
    frame.show();
    trigger(frame, "mnuVer_Comunicacion_Internet");
    auto client = connectTo(shownPort(frame.findChild<QWidget *>(QStringLiteral("frmServidor"))));
    trigger(frame, "mnuVer_RegistroUsuarios");
    auto *registry = frame.findChild<QWidget *>(QStringLiteral("frmRegistros"));
    control<QPushButton>(registry, "cmdagregar")->click();
    control<QLineEdit>(registry, "txtidEmpleado")->setText(identifier);
    control<QLineEdit>(registry, "txtnombreEmpleado")->setText(QStringLiteral("Ana"));
    trigger(frame, "mnuSalir");
    return client ? 3 : 4;
}

} // namespace

class TestMdiPrincipal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void commands_openOneInstanceEach_reopenedLoadsAgain();
    void frameClose_runsTheChildrenClosingSteps();
    void restoredFrame_hasItsDesignedClientArea();
    void salir_endsAtOnceKeepingTheRegistrysRecord_data();
    void salir_endsAtOnceKeepingTheRegistrysRecord();

private:
    std::unique_ptr<QTemporaryDir> m_data;
};

void TestMdiPrincipal::init()
{
    m_data = std::make_unique<QTemporaryDir>();
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_data->path()));
}

void TestMdiPrincipal::commands_openOneInstanceEach_reopenedLoadsAgain()
{
    MDIPrincipal frame(settings());
    frame.show();
    const char *const commands[] = {"mnuControlar_MaquinaSerial", "mnuControlar_Internet",
                                    "mnuVer_Comunicacion_MaquinaSeral", "mnuVer_Comunicacion_Internet",
                                    "mnuVer_RegistroUsuarios", "mnuAyuda_Simulador"};
    for (int round = 0; round < 2; ++round) {
        for (const char *command : commands)
            trigger(frame, command);
    }
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

void TestMdiPrincipal::frameClose_runsTheChildrenClosingSteps()
{
    MDIPrincipal frame(settings());
    frame.show();
    trigger(frame, "mnuVer_Comunicacion_Internet");
    auto *window = frame.findChild<QWidget *>(QStringLiteral("frmServidor"));
    const quint16 port = shownPort(window);
    auto client = connectTo(port);
    QVERIFY(client);
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
    QTRY_COMPARE_WITH_TIMEOUT(frame.findChild<QMdiArea *>()->size(), QSize(721, 549), kWaitMs);
}

void TestMdiPrincipal::salir_endsAtOnceKeepingTheRegistrysRecord_data()
{
    QTest::addColumn<QString>("identifier");
    QTest::addColumn<bool>("written");
    QTest::newRow("written to the database") << "E77" << true;
    QTest::newRow("refused, kept beside it") << "A1" << false;
}

void TestMdiPrincipal::salir_endsAtOnceKeepingTheRegistrysRecord()
{
    QFETCH(QString, identifier);
    QFETCH(bool, written);
    const QString database = EmpleadosDb::defaultPath();
    QVERIFY(QDir().mkpath(QFileInfo(database).absolutePath()));
    QVERIFY(SqliteFile::execAll(database, {QStringLiteral("CREATE TABLE Empleados (IdEmpleado TEXT PRIMARY KEY, Nombre TEXT)"),
                                           QStringLiteral("INSERT INTO Empleados VALUES ('A1', 'Primera')")}));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QLatin1String(kChildMode), identifier);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    const SqliteFile::Rows rows =
        SqliteFile::readRows(database, QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados WHERE Nombre = 'Ana'"));
    QCOMPARE(rows.size(), written ? 1 : 0);
    QCOMPARE(EmpleadosDb().keptRecord().has_value(), !written);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Application::setUp(app);
    if (qEnvironmentVariableIsSet(kChildMode))
        return runChild(qEnvironmentVariable(kChildMode));
    TestMdiPrincipal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mdiprincipal.moc"
