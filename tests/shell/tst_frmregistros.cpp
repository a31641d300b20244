#include "empleadosdb.h"
#include "forms.h"
#include "frmregistros.h"
#include "messageboxcatcher.h"
#include "sqlitefile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#include <memory>

using namespace Forms;
using SqliteFile::Rows;

namespace {

const QString kAdding = QStringLiteral("proceso de agregado");
const QString kGreeting = QStringLiteral("inicio de sesion");

// A file the process may not write. For root, whom permissions do not stop, only the
// immutable flag does it.
bool setReadOnly(const QString &path, bool readOnly)
{
#ifdef Q_OS_LINUX
    if (::geteuid() == 0) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        int flags = 0;
        bool ok = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = readOnly ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ok && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        if (fd >= 0)
            ::close(fd);
        return ok;
    }
#endif
    return QFile::setPermissions(path, readOnly ? QFile::ReadOwner : QFile::ReadOwner | QFile::WriteOwner);
}

} // namespace

class TestFrmRegistros : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void browseAddDelete_captionsFollowTheChildWindow();
    void unusableFile_isReportedAndLeftUntouched_data();
    void unusableFile_isReportedAndLeftUntouched();
    void readOnlyFile_isBrowsedButNeverWritten();
    void refusedRecord_saysTheTrueCause_data();
    void refusedRecord_saysTheTrueCause();
    void refusedRecordOnClose_isKeptForTheNextOpening();
    void longName_isKeptWhole();

private:
    void open();
    void seed(const Rows &rows, const QString &key = QStringLiteral("PRIMARY KEY"));
    void click(const char *name) { QTest::mouseClick(control<QAbstractButton>(m_form, name), Qt::LeftButton); }
    void type(const char *box, const QString &text) { control<QLineEdit>(m_form, box)->setText(text); }
    QString caption() const { return control<QLabel>(m_form, "caption")->text(); }
    Rows stored() const
    {
        return SqliteFile::readRows(m_path, QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados ORDER BY rowid"));
    }
    // Another program's connection to the database file, holding its write lock.
    void lockFromAnotherProgram(bool lock);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Frame> m_frame;
    std::unique_ptr<MessageBoxCatcher> m_boxes;
    QString m_path;
    frmRegistros *m_form = nullptr;
};

void TestFrmRegistros::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QSql")));
    m_dir = std::make_unique<QTemporaryDir>();
    m_path = m_dir->filePath(QStringLiteral("TorvaneElectronico/TorvaneElectronico.db"));
    m_frame = std::make_unique<Frame>();
    m_form = nullptr;
    m_boxes = std::make_unique<MessageBoxCatcher>();
}

void TestFrmRegistros::cleanup()
{
    m_boxes.reset();
    m_frame.reset();
    setReadOnly(m_path, false);
    m_dir.reset();
    // Every window let go of its connection when it went.
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
}

void TestFrmRegistros::open()
{
    if (!m_form)
        m_form = new frmRegistros(m_path, &m_frame->area);
    m_form->showIn(&m_frame->area);
}

void TestFrmRegistros::seed(const Rows &rows, const QString &key)
{
    QStringList statements{QStringLiteral("CREATE TABLE Empleados (IdEmpleado TEXT %1 NOT NULL, Nombre TEXT)").arg(key)};
    for (const auto &row : rows)
        statements.append(QStringLiteral("INSERT INTO Empleados VALUES ('%1', '%2')").arg(row.first, row.second));
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    QVERIFY(SqliteFile::execAll(m_path, statements));
}

void TestFrmRegistros::lockFromAnotherProgram(bool lock)
{
    if (!lock) {
        QSqlDatabase::removeDatabase(QStringLiteral("other"));
        return;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
    db.setDatabaseName(m_path);
    QVERIFY(db.open() && QSqlQuery(db).exec(QStringLiteral("BEGIN IMMEDIATE")));
}

void TestFrmRegistros::browseAddDelete_captionsFollowTheChildWindow()
{
    open();
    QCOMPARE(caption(), kGreeting);
    click("cmdagregar");
    QCOMPARE(caption(), kAdding);
    QVERIFY(control<QLineEdit>(m_form, "txtidEmpleado")->hasFocus());
    type("txtidEmpleado", QStringLiteral("A1"));
    click("cmdagregar");
    type("txtidEmpleado", QStringLiteral("B2"));
    click("moveFirst");
    QCOMPARE(stored(), (Rows{{"A1", ""}, {"B2", ""}}));
    click("cmdeliminar");
    QCOMPARE(caption(), QStringLiteral("se elimin\u00F2 el registro que est\u00E0 viendo"));
    QCOMPARE(text(m_form, "txtidEmpleado"), QStringLiteral("A1"));
    QCOMPARE(stored(), (Rows{{"B2", ""}}));

    // Another application comes to the front, then this one again: no change of child window.
    click("cmdagregar");
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QEvent activate(QEvent::ApplicationActivate);
    QCoreApplication::sendEvent(qApp, &activate);
    m_frame->area.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&m_frame->area));
    QCOMPARE(caption(), kAdding);
    // Another child window, then this one again.
    QMdiSubWindow *other = m_frame->area.addSubWindow(new QWidget);
    other->show();
    m_frame->area.setActiveSubWindow(other);
    m_frame->area.setActiveSubWindow(m_form->subWindow());
    QCOMPARE(caption(), kGreeting);
    QVERIFY(m_boxes->boxes().isEmpty());
}

void TestFrmRegistros::unusableFile_isReportedAndLeftUntouched_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QString>("cause");
    QTest::newRow("not a database") << "A1;Ana" << "file is not a database";
    QTest::newRow("another program's database") << "otra" << "no such table: Empleados";
    QTest::newRow("no key on the identifier") << "sin clave" << "no tiene clave en IdEmpleado";
    QTest::newRow("held by another program") << "bloqueada" << "en uso por otro programa";
}

void TestFrmRegistros::unusableFile_isReportedAndLeftUntouched()
{
    QFETCH(QString, content);
    QFETCH(QString, cause);
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    if (content == QLatin1String("otra")) {
        QVERIFY(SqliteFile::execAll(m_path, {QStringLiteral("CREATE TABLE Otra (x)")}));
    } else if (content == QLatin1String("sin clave")) {
        seed({{"A1", "Ana"}, {"A1", "Ana"}}, QString());
    } else if (content == QLatin1String("bloqueada")) {
        seed({{"A1", "Ana"}});
    } else {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content.toUtf8());
    }
    QSqlDatabase holder;
    if (content == QLatin1String("bloqueada")) {
        holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
        holder.setDatabaseName(m_path);
        QVERIFY(holder.open() && QSqlQuery(holder).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    }
    const QByteArray before = SqliteFile::fileBytes(m_path);
    open();
    click("cmdeliminar");
    QCOMPARE(m_boxes->boxes().size(), 2);
    QVERIFY2(m_boxes->boxes().at(0).text.contains(cause), qPrintable(m_boxes->texts()));
    // A lock is no damage: nothing says to restore a copy.
    QCOMPARE(m_boxes->boxes().at(0).text.contains(QStringLiteral("copia de seguridad")),
             content != QLatin1String("bloqueada"));
    QVERIFY(m_boxes->boxes().at(1).text.contains(QStringLiteral("no está abierta")));
    QVERIFY(m_form->subWindow()->close());
    holder = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("other"));
    QCOMPARE(SqliteFile::fileBytes(m_path), before);
}

void TestFrmRegistros::readOnlyFile_isBrowsedButNeverWritten()
{
    const Rows rows{{"A1", "Ana"}, {"B2", "Beto"}};
    seed(rows);
    if (!setReadOnly(m_path, true) || QFile(m_path).open(QIODevice::ReadWrite))
        QSKIP("this system lets this user write the file all the same");
    open();
    QVERIFY(m_boxes->texts().contains(QStringLiteral("es de solo lectura")));
    QVERIFY(control<QLineEdit>(m_form, "txtidEmpleado")->isReadOnly());
    click("moveNext");
    QCOMPARE(text(m_form, "txtidEmpleado"), QStringLiteral("B2"));
    click("cmdeliminar");
    QCOMPARE(m_boxes->boxes().size(), 2);
    QVERIFY(m_form->subWindow()->close());
    QCOMPARE(stored(), rows);
}

void TestFrmRegistros::refusedRecord_saysTheTrueCause_data()
{
    QTest::addColumn<QString>("cause");
    QTest::addColumn<QString>("says");
    QTest::newRow("duplicate identifier") << "duplicate" << "el identificador ya lo tiene otro empleado";
    QTest::newRow("locked by another program") << "lock" << "otro programa está usando la base de datos";
    QTest::newRow("record deleted meanwhile") << "deleted" << "otro programa eliminó este registro";
#ifndef Q_OS_WIN
    // Windows does not let a file be deleted while a program has it open.
    QTest::newRow("file deleted") << "file" << "ya no existe";
#endif
}

void TestFrmRegistros::refusedRecord_saysTheTrueCause()
{
    QFETCH(QString, cause);
    QFETCH(QString, says);
    seed({{"A1", "Ana"}, {"B2", "Beto"}});
    open();
    if (cause == QLatin1String("lock"))
        lockFromAnotherProgram(true);
    if (cause == QLatin1String("deleted"))
        QVERIFY(SqliteFile::execAll(m_path, {QStringLiteral("DELETE FROM Empleados WHERE IdEmpleado = 'A1'")}));
    if (cause == QLatin1String("file"))
        QVERIFY(QFile::remove(m_path));
    const QString id = cause == QLatin1String("duplicate") ? QStringLiteral("B2") : QStringLiteral("A9");
    type("txtidEmpleado", id);
    click("moveNext");
    QCOMPARE(m_boxes->boxes().size(), 1);
    QVERIFY2(m_boxes->texts().contains(says), qPrintable(m_boxes->texts()));
    QCOMPARE(text(m_form, "txtidEmpleado"), id);
    lockFromAnotherProgram(false);
}

void TestFrmRegistros::refusedRecordOnClose_isKeptForTheNextOpening()
{
    seed({{"A1", "Ana"}});
    open();
    lockFromAnotherProgram(true);
    click("cmdagregar");
    type("txtidEmpleado", QStringLiteral("A1"));
    type("txtnombreEmpleado", QStringLiteral("Ana Dos"));
    // No: the user goes on editing.
    m_boxes->setAnswer(QMessageBox::No);
    QVERIFY(!m_form->subWindow()->close());
    QCOMPARE(m_boxes->boxes().size(), 1);
    QCOMPARE(text(m_form, "txtnombreEmpleado"), QStringLiteral("Ana Dos"));
    // Yes: the window closes and the record waits beside the database.
    m_boxes->setAnswer(QMessageBox::Yes);
    QVERIFY(m_form->subWindow()->close());
    QVERIFY(m_boxes->boxes().at(1).buttons.testFlag(QMessageBox::Yes));
    lockFromAnotherProgram(false);

    m_boxes->clear();
    open();
    QCOMPARE(text(m_form, "txtnombreEmpleado"), QStringLiteral("Ana Dos"));
    QCOMPARE(caption(), kAdding);
    QTRY_COMPARE_WITH_TIMEOUT(m_boxes->boxes().size(), 1, kWaitMs);
    // Still a duplicate: corrected, it is written, and nothing is kept any more.
    type("txtidEmpleado", QStringLiteral("A2"));
    click("moveFirst");
    QCOMPARE(stored(), (Rows{{"A1", "Ana"}, {"A2", "Ana Dos"}}));
    QVERIFY(!EmpleadosDb(m_path).keptRecord());
}

void TestFrmRegistros::longName_isKeptWhole()
{
    const QString name(100000, QLatin1Char('n'));
    seed({});
    open();
    click("cmdagregar");
    type("txtidEmpleado", QStringLiteral("A1"));
    type("txtnombreEmpleado", name);
    click("moveFirst");
    type("txtidEmpleado", QStringLiteral("A2"));
    click("moveLast");
    QCOMPARE(stored(), (Rows{{"A2", name}}));
}

QTEST_MAIN(TestFrmRegistros)
#include "tst_frmregistros.moc"
