#pragma once

#include <QFile>

#include <algorithm>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

// A database file seen from outside the program, through a connection of its own, as
// another program would see it.
namespace SqliteFile {

using Rows = QList<QPair<QString, QString>>;

template <typename Use>
void withConnection(const QString &path, Use use)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("sqlitefile"));
        db.setDatabaseName(path);
        if (db.open())
            use(db);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("sqlitefile"));
}

// The first two columns of every row that the query returns.
inline Rows readRows(const QString &path, const QString &query)
{
    Rows rows;
    withConnection(path, [&](QSqlDatabase &db) {
        QSqlQuery result(query, db);
        while (result.next())
            rows.append({result.value(0).toString(), result.value(1).toString()});
    });
    return rows;
}

// Runs the statements in order; false at the first that fails.
inline bool execAll(const QString &path, const QStringList &statements)
{
    bool ok = false;
    withConnection(path, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        ok = std::all_of(statements.cbegin(), statements.cend(), [&query](const QString &s) { return query.exec(s); });
    });
    return ok;
}

// The file's bytes, to show that it was left untouched.
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace SqliteFile
