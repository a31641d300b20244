#include "forms.h"
#include "frmbrazo.h"
#include "frminternetservidor.h"
#include "frmpuertoserie.h"
#include "linkwords.h"
#include "messageboxcatcher.h"
#include "oneclientserver.h"
#include "ptypair.h"
#include "receiptlog.h"
#include "serialportchoice.h"

#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

using namespace Forms;

class TestSimulators : public QObject
{
    Q_OBJECT

private slots:
    void frmBrazo_machineMessage_movesTheArm_lostLineToldOnce();
    void frmBrazo_portUnavailable_saysSoAndTypingMoves_chooserOpensTheTypedPort();
    void frmInternetServidor_clientMessages_moveTheArm_neverAnswered();
    void frmInternetServidor_portTaken_saysSo();
};

void TestSimulators::frmBrazo_machineMessage_movesTheArm_lostLineToldOnce()
{
    MessageBoxCatcher boxes;
    PtyPair pty;
    QVERIFY(pty.start());
    Frame frame;
    SerialPortChoice choice(pty.devicePath());
    auto *form = frame.open<frmBrazo>(&choice);
    // Two println messages read together both move the arm.
    QVERIFY(pty.writePeer("A45\r\nB0\r\n"));
    QTRY_COMPARE_WITH_TIMEOUT(text(form, "txtQ1"), QStringLiteral("45\r\n"), kWaitMs);
    QCOMPARE(text(form, "txtQ2"), QStringLiteral("0\r\n"));
    QCOMPARE(text(form, "txtPosicionX"), QStringLiteral("14.938"));
    QVERIFY(pty.readPeer(100).isEmpty());
    QVERIFY(form->accessibleDescription().contains(QStringLiteral("(abierto)")));
    pty.hangUp();
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    QVERIFY(form->accessibleDescription().contains(QStringLiteral("(cerrado)")));
    QCOMPARE(boxes.boxes().first().offers, QStringList{LinkWords::kChooseButton});
}

void TestSimulators::frmBrazo_portUnavailable_saysSoAndTypingMoves_chooserOpensTheTypedPort()
{
    MessageBoxCatcher boxes;
    boxes.setPressOffer(LinkWords::kChooseButton);
    Frame frame;
    SerialPortChoice choice(kMissingDevice);
    frmPuertoSerie chooser(&choice, &frame.area);
    connect(&choice, &SerialPortChoice::chooserRequested, &chooser, [&] { chooser.showIn(&frame.area); });
    auto *form = frame.open<frmBrazo>(&choice);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    control<QLineEdit>(form, "txtQ2")->setText(QStringLiteral("90"));
    QCOMPARE(text(form, "txtPosicionZ"), QStringLiteral("-11.375"));

    // "Elegir puerto…" opened the chooser; a typed device and Return open it in the window.
    QTRY_VERIFY_WITH_TIMEOUT(chooser.isLoaded(), kWaitMs);
    PtyPair pty;
    QVERIFY(pty.start());
    auto *device = control<QLineEdit>(&chooser, "txtDispositivo");
    device->setText(pty.devicePath());
    QTest::keyClick(device, Qt::Key_Return);
    QCOMPARE(choice.device(), pty.devicePath());
    QTRY_VERIFY_WITH_TIMEOUT(!chooser.isLoaded(), kWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(form->accessibleDescription().contains(pty.devicePath() + QStringLiteral(" (abierto)")),
                             kWaitMs);
    QVERIFY(pty.writePeer("A45"));
    QTRY_COMPARE_WITH_TIMEOUT(text(form, "txtQ1"), QStringLiteral("45"), kWaitMs);
    // The rest of the load did not run again: the typed angle stays.
    QCOMPARE(text(form, "txtQ2"), QStringLiteral("90"));
}

void TestSimulators::frmInternetServidor_clientMessages_moveTheArm_neverAnswered()
{
    Frame frame;
    auto *form = frame.open<frmInternetServidor>(kAnyPort);
    // An address of this machine, the loopback only when there is no other.
    const QHostAddress shown(text(form, "txtIPservidor"));
    QCOMPARE(shown.protocol(), QAbstractSocket::IPv4Protocol);
    QVERIFY(QNetworkInterface::allAddresses().contains(shown));
    // Ordinary text boxes on the blue window.
    for (const char *box : {"txtIPservidor", "txtPuerto"}) {
        const QImage image = control(form, box)->grab().toImage();
        QCOMPARE(image.pixelColor(image.width() - 5, 3), QColor(Qt::white));
    }
    auto client = connectTo(shownPort(form));
    QVERIFY(client);
    send(*client, "A45");
    QTRY_COMPARE(text(form, "txtQ1"), QStringLiteral("45"));
    // Seeded binary, read in whatever pieces: every byte reaches the arm, and once all of it
    // has been read a message arrives alone again. Nothing is ever answered.
    QRandomGenerator random(1007);
    QByteArray binary(60000, Qt::Uninitialized);
    for (char &b : binary)
        b = char(random.bounded(256));
    send(*client, binary);
    const auto taken = [log = form->receiptLog()] {
        qsizetype bytes = 0;
        for (int row = 0; row < log->rowCount(); ++row)
            bytes += log->receipt(row).bytes.size();
        return bytes;
    };
    QTRY_COMPARE(taken(), 3 + binary.size());
    send(*client, "B30");
    QTRY_COMPARE(text(form, "txtQ2"), QStringLiteral("30"));
    QVERIFY(!client->waitForReadyRead(100));

    // Closed and opened again: the client is let go, a new one is served.
    QSignalSpy dropped(client.get(), &QTcpSocket::disconnected);
    form->subWindow()->close();
    QTRY_COMPARE_WITH_TIMEOUT(dropped.count(), 1, kWaitMs);
    form->showIn(&frame.area);
    QCOMPARE(text(form, "txtQ1"), QStringLiteral("0"));
    auto next = connectTo(shownPort(form));
    QVERIFY(next);
    send(*next, "C-30");
    QTRY_COMPARE_WITH_TIMEOUT(text(form, "txtQ3"), QStringLiteral("-30"), kWaitMs);
}

void TestSimulators::frmInternetServidor_portTaken_saysSo()
{
    OneClientServer holder(kAnyPort);
    QVERIFY(holder.open());
    MessageBoxCatcher boxes;
    Frame frame;
    auto *form = frame.open<frmInternetServidor>(holder.port());
    QTRY_COMPARE_WITH_TIMEOUT(boxes.boxes().size(), 1, kWaitMs);
    QVERIFY2(boxes.texts().contains(QString::number(holder.port())), qPrintable(boxes.texts()));
    QCOMPARE(shownPort(form), holder.port());
}

QTEST_MAIN(TestSimulators)
#include "tst_simulators.moc"
