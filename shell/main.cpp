#include "application.h"
#include "commandline.h"
#include "mdiprincipal.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Application::setUp(app);

    const CommandLine commandLine =
        CommandLine::parse(QApplication::arguments(), qEnvironmentVariable("BRAZO_SERIAL_PORT"));
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

    MDIPrincipal frame(commandLine.settings);
    frame.showAtStart();
    return app.exec();
}
