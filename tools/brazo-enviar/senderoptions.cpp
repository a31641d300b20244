#include "senderoptions.h"

#include "jointmessage.h"
#include "seriallink.h"
#include "tcpclientlink.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cmath>
#include <optional>

namespace {

// The simulator takes each read as one message, so the next one must come after it has
// read the last. Over TCP that is its event loop's turn, a few milliseconds. USB serial
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

SenderOptions SenderOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Envía mensajes de articulación al simulador del brazo, como lo haría un controlador, "
                       "uno a uno y con una pausa entre ellos para que cada uno llegue solo.\n"
                       "Ejemplos:\n"
                       "  brazo-enviar --tcp 127.0.0.1 A45 B30 D\n"
                       "  brazo-enviar --serie /dev/ttyUSB0 --poses poses.txt\n"
                       "  brazo-enviar --tcp 127.0.0.1:5000 --reproducir registro.csv --velocidad 2"));
    const QCommandLineOption tcp(QStringLiteral("tcp"),
                                 QStringLiteral("Envía por TCP al simulador en HOST (puerto %1 si no se indica).")
                                     .arg(protocol::kTcpPort),
                                 QStringLiteral("HOST[:PUERTO]"));
    const QCommandLineOption serial(QStringLiteral("serie"), QStringLiteral("Envía por el puerto serie DISPOSITIVO."),
                                    QStringLiteral("DISPOSITIVO"));
    const QCommandLineOption baud(QStringLiteral("baudios"),
                                  QStringLiteral("Velocidad del puerto serie (por omisión %1); siempre 8 bits, "
                                                 "sin paridad, 1 bit de parada.")
                                      .arg(protocol::kSimulatorBaudRate),
                                  QStringLiteral("N"));
    const QCommandLineOption interval(QStringLiteral("intervalo"),
                                      QStringLiteral("Pausa entre dos mensajes, en ms (por omisión %1 por TCP; por "
                                                     "serie, %2 más lo que tardan los bytes en la línea).")
                                          .arg(kTcpIntervalMs)
                                          .arg(kSerialIntervalMs),
                                      QStringLiteral("MS"));
    const QCommandLineOption poses(QStringLiteral("poses"),
                                   QStringLiteral("Envía las poses de ARCHIVO (- para la entrada estándar), una por "
                                                  "línea: «q1 q2 q3 q4 [pausa_ms]»; solo las articulaciones que "
                                                  "cambian. # empieza un comentario."),
                                   QStringLiteral("ARCHIVO"));
    const QCommandLineOption replay(QStringLiteral("reproducir"),
                                    QStringLiteral("Reenvía lo que recibió el simulador, de un archivo de "
                                                   "brazo --registro-mensajes, con sus tiempos."),
                                    QStringLiteral("ARCHIVO"));
    const QCommandLineOption speed(QStringLiteral("velocidad"),
                                   QStringLiteral("Con --reproducir, multiplica la velocidad del registro (2: el "
                                                  "doble de rápido, 0.5: la mitad)."),
                                   QStringLiteral("X"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Muestra esta ayuda y termina."));
    parser.addOptions({tcp, serial, baud, interval, poses, replay, speed, help});
    parser.addPositionalArgument(QStringLiteral("mensajes"),
                                 QStringLiteral("Mensajes que enviar: la letra de la articulación (A a D) y el "
                                                "ángulo, p. ej. A45 C-30; la letra sola vuelve a su valor inicial."),
                                 QStringLiteral("[MENSAJE...]"));

    SenderOptions result;
    auto end = [&result](const CommandLineOutcome &outcome) {
        static_cast<CommandLineOutcome &>(result) = outcome;
        return result;
    };
    auto fail = [&end](const QString &why) { return end(failure(why)); };
    if (const auto early = CommandLineReading::start(parser, arguments, help, true))
        return end(*early);

    LinkOptions &link = result.link;
    if (parser.isSet(tcp) == parser.isSet(serial))
        return fail(QStringLiteral("Indique por dónde enviar: --tcp HOST o --serie DISPOSITIVO, uno de los dos."));
    if (parser.isSet(tcp)) {
        link.kind = LinkOptions::Kind::Tcp;
        if (!splitHostPort(parser.value(tcp), &link.host, &link.port))
            return fail(QStringLiteral("Dirección no válida en --tcp: «%1». Escriba HOST o HOST:PUERTO, con un "
                                       "puerto de 1 a 65535.")
                            .arg(parser.value(tcp)));
        if (parser.isSet(baud))
            return fail(QStringLiteral("--baudios solo vale con --serie."));
        link.target = link.host.contains(QLatin1Char(':'))
                          ? QStringLiteral("el simulador en [%1]:%2").arg(link.host).arg(link.port)
                          : QStringLiteral("el simulador en %1:%2").arg(link.host).arg(link.port);
        link.hint = QStringLiteral("Compruebe que el simulador tiene abierta la ventana «Controlar desde... → "
                                   "Internet» en ese puerto y que no hay otro cliente conectado.");
        link.pacing.intervalMs = kTcpIntervalMs;
    } else {
        link.kind = LinkOptions::Kind::Serial;
        link.device = parser.value(serial);
        if (link.device.trimmed().isEmpty())
            return fail(QStringLiteral("Falta el dispositivo en --serie."));
        link.pacing.baudRate = protocol::kSimulatorBaudRate;
        if (parser.isSet(baud)) {
            bool ok = false;
            link.pacing.baudRate = parser.value(baud).toInt(&ok);
            if (!ok || link.pacing.baudRate <= 0)
                return fail(QStringLiteral("Velocidad no válida en --baudios: «%1». Debe ser un número entero "
                                           "positivo, como %2.")
                                .arg(parser.value(baud))
                                .arg(protocol::kSimulatorBaudRate));
        }
        link.target = QStringLiteral("el puerto serie %1").arg(link.device);
        link.pacing.intervalMs = kSerialIntervalMs;
    }
    if (parser.isSet(interval)) {
        bool ok = false;
        link.pacing.intervalMs = parser.value(interval).toInt(&ok);
        if (!ok || link.pacing.intervalMs < 0 || link.pacing.intervalMs > 60000)
            return fail(QStringLiteral("Pausa no válida en --intervalo: «%1». Debe ser un número de ms de 0 a 60000.")
                            .arg(parser.value(interval)));
        if (link.pacing.intervalMs == 0)
            result.warnings << QStringLiteral("Aviso: con --intervalo 0 dos mensajes pueden llegar juntos, y el "
                                              "simulador los toma como uno solo que no mueve el brazo.");
    }

    result.messages = parser.positionalArguments();
    const int sources = int(!result.messages.isEmpty()) + int(parser.isSet(poses)) + int(parser.isSet(replay));
    if (sources == 0)
        return fail(QStringLiteral("Nada que enviar: indique mensajes (A45 B30 …), --poses o --reproducir."));
    if (sources > 1)
        return fail(QStringLiteral("Indique solo una cosa que enviar: mensajes, --poses o --reproducir."));
    if (parser.isSet(poses)) {
        result.source = Source::Poses;
        result.file = parser.value(poses);
    } else if (parser.isSet(replay)) {
        result.source = Source::Recording;
        result.file = parser.value(replay);
    }
    if (parser.isSet(speed)) {
        if (result.source != Source::Recording)
            return fail(QStringLiteral("--velocidad solo vale con --reproducir."));
        bool ok = false;
        result.speed = parser.value(speed).toDouble(&ok);
        if (!ok || !std::isfinite(result.speed) || result.speed <= 0)
            return fail(QStringLiteral("Velocidad no válida en --velocidad: «%1». Debe ser un número mayor que 0, "
                                       "como 2 o 0.5.")
                            .arg(parser.value(speed)));
    }
    return result;
}
