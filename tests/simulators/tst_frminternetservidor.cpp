#include "armpanel.h"
#include "conversions.h"
#include "fdlimit.h"
#include "frminternetservidor.h"
#include "kinematics.h"
#include "loopback.h"
#include "messageboxcatcher.h"
#include "picturearea.h"
#include "socketlink.h"
#include "vbunits.h"
#include "winansi.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <array>
#include <memory>

using Loopback::kWaitMs;

namespace {

constexpr int kPort = 1007;
using Angles = std::array<int, 4>;

// The pose an arm loaded with these angles reaches, computed apart from any window.
arm::ArmModel referenceArm(const Angles &degrees)
{
    arm::ArmModel model;
    model.load(degrees);
    model.chainProduct();
    return model;
}

} // namespace

class TestFrmInternetServidor : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void afterLoad_showsAddressAndPortAndListens();
    void layout_placesControlsAtTheirTwips_data();
    void layout_placesControlsAtTheirTwips();
    void layout_headingAndFocusOrder();
    void message_movesOnlyItsJoint_data();
    void message_movesOnlyItsJoint();
    void sameText_leavesArmUnchanged();
    void clientLeaves_nextClientMovesArm();
    void secondClient_whileFirstConnected_isRefused();
    void closeAndReopen_dropsClientAndAcceptsNewOne();
    void closedFromOwnHandler_doesNotCrash();
    void bigReceive_isTakenAndArmStillMoves();
    void randomBinary_followsSelectorRuleAndNothingComesBack();
    void clientReset_windowListensAgain();
    void acceptFailure_windowListensAgain();
    void portTaken_showsBoxAfterLoadAndTypedAnglesStillMove();
    void unprivileged_boxExplainsPrivilege();

private:
    bool requirePort();
    // Connects a client and waits until the window has taken it.
    std::unique_ptr<QTcpSocket> connectedClient();
    // Sends one message and waits until the window has handled its receive.
    bool sendOne(QTcpSocket &client, const QByteArray &bytes);
    QLineEdit *entry(int joint) const { return m_form->armPanel()->entry(joint); }
    void comparePose(const Angles &degrees);

    QMdiArea *m_area = nullptr;
    frmInternetServidor *m_form = nullptr;
    std::unique_ptr<QSignalSpy> m_arrivals;
    std::unique_ptr<QSignalSpy> m_updates;
};

void TestFrmInternetServidor::init()
{
    m_area = new QMdiArea;
    m_area->resize(800, 800);
    m_area->show();
    m_form = new frmInternetServidor;
    if (!Loopback::mayListenOnPrivilegedPort(kPort))
        return;
    m_form->showIn(m_area);
    m_arrivals = std::make_unique<QSignalSpy>(m_form->Winsock1, &SocketLink::DataArrival);
    m_updates = std::make_unique<QSignalSpy>(m_form->armPanel(), &ArmPanel::armUpdated);
}

void TestFrmInternetServidor::cleanup()
{
    m_arrivals.reset();
    m_updates.reset();
    if (m_form->isLoaded())
        m_form->subWindow()->close();
    // Once shown, the form belongs to its sub-window and goes with the area.
    if (!m_form->subWindow())
        delete m_form;
    delete m_area;
    m_form = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool TestFrmInternetServidor::requirePort()
{
    return Loopback::mayListenOnPrivilegedPort(kPort);
}

std::unique_ptr<QTcpSocket> TestFrmInternetServidor::connectedClient()
{
    auto client = Loopback::connectTo(kPort);
    // The caller checks the state: a refused client is a result too.
    [[maybe_unused]] const bool taken =
        QTest::qWaitFor([&] { return m_form->Winsock1->State() == SocketLink::Connected; }, kWaitMs);
    return client;
}

bool TestFrmInternetServidor::sendOne(QTcpSocket &client, const QByteArray &bytes)
{
    const qsizetype before = m_arrivals->count();
    client.write(bytes);
    return QTest::qWaitFor([&] { return m_arrivals->count() > before; }, kWaitMs);
}

void TestFrmInternetServidor::comparePose(const Angles &degrees)
{
    const arm::ArmModel expected = referenceArm(degrees);
    const arm::ArmModel &actual = m_form->armPanel()->model();
    for (int t = 0; t < 4; ++t) {
        for (int i = 0; i < 16; ++i)
            QCOMPARE(actual.transform[t].m[i], expected.transform[t].m[i]);
    }
    QCOMPARE(m_form->armPanel()->txtPosicionX->text(), Conversions::toFixed(expected.tool().x));
    QCOMPARE(m_form->armPanel()->txtPosicionY->text(), Conversions::toFixed(expected.tool().y));
    QCOMPARE(m_form->armPanel()->txtPosicionZ->text(), Conversions::toFixed(expected.tool().z));
}

void TestFrmInternetServidor::afterLoad_showsAddressAndPortAndListens()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    QCOMPARE(m_form->subWindow()->windowTitle(), QStringLiteral("Form1"));
    QCOMPARE(m_form->txtIPservidor->text(), SocketLink::LocalIP());
    QCOMPARE(m_form->txtPuerto->text(), QStringLiteral("1007"));
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Listening));
    // The load does not draw: readouts stay empty until the first change.
    QVERIFY(m_form->armPanel()->txtPosicionX->text().isEmpty());
    QCOMPARE(m_updates->count(), 0);
    const QStringList texts = {entry(1)->text(), entry(2)->text(), entry(3)->text(), entry(4)->text()};
    QCOMPARE(texts, QStringList({"0", "0", "0", "-90"}));
}

void TestFrmInternetServidor::layout_placesControlsAtTheirTwips_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::newRow("lblServidor") << "lblServidor" << QRect(3120, 360, 855, 255);
    QTest::newRow("txtIPservidor") << "txtIPservidor" << QRect(4320, 360, 2055, 285);
    QTest::newRow("lblPuerto") << "lblPuerto" << QRect(3120, 960, 975, 255);
    QTest::newRow("txtPuerto") << "txtPuerto" << QRect(4320, 960, 975, 285);
    QTest::newRow("picSuperior") << "picSuperior" << QRect(240, 1800, 4215, 2895);
    QTest::newRow("picLateral") << "picLateral" << QRect(6360, 1800, 4215, 2895);
    QTest::newRow("lblY") << "lblY" << QRect(0, 1800, 255, 255);
    QTest::newRow("lblZ") << "lblZ" << QRect(6120, 1800, 255, 255);
    QTest::newRow("lblXsup") << "lblXsup" << QRect(4200, 4680, 255, 255);
    QTest::newRow("lblX") << "lblX" << QRect(10320, 4680, 255, 255);
    QTest::newRow("txtPosicionX") << "txtPosicionX" << QRect(1680, 6000, 1455, 495);
    QTest::newRow("txtPosicionY") << "txtPosicionY" << QRect(4320, 6000, 1455, 495);
    QTest::newRow("txtPosicionZ") << "txtPosicionZ" << QRect(7320, 6000, 1455, 495);
    QTest::newRow("txtQ1") << "txtQ1" << QRect(1200, 7200, 1215, 495);
    QTest::newRow("txtQ2") << "txtQ2" << QRect(3435, 7200, 1215, 495);
    QTest::newRow("txtQ3") << "txtQ3" << QRect(5685, 7200, 1215, 495);
    QTest::newRow("txtQ4") << "txtQ4" << QRect(7920, 7200, 1215, 495);
    // Labels sized to their text keep their top-left corner.
    QTest::newRow("Label1") << "Label1" << QRect(240, 1440, -1, -1);
    QTest::newRow("vislat") << "vislat" << QRect(6480, 1440, -1, -1);
    QTest::newRow("lblPosicionX") << "lblPosicionX" << QRect(1800, 5400, -1, -1);
    QTest::newRow("lblPosicionY") << "lblPosicionY" << QRect(4440, 5400, -1, -1);
    QTest::newRow("lblPosicionZ") << "lblPosicionZ" << QRect(7440, 5400, -1, -1);
}

void TestFrmInternetServidor::layout_placesControlsAtTheirTwips()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    auto *control = m_form->findChild<QWidget *>(name);
    QVERIFY2(control, qPrintable(name));
    const QRect expected = VbUnits::rect(twips.x(), twips.y(), qMax(twips.width(), 0), qMax(twips.height(), 0));
    if (twips.width() < 0)
        QCOMPARE(control->geometry().topLeft(), expected.topLeft());
    else
        QCOMPARE(control->geometry(), expected);
}

void TestFrmInternetServidor::layout_headingAndFocusOrder()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    QLabel *heading = m_form->Label3;
    QCOMPARE(heading->text(), QStringLiteral("SERVIDOR"));
    QCOMPARE(heading->geometry().topLeft(), VbUnits::rect(0, 120, 1695, 375).topLeft());
    QVERIFY(heading->font().bold());
    QCOMPARE(heading->font().pointSizeF(), 13.5);
    QCOMPARE(heading->palette().color(QPalette::WindowText), VbUnits::color(VbUnits::kActiveTitleBar));

    QStringList order;
    QWidget *widget = m_form->txtPuerto;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && m_form->isAncestorOf(widget))
            order << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != m_form->txtPuerto && order.size() < 40);
    QCOMPARE(order, QStringList({"txtPuerto", "txtIPservidor", "txtPosicionY", "txtPosicionX", "picSuperior",
                                 "txtPosicionZ", "picLateral", "txtQ4", "txtQ3", "txtQ2", "txtQ1"}));
}

void TestFrmInternetServidor::message_movesOnlyItsJoint_data()
{
    QTest::addColumn<QByteArray>("before");  // sent and handled first, when not empty
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QStringList>("texts");  // txtQ1..txtQ4 afterwards
    QTest::addColumn<int>("updates");        // UpdateArm runs caused by the message
    QTest::addColumn<Angles>("pose");

    const QStringList start{"0", "0", "0", "-90"};
    QTest::newRow("A45") << QByteArray() << QByteArray("A45") << QStringList{"45", "0", "0", "-90"} << 1
                         << Angles{45, 0, 0, -90};
    QTest::newRow("C-30") << QByteArray() << QByteArray("C-30") << QStringList{"0", "0", "-30", "-90"} << 1
                          << Angles{0, 0, -30, -90};
    QTest::newRow("D alone after D10") << QByteArray("D10") << QByteArray("D")
                                       << QStringList{"0", "0", "0", "-90"} << 1 << Angles{0, 0, 0, -90};
    QTest::newRow("B alone after B30") << QByteArray("B30") << QByteArray("B")
                                       << QStringList{"0", "0", "0", "-90"} << 1 << Angles{0, 0, 0, -90};
    QTest::newRow("A alone is a no-op") << QByteArray() << QByteArray("A") << start << 0 << Angles{0, 0, 0, -90};
    QTest::newRow("lower case a45") << QByteArray("A20") << QByteArray("a45")
                                    << QStringList{"20", "0", "0", "-90"} << 0 << Angles{20, 0, 0, -90};
    QTest::newRow("bare number 45") << QByteArray("A20") << QByteArray("45")
                                    << QStringList{"20", "0", "0", "-90"} << 0 << Angles{20, 0, 0, -90};
    QTest::newRow("E10") << QByteArray("A20") << QByteArray("E10") << QStringList{"20", "0", "0", "-90"} << 0
                         << Angles{20, 0, 0, -90};
    QTest::newRow("lone line break") << QByteArray("A20") << QByteArray("\n")
                                     << QStringList{"20", "0", "0", "-90"} << 0 << Angles{20, 0, 0, -90};
    QTest::newRow("A45 CR LF") << QByteArray() << QByteArray("A45\r\n")
                               << QStringList{"45\r\n", "0", "0", "-90"} << 1 << Angles{45, 0, 0, -90};
    QTest::newRow("A10B20 in one receive") << QByteArray("A20") << QByteArray("A10B20")
                                           << QStringList{"10B20", "0", "0", "-90"} << 0
                                           << Angles{20, 0, 0, -90};
}

void TestFrmInternetServidor::message_movesOnlyItsJoint()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, message);
    QFETCH(QStringList, texts);
    QFETCH(int, updates);
    QFETCH(Angles, pose);

    auto client = connectedClient();
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Connected));
    if (!before.isEmpty())
        QVERIFY(sendOne(*client, before));
    const qsizetype updatesBefore = m_updates->count();
    QVERIFY(sendOne(*client, message));
    QCOMPARE(m_updates->count() - updatesBefore, qsizetype(updates));
    const QStringList actual = {entry(1)->text(), entry(2)->text(), entry(3)->text(), entry(4)->text()};
    QCOMPARE(actual, texts);
    if (m_updates->count() > 0)
        comparePose(pose);
    QCOMPARE(client->bytesAvailable(), qint64(0));
}

void TestFrmInternetServidor::sameText_leavesArmUnchanged()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    auto client = connectedClient();
    QVERIFY(sendOne(*client, "B45"));
    QCOMPARE(m_updates->count(), 1);
    QVERIFY(sendOne(*client, "B45"));
    QCOMPARE(m_updates->count(), 1);
    comparePose({0, 45, 0, -90});
}

void TestFrmInternetServidor::clientLeaves_nextClientMovesArm()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    auto first = connectedClient();
    QVERIFY(sendOne(*first, "A30"));
    first->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(m_form->Winsock1->State(), int(SocketLink::Listening), kWaitMs);

    auto second = connectedClient();
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Connected));
    QVERIFY(sendOne(*second, "C15"));
    comparePose({30, 0, 15, -90});
}

void TestFrmInternetServidor::secondClient_whileFirstConnected_isRefused()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    auto first = connectedClient();
    auto second = Loopback::connectTo(kPort);
    QSignalSpy secondConnected(second.get(), &QTcpSocket::connected);
    QSignalSpy secondError(second.get(), &QTcpSocket::errorOccurred);
    QTRY_COMPARE_WITH_TIMEOUT(secondError.count(), 1, kWaitMs);
    QCOMPARE(second->error(), QAbstractSocket::ConnectionRefusedError);
    QCOMPARE(secondConnected.count(), 0);

    // The first client is still the one that moves the arm.
    QVERIFY(sendOne(*first, "A60"));
    comparePose({60, 0, 0, -90});
}

void TestFrmInternetServidor::closeAndReopen_dropsClientAndAcceptsNewOne()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    auto client = connectedClient();
    QVERIFY(sendOne(*client, "A45"));
    QSignalSpy clientClosed(client.get(), &QTcpSocket::disconnected);

    m_form->subWindow()->close();
    QVERIFY(!m_form->isLoaded());
    QTRY_COMPARE_WITH_TIMEOUT(clientClosed.count(), 1, kWaitMs);
    QCOMPARE(client->readAll(), QByteArray());

    m_form->showIn(m_area);
    QVERIFY(m_form->isLoaded());
    m_arrivals = std::make_unique<QSignalSpy>(m_form->Winsock1, &SocketLink::DataArrival);
    m_updates = std::make_unique<QSignalSpy>(m_form->armPanel(), &ArmPanel::armUpdated);
    QCOMPARE(m_form->txtIPservidor->text(), SocketLink::LocalIP());
    QCOMPARE(m_form->txtPuerto->text(), QStringLiteral("1007"));
    QCOMPARE(entry(1)->text(), QStringLiteral("0"));

    auto next = connectedClient();
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Connected));
    QVERIFY(sendOne(*next, "D-45"));
    comparePose({0, 0, 0, -45});
}

void TestFrmInternetServidor::closedFromOwnHandler_doesNotCrash()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    auto client = connectedClient();
    QSignalSpy clientClosed(client.get(), &QTcpSocket::disconnected);
    // Runs after the window's own handler, still inside the socket's notification.
    connect(m_form->Winsock1, &SocketLink::DataArrival, this, [this] { m_form->subWindow()->close(); });
    m_arrivals.reset();
    m_updates.reset();
    client->write("A45");
    QTRY_VERIFY_WITH_TIMEOUT(!m_form->isLoaded(), kWaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(clientClosed.count(), 1, kWaitMs);

    m_form->showIn(m_area);
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Listening));
}

void TestFrmInternetServidor::bigReceive_isTakenAndArmStillMoves()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    auto client = connectedClient();
    QByteArray big(40000, '7');
    big[0] = 'A';
    qint64 taken = 0;
    connect(m_form->Winsock1, &SocketLink::DataArrival, this, [&taken](qint32 bytes) { taken += bytes; });
    client->write(big);
    QTRY_COMPARE_WITH_TIMEOUT(taken, qint64(big.size()), kWaitMs);
    // However the bytes were cut into receives, each began with 'A' or with a digit.
    QVERIFY(entry(1)->text().startsWith(QLatin1Char('7')));
    QCOMPARE(entry(2)->text(), QStringLiteral("0"));

    QVERIFY(sendOne(*client, "A45"));
    comparePose({45, 0, 0, -90});
    QCOMPARE(client->bytesAvailable(), qint64(0));
}

void TestFrmInternetServidor::randomBinary_followsSelectorRuleAndNothingComesBack()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    auto client = connectedClient();
    QSignalSpy sentBack(client.get(), &QTcpSocket::readyRead);
    QRandomGenerator random(20240607);
    QStringList expected{"0", "0", "0", "-90"};
    const QStringList defaults = expected;
    for (int i = 0; i < 300; ++i) {
        QByteArray message(1 + random.bounded(40), Qt::Uninitialized);
        for (char &byte : message)
            byte = char(random.bounded(256));
        if (i % 3 == 0)
            message[0] = char('A' + random.bounded(4));
        QVERIFY(sendOne(*client, message));
        const int joint = int(message[0]) - 'A' + 1;
        if (joint >= 1 && joint <= 4)
            expected[joint - 1] = message.size() == 1 ? defaults[joint - 1] : WinAnsi::decode(message.mid(1));
    }
    for (int joint = 1; joint <= 4; ++joint)
        QCOMPARE(entry(joint)->text(), expected[joint - 1]);
    QCOMPARE(sentBack.count(), 0);
    QCOMPARE(client->bytesAvailable(), qint64(0));
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Connected));
}

void TestFrmInternetServidor::clientReset_windowListensAgain()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    MessageBoxCatcher catcher;
    auto client = connectedClient();
    QVERIFY(sendOne(*client, "A10"));
    Loopback::lingerZero(*client);
    client->abort();
    QTRY_COMPARE_WITH_TIMEOUT(m_form->Winsock1->State(), int(SocketLink::Listening), kWaitMs);

    auto next = connectedClient();
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Connected));
    QVERIFY(sendOne(*next, "B20"));
    comparePose({10, 20, 0, -90});
    QTest::qWait(50);
    QCOMPARE(catcher.boxes().size(), 0);
}

void TestFrmInternetServidor::acceptFailure_windowListensAgain()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    MessageBoxCatcher catcher;
    QSignalSpy errors(m_form->Winsock1, &SocketLink::error);
    QTcpSocket doomed;
    doomed.connectToHost(QHostAddress::LocalHost, kPort);
    // Queued by the system; the window has not taken it yet.
    QVERIFY(doomed.waitForConnected(kWaitMs));
    {
        FdLimit limit;
        QVERIFY(limit.exhaust());
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, kWaitMs);
    }
    // The listener that failed was closed and a new one opened (on the number it freed).
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Listening));
    QTest::qWait(50);
    QCOMPARE(catcher.boxes().size(), 0);
    auto next = connectedClient();
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Connected));
    QVERIFY(sendOne(*next, "A5"));
}

void TestFrmInternetServidor::portTaken_showsBoxAfterLoadAndTypedAnglesStillMove()
{
    if (!requirePort())
        QSKIP("port 1007 needs privilege here");
    m_form->subWindow()->close();
    QTcpServer other;
    QVERIFY(other.listen(QHostAddress::AnyIPv4, kPort));

    MessageBoxCatcher catcher;
    m_form->showIn(m_area);
    // Not inside the load: the window is up before the box comes.
    QCOMPARE(catcher.boxes().size(), 0);
    QVERIFY(m_form->subWindow()->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes().size(), 1, kWaitMs);
    const MessageBoxCatcher::Box box = catcher.boxes().at(0);
    QVERIFY2(box.text.contains(QStringLiteral("1007")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("The bound address is already in use")), qPrintable(box.text));
    QVERIFY2(box.text.contains(QStringLiteral("ocupa el puerto")), qPrintable(box.text));
    QCOMPARE(box.buttonCount, 1);
    QVERIFY(!box.hasIcon);

    QVERIFY(m_form->isLoaded());
    QCOMPARE(m_form->Winsock1->State(), int(SocketLink::Closed));
    QCOMPARE(m_form->txtPuerto->text(), QStringLiteral("1007"));
    QSignalSpy updates(m_form->armPanel(), &ArmPanel::armUpdated);
    entry(2)->setText(QStringLiteral("30"));
    QCOMPARE(updates.count(), 1);
    comparePose({0, 30, 0, -90});
    QTest::qWait(50);
    QCOMPARE(catcher.boxes().size(), 1);
}

void TestFrmInternetServidor::unprivileged_boxExplainsPrivilege()
{
    if (Loopback::mayListenOnPrivilegedPort(kPort))
        QSKIP("runs as an ordinary user only (ctest runs it so through setpriv)");
    MessageBoxCatcher catcher;
    m_form->showIn(m_area);
    QTRY_COMPARE_WITH_TIMEOUT(catcher.boxes().size(), 1, kWaitMs);
    const QString text = catcher.boxes().at(0).text;
    QVERIFY2(text.contains(QStringLiteral("The address is protected")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("por debajo de 1024 necesitan privilegios")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("setcap cap_net_bind_service=+ep")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("net.ipv4.ip_unprivileged_port_start")), qPrintable(text));
    QVERIFY(m_form->isLoaded());
    entry(1)->setText(QStringLiteral("90"));
    comparePose({90, 0, 0, -90});
}

QTEST_MAIN(TestFrmInternetServidor)
#include "tst_frminternetservidor.moc"
