#include "frmayudasimulador.h"
#include "frmbrazo.h"
#include "frmregistros.h"
#include "frmservidor.h"
#include "armpanel.h"
#include "mdiprincipal.h"
#include "messageboxcatcher.h"
#include "ptypair.h"
#include "sqlitefile.h"
#include "vbunits.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

QAction *entry(const MDIPrincipal &frame, const char *name)
{
    // A submenu's entry is its menu action, named like the menu.
    const QList<QAction *> actions = frame.findChildren<QAction *>(QLatin1String(name));
    return actions.isEmpty() ? nullptr : actions.first();
}

QStringList names(const QList<QAction *> &actions)
{
    QStringList result;
    for (const QAction *action : actions)
        result << action->objectName();
    return result;
}

const char *kChildMode = "BRAZO_PRUEBA_HIJO";

// What a child process of this test does before "&Salir": see salir_*.
int runChild(const QString &mode)
{
    MDIPrincipal frame;
    frame.show();
    if (mode == QLatin1String("registro")) {
        frame.mnuVer_RegistroUsuarios_Click();
        frmRegistros *form = frame.forms().frmRegistros;
        form->cmdagregar->click();
        QTest::keyClicks(form->txtidEmpleado, QStringLiteral("E77"));
        QTest::keyClicks(form->txtnombreEmpleado, QStringLiteral("Ana"));
    } else {
        frame.mnuVer_Comunicacion_Internet_Click();
    }
    entry(frame, "mnuSalir")->trigger();
    // Only reached if "&Salir" did not end the program.
    return 3;
}

} // namespace

class TestMdiPrincipal : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void frame_captionAndClientArea();
    void menuBar_topLevelOrder();
    void menuTree_data();
    void menuTree();
    void submenus_openNoWindow();
    void informationBoxes_data();
    void informationBoxes();
    void objective_fourLinesNoOuterBreaks();
    void command_createsOneInstanceAndActivatesIt();
    void reopening_loadsAgainOnTheSameInstance();
    void serialSimulator_twiceLeavesOneWindow();
    void frameClose_runsTheChildrenClosingSteps();
    void salir_endsAtOnceWithConnectedWindows();
    void salir_writesTheRegistrysPendingRecord();
    void salir_staysWhenTheRegistryRefusesTheRecord();

private:
    std::unique_ptr<MDIPrincipal> m_frame;
    QTemporaryDir m_data;
};

void TestMdiPrincipal::init()
{
    qputenv("XDG_DATA_HOME", m_data.path().toLocal8Bit());
    // Never the machine's console: a path that does not exist unless a test makes one.
    qputenv("BRAZO_SERIAL_PORT", m_data.filePath(QStringLiteral("sin-puerto")).toLocal8Bit());
    m_frame = std::make_unique<MDIPrincipal>();
    m_frame->show();
}

void TestMdiPrincipal::cleanup()
{
    m_frame.reset();
}

void TestMdiPrincipal::frame_captionAndClientArea()
{
    QCOMPARE(m_frame->windowTitle(), QStringLiteral("MDIForm1"));
    QCOMPARE(m_frame->mdiArea()->background().color(), VbUnits::color(VbUnits::kMenu));
    QVERIFY(m_frame->mdiArea()->subWindowList().isEmpty());
}

void TestMdiPrincipal::menuBar_topLevelOrder()
{
    QCOMPARE(names(m_frame->menuBar()->actions()),
             QStringList({"mnuSalir", "mnuVer", "mnuControlar", "mnuAyuda"}));
    const auto *ver = m_frame->findChild<QMenu *>(QStringLiteral("mnuVer"));
    QCOMPARE(names(ver->actions()), QStringList({"mnuVer_Comunicacion", "mnuVer_RegistroUsuarios"}));
    const auto *comunicacion = m_frame->findChild<QMenu *>(QStringLiteral("mnuVer_Comunicacion"));
    QCOMPARE(names(comunicacion->actions()),
             QStringList({"mnuVer_Comunicacion_Internet", "mnuVer_Comunicacion_MaquinaSeral"}));
    const auto *controlar = m_frame->findChild<QMenu *>(QStringLiteral("mnuControlar"));
    QCOMPARE(names(controlar->actions()), QStringList({"mnuControlar_Internet", "mnuControlar_MaquinaSerial"}));
    const auto *ayuda = m_frame->findChild<QMenu *>(QStringLiteral("mnuAyuda"));
    QCOMPARE(names(ayuda->actions()), QStringList({"mnuAyuda_Informacion", "mnuAyuda_Simulador"}));
    const auto *informacion = m_frame->findChild<QMenu *>(QStringLiteral("mnuAyuda_Informacion"));
    QCOMPARE(names(informacion->actions()),
             QStringList({"mnuAyuda_Informacion_Plantel", "mnuAyuda_Informacion_Profesor",
                          "mnuayuda_Informacion_Integrantes", "mnuAyuda_Informacion_Objetivo"}));
}

void TestMdiPrincipal::menuTree_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("caption");

    const char *rows[][2] = {
        {"mnuSalir", "&Salir"},
        {"mnuVer", "&Ver"},
        {"mnuVer_Comunicacion", "&Asistente de Comunicacion"},
        {"mnuVer_Comunicacion_Internet", "Maquina &Internet"},
        {"mnuVer_Comunicacion_MaquinaSeral", "Maquina &Serial"},
        {"mnuVer_RegistroUsuarios", "&Registro de Usuarios"},
        {"mnuControlar", "&Controlar desde..."},
        {"mnuControlar_Internet", "&Internet"},
        {"mnuControlar_MaquinaSerial", "&Maquina Serial"},
        {"mnuAyuda", "&Ayuda"},
        {"mnuAyuda_Informacion", "&Informacion General"},
        {"mnuAyuda_Informacion_Plantel", "&Plantel"},
        {"mnuAyuda_Informacion_Profesor", "P&rofesor"},
        {"mnuayuda_Informacion_Integrantes", "&Integrantes"},
        {"mnuAyuda_Informacion_Objetivo", "&Objetivo"},
        {"mnuAyuda_Simulador", "\u00BF&Como Utilizar el Simulador?"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QString::fromLatin1(row[0]) << QString::fromUtf8(row[1]);
}

void TestMdiPrincipal::menuTree()
{
    QFETCH(QString, name);
    QFETCH(QString, caption);
    QAction *action = entry(*m_frame, qPrintable(name));
    QVERIFY(action);
    QCOMPARE(action->text(), caption);
    QVERIFY(action->shortcut().isEmpty());
    QVERIFY(!action->isCheckable());
    QVERIFY(action->isEnabled());
    QVERIFY(action->isVisible());
}

void TestMdiPrincipal::submenus_openNoWindow()
{
    MessageBoxCatcher catcher;
    for (const char *name : {"mnuVer", "mnuVer_Comunicacion", "mnuControlar", "mnuAyuda", "mnuAyuda_Informacion"})
        entry(*m_frame, name)->trigger();
    QTest::qWait(100);
    QVERIFY(m_frame->mdiArea()->subWindowList().isEmpty());
    QVERIFY(catcher.boxes().isEmpty());
}

void TestMdiPrincipal::informationBoxes_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("lines");

    QTest::newRow("Plantel") << "mnuAyuda_Informacion_Plantel" << "Nombre del Plantel" << 1;
    QTest::newRow("Profesor") << "mnuAyuda_Informacion_Profesor" << "Nombre del Profesor" << 1;
    QTest::newRow("Integrantes") << "mnuayuda_Informacion_Integrantes" << "Integrantes" << 4;
    QTest::newRow("Objetivo") << "mnuAyuda_Informacion_Objetivo" << "Objetivo" << 4;
}

void TestMdiPrincipal::informationBoxes()
{
    QFETCH(QString, name);
    QFETCH(QString, title);
    QFETCH(int, lines);

    MessageBoxCatcher catcher;
    entry(*m_frame, qPrintable(name))->trigger();   // returns once the box is dismissed
    QCOMPARE(catcher.boxes().size(), 1);
    const MessageBoxCatcher::Box box = catcher.boxes().first();
    QCOMPARE(box.title, title);
    QVERIFY(!box.hasIcon);
    QCOMPARE(box.buttonCount, 1);
    const QStringList split = box.text.split(QStringLiteral("\r\n"));
    QCOMPARE(split.size(), lines);
    for (const QString &line : split) {
        QVERIFY(!line.isEmpty());
        QVERIFY(!line.contains(QLatin1Char('\n')) && !line.contains(QLatin1Char('\r')));
    }
    QVERIFY(m_frame->mdiArea()->subWindowList().isEmpty());
}

void TestMdiPrincipal::objective_fourLinesNoOuterBreaks()
{
    MessageBoxCatcher catcher;
    m_frame->mnuAyuda_Informacion_Objetivo_Click();
    QCOMPARE(catcher.boxes().size(), 1);
    QCOMPARE(catcher.boxes().first().text,
             QStringLiteral("Simular por medio de una aplicacion por computadora el manejo\r\n"
                            "y la manipulacion de un brazo robotico cuyas applicaciones practicas se\r\n"
                            "reflejen directamente en las areas de la industria, tanto de fabricacion\r\n"
                            "Como de servicios"));
}

void TestMdiPrincipal::command_createsOneInstanceAndActivatesIt()
{
    QVERIFY(!m_frame->forms().frmAyudaSimulador);
    entry(*m_frame, "mnuAyuda_Simulador")->trigger();
    frmAyudaSimulador *first = m_frame->forms().frmAyudaSimulador;
    QVERIFY(first);
    QCOMPARE(m_frame->mdiArea()->activeSubWindow(), first->subWindow());

    // Another window in front; the command brings the same instance back to the front.
    entry(*m_frame, "mnuVer_RegistroUsuarios")->trigger();
    QCOMPARE(m_frame->mdiArea()->activeSubWindow(), m_frame->forms().frmRegistros->subWindow());
    entry(*m_frame, "mnuAyuda_Simulador")->trigger();
    QCOMPARE(m_frame->forms().frmAyudaSimulador, first);
    QCOMPARE(m_frame->mdiArea()->activeSubWindow(), first->subWindow());
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 2);
}

void TestMdiPrincipal::reopening_loadsAgainOnTheSameInstance()
{
    PtyPair pty;
    QVERIFY(pty.start());
    qputenv("BRAZO_SERIAL_PORT", pty.devicePath().toLocal8Bit());

    m_frame->mnuControlar_MaquinaSerial_Click();
    frmBrazo *form = m_frame->forms().frmBrazo;
    QVERIFY(form && form->isPortOpen());
    form->armPanel()->txtQ1->setText(QStringLiteral("45"));
    QCOMPARE(form->armPanel()->txtPosicionX->text(), QStringLiteral("14.938"));

    form->subWindow()->close();
    QVERIFY(!form->isLoaded());
    m_frame->mnuControlar_MaquinaSerial_Click();
    QCOMPARE(m_frame->forms().frmBrazo, form);
    QVERIFY(form->isLoaded());
    QVERIFY(form->isVisible());
    QVERIFY(form->armPanel()->txtQ1->isVisible());
    QVERIFY(form->isPortOpen());
    // Controls back to their design values, readouts empty until the next change.
    QCOMPARE(form->armPanel()->txtQ1->text(), QStringLiteral("0"));
    QVERIFY(form->armPanel()->txtPosicionX->text().isEmpty());
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 1);
}

void TestMdiPrincipal::serialSimulator_twiceLeavesOneWindow()
{
    // No port here: the window says so once, and the second command only activates it.
    MessageBoxCatcher catcher;
    entry(*m_frame, "mnuControlar_MaquinaSerial")->trigger();
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes().size(), 1, 3000);
    entry(*m_frame, "mnuControlar_MaquinaSerial")->trigger();
    QTest::qWait(100);
    QCOMPARE(catcher.boxes().size(), 1);
    QCOMPARE(m_frame->mdiArea()->subWindowList().size(), 1);
    QVERIFY(m_frame->forms().frmBrazo->subWindow()->isVisible());
}

void TestMdiPrincipal::frameClose_runsTheChildrenClosingSteps()
{
    m_frame->mnuVer_Comunicacion_Internet_Click();
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, 1007);
    QVERIFY(client.waitForConnected(3000));
    QTRY_VERIFY_WITH_TIMEOUT(m_frame->forms().frmServidor->findChild<QListWidget *>() != nullptr, 3000);

    QVERIFY(m_frame->close());
    // The message window's closing step closed its socket: the client sees the end.
    QTRY_COMPARE_WITH_TIMEOUT(client.state(), QAbstractSocket::UnconnectedState, 3000);
    QVERIFY(!m_frame->forms().frmServidor->isLoaded());
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, 1007);
    QVERIFY(!late.waitForConnected(1000));
}

void TestMdiPrincipal::salir_endsAtOnceWithConnectedWindows()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildMode), QStringLiteral("servidor"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted(5000));

    // The child listens on 1007 until it ends; a client connects meanwhile if it can.
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY2(!child.readAllStandardError().contains("QMessageBox"), "no closing message");
}

void TestMdiPrincipal::salir_writesTheRegistrysPendingRecord()
{
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kChildMode), QStringLiteral("registro"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), m_data.path());
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(20000));
    QCOMPARE(child.exitCode(), 0);

    const QString file = m_data.filePath(QStringLiteral("TorvaneElectronico/TorvaneElectronico.db"));
    QVERIFY2(QFile::exists(file), qPrintable(file));
    const SqliteFile::Rows rows = SqliteFile::readRows(
        file, QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados WHERE IdEmpleado = 'E77'"));
    QCOMPARE(rows, SqliteFile::Rows({{QStringLiteral("E77"), QStringLiteral("Ana")}}));
}

void TestMdiPrincipal::salir_staysWhenTheRegistryRefusesTheRecord()
{
    MessageBoxCatcher catcher;
    m_frame->mnuVer_RegistroUsuarios_Click();
    frmRegistros *form = m_frame->forms().frmRegistros;
    form->cmdagregar->click();
    QTest::keyClicks(form->txtidEmpleado, QStringLiteral("E1"));
    QVERIFY(form->savePending());
    form->cmdagregar->click();
    QTest::keyClicks(form->txtidEmpleado, QStringLiteral("E1"));
    QTest::keyClicks(form->txtnombreEmpleado, QStringLiteral("Duplicado"));

    // Were the program to end here, this test would end with it.
    m_frame->mnuSalir_Click();
    QCOMPARE(catcher.boxes().size(), 1);
    QCOMPARE(form->txtidEmpleado->text(), QStringLiteral("E1"));
    QCOMPARE(form->txtnombreEmpleado->text(), QStringLiteral("Duplicado"));
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TorvaneElectronico"));
    const QString mode = qEnvironmentVariable(kChildMode);
    if (!mode.isEmpty())
        return runChild(mode);
    TestMdiPrincipal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mdiprincipal.moc"
