#include "empleadosdb.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlIndex>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStandardPaths>

namespace {

// How long a write waits for another program's lock before it is refused.
constexpr int kBusyTimeoutMs = 250;

// The key is text and may not be blank. The check is named, and the engine's refusal
// carries the name: a check that a table not made here adds is not taken for this one.
const QString kBlankIdCheck = QStringLiteral("IdEmpleado vacio");
const QString kCreateTable = QStringLiteral(
    "CREATE TABLE \"Empleados\" ("
    "\"IdEmpleado\" TEXT PRIMARY KEY NOT NULL CONSTRAINT \"%1\" CHECK (trim(\"IdEmpleado\") <> ''), "
    "\"Nombre\" TEXT)").arg(kBlankIdCheck);

// Plain names on purpose: SQLite reads an unknown double-quoted name as a string, which
// would hide a missing column.
const QString kSchema = QStringLiteral(
    "SELECT count(*), count(CASE WHEN type = 'table' AND name = 'Empleados' COLLATE NOCASE THEN 1 END) "
    "FROM sqlite_master");
const QString kColumns = QStringLiteral("SELECT IdEmpleado, Nombre FROM Empleados WHERE 0");
// Asks for write access without changing a byte: refused at once on a read-only file.
const QString kWriteProbe = QStringLiteral("DELETE FROM Empleados WHERE 0");

const QString kIdField = QStringLiteral("IdEmpleado");
const QString kNameField = QStringLiteral("Nombre");

// SQLite's result codes, as Qt gives them in nativeErrorCode(). Qt's driver turns on the
// engine's extended codes, and Qt 6.4 gives them: a duplicate key 1555, a missing
// identifier 1299, the named check 275, where the primary code of all three is 19 (a
// constraint). The primary code is the low byte, and the cause of a refusal is told by it;
// a refused constraint by its extended code, never by the engine's English message.
namespace SqliteCode {
constexpr int kBusy = 5;                                      // SQLITE_BUSY
constexpr int kLocked = 6;                                    // SQLITE_LOCKED
constexpr int kReadOnly = 8;                                  // SQLITE_READONLY
constexpr int kConstraint = 19;                               // SQLITE_CONSTRAINT
constexpr int kReadOnlyDbMoved = kReadOnly | (4 << 8);        // SQLITE_READONLY_DBMOVED
constexpr int kConstraintCheck = kConstraint | (1 << 8);      // SQLITE_CONSTRAINT_CHECK
constexpr int kConstraintNotNull = kConstraint | (5 << 8);    // SQLITE_CONSTRAINT_NOTNULL
constexpr int kConstraintPrimaryKey = kConstraint | (6 << 8); // SQLITE_CONSTRAINT_PRIMARYKEY
} // namespace SqliteCode

// The engine's code of an error, or -1 for one that did not come from the engine.
int engineCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    return ok ? code : -1;
}

int primaryCode(const QSqlError &error)
{
    const int code = engineCode(error);
    return code < 0 ? code : code & 0xFF;
}

// Ours, for a write that found its record deleted by another program.
const QString kRecordGone = QStringLiteral("registro-eliminado");

// An update names its record by the key it was read with. When another program deleted
// that record meanwhile, the statement succeeds and writes nothing: that is a failure too.
class EmpleadosModel : public QSqlTableModel
{
public:
    using QSqlTableModel::QSqlTableModel;

protected:
    bool updateRowInTable(int row, const QSqlRecord &values) override
    {
        if (!QSqlTableModel::updateRowInTable(row, values))
            return false;
        QSqlQuery changes(QStringLiteral("SELECT changes()"), database());
        if (changes.next() && changes.value(0).toInt() == 0) {
            setLastError(QSqlError(QString(), QStringLiteral("otro programa eliminó el registro"),
                                   QSqlError::StatementError, kRecordGone));
            return false;
        }
        return true;
    }
};

QString engineText(const QSqlError &error)
{
    const QString text = error.databaseText().trimmed();
    return text.isEmpty() ? error.text().trimmed() : text;
}

// Another connection holds the file.
bool isLock(const QSqlError &error)
{
    return primaryCode(error) == SqliteCode::kBusy || primaryCode(error) == SqliteCode::kLocked;
}

} // namespace

QString EmpleadosDb::defaultPath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("TorvaneElectronico.db"));
}

EmpleadosDb::EmpleadosDb(const QString &path)
    : m_path(path.isEmpty() ? defaultPath() : path)
{
    static int instances = 0;
    m_connection = QStringLiteral("EmpleadosDb-%1").arg(++instances);
}

EmpleadosDb::~EmpleadosDb()
{
    close();
}

EmpleadosDb::Status EmpleadosDb::open()
{
    close();
    const QString &path = m_path;
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("no se pudo crear la carpeta %1").arg(QDir::toNativeSeparators(folder));
        return Status::Failed;
    }
    Status status = Status::Failed;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
        status = db.open() ? check(db) : Status::Failed;
        if (status == Status::Failed && m_error.isEmpty())
            m_error = engineText(db.lastError());
    }
    if (status != Status::Open && status != Status::ReadOnly) {
        const QString error = m_error;
        close();
        m_error = error;
    }
    return status;
}

EmpleadosDb::Status EmpleadosDb::check(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(kSchema) || !query.next()) {
        m_error = engineText(query.lastError());
        return isLock(query.lastError()) ? Status::InUse : Status::Failed;
    }
    const bool empty = query.value(0).toInt() == 0;
    const bool hasTable = query.value(1).toInt() > 0;
    query.finish();
    if (!hasTable && empty && !query.exec(kCreateTable)) {
        m_error = engineText(query.lastError());
        return isLock(query.lastError()) ? Status::InUse : Status::Failed;
    }
    // A database with other contents but without the table is not one this program made:
    // say so in the engine's words rather than add to it.
    if (!query.exec(kColumns)) {
        m_error = engineText(query.lastError());
        return Status::Failed;
    }
    query.finish();
    // Without a key on the identifier a delete or an edit would hit every identical row.
    const QSqlIndex key = db.primaryIndex(tableName());
    if (key.count() != 1 || key.fieldName(0).compare(kIdField, Qt::CaseInsensitive) != 0) {
        m_error = QStringLiteral("la tabla Empleados no tiene clave en IdEmpleado");
        return Status::Failed;
    }
    // A lock held by another program now says nothing about later writes; a read-only file
    // refuses them all.
    if (!query.exec(kWriteProbe) && !isLock(query.lastError())) {
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
    m_error.clear();
}

QSqlDatabase EmpleadosDb::database() const
{
    return QSqlDatabase::database(m_connection, false);
}

QSqlTableModel *EmpleadosDb::createModel(QObject *parent) const
{
    auto *model = new EmpleadosModel(parent, database());
    model->setTable(tableName());
    return model;
}

QString EmpleadosDb::explain(const QSqlError &error) const
{
    const QString file = QDir::toNativeSeparators(m_path);
    // A file deleted, moved or replaced while open refuses writes as if it were read-only.
    if (!QFileInfo::exists(m_path) || engineCode(error) == SqliteCode::kReadOnlyDbMoved)
        return QStringLiteral("el archivo %1 ya no es el que se abrió (se borró, se movió o se reemplazó)").arg(file);
    if (isLock(error))
        return QStringLiteral("otro programa está usando la base de datos");
    if (error.nativeErrorCode() == kRecordGone)
        return QStringLiteral("otro programa eliminó este registro mientras se editaba");
    // The table's one key is the identifier (open() accepts no other), and the identifier
    // is the only field of this program's table that may not be left empty.
    switch (engineCode(error)) {
    case SqliteCode::kConstraintPrimaryKey:
        return QStringLiteral("el identificador ya lo tiene otro empleado");
    case SqliteCode::kConstraintNotNull:
        return QStringLiteral("el identificador no puede quedar vacío");
    case SqliteCode::kConstraintCheck:
        if (error.databaseText().contains(kBlankIdCheck))
            return QStringLiteral("el identificador no puede quedar vacío");
        break;
    default:
        break;
    }
    if (primaryCode(error) == SqliteCode::kReadOnly)
        return QStringLiteral("el archivo es de solo lectura");
    return engineText(error);
}

QString EmpleadosDb::keptRecordPath() const
{
    const QFileInfo database(m_path);
    return database.dir().filePath(database.completeBaseName() + QStringLiteral(".pendiente.json"));
}

bool EmpleadosDb::keepRecord(const Record &record) const
{
    QSaveFile file(keptRecordPath());
    if (!QDir().mkpath(QFileInfo(file.fileName()).absolutePath()) || !file.open(QIODevice::WriteOnly))
        return false;
    const QJsonObject fields{{kIdField, record.id}, {kNameField, record.name}};
    file.write(QJsonDocument(fields).toJson());
    return file.commit();
}

std::optional<EmpleadosDb::Record> EmpleadosDb::keptRecord() const
{
    QFile file(keptRecordPath());
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject fields = QJsonDocument::fromJson(file.readAll()).object();
    if (!fields.value(kIdField).isString() || !fields.value(kNameField).isString())
        return std::nullopt;
    return Record{fields.value(kIdField).toString(), fields.value(kNameField).toString()};
}

void EmpleadosDb::forgetKeptRecord() const
{
    QFile::remove(keptRecordPath());
}
