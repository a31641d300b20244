#include "empleadosdb.h"
#include "frmregistros.h"
#include "sqlitefile.h"
#include "messageboxcatcher.h"
#include "recordnavigator.h"
#include "vbunits.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <memory>

namespace {

using SqliteFile::Rows;

const QString kGreeting = QStringLiteral("inicio de sesion");
const QString kAdding = QStringLiteral("proceso de agregado");
const QString kDeleted = QStringLiteral("se elimin\u00F2 el registro que est\u00E0 viendo");

using SqliteFile::execAll;
using SqliteFile::fileBytes;

Rows readBack(const QString &path)
{
    return SqliteFile::readRows(path, QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados ORDER BY rowid"));
}

// A file the process may not write. For root, whom permissions do not stop, only the
// immutable flag does it.
bool setReadOnly(const QString &path, bool readOnly)
{
    if (geteuid() != 0) {
        const QFile::Permissions readable = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
        return QFile::setPermissions(path, readOnly ? readable : readable | QFile::WriteOwner);
    }
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    if (fd < 0)
        return false;
    int flags = 0;
    bool ok = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = readOnly ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    ::close(fd);
    return ok;
}

} // namespace

class TestFrmRegistros : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstStart_createsTheFileWithTheTable();
    void layout_data();
    void layout();
    void open_showsTheFirstRecordAndTheGreeting();
    void tabOrder_runsBoxesThenButtons();
    void agregar_thenMove_addsOneRecord();
    void eliminar_keepsTheValuesAndRemovesTheRow();
    void activation_greetsAgain_data();
    void activation_greetsAgain();
    void duplicateIdentifier_isReportedAndKept();
    void eliminar_withoutCurrentRecord_data();
    void eliminar_withoutCurrentRecord();
    void agregar_thenClose_savesTheRecord();
    void close_withRefusedRecord_staysOpen();
    void savePending_afterAgregar_savesTheRecord();
    void unusableFile_isReportedAndLeftUntouched_data();
    void unusableFile_isReportedAndLeftUntouched();
    void readOnlyFile_isBrowsedButNeverWritten();
    void twoWindows_useConnectionsOfTheirOwn();

private:
    frmRegistros *showForm();
    void seed(const Rows &rows);
    void click(const char *navigatorButton);
    QString caption() const { return m_form->datEmpleados->caption(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
    std::unique_ptr<QMdiArea> m_area;
    frmRegistros *m_form = nullptr;
    std::unique_ptr<MessageBoxCatcher> m_boxes;
    QString m_immutable;
};

void TestFrmRegistros::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QSql")));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path()));
    m_path = EmpleadosDb::defaultPath();
    QVERIFY2(m_path.startsWith(m_dir->path()), qPrintable(m_path));
    QVERIFY(m_path.endsWith(QStringLiteral("/TorvaneElectronico.db")));
    m_area = std::make_unique<QMdiArea>();
    m_area->resize(800, 600);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowActive(m_area.get()));
    m_boxes = std::make_unique<MessageBoxCatcher>();
}

void TestFrmRegistros::cleanup()
{
    m_boxes.reset();
    m_area.reset();
    m_form = nullptr;
    if (!m_immutable.isEmpty())
        setReadOnly(m_immutable, false);
    m_immutable.clear();
    m_dir.reset();
    // Every window let go of its connection when it went.
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
}

frmRegistros *TestFrmRegistros::showForm()
{
    m_form = new frmRegistros;
    m_form->showIn(m_area.get());
    return m_form;
}

void TestFrmRegistros::seed(const Rows &rows)
{
    QStringList statements{QStringLiteral("CREATE TABLE Empleados (IdEmpleado TEXT PRIMARY KEY NOT NULL, Nombre TEXT)")};
    for (const auto &row : rows)
        statements.append(QStringLiteral("INSERT INTO Empleados VALUES ('%1', '%2')").arg(row.first, row.second));
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    QVERIFY(execAll(m_path, statements));
}

void TestFrmRegistros::click(const char *navigatorButton)
{
    auto *button = m_form->datEmpleados->findChild<QToolButton *>(QLatin1String(navigatorButton));
    QVERIFY2(button, navigatorButton);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestFrmRegistros::firstStart_createsTheFileWithTheTable()
{
    QVERIFY(!QFile::exists(m_path));
    showForm();
    QVERIFY(QFile::exists(m_path));
    QCOMPARE(m_boxes->boxes().size(), 0);
    QCOMPARE(m_form->txtidEmpleado->text(), QString());
    QCOMPARE(caption(), kGreeting);
    QVERIFY(execAll(m_path, {QStringLiteral("INSERT INTO Empleados (IdEmpleado, Nombre) VALUES ('X', 'Y')")}));
    QCOMPARE(readBack(m_path), (Rows{{"X", "Y"}}));
    // A blank identifier is refused by the table itself.
    QVERIFY(!execAll(m_path, {QStringLiteral("INSERT INTO Empleados (IdEmpleado, Nombre) VALUES (' ', 'Z')")}));
}

void TestFrmRegistros::layout_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("rect");

    QTest::newRow("txtidEmpleado") << "txtidEmpleado" << VbUnits::rect(1920, 240, 1695, 285);
    QTest::newRow("txtnombreEmpleado") << "txtnombreEmpleado" << VbUnits::rect(1920, 840, 4935, 285);
    QTest::newRow("cmdagregar") << "cmdagregar" << VbUnits::rect(7080, 360, 1215, 495);
    QTest::newRow("cmdeliminar") << "cmdeliminar" << VbUnits::rect(7080, 1200, 1215, 495);
    QTest::newRow("datEmpleados") << "datEmpleados" << VbUnits::rect(960, 2040, 6060, 345);
    QTest::newRow("surface") << "surface" << QRect(0, 0, VbUnits::px(8460), VbUnits::px(2595));
}

void TestFrmRegistros::layout()
{
    QFETCH(QString, name);
    QFETCH(QRect, rect);
    showForm();
    auto *control = m_form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->geometry(), rect);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(m_form->cmdagregar->text(), QStringLiteral("&Agregar"));
    QCOMPARE(m_form->cmdeliminar->text(), QStringLiteral("&Eliminar"));
    QCOMPARE(m_form->Label1->text(), QStringLiteral("Id del Empleado:"));
    QCOMPARE(m_form->Label1->pos(), QPoint(VbUnits::px(120), VbUnits::px(360)));
    QCOMPARE(m_form->Label2->text(), QStringLiteral("Nombre:"));
    QCOMPARE(m_form->Label2->pos(), QPoint(VbUnits::px(240), VbUnits::px(840)));
}

void TestFrmRegistros::open_showsTheFirstRecordAndTheGreeting()
{
    seed({{"A1", "Ana"}, {"B2", "Beto"}});
    showForm();
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("A1"));
    QCOMPARE(m_form->txtnombreEmpleado->text(), QStringLiteral("Ana"));
    QCOMPARE(caption(), kGreeting);
    QCOMPARE(m_boxes->boxes().size(), 0);
}

void TestFrmRegistros::tabOrder_runsBoxesThenButtons()
{
    seed({{"A1", "Ana"}});
    showForm();
    m_form->txtidEmpleado->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), m_form->txtidEmpleado);
    const QList<QWidget *> expected{m_form->txtnombreEmpleado, m_form->cmdagregar, m_form->cmdeliminar,
                                    m_form->txtidEmpleado};
    for (QWidget *next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
}

void TestFrmRegistros::agregar_thenMove_addsOneRecord()
{
    seed({{"A1", "Ana"}, {"B2", "Beto"}});
    showForm();
    m_form->txtnombreEmpleado->setFocus();
    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QCOMPARE(m_form->txtidEmpleado->text(), QString());
    QCOMPARE(m_form->txtnombreEmpleado->text(), QString());
    QCOMPARE(QApplication::focusWidget(), m_form->txtidEmpleado);
    QCOMPARE(caption(), kAdding);
    // Nothing reaches the table before the user moves.
    QCOMPARE(readBack(m_path).size(), 2);

    QTest::keyClicks(QApplication::focusWidget(), "C3");
    QTest::keyClicks(m_form->txtnombreEmpleado, "Cira");
    click("moveFirst");
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}}));
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("A1"));
    QCOMPARE(m_boxes->boxes().size(), 0);
    // The caption stays until the next button or activation.
    QCOMPARE(caption(), kAdding);
}

void TestFrmRegistros::eliminar_keepsTheValuesAndRemovesTheRow()
{
    seed({{"A1", "Ana"}, {"B2", "Beto"}, {"C3", "Cira"}});
    showForm();
    click("moveNext");
    QTest::mouseClick(m_form->cmdeliminar, Qt::LeftButton);
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("B2"));
    QCOMPARE(m_form->txtnombreEmpleado->text(), QStringLiteral("Beto"));
    QCOMPARE(caption(), kDeleted);
    QCOMPARE(QApplication::focusWidget(), m_form->txtidEmpleado);
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"C3", "Cira"}}));
    click("moveNext");
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("C3"));
    QCOMPARE(m_boxes->boxes().size(), 0);
}

void TestFrmRegistros::activation_greetsAgain_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("before");

    QTest::newRow("after agregar") << "cmdagregar" << kAdding;
    QTest::newRow("after eliminar") << "cmdeliminar" << kDeleted;
}

void TestFrmRegistros::activation_greetsAgain()
{
    QFETCH(QString, button);
    QFETCH(QString, before);
    seed({{"A1", "Ana"}, {"B2", "Beto"}});
    showForm();
    QMdiSubWindow *other = m_area->addSubWindow(new QWidget);
    other->show();
    m_area->setActiveSubWindow(m_form->subWindow());

    QTest::mouseClick(m_form->findChild<QPushButton *>(button), Qt::LeftButton);
    QCOMPARE(caption(), before);
    m_area->setActiveSubWindow(other);
    QCOMPARE(caption(), before);
    m_area->setActiveSubWindow(m_form->subWindow());
    QCOMPARE(caption(), kGreeting);
}

void TestFrmRegistros::duplicateIdentifier_isReportedAndKept()
{
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}};
    seed(rows);
    showForm();
    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QTest::keyClicks(m_form->txtidEmpleado, "B2");
    QTest::keyClicks(m_form->txtnombreEmpleado, "Bruno");
    const QByteArray before = fileBytes(m_path);
    click("moveNext");

    QCOMPARE(m_boxes->boxes().size(), 1);
    const QString text = m_boxes->boxes().at(0).text;
    QVERIFY2(text.startsWith(QStringLiteral("No se pudo guardar el registro: UNIQUE constraint failed: "
                                            "Empleados.IdEmpleado.")),
             qPrintable(text));
    QCOMPARE(m_boxes->boxes().at(0).buttonCount, 1);
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("B2"));
    QCOMPARE(m_form->txtnombreEmpleado->text(), QStringLiteral("Bruno"));
    QCOMPARE(readBack(m_path), rows);
    QCOMPARE(fileBytes(m_path), before);

    m_form->txtidEmpleado->setText(QStringLiteral("B3"));
    click("moveNext");
    QCOMPARE(m_boxes->boxes().size(), 1);
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"B2", "Beto"}, {"B3", "Bruno"}}));
}

void TestFrmRegistros::eliminar_withoutCurrentRecord_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<bool>("deleteFirst");

    QTest::newRow("empty table") << Rows{} << false;
    QTest::newRow("already deleted") << Rows{{"A1", "Ana"}, {"B2", "Beto"}} << true;
}

void TestFrmRegistros::eliminar_withoutCurrentRecord()
{
    QFETCH(Rows, rows);
    QFETCH(bool, deleteFirst);
    seed(rows);
    showForm();
    if (deleteFirst) {
        QTest::mouseClick(m_form->cmdeliminar, Qt::LeftButton);
        QCOMPARE(m_boxes->boxes().size(), 0);
    }
    const QString shownId = m_form->txtidEmpleado->text();
    const QString shownCaption = caption();
    const QByteArray before = fileBytes(m_path);

    QTest::mouseClick(m_form->cmdeliminar, Qt::LeftButton);
    QCOMPARE(m_boxes->boxes().size(), 1);
    QVERIFY(m_boxes->boxes().at(0).text.startsWith(QStringLiteral("No hay un registro guardado que eliminar")));
    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(m_form->txtidEmpleado->text(), shownId);
    QCOMPARE(caption(), shownCaption);

    // Still usable: a record can be added.
    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QTest::keyClicks(m_form->txtidEmpleado, "Z9");
    click("moveFirst");
    QCOMPARE(readBack(m_path).last().first, QStringLiteral("Z9"));
}

void TestFrmRegistros::agregar_thenClose_savesTheRecord()
{
    seed({{"A1", "Ana"}});
    showForm();
    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QTest::keyClicks(m_form->txtidEmpleado, "D4");
    QTest::keyClicks(m_form->txtnombreEmpleado, "Dora");
    QVERIFY(m_form->subWindow()->close());
    QVERIFY(!m_form->isLoaded());
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"D4", "Dora"}}));
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList());

    // Loaded again on the same instance, at the first record.
    m_form->showIn(m_area.get());
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("A1"));
    QCOMPARE(caption(), kGreeting);
    QCOMPARE(m_boxes->boxes().size(), 0);
}

void TestFrmRegistros::close_withRefusedRecord_staysOpen()
{
    const Rows rows{{"A1", "Ana"}};
    seed(rows);
    showForm();
    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QTest::keyClicks(m_form->txtidEmpleado, "A1");
    QTest::keyClicks(m_form->txtnombreEmpleado, "Otra");
    QVERIFY(!m_form->subWindow()->close());
    QVERIFY(m_form->isLoaded());
    QCOMPARE(m_boxes->boxes().size(), 1);
    QCOMPARE(m_form->txtnombreEmpleado->text(), QStringLiteral("Otra"));
    QCOMPARE(readBack(m_path), rows);

    QTest::keyClicks(m_form->txtidEmpleado, "x");
    QVERIFY(m_form->subWindow()->close());
    QCOMPARE(readBack(m_path), (Rows{{"A1", "Ana"}, {"A1x", "Otra"}}));
}

void TestFrmRegistros::savePending_afterAgregar_savesTheRecord()
{
    seed({});
    showForm();
    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QTest::keyClicks(m_form->txtidEmpleado, "E5");
    QTest::keyClicks(m_form->txtnombreEmpleado, "Eva");
    QVERIFY(m_form->savePending());
    QCOMPARE(readBack(m_path), (Rows{{"E5", "Eva"}}));
    QVERIFY(m_form->savePending());
    QCOMPARE(readBack(m_path), (Rows{{"E5", "Eva"}}));
    QCOMPARE(m_boxes->boxes().size(), 0);
}

void TestFrmRegistros::unusableFile_isReportedAndLeftUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("engine");

    QTest::newRow("not a database") << QByteArray("Lista de empleados\r\nA1;Ana\r\n") << "file is not a database";
    QTest::newRow("database without the table") << QByteArray() << "no such table: Empleados";
}

void TestFrmRegistros::unusableFile_isReportedAndLeftUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, engine);
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    if (content.isEmpty()) {
        QVERIFY(execAll(m_path, {QStringLiteral("CREATE TABLE Otra (x)"), QStringLiteral("INSERT INTO Otra VALUES (1)")}));
    } else {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QByteArray before = fileBytes(m_path);

    showForm();
    QCOMPARE(m_boxes->boxes().size(), 1);
    const QString text = m_boxes->boxes().at(0).text;
    QVERIFY2(text.startsWith(QStringLiteral("No se pudo abrir la base de datos de empleados")), qPrintable(text));
    QVERIFY2(text.contains(engine), qPrintable(text));
    QVERIFY(m_form->isLoaded());
    QCOMPARE(caption(), kGreeting);

    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QTest::mouseClick(m_form->cmdeliminar, Qt::LeftButton);
    click("moveNext");
    QCOMPARE(m_boxes->boxes().size(), 3);
    QVERIFY(m_boxes->boxes().at(1).text.startsWith(QStringLiteral("No se puede agregar")));
    QVERIFY(m_form->subWindow()->close());
    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(QDir(QFileInfo(m_path).absolutePath()).entryList(QDir::Files), QStringList{"TorvaneElectronico.db"});
}

void TestFrmRegistros::readOnlyFile_isBrowsedButNeverWritten()
{
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}};
    seed(rows);
    if (!setReadOnly(m_path, true))
        QSKIP("This file system cannot make a file read-only for this user");
    m_immutable = m_path;
    const QByteArray before = fileBytes(m_path);

    showForm();
    QCOMPARE(m_boxes->boxes().size(), 1);
    const QString text = m_boxes->boxes().at(0).text;
    QVERIFY2(text.contains(QStringLiteral("es de solo lectura: attempt to write a readonly database")),
             qPrintable(text));
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("A1"));
    QVERIFY(m_form->txtidEmpleado->isReadOnly());
    click("moveNext");
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("B2"));

    QTest::mouseClick(m_form->cmdagregar, Qt::LeftButton);
    QTest::mouseClick(m_form->cmdeliminar, Qt::LeftButton);
    QCOMPARE(m_boxes->boxes().size(), 3);
    QVERIFY(m_boxes->boxes().at(2).text.contains(QStringLiteral("solo lectura")));
    QCOMPARE(m_form->txtidEmpleado->text(), QStringLiteral("B2"));
    QVERIFY(m_form->subWindow()->close());
    QCOMPARE(fileBytes(m_path), before);
    QCOMPARE(readBack(m_path), rows);
}

void TestFrmRegistros::twoWindows_useConnectionsOfTheirOwn()
{
    seed({{"A1", "Ana"}, {"B2", "Beto"}});
    frmRegistros *first = showForm();
    frmRegistros *second = showForm();
    QCOMPARE(QSqlDatabase::connectionNames().size(), 2);
    QCOMPARE(first->txtidEmpleado->text(), QStringLiteral("A1"));
    QCOMPARE(second->txtidEmpleado->text(), QStringLiteral("A1"));
    QVERIFY(first->subWindow()->close());
    QCOMPARE(QSqlDatabase::connectionNames().size(), 1);
    // The window left open still works on its own connection.
    m_form = second;
    second->txtnombreEmpleado->setText(QStringLiteral("Anita"));
    click("moveNext");
    QCOMPARE(readBack(m_path).first().second, QStringLiteral("Anita"));
}

QTEST_MAIN(TestFrmRegistros)
#include "tst_frmregistros.moc"
