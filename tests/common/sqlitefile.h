#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>

#include <algorithm>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

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

// The employees' table as the program makes it.
inline const QString kEmpleados =
    QStringLiteral("CREATE TABLE Empleados (IdEmpleado TEXT PRIMARY KEY NOT NULL, Nombre TEXT)");

// A new file in a new folder, with the table that the statement creates and these rows.
inline bool create(const QString &path, const QString &createTable, const Rows &rows = {})
{
    QStringList statements{createTable, QStringLiteral("BEGIN")};
    for (const auto &row : rows) {
        statements << QStringLiteral("INSERT INTO %1 VALUES ('%2', '%3')")
                          .arg(createTable.section(QLatin1Char(' '), 2, 2), row.first, row.second);
    }
    statements << QStringLiteral("COMMIT");
    return QDir().mkpath(QFileInfo(path).absolutePath()) && execAll(path, statements);
}

// The file's bytes, to show that it was left untouched.
inline QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Makes a file one the process may not write, or writable again. For root, whom
// permissions do not stop, only the immutable flag does it. False when it cannot be done.
inline bool setReadOnly(const QString &path, bool readOnly)
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

} // namespace SqliteFile
