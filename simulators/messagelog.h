#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The CSV file in which the simulators record what they receive, and from which the sender
// replays it. UTF-8, one header line, then one row per receive:
//
//     ms,origen,bytes,resultado
//     1520,tcp 127.0.0.1,"A45",Q1=45
//
// ms counts from the program's start; origen is "serie" or "tcp " and the client's address;
// bytes are the bytes of the receive, quoted, printable ASCII as is except '"' and '\', and
// every other byte as \xHH (two upper-case hex digits), so that any byte survives a text
// editor and a spreadsheet; resultado is what the arm panel did with them.
namespace MessageLog {

struct Row
{
    qint64 ms = 0;
    QString source;
    QByteArray bytes;
    QString outcome;
};

QByteArray header();
// One line, its end included.
QByteArray format(const Row &row);
// A line without its end; nothing when it is not a row (the header, say).
std::optional<Row> parse(QStringView line);

QString escape(const QByteArray &bytes);
std::optional<QByteArray> unescape(QStringView text);

} // namespace MessageLog
