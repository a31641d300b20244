#include "fdlimit.h"
#include "loopback.h"
#include "socketlink.h"
#include "winansi.h"

#include <QFile>
#include <QHostAddress>
#include <QNetworkInterface>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <memory>

#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kWait = 5000;

// A link listening on a port the system picks, that accepts every request as the
// windows do: close the listener, then accept on the same object.
std::unique_ptr<SocketLink> acceptingLink()
{
    auto link = std::make_unique<SocketLink>();
    SocketLink *raw = link.get();
    QObject::connect(raw, &SocketLink::ConnectionRequest, raw, [raw](qint32 requestID) {
        if (raw->State() != SocketLink::Closed)
            raw->Close();
        raw->Accept(requestID);
    });
    link->setLocalPort(0);
    return link;
}

std::unique_ptr<QTcpSocket> clientOf(const SocketLink &link)
{
    auto client = std::make_unique<QTcpSocket>();
    client->connectToHost(QHostAddress::LocalHost, quint16(link.LocalPort()));
    return client;
}

// Everything the link has been given, drained as the windows do in their handlers.
struct Drain
{
    explicit Drain(SocketLink *link)
    {
        QObject::connect(link, &SocketLink::DataArrival, link, [this, link] { text += link->GetData(); });
    }
    QString text;
};

} // namespace

class TestSocketLink : public QObject
{
    Q_OBJECT

private slots:
    void localIP_isDottedIPv4OfThisMachine();
    void listen_twiceOnOnePort_secondFailsAddressInUse();
    void listen_privilegedPortAsOrdinaryUser_failsAccessError();
    void acceptedClient_isConnectedWithDottedAddress();
    void requestNotAccepted_isDroppedAndListeningGoesOn();
    void whileConnected_secondClientIsRefused();
    void listen_whileConnected_fails();
    void acceptWithoutClose_stillStopsListening();
    void getData_decodesEveryByteAsWindows1252();
    void sendData_putsExactBytes_data();
    void sendData_putsExactBytes();
    void sendData_withoutClient_fails();
    void accept_unknownRequest_fails();
    void peerClose_deliversDataThenOnePeerClosed();
    void peerReset_reportedOnceAndListenAgainWorks();
    void close_deliversQueuedBytesThenDisconnects();
    void acceptFailure_isReportedAsError();
    void destroyedInsideOwnSignal_doesNotCrash_data();
    void destroyedInsideOwnSignal_doesNotCrash();
};

void TestSocketLink::localIP_isDottedIPv4OfThisMachine()
{
    const QString ip = SocketLink::LocalIP();
    QHostAddress address;
    QVERIFY2(address.setAddress(ip), qPrintable(ip));
    QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
    QCOMPARE(address.toString(), ip);
    if (ip != QLatin1String("127.0.0.1")) {
        QVERIFY(!address.isLoopback());
        QVERIFY(QNetworkInterface::allAddresses().contains(address));
    }
}

void TestSocketLink::listen_twiceOnOnePort_secondFailsAddressInUse()
{
    SocketLink first;
    first.setLocalPort(0);
    QVERIFY2(first.Listen(), qPrintable(first.errorString()));
    QCOMPARE(first.State(), int(SocketLink::Listening));
    QVERIFY(first.LocalPort() > 0);

    SocketLink second;
    second.setLocalPort(first.LocalPort());
    QVERIFY(!second.Listen());
    QCOMPARE(second.errorCode(), QAbstractSocket::AddressInUseError);
    QVERIFY(!second.errorString().isEmpty());
    QCOMPARE(second.State(), int(SocketLink::Closed));

    first.Close();
    QCOMPARE(first.State(), int(SocketLink::Closed));
    QVERIFY2(second.Listen(), qPrintable(second.errorString()));
}

void TestSocketLink::listen_privilegedPortAsOrdinaryUser_failsAccessError()
{
    QFile start(QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    if (!start.open(QIODevice::ReadOnly) || start.readAll().trimmed().toInt() <= 1007)
        QSKIP("this system lets every user bind port 1007");

    auto attempt = [] {
        SocketLink link;
        link.setLocalPort(1007);
        if (link.Listen())
            return 1;
        return link.errorCode() == QAbstractSocket::SocketAccessError && !link.errorString().isEmpty() ? 0 : 2;
    };
    if (::geteuid() != 0) {
        QCOMPARE(attempt(), 0);
        return;
    }
    // As root, try it in a child that has given up root.
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(3);
        ::_exit(attempt());
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestSocketLink::acceptedClient_isConnectedWithDottedAddress()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    QSignalSpy requests(link.get(), &SocketLink::ConnectionRequest);
    auto client = clientOf(*link);
    QVERIFY(client->waitForConnected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
    QCOMPARE(requests.count(), 1);
    QCOMPARE(link->RemoteHostIP(), QStringLiteral("127.0.0.1"));
}

void TestSocketLink::requestNotAccepted_isDroppedAndListeningGoesOn()
{
    SocketLink link;
    link.setLocalPort(0);
    QVERIFY(link.Listen());
    QSignalSpy requests(&link, &SocketLink::ConnectionRequest);
    auto ignored = clientOf(link);
    QSignalSpy ignoredClosed(ignored.get(), &QTcpSocket::disconnected);
    QTRY_COMPARE_WITH_TIMEOUT(requests.count(), 1, kWait);
    QTRY_COMPARE_WITH_TIMEOUT(ignoredClosed.count(), 1, kWait);
    QCOMPARE(link.State(), int(SocketLink::Listening));

    // The dropped request cannot be taken afterwards either.
    QVERIFY(!link.Accept(requests.at(0).at(0).toInt()));
}

void TestSocketLink::whileConnected_secondClientIsRefused()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    QSignalSpy requests(link.get(), &SocketLink::ConnectionRequest);
    auto first = clientOf(*link);
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);

    auto second = clientOf(*link);
    QSignalSpy secondConnected(second.get(), &QTcpSocket::connected);
    QSignalSpy secondError(second.get(), &QTcpSocket::errorOccurred);
    QTRY_COMPARE_WITH_TIMEOUT(secondError.count(), 1, kWait);
    QCOMPARE(second->error(), QAbstractSocket::ConnectionRefusedError);
    QCOMPARE(secondConnected.count(), 0);
    QCOMPARE(requests.count(), 1);
    QCOMPARE(link->State(), int(SocketLink::Connected));
    QCOMPARE(first->state(), QAbstractSocket::ConnectedState);
}

void TestSocketLink::listen_whileConnected_fails()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    auto client = clientOf(*link);
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
    QVERIFY(!link->Listen());
    QCOMPARE(link->State(), int(SocketLink::Connected));
}

void TestSocketLink::acceptWithoutClose_stillStopsListening()
{
    SocketLink link;
    connect(&link, &SocketLink::ConnectionRequest, &link, [&link](qint32 requestID) { link.Accept(requestID); });
    link.setLocalPort(0);
    QVERIFY(link.Listen());
    auto first = clientOf(link);
    QTRY_COMPARE_WITH_TIMEOUT(link.State(), int(SocketLink::Connected), kWait);
    auto second = clientOf(link);
    QVERIFY(!second->waitForConnected(kWait));
    QCOMPARE(second->error(), QAbstractSocket::ConnectionRefusedError);
}

void TestSocketLink::getData_decodesEveryByteAsWindows1252()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    Drain drain(link.get());
    auto client = clientOf(*link);
    QVERIFY(client->waitForConnected(kWait));
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(char(b));
    client->write(all);
    QTRY_COMPARE_WITH_TIMEOUT(drain.text.size(), qsizetype(256), kWait);
    QCOMPARE(drain.text, WinAnsi::decode(all));
    QCOMPARE(drain.text.at(0x80), QChar(0x20AC));
    QCOMPARE(drain.text.at(0xC7), QChar(0x00C7));
}

void TestSocketLink::sendData_putsExactBytes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("plain") << QStringLiteral("hola") << QByteArray("hola");
    QTest::newRow("accents and euro") << QStringLiteral("ñÇó€") << QByteArray("\xF1\xC7\xF3\x80");
    QTest::newRow("line end kept as typed") << QStringLiteral("a\r\n") << QByteArray("a\r\n");
    QTest::newRow("outside the code page") << QStringLiteral("Ω") << QByteArray("?");
}

void TestSocketLink::sendData_putsExactBytes()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    auto client = clientOf(*link);
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
    QVERIFY(link->SendData(text));
    // A marker after it shows where the text ended.
    QVERIFY(link->SendData(QStringLiteral("|")));
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += client->readAll()).endsWith('|'), kWait);
    QCOMPARE(received, bytes + '|');
}

void TestSocketLink::sendData_withoutClient_fails()
{
    SocketLink link;
    link.setLocalPort(0);
    QVERIFY(!link.SendData(QStringLiteral("hola")));
    QVERIFY(link.Listen());
    QVERIFY(!link.SendData(QStringLiteral("hola")));
    QVERIFY(!link.errorString().isEmpty());
}

void TestSocketLink::accept_unknownRequest_fails()
{
    SocketLink link;
    link.setLocalPort(0);
    QVERIFY(link.Listen());
    QVERIFY(!link.Accept(12345));
    QCOMPARE(link.State(), int(SocketLink::Listening));
}

void TestSocketLink::peerClose_deliversDataThenOnePeerClosed()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    QStringList events;
    connect(link.get(), &SocketLink::DataArrival, this, [&] { events << QStringLiteral("data:") + link->GetData(); });
    connect(link.get(), &SocketLink::peerClosed, this, [&] {
        events << QStringLiteral("closed:%1").arg(link->State());
    });
    connect(link.get(), &SocketLink::error, this, [&](const QString &reason) { events << reason; });
    auto client = clientOf(*link);
    QVERIFY(client->waitForConnected(kWait));
    client->write("A45");
    client->disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(events.contains(QStringLiteral("closed:8")), kWait);
    QCOMPARE(events.join(QString()).remove(QStringLiteral("data:")), QStringLiteral("A45closed:8"));
    QTest::qWait(50);
    QCOMPARE(events.last(), QStringLiteral("closed:8"));
    link->Close();
    QCOMPARE(link->State(), int(SocketLink::Closed));
}

void TestSocketLink::peerReset_reportedOnceAndListenAgainWorks()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    QSignalSpy closed(link.get(), &SocketLink::peerClosed);
    QSignalSpy errors(link.get(), &SocketLink::error);
    auto client = clientOf(*link);
    QVERIFY(client->waitForConnected(kWait));
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
    Loopback::lingerZero(*client);
    client->abort();
    QTRY_COMPARE_WITH_TIMEOUT(closed.count() + errors.count(), 1, kWait);
    QTest::qWait(50);
    QCOMPARE(closed.count() + errors.count(), 1);
    QVERIFY(link->State() == SocketLink::Closing || link->State() == SocketLink::Error);

    link->Close();
    QVERIFY(link->Listen());
    auto next = clientOf(*link);
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
}

void TestSocketLink::close_deliversQueuedBytesThenDisconnects()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    auto client = clientOf(*link);
    QSignalSpy clientClosed(client.get(), &QTcpSocket::disconnected);
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
    const QString big(200000, QLatin1Char('x'));
    QVERIFY(link->SendData(big));
    link->Close();
    QCOMPARE(link->State(), int(SocketLink::Closed));
    QByteArray received;
    QTRY_VERIFY_WITH_TIMEOUT((received += client->readAll()).size() == big.size()
                                 && clientClosed.count() == 1,
                             kWait);
    QCOMPARE(received, QByteArray(big.size(), 'x'));
}

void TestSocketLink::acceptFailure_isReportedAsError()
{
    auto link = acceptingLink();
    QVERIFY(link->Listen());
    QSignalSpy errors(link.get(), &SocketLink::error);
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, quint16(link->LocalPort()));
    // Connected in the system's queue; the link has not taken it yet.
    QVERIFY(client.waitForConnected(kWait));
    {
        // No descriptor left for the accepted connection: the system's accept fails.
        FdLimit limit;
        QVERIFY(limit.exhaust());
        QTRY_COMPARE_WITH_TIMEOUT(errors.count(), 1, kWait);
    }
    QVERIFY(!errors.at(0).at(0).toString().isEmpty());
    link->Close();
    QCOMPARE(link->State(), int(SocketLink::Closed));
    QVERIFY(link->Listen());
    auto next = clientOf(*link);
    QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
}

void TestSocketLink::destroyedInsideOwnSignal_doesNotCrash_data()
{
    QTest::addColumn<QString>("signal");
    QTest::newRow("ConnectionRequest") << QStringLiteral("request");
    QTest::newRow("DataArrival") << QStringLiteral("data");
    QTest::newRow("peerClosed") << QStringLiteral("closed");
}

void TestSocketLink::destroyedInsideOwnSignal_doesNotCrash()
{
    QFETCH(QString, signal);
    auto *link = new SocketLink(this);
    QPointer<SocketLink> watch(link);
    link->setLocalPort(0);
    connect(link, &SocketLink::ConnectionRequest, link, [link, signal](qint32 requestID) {
        if (signal == QLatin1String("request")) {
            delete link;
            return;
        }
        link->Close();
        link->Accept(requestID);
    });
    connect(link, &SocketLink::DataArrival, link, [link, signal] {
        if (signal == QLatin1String("data"))
            delete link;
    });
    connect(link, &SocketLink::peerClosed, link, [link] { delete link; });
    QVERIFY(link->Listen());
    const quint16 port = quint16(link->LocalPort());

    auto client = clientOf(*link);
    QSignalSpy clientClosed(client.get(), &QTcpSocket::disconnected);
    QVERIFY(client->waitForConnected(kWait));
    if (signal != QLatin1String("request"))
        QTRY_COMPARE_WITH_TIMEOUT(link->State(), int(SocketLink::Connected), kWait);
    if (signal == QLatin1String("data"))
        client->write("A45");
    if (signal == QLatin1String("closed"))
        client->disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(watch.isNull(), kWait);
    // The client sees the end of the connection, and nothing is left listening.
    QTRY_COMPARE_WITH_TIMEOUT(clientClosed.count(), 1, kWait);
    QTcpSocket late;
    late.connectToHost(QHostAddress::LocalHost, port);
    QVERIFY(!late.waitForConnected(kWait));
    QCOMPARE(late.error(), QAbstractSocket::ConnectionRefusedError);
}

QTEST_GUILESS_MAIN(TestSocketLink)
#include "tst_socketlink.moc"
