// Text to integer as the joint entries read it, in the C and the Spanish locale: besides not
// crashing, the answer must not depend on blanks around the text, on how the value itself
// would be written back, or on which of the two reading paths a plain integer takes.
#include "conversions.h"
#include "fuzzcheck.h"

#include <QLocale>
#include <QString>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <optional>

namespace {

// A plain integer ([+-]digits, ASCII) read without Qt: what every locale must agree on.
std::optional<std::optional<qint32>> plainValue(const QString &trimmed)
{
    const QByteArray ascii = trimmed.toLatin1();
    qsizetype i = (ascii.startsWith('+') || ascii.startsWith('-')) ? 1 : 0;
    if (i == ascii.size() || trimmed.size() != ascii.size())
        return std::nullopt;
    for (qsizetype k = i; k < ascii.size(); ++k) {
        if (ascii[k] < '0' || ascii[k] > '9')
            return std::nullopt;
    }
    // Exact up to 15 significant digits, and far out of range beyond that.
    const double value = std::strtod(ascii.constData(), nullptr);
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        return std::optional<qint32>();
    return std::optional<qint32>(qint32(value));
}

void checkIn(const QString &text, const QLocale &locale)
{
    const std::optional<qint32> value = Conversions::toInt32(text, locale);
    FUZZ_CHECK(Conversions::toInt32(QStringLiteral(" \t") + text + QStringLiteral("  "), locale) == value);

    const QString trimmed = text.trimmed();
    if (const auto plain = plainValue(trimmed))
        FUZZ_CHECK(*plain == value);
    if (!value)
        return;
    FUZZ_CHECK(Conversions::toInt32(QString::number(*value), locale) == value);
    FUZZ_CHECK(Conversions::toInt32(locale.toString(*value), locale) == value);
    // Rounding is symmetric (half to even), so a minus sign in front negates the value.
    if (!trimmed.isEmpty() && trimmed.front().isDigit()) {
        const std::optional<qint32> negated = Conversions::toInt32(locale.negativeSign() + trimmed, locale);
        FUZZ_CHECK(negated && qint64(*negated) == -qint64(*value));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const QLocale c = QLocale::c();
    static const QLocale spanish(QLocale::Spanish, QLocale::Spain);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    checkIn(text, c);
    checkIn(text, spanish);
    return 0;
}
