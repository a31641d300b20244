#include "sqlitefile.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace SqliteFile {
namespace {

const QString kConnection = QStringLiteral("sqlitefile-reader");

template <typename Use>
void withConnection(const QString &path, Use use)
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kConnection);
        db.setDatabaseName(path);
        use(db);
    }
    QSqlDatabase::removeDatabase(kConnection);
}

} // namespace

Rows readRows(const QString &path, const QString &query)
{
    Rows rows;
    withConnection(path, [&](QSqlDatabase &db) {
        if (!db.open())
            return;
        QSqlQuery result(query, db);
        while (result.next())
            rows.append({result.value(0).toString(), result.value(1).toString()});
    });
    return rows;
}

bool execAll(const QString &path, const QStringList &statements)
{
    bool ok = false;
    withConnection(path, [&](QSqlDatabase &db) {
        ok = db.open();
        QSqlQuery query(db);
        for (const QString &statement : statements)
            ok = ok && query.exec(statement);
    });
    return ok;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace SqliteFile
