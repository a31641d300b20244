#include "deleteinside.h"
#include "forms.h"
#include "tcpclientlink.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <memory>

using Forms::kWaitMs;

namespace {

// A server that takes one client, sends it what it is given and can hang up on it.
struct Server
{
    Server()
    {
        listener.listen(QHostAddress::LocalHost);
        QObject::connect(&listener, &QTcpServer::newConnection, &listener, [this] {
            client.reset(listener.nextPendingConnection());
            client->write(greeting);
        });
    }
    quint16 port() const { return listener.serverPort(); }
    QTcpServer listener;
    std::unique_ptr<QTcpSocket> client;
    QByteArray greeting = "hola";
};

} // namespace

class TestTcpClientLink : public QObject
{
    Q_OBJECT

private slots:
    void connects_bytesBothWays_toldWhenTheServerHangsUp();
    void nobodyListening_failsWithItsCause();
    void destroyedInsideOwnSignal_data();
    void destroyedInsideOwnSignal();
};

void TestTcpClientLink::connects_bytesBothWays_toldWhenTheServerHangsUp()
{
    Server server;
    TcpClientLink link(QStringLiteral("127.0.0.1"), server.port());
    QSignalSpy ready(&link, &Link::ready);
    QSignalSpy closed(&link, &Link::closed);
    QSignalSpy failed(&link, &Link::failed);
    QByteArray received;
    connect(&link, &Link::received, this, [&received](const QByteArray &bytes) { received += bytes; });
    QVERIFY(!link.write("A1"));
    // Connecting takes the event loop: ready comes from it, never from inside open().
    QVERIFY(link.open());
    QCOMPARE(ready.count(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(ready.count(), 1, kWaitMs);
    QVERIFY(link.isOpen());
    QTRY_COMPARE_WITH_TIMEOUT(received, QByteArray("hola"), kWaitMs);
    QVERIFY(link.write("A45"));
    QByteArray atServer;
    QTRY_COMPARE_WITH_TIMEOUT(atServer += server.client->readAll(), QByteArray("A45"), kWaitMs);
    server.client->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(closed.count(), 1, kWaitMs);
    QCOMPARE(failed.count(), 0);
    QVERIFY(!link.isOpen());
}

void TestTcpClientLink::nobodyListening_failsWithItsCause()
{
    quint16 port = 0;
    {
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        port = gone.serverPort();
    }
    TcpClientLink link(QStringLiteral("127.0.0.1"), port);
    QSignalSpy failed(&link, &Link::failed);
    QVERIFY(link.open());
    QTRY_COMPARE_WITH_TIMEOUT(failed.count(), 1, kWaitMs);
    QCOMPARE(link.cause(), Link::Cause::Missing);
    QVERIFY(!link.errorString().isEmpty());
}

void TestTcpClientLink::destroyedInsideOwnSignal_data()
{
    QTest::addColumn<DeleteInside>("watch");
    QTest::addColumn<bool>("listening");
    QTest::newRow("ready") << deleteInside(&Link::ready) << true;
    QTest::newRow("received") << deleteInside(&Link::received) << true;
    QTest::newRow("closed") << deleteInside(&Link::closed) << true;
    QTest::newRow("failed") << deleteInside(&Link::failed) << false;
}

void TestTcpClientLink::destroyedInsideOwnSignal()
{
    QFETCH(DeleteInside, watch);
    QFETCH(bool, listening);
    Server server;
    const quint16 port = server.port();
    if (!listening)
        server.listener.close();
    auto *link = new TcpClientLink(QStringLiteral("127.0.0.1"), port, this);
    const QPointer<TcpClientLink> alive(link);
    watch(link);
    QVERIFY(link->open());
    // The server hangs up once the greeting is out, for the link that is still there.
    (void)QTest::qWaitFor([&] { return !alive || server.client; }, kWaitMs);
    if (alive && server.client) {
        server.client->waitForBytesWritten(kWaitMs);
        (void)QTest::qWaitFor([&] { return !alive; }, 200);
        if (alive)
            server.client->disconnectFromHost();
    }
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), kWaitMs);
}

QTEST_GUILESS_MAIN(TestTcpClientLink)
#include "tst_tcpclientlink.moc"
