#include "mdiprincipal.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TorvaneElectronico"));

    MDIPrincipal frame;
    // Where no window manager maximizes windows, the frame still covers the screen.
    frame.setGeometry(frame.screen()->availableGeometry());
    frame.showMaximized();
    return app.exec();
}
