#include "messagelog.h"

namespace MessageLog {
namespace {

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    return -1;
}

} // namespace

QByteArray header()
{
    return QByteArrayLiteral("ms,origen,bytes,resultado\n");
}

Row startMark(qint64 ms, const QDateTime &when)
{
    return {ms, QStringLiteral("inicio"), QByteArray(), when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
}

bool isStartMark(const Row &row)
{
    return row.source == QLatin1String("inicio");
}

QByteArray format(const Row &row)
{
    return QStringLiteral("%1,%2,\"%3\",%4\n")
        .arg(row.ms)
        .arg(row.source, escape(row.bytes), row.outcome)
        .toUtf8();
}

std::optional<Row> parse(QStringView line)
{
    // The source holds no comma and the quoted bytes no quote, so the fields are found
    // without a general CSV reader.
    const qsizetype firstComma = line.indexOf(QLatin1Char(','));
    const qsizetype secondComma = line.indexOf(QLatin1Char(','), firstComma + 1);
    if (firstComma < 0 || secondComma < 0 || line.mid(secondComma + 1, 1) != QLatin1String("\""))
        return std::nullopt;
    const qsizetype closingQuote = line.indexOf(QLatin1Char('"'), secondComma + 2);
    if (closingQuote < 0)
        return std::nullopt;
    Row row;
    bool ok = false;
    row.ms = line.left(firstComma).toLongLong(&ok);
    const std::optional<QByteArray> bytes = unescape(line.mid(secondComma + 2, closingQuote - secondComma - 2));
    if (!ok || !bytes)
        return std::nullopt;
    row.source = line.mid(firstComma + 1, secondComma - firstComma - 1).toString();
    row.bytes = *bytes;
    row.outcome = line.mid(closingQuote + 2).toString();
    return row;
}

QString escape(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u >= 0x20 && u < 0x7F && u != '"' && u != '\\')
            text.append(QLatin1Char(b));
        else
            text.append(QLatin1String("\\x") + QString::number(uint(u), 16).rightJustified(2, QLatin1Char('0')).toUpper());
    }
    return text;
}

std::optional<QByteArray> unescape(QStringView text)
{
    QByteArray bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('\\')) {
            if (i + 3 >= text.size() || text[i + 1] != QLatin1Char('x'))
                return std::nullopt;
            const int high = hexDigit(text[i + 2]);
            const int low = hexDigit(text[i + 3]);
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes.append(char(high * 16 + low));
            i += 3;
        } else if (c.unicode() >= 0x20 && c.unicode() < 0x7F && c != QLatin1Char('"')) {
            bytes.append(char(c.unicode()));
        } else {
            return std::nullopt;
        }
    }
    return bytes;
}

} // namespace MessageLog
