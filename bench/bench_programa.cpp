// The whole program on an X server of its own, measured from outside as a user would meet it:
// - a client at the serial line's top rate, 640 messages a second, into the network
//   simulator: the program's CPU for each message, painting included, and its share of a
//   core; the same painting every change as Qt does by itself (the window's frame clock
//   asked off), with the simulator's 3D view open beside it, and with its monitor open
//   beside it; each against the first, measured in turns;
// - launch to the main window on screen, and peak memory once every child window is open,
//   against a bare Qt Widgets program with a multiple-document area and two sub-windows,
//   and against the same with a database file, a TCP port and a serial port open, launched
//   in the same run.
//
//   bench_programa [segundos]        (default 20)
#include <QByteArray>
#include <QElapsedTimer>
#include <QString>
#include <QTemporaryDir>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <pty.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

pid_t spawn(const std::vector<std::string> &command, const char *environment = nullptr)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (environment)
            ::putenv(const_cast<char *>(environment));
        std::vector<char *> argv;
        for (const std::string &part : command)
            argv.push_back(const_cast<char *>(part.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void stop(pid_t pid)
{
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

// An X server of our own; it tells its display once it takes clients.
pid_t startXServer()
{
    int fds[2];
    if (::pipe(fds) != 0)
        std::exit(1);
    const pid_t server = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                                "-nolisten", "tcp", "-noreset"});
    ::close(fds[1]);
    char number[16] = {};
    if (::read(fds[0], number, sizeof number - 1) <= 0) {
        std::fprintf(stderr, "No arrancó Xvfb\n");
        std::exit(1);
    }
    ::setenv("DISPLAY", (std::string(":") + std::strtok(number, "\n")).c_str(), 1);
    return server;
}

// Seconds of CPU the process has used, user and system.
double cpuSeconds(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    std::istringstream fields(line.substr(line.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i)
        fields >> skip;
    long user = 0;
    long system = 0;
    fields >> user >> system;
    return double(user + system) / double(::sysconf(_SC_CLK_TCK));
}

long peakKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

// Launches the command and returns once a top-level window with that title is mapped,
// with the seconds it took.
double launchUntilMapped(const std::vector<std::string> &command, const char *title, pid_t *pid,
                         const char *environment = nullptr)
{
    Display *display = XOpenDisplay(nullptr);
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const Clock::time_point start = Clock::now();
    *pid = spawn(command, environment);
    double seconds = -1;
    while (seconds < 0 && Clock::now() - start < std::chrono::seconds(30)) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify)
            continue;
        char *name = nullptr;
        if (XFetchName(display, event.xmap.window, &name) && name && std::strcmp(name, title) == 0)
            seconds = std::chrono::duration<double>(Clock::now() - start).count();
        XFree(name);
    }
    XCloseDisplay(display);
    return seconds;
}

void keys(const char *sequence)
{
    std::vector<std::string> command{"xdotool", "key", "--delay", "150"};
    std::istringstream words(sequence);
    for (std::string key; words >> key;)
        command.push_back(key);
    const pid_t pid = spawn(command);
    ::waitpid(pid, nullptr, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
}

void focus(const char *title)
{
    const std::string command = std::string("xdotool windowfocus --sync $(xdotool search --name '^") + title + "$' | head -1)";
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "No se encontró la ventana %s\n", title);
}

// Whether a colour is somewhere on the screen.
bool onScreen(unsigned long rgb)
{
    Display *display = XOpenDisplay(nullptr);
    const Window root = DefaultRootWindow(display);
    XWindowAttributes attributes;
    XGetWindowAttributes(display, root, &attributes);
    XImage *image = XGetImage(display, root, 0, 0, unsigned(attributes.width), unsigned(attributes.height), AllPlanes,
                              ZPixmap);
    bool found = false;
    for (int y = 0; image && !found && y < image->height; ++y) {
        for (int x = 0; !found && x < image->width; ++x)
            found = (XGetPixel(image, x, y) & 0xFFFFFF) == rgb;
    }
    if (image)
        XDestroyImage(image);
    XCloseDisplay(display);
    return found;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address);
    socklen_t size = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

int connectTo(int port)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(uint16_t(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const int one = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            return fd;
        ::close(fd);
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -1;
}

// One run of 640 messages a second into the network simulator of a new program, which
// records them in log unless it is empty. The frame fills the screen, for a companion
// window to stand beside the simulator: without a window manager it keeps its restored
// size. No messages counted if the program could not be driven.
struct Run
{
    int count = 0;
    double wall = 0.0;
    double cpu = 0.0;
};

enum class Setup { Plain, PaintEveryChange, View3D, Monitor };
const char *const kSetupNames[] = {"", ", pintando cada cambio como Qt", ", con la Vista 3D", ", con el monitor"};

Run messagesAt640(int seconds, Setup setup, const std::string &log)
{
    const int port = freePort();
    std::vector<std::string> command{BRAZO_PROGRAM, "--puerto-tcp", std::to_string(port)};
    if (!log.empty())
        command.insert(command.end(), {"--registro-mensajes", log});
    pid_t program = 0;
    static char paintEveryChange[] = "BRAZO_PINTAR_CADA_CAMBIO=1";
    launchUntilMapped(command, "MDIForm1", &program, setup == Setup::PaintEveryChange ? paintEveryChange : nullptr);
    if (std::system("xdotool windowsize $(xdotool search --name '^MDIForm1$' | head -1) 1280 1000") != 0)
        std::fprintf(stderr, "No se pudo agrandar la ventana principal\n");
    focus("MDIForm1");
    keys("alt+c i");
    // From the keyboard, as a user without a mouse would: Tab to the top view, its context
    // menu, the entry.
    if (setup == Setup::View3D) {
        keys("Tab Tab Tab Tab shift+F10 3");
        // The 3D view's tool marker: its orange is nowhere else.
        if (!onScreen(0xFF8C00)) {
            std::fprintf(stderr, "No se abrió la Vista 3D\n");
            stop(program);
            return {};
        }
    } else if (setup == Setup::Monitor) {
        keys("Tab Tab Tab Tab shift+F10 m");
    }
    const int client = connectTo(port);
    if (client < 0) {
        std::fprintf(stderr, "No se pudo conectar con el simulador en el puerto %d\n", port);
        stop(program);
        return {};
    }
    if (setup == Setup::Monitor) {
        // A message that moves nothing stands out in the monitor's table, in a colour of
        // its own.
        ::send(client, "X", 1, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (!onScreen(0xFFF0C0)) {
            std::fprintf(stderr, "No se abrió el monitor\n");
            ::close(client);
            stop(program);
            return {};
        }
    }
    Run run;
    run.count = seconds * 640;
    const double cpuBefore = cpuSeconds(program);
    const Clock::time_point start = Clock::now();
    Clock::time_point next = start;
    for (int k = 0; k < run.count; ++k) {
        std::this_thread::sleep_until(next);
        const std::string message = "A" + std::to_string(k % 300 - 150);
        if (::send(client, message.data(), message.size(), 0) != ssize_t(message.size()))
            break;
        next += std::chrono::microseconds(1562);
    }
    run.wall = std::chrono::duration<double>(Clock::now() - start).count();
    // The last messages handled; the recording reaches its file within a second.
    std::this_thread::sleep_for(std::chrono::milliseconds(log.empty() ? 200 : 1500));
    run.cpu = cpuSeconds(program) - cpuBefore;
    ::close(client);
    stop(program);
    return run;
}

} // namespace

int main(int argc, char **argv)
{
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 20;
    const pid_t xServer = startXServer();
    QTemporaryDir data;
    ::setenv("XDG_DATA_HOME", data.path().toLocal8Bit().constData(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    int master = -1;
    int slave = -1;
    char device[64] = {};
    ::openpty(&master, &slave, device, nullptr, nullptr);

    // Start-up and peak memory, the bare program, the fair floor and ours in turn, five
    // times each: the medians are compared.
    std::vector<double> bareStarts, programStarts, bareMemory, floorMemory, programMemory;
    const std::string floorDatabase = data.filePath(QStringLiteral("suelo.db")).toStdString();
    for (int round = 0; round < 5; ++round) {
        pid_t bare = 0;
        bareStarts.push_back(launchUntilMapped({BRAZO_MDI_DESNUDO}, "MDIDesnudo", &bare));
        std::this_thread::sleep_for(std::chrono::seconds(1));
        bareMemory.push_back(double(peakKiB(bare)));
        stop(bare);

        pid_t floor = 0;
        launchUntilMapped({BRAZO_MDI_CON_PUERTOS, floorDatabase, std::to_string(freePort()), device},
                          "MDIConPuertos", &floor);
        std::this_thread::sleep_for(std::chrono::seconds(1));
        floorMemory.push_back(double(peakKiB(floor)));
        stop(floor);

        pid_t program = 0;
        programStarts.push_back(launchUntilMapped({BRAZO_PROGRAM, "--puerto-tcp", std::to_string(freePort()),
                                                   "--puerto-serie", device},
                                                  "MDIForm1", &program));
        // Every child window, from the menu. The serial terminal finds the port taken by the
        // simulator and says so in a box; the message window finds the TCP port taken by the
        // network simulator and logs it.
        for (const char *command : {"alt+c i", "alt+c m", "alt+v a s Return", "alt+v a i", "alt+v r", "alt+a c"}) {
            focus("MDIForm1");
            keys(command);
        }
        std::this_thread::sleep_for(std::chrono::seconds(1));
        programMemory.push_back(double(peakKiB(program)));
        stop(program);
    }
    std::printf("Arranque hasta la ventana principal: %.0f ms (programa desnudo %.0f ms, razón %.2f)\n",
                median(programStarts) * 1000, median(bareStarts) * 1000, median(programStarts) / median(bareStarts));
    std::printf("Memoria máxima con todas las ventanas abiertas: %.0f KiB (programa desnudo %.0f KiB, razón %.2f; "
                "con base de datos y puertos %.0f KiB, razón %.2f)\n",
                median(programMemory), median(bareMemory), median(programMemory) / median(bareMemory),
                median(floorMemory), median(programMemory) / median(floorMemory));

    // 640 messages a second into the network simulator for the given time, in the four
    // setups in turns, three times each: the medians are compared.
    std::vector<double> perMessage[4];
    for (int round = 0; round < 3; ++round) {
        for (const Setup setup : {Setup::Plain, Setup::PaintEveryChange, Setup::View3D, Setup::Monitor}) {
            const Run run = messagesAt640(seconds, setup, std::string());
            if (run.count == 0)
                return 1;
            perMessage[int(setup)].push_back(run.cpu / run.count * 1e6);
            std::printf("%d mensajes en %.1f s%s: %.1f %% de un núcleo, %.0f µs de CPU por mensaje\n", run.count,
                        run.wall, kSetupNames[int(setup)], 100.0 * run.cpu / run.wall, run.cpu / run.count * 1e6);
        }
    }
    const double plain = median(perMessage[int(Setup::Plain)]);
    std::printf("Medianas: %.0f µs por mensaje; pintando cada cambio como Qt, %.0f µs (razón %.2f); con la Vista 3D "
                "abierta, %.0f µs (razón %.2f); con el monitor abierto, %.0f µs (razón %.2f)\n",
                plain, median(perMessage[int(Setup::PaintEveryChange)]),
                median(perMessage[int(Setup::PaintEveryChange)]) / plain, median(perMessage[int(Setup::View3D)]),
                median(perMessage[int(Setup::View3D)]) / plain, median(perMessage[int(Setup::Monitor)]),
                median(perMessage[int(Setup::Monitor)]) / plain);

    const std::string log = data.filePath(QStringLiteral("mensajes.csv")).toStdString();
    const Run recorded = messagesAt640(3, Setup::Plain, log);
    std::ifstream rows(log);
    int moved = 0;
    for (std::string row; std::getline(rows, row);)
        moved += row.find(",Q1=") != std::string::npos;
    std::printf("Grabado por el programa: %d de %d mensajes movieron el brazo, cada uno leído solo\n", moved,
                recorded.count);

    stop(xServer);
    return 0;
}
