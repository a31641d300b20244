#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>

// The number conversions the windows rely on. Every function takes the locale so that a
// test can pin one; the windows pass QLocale::system().
namespace Conversions {

// Text to a 32-bit signed integer: the nearest integer, an exact half to the even
// neighbour (12.5 -> 12, 13.5 -> 14). Blanks around the number and the locale's decimal
// and group separators are accepted ("1.000" is 1000 in Spanish, as "10.000" is 10000).
// No value for text that is not a finite number or that falls outside the 32-bit range
// once rounded.
std::optional<qint32> toInt32(const QString &text, const QLocale &locale = QLocale::system());

// A number by the pattern "00.000": at least two integer digits, three decimals rounded,
// the locale's decimal separator. A negative value that rounds to zero loses its sign.
QString toFixed(double value, const QLocale &locale = QLocale::system());

// Lines as one text, the way every multi-line text of the program is written: CR LF
// between the lines, no line break before the first or after the last.
QString joinLines(const QStringList &lines);

} // namespace Conversions
