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

const QString kIdField = QStringLiteral("IdEmpleado");
const QString kNameField = QStringLiteral("Nombre");

// SQLite's result codes, as Qt gives them in nativeErrorCode().
const QString kSqliteBusy = QStringLiteral("5");
const QString kSqliteLocked = QStringLiteral("6");
const QString kSqliteReadOnly = QStringLiteral("8");
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

// SQLITE_BUSY and SQLITE_LOCKED: another connection holds the file.
bool isLock(const QSqlError &error)
{
    return error.nativeErrorCode() == kSqliteBusy || error.nativeErrorCode() == kSqliteLocked;
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
    // A file deleted or moved while open refuses writes as if it were read-only.
    if (!QFileInfo::exists(m_path))
        return QStringLiteral("el archivo %1 ya no existe (se borró o se movió)").arg(QDir::toNativeSeparators(m_path));
    const QString text = engineText(error);
    if (isLock(error))
        return QStringLiteral("otro programa está usando la base de datos");
    if (error.nativeErrorCode() == kRecordGone)
        return QStringLiteral("otro programa eliminó este registro mientras se editaba");
    if (text.startsWith(QLatin1String("UNIQUE constraint failed")))
        return QStringLiteral("el identificador ya lo tiene otro empleado");
    if (text.contains(QLatin1String("IdEmpleado vacio")) || text.startsWith(QLatin1String("NOT NULL")))
        return QStringLiteral("el identificador no puede quedar vacío");
    if (error.nativeErrorCode() == kSqliteReadOnly)
        return QStringLiteral("el archivo es de solo lectura");
    return text;
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
    const QJsonObject fields{{kIdField, record.first}, {kNameField, record.second}};
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
