#include "deleteinside.h"
#include "forms.h"
#include "oneclientserver.h"

#include <QFile>
#include <QPointer>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

using Forms::connectTo;
using Forms::kWaitMs;

namespace {

// The server's life as one line of events, to compare with what a user would see.
struct Events
{
    explicit Events(OneClientServer *server)
    {
        QObject::connect(server, &OneClientServer::listening, server, [this] { log << QStringLiteral("listening"); });
        QObject::connect(server, &OneClientServer::ready, server,
                         [this, server] { log << QStringLiteral("accepted ") + server->clientAddress(); });
        QObject::connect(server, &OneClientServer::closed, server, [this] { log << QStringLiteral("closed"); });
        QObject::connect(server, &OneClientServer::clientLost, server, [this] { log << QStringLiteral("lost"); });
    }
    QStringList log;
};

bool mayListenOn1007()
{
    QFile start(QStringLiteral("/proc/sys/net/ipv4/ip_unprivileged_port_start"));
    return ::geteuid() == 0 || (start.open(QIODevice::ReadOnly) && start.readAll().trimmed().toInt() <= 1007);
}

} // namespace

class TestOneClientServer : public QObject
{
    Q_OBJECT

private slots:
    void oneClientAtATime_listensAgainWhenItLeavesOrResets_ipv6Too();
    void bytesCrossAsTheyAre_closeAfterItsData();
    void portInUse_saysSo();
    void privilegedPort_saysSo();
    void clientsSocket_sendsAtOnceAndProbesAVanishedMachine();
    void failedAccept_listensAgain();
    void destroyedInsideOwnSignal_data();
    void destroyedInsideOwnSignal();
};

void TestOneClientServer::oneClientAtATime_listensAgainWhenItLeavesOrResets_ipv6Too()
{
    OneClientServer server(0);
    Events events(&server);
    QVERIFY(server.open());
    const quint16 port = server.port();
    QVERIFY(port > 0);

    auto first = connectTo(port);
    QVERIFY(first);
    QTRY_VERIFY_WITH_TIMEOUT(server.isOpen(), kWaitMs);
    // While one is served nothing listens: the system refuses the next one at once.
    QVERIFY(!connectTo(port));
    QVERIFY(!server.isListening());

    first->disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(server.isListening(), kWaitMs);
    QCOMPARE(server.port(), port);
    auto second = connectTo(port);
    QVERIFY(second);
    QTRY_VERIFY_WITH_TIMEOUT(server.isOpen(), kWaitMs);
    // A reset is a client that left too.
    const linger resetOnClose{1, 0};
    ::setsockopt(int(second->socketDescriptor()), SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
    second->abort();
    QTRY_VERIFY_WITH_TIMEOUT(server.isListening(), kWaitMs);
    QCOMPARE(events.log, QStringList({"listening", "accepted 127.0.0.1", "closed", "listening",
                                      "accepted 127.0.0.1", "closed", "listening"}));
    // A client over IPv6 too, where the machine has it.
    if (QTcpSocket().bind(QHostAddress::LocalHostIPv6)) {
        auto third = connectTo(port, QHostAddress::LocalHostIPv6);
        QVERIFY(third);
        QTRY_COMPARE_WITH_TIMEOUT(events.log.last(), QStringLiteral("accepted ::1"), kWaitMs);
    }
}

void TestOneClientServer::bytesCrossAsTheyAre_closeAfterItsData()
{
    OneClientServer server(0);
    QByteArray data;
    QByteArray dataWhenClosed;
    QSignalSpy sent(&server, &Link::sent);
    connect(&server, &OneClientServer::received, this, [&data](const QByteArray &bytes) { data += bytes; });
    connect(&server, &OneClientServer::closed, this, [&] { dataWhenClosed = data; });
    QVERIFY(!server.write("nadie"));
    QVERIFY(server.open());
    auto client = connectTo(server.port());
    QTRY_VERIFY_WITH_TIMEOUT(server.isOpen(), kWaitMs);
    const QByteArray bytes("\xF1\xC7\x80\r\n\0?", 7);
    QVERIFY(server.write(bytes));
    QByteArray received;
    QTRY_COMPARE_WITH_TIMEOUT(received += client->readAll(), bytes, kWaitMs);
    QCOMPARE(sent.count(), 1);
    // What the client sends right before leaving is delivered before it is said to leave.
    client->write("A\x80\xC7\0z", 5);
    client->disconnectFromHost();
    QTRY_COMPARE_WITH_TIMEOUT(dataWhenClosed, QByteArray("A\x80\xC7\0z", 5), kWaitMs);
}

void TestOneClientServer::portInUse_saysSo()
{
    OneClientServer first(0);
    QVERIFY(first.open());
    OneClientServer second(first.port());
    QVERIFY(!second.open());
    QCOMPARE(second.cause(), Link::Cause::AddressInUse);
    QVERIFY(!second.errorString().isEmpty());
    first.close();
    QVERIFY(second.open());
    QCOMPARE(second.cause(), Link::Cause::None);
}

void TestOneClientServer::privilegedPort_saysSo()
{
    // As root the refusal is seen from a child process that has given up root.
    const bool asRoot = ::geteuid() == 0;
    if (!asRoot && mayListenOn1007())
        QSKIP("this system lets every user listen on port 1007");
    const pid_t child = asRoot ? ::fork() : 0;
    QVERIFY(child >= 0);
    if (child == 0) {
        if (asRoot && (::setgid(65534) != 0 || ::setuid(65534) != 0 || mayListenOn1007()))
            ::_exit(3);
        OneClientServer server(1007);
        const bool refused = !server.open() && server.cause() == Link::Cause::Privileged;
        if (asRoot)
            ::_exit(refused ? 0 : 1);
        QVERIFY2(refused, qPrintable(server.errorString()));
        return;
    }
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status));
    if (WEXITSTATUS(status) == 3)
        QSKIP("this system lets every user listen on port 1007");
    QCOMPARE(WEXITSTATUS(status), 0);
}

void TestOneClientServer::clientsSocket_sendsAtOnceAndProbesAVanishedMachine()
{
    OneClientServer server(0);
    QVERIFY(server.open());
    auto client = connectTo(server.port());
    QTRY_VERIFY_WITH_TIMEOUT(server.isOpen(), kWaitMs);
    // The kernel probes the idle connection and ends it when the client does not answer.
    const int fd = int(server.findChild<QTcpSocket *>()->socketDescriptor());
    auto option = [fd](int level, int name) {
        int value = -1;
        socklen_t size = sizeof value;
        ::getsockopt(fd, level, name, &value, &size);
        return value;
    };
    QCOMPARE(option(IPPROTO_TCP, TCP_NODELAY), 1);
    QCOMPARE(option(SOL_SOCKET, SO_KEEPALIVE), 1);
    // A vanished machine is given up on within a minute, idle or with data on its way.
    const int probing = option(IPPROTO_TCP, TCP_KEEPIDLE)
                        + option(IPPROTO_TCP, TCP_KEEPINTVL) * option(IPPROTO_TCP, TCP_KEEPCNT);
    QVERIFY2(probing > 0 && probing <= 60, qPrintable(QString::number(probing)));
    const int userTimeoutMs = option(IPPROTO_TCP, TCP_USER_TIMEOUT);
    QVERIFY2(userTimeoutMs > 0 && userTimeoutMs <= 60000, qPrintable(QString::number(userTimeoutMs)));
}

void TestOneClientServer::failedAccept_listensAgain()
{
    OneClientServer server(0);
    Events events(&server);
    QVERIFY(server.open());
    // Connected in the system's queue; the server has not taken it yet.
    QTcpSocket refused;
    refused.connectToHost(QHostAddress::LocalHost, server.port());
    QVERIFY(refused.waitForConnected(kWaitMs));
    // No descriptor left for the connection: the system's accept fails.
    rlimit saved{};
    QVERIFY(::getrlimit(RLIMIT_NOFILE, &saved) == 0);
    const int lowestFree = ::dup(0);
    ::close(lowestFree);
    rlimit low = saved;
    low.rlim_cur = rlim_t(lowestFree);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &low) == 0);
    const bool lost = QTest::qWaitFor([&events] { return events.log.contains(QStringLiteral("lost")); }, kWaitMs);
    QVERIFY(::setrlimit(RLIMIT_NOFILE, &saved) == 0);
    QVERIFY(lost);

    QTRY_COMPARE_WITH_TIMEOUT(events.log.last(), QStringLiteral("listening"), kWaitMs);
    auto next = connectTo(server.port());
    QVERIFY(next);
    QTRY_VERIFY_WITH_TIMEOUT(server.isOpen(), kWaitMs);
}

void TestOneClientServer::destroyedInsideOwnSignal_data()
{
    // Each row deletes the server from inside that signal.
    QTest::addColumn<DeleteInside>("watch");
    QTest::newRow("ready") << deleteInside(&Link::ready);
    QTest::newRow("received") << deleteInside(&Link::received);
    QTest::newRow("closed") << deleteInside(&Link::closed);
    // The first listening() is open()'s own.
    QTest::newRow("listening again") << DeleteInside([](QObject *server) {
        auto *s = static_cast<OneClientServer *>(server);
        QObject::connect(s, &OneClientServer::ready, s, [s] { deleteInside(&OneClientServer::listening)(s); });
    });
}

void TestOneClientServer::destroyedInsideOwnSignal()
{
    QFETCH(DeleteInside, watch);
    auto *server = new OneClientServer(0, this);
    QPointer<OneClientServer> alive(server);
    watch(server);
    QVERIFY(server->open());
    const quint16 port = server->port();

    auto client = connectTo(port);
    QVERIFY(client);
    QSignalSpy clientClosed(client.get(), &QTcpSocket::disconnected);
    client->write("A45");
    (void)QTest::qWaitFor([&] { return alive.isNull(); }, 100);
    if (alive)
        client->disconnectFromHost();
    QTRY_VERIFY_WITH_TIMEOUT(alive.isNull(), kWaitMs);
    // The client sees the end of its connection, and nothing is left listening.
    QTRY_COMPARE_WITH_TIMEOUT(clientClosed.count(), 1, kWaitMs);
    QVERIFY(!connectTo(port));
}

QTEST_GUILESS_MAIN(TestOneClientServer)
#include "tst_oneclientserver.moc"
