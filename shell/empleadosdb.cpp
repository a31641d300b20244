#include "empleadosdb.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace {

// The key is text and may not be blank; the named check gives the engine's refusal a
// readable name.
const QString kCreateTable = QStringLiteral(
    "CREATE TABLE \"Empleados\" ("
    "\"IdEmpleado\" TEXT PRIMARY KEY NOT NULL CONSTRAINT \"IdEmpleado vacio\" CHECK (trim(\"IdEmpleado\") <> ''), "
    "\"Nombre\" TEXT)");

// Plain names on purpose: SQLite reads an unknown double-quoted name as a string, which
// would hide a missing column.
const QString kSchema = QStringLiteral(
    "SELECT count(*), count(CASE WHEN type = 'table' AND name = 'Empleados' COLLATE NOCASE THEN 1 END) "
    "FROM sqlite_master");
const QString kColumns = QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados WHERE 0");
// Asks for write access without changing a byte: refused at once on a read-only file.
const QString kWriteProbe = QStringLiteral("DELETE FROM Empleados WHERE 0");

QString engineText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

} // namespace

QString EmpleadosDb::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("TorvaneElectronico.db"));
}

EmpleadosDb::EmpleadosDb()
{
    static int instances = 0;
    m_connection = QStringLiteral("EmpleadosDb-%1").arg(++instances);
}

EmpleadosDb::~EmpleadosDb()
{
    close();
}

EmpleadosDb::Status EmpleadosDb::open(const QString &path)
{
    close();
    m_path = path;
    m_error.clear();
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("no se pudo crear la carpeta %1").arg(QDir::toNativeSeparators(folder));
        m_status = Status::Failed;
        return m_status;
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(path);
        m_status = db.open() ? check(db) : Status::Failed;
        if (m_status == Status::Failed && m_error.isEmpty())
            m_error = engineText(db.lastError());
    }
    if (m_status == Status::Failed) {
        const QString error = m_error;
        close();
        m_error = error;
        m_status = Status::Failed;
    }
    return m_status;
}

EmpleadosDb::Status EmpleadosDb::check(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(kSchema) || !query.next()) {
        m_error = engineText(query.lastError());
        return Status::Failed;
    }
    const bool empty = query.value(0).toInt() == 0;
    const bool hasTable = query.value(1).toInt() > 0;
    query.finish();
    if (!hasTable && empty && !query.exec(kCreateTable)) {
        m_error = engineText(query.lastError());
        return Status::Failed;
    }
    // A database with other contents but without the table is not one this program made:
    // say so in the engine's words rather than add to it.
    if (!query.exec(kColumns)) {
        m_error = engineText(query.lastError());
        return Status::Failed;
    }
    query.finish();
    if (!query.exec(kWriteProbe)) {
        m_error = engineText(query.lastError());
        return Status::ReadOnly;
    }
    return Status::Open;
}

void EmpleadosDb::close()
{
    if (QSqlDatabase::contains(m_connection)) {
        {
            QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            db.close();
        }
        QSqlDatabase::removeDatabase(m_connection);
    }
    m_status = Status::Closed;
    m_error.clear();
}

QSqlDatabase EmpleadosDb::database() const
{
    return QSqlDatabase::database(m_connection, false);
}
