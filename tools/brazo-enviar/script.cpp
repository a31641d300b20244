#include "script.h"

#include "jointmessage.h"
#include "messagelog.h"
#include "winansi.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace {

QString lineError(qsizetype index, const QString &why)
{
    return QStringLiteral("línea %1: %2").arg(index + 1).arg(why);
}

// An angle as the sender writes it: whole degrees, within what the joint entries convert.
std::optional<int> wholeDegrees(const QString &text)
{
    bool ok = false;
    const int degrees = text.toInt(&ok);
    return ok ? std::optional<int>(degrees) : std::nullopt;
}

QByteArray jointMessage(int joint, int degrees)
{
    return QByteArray::fromStdString(protocol::message(joint, degrees));
}

} // namespace

Script Script::fromMessages(const QStringList &messages)
{
    Script script;
    for (const QString &message : messages) {
        const QByteArray bytes = WinAnsi::encode(message);
        if (!protocol::isWellFormed(std::string_view(bytes.constData(), std::size_t(bytes.size())))) {
            script.error = QStringLiteral("Mensaje no válido: «%1». Un mensaje es la letra de la articulación (A, B, "
                                          "C o D) y, si acaso, el ángulo en grados enteros: A45, C-30, D.")
                               .arg(message);
            return script;
        }
        script.steps.append({bytes, 0});
    }
    return script;
}

Script Script::fromPoses(const QString &text)
{
    Script script;
    // The sender cannot know where the arm is: the first pose sends all four joints.
    std::optional<std::array<int, 4>> previous;
    int waitMs = 0;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section(QLatin1Char('#'), 0, 0);
        static const QRegularExpression blanks(QStringLiteral("\\s+"));
        const QStringList fields = line.split(blanks, Qt::SkipEmptyParts);
        if (fields.isEmpty())
            continue;
        if (fields.size() < 4 || fields.size() > 5) {
            script.error = lineError(i, QStringLiteral("se esperaban cuatro ángulos y, si acaso, una pausa en ms "
                                                       "(«q1 q2 q3 q4 [pausa_ms]»), y hay %1 valores.")
                                            .arg(fields.size()));
            return script;
        }
        std::array<int, 4> pose{};
        for (int joint = 0; joint < 4; ++joint) {
            const std::optional<int> degrees = wholeDegrees(fields[joint]);
            pose[joint] = degrees.value_or(0);
            if (!degrees) {
                script.error = lineError(i, QStringLiteral("«%1» no es un ángulo en grados enteros.").arg(fields[joint]));
                return script;
            }
        }
        bool ok = true;
        const int pauseMs = fields.size() == 5 ? fields[4].toInt(&ok) : 0;
        if (!ok || pauseMs < 0) {
            script.error = lineError(i, QStringLiteral("«%1» no es una pausa en ms (un número entero, 0 o más).")
                                            .arg(fields[4]));
            return script;
        }
        for (int joint = 0; joint < 4; ++joint) {
            if (previous && pose[joint] == (*previous)[joint])
                continue;
            script.steps.append({jointMessage(joint + 1, pose[joint]), waitMs});
            waitMs = 0;
        }
        previous = pose;
        waitMs = int(std::min<qint64>(qint64(waitMs) + pauseMs, std::numeric_limits<int>::max()));
    }
    return script;
}

Script Script::fromRecording(const QString &text, double speed)
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
        if (!row) {
            script.error = lineError(i, QStringLiteral("no es una fila de un registro de mensajes "
                                                       "(ms,origen,\"bytes\",resultado)."));
            return script;
        }
        // A file appended to by several runs starts its clock again at each run: such a
        // step back in time is no wait at all.
        const qint64 gapMs = previousMs ? std::max<qint64>(0, row->ms - *previousMs) : 0;
        const double waitMs = std::min(double(gapMs) / speed, double(std::numeric_limits<int>::max()));
        script.steps.append({row->bytes, int(waitMs)});
        previousMs = row->ms;
    }
    return script;
}
