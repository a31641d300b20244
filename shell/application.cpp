#include "application.h"

#include "qttranslations.h"

#include <QApplication>
#include <QFont>
#include <QIcon>

namespace Application {

void setIdentity()
{
    QCoreApplication::setApplicationName(QStringLiteral("TorvaneElectronico"));
    QCoreApplication::setApplicationVersion(QStringLiteral(BRAZO_VERSION));
}

void setUp(QApplication &app)
{
    setIdentity();
    // The frame and the task bar show the program's icon, and the desktop finds the
    // program's entry by this name. The larger sizes are the desktop's, from the installed
    // theme: every size given here is decoded and handed to the window system.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addFile(QStringLiteral(":/iconos/brazo-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("mx.torvane.SimuladorBrazo"));

    installQtTranslations(app);

    // The captions were measured for an 8-point sans of Arial's widths; Liberation Sans has
    // them on Linux, where the desktop's default sans is wider and would cut the captions
    // short, and Windows has Arial itself.
    QFont font(QStringLiteral("Liberation Sans"), 8);
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("Arial")});
    QApplication::setFont(font);
}

} // namespace Application
