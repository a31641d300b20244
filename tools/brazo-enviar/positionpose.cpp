#include "positionpose.h"

#include <cmath>

namespace {

QString elbowWord(arm::Elbow elbow)
{
    return elbow == arm::Elbow::Up ? QStringLiteral("arriba") : QStringLiteral("abajo");
}

// At most three decimals and none that are zero: "0", "18", "-12.5".
QString shortNumber(double value)
{
    QString text = QString::number(value, 'f', 3);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

} // namespace

PositionPose PositionPose::solve(const arm::Point3 &target, std::optional<double> pitchDeg, arm::Elbow elbow)
{
    const arm::InverseResult result = arm::inverse(target, pitchDeg);
    PositionPose pose;
    pose.asked = elbow;
    pose.targetBelowFloor = target.z < 0;
    if (result.status != arm::InverseResult::Status::Reached) {
        pose.failure = QString::fromStdString(arm::describe(result));
        return pose;
    }
    pose.pitchDeg = result.pitchDeg;
    // Q1 facing the point comes first; its elbow asked for, else the one that is there.
    const arm::InverseSolution *chosen = nullptr;
    for (const arm::InverseSolution &solution : result.solutions) {
        if (solution.baseTurned)
            continue;
        if (!chosen || solution.elbow == elbow)
            chosen = &solution;
        if (solution.elbow == elbow)
            break;
    }
    pose.degrees = chosen->degrees;
    pose.elbow = chosen->elbow;
    pose.error = chosen->error;
    pose.belowFloor = chosen->belowFloor;
    return pose;
}

std::optional<double> PositionPose::readNumber(const QString &text)
{
    bool ok = false;
    // QString's own reading is the C locale's, without group separators: "1,5" is refused
    // rather than read as 15.
    const double value = text.toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

QString PositionPose::summary() const
{
    return QStringLiteral("Q1 %1, Q2 %2, Q3 %3, Q4 %4 (cabeceo %5°, error %6)")
        .arg(degrees[0])
        .arg(degrees[1])
        .arg(degrees[2])
        .arg(degrees[3])
        .arg(shortNumber(pitchDeg), QString::number(error, 'f', 3));
}

QStringList PositionPose::warnings() const
{
    QStringList warnings;
    if (elbow != asked)
        warnings << QStringLiteral("Aviso: con el brazo estirado del todo no hay codo %1; se usa el codo %2.")
                        .arg(elbowWord(asked), elbowWord(elbow));
    if (belowFloor && targetBelowFloor) {
        warnings << QStringLiteral("Aviso: el punto está por debajo del suelo (z menor que 0): el brazo llega "
                                   "atravesándolo.");
    } else if (belowFloor) {
        const QString other = elbowWord(elbow == arm::Elbow::Up ? arm::Elbow::Down : arm::Elbow::Up);
        warnings << QStringLiteral("Aviso: con esos ángulos parte del brazo pasa por debajo del suelo (z menor que "
                                   "0). Pruebe con --codo %1 u otro cabeceo.")
                        .arg(other);
    }
    return warnings;
}
