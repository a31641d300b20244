#include "armpanel.h"
#include "fdlimit.h"
#include "frminternetservidor.h"
#include "frmservidor.h"
#include "loopback.h"
#include "messageboxcatcher.h"
#include "socketlink.h"
#include "vbunits.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using Loopback::kWaitMs;

namespace {

constexpr int kPort = 1007;
const QString kWaiting = QStringLiteral("[Esperando Conexión]");
const QString kAcceptedLocal = QStringLiteral("[Aceptado cliente 127.0.0.1 ]");
const QString kNoConnection = QStringLiteral("[Sin Conexión]");
const QString kClientLeft = QStringLiteral("[Cliente Desconectado]");

} // namespace

class TestFrmServidor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void afterLoad_logsWaitingAndShowsAddressAndPort();
    void window_isFixedWithDesignedClientArea();
    void layout_placesControlsAtTheirTwips_data();
    void layout_placesControlsAtTheirTwips();
    void layout_headingAndTabOrder();
    void clientSession_logsEveryEventLineByLine();
    void received_isLoggedAsItCame_data();
    void received_isLoggedAsItCame();
    void enviar_putsExactlyTheTextsBytesAndKeepsIt();
    void enviar_twice_sendsTwice();
    void enviar_withoutClient_logsSinConexionAndSendsNothing();
    void secondClient_whileConnected_isRefusedWithoutLine();
    void editedPortBox_stillListensOn1007();
    void closeAndReopen_startsWithFreshLog();
    void portTaken_logsOneLineAndStaysClosed();
    void acceptFailure_logsOneLineAndListensAgain();
    void bothWindows_secondFailsThenListensOncePortIsFree_data();
    void bothWindows_secondFailsThenListensOncePortIsFree();
    void unprivileged_logExplainsPrivilege();

private:
    QStringList log() const;
    std::unique_ptr<QTcpSocket> connectedClient();
    // Everything the client gets until the server ends the connection.
    static QByteArray readUntilClosed(QTcpSocket &client);

    QMdiArea *m_area = nullptr;
    frmServidor *m_form = nullptr;
};

void TestFrmServidor::init()
{
    m_area = new QMdiArea;
    m_area->resize(800, 800);
    m_area->show();
    m_form = new frmServidor;
    if (Loopback::mayListenOnPrivilegedPort(kPort))
        m_form->showIn(m_area);
}

void TestFrmServidor::cleanup()
{
    if (m_form->isLoaded())
        m_form->subWindow()->close();
    if (!m_form->subWindow())
        delete m_form;
    delete m_area;
    m_form = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QStringList TestFrmServidor::log() const
{
    QStringList lines;
    for (int row = 0; row < m_form->lstDatos->count(); ++row)
        lines << m_form->lstDatos->item(row)->text();
    return lines;
}

std::unique_ptr<QTcpSocket> TestFrmServidor::connectedClient()
{
    auto client = Loopback::connectTo(kPort);
    [[maybe_unused]] const bool taken =
        QTest::qWaitFor([&] { return m_form->Winsock1->State() == SocketLink::Connected; }, kWaitMs);
    return client;
}

QByteArray TestFrmServidor::readUntilClosed(QTcpSocket &client)
{
    QByteArray bytes;
    [[maybe_unused]] const bool closed = QTest::qWaitFor([&] {
        bytes += client.readAll();
        return client.state() == QAbstractSocket::UnconnectedState;
    }, kWaitMs);
    return bytes + client.readAll();
}

#define REQUIRE_PORT()                                                                             \
    if (!Loopback::mayListenOnPrivilegedPort(kPort))                                               \
        QSKIP("port 1007 needs privilege here");

void TestFrmServidor::afterLoad_logsWaitingAndShowsAddressAndPort()
{
    REQUIRE_PORT();
    QCOMPARE(log(), QStringList{kWaiting});
    QCOMPARE(m_form->txtPuerto->text(), QStringLiteral("1007"));
    QCOMPARE(m_form->txtIPservidor->text(), SocketLink::LocalIP());
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Listening));
    QVERIFY(m_form->txtDatos->text().isEmpty());
}

void TestFrmServidor::window_isFixedWithDesignedClientArea()
{
    REQUIRE_PORT();
    QMdiSubWindow *window = m_form->subWindow();
    QCOMPARE(window->windowTitle(), QStringLiteral("Servidor"));
    QVERIFY(!(window->windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(window->windowFlags() & Qt::WindowMinimizeButtonHint));
    const QSize client(VbUnits::px(6480), VbUnits::px(4695));
    QCOMPARE(m_form->size(), client);
    QCOMPARE(m_form->minimumSize(), client);
    QCOMPARE(m_form->maximumSize(), client);
}

void TestFrmServidor::layout_placesControlsAtTheirTwips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("txtDatos") << "txtDatos" << QRect(360, 4200, 4815, 285);
    QTest::newRow("cmdEnviar") << "cmdEnviar" << QRect(5280, 4200, 1095, 375);
    QTest::newRow("lstDatos") << "lstDatos" << QRect(360, 1320, 5895, 2595);
    QTest::newRow("txtPuerto") << "txtPuerto" << QRect(1320, 720, 975, 285);
    QTest::newRow("txtIPservidor") << "txtIPservidor" << QRect(1320, 240, 2055, 285);
    QTest::newRow("Label3") << "Label3" << QRect(4680, 120, 1695, 375);
    QTest::newRow("Label2") << "Label2" << QRect(120, 720, 975, 255);
    QTest::newRow("Label1") << "Label1" << QRect(120, 240, 855, 255);
}

void TestFrmServidor::layout_placesControlsAtTheirTwips()
{
    REQUIRE_PORT();
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto *control = m_form->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), VbUnits::rect(twips.x(), twips.y(), twips.width(), twips.height()));
}

void TestFrmServidor::layout_headingAndTabOrder()
{
    REQUIRE_PORT();
    QCOMPARE(m_form->Label3->text(), QStringLiteral("SERVIDOR"));
    QVERIFY(m_form->Label3->font().bold());
    QCOMPARE(m_form->Label3->font().pointSizeF(), 13.5);
    QCOMPARE(m_form->Label3->palette().color(QPalette::WindowText), VbUnits::color(VbUnits::kActiveTitleBar));
    QCOMPARE(m_form->Label2->text(), QStringLiteral("Puerto"));
    QCOMPARE(m_form->Label1->text(), QStringLiteral("IP Servidor"));
    QCOMPARE(m_form->cmdEnviar->text(), QStringLiteral("Enviar"));

    QStringList order;
    QWidget *widget = m_form->txtIPservidor;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && m_form->isAncestorOf(widget))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != m_form->txtIPservidor && order.size() < 20);
    QCOMPARE(order, QStringList({"txtIPservidor", "txtPuerto", "lstDatos", "cmdEnviar", "txtDatos"}));
}

void TestFrmServidor::clientSession_logsEveryEventLineByLine()
{
    REQUIRE_PORT();
    auto client = connectedClient();
    QCOMPARE(log(), QStringList({kWaiting, kAcceptedLocal}));

    client->write("hola");
    QTRY_COMPARE_WITH_TIMEOUT(log().size(), 3, kWaitMs);
    QCOMPARE(log().at(2), QStringLiteral("<-hola"));

    m_form->txtDatos->setText(QStringLiteral("adiós"));
    QTest::mouseClick(m_form->cmdEnviar, Qt::LeftButton);
    QCOMPARE(log().at(3), QStringLiteral("->adiós"));

    client->write("bye");
    client->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(log().size(), 7, kWaitMs);
    QCOMPARE(log().mid(4), QStringList({QStringLiteral("<-bye"), kClientLeft, kWaiting}));
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Listening));

    auto next = connectedClient();
    QCOMPARE(log().size(), 8);
    QCOMPARE(log().last(), kAcceptedLocal);
}

void TestFrmServidor::received_isLoggedAsItCame_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("accents in Windows-1252") << QByteArray("ma\xF1" "ana \x80") << QStringLiteral("<-mañana €");
    QTest::newRow("line end kept") << QByteArray("A45\r\n") << QStringLiteral("<-A45\r\n");
    QTest::newRow("two sends run together") << QByteArray("A10B20") << QStringLiteral("<-A10B20");
    QTest::newRow("UTF-8 bytes read as Windows-1252") << QByteArray("[Sin Conexión]") << QStringLiteral("<-[Sin ConexiÃ³n]");
}

void TestFrmServidor::received_isLoggedAsItCame()
{
    REQUIRE_PORT();
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    auto client = connectedClient();
    client->write(bytes);
    QTRY_COMPARE_WITH_TIMEOUT(log().size(), 3, kWaitMs);
    QCOMPARE(log().at(2), line);
}

void TestFrmServidor::enviar_putsExactlyTheTextsBytesAndKeepsIt()
{
    REQUIRE_PORT();
    auto client = connectedClient();
    m_form->txtDatos->setText(QStringLiteral("hola"));
    QTest::mouseClick(m_form->cmdEnviar, Qt::LeftButton);
    QCOMPARE(log().last(), QStringLiteral("->hola"));
    QCOMPARE(m_form->txtDatos->text(), QStringLiteral("hola"));
    // Closing the window ends the connection once all queued bytes are out.
    m_form->subWindow()->close();
    QCOMPARE(readUntilClosed(*client), QByteArray("hola"));
}

void TestFrmServidor::enviar_twice_sendsTwice()
{
    REQUIRE_PORT();
    auto client = connectedClient();
    m_form->txtDatos->setText(QStringLiteral("ñ1"));
    QTest::mouseClick(m_form->cmdEnviar, Qt::LeftButton);
    QTest::mouseClick(m_form->cmdEnviar, Qt::LeftButton);
    QCOMPARE(log(), QStringList({kWaiting, kAcceptedLocal, QStringLiteral("->ñ1"), QStringLiteral("->ñ1")}));
    m_form->subWindow()->close();
    QCOMPARE(readUntilClosed(*client), QByteArray("\xF1" "1\xF1" "1"));
}

void TestFrmServidor::enviar_withoutClient_logsSinConexionAndSendsNothing()
{
    REQUIRE_PORT();
    m_form->txtDatos->setText(QStringLiteral("hola"));
    QTest::mouseClick(m_form->cmdEnviar, Qt::LeftButton);
    QCOMPARE(log(), QStringList({kWaiting, kNoConnection}));

    auto client = connectedClient();
    client->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(log().size(), 5, kWaitMs);
    QTest::mouseClick(m_form->cmdEnviar, Qt::LeftButton);
    QCOMPARE(log(), QStringList({kWaiting, kNoConnection, kAcceptedLocal, kClientLeft, kWaiting, kNoConnection}));
    QCOMPARE(client->readAll(), QByteArray());
}

void TestFrmServidor::secondClient_whileConnected_isRefusedWithoutLine()
{
    REQUIRE_PORT();
    auto first = connectedClient();
    auto second = Loopback::connectTo(kPort);
    QSignalSpy secondConnected(second.get(), &QTcpSocket::connected);
    QSignalSpy secondError(second.get(), &QTcpSocket::errorOccurred);
    QTRY_COMPARE_WITH_TIMEOUT(secondError.count(), 1, kWaitMs);
    QCOMPARE(second->error(), QAbstractSocket::ConnectionRefusedError);
    QCOMPARE(secondConnected.count(), 0);
    QCOMPARE(log(), QStringList({kWaiting, kAcceptedLocal}));
}

void TestFrmServidor::editedPortBox_stillListensOn1007()
{
    REQUIRE_PORT();
    auto first = connectedClient();
    QTest::keyClicks(m_form->txtPuerto, QStringLiteral("2"));
    QVERIFY(m_form->txtPuerto->text() != QStringLiteral("1007"));
    first->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(log().size(), 4, kWaitMs);
    QCOMPARE(m_form->Winsock1->LocalPort(), kPort);
    auto next = connectedClient();
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Connected));
    QCOMPARE(log().last(), kAcceptedLocal);
}

void TestFrmServidor::closeAndReopen_startsWithFreshLog()
{
    REQUIRE_PORT();
    auto client = connectedClient();
    QCOMPARE(log().size(), 2);
    m_form->subWindow()->close();
    QCOMPARE(readUntilClosed(*client), QByteArray());
    m_form->showIn(m_area);
    QCOMPARE(log(), QStringList{kWaiting});
    auto next = connectedClient();
    QCOMPARE(log(), QStringList({kWaiting, kAcceptedLocal}));
}

void TestFrmServidor::portTaken_logsOneLineAndStaysClosed()
{
    REQUIRE_PORT();
    m_form->subWindow()->close();
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::AnyIPv4, kPort));
    MessageBoxCatcher catcher;
    m_form->showIn(m_area);
    QCOMPARE(log().size(), 1);
    const QString line = log().at(0);
    QVERIFY2(line.contains(QStringLiteral("No se puede escuchar en el puerto 1007")), qPrintable(line));
    QVERIFY2(line.contains(QStringLiteral("The bound address is already in use")), qPrintable(line));
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Closed));
    QTest::mouseClick(m_form->cmdEnviar, Qt::LeftButton);
    QCOMPARE(log().at(1), kNoConnection);
    QTest::qWait(50);
    QCOMPARE(catcher.boxes().size(), 0);
}

void TestFrmServidor::acceptFailure_logsOneLineAndListensAgain()
{
    REQUIRE_PORT();
    QTcpSocket doomed;
    doomed.connectToHost(QHostAddress::LocalHost, kPort);
    QVERIFY(doomed.waitForConnected(kWaitMs));
    {
        FdLimit limit;
        QVERIFY(limit.exhaust());
        QTRY_COMPARE_WITH_TIMEOUT(log().size(), 3, kWaitMs);
    }
    QVERIFY2(log().at(1).startsWith(QStringLiteral("[Error de red: ")), qPrintable(log().at(1)));
    QCOMPARE(log().at(2), kWaiting);
    auto next = connectedClient();
    QCOMPARE(log().last(), kAcceptedLocal);
}

void TestFrmServidor::bothWindows_secondFailsThenListensOncePortIsFree_data()
{
    QTest::addColumn<bool>("simulatorFirst");
    QTest::newRow("simulator first") << true;
    QTest::newRow("message window first") << false;
}

void TestFrmServidor::bothWindows_secondFailsThenListensOncePortIsFree()
{
    REQUIRE_PORT();
    QFETCH(bool, simulatorFirst);
    MessageBoxCatcher catcher;
    auto *simulator = new frmInternetServidor;
    if (simulatorFirst) {
        m_form->subWindow()->close();
        simulator->showIn(m_area);
        m_form->showIn(m_area);
        QCOMPARE(simulator->Winsock1->State(), int(SocketLink::Listening));
        QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Closed));
        QCOMPARE(log().size(), 1);
        QVERIFY(log().at(0).contains(QStringLiteral("1007")));
        QVERIFY(!log().contains(kWaiting));
        // The simulator still takes clients.
        auto client = Loopback::connectTo(kPort);
        QTRY_COMPARE_WITH_TIMEOUT(simulator->Winsock1->State(), int(SocketLink::Connected), kWaitMs);
        client->write("A45");
        QTRY_COMPARE_WITH_TIMEOUT(simulator->armPanel()->txtQ1->text(), QStringLiteral("45"), kWaitMs);

        simulator->subWindow()->close();
        m_form->subWindow()->close();
        m_form->showIn(m_area);
        QCOMPARE(log(), QStringList{kWaiting});
        auto next = connectedClient();
        QCOMPARE(log().last(), kAcceptedLocal);
        QCOMPARE(catcher.boxes().size(), 0);
    } else {
        simulator->showIn(m_area);
        QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes().size(), 1, kWaitMs);
        QVERIFY(catcher.boxes().at(0).text.contains(QStringLiteral("1007")));
        QCOMPARE(simulator->Winsock1->State(), int(SocketLink::Closed));
        QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Listening));
        QVERIFY(simulator->isLoaded());

        m_form->subWindow()->close();
        simulator->subWindow()->close();
        simulator->showIn(m_area);
        QCOMPARE(simulator->Winsock1->State(), int(SocketLink::Listening));
        auto client = Loopback::connectTo(kPort);
        QTRY_COMPARE_WITH_TIMEOUT(simulator->Winsock1->State(), int(SocketLink::Connected), kWaitMs);
        client->write("B30");
        QTRY_COMPARE_WITH_TIMEOUT(simulator->armPanel()->txtQ2->text(), QStringLiteral("30"), kWaitMs);
        QTest::qWait(50);
        QCOMPARE(catcher.boxes().size(), 1);
    }
    simulator->subWindow()->close();
}

void TestFrmServidor::unprivileged_logExplainsPrivilege()
{
    if (Loopback::mayListenOnPrivilegedPort(kPort))
        QSKIP("runs as an ordinary user only (ctest runs it so through setpriv)");
    m_form->showIn(m_area);
    QCOMPARE(log().size(), 1);
    const QString line = log().at(0);
    QVERIFY2(line.contains(QStringLiteral("The address is protected")), qPrintable(line));
    QVERIFY2(line.contains(QStringLiteral("por debajo de 1024 necesitan privilegios")), qPrintable(line));
    QVERIFY2(line.contains(QStringLiteral("setcap cap_net_bind_service=+ep")), qPrintable(line));
    QVERIFY2(line.contains(QStringLiteral("net.ipv4.ip_unprivileged_port_start")), qPrintable(line));
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Closed));
}

QTEST_MAIN(TestFrmServidor)
#include "tst_frmservidor.moc"
