#include "script.h"

#include "jointmessage.h"
#include "messagelog.h"
#include "positionpose.h"
#include "winansi.h"

#include <QRegularExpression>

#include <algorithm>
#include <limits>

namespace {

QString lineError(qsizetype index, const QString &why)
{
    return QStringLiteral("línea %1: %2").arg(index + 1).arg(why);
}

// Nothing to send, and why.
Script refused(const QString &error)
{
    Script script;
    script.error = error;
    return script;
}

// An angle as the sender writes it: whole degrees, within what the joint entries convert.
std::optional<int> wholeDegrees(const QString &text)
{
    bool ok = false;
    const int degrees = text.toInt(&ok);
    return ok ? std::optional<int>(degrees) : std::nullopt;
}

std::optional<int> pauseMs(const QString &text)
{
    bool ok = false;
    const int ms = text.toInt(&ok);
    return ok && ms >= 0 ? std::optional<int>(ms) : std::nullopt;
}

QString notAPause(const QString &text)
{
    return QStringLiteral("«%1» no es una pausa en ms (un número entero, 0 o más).").arg(text);
}

QByteArray jointMessage(int joint, int degrees)
{
    return QByteArray::fromStdString(protocol::message(joint, degrees));
}

std::string_view view(const QByteArray &bytes)
{
    return std::string_view(bytes.constData(), std::size_t(bytes.size()));
}

// One line of a pose file, read: the pose and its pause, or why it is not one.
struct PoseLine
{
    std::array<int, 4> degrees{};
    int pauseMs = 0;
    QString error;
    QStringList warnings;
};

PoseLine anglePose(const QStringList &fields)
{
    PoseLine line;
    if (fields.size() < 4 || fields.size() > 5) {
        line.error = QStringLiteral("se esperaban cuatro ángulos y, si acaso, una pausa en ms («q1 q2 q3 q4 "
                                    "[pausa_ms]»), o una posición («p x y z [cabeceo|-] [pausa_ms]»), y hay %1 "
                                    "valores.")
                         .arg(fields.size());
        return line;
    }
    for (int joint = 0; joint < 4; ++joint) {
        const std::optional<int> degrees = wholeDegrees(fields[joint]);
        if (!degrees) {
            line.error = QStringLiteral("«%1» no es un ángulo en grados enteros.").arg(fields[joint]);
            return line;
        }
        line.degrees[joint] = *degrees;
    }
    const std::optional<int> pause = fields.size() == 5 ? pauseMs(fields[4]) : 0;
    if (!pause)
        line.error = notAPause(fields[4]);
    line.pauseMs = pause.value_or(0);
    return line;
}

// fields[0] is "p".
PoseLine positionPose(const QStringList &fields, arm::Elbow elbow)
{
    PoseLine line;
    if (fields.size() < 4 || fields.size() > 6) {
        line.error = QStringLiteral("una posición es «p x y z [cabeceo|-] [pausa_ms]» (con - en lugar del cabeceo "
                                    "para que se elija solo), y hay %1 valores tras la p.")
                         .arg(fields.size() - 1);
        return line;
    }
    std::array<double, 3> point{};
    std::optional<double> pitch;
    for (int i = 1; i < std::min<int>(int(fields.size()), 5); ++i) {
        if (i == 4 && fields[i] == QLatin1String("-"))
            continue;
        const std::optional<double> number = PositionPose::readNumber(fields[i]);
        if (!number) {
            line.error = QStringLiteral("«%1» no es un número; los decimales van con punto: 12.5.").arg(fields[i]);
            return line;
        }
        if (i < 4)
            point[i - 1] = *number;
        else
            pitch = number;
    }
    const std::optional<int> pause = fields.size() == 6 ? pauseMs(fields[5]) : 0;
    if (!pause) {
        line.error = notAPause(fields[5]);
        return line;
    }
    line.pauseMs = *pause;
    const PositionPose pose = PositionPose::solve({point[0], point[1], point[2]}, pitch, elbow);
    line.error = pose.failure;
    line.degrees = pose.degrees;
    line.warnings = pose.warnings();
    return line;
}

} // namespace

Script Script::fromMessages(const QStringList &messages)
{
    Script script;
    for (const QString &message : messages) {
        const QByteArray bytes = WinAnsi::encode(message);
        if (!protocol::isWellFormed(view(bytes)))
            return refused(QStringLiteral("Mensaje no válido: «%1». Un mensaje es la letra de la articulación (A, B, "
                                          "C o D) y, si acaso, el ángulo en grados enteros: A45, C-30, D.")
                               .arg(message));
        script.steps.append({bytes, 0});
    }
    return script;
}

Script Script::fromPose(const std::array<int, 4> &degrees)
{
    Script script;
    for (int joint = 1; joint <= 4; ++joint)
        script.steps.append({jointMessage(joint, degrees[joint - 1]), 0});
    return script;
}

Script Script::fromPoses(const QString &text, arm::Elbow elbow)
{
    Script script;
    // The sender cannot know where the arm is: the first pose sends all four joints.
    std::optional<std::array<int, 4>> previous;
    int waitMs = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        const QStringList fields = lines[i].section(QLatin1Char('#'), 0, 0).split(blanks, Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        const PoseLine pose = fields.front() == QLatin1String("p") ? positionPose(fields, elbow) : anglePose(fields);
        if (!pose.error.isEmpty())
            return refused(lineError(i, pose.error));
        for (const QString &warning : pose.warnings)
            script.warnings << lineError(i, warning);
        for (int joint = 0; joint < 4; ++joint) {
            if (previous && pose.degrees[joint] == (*previous)[joint])
                continue;
            script.steps.append({jointMessage(joint + 1, pose.degrees[joint]), waitMs});
            waitMs = 0;
        }
        previous = pose.degrees;
        waitMs = int(std::min<qint64>(qint64(waitMs) + pose.pauseMs, std::numeric_limits<int>::max()));
    }
    return script;
}

Script Script::fromRecording(const QString &text, const ReplayTiming &timing)
{
    Script script;
    std::optional<qint64> previousMs;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QStringView line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || (line.toUtf8() + '\n') == MessageLog::header())
            continue;
        const std::optional<MessageLog::Row> row = MessageLog::parse(line);
        if (!row)
            return refused(lineError(i, QStringLiteral("no es una fila de un registro de mensajes "
                                                       "(ms,origen,\"bytes\",resultado).")));
        // Each run of the simulator counts from zero again, and marks where it started: the
        // first message of a run comes as long after the start as it came then. A file
        // without marks can still step back in time where a run started: that is no wait.
        if (MessageLog::isStartMark(*row)) {
            previousMs = row->ms;
            continue;
        }
        const qint64 gapMs = previousMs ? std::max<qint64>(0, row->ms - *previousMs) : 0;
        double waitMs = std::min(double(gapMs) / timing.speed, double(std::numeric_limits<int>::max()));
        if (timing.maxPauseMs)
            waitMs = std::min(waitMs, double(*timing.maxPauseMs));
        script.steps.append({row->bytes, int(waitMs)});
        previousMs = row->ms;
    }
    return script;
}

void Script::endLines()
{
    for (Step &step : steps) {
        if (step.bytes.endsWith('\n') || step.bytes.endsWith('\r'))
            continue;
        if (step.bytes.size() == 1 && protocol::jointOf(step.bytes.front()) != 0)
            step.bytes += QByteArray::fromStdString(protocol::angleText(view(step.bytes)));
        step.bytes += "\r\n";
    }
}
