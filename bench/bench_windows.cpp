// What one more message costs a window that has already shown a great deal: the TCP
// message window after 10 MB logged, the serial terminal after 1 MB shown, a simulator's
// monitor (its table and its plot) after 20,000 messages. Each figure is the CPU time from
// the message's arrival to the window painted with it; it must not grow with what is
// already on screen. Then the memory of the stores that take whatever comes: what they hold
// after more and more has come.
#include "forms.h"
#include "frmcomserial.h"
#include "frminternetservidor.h"
#include "frmmonitor.h"
#include "frmservidor.h"
#include "messagerecorder.h"
#include "receipt.h"
#include "receivedtext.h"
#include "receiptlog.h"
#include "ptypair.h"
#include "seriallink.h"
#include "serialportchoice.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QTemporaryDir>
#include <QEventLoop>
#include <QTimer>
#include <QLabel>
#include <QListWidget>

#include <atomic>
#include <ctime>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>
#include <thread>

namespace {

double cpuSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The process's resident memory, in KiB.
double residentKiB()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stod(line.substr(6));
    }
    return 0;
}

// Runs the loop until done() and the window has painted what changed.
template <typename Done>
void handle(Done done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
}

void BM_ServerLog_OneMoreMessage(benchmark::State &state)
{
    const qint64 shownBytes = state.range(0) << 20;
    Forms::Frame frame;
    frmServidor form(Forms::kAnyPort, &frame.area);
    form.showIn(&frame.area);
    const auto *log = form.findChild<QListWidget *>(QStringLiteral("lstDatos"));
    auto client = Forms::connectTo(Forms::shownPort(&form));
    handle([&] { return log->count() == 2; });
    const QByteArray chunk(64 * 1024, 'x');
    for (qint64 sent = 0; sent < shownBytes; sent += chunk.size())
        client->write(chunk);
    handle([&] { return !client->bytesToWrite(); });
    QTest::qWait(500);
    for (auto _ : state) {
        const int lines = log->count();
        const double start = cpuSeconds();
        client->write("hola");
        client->flush();
        handle([&] { return log->count() > lines; });
        state.SetIterationTime(cpuSeconds() - start);
    }
    state.counters["log_lines"] = log->count();
}
BENCHMARK(BM_ServerLog_OneMoreMessage)->Arg(0)->Arg(10)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_Terminal_OneMoreReceive(benchmark::State &state)
{
    const qint64 shownBytes = state.range(0) << 20;
    PtyPair pty;
    if (!pty.start()) {
        state.SkipWithError("socat");
        return;
    }
    Forms::Frame frame;
    SerialPortChoice choice(pty.devicePath());
    frmComSerial form(&choice, &frame.area);
    form.showIn(&frame.area);
    auto *shown = form.findChild<QLabel *>(QStringLiteral("lblRecibe"));
    // Words, so that the display wraps them as it would a long conversation.
    QByteArray text;
    while (text.size() < shownBytes)
        text += "mensaje recibido ";
    // From another thread, while the window reads: the line holds only a few kilobytes.
    std::atomic<bool> written{false};
    std::thread writer([&] {
        pty.writePeer(text);
        written = true;
    });
    handle([&] { return written.load(); });
    writer.join();
    QTest::qWait(500);
    int events = 0;
    QObject::connect(form.findChild<SerialLink *>(), &SerialLink::received, &form, [&events] { ++events; });
    for (auto _ : state) {
        const int before = events;
        const double start = cpuSeconds();
        pty.writePeer("z");
        handle([&] { return events > before; });
        state.SetIterationTime(cpuSeconds() - start);
    }
    state.counters["shown_chars"] = double(shown->text().size());
}
BENCHMARK(BM_Terminal_OneMoreReceive)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMicrosecond);

// A line at 9600 baud, one byte at a time as a slow machine sends, into a terminal that has
// shown 1 MB already: the share of one core the program spends on it. The sender is another
// process, so that its own work is not counted.
void BM_Terminal_9600BaudTrickle(benchmark::State &state)
{
    PtyPair pty;
    if (!pty.start()) {
        state.SkipWithError("socat");
        return;
    }
    Forms::Frame frame;
    SerialPortChoice choice(pty.devicePath());
    frmComSerial form(&choice, &frame.area);
    form.showIn(&frame.area);
    std::atomic<bool> written{false};
    std::thread writer([&] {
        pty.writePeer(QByteArray(1 << 20, 'x'));
        written = true;
    });
    handle([&] { return written.load(); });
    writer.join();
    QTest::qWait(500);
    const int seconds = int(state.range(0));
    for (auto _ : state) {
        const pid_t sender = ::fork();
        if (sender == 0) {
            // 960 bytes a second: ten bits a byte on the line.
            for (int i = 0; i < seconds * 960; ++i) {
                pty.writePeer("y");
                ::usleep(1041);
            }
            ::_exit(0);
        }
        const double start = cpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            int status = 0;
            if (::waitpid(sender, &status, WNOHANG) != 0)
                loop.quit();
        });
        poll.start(200);
        loop.exec();
        state.counters["core_percent"] = 100.0 * (cpuSeconds() - start) / (wall.elapsed() / 1000.0);
    }
}
BENCHMARK(BM_Terminal_9600BaudTrickle)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

// One more message into the network simulator with its monitor open, after so many: the
// table's ring and the plot cost the same a message once the ring is full.
void BM_Monitor_OneMoreMessage(benchmark::State &state)
{
    const int before = int(state.range(0));
    Forms::Frame frame;
    frame.area.resize(1200, 900);
    auto *simulator = new frmInternetServidor(Forms::kAnyPort, &frame.area);
    simulator->showIn(&frame.area);
    QWidget *view = simulator->findChild<QWidget *>(QStringLiteral("picSuperior"));
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(10, 10), view->mapToGlobal(QPoint(10, 10)));
    QApplication::sendEvent(view, &click);
    if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget()))
        QTest::keyClick(menu, Qt::Key_M);
    if (!frame.area.findChild<frmMonitor *>()) {
        state.SkipWithError("no monitor");
        return;
    }
    auto client = Forms::connectTo(Forms::shownPort(simulator));
    const ReceiptLog *log = simulator->receiptLog();
    int sent = 0;
    auto message = [&sent] { return "A" + QByteArray::number(sent++ % 300 - 150) + "\n"; };
    while (sent < before) {
        QByteArray burst;
        for (int i = 0; i < 100 && sent < before; ++i)
            burst += message();
        client->write(burst);
        handle([&] { return log->counters().receives >= sent; });
    }
    for (auto _ : state) {
        const double start = cpuSeconds();
        client->write(message());
        client->flush();
        handle([&] { return log->counters().receives >= sent; });
        state.SetIterationTime(cpuSeconds() - start);
    }
    state.counters["rows"] = log->rowCount();
}
BENCHMARK(BM_Monitor_OneMoreMessage)->Arg(0)->Arg(20000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The memory a store holds after more and more has come, in KiB more than before the
// first: flat for the serial terminal (it keeps what it shows), the recording (it writes
// through) and the monitor's log (it keeps its last); growing for the TCP message window's
// log, whose lines are all kept, as the window shows them. One store a run; the growing one
// last, as what it took is not given back to the system.
enum Store { Terminal, Recording, MonitorLog, ServerLog };

void BM_Memory(benchmark::State &state)
{
    const auto store = Store(state.range(0));
    for (auto _ : state) {
        const QString line = QStringLiteral("temperatura 21.5 grados, humedad 40 %\r\n");
        ReceivedText received;
        QTemporaryDir dir;
        MessageRecorder recorder;
        recorder.open(dir.filePath(QStringLiteral("registro.csv")));
        ReceiptLog log;
        Receipt receipt;
        receipt.source = QStringLiteral("serie");
        Forms::Frame frame;
        frmServidor server(Forms::kAnyPort, &frame.area);
        server.showIn(&frame.area);
        auto *lines = server.findChild<QListWidget *>(QStringLiteral("lstDatos"));
        const double start = residentKiB();
        for (int round = 1; round <= 4; ++round) {
            for (int i = 0; i < 50000; ++i) {
                receipt.ms = i;
                receipt.bytes = "A" + QByteArray::number(i % 300);
                switch (store) {
                case Terminal: received.append(line); break;
                case Recording: recorder.record(receipt); break;
                case MonitorLog: log.append(receipt); break;
                case ServerLog: lines->addItem(line); break;
                }
            }
            QCoreApplication::processEvents();
            state.counters["KiB_tras_" + std::to_string(round * 50) + "k"] = residentKiB() - start;
        }
    }
}
BENCHMARK(BM_Memory)->Arg(Terminal)->Arg(Recording)->Arg(MonitorLog)->Arg(ServerLog)->Iterations(1)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
