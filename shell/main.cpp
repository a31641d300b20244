#include "application.h"
#include "commandline.h"
#include "mdiprincipal.h"
#include "preferences.h"
#include "qttranslations.h"
#include "schooltexts.h"
#include "serialports.h"

#include <QApplication>
#include <QList>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// What Qt says while it looks for a display, held back: when it finds none, it ends the
// program, and the user is told why in Spanish instead, as a failure rather than a crash.
QtMessageHandler g_qtHandler = nullptr;
struct HeldMessage
{
    QtMsgType type;
    QString text;
};
QList<HeldMessage> g_held;

void holdWhileLookingForDisplay(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg) {
        g_held.append({type, message});
        return;
    }
    const QString display = qEnvironmentVariable("DISPLAY");
    std::fprintf(stderr, "brazo: No se encontró una pantalla en la que abrir el programa%s.\n"
                         "Arránquelo desde el escritorio, o en una sesión remota con la pantalla reenviada "
                         "(ssh -X).\n",
                 display.isEmpty() ? "" : qUtf8Printable(QStringLiteral(" (DISPLAY=%1)").arg(display)));
    std::_Exit(1);
}

} // namespace

int main(int argc, char *argv[])
{
#ifdef Q_OS_WIN
    // A Windows desktop program has no console of its own: started from one, it writes
    // its help, version and refusals there.
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
    // The command line is read before anything needs a display, so that the help, the
    // version and a wrong value work in a text console or over SSH.
    Application::setIdentity();
    CommandLine commandLine;
    {
        QCoreApplication reading(argc, argv);
        installQtTranslations(reading);
        commandLine = CommandLine::parse(QCoreApplication::arguments(), qEnvironmentVariable("BRAZO_SERIAL_PORT"),
                                         Preferences().serialPort(), &SerialPorts::firstPort);
    }
    switch (commandLine.action) {
    case CommandLine::Action::Print:
        std::fputs(commandLine.text.toUtf8().constData(), stdout);
        return 0;
    case CommandLine::Action::Fail:
        std::fprintf(stderr, "brazo: %s\n", commandLine.text.toUtf8().constData());
        return 2;
    case CommandLine::Action::Run:
        break;
    }
    // Read before a display is needed, so that what a file lacks is told in a text console too.
    QStringList problems;
    commandLine.settings.schoolTexts =
        SchoolTexts::read(SchoolTexts::fromBuild(), SchoolTexts::standardFiles(), &problems);
    for (const QString &problem : std::as_const(problems))
        std::fprintf(stderr, "brazo: %s\n", qUtf8Printable(problem));

    g_qtHandler = qInstallMessageHandler(holdWhileLookingForDisplay);
    QApplication app(argc, argv);
    qInstallMessageHandler(g_qtHandler);
    for (const HeldMessage &held : std::as_const(g_held))
        g_qtHandler(held.type, QMessageLogContext(), held.text);
    Application::setUp(app);

    MDIPrincipal frame(commandLine.settings);
    frame.showAtStart();
    return app.exec();
}
