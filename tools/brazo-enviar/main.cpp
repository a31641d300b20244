#include "link.h"
#include "positionpose.h"
#include "qttranslations.h"
#include "replayprogress.h"
#include "script.h"
#include "sender.h"
#include "senderoptions.h"
#include "systemerror.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <optional>

#ifdef Q_OS_WIN
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

void say(const QString &text)
{
    std::fprintf(stderr, "brazo-enviar: %s\n", qUtf8Printable(text));
}

bool stderrIsTerminal()
{
#ifdef Q_OS_WIN
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr));
#endif
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
    switch (options.source) {
    case SenderOptions::Source::Messages:
        return Script::fromMessages(options.messages);
    case SenderOptions::Source::Position: {
        const PositionPose pose = PositionPose::solve(options.position, options.pitchDeg, options.elbow);
        Script script;
        if (!pose.reached()) {
            script.error = pose.failure;
            return script;
        }
        // Before the link is opened: what the arm is told is there to read even when the
        // link cannot be made.
        std::printf("%s\n", qUtf8Printable(pose.summary()));
        std::fflush(stdout);
        script = Script::fromPose(pose.degrees);
        script.warnings = pose.warnings();
        return script;
    }
    case SenderOptions::Source::Poses:
    case SenderOptions::Source::Recording:
        break;
    }
    Script script;
    const std::optional<QString> text = readText(options.file, &script.error);
    if (!text)
        return script;
    script = options.source == SenderOptions::Source::Poses ? Script::fromPoses(*text, options.elbow)
                                                             : Script::fromRecording(*text, options.replay);
    const QString where = options.file == QLatin1String("-") ? QStringLiteral("entrada estándar") : options.file;
    if (!script.error.isEmpty())
        script.error = where + QStringLiteral(", ") + script.error;
    for (QString &warning : script.warnings)
        warning = where + QStringLiteral(", ") + warning;
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
    Script script = loadScript(options);
    if (!script.error.isEmpty()) {
        say(script.error);
        return 2;
    }
    for (const QString &warning : script.warnings)
        say(warning);
    if (options.lineEnds)
        script.endLines();

    const LinkOptions &link = options.link;
    Sender sender(link.createLink(&app), link.pacing, script, link.target, link.hint);

    std::unique_ptr<ReplayProgress> progress;
    QElapsedTimer clock;
    QTimer ticks;
    if (options.source == SenderOptions::Source::Recording) {
        clock.start();
        progress = std::make_unique<ReplayProgress>(
            sender.schedule(), stderrIsTerminal(), [&clock] { return clock.elapsed(); },
            [](const QByteArray &text) {
                std::fputs(text.constData(), stderr);
                std::fflush(stderr);
            });
        QObject::connect(&sender, &Sender::progress, &app, [&](qsizetype sent) {
            progress->sent(sent);
            // Only once the link is ready: a link that cannot be made says so alone.
            ticks.start(1000);
        });
        QObject::connect(&ticks, &QTimer::timeout, &app, [&progress] { progress->tick(); });
    }
    QObject::connect(&sender, &Sender::finished, &app, [&](int status, const QString &error) {
        ticks.stop();
        if (progress)
            progress->finish();
        if (!error.isEmpty())
            say(error);
        QCoreApplication::exit(status);
    });
    QTimer::singleShot(0, &sender, &Sender::start);
    return app.exec();
}
