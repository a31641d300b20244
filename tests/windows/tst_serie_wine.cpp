// The serial windows on Windows' own serial link, under Wine: COM1 is a pseudo-terminal
// whose far end socat hands to a TCP port, where this test plays the machine. One session
// of the line, in order: a missing port, a port already open, a message that moves the
// arm, the terminal's exact bytes, and the far end going away.
//
//   BRAZO_PRUEBA_COM       the port (COM1), set up by scripts/windows.sh
//   BRAZO_PRUEBA_EXTREMO   the TCP port of its far end
#include "forms.h"
#include "frmbrazo.h"
#include "frmcomserial.h"
#include "messageboxcatcher.h"

#include <QLabel>
#include <QPushButton>
#include <QTcpSocket>
#include <QTest>

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

    frmComSerial missing(QStringLiteral("COM9"), &frame.area);
    missing.showIn(&frame.area);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    QVERIFY2(boxes.texts().contains(QStringLiteral("COM9: el dispositivo no existe")), qPrintable(boxes.texts()));
    missing.subWindow()->close();

    auto *simulator = new frmBrazo(port, &frame.area);
    simulator->showIn(&frame.area);
    frmComSerial terminal(port, &frame.area);
    terminal.showIn(&frame.area);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 2, kWaitMs);
    QVERIFY2(boxes.boxes().last().text.contains(QStringLiteral("lo está usando otra ventana u otro programa")),
             qPrintable(boxes.texts()));
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
    QVERIFY2(boxes.boxes().last().text.contains(QStringLiteral("se desconectó")), qPrintable(boxes.texts()));
    QTest::qWait(500);
    QCOMPARE(boxes.boxes().size(), before + 1);
}

QTEST_MAIN(TestSerieWine)
#include "tst_serie_wine.moc"
