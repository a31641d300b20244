#include "conversions.h"

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
    const double value = locale.toDouble(trimmed, &ok);
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

QString fromInt(qint64 value, bool signPosition)
{
    const QString digits = QString::number(value);
    return (signPosition && value >= 0) ? QLatin1Char(' ') + digits : digits;
}

} // namespace Conversions
