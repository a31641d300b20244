// The floor that the program's start-up and memory are measured against: a bare Qt Widgets
// program with a multiple-document area and two sub-windows, nothing else.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("MDIDesnudo"));
    auto *area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    for (const char *title : {"Uno", "Dos"})
        area->addSubWindow(new QLabel(QLatin1String(title)))->show();
    frame.resize(721, 570);
    frame.show();
    return app.exec();
}
