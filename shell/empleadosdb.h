#pragma once

#include <QSqlDatabase>
#include <QString>

// The employees' database of this user: a SQLite file in the application-data folder,
// on a connection of its own. A new or empty file gets the table "Empleados"; any other
// file is only read and checked, so a file that is damaged, is not a database or belongs
// to something else is never written over.
class EmpleadosDb
{
public:
    enum class Status { Closed, Open, ReadOnly, Failed };

    static QString defaultPath();
    static QString tableName() { return QStringLiteral("Empleados"); }

    EmpleadosDb();
    ~EmpleadosDb();
    EmpleadosDb(const EmpleadosDb &) = delete;
    EmpleadosDb &operator=(const EmpleadosDb &) = delete;

    // Open: ready. ReadOnly: the records can be read but the engine refuses writes.
    // Failed: the connection is closed again; errorText() says why.
    Status open(const QString &path = defaultPath());
    // Everything using the connection (models, queries) must be gone by now.
    void close();

    Status status() const { return m_status; }
    QSqlDatabase database() const;
    QString path() const { return m_path; }
    // The engine's message behind ReadOnly or Failed.
    QString errorText() const { return m_error; }

private:
    Status check(QSqlDatabase &db);

    QString m_connection;
    QString m_path;
    QString m_error;
    Status m_status = Status::Closed;
};
