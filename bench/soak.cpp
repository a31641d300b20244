// The program's windows left running as a classroom would leave them, measured: a million
// paced messages over TCP and a hundred thousand over a serial line into the simulators,
// ten thousand client sessions, and the registry browsed end to end over ten thousand
// records. Every message must be handled alone, the final pose must be right, and the
// process's peak memory must stay within 10 % of what it used once set up.
//
//   soak [escala]        (1 by default: the full run, about three quarters of an hour;
//                         0.01 for a quick look)
#include "armpanel.h"
#include "conversions.h"
#include "empleadosdb.h"
#include "forms.h"
#include "frmbrazo.h"
#include "frminternetservidor.h"
#include "frmregistros.h"
#include "kinematics.h"
#include "ptypair.h"
#include "serialportchoice.h"
#include "spin.h"
#include "sqlitefile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

// Message k sets joint `letter` to an angle that differs from message k-1's.
QByteArray message(char letter, int k)
{
    return QByteArray(1, letter) + QByteArray::number(k % 300 - 150);
}

// Sends count messages at the rate from another thread through send(), then waits for the
// window to have handled them; returns how many it handled.
int paced(int count, int rate, char letter, ArmPanel *panel, const std::function<bool(const QByteArray &)> &send)
{
    int handled = 0;
    const QMetaObject::Connection watch = QObject::connect(panel, &ArmPanel::armUpdated, [&handled] { ++handled; });
    std::atomic<int> sent{0};
    std::atomic<bool> done{false};
    std::thread sender([&] {
        // A sender woken late waits a whole period after its last message all the same:
        // a late message never comes with the next one.
        const auto period = std::chrono::nanoseconds(1000000000LL / rate);
        for (int k = 0; k < count && send(message(letter, k)); ++k) {
            ++sent;
            std::this_thread::sleep_for(period);
        }
        done = true;
    });
    // A line a minute, so that a trend (memory creeping, losses bunched in time) shows.
    QTimer minute;
    int minutes = 0;
    QObject::connect(&minute, &QTimer::timeout, [&] {
        std::printf("  minuto %3d: %9d enviados %9d atendidos  memoria %ld KiB\n", ++minutes, sent.load(), handled,
                    statusKiB("VmRSS:"));
        std::fflush(stdout);
    });
    minute.start(60000);
    // The window must keep reading until the sender is done: a sleeping sender oversleeps
    // each period a little, so the wait allows twice the nominal time. Joining a sender
    // that is still at work would stop the event loop, and what it sends meanwhile would
    // pile up and be read together.
    spinUntil([&] { return done.load(); }, int(qint64(count) * 2000 / rate) + 60000);
    sender.join();
    spinUntil([&] { return handled >= count; }, 2000);
    QObject::disconnect(watch);
    return handled;
}

// The last message sent is in its joint's entry, and the readouts are what the kinematics
// give for the angles in the four entries.
bool poseRight(const QWidget *form, const QByteArray &last)
{
    const QByteArray lastEntry = "txtQ" + QByteArray::number(last.at(0) - 'A' + 1);
    if (Forms::text(form, lastEntry.constData()) != QString::fromLatin1(last.mid(1)))
        return false;
    std::array<int, 4> degrees{};
    for (int joint = 1; joint <= 4; ++joint) {
        const QByteArray entry = "txtQ" + QByteArray::number(joint);
        const std::optional<qint32> angle = Conversions::toInt32(Forms::text(form, entry.constData()));
        if (!angle)
            return false;
        degrees[joint - 1] = *angle;
    }
    arm::ArmModel model;
    model.load(degrees);
    model.chainProduct();
    const arm::Point3 tool = model.tool();
    return Forms::text(form, "txtPosicionX") == Conversions::toFixed(tool.x)
           && Forms::text(form, "txtPosicionY") == Conversions::toFixed(tool.y)
           && Forms::text(form, "txtPosicionZ") == Conversions::toFixed(tool.z);
}

void report(const char *phase, int sent, int handled, QElapsedTimer &clock)
{
    std::printf("%-34s %9d enviados %9d atendidos  %6.1f s  memoria %ld KiB\n", phase, sent, handled,
                clock.restart() / 1000.0, statusKiB("VmRSS:"));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication app(argc, argv);
    const double scale = argc > 1 ? std::atof(argv[1]) : 1.0;
    auto scaled = [scale](int count) { return std::max(1, int(count * scale)); };

    PtyPair pty;
    if (!pty.start()) {
        std::fprintf(stderr, "No se pudo crear el par de pseudo-terminales (socat)\n");
        return 1;
    }
    Forms::Frame frame;
    auto *network = new frmInternetServidor(Forms::kAnyPort, &frame.area);
    network->showIn(&frame.area);
    SerialPortChoice choice(pty.devicePath());
    auto *serial = new frmBrazo(&choice, &frame.area);
    serial->showIn(&frame.area);
    ArmPanel *networkArm = network->findChild<ArmPanel *>();
    ArmPanel *serialArm = serial->findChild<ArmPanel *>();
    const quint16 port = Forms::shownPort(network);

    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0) {
        std::fprintf(stderr, "No se pudo conectar con el simulador en el puerto %d\n", port);
        return 1;
    }
    auto sendTcp = [fd](const QByteArray &bytes) { return ::send(fd, bytes.constData(), size_t(bytes.size()), 0) == bytes.size(); };
    auto sendSerial = [&pty](const QByteArray &bytes) { return pty.writePeer(bytes); };

    const int records = scaled(10000);
    QStringList rows{QStringLiteral("CREATE TABLE Empleados (IdEmpleado TEXT PRIMARY KEY, Nombre TEXT)"),
                     QStringLiteral("BEGIN")};
    for (int k = 0; k < records; ++k)
        rows << QStringLiteral("INSERT INTO Empleados VALUES ('E%1', 'Empleado %1')").arg(k, 5, 10, QLatin1Char('0'));
    rows << QStringLiteral("COMMIT");
    QDir().mkpath(QFileInfo(EmpleadosDb::defaultPath()).absolutePath());
    SqliteFile::execAll(EmpleadosDb::defaultPath(), rows);
    auto *registry = new frmRegistros(EmpleadosDb::defaultPath(), &frame.area);
    registry->showIn(&frame.area);
    // Set up and warmed: the memory everything is compared with.
    QElapsedTimer clock;
    clock.start();
    paced(2000, 2000, 'A', networkArm, sendTcp);
    paced(2000, 1000, 'B', serialArm, sendSerial);
    const long startKiB = statusKiB("VmRSS:");
    report("Preparado", 4000, 4000, clock);
    int merged = 0;
    bool posesRight = true;

    const int tcpCount = scaled(1000000);
    const int tcpHandled = paced(tcpCount, 500, 'A', networkArm, sendTcp);
    merged += tcpCount - tcpHandled;
    posesRight &= spinUntil([&] { return poseRight(network, message('A', tcpCount - 1)); }, 1000);
    report("TCP, 500 mensajes/s", tcpCount, tcpHandled, clock);
    ::close(fd);

    const int serialCount = scaled(100000);
    const int serialHandled = paced(serialCount, 250, 'C', serialArm, sendSerial);
    merged += serialCount - serialHandled;
    posesRight &= spinUntil([&] { return poseRight(serial, message('C', serialCount - 1)); }, 1000);
    report("Serie, 250 mensajes/s", serialCount, serialHandled, clock);

    const int sessions = scaled(10000);
    int served = 0;
    for (int k = 0; k < sessions; ++k) {
        auto client = Forms::connectTo(port);
        if (!client)
            break;
        const int before = served;
        QObject::connect(networkArm, &ArmPanel::armUpdated, client.get(), [&served] { ++served; });
        client->write(message('D', k));
        if (!spinUntil([&] { return served > before; }, 10000))
            break;
        client->disconnectFromHost();
        client.reset();
        spinUntil([network] { return network->findChild<QTcpSocket *>() == nullptr; }, 10000);
    }
    merged += sessions - served;
    posesRight &= spinUntil([&] { return poseRight(network, message('D', sessions - 1)); }, 1000);
    report("Sesiones TCP", sessions, served, clock);

    auto *next = registry->findChild<QToolButton *>(QStringLiteral("moveNext"));
    for (int k = 1; k < records; ++k)
        next->click();
    const bool atEnd = Forms::text(registry, "txtidEmpleado") == QStringLiteral("E%1").arg(records - 1, 5, 10, QLatin1Char('0'));
    report("Registro recorrido", records, atEnd ? records : 0, clock);

    const long peakKiB = statusKiB("VmHWM:");
    std::printf("\nMemoria al empezar %ld KiB, máxima %ld KiB: %+.1f %% (límite +10 %%)\n", startKiB, peakKiB,
                100.0 * (peakKiB - startKiB) / startKiB);
    std::printf("Mensajes leídos junto con otro (el simulador no los convierte): %d de %d\n", merged,
                tcpCount + serialCount + sessions);
    std::printf("Pose final: %s\n", posesRight ? "correcta en las dos ventanas" : "ERRÓNEA");
    return merged == 0 && posesRight && atEnd && peakKiB <= startKiB * 11 / 10 ? 0 : 1;
}
