#include "serialports.h"

#include <utility>

QString SerialPortInfo::label() const
{
    return description.isEmpty() ? device : device + QStringLiteral(" — ") + description;
}

namespace SerialPorts {

bool naturalLess(const QString &a, const QString &b)
{
    // The names of serial ports are a stem and a number: the stems first, then the numbers.
    auto split = [](const QString &name) {
        qsizetype digits = name.size();
        while (digits > 0 && name[digits - 1].isDigit())
            --digits;
        return std::make_pair(name.left(digits), name.mid(digits));
    };
    const auto [stemA, numberA] = split(a);
    const auto [stemB, numberB] = split(b);
    if (stemA != stemB)
        return stemA < stemB;
    if (numberA.size() != numberB.size())
        return numberA.size() < numberB.size();
    return numberA < numberB;
}

} // namespace SerialPorts
