#include "empleadosdb.h"
#include "sqlitefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlTableModel>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Record = EmpleadosDb::Record;
using Status = EmpleadosDb::Status;

namespace {

const QString kOther = QStringLiteral("other");

// What another program does to the file between the reading of the table and a write.
struct Meanwhile
{
    bool (*run)(QSqlDatabase &other, const QString &path) = nullptr;
};

const QString kCreate = QStringLiteral("CREATE TABLE Empleados (IdEmpleado TEXT PRIMARY KEY NOT NULL, Nombre TEXT)");

} // namespace

Q_DECLARE_METATYPE(Status)
Q_DECLARE_METATYPE(Record)
Q_DECLARE_METATYPE(Meanwhile)

class TestEmpleadosDb : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void open_data();
    void open();
    void readOnlyFile_isReadAndItsWritesRefused();
    void explain_data();
    void explain();
    void keptRecord_comesBackAsKept_data();
    void keptRecord_comesBackAsKept();
    void damagedKeptRecord_isNone();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestEmpleadosDb::init()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral("QSql")));
    m_dir = std::make_unique<QTemporaryDir>();
    // A folder that does not exist yet, as the user's data folder at the first start.
    m_path = m_dir->filePath(QStringLiteral("datos/TorvaneElectronico.db"));
}

void TestEmpleadosDb::cleanup()
{
    SqliteFile::setReadOnly(m_path, false);
    QSqlDatabase::removeDatabase(kOther);
    m_dir.reset();
    QCOMPARE(QSqlDatabase::connectionNames(), QStringList());
}

void TestEmpleadosDb::open_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("statements");
    // What another program's connection runs and holds while the file is opened.
    QTest::addColumn<QString>("held");
    QTest::addColumn<Status>("status");

    const QStringList ours{kCreate, QStringLiteral("INSERT INTO Empleados VALUES ('A1', 'Ana')")};
    QTest::newRow("new file") << QByteArray() << QStringList() << "" << Status::Open;
    QTest::newRow("this program's table") << QByteArray() << ours << "" << Status::Open;
    QTest::newRow("not a database") << QByteArray("A1;Ana\n") << QStringList() << "" << Status::Failed;
    QTest::newRow("another program's database") << QByteArray() << QStringList{"CREATE TABLE Otra (x)"} << ""
                                                << Status::Failed;
    QTest::newRow("no key") << QByteArray() << QStringList{"CREATE TABLE Empleados (IdEmpleado TEXT, Nombre TEXT)"}
                            << "" << Status::Failed;
    QTest::newRow("the key on the name")
        << QByteArray() << QStringList{"CREATE TABLE Empleados (IdEmpleado TEXT, Nombre TEXT PRIMARY KEY)"} << ""
        << Status::Failed;
    QTest::newRow("held by another program") << QByteArray() << ours << "BEGIN EXCLUSIVE" << Status::InUse;
    // Its lock says nothing about the writes to come.
    QTest::newRow("written by another program") << QByteArray() << ours << "BEGIN IMMEDIATE" << Status::Open;
}

void TestEmpleadosDb::open()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, statements);
    QFETCH(QString, held);
    QFETCH(Status, status);
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    if (!bytes.isEmpty()) {
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    }
    if (!statements.isEmpty())
        QVERIFY(SqliteFile::execAll(m_path, statements));
    QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kOther);
    holder.setDatabaseName(m_path);
    if (!held.isEmpty())
        QVERIFY(holder.open() && QSqlQuery(holder).exec(held));
    const QByteArray before = SqliteFile::fileBytes(m_path);

    EmpleadosDb db(m_path);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(db.open(), status);
    // A lock is waited on for a moment, never for as long as the engine would by itself.
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(db.database().isOpen(), status == Status::Open || status == Status::ReadOnly);
    QVERIFY2(db.errorText().isEmpty() == (status == Status::Open), qPrintable(db.errorText()));
    holder.close();
    db.close();
    // A file that was there is only read; a new one gets the table.
    if (!before.isEmpty())
        QCOMPARE(SqliteFile::fileBytes(m_path), before);
    else
        QCOMPARE(SqliteFile::readRows(m_path, QStringLiteral("SELECT count(*), 0 FROM Empleados")),
                 (SqliteFile::Rows{{"0", "0"}}));
}

void TestEmpleadosDb::readOnlyFile_isReadAndItsWritesRefused()
{
    QVERIFY(QDir().mkpath(QFileInfo(m_path).absolutePath()));
    QVERIFY(SqliteFile::execAll(m_path, {kCreate, QStringLiteral("INSERT INTO Empleados VALUES ('A1', 'Ana')")}));
    if (!SqliteFile::setReadOnly(m_path, true) || QFile(m_path).open(QIODevice::ReadWrite))
        QSKIP("this system lets this user write the file all the same");
    EmpleadosDb db(m_path);
    QCOMPARE(db.open(), Status::ReadOnly);
    QVERIFY(db.database().isOpen());
    QVERIFY(!db.errorText().isEmpty());
    std::unique_ptr<QSqlTableModel> model(db.createModel());
    model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    QVERIFY(model->select());
    QCOMPARE(model->rowCount(), 1);
    QVERIFY(model->setData(model->index(0, 1), QStringLiteral("Anabel")));
    QVERIFY(!model->submitAll());
    const QString explanation = db.explain(model->lastError());
    QVERIFY2(explanation.contains(QStringLiteral("solo lectura")), qPrintable(explanation));
}

void TestEmpleadosDb::explain_data()
{
    QTest::addColumn<QVariant>("id");
    QTest::addColumn<Meanwhile>("meanwhile");
    QTest::addColumn<QString>("says");

    const Meanwhile nothing{[](QSqlDatabase &, const QString &) { return true; }};
    QTest::newRow("duplicate identifier") << QVariant(QStringLiteral("A1")) << nothing << "ya lo tiene otro empleado";
    QTest::newRow("blank identifier") << QVariant(QStringLiteral("  ")) << nothing << "no puede quedar vacío";
    QTest::newRow("no identifier") << QVariant(QString()) << nothing << "no puede quedar vacío";
    QTest::newRow("locked by another program")
        << QVariant(QStringLiteral("B9"))
        << Meanwhile{[](QSqlDatabase &other, const QString &) {
               return other.open() && QSqlQuery(other).exec(QStringLiteral("BEGIN IMMEDIATE"));
           }}
        << "otro programa está usando la base de datos";
    QTest::newRow("record deleted by another program")
        << QVariant(QStringLiteral("B9"))
        << Meanwhile{[](QSqlDatabase &other, const QString &) {
               return other.open() && QSqlQuery(other).exec(QStringLiteral("DELETE FROM Empleados WHERE IdEmpleado = 'B2'"));
           }}
        << "otro programa eliminó este registro";
#ifndef Q_OS_WIN
    // Windows lets no file be deleted or renamed while a program has it open.
    QTest::newRow("file deleted")
        << QVariant(QStringLiteral("B9"))
        << Meanwhile{[](QSqlDatabase &, const QString &path) { return QFile::remove(path); }}
        << "ya no es el que se abrió";
    QTest::newRow("file replaced by a copy")
        << QVariant(QStringLiteral("B9"))
        << Meanwhile{[](QSqlDatabase &, const QString &path) {
               const QString copy = path + QStringLiteral(".copia");
               return QFile::copy(path, copy) && QFile::remove(path) && QFile::rename(copy, path);
           }}
        << "ya no es el que se abrió";
#endif
}

// A change of the second record refused, in the user's words and never the engine's.
void TestEmpleadosDb::explain()
{
    QFETCH(QVariant, id);
    QFETCH(Meanwhile, meanwhile);
    QFETCH(QString, says);
    EmpleadosDb db(m_path);
    QCOMPARE(db.open(), Status::Open);
    QVERIFY(QSqlQuery(db.database()).exec(QStringLiteral("INSERT INTO Empleados VALUES ('A1', 'Ana'), ('B2', 'Beto')")));
    std::unique_ptr<QSqlTableModel> model(db.createModel());
    model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    QVERIFY(model->select());
    QCOMPARE(model->rowCount(), 2);
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kOther);
    other.setDatabaseName(m_path);
    QVERIFY(meanwhile.run(other, m_path));

    QVERIFY(model->setData(model->index(1, 0), id));
    QVERIFY(model->setData(model->index(1, 1), QStringLiteral("Bruno")));
    QVERIFY(!model->submitAll());
    const QSqlError error = model->lastError();
    const QString explanation = db.explain(error);
    QVERIFY2(explanation.contains(says), qPrintable(explanation + " / " + error.nativeErrorCode()));
    QVERIFY2(!explanation.contains(error.databaseText()), qPrintable(explanation));
    other.close();
}

void TestEmpleadosDb::keptRecord_comesBackAsKept_data()
{
    QTest::addColumn<Record>("record");
    QTest::newRow("accents and quotes") << Record{"Ñ-1", "José \"Pepe\" Núñez\\"};
    QTest::newRow("a blank name") << Record{"A1", ""};
}

void TestEmpleadosDb::keptRecord_comesBackAsKept()
{
    QFETCH(Record, record);
    QVERIFY(!EmpleadosDb(m_path).keptRecord());
    QVERIFY(EmpleadosDb(m_path).keepRecord(record));
    // Another opening, as at the next start of the program, finds it; the database is not touched.
    EmpleadosDb db(m_path);
    QVERIFY(db.keptRecord() == record);
    QVERIFY(!QFileInfo::exists(m_path));
    db.forgetKeptRecord();
    QVERIFY(!EmpleadosDb(m_path).keptRecord());
}

void TestEmpleadosDb::damagedKeptRecord_isNone()
{
    EmpleadosDb db(m_path);
    QVERIFY(db.keepRecord({QStringLiteral("A1"), QStringLiteral("Ana")}));
    const QDir folder = QFileInfo(m_path).dir();
    const QStringList files = folder.entryList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QFile kept(folder.filePath(files.first()));
    QVERIFY(kept.open(QIODevice::WriteOnly | QIODevice::Truncate));
    kept.write("{\"IdEmpleado\": 7");
    kept.close();
    QVERIFY(!db.keptRecord());
}

QTEST_GUILESS_MAIN(TestEmpleadosDb)
#include "tst_empleadosdb.moc"
