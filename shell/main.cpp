#include "mdiprincipal.h"
#include "repaintlimiter.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TorvaneElectronico"));

    RepaintLimiter limiter;

    MDIPrincipal frame;
    // Where no window manager maximizes windows, the frame still covers the screen.
    frame.setGeometry(frame.screen()->availableGeometry());
    frame.showMaximized();
    return app.exec();
}
