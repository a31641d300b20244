#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

class QObject;
class QSqlError;
class QSqlTableModel;

// The employees' database of this user: a SQLite file in the application-data folder,
// on a connection of its own. A new or empty file gets the table "Empleados"; any other
// file is only read and checked, so a file that is damaged, is not a database or belongs
// to something else is never written over. Another program's lock is waited on for a
// fraction of a second at most, so that the window never freezes on it.
class EmpleadosDb
{
public:
    enum class Status { Open, ReadOnly, InUse, Failed };
    // One employee as the boxes show it.
    struct Record
    {
        QString id;
        QString name;

        friend bool operator==(const Record &a, const Record &b) { return a.id == b.id && a.name == b.name; }
        friend bool operator!=(const Record &a, const Record &b) { return !(a == b); }
    };

    static QString defaultPath();
    static QString tableName() { return QStringLiteral("Empleados"); }

    // The database in that file (empty: defaultPath(), found when the application has its
    // name); it is opened by open().
    explicit EmpleadosDb(const QString &path = QString());
    ~EmpleadosDb();
    EmpleadosDb(const EmpleadosDb &) = delete;
    EmpleadosDb &operator=(const EmpleadosDb &) = delete;

    // Open: ready. ReadOnly: the records can be read but the engine refuses writes.
    // InUse: another program holds the file. Failed: errorText() says why. The connection
    // stays open only for Open and ReadOnly.
    Status open();
    // Everything using the connection (models, queries) must be gone by now.
    void close();

    QSqlDatabase database() const;
    // A model of the table on this connection, for a record navigator to show and edit. A
    // write to a record that another program deleted meanwhile fails, and explain() says so.
    QSqlTableModel *createModel(QObject *parent = nullptr) const;
    QString path() const { return m_path; }
    // The engine's message behind ReadOnly or Failed.
    QString errorText() const { return m_error; }

    // Why the engine refused a write or a delete, in a few Spanish words for the user.
    QString explain(const QSqlError &error) const;

    // A record the database refused when the window closed or the program ended, kept in a
    // small file beside the database until the registry can write it.
    bool keepRecord(const Record &record) const;
    std::optional<Record> keptRecord() const;
    void forgetKeptRecord() const;

private:
    Status check(QSqlDatabase &db);
    QString keptRecordPath() const;

    QString m_connection;
    const QString m_path;
    QString m_error;
};
