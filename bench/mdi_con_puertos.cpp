// The fair floor that the program's memory is measured against: the bare multiple-document
// program, plus the libraries any program doing this job must load and use, each used
// once as the program does: an SQLite file opened through Qt SQL, a TCP port listened on
// and a serial device opened with Qt SerialPort.
//
//   mdi_con_puertos ARCHIVO_SQLITE PUERTO_TCP DISPOSITIVO_SERIE
#include <QApplication>
#include <QHostAddress>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSerialPort>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTcpServer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "uso: mdi_con_puertos ARCHIVO_SQLITE PUERTO_TCP DISPOSITIVO_SERIE\n");
        return 2;
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    db.setDatabaseName(QString::fromLocal8Bit(argv[1]));
    QTcpServer server;
    QSerialPort port(QString::fromLocal8Bit(argv[3]));
    if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("CREATE TABLE IF NOT EXISTS t (a TEXT PRIMARY KEY, b TEXT)"))
        || !server.listen(QHostAddress::Any, quint16(QString::fromLocal8Bit(argv[2]).toUInt()))
        || !port.open(QIODevice::ReadWrite)) {
        std::fprintf(stderr, "mdi_con_puertos: no se pudo abrir la base de datos, el puerto TCP o el serie\n");
        return 1;
    }

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("MDIConPuertos"));
    auto *area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    for (const char *title : {"Uno", "Dos"})
        area->addSubWindow(new QLabel(QLatin1String(title)))->show();
    frame.resize(721, 570);
    frame.show();
    return app.exec();
}
