// The serial windows on Windows' own serial link, under Wine: COM1 is a pseudo-terminal
// whose far end socat hands to a TCP port, where this test plays the machine. One session
// of the line, in order: a missing port, the system's list of ports and the chooser that
// takes one, a port already open, a message that moves the arm, the terminal's exact bytes,
// and the far end going away.
//
//   BRAZO_PRUEBA_COM       the port (COM1), set up by scripts/windows.sh
//   BRAZO_PRUEBA_EXTREMO   the TCP port of its far end
#include "forms.h"
#include "frmbrazo.h"
#include "frmcomserial.h"
#include "frmpuertoserie.h"
#include "linkwords.h"
#include "messageboxcatcher.h"
#include "serialportchoice.h"
#include "serialports.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>

#include <algorithm>

using namespace Forms;

class TestSerieWine : public QObject
{
    Q_OBJECT

private slots:
    void serialWindows_onTheSystemsSerialLink();
};

void TestSerieWine::serialWindows_onTheSystemsSerialLink()
{
    const QString port = qEnvironmentVariable("BRAZO_PRUEBA_COM");
    const quint16 farEndPort = quint16(qEnvironmentVariableIntValue("BRAZO_PRUEBA_EXTREMO"));
    if (port.isEmpty() || farEndPort == 0)
        QSKIP("needs COM1 on a pseudo-terminal and its far end on TCP (scripts/windows.sh)");
    MessageBoxCatcher boxes;
    Frame frame;
    const auto said = [&boxes](Link::Cause cause) {
        return boxes.boxes().last().text.contains(LinkWords::serialCause(cause, QString()));
    };

    SerialPortChoice choice(QStringLiteral("COM9"));
    frmComSerial missing(&choice, &frame.area);
    missing.showIn(&frame.area);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    QVERIFY2(said(Link::Cause::Missing), qPrintable(boxes.texts()));
    missing.subWindow()->close();

    // The system lists the port; the chooser shows it and takes a typed name.
    const QList<SerialPortInfo> ports = SerialPorts::available();
    QVERIFY2(std::any_of(ports.cbegin(), ports.cend(), [&port](const SerialPortInfo &p) { return p.device == port; }),
             qPrintable(QString::number(ports.size())));
    QVERIFY(SerialPorts::present(port));
    frmPuertoSerie chooser(&choice, &frame.area);
    chooser.showIn(&frame.area);
    QVERIFY(!control<QListWidget>(&chooser, "lstPuertos")->findItems(port, Qt::MatchStartsWith).isEmpty());
    auto *simulator = new frmBrazo(&choice, &frame.area);
    simulator->showIn(&frame.area);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 2, kWaitMs);
    chooser.showIn(&frame.area);
    auto *device = control<QLineEdit>(&chooser, "txtDispositivo");
    device->setText(port);
    QTest::keyClick(device, Qt::Key_Return);
    QTRY_VERIFY_WITH_TIMEOUT(simulator->accessibleDescription().contains(port + QStringLiteral(" (abierto)")), kWaitMs);

    frmComSerial terminal(&choice, &frame.area);
    terminal.showIn(&frame.area);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 3, kWaitMs);
    QVERIFY2(said(Link::Cause::Busy), qPrintable(boxes.texts()));
    terminal.subWindow()->close();

    QTcpSocket farEnd;
    farEnd.connectToHost(QStringLiteral("127.0.0.1"), farEndPort);
    QVERIFY(farEnd.waitForConnected(kWaitMs));
    farEnd.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    farEnd.write("A45");
    QTRY_COMPARE_WITH_TIMEOUT(text(simulator, "txtQ1"), QStringLiteral("45"), kWaitMs);
    QCOMPARE(text(simulator, "txtPosicionX"), QStringLiteral("14.938"));

    // The simulator lets the port go with its window; the terminal takes it.
    simulator->subWindow()->close();
    terminal.showIn(&frame.area);
    control<QLineEdit>(&terminal, "txtDisplay")->setText(QStringLiteral("hola ñ"));
    control<QPushButton>(&terminal, "cmdTransmite")->click();
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT(received += farEnd.readAll(), QByteArray("hola \xF1\xC7"), kWaitMs);
    farEnd.write("ok\xC7");
    QTRY_COMPARE_WITH_TIMEOUT(control<QLabel>(&terminal, "lblRecibe")->text(), QStringLiteral(" ok"), kWaitMs);

    // The machine goes away: told once.
    const qsizetype before = boxes.boxes().size();
    farEnd.close();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), before + 1, kWaitMs);
    QVERIFY2(said(Link::Cause::Vanished), qPrintable(boxes.texts()));
    QTest::qWait(500);
    QCOMPARE(boxes.boxes().size(), before + 1);
}

QTEST_MAIN(TestSerieWine)
#include "tst_serie_wine.moc"
