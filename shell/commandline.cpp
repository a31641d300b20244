#include "commandline.h"

CommandLine CommandLine::parse(const QStringList &arguments, const QString &serialDeviceFromEnvironment,
                               const QString &rememberedSerialDevice, const std::function<QString()> &systemFirstPort)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Simulador de un brazo robótico de cuatro articulaciones. Los ángulos se escriben, "
                       "llegan por el puerto serie o de un programa por TCP."));
    const QCommandLineOption serial(
        QStringLiteral("puerto-serie"),
        QStringLiteral("Dispositivo que hace de puerto serie 1 en este arranque. Sin la opción, el que indique la "
                       "variable BRAZO_SERIAL_PORT; si tampoco, el que se eligió en el programa la última vez "
                       "(menú contextual, «Puerto serie…»), y si no, el primer puerto serie del sistema."),
        QStringLiteral("DISPOSITIVO"));
    const QCommandLineOption tcp(QStringLiteral("puerto-tcp"),
                                 QStringLiteral("Puerto TCP en el que escuchan las ventanas de red, de 1 a "
                                                "65535 (por omisión %1).")
                                     .arg(Settings::kDefaultTcpPort),
                                 QStringLiteral("N"));
    const QCommandLineOption log(QStringLiteral("registro-mensajes"),
                                 QStringLiteral("Añade a ARCHIVO (CSV) cada mensaje que reciben las ventanas "
                                                "simuladoras y lo que hizo el brazo con él."),
                                 QStringLiteral("ARCHIVO"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Muestra esta ayuda y termina."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Muestra la versión del programa y termina."));
    parser.addOptions({serial, tcp, log, help, version});

    CommandLine result;
    auto end = [&result](const CommandLineOutcome &outcome) {
        static_cast<CommandLineOutcome &>(result) = outcome;
        return result;
    };
    if (const auto early = CommandLineReading::start(parser, arguments, help, false, &version,
                                                     QStringLiteral("brazo " BRAZO_VERSION "\n")))
        return end(*early);

    if (parser.isSet(serial)) {
        result.settings.serialDevice = parser.value(serial);
        if (result.settings.serialDevice.trimmed().isEmpty())
            return end(failure(QStringLiteral("Falta el dispositivo del puerto serie en --puerto-serie.")));
    } else if (!serialDeviceFromEnvironment.isEmpty()) {
        result.settings.serialDevice = serialDeviceFromEnvironment;
        if (result.settings.serialDevice.trimmed().isEmpty())
            return end(failure(QStringLiteral("La variable de entorno BRAZO_SERIAL_PORT no nombra ningún dispositivo "
                                              "del puerto serie. Dele un valor, como /dev/ttyUSB0, o quítela.")));
    } else if (!rememberedSerialDevice.trimmed().isEmpty()) {
        result.settings.serialDevice = rememberedSerialDevice;
    } else {
        result.settings.serialDevice = systemFirstPort();
    }

    if (parser.isSet(tcp)) {
        bool ok = false;
        const uint port = parser.value(tcp).trimmed().toUInt(&ok);
        if (!ok || port < 1 || port > 65535)
            return end(failure(QStringLiteral("Puerto TCP no válido: «%1». Debe ser un número de 1 a 65535.")
                                   .arg(parser.value(tcp))));
        result.settings.tcpPort = quint16(port);
    }
    if (parser.isSet(log)) {
        result.settings.messageLog = parser.value(log);
        if (result.settings.messageLog.trimmed().isEmpty())
            return end(failure(QStringLiteral("Falta el nombre del archivo en --registro-mensajes.")));
    }
    return result;
}
