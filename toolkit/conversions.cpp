#include "conversions.h"

#include <cmath>
#include <limits>

namespace Conversions {

std::optional<qint32> toInt32(const QString &text, const QLocale &locale)
{
    const QString trimmed = text.trimmed();
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
