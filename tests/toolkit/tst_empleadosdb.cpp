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
using Meanwhile = bool (*)(QSqlDatabase &other, const QString &path);

bool nothing(QSqlDatabase &, const QString &) { return true; }
bool lock(QSqlDatabase &other, const QString &) { return other.open() && QSqlQuery(other).exec("BEGIN IMMEDIATE"); }
bool deleteB2(QSqlDatabase &other, const QString &)
{
    return other.open() && QSqlQuery(other).exec("DELETE FROM Empleados WHERE IdEmpleado = 'B2'");
}
#ifndef Q_OS_WIN
bool deleteFile(QSqlDatabase &, const QString &path) { return QFile::remove(path); }
bool replaceFile(QSqlDatabase &, const QString &path)
{
    return QFile::copy(path, path + ".copia") && QFile::remove(path) && QFile::rename(path + ".copia", path);
}
#endif

} // namespace

Q_DECLARE_METATYPE(Status)
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
    void keptRecord_comesBackUntilForgotten();

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

    const QStringList ours{SqliteFile::kEmpleados, QStringLiteral("INSERT INTO Empleados VALUES ('A1', 'Ana')")};
    QTest::newRow("new file") << QByteArray() << QStringList() << "" << Status::Open;
    QTest::newRow("this program's table") << QByteArray() << ours << "" << Status::Open;
    QTest::newRow("not a database") << QByteArray("A1;Ana\n") << QStringList() << "" << Status::Failed;
    QTest::newRow("another program's database") << QByteArray() << QStringList{"CREATE TABLE Otra (x)"} << ""
                                                << Status::Failed;
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
    QVERIFY(SqliteFile::create(m_path, SqliteFile::kEmpleados, {{"A1", "Ana"}}));
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
    const QVariant other(QStringLiteral("B9"));
    QTest::newRow("duplicate identifier") << QVariant("A1") << Meanwhile(nothing) << "ya lo tiene otro empleado";
    QTest::newRow("blank identifier") << QVariant("  ") << Meanwhile(nothing) << "no puede quedar vacío";
    QTest::newRow("no identifier") << QVariant(QString()) << Meanwhile(nothing) << "no puede quedar vacío";
    QTest::newRow("locked by another program") << other << Meanwhile(lock) << "otro programa está usando";
    QTest::newRow("record deleted by another program") << other << Meanwhile(deleteB2) << "otro programa eliminó";
#ifndef Q_OS_WIN
    // Windows lets no file be deleted or renamed while a program has it open.
    QTest::newRow("file deleted") << other << Meanwhile(deleteFile) << "ya no es el que se abrió";
    QTest::newRow("file replaced by a copy") << other << Meanwhile(replaceFile) << "ya no es el que se abrió";
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
    QVERIFY(QSqlQuery(db.database()).exec("INSERT INTO Empleados VALUES ('A1', 'Ana'), ('B2', 'Beto')"));
    std::unique_ptr<QSqlTableModel> model(db.createModel());
    model->setEditStrategy(QSqlTableModel::OnManualSubmit);
    QVERIFY(model->select());
    QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kOther);
    other.setDatabaseName(m_path);
    QVERIFY(meanwhile(other, m_path));

    QVERIFY(model->setData(model->index(1, 0), id) && model->setData(model->index(1, 1), "Bruno"));
    QVERIFY(!model->submitAll());
    const QSqlError error = model->lastError();
    const QString explanation = db.explain(error);
    QVERIFY2(explanation.contains(says), qPrintable(explanation + " / " + error.nativeErrorCode()));
    QVERIFY2(!explanation.contains(error.databaseText()), qPrintable(explanation));
    other.close();
}

// Kept beside the database, found by the next opening of the program, gone once forgotten;
// a damaged one is none.
void TestEmpleadosDb::keptRecord_comesBackUntilForgotten()
{
    const Record record{"Ñ-1", "José \"Pepe\" Núñez\\"};
    QVERIFY(!EmpleadosDb(m_path).keptRecord());
    QVERIFY(EmpleadosDb(m_path).keepRecord(record));
    EmpleadosDb db(m_path);
    QVERIFY(db.keptRecord() == record);
    QVERIFY(!QFileInfo::exists(m_path));
    db.forgetKeptRecord();
    QVERIFY(!db.keptRecord());

    QVERIFY(db.keepRecord(record));
    const QFileInfoList files = QFileInfo(m_path).dir().entryInfoList(QDir::Files);
    QCOMPARE(files.size(), 1);
    QFile kept(files.first().filePath());
    QVERIFY(kept.open(QIODevice::WriteOnly | QIODevice::Truncate) && kept.write("{\"IdEmpleado\": 7") > 0);
    kept.close();
    QVERIFY(!db.keptRecord());
}

QTEST_GUILESS_MAIN(TestEmpleadosDb)
#include "tst_empleadosdb.moc"
