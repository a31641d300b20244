#include "link.h"
#include "qttranslations.h"
#include "script.h"
#include "sender.h"
#include "senderoptions.h"
#include "systemerror.h"

#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "brazo-enviar: %s\n", qUtf8Printable(text));
}

// The whole file, or standard input for "-".
std::optional<QString> readText(const QString &fileName, QString *error)
{
    QFile file(fileName);
    const bool opened = fileName == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                       : file.open(QIODevice::ReadOnly);
    const QByteArray bytes = opened ? file.readAll() : QByteArray();
    if (!opened || file.error() != QFileDevice::NoError) {
        *error = QStringLiteral("No se puede leer %1: %2.").arg(fileName, SystemError::inSpanish(file.errorString()));
        return std::nullopt;
    }
    return QString::fromUtf8(bytes);
}

Script loadScript(const SenderOptions &options)
{
    if (options.source == SenderOptions::Source::Messages)
        return Script::fromMessages(options.messages);
    Script script;
    const std::optional<QString> text = readText(options.file, &script.error);
    if (!text)
        return script;
    script = options.source == SenderOptions::Source::Poses ? Script::fromPoses(*text)
                                                             : Script::fromRecording(*text, options.speed);
    if (!script.error.isEmpty())
        script.error = (options.file == QLatin1String("-") ? QStringLiteral("entrada estándar") : options.file)
                       + QStringLiteral(", ") + script.error;
    return script;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    // Qt's own reasons (a refused connection, a missing device) in Spanish like ours.
    installQtTranslations(app);

    const SenderOptions options = SenderOptions::parse(QCoreApplication::arguments());
    switch (options.action) {
    case CommandLineOutcome::Action::Print:
        std::fputs(qUtf8Printable(options.text), stdout);
        return 0;
    case CommandLineOutcome::Action::Fail:
        say(options.text);
        return 2;
    case CommandLineOutcome::Action::Run:
        break;
    }
    for (const QString &warning : options.warnings)
        say(warning);
    const Script script = loadScript(options);
    if (!script.error.isEmpty()) {
        say(script.error);
        return 2;
    }

    const LinkOptions &link = options.link;
    Sender sender(link.createLink(&app), link.pacing, script, link.target, link.hint);
    QObject::connect(&sender, &Sender::finished, &app, [](int status, const QString &error) {
        if (!error.isEmpty())
            say(error);
        QCoreApplication::exit(status);
    });
    QTimer::singleShot(0, &sender, &Sender::start);
    return app.exec();
}
