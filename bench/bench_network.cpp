// The network-controlled simulator under a loopback client sending "A<angle>" messages:
// how many messages it handles per second, and the time from a message's send to the end
// of its UpdateArm (views redrawn into their images, readouts written).
//
// Listens on a port the system chooses. Runs offscreen unless QT_QPA_PLATFORM says
// otherwise.

#include "armpanel.h"
#include "frminternetservidor.h"
#include "oneclientserver.h"
#include "spin.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QMdiArea>
#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

quint16 g_port = 0;
frmInternetServidor *g_form = nullptr;
OneClientServer *g_server = nullptr;
ArmPanel *g_panel = nullptr;
QLineEdit *g_q1 = nullptr;
// Runs of a benchmark go on from the message the last one stopped at: starting again from
// 0 could repeat the angle Q1 already shows, which is no change and draws nothing.
int g_nextMessage = 0;

// Message k carries a Q1 angle that differs from message k-1's and repeats only every
// 300 messages, so a drawn angle tells which message it was.
int angleOf(int k)
{
    return k % 300 - 150;
}

QByteArray messageOf(int k)
{
    return QByteArray("A") + QByteArray::number(angleOf(k));
}

double micros(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

void reportLatencies(benchmark::State &state, std::vector<double> &latencies)
{
    if (latencies.empty())
        return;
    std::sort(latencies.begin(), latencies.end());
    state.counters["median_us"] = latencies[latencies.size() / 2];
    state.counters["p99_us"] = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
    state.counters["max_us"] = latencies.back();
}

bool waitListening()
{
    return spinUntil([] { return g_server->isListening(); }, 5000);
}

// The handler's own share: one message straight into the arm, no socket, no repaint.
void BM_JointMessageOnly(benchmark::State &state)
{
    for (auto _ : state)
        g_panel->JointMessage(messageOf(g_nextMessage++));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JointMessageOnly)->Unit(benchmark::kMicrosecond);

// The same, followed by the repaint of the window that it asks for.
void BM_JointMessageAndRepaint(benchmark::State &state)
{
    for (auto _ : state) {
        g_panel->JointMessage(messageOf(g_nextMessage++));
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_JointMessageAndRepaint)->Unit(benchmark::kMicrosecond);

// One message in flight: the next is sent once the previous one has been drawn.
// Throughput of the whole path, client write included.
void BM_RoundTrip(benchmark::State &state)
{
    if (!waitListening()) {
        state.SkipWithError("the window is not listening");
        return;
    }
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, g_port);
    if (!spinUntil([] { return g_server->isOpen(); }, 5000)) {
        state.SkipWithError("no connection");
        return;
    }
    client.setSocketOption(QAbstractSocket::LowDelayOption, 1);

    int updates = 0;
    Clock::time_point drawn;
    QObject::connect(g_panel, &ArmPanel::armUpdated, &client, [&] {
        drawn = Clock::now();
        ++updates;
    });
    std::vector<double> latencies;
    latencies.reserve(1 << 16);
    // Wakes the loop now and then, so that a lost message ends the run instead of hanging it.
    QTimer wake;
    wake.start(100);
    bool lost = false;
    for (auto _ : state) {
        const int before = updates;
        const Clock::time_point sent = Clock::now();
        client.write(messageOf(g_nextMessage++));
        client.flush();
        while (updates == before && !lost) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            lost = Clock::now() - sent > std::chrono::seconds(5);
        }
        if (lost) {
            state.SkipWithError("a message was not drawn");
            break;
        }
        latencies.push_back(micros(drawn - sent));
    }
    state.SetItemsProcessed(state.iterations());
    reportLatencies(state, latencies);
    client.disconnectFromHost();
    waitListening();
}
BENCHMARK(BM_RoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();

// A client in its own thread sends at a fixed rate, whatever the window does; every
// message should be read alone and get its own UpdateArm.
void BM_Paced(benchmark::State &state)
{
    const int rate = int(state.range(0));
    const int count = int(state.range(1));
    const auto period = std::chrono::nanoseconds(1000000000LL / rate);
    for (auto _ : state) {
        if (!waitListening()) {
            state.SkipWithError("the window is not listening");
            return;
        }
        std::vector<Clock::time_point> sendTimes(static_cast<std::size_t>(count));
        std::atomic<bool> go{false};
        std::atomic<bool> done{false};
        std::atomic<bool> connected{false};
        std::atomic<int> lateSends{0};
        std::atomic<bool> allSent{false};
        const int first = g_nextMessage;
        g_nextMessage += count;

        std::thread sender([&] {
            const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_port = htons(g_port);
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
                ::close(fd);
                done = true;
                return;
            }
            connected = true;
            while (!go)
                std::this_thread::sleep_for(std::chrono::microseconds(100));
            // The sleeps of this machine overshoot by tens of microseconds: sleep to near
            // the slot, then spin to it. A send that still comes late moves the rest of the
            // schedule instead of being followed by a burst.
            Clock::time_point next = Clock::now();
            for (int k = 0; k < count; ++k) {
                std::this_thread::sleep_until(next - std::chrono::microseconds(150));
                while (Clock::now() < next) {
                }
                const QByteArray message = messageOf(first + k);
                const Clock::time_point now = Clock::now();
                sendTimes[std::size_t(k)] = now;
                if (now - next > period / 4)
                    ++lateSends;
                next = std::max(next, now) + period;
                if (::send(fd, message.constData(), size_t(message.size()), 0) != message.size())
                    break;
            }
            allSent = true;
            while (!done)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ::close(fd);
        });

        std::vector<std::pair<Clock::time_point, int>> drawn;
        drawn.reserve(std::size_t(count));
        const QMetaObject::Connection watch =
            QObject::connect(g_panel, &ArmPanel::armUpdated, g_form, [&] {
                drawn.emplace_back(Clock::now(), g_q1->text().toInt());
            });
        const bool accepted = spinUntil([&] {
            return connected && g_server->isOpen();
        }, 5000);
        go = true;
        const int budgetMs = int(qint64(count) * 1000 / rate) + 3000;
        if (accepted)
            spinUntil([&] { return allSent || !connected; }, budgetMs);
        // Whatever is still on its way is handled before the count.
        spinUntil([&] { return int(drawn.size()) >= count; }, 100);
        QObject::disconnect(watch);
        done = true;
        sender.join();

        // Match each drawing to its message by angle, in order.
        std::vector<double> latencies;
        int next = 0;
        for (const auto &[when, angle] : drawn) {
            while (next < count && angleOf(first + next) != angle)
                ++next;
            if (next == count)
                break;
            latencies.push_back(micros(when - sendTimes[std::size_t(next)]));
            ++next;
        }
        state.counters["sent"] = count;
        state.counters["sent_per_s"] =
            count > 1 ? (count - 1) / std::chrono::duration<double>(sendTimes.back() - sendTimes.front()).count() : 0;
        state.counters["late_sends"] = double(lateSends.load());
        state.counters["updates"] = double(drawn.size());
        state.counters["merged"] = double(count - int(drawn.size()));
        if (drawn.size() > 1) {
            const double span = std::chrono::duration<double>(drawn.back().first - drawn.front().first).count();
            state.counters["handled_per_s"] = double(drawn.size() - 1) / span;
        }
        reportLatencies(state, latencies);
        if (!accepted)
            state.SkipWithError("no connection");
    }
}
BENCHMARK(BM_Paced)
    ->Args({5000, 20000})
    ->Args({10000, 20000})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QMdiArea area;
    area.resize(800, 800);
    area.show();
    auto *form = new frmInternetServidor(0, &area);
    form->showIn(&area);
    g_form = form;
    g_server = form->findChild<OneClientServer *>();
    g_panel = form->findChild<ArmPanel *>();
    g_q1 = form->findChild<QLineEdit *>(QStringLiteral("txtQ1"));
    g_port = quint16(form->findChild<QLineEdit *>(QStringLiteral("txtPuerto"))->text().toUInt());
    if (!g_server->isListening()) {
        std::fprintf(stderr, "No se puede escuchar: %s\n", qPrintable(g_server->errorString()));
        return 1;
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
