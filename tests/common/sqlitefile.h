#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// A database file seen from outside the program, through a connection of its own, as
// another program would see it.
namespace SqliteFile {

using Rows = QList<QPair<QString, QString>>;

// The first two columns of every row that the query returns.
Rows readRows(const QString &path, const QString &query);
// Runs the statements in order; false at the first that fails.
bool execAll(const QString &path, const QStringList &statements);
// The file's bytes, to show that it was left untouched.
QByteArray fileBytes(const QString &path);

} // namespace SqliteFile
