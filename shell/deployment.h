#pragma once

#include <QString>
#include <QStringList>

// What a school puts in the information boxes of the Ayuda menu. Edit these texts when
// the program is deployed; the rest of the program does not depend on them.
namespace Deployment {

inline QString schoolName()
{
    return QStringLiteral("Nombre del plantel (a completar)");
}

inline QString teacherName()
{
    return QStringLiteral("Nombre del profesor (a completar)");
}

inline QStringList teamMembers()
{
    return {QStringLiteral("Integrante 1 (a completar)"), QStringLiteral("Integrante 2 (a completar)"),
            QStringLiteral("Integrante 3 (a completar)"), QStringLiteral("Integrante 4 (a completar)")};
}

} // namespace Deployment
