#pragma once

#include <QByteArray>
#include <QDateTime>
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
// bytes are the bytes of the message, quoted, printable ASCII as is except '"' and '\', and
// every other byte as \xHH (two upper-case hex digits), so that any byte survives a text
// editor and a spreadsheet; resultado is what the arm panel did with them.
//
// Each start of a recording is a row of its own, whose origen is "inicio" and whose
// resultado is the date and time ("2026-12-09 10:15:02"): several runs appended to one
// file can be told apart, each with its clock from zero.
namespace MessageLog {

struct Row
{
    qint64 ms = 0;
    QString source;
    QByteArray bytes;
    QString outcome;
};

QByteArray header();
// The row that marks the start of a recording.
Row startMark(qint64 ms, const QDateTime &when);
bool isStartMark(const Row &row);
// One line, its end included.
QByteArray format(const Row &row);
// A line without its end; nothing when it is not a row (the header, say).
std::optional<Row> parse(QStringView line);

QString escape(const QByteArray &bytes);
std::optional<QByteArray> unescape(QStringView text);

} // namespace MessageLog
