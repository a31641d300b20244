#include "conversions.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace Conversions {
namespace {

// Plain whole numbers ("45", " -90 ") are nearly every text an entry sees, and reading
// them through the locale costs more than the whole kinematics. They read the same in
// every locale, so they take this short path; everything else goes through the locale.
std::optional<qint64> plainInteger(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+')))
        negative = text[i++] == QLatin1Char('-');
    const qsizetype firstDigit = i;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9' || i - firstDigit >= 11)
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    if (i == firstDigit)
        return std::nullopt;
    return negative ? -value : value;
}

// Some locales keep a minimum-grouping rule: Qt's Spanish refuses "1.000" and "2.500" while
// it reads "10.000", yet people type the four-digit numbers with their separator too. Such a
// text is read again without its group separators, provided they stand where groups belong.
std::optional<double> readUngrouped(const QString &text, const QLocale &locale)
{
    const QString group = locale.groupSeparator();
    if (group.isEmpty() || !text.contains(group))
        return std::nullopt;
    const qsizetype point = text.indexOf(locale.decimalPoint());
    if (point >= 0 && text.indexOf(group, point) >= 0)
        return std::nullopt;
    QStringView integerPart = QStringView(text).left(point < 0 ? text.size() : point);
    if (integerPart.startsWith(locale.negativeSign()))
        integerPart = integerPart.mid(locale.negativeSign().size());
    else if (integerPart.startsWith(locale.positiveSign()))
        integerPart = integerPart.mid(locale.positiveSign().size());
    const QList<QStringView> groups = integerPart.split(group);
    for (qsizetype i = 0; i < groups.size(); ++i) {
        const qsizetype size = groups[i].size();
        if ((i == 0 ? size < 1 || size > 3 : size != 3)
            || !std::all_of(groups[i].begin(), groups[i].end(), [](QChar c) { return c.isDigit(); }))
            return std::nullopt;
    }
    QString plain = text;
    plain.remove(group);
    bool ok = false;
    const double value = locale.toDouble(plain, &ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

std::optional<qint32> toInt32(const QString &text, const QLocale &locale)
{
    const QStringView view = QStringView(text).trimmed();
    if (const std::optional<qint64> plain = plainInteger(view)) {
        if (*plain < std::numeric_limits<qint32>::min() || *plain > std::numeric_limits<qint32>::max())
            return std::nullopt;
        return qint32(*plain);
    }

    const QString trimmed = view.toString();
    if (trimmed.isEmpty())
        return std::nullopt;

    bool ok = false;
    double value = locale.toDouble(trimmed, &ok);
    if (!ok && locale.language() != QLocale::C) {
        const std::optional<double> ungrouped = readUngrouped(trimmed, locale);
        ok = ungrouped.has_value();
        value = ungrouped.value_or(0.0);
    }
    if (!ok || !std::isfinite(value))
        return std::nullopt;

    // nearbyint honours the default rounding mode: to nearest, ties to even.
    const double rounded = std::nearbyint(value);
    if (rounded < double(std::numeric_limits<qint32>::min())
        || rounded > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint32(rounded);
}

QString toFixed(double value, const QLocale &locale)
{
    QString digits = QString::number(std::fabs(value), 'f', 3);
    const bool negative = value < 0 && digits != QLatin1String("0.000");
    if (digits.indexOf(QLatin1Char('.')) < 2)
        digits.prepend(QLatin1Char('0'));
    digits.replace(QLatin1Char('.'), locale.decimalPoint());
    return negative ? QLatin1Char('-') + digits : digits;
}

QString joinLines(const QStringList &lines)
{
    return lines.join(QStringLiteral("\r\n"));
}

} // namespace Conversions
