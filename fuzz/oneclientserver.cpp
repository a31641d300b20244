// The one-client server under a random crowd of real loopback clients that connect, send,
// close, reset, and are sent to, with the event loop turning between steps. One server
// lives across executions; each execution ends with every client gone, the server
// listening again and as many sockets open as at the start.
#include "fuzzcheck.h"
#include "oneclientserver.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QNetworkProxyFactory>
#include <QTcpSocket>
#include <QThread>

#include <dirent.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kMaxClients = 4;
constexpr int kMaxSteps = 32;
// Past the server's linger time, so that a socket it lets go has had its chance to close.
constexpr int kSettleMs = 8000;

struct Client
{
    QTcpSocket socket;
    quint16 port = 0;     // its local port, which the server sees as the peer's one
    QByteArray sent;      // what it handed to the line
    QByteArray received;  // what it read
    QByteArray sentToIt;  // what the server queued for it, once it has left the server
    bool served = false;
    bool reset = false;
    bool clean = true;    // closed with nothing unread, so its last bytes were not cut
};

OneClientServer *g_server = nullptr;
std::vector<std::unique_ptr<Client>> g_clients;
Client *g_served = nullptr;
QByteArray g_arrived;     // what the server received from the client it serves
QByteArray g_queued;      // what the server queued for it
int g_openSockets = 0;    // sockets open when the execution started

// Sockets only: Qt starts helper threads, with descriptors of their own, as it likes.
int openSockets()
{
    int sockets = 0;
    DIR *folder = ::opendir("/proc/self/fd");
    FUZZ_CHECK(folder);
    while (const dirent *entry = ::readdir(folder)) {
        struct stat status = {};
        if (entry->d_name[0] != '.' && ::fstat(std::atoi(entry->d_name), &status) == 0 && S_ISSOCK(status.st_mode))
            ++sockets;
    }
    ::closedir(folder);
    return sockets;
}

// The served socket is the server's only direct QTcpSocket child; the others it lets go.
void checkServingOne()
{
    const auto sockets = g_server->findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly);
    FUZZ_CHECK(sockets.size() <= 1);
    FUZZ_CHECK(g_server->isOpen() == (sockets.size() == 1));
    FUZZ_CHECK(g_server->isOpen() == (g_served != nullptr));
    FUZZ_CHECK(g_server->isOpen() != g_server->isListening());
}

void pump()
{
    QCoreApplication::processEvents();
    // A client taken is told from the event loop: what a pass posted is delivered before
    // the server's state is checked against what it told.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    checkServingOne();
}

void settle(const std::function<bool()> &done, const char *what)
{
    const QDeadlineTimer deadline(kSettleMs);
    for (int round = 0; !done(); ++round) {
        if (deadline.hasExpired()) {
            std::fprintf(stderr, "not settled after %d ms: %s\n", kSettleMs, what);
            std::fprintf(stderr, "served: %s, listening: %d, sockets: %d (%d at the start)\n",
                         g_served ? "yes" : "no", g_server->isListening(), openSockets(), g_openSockets);
            for (const auto &client : g_clients)
                std::fprintf(stderr, "client %u: state %d, sent %lld, received %lld\n", client->port,
                             int(client->socket.state()), qint64(client->sent.size()), qint64(client->received.size()));
            std::abort();
        }
        if (round > 8)
            QThread::usleep(100);
        pump();
    }
}

void accepted()
{
    FUZZ_CHECK(!g_served);
    const auto sockets = g_server->findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly);
    FUZZ_CHECK(sockets.size() == 1);
    for (const auto &client : g_clients) {
        if (client->port == sockets[0]->peerPort())
            g_served = client.get();
    }
    FUZZ_CHECK(g_served && !g_served->served);
    g_served->served = true;
    g_arrived.clear();
    g_queued.clear();
}

void left(bool graceful)
{
    FUZZ_CHECK(g_served);
    FUZZ_CHECK(g_served->sent.startsWith(g_arrived));
    if (graceful && !g_served->reset && g_served->clean)
        FUZZ_CHECK(g_arrived == g_served->sent);
    g_served->sentToIt = g_queued;
    g_served = nullptr;
}

quint16 nextClientPort()
{
    constexpr quint16 kFirst = 20000, kCount = 12000;
    // Fuzzers run side by side start at different places.
    static quint16 next = quint16(::getpid() % kCount);
    next = quint16((next + 1) % kCount);
    return quint16(kFirst + next);
}

Client *pick(FuzzedDataProvider &input)
{
    if (g_clients.empty())
        return nullptr;
    return g_clients[input.ConsumeIntegralInRange<std::size_t>(0, g_clients.size() - 1)].get();
}

QByteArray bytes(FuzzedDataProvider &input)
{
    const std::vector<char> b = input.ConsumeBytes<char>(input.ConsumeIntegralInRange<int>(1, 64));
    return QByteArray(b.data(), qsizetype(b.size()));
}

void step(FuzzedDataProvider &input)
{
    switch (input.ConsumeIntegralInRange<int>(0, 4)) {
    case 0: // a client comes
        if (g_clients.size() < kMaxClients) {
            auto client = std::make_unique<Client>();
            Client *c = client.get();
            // Bound first, the client knows its port before Qt connects, which the server
            // may see before the client does. The ports are ours, below the range the
            // system usually hands out, where the server listens. Asking the system for a
            // port instead slows down with every closed connection it still remembers, ten
            // thousands of them after a few seconds here. A port someone else holds is
            // passed over, and so is the server's own: a client there would connect to
            // itself. Shared, the port may still be listened on again.
            c->port = nextClientPort();
            if (c->port == g_server->port()
                || !c->socket.bind(QHostAddress::LocalHost, c->port, QAbstractSocket::ReuseAddressHint))
                break;
            QObject::connect(&c->socket, &QTcpSocket::readyRead, [c] { c->received += c->socket.readAll(); });
            c->socket.connectToHost(QHostAddress::LocalHost, g_server->port());
            g_clients.push_back(std::move(client));
        }
        break;
    case 1: // a client sends
        if (Client *c = pick(input)) {
            const QByteArray b = bytes(input);
            if (c->socket.state() == QAbstractSocket::ConnectedState && c->socket.write(b) == b.size())
                c->sent += b;
        }
        break;
    case 2: // a client closes
        if (Client *c = pick(input)) {
            c->clean = c->clean && (c != g_served || c->received == g_queued);
            c->socket.disconnectFromHost();
        }
        break;
    case 3: // a client resets
        if (Client *c = pick(input)) {
            const linger resetOnClose{1, 0};
            ::setsockopt(int(c->socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
            c->reset = true;
            c->socket.abort();
        }
        break;
    default: { // the server sends
        const QByteArray b = bytes(input);
        const bool sent = g_server->write(b);
        FUZZ_CHECK(!sent || g_served);
        if (sent)
            g_queued += b;
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_oneclientserver";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
    // Loopback needs no proxy, and asking the system for one costs each client a lookup.
    QNetworkProxyFactory::setUseSystemConfiguration(false);
    g_server = new OneClientServer(0);
    QObject::connect(g_server, &OneClientServer::ready, &accepted);
    QObject::connect(g_server, &OneClientServer::received, [](const QByteArray &bytes) {
        FUZZ_CHECK(g_served);
        g_arrived += bytes;
        FUZZ_CHECK(g_served->sent.startsWith(g_arrived));
    });
    QObject::connect(g_server, &OneClientServer::closed, [] { left(true); });
    QObject::connect(g_server, &OneClientServer::clientLost, [] { left(false); });
    QObject::connect(g_server, &OneClientServer::failed, [](Link::Cause, const QString &systemReason) {
        std::fprintf(stderr, "%s\n", qPrintable(systemReason));
        std::abort();
    });
    FUZZ_CHECK(g_server->open());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    g_openSockets = openSockets();
    FuzzedDataProvider input(data, size);
    for (int steps = 0; steps < kMaxSteps && input.remaining_bytes() > 0; ++steps) {
        step(input);
        pump();
        pump();
    }

    // Whatever the server queued reaches a client that stays; then every client leaves.
    settle([] { return !g_served || g_served->reset || g_served->socket.state() != QAbstractSocket::ConnectedState
                       || g_served->received == g_queued; },
           "the served client receives what the server sent");
    if (g_served && !g_served->reset && g_served->socket.state() == QAbstractSocket::ConnectedState)
        FUZZ_CHECK(g_served->received == g_queued);
    for (const auto &client : g_clients) {
        client->clean = client->clean && (client.get() != g_served || client->received == g_queued);
        client->socket.disconnectFromHost();
    }
    settle([] {
        for (const auto &client : g_clients) {
            if (client->socket.state() != QAbstractSocket::UnconnectedState)
                return false;
        }
        return !g_served && g_server->isListening();
    }, "every client gone, the server listening again");

    for (const auto &client : g_clients) {
        FUZZ_CHECK(client->served || client->received.isEmpty());
        FUZZ_CHECK(client->sentToIt.startsWith(client->received));
    }
    // A client socket that was refused keeps its descriptor until deleted.
    g_clients.clear();
    settle([] { return openSockets() == g_openSockets; }, "no socket of the server left open");
    return 0;
}
