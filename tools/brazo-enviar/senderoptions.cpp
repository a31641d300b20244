#include "senderoptions.h"

#include "jointmessage.h"
#include "positionpose.h"
#include "seriallink.h"
#include "tcpclientlink.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <array>
#include <cmath>
#include <optional>

namespace {

// A message without a line end is taken with all that is read with it, so the next one
// must come after the simulator has read the last. Over TCP that is its event loop's turn, a few milliseconds. USB serial
// adapters hold received bytes for up to 16 ms before passing them on, hence the larger
// margin on serial.
constexpr int kTcpIntervalMs = 10;
constexpr int kSerialIntervalMs = 20;

// "HOST", "HOST:PUERTO", "[IPv6]:PUERTO" or a bare IPv6 address.
bool splitHostPort(const QString &text, QString *host, quint16 *port)
{
    std::optional<QString> portText;
    if (text.startsWith(QLatin1Char('['))) {
        const qsizetype close = text.indexOf(QLatin1Char(']'));
        if (close < 0)
            return false;
        *host = text.mid(1, close - 1);
        const QString rest = text.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(QLatin1Char(':')))
            return false;
        if (!rest.isEmpty())
            portText = rest.mid(1);
    } else if (text.count(QLatin1Char(':')) == 1) {
        *host = text.section(QLatin1Char(':'), 0, 0);
        portText = text.section(QLatin1Char(':'), 1);
    } else {
        *host = text;
    }
    *port = protocol::kTcpPort;
    if (host->isEmpty() || !portText)
        return !host->isEmpty();
    bool ok = false;
    const uint value = portText->toUInt(&ok);
    *port = quint16(value);
    return ok && value >= 1 && value <= 65535;
}

} // namespace

Link *LinkOptions::createLink(QObject *parent) const
{
    if (kind == Kind::Serial)
        return new SerialLink({device, pacing.baudRate}, parent);
    return new TcpClientLink(host, port, parent);
}

namespace {

// The options as the parser knows them; the texts of --help.
struct Options
{
    QCommandLineOption tcp{QStringLiteral("tcp"),
                           QStringLiteral("Envía por TCP al simulador en HOST (puerto %1 si no se indica).")
                               .arg(protocol::kTcpPort),
                           QStringLiteral("HOST[:PUERTO]")};
    QCommandLineOption serial{QStringLiteral("serie"), QStringLiteral("Envía por el puerto serie DISPOSITIVO."),
                              QStringLiteral("DISPOSITIVO")};
    QCommandLineOption baud{QStringLiteral("baudios"),
                            QStringLiteral("Velocidad del puerto serie (por omisión %1); siempre 8 bits, sin "
                                           "paridad, 1 bit de parada.")
                                .arg(protocol::kSimulatorBaudRate),
                            QStringLiteral("N")};
    QCommandLineOption interval{QStringLiteral("intervalo"),
                                QStringLiteral("Pausa entre dos mensajes, en ms (por omisión %1 por TCP; por serie, "
                                               "%2 más lo que tardan los bytes en la línea).")
                                    .arg(kTcpIntervalMs)
                                    .arg(kSerialIntervalMs),
                                QStringLiteral("MS")};
    QCommandLineOption lineEnds{QStringLiteral("fin-de-linea"),
                                QStringLiteral("Termina cada mensaje con CR LF, como Serial.println: el simulador "
                                               "separa los mensajes por su fin de línea, así que toma cada uno aunque "
                                               "varios lleguen juntos (un adaptador USB-serie retiene los bytes hasta "
                                               "16 ms, una red ocupada también). Una letra sola va con su ángulo "
                                               "inicial: D-90.")};
    QCommandLineOption position{QStringLiteral("posicion"),
                                QStringLiteral("Lleva la herramienta al punto X,Y,Z (decimales con punto) con el "
                                               "cabeceo dado en grados o, sin él, el más cercano a la horizontal: "
                                               "muestra los ángulos y envía las cuatro articulaciones."),
                                QStringLiteral("X,Y,Z[,CABECEO]")};
    QCommandLineOption elbow{QStringLiteral("codo"),
                             QStringLiteral("Con --posicion o las líneas «p» de --poses, el codo por encima o por "
                                            "debajo de la línea del hombro a la muñeca (por omisión arriba)."),
                             QStringLiteral("arriba|abajo")};
    QCommandLineOption poses{QStringLiteral("poses"),
                             QStringLiteral("Envía las poses de ARCHIVO (- para la entrada estándar), una por línea: "
                                            "«q1 q2 q3 q4 [pausa_ms]» en grados, o «p x y z [cabeceo|-] [pausa_ms]» "
                                            "por la posición de la herramienta. La primera pose envía las cuatro "
                                            "articulaciones; cada una de las siguientes, solo las que cambian. # "
                                            "empieza un comentario."),
                             QStringLiteral("ARCHIVO")};
    QCommandLineOption replay{QStringLiteral("reproducir"),
                              QStringLiteral("Reenvía lo que recibió el simulador, de un archivo de brazo "
                                             "--registro-mensajes, con sus tiempos; cada arranque del registro "
                                             "cuenta desde su comienzo. Muestra el avance si dura 2 s o más."),
                              QStringLiteral("ARCHIVO")};
    QCommandLineOption speed{QStringLiteral("velocidad"),
                             QStringLiteral("Con --reproducir, multiplica la velocidad del registro (2: el doble de "
                                            "rápido, 0.5: la mitad)."),
                             QStringLiteral("X")};
    QCommandLineOption maxPause{QStringLiteral("pausa-maxima"),
                                QStringLiteral("Con --reproducir, acorta a MS toda pausa más larga (ya dividida por "
                                               "--velocidad): los ratos en que nadie movió el brazo."),
                                QStringLiteral("MS")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Muestra esta ayuda y termina.")};
};

// The link and its pacing; empty, or why the options do not make one.
QString readLink(const QCommandLineParser &parser, const Options &o, LinkOptions *link)
{
    if (parser.isSet(o.tcp) == parser.isSet(o.serial))
        return QStringLiteral("Indique por dónde enviar: --tcp HOST o --serie DISPOSITIVO, uno de los dos.");
    if (parser.isSet(o.tcp)) {
        link->kind = LinkOptions::Kind::Tcp;
        if (!splitHostPort(parser.value(o.tcp), &link->host, &link->port))
            return QStringLiteral("Dirección no válida en --tcp: «%1». Escriba HOST o HOST:PUERTO, con un puerto de "
                                  "1 a 65535.")
                .arg(parser.value(o.tcp));
        if (parser.isSet(o.baud))
            return QStringLiteral("--baudios solo vale con --serie.");
        link->target = link->host.contains(QLatin1Char(':'))
                           ? QStringLiteral("el simulador en [%1]:%2").arg(link->host).arg(link->port)
                           : QStringLiteral("el simulador en %1:%2").arg(link->host).arg(link->port);
        link->hint = QStringLiteral("Compruebe que el simulador tiene abierta la ventana «Controlar desde... → "
                                    "Internet» en ese puerto y que no hay otro cliente conectado.");
        link->pacing.intervalMs = kTcpIntervalMs;
    } else {
        link->kind = LinkOptions::Kind::Serial;
        link->device = parser.value(o.serial);
        if (link->device.trimmed().isEmpty())
            return QStringLiteral("Falta el dispositivo en --serie.");
        link->pacing.baudRate = protocol::kSimulatorBaudRate;
        if (parser.isSet(o.baud)) {
            bool ok = false;
            link->pacing.baudRate = parser.value(o.baud).toInt(&ok);
            if (!ok || link->pacing.baudRate <= 0)
                return QStringLiteral("Velocidad no válida en --baudios: «%1». Debe ser un número entero positivo, "
                                      "como %2.")
                    .arg(parser.value(o.baud))
                    .arg(protocol::kSimulatorBaudRate);
        }
        link->target = QStringLiteral("el puerto serie %1").arg(link->device);
        link->pacing.intervalMs = kSerialIntervalMs;
    }
    if (parser.isSet(o.interval)) {
        bool ok = false;
        link->pacing.intervalMs = parser.value(o.interval).toInt(&ok);
        if (!ok || link->pacing.intervalMs < 0 || link->pacing.intervalMs > 60000)
            return QStringLiteral("Pausa no válida en --intervalo: «%1». Debe ser un número de ms de 0 a 60000.")
                .arg(parser.value(o.interval));
    }
    return {};
}

// "X,Y,Z" or "X,Y,Z,CABECEO".
bool readPosition(const QString &text, arm::Point3 *point, std::optional<double> *pitchDeg)
{
    const QStringList fields = text.split(QLatin1Char(','));
    if (fields.size() < 3 || fields.size() > 4)
        return false;
    std::array<double, 4> numbers{};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        const std::optional<double> number = PositionPose::readNumber(fields[i]);
        if (!number)
            return false;
        numbers[i] = *number;
    }
    *point = {numbers[0], numbers[1], numbers[2]};
    if (fields.size() == 4)
        *pitchDeg = numbers[3];
    return true;
}

// What to send and how; empty, or why the options do not say it.
QString readSource(const QCommandLineParser &parser, const Options &o, SenderOptions *result)
{
    using Source = SenderOptions::Source;
    result->messages = parser.positionalArguments();
    const int sources = int(!result->messages.isEmpty()) + int(parser.isSet(o.poses)) + int(parser.isSet(o.replay))
                        + int(parser.isSet(o.position));
    if (sources == 0)
        return QStringLiteral("Nada que enviar: indique mensajes (A45 B30 …), --posicion, --poses o --reproducir.");
    if (sources > 1)
        return QStringLiteral("Indique solo una cosa que enviar: mensajes, --posicion, --poses o --reproducir.");
    if (parser.isSet(o.poses)) {
        result->source = Source::Poses;
        result->file = parser.value(o.poses);
    } else if (parser.isSet(o.replay)) {
        result->source = Source::Recording;
        result->file = parser.value(o.replay);
    } else if (parser.isSet(o.position)) {
        result->source = Source::Position;
        if (!readPosition(parser.value(o.position), &result->position, &result->pitchDeg))
            return QStringLiteral("Posición no válida en --posicion: «%1». Escriba X,Y,Z o X,Y,Z,CABECEO, números "
                                  "con punto decimal y separados por comas, como 15,5,12 o 12.5,0,10.25,-30.")
                .arg(parser.value(o.position));
    }

    if (parser.isSet(o.elbow)) {
        if (result->source != Source::Position && result->source != Source::Poses)
            return QStringLiteral("--codo solo vale con --posicion o --poses.");
        const QString elbow = parser.value(o.elbow);
        if (elbow == QLatin1String("arriba"))
            result->elbow = arm::Elbow::Up;
        else if (elbow == QLatin1String("abajo"))
            result->elbow = arm::Elbow::Down;
        else
            return QStringLiteral("Codo no válido en --codo: «%1». Escriba arriba o abajo.").arg(elbow);
    }
    if (parser.isSet(o.speed)) {
        if (result->source != Source::Recording)
            return QStringLiteral("--velocidad solo vale con --reproducir.");
        bool ok = false;
        result->replay.speed = parser.value(o.speed).toDouble(&ok);
        if (!ok || !std::isfinite(result->replay.speed) || result->replay.speed <= 0)
            return QStringLiteral("Velocidad no válida en --velocidad: «%1». Debe ser un número mayor que 0, como 2 "
                                  "o 0.5.")
                .arg(parser.value(o.speed));
    }
    if (parser.isSet(o.maxPause)) {
        if (result->source != Source::Recording)
            return QStringLiteral("--pausa-maxima solo vale con --reproducir.");
        bool ok = false;
        const int ms = parser.value(o.maxPause).toInt(&ok);
        if (!ok || ms < 0)
            return QStringLiteral("Pausa no válida en --pausa-maxima: «%1». Debe ser un número entero de ms, 0 o "
                                  "más.")
                .arg(parser.value(o.maxPause));
        result->replay.maxPauseMs = ms;
    }
    return {};
}

} // namespace

SenderOptions SenderOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Envía mensajes de articulación al simulador del brazo, como lo haría un controlador, "
                       "uno a uno y con una pausa entre ellos para que cada uno llegue solo.\n"
                       "Ejemplos:\n"
                       "  brazo-enviar --tcp 127.0.0.1 A45 B30 D\n"
                       "  brazo-enviar --tcp 127.0.0.1 --posicion 15,5,12\n"
                       "  brazo-enviar --serie /dev/ttyUSB0 --fin-de-linea --poses poses.txt\n"
                       "  brazo-enviar --tcp 127.0.0.1:5000 --reproducir registro.csv --velocidad 2"));
    const Options o;
    parser.addOptions({o.tcp, o.serial, o.baud, o.interval, o.lineEnds, o.position, o.elbow, o.poses, o.replay,
                       o.speed, o.maxPause, o.help});
    parser.addPositionalArgument(QStringLiteral("mensajes"),
                                 QStringLiteral("Mensajes que enviar: la letra de la articulación (A a D) y el "
                                                "ángulo, p. ej. A45 C-30; la letra sola vuelve a su valor inicial."),
                                 QStringLiteral("[MENSAJE...]"));

    SenderOptions result;
    auto end = [&result](const CommandLineOutcome &outcome) {
        static_cast<CommandLineOutcome &>(result) = outcome;
        return result;
    };
    if (const auto early = CommandLineReading::start(parser, arguments, o.help, true))
        return end(*early);
    QString error = readLink(parser, o, &result.link);
    if (error.isEmpty())
        error = readSource(parser, o, &result);
    if (!error.isEmpty())
        return end(failure(error));

    result.lineEnds = parser.isSet(o.lineEnds);
    if (result.link.pacing.intervalMs == 0 && !result.lineEnds)
        result.warnings << QStringLiteral("Aviso: con --intervalo 0 dos mensajes pueden llegar juntos, y el "
                                          "simulador los toma como uno solo que no mueve el brazo; con "
                                          "--fin-de-linea, los toma por separado.");
    return result;
}
